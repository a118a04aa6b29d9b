#include "platform/ui/Bundle.h"
#include "platform/ui/Cursor.h"

#include "platform/foundation/PropertyList.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>

using namespace pf;

TEST(CursorImages, HotSpotCountsFromTheImagesTopLeft)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::black);
    const Cursor dropper(image, QPointF(2, 26));
    EXPECT_EQ(dropper.hotSpot(), QPointF(2, 26));
    EXPECT_EQ(Cursor::crosshair().qCursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(Cursor::closedHand().qCursor().shape(), Qt::ClosedHandCursor);
}

TEST(CursorStack, SetHoldsUntilTheNextUpdateAndPushesStackAboveIt)
{
    Cursor::crosshair().set();
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    Cursor::openHand().push();
    EXPECT_EQ(Cursor::current().qCursor().shape(), Qt::OpenHandCursor);
    Cursor::closedHand().set(); // waits below the pushed cursor
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::OpenHandCursor);
    Cursor::pop();
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
    Cursor::pop(); // unbalanced: ignored
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
    Cursor::clearSetCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Cursor::current().qCursor().shape(), Qt::ArrowCursor);
}

class BundleResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = QDir(quillory::test::homeFolder()).filePath("bundle/Resources");
        QDir().mkpath(root + "/Background_Textures");
        QDir().mkpath(root + "/en.lproj");
        write("Background_Textures/paper.png", "png");
        write("Background_Textures/linen.png", "png");
        write("Background_Textures/notes.txt", "txt");
        write("Quillory_defaults.plist", "x");
        write("secret", "outside");
        PropertyList::write(QVariantMap{{"CFBundleIdentifier", "org.quillory.Test"}, {"CFBundleVersion", "42"}},
                            root + "/Info.plist", PropertyListFormat::XML);
        PropertyList::write(QVariantMap{{"Delete", "Remove"}}, root + "/en.lproj/Localizable.plist", PropertyListFormat::XML);
        PropertyList::write(QVariantMap{{"Pen", "Pen Tool"}}, root + "/en.lproj/localized_tool_names.plist",
                            PropertyListFormat::XML);
        write("en.lproj/Only English.txt", "e");
        write("en.lproj/broken.plist", "<plist><dict><key>");
    }
    void write(const QString& relative, const QByteArray& bytes)
    {
        QFile file(root + "/" + relative);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    QString root;
};

TEST_F(BundleResources, FindsResourcesByNameTypeAndFolder)
{
    Bundle bundle(root);
    EXPECT_EQ(bundle.pathForResource("Quillory_defaults", "plist"), root + "/Quillory_defaults.plist");
    EXPECT_EQ(bundle.pathForResource("Quillory_defaults.plist", {}), root + "/Quillory_defaults.plist");
    EXPECT_EQ(bundle.pathForResource("paper", "png", "Background_Textures"), root + "/Background_Textures/paper.png");
    EXPECT_EQ(bundle.pathForResource("Only English", "txt"), root + "/en.lproj/Only English.txt");
    EXPECT_TRUE(bundle.pathForResource("nothing", "png").isEmpty());
    EXPECT_EQ(bundle.pathsForResourcesOfType("png", "Background_Textures"),
              (QStringList{root + "/Background_Textures/linen.png", root + "/Background_Textures/paper.png"}));
    EXPECT_EQ(bundle.bundleIdentifier(), "org.quillory.Test");
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("CFBundleVersion"), QVariant("42"));
    // Names that would leave the folder find nothing.
    for (const QString& hostile : {QString("../Resources/secret"), QString("/etc/passwd"), QString("a/../../x")})
        EXPECT_TRUE(bundle.pathForResource(hostile, {}).isEmpty()) << hostile.toStdString();
    EXPECT_TRUE(bundle.pathForResource("paper", "png", "..").isEmpty());
    EXPECT_TRUE(bundle.pathsForResourcesOfType("png", "../..").isEmpty());
}

TEST_F(BundleResources, LocalizedStringsFallBackToTheGivenValueThenTheKey)
{
    Bundle bundle(root);
    EXPECT_EQ(bundle.localizedString("Delete"), "Remove");
    EXPECT_EQ(bundle.localizedString("Pen", {}, "localized_tool_names"), "Pen Tool");
    EXPECT_EQ(bundle.localizedString("Pen"), "Pen"); // not in the default table
    EXPECT_EQ(bundle.localizedString("Missing", "Default"), "Default");
    EXPECT_EQ(bundle.localizedString("Missing", {}, "broken"), "Missing"); // a damaged table reads as empty
    EXPECT_EQ(bundle.localizedString("x", {}, "../Info"), "x");
    EXPECT_EQ(Bundle("/nonexistent").bundleIdentifier(), "org.quillory.Quillory");
}
