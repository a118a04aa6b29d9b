// Cell-based tables: rows from the data source, selection by the user through the delegate,
// reloading chosen cells, cells prepared by the delegate and drawn, editing in place with the
// field editor, check boxes clicked in any row, sorting by header, geometry, context clicks,
// tool tips, drag images, row splices and destruction.
#include "platform/foundation/SortDescriptor.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TableHeaderView.h"
#include "platform/ui/TableItemModel.h"
#include "platform/ui/TableTreeWidget.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDelegate.h"
#include "tests/platform/ui/ControlTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

using namespace pf;

namespace {

// A text cell that notes what it drew: the text, whether its font was italic, and where.
class RecordingCell : public TextFieldCell {
public:
    struct Drawn {
        QString text;
        bool italic;
        QRectF frame;
    };
    std::shared_ptr<QList<Drawn>> drawn = std::make_shared<QList<Drawn>>();

    Ref<Cell> copyCell() const override { return std::make_shared<RecordingCell>(*this); }
    void drawInteriorWithFrame(const QRectF& frame, View* view) override
    {
        drawn->append({stringValue(), font().italic(), frame});
        TextFieldCell::drawInteriorWithFrame(frame, view);
    }
};

class Rows : public TableViewDataSource, public TableViewDelegate {
public:
    QStringList names{"alpha", "beta", "gamma", "delta"};
    QList<bool> done{false, true, false, false};
    int refused = -1;
    int asked = 0;
    bool gone = false; // set once the table should no longer ask
    int askedWhenGone = 0;
    int selectionChanges = 0;
    QList<QList<SortDescriptor>> sortChanges;
    Ref<Image> dragImage;

    int countsAsked = 0;

    int numberOfRowsInTableView(TableView&) override
    {
        ++countsAsked;
        askedWhenGone += gone;
        return int(names.size());
    }
    QVariant objectValueForTableColumn(TableView&, TableColumn* column, int row) override
    {
        ++asked;
        askedWhenGone += gone;
        if (column->identifier() == "done")
            return done[row] ? 1 : 0;
        return column->identifier() == "name" ? QVariant(names[row]) : QVariant(int(names[row].size()));
    }
    void setObjectValue(TableView&, const QVariant& value, TableColumn* column, int row) override
    {
        askedWhenGone += gone;
        if (column->identifier() == "name")
            names[row] = value.toString();
        if (column->identifier() == "done")
            done[row] = value.toInt() == 1;
    }
    QString toolTipForCell(TableView&, Cell& cell, QRectF&, TableColumn* column, int row, QPointF) override
    {
        return column->identifier() == "name" ? QStringLiteral("%1 at %2").arg(cell.stringValue()).arg(row) : QString();
    }
    Ref<Image> customDragImage(TableView&, const IndexSet&) override { return dragImage; }
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
    void willDisplayCell(TableView&, Cell& cell, TableColumn*, int row) override
    {
        askedWhenGone += gone;
        if (row == 0) {
            QFont font = cell.font();
            font.setItalic(true);
            cell.setFont(font);
        }
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
    // A check box column whose cells send "takeValue:" to `target`.
    void addCheckBoxColumn(Reflective* target)
    {
        auto column = TableColumn::make("done");
        auto box = std::make_shared<ButtonCell>();
        box->setButtonType(ButtonType::Switch);
        box->setAction("takeValue:");
        box->setTarget(target);
        column->setDataCell(box);
        column->setWidth(40);
        table->addTableColumn(column);
    }
    QPoint rowWidgetPoint(QPointF tablePoint)
    {
        return table->rowWidget()->viewport()->mapFrom(table, table->boundsToWidgetTransform().map(tablePoint).toPoint());
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

TEST_F(TableFixture, EditingInPlaceUsesTheFieldEditorAndWritesBackThroughTheDataSource)
{
    table->editColumn(0, 2, true);
    FieldEditor* editor = table->currentEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor, FieldEditor::forWindow(&window, false));
    EXPECT_EQ(editor->text(), "gamma");
    EXPECT_EQ(editor->selectedText(), "gamma") << "selecting edits the whole name, so typing replaces it";
    EXPECT_EQ(table->editedRow(), 2);
    // Over the cell's frame, in the table's coordinates.
    const QRectF shown = table->boundsToWidgetTransform().inverted().mapRect(QRectF(editor->geometry()));
    EXPECT_TRUE(table->frameOfCellAtColumn(0, 2).adjusted(-1, -1, 1, 1).contains(shown));
    editor->setText("renamed");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    EXPECT_EQ(rows.names[2], "renamed");
    EXPECT_EQ(shownText(2, 0), "renamed");
    EXPECT_EQ(table->editedRow(), -1);
    EXPECT_EQ(table->currentEditor(), nullptr);

    // Escape drops what was typed.
    table->editColumn(0, 1, false);
    ASSERT_NE(table->currentEditor(), nullptr);
    table->currentEditor()->setText("dropped");
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(table->currentEditor(), &escape);
    EXPECT_EQ(rows.names[1], "beta");
    EXPECT_EQ(table->currentEditor(), nullptr);

    // A double click opens the editor on the clicked cell; editing another cell commits it.
    const QPoint at = pointInRow(3);
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport(), &press);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport(), &twice);
    ASSERT_NE(table->currentEditor(), nullptr);
    EXPECT_EQ(table->editedRow(), 3);
    table->currentEditor()->setText("last");
    table->editColumn(0, 0, false);
    EXPECT_EQ(rows.names[3], "last");
    EXPECT_EQ(table->editedRow(), 0);
    table->abortEditing();

