#pragma once

#include "frameworks/penwork/drawables/PWDrawableObject.h"

class PWDrawableShape;

// A drawable whose outline is a path held in drawing coordinates. Its location is the centre
// of the path's bounds and its size their size; moving, resizing and rotating transform the
// path's points. The angle records the rotation applied so far.
//
// Points are addressed by part codes: element i, point j (0 .. 2 of its points) has the code
// i * 4 + j + 1.
class PWDrawablePath : public PWDrawableObject {
    PF_CLASS(PWDrawablePath)
public:
    PWDrawablePath();
    explicit PWDrawablePath(const pf::BezierPath& path, pf::Ref<PWStyle> style = nullptr);
    PWDrawablePath(const PWDrawablePath& other);
    ~PWDrawablePath() override;

    // A null style means the default style.
    static pf::Ref<PWDrawablePath> drawablePathWithPath(const pf::BezierPath& path, pf::Ref<PWStyle> style = nullptr);

    // Class settings, kept in the user defaults (PWClassSettings).
    static bool defaultOnPathHitDetectionPriority();
    static void setDefaultOnPathHitDetectionPriority(bool priority);
    static bool autoClosesPath();
    static void setAutoClosesPath(bool autoCloses);
    // Positive and finite; other values are ignored.
    static double defaultFreehandEpsilon();
    static void setDefaultFreehandEpsilon(double epsilon);
    static bool combinesEndPointsOfClosedPath();
    static void setCombinesEndPointsOfClosedPath(bool combines);

    static int partCode(int element, int point) { return element * 4 + point + 1; }
    // False for codes that name no point of the current path.
    bool elementAndPointForPart(int part, int* element, int* point) const;

    // The path (a copy). Setting refuses null paths and paths with coordinates that are not
    // finite.
    pf::Ref<pf::BezierPath> path() const;
    void setPath(const pf::Ref<pf::BezierPath>& path);

    // The length along the path. Setting a shorter length trims the path; a longer one extends
    // its last segment along its end direction. Negative or non-finite lengths are refused, and
    // so is a length for a path with nothing to measure.
    double length() const;
    void setLength(double length);
    // The length along the path up to its point nearest `point`, or -1 when the path does not
    // pass within `tolerance`.
    double lengthForPoint(const QPointF& point, double tolerance = 4.0) const;
    // Cuts the path at `length`: the receiver keeps the part before, the part after comes back
    // as a new path object with the same style. Null when the cut would leave either part
    // empty (a length <= 0 or >= the length).
    pf::Ref<PWDrawablePath> dividePathAtLength(double length);

    // Point editing (undoable through setPath).
    // Moves the point of `part` to `point`; a curve's control points of an on-curve point move
    // with it. False for an unknown part.
    bool movePathPart(int part, const QPointF& point);
    // Inserts a point on the path where it passes nearest `point` (within `tolerance`),
    // splitting that segment; answers the new point's part code or 0.
    int insertPointAtPoint(const QPointF& point, double tolerance = 4.0);
    // Removes the on-curve point of `part` (a sub-path left with one point goes entirely);
    // false for an unknown part or the last point of the path.
    bool deletePointAtPart(int part);
    bool isPathClosed() const;
    // Closes (or opens) the last sub-path.
    void closePath();
    void openPath();
    void reversePath();

    // One straight segment: two points joined by a line, or a curve whose control points lie
    // on that line.
    bool isSimpleStraightLine() const;

    // The path's flatness (see pf::BezierPath::setFlatness).
    double flatness() const;
    void setFlatness(double flatness);
    pf::Ref<pf::BezierPath> flattenedPath() const;
    // Replaces the curves of the path by lines.
    void flattenPath();

    // A new path object at `distance` to the side of this one (positive: left of travel),
    // smoothed through its points when `smooth`; null when there is no such path.
    pf::Ref<PWDrawablePath> makeParallelWithOffset(double distance, bool smooth) const;
    // A shape with this outline and style, and this object's name and metadata.
    pf::Ref<PWDrawableShape> makeShape() const;

    QPointF location() const override;
    void setLocation(const QPointF& location) override;
    QSizeF size() const override;
    void setSize(const QSizeF& size) override;
    void setAngle(double angle) override;
    QTransform transform() const override;

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
    QString description() const override;

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    // Replaces the path by itself transformed, as one undoable geometry edit.
    void transformPath(const QTransform& transform);

    pf::Ref<pf::BezierPath> m_path;
};
