#include "app/VNQLExportOperation.h"

#include "drawing/PWDrawing+SlicesLayer.h"
#include "drawing/PWXSlice.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Bookmark.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <atomic>
#include <cmath>

#include <unistd.h>

PF_DEFINE_CLASS(VNQLExportOperation, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property("sourceType", &VNQLExportOperation::sourceType, &VNQLExportOperation::setSourceType);
    b.property("folderURL", &VNQLExportOperation::folderURL, &VNQLExportOperation::setFolderURL);
    b.property("format", &VNQLExportOperation::format, &VNQLExportOperation::setFormat);
    b.property("quality", &VNQLExportOperation::quality, &VNQLExportOperation::setQuality);
    b.property("dpi", &VNQLExportOperation::dpi, &VNQLExportOperation::setDpi);
    b.property("scale", &VNQLExportOperation::scale, &VNQLExportOperation::setScale);
    b.property("transparent", &VNQLExportOperation::transparent, &VNQLExportOperation::setTransparent);
    b.property("fileNameRoot", &VNQLExportOperation::fileNameRoot, &VNQLExportOperation::setFileNameRoot);
    b.property("fileNamingOption", &VNQLExportOperation::fileNamingOption, &VNQLExportOperation::setFileNamingOption);
    b.property("firstIndex", &VNQLExportOperation::firstIndex, &VNQLExportOperation::setFirstIndex);
    b.property("showInFinder", &VNQLExportOperation::showInFinder, &VNQLExportOperation::setShowInFinder);
    b.property("overwriteExisting", &VNQLExportOperation::overwriteExisting, &VNQLExportOperation::setOverwriteExisting);
    b.property("fileExtension", &VNQLExportOperation::fileExtension);
    b.property("canExport", &VNQLExportOperation::canExport);
    b.property("colorspaceName", &VNQLExportOperation::colorspaceName);
    b.property("colorspace", &VNQLExportOperation::colorspace, &VNQLExportOperation::setColorspace);
    b.property("sources",
               std::function<QVariant(const VNQLExportOperation&)>([](const VNQLExportOperation& self) {
                   QVariantList list;
                   for (const auto& source : self.sources())
                       list.append(pf::toVariant(source));
                   return QVariant(list);
               }),
               std::function<void(VNQLExportOperation&, const QVariant&)>([](VNQLExportOperation& self, const QVariant& value) {
                   QList<pf::Ref<pf::Object>> sources;
                   for (const QVariant& item : value.toList())
                       if (pf::Ref<pf::Object> object = pf::objectFromVariant(item))
                           sources.append(object);
                   self.setSources(sources);
               }));
}

namespace {

const QString kDrawingKey = QStringLiteral("Exp_drawing");
const QString kSourceTypeKey = QStringLiteral("Exp_sourceType");
const QString kDpiKey = QStringLiteral("Exp_dpi");
const QString kScaleKey = QStringLiteral("Exp_scale");
const QString kQualityKey = QStringLiteral("Exp_quality");
const QString kColorspaceKey = QStringLiteral("Exp_colorspace");
const QString kTransparentKey = QStringLiteral("Exp_transparent");
const QString kFilenameRootKey = QStringLiteral("Exp_filenameRoot");
const QString kFirstIndexKey = QStringLiteral("Exp_firstIndex");
const QString kIndexIncrementKey = QStringLiteral("Exp_indexIncrement");
const QString kIndexPadLengthKey = QStringLiteral("Exp_indexPadLength");
const QString kNamingOptionKey = QStringLiteral("Exp_fnOption");
const QString kFormatKey = QStringLiteral("Exp_format");
const QString kShowInFinderKey = QStringLiteral("Exp_showInFinder");
const QString kOverwriteKey = QStringLiteral("Exp_overwrite");
const QString kGroupInFolderKey = QStringLiteral("Exp_groupInFolder");
const QString kBookmarkVersionKey = QStringLiteral("Exp_bookmarkVersion");

// The longest base name: room for "-999" and the extension within 255 bytes.
constexpr int kMaximumBaseBytes = 240;

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLExportOperation", text);
}

