#include "DocumentTestSupport.h"

#include "app/PWXAboutBox.h"
#include "app/QuilloryDocumentMenus.h"
#include "app/VNQLAppDelegate.h"
#include "frameworks/penwork/registries/PWDefaultStyleRegistry.h"
#include "app/VNQLTemplateDocumentOpener.h"
#include "frameworks/feedback/DMFeedbackController.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/registries/PWStyleRegistry.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/ColorList.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Application.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QUrlQuery>

namespace {

using namespace quillory::test;

pf::Ref<pf::Menu> submenu(pf::MainMenu& main, const QString& bar, const QString& title)
{
    pf::Menu* menu = main.menuWithTitle(bar);
    for (const auto& item : menu ? menu->items() : QList<pf::Ref<pf::MenuItem>>()) {
        if (item->submenu() && item->submenu()->title() == title)
            return item->submenu()->ref<pf::Menu>();
    }
    return nullptr;
}

// Runs a menu's delegate the way the menu does before it shows.
void update(pf::Menu& menu, VNQLAppDelegate& delegate)
{
    const int count = delegate.numberOfItemsInMenu(menu);
    while (menu.numberOfItems() > count)
        menu.removeItem(menu.itemAtIndex(menu.numberOfItems() - 1));
    while (menu.numberOfItems() < count)
        menu.addItem(pf::MenuItem::make(QString()));
    for (int i = 0; i < count; ++i)
        delegate.updateItem(menu, *menu.itemAtIndex(i), i, false);
}

// The program's menus and delegate, and a document shown in the active window.
class AppDelegateMenusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        documentController();
        previous = pf::Application::shared()->delegate() ? pf::Application::shared()->delegate()->ref<pf::ApplicationDelegate>() : nullptr;
        previousMenu = pf::Application::shared()->mainMenu() ? pf::Application::shared()->mainMenu()->ref<pf::MainMenu>() : nullptr;
        VNQLAppDelegate::loadMainMenu(*pf::Application::shared());
        delegate = std::dynamic_pointer_cast<VNQLAppDelegate>(pf::Application::shared()->delegate()->ref<pf::ApplicationDelegate>());
        ASSERT_TRUE(delegate);
    }

    void TearDown() override
    {
        closeDocument(document);
        pf::Application::shared()->setDelegate(previous);
        pf::Application::shared()->setMainMenu(previousMenu);
    }

    void showDocument()
    {
        document = newDocument();
        documentController().addDocument(document);
        document->makeWindowControllers();
        document->showWindows();
        QWidget* window = document->windowControllers().first()->window();
        window->activateWindow();
        ASSERT_TRUE(waitUntil([&] { return pf::DocumentController::shared()->currentDocument() == document.get(); }));
    }

    pf::Ref<pf::ApplicationDelegate> previous;
    pf::Ref<pf::MainMenu> previousMenu;
    pf::Ref<VNQLAppDelegate> delegate;
    pf::Ref<RVCartavelDocument> document;
};

