#pragma once

#include "frameworks/penwork/styles/PWStroke.h"

// A stroke along a roughened copy of the object's path, as if drawn by an unsteady hand. The
// roughening is seeded from the object's geometry, so an object redraws the same way until its
// path changes.
//
// Key-value coding (observable, with undo), besides the stroke's: "roughness", how far the
// line may stray from the path, in points.
class PWRoughStroke : public PWStroke {
    PF_CLASS(PWRoughStroke)
public:
    static inline const QString kRoughnessKey = QStringLiteral("roughness");
    static constexpr double kMaxRoughness = 1000.0;

    // Roughness 1.
    PWRoughStroke();
    PWRoughStroke(const PWRoughStroke& other) = default;

    double roughness() const { return m_roughness; }
    // Clamped to 0...kMaxRoughness; NaN is refused.
    void setRoughness(double roughness);

    pf::Ref<pf::BezierPath> pathForObject(const PWRenderable& object) const override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;

private:
    double m_roughness = 1.0;
};
