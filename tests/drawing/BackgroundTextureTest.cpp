// The background choices of a drawing: textures from image files, a plain colour, or none.
#include "drawing/PWXBackgroundTexture.h"
#include "drawing/PWXBackgroundTextureController.h"

#include "platform/ui/ColorPanel.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

// Keeps the background it is given, as a drawing setup dialog does.
class BackgroundDelegate : public pf::Object {
    PF_CLASS(BackgroundDelegate)
public:
    void applyTexture(const QVariant&, const QVariant& colour)
    {
        pf::Ref<pf::Color> given = pf::objectCast<pf::Color>(colour);
        background = given ? *given : pf::Color();
        ++applied;
    }
    void setName(const QVariant&, const QVariant& newName) { name = newName.toString(); }
    QVariant current() const { return background.isValid() ? pf::toVariant(std::make_shared<pf::Color>(background)) : QVariant(); }
    QString currentName() const { return name; }

    pf::Color background;
    QString name;
    int applied = 0;
};

} // namespace

PF_DEFINE_CLASS(BackgroundDelegate, pf::Object)
{
    b.method("textureController:applyTexture:", &BackgroundDelegate::applyTexture);
    b.method("textureController:setBackgroundTextureName:", &BackgroundDelegate::setName);
    b.method("currentBackgroundTexture", &BackgroundDelegate::current);
    b.method("currentBackgroundTextureName", &BackgroundDelegate::currentName);
}

namespace {

struct BackgroundTextureTest : ::testing::Test {
    void SetUp() override
    {
        QImage paper(8, 8, QImage::Format_ARGB32);
        paper.fill(Qt::darkYellow);
        ASSERT_TRUE(paper.save(folder.filePath("rough paper.png")));
        ASSERT_TRUE(paper.save(folder.filePath("CANVAS.png")));
        QFile notes(folder.filePath("readme.txt"));
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("not an image");
    }

    pf::Ref<PWXBackgroundTextureController> controllerWithTextures()
    {
        auto controller = std::make_shared<PWXBackgroundTextureController>(
            PWXBackgroundTextureController::texturesInFolder(folder.path()));
        controller->setDelegate(delegate.get());
        controller->setPopUpButton(&button);
        QCoreApplication::processEvents();
        return controller;
    }

    static QStringList titles(const pf::Menu& menu)
    {
        QStringList out;
        for (const auto& item : menu.items())
            out.append(item->isSeparatorItem() ? QStringLiteral("-") : item->title());
        return out;
    }