pf::Error exportError(int code, const QString& reason, const QString& path = {})
{
    QVariantMap info{{pf::NSLocalizedDescriptionKey, tr("The export could not be completed.")},
                     {pf::NSLocalizedFailureReasonErrorKey, reason}};
    if (!path.isEmpty())
        info.insert(pf::NSFilePathErrorKey, path);
    return pf::Error(pf::kPFFoundationErrorDomain, code, info);
}

QRectF drawingRect(const PWDrawing* drawing)
{
    return drawing ? QRectF(QPointF(), drawing->drawingSize()) : QRectF();
}

// Replaces every "token" (any letter case) in `text`.
QString replacingToken(QString text, const QString& token, const QString& part)
{
    return text.replace(token, part, Qt::CaseInsensitive);
}

} // namespace

VNQLExportOperation::VNQLExportOperation()
{
    restoreFolderURLFromBookmarkData(pf::UserDefaults::standard().dataForKey(kFolderURLDefault));
}

VNQLExportOperation::~VNQLExportOperation() = default;

QUrl VNQLExportOperation::defaultExportLocation()
{
    pf::Error error;
    const QString documents = pf::FileManager::defaultManager().URLForDirectory(
        pf::FileManager::SearchPath::Documents, {}, true, &error);
    if (documents.isEmpty()) {
        RVLog(kFileEvent, QStringLiteral("The Exported Files folder couldn't be created, error = %1").arg(error.description()));
        return {};
    }
    const QString path = QDir(documents).filePath(QCoreApplication::applicationName() + QStringLiteral("/Exported Files"));
    if (!QFileInfo(path).isDir() && !pf::FileManager::defaultManager().createDirectory(path, true, &error)) {
        RVLog(kFileEvent, QStringLiteral("The Exported Files folder couldn't be created, error = %1").arg(error.description()));
        return {};
    }
    return QUrl::fromLocalFile(path);
}

QString VNQLExportOperation::colorspaceName() const
{
    return m_colorspace->localizedName();
}

void VNQLExportOperation::setColorspace(const pf::Ref<pf::ColorSpace>& space)
{
    m_colorspace = space ? space : pf::ColorSpace::sRGB();
}

pf::Ref<pf::ColorSpace> VNQLExportOperation::colorspaceForArchivedName(const QString& name)
{
    if (name == QLatin1String("Generic Gray"))
        return pf::ColorSpace::genericGray();
    if (name == QLatin1String("Generic CMYK"))
        return pf::ColorSpace::genericCMYK();
    return pf::ColorSpace::sRGB();
}

QString VNQLExportOperation::fileExtension() const
{
    switch (m_format) {
    case kTIFFFormat: return QStringLiteral("tiff");
    case kBMPFormat: return QStringLiteral("BMP");
    case kGIFFormat: return QStringLiteral("gif");
    case kJPEGFormat: return QStringLiteral("jpg");
    case kPNGFormat: return QStringLiteral("png");
    default: return QStringLiteral("pdf");
    }
}

bool VNQLExportOperation::isBitmapFormat() const
{
    // Only the five bitmap kinds make bitmaps; every other value is named and written as PDF.
    return m_format <= kPNGFormat;
}

bool VNQLExportOperation::isSourceVisible(const pf::Ref<pf::Object>& source)
{
    if (auto* layer = dynamic_cast<PWLayer*>(source.get()))
        return layer->visible();
    if (auto* slice = dynamic_cast<PWXSlice*>(source.get()))
        return slice->isVisible();
    if (auto* object = dynamic_cast<PWDrawableObject*>(source.get()))
        return object->visible();
    return false;
}

bool VNQLExportOperation::canExport() const
{
    for (const auto& source : m_sources)
        if (isSourceVisible(source))
            return true;
    return false;
}

QString VNQLExportOperation::nameOfSource(const pf::Ref<pf::Object>& source) const
{
    switch (m_sourceType) {
    case kSlicesSource:
        if (auto* slice = dynamic_cast<PWXSlice*>(source.get()))
            return slice->name();
        return {};
    case kSelectionSource:
        if (auto* object = dynamic_cast<PWDrawableObject*>(source.get()))
            return object->name();
        return {};
    case kLayersSource:
        if (auto* layer = dynamic_cast<PWLayer*>(source.get()))
            return layer->layerName();
        return {};
    default:
        return {};
    }
}

