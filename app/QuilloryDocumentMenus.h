#pragma once

#include "platform/ui/Menu.h"

namespace pf {
class MainMenu;
}
class RVCartavelDocument;

// The document's editing commands in the program's menus: Undo History in the Edit menu; the
// duplications in an Object menu; the layer commands in an Arrange menu, with submenus listing
// the current document's layers to activate or to move the selection to (the application
// delegate fills them); the display, paper margin, unit and snapping switches in a View menu.
// The documents validate every item.
class QuilloryDocumentMenus {
public:
    static inline const QString kActivateLayerMenuTitle = QStringLiteral("Activate Layer");
    static inline const QString kMoveToLayerMenuTitle = QStringLiteral("Move Selection to Layer");

    static void addDocumentMenus(pf::MainMenu& menu);
};
