#pragma once

#include "frameworks/penwork/styles/PWFill.h"

#include <QList>
#include <QRectF>
#include <QTransform>

class PWDrawableObject;

// Fills the object's path with a tile of drawing objects repeated edge to edge: the objects
// lie in the pattern's own space, the tile is a rectangle of that space, and the pattern
// transform maps that space onto the drawing relative to the top left corner of the path's
// bounds, so that the tiles move with the object. What of the objects lies outside the tile
// is cut off. The fill's own colour is not drawn.
//
// Key-value coding: "opacity" (observable, with undo), besides the fill's keys.
class PWObjectPatternFill : public PWFill {
    PF_CLASS(PWObjectPatternFill)
public:
    static inline const QString kOpacityKey = QStringLiteral("opacity");
    // The tile is drawn at most this many pixels a side, however far the view zooms in.
    static constexpr int kMaxTileSide = 2048;
    // Patterns within patterns are drawn this deep at most.
    static constexpr int kMaxNesting = 8;

    PWObjectPatternFill();
    PWObjectPatternFill(const PWObjectPatternFill& other);

    // `objects` in pattern space, drawn in order; a tile without width or height fills nothing.
    void setTile(const QList<pf::Ref<PWDrawableObject>>& objects, const QRectF& tile, const QTransform& transform);
    QList<pf::Ref<PWDrawableObject>> objects() const { return m_objects; }
    QRectF tile() const { return m_tile; }
    // Pattern space to drawing space, less the top left corner of the filled path's bounds.
    QTransform patternTransform() const { return m_transform; }
    double opacity() const { return m_opacity; }
    // Clamped to 0...1; NaN is refused.
    void setOpacity(double opacity);

    void renderPath(const pf::BezierPath& path) override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;

private:
    QList<pf::Ref<PWDrawableObject>> m_objects;
    QRectF m_tile;
    QTransform m_transform;
    double m_opacity = 1.0;
};