QString VNQLExportOperation::safeFileNameComponent(const QString& name)
{
    QString safe;
    safe.reserve(name.size());
    for (const QChar c : name)
        safe.append(c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control ? QLatin1Char('_') : c);
    if (safe.isEmpty() || safe == QStringLiteral(".") || safe == QStringLiteral(".."))
        safe = QStringLiteral("_") + safe;
    // A leading dot would hide the file.
    if (safe.startsWith(QLatin1Char('.')))
        safe.replace(0, 1, QLatin1Char('_'));
    while (safe.toUtf8().size() > kMaximumBaseBytes)
        safe.chop(1);
    return safe;
}

QString VNQLExportOperation::baseNameWithSource(const pf::Ref<pf::Object>& source, quint64 index) const
{
    QString part;
    bool hasPart = false;
    switch (m_fileNamingOption) {
    case kRootAndIndex:
    case kIndexToken:
        part = QStringLiteral("%1").arg(m_firstIndex + index * m_indexIncrement, 4, 10, QLatin1Char('0'));
        hasPart = true;
        break;
    case kRootAndName:
    case kNameToken:
        part = nameOfSource(source);
        // The token always goes: a source without a name puts nothing in its place.
        hasPart = !part.isNull() || m_fileNamingOption == kNameToken;
        break;
    default:
        break;
    }
    QString base = m_fileNameRoot;
    if (hasPart) {
        if (m_fileNamingOption == kNameToken)
            base = replacingToken(base, kNameTokenText, part);
        else if (m_fileNamingOption == kIndexToken)
            base = replacingToken(base, kIndexTokenText, part);
        else
            base += part;
    }
    return safeFileNameComponent(base);
}

QString VNQLExportOperation::filenameWithSource(const pf::Ref<pf::Object>& source, quint64 index) const
{
    const QString base = baseNameWithSource(source, index);
    const QString extension = QLatin1Char('.') + fileExtension();
    if (m_overwriteExisting || m_folderURL.isEmpty())
        return base + extension;
    const QDir folder(m_folderURL.toLocalFile());
    QString name = base + extension;
    for (long n = 1; QFileInfo::exists(folder.filePath(name)) || QFileInfo(folder.filePath(name)).isSymLink(); ++n)
        name = QStringLiteral("%1-%2").arg(base).arg(n) + extension;
    return name;
}

bool VNQLExportOperation::settingsAreUsable(pf::Error* error) const
{
    const QString folder = m_folderURL.isLocalFile() ? m_folderURL.toLocalFile() : QString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return pf::fail(error, exportError(pf::kErrorFileNotFound, tr("The export folder does not exist."), folder));
    if (!(std::isfinite(m_dpi) && m_dpi > 0.0) || !(std::isfinite(m_scale) && m_scale > 0.0))
        return pf::fail(error, exportError(pf::kErrorFileWrite, tr("The resolution and the scale must be positive numbers.")));
    return true;
}

QSize VNQLExportOperation::pixelSizeForRect(const QRectF& rect) const
{
    if (!(std::isfinite(m_dpi) && m_dpi > 0.0) || !(std::isfinite(m_scale) && m_scale > 0.0))
        return {};
    const double factor = m_dpi * m_scale / 72.0;
    const double width = std::round(rect.width() * factor);
    const double height = std::round(rect.height() * factor);
    if (!(width >= 1.0 && height >= 1.0) || width > kMaximumPixelsPerSide || height > kMaximumPixelsPerSide
        || width * height > double(kMaximumPixels))
        return {};
    return QSize(int(width), int(height));
}

QByteArray VNQLExportOperation::rasterImageDataFromPDF(const QByteArray& pdf, const QRectF& rect, pf::Error* error)
{
    if (!m_drawing || pdf.isEmpty())
        return {};
    const QSize size = pixelSizeForRect(rect);
    if (size.isEmpty()) {
        pf::fail(error, exportError(pf::kErrorFileWrite,
                                    tr("An image of %1 x %2 points cannot be made at %3 dpi and scale %4.")
                                        .arg(rect.width()).arg(rect.height()).arg(m_dpi).arg(m_scale)));
        return {};
    }
    const QVariantMap options{{kPWImageCompressionFactor, m_quality}};
    // The size, not the origin, of the area is scaled.
    const QRectF source(rect.x(), rect.y(), rect.width() * m_scale, rect.height() * m_scale);
    const pf::Color background = m_transparent ? pf::Color() : m_drawing->paperColour();
    return m_drawing->imageDataWithFormat(int(m_format), options, pdf, m_colorspace->imageColorModel(), source, size, background, error);
}

