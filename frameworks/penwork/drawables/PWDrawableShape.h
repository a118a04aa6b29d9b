#pragma once

#include "frameworks/penwork/drawables/PWDrawableObject.h"

class PWDrawablePath;

// A drawable whose outline is a unit path (within the square -0.5 .. 0.5) placed by the
// object's transform: offset, size, angle and location. Resizing and rotating change only the
// transform, so the outline keeps its proportions within the unit square.
class PWDrawableShape : public PWDrawableObject {
    PF_CLASS(PWDrawableShape)
public:
    // Handles of a selected shape: eight resize handles round the unit square and the
    // rotation handle above its top edge.
    enum Part {
        kTopLeftHandle = 1,
        kTopHandle = 2,
        kTopRightHandle = 3,
        kRightHandle = 4,
        kBottomRightHandle = 5,
        kBottomHandle = 6,
        kBottomLeftHandle = 7,
        kLeftHandle = 8,
        kRotationHandle = 9,
    };

    // How far (in screen units) the rotation handle sits above the top edge.
    static constexpr double kRotationHandleDistance = 20.0;

    PWDrawableShape();
    PWDrawableShape(const PWDrawableShape& other);
    ~PWDrawableShape() override;

    // New shapes filling `rect` (drawing coordinates); a null style means the default style.
    static pf::Ref<PWDrawableShape> drawableShapeWithRect(const QRectF& rect, pf::Ref<PWStyle> style = nullptr);
    static pf::Ref<PWDrawableShape> drawableShapeWithOvalInRect(const QRectF& rect, pf::Ref<PWStyle> style = nullptr);
    // A shape whose outline is `path` (drawing coordinates): placed on the path's bounds, angle 0.
    static pf::Ref<PWDrawableShape> drawableShapeWithPath(const pf::BezierPath& path, pf::Ref<PWStyle> style = nullptr);

    // Whether the handles of selected shapes are drawn (and hit).
    static bool showsDirectControls();
    static void setShowsDirectControls(bool shows);

    // The unit path (a copy).
    pf::Ref<pf::BezierPath> path() const;
    // Normalises `path` into the unit square (scaled to fill it, centred; a path of no width or
    // no height is centred along that axis) and keeps the shape's transform. Null or empty
    // paths and paths with coordinates that are not finite are refused.
    void setPath(const pf::Ref<pf::BezierPath>& path);
    // Fits the shape to `path` (drawing coordinates): its bounds become the shape's, the angle 0.
    void adoptPath(const pf::BezierPath& path);

    // The outline in drawing coordinates (the unit path through transform()).
    pf::Ref<pf::BezierPath> transformedPath() const;
    // A path object with this outline and style, and this object's name and metadata.
    pf::Ref<PWDrawablePath> makePath() const;

    pf::Ref<pf::BezierPath> renderingPath() const override;
    QRectF logicalBounds() const override;
    quint64 geometryChecksum() const override;

    QList<int> knobParts() const override;
    QPointF knobPoint(int part) const override;
    int hitPart(const QPointF& point) const override;
    void mouseDraggedAtPoint(const QPointF& point, int part, bool controlFlag) override;
    void drawSelectedState() override;

    void group(PWShapeGroup* group, const QTransform& transform) override;
    bool objectIsValid() const override;
    QString displayName() const override;

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    // Resizes by dragging handle `part` to `point`, the opposite edges staying put.
    void dragResizeHandle(int part, const QPointF& point);
    void dragRotationHandle(const QPointF& point);

    pf::Ref<pf::BezierPath> m_path;
};
