#include "SlicesTestSupport.h"

#include "drawing/PWDrawing+SlicesLayer.h"

#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using slices_test::SlicesFixture;

namespace {

QList<const PWXSlice*> raw(const QList<pf::Ref<PWXSlice>>& slices)
{
    QList<const PWXSlice*> out;
    for (const auto& slice : slices)
        out.append(slice.get());
    return out;
}

// Counts key-value notifications of one key.
class SlicesKeyObserver : public pf::Object {
    PF_CLASS(SlicesKeyObserver)
public:
    void observeValueForKeyPath(const QString& keyPath, pf::Reflective*, const QVariantMap&, void*) override
    {
        changes.append(keyPath);
    }
    QStringList changes;
};

} // namespace

PF_DEFINE_CLASS(SlicesKeyObserver, pf::Object) {}

TEST(SlicesLayerList, AddAndRemoveAttachNotifyAndUndoInPlace)
{
    SlicesFixture f;
    NotificationRecorder recorder(f.layer.get());
    auto first = f.layer->addNewSlice();
    EXPECT_EQ(first->title(), "Slice");
    EXPECT_EQ(first->slicesLayer(), f.layer.get());
    EXPECT_EQ(recorder.names, (QStringList{kVNQLSlicesLayerWillAddSlice, kVNQLSlicesLayerDidAddSlice}));
    EXPECT_EQ(pf::objectCast<PWXSlice>(recorder.infos.at(1).value(kVNQLSliceKey)), first);
    f.endEvent();
    EXPECT_EQ(f.undo().undoActionName(), "Add Slice");

    auto middle = f.addSlice(QRectF(10, 10, 20, 20));
    auto last = f.addSlice(QRectF(40, 40, 20, 20));
    f.endEvent();

    recorder.clear();
    f.layer->removeSlice(middle);
    f.endEvent();
    EXPECT_EQ(middle->slicesLayer(), nullptr);
    EXPECT_EQ(raw(f.layer->slices()), (QList<const PWXSlice*>{first.get(), last.get()}));
    EXPECT_EQ(recorder.count(kVNQLSlicesLayerWillRemoveSlice), 1);
    EXPECT_EQ(recorder.count(kVNQLSlicesLayerDidRemoveSlice), 1);
    EXPECT_EQ(f.undo().undoActionName(), "Delete Slice");

    // Undo puts the slice back where it was, not on top.
    f.undo().undo();
    EXPECT_EQ(raw(f.layer->slices()), (QList<const PWXSlice*>{first.get(), middle.get(), last.get()}));
    EXPECT_EQ(middle->slicesLayer(), f.layer.get());
    EXPECT_EQ(middle->name(), "Slice 2");
    EXPECT_EQ(f.undo().redoActionName(), "Delete Slice");
    f.undo().redo();
    EXPECT_EQ(f.layer->countOfSlices(), 2);
}

TEST(SlicesLayerList, AddRefusesNullAndSlicesOfOtherLayers)
{
    SlicesFixture f;
    try {
        f.layer->addSlice(nullptr);
        FAIL() << "adding null was accepted";
    } catch (const pf::Exception& e) {
        EXPECT_TRUE(e.reason().contains("cannot pass nil to -addSlice:"));
    }
    auto slice = f.addSlice(QRectF(0, 0, 10, 10));
    EXPECT_THROW(f.layer->addSlice(slice), pf::Exception);
    auto other = std::make_shared<VNQLSlicesLayer>();
    EXPECT_THROW(other->addSlice(slice), pf::Exception);
    EXPECT_EQ(f.layer->countOfSlices(), 1);
    EXPECT_EQ(other->countOfSlices(), 0);
}

TEST(SlicesLayerList, RemovingASliceNotInTheLayerOnlyNotifies)
{
    SlicesFixture f;
    auto stranger = std::make_shared<PWXSlice>();
    NotificationRecorder recorder(f.layer.get());
    f.layer->removeSlice(stranger);
    f.endEvent();
    EXPECT_EQ(recorder.count(kVNQLSlicesLayerWillRemoveSlice), 1);
    EXPECT_EQ(recorder.count(kVNQLSlicesLayerDidRemoveSlice), 1);
    EXPECT_FALSE(f.undo().canUndo());
}

