#pragma once

#include "styleeditor/VNQLStyleComponentController.h"

#include "platform/ui/ColorWell.h"
#include "platform/ui/Slider.h"

#include <QSizeF>

class VNQLStyleEditSub_NSShadow;

// Posted by the shadow sub-pane (as object) before and after it writes to its shadow.
inline const QString VNQLShadowWillChangeNotification = QStringLiteral("VNQLShadowWillChangeNotification");
inline const QString VNQLShadowDidChangeNotification = QStringLiteral("VNQLShadowDidChangeNotification");

// What the shadow sub-pane tells the pane or inspector that hosts it.
class VNQLShadowSubcontrollerDelegate {
public:
    virtual ~VNQLShadowSubcontrollerDelegate() = default;
    virtual void subcontrollerWillChangeShadow(VNQLStyleEditSub_NSShadow& pane) {}
};

// Edits a shadow (not a renderer): its distance and direction, blur and colour. The stroke
// and fill panes and the text inspector embed it and carry its changes to their model, so
// that undo records the shadow as it was before each change.
class VNQLStyleEditSub_NSShadow : public VNQLStyleComponentController {
    PF_CLASS(VNQLStyleEditSub_NSShadow)
public:
    explicit VNQLStyleEditSub_NSShadow(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;

    // Angles in radians; a slider angle a gives offsetFromAngle((a - 90) in radians).
    QSizeF offsetFromAngle(double angle, double distance) const;
    double angleFromOffset(QSizeF offset, double* distance = nullptr) const;
    // The slider angle (0...360 degrees) that shows `offset`.
    double sliderAngleForOffset(QSizeF offset, double* distance = nullptr) const;

    void offsetAmountAction(const QVariant& sender);
    void offsetAngleAction(const QVariant& sender);
    void blurRadiusAction(const QVariant& sender);
    void shadowColourAction(const QVariant& sender);
    void setShadowOffset(const QVariant& value);
    void setShadowBlurRadius(const QVariant& value);
    void setShadowColor(const QVariant& value);
    void setShadowControlsEnabled(bool enabled);
    void setShadowInverted(bool inverted) { mInverted = inverted; }
    bool shadowInverted() const { return mInverted; }

    bool shouldSetValue(QVariant* value, pf::Object* object, const QString& keyPath) override;
    void observedValueForKeyDidChangeTo(const QString& keyPath, const QVariant& value) override;

    VNQLShadowSubcontrollerDelegate* delegate() const { return m_delegate; }
    void setDelegate(VNQLShadowSubcontrollerDelegate* delegate) { m_delegate = delegate; }

    pf::Slider* distanceSlider() const { return mOffsetSlider; }
    pf::Slider* angleSlider() const { return mOffsetAngleSlider; }
    pf::Slider* blurSlider() const { return mBlurRadusSlider; }
    pf::ColorWell* colourWell() const { return mColourWell; }

    void loadView() override;
    // Puts the controls into the rows of a hosting pane's view instead of a view of its own.
    void embedInView(pf::View* host);

private:
    void buildControlsInView(pf::View* view);
    void writeOffset(double angle, double distance);

    QPointer<pf::Slider> mOffsetSlider;
    QPointer<pf::Slider> mBlurRadusSlider;
    QPointer<pf::Slider> mOffsetAngleSlider;
    QPointer<pf::ColorWell> mColourWell;
    bool mInverted = false;
    VNQLShadowSubcontrollerDelegate* m_delegate = nullptr;
};
