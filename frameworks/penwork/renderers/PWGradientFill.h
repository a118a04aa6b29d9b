#pragma once

#include "frameworks/penwork/styles/PWFill.h"

#include "platform/graphics/Gradient.h"

#include <QPointF>

class QPainter;

// Fills the object's path with a gradient, linear or radial, optionally casting a shadow.
// Archives that name the retired class "PWXGradientFill" decode as this class.
//
// Key-value coding (each observable, with undo), besides the fill's: "gradient",
// "gradientType" (Linear or Radial), "gradientAngle" (radians, counter-clockwise as seen, 0 runs
// left to right), "startingLocation" and "endingLocation" (the radial centres, relative to the
// centre of the filled area, each coordinate -0.5...0.5 of the area's size), "startingRadius"
// and "endingRadius" (fractions of the area's larger side), "angleIsRelative" (the angle
// turns with the object), "radialParametersAreRelative" (the radial centres turn with the
// object about the middle of the area).
class PWGradientFill : public PWFill {
    PF_CLASS(PWGradientFill)
public:
    static inline const QString kGradientKey = QStringLiteral("gradient");
    static inline const QString kGradientTypeKey = QStringLiteral("gradientType");
    static inline const QString kGradientAngleKey = QStringLiteral("gradientAngle");
    static inline const QString kStartingLocationKey = QStringLiteral("startingLocation");
    static inline const QString kEndingLocationKey = QStringLiteral("endingLocation");
    static inline const QString kStartingRadiusKey = QStringLiteral("startingRadius");
    static inline const QString kEndingRadiusKey = QStringLiteral("endingRadius");
    static inline const QString kAngleIsRelativeKey = QStringLiteral("angleIsRelative");
    static inline const QString kRadialParametersAreRelativeKey = QStringLiteral("radialParametersAreRelative");
    // The class name older archives use for this class.
    static inline const QString kRetiredClassName = QStringLiteral("PWXGradientFill");

    enum GradientType : int { Linear = 0, Radial = 1 };
    static constexpr double kMaxRadius = 10.0;

    // Linear, white to black, left to right; radial from the centre (radius 0) out to half the
    // larger side.
    PWGradientFill();
    PWGradientFill(const PWGradientFill& other) = default;

    // Null fills nothing. Gradients do not change, so the fill shares the one given.
    pf::Ref<pf::Gradient> gradient() const { return m_gradient; }
    void setGradient(const pf::Ref<pf::Gradient>& gradient);
    // Values other than Linear and Radial are refused.
    int gradientType() const { return m_type; }
    void setGradientType(int type);
    // Not finite values are refused.
    double gradientAngle() const { return m_angle; }
    void setGradientAngle(double radians);
    // Each coordinate is clamped to -0.5...0.5; NaN is refused.
    QPointF startingLocation() const { return m_startingLocation; }
    void setStartingLocation(const QPointF& location);
    QPointF endingLocation() const { return m_endingLocation; }
    void setEndingLocation(const QPointF& location);
    // Clamped to 0...kMaxRadius; NaN is refused.
    double startingRadius() const { return m_startingRadius; }
    void setStartingRadius(double radius);
    double endingRadius() const { return m_endingRadius; }
    void setEndingRadius(double radius);
    bool angleIsRelative() const { return m_angleIsRelative; }
    void setAngleIsRelative(bool relative);
    bool radialParametersAreRelative() const { return m_radialRelative; }
    void setRadialParametersAreRelative(bool relative);

    // Whether gradients with transparency survive PDF export and printing; they do not here.
    static bool pdfTransparencyWorkaround();

    // The stops of the gradient (0 without one); an index out of range raises
    // NSRangeException.
    int numberOfColours() const;
    pf::Color colourAtStopIndex(int index) const;

    // Paints `rect` with the gradient into the current context: a linear one at `angle`
    // (radians), a radial one with the fill's centres and radii.
    void drawInRect(const QRectF& rect, double angle) const;

    // Takes the object's angle into account when the angle or the radial centres are relative.
    void render(const PWRenderable& object) override;
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
    void paintArea(QPainter& painter, const QRectF& area, double linearAngle, double radialTurn) const;
    void renderWithAngle(const pf::BezierPath& path, double objectAngle);

    pf::Ref<pf::Gradient> m_gradient;
    int m_type = Linear;
    double m_angle = 0.0;
    QPointF m_startingLocation;
    QPointF m_endingLocation;
    double m_startingRadius = 0.0;
    double m_endingRadius = 0.5;
    bool m_angleIsRelative = false;
    bool m_radialRelative = false;
};
