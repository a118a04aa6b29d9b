#pragma once

#include "platform/ui/Control.h"
#include "platform/ui/ImageCell.h"

namespace pf {

// Shows an image through its ImageCell with a scaling, alignment and frame style. An
// editable image view takes images dropped on it (PDF, TIFF, PNG data or image files),
// replaces its image and sends its action; a drop it cannot read leaves the image as it was.
class ImageView : public Control {
    Q_OBJECT
    PF_CLASS(ImageView)
public:
    explicit ImageView(QWidget* parent = nullptr);

    ImageCell* imageCell() const;
    void setCell(const Ref<Cell>& cell) override;

    Ref<Image> image() const { return imageCell()->image(); }
    void setImage(const Ref<Image>& image);
    ImageScaling imageScaling() const { return imageCell()->imageScaling(); }
    void setImageScaling(ImageScaling scaling);
    Qt::Alignment imageAlignment() const { return imageCell()->imageAlignment(); }
    void setImageAlignment(Qt::Alignment alignment);
    ImageFrameStyle imageFrameStyle() const { return imageCell()->imageFrameStyle(); }
    void setImageFrameStyle(ImageFrameStyle style);

    bool isEditable() const { return m_editable; }
    // Registers for the image drag types, or unregisters.
    void setEditable(bool editable);
    // The pasteboard types an editable view reads images from.
    static QStringList imageDragTypes();

    unsigned draggingEntered(const DraggingInfo& info) override;
    bool performDragOperation(const DraggingInfo& info) override;

    // The image on a pasteboard in the first readable type; null when there is none.
    static Ref<Image> imageFromPasteboard(const Pasteboard& pasteboard);

private:
    bool m_editable = false;
};

} // namespace pf