QByteArray VNQLExportOperation::imageDataWithSource(const pf::Ref<pf::Object>& source, quint64, pf::Error* error)
{
    switch (m_sourceType) {
    case kDrawingSource: {
        if (!m_drawing)
            return {};
        const QByteArray pdf = m_drawing->pdf();
        return isBitmapFormat() ? rasterImageDataFromPDF(pdf, drawingRect(m_drawing.get()), error) : pdf;
    }
    case kLayersSource: {
        auto* layer = dynamic_cast<PWLayer*>(source.get());
        if (!layer)
            return {};
        const QByteArray pdf = layer->pdf();
        return isBitmapFormat() ? rasterImageDataFromPDF(pdf, drawingRect(m_drawing.get()), error) : pdf;
    }
    case kSlicesSource: {
        auto* slice = dynamic_cast<PWXSlice*>(source.get());
        if (!slice)
            return {};
        if (!isBitmapFormat())
            return slice->pdfData();
        if (!(std::isfinite(m_dpi) && m_dpi > 0.0) || !(std::isfinite(m_scale) && m_scale > 0.0)
            || pixelSizeForRect(slice->bounds()).isEmpty()) {
            pf::fail(error, exportError(pf::kErrorFileWrite, tr("The slice \u201c%1\u201d is too large to export at this size.").arg(slice->name())));
            return {};
        }
        return slice->imageData(int(m_format), {{kPWImageCompressionFactor, m_quality}}, m_dpi, m_scale, m_colorspace->imageColorModel(),
                                !m_transparent, error);
    }
    case kSelectionSource: {
        auto* object = dynamic_cast<PWDrawableObject*>(source.get());
        if (!object)
            return {};
        const QByteArray pdf = object->pdf();
        return isBitmapFormat() ? rasterImageDataFromPDF(pdf, object->bounds(), error) : pdf;
    }
    default:
        return {};
    }
}

pf::FileWrapperRef VNQLExportOperation::fileWrapperWithSource(const pf::Ref<pf::Object>& source, quint64 index)
{
    QByteArray data = imageDataWithSource(source, index);
    pf::FileWrapperRef wrapper = pf::FileWrapper::regularFile(std::move(data));
    wrapper->setPreferredFilename(filenameWithSource(source, index));
    return wrapper;
}

