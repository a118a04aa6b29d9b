#include "inspectors/VNQLSliceCellView.h"

#include "drawing/PWXSlice.h"
#include "inspectors/VNQLRowControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/TextField.h"

#include <QCoreApplication>

namespace {

// Observations of this cell carry this context; others are not ours.
int gSliceContext = 0;

const QStringList kObservedKeys = {QStringLiteral("visible"), QStringLiteral("name"), QStringLiteral("colour")};

} // namespace

PF_DEFINE_CLASS(VNQLSliceCellView, pf::TableCellView)
{
    using Self = VNQLSliceCellView;
    b.method("visibleSliceAction:", &Self::visibleSliceAction);
    b.method("zoomMainViewToObjectAction:", &Self::zoomMainViewToObjectAction);
    b.method("nameAction:", &Self::nameAction);
    b.method("colourAction:", &Self::colourAction);
    b.method("selectNameForEditingAction:", &Self::selectNameForEditingAction);
}

VNQLSliceCellView::VNQLSliceCellView(QWidget* parent) : pf::TableCellView(QRectF(0, 0, 240, 30), parent)
{
    const double width = 240;
    mIconView = new pf::ImageView(this);
    mIconView->setFrame(QRectF(8, 5, 20, 20));
    mIconView->setImageScaling(pf::ImageScaling::ProportionallyUpOrDown);

    mNameField = VNQLRowControls::nameField(this, this, QStringLiteral("nameAction:"));
    mNameField->setFrame(QRectF(32, 5, width - 32 - 46, 20));
    mNameField->setAutoresizingMask(pf::ViewWidthSizable);

    mVisibleButton = VNQLRowControls::imageToggle(QStringLiteral("VN_Layer_Show-Template"),
                                                  QStringLiteral("VN_Layer_Hidden-Template"), this, this,
                                                  QStringLiteral("visibleSliceAction:"));
    mVisibleButton->setFrame(QRectF(width - 42, 6, 18, 18));
    mVisibleButton->setAutoresizingMask(pf::ViewMinXMargin);

    mColourWell = new pf::ColorWell(this);
    mColourWell->setFrame(QRectF(width - 20, 7, 16, 16));
    mColourWell->setAutoresizingMask(pf::ViewMinXMargin);
    mColourWell->setTarget(this);
    mColourWell->setAction(QStringLiteral("colourAction:"));
}

VNQLSliceCellView::~VNQLSliceCellView()
{
    unbind();
}

void VNQLSliceCellView::setObjectValue(const QVariant& value)
{
    pf::Ref<PWXSlice> slice = pf::fromVariant<pf::Ref<PWXSlice>>(value);
    pf::TableCellView::setObjectValue(slice ? value : QVariant());
    setSlice(slice);
}

void VNQLSliceCellView::unbind()
{
    if (!mSlice)
        return;
    mSlice->removeObserver(this);
    mSlice.reset();
}

void VNQLSliceCellView::setSlice(const pf::Ref<PWXSlice>& slice)
{
    if (slice == mSlice)
        return;
    unbind();
    mSlice = slice;
    if (!slice)
        return;
    setIcon(PWXSlice::icon());
    for (const QString& key : kObservedKeys)
        slice->addObserver(this, key, pf::ObservingNew | pf::ObservingInitial, &gSliceContext);
}

void VNQLSliceCellView::observeValueForKeyPath(const QString& keyPath, pf::Reflective*, const QVariantMap&,
                                               void* context)
{
    if (context != &gSliceContext || !mSlice)
        return;
    if (keyPath == QLatin1String("visible"))
        setSliceVisible(mSlice->isVisible());
    else if (keyPath == QLatin1String("name"))
        setName(mSlice->name());
    else if (keyPath == QLatin1String("colour"))
        setColour(mSlice->colour());
}

void VNQLSliceCellView::setSliceVisible(bool visible)
{
    mVisibleButton->setState(visible ? pf::ControlState::On : pf::ControlState::Off);
}

void VNQLSliceCellView::setName(const QString& name)
{
    mNameField->setStringValue(name);
}

void VNQLSliceCellView::setIcon(const QImage& icon)
{
    mIconView->setImage(icon.isNull() ? nullptr : pf::Image::fromQImage(icon));
}

void VNQLSliceCellView::setColour(const QColor& colour)
{
    mColourWell->setColor(pf::Color(colour.isValid() ? colour : QColor(Qt::white)));
}

QString VNQLSliceCellView::titleForTypedName(const QString& typed, qint64 position)
{
    QString title = typed.trimmed();
    const QString suffix = QStringLiteral(" %1").arg(position);
    if (position > 0 && title.endsWith(suffix) && title.size() > suffix.size())
        title.chop(suffix.size());
    return title.trimmed();
}

void VNQLSliceCellView::nameAction(const QVariant&)
{
    if (!mSlice)
        return;
    const QString title = titleForTypedName(mNameField->stringValue(), mSlice->index() + 1);
    if (title.isEmpty()) {
        // An empty name changes nothing; the field shows the name again.
        setName(mSlice->name());
        return;
    }
    mSlice->setValueForKey(title, QStringLiteral("title"));
}

void VNQLSliceCellView::visibleSliceAction(const QVariant& sender)
{
    auto* button = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    if (mSlice && button)
        mSlice->setVisible(button->state() == pf::ControlState::On);
}

void VNQLSliceCellView::zoomMainViewToObjectAction(const QVariant& sender)
{
    if (mSlice)
        mSlice->zoomToSlice(sender);
}

void VNQLSliceCellView::colourAction(const QVariant&)
{
    if (mSlice)
        mSlice->setColour(mColourWell->color().qColor());
}

void VNQLSliceCellView::selectNameForEditingAction(const QVariant&)
{
    VNQLRowControls::beginRenaming(mNameField);
}

void VNQLSliceCellView::updateRowContextualMenu(pf::Menu& menu)
{
    if (!mSlice)
        return;
    pf::Ref<pf::MenuItem> zoom = pf::MenuItem::make(tr("Zoom Main View to This"), QStringLiteral("zoomMainViewToObjectAction:"));
    zoom->setTarget(this);
    menu.insertItem(zoom, 0);
    pf::Ref<pf::MenuItem> rename = pf::MenuItem::make(
        QStringLiteral("%1 \u201C%2\u201D").arg(tr("Rename Slice"), mSlice->name()), QStringLiteral("selectNameForEditingAction:"));
    rename->setTarget(this);
    menu.insertItem(rename, 1);
    menu.insertItem(pf::MenuItem::separator(), 2);
}
