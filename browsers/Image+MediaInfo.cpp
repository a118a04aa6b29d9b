#include "browsers/Image+MediaInfo.h"

#include "platform/graphics/Image.h"
#include "platform/graphics/ImageSource.h"

#include <QCoreApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QPainter>

namespace ImageMediaInfo {

QString mainBundleIdentifier()
{
    const QString domain = QCoreApplication::organizationDomain();
    return domain.isEmpty() ? QStringLiteral("org.quillory.Quillory") : domain;
}

pf::Ref<pf::Image> imageWithData(const QByteArray& data, const QString&)
{
    return pf::Image::fromData(data);
}

pf::Ref<pf::Image> imageResourceNamed(const QString& name, const QString& bundleID, const QString& fallbackName)
{
    pf::Ref<pf::Image> image;
    // Other applications' bundles do not exist here: only our own resources are looked in.
    if (bundleID == mainBundleIdentifier() && !name.isEmpty())
        image = pf::Image::imageNamed(name);
    if (!image && !fallbackName.isEmpty())
        image = pf::Image::imageNamed(fallbackName);
    return image;
}

QVariantMap metadataFromImageAtPath(const QString& path)
{
    const QVariantMap properties = pf::ImageSource::properties(path);
    if (properties.isEmpty())
        return {};
    QVariantMap metadata;
    auto copy = [&](const QString& from, const QString& to) {
        if (properties.contains(from))
            metadata.insert(to, properties.value(from));
    };
    copy(pf::kImagePropertyPixelWidth, QStringLiteral("width"));
    copy(pf::kImagePropertyPixelHeight, QStringLiteral("height"));
    copy(pf::kImagePropertyDepth, QStringLiteral("depth"));
    copy(pf::kImagePropertyColorModel, QStringLiteral("model"));
    copy(pf::kImagePropertyCaptureDate, QStringLiteral("dateTime"));
    const QString extension = QFileInfo(path).suffix();
    if (!extension.isEmpty())
        metadata.insert(QStringLiteral("filetype"), extension.toUpper());
    return metadata;
}

QString imageMetadataDescriptionForMetadata(const QVariantMap& metadata)
{
    QString text;
    const QVariant width = metadata.value(QStringLiteral("width"));
    const QVariant height = metadata.value(QStringLiteral("height"));
    if (width.isValid() && height.isValid())
        text += QStringLiteral("%1: %2x%3\n").arg(QCoreApplication::translate("IMBConfig", "Size"), width.toString(), height.toString());
    const QVariant depth = metadata.value(QStringLiteral("depth"));
    const QVariant model = metadata.value(QStringLiteral("model"));
    QVariant type = metadata.value(QStringLiteral("ImageType"));
    if (depth.isValid() || model.isValid() || type.isValid()) {
        text += QStringLiteral("%1: ").arg(QCoreApplication::translate("IMBConfig", "Type"));
        if (depth.isValid())
            text += QStringLiteral("%1bit ").arg(depth.toString());
        if (model.isValid())
            text += QStringLiteral("%1 ").arg(model.toString());
        if (!type.isValid())
            type = metadata.value(QStringLiteral("filetype"));
        if (type.isValid())
            text += type.toString();
        text += QLatin1Char('\n');
    }
    return text;
}

pf::Ref<pf::Image> sharedGenericFolderIcon()
{
    static const pf::Ref<pf::Image> icon = [] {
        const QImage folder = QFileIconProvider().icon(QFileIconProvider::Folder).pixmap(16, 16).toImage();
        pf::Ref<pf::Image> made = folder.isNull() ? pf::Image::imageNamed(QStringLiteral("folder"))
                                                  : pf::Image::fromQImage(folder, QSizeF(16, 16));
        if (!made)
            made = pf::Image::withDrawing(QSizeF(16, 16), [](QPainter& painter, const QSizeF&) {
                painter.setBrush(QColor(0x7f, 0xa8, 0xd8));
                painter.setPen(QColor(0x4a, 0x6f, 0x9c));
                painter.drawRoundedRect(QRectF(1, 4, 14, 10), 2, 2);
                painter.drawRect(QRectF(1, 2.5, 6, 2));
            });
        made->setSize(QSizeF(16, 16));
        return made;
    }();
    return icon;
}

pf::Ref<pf::Image> genericFolderIcon()
{
    return pf::Image::fromQImage(sharedGenericFolderIcon()->bitmap(), QSizeF(16, 16));
}

pf::Ref<pf::Image> imageCroppedToRect(const pf::Image& image, const QRectF& rect)
{
    if (rect.isEmpty())
        return nullptr;
    return pf::Image::withDrawing(rect.size(), [&image, rect](QPainter& painter, const QSizeF&) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        const QSizeF size = image.size();
        painter.drawImage(QRectF(-rect.topLeft(), size), image.bitmap(size.toSize()));
    });
}

} // namespace ImageMediaInfo
