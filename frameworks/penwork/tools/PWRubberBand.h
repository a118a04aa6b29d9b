#pragma once

#include <QLineF>
#include <QPointF>

#include <optional>

class PWToolView;
class QPainter;

// The edge that follows the pointer while a shape is built click by click: from the last
// point placed to the pointer (and, for closed shapes, on back to the first point).
class PWRubberBand {
public:
    // Follows the pointer from `last` (and back to `first` when given); redraws the old and
    // the new band in `view`.
    void follow(const QPointF& last, const QPointF& pointer, std::optional<QPointF> first, PWToolView* view);
    // Stops showing; redraws where the band was.
    void clear(PWToolView* view = nullptr);
    bool isShown() const { return m_line.has_value(); }
    // The edge from the last point to the pointer, when shown.
    std::optional<QLineF> line() const { return m_line; }
    std::optional<QLineF> closingLine() const { return m_closing; }
    // Drawn as a thin dashed line, the same on screen at any scale.
    void draw(QPainter& painter, double scale) const;

private:
    void invalidate(PWToolView* view) const;

    std::optional<QLineF> m_line;
    std::optional<QLineF> m_closing;
};
