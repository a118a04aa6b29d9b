#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSizeF>

#include <memory>

namespace pf {

// One form of an image's content: a bitmap, vector drawing or PDF page. Its size is in
// points; drawing maps the whole representation onto a rectangle in the painter's (y-down)
// coordinates. Representations do not change once made, so images share them between copies.
class ImageRep {
public:
    explicit ImageRep(QSizeF size) : m_size(size) {}
    virtual ~ImageRep() = default;

    QSizeF size() const { return m_size; }
    // Pixels across and down; 0 for content without pixels of its own.
    virtual int pixelsWide() const { return 0; }
    virtual int pixelsHigh() const { return 0; }
    virtual bool isVector() const { return false; }

    // Draws the whole content into `target`.
    virtual void draw(QPainter& painter, const QRectF& target) const = 0;
    // The content as a transparent-backed image of `pixels`.
    virtual QImage rasterize(QSize pixels) const;

private:
    QSizeF m_size;
};

using ImageRepRef = std::shared_ptr<const ImageRep>;

} // namespace pf