TEST(SlicesLayerList, UndoingRemoveAllGivesTheSlicesBackAttachedWithTheirColours)
{
    SlicesFixture f;
    auto a = f.addSlice(QRectF(0, 0, 50, 50));
    auto b = f.addSlice(QRectF(60, 0, 50, 50));
    b->setColour(Qt::red);
    f.layer->selectAll();
    f.endEvent();

    f.layer->removeAllSlices();
    f.endEvent();
    EXPECT_EQ(f.layer->countOfSlices(), 0);
    EXPECT_TRUE(f.layer->selectedSlices().isEmpty());
    EXPECT_EQ(a->slicesLayer(), nullptr);
    EXPECT_EQ(f.undo().undoActionName(), "Delete Slices");

    f.undo().undo();
    ASSERT_EQ(raw(f.layer->slices()), (QList<const PWXSlice*>{a.get(), b.get()}));
    for (const auto& slice : f.layer->slices()) {
        EXPECT_EQ(slice->slicesLayer(), f.layer.get());
        EXPECT_EQ(slice->drawing(), f.drawing.get());
    }
    EXPECT_EQ(b->colour(), QColor(Qt::red));
    EXPECT_EQ(b->name(), "Slice 2");

    f.undo().redo();
    EXPECT_EQ(f.layer->countOfSlices(), 0);
    EXPECT_EQ(b->slicesLayer(), nullptr);
}

TEST(SlicesLayerList, SliceAtPointFindsTheTopmostAndHitLayerFollowsTheMode)
{
    SlicesFixture f;
    auto lower = f.addSlice(QRectF(0, 0, 100, 100));
    auto upper = f.addSlice(QRectF(50, 50, 100, 100));
    int part = -1;
    EXPECT_EQ(f.layer->sliceAtPoint(QPointF(75, 75), &part), upper);
    EXPECT_EQ(part, PWXSlice::kBodyPart);
    EXPECT_EQ(f.layer->sliceAtPoint(QPointF(20, 20)), lower);
    EXPECT_EQ(f.layer->sliceAtPoint(QPointF(400, 400), &part), nullptr);
    EXPECT_EQ(part, PWXSlice::kNoPart);

    EXPECT_TRUE(f.layer->hitLayer(QPointF(400, 400))); // draw mode takes every click
    f.layer->setToolMode(VNQLSlicesLayer::SelectMode);
    EXPECT_FALSE(f.layer->hitLayer(QPointF(400, 400)));
    EXPECT_TRUE(f.layer->hitLayer(QPointF(20, 20)));
}

