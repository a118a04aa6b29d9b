#include "LibraryTestSupport.h"

#include "library/PWXLibraryItemViewController.h"
#include "platform/foundation/Exception.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/Sheet.h"
#include "widgets/RVLabelledIconCell.h"
#include "widgets/RVPrintableZDDistributedView.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

using namespace library_test;

namespace {

// Records what the browser tells its owner.
class Owner : public PWXLibraryItemViewControllerDelegate {
public:
    QString root = "ROOT";
    QList<pf::IndexSet> deleted;
    QList<pf::IndexSet> selections;
    bool resorting = true;
    QString saveSettingsRootNameForItemViewController(PWXLibraryItemViewController&) override { return root; }
    void deleteItemsAtIndexes(const pf::IndexSet& indexes) override { deleted.append(indexes); }
    void itemSelectionChanged(const pf::IndexSet& indexes) override { selections.append(indexes); }
    bool libraryItemViewControllerAllowsResorting(PWXLibraryItemViewController&) override { return resorting; }
    QString printHeaderStringForPage(int page) override { return QString("Header %1").arg(page); }
};

class LibraryItemBrowser : public LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        for (const QString& key : pf::UserDefaults::standard().dictionaryRepresentation().keys())
            if (key.startsWith("ROOT_"))
                pf::UserDefaults::standard().removeObjectForKey(key);
        PWXLibraryItem::setLoadsImagesUsingThread(false);
        shelf = makeLibrary("Shelf");
        PWXLibrary::addLibraryToGroup(shelf, PWXLibraryGroup::kUserGroupName, false);
        for (const char* name : {"Oak", "Birch", "Ash", "Elm"})
            items.append(addObject(*shelf, namedMaster(name)));
        browser = std::make_shared<PWXLibraryItemViewController>();
        browser->setDelegate(&owner);
        browser->containerView()->resize(600, 400);
    }
    void TearDown() override
    {
        browser.reset();
        PWXLibraryItem::setLoadsImagesUsingThread(true);
        LibraryTest::TearDown();
    }
    QStringList names(const QList<pf::Ref<PWXLibraryItem>>& list)
    {
        QStringList result;
        for (const auto& item : list)
            result.append(item->name());
        return result;
    }

    Owner owner;
    pf::Ref<PWXLibrary> shelf;
    QList<pf::Ref<PWXLibraryItem>> items;
    pf::Ref<PWXLibraryItemViewController> browser;
};

TEST_F(LibraryItemBrowser, IconSizesAndSortCodes)
{
    const QList<std::pair<int, double>> sizes{{0, 80}, {1, 96}, {2, 128}, {3, 48}, {4, 96}, {-1, 96}};
    for (const auto& [code, side] : sizes)
        EXPECT_EQ(PWXLibraryItemViewController::iconSizeForSizing(code), side) << code;

    struct Case {
        int code;
        QString key;
        bool ascending;
        int sortedBy;
    };
    const QList<Case> cases{{0, "name", true, 0},      {1, "kind", true, 1},      {2, "locked", true, 2},
                            {-32767, "kind", false, 1}, {-32768, "name", false, 0}, {7, "name", true, 0},
                            // The sign is the 16-bit code's: 0x8002 is "locked", descending.
                            {0x8002, "locked", false, 2}};
    for (const Case& c : cases) {
        browser->setSortDescriptors({});
        browser->setSortedBy(c.code);
        const QList<pf::SortDescriptor> descriptors = browser->sortDescriptors();
        ASSERT_FALSE(descriptors.isEmpty()) << c.code;
        EXPECT_EQ(descriptors.first().key(), c.key) << c.code;
        EXPECT_EQ(descriptors.first().ascending(), c.ascending) << c.code;
        EXPECT_EQ(browser->sortedBy(), c.sortedBy) << c.code;
        // No second descriptor on the same key.
        int same = 0;
        for (const auto& d : descriptors)
            same += d.key() == c.key ? 1 : 0;
        EXPECT_EQ(same, 1);
    }
}

