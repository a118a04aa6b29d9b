#include "frameworks/penwork/svg/PWSVGImporter.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/svg/PWSVGDrawingBuilder.h"
#include "frameworks/penwork/svg/PWSVGElement.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

pf::Ref<PWDrawing> PWSVGImporter::drawingWithSVGData(const QByteArray& data, pf::Error* error)
{
    return drawingWithSVGData(data, QString(), error);
}

pf::Ref<PWDrawing> PWSVGImporter::drawingWithSVGData(const QByteArray& data, const QString& baseFolder,
                                                     pf::Error* error)
{
    std::unique_ptr<PWSVGElement> root = PWSVGDocumentReader::read(data, error);
    if (!root)
        return nullptr;
    PWSVGDrawingBuilder builder(std::move(root));
    if (!baseFolder.isEmpty())
        builder.setBaseFolder(baseFolder);
    return builder.build(error);
}

pf::Ref<PWDrawing> PWSVGImporter::drawingWithContentsOfSVGFile(const QString& path, pf::Error* error)
{
    auto unreadable = [&](const QString& reason) {
        pf::Error underlying = pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorFileRead, reason);
        QVariantMap info{{pf::NSLocalizedDescriptionKey,
                          QCoreApplication::translate("PWSVGImporter", "The SVG file \"%1\" could not be read.")
                              .arg(QFileInfo(path).fileName())},
                         {pf::NSLocalizedFailureReasonErrorKey, reason},
                         {pf::NSFilePathErrorKey, path},
                         {pf::NSUnderlyingErrorKey, QVariant::fromValue(underlying)}};
        pf::fail(error, pf::Error(kPWSVGErrorDomain, kPWSVGErrorUnreadableFile, info));
        return pf::Ref<PWDrawing>();
    };
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile())
        return unreadable(QCoreApplication::translate("PWSVGImporter", "There is no file at this place."));
    if (info.size() > PWSVGDocumentReader::kMaxDataBytes)
        return unreadable(QCoreApplication::translate("PWSVGImporter", "The file is larger than %1 MB.")
                              .arg(PWSVGDocumentReader::kMaxDataBytes / (1024 * 1024)));
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    // Read one byte past the limit, so that a file that grew since it was measured is caught.
    QByteArray data = file.read(PWSVGDocumentReader::kMaxDataBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return unreadable(file.errorString());
    file.close();
    std::unique_ptr<PWSVGElement> root = PWSVGDocumentReader::read(data, error);
    // The file's text is all in the parsed document now: it is let go before the drawing is
    // made, so that the two are not held at once.
    data = QByteArray();
    if (!root)
        return nullptr;
    PWSVGDrawingBuilder builder(std::move(root));
    // Pictures the file links to are read from its own folder tree.
    builder.setBaseFolder(info.absolutePath());
    return builder.build(error);
}