bool VNQLExportOperation::writeFile(const QByteArray& data, const QString& base, QSet<QString>& namesWritten,
                                    QUrl* written, pf::Error* error)
{
    const QDir folder(m_folderURL.toLocalFile());
    const QString extension = QLatin1Char('.') + fileExtension();
    for (long n = 0;; ++n) {
        const QString name = n == 0 ? base + extension : QStringLiteral("%1-%2").arg(base).arg(n) + extension;
        // A name this export already used is never written again.
        if (namesWritten.contains(name))
            continue;
        const QString path = folder.filePath(name);
        const bool exists = QFileInfo::exists(path) || QFileInfo(path).isSymLink();
        if (exists && m_overwriteExisting) {
            if (!pf::writeDataAtomically(data, path, error))
                return false;
        } else if (exists) {
            continue;
        } else {
            // Written whole beside the target, then linked into place: link() refuses a name
            // that exists, so the file is created exclusively and never seen half written.
            // The temporary file is private; the exported file is the user's and takes the
            // umask's mode.
            QTemporaryFile temporary(folder.filePath(QStringLiteral(".export-XXXXXX")));
            if (!temporary.open() || !pf::giveUserFileMode(temporary.handle()) || temporary.write(data) != data.size()
                || !temporary.flush()) {
                return pf::fail(error, exportError(pf::kErrorFileWrite, temporary.errorString(), path));
            }
            ::fsync(temporary.handle());
            if (::link(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
                if (errno == EEXIST)
                    continue;
                return pf::fail(error, pf::fileSystemError(pf::writeErrorCode(errno), tr("The image could not be written."), path, errno));
            }
        }
        namesWritten.insert(name);
        *written = QUrl::fromLocalFile(path);
        return true;
    }
}

bool VNQLExportOperation::writeToFiles(pf::Error* error)
{
    if (m_fileNameRoot.contains(kIndexTokenText, Qt::CaseInsensitive))
        m_fileNamingOption = kIndexToken;
    else if (m_fileNameRoot.contains(kNameTokenText, Qt::CaseInsensitive))
        m_fileNamingOption = kNameToken;

    QList<pf::Ref<pf::Object>> list;
    if (m_sourceType == kDrawingSource) {
        if (m_drawing)
            list.append(m_drawing);
        m_fileNamingOption = kRootOnly;
    } else {
        list = m_sources;
    }

    QList<QUrl> written;
    if (!settingsAreUsable(error)) {
        m_filesWritten = written;
        return false;
    }
    const QString folder = m_folderURL.toLocalFile();
    const bool access = pf::Bookmark::startAccessingSecurityScopedResource(folder);
    if (!access)
        RVLog(kFileEvent, "access to security-scoped URL was denied by the stupid sandboxing! Export may fail.");

    bool ok = true;
    QSet<QString> namesWritten;
    quint64 index = 0;
    for (const auto& source : list) {
        if (!isSourceVisible(source))
            continue;
        pf::Error dataError;
        const QString base = baseNameWithSource(source, index);
        QByteArray data;
        {
            // A PDF is titled with the name it is exported under.
            PWRenderingOutput::PdfTitleScope title(base);
            data = imageDataWithSource(source, index, &dataError);
        }
        if (!data.isEmpty()) {
            QUrl url;
            if (!writeFile(data, base, namesWritten, &url, error)) {
                RVLog(kFileEvent, QStringLiteral("the image could not be written, error = %1").arg(error ? error->description() : QString()));
                ok = false;
                break;
            }
            written.append(url);
        } else if (!dataError.isNull()) {
            // Settings that cannot make this file are a failure, not an empty success.
            pf::fail(error, dataError);
            ok = false;
            break;
        } else {
            RVLog(kFileEvent, QStringLiteral("image data could not be created for index %1 in %2").arg(index).arg(description()));
        }
        ++index;
    }
    if (access)
        pf::Bookmark::stopAccessingSecurityScopedResource(folder);
    m_filesWritten = written;
    return ok;
}

bool VNQLExportOperation::restoreFolderURLFromBookmarkData(const QByteArray& data)
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    bool stale = false;
    pf::Error error;
    const QString resolved = data.isEmpty() ? QString() : pf::Bookmark::resolve(data, 0, &stale, &error);
    bool result = false;
    QString path;
    if (!resolved.isEmpty()) {
        if (stale) {
            const QByteArray fresh = pf::Bookmark::create(resolved, 0);
            if (!fresh.isEmpty())
                defaults.setObject(fresh, kFolderURLDefault);
        }
        path = resolved;
        result = true;
    } else {
        static std::atomic<bool> logged{false};
        if (!logged.exchange(true))
            RVLog(kFileEvent, QStringLiteral("the bookmark data could not be resolved - will fall back to ~/Documents/%1/Exported Files/ error=%2")
                                  .arg(QCoreApplication::applicationName(), error.description()));
        const QUrl fallback = defaultExportLocation();
        path = fallback.toLocalFile();
        if (!path.isEmpty()) {
            const QByteArray bookmark = pf::Bookmark::create(path, 0);
            if (!bookmark.isEmpty())
                defaults.setObject(bookmark, kFolderURLDefault);
        }
    }
    m_folderURL = path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path);
    if (!path.isEmpty() && !QFileInfo(path).isDir()) {
        pf::Error mkdirError;
        if (!pf::FileManager::defaultManager().createDirectory(path, true, &mkdirError))
            RVLog(kFileEvent, QStringLiteral("the folder '%1' doesn't exist and could not be created. Error=%2").arg(path, mkdirError.description()));
    }
    return result;
}

QVariantMap VNQLExportOperation::restorableStateInfo() const
{
    pf::Error error;
    const QByteArray archive = pf::KeyedArchiver::archivedData(
        std::const_pointer_cast<pf::Object>(ref<pf::Object>()), pf::PropertyListFormat::Binary, &error);
    if (archive.isEmpty())
        return {};
    return {{kRestorableStateKey, archive}};
}

