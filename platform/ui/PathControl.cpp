#include "platform/ui/PathControl.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

namespace pf {

PF_DEFINE_CLASS(PathComponentCell, Object) {}

namespace {

constexpr int kMargin = 4;
constexpr int kGap = 3;
constexpr int kSeparatorWidth = 12;
constexpr int kMinimumTitleWidth = 24;

} // namespace

PathControl::PathControl(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QFont small = font();
    small.setPointSizeF(std::max(7.0, small.pointSizeF() - 1.5));
    setFont(small);
}

void PathControl::setURL(const QUrl& url)
{
    m_url = url;
    m_cells.clear();
    m_clicked = nullptr;
    const QString path = url.path(QUrl::FullyDecoded);
    QString upTo;
    for (const QString& component : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        upTo += QLatin1Char('/') + component;
        auto cell = std::make_shared<PathComponentCell>();
        cell->setTitle(component);
        QUrl cellURL = url;
        cellURL.setPath(upTo, QUrl::DecodedMode);
        cell->setURL(cellURL);
        m_cells.append(cell);
    }
    updateGeometry();
    update();
}

QSize PathControl::sizeHint() const
{
    const QFontMetrics metrics(font());
    int width = 2 * kMargin;
    for (const Ref<PathComponentCell>& cell : m_cells)
        width += kIconSize + kGap + metrics.horizontalAdvance(cell->title()) + kSeparatorWidth;
    return QSize(width, std::max(kIconSize, metrics.height()) + 6);
}

QList<QRect> PathControl::cellRects() const
{
    const QFontMetrics metrics(font());
    QList<int> widths;
    int total = 2 * kMargin;
    for (const Ref<PathComponentCell>& cell : m_cells) {
        const int w = (cell->image().isNull() ? 0 : kIconSize + kGap) + metrics.horizontalAdvance(cell->title());
        widths.append(w);
        total += w + kSeparatorWidth;
    }
    // Squeeze the leading components (never below a little room) until the row fits.
    int excess = total - width();
    for (int i = 0; i + 1 < widths.size() && excess > 0; ++i) {
        const int least = std::min(widths[i], kIconSize + kGap + kMinimumTitleWidth);
        const int take = std::min(excess, widths[i] - least);
        widths[i] -= take;
        excess -= take;
    }
    QList<QRect> rects;
    int x = kMargin;
    for (int w : widths) {
        rects.append(QRect(x, 0, w, height()));
        x += w + kSeparatorWidth;
    }
    return rects;
}

void PathControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QList<QRect> rects = cellRects();
    const QFontMetrics metrics(font());
    for (int i = 0; i < m_cells.size(); ++i) {
        const PathComponentCell& cell = *m_cells[i];
        QRect rect = rects[i];
        if (!cell.image().isNull()) {
            const QRect iconRect(rect.left(), (height() - kIconSize) / 2, kIconSize, kIconSize);
            painter.drawImage(iconRect, cell.image().scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
            rect.setLeft(rect.left() + kIconSize + kGap);
        }
        painter.setPen(palette().color(isEnabled() ? QPalette::WindowText : QPalette::PlaceholderText));
        painter.drawText(rect, Qt::AlignVCenter | Qt::AlignLeft, metrics.elidedText(cell.title(), Qt::ElideRight, rect.width()));
        if (i + 1 < m_cells.size()) {
            // A chevron between components.
            const double cx = rects[i].right() + kSeparatorWidth / 2.0;
            const double cy = height() / 2.0;
            painter.setPen(QPen(palette().color(QPalette::PlaceholderText), 1.2));
            painter.drawPolyline(QPolygonF({QPointF(cx - 2, cy - 4), QPointF(cx + 2, cy), QPointF(cx - 2, cy + 4)}));
        }
    }
}

void PathControl::mousePressEvent(QMouseEvent* event)
{
    const QList<QRect> rects = cellRects();
    for (int i = 0; i < rects.size(); ++i)
        if (rects[i].contains(event->position().toPoint())) {
            m_clicked = m_cells[i].get();
            if (action)
                action(m_clicked);
            return;
        }
    QWidget::mousePressEvent(event);
}

} // namespace pf
