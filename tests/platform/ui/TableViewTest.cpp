// Cell-based tables: rows from the data source, selection by the user through the delegate,
// reloading chosen cells, editing in place, sorting by header, geometry and context clicks.
#include "platform/foundation/SortDescriptor.h"
#include "platform/ui/Menu.h"
#include "platform/ui/TableItemModel.h"
#include "platform/ui/TableTreeWidget.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDelegate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleOptionViewItem>

using namespace pf;

namespace {

class Rows : public TableViewDataSource, public TableViewDelegate {
public:
    QStringList names{"alpha", "beta", "gamma", "delta"};
    int refused = -1;
    int asked = 0;
    int selectionChanges = 0;
    QList<QList<SortDescriptor>> sortChanges;

    int numberOfRowsInTableView(TableView&) override { return int(names.size()); }
    QVariant objectValueForTableColumn(TableView&, TableColumn* column, int row) override
    {
        ++asked;
        return column->identifier() == "name" ? QVariant(names[row]) : QVariant(int(names[row].size()));
    }
    void setObjectValue(TableView&, const QVariant& value, TableColumn* column, int row) override
    {
        if (column->identifier() == "name")
            names[row] = value.toString();
    }
    void sortDescriptorsDidChange(TableView& table, const QList<SortDescriptor>& old) override
    {
        sortChanges << old;
        QVariantList list(names.begin(), names.end());
        QVariantList maps;
        for (const QVariant& name : list)
            maps << QVariantMap{{"name", name}};
        pf::sort(maps, table.sortDescriptors());
        names.clear();
        for (const QVariant& map : maps)
            names << map.toMap().value("name").toString();
        table.reloadData();
    }
    bool shouldSelectRow(TableView&, int row) override { return row != refused; }
    void selectionDidChange(TableView&) override { ++selectionChanges; }
    void willDisplayCell(TableView&, QStyleOptionViewItem& cell, TableColumn*, int row) override
    {
        if (row == 0)
            cell.font.setItalic(true);
    }
};

class TableFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(300, 200);
        table = new TableView(&window);
        table->setFrame(QRectF(0, 0, 300, 200));
        auto name = TableColumn::make("name");
        name->setTitle("Name");
        name->setWidth(120);
        name->setSortDescriptorPrototype(SortDescriptor("name", true));
        table->addTableColumn(name);
        table->addTableColumn(TableColumn::make("size"));
        table->setAllowsMultipleSelection(true);
        table->setDataSource(&rows);
        table->setDelegate(&rows);
        window.show();
    }

    QWidget* viewport() { return table->rowWidget()->viewport(); }
    // Where a row's first cell sits in the rows widget.
    QPoint pointInRow(int row)
    {
        return table->rowWidget()->visualRect(table->rowWidget()->itemModel().indexForRow(row, 0)).center();
    }
    void click(int row, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPoint at = pointInRow(row);
        QMouseEvent press(QEvent::MouseButtonPress, at, viewport()->mapToGlobal(at), button, button, modifiers);
        QApplication::sendEvent(viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, viewport()->mapToGlobal(at), button, Qt::NoButton, modifiers);
        QApplication::sendEvent(viewport(), &release);
    }
    QString shownText(int row, int column)
    {
        return table->rowWidget()->itemModel().index(row, column).data().toString();
    }

    Rows rows; // outlives the table, which asks it until it goes
    QWidget window;
    TableView* table = nullptr;
};

} // namespace

TEST_F(TableFixture, ShowsTheDataSourceRowsAndReloadsAllOfThem)
{
    EXPECT_EQ(table->numberOfRows(), 4);
    EXPECT_EQ(shownText(2, 0), "gamma");
    EXPECT_EQ(shownText(2, 1), "5");
    rows.names << "epsilon";
    EXPECT_EQ(table->numberOfRows(), 4); // the rows stay as answered until reloaded
    table->reloadData();
    EXPECT_EQ(table->numberOfRows(), 5);
    EXPECT_EQ(shownText(4, 0), "epsilon");
}

TEST_F(TableFixture, UserSelectionAsksTheDelegateAndCodeSelectionDoesNot)
{
    click(1);
    EXPECT_EQ(table->selectedRowIndexes(), IndexSet(1));
    EXPECT_EQ(rows.selectionChanges, 1);

    rows.refused = 2;
    click(2);
    EXPECT_EQ(table->selectedRowIndexes(), IndexSet(1)); // refused: the old selection stays
    EXPECT_EQ(rows.selectionChanges, 1);
    EXPECT_FALSE(table->rowWidget()->selectionModel()->isRowSelected(2, {}));

    click(3, Qt::LeftButton, Qt::ControlModifier);
    IndexSet both(1);
    both.add(3);
    EXPECT_EQ(table->selectedRowIndexes(), both);

    table->selectRowIndexes(IndexSet(2), false);
    EXPECT_EQ(table->selectedRowIndexes(), IndexSet(2));
    EXPECT_TRUE(table->rowWidget()->selectionModel()->isRowSelected(2, {}));
}