TEST(SlicesLayerSelection, OperationsPostWillAndDidWithTheirSlices)
{
    SlicesFixture f;
    auto a = f.addSlice(QRectF(0, 0, 10, 10));
    auto b = f.addSlice(QRectF(20, 0, 10, 10));
    auto c = f.addSlice(QRectF(40, 0, 10, 10));
    SlicesKeyObserver observer;
    f.layer->addObserver(&observer, QStringLiteral("selectedSlices"));
    f.layer->addObserver(&observer, QStringLiteral("auxiliaryInfoString"));
    NotificationRecorder recorder(f.layer.get());

    f.layer->selectSlice(a, false);
    EXPECT_EQ(recorder.names, (QStringList{kVNQLSliceLayerWillChangeSelection, kVNQLSlicesLayerDidChangeSelection}));
    EXPECT_EQ(pf::objectCast<PWXSlice>(recorder.infos.at(0).value(kVNQLSliceKey)), a);
    EXPECT_EQ(recorder.infos.at(1).value(kVNQLSlicesKey).toList().size(), 1);

    f.layer->selectSlicesInArray({b, c}, true);
    EXPECT_EQ(raw(f.layer->selectedSlices()), (QList<const PWXSlice*>{a.get(), b.get(), c.get()}));
    EXPECT_EQ(f.layer->auxiliaryInfoString(), "3 slices, 3 selected");
    f.layer->selectSlice(b, false);
    EXPECT_EQ(raw(f.layer->selectedSlices()), (QList<const PWXSlice*>{b.get()}));

    recorder.clear();
    f.layer->deselectSlice(b);
    EXPECT_TRUE(f.layer->selectedSlices().isEmpty());
    EXPECT_EQ(pf::objectCast<PWXSlice>(recorder.infos.at(1).value(kVNQLSliceKey)), b);

    f.layer->selectAll();
    EXPECT_EQ(f.layer->selectedSlices().size(), 3);
    f.layer->deselectAll();
    EXPECT_TRUE(f.layer->selectedSlices().isEmpty());
    EXPECT_EQ(recorder.count(kVNQLSlicesLayerDidChangeSelection), 3);
    EXPECT_TRUE(recorder.infos.last().isEmpty());

    // A slice of no layer is never selected, though the notifications still go out.
    f.layer->selectSlice(std::make_shared<PWXSlice>(), true);
    EXPECT_TRUE(f.layer->selectedSlices().isEmpty());

    EXPECT_GE(observer.changes.count("selectedSlices"), 6);
    EXPECT_EQ(observer.changes.count("selectedSlices"), observer.changes.count("auxiliaryInfoString"));
    f.layer->removeObserver(&observer);
}

