#include "platform/ui/ImageView.h"

#include "platform/foundation/Variant.h"
#include "platform/graphics/Image.h"
#include "platform/ui/DraggingInfo.h"

PF_DEFINE_CLASS_NAMED(pf::ImageView, pf::Control, "pf::ImageView")
{
    b.property("editable", &pf::ImageView::isEditable, &pf::ImageView::setEditable);
    b.property(
        "image", [](const pf::ImageView& view) { return pf::toVariant(view.image()); },
        [](pf::ImageView& view, const QVariant& value) { view.setImage(pf::objectCast<pf::Image>(value)); }, false);
}

namespace pf {

ImageView::ImageView(QWidget* parent)
    : Control(std::make_shared<ImageCell>(), parent)
{
}

ImageCell* ImageView::imageCell() const
{
    return static_cast<ImageCell*>(cell());
}

void ImageView::setCell(const Ref<Cell>& cell)
{
    if (std::dynamic_pointer_cast<ImageCell>(cell))
        Control::setCell(cell);
}

void ImageView::setImage(const Ref<Image>& image)
{
    imageCell()->setImage(image);
    setNeedsDisplay(true);
}

void ImageView::setImageScaling(ImageScaling scaling) { imageCell()->setImageScaling(scaling); setNeedsDisplay(true); }
void ImageView::setImageAlignment(Qt::Alignment alignment) { imageCell()->setImageAlignment(alignment); setNeedsDisplay(true); }
void ImageView::setImageFrameStyle(ImageFrameStyle style) { imageCell()->setImageFrameStyle(style); setNeedsDisplay(true); }

QStringList ImageView::imageDragTypes()
{
    return {NSPasteboardTypePDF, NSPasteboardTypeTIFF, NSPasteboardTypePNG, NSPasteboardTypeFileURL};
}

void ImageView::setEditable(bool editable)
{
    m_editable = editable;
    if (editable)
        registerForDraggedTypes(imageDragTypes());
    else
        unregisterDraggedTypes();
}

Ref<Image> ImageView::imageFromPasteboard(const Pasteboard& pasteboard)
{
    for (const QString& type : {NSPasteboardTypePDF, NSPasteboardTypeTIFF, NSPasteboardTypePNG}) {
        const QByteArray data = pasteboard.dataForType(type);
        if (data.isEmpty())
            continue;
        if (Ref<Image> image = Image::fromData(data))
            return image;
    }
    for (const QUrl& url : pasteboard.readURLs()) {
        if (!url.isLocalFile())
            continue;
        if (Ref<Image> image = Image::fromFile(url.toLocalFile()))
            return image;
    }
    return nullptr;
}

unsigned ImageView::draggingEntered(const DraggingInfo& info)
{
    if (!m_editable || !isEnabled() || !info.draggingPasteboard())
        return DragOperationNone;
    return info.draggingPasteboard()->availableTypeFromArray(imageDragTypes()).isEmpty() ? DragOperationNone
                                                                                         : DragOperationCopy;
}

bool ImageView::performDragOperation(const DraggingInfo& info)
{
    if (!m_editable || !info.draggingPasteboard())
        return false;
    Ref<Image> image = imageFromPasteboard(*info.draggingPasteboard());
    if (!image)
        return false;
    setImage(image);
    sendAction();
    return true;
}

} // namespace pf
