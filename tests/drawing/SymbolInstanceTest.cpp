#include "SymbolsTestSupport.h"

#include "drawing/PWXSymbolSequence.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Markers.h"
#include "platform/ui/Pasteboard.h"
#include "frameworks/penwork/archiving/PWStylePasteboard.h"

#include <cmath>
#include <limits>

using namespace symbols_test;

namespace {

class SymbolInstance : public SymbolsTest {};

QColor fillOf(const pf::Ref<PWStyle>& style)
{
    if (!style || style->renderersOfClass<PWFill>().isEmpty())
        return {};
    return style->renderersOfClass<PWFill>().first()->colour().qColor();
}

pf::Ref<pf::Pasteboard> colourPasteboard(const QColor& colour)
{
    auto pasteboard = pf::Pasteboard::withName("symbol-drop");
    pasteboard->clearContents();
    pasteboard->declareTypes({pf::NSPasteboardTypeColor});
    pasteboard->setColor(colour);
    return pasteboard;
}

// Writes an instance's archive keys with raw values, as an older or damaged writer may have.
class RawSymbolWriter : public pf::Object, public pf::Coding {
    PF_CLASS(RawSymbolWriter)
public:
    pf::Ref<PWXSymbolMaster> master;
    double scale = 1.0;
    QString classNameForArchiver() const override { return QStringLiteral("PWXSymbol"); }
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        if (master)
            coder.encodeObject(master, "PWXSymbol_master");
        coder.encodeDouble(scale, "PWXSymbol_scaleFactor");
        coder.encodeBool(true, "PWXSymbol_hasModernTypeSequence");
    }
    void initWithCoder(pf::KeyedUnarchiver&) override {}
};

} // namespace

PF_DEFINE_CLASS(RawSymbolWriter, pf::Object) { b.protocol(pf::kCodingProtocol); }

TEST_F(SymbolInstance, ArchiveRoundTripKeepsEveryReadKey)
{
    auto master = rectMaster("Tree");
    PWXSymbolManager::registerSymbol(master);
    auto symbol = master->symbolWithLocation(QPointF(12, 34));
    symbol->setAngle(0.3);
    symbol->setScaleFactor(2.5);
    symbol->setObjectAngleIsAbsolute(true);
    symbol->setUsesLocalStyle(true);
    symbol->setScalesVisually(true);
    const QByteArray data = archive(symbol);
    auto read = unarchive<PWXSymbol>(data);
    ASSERT_TRUE(read);
    // The master is registered when read, so the same object comes back.
    EXPECT_EQ(read->master(), master);
    EXPECT_EQ(read->location(), QPointF(12, 34));
    EXPECT_DOUBLE_EQ(read->angle(), 0.3);
    EXPECT_FLOAT_EQ(float(read->scaleFactor()), 2.5f);
    EXPECT_TRUE(read->objectAngleIsAbsolute());
    EXPECT_TRUE(read->usesLocalStyle());
    EXPECT_TRUE(read->ignoresDataTransformers());
    // Scale-visually follows the user default, not the archive.
    EXPECT_FALSE(read->scalesVisually());
    EXPECT_EQ(read->cachedMasterBounds(), symbol->cachedMasterBounds());
    EXPECT_TRUE(master->symbols().contains(static_cast<PWXSymbolMasterClient*>(read.get())));
}

TEST_F(SymbolInstance, ScaleFactorsThatCannotScaleAreRefusedAlsoWhenRead)
{
    auto master = rectMaster("Tree");
    PWXSymbolManager::registerSymbol(master);
    struct Case {
        double stored;
        double read;
    };
    for (const Case c : {Case{0.0, 1.0}, Case{-3.0, 1.0}, Case{std::numeric_limits<double>::quiet_NaN(), 1.0},
                         Case{std::numeric_limits<double>::infinity(), 1.0}, Case{0.5, 0.5}}) {
        SCOPED_TRACE(c.stored);
        auto writer = std::make_shared<RawSymbolWriter>();
        writer->master = master;
        writer->scale = c.stored;
        auto read = unarchive<PWXSymbol>(archive(writer));
        ASSERT_TRUE(read);
        EXPECT_DOUBLE_EQ(read->scaleFactor(), c.read);
        EXPECT_EQ(read->master(), master);
    }
}

