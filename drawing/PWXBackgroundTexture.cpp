#include "drawing/PWXBackgroundTexture.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

const QString PWXBackgroundTexture::kFixedColourName = QStringLiteral("PW_FIXED_COLOUR");

PF_DEFINE_CLASS(PWXBackgroundTexture, pf::Object)
{
    b.property("name", &PWXBackgroundTexture::name, &PWXBackgroundTexture::setName);
    b.property("image", &PWXBackgroundTexture::image, &PWXBackgroundTexture::setImage);
}

pf::Ref<PWXBackgroundTexture> PWXBackgroundTexture::textureWithPath(const QString& path)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        return nullptr;
    return textureWithImage(image, capitalized(QFileInfo(path).completeBaseName()));
}

pf::Ref<PWXBackgroundTexture> PWXBackgroundTexture::textureWithImage(const QImage& image, const QString& name)
{
    if (image.isNull())
        return nullptr;
    auto texture = std::make_shared<PWXBackgroundTexture>();
    texture->m_name = name;
    texture->m_color = pf::Color::patternWithImage(image);
    texture->m_image = swatchOfColour(texture->m_color);
    return texture;
}

pf::Ref<PWXBackgroundTexture> PWXBackgroundTexture::textureWithColor(const pf::Color& colour)
{
    auto texture = std::make_shared<PWXBackgroundTexture>();
    texture->m_name = kFixedColourName;
    texture->m_color = colour;
    texture->m_image = swatchOfColour(colour);
    return texture;
}

QImage PWXBackgroundTexture::swatchOfColour(const pf::Color& colour)
{
    QImage swatch(kSwatchWidth, kSwatchHeight, QImage::Format_ARGB32_Premultiplied);
    swatch.fill(Qt::transparent);
    QPainter painter(&swatch);
    if (colour.isPattern())
        painter.fillRect(swatch.rect(), QBrush(colour.patternImage()));
    else if (colour.isValid())
        painter.fillRect(swatch.rect(), colour.qColor());
    return swatch;
}

QString PWXBackgroundTexture::capitalized(const QString& text)
{
    QString out = text.toLower();
    bool wordStart = true;
    for (QChar& c : out) {
        if (c.isSpace()) {
            wordStart = true;
        } else if (wordStart) {
            c = c.toUpper();
            wordStart = false;
        }
    }
    return out;
}
