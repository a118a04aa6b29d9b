#include "platform/ui/MainMenu.h"

#include "platform/foundation/Variant.h"
#include "platform/ui/Application.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/MenuItem.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

PF_DEFINE_CLASS_NAMED(pf::MainMenu, pf::Object, "pf::MainMenu")
{
    b.method("makeKeyAndOrderFront:", &pf::MainMenu::makeKeyAndOrderFront);
}

namespace pf {

namespace {

QString plainTitle(QString title)
{
    return title.remove(QLatin1Char('&'));
}

Ref<Menu> submenuOf(Menu& root, const QString& title)
{
    Ref<Menu> menu = Menu::make(title);
    Ref<MenuItem> item = MenuItem::make(title);
    item->setSubmenu(menu);
    root.addItem(item);
    return menu;
}

} // namespace

MainMenu::MainMenu()
    : m_root(Menu::make(QStringLiteral("Main Menu")))
{
}

MainMenu::~MainMenu()
{
    for (const auto& bar : m_bars) {
        if (bar)
            bar->clear();
    }
}

Ref<MainMenu> MainMenu::makeStandard()
{
    auto main = std::make_shared<MainMenu>();
    Menu& root = main->root();

    Ref<Menu> file = submenuOf(root, QObject::tr("&File"));
    file->addItem(QObject::tr("&New"), QStringLiteral("newDocument:"), QKeySequence::New);
    file->addItem(QObject::tr("&Open\u2026"), QStringLiteral("openDocument:"), QKeySequence::Open);
    Ref<Menu> recent = Menu::make(QObject::tr("Open &Recent"));
    recent->setDelegate(main.get());
    Ref<MenuItem> recentItem = MenuItem::make(QObject::tr("Open &Recent"));
    recentItem->setSubmenu(recent);
    file->addItem(recentItem);
    main->m_recentMenu = recent.get();
    file->addItem(MenuItem::separator());
    file->addItem(QObject::tr("&Close"), QStringLiteral("performClose:"), QKeySequence(QStringLiteral("Ctrl+W")));
    file->addItem(QObject::tr("&Save"), QStringLiteral("saveDocument:"), QKeySequence::Save);
    file->addItem(QObject::tr("Save &As\u2026"), QStringLiteral("saveDocumentAs:"), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    file->addItem(QObject::tr("Re&vert to Saved"), QStringLiteral("revertDocumentToSaved:"));
    file->addItem(MenuItem::separator());
    file->addItem(QObject::tr("Page Set&up\u2026"), QStringLiteral("runPageLayout:"), QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    file->addItem(QObject::tr("&Print\u2026"), QStringLiteral("printDocument:"), QKeySequence::Print);
    file->addItem(MenuItem::separator());
    file->addItem(QObject::tr("&Quit"), QStringLiteral("terminate:"), QKeySequence(QStringLiteral("Ctrl+Q")));

    Ref<Menu> edit = submenuOf(root, QObject::tr("&Edit"));
    edit->addItem(QObject::tr("&Undo"), QStringLiteral("undo:"), QKeySequence(QStringLiteral("Ctrl+Z")));
    edit->addItem(QObject::tr("&Redo"), QStringLiteral("redo:"), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    edit->addItem(MenuItem::separator());
    edit->addItem(QObject::tr("Cu&t"), QStringLiteral("cut:"), QKeySequence(QStringLiteral("Ctrl+X")));
    edit->addItem(QObject::tr("&Copy"), QStringLiteral("copy:"), QKeySequence(QStringLiteral("Ctrl+C")));
    edit->addItem(QObject::tr("&Paste"), QStringLiteral("paste:"), QKeySequence(QStringLiteral("Ctrl+V")));
    edit->addItem(QObject::tr("&Delete"), QStringLiteral("delete:"));
    edit->addItem(QObject::tr("Select &All"), QStringLiteral("selectAll:"), QKeySequence(QStringLiteral("Ctrl+A")));
    edit->addItem(MenuItem::separator());
    edit->addItem(QObject::tr("Pr&eferences\u2026"), QStringLiteral("openPreferences:"), QKeySequence(QStringLiteral("Ctrl+,")));

    Ref<Menu> window = submenuOf(root, QObject::tr("&Window"));
    window->addItem(QObject::tr("&Minimize"), QStringLiteral("performMiniaturize:"), QKeySequence(QStringLiteral("Ctrl+M")));
    window->addItem(QObject::tr("&Zoom"), QStringLiteral("performZoom:"));
    window->addItem(MenuItem::separator());
    window->addItem(QObject::tr("&Bring All to Front"), QStringLiteral("arrangeInFront:"));
    window->setDelegate(main.get());
    main->m_windowMenu = window.get();

    Ref<Menu> help = submenuOf(root, QObject::tr("&Help"));
    help->addItem(QObject::tr("%1 &Help").arg(QCoreApplication::applicationName()), QStringLiteral("showHelp:"),
                  QKeySequence::HelpContents);
    help->addItem(QObject::tr("&Welcome To %1").arg(QCoreApplication::applicationName()),
                  QStringLiteral("showWelcomeToQuillory:"));
    return main;
}

Menu* MainMenu::menuWithTitle(const QString& title) const
{
    for (const auto& item : m_root->items()) {
        if (item->submenu() && plainTitle(item->title()) == plainTitle(title))
            return item->submenu();
    }
    return nullptr;
}

void MainMenu::insertMenu(const Ref<Menu>& menu, int index)
{
    Ref<MenuItem> item = MenuItem::make(menu->title());
    item->setSubmenu(menu);
    m_root->insertItem(item, index < 0 || index > m_root->numberOfItems() ? m_root->numberOfItems() : index);
    refreshBars();
}

void MainMenu::removeMenu(Menu* menu)
{
    if (MenuItem* item = m_root->itemWithSubmenu(menu)) {
        m_root->removeItem(item);
        if (menu == m_windowMenu)
            m_windowMenu = nullptr;
        refreshBars();
    }
}

QMenuBar* MainMenu::installOn(QMainWindow* window)
{
    auto* bar = new QMenuBar(window);
    window->setMenuBar(bar);
    m_bars.append(bar);
    refreshBars();
    return bar;
}

void MainMenu::applyShortcutContext(Menu& menu)
{
    for (const auto& item : menu.items()) {
        item->qAction()->setShortcutContext(Qt::ApplicationShortcut);
        if (item->submenu())
            applyShortcutContext(*item->submenu());
    }
}

void MainMenu::refreshBars()
{
    m_bars.removeAll(nullptr);
    applyShortcutContext(*m_root);
    for (const auto& bar : m_bars) {
        bar->clear();
        for (const auto& item : m_root->items()) {
            if (item->submenu())
                bar->addMenu(item->submenu()->qMenu());
        }
    }
}

void MainMenu::menuNeedsUpdate(Menu& menu)
{
    if (&menu == m_windowMenu)
        fillWindowsMenu(menu);
    else if (&menu == m_recentMenu)
        fillRecentMenu(menu);
}

void MainMenu::fillWindowsMenu(Menu& menu)
{
    for (const Ref<MenuItem>& item : std::as_const(m_windowListItems))
        menu.removeItem(item.get());
    m_windowListItems.clear();
    QWidget* key = QApplication::activeWindow();
    bool first = true;
    for (QWidget* window : Application::shared()->windows()) {
        if (!window->isVisible() || window->windowTitle().isEmpty() || !Application::canBecomeMainWindow(window)
            || window->property("excludedFromWindowsMenu").toBool())
            continue;
        if (first) {
            Ref<MenuItem> separator = MenuItem::separator();
            menu.addItem(separator);
            m_windowListItems.append(separator);
            first = false;
        }
        QString title = window->windowTitle();
        title.replace(QStringLiteral("[*]"), window->isWindowModified() ? QStringLiteral("*") : QString());
        Ref<MenuItem> item = menu.addItem(title, QStringLiteral("makeKeyAndOrderFront:"));
        item->setTarget(this);
        item->setRepresentedObject(QVariant::fromValue(window));
        item->setState(window == key ? ControlState::On : ControlState::Off);
        m_windowListItems.append(item);
        applyShortcutContext(menu);
    }
}

void MainMenu::fillRecentMenu(Menu& menu)
{
    menu.removeAllItems();
    const QList<QUrl> urls = DocumentController::shared()->recentDocumentURLs();
    for (const QUrl& url : urls) {
        Ref<MenuItem> item = menu.addItem(QFileInfo(url.toLocalFile()).fileName(), QStringLiteral("openRecentDocument:"));
        item->setRepresentedObject(url);
        item->setToolTip(url.toLocalFile());
    }
    if (!urls.isEmpty())
        menu.addItem(MenuItem::separator());
    menu.addItem(QObject::tr("Clear Menu"), QStringLiteral("clearRecentDocuments:"));
    applyShortcutContext(menu);
}

void MainMenu::makeKeyAndOrderFront(const QVariant& sender)
{
    Ref<MenuItem> item = objectCast<MenuItem>(sender);
    if (!item)
        return;
    auto* window = item->representedObject().value<QWidget*>();
    // The window may have gone since the menu was filled.
    if (!window || !QApplication::topLevelWidgets().contains(window))
        return;
    window->showNormal();
    window->raise();
    window->activateWindow();
}

} // namespace pf