TEST_F(AppDelegateMenusTest, TheLayerMenusFollowTheCurrentDocument)
{
    pf::Ref<pf::Menu> activate = delegate->layersListMenu();
    pf::Ref<pf::Menu> moveTo = delegate->layersListForMoveToMenu();
    ASSERT_TRUE(activate && moveTo);
    EXPECT_EQ(activate, submenu(*pf::Application::shared()->mainMenu(), QStringLiteral("Arrange"), QuilloryDocumentMenus::kActivateLayerMenuTitle));

    // No document: no layers, and the two fixed items of the move-to menu stay.
    const QString fixedTitle = moveTo->itemAtIndex(0)->title();
    update(*activate, *delegate);
    update(*moveTo, *delegate);
    EXPECT_EQ(activate->numberOfItems(), 0);
    EXPECT_EQ(moveTo->numberOfItems(), 2);

    showDocument();
    pf::Ref<PWDrawing> drawing = document->drawing();
    auto rivers = std::make_shared<PWObjectDrawingLayer>();
    rivers->setLayerName(QStringLiteral("Rivers"));
    rivers->setLocked(true);
    auto group = std::make_shared<PWLayerGroup>();
    group->setLayerName(QStringLiteral("Water"));
    auto lakes = std::make_shared<PWObjectDrawingLayer>();
    lakes->setLayerName(QStringLiteral("Lakes"));
    ASSERT_TRUE(drawing->addLayer(group));
    ASSERT_TRUE(group->addLayer(lakes));
    ASSERT_TRUE(drawing->addLayer(rivers));

    update(*moveTo, *delegate);
    const QList<pf::Ref<PWLayer>> drawingLayers = document->flattenedListOfDrawingLayersAndGroups();
    ASSERT_EQ(moveTo->numberOfItems(), drawingLayers.size() + 2);
    EXPECT_EQ(moveTo->itemAtIndex(0)->title(), fixedTitle);
    EXPECT_TRUE(moveTo->itemAtIndex(1)->isSeparatorItem());
    for (int i = 0; i < drawingLayers.size(); ++i) {
        pf::MenuItem* item = moveTo->itemAtIndex(i + 2);
        EXPECT_EQ(pf::objectFromVariant(item->representedObject()), drawingLayers.at(i));
        EXPECT_EQ(item->title(), drawingLayers.at(i)->layerName());
        EXPECT_EQ(item->indentationLevel(), drawingLayers.at(i)->level());
    }
    auto itemFor = [&](pf::Menu& menu, const QString& title) -> pf::MenuItem* {
        const int index = menu.indexOfItemWithTitle(title);
        return index >= 0 ? menu.itemAtIndex(index) : nullptr;
    };
    pf::MenuItem* riversItem = itemFor(*moveTo, QStringLiteral("Rivers"));
    ASSERT_TRUE(riversItem);
    EXPECT_EQ(riversItem->action(), QStringLiteral("moveSelectionToLayerByName:"));
    EXPECT_FALSE(riversItem->image().isNull()); // the padlock
    EXPECT_EQ(riversItem->target(), nullptr);
    pf::MenuItem* lakesItem = itemFor(*moveTo, QStringLiteral("Lakes"));
    ASSERT_TRUE(lakesItem);
    EXPECT_TRUE(lakesItem->image().isNull());
    EXPECT_EQ(lakesItem->indentationLevel(), lakes->level());
    // A group heads its layers and cannot be chosen.
    pf::MenuItem* groupItem = itemFor(*moveTo, QStringLiteral("Water"));
    ASSERT_TRUE(groupItem);
    EXPECT_TRUE(groupItem->action().isEmpty());
    EXPECT_FALSE(groupItem->isEnabled());
    EXPECT_FALSE(groupItem->image().isNull());
    EXPECT_TRUE(groupItem->hasAttributedTitle());

    update(*activate, *delegate);
    EXPECT_EQ(activate->numberOfItems(), document->flattenedListOfActivateableLayersAndGroups().size());
    ASSERT_TRUE(itemFor(*activate, QStringLiteral("Lakes")));
    EXPECT_EQ(itemFor(*activate, QStringLiteral("Lakes"))->action(), QStringLiteral("activateLayerByName:"));

    // A group row turned back into a layer row loses the group's look.
    group->setLayerName(QStringLiteral("Zzz"));
    drawing->removeLayer(group);
    update(*moveTo, *delegate);
    for (const auto& item : moveTo->items())
        EXPECT_FALSE(item->hasAttributedTitle()) << qPrintable(item->title());

    // The menus keep no reference to the layers of a document that goes.
    delegate->currentDocumentWillBeDeallocated();
    for (const auto& item : moveTo->items())
        EXPECT_FALSE(item->representedObject().isValid());
    for (const auto& item : activate->items())
        EXPECT_FALSE(item->representedObject().isValid());
}

