#include "styleeditor/PWXStyleImageView.h"

#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/archiving/PWStylePasteboard.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Pasteboard.h"
#include "widgets/View+StyleDragging.h"

PF_DEFINE_CLASS(PWXStyleImageView, pf::ImageView)
{
    b.method("styleChanged:", [](PWXStyleImageView& view, const QVariantList&) {
        view.styleChanged();
        return QVariant();
    });
}

PWXStyleImageView::PWXStyleImageView(QWidget* parent) : pf::ImageView(parent)
{
    setImageScaling(pf::ImageScaling::ProportionallyUpOrDown);
    registerStyleDragTypes();
}

PWXStyleImageView::~PWXStyleImageView()
{
    if (mObservation)
        pf::NotificationCenter::defaultCenter().removeObserver(mObservation);
}

void PWXStyleImageView::registerStyleDragTypes()
{
    // Only styles: the image view's own picture types would let any image replace the swatch.
    unregisterDraggedTypes();
    registerForDraggedTypes({kPWStylePasteboardType, kPWStyleKeyPasteboardType});
}

void PWXStyleImageView::awakeFromNib()
{
    registerStyleDragTypes();
}

void PWXStyleImageView::setStyle(const pf::Ref<pf::Object>& object)
{
    auto& centre = pf::NotificationCenter::defaultCenter();
    if (mObservation) {
        centre.removeObserver(mObservation);
        mObservation = 0;
    }
    mStyle = object;
    if (mStyle) {
        mObservation = centre.addObserver(kPWStyleDidChangeNotification, mStyle.get(),
                                          [this](const pf::Notification&) { styleChanged(); });
    }
    updateImage();
}

void PWXStyleImageView::styleChanged()
{
    updateImage();
}

void PWXStyleImageView::updateImage()
{
    QImage picture;
    if (const auto style = std::dynamic_pointer_cast<PWStyle>(mStyle))
        picture = style->image();
    else if (const auto master = std::dynamic_pointer_cast<PWXSymbolMaster>(mStyle))
        picture = master->image();
    setImage(picture.isNull() ? nullptr : pf::Image::fromQImage(picture));
}

void PWXStyleImageView::mouseDown(const pf::Event& event)
{
    if (!mStyle)
        return;
    dragStyleOrSymbol(*this, mStyle, event, this, true);
}

unsigned PWXStyleImageView::draggingSourceOperationMask(pf::DraggingContext context)
{
    return context == pf::DraggingContext::WithinApplication ? pf::DragOperationGeneric : pf::DragOperationNone;
}

bool PWXStyleImageView::isOwnDrag(const pf::DraggingInfo& info) const
{
    return info.draggingSource() == static_cast<const pf::DraggingSource*>(this);
}

unsigned PWXStyleImageView::draggingEntered(const pf::DraggingInfo& info)
{
    return isOwnDrag(info) ? pf::DragOperationNone : pf::DragOperationCopy;
}

bool PWXStyleImageView::prepareForDragOperation(const pf::DraggingInfo& info)
{
    return !isOwnDrag(info);
}

bool PWXStyleImageView::performDragOperation(const pf::DraggingInfo& info)
{
    if (isOwnDrag(info) || !info.draggingPasteboard())
        return false;
    const pf::Ref<PWStyle> style = PWStylePasteboard::styleFromPasteboard(*info.draggingPasteboard());
    if (!style)
        return false;
    setStyle(style);
    if (!mAction.isEmpty())
        pf::Control::sendAction(mAction, mTarget);
    return true;
}
