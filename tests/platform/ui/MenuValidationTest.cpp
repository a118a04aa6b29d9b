// Menus: delegate filling, validation before showing and before a shortcut sends, item
// appearance, copies, and the main menu's standard items.
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Application.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/RecentDocuments.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QThread>
#include <QWidgetAction>

namespace {

class MenuTarget : public pf::Object, public pf::Responder {
    PF_CLASS(MenuTarget)
public:
    bool allow = true;
    QList<int> chosenTags;
    bool validateMenuItem(pf::MenuItem& item) override { return allow; }
};

} // namespace

PF_DEFINE_CLASS(MenuTarget, pf::Object)
{
    b.method("choose:", std::function<QVariant(MenuTarget&, const QVariantList&)>([](MenuTarget& t, const QVariantList& args) {
                 if (auto item = pf::objectCast<pf::MenuItem>(args.value(0)))
                     t.chosenTags << item->tag();
                 return QVariant();
             }));
}

namespace {

class CountingDelegate : public pf::MenuDelegate {
public:
    int count = 3;
    int stopAfter = -1;
    int needsUpdate = 0;
    bool byCount = true;
    int numberOfItemsInMenu(pf::Menu&) override { return byCount ? count : -1; }
    bool updateItem(pf::Menu&, pf::MenuItem& item, int index, bool) override
    {
        item.setTitle(QStringLiteral("Item %1").arg(index));
        item.setTag(index);
        return index != stopAfter;
    }
    void menuNeedsUpdate(pf::Menu&) override { ++needsUpdate; }
};

TEST(MenuValidation, DelegateFillsByCount)
{
    auto menu = pf::Menu::make();
    CountingDelegate delegate;
    menu->setDelegate(&delegate);
    menu->update();
    ASSERT_EQ(menu->numberOfItems(), 3);
    EXPECT_EQ(menu->itemAtIndex(2)->title(), QStringLiteral("Item 2"));

    delegate.count = 1;
    menu->update();
    EXPECT_EQ(menu->numberOfItems(), 1);

    delegate.count = 4;
    delegate.stopAfter = 1;
    menu->update();
    EXPECT_EQ(menu->numberOfItems(), 4);
    EXPECT_EQ(menu->itemAtIndex(1)->title(), QStringLiteral("Item 1"));
    EXPECT_TRUE(menu->itemAtIndex(2)->title().isEmpty()) << "the pass stops when the delegate says so";

    delegate.byCount = false;
    menu->update();
    EXPECT_EQ(delegate.needsUpdate, 1);
}

TEST(MenuValidation, AutoenablingValidatesEveryItemBeforeShowing)
{
    auto target = std::make_shared<MenuTarget>();
    auto menu = pf::Menu::make();
    auto answered = menu->addItem(QStringLiteral("Choose"), QStringLiteral("choose:"));
    answered->setTarget(target.get());
    auto unanswered = menu->addItem(QStringLiteral("Nobody"), QStringLiteral("nobodyAnswers:"));
    auto noAction = menu->addItem(QStringLiteral("Header"), QString());
    auto withSubmenu = menu->addItem(QStringLiteral("More"), QString());
    withSubmenu->setSubmenu(pf::Menu::make(QStringLiteral("More")));

    menu->update();
    EXPECT_TRUE(answered->isEnabled());
    EXPECT_FALSE(unanswered->isEnabled());
    EXPECT_FALSE(noAction->isEnabled());
    EXPECT_TRUE(withSubmenu->isEnabled());

    target->allow = false;
    menu->update();
    EXPECT_FALSE(answered->isEnabled());

    // Without autoenabling the flags stay as set.
    menu->setAutoenablesItems(false);
    unanswered->setEnabled(true);
    menu->update();
    EXPECT_TRUE(unanswered->isEnabled());
}

TEST(MenuValidation, ChoosingValidatesAgainAndSendsWithTheItem)
{
    auto target = std::make_shared<MenuTarget>();
    auto menu = pf::Menu::make();
    auto item = menu->addItem(QStringLiteral("Choose"), QStringLiteral("choose:"));
    item->setTarget(target.get());
    item->setTag(5);

    // While the menu is closed its actions stay live, so a shortcut reaches the item.
    menu->qMenu();
    target->allow = false;
    menu->update();
    EXPECT_TRUE(item->qAction()->isEnabled());
    item->qAction()->trigger();
    EXPECT_TRUE(target->chosenTags.isEmpty()) << "the item validated before sending and refused";

    target->allow = true;
    item->qAction()->trigger();
    EXPECT_EQ(target->chosenTags, QList<int>{5});
}

TEST(MenuValidation, ItemAppearance)
{
    auto menu = pf::Menu::make();
    auto on = menu->addItem(QStringLiteral("On"), QStringLiteral("x:"));
    on->setState(pf::ControlState::On);
    auto mixed = menu->addItem(QStringLiteral("Mixed"), QStringLiteral("x:"));
    mixed->setState(pf::ControlState::Mixed);
    auto hidden = menu->addItem(QStringLiteral("Hidden"), QStringLiteral("x:"));
    hidden->setHidden(true);
    auto indented = menu->addItem(QStringLiteral("Indented"), QStringLiteral("x:"));
    indented->setIndentationLevel(2);
    auto coloured = menu->addItem(QStringLiteral("Red"), QStringLiteral("x:"));
    coloured->setAttributedTitle(QStringLiteral("Red"), {std::nullopt, Qt::red, true});
    auto tip = menu->addItem(QStringLiteral("Tip"), QStringLiteral("x:"));
    tip->setToolTip(QStringLiteral("explains"));

    EXPECT_TRUE(on->qAction()->isChecked());
    EXPECT_FALSE(mixed->qAction()->isChecked());
    EXPECT_FALSE(mixed->qAction()->icon().isNull()) << "mixed shows a dash";
    EXPECT_FALSE(hidden->qAction()->isVisible());
    EXPECT_EQ(tip->qAction()->toolTip(), QStringLiteral("explains"));

    auto rowOf = [](pf::MenuItem& item) {
        auto* action = qobject_cast<QWidgetAction*>(item.qAction());
        return action ? action->defaultWidget() : nullptr;
    };
    EXPECT_EQ(rowOf(*on), nullptr);
    QWidget* indentRow = rowOf(*indented);
    ASSERT_NE(indentRow, nullptr);
    QWidget* plainRow = rowOf(*coloured);
    ASSERT_NE(plainRow, nullptr);
    EXPECT_EQ(indentRow->contentsMargins().left() - plainRow->contentsMargins().left(), 24);
    EXPECT_TRUE(plainRow->font().underline());
    EXPECT_EQ(plainRow->palette().color(QPalette::WindowText), QColor(Qt::red));

    // Rows change in place while a menu shows them.
    menu->qMenu();
    indented->setIndentationLevel(1);
    EXPECT_EQ(rowOf(*indented), indentRow);
    EXPECT_EQ(indentRow->contentsMargins().left() - plainRow->contentsMargins().left(), 12);
    coloured->setAttributedTitle(QStringLiteral("Plain"), {});
    menu->update();
    EXPECT_EQ(rowOf(*coloured), nullptr) << "a plain title drops its row once the menu lets go of it";
}

TEST(MenuValidation, StructureAndCopies)
{
    auto menu = pf::Menu::make(QStringLiteral("Top"));
    auto a = menu->addItem(QStringLiteral("A"), QStringLiteral("a:"));
    a->setTag(1);
    a->setRepresentedObject(QStringLiteral("alpha"));
    auto sub = pf::Menu::make(QStringLiteral("Sub"));
    sub->addItem(QStringLiteral("Inner"), QStringLiteral("inner:"));
    auto b = menu->addItem(QStringLiteral("B"), QString());
    b->setSubmenu(sub);

    EXPECT_EQ(menu->indexOfItemWithRepresentedObject(QStringLiteral("alpha")), 0);
    EXPECT_EQ(menu->itemWithTag(1), a.get());
    EXPECT_EQ(sub->supermenu(), menu.get());
    EXPECT_THROW(menu->insertItem(pf::MenuItem::make(QStringLiteral("C")), 5), pf::Exception);
    EXPECT_THROW(sub->addItem(a), pf::Exception) << "an item lives in one menu";

    auto copy = menu->copyMenu();
    ASSERT_EQ(copy->numberOfItems(), 2);
    EXPECT_NE(copy->itemAtIndex(0), a.get());
    EXPECT_EQ(copy->itemAtIndex(0)->representedObject(), QVariant(QStringLiteral("alpha")));
    ASSERT_TRUE(copy->itemAtIndex(1)->submenu());
    EXPECT_NE(copy->itemAtIndex(1)->submenu(), sub.get());
    EXPECT_EQ(copy->itemAtIndex(1)->submenu()->itemAtIndex(0)->action(), QStringLiteral("inner:"));

    // The QMenu follows removals.
    QMenu* qmenu = menu->qMenu();
    EXPECT_EQ(qmenu->actions().size(), 2);
    menu->removeItem(a.get());
    EXPECT_EQ(qmenu->actions().size(), 1);
    EXPECT_EQ(a->menu(), nullptr);
}

TEST(MenuValidation, StandardMainMenu)
{
    auto documents = std::make_shared<pf::DocumentController>();
    auto main = pf::MainMenu::makeStandard();
    const struct {
        const char* menu;
        const char* action;
        const char* shortcut;
    } cases[] = {
        {"File", "newDocument:", "Ctrl+N"},     {"File", "openDocument:", "Ctrl+O"},
        {"File", "performClose:", "Ctrl+W"},    {"File", "saveDocument:", "Ctrl+S"},
        {"File", "saveDocumentAs:", "Ctrl+Shift+S"}, {"File", "revertDocumentToSaved:", ""},
        {"File", "runPageLayout:", "Ctrl+Shift+P"},  {"File", "printDocument:", "Ctrl+P"},
        {"File", "terminate:", "Ctrl+Q"},       {"Edit", "undo:", "Ctrl+Z"},
        {"Edit", "redo:", "Ctrl+Shift+Z"},      {"Edit", "cut:", "Ctrl+X"},
        {"Edit", "copy:", "Ctrl+C"},            {"Edit", "paste:", "Ctrl+V"},
        {"Edit", "delete:", ""},                {"Edit", "selectAll:", "Ctrl+A"},
        {"Window", "performMiniaturize:", "Ctrl+M"},
    };
    for (const auto& c : cases) {
        pf::Menu* menu = main->menuWithTitle(QString::fromLatin1(c.menu));
        ASSERT_NE(menu, nullptr) << c.menu;
        pf::MenuItem* found = nullptr;
        for (const auto& item : menu->items()) {
            if (item->action() == QString::fromLatin1(c.action))
                found = item.get();
        }
        ASSERT_NE(found, nullptr) << c.action;
        EXPECT_EQ(found->keyEquivalent(), QKeySequence(QString::fromLatin1(c.shortcut))) << c.action;
    }
    EXPECT_NE(main->menuWithTitle(QStringLiteral("Help")), nullptr);
    pf::Menu* file = main->menuWithTitle(QStringLiteral("File"));
    pf::MenuItem* recent = file->itemWithTitle(QObject::tr("Open &Recent"));
    ASSERT_TRUE(recent && recent->submenu());

    QMainWindow window;
    QMenuBar* bar = main->installOn(&window);
    EXPECT_EQ(bar->actions().size(), 4);
    pf::Ref<pf::Menu> debug = pf::Menu::make(QStringLiteral("Debug"));
    main->addMenu(debug);
    EXPECT_EQ(bar->actions().size(), 5);
    main->removeMenu(debug.get());
    EXPECT_EQ(bar->actions().size(), 4);
    // Shortcuts work from any window, as a main menu's do.
    EXPECT_EQ(file->itemAtIndex(0)->qAction()->shortcutContext(), Qt::ApplicationShortcut);

    // The window list names visible windows; the recent list ends with Clear Menu.
    window.setWindowTitle(QStringLiteral("Listed[*]"));
    window.show();
    pf::Menu* windows = main->menuWithTitle(QStringLiteral("Window"));
    // Items the program adds to the Window menu after it is made stay when the list is refilled.
    windows->addItem(QStringLiteral("Library"), QStringLiteral("showLibraryManager:"));
    windows->update();
    EXPECT_GE(windows->indexOfItemWithTitle(QStringLiteral("Listed")), 0);
    const int itemsWithList = windows->numberOfItems();
    windows->update();
    EXPECT_EQ(windows->numberOfItems(), itemsWithList);
    EXPECT_GE(windows->indexOfItemWithTitle(QStringLiteral("Library")), 0);
    EXPECT_EQ(windows->indexOfItemWithTitle(QStringLiteral("Listed")), itemsWithList - 1);
    recent->submenu()->update();
    EXPECT_EQ(recent->submenu()->itemAtIndex(recent->submenu()->numberOfItems() - 1)->action(),
              QStringLiteral("clearRecentDocuments:"));
}

// The desktop's recently used list keeps other programs' entries.
TEST(MenuValidation, RecentDocumentsShareTheDesktopList)
{
    QTemporaryDir folder;
    const QString list = folder.filePath(QStringLiteral("recently-used.xbel"));
    const QString a = folder.filePath(QStringLiteral("a.txt")), b = folder.filePath(QStringLiteral("b.txt"));
    for (const QString& path : {a, b}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    {
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\"?>\n<xbel version=\"1.0\" xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\">"
                   "<bookmark href=\"file:///elsewhere/other.odt\" added=\"2020-01-01T00:00:00Z\"><info><metadata owner=\"http://freedesktop.org\">"
                   "<bookmark:applications><bookmark:application name=\"Writer\" exec=\"w\" modified=\"2020-01-01T00:00:00Z\" count=\"1\"/>"
                   "</bookmark:applications></metadata></info></bookmark></xbel>");
    }
    pf::RecentDocuments recent(QStringLiteral("Quillory"), list);
    ASSERT_TRUE(recent.note(QUrl::fromLocalFile(a)));
    QThread::msleep(5);
    ASSERT_TRUE(recent.note(QUrl::fromLocalFile(b)));
    EXPECT_EQ(recent.urls(), (QList<QUrl>{QUrl::fromLocalFile(b), QUrl::fromLocalFile(a)}));
    EXPECT_EQ(recent.urls(1).size(), 1);
    EXPECT_TRUE(pf::RecentDocuments(QStringLiteral("Writer"), list).urls().isEmpty()) << "missing files are left out";

    QFile::remove(a);
    EXPECT_EQ(recent.urls(), QList<QUrl>{QUrl::fromLocalFile(b)});

    ASSERT_TRUE(recent.clear());
    EXPECT_TRUE(recent.urls().isEmpty());
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray kept = file.readAll();
    EXPECT_TRUE(kept.contains("other.odt"));
    EXPECT_TRUE(kept.contains("name=\"Writer\""));
    EXPECT_FALSE(kept.contains("a.txt"));
}

TEST(MenuValidation, DamagedRecentListIsNeverOverwritten)
{
    QTemporaryDir folder;
    const QString list = folder.filePath(QStringLiteral("recently-used.xbel"));
    const QByteArray damaged = "<xbel><bookmark href=";
    {
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    pf::RecentDocuments recent(QStringLiteral("Quillory"), list);
    pf::Error error;
    EXPECT_FALSE(recent.note(QUrl::fromLocalFile(folder.filePath(QStringLiteral("x"))), &error));
    EXPECT_FALSE(error.isNull());
    EXPECT_TRUE(recent.urls().isEmpty());
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged);
}

} // namespace
