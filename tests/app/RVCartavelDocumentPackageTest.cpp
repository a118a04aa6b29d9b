#include "DocumentTestSupport.h"

#include "app/PWXMapScale.h"
#include "app/VNQLExportOperation.h"
#include "drawing/PWDrawing+SlicesLayer.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/measurement/RVMeasurement.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/FileWrapper.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/PrintInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <cmath>
#include <limits>

namespace {

using namespace quillory::test;
using pf::Ref;

class DocumentPackageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        documentController();
    }
    void TearDown() override
    {
        for (const auto& document : QList<pf::Ref<pf::Document>>(documentController().documents()))
            document->close();
        pf::FileWrapper::setFailureInjectionForTesting(nullptr);
    }

    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    // A document with one shape, a 1:50,000 map scale (the default is 1:25,000), landscape print info, XML content off,
    // prescale 2 and unit display option 1.
    Ref<RVCartavelDocument> richDocument()
    {
        Ref<RVCartavelDocument> document = newDocument();
        auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
            document->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
        EXPECT_TRUE(layer);
        layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(10, 20, 30, 40)));
        document->setMapScale(std::make_shared<PWXMapScale>(
            RVMeasurement::measurementWithDoubleValue(1, RVUnitLength::centimeters()),
            RVMeasurement::measurementWithDoubleValue(500, RVUnitLength::meters())));
        auto info = std::make_shared<pf::PrintInfo>();
        info->setOrientation(pf::PrintingOrientation::Landscape);
        document->setPrintInfo(info);
        document->setDocumentAuxiliaryInfo({{RVCartavelDocument::kPrescaleKey, 2.0},
                                            {RVCartavelDocument::kUnitDisplayOptionKey, 1},
                                            {RVCartavelDocument::kPaperMarginsVisibleKey, true}});
        // The edits' undo steps close at the end of the event, as they would in the program.
        QCoreApplication::processEvents();
        return document;
    }

    // Writes a package of `document` with the entry `name` replaced by `contents` (removed when
    // null).
    QString packageWithEntry(RVCartavelDocument& document, const QString& name, const QByteArray& contents)
    {
        pf::Error error;
        pf::FileWrapperRef package = document.fileWrapperOfType(RVCartavelDocument::kNativeType, &error);
        EXPECT_TRUE(package) << qPrintable(error.description());
        if (pf::FileWrapperRef old = package->fileWrappers().value(name))
            package->removeFileWrapper(old);
        if (!contents.isNull())
            package->addRegularFile(contents, name);
        const QString target = path(QStringLiteral("edited-%1.qlry").arg(++m_packages));
        EXPECT_TRUE(package->writeToPath(target, 0, &error)) << qPrintable(error.description());
        return target;
    }

    QTemporaryDir folder;
    int m_packages = 0;
};

