#pragma once

#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWStroke.h"

#include <QPainterPath>

// A stroke with heads at either end of the path, and optionally the path's length written
// along it as a dimension.
//
// Key-value coding (each observable, with undo), besides the stroke's: "arrowHeadAtStart",
// "arrowHeadAtEnd" (HeadKind values), "arrowHeadWidth" (across the line), "arrowHeadLength"
// (along it), "outlineColour" and "outlineWidth" (a line drawn round the heads and the text;
// width 0 draws none), "dimensioningLineOptions" (DimensionOption values), "dimensionTextKind"
// (DimensionTextKind values), "dimensionToleranceOption" (0 or 1).
class PWArrowStroke : public PWStroke {
    PF_CLASS(PWArrowStroke)
public:
    static inline const QString kArrowHeadAtStartKey = QStringLiteral("arrowHeadAtStart");
    static inline const QString kArrowHeadAtEndKey = QStringLiteral("arrowHeadAtEnd");
    static inline const QString kArrowHeadWidthKey = QStringLiteral("arrowHeadWidth");
    static inline const QString kArrowHeadLengthKey = QStringLiteral("arrowHeadLength");
    static inline const QString kOutlineColourKey = QStringLiteral("outlineColour");
    static inline const QString kOutlineWidthKey = QStringLiteral("outlineWidth");
    static inline const QString kDimensioningLineOptionsKey = QStringLiteral("dimensioningLineOptions");
    static inline const QString kDimensionTextKindKey = QStringLiteral("dimensionTextKind");
    static inline const QString kDimensionToleranceOptionKey = QStringLiteral("dimensionToleranceOption");

    // Every head lies within arrowHeadLength of its end of the line and arrowHeadWidth / 2 of
    // the line. Open arrows and bars are drawn as lines of the stroke's width; the others are
    // filled in the stroke's colour.
    enum HeadKind : int {
        HeadNone = 0,
        HeadArrow = 1,
        HeadOpenArrow = 2,
        HeadCircle = 3,
        HeadSquare = 4,
        HeadBar = 5,
        HeadDiamond = 6,
    };
    static constexpr int kLastHeadKind = HeadDiamond;

    // Where the length is written: nowhere, beside the line on its left (above a line drawn
    // left to right), over the line (which breaks around it), or on the right.
    enum DimensionOption : int { DimensionNone = 0, DimensionTextAbove = 1, DimensionTextInline = 2, DimensionTextBelow = 3 };
    // The length with its unit's abbreviation, or the number alone.
    enum DimensionTextKind : int { DimensionTextWithUnits = 0, DimensionTextNumberOnly = 1 };

    static constexpr double kMaxHeadSize = 1000.0;
    static constexpr double kMaxOutlineWidth = 100.0;
    // Lengths are written with this many decimal places; the tolerance, when shown, is one unit
    // of the last of them.
    static constexpr int kDimensionDecimals = 2;

    // No head at the start, an arrow at the end, 8 wide and 10 long, no outline, no dimension.
    PWArrowStroke();
    PWArrowStroke(const PWArrowStroke& other) = default;

    // Kinds outside HeadNone...kLastHeadKind are refused.
    int arrowHeadAtStart() const { return m_headAtStart; }
    void setArrowHeadAtStart(int kind);
    int arrowHeadAtEnd() const { return m_headAtEnd; }
    void setArrowHeadAtEnd(int kind);
    // Clamped to 0...kMaxHeadSize; NaN is refused.
    double arrowHeadWidth() const { return m_headWidth; }
    void setArrowHeadWidth(double width);
    double arrowHeadLength() const { return m_headLength; }
    void setArrowHeadLength(double length);
    const pf::Color& outlineColour() const { return m_outlineColour; }
    void setOutlineColour(const pf::Color& colour);
    // Clamped to 0...kMaxOutlineWidth; NaN is refused.
    double outlineWidth() const { return m_outlineWidth; }
    void setOutlineWidth(double width);
    // Values outside the enumerations are refused.
    int dimensioningLineOptions() const { return m_dimensionOptions; }
    void setDimensioningLineOptions(int options);
    int dimensionTextKind() const { return m_dimensionTextKind; }
    void setDimensionTextKind(int kind);
    // 0 (no tolerance) or 1 ("±" one unit of the last decimal place); others are refused.
    int dimensionToleranceOption() const { return m_toleranceOption; }
    void setDimensionToleranceOption(int option);

    // How far the line is shortened at an end that has a head of `kind`, so that the line
    // ends under the head rather than poking out of its tip: the head's length for an arrow,
    // half of it for circles, squares and diamonds, nothing for open arrows, bars and no head
    // (and for unknown kinds).
    double trimLengthForKind(int kind) const;

    // The text written along the line for a path of `length` points: in the units of the
    // object's drawing when the object is a drawable in one, else in points. Empty when no
    // dimension is shown.
    QString dimensionTextForLength(double length, const PWRenderable* object) const;

    // The line with its heads and text, for any renderable (a drawable or a preview).
    void render(const PWRenderable& object) override;
    void renderPath(const pf::BezierPath& path) override;
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;
    // Any change of a setting drops the drawings kept for redraws.
    void sendDidChange(const QString& keyPath) override;

private:
    // What one drawing is made of: the shortened line, and the filled shapes (heads, text).
    struct Parts {
        pf::Ref<pf::BezierPath> line;
        QPainterPath shapes;
    };
    Parts partsForPath(const pf::BezierPath& path, const QString& text) const;
    QString textForPath(const pf::BezierPath& path, const PWRenderable* object) const;
    // The parts for the object, kept between redraws of the same geometry.
    Parts partsForObject(const PWRenderable& object, const pf::BezierPath& path) const;
    QPainterPath headShape(int kind, const QPointF& tip, double outwardAngle) const;
    void drawParts(const pf::BezierPath& path, const Parts& parts);

    int m_headAtStart = HeadNone;
    int m_headAtEnd = HeadArrow;
    double m_headWidth = 8.0;
    double m_headLength = 10.0;
    pf::Color m_outlineColour = pf::Color::black();
    double m_outlineWidth = 0.0;
    int m_dimensionOptions = DimensionNone;
    int m_dimensionTextKind = DimensionTextWithUnits;
    int m_toleranceOption = 0;
    mutable pw::renderers::GeometryCache<Parts> m_partsCache;
};