TEST_F(SymbolInstance, AnArchiveWithoutAMasterGetsTheDefaultOne)
{
    auto writer = std::make_shared<RawSymbolWriter>();
    writer->scale = 1.0;
    auto read = unarchive<PWXSymbol>(archive(writer));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->master(), PWXSymbolMaster::defaultSymbolMaster());
}

TEST_F(SymbolInstance, ScaleIsClampedAndAnEqualValueRegistersNoUndo)
{
    SymbolDrawing d;
    auto symbol = d.place(rectMaster("Tree"), QPointF(50, 50));
    struct Case {
        double given;
        double stored;
    };
    for (const Case c : {Case{0.05, 0.1}, Case{25.0, 10.0}, Case{3.0, 3.0}}) {
        symbol->setScaleFactor(c.given);
        EXPECT_DOUBLE_EQ(symbol->scaleFactor(), c.stored);
    }
    d.settle();
    symbol->setScaleFactor(3.0);
    symbol->setScaleFactor(std::numeric_limits<double>::quiet_NaN());
    QCoreApplication::processEvents();
    EXPECT_FALSE(d.undo().canUndo());
    symbol->setScaleFactor(2.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(d.undo().undoActionName(), "Scale Symbol");
    d.undo().undo();
    EXPECT_DOUBLE_EQ(symbol->scaleFactor(), 3.0);
}

TEST_F(SymbolInstance, GeometryFollowsLocationScaleAndAngle)
{
    auto symbol = rectMaster("Tree")->symbolWithLocation(QPointF(100, 50));
    EXPECT_EQ(symbol->size(), QSizeF(20, 10));
    symbol->setScaleFactor(2.0);
    EXPECT_EQ(symbol->logicalBounds(), QRectF(80, 40, 40, 20));
    EXPECT_EQ(symbol->bounds(), QRectF(74, 34, 52, 32));
    symbol->setAngle(M_PI / 2);
    const QRectF turned = symbol->logicalBounds();
    EXPECT_NEAR(turned.width(), 20.0, 1e-9);
    EXPECT_NEAR(turned.height(), 40.0, 1e-9);
    symbol->setObjectAngleIsAbsolute(true);
    EXPECT_NEAR(symbol->logicalBounds().width(), 40.0, 1e-9);
    EXPECT_EQ(symbol->hitPart(QPointF(100, 50)), PWDrawableObject::kEntireObjectPart);
    EXPECT_EQ(symbol->hitPart(QPointF(300, 300)), PWDrawableObject::kNoPart);
}

TEST_F(SymbolInstance, DraggingTheSizeHandleToHalfTheDiagonalGivesScaleOne)
{
    auto symbol = rectMaster("Tree", QRectF(-30, -40, 60, 80))->symbolWithLocation(QPointF(0, 0));
    symbol->setScaleFactor(4.0);
    // The diagonal is 100: a point 50 away is scale 1.
    symbol->mouseDraggedAtPoint(QPointF(30, 40), PWXSymbol::kSizeHandlePart, false);
    EXPECT_NEAR(symbol->scaleFactor(), 1.0, 1e-9);
}

TEST_F(SymbolInstance, ADegenerateMasterGivesNoScaleFromTheSizeHandle)
{
    auto line = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 0, 0));
    auto symbol = PWXSymbolMaster::symbolMasterWithObject(line, "Dot")->symbolWithLocation({});
    symbol->setScaleFactor(2.0);
    symbol->mouseDraggedAtPoint(QPointF(30, 40), PWXSymbol::kSizeHandlePart, false);
    EXPECT_DOUBLE_EQ(symbol->scaleFactor(), 2.0);
    EXPECT_FALSE(symbol->objectIsValid());
}