TEST_F(DocumentPackageTest, EveryEntryRoundTrips)
{
    Ref<RVCartavelDocument> document = richDocument();
    auto exportOperation = std::make_shared<VNQLExportOperation>();
    exportOperation->setDpi(144.0);
    exportOperation->setFileNameRoot(QStringLiteral("Map_%%INDEX"));
    exportOperation->setFormat(VNQLExportOperation::kJPEGFormat);
    document->setExportOperation(exportOperation);
    const QVariantMap windowState{{QStringLiteral("left_sidebar"), QVariantMap{{QStringLiteral("selectedTab"), 2}}},
                                  {QStringLiteral("right_sidebar"), QVariantMap{{QStringLiteral("selectedTab"), 0}}}};
    document->setWindowRestorationState(windowState);
    document->setSavesPreview(true);

    const QString file = path(QStringLiteral("Round Trip.qlry"));
    const QRectF shapeBounds = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
        document->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()))->objects().front()->bounds();
    pf::Error error;
    ASSERT_TRUE(saveDocument(*document, file, &error)) << qPrintable(error.description());
    EXPECT_FALSE(document->isDocumentEdited());
    for (const QString& entry : {RVCartavelDocument::kContentEntry, RVCartavelDocument::kInfoEntry,
                                 RVCartavelDocument::kAuxiliaryEntry, QStringLiteral("QuickLook/Thumbnail.jpg"),
                                 QStringLiteral("QuickLook/Preview.pdf"), RVCartavelDocument::kWindowEntry,
                                 RVCartavelDocument::kExportSettingsEntry})
        EXPECT_TRUE(QFileInfo(QDir(file).filePath(entry)).isFile()) << qPrintable(entry);
    EXPECT_FALSE(QImage(QDir(file).filePath(QStringLiteral("QuickLook/Thumbnail.jpg"))).isNull());
    document->close();

    Ref<RVCartavelDocument> reopened = openDocument(file, &error);
    ASSERT_TRUE(reopened) << qPrintable(error.description());
    EXPECT_EQ(reopened->fileURL(), QUrl::fromLocalFile(file)) << "our own package keeps its file";
    EXPECT_EQ(reopened->fileType(), RVCartavelDocument::kNativeType);
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
        reopened->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
    ASSERT_TRUE(layer);
    ASSERT_EQ(layer->objects().size(), 1u);
    EXPECT_EQ(layer->objects().front()->bounds(), shapeBounds);
    ASSERT_TRUE(reopened->mapScale());
    EXPECT_NEAR(reopened->mapScale()->scale(), 50000.0, 1e-6);
    EXPECT_EQ(reopened->printInfo()->orientation(), pf::PrintingOrientation::Landscape);
    EXPECT_DOUBLE_EQ(reopened->prescale(), 2.0);
    EXPECT_EQ(reopened->unitDisplayOption(), 1);
    EXPECT_TRUE(reopened->paperMarginsShouldBeShown());
    EXPECT_EQ(reopened->windowRestorationState(), windowState);
    ASSERT_TRUE(reopened->exportOperation());
    EXPECT_DOUBLE_EQ(reopened->exportOperation()->dpi(), 144.0);
    EXPECT_EQ(reopened->exportOperation()->fileNameRoot(), QStringLiteral("Map_%%INDEX"));
    EXPECT_EQ(reopened->exportOperation()->format(), VNQLExportOperation::kJPEGFormat);
    EXPECT_FALSE(reopened->isDocumentEdited());
    EXPECT_FALSE(reopened->drawing()->undoManager()->canUndo()) << "reading registers no undo";
    Ref<VNQLSlicesLayer> slices = slicesLayer(*reopened->drawing());
    ASSERT_TRUE(slices);
    EXPECT_FALSE(slices->visible());
}

// The layout other programs and earlier versions read, spelt out.
TEST_F(DocumentPackageTest, ThePackageLayoutByName)
{
    Ref<RVCartavelDocument> document = richDocument();
    document->setExportOperation(std::make_shared<VNQLExportOperation>());
    pf::FileWrapperRef package = document->fileWrapperOfType(QStringLiteral("Quil"), nullptr);
    ASSERT_TRUE(package);
    EXPECT_EQ(package->fileWrappers().keys(),
              (QStringList{QStringLiteral("QuickLook"), QStringLiteral("VN_Auxiliary_Info.dat"), QStringLiteral("VN_Content.drawing"),
                           QStringLiteral("VN_Info.plist"), QStringLiteral("_export_settings.plist"), QStringLiteral("_window.plist")}));
    pf::KeyedUnarchiver unarchiver(package->fileWrappers().value(QStringLiteral("VN_Auxiliary_Info.dat"))->regularFileContents());
    const QVariantMap root = unarchiver.decodePropertyListValue(QStringLiteral("root")).toMap();
    EXPECT_TRUE(pf::fromVariant<Ref<PWXMapScale>>(root.value(QStringLiteral("Map_Scale"))));
    EXPECT_TRUE(pf::fromVariant<Ref<pf::PrintInfo>>(root.value(QStringLiteral("Print_info"))));
    const QVariantMap docInfo = root.value(QStringLiteral("Doc_info")).toMap();
    EXPECT_DOUBLE_EQ(docInfo.value(QStringLiteral("kDocumentPrescale")).toDouble(), 2.0);
    EXPECT_EQ(docInfo.value(QStringLiteral("kDocumentUnitDisplayOption")).toInt(), 1);
    EXPECT_TRUE(docInfo.value(QStringLiteral("kDocumentPaperMarginsVisible")).toBool());
    EXPECT_FALSE(docInfo.value(QStringLiteral("kMainContentIsXML")).toBool());
    EXPECT_TRUE(docInfo.contains(QStringLiteral("kDocumentLayerSideBarVisible")));
    const QVariantMap exportState = pf::PropertyList::value(
        package->fileWrappers().value(QStringLiteral("_export_settings.plist"))->regularFileContents()).toMap();
    EXPECT_EQ(exportState.value(QStringLiteral("export_state")).typeId(), QMetaType::QByteArray);
}