TEST_F(TableFixture, SelectionSurvivesReloadOnlyForRowsThatRemain)
{
    table->selectRowIndexes(IndexSet(3), false);
    rows.names.removeLast();
    table->reloadData();
    EXPECT_TRUE(table->selectedRowIndexes().isEmpty());
    table->selectRowIndexes(IndexSet(1), false);
    table->reloadData();
    EXPECT_EQ(table->selectedRow(), 1);
}

TEST_F(TableFixture, ReloadingChosenRowsShowsTheirNewValuesOnly)
{
    rows.names[1] = "BETA";
    rows.names[2] = "GAMMA";
    int changedRow = -1;
    QObject::connect(&table->rowWidget()->itemModel(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex&) { changedRow = from.row(); });
    table->reloadDataForRowIndexes(IndexSet(1), IndexSet(0));
    EXPECT_EQ(changedRow, 1);
    EXPECT_EQ(shownText(1, 0), "BETA");
}

TEST_F(TableFixture, EditingInPlaceWritesBackThroughTheDataSource)
{
    table->editColumn(0, 2, true);
    auto* editor = table->rowWidget()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(table->editedRow(), 2);
    editor->setText("renamed");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    QApplication::processEvents(); // the editor commits once the key has been handled
    EXPECT_EQ(rows.names[2], "renamed");
    EXPECT_EQ(shownText(2, 0), "renamed");
    EXPECT_EQ(table->editedRow(), -1);

    // A column that is not editable opens no editor.
    table->tableColumnWithIdentifier("name")->setEditable(false);
    table->editColumn(0, 1, true);
    EXPECT_EQ(table->editedRow(), -1);
}

TEST_F(TableFixture, HeaderClicksSortByThePrototypeAndReverseOnTheSecondClick)
{
    TableColumn* name = table->tableColumnWithIdentifier("name");
    table->sortByColumn(name);
    ASSERT_EQ(rows.sortChanges.size(), 1);
    EXPECT_TRUE(rows.sortChanges[0].isEmpty());
    EXPECT_EQ(table->highlightedTableColumn(), name);
    EXPECT_EQ(rows.names, (QStringList{"alpha", "beta", "delta", "gamma"}));
    EXPECT_EQ(shownText(3, 0), "gamma");

    emit table->rowWidget()->header()->sectionClicked(0);
    ASSERT_EQ(rows.sortChanges.size(), 2);
    EXPECT_EQ(rows.sortChanges[1], (QList<SortDescriptor>{SortDescriptor("name", true)}));
    EXPECT_EQ(table->sortDescriptors(), (QList<SortDescriptor>{SortDescriptor("name", false)}));
    EXPECT_EQ(rows.names.first(), "gamma");

    // A column with no prototype does not sort.
    table->sortByColumn(table->tableColumnWithIdentifier("size"));
    EXPECT_EQ(rows.sortChanges.size(), 2);
}

TEST_F(TableFixture, WillDisplayCellChangesTheCellBeforeItDraws)
{
    QStyleOptionViewItem option;
    table->prepareCellForDisplay(option, 0, 0);
    EXPECT_TRUE(option.font.italic());
    QStyleOptionViewItem other;
    table->prepareCellForDisplay(other, 0, 1);
    EXPECT_FALSE(other.font.italic());
}

TEST_F(TableFixture, RowGeometryFollowsTheRowHeightsAndColumns)
{
    table->setRowHeight(20);
    EXPECT_EQ(table->rectOfRow(2), QRectF(0, 40, 300, 20));
    EXPECT_EQ(table->frameOfCellAtColumn(1, 2), QRectF(120, 40, 180, 20));
    struct Case {
        QPointF point;
        int row;
        int column;
    };
    const Case cases[] = {
        {{0, 0}, 0, 0},      {{119, 39.9}, 1, 0}, {{120, 40}, 2, 1},
        {{10, 79.9}, 3, 0},  {{10, 80}, -1, 0},   {{10, -1}, -1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(table->rowAtPoint(c.point), c.row) << c.point.x() << "," << c.point.y();
        EXPECT_EQ(table->columnAtPoint(c.point), c.column) << c.point.x() << "," << c.point.y();
    }
    // The rows widget lays the rows out where the table says they are.
    const QRect shown = table->rowWidget()->visualRect(table->rowWidget()->itemModel().indexForRow(2, 0));
    EXPECT_EQ(shown.top(), 40);
    EXPECT_EQ(shown.height(), 20);
}

TEST_F(TableFixture, RightClickShowsTheMenuWithoutSelecting)
{
    table->selectRowIndexes(IndexSet(0), false);
    auto menu = Menu::make();
    menu->addItem("Do", "doIt:");
    table->setMenu(menu);
    click(2, Qt::RightButton);
    EXPECT_EQ(table->selectedRowIndexes(), IndexSet(0));
    EXPECT_EQ(table->clickedRow(), 2);

    const Event event = Event::mouseEvent(RightMouseDown, table->convertPointToView(table->rectOfRow(3).center(), nullptr), 0,
                                          Event::now(), 0, 0, 1, 1.0);
    EXPECT_EQ(table->menuForEvent(event), menu->qMenu());
    EXPECT_EQ(table->clickedRow(), 3);
    EXPECT_EQ(table->selectedRowIndexes(), IndexSet(0));
}