TEST_F(SymbolInstance, LocalStyleOnAndOffWithUndo)
{
    SymbolDrawing d;
    auto master = rectMaster("Tree");
    auto symbol = d.place(master, QPointF(50, 50));
    EXPECT_EQ(symbol->style(), master->style());
    symbol->setUsesLocalStyle(true);
    QCoreApplication::processEvents();
    ASSERT_TRUE(symbol->style());
    EXPECT_NE(symbol->style(), master->style());
    symbol->style()->setFillColour(pf::Color(QColor(Qt::blue)));
    EXPECT_EQ(fillOf(master->style()), QColor(Qt::green));
    d.undo().undo(); // the fill
    d.undo().undo(); // the local style
    EXPECT_FALSE(symbol->usesLocalStyle());
    EXPECT_EQ(symbol->style(), master->style());
    d.undo().redo();
    EXPECT_TRUE(symbol->usesLocalStyle());
}

TEST_F(SymbolInstance, UndoingANewMasterBringsBackTheLocalStyle)
{
    SymbolDrawing d;
    auto first = rectMaster("Tree");
    auto second = rectMaster("Bush", QRectF(0, 0, 4, 4));
    auto symbol = d.place(first, QPointF(50, 50));
    symbol->setUsesLocalStyle(true);
    symbol->style()->setFillColour(pf::Color(QColor(Qt::blue)));
    d.settle();
    symbol->setMaster(second);
    QCoreApplication::processEvents();
    EXPECT_EQ(symbol->master(), second);
    EXPECT_FALSE(symbol->usesLocalStyle());
    d.undo().undo();
    EXPECT_EQ(symbol->master(), first);
    EXPECT_TRUE(symbol->usesLocalStyle());
    EXPECT_EQ(fillOf(symbol->style()), QColor(Qt::blue));
    EXPECT_FALSE(second->symbols().contains(static_cast<PWXSymbolMasterClient*>(symbol.get())));
    EXPECT_TRUE(first->symbols().contains(static_cast<PWXSymbolMasterClient*>(symbol.get())));
}

TEST_F(SymbolInstance, ValuesValidationDoesNotTakeAreRefusedWithCode55)
{
    auto symbol = rectMaster("Tree")->symbolWithLocation({});
    pf::Error error;
    QVariant number(42);
    EXPECT_FALSE(symbol->validateValue(&number, "style", &error));
    EXPECT_EQ(error.domain(), kCartavelErrorDomain);
    EXPECT_EQ(error.code(), 55);
    QVariant text(QStringLiteral("big"));
    EXPECT_FALSE(symbol->validateValue(&text, "scaleFactor", &error));
    EXPECT_EQ(error.code(), 55);
    QVariant scale(2.0);
    EXPECT_TRUE(symbol->validateValue(&scale, "scaleFactor", &error));
    QVariant style = pf::toVariant(std::static_pointer_cast<pf::Object>(std::make_shared<PWStyle>()));
    EXPECT_TRUE(symbol->validateValue(&style, "style", &error));
    // A group master takes no style at all.
    auto group = PWShapeGroup::groupWithObjects({PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 5, 5)),
                                                 PWDrawableShape::drawableShapeWithRect(QRectF(10, 0, 5, 5))});
    auto grouped = PWXSymbolMaster::symbolMasterWithObject(group, "Pair")->symbolWithLocation({});
    EXPECT_FALSE(grouped->validateValue(&style, "style", &error));
    EXPECT_EQ(error.code(), 55);
}

TEST_F(SymbolInstance, AStyleDropThatValidationRefusesChangesNothing)
{
    SymbolDrawing d;
    auto group = PWShapeGroup::groupWithObjects({PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 5, 5)),
                                                 PWDrawableShape::drawableShapeWithRect(QRectF(10, 0, 5, 5))});
    auto symbol = d.place(PWXSymbolMaster::symbolMasterWithObject(group, "Pair"), QPointF(50, 50));
    auto pasteboard = pf::Pasteboard::withName("symbol-style-drop");
    pasteboard->clearContents();
    PWStylePasteboard::copyToPasteboard(std::make_shared<PWStyle>(), *pasteboard);
    EXPECT_FALSE(symbol->performDragOperation(*pasteboard, QPointF(50, 50)));
    QCoreApplication::processEvents();
    EXPECT_FALSE(d.undo().canUndo());
}

