#pragma once

#include "frameworks/penwork/styles/PWRastGroup.h"

// Draws its members blurred: their rendering is made in an image of its own, blurred there and
// put in place.
//
// Key-value coding (each observable, with undo), besides the group's: "blurAmount" (the blur's
// radius in points), "blurAngle" (degrees; the direction of a motion blur, unused by the other
// types), "blurType" (BlurType values), "clipping" (the blurred drawing only outside the
// object's path, 1, or only inside it, 2; 0 anywhere), and "displayName", which follows the
// type.
class PWCIFilterTypeBlurGroup : public PWRastGroup {
    PF_CLASS(PWCIFilterTypeBlurGroup)
public:
    static inline const QString kBlurAmountKey = QStringLiteral("blurAmount");
    static inline const QString kBlurAngleKey = QStringLiteral("blurAngle");
    static inline const QString kBlurTypeKey = QStringLiteral("blurType");
    static inline const QString kClippingKey = QStringLiteral("clipping");
    static inline const QString kDisplayNameKey = QStringLiteral("displayName");

    enum BlurType : int { BlurGaussian = 0, BlurBox = 1, BlurDisc = 2, BlurMotion = 3 };
    static constexpr int kLastBlurType = BlurMotion;

    // Accepted range; values beyond are clamped, NaN is refused.
    static constexpr double kMaxBlurAmount = 500.0;

    // A Gaussian blur of 4 points, unclipped.
    PWCIFilterTypeBlurGroup();
    PWCIFilterTypeBlurGroup(const PWCIFilterTypeBlurGroup& other) = default;

    double blurAmount() const { return m_amount; }
    void setBlurAmount(double amount);
    // Not finite values are refused.
    double blurAngle() const { return m_angle; }
    void setBlurAngle(double degrees);
    // BlurType values; others are refused.
    int blurType() const { return m_type; }
    void setBlurType(int type);
    // 0, 1 or 2; others are refused.
    int clipping() const { return m_clipping; }
    void setClipping(int clipping);

    void render(const PWRenderable& object) override;
    // The members' bounds grown by the blur's reach.
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    // "Gaussian Blur", "Box Blur", "Disc Blur" or "Motion Blur".
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;

private:
    double m_amount = 4.0;
    double m_angle = 0.0;
    int m_type = BlurGaussian;
    int m_clipping = 0;
};
