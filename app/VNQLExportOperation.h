#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileWrapper.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/ColorSpace.h"
#include "platform/graphics/ImageWriter.h"

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QVariantMap>

class PWDrawing;

// The settings and the writer of an export: which part of a drawing (the whole drawing, its
// layers, its slices or the selected objects), in which format, at which resolution, scale,
// quality and colour model, into which folder and under which names. The document keeps one
// and saves it in its package through restorableStateInfo.
class VNQLExportOperation : public pf::Object, public pf::Coding {
    PF_CLASS(VNQLExportOperation)
public:
    enum SourceType : qint32 { kDrawingSource = 0, kNoSource = 1, kLayersSource = 2, kSlicesSource = 3, kSelectionSource = 4 };
    // Bitmap formats are 0 to 4; PDF is -1 (all bits set), and -2 is the slices' own format.
    static constexpr quint64 kTIFFFormat = 0;
    static constexpr quint64 kBMPFormat = 1;
    static constexpr quint64 kGIFFormat = 2;
    static constexpr quint64 kJPEGFormat = 3;
    static constexpr quint64 kPNGFormat = 4;
    // The file name root of settings nobody has named yet.
    static inline const QString kDefaultFileNameRoot = QStringLiteral("Untitled_");
    static constexpr quint64 kPDFFormat = quint64(-1);
    static constexpr quint64 kSliceFormat = quint64(-2);
    enum NamingOption : qint32 { kRootOnly = 0, kRootAndIndex = 1, kRootAndName = 2, kIndexToken = 3, kNameToken = 4 };

    static inline const QString kIndexTokenText = QStringLiteral("%%INDEX");
    static inline const QString kNameTokenText = QStringLiteral("%%NAME");
    static inline const QString kFolderURLDefault = QStringLiteral("kVNQLExportOptionsFolderURL");
    static inline const QString kRestorableStateKey = QStringLiteral("export_state");
    // The largest bitmap an export makes.
    static constexpr qint64 kMaximumPixels = qint64(16384) * 16384;
    static constexpr int kMaximumPixelsPerSide = 32767;

    VNQLExportOperation();
    ~VNQLExportOperation() override;

    // Documents/<product name>/Exported Files, created when missing; empty (logged) on failure.
    static QUrl defaultExportLocation();

    pf::Ref<PWDrawing> drawing() const { return m_drawing; }
    void setDrawing(const pf::Ref<PWDrawing>& drawing) { m_drawing = drawing; }
    qint32 sourceType() const { return m_sourceType; }
    void setSourceType(qint32 type) { m_sourceType = type; }
    // Layers, slices or drawable objects.
    QList<pf::Ref<pf::Object>> sources() const { return m_sources; }
    void setSources(const QList<pf::Ref<pf::Object>>& sources) { m_sources = sources; }
    QUrl folderURL() const { return m_folderURL; }
    void setFolderURL(const QUrl& url) { m_folderURL = url; }
    quint64 format() const { return m_format; }
    void setFormat(quint64 format) { m_format = format; }
    double quality() const { return m_quality; }
    void setQuality(double quality) { m_quality = quality; }
    double dpi() const { return m_dpi; }
    void setDpi(double dpi) { m_dpi = dpi; }
    double scale() const { return m_scale; }
    void setScale(double scale) { m_scale = scale; }
    bool transparent() const { return m_transparent; }
    void setTransparent(bool transparent) { m_transparent = transparent; }
    QString fileNameRoot() const { return m_fileNameRoot; }
    void setFileNameRoot(const QString& root) { m_fileNameRoot = root; }
    qint32 fileNamingOption() const { return m_fileNamingOption; }
    void setFileNamingOption(qint32 option) { m_fileNamingOption = option; }
    quint64 firstIndex() const { return m_firstIndex; }
    void setFirstIndex(quint64 index) { m_firstIndex = index; }
    quint64 indexIncrement() const { return m_indexIncrement; }
    void setIndexIncrement(quint64 increment) { m_indexIncrement = increment; }
    quint64 indexPadLength() const { return m_indexPadLength; }
    void setIndexPadLength(quint64 length) { m_indexPadLength = length; }
    // The colour space of bitmap output; never null.
    pf::Ref<pf::ColorSpace> colorspace() const { return m_colorspace; }
    // Null stands for sRGB.
    void setColorspace(const pf::Ref<pf::ColorSpace>& space);
    // The space of a colour-space name archived by earlier versions ("sRGB", "Generic Gray",
    // "Generic CMYK"); sRGB for any other name.
    static pf::Ref<pf::ColorSpace> colorspaceForArchivedName(const QString& name);
    QString colorspaceName() const;
    bool showInFinder() const { return m_showInFinder; }
    void setShowInFinder(bool show) { m_showInFinder = show; }
    bool overwriteExisting() const { return m_overwriteExisting; }
    void setOverwriteExisting(bool overwrite) { m_overwriteExisting = overwrite; }
    bool groupInFolder() const { return m_groupInFolder; }
    void setGroupInFolder(bool group) { m_groupInFolder = group; }
    QList<QUrl> filesWrittenURLs() const { return m_filesWritten; }

