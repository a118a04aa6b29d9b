#include "app/QuilloryFileMenu.h"

#include "platform/ui/MainMenu.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QObject>

void QuilloryFileMenu::addDocumentItems(pf::MainMenu& menu)
{
    pf::Menu* file = menu.menuWithTitle(QObject::tr("File"));
    if (!file)
        return;
    // New From Template... right after New.
    const int newItem = file->indexOfItemWithTitle(QObject::tr("&New"));
    file->insertItem(pf::MenuItem::make(QObject::tr("New From &Template\u2026"), QString::fromLatin1(kNewFromTemplateAction)),
                     newItem >= 0 ? newItem + 1 : 0);
    const int revert = file->indexOfItemWithTitle(QObject::tr("Re&vert to Saved"));
    int at = revert >= 0 ? revert + 1 : file->numberOfItems();
    pf::Ref<pf::MenuItem> exportItem = pf::MenuItem::make(QObject::tr("&Export\u2026"), QString::fromLatin1(kExportAction));
    exportItem->setKeyEquivalent(QKeySequence(QStringLiteral("Ctrl+E")));
    file->insertItem(exportItem, at++);
    file->insertItem(pf::MenuItem::make(QObject::tr("Save as &Template\u2026"), QString::fromLatin1(kSaveAsTemplateAction)), at++);
    file->insertItem(pf::MenuItem::make(QObject::tr("&Drawing Setup\u2026"), QString::fromLatin1(kDrawingSetupAction)), at++);
    file->insertItem(pf::MenuItem::make(QObject::tr("&Graph Paper\u2026"), QString::fromLatin1(kGraphPaperAction)), at);
}
