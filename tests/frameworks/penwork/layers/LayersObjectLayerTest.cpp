#include "LayersTestSupport.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWBSPDirectObjectStorage.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWLinearObjectStorage.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/Exception.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <cmath>
#include <functional>

using layers_test::makeDrawing;

using layers_test::step;

namespace {

using ObjectList = PWObjectOwnerLayer::ObjectList;

pf::Ref<PWDrawableObject> box(const QString& name, const QRectF& rect = QRectF(0, 0, 10, 10))
{
    auto object = std::make_shared<PWDrawableObject>();
    object->setName(name);
    object->setSize(rect.size());
    object->setLocation(rect.center());
    return object;
}

QString order(const PWObjectOwnerLayer& layer)
{
    QString out;
    for (const auto& object : layer.objects())
        out += object->name();
    return out;
}

QString names(const ObjectList& objects)
{
    QString out;
    for (const auto& object : objects)
        out += object->name();
    return out;
}

// A drawing with one object layer holding A..E (A at the bottom).
struct Fixture {
    pf::Ref<PWDrawing> drawing = makeDrawing();
    pf::Ref<PWObjectDrawingLayer> layer = std::make_shared<PWObjectDrawingLayer>();
    QHash<QString, pf::Ref<PWDrawableObject>> byName;

    explicit Fixture(const QString& initial = "ABCDE")
    {
        drawing->addLayer(layer);
        drawing->setActiveLayer(layer);
        for (QChar c : initial) {
            auto object = box(c, QRectF(20 * byName.size(), 0, 10, 10));
            byName.insert(c, object);
            layer->addObject(object);
        }
        drawing->undoManager()->removeAllActions();
    }
    ObjectList objects(const QString& list) const
    {
        ObjectList out;
        for (QChar c : list)
            out.append(byName.value(c));
        return out;
    }
    pf::Ref<PWDrawableObject> operator[](const char* name) const { return byName.value(QString::fromLatin1(name)); }
};

// Applies posted reorder notifications, one by one, to a copy of the list.
QString replayMoves(QString list, const NotificationRecorder& recorder)
{
    for (qsizetype i = 0; i < recorder.names.size(); ++i) {
        if (recorder.names[i] != kPWLayerDidReorderObjects)
            continue;
        const int from = recorder.infos[i].value("old_index").toInt();
        const int to = recorder.infos[i].value("new_index").toInt();
        const QChar moved = list[from];
        list.remove(from, 1);
        list.insert(to, moved);
    }
    return list;
}

} // namespace