    QString fileExtension() const;
    bool isBitmapFormat() const;
    // At least one source is visible.
    bool canExport() const;

    // Writes one file per visible source (the drawing alone for the drawing source) into the
    // folder. Settings that cannot make a file (no folder, a dpi or scale that is not finite and
    // positive) fail before anything is written. Names are unique within the export; unless
    // overwriteExisting, also against the folder. Files are created exclusively. The first
    // failure stops the export with its error; the files written before it are listed.
    bool writeToFiles(pf::Error* error = nullptr);

    // The file's data for one source; empty when the source has nothing to show, or (with the
    // error) when it cannot be made.
    QByteArray imageDataWithSource(const pf::Ref<pf::Object>& source, quint64 index, pf::Error* error = nullptr);
    pf::FileWrapperRef fileWrapperWithSource(const pf::Ref<pf::Object>& source, quint64 index);
    // The file name for the source at `index`: one safe path component with the extension.
    // Unless overwriteExisting, a name taken in the folder gets "-1", "-2", ...
    QString filenameWithSource(const pf::Ref<pf::Object>& source, quint64 index) const;
    // The bitmap of `sourceRect` of the PDF data at dpi and scale: its size in pixels is the
    // rectangle's size times dpi x scale / 72.
    QByteArray rasterImageDataFromPDF(const QByteArray& pdf, const QRectF& sourceRect, pf::Error* error = nullptr);
    // The pixel size rasterImageDataFromPDF makes for a rectangle; empty when it is beyond the
    // limits or the settings cannot make one.
    QSize pixelSizeForRect(const QRectF& rect) const;

    bool restoreFolderURLFromBookmarkData(const QByteArray& data);

    QVariantMap restorableStateInfo() const;
    static pf::Ref<VNQLExportOperation> exportOperationWithRestorableStateInfo(const QVariantMap& info);

    // The name a source gives the file: a slice's or object's name, a layer's name.
    QString nameOfSource(const pf::Ref<pf::Object>& source) const;
    static bool isSourceVisible(const pf::Ref<pf::Object>& source);
    // `name` as one path component: separators and control characters replaced, "." and ".."
    // and empty names made harmless.
    static QString safeFileNameComponent(const QString& name);

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;
    QString description() const override;

private:
    QString baseNameWithSource(const pf::Ref<pf::Object>& source, quint64 index) const;
    bool settingsAreUsable(pf::Error* error) const;
    bool writeFile(const QByteArray& data, const QString& base, QSet<QString>& namesWritten, QUrl* written,
                   pf::Error* error);

    pf::Ref<PWDrawing> m_drawing;
    qint32 m_sourceType = kDrawingSource;
    QList<pf::Ref<pf::Object>> m_sources;
    QUrl m_folderURL;
    quint64 m_format = kPNGFormat;
    double m_quality = 0.75;
    double m_dpi = 72.0;
    double m_scale = 1.0;
    bool m_transparent = true;
    QString m_fileNameRoot = kDefaultFileNameRoot;
    qint32 m_fileNamingOption = kRootAndIndex;
    quint64 m_firstIndex = 1;
    quint64 m_indexIncrement = 1;
    quint64 m_indexPadLength = 4;
    pf::Ref<pf::ColorSpace> m_colorspace = pf::ColorSpace::sRGB();
    bool m_showInFinder = true;
    bool m_overwriteExisting = false;
    bool m_groupInFolder = false;
    QList<QUrl> m_filesWritten;
};
