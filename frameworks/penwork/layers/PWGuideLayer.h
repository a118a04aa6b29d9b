#pragma once

#include "frameworks/penwork/layers/PWLayer.h"

#include <QList>
#include <QSizeF>

inline const QString kPWGuideLayerDidAddGuide = QStringLiteral("kPWGuideLayerDidAddGuide");
inline const QString kPWGuideLayerDidRemoveGuide = QStringLiteral("kPWGuideLayerDidRemoveGuide");

// Horizontal and vertical guide lines that points snap to. Adding, removing and moving a guide
// records undo; clearing all guides does not. A guide moved outside the deletion rectangle is
// removed. Snapping works while the layer is visible, within snapTolerance points.
class PWGuideLayer : public PWLayer {
    PF_CLASS(PWGuideLayer)
public:
    PWGuideLayer();

    // Positions in drawing coordinates: y of horizontal guides, x of vertical ones, in the
    // order they were added.
    QList<double> horizontalGuides() const { return m_horizontal; }
    QList<double> verticalGuides() const { return m_vertical; }
    qint64 countOfGuides() const { return m_horizontal.size() + m_vertical.size(); }
    bool hasGuides() const { return countOfGuides() > 0; }

    // Non-finite positions are refused.
    void addHorizontalGuide(double y);
    void addVerticalGuide(double x);
    // False when there is no guide at that position.
    bool removeHorizontalGuide(double y);
    bool removeVerticalGuide(double x);
    // Moves the guide at `from`; outside the deletion rectangle it is removed instead.
    bool moveHorizontalGuide(double from, double to);
    bool moveVerticalGuide(double from, double to);
    // Removes every guide, without undo.
    void clearGuides();

    // Null means guides are never deleted by moving.
    QRectF guideDeletionRect() const { return m_deletionRect; }
    void setGuideDeletionRect(const QRectF& rect) { m_deletionRect = rect.normalized(); }
    double snapTolerance() const { return m_tolerance; }
    void setSnapTolerance(double tolerance);

    // The point with x moved to the nearest vertical guide and y to the nearest horizontal one,
    // each only within the tolerance.
    QPointF snapPointToGuides(const QPointF& point) const;
    // The smallest correction, per axis, that puts one of the points on a guide (0 when none is
    // within the tolerance).
    QSizeF snapPointsToGuide(const QList<QPointF>& points) const;

    bool layerMayBecomeActive() const override { return false; }
    bool shouldDrawToPrinter() const override { return false; }
    bool hitLayer(const QPointF& point) const override;
    bool respondsTo(const QString& selector) const override;
    pf::Ref<PWLayer> duplicateLayer() const override { return nullptr; }
    void drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting) override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    enum class Axis { Horizontal, Vertical };
    QList<double>& guides(Axis axis) { return axis == Axis::Horizontal ? m_horizontal : m_vertical; }
    void addGuide(Axis axis, double position);
    bool removeGuide(Axis axis, double position);
    bool moveGuide(Axis axis, double from, double to);
    void guideChanged(double position, Axis axis);
    // The nearest guide within the tolerance, as an offset from `position`; false when none.
    bool nearestOffset(const QList<double>& positions, double position, double* offset) const;

    QList<double> m_horizontal;
    QList<double> m_vertical;
    QRectF m_deletionRect;
    double m_tolerance = 6.0;
};