TEST_F(AppDelegateMenusTest, ValidationAndTheApplicationItems)
{
    auto item = [](const char* action, int tag = 0) {
        pf::Ref<pf::MenuItem> made = pf::MenuItem::make(QStringLiteral("item"), QString::fromLatin1(action));
        made->setTag(tag);
        return made;
    };
    EXPECT_EQ(delegate->validateMenuItem(*item("newDocumentFromTemplate:")), RVCartavelDocument::hasTemplatesAvailable());
    pf::Ref<pf::MenuItem> library = item("showLibraryManager:");
    library->setState(pf::ControlState::On);
    EXPECT_TRUE(delegate->validateMenuItem(*library));
    EXPECT_EQ(library->state(), pf::ControlState::Off); // the library window is not in front
    for (const char* action : {"cartavelAboutBox:", "resetPreferences:", "openURLItemWithTagOfSender:",
                               "showHelpItemWithTitleOfSender:", "showStyleManagerDialog:", "openPreferences:",
                               "showHelp:", "showWelcomeToQuillory:"})
        EXPECT_TRUE(delegate->validateMenuItem(*item(action))) << action;
    // Nothing answers these yet: their items are disabled rather than doing nothing.
    EXPECT_TRUE(delegate->validateMenuItem(*item("showToolPalette:")));
    EXPECT_TRUE(delegate->validateMenuItem(*item("showMediaBrowser:")));
    EXPECT_TRUE(delegate->validateMenuItem(*item("showUserFeedbackDialog:")));
    EXPECT_TRUE(delegate->validateMenuItem(*item("showToolOptionsPalette:"))); // the library picker
    EXPECT_FALSE(delegate->validateMenuItem(*item("noSuchAction:")));

    // Every item of the application's menus has someone to answer it or is disabled.
    pf::MainMenu* main = pf::Application::shared()->mainMenu();
    EXPECT_EQ(main->menuWithTitle(VNQLAppDelegate::kDebugMenuTitle), nullptr); // not in debug mode
    QStringList actions;
    std::function<void(pf::Menu&)> collect = [&](pf::Menu& menu) {
        for (const auto& entry : menu.items()) {
            if (entry->submenu())
                collect(*entry->submenu());
            else if (!entry->action().isEmpty())
                actions << entry->action();
        }
    };
    collect(main->root());
    for (const char* action : {"cartavelAboutBox:", "resetPreferences:", "openPreferences:", "showToolPalette:",
                               "showMediaBrowser:", "showLibraryManager:", "showToolOptionsPalette:",
                               "openURLItemWithTagOfSender:", "showHelp:", "showWelcomeToQuillory:"})
        EXPECT_TRUE(actions.contains(QString::fromLatin1(action))) << action;
}

// Two menu items with one key answer neither (Qt calls the shortcut ambiguous).
TEST_F(AppDelegateMenusTest, NoTwoMenuItemsShareAKey)
{
    QHash<QKeySequence, QString> seen;
    std::function<void(pf::Menu&)> walk = [&](pf::Menu& menu) {
        for (const auto& entry : menu.items()) {
            if (entry->submenu())
                walk(*entry->submenu());
            if (!entry->qAction())
                continue;
            for (const QKeySequence& key : entry->qAction()->shortcuts()) {
                if (key.isEmpty())
                    continue;
                EXPECT_FALSE(seen.contains(key)) << key.toString().toStdString() << ": " << entry->title().toStdString()
                                                 << " and " << seen.value(key).toStdString();
                seen.insert(key, entry->title());
            }
        }
    };
    walk(pf::Application::shared()->mainMenu()->root());
    EXPECT_GT(seen.size(), 20);
}