TEST_F(SymbolInstance, AColourDropRecoloursOnlyThatInstance)
{
    SymbolDrawing d;
    auto master = rectMaster("Tree");
    auto dropped = d.place(master, QPointF(50, 50));
    auto other = d.place(master, QPointF(150, 50));
    EXPECT_TRUE(dropped->performDragOperation(*colourPasteboard(Qt::red), QPointF(50, 50)));
    QCoreApplication::processEvents();
    EXPECT_TRUE(dropped->usesLocalStyle());
    EXPECT_EQ(fillOf(dropped->style()), QColor(Qt::red));
    EXPECT_EQ(fillOf(master->style()), QColor(Qt::green));
    EXPECT_EQ(fillOf(other->style()), QColor(Qt::green));
    // One step takes it all back.
    d.undo().undo();
    EXPECT_FALSE(dropped->usesLocalStyle());
    EXPECT_EQ(fillOf(dropped->style()), QColor(Qt::green));
}

TEST_F(SymbolInstance, AStyleDropGivesTheInstanceALocalStyleAsOneStep)
{
    SymbolDrawing d;
    auto master = rectMaster("Tree");
    auto symbol = d.place(master, QPointF(50, 50));
    auto dropped = std::make_shared<PWStyle>();
    dropped->setFillColour(pf::Color(QColor(Qt::yellow)));
    auto pasteboard = pf::Pasteboard::withName("symbol-style-drop");
    pasteboard->clearContents();
    PWStylePasteboard::copyToPasteboard(dropped, *pasteboard);
    EXPECT_TRUE(symbol->performDragOperation(*pasteboard, QPointF(50, 50)));
    QCoreApplication::processEvents();
    EXPECT_TRUE(symbol->usesLocalStyle());
    EXPECT_EQ(fillOf(symbol->style()), QColor(Qt::yellow));
    EXPECT_EQ(fillOf(master->style()), QColor(Qt::green));
    EXPECT_EQ(d.undo().undoActionName(), "Apply Style");
    d.undo().undo();
    EXPECT_FALSE(symbol->usesLocalStyle());
}

TEST_F(SymbolInstance, ALockedInstanceRefusesDropsAndEdits)
{
    auto master = rectMaster("Tree");
    auto other = rectMaster("Bush");
    auto symbol = master->symbolWithLocation(QPointF(5, 5));
    symbol->setLocked(true);
    EXPECT_FALSE(symbol->performDragOperation(*colourPasteboard(Qt::red), QPointF(5, 5)));
    auto pasteboard = pf::Pasteboard::withName("symbol-master-drop");
    pasteboard->clearContents();
    other->copyToPasteboard(pasteboard.get());
    EXPECT_FALSE(symbol->performDragOperation(*pasteboard, QPointF(5, 5)));
    symbol->setMaster(other);
    symbol->setScaleFactor(3.0);
    symbol->setLocation(QPointF(9, 9));
    EXPECT_EQ(symbol->master(), master);
    EXPECT_DOUBLE_EQ(symbol->scaleFactor(), 1.0);
    EXPECT_EQ(symbol->location(), QPointF(5, 5));
    symbol->setLocked(false);
    EXPECT_TRUE(symbol->performDragOperation(*pasteboard, QPointF(5, 5)));
    EXPECT_EQ(symbol->master(), PWXSymbolMaster::symbolMasterWithPasteboard(pasteboard.get()));
}

