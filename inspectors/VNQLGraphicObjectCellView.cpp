#include "inspectors/VNQLGraphicObjectCellView.h"

#include "drawing/PWDrawableObject+VNQLObjectNaming.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "inspectors/VNQLRowControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/TextField.h"
#include "widgets/Color+VNQLApplicationColors.h"

#include <QCoreApplication>

namespace {

// The icon is no key of its own: it is read at binding and after visual changes.
const QStringList kObservedKeys = {QStringLiteral("locked"), QStringLiteral("visible"), QStringLiteral("name")};

bool senderIsOn(const QVariant& sender)
{
    auto* button = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    return button && button->state() == pf::ControlState::On;
}

} // namespace

PF_DEFINE_CLASS(VNQLGraphicObjectCellView, pf::TableCellView)
{
    using Self = VNQLGraphicObjectCellView;
    b.method("lockDrawableAction:", &Self::lockDrawableAction);
    b.method("visibleDrawableAction:", &Self::visibleDrawableAction);
    b.method("zoomMainViewToObjectAction:", &Self::zoomMainViewToObjectAction);
    b.method("nameAction:", &Self::nameAction);
    b.method("selectNameForEditingAction:", &Self::selectNameForEditingAction);
}

VNQLGraphicObjectCellView::VNQLGraphicObjectCellView(QWidget* parent)
    : pf::TableCellView(QRectF(0, 0, 240, 30), parent)
{
    const double width = 240;
    mIconView = new pf::ImageView(this);
    mIconView->setFrame(QRectF(8, 3, 24, 24));
    mIconView->setImageScaling(pf::ImageScaling::ProportionallyUpOrDown);

    // The name: what the user reads and edits.
    mAuxInfoField = VNQLRowControls::nameField(this, this, QStringLiteral("nameAction:"));
    mAuxInfoField->setFrame(QRectF(36, 5, width - 36 - 96, 20));
    mAuxInfoField->setAutoresizingMask(pf::ViewWidthSizable);

    // The kind of object, small, beside the name.
    mNameField = pf::TextField::label(QString(), this);
    mNameField->setFrame(QRectF(width - 94, 8, 52, 14));
    mNameField->setAutoresizingMask(pf::ViewMinXMargin);
    mNameField->setAlignment(Qt::AlignRight);
    QFont small = mNameField->font();
    small.setPointSizeF(pf::Font::interfaceSize(9));
    mNameField->setFont(small);
    mNameField->cell()->setLineBreakMode(pf::LineBreakByTruncatingTail);
    mNameField->setTextColor(pf::Color(QColor(Qt::gray)));

    mVisibleButton = VNQLRowControls::imageToggle(QStringLiteral("VN_Layer_Show-Template"),
                                                  QStringLiteral("VN_Layer_Hidden-Template"), this, this,
                                                  QStringLiteral("visibleDrawableAction:"));
    mVisibleButton->setFrame(QRectF(width - 40, 6, 18, 18));
    mVisibleButton->setAutoresizingMask(pf::ViewMinXMargin);

    mLockButton = VNQLRowControls::imageToggle(QStringLiteral("VN_Layer_Locked-Template"),
                                               QStringLiteral("VN_Layer_Unlocked-Template"), this, this,
                                               QStringLiteral("lockDrawableAction:"));
    mLockButton->setFrame(QRectF(width - 20, 6, 18, 18));
    mLockButton->setAutoresizingMask(pf::ViewMinXMargin);

    mDeleteButton = new pf::Button(this);
    mDeleteButton->setHidden(true);
}

VNQLGraphicObjectCellView::~VNQLGraphicObjectCellView()
{
    unbind();
}

void VNQLGraphicObjectCellView::setObjectValue(const QVariant& value)
{
    pf::Ref<PWDrawableObject> object = pf::fromVariant<pf::Ref<PWDrawableObject>>(value);
    pf::TableCellView::setObjectValue(object ? value : QVariant());
    setDrawable(object);
}

void VNQLGraphicObjectCellView::unbind()
{
    if (mPendingIconUpdate) {
        pf::RunLoop::main().cancel(mPendingIconUpdate);
        mPendingIconUpdate = 0;
    }
    if (!mDrawableObject)
        return;
    mDrawableObject->removeObserver(this);
    mDrawableObject.reset();
}