TEST(AppDelegate, WebPagesByTag)
{
    const std::pair<int, const char*> pages[] = {
        {1, "/forums/forum/quillory/"}, {21, "/quillory/learn-quillory/"}, {22, "/quillory/quillory-gallery/"},
        {23, "/quillory/qlry-user-guide/"}, {27, "/subscribe-to-newsletter"}, {0, "/quillory"}, {99, "/quillory"}, {-4, "/quillory"}};
    for (const auto& [tag, path] : pages) {
        const QUrl url = VNQLAppDelegate::urlForItemWithIdentifier(tag);
        EXPECT_EQ(url.path(), QString::fromLatin1(path)) << tag;
        EXPECT_EQ(url.scheme(), QStringLiteral("https")) << tag;
    }
    EXPECT_EQ(VNQLAppDelegate::cartographyAbbreviations().value(QStringLiteral("boulevard")), QStringLiteral("Bvd."));
    EXPECT_EQ(VNQLAppDelegate::cartographyAbbreviations().size(), 15);
}

TEST(AppDelegate, SpecialStylesAreTheCrayonsAsFillsAndStrokes)
{
    pf::Ref<pf::ColorList> crayons = pf::ColorList::named(QStringLiteral("Crayons"));
    ASSERT_TRUE(crayons);
    // A registry of the framework's own kind, empty, whatever a launch earlier in the process
    // installed or registered.
    struct Reinstall {
        pf::Ref<PWStyleRegistry> installed = PWStyleRegistry::sharedRegistry();
        Reinstall() { PWStyleRegistry::setSharedRegistry(std::make_shared<PWDefaultStyleRegistry>()); }
        ~Reinstall() { PWStyleRegistry::setSharedRegistry(installed); }
    } reinstall;
    const int registered = VNQLAppDelegate::createSpecialStyles();
    EXPECT_EQ(registered, 2 * crayons->allKeys().size());
    EXPECT_TRUE(PWStyleRegistry::sharedRegistry()->styleNames().contains(crayons->allKeys().first()));
    // Only fonts the system has: nothing is made of a missing one.
    const int fontStyles = VNQLAppDelegate::createDefaultFontStyles();
    EXPECT_EQ(fontStyles % 11, 0);
}

// Feedback goes to the user's mail program, which shows it before anything is sent.
TEST(AppDelegate, FeedbackBecomesAMailToTheMaker)
{
    const QUrl url = DMFeedbackController::mailURLForMessage(QStringLiteral(" ann@example.org "),
                                                             QStringLiteral("Stars & arcs?\nGreat = yes"), QStringLiteral("Quillory"));
    EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(url.path(), QStringLiteral("feedback@quillory.org"));
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded), QStringLiteral("Quillory Feedback"));
    EXPECT_EQ(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded),
              QStringLiteral("Stars & arcs?\nGreat = yes\n\nReply to: ann@example.org"));
    EXPECT_EQ(query.queryItems().size(), 2); // the "&" and "=" of the message stay inside the body

    // An empty message sends nothing.
    pf::Ref<DMFeedbackController> feedback = DMFeedbackController::sharedController();
    feedback->showFeedbackDialog({}, 0);
    ASSERT_TRUE(feedback->window());
    EXPECT_TRUE(feedback->window()->isVisible());
    EXPECT_FALSE(feedback->send());
    feedback->window()->hide();
}

TEST(AppDelegate, AboutBoxShowsTheVersion)
{
    PWXAboutBox box;
    EXPECT_EQ(box.versionTextField()->text(), QStringLiteral("0.1.0 (1)"));
    EXPECT_TRUE(box.penworkVersionTextField()->isHidden());
    EXPECT_TRUE(box.penworkVersionTextField()->text().startsWith(QStringLiteral("PW ")));
}

class ImageDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { documentController(); }
    void TearDown() override
    {
        for (const auto& document : documentController().documents())
            if (std::find(before.begin(), before.end(), document) == before.end())
                document->close();
    }
    QTemporaryDir folder;
    QList<pf::Ref<pf::Document>> before = documentController().documents();
    VNQLAppDelegate delegate;
};