    QTemporaryDir folder;
    QPushButton button;
    pf::Ref<BackgroundDelegate> delegate = std::make_shared<BackgroundDelegate>();
};

TEST_F(BackgroundTextureTest, EveryImageFileIsOneTextureNamedAfterIt)
{
    const auto textures = PWXBackgroundTextureController::texturesInFolder(folder.path());
    ASSERT_EQ(textures.size(), 2);
    EXPECT_EQ(textures[0]->name(), QStringLiteral("Canvas"));
    EXPECT_EQ(textures[1]->name(), QStringLiteral("Rough Paper"));
    EXPECT_TRUE(textures[1]->color().isPattern());
    EXPECT_EQ(textures[1]->image().size(), QSize(48, 24));
    EXPECT_EQ(textures[1]->image().pixelColor(40, 20), QColor(Qt::darkYellow));
    EXPECT_FALSE(PWXBackgroundTexture::textureWithPath(folder.filePath("readme.txt")));

    auto plain = PWXBackgroundTexture::textureWithColor(pf::Color::white());
    EXPECT_EQ(plain->name(), QStringLiteral("PW_FIXED_COLOUR"));
    EXPECT_EQ(plain->image().pixelColor(0, 0), QColor(Qt::white));
}

TEST_F(BackgroundTextureTest, TheMenuListsTexturesThenColourAndNone)
{
    auto controller = controllerWithTextures();
    EXPECT_EQ(titles(controller->menu()), (QStringList{"Canvas", "Rough Paper", "-", "Color...", "None"}));
    EXPECT_EQ(controller->menu().itemWithTag(-77)->title(), QStringLiteral("Color..."));
    EXPECT_EQ(controller->menu().itemWithTag(-99)->title(), QStringLiteral("None"));

    PWXBackgroundTextureController empty(QList<pf::Ref<PWXBackgroundTexture>>{});
    EXPECT_EQ(titles(empty.menu()), (QStringList{"-", "Color...", "None"}));
}

TEST_F(BackgroundTextureTest, ChoosingATextureAppliesItsPatternAndName)
{
    auto controller = controllerWithTextures();
    pf::MenuItem* paper = controller->menu().items().at(1).get();
    controller->textureChooseAction(paper->senderValue());
    EXPECT_TRUE(delegate->background.isPattern());
    EXPECT_EQ(delegate->name, QStringLiteral("Rough Paper"));
    EXPECT_EQ(button.text(), QStringLiteral("Rough Paper"));
    EXPECT_TRUE(controller->validateMenuItem(*paper));
    EXPECT_EQ(paper->state(), pf::ControlState::On);

    controller->removeBackgroundTextureAction({});
    EXPECT_FALSE(delegate->background.isValid());
    EXPECT_TRUE(delegate->name.isEmpty());
    controller->validateMenuItem(*paper);
    EXPECT_EQ(paper->state(), pf::ControlState::Off);
    pf::MenuItem* none = controller->menu().itemWithTag(-99);
    controller->validateMenuItem(*none);
    EXPECT_EQ(none->state(), pf::ControlState::On);
    EXPECT_FALSE(controller->validateMenuItem(*controller->menu().items().at(2)));
}

TEST_F(BackgroundTextureTest, ColourOverATextureStartsAtWhiteAndAppliesIt)
{
    auto controller = controllerWithTextures();
    controller->textureChooseAction(controller->menu().items().at(0)->senderValue());
    pf::ColorPanel::shared()->setColor(pf::Color::red());
    controller->textureColourAction({});
    EXPECT_EQ(delegate->background, pf::Color::white());
    EXPECT_EQ(delegate->name, QStringLiteral("PW_FIXED_COLOUR"));
    EXPECT_FALSE(controller->menu().itemWithTag(-77)->image().isNull());
    EXPECT_EQ(pf::ColorPanel::shared()->target(), controller.get());

    // Over a plain colour the panel starts at that colour.
    delegate->background = pf::Color::blue();
    controller->textureColourAction({});
    EXPECT_EQ(delegate->background, pf::Color::blue());

    controller->finish();
    EXPECT_EQ(pf::ColorPanel::shared()->target(), nullptr);
    EXPECT_TRUE(pf::ColorPanel::shared()->showsAlpha());
}

TEST_F(BackgroundTextureTest, SyncSelectsTheItemOfTheCurrentBackground)
{
    delegate->name = QStringLiteral("Rough Paper");
    auto controller = controllerWithTextures();
    EXPECT_EQ(controller->selectedItem()->title(), QStringLiteral("Rough Paper"));
    EXPECT_EQ(button.text(), QStringLiteral("Rough Paper"));

    delegate->name = QStringLiteral("Marble");
    controller->sync();
    EXPECT_EQ(controller->selectedItem()->tag(), -99);

    delegate->name = QStringLiteral("PW_FIXED_COLOUR");
    delegate->background = pf::Color::green();
    controller->sync();
    EXPECT_EQ(controller->selectedItem()->tag(), -77);
    EXPECT_FALSE(controller->selectedItem()->image().isNull());

    // "Color..." is never taken for a texture of that title.
    delegate->name = QStringLiteral("Color...");
    controller->sync();
    EXPECT_EQ(controller->selectedItem()->tag(), -99);
}

} // namespace
