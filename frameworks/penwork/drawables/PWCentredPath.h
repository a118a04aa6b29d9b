#pragma once

#include "frameworks/penwork/drawables/PWDrawablePath.h"

#include <functional>

// A path drawn from parameters about a centre (its location) and a radius: arcs and regular
// polygons. The path is rebuilt whenever a parameter changes; resizing scales the radius by the
// smaller of the two factors, so the figure keeps its proportions. Its points are not edited
// one by one: makePlainPath gives a plain path with the same outline.
class PWCentredPath : public PWDrawablePath {
    PF_CLASS(PWCentredPath)
public:
    // Positive and finite.
    double radius() const { return m_radius; }
    void setRadius(double radius);

    QPointF location() const override { return m_centre; }
    void setLocation(const QPointF& location) override;
    void setSize(const QSizeF& size) override;

    // A plain path with this outline, style, name and metadata.
    pf::Ref<PWDrawablePath> makePlainPath() const;

    QList<int> knobParts() const override { return {}; }
    void mouseDraggedAtPoint(const QPointF& point, int part, bool controlFlag) override;
    void group(PWShapeGroup* group, const QTransform& transform) override;
    QString displayName() const override;

protected:
    PWCentredPath() = default;
    PWCentredPath(const PWCentredPath& other) = default;

    virtual void rebuildPath() = 0;
    // Records the undo, announces `key` around the change and rebuilds the path.
    void changeParameter(const QString& key, const QString& setter, const QVariant& oldValue,
                         const std::function<void()>& change);
    // Archived centre and radius, made sane.
    void setDecodedCentreAndRadius(const QPointF& centre, double radius);

    static bool finitePoint(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

    QPointF m_centre;
    double m_radius = 50.0;
};