TEST_F(DocumentPackageTest, XMLContentIsReadUnderTheFlatType)
{
    Ref<RVCartavelDocument> document = richDocument();
    document->saveXMLAction(true);
    const QString file = path(QStringLiteral("xml.qlry"));
    ASSERT_TRUE(saveDocument(*document, file));
    QFile content(QDir(file).filePath(RVCartavelDocument::kContentEntry));
    ASSERT_TRUE(content.open(QIODevice::ReadOnly));
    EXPECT_TRUE(content.read(5) == "<?xml") << "the content is written in the XML form";
    Ref<RVCartavelDocument> reopened = openDocument(file);
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->savesXML());
}

TEST_F(DocumentPackageTest, EachSaveHoldsExactlyItsOwnEntries)
{
    Ref<RVCartavelDocument> document = richDocument();
    document->setSavesPreview(true);
    const QString file = path(QStringLiteral("fresh.qlry"));
    ASSERT_TRUE(saveDocument(*document, file, nullptr));
    ASSERT_TRUE(QFileInfo(QDir(file).filePath(QStringLiteral("QuickLook/Preview.pdf"))).isFile());
    QFile(QDir(file).filePath(QStringLiteral("stray.txt"))).open(QIODevice::WriteOnly);

    document->setSavesPreview(false);
    document->updateChangeCount(pf::DocumentChangeType::Done);
    ASSERT_TRUE(saveDocument(*document, file, nullptr, pf::SaveOperation::Save));
    EXPECT_FALSE(QFileInfo::exists(QDir(file).filePath(QStringLiteral("QuickLook/Preview.pdf"))));
    EXPECT_FALSE(QFileInfo::exists(QDir(file).filePath(QStringLiteral("QuickLook/Thumbnail.jpg"))))
        << "an unticked Save preview writes no picture of the drawing at all";
    EXPECT_FALSE(QFileInfo::exists(QDir(file).filePath(QStringLiteral("stray.txt"))));
    EXPECT_TRUE(QFileInfo(QDir(file).filePath(QStringLiteral("QuickLook"))).isDir()) << "QuickLook is always a folder";
}

TEST_F(DocumentPackageTest, ASaveKilledBeforeTheSwapKeepsTheOldPackage)
{
    Ref<RVCartavelDocument> document = richDocument();
    const QString file = path(QStringLiteral("kept.qlry"));
    ASSERT_TRUE(saveDocument(*document, file));
    QFile content(QDir(file).filePath(RVCartavelDocument::kContentEntry));
    ASSERT_TRUE(content.open(QIODevice::ReadOnly));
    const QByteArray before = content.readAll();
    content.close();

    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
        document->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
    layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 5, 5)));
    document->updateChangeCount(pf::DocumentChangeType::Done);
    // The new tree is complete, but the move into place fails.
    pf::FileWrapper::setFailureInjectionForTesting([file](const QString& target) { return target == file; });
    pf::Error error;
    EXPECT_FALSE(saveDocument(*document, file, &error, pf::SaveOperation::Save));
    pf::FileWrapper::setFailureInjectionForTesting(nullptr);
    EXPECT_FALSE(error.isNull());
    EXPECT_TRUE(document->isDocumentEdited()) << "a failed save leaves the document edited";
    ASSERT_TRUE(content.open(QIODevice::ReadOnly));
    EXPECT_EQ(content.readAll(), before) << "the old package is intact";
    const QStringList siblings = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(siblings, QStringList{QStringLiteral("kept.qlry")}) << "no temporary is left";
}

