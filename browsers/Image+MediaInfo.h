#pragma once

#include "platform/foundation/Object.h"

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QVariantMap>

namespace pf {
class Image;
}

// Image helpers of the photo-library sources: resources by name, metadata of image files and
// its description, and the generic folder icon.
namespace ImageMediaInfo {

// The program's own bundle identifier, for looking up its resources.
QString mainBundleIdentifier();
pf::Ref<pf::Image> imageWithData(const QByteArray& data, const QString& mimeType);
// The image resource `name` of the application `bundleID` (only the program's own resources
// are reachable here), else the fallback resource of the program; null when neither exists.
pf::Ref<pf::Image> imageResourceNamed(const QString& name, const QString& bundleID, const QString& fallbackName);
// "width", "height", "depth", "model", "filetype" (the extension in capitals) and "dateTime"
// where known; empty when the file is not an image.
QVariantMap metadataFromImageAtPath(const QString& path);
// Up to two lines: "Size: <w>x<h>" and "Type: <depth>bit <model> <type>".
QString imageMetadataDescriptionForMetadata(const QVariantMap& metadata);
pf::Ref<pf::Image> sharedGenericFolderIcon();
pf::Ref<pf::Image> genericFolderIcon();
pf::Ref<pf::Image> imageCroppedToRect(const pf::Image& image, const QRectF& rect);

} // namespace ImageMediaInfo
