#include "DocumentTestSupport.h"

#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/graphics/ImageReader.h"
#include "tests/support/LogCapture.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMenu>

namespace {

using namespace quillory::test;
using pf::Ref;

class ForeignFilesTest : public ::testing::Test {
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
    }
    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }

    QByteArray drawingArchive()
    {
        Ref<RVCartavelDocument> source = newDocument();
        auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
            source->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
        layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(1, 2, 3, 4)));
        return PWDrawingArchiving::dataWithDrawing(source->drawing());
    }

    void write(const QString& file, const QByteArray& data)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(data);
    }

    // Opens `file` and checks that it became an untitled native document, leaving the file as
    // it was even after an autosave.
    void expectUntitledCopy(const QString& file)
    {
        QFile original(file);
        const QByteArray before = QFileInfo(file).isFile() && original.open(QIODevice::ReadOnly) ? original.readAll() : QByteArray();
        original.close();
        pf::Error error;
        Ref<RVCartavelDocument> document = openDocument(file, &error);
        ASSERT_TRUE(document) << qPrintable(file) << ": " << qPrintable(error.description());
        EXPECT_TRUE(document->isUntitled()) << qPrintable(file);
        EXPECT_EQ(document->fileType(), RVCartavelDocument::kNativeType) << qPrintable(file);
        ASSERT_TRUE(document->drawing());
        EXPECT_TRUE(document->mapScale()) << "opened with the default settings";

        document->updateChangeCount(pf::DocumentChangeType::Done);
        bool done = false;
        document->autosaveWithImplicitCancellability(false, [&](bool, const pf::Error&) { done = true; });
        ASSERT_TRUE(waitUntil([&] { return done; }, 20000));
        if (!before.isNull()) {
            ASSERT_TRUE(original.open(QIODevice::ReadOnly));
            EXPECT_EQ(original.readAll(), before) << "the user's file is untouched: " << qPrintable(file);
        }
        document->close();
    }

    QTemporaryDir folder;
};

TEST_F(ForeignFilesTest, PicturesOpenUntitledWhateverTheirExtension)
{
    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(path(QStringLiteral("picture.PNG")), "PNG"));
    ASSERT_TRUE(image.save(path(QStringLiteral("photo.bmp")), "BMP"));
    expectUntitledCopy(path(QStringLiteral("picture.PNG")));
    expectUntitledCopy(path(QStringLiteral("photo.bmp")));
}

TEST_F(ForeignFilesTest, SVGFilesOpenUntitledWithTheirNameOnTheContentLayer)
{
    QFile::copy(fixturePath(QStringLiteral("svg/shapes-transforms.svg")), path(QStringLiteral("Shapes.svg")));
    expectUntitledCopy(path(QStringLiteral("Shapes.svg")));
    Ref<RVCartavelDocument> document = openDocument(path(QStringLiteral("Shapes.svg")));
    ASSERT_TRUE(document);
    pf::Ref<PWLayer> layer = document->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass());
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->layerName(), QStringLiteral("Shapes"));
}

TEST_F(ForeignFilesTest, FlatDrawingsAndMapPackagesOpenUntitled)
{
    write(path(QStringLiteral("plain.drawing")), drawingArchive());
    expectUntitledCopy(path(QStringLiteral("plain.drawing")));

    Ref<RVCartavelDocument> source = newDocument();
    pf::FileWrapperRef package = source->fileWrapperOfType(RVCartavelDocument::kNativeType, nullptr);
    ASSERT_TRUE(package);
    const QString map = path(QStringLiteral("Region.") + RVCartavelDocument::kMapExtension);
    ASSERT_TRUE(package->writeToPath(map));
    expectUntitledCopy(map);
}

TEST_F(ForeignFilesTest, AFlatFileUnderThePackageTypeIsReadAsADrawing)
{
    const QString file = path(QStringLiteral("flat.qlry"));
    write(file, drawingArchive());
    LogCapture log;
    expectUntitledCopy(file);
    EXPECT_TRUE(log.lines().filter(QStringLiteral("unexpected flat file")).size() == 1) << qPrintable(log.lines().join('\n'));
}

TEST_F(ForeignFilesTest, UnreadableFilesFailWithoutADocument)
{
    write(path(QStringLiteral("broken.png")), "not a picture");
    pf::Error error;
    EXPECT_FALSE(openDocument(path(QStringLiteral("broken.png")), &error));
    EXPECT_FALSE(error.isNull());
    EXPECT_TRUE(documentController().documents().isEmpty());
}

// Font sizes in an SVG file (named values, style sheet rules, the font shorthand, relative
// sizes) are the drawing's text alone: the program's own font and its menus' keep their size.
TEST_F(ForeignFilesTest, SVGFontSizesLeaveTheProgramsFontsAlone)
{
    QFile svg(path(QStringLiteral("named-value.svg")));
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write(R"(<svg xmlns="http://www.w3.org/2000/svg" width="200" height="200" font-size="xx-large">
  <title>Named value</title>
  <style>* { font-size: xx-large } text { font: bold 40px serif } .big { font-size: 300% }</style>
  <text x="10" y="30" font-size="xx-small">Text</text>
  <text x="10" y="60" font-size="medium">Text</text>
  <text x="10" y="100" font-size="larger" class="big">Text</text>
  <text x="10" y="150" style="font-size: xx-large">Text<tspan font-size="smaller">small</tspan></text>
</svg>)");
    svg.close();
    const QFont application = QApplication::font();
    const QFont menus = QApplication::font("QMenu");
    const QFont menuBar = QApplication::font("QMenuBar");
    QMenu menu;
    const QFont menuWidget = menu.font();

    Ref<RVCartavelDocument> document = openDocument(svg.fileName());
    ASSERT_TRUE(document);
    document->makeWindowControllers();
    document->showWindows();
    pf::Error error;
    EXPECT_FALSE(pf::ImageReader::read(svg.fileName(), &error).isNull()) << qPrintable(error.description());
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();

    EXPECT_EQ(QApplication::font(), application);
    EXPECT_EQ(QApplication::font("QMenu"), menus);
    EXPECT_EQ(QApplication::font("QMenuBar"), menuBar);
    EXPECT_EQ(menu.font(), menuWidget);
    document->close();
}

} // namespace