pf::Ref<VNQLExportOperation> VNQLExportOperation::exportOperationWithRestorableStateInfo(const QVariantMap& info)
{
    const QVariant state = info.value(kRestorableStateKey);
    if (state.typeId() != QMetaType::QByteArray)
        return nullptr;
    return pf::KeyedUnarchiver::unarchiveObjectOfClass<VNQLExportOperation>(state.toByteArray());
}

pf::Ref<pf::Object> VNQLExportOperation::copy() const
{
    auto other = std::make_shared<VNQLExportOperation>(*this);
    other->m_filesWritten.clear();
    return other;
}

void VNQLExportOperation::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeConditionalObject(m_drawing, kDrawingKey);
    coder.encodeInt32(m_sourceType, kSourceTypeKey);
    coder.encodeDouble(m_dpi, kDpiKey);
    coder.encodeDouble(m_scale, kScaleKey);
    coder.encodeDouble(m_quality, kQualityKey);
    coder.encodeObject(m_colorspace, kColorspaceKey);
    coder.encodeBool(m_transparent, kTransparentKey);
    coder.encodeString(m_fileNameRoot, kFilenameRootKey);
    coder.encodeInt64(qint64(m_firstIndex), kFirstIndexKey);
    coder.encodeInt64(qint64(m_indexIncrement), kIndexIncrementKey);
    coder.encodeInt64(qint64(m_indexPadLength), kIndexPadLengthKey);
    coder.encodeInt32(m_fileNamingOption, kNamingOptionKey);
    coder.encodeInt64(qint64(m_format), kFormatKey);
    coder.encodeBool(m_showInFinder, kShowInFinderKey);
    coder.encodeBool(m_overwriteExisting, kOverwriteKey);
    coder.encodeBool(m_groupInFolder, kGroupInFolderKey);
    coder.encodeInt32(2, kBookmarkVersionKey);
}

void VNQLExportOperation::initWithCoder(pf::KeyedUnarchiver& coder)
{
    m_drawing = coder.decodeObjectOfClass<PWDrawing>(kDrawingKey);
    m_sourceType = coder.decodeInt32(kSourceTypeKey);
    m_dpi = coder.decodeDouble(kDpiKey);
    m_scale = coder.decodeDouble(kScaleKey);
    m_quality = coder.decodeDouble(kQualityKey);
    // Earlier settings hold the space's name; a missing or foreign value is sRGB.
    const QString archivedName = coder.decodeString(kColorspaceKey);
    setColorspace(archivedName.isNull() ? coder.decodeObjectOfClass<pf::ColorSpace>(kColorspaceKey)
                                        : colorspaceForArchivedName(archivedName));
    m_transparent = coder.decodeBool(kTransparentKey);
    m_fileNameRoot = coder.decodeString(kFilenameRootKey);
    m_firstIndex = quint64(coder.decodeInt64(kFirstIndexKey));
    m_indexIncrement = quint64(coder.decodeInt64(kIndexIncrementKey));
    m_indexPadLength = quint64(coder.decodeInt64(kIndexPadLengthKey));
    m_fileNamingOption = coder.decodeInt32(kNamingOptionKey);
    m_format = quint64(coder.decodeInt64(kFormatKey));
    m_showInFinder = coder.decodeBool(kShowInFinderKey);
    m_overwriteExisting = coder.decodeBool(kOverwriteKey);
    m_groupInFolder = coder.decodeBool(kGroupInFolderKey);
    restoreFolderURLFromBookmarkData(pf::UserDefaults::standard().dataForKey(kFolderURLDefault));
}

QString VNQLExportOperation::description() const
{
    return QStringLiteral("%1 URL=%2, filename='%3', format=%4, dpi=%5, quality=%6, cspace=%7, source=%8")
        .arg(pf::Object::description(), m_folderURL.toString(), m_fileNameRoot)
        .arg(qint64(m_format))
        .arg(m_dpi, 0, 'f', 6)
        .arg(m_quality, 0, 'f', 6)
        .arg(colorspaceName())
        .arg(m_sourceType);
}
