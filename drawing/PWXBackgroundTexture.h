#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"

#include <QImage>
#include <QString>

// One choice of drawing background: a name, the colour painted with (a pattern colour for a
// texture image) and a small swatch for the menu.
class PWXBackgroundTexture : public pf::Object {
    PF_CLASS(PWXBackgroundTexture)
public:
    // The name that stands for a plain-colour background.
    static const QString kFixedColourName;
    static constexpr int kSwatchWidth = 48;
    static constexpr int kSwatchHeight = 24;

    // The texture of an image file, named after the file ("rough paper.png" is "Rough Paper");
    // null for a file that does not load as an image.
    static pf::Ref<PWXBackgroundTexture> textureWithPath(const QString& path);
    static pf::Ref<PWXBackgroundTexture> textureWithImage(const QImage& image, const QString& name);
    static pf::Ref<PWXBackgroundTexture> textureWithColor(const pf::Color& colour);
    // A swatch filled entirely with `colour` (tiled for a pattern).
    static QImage swatchOfColour(const pf::Color& colour);
    // Each word with its first letter in upper case and the rest in lower case.
    static QString capitalized(const QString& text);

    const pf::Color& color() const { return m_color; }
    void setColor(const pf::Color& colour) { m_color = colour; }
    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    QImage image() const { return m_image; }
    void setImage(const QImage& image) { m_image = image; }

private:
    pf::Color m_color;
    QString m_name;
    QImage m_image;
};
