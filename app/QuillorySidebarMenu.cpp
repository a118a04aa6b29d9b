#include "app/QuillorySidebarMenu.h"

#include "app/RVCartavelDocument.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QMenu>
#include <QObject>

namespace {

pf::Ref<pf::MenuItem> item(const QString& title, const char* action, int tag, const QString& key = {})
{
    pf::Ref<pf::MenuItem> made = pf::MenuItem::make(title, QString::fromLatin1(action));
    made->setTag(tag);
    if (!key.isEmpty())
        made->setKeyEquivalent(QKeySequence(key));
    return made;
}

} // namespace

void QuillorySidebarMenu::addSidebarItems(pf::MainMenu& main)
{
    pf::Menu* window = main.menuWithTitle(QObject::tr("Window"));
    if (!window)
        return;
    window->addItem(pf::MenuItem::separator());
    window->addItem(item(QObject::tr("Hide Left Sidebar"), "toggleLeftSidebarAction:", kLeftSidebarTag, QStringLiteral("Ctrl+Alt+L")));
    window->addItem(item(QObject::tr("Hide Right Sidebar"), "toggleRightSidebarAction:", kRightSidebarTag, QStringLiteral("Ctrl+Alt+R")));
    window->addItem(item(QObject::tr("Toggle Full Screen"), "toggleFullScreen:", kFullScreenTag, QStringLiteral("F11")));
    window->addItem(pf::MenuItem::separator());
    window->addItem(item(QObject::tr("Layers"), "selectLayersTabAction:", kLayersTabTag, QStringLiteral("Ctrl+1")));
    window->addItem(item(QObject::tr("Geometry"), "selectGeometryTabAction:", kGeometryTabTag, QStringLiteral("Ctrl+2")));
    window->addItem(item(QObject::tr("Text"), "selectTextTabAction:", kTextTabTag, QStringLiteral("Ctrl+3")));
    window->addItem(item(QObject::tr("Style"), "selectStyleTabAction:", kStyleTabTag, QStringLiteral("Ctrl+4")));
    QObject::connect(window->qMenu(), &QMenu::aboutToShow, window->qMenu(), [window] {
        pf::DocumentController* controller = pf::DocumentController::sharedIfMade();
        updateItems(*window, controller ? dynamic_cast<RVCartavelDocument*>(controller->currentDocument()) : nullptr);
    });
}

void QuillorySidebarMenu::updateItems(pf::Menu& menu, const RVCartavelDocument* document)
{
    const struct {
        int tag;
        int index;
        const char* show;
        const char* hide;
    } sidebars[] = {
        {kLeftSidebarTag, RVCartavelDocument::kLeftSidebarIndex, "Show Left Sidebar", "Hide Left Sidebar"},
        {kRightSidebarTag, RVCartavelDocument::kRightSidebarIndex, "Show Right Sidebar", "Hide Right Sidebar"},
    };
    for (const auto& sidebar : sidebars) {
        if (pf::MenuItem* found = menu.itemWithTag(sidebar.tag)) {
            const bool collapsed = !document || document->isSidebarCollapsed(sidebar.index);
            found->setTitle(QObject::tr(collapsed ? sidebar.show : sidebar.hide));
        }
    }
    const struct {
        int tag;
        QString identifier;
    } tabs[] = {
        {kLayersTabTag, RVCartavelDocument::kLayersTabIdentifier},
        {kGeometryTabTag, RVCartavelDocument::kGeometryTabIdentifier},
        {kTextTabTag, RVCartavelDocument::kTextTabIdentifier},
        {kStyleTabTag, RVCartavelDocument::kStyleTabIdentifier},
    };
    for (const auto& tab : tabs) {
        if (pf::MenuItem* found = menu.itemWithTag(tab.tag)) {
            const bool selected = document && document->tabWithIdentifierIsSelected(tab.identifier);
            found->setState(selected ? pf::ControlState::On : pf::ControlState::Off);
        }
    }
}
