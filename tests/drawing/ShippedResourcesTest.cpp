// The resources the build places beside the program: the tools' cursor images and the
// background textures.
#include <QPushButton> // the controller header holds a QPointer to one

#include "drawing/PWXBackgroundTexture.h"
#include "drawing/PWXBackgroundTextureController.h"
#include "drawing/PWXPathCuttingTool.h"
#include "drawing/PWXStylePickUpTool.h"
#include "drawing/PWXSymbolTool.h"

#include "platform/graphics/Image.h"
#include "platform/ui/Bundle.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QPushButton>

#include <functional>

TEST(ShippedResourcesTest, TheBundleIsTheResourcesFolderBesideTheProgram)
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Resources"));
    ASSERT_TRUE(QFileInfo(beside).isDir());
    EXPECT_EQ(QFileInfo(pf::Bundle::main().resourcePath()).canonicalFilePath(), QFileInfo(beside).canonicalFilePath());
}

struct ToolCursorCase {
    const char* image;
    std::function<QCursor()> cursor;
    QPoint hotSpot;
    bool readDirectly = false;
};

class ToolCursorTest : public ::testing::TestWithParam<ToolCursorCase> {};

// Each cursor shows its own image, not the crosshair fallback, with the tool's hot spot.
TEST_P(ToolCursorTest, CursorIsMadeFromItsImage)
{
    const ToolCursorCase& c = GetParam();
    // The stamp is read straight from the bundle, the others through the named images.
    const QString name = QString::fromLatin1(c.image);
    pf::Ref<pf::Image> named = pf::Image::imageNamed(name);
    ASSERT_TRUE(named) << c.image;
    const QImage image = c.readDirectly ? pf::Bundle::main().imageForResource(name) : named->bitmap();
    const QCursor cursor = c.cursor();
    ASSERT_EQ(cursor.shape(), Qt::BitmapCursor) << c.image;
    EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(cursor.hotSpot(), c.hotSpot);
    EXPECT_EQ(cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

INSTANTIATE_TEST_SUITE_P(
    Tools, ToolCursorTest,
    ::testing::Values(
        ToolCursorCase{"VNCR_Cut_Path", [] { return std::make_shared<PWXPathCuttingTool>()->cursor(); }, {4, 21}},
        ToolCursorCase{"VNCR_Style_Dropper_Full", &PWXStylePickUpTool::dropperCursor, {2, 26}},
        ToolCursorCase{"VNCR_Style_Dropper_Empty", &PWXStylePickUpTool::pickUpCursor, {2, 26}},
        ToolCursorCase{"VNCR_Stamp", &PWXSymbolTool::symbolToolCursor, {6, 23}, true}));

TEST(ShippedResourcesTest, TheTextureControllerListsTheShippedTextures)
{
    QStringList names;
    for (const pf::Ref<PWXBackgroundTexture>& texture : PWXBackgroundTextureController::availableTextures()) {
        names.append(texture->name());
        EXPECT_FALSE(texture->image().isNull()) << qPrintable(texture->name());
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("Light Canvas"), QStringLiteral("Linen"),
                                  QStringLiteral("Paper Grain"), QStringLiteral("Parchment")}));
}