void VNQLGraphicObjectCellView::setDrawable(const pf::Ref<PWDrawableObject>& object)
{
    if (object == mDrawableObject)
        return;
    unbind();
    mDrawableObject = object;
    if (!object)
        return;
    mNameField->setStringValue(PWDrawableObjectVNQLObjectNaming::auxiliaryInfoString(*object));
    for (const QString& key : kObservedKeys)
        object->addObserver(this, key, pf::ObservingNew | pf::ObservingInitial);
    object->addObserver(this, PWDrawableObject::kVisualChangeKey, 0);
    updateIcon();
}

void VNQLGraphicObjectCellView::observeValueForKeyPath(const QString& keyPath, pf::Reflective*, const QVariantMap&, void*)
{
    if (!mDrawableObject)
        return;
    if (keyPath == QLatin1String("locked"))
        setLocked(mDrawableObject->locked());
    else if (keyPath == QLatin1String("visible"))
        setObjectVisible(mDrawableObject->visible());
    else if (keyPath == QLatin1String("name"))
        setName(mDrawableObject->name());
    else if (keyPath == PWDrawableObject::kVisualChangeKey)
        setVisual_change();
}

void VNQLGraphicObjectCellView::setLocked(bool locked)
{
    mLockButton->setState(locked ? pf::ControlState::On : pf::ControlState::Off);
    mIconView->setEnabled(!locked);
    mAuxInfoField->setEnabled(!locked);
    mAuxInfoField->setEditable(!locked);
    mVisibleButton->setEnabled(!locked);
    mAuxInfoField->setTextColor(locked ? pf::Color(QColor(Qt::gray)) : VNQLUnselectedTitleTextColour());
}

void VNQLGraphicObjectCellView::setObjectVisible(bool visible)
{
    mVisibleButton->setState(visible ? pf::ControlState::On : pf::ControlState::Off);
}

void VNQLGraphicObjectCellView::setName(const QString& name)
{
    mAuxInfoField->setStringValue(name);
}

void VNQLGraphicObjectCellView::setIcon(const QImage& icon)
{
    mIconView->setImage(icon.isNull() ? nullptr : pf::Image::fromQImage(icon));
}

void VNQLGraphicObjectCellView::setVisual_change()
{
    // Bursts of changes (a drag) redraw the icon once, after they stop.
    if (mPendingIconUpdate)
        pf::RunLoop::main().cancel(mPendingIconUpdate);
    QPointer<VNQLGraphicObjectCellView> self(this);
    mPendingIconUpdate = pf::RunLoop::main().perform([self] {
        if (self) {
            self->mPendingIconUpdate = 0;
            self->updateIcon();
        }
    }, kIconUpdateDelay);
}

void VNQLGraphicObjectCellView::updateIcon()
{
    if (mDrawableObject)
        setIcon(mDrawableObject->icon());
}

void VNQLGraphicObjectCellView::lockDrawableAction(const QVariant& sender)
{
    if (mDrawableObject)
        mDrawableObject->setLocked(senderIsOn(sender));
}

void VNQLGraphicObjectCellView::visibleDrawableAction(const QVariant& sender)
{
    if (mDrawableObject)
        mDrawableObject->setVisible(senderIsOn(sender));
}

void VNQLGraphicObjectCellView::zoomMainViewToObjectAction(const QVariant&)
{
    if (mDrawableObject)
        mDrawableObject->zoomViewToObject();
}

void VNQLGraphicObjectCellView::nameAction(const QVariant&)
{
    if (mDrawableObject)
        mDrawableObject->assignUserName(mAuxInfoField->stringValue(), true);
}

void VNQLGraphicObjectCellView::selectNameForEditingAction(const QVariant&)
{
    if (!mDrawableObject || mDrawableObject->locked())
        return;
    VNQLRowControls::beginRenaming(mAuxInfoField);
}

void VNQLGraphicObjectCellView::updateRowContextualMenu(pf::Menu& menu)
{
    if (!mDrawableObject)
        return;
    pf::Ref<pf::MenuItem> zoom = pf::MenuItem::make(tr("Zoom Main View to This"), QStringLiteral("zoomMainViewToObjectAction:"));
    zoom->setTarget(this);
    menu.insertItem(zoom, 0);
    pf::Ref<pf::MenuItem> rename = pf::MenuItem::make(
        QStringLiteral("%1 \u201C%2\u201D").arg(tr("Rename"), mDrawableObject->name()), QStringLiteral("selectNameForEditingAction:"));
    rename->setTarget(this);
    menu.insertItem(rename, 1);
    menu.insertItem(pf::MenuItem::separator(), 2);
}
