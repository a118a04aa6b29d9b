#pragma once

#include "platform/foundation/Object.h"

#include <QVariantMap>

#include <optional>

namespace pf {
class PrintInfo;
}

// What the drawing setup sheet asks of the one whose drawing it sets up (the document). Every
// operation is optional: the defaults answer that the delegate does not take part.
class CVLDrawingGridControllerDelegate {
public:
    virtual ~CVLDrawingGridControllerDelegate() = default;

    // The drawing's settings; none when the delegate has none to give.
    virtual std::optional<QVariantMap> dictionaryOfDrawingSettings() { return std::nullopt; }
    // Whether performDrawingSetUpWithOptions is answered.
    virtual bool performsDrawingSetUp() const { return false; }
    // Applies settings: a preview or a revert (no undo) when `isPreviewOrCancel`, else one
    // committed, undoable change.
    virtual void performDrawingSetUpWithOptions(const QVariantMap&, bool) {}
    // The print info the page layout edits; none when there is none.
    virtual pf::Ref<pf::PrintInfo> printInfo() const { return nullptr; }
    virtual void setPrintInfo(const pf::Ref<pf::PrintInfo>&) {}
    // The sheet has ended with OK (1) or Cancel (0), after the settings were handed over.
    virtual void drawingSetUpDidEnd(int) {}
};
