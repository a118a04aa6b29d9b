#include "styleeditor/VNQLStyleEditSub_NSShadow.h"

#include "frameworks/penwork/styles/PWRendererSupport.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Shadow.h"

#include <QCoreApplication>

#include <cmath>
#include <numbers>

PF_DEFINE_CLASS(VNQLStyleEditSub_NSShadow, VNQLStyleComponentController)
{
    using C = VNQLStyleEditSub_NSShadow;
    b.method("offsetAmountAction:", &C::offsetAmountAction);
    b.method("offsetAngleAction:", &C::offsetAngleAction);
    b.method("blurRadiusAction:", &C::blurRadiusAction);
    b.method("shadowColourAction:", &C::shadowColourAction);
    b.method("setShadowOffset:", &C::setShadowOffset);
    b.method("setShadowBlurRadius:", &C::setShadowBlurRadius);
    b.method("setShadowColor:", &C::setShadowColor);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_NSShadow", text);
}

pf::Slider* slider(pf::Reflective* target, const QString& action, double minimum, double maximum)
{
    auto* control = new pf::Slider;
    control->setMinValue(minimum);
    control->setMaxValue(maximum);
    control->setContinuous(true);
    control->setTarget(target);
    control->setAction(action);
    // Room to drag in, beside the widest caption of the panes that embed it.
    control->setMinimumWidth(96);
    control->setFixedHeight(22);
    return control;
}
} // namespace

VNQLStyleEditSub_NSShadow::VNQLStyleEditSub_NSShadow(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_NSShadow") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_NSShadow::managedObjectClass() const
{
    return pf::Shadow::staticClass();
}

QStringList VNQLStyleEditSub_NSShadow::keyPathsOfInterest() const
{
    return {QStringLiteral("shadowOffset"), QStringLiteral("shadowBlurRadius"), QStringLiteral("shadowColor")};
}

void VNQLStyleEditSub_NSShadow::loadView()
{
    pf::View* view = VNQLPaneControls::makePaneView();
    buildControlsInView(view);
    VNQLPaneControls::finish(view);
    setView(view);
}

void VNQLStyleEditSub_NSShadow::embedInView(pf::View* host)
{
    buildControlsInView(host);
    // The controls live in the host's rows; the pane keeps an empty view of its own.
    setView(new pf::View);
}

void VNQLStyleEditSub_NSShadow::buildControlsInView(pf::View* view)
{
    using namespace VNQLPaneControls;
    mOffsetSlider = slider(this, QStringLiteral("offsetAmountAction:"), 0, 50);
    mOffsetAngleSlider = slider(this, QStringLiteral("offsetAngleAction:"), 0, 360);
    mBlurRadusSlider = slider(this, QStringLiteral("blurRadiusAction:"), 0, 50);
    mColourWell = new pf::ColorWell;
    mColourWell->setFixedSize(44, 22);
    mColourWell->setTarget(this);
    mColourWell->setAction(QStringLiteral("shadowColourAction:"));
    addRow(view, tr("Distance:"), {mOffsetSlider});
    addRow(view, tr("Angle:"), {mOffsetAngleSlider});
    addRow(view, tr("Blur:"), {mBlurRadusSlider});
    addRow(view, tr("Colour:"), {mColourWell});
    // The well shows no colour until a shadow arrives.
    mColourWell->setColor(pf::Color::clear());
}

QSizeF VNQLStyleEditSub_NSShadow::offsetFromAngle(double angle, double distance) const
{
    return QSizeF(std::cos(angle) * distance, std::sin(angle) * (mInverted ? -distance : distance));
}

double VNQLStyleEditSub_NSShadow::angleFromOffset(QSizeF offset, double* distance) const
{
    const double h = mInverted ? -offset.height() : offset.height();
    if (distance)
        *distance = std::hypot(h, offset.width());
    return std::atan2(h, offset.width());
}

double VNQLStyleEditSub_NSShadow::sliderAngleForOffset(QSizeF offset, double* distance) const
{
    double angle = angleFromOffset(offset, distance) * 180.0 / std::numbers::pi + 90.0;
    if (angle < 0)
        angle += 360.0;
    else if (angle > 360.0)
        angle -= 360.0;
    return angle;
}

void VNQLStyleEditSub_NSShadow::writeOffset(double angle, double distance)
{
    const QSizeF offset = offsetFromAngle((angle - 90.0) * std::numbers::pi / 180.0, distance);
    setCommonValue(QVariant::fromValue(offset), QStringLiteral("shadowOffset"));
}

void VNQLStyleEditSub_NSShadow::offsetAmountAction(const QVariant& sender)
{
    pf::Control* control = pf::Control::fromSender(sender);
    if (control && mOffsetAngleSlider)
        writeOffset(mOffsetAngleSlider->doubleValue(), control->doubleValue());
}

void VNQLStyleEditSub_NSShadow::offsetAngleAction(const QVariant& sender)
{
    pf::Control* control = pf::Control::fromSender(sender);
    if (control && mOffsetSlider)
        writeOffset(control->doubleValue(), mOffsetSlider->doubleValue());
}

void VNQLStyleEditSub_NSShadow::blurRadiusAction(const QVariant& sender)
{
    takeCommonValueFrom(pf::Control::fromSender(sender), QStringLiteral("shadowBlurRadius"));
}

void VNQLStyleEditSub_NSShadow::shadowColourAction(const QVariant& sender)
{
    takeCommonValueFrom(pf::Control::fromSender(sender), QStringLiteral("shadowColor"));
}

void VNQLStyleEditSub_NSShadow::setShadowOffset(const QVariant& value)
{
    double distance = 0;
    const double angle = sliderAngleForOffset(value.toSizeF(), &distance);
    if (mOffsetAngleSlider)
        mOffsetAngleSlider->setDoubleValue(angle);
    if (mOffsetSlider)
        mOffsetSlider->setDoubleValue(distance);
}

void VNQLStyleEditSub_NSShadow::setShadowBlurRadius(const QVariant& value)
{
    if (mBlurRadusSlider)
        mBlurRadusSlider->setDoubleValue(value.toDouble());
}

void VNQLStyleEditSub_NSShadow::setShadowColor(const QVariant& value)
{
    if (mColourWell)
        mColourWell->setColor(pf::isNilOrNull(value) ? pf::Color::clear()
                                                     : pw::renderers::colourFromVariant(value, QStringLiteral("shadow colour")));
}

void VNQLStyleEditSub_NSShadow::setShadowControlsEnabled(bool enabled)
{
    if (!isViewLoaded())
        view();
    for (QWidget* control : std::initializer_list<QWidget*>{mOffsetSlider, mOffsetAngleSlider, mBlurRadusSlider, mColourWell})
        if (control)
            VNQLStyleComponentController::setControlEnabled(control, enabled);
    if (!enabled && mColourWell)
        mColourWell->setColor(pf::Color::clear());
}

bool VNQLStyleEditSub_NSShadow::shouldSetValue(QVariant*, pf::Object*, const QString&)
{
    // Announced before the write, so the host records the shadow as it still is.
    if (m_delegate)
        m_delegate->subcontrollerWillChangeShadow(*this);
    pf::NotificationCenter::defaultCenter().post(VNQLShadowWillChangeNotification, this);
    return true;
}

void VNQLStyleEditSub_NSShadow::observedValueForKeyDidChangeTo(const QString&, const QVariant&)
{
    if (!isStartingObservation())
        pf::NotificationCenter::defaultCenter().post(VNQLShadowDidChangeNotification, this);
}
