#pragma once

#include "frameworks/penwork/styles/PWRasterizer.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Shadow.h"

// Fills the object's path in a colour, by the path's winding rule, optionally casting a shadow.
//
// Key-value coding (each observable, with undo): "colour", "shadow"; "hasShadow" reads only.
class PWFill : public PWRasterizer {
    PF_CLASS(PWFill)
public:
    static inline const QString kColourKey = QStringLiteral("colour");
    static inline const QString kShadowKey = QStringLiteral("shadow");

    // Grey, no shadow.
    PWFill();
    explicit PWFill(const pf::Color& colour);
    PWFill(const PWFill& other);
    static pf::Ref<PWFill> fillWithColour(const pf::Color& colour);

    const pf::Color& colour() const { return m_colour; }
    // An invalid or clear colour fills nothing, not even a shadow. Patterns tile.
    void setColour(const pf::Color& colour);
    // Null for none; kept as given (edits in place are announced with the key path "shadow").
    pf::Ref<pf::Shadow> shadow() const { return m_shadow; }
    void setShadow(const pf::Ref<pf::Shadow>& shadow);
    bool hasShadow() const { return m_shadow != nullptr; }

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

private:
    pf::Color m_colour = pf::Color::grey();
    pf::Ref<pf::Shadow> m_shadow;
};
