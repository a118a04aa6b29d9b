#include "DocumentTestSupport.h"

#include "app/PWDrawing+VNQLExportHelper.h"
#include "app/VNQLExportOperation.h"
#include "drawing/PWDrawing+SlicesLayer.h"
#include "drawing/PWXSlice.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

#include <QFile>
#include <QImageReader>

#include <limits>

namespace {

using namespace quillory::test;
using pf::Ref;

Ref<PWObjectDrawingLayer> namedLayer(const QString& name, bool visible = true)
{
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    layer->setLayerName(name);
    layer->setVisible(visible);
    return layer;
}

class ExportOperationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        drawing = PWDrawing::defaultDrawing();
        drawing->setDrawingSize(QSizeF(100, 50));
        operation = std::make_shared<VNQLExportOperation>();
        operation->setDrawing(drawing);
        operation->setFolderURL(QUrl::fromLocalFile(folder.path()));
        operation->setShowInFinder(false);
    }

    QStringList filesWritten() const
    {
        QStringList names;
        for (const QUrl& url : operation->filesWrittenURLs())
            names.append(QFileInfo(url.toLocalFile()).fileName());
        return names;
    }
    QStringList filesInFolder() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir folder;
    Ref<PWDrawing> drawing;
    Ref<VNQLExportOperation> operation;
};

TEST_F(ExportOperationTest, TheWholeDrawingIsOneFileNamedByTheRoot)
{
    operation->setFileNamingOption(VNQLExportOperation::kRootAndName);
    ASSERT_TRUE(operation->writeToFiles());
    EXPECT_EQ(filesWritten(), QStringList{QStringLiteral("Untitled_.png")});
    EXPECT_EQ(operation->fileNamingOption(), VNQLExportOperation::kRootOnly);
}

// The naming scheme: option, first index, increment, root, the layers' names.
struct NamingCase {
    const char* label;
    qint32 option;
    quint64 first;
    quint64 increment;
    QString root;
    QStringList layerNames;
    QStringList expected;
};

class NamingTest : public ExportOperationTest, public ::testing::WithParamInterface<NamingCase> {};

TEST_P(NamingTest, NamesTheFiles)
{
    const NamingCase& c = GetParam();
    QList<Ref<pf::Object>> sources;
    for (const QString& name : c.layerNames) {
        const bool hidden = name == QStringLiteral("(hidden)");
        auto layer = namedLayer(name, !hidden);
        layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10)));
        drawing->addLayer(layer);
        sources.append(layer);
    }
    operation->setSourceType(VNQLExportOperation::kLayersSource);
    operation->setSources(sources);
    operation->setFileNamingOption(c.option);
    operation->setFirstIndex(c.first);
    operation->setIndexIncrement(c.increment);
    operation->setFileNameRoot(c.root);
    pf::Error error;
    ASSERT_TRUE(operation->writeToFiles(&error)) << qPrintable(error.description());
    EXPECT_EQ(filesWritten(), c.expected) << c.label;
    QStringList onDisk = filesInFolder();
    onDisk.sort();
    QStringList expected = c.expected;
    expected.sort();
    EXPECT_EQ(onDisk, expected) << c.label << ": nothing but the files, no temporaries";
}