TEST_F(LibraryItemBrowser, SettingsAreStoredUnderTheOwnersRootAndReadBack)
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    // Fresh: icons, 80 points, upscaling on (stored inverted, so absent), badges on.
    EXPECT_EQ(browser->layoutMode(), 0);
    EXPECT_EQ(browser->cellSize(), QSizeF(80, 80));
    EXPECT_TRUE(browser->iconsCanBeScaledUp());
    EXPECT_TRUE(browser->showsLockBadging());

    browser->setIconSizing(2);
    browser->setIconsCanBeScaledUp(false);
    browser->setShowsLockBadging(false);
    browser->setIconViewBackgroundColour(4);
    browser->setLayoutMode(1);
    EXPECT_EQ(defaults.integerForKey("ROOT_PWLIB_ITEM_VIEW_iconSizing"), 2);
    EXPECT_TRUE(defaults.boolForKey("ROOT_PWLIB_ITEM_VIEW_iconUpscaling")) << "stored inverted: YES means off";
    EXPECT_FALSE(defaults.boolForKey("ROOT_PWLIB_ITEM_VIEW_lockBadging"));
    EXPECT_EQ(defaults.integerForKey("ROOT_bkgColorIndex"), 4);
    EXPECT_EQ(defaults.integerForKey("ROOT_PWLIB_ITEM_VIEW_layoutMode"), 1);
    // Sizing changes only in icon layout.
    browser->setIconSizing(3);
    EXPECT_EQ(browser->iconSizing(), 2);

    auto again = std::make_shared<PWXLibraryItemViewController>();
    again->setDelegate(&owner);
    EXPECT_EQ(again->layoutMode(), 1);
    EXPECT_EQ(again->iconSizing(), 2);
    EXPECT_FALSE(again->iconsCanBeScaledUp());
    EXPECT_FALSE(again->showsLockBadging());
    EXPECT_EQ(again->backgroundColourCode(), 4);

    defaults.setBool(false, "ROOT_PWLIB_ITEM_VIEW_iconUpscaling");
    auto third = std::make_shared<PWXLibraryItemViewController>();
    third->setDelegate(&owner);
    EXPECT_TRUE(third->iconsCanBeScaledUp());
}

TEST_F(LibraryItemBrowser, ContentKeepsTheSelectionAndDisabledSets)
{
    for (int layout : {0, 1}) {
        browser->setLayoutMode(layout);
        browser->setContent(items);
        browser->selectItems({items[0], items[1], items[2]});
        EXPECT_EQ(names(browser->selectedItems()), (QStringList{"Oak", "Birch", "Ash"})) << layout;
        browser->setContent(items); // the same array: nothing changes
        EXPECT_EQ(browser->selectedItems().size(), 3) << layout;
        browser->setContent({items[3], items[2], items[0]});
        EXPECT_EQ(names(browser->selectedItems()), (QStringList{"Ash", "Oak"})) << layout;
        browser->setContent(items, false);
        EXPECT_TRUE(browser->selectedItems().isEmpty()) << layout;

        browser->setDisabledItems(pf::IndexSet());
        for (int i = 0; i < items.size(); ++i)
            EXPECT_TRUE(browser->isItemDisabled(i));
        browser->setDisabledItems(std::nullopt);
        EXPECT_FALSE(browser->isItemDisabled(0));
        browser->setDisabledItems(pf::IndexSet(1));
        EXPECT_TRUE(browser->isItemDisabled(1));
        EXPECT_FALSE(browser->isItemDisabled(2));
        browser->setDisabledItems(std::nullopt);
        browser->setContent({});
    }
    // Unknown items are ignored; reveal answers whether it selected.
    browser->setContent({items[0]});
    EXPECT_FALSE(browser->revealItem(items[1], true));
    EXPECT_TRUE(browser->revealItem(items[0], true));
    EXPECT_EQ(browser->selectedItems(), QList<pf::Ref<PWXLibraryItem>>{items[0]});
}

TEST_F(LibraryItemBrowser, EditingStateFollowsTheLocks)
{
    browser->setContent(items);
    EXPECT_EQ(browser->isEditingEnabled(), 0) << "nothing selected";
    browser->selectItems({items[0], items[1]});
    EXPECT_EQ(browser->isEditingEnabled(), 1);
    items[1]->setLocked(true);
    EXPECT_EQ(browser->isEditingEnabled(), PWXLibraryItemViewController::kMixedEditing);
    browser->setEditingEnabled(false);
    EXPECT_TRUE(items[0]->locked());
    EXPECT_EQ(browser->isEditingEnabled(), 0);
    EXPECT_EQ(browser->selectedUnlockedItems().size(), 0);
}

