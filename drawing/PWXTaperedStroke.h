#pragma once

#include "drawing/PWXEasing.h"
#include "drawing/PWXObjectPathCache.h"

#include "frameworks/penwork/styles/PWStroke.h"

// A stroke of the renderer's width whose two ends narrow to a point over a share of the path's
// length, following an easing profile. Archives of older versions name the class
// "PWXTaperedStrokeRasterizer"; it reads as this one.
//
// Key-value coding (each observable through the renderer change protocol, with undo), besides
// the stroke's: "taperKind", "taperProportion" (both ends at once, 0..0.5),
// "leftTaperEnabled", "rightTaperEnabled", "leftTaperProportion", "rightTaperProportion" (each
// 0..0.99, and never together above 1: setting one shortens the other).
class PWXTaperedStroke : public PWStroke {
    PF_CLASS(PWXTaperedStroke)
public:
    static inline const QString kTaperKindKey = QStringLiteral("taperKind");
    static inline const QString kTaperProportionKey = QStringLiteral("taperProportion");
    static inline const QString kLeftTaperEnabledKey = QStringLiteral("leftTaperEnabled");
    static inline const QString kRightTaperEnabledKey = QStringLiteral("rightTaperEnabled");
    static inline const QString kLeftTaperProportionKey = QStringLiteral("leftTaperProportion");
    static inline const QString kRightTaperProportionKey = QStringLiteral("rightTaperProportion");

    static constexpr double kMaxEndProportion = 0.99;
    // The taper pieces overlap the middle by this much, so that no seam shows.
    static constexpr double kSeamOverlap = 0.5;
    // The taper pieces are cut into lines this long before their outlines are built.
    static constexpr double kFragmentLength = 0.2;
    static constexpr double kTaperFlatness = 0.05;

    PWXTaperedStroke() = default;
    PWXTaperedStroke(const PWXTaperedStroke& other) = default;
    static pf::Ref<PWXTaperedStroke> defaultTaperedStroke();

    // The left proportion; the setter clamps to 0..0.5 and sets both ends.
    double taperProportion() const { return m_leftTaperProportion; }
    void setTaperProportion(double proportion);
    double leftTaperProportion() const { return m_leftTaperProportion; }
    void setLeftTaperProportion(double proportion);
    double rightTaperProportion() const { return m_rightTaperProportion; }
    void setRightTaperProportion(double proportion);
    int taperKind() const { return m_taperKind; }
    void setTaperKind(int kind);
    bool leftTaperEnabled() const { return m_leftTaperEnabled; }
    void setLeftTaperEnabled(bool enabled);
    bool rightTaperEnabled() const { return m_rightTaperEnabled; }
    void setRightTaperEnabled(bool enabled);

    pwx::TaperFunction leftTaperFunction() const;
    pwx::TaperFunction rightTaperFunction() const;

    // The closed outline to fill for `path`. With no taper of any length (both proportions 0,
    // or neither end enabled) it is the plain constant-width outline.
    pf::Ref<pf::BezierPath> taperPathForPath(const pf::BezierPath& path) const;

    // The outline of the object's path moved by the lateral offset.
    pf::Ref<pf::BezierPath> outlinedStrokeForObject(const PWRenderable& object) const override;
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
    void sendDidChange(const QString& keyPath) override;

private:
    bool tapers() const { return m_leftTaperEnabled || m_rightTaperEnabled; }
    void fillOutline(const pf::BezierPath& outline);
    pf::Ref<pf::BezierPath> lineWithAttributes(const pf::BezierPath& path) const;

    double m_leftTaperProportion = 0.5;
    double m_rightTaperProportion = 0.5;
    int m_taperKind = 0;
    bool m_leftTaperEnabled = true;
    bool m_rightTaperEnabled = true;

    PWXObjectPathCache<pf::Ref<pf::BezierPath>> m_outlines;
};
