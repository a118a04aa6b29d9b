#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QString>

class QPainter;
class VNQLTabContentView;

// The picture of one tab in the strip: a frame in the strip's coordinates, a stacking order
// and two parts, the title and the icon. The tab it shows lays the parts out and draws the
// background; the strip paints the layers it holds in stacking order.
class VNQLTabLayer {
public:
    struct TextPart {
        QString string;
        QColor colour;
        QRectF frame;
        bool hidden = false;
    };
    struct ImagePart {
        QImage contents;
        QRectF frame;
        bool hidden = false;
    };

    explicit VNQLTabLayer(VNQLTabContentView* contentView) : m_view(contentView) {}

    VNQLTabContentView* contentView() const { return m_view; }

    QRectF frame() const { return m_frame; }
    // A frame of another size lays the parts out again.
    void setFrame(const QRectF& frame);
    QRectF bounds() const { return QRectF(QPointF(0, 0), m_frame.size()); }
    double zPosition() const { return m_zPosition; }
    void setZPosition(double z) { m_zPosition = z; }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    // Whether the layer is in a strip.
    bool hasSuperlayer() const { return m_inStrip; }
    void setInStrip(bool inStrip) { m_inStrip = inStrip; }

    TextPart& label() { return m_label; }
    const TextPart& label() const { return m_label; }
    ImagePart& icon() { return m_icon; }
    const ImagePart& icon() const { return m_icon; }

    // Asks the tab to place the parts within the bounds.
    void layoutSublayers();
    // Draws background, icon and title with the painter's origin at the layer's top-left.
    void draw(QPainter& painter) const;

private:
    QPointer<VNQLTabContentView> m_view;
    QRectF m_frame;
    double m_zPosition = 0;
    bool m_hidden = false;
    bool m_inStrip = false;
    TextPart m_label;
    ImagePart m_icon;
};
