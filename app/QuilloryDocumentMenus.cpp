#include "app/QuilloryDocumentMenus.h"

#include "app/RVCartavelDocument.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/MenuItem.h"

#include <QObject>

namespace {

pf::Ref<pf::MenuItem> item(const QString& title, const char* action, int tag = 0, const QString& key = {})
{
    pf::Ref<pf::MenuItem> made = pf::MenuItem::make(title, QString::fromLatin1(action));
    made->setTag(tag);
    if (!key.isEmpty())
        made->setKeyEquivalent(QKeySequence(key));
    return made;
}

pf::Ref<pf::MenuItem> submenuItem(const QString& title, const pf::Ref<pf::Menu>& submenu)
{
    pf::Ref<pf::MenuItem> made = pf::MenuItem::make(title);
    made->setSubmenu(submenu);
    return made;
}

// Inserts `menu` into the bar just after the menu titled `after` (at the end when missing).
void insertAfter(pf::MainMenu& main, const pf::Ref<pf::Menu>& menu, const QString& after)
{
    pf::Menu* previous = main.menuWithTitle(after);
    int index = -1;
    if (previous) {
        for (int i = 0; i < main.root().numberOfItems(); ++i)
            if (main.root().itemAtIndex(i)->submenu() == previous)
                index = i + 1;
    }
    main.insertMenu(menu, index);
}

} // namespace

void QuilloryDocumentMenus::addDocumentMenus(pf::MainMenu& main)
{
    if (pf::Menu* edit = main.menuWithTitle(QObject::tr("Edit"))) {
        const int redo = edit->indexOfItemWithTitle(QObject::tr("&Redo"));
        const int at = redo >= 0 ? redo + 1 : edit->numberOfItems();
        edit->insertItem(item(QObject::tr("Undo &History\u2026"), "showUndoHistoryAction:", 0, QStringLiteral("Ctrl+Alt+Z")),
                         at);
    }

    pf::Ref<pf::Menu> object = pf::Menu::make(QObject::tr("&Object"));
    object->addItem(item(QObject::tr("&Linear Duplicate\u2026"), "linearDuplicate:"));
    object->addItem(item(QObject::tr("&Polar Duplicate\u2026"), "polarDuplicate:"));
    object->addItem(item(QObject::tr("&Offset Copies\u2026"), "parallelDuplicate:"));
    object->addItem(pf::MenuItem::separator());
    // The titles name the undo actions.
    object->addItem(item(QObject::tr("Group"), "group:", 0, QStringLiteral("Ctrl+G")));
    object->addItem(item(QObject::tr("Ungroup"), "ungroup:", 0, QStringLiteral("Ctrl+Shift+G")));
    object->addItem(pf::MenuItem::separator());
    object->addItem(item(QObject::tr("Add Clip Art To Library"), "createSymbol:"));
    object->addItem(item(QObject::tr("&Trace Image\u2026"), "vectorizeImageSelection:"));
    insertAfter(main, object, QObject::tr("Edit"));

    pf::Ref<pf::Menu> arrange = pf::Menu::make(QObject::tr("&Arrange"));
    arrange->addItem(item(QObject::tr("New &Layer"), "newDrawingLayer:"));
    arrange->addItem(item(QObject::tr("New Layer &Group"), "addLayerGroupAction:"));
    arrange->addItem(item(QObject::tr("&Duplicate Layer"), "duplicateLayer:"));
    arrange->addItem(item(QObject::tr("Delete La&yer"), "deleteLayerAction:"));
    arrange->addItem(pf::MenuItem::separator());
    pf::Ref<pf::Menu> activate = pf::Menu::make(kActivateLayerMenuTitle);
    arrange->addItem(submenuItem(activate->title(), activate));
    pf::Ref<pf::Menu> moveTo = pf::Menu::make(kMoveToLayerMenuTitle);
    // The application delegate lists the layers below these two.
    moveTo->addItem(item(QObject::tr("New Layer"), "newDrawingLayer:"));
    moveTo->addItem(pf::MenuItem::separator());
    arrange->addItem(submenuItem(moveTo->title(), moveTo));
    insertAfter(main, arrange, QObject::tr("&Object"));

    pf::Ref<pf::Menu> view = pf::Menu::make(QObject::tr("&View"));
    view->addItem(item(QObject::tr("&Anti-aliasing"), "toggleDisplayAntiAliasing:"));
    view->addItem(item(QObject::tr("&Shadows"), "toggleDisplayShadows:"));
    view->addItem(item(QObject::tr("Style S&ubstitution"), "toggleDisplayStyleSubstitution:"));
    view->addItem(item(QObject::tr("Show Paper Margins"), "togglePaperMarginsVisible:"));
    view->addItem(pf::MenuItem::separator());
    pf::Ref<pf::MenuItem> zoomIn = item(QObject::tr("Zoom &In"), "zoomIn:", 0, QStringLiteral("Ctrl++"));
    // Ctrl+= is the same key without Shift on most layouts.
    zoomIn->setAlternateKeyEquivalents({QKeySequence(QStringLiteral("Ctrl+="))});
    view->addItem(zoomIn);
    view->addItem(item(QObject::tr("Zoom &Out"), "zoomOut:", 0, QStringLiteral("Ctrl+-")));
    view->addItem(item(QObject::tr("Actual &Size"), "zoomToActualSize:", 0, QStringLiteral("Ctrl+0")));
    view->addItem(item(QObject::tr("Zoom to &Fit"), "zoomFitInWindow:", 0, QStringLiteral("Ctrl+9")));
    view->addItem(pf::MenuItem::separator());
    pf::Ref<pf::Menu> units = pf::Menu::make(QObject::tr("Units"));
    units->addItem(item(QObject::tr("Drawing Units"), "setUnitsOptionsWithTagOfSender:", 0));
    units->addItem(item(QObject::tr("Points"), "setUnitsOptionsWithTagOfSender:", 1));
    units->addItem(item(QObject::tr("Map Units"), "setUnitsOptionsWithTagOfSender:", 2));
    view->addItem(submenuItem(QObject::tr("&Units"), units));
    view->addItem(pf::MenuItem::separator());
    view->addItem(item(QObject::tr("Snap to &Grid"), "snappingOptionsAction:", 0));
    view->addItem(item(QObject::tr("Snap to G&uides"), "snappingOptionsAction:", 1));
    view->addItem(item(QObject::tr("Snap to &Objects"), "snappingOptionsAction:", 2));
    insertAfter(main, view, QObject::tr("&Arrange"));
}

