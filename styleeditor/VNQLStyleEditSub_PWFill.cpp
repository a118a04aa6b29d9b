#include "styleeditor/VNQLStyleEditSub_PWFill.h"

#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Shadow.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWFill, VNQLStyleComponentController)
{
    using C = VNQLStyleEditSub_PWFill;
    b.method("fillColourAction:", &C::fillColourAction);
    b.method("shadowEnabledAction:", &C::shadowEnabledAction);
    b.method("setColour:", &C::setColour);
    b.method("setShadow:", &C::setShadow);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWFill", text);
}
} // namespace

VNQLStyleEditSub_PWFill::VNQLStyleEditSub_PWFill(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWFill") : nibName),
      mShadowEditor(std::make_shared<VNQLStyleEditSub_NSShadow>())
{
    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    center.addObserver(this, [this](const pf::Notification&) { shadowWillChange(); }, VNQLShadowWillChangeNotification,
                       mShadowEditor.get());
    center.addObserver(this, [this](const pf::Notification&) { shadowDidChange(); }, VNQLShadowDidChangeNotification,
                       mShadowEditor.get());
}

VNQLStyleEditSub_PWFill::~VNQLStyleEditSub_PWFill()
{
    pf::NotificationCenter::defaultCenter().removeObserver(this);
}

const pf::Class& VNQLStyleEditSub_PWFill::managedObjectClass() const
{
    return PWFill::staticClass();
}

QStringList VNQLStyleEditSub_PWFill::keyPathsOfInterest() const
{
    return VNQLStyleComponentController::keyPathsOfInterest() + QStringList{"colour", "shadow"};
}

PWFill* VNQLStyleEditSub_PWFill::fill() const
{
    return dynamic_cast<PWFill*>(representedComponent().get());
}

void VNQLStyleEditSub_PWFill::loadView()
{
    pf::View* view = makeComponentView();
    buildFillRows(view);
    VNQLPaneControls::finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWFill::buildFillRows(pf::View* view)
{
    using namespace VNQLPaneControls;
    mFillColourWell = new pf::ColorWell;
    mFillColourWell->setFixedSize(44, 22);
    mFillColourWell->setTarget(this);
    mFillColourWell->setAction(QStringLiteral("fillColourAction:"));
    addRow(view, tr("Colour:"), {mFillColourWell});
    mShadowEnabledCheckbox = checkBox(tr("Shadow"), this, QStringLiteral("shadowEnabledAction:"));
    addRow(view, {}, {mShadowEnabledCheckbox});
    mShadowEditor->embedInView(view);
    mShadowEditor->setShadowControlsEnabled(false);
    addLockControl(mFillColourWell);
    addLockControl(mShadowEnabledCheckbox);
}

void VNQLStyleEditSub_PWFill::fillColourAction(const QVariant& sender)
{
    if (auto* well = qobject_cast<pf::ColorWell*>(pf::Control::fromSender(sender)))
        setCommonValue(pw::renderers::colourToVariant(well->color()), QStringLiteral("colour"));
}

void VNQLStyleEditSub_PWFill::shadowEnabledAction(const QVariant& sender)
{
    auto* box = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    const bool on = box ? box->state() == pf::ControlState::On : pf::variantToBool(sender);
    setCommonValue(on ? pf::toVariant(PWStyle::defaultShadow()) : QVariant(), QStringLiteral("shadow"));
}

void VNQLStyleEditSub_PWFill::setColour(const QVariant& value)
{
    if (mFillColourWell)
        mFillColourWell->setColor(pf::isNilOrNull(value) ? pf::Color::clear()
                                                         : pw::renderers::colourFromVariant(value, QStringLiteral("fill colour")));
}

void VNQLStyleEditSub_PWFill::setShadow(const QVariant& value)
{
    pf::Ref<pf::Shadow> shadow = pf::objectCast<pf::Shadow>(value);
    if (mShadowEditor->representedComponent() != shadow)
        mShadowEditor->setRepresentedComponent(shadow);
    mShadowEditor->setShadowControlsEnabled(shadow && !locked() && enabled());
    if (mShadowEnabledCheckbox)
        mShadowEnabledCheckbox->setState(shadow ? pf::ControlState::On : pf::ControlState::Off);
}

bool VNQLStyleEditSub_PWFill::hasShadow() const
{
    PWFill* current = fill();
    return current && current->shadow() != nullptr;
}

void VNQLStyleEditSub_PWFill::shadowWillChange()
{
    PWFill* current = fill();
    if (!current || m_shadowChangeOpen)
        return;
    m_shadowChangeOpen = current->notifyWillChange(QStringLiteral("shadow"));
}

void VNQLStyleEditSub_PWFill::shadowDidChange()
{
    PWFill* current = fill();
    if (!current || !m_shadowChangeOpen)
        return;
    m_shadowChangeOpen = false;
    current->notifyDidChange(QStringLiteral("shadow"));
}

void VNQLStyleEditSub_PWFill::setStatesForLock(bool isLocked, bool isEnabled)
{
    enableLockControls(isEnabled && !isLocked);
    mShadowEditor->setShadowControlsEnabled(!isLocked && hasShadow() && isEnabled);
}
