#pragma once

#include "inspectors/VNQLTabContentViewController.h"

// The controller of a sidebar tab whose panel is not in the program yet: the tab carries the
// panel's title and shows an empty panel.
class VNQLEmptyTabController : public VNQLTabContentViewController {
    PF_CLASS(VNQLEmptyTabController)
public:
    // The identifier is the nib name, as for every tab controller.
    explicit VNQLEmptyTabController(const QString& identifier = {});

    // The title a tab with that identifier shows ("Layers" for "VNQLTabViewLayers").
    static QString titleForIdentifier(const QString& identifier);

    void loadView() override;
};