TEST_F(SymbolInstance, DetachingMakesAPlainDrawableAtTheDrawnAngleAsOneStep)
{
    SymbolDrawing d;
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(-10, -5, 20, 10));
    shape->setAngle(0.25);
    auto master = PWXSymbolMaster::symbolMasterWithObject(shape, "Tree");
    auto symbol = d.place(master, QPointF(40, 60));
    symbol->setAngle(0.5);
    symbol->setScaleFactor(2.0);
    symbol->setMetadata({{"id", 7}});
    d.settle();
    pf::Ref<PWDrawableObject> plain = symbol->detachSymbol();
    QCoreApplication::processEvents();
    ASSERT_TRUE(plain);
    EXPECT_FALSE(dynamic_cast<PWXSymbol*>(plain.get()));
    EXPECT_DOUBLE_EQ(plain->angle(), 0.75);
    EXPECT_EQ(plain->location(), QPointF(40, 60));
    EXPECT_EQ(plain->size(), QSizeF(40, 20));
    EXPECT_EQ(plain->metadataIntegerForKey("id"), 7);
    EXPECT_EQ(d.layer->objectList(), QList<pf::Ref<PWDrawableObject>>{plain});
    EXPECT_EQ(d.undo().undoActionName(), "Detach Symbol");
    d.undo().undo();
    EXPECT_EQ(d.layer->objectList(), QList<pf::Ref<PWDrawableObject>>{symbol});
}

TEST_F(SymbolInstance, DetachingAnAbsoluteAngleKeepsWhatWasDrawn)
{
    SymbolDrawing d;
    auto symbol = d.place(rectMaster("Tree"), QPointF(40, 60));
    symbol->setAngle(0.5);
    symbol->setObjectAngleIsAbsolute(true);
    pf::Ref<PWDrawableObject> plain = symbol->detachSymbol();
    ASSERT_TRUE(plain);
    EXPECT_DOUBLE_EQ(plain->angle(), 0.0);
}

TEST_F(SymbolInstance, UngroupingScalesByTheGroupsRatioUnlessItIsDegenerate)
{
    auto symbol = rectMaster("Tree")->symbolWithLocation(QPointF(10, 10));
    auto group = PWShapeGroup::groupWithObjects({std::static_pointer_cast<PWDrawableObject>(symbol->copy()),
                                                 PWDrawableShape::drawableShapeWithRect(QRectF(30, 30, 10, 10))});
    group->setSize(group->size() * 2.0);
    symbol->group(group.get(), QTransform());
    EXPECT_NEAR(symbol->scaleFactor(), 2.0, 1e-9);
    auto empty = std::make_shared<PWShapeGroup>();
    symbol->group(empty.get(), QTransform());
    EXPECT_TRUE(std::isfinite(symbol->scaleFactor()));
    EXPECT_NEAR(symbol->scaleFactor(), 2.0, 1e-9);
}

TEST_F(SymbolInstance, ACopySharesTheMasterAndJoinsItsClients)
{
    auto master = rectMaster("Tree");
    auto symbol = master->symbolWithLocation(QPointF(3, 4));
    symbol->setScaleFactor(1.5);
    auto copy = std::static_pointer_cast<PWXSymbol>(symbol->copy());
    EXPECT_EQ(copy->master(), master);
    EXPECT_EQ(copy->location(), QPointF(3, 4));
    EXPECT_DOUBLE_EQ(copy->scaleFactor(), 1.5);
    EXPECT_EQ(master->symbols().size(), 2);
    EXPECT_FALSE(copy->sequence());
}

TEST_F(SymbolInstance, WithoutASequenceProviderTheSequenceStaysEmpty)
{
    SymbolDrawing d;
    auto symbol = d.place(rectMaster("Tree"), QPointF(5, 5));
    EXPECT_FALSE(symbol->sequence());
    EXPECT_EQ(symbol->positionInSequence(), pf::kNotFound);
    EXPECT_FALSE(symbol->makeSequencable());
    symbol->setPositionInSequence(3);
    EXPECT_EQ(symbol->positionInSequence(), pf::kNotFound);
}

TEST_F(SymbolInstance, OutputPropertiesAreBuiltFromTheClassTable)
{
    const QVariantMap names = PWXSymbol::displayNamesForOutputProperties();
    EXPECT_EQ(names.value("scaleFactor").toString(), "Scale Factor");
    EXPECT_EQ(names.value("labelAttributes").toString(), "Label Style");
    EXPECT_EQ(PWXSymbol::acceptableTypesForOutputProperties().value("style").toList().size(), 5);
}