TEST(LayersObjects, EditsPostOneNotificationEach)
{
    struct Case {
        const char* name;
        std::function<void(Fixture&)> edit;
        QStringList expected;
    };
    const QString added = kPWLayerDidAddObject, removed = kPWLayerDidRemoveObject, selection = kPWLayerSelectionDidChange;
    const Case cases[] = {
        {"add one", [](Fixture& f) { f.layer->addObject(box("F")); }, {added}},
        {"add several", [](Fixture& f) { f.layer->addObjectsFromArray({box("F"), box("G")}); }, {added}},
        {"insert at indexes", [](Fixture& f) { f.layer->insertObjects({box("F"), box("G")}, pf::IndexSet::range(1, 2)); },
         {added}},
        {"remove unselected", [](Fixture& f) { f.layer->removeObjectsInArray(f.objects("AC")); }, {removed}},
        {"remove selected", [](Fixture& f) {
             f.layer->exchangeSelectionWithObjectsFromArray(f.objects("B"));
             f.layer->removeObject(f["B"]);
         },
         {selection, selection, removed}},
        {"remove a stranger", [](Fixture& f) { f.layer->removeObject(box("X")); }, {}},
        {"select several", [](Fixture& f) { f.layer->exchangeSelectionWithObjectsFromArray(f.objects("ABCD")); }, {selection}},
        {"select all", [](Fixture& f) { f.layer->selectAll(); }, {selection}},
        {"same selection again", [](Fixture& f) {
             f.layer->replaceSelectionWithObject(f["A"]);
             f.layer->addObjectToSelection(f["A"]);
         },
         {selection}},
        {"deselect nothing", [](Fixture& f) { f.layer->deselectAll(); }, {}},
        {"select a stranger", [](Fixture& f) { f.layer->replaceSelectionWithObject(box("X")); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        NotificationRecorder recorder(f.layer.get());
        c.edit(f);
        EXPECT_EQ(recorder.names, c.expected);
    }
}

TEST(LayersObjects, EachEditKindUndoesAndRedoes)
{
    struct Case {
        const char* name;
        std::function<void(Fixture&)> edit;
        QString after;
    };
    const Case cases[] = {
        {"add", [](Fixture& f) { f.layer->addObject(box("F")); }, "ABCDEF"},
        {"insert", [](Fixture& f) { f.layer->insertObject(box("F"), 0); }, "FABCDE"},
        {"insert at indexes", [](Fixture& f) { f.layer->insertObjects({box("F"), box("G")}, [] {
                                                   pf::IndexSet s;
                                                   s.add(1);
                                                   s.add(4);
                                                   return s;
                                               }()); },
         "AFBCGDE"},
        {"remove", [](Fixture& f) { f.layer->removeObjectsInArray(f.objects("DB")); }, "ACE"},
        {"remove at indexes", [](Fixture& f) { f.layer->removeObjectsAtIndexes(pf::IndexSet::range(0, 4)); }, "E"},
        {"move one up", [](Fixture& f) { f.layer->moveObject(f["A"], 3); }, "BCDAE"},
        {"move several to the top", [](Fixture& f) { f.layer->moveObjectsInArray(f.objects("DA"), 5); }, "BCEAD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        step(*f.drawing, [&] { c.edit(f); });
        EXPECT_EQ(order(*f.layer), c.after);
        f.drawing->undoManager()->undo();
        EXPECT_EQ(order(*f.layer), "ABCDE");
        for (const auto& object : f.layer->objects())
            EXPECT_EQ(object->container(), f.layer.get());
        f.drawing->undoManager()->redo();
        EXPECT_EQ(order(*f.layer), c.after);
    }
}

TEST(LayersObjects, RemovedObjectsLeaveTheContainerAndTheSelection)
{
    Fixture f;
    f.layer->exchangeSelectionWithObjectsFromArray(f.objects("BC"));
    step(*f.drawing, [&] { f.layer->removeObject(f["B"]); });
    EXPECT_EQ(f["B"]->container(), nullptr);
    EXPECT_EQ(names(f.layer->selection()), "C");
    EXPECT_EQ(f.layer->indexOfObject(f["B"].get()), pf::kNotFound);
}

TEST(LayersObjects, MovingObjectsKeepsThemTogetherAndAnnouncesEachStep)
{
    struct Case {
        const char* objects;
        qint64 index;
        const char* expected;
    };
    const Case cases[] = {
        {"A", 5, "BCDEA"}, {"E", 0, "EABCD"}, {"BD", 1, "ABDCE"}, {"EA", 2, "BAECD"},
        {"CB", 0, "BCADE"}, {"ACE", 5, "BDACE"}, {"D", 4, "ABCDE"}, {"BX", 99, "ACDEB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.objects);
        Fixture f;
        ObjectList objects = f.objects(QString::fromLatin1(c.objects).remove('X'));
        if (QString::fromLatin1(c.objects).contains('X'))
            objects.append(box("X"));
        NotificationRecorder recorder(f.layer.get());
        step(*f.drawing, [&] { f.layer->moveObjectsInArray(objects, c.index); });
        EXPECT_EQ(order(*f.layer), c.expected);
        // The panel mirrors the change move by move.
        EXPECT_EQ(replayMoves("ABCDE", recorder), c.expected);
        recorder.clear();
        if (!f.drawing->undoManager()->canUndo())
            continue; // nothing moved
        f.drawing->undoManager()->undo();
        EXPECT_EQ(order(*f.layer), "ABCDE");
        EXPECT_EQ(replayMoves(c.expected, recorder), "ABCDE");
    }
}

TEST(LayersObjects, BadInsertionsRaise)
{
    Fixture f;
    Fixture other("Z");
    EXPECT_THROW(f.layer->addObject(nullptr), pf::Exception);
    EXPECT_THROW(f.layer->addObject(f["A"]), pf::Exception);
    EXPECT_THROW(f.layer->addObject(other["Z"]), pf::Exception);
    auto twice = box("T");
    EXPECT_THROW(f.layer->addObjectsFromArray({twice, twice}), pf::Exception);
    EXPECT_THROW(f.layer->insertObject(box("F"), 7), pf::Exception);
    EXPECT_THROW(f.layer->removeObjectsAtIndexes(pf::IndexSet(5)), pf::Exception);
    EXPECT_EQ(order(*f.layer), "ABCDE");
    EXPECT_EQ(twice->container(), nullptr);
}

TEST(LayersSelection, QueriesAndSelectionUndo)
{
    Fixture f;
    f["D"]->setLocked(true);
    f["B"]->setVisible(false);
    f.layer->exchangeSelectionWithObjectsFromArray(f.objects("DBA"));
    EXPECT_EQ(names(f.layer->selection()), "ABD"); // stacking order
    EXPECT_EQ(names(f.layer->selectedAvailableObjects()), "A");
    EXPECT_EQ(f.layer->countOfSelectedAvailableObjects(), 1);
    EXPECT_EQ(f.layer->countOfSelection(), 3);
    EXPECT_FALSE(f.layer->singleSelection());
    EXPECT_TRUE(f.layer->isSelectedObject(f["B"].get()));
    EXPECT_EQ(f.layer->selectedObjectsRespondingToSelector("setName:").size(), 3);
    EXPECT_TRUE(f.layer->selectedObjectsRespondingToSelector("noSuchThing:").isEmpty());
    f.layer->selectAll();
    EXPECT_EQ(names(f.layer->selection()), "ACE");

    f.layer->replaceSelectionWithObject(f["A"]);
    EXPECT_EQ(f.layer->singleSelection(), f["A"]);
    step(*f.drawing, [&] {
        f.layer->recordSelectionForUndo();
        f.layer->exchangeSelectionWithObjectsFromArray(f.objects("CE"));
        f.layer->commitSelectionUndoWithActionName("Select Things");
    });
    EXPECT_EQ(f.drawing->undoManager()->undoActionName(), "Select Things");
    NotificationRecorder recorder(f.layer.get());
    f.drawing->undoManager()->undo();
    EXPECT_EQ(names(f.layer->selection()), "A");
    EXPECT_EQ(recorder.count(kPWLayerSelectionDidChange), 1);
    f.drawing->undoManager()->redo();
    EXPECT_EQ(names(f.layer->selection()), "CE");

    // Duplicating and selecting the copies undoes as one step: selection back, copies gone.
    step(*f.drawing, [&] {
        f.layer->recordSelectionForUndo();
        const ObjectList copies = f.layer->linearDuplicate(f.objects("C"), QSizeF(5, 0), 2);
        f.layer->addObjectsFromArray(copies);
        f.layer->exchangeSelectionWithObjectsFromArray(copies);
        f.layer->commitSelectionUndoWithActionName("Linear Duplication");
    });
    EXPECT_EQ(f.layer->countOfObjects(), 7);
    EXPECT_EQ(f.layer->countOfSelection(), 2);
    f.drawing->undoManager()->undo();
    EXPECT_EQ(f.layer->countOfObjects(), 5);
    EXPECT_EQ(names(f.layer->selection()), "CE");
    f.drawing->undoManager()->redo();
    EXPECT_EQ(f.layer->countOfObjects(), 7);
    EXPECT_EQ(f.layer->countOfSelection(), 2);
}

TEST(LayersObjects, PendingCreationIsDrawnButNotHeldUntilCommitted)
{
    Fixture f;
    auto pending = box("P");
    f.layer->addObjectPendingCreation(pending);
    EXPECT_EQ(f.layer->countOfObjects(), 5);
    EXPECT_TRUE(pending->isPendingCreation());
    EXPECT_EQ(pending->container(), f.layer.get());
    f.layer->removePendingObject();
    EXPECT_EQ(pending->container(), nullptr);

    f.layer->addObjectPendingCreation(pending);
    step(*f.drawing, [&] { f.layer->commitPendingObjectWithUndoActionName("Create Box"); });
    EXPECT_EQ(order(*f.layer), "ABCDEP");
    EXPECT_FALSE(f.layer->pendingObject());
    EXPECT_FALSE(pending->isPendingCreation());
    EXPECT_EQ(f.drawing->undoManager()->undoActionName(), "Create Box");
    f.drawing->undoManager()->undo();
    EXPECT_EQ(order(*f.layer), "ABCDE");
}

TEST(LayersObjects, DuplicatesInARowAndRoundACentre)
{
    Fixture f("A");
    auto a = f["A"]; // centred on (5, 5)
    const ObjectList row = f.layer->linearDuplicate({a}, QSizeF(10, -2), 3);
    ASSERT_EQ(row.size(), 3);
    EXPECT_EQ(row[2]->location(), QPointF(35, -1));
    EXPECT_EQ(row[0]->container(), nullptr);
    EXPECT_TRUE(f.layer->linearDuplicate({a}, QSizeF(1, 1), 0).isEmpty());

    const ObjectList ring = f.layer->polarDuplicate({a}, QPointF(5, 25), 2, 90.0, true);
    ASSERT_EQ(ring.size(), 2);
    // A quarter turn clockwise on screen (y-down) takes "above the centre" to "right of it".
    EXPECT_NEAR(ring[0]->location().x(), 25, 1e-9);
    EXPECT_NEAR(ring[0]->location().y(), 25, 1e-9);
    EXPECT_NEAR(ring[0]->angle(), M_PI / 2, 1e-9);
    EXPECT_NEAR(ring[1]->location().y(), 45, 1e-9);

    const ObjectList around = f.layer->autoPolarDuplicate(a, QPointF(5, 105));
    EXPECT_GT(around.size(), 10);
    // Copies lie side by side round the full turn: neighbours at least a diagonal apart.
    const double diagonal = std::hypot(10.0, 10.0);
    QPointF previous = a->location();
    for (const auto& copy : around) {
        EXPECT_GE(std::hypot(copy->location().x() - previous.x(), copy->location().y() - previous.y()), diagonal - 1e-9);
        previous = copy->location();
    }
    EXPECT_GE(std::hypot(previous.x() - a->location().x(), previous.y() - a->location().y()), diagonal - 1e-9);
    EXPECT_TRUE(f.layer->autoPolarDuplicate(a, QPointF(5, 5)).isEmpty());
}

TEST(LayersObjects, SnapsToNearbyObjectsWhenAllowed)
{
    Fixture f("AB"); // A spans 0..10, B spans 20..30
    NotificationRecorder recorder(f.layer.get());
    const QPointF near(21.5, 11);
    EXPECT_EQ(f.layer->snappedMousePoint(near, nullptr, false), near);
    f.layer->setAllowsSnapToObjects(true);
    EXPECT_EQ(recorder.count(kPWLayerDidChangeSnapToObjects), 1);
    const QRectF b = f["B"]->logicalBounds();
    EXPECT_EQ(f.layer->snappedMousePoint(near, nullptr, false), b.bottomLeft());
    EXPECT_EQ(f.layer->snappedMousePoint(near, f["B"].get(), false), near); // not onto itself
    EXPECT_EQ(f.layer->snappedMousePoint(near, nullptr, true), near);
}

// The two storages answer every query alike, also after objects moved.
// A rectangle over most of the indexed area is answered by walking the objects in order; it
// must still leave out every object it does not meet, and keep the stacking order.
TEST(LayersStorage, AQueryOverMostOfTheDrawingLeavesOutWhatItDoesNotMeet)
{
    PWBSPDirectObjectStorage storage;
    QList<pf::Ref<PWDrawableObject>> objects;
    // One object in each cell of a 10 x 10 block, stacked from the bottom right up.
    for (int i = 99; i >= 0; --i) {
        const QPointF corner((i % 10) * PWBSPDirectObjectStorage::kCellSize + 20, (i / 10) * PWBSPDirectObjectStorage::kCellSize + 20);
        objects.append(box(QString::number(i), QRectF(corner, QSizeF(30, 30))));
    }
    storage.insertObjects(objects, pf::IndexSet::range(0, objects.size()));
    const double cell = PWBSPDirectObjectStorage::kCellSize;
    struct Query {
        QRectF rect;
        int expected;
    };
    for (const Query& query : {Query{QRectF(0, 0, 9 * cell, 9 * cell), 81}, Query{QRectF(0, 0, 10 * cell, 8 * cell), 80},
                               Query{QRectF(cell + 49, cell + 49, 9 * cell, 9 * cell), 81},
                               Query{QRectF(0, 0, 10 * cell, 10 * cell), 100}, Query{QRectF(0, 0, 2 * cell, cell), 2}}) {
        SCOPED_TRACE(qPrintable(QStringLiteral("%1 %2 %3 %4").arg(query.rect.x()).arg(query.rect.y()).arg(query.rect.width()).arg(query.rect.height())));
        const QList<pf::Ref<PWDrawableObject>> found = storage.objectsIntersectingRect(query.rect);
        EXPECT_EQ(found.size(), query.expected);
        qint64 previous = -1;
        for (const auto& object : found) {
            EXPECT_TRUE(PWObjectStorage::meets(object->bounds(), query.rect)) << qPrintable(object->name());
            const qint64 index = storage.indexOfObject(object.get());
            EXPECT_GT(index, previous) << "out of stacking order";
            previous = index;
        }
    }
}

TEST(LayersStorage, BothStoragesAnswerAlikeOnRandomDrawings)
{
    const pf::Class& saved = PWObjectOwnerLayer::storageClass();
    PWObjectOwnerLayer::setStorageClass(PWLinearObjectStorage::staticClass());
    auto linear = std::make_shared<PWObjectDrawingLayer>();
    PWObjectOwnerLayer::setStorageClass(PWBSPDirectObjectStorage::staticClass());
    auto indexed = std::make_shared<PWObjectDrawingLayer>();
    PWObjectOwnerLayer::setStorageClass(saved);
    ASSERT_TRUE(linear->storage().isKindOf<PWLinearObjectStorage>());
    ASSERT_TRUE(indexed->storage().isKindOf<PWBSPDirectObjectStorage>());

    QRandomGenerator random(20240611);
    auto randomRect = [&random](double extent, double maxSize) {
        return QRectF(random.bounded(extent) - 200, random.bounded(extent) - 200, random.bounded(maxSize),
                      random.bounded(maxSize));
    };
    std::vector<std::pair<pf::Ref<PWDrawableObject>, pf::Ref<PWDrawableObject>>> pairs;
    for (int i = 0; i < 1000; ++i) {
        // Mostly small objects, a few that span much of the drawing.
        const QRectF rect = randomRect(3000, i % 50 == 0 ? 2500 : 60);
        auto a = box(QString::number(i), rect), b = box(QString::number(i), rect);
        if (i % 97 == 0) {
            a->setVisible(false);
            b->setVisible(false);
        }
        linear->addObject(a);
        indexed->addObject(b);
        pairs.emplace_back(a, b);
    }
    auto compare = [&](const char* phase) {
        SCOPED_TRACE(phase);
        for (int q = 0; q < 300; ++q) {
            const QRectF query = randomRect(3200, q % 10 == 0 ? 3000 : 300);
            EXPECT_EQ(names(linear->objectsInRect(query)), names(indexed->objectsInRect(query)));
        }
        for (int q = 0; q < 300; ++q) {
            const QPointF point(random.bounded(3000.0) - 200, random.bounded(3000.0) - 200);
            EXPECT_EQ(names(linear->storage().objectsAtPoint(point)), names(indexed->storage().objectsAtPoint(point)));
            if (q % 10 == 0) {
                auto hitA = linear->hitObject(point), hitB = indexed->hitObject(point);
                EXPECT_EQ(hitA ? hitA->name() : QString(), hitB ? hitB->name() : QString());
            }
        }
    };
    compare("as made");
    for (int i = 0; i < 400; ++i) {
        auto& [a, b] = pairs[size_t(random.bounded(int(pairs.size())))];
        const QRectF rect = randomRect(3000, i % 40 == 0 ? 2000 : 60);
        for (const auto& object : {a, b}) {
            object->setSize(rect.size());
            object->setLocation(rect.center());
        }
    }
    for (int i = 0; i < 50; ++i) {
        const qint64 from = random.bounded(int(pairs.size()) - i), to = random.bounded(int(pairs.size()) - i);
        linear->moveObject(linear->objectInObjectsAtIndex(from), to);
        indexed->moveObject(indexed->objectInObjectsAtIndex(from), to);
        linear->removeObjectsAtIndexes(pf::IndexSet(to));
        indexed->removeObjectsAtIndexes(pf::IndexSet(to));
    }
    compare("after moves and removals");
}