TEST_F(ImageDocumentTest, AnImageBecomesADrawingOfItsSize)
{
    QImage image(300, 200, QImage::Format_ARGB32);
    image.fill(Qt::darkCyan);
    const QString path = QDir(folder.path()).filePath(QStringLiteral("Harbour Map.png"));
    ASSERT_TRUE(image.save(path));

    pf::Ref<RVCartavelDocument> document = delegate.createDocumentWithImageAtURL(QUrl::fromLocalFile(path));
    ASSERT_TRUE(document);
    pf::Ref<PWDrawing> drawing = document->drawing();
    EXPECT_EQ(drawing->drawingSize(), QSizeF(300, 200));
    const pf::Ref<PWLayer> bottom = drawing->layers().back();
    EXPECT_EQ(bottom->layerName(), QStringLiteral("Harbour Map"));
    EXPECT_TRUE(bottom->locked());
    auto owner = std::dynamic_pointer_cast<PWObjectOwnerLayer>(bottom);
    ASSERT_TRUE(owner);
    ASSERT_EQ(owner->objects().size(), 1);
    auto shape = std::dynamic_pointer_cast<PWImageShape>(owner->objects().front());
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->location(), QPointF(150, 100));
    EXPECT_EQ(shape->size(), QSizeF(300, 200));
    // Opening it is no step the user could undo, and later edits are recorded again.
    ASSERT_TRUE(document->ownUndoManager());
    EXPECT_FALSE(document->ownUndoManager()->canUndo());
    EXPECT_TRUE(document->ownUndoManager()->isUndoRegistrationEnabled());

    // The media browser asks for it by name.
    const qsizetype count = documentController().documents().size();
    ASSERT_TRUE(delegate.respondsTo(QStringLiteral("createDocumentWithImageAtURL:")));
    delegate.perform(QStringLiteral("createDocumentWithImageAtURL:"), {QUrl::fromLocalFile(path)});
    EXPECT_EQ(documentController().documents().size(), count + 1);
}

TEST_F(ImageDocumentTest, WhatIsNoImageOpensNoDocument)
{
    const std::pair<const char*, QByteArray> files[] = {
        {"empty.png", QByteArray()},
        {"text.png", QByteArray("not a picture at all")},
        {"truncated.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\0\0\0\0\0", 24)}, // 0 x 0
    };
    for (const auto& [name, data] : files) {
        const QString path = QDir(folder.path()).filePath(QString::fromLatin1(name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        file.close();
        const qsizetype count = documentController().documents().size();
        EXPECT_FALSE(delegate.createDocumentWithImageAtURL(QUrl::fromLocalFile(path))) << name;
        EXPECT_EQ(documentController().documents().size(), count) << name;
    }
    EXPECT_FALSE(delegate.createDocumentWithImageAtURL(QUrl::fromLocalFile(QDir(folder.path()).filePath("missing.png"))));
}

// Choosing a template that is open already still gives a new untitled drawing made from it.
TEST_F(ImageDocumentTest, AnOpenTemplateStillGivesAnUntitledCopy)
{
    pf::Ref<RVCartavelDocument> original = newDocument();
    const QString path = QDir(folder.path()).filePath(QStringLiteral("Plan.qlry"));
    ASSERT_TRUE(saveDocument(*original, path));
    pf::Ref<RVCartavelDocument> open = openDocument(path);
    ASSERT_TRUE(open);

    pf::Ref<RVCartavelDocument> copy;
    bool done = false;
    VNQLTemplateDocumentOpener::openTemplateAsUntitledDocument(QUrl::fromLocalFile(path), false,
                                                               [&](const pf::Ref<RVCartavelDocument>& made, const pf::Error&) {
                                                                   copy = made;
                                                                   done = true;
                                                               });
    ASSERT_TRUE(waitUntil([&] { return done; }, 20000));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, open);
    EXPECT_TRUE(copy->fileURL().isEmpty());
    EXPECT_EQ(open->fileURL(), QUrl::fromLocalFile(path));
    EXPECT_TRUE(documentController().documents().contains(copy));
}

} // namespace
