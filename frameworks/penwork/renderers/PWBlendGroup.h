#pragma once

#include "frameworks/penwork/styles/PWRastGroup.h"

// Draws each of its members with a blend mode: every member blends with all that lies under
// it, the group's earlier members included.
//
// Key-value coding (observable, with undo), besides the group's: "blendMode" (the platform's
// compositing value, see PWCompositing.h).
class PWBlendGroup : public PWRastGroup {
    PF_CLASS(PWBlendGroup)
public:
    static inline const QString kBlendModeKey = QStringLiteral("blendMode");

    // Multiply.
    PWBlendGroup();
    PWBlendGroup(const PWBlendGroup& other) = default;

    // Values that are not compositing values are refused.
    int blendMode() const { return m_blendMode; }
    void setBlendMode(int mode);

    void render(const PWRenderable& object) override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;

private:
    int m_blendMode;
};
