#include "LibraryTestSupport.h"

#include "drawing/PWXSymbol.h"

#include "drawing/VNQLDrawingExtensions.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryItemViewController.h"
#include "platform/ui/PresentationHook.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>

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
    // The outline lists the factory and user groups (documents hidden), the collection is the
    // selected row and the item browser lists its items.
    pf::OutlineView* outline = manager->outlineView();
    ASSERT_TRUE(outline);
    const QList<pf::Ref<PWXLibraryGroup>> groups = manager->groups();
    ASSERT_GE(groups.size(), 2);
    EXPECT_EQ(groups[0]->name(), "VINTREL LIBRARY");
    EXPECT_EQ(groups[1]->name(), "MY LIBRARY");
    EXPECT_EQ(manager->selectedLibrary(), shelf);
    EXPECT_EQ(manager->itemViewController()->content().size(), 2);
    EXPECT_EQ(manager->itemIdentifierText(), master->uniqueKey());

    // A key no library holds selects nothing new.
    EXPECT_FALSE(manager->showItemWithUniqueID("unknown", true));
    EXPECT_EQ(manager->selectedItemUniqueID(), master->uniqueKey());
}

TEST_F(LibraryManagerWindow, DrawnObjectsBecomeClipArtItems)
{
    VNQLDrawingExtensions::install();
    auto shapeAt = [](double x) {
        return PWDrawableShape::drawableShapeWithRect(QRectF(x, 0, 10, 10), namedStyle("Fill"));
    };
    pf::Ref<PWXSymbolMaster> master = namedMaster("Buoy");
    pf::Ref<PWDrawableShape> first = shapeAt(0);
    const QList<pf::Ref<pf::Object>> objects = {first, master->symbolWithLocation(QPointF(5, 5)), shapeAt(30)};
    QStringList messages;
    pf::PresentationHook::set([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        messages.append(box->text() + " | " + box->informativeText());
        box->buttons().first()->click();
    });

    pf::Ref<PWXLibraryManagerWindowController> manager = PWXLibraryManagerWindowController::sharedLibraryManager();
    ASSERT_TRUE(manager->importItemsAsSymbols(objects));
    pf::PresentationHook::clear();

    // The two shapes became items of the default collection, named uniquely; the placed symbol
    // could not, and the user was told once.
    pf::Ref<PWXLibrary> library = PWXLibrary::userLibraryForImpliedOperation();
    ASSERT_TRUE(library);
    QStringList names;
    for (const auto& item : library->allItemsCategory()->items())
        names.append(item->name());
    names.sort();
    EXPECT_EQ(names, (QStringList{"untitled clip art", "untitled clip art-1"}));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Add Clip Art | Some items could not be added"));
    EXPECT_TRUE(messages[0].contains("The remaining 2 were converted"));
    EXPECT_EQ(manager->selectedItemUniqueIDs().size(), 2) << "the new items are shown selected";
    QCoreApplication::processEvents(); // the library's own change notices reload the outline
    EXPECT_EQ(manager->selectedItemUniqueIDs().size(), 2) << "and stay selected after the reload";

    // The items hold copies: the drawn shape is still the drawing's own.
    for (const auto& item : library->allItemsCategory()->items()) {
        auto made = std::dynamic_pointer_cast<PWXSymbolMaster>(item->symbolMaster());
        ASSERT_TRUE(made);
        EXPECT_NE(made->object(), first);
    }

    // Nothing that can become clip art: no item, no message.
    EXPECT_FALSE(manager->importItemsAsSymbols({master->symbolWithLocation(QPointF())}));
    EXPECT_EQ(messages.size(), 1);

    // A named category of another collection receives them there.
    pf::Ref<PWXLibrary> shelf = makeLibrary("Harbour");
    PWXLibrary::addLibraryToGroup(shelf, PWXLibraryGroup::kUserGroupName, false);
    pf::Ref<PWXLibraryCategory> marks = shelf->addCategoryWithName("Marks");
    ASSERT_TRUE(manager->importItemsAsSymbols({shapeAt(60)}, shelf, marks));
    EXPECT_EQ(marks->items().size(), 1);
    EXPECT_EQ(shelf->itemCount(), 1);
}
