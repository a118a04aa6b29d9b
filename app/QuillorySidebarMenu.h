#pragma once

#include <QString>

namespace pf {
class MainMenu;
class Menu;
}
class RVCartavelDocument;

// The Window menu's sidebar items: show or hide each sidebar and bring a tab forward. Their
// titles and check marks follow the current document each time the menu opens.
class QuillorySidebarMenu {
public:
    static constexpr int kLeftSidebarTag = 1041;
    static constexpr int kRightSidebarTag = 1042;
    static constexpr int kLayersTabTag = 1043;
    static constexpr int kGeometryTabTag = 1044;
    static constexpr int kTextTabTag = 1045;
    static constexpr int kStyleTabTag = 1046;
    static constexpr int kFullScreenTag = 1047;

    static void addSidebarItems(pf::MainMenu& menu);
    // Sets the items' titles and check marks for `document` (none: as for closed sidebars).
    static void updateItems(pf::Menu& menu, const RVCartavelDocument* document);
};