TEST_F(LibraryItemBrowser, DeleteSheetNamesAndDeletesOnlyTheUnlockedItemsItShowed)
{
    EXPECT_TRUE(PWXLibraryItemViewController::deleteSheetText({items[0]}).startsWith("Really delete \u201COak\u201D? "));
    const QString several = PWXLibraryItemViewController::deleteSheetText({items[0], items[1], items[2]});
    EXPECT_TRUE(several.startsWith("Really delete 3 Items? The items will be permanently removed from the collection \u201CShelf\u201D"));

    browser->containerView()->show();
    browser->setContent(items);
    items[1]->setLocked(true);
    browser->selectItems({items[0], items[1], items[2]});
    browser->deleteAction({});
    ASSERT_TRUE(browser->deleteSheet());
    EXPECT_EQ(names(browser->itemsToDelete()), (QStringList{"Oak", "Ash"})) << "locked items are not offered";
    // While the sheet is open the list reloads in another order and Ash is locked.
    browser->setContent({items[3], items[2], items[1], items[0]});
    browser->selectItems({items[3]});
    items[2]->setLocked(true);
    browser->deleteItemsOKAction({});
    QApplication::processEvents();
    ASSERT_EQ(owner.deleted.size(), 1);
    EXPECT_EQ(owner.deleted.first().toList(), (QList<qint64>{3})) << "Oak, where it is now; not the selected Elm";
    EXPECT_FALSE(browser->deleteSheet());

    // Cancel deletes nothing; with only locked items selected there is no sheet.
    browser->selectItems({items[3]});
    browser->deleteAction({});
    browser->deleteItemsCancelAction({});
    QApplication::processEvents();
    EXPECT_EQ(owner.deleted.size(), 1);
    browser->selectItems({items[1]});
    browser->deleteAction({});
    EXPECT_FALSE(browser->deleteSheet());
}

TEST_F(LibraryItemBrowser, PrintingLaysOutWholeColumnsAndWritesPages)
{
    struct Case {
        double width;
        int count, columns, rows;
    };
    const QList<Case> cases{{520, 10, 10, 1}, {520, 11, 10, 2}, {51, 3, 1, 3}, {10, 2, 1, 2}, {0, 0, 1, 0}};
    for (const Case& c : cases) {
        const auto layout = PWXLibraryItemViewController::printLayoutForWidth(c.width, c.count);
        EXPECT_EQ(layout.columns, c.columns) << c.width;
        EXPECT_EQ(layout.rows, c.rows) << c.width;
        EXPECT_EQ(layout.height, c.rows * 52.0);
    }

    auto info = std::make_shared<pf::PrintInfo>();
    browser->setContent(items);
    std::unique_ptr<RVPrintableZDDistributedView> view(browser->makePrintableView(*info));
    EXPECT_TRUE(view->showsHeaders());
    EXPECT_TRUE(view->showsFooters());
    EXPECT_EQ(view->cellSize(), QSizeF(50, 50));
    EXPECT_EQ(view->contentInset(), 0.0f);
    EXPECT_EQ(view->cellInset(), QSizeF(1, 1));
    EXPECT_EQ(view->frame().width(), PWXLibraryItemViewController::printableWidth(*info));
    EXPECT_EQ(browser->headerStringForPage(*view, 2), "Header 2");
    // Printing never shows lock badges.
    items[0]->setLocked(true);
    auto cell = std::make_shared<RVLabelledIconCell>();
    browser->positionForCell(*view, cell.get(), 0);
    EXPECT_TRUE(cell->badgeImage()) << "on screen a locked item is badged";
    {
        QImage page(10, 10, QImage::Format_ARGB32);
        QPainter painter(&page);
        pf::GraphicsContextScope printing(painter, true, false);
        browser->positionForCell(*view, cell.get(), 0);
        EXPECT_FALSE(cell->badgeImage());
        EXPECT_TRUE(cell->image()) << "the preview is loaded at once for the page";
    }

    QTemporaryDir folder;
    const QString path = folder.filePath("items.pdf");
    ASSERT_TRUE(browser->printToPDF(info, path));
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
}

TEST_F(LibraryItemBrowser, PdfPreviewArrangesTheItemsInColumns)
{
    const QByteArray pdf = PWXLibraryItemViewController::pdfPreviewForContent(items, 3, 3);
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    pf::Ref<pf::Image> page = pf::Image::fromPdfData(pdf);
    ASSERT_TRUE(page);
    // Icons of 48 points plus their one-point inset on each side: 3 columns, 2 rows.
    EXPECT_EQ(page->size(), QSizeF(150, 100));
    EXPECT_TRUE(pf::UserDefaults::standard().objectForKey("_PWLIB_ITEM_VIEW_iconSizing").isNull())
        << "a browser with no owner stores no settings";
    EXPECT_THROW(PWXLibraryItemViewController::pdfPreviewForContent(items, 0, 0), pf::Exception);
}

TEST_F(LibraryItemBrowser, SortingIsRefusedWhenTheOwnerForbidsIt)
{
    auto item = pf::MenuItem::make("Kind", "sortByAction:");
    item->setTag(1);
    EXPECT_TRUE(browser->validateMenuItem(*item));
    owner.resorting = false;
    EXPECT_FALSE(browser->validateMenuItem(*item));
    EXPECT_EQ(item->state(), pf::ControlState::Off);
}

} // namespace