INSTANTIATE_TEST_SUITE_P(
    Scheme, NamingTest,
    ::testing::Values(
        NamingCase{"indexes_skip_hidden", VNQLExportOperation::kRootAndIndex, 1, 1, QStringLiteral("Untitled_"),
                   {QStringLiteral("A"), QStringLiteral("(hidden)"), QStringLiteral("B"), QStringLiteral("C")},
                   {QStringLiteral("Untitled_0001.png"), QStringLiteral("Untitled_0002.png"), QStringLiteral("Untitled_0003.png")}},
        NamingCase{"first_and_increment", VNQLExportOperation::kRootAndIndex, 7, 5, QStringLiteral("L"),
                   {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")},
                   {QStringLiteral("L0007.png"), QStringLiteral("L0012.png"), QStringLiteral("L0017.png")}},
        NamingCase{"wide_index", VNQLExportOperation::kRootAndIndex, 12345, 1, QStringLiteral("L"), {QStringLiteral("A")},
                   {QStringLiteral("L12345.png")}},
        NamingCase{"name_token_wins", VNQLExportOperation::kRootOnly, 1, 1, QStringLiteral("map %%name here"),
                   {QStringLiteral("Roads"), QStringLiteral("Rivers")},
                   {QStringLiteral("map Roads here.png"), QStringLiteral("map Rivers here.png")}},
        NamingCase{"index_token", VNQLExportOperation::kRootAndName, 3, 2, QStringLiteral("p%%INDEX-%%INDEX"),
                   {QStringLiteral("A"), QStringLiteral("B")}, {QStringLiteral("p0003-0003.png"), QStringLiteral("p0005-0005.png")}},
        NamingCase{"root_and_name", VNQLExportOperation::kRootAndName, 1, 1, QStringLiteral("x_"), {QStringLiteral("Top")},
                   {QStringLiteral("x_Top.png")}},
        NamingCase{"separators_in_names", VNQLExportOperation::kRootAndName, 1, 1, QStringLiteral("../up/"),
                   {QStringLiteral("a/b"), QStringLiteral("..")}, {QStringLiteral("_._up_a_b.png"), QStringLiteral("_._up_...png")}},
        NamingCase{"same_name_twice_is_never_overwritten", VNQLExportOperation::kRootAndName, 1, 1, QStringLiteral("L"),
                   {QStringLiteral("Same"), QStringLiteral("Same")}, {QStringLiteral("LSame.png"), QStringLiteral("LSame-1.png")}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ExportOperationTest, IndexesHaveFourDigitsWhateverThePadLength)
{
    for (quint64 pad : {quint64(0), quint64(2), quint64(6)}) {
        operation->setIndexPadLength(pad);
        operation->setFileNamingOption(VNQLExportOperation::kRootAndIndex);
        operation->setFirstIndex(7);
        operation->setFileNameRoot(QStringLiteral("L"));
        EXPECT_EQ(operation->filenameWithSource(drawing, 0), QStringLiteral("L0007.png")) << pad;
    }
}

TEST_F(ExportOperationTest, UnnamedSourcesDropTheNameToken)
{
    // The whole drawing is a source without a name.
    operation->setSourceType(VNQLExportOperation::kDrawingSource);
    operation->setFileNamingOption(VNQLExportOperation::kNameToken);
    operation->setFileNameRoot(QStringLiteral("map %%NAME here"));
    EXPECT_EQ(operation->filenameWithSource(drawing, 0), QStringLiteral("map  here.png"));
}

TEST_F(ExportOperationTest, ExistingFilesGetNumberedUnlessOverwriting)
{
    QFile(QDir(folder.path()).filePath(QStringLiteral("Untitled_.png"))).open(QIODevice::WriteOnly);
    ASSERT_TRUE(operation->writeToFiles());
    EXPECT_EQ(filesWritten(), QStringList{QStringLiteral("Untitled_-1.png")});
    EXPECT_EQ(operation->filenameWithSource(drawing, 0), QStringLiteral("Untitled_-2.png"));
    ASSERT_TRUE(operation->writeToFiles());
    EXPECT_EQ(filesWritten(), QStringList{QStringLiteral("Untitled_-2.png")});

    operation->setOverwriteExisting(true);
    ASSERT_TRUE(operation->writeToFiles());
    EXPECT_EQ(filesWritten(), QStringList{QStringLiteral("Untitled_.png")});
    EXPECT_GT(QFileInfo(QDir(folder.path()).filePath(QStringLiteral("Untitled_.png"))).size(), 0) << "replaced";
}

// Each source to each format, with the pixel size the settings give.
struct FormatCase {
    quint64 format;
    const char* extension;
    const char* reader; // the image reader's format name; empty for PDF
};

class ExportFormatTest : public ExportOperationTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(ExportFormatTest, EverySourceInEveryFormat)
{
    const FormatCase& c = GetParam();
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 30, 20));
    shape->setName(QStringLiteral("Box"));
    layer->addObject(shape);
    auto slices = std::make_shared<VNQLSlicesLayer>();
    drawing->addLayer(slices);
    Ref<PWXSlice> slice = slices->addNewSlice();
    slice->setBounds(QRectF(0, 0, 40, 25));

    operation->setFormat(c.format);
    operation->setDpi(144.0);
    const struct {
        qint32 type;
        QList<Ref<pf::Object>> sources;
        QSize pixels;
    } sources[] = {
        {VNQLExportOperation::kDrawingSource, {}, QSize(200, 100)},
        {VNQLExportOperation::kLayersSource, {layer}, QSize(200, 100)},
        {VNQLExportOperation::kSlicesSource, {slice}, QSize(80, 50)},
        {VNQLExportOperation::kSelectionSource, {shape}, QSize(std::lround(shape->bounds().width() * 2), std::lround(shape->bounds().height() * 2))},
    };
    for (const auto& s : sources) {
        operation->setSourceType(s.type);
        operation->setSources(s.sources);
        operation->setFileNameRoot(QStringLiteral("source%1_").arg(s.type));
        pf::Error error;
        ASSERT_TRUE(operation->writeToFiles(&error)) << s.type << ": " << qPrintable(error.description());
        ASSERT_EQ(operation->filesWrittenURLs().size(), 1) << s.type;
        const QString file = operation->filesWrittenURLs().first().toLocalFile();
        EXPECT_EQ(QFileInfo(file).suffix(), QString::fromLatin1(c.extension));
        if (*c.reader) {
            QImageReader reader(file, c.reader);
            EXPECT_EQ(reader.size(), s.pixels) << "source " << s.type << " in " << c.extension;
        } else {
            QFile pdf(file);
            ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
            EXPECT_TRUE(pdf.read(5) == "%PDF-") << s.type;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ExportFormatTest,
                         ::testing::Values(FormatCase{VNQLExportOperation::kTIFFFormat, "tiff", "tiff"},
                                           FormatCase{VNQLExportOperation::kBMPFormat, "BMP", "bmp"},
                                           FormatCase{VNQLExportOperation::kGIFFormat, "gif", "gif"},
                                           FormatCase{VNQLExportOperation::kJPEGFormat, "jpg", "jpeg"},
                                           FormatCase{VNQLExportOperation::kPNGFormat, "png", "png"},
                                           FormatCase{VNQLExportOperation::kPDFFormat, "pdf", ""},
                                           FormatCase{VNQLExportOperation::kSliceFormat, "pdf", ""}),
                         [](const auto& info) {
                             return info.param.format == VNQLExportOperation::kSliceFormat ? std::string("slice_format")
                                                                                         : std::string(info.param.extension);
                         });

TEST_F(ExportOperationTest, SettingsThatCannotMakeAFileFailBeforeWriting)
{
    const struct {
        const char* label;
        std::function<void(VNQLExportOperation&)> spoil;
    } cases[] = {
        {"no folder", [](VNQLExportOperation& o) { o.setFolderURL({}); }},
        {"a file for a folder", [this](VNQLExportOperation& o) {
             const QString file = QDir(folder.path()).filePath(QStringLiteral("plain"));
             QFile(file).open(QIODevice::WriteOnly);
             o.setFolderURL(QUrl::fromLocalFile(file));
         }},
        {"zero dpi", [](VNQLExportOperation& o) { o.setDpi(0); }},
        {"nan scale", [](VNQLExportOperation& o) { o.setScale(std::nan("")); }},
        {"infinite dpi", [](VNQLExportOperation& o) { o.setDpi(std::numeric_limits<double>::infinity()); }},
        {"too many pixels", [](VNQLExportOperation& o) { o.setDpi(72.0 * 1000); }},
    };
    for (const auto& c : cases) {
        SetUp();
        c.spoil(*operation);
        pf::Error error;
        EXPECT_FALSE(operation->writeToFiles(&error)) << c.label;
        EXPECT_FALSE(error.isNull()) << c.label;
        EXPECT_TRUE(operation->filesWrittenURLs().isEmpty()) << c.label;
    }
}

TEST_F(ExportOperationTest, ArchivedSettingsComeBackWithTheFolderFromTheDefaults)
{
    operation->setDpi(300);
    operation->setScale(2);
    operation->setQuality(0.3);
    operation->setFormat(VNQLExportOperation::kBMPFormat);
    operation->setColorspace(pf::ColorSpace::genericCMYK());
    operation->setFileNameRoot(QStringLiteral("Saved"));
    operation->setTransparent(false);
    operation->setOverwriteExisting(true);
    operation->setFolderURL(QUrl::fromLocalFile(QStringLiteral("/not/the/default")));
    Ref<VNQLExportOperation> back = VNQLExportOperation::exportOperationWithRestorableStateInfo(operation->restorableStateInfo());
    ASSERT_TRUE(back);
    EXPECT_DOUBLE_EQ(back->dpi(), 300);
    EXPECT_DOUBLE_EQ(back->scale(), 2);
    EXPECT_DOUBLE_EQ(back->quality(), 0.3);
    EXPECT_EQ(back->format(), VNQLExportOperation::kBMPFormat);
    EXPECT_EQ(back->fileExtension(), QStringLiteral("BMP"));
    EXPECT_EQ(back->colorspace()->identifier(), pf::ColorSpace::genericCMYK()->identifier());
    EXPECT_EQ(back->fileNameRoot(), QStringLiteral("Saved"));
    EXPECT_FALSE(back->transparent());
    EXPECT_TRUE(back->overwriteExisting());
    EXPECT_EQ(back->folderURL(), VNQLExportOperation::defaultExportLocation());
    EXPECT_FALSE(VNQLExportOperation::exportOperationWithRestorableStateInfo({}));
}

TEST_F(ExportOperationTest, DrawingSizeString)
{
    drawing->setDrawingSize(QSizeF(100.2, 49.9));
    EXPECT_EQ(exportSizeString(*drawing), QStringLiteral("101 x 50 px"));
}

} // namespace

namespace {

// Replaces the value under `key` wherever it appears in a parsed archive.
QVariant withValueReplaced(const QVariant& value, const QString& key, const QVariant& replacement)
{
    if (value.typeId() == QMetaType::QVariantMap) {
        QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            it.value() = it.key() == key ? replacement : withValueReplaced(it.value(), key, replacement);
        return map;
    }
    if (value.typeId() == QMetaType::QVariantList) {
        QVariantList list = value.toList();
        for (QVariant& item : list)
            item = withValueReplaced(item, key, replacement);
        return list;
    }
    return value;
}

// The operation's settings as an earlier version stored them: `stored` under "Exp_colorspace".
QVariantMap settingsWithStoredColorspace(VNQLExportOperation& operation, const QVariant& stored)
{
    QVariantMap info = operation.restorableStateInfo();
    const QString key = info.firstKey();
    const QVariant plist = pf::PropertyList::value(info.value(key).toByteArray());
    info[key] = pf::PropertyList::data(withValueReplaced(plist, QStringLiteral("Exp_colorspace"), stored),
                                       pf::PropertyListFormat::Binary);
    return info;
}

} // namespace

TEST_F(ExportOperationTest, ColourSpacesRoundTripAndNamesStoredByEarlierVersionsStillRead)
{
    for (const Ref<pf::ColorSpace>& space : {pf::ColorSpace::sRGB(), pf::ColorSpace::genericGray(), pf::ColorSpace::genericCMYK()}) {
        operation->setColorspace(space);
        Ref<VNQLExportOperation> back = VNQLExportOperation::exportOperationWithRestorableStateInfo(operation->restorableStateInfo());
        ASSERT_TRUE(back);
        EXPECT_EQ(back->colorspace()->identifier(), space->identifier());
        EXPECT_EQ(back->colorspace()->imageColorModel(), space->imageColorModel());
    }

    struct Legacy {
        QVariant stored;
        Ref<pf::ColorSpace> expected;
    };
    const QList<Legacy> cases = {
        {QStringLiteral("Generic Gray"), pf::ColorSpace::genericGray()},
        {QStringLiteral("Generic CMYK"), pf::ColorSpace::genericCMYK()},
        {QStringLiteral("sRGB"), pf::ColorSpace::sRGB()},
        {QStringLiteral("Nonsense"), pf::ColorSpace::sRGB()},
        {42, pf::ColorSpace::sRGB()},
    };
    operation->setColorspace(pf::ColorSpace::genericCMYK());
    for (const Legacy& c : cases) {
        SCOPED_TRACE(c.stored.toString().toStdString());
        Ref<VNQLExportOperation> back =
            VNQLExportOperation::exportOperationWithRestorableStateInfo(settingsWithStoredColorspace(*operation, c.stored));
        ASSERT_TRUE(back);
        ASSERT_TRUE(back->colorspace());
        EXPECT_EQ(back->colorspace()->identifier(), c.expected->identifier());
    }

    operation->setColorspace(nullptr);
    EXPECT_EQ(operation->colorspace()->identifier(), pf::ColorSpace::sRGB()->identifier());
}
