#include "LibraryTestSupport.h"

#include "drawing/PWXSymbol.h"

#include <QTreeWidget>

using namespace library_test;

namespace {

class LibraryManagerWindow : public LibraryTest {};

} // namespace

TEST_F(LibraryManagerWindow, ShowMasterInLibrarySelectsTheMastersItem)
{
    pf::Ref<PWXSymbolMaster> master = namedMaster("Lighthouse");
    pf::Ref<PWXSymbolMaster> other = namedMaster("Beacon");
    pf::Ref<PWXLibrary> shelf = makeLibrary("Coast");
    addObject(*shelf, other);
    addObject(*shelf, master);
    PWXLibrary::addLibraryToGroup(shelf, PWXLibraryGroup::kUserGroupName, false);
    EXPECT_FALSE(PWXLibraryManagerWindowController::sharedLibraryManagerAvailable());

    pf::Ref<PWXSymbol> instance = master->symbolWithLocation(QPointF(10, 10));
    ASSERT_TRUE(instance->respondsTo("revealMasterSymbol:"));
    instance->perform("revealMasterSymbol:", {QVariant()});

    ASSERT_TRUE(PWXLibraryManagerWindowController::sharedLibraryManagerAvailable());
    pf::Ref<PWXLibraryManagerWindowController> manager = PWXLibraryManagerWindowController::sharedLibraryManager();
    EXPECT_TRUE(manager->window()->isVisible());
    EXPECT_EQ(manager->selectedItemUniqueID(), master->uniqueKey());
    // The outline lists the three standard groups, the collection under "MY LIBRARY" and its items.
    QTreeWidget* outline = manager->outline();
    ASSERT_GE(outline->topLevelItemCount(), 3);
    QStringList groups;
    for (int i = 0; i < outline->topLevelItemCount(); ++i)
        groups.append(outline->topLevelItem(i)->text(0));
    EXPECT_EQ(groups.mid(0, 3), (QStringList{"VINTREL LIBRARY", "MY LIBRARY", "OPEN DOCUMENTS"}));
    EXPECT_EQ(manager->selectedItemUniqueID(), master->uniqueKey());
    EXPECT_TRUE(outline->currentItem()->parent()->parent()->isExpanded());
    EXPECT_EQ(outline->currentItem()->text(0), "Lighthouse");

    // A key no library holds selects nothing new.
    EXPECT_FALSE(manager->showItemWithUniqueID("unknown", true));
    EXPECT_EQ(manager->selectedItemUniqueID(), master->uniqueKey());
}