TEST_F(DocumentPackageTest, NoDrawingDataIsError102BeforeAnythingIsWritten)
{
    Ref<RVCartavelDocument> document = richDocument();
    // A drawing that cannot be archived: a string holding NUL cannot go into a property list.
    document->drawing()->setStringForKey(QString::fromUtf8("a\0b", 3), QStringLiteral("bad"));
    pf::Error error;
    EXPECT_FALSE(document->fileWrapperOfType(RVCartavelDocument::kNativeType, &error));
    EXPECT_EQ(error.domain(), RVCartavelDocument::kErrorDomain);
    EXPECT_EQ(error.code(), RVCartavelDocument::kErrorNoDrawingData);
    EXPECT_FALSE(saveDocument(*document, path(QStringLiteral("never.qlry"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("never.qlry"))));
}

// Each damaged side entry falls back alone; the drawing and the other entries still open.
struct DamagedEntry {
    const char* label;
    QString entry;
    QByteArray contents;
    bool mapScaleKept;
    bool windowStateKept;
    bool exportKept;
};

class DamagedEntryTest : public DocumentPackageTest, public ::testing::WithParamInterface<DamagedEntry> {};

TEST_P(DamagedEntryTest, FallsBackForThatEntryAlone)
{
    const DamagedEntry& c = GetParam();
    Ref<RVCartavelDocument> document = richDocument();
    auto operation = std::make_shared<VNQLExportOperation>();
    operation->setDpi(300.0);
    document->setExportOperation(operation);
    document->setWindowRestorationState({{QStringLiteral("left_sidebar"), QVariantMap{{QStringLiteral("a"), 1}}},
                                         {QStringLiteral("right_sidebar"), QVariantMap{{QStringLiteral("b"), 2}}}});
    const QString file = packageWithEntry(*document, c.entry, c.contents);
    pf::Error error;
    Ref<RVCartavelDocument> reopened = openDocument(file, &error);
    ASSERT_TRUE(reopened) << c.label << ": " << qPrintable(error.description());
    ASSERT_TRUE(reopened->mapScale()) << c.label;
    EXPECT_EQ(std::abs(reopened->mapScale()->scale() - 50000.0) < 1e-6, c.mapScaleKept) << c.label;
    EXPECT_EQ(!reopened->windowRestorationState().isEmpty(), c.windowStateKept) << c.label;
    EXPECT_EQ(reopened->exportOperation() && reopened->exportOperation()->dpi() == 300.0, c.exportKept) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DamagedEntryTest,
    ::testing::Values(
        DamagedEntry{"auxiliary garbage", RVCartavelDocument::kAuxiliaryEntry, "not an archive", false, true, true},
        DamagedEntry{"auxiliary missing", RVCartavelDocument::kAuxiliaryEntry, QByteArray(), false, true, true},
        DamagedEntry{"window garbage", RVCartavelDocument::kWindowEntry, "<plist", true, false, true},
        DamagedEntry{"window of the wrong shape", RVCartavelDocument::kWindowEntry,
                     pf::PropertyList::data(QVariantMap{{QStringLiteral("left_sidebar"), 3}}, pf::PropertyListFormat::XML),
                     true, false, true},
        // Binary entries can hold strings the package's XML cannot write back.
        DamagedEntry{"window that could not be saved again", RVCartavelDocument::kWindowEntry,
                     pf::PropertyList::data(QVariantMap{{QStringLiteral("left_sidebar"), QVariantMap{{QStringLiteral("a"), QStringLiteral("bell\x07")}}},
                                                        {QStringLiteral("right_sidebar"), QVariantMap{{QStringLiteral("b"), 2}}}},
                                            pf::PropertyListFormat::Binary),
                     true, false, true},
        DamagedEntry{"export garbage", RVCartavelDocument::kExportSettingsEntry, "\x01\x02", true, true, false},
        DamagedEntry{"export state not data", RVCartavelDocument::kExportSettingsEntry,
                     pf::PropertyList::data(QVariantMap{{QStringLiteral("export_state"), 12}}, pf::PropertyListFormat::XML),
                     true, true, false}),
    [](const auto& info) {
        QString name = QString::fromLatin1(info.param.label);
        name.replace(QLatin1Char(' '), QLatin1Char('_'));
        return name.toStdString();
    });

TEST_F(DocumentPackageTest, APackageWithoutItsWindowEntryTakesTheSavedPreference)
{
    const QVariantMap preferred{{QStringLiteral("left_sidebar"), QVariantMap{{QStringLiteral("a"), 1}}},
                                {QStringLiteral("right_sidebar"), QVariantMap{{QStringLiteral("c"), 3}}}};
    pf::UserDefaults::standard().setObject(preferred, RVCartavelDocument::kDefaultRestorableStateDefault);
    Ref<RVCartavelDocument> document = richDocument();
    document->setWindowRestorationState({{QStringLiteral("right_sidebar"), QVariantMap{{QStringLiteral("b"), 2}}}});
    const QString file = packageWithEntry(*document, RVCartavelDocument::kWindowEntry, QByteArray());
    pf::Error error;
    Ref<RVCartavelDocument> reopened = openDocument(file, &error);
    pf::UserDefaults::standard().removeObjectForKey(RVCartavelDocument::kDefaultRestorableStateDefault);
    ASSERT_TRUE(reopened) << qPrintable(error.description());
    EXPECT_EQ(reopened->windowRestorationState(), preferred);
}

// The "Doc_info" values as read.
struct DocInfoCase {
    const char* label;
    QVariant prescale;
    double expectedPrescale;
    QVariant unitOption;
    int expectedUnitOption;
};

class DocInfoTest : public DocumentPackageTest, public ::testing::WithParamInterface<DocInfoCase> {};

TEST_P(DocInfoTest, ValuesOfTheWrongKindCountAsMissing)
{
    const DocInfoCase& c = GetParam();
    Ref<RVCartavelDocument> document = newDocument();
    QVariantMap info;
    if (c.prescale.isValid())
        info.insert(RVCartavelDocument::kPrescaleKey, c.prescale);
    if (c.unitOption.isValid())
        info.insert(RVCartavelDocument::kUnitDisplayOptionKey, c.unitOption);
    document->setDocumentAuxiliaryInfo(info);
    EXPECT_DOUBLE_EQ(document->prescale(), c.expectedPrescale) << c.label;
    EXPECT_EQ(document->unitDisplayOption(), c.expectedUnitOption) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Values, DocInfoTest,
    ::testing::Values(DocInfoCase{"missing", QVariant(), 1.0, QVariant(), 0},
                      DocInfoCase{"zero", 0.0, 1.0, 2, 2},
                      DocInfoCase{"negative", -3.0, 1.0, 1, 1},
                      DocInfoCase{"infinite", std::numeric_limits<double>::infinity(), 1.0, 1, 1},
                      DocInfoCase{"nan", std::nan(""), 1.0, 1, 1},
                      DocInfoCase{"text", QStringLiteral("2.5"), 1.0, QStringLiteral("2"), 0},
                      DocInfoCase{"valid", 0.5, 0.5, 2, 2}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(DocumentPackageTest, AuxiliaryArchiveWithoutMapScaleGivesTheDefaultSettings)
{
    Ref<RVCartavelDocument> document = richDocument();
    pf::KeyedArchiver archiver;
    archiver.encodePropertyListValue(QVariantMap{{RVCartavelDocument::kDocInfoKey,
                                                  QVariantMap{{RVCartavelDocument::kPrescaleKey, 3.0}}}},
                                     pf::KeyedArchiver::kRootKey);
    const QString file = packageWithEntry(*document, RVCartavelDocument::kAuxiliaryEntry, archiver.encodedData());
    Ref<RVCartavelDocument> reopened = openDocument(file);
    ASSERT_TRUE(reopened);
    ASSERT_TRUE(reopened->mapScale());
    EXPECT_TRUE(reopened->mapScale()->isEqualToMapScale(PWXMapScale::defaultScale().get()));
    EXPECT_DOUBLE_EQ(reopened->prescale(), 1.0) << "the defaults override what Doc_info said";
}

TEST_F(DocumentPackageTest, APackageWithoutItsDrawingDoesNotOpen)
{
    Ref<RVCartavelDocument> document = richDocument();
    const QString file = packageWithEntry(*document, RVCartavelDocument::kContentEntry, QByteArray());
    pf::Error error;
    EXPECT_FALSE(openDocument(file, &error));
    EXPECT_FALSE(error.isNull());
    EXPECT_NE(error.domain(), RVCartavelDocument::kErrorDomain) << "the reader adds no error of its own";
    // Made without opening (as a revert or a template is), it is refused with an error too.
    pf::Error made;
    EXPECT_FALSE(documentController().makeDocumentWithContentsOfURL(QUrl::fromLocalFile(file), RVCartavelDocument::kNativeType, &made));
    EXPECT_EQ(made.code(), pf::kErrorFileReadCorrupt);
}

TEST_F(DocumentPackageTest, NativeTypeUnderItsExtensionNameIsOneType)
{
    Ref<RVCartavelDocument> document = richDocument();
    document->setFileType(RVCartavelDocument::nativeFileExtension());
    EXPECT_EQ(document->fileType(), RVCartavelDocument::kNativeType);
    pf::FileWrapperRef package = document->fileWrapperOfType(RVCartavelDocument::nativeFileExtension(), nullptr);
    ASSERT_TRUE(package);
    EXPECT_TRUE(package->isDirectory());

    Ref<RVCartavelDocument> reader = newDocument();
    EXPECT_TRUE(reader->readFromFileWrapper(*package, RVCartavelDocument::nativeFileExtension(), nullptr));
    EXPECT_NEAR(reader->mapScale()->scale(), 50000.0, 1e-6);
}

TEST_F(DocumentPackageTest, NewDocumentsAcceptOnlyTheirOwnTypes)
{
    pf::Error error;
    RVCartavelDocument document;
    EXPECT_FALSE(document.initWithType(RVCartavelDocument::kSVGType, &error));
    EXPECT_EQ(error.domain(), RVCartavelDocument::kErrorDomain);
    EXPECT_EQ(error.code(), RVCartavelDocument::kErrorException);
}

} // namespace
