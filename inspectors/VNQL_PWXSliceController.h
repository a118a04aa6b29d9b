#pragma once

#include "platform/ui/ColorWell.h"
#include "platform/ui/SegmentedControl.h"

#include "inspectors/VNQL_PWDrawableObjectController.h"

namespace pf {
class ColorWell;
class SegmentedControl;
} // namespace pf

// The slice pane: position, size and visibility of export slices, with their title and
// colour, the slices layer's tool mode and the way to the export dialog.
class VNQL_PWXSliceController : public VNQL_PWDrawableObjectController {
    PF_CLASS(VNQL_PWXSliceController)
public:
    explicit VNQL_PWXSliceController(const QString& nibName = {});
    ~VNQL_PWXSliceController() override;

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;

    void sliceTitleAction(const QVariant& sender);
    void sliceColourAction(const QVariant& sender);
    void toolModeAction(const QVariant& sender);
    void exportAction(const QVariant& sender);

    // The pane's "title" key is the slices' title (the pane's own title is not shown).
    QVariant sliceTitle() const;
    void setSliceTitle(const QVariant& value);
    void setColour(const QVariant& value);
    void setMixedValueForTitle();
    void setMixedValueForColour();

    pf::TextField* titleField() const { return mTitleTextField; }
    pf::ColorWell* colourWell() const { return mSliceColorWell; }
    pf::SegmentedControl* toolModeControl() const { return mToolModeSegmentedControl; }

    void loadView() override;

    // Shows the pane's help page.

    void slicesHelpAction(const QVariant& sender = {});

private:
    void toolModeChanged(const pf::Notification& notification);
    class VNQLSlicesLayer* firstSlicesLayer();

    QPointer<pf::TextField> mTitleTextField;
    QPointer<pf::ColorWell> mSliceColorWell;
    QPointer<pf::SegmentedControl> mToolModeSegmentedControl;
    QPointer<pf::Button> mExportButton;
};