    // A column that is not editable opens no editor.
    table->tableColumnWithIdentifier("name")->setEditable(false);
    table->editColumn(0, 1, true);
    EXPECT_EQ(table->editedRow(), -1);
    EXPECT_EQ(table->currentEditor(), nullptr);
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

    // A click on the header view's first header.
    TableHeaderView* header = table->headerView();
    ASSERT_NE(header, nullptr);
    quillory::test::click(header, header->boundsToWidgetTransform().map(header->headerRectOfColumn(0).center()));
    ASSERT_EQ(rows.sortChanges.size(), 2);
    EXPECT_EQ(rows.sortChanges[1], (QList<SortDescriptor>{SortDescriptor("name", true)}));
    EXPECT_EQ(table->sortDescriptors(), (QList<SortDescriptor>{SortDescriptor("name", false)}));
    EXPECT_EQ(rows.names.first(), "gamma");

    // A column with no prototype does not sort.
    table->sortByColumn(table->tableColumnWithIdentifier("size"));
    EXPECT_EQ(rows.sortChanges.size(), 2);
}

TEST_F(TableFixture, DataCellsArePreparedByWillDisplayCellAndDrawnInTheirFrames)
{
    auto recording = std::make_shared<RecordingCell>();
    table->tableColumnWithIdentifier("name")->setDataCell(recording);
    Ref<Cell> first = table->preparedCellAtColumn(0, 0);
    ASSERT_NE(std::dynamic_pointer_cast<RecordingCell>(first), nullptr);
    EXPECT_EQ(first->stringValue(), "alpha");
    EXPECT_TRUE(first->font().italic());
    EXPECT_FALSE(recording->font().italic()); // the column's own cell is not changed

    viewport()->grab();
    QList<RecordingCell::Drawn> drawn = *recording->drawn;
    const auto find = [&](const QString& text) {
        for (const RecordingCell::Drawn& d : drawn) {
            if (d.text == text)
                return d;
        }
        return RecordingCell::Drawn{};
    };
    EXPECT_TRUE(find("alpha").italic);
    EXPECT_FALSE(find("beta").italic); // the change for row 0 stays with row 0
    EXPECT_EQ(find("gamma").frame, table->frameOfCellAtColumn(0, 2));
}

TEST_F(TableFixture, ToolTipsComeFromTheDelegatePerCell)
{
    EXPECT_EQ(table->toolTipForCellAt(table->frameOfCellAtColumn(0, 2).center()), "gamma at 2");
    EXPECT_EQ(table->toolTipForCellAt(table->frameOfCellAtColumn(1, 2).center()), "");
    EXPECT_EQ(table->toolTipForCellAt(QPointF(10, table->rectOfRow(3).bottom() + 5)), "");
}

TEST_F(TableFixture, CheckBoxesToggleInAnyRowWithoutSelecting)
{
    quillory::test::ActionRecorderView target;
    addCheckBoxColumn(&target);
    table->selectRowIndexes(IndexSet(0), false);
    rows.selectionChanges = 0;
    const QRectF box = table->frameOfCellAtColumn(2, 2);
    quillory::test::click(viewport(), rowWidgetPoint(box.center()));
    EXPECT_TRUE(rows.done[2]);
    EXPECT_EQ(table->selectedRowIndexes(), IndexSet(0));
    EXPECT_EQ(rows.selectionChanges, 0);
    EXPECT_EQ(target.actions, QStringList{"takeValue:"});
    EXPECT_EQ(table->preparedCellAtColumn(2, 2)->state(), ControlState::On);

    // Released outside the box: nothing is written or sent.
    quillory::test::pressDragRelease(viewport(), rowWidgetPoint(box.center()),
                                     rowWidgetPoint(table->frameOfCellAtColumn(0, 3).center()));
    EXPECT_TRUE(rows.done[2]);
    EXPECT_EQ(target.actions.size(), 1);
    EXPECT_FALSE(table->isTrackingCell());
    // Nor when the release comes elsewhere with no move reported between.
    const QPoint outside = rowWidgetPoint(table->frameOfCellAtColumn(0, 2).center());
    QMouseEvent press(QEvent::MouseButtonPress, rowWidgetPoint(box.center()), QPointF(), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, outside, QPointF(), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport(), &release);
    EXPECT_TRUE(rows.done[2]);
    EXPECT_EQ(target.actions.size(), 1);

    // A disabled box is no box to click: the row is selected as usual.
    struct Disabling : Rows {
        void willDisplayCell(TableView&, Cell& cell, TableColumn* column, int) override
        {
            if (column->identifier() == "done")
                cell.setEnabled(false);
        }
    } disabling;
    table->setDelegate(&disabling);
    quillory::test::click(viewport(), rowWidgetPoint(table->frameOfCellAtColumn(2, 1).center()));
    EXPECT_TRUE(rows.done[1]);
    EXPECT_EQ(table->selectedRowIndexes(), IndexSet(1));
    table->setDelegate(&rows);
}

TEST_F(TableFixture, TheDelegatesDragImageIsDraggedCentredUnderThePointer)
{
    struct HookReset {
        ~HookReset() { DraggingSession::setExecHookForTesting({}); }
    } reset;
    struct Writing : Rows {
        bool writeRowsWithIndexes(TableView&, const IndexSet&, Pasteboard& pasteboard) override
        {
            pasteboard.declareTypes({"rows"});
            return true;
        }
    } writing;
    writing.dragImage = Image::withDrawing(QSizeF(30, 10), [](QPainter& p, const QSizeF& size) {
        p.fillRect(QRectF(QPointF(), size), Qt::red);
    });
    table->setDataSource(&writing);
    table->setDelegate(&writing);
    QSize dragged;
    QPoint hotSpot;
    DraggingSession::setExecHookForTesting([&](QDrag& drag, Qt::DropActions) {
        dragged = drag.pixmap().deviceIndependentSize().toSize();
        hotSpot = drag.hotSpot();
        return Qt::IgnoreAction;
    });
    table->setDraggingSourceOperationMask(DragOperationCopy, true);
    table->dragRows(IndexSet(1), Event());
    EXPECT_EQ(dragged, QSize(30, 10));
    EXPECT_EQ(hotSpot, QPoint(15, 5));
    table->setDataSource(&rows);
    table->setDelegate(&rows);
}

TEST_F(TableFixture, InsertedRemovedAndMovedRowsKeepTheSelectionOnTheSameRows)
{
    table->selectRowIndexes(IndexSet::range(1, 2), false); // beta, gamma
    const int countsBefore = rows.countsAsked;
    rows.names.insert(0, "zeta");
    table->insertRowsAtIndexes(IndexSet(0));
    EXPECT_EQ(table->selectedRowIndexes(), IndexSet::range(2, 2));
    EXPECT_EQ(shownText(0, 0), "zeta");
    EXPECT_EQ(shownText(2, 0), "beta");

    rows.names.removeAt(2); // beta goes
    table->removeRowsAtIndexes(IndexSet(2));
    EXPECT_EQ(table->selectedRowIndexes(), IndexSet(2)); // gamma, one up
    EXPECT_EQ(shownText(2, 0), "gamma");

    rows.names.move(2, 0); // gamma first
    table->moveRowAtIndex(2, 0);
    EXPECT_EQ(table->selectedRowIndexes(), IndexSet(0));
    EXPECT_EQ(shownText(0, 0), "gamma");
    EXPECT_EQ(table->numberOfRows(), 4);
    // The cached rows were spliced, not asked for again.
    EXPECT_EQ(rows.countsAsked, countsBefore);
}

TEST_F(TableFixture, ATableBeingDestroyedAsksItsDataSourceNothing)
{
    window.activateWindow();
    ASSERT_TRUE(quillory::test::waitUntil([this] { return QApplication::activeWindow() == &window; }));
    table->editColumn(0, 1, true);
    ASSERT_TRUE(table->currentEditor()->hasFocus());
    ASSERT_NE(table->currentEditor(), nullptr);
    table->currentEditor()->setText("typed");
    rows.gone = true;
    delete table;
    table = nullptr;
    EXPECT_EQ(rows.askedWhenGone, 0);
    EXPECT_EQ(rows.names[1], "beta");
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

TEST_F(TableFixture, TheHeaderViewCanBeReplacedAndResizesColumnsByTheirEdges)
{
    TableHeaderView* header = table->headerView();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(table->headerHeight(), TableHeaderView::kDefaultHeight);
    EXPECT_EQ(header->headerRectOfColumn(1), QRectF(120, 0, 180, TableHeaderView::kDefaultHeight));
    // Dragging the edge between the first two headers widens the first column.
    const QPointF edge(120, 8);
    quillory::test::pressDragRelease(header, header->boundsToWidgetTransform().map(edge),
                                     header->boundsToWidgetTransform().map(edge + QPointF(30, 0)));
    EXPECT_EQ(table->tableColumnWithIdentifier("name")->width(), 150);
    EXPECT_EQ(table->frameOfCellAtColumn(1, 0).left(), 150);
    EXPECT_TRUE(rows.sortChanges.isEmpty()); // resizing is no click

    QPointer<TableHeaderView> old = header;
    auto* tall = new TableHeaderView(QRectF(0, 0, 300, 40));
    table->setHeaderView(tall);
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(table->headerHeight(), 40);
    EXPECT_EQ(table->rowWidget()->geometry().top(), 40);
    EXPECT_EQ(table->boundsToWidgetTransform().map(table->rectOfRow(0).topLeft()).y(), 40); // rows start below it
    EXPECT_EQ(tall->tableView(), table);
    table->setHeaderView(nullptr);
    EXPECT_EQ(table->headerHeight(), 0);
    EXPECT_EQ(table->rowWidget()->geometry().top(), 0);
}
