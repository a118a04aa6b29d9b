#pragma once

class QWidget;
class RVCartavelDocument;

// The sheets that ask for the numbers of a duplication of the selection and hand them to the
// document (doLinearDuplicateCopies, doPolarDuplicateCopies, doAutoPolarDuplicateWithCentre,
// parallelCopyWithOffset). Offsets and centres are asked in the drawing's units from the
// grid's origin, the parallel offset in points. Each is window-modal on `parent`.
class VNQLDuplicateSheet {
public:
    VNQLDuplicateSheet() = delete;

    static void beginLinearDuplication(QWidget* parent, RVCartavelDocument& document);
    static void beginPolarDuplication(QWidget* parent, RVCartavelDocument& document);
    static void beginParallelDuplication(QWidget* parent, RVCartavelDocument& document);
};
