#pragma once

#include "styleeditor/PWXArrowView.h"
#include "styleeditor/VNQLStyleEditSub_PWStroke.h"

// The arrow stroke's pane: the stroke's rows and the heads at either end, their size (on the
// preview), the outline round them and the dimension written along the line.
class VNQLStyleEditSub_PWArrowStroke : public VNQLStyleEditSub_PWStroke, public PWXArrowViewDelegate {
    PF_CLASS(VNQLStyleEditSub_PWArrowStroke)
public:
    explicit VNQLStyleEditSub_PWArrowStroke(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("arrow"); }

    void arrowHeadKindAction(const QVariant& sender);
    void arrowTailKindAction(const QVariant& sender);
    void arrowWidthAction(const QVariant& sender);
    void arrowLengthAction(const QVariant& sender);
    void arrowDimensionOptionsAction(const QVariant& sender);
    void arrowOutlineColourAction(const QVariant& sender);
    void arrowOutlineWidthAction(const QVariant& sender);
    void dimensionKindAction(const QVariant& sender);
    void toleranceEnableAction(const QVariant& sender);
    void arrowViewSetArrowHeadSize(PWXArrowView& view, QSizeF size) override;

    void setArrowHeadAtStart(const QVariant& value);
    void setArrowHeadAtEnd(const QVariant& value);
    void setOutlineColour(const QVariant& value);
    void setOutlineWidth(const QVariant& value);
    void setDimensioningLineOptions(const QVariant& value);
    void setDimensionTextKind(const QVariant& value);
    void setArrowHeadWidth(const QVariant&) {}
    void setArrowHeadLength(const QVariant&) {}

    void observedValueForKeyDidChangeTo(const QString& keyPath, const QVariant& value) override;
    void setStatesForLock(bool locked, bool enabled) override;

    PWXArrowView* arrowView() const { return mArrowView; }
    pf::PopUpButton* headKindPopUp() const { return mArrowHeadKindPopUpButton; }
    pf::PopUpButton* tailKindPopUp() const { return mArrowTailKindPopUpButton; }

    void loadView() override;

private:
    PWArrowStroke* arrow() const;

    QPointer<pf::PopUpButton> mArrowHeadKindPopUpButton;
    QPointer<pf::PopUpButton> mArrowTailKindPopUpButton;
    QPointer<pf::PopUpButton> mArrowDimensionOptionsPopUpButton;
    QPointer<pf::ColorWell> mArrowOutlineColourWell;
    QPointer<pf::TextField> mArrowOutlineWidthTextField;
    QPointer<pf::Stepper> mArrowOutlineWidthStepper;
    QPointer<PWXArrowView> mArrowView;
    QPointer<pf::PopUpButton> mDimensionTextKindPopUpButton;
    QPointer<pf::Button> mToleranceCheckbox;
};