TEST(SlicesLayerSelection, ToolModeNotifiesAndDrivesCursorAndMenuState)
{
    SlicesFixture f;
    NotificationRecorder recorder(f.layer.get());
    EXPECT_EQ(f.layer->toolMode(), VNQLSlicesLayer::DrawMode);
    EXPECT_EQ(f.layer->cursor().shape(), Qt::CrossCursor);

    auto selectItem = pf::MenuItem::make(QStringLiteral("Select Slices"), QStringLiteral("setToolModeAction:"));
    selectItem->setTag(VNQLSlicesLayer::SelectMode);
    f.layer->setToolModeAction(pf::toVariant(selectItem));
    EXPECT_EQ(f.layer->toolMode(), VNQLSlicesLayer::SelectMode);
    EXPECT_EQ(recorder.count(kVNQLSlicesLayerToolModeDidChange), 1);
    EXPECT_EQ(f.layer->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(f.layer->validateMenuItem(*selectItem));
    EXPECT_EQ(selectItem->state(), pf::ControlState::On);

    f.layer->setToolMode(VNQLSlicesLayer::SelectMode);
    f.layer->setToolMode(7);
    EXPECT_EQ(f.layer->toolMode(), VNQLSlicesLayer::SelectMode);
    EXPECT_EQ(recorder.count(kVNQLSlicesLayerToolModeDidChange), 1);
}

TEST(SlicesLayerGeometry, MovesSnapsAndLabelsLengths)
{
    SlicesFixture f;
    auto guides = std::make_shared<PWGuideLayer>();
    f.drawing->addLayer(guides);
    guides->addVerticalGuide(100);
    f.drawing->setSnapsToGuides(true);

    auto a = f.addSlice(QRectF(0, 0, 50, 20));
    auto b = f.addSlice(QRectF(0, 40, 50, 20));
    f.layer->selectSlicesInArray({a, b}, false);
    f.layer->moveSelectedSlicesBy(47, 5);
    EXPECT_EQ(f.bounds(), (QList<QRectF>{QRectF(47, 5, 50, 20), QRectF(47, 45, 50, 20)}));
    EXPECT_EQ(f.layer->selectionSnappingPointsWithOffset(QSizeF(0, 0)).size(), 16);

    const QList<QPointF> points = f.layer->selectionSnappingPointsWithOffset(QSizeF(0, 0));
    EXPECT_EQ(f.layer->snapPointsToGuidesWithControlFlag(points, false), QSizeF(3, 0));
    EXPECT_EQ(f.layer->snapPointsToGuidesWithControlFlag(points, true), QSizeF(0, 0));
    EXPECT_EQ(f.layer->snapPointToGuides(QPointF(97, 13)), QPointF(100, 13));

    EXPECT_EQ(f.layer->dimensionStringForLength(72.4), "72 pt");
    f.drawing->setUnits(RVUnitLength::inches());
    f.layer->setUseDrawingUnits(true);
    EXPECT_EQ(f.layer->dimensionStringForLength(72.0), "1.00 " + f.drawing->abbreviatedDrawingUnits());
    EXPECT_EQ(a->dimensionStringForLength(36.0), "0.50 " + f.drawing->abbreviatedDrawingUnits());
}

TEST(SlicesLayerOverrides, NeverPrintedDeletedRenamedAndShownOnlyWhileActive)
{
    SlicesFixture f;
    auto objects = std::make_shared<PWObjectDrawingLayer>();
    f.drawing->addLayer(objects);
    f.layer->setVisible(false);
    f.endEvent();
    f.undo().removeAllActions();

    EXPECT_FALSE(f.layer->allowsRenaming());
    EXPECT_FALSE(f.layer->layerMayBeDeleted());
    EXPECT_FALSE(f.layer->shouldDrawToPrinter());
    EXPECT_FALSE(f.layer->shouldAutoActivateWithEvent(QPointF(), Qt::NoModifier));
    EXPECT_TRUE(f.layer->implementsOwnTools());
    EXPECT_EQ(f.layer->layerName(), "Slices");

    f.drawing->setActiveLayer(f.layer);
    EXPECT_TRUE(f.layer->visible());
    f.drawing->setActiveLayer(objects);
    EXPECT_FALSE(f.layer->visible());
    f.endEvent();
    // Showing and hiding go with activation; they are no step of their own.
    EXPECT_FALSE(f.undo().canUndo());
}

TEST(SlicesLayerOverrides, DrawsItsSlicesOnScreenOnly)
{
    SlicesFixture f;
    auto slice = f.addSlice(QRectF(20, 20, 40, 40));
    slice->setColour(Qt::red);
    slice->setShowsTitle(false);
    f.layer->selectSlice(slice, false);

    const auto render = [&](bool toScreen) {
        QImage image(100, 100, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        pf::GraphicsContext context(painter, true, toScreen);
        f.layer->drawInContext(context, QRectF(0, 0, 100, 100), false);
        painter.end();
        return image;
    };
    const QImage screen = render(true);
    // The resize handle is filled in the slice colour at the (maxX, maxY) corner.
    EXPECT_EQ(QColor(screen.pixel(58, 58)), QColor(Qt::red));
    const QImage printed = render(false);
    EXPECT_EQ(QColor(printed.pixel(58, 58)), QColor(Qt::white));

    slice->setVisible(false);
    EXPECT_EQ(QColor(render(true).pixel(58, 58)), QColor(Qt::white));
}

TEST(SlicesLayerOverrides, TheDrawingFindsItsSlicesLayerInNestedGroups)
{
    auto drawing = std::make_shared<PWDrawing>();
    EXPECT_EQ(slicesLayer(*drawing), nullptr);
    auto group = std::make_shared<PWLayerGroup>();
    drawing->addLayer(group);
    auto layer = std::make_shared<VNQLSlicesLayer>();
    group->addLayer(layer);
    EXPECT_EQ(slicesLayer(*drawing), layer);
}

TEST(SlicesLayerEditing, CopyPasteDeleteAndSelectAllWithUndo)
{
    SlicesFixture f;
    auto pasteboard = pf::Pasteboard::withName(QStringLiteral("slices-layer-test"));
    auto a = f.addSlice(QRectF(10, 10, 30, 30), QStringLiteral("North"));
    auto b = f.addSlice(QRectF(50, 10, 30, 30));
    a->setColour(Qt::blue);
    f.endEvent();

    EXPECT_FALSE(f.layer->copySelectionToPasteboard(*pasteboard));
    f.layer->selectSlice(a, false);
    ASSERT_TRUE(f.layer->copySelectionToPasteboard(*pasteboard));
    EXPECT_TRUE(PWXSlice::canInitWithPasteboard(*pasteboard));

    ASSERT_TRUE(f.layer->pasteFromPasteboard(*pasteboard));
    f.endEvent();
    ASSERT_EQ(f.layer->countOfSlices(), 3);
    const pf::Ref<PWXSlice> pasted = f.layer->slices().last();
    EXPECT_NE(pasted, a); // a copy, never the slice that is still in the layer
    EXPECT_EQ(pasted->bounds(), a->bounds());
    EXPECT_EQ(pasted->title(), "North");
    EXPECT_EQ(pasted->colour(), QColor(Qt::blue));
    EXPECT_EQ(pasted->slicesLayer(), f.layer.get());
    EXPECT_EQ(raw(f.layer->selectedSlices()), (QList<const PWXSlice*>{pasted.get()}));
    EXPECT_EQ(f.undo().undoActionName(), "Paste Slices");
    f.undo().undo();
    EXPECT_EQ(f.layer->countOfSlices(), 2);
    f.undo().redo();
    EXPECT_EQ(f.layer->countOfSlices(), 3);

    EXPECT_TRUE(f.layer->editSelectAll({}));
    f.endEvent();
    EXPECT_EQ(f.layer->selectedSlices().size(), 3);
    EXPECT_TRUE(f.layer->editDelete({}));
    f.endEvent();
    EXPECT_EQ(f.layer->countOfSlices(), 0);
    EXPECT_EQ(f.undo().undoActionName(), "Delete Slices");
    EXPECT_FALSE(f.layer->editDelete({}));
    EXPECT_TRUE(f.undo().isCoalescing());

    f.undo().undo();
    EXPECT_EQ(raw(f.layer->slices()), (QList<const PWXSlice*>{a.get(), b.get(), pasted.get()}));

    // One slice keeps its own name; an empty pasteboard pastes nothing.
    f.layer->selectSlice(b, false);
    f.layer->deleteSelectedSlices();
    f.endEvent();
    EXPECT_EQ(f.undo().undoActionName(), "Delete Slice");
    pasteboard->clearContents();
    EXPECT_FALSE(f.layer->pasteFromPasteboard(*pasteboard));
}

TEST(SlicesLayerEditing, ContextualMenuOffersWhatApplies)
{
    SlicesFixture f;
    pf::Pasteboard::general()->clearContents();
    auto slice = f.addSlice(QRectF(10, 10, 30, 30));

    const auto titles = [](const pf::Ref<pf::Menu>& menu) {
        QStringList out;
        for (const auto& item : menu->items())
            out.append(item->title());
        return out;
    };
    EXPECT_EQ(titles(f.layer->menuForEvent(QPointF(200, 200), nullptr)),
              (QStringList{"Draw Slices", "Select Slices", "Export Slices...", "", "Slices Help..."}));
    EXPECT_EQ(titles(f.layer->menuForEvent(QPointF(20, 20), nullptr)),
              (QStringList{"Copy Slice", "Delete Slice", "Zoom To Slice"}));

    f.layer->selectSlice(slice, false);
    ASSERT_TRUE(f.layer->editCopy());
    const pf::Ref<pf::Menu> menu = f.layer->menuForEvent(QPointF(200, 200), nullptr);
    EXPECT_EQ(titles(menu), (QStringList{"Draw Slices", "Select Slices", "Export Slices...", "Copy Slices", "Paste Slices",
                                         "", "Slices Help..."}));
    EXPECT_EQ(menu->itemAtIndex(6)->target(), f.layer.get());
    EXPECT_EQ(menu->itemAtIndex(6)->action(), QStringLiteral("slicesHelpAction:"));
    EXPECT_EQ(menu->itemAtIndex(0)->tag(), VNQLSlicesLayer::DrawMode);
    EXPECT_EQ(menu->itemAtIndex(0)->target(), f.layer.get());
    EXPECT_EQ(menu->itemAtIndex(2)->target(), nullptr);
    EXPECT_TRUE(f.layer->validateMenuItem(*menu->itemAtIndex(4)));

    // The slice's own delete item removes it.
    f.layer->menuForEvent(QPointF(20, 20), nullptr)->itemAtIndex(1)->target()->perform("delete:", {QVariant()});
    EXPECT_EQ(f.layer->countOfSlices(), 0);
    pf::Pasteboard::general()->clearContents();
}

TEST(SlicesLayerArchive, RoundTripKeepsSlicesAndStartsInTheRightMode)
{
    auto layer = std::make_shared<VNQLSlicesLayer>();
    auto drawing = std::make_shared<PWDrawing>();
    drawing->addLayer(layer);
    auto slice = std::make_shared<PWXSlice>();
    slice->setTitle(QStringLiteral("Hidden"));
    slice->setBounds(QRectF(5, 6, 70, 80));
    slice->setColour(Qt::green);
    slice->setVisible(false);
    slice->setShowsDimensions(false);
    layer->addSlice(slice);
    layer->addNewSlice()->setBounds(QRectF(100, 100, 10, 10));
    layer->selectAll();
    layer->setSelectionColour(Qt::yellow);
    ASSERT_EQ(layer->toolMode(), VNQLSlicesLayer::DrawMode);

    pf::Error error;
    const QByteArray data = pf::KeyedArchiver::archivedData(layer, pf::PropertyListFormat::Binary, &error);
    ASSERT_FALSE(data.isEmpty()) << error.description().toStdString();
    auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<VNQLSlicesLayer>(data, &error);
    ASSERT_TRUE(read) << error.description().toStdString();

    ASSERT_EQ(read->countOfSlices(), 2);
    EXPECT_EQ(read->toolMode(), VNQLSlicesLayer::SelectMode);
    EXPECT_TRUE(read->selectedSlices().isEmpty());
    EXPECT_EQ(read->selectionColour(), QColor(Qt::black));
    const pf::Ref<PWXSlice> first = read->slices().first();
    EXPECT_EQ(first->slicesLayer(), read.get());
    EXPECT_EQ(first->title(), "Hidden");
    EXPECT_EQ(first->bounds(), QRectF(5, 6, 70, 80));
    EXPECT_EQ(first->colour(), QColor(Qt::green));
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(first->showsDimensions());
    EXPECT_TRUE(first->showsTitle());
    EXPECT_EQ(read->slices().last()->name(), "Slice 2");

    // An empty layer opens ready to draw.
    auto empty = pf::KeyedUnarchiver::unarchiveObjectOfClass<VNQLSlicesLayer>(
        pf::KeyedArchiver::archivedData(std::make_shared<VNQLSlicesLayer>()));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->toolMode(), VNQLSlicesLayer::DrawMode);
}

TEST(SlicesLayerArchive, DamagedSliceListsAreSkippedNotTrusted)
{
    // A list holding a non-slice, a slice twice and nothing else usable.
    auto slice = std::make_shared<PWXSlice>();
    slice->setBounds(QRectF(1, 2, 3, 4));
    pf::KeyedArchiver archiver;
    archiver.encodePropertyListValue(QVariantList{pf::toVariant(slice), QStringLiteral("junk"), pf::toVariant(slice)},
                                     QStringLiteral("VNQLSlicesLayer_slices"));
    // The layer's keys at the top of an archive stand in for a damaged layer entry.
    const QByteArray data = archiver.encodedData();
    pf::KeyedUnarchiver unarchiver(data);
    ASSERT_TRUE(unarchiver.isValid());
    auto layer = std::make_shared<VNQLSlicesLayer>();
    layer->initWithCoder(unarchiver);
    ASSERT_EQ(layer->countOfSlices(), 1);
    EXPECT_EQ(layer->slices().first()->bounds(), QRectF(1, 2, 3, 4));
    EXPECT_EQ(layer->slices().first()->slicesLayer(), layer.get());
}
