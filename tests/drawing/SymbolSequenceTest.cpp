#include "SymbolsTestSupport.h"

#include "drawing/PWXSymbolSequence.h"
#include "platform/foundation/Markers.h"
#include "platform/ui/MenuItem.h"

#include <algorithm>

using namespace symbols_test;

namespace {

// A sequence that numbers instances in the order they were added, from 1.
class CountingSequence : public pf::Object, public PWXSymbolSequence {
public:
    void addSymbol(PWXSymbol* symbol) override
    {
        if (!symbols.contains(symbol))
            symbols.append(symbol);
        symbol->setSequence(this);
    }
    void removeSymbol(PWXSymbol* symbol) override { symbols.removeAll(symbol); }
    void setSymbols(const QList<PWXSymbol*>& all) override
    {
        symbols.clear();
        for (PWXSymbol* symbol : all)
            addSymbol(symbol);
    }
    qint64 sequenceNumberForSymbol(const PWXSymbol* symbol) const override
    {
        const qsizetype index = symbols.indexOf(const_cast<PWXSymbol*>(symbol));
        return index < 0 ? pf::kNotFound : index + 1;
    }
    QString sequenceStringForSymbol(const PWXSymbol* symbol) const override
    {
        return QStringLiteral("No. %1").arg(sequenceNumberForSymbol(symbol));
    }
    qint64 startingOffset() const override { return 1; }
    qint64 maxSequenceNumber() const override { return symbols.size(); }
    void moveSymbolAtIndex(qint64 from, qint64 to) override { symbols.move(from, std::clamp<qint64>(to, 0, symbols.size() - 1)); }
    void renumber() override { ++renumbered; }
    bool autoRenumbers() const override { return false; }
    void setAutoRenumbers(bool) override {}
    int sequenceKind() const override { return 0; }
    void setSequenceKind(int) override {}
    void createAndInsertKeyTable() override {}

    QList<PWXSymbol*> symbols;
    int renumbered = 0;
};

// A layer whose class table answers "sequenceForSymbolMaster:", as an extension would add it.
class SequencingLayer : public PWObjectDrawingLayer {
    PF_CLASS(SequencingLayer)
public:
    pf::Ref<CountingSequence> sequence = std::make_shared<CountingSequence>();
};

class SymbolSequence : public SymbolsTest {};

} // namespace

PF_DEFINE_CLASS(SequencingLayer, PWObjectDrawingLayer)
{
    b.method("sequenceForSymbolMaster:", std::function<QVariant(SequencingLayer&, const QVariantList&)>(
                                             [](SequencingLayer& layer, const QVariantList&) {
                                                 return pf::toVariant(std::static_pointer_cast<pf::Object>(layer.sequence));
                                             }));
}

TEST_F(SymbolSequence, InstancesOnALayerThatNumbersThemCarryTheirNumber)
{
    auto drawing = std::make_shared<PWDrawing>();
    auto layer = std::make_shared<SequencingLayer>();
    drawing->addLayer(layer);
    auto master = rectMaster("Post");
    auto a = master->symbolWithLocation(QPointF(10, 10));
    auto b = master->symbolWithLocation(QPointF(20, 10));
    layer->addObject(a);
    layer->addObject(b);
    EXPECT_EQ(a->sequence(), layer->sequence.get());
    EXPECT_EQ(a->positionInSequence(), 1);
    EXPECT_EQ(b->positionInSequence(), 2);
    EXPECT_EQ(b->metadataStringForKey(kPWXSequenceNumberKey), "No. 2");
    EXPECT_EQ(b->metadataIntegerForKey(kPWXSequenceCardKey), 2);
    b->setPositionInSequence(1);
    EXPECT_EQ(b->positionInSequence(), 1);
    EXPECT_EQ(a->positionInSequence(), 2);
    // Leaving the layer leaves the sequence.
    layer->removeObject(a);
    EXPECT_FALSE(a->sequence());
    EXPECT_EQ(layer->sequence->symbols, QList<PWXSymbol*>{b.get()});
    // The master's drawable reads the number through its container, the instance.
    EXPECT_EQ(b->metadataObjectForKey(kPWXSequenceNumberKey).toString(), "No. 1");
}

TEST_F(SymbolSequence, SequenceCommandsMoveTheInstanceAndAreValidatedByPosition)
{
    auto drawing = std::make_shared<PWDrawing>();
    auto layer = std::make_shared<SequencingLayer>();
    drawing->addLayer(layer);
    auto master = rectMaster("Post");
    master->setSequenceable(true);
    QList<pf::Ref<PWXSymbol>> posts;
    for (int i = 0; i < 3; ++i) {
        posts.append(master->symbolWithLocation(QPointF(10 * i, 0)));
        layer->addObject(posts.last());
    }
    auto item = [](const QString& action, int tag = 0) {
        auto menuItem = pf::MenuItem::make(QStringLiteral("Move"), action);
        menuItem->setTag(tag);
        return menuItem;
    };
    const pf::Ref<PWXSymbol>& first = posts.first();
    EXPECT_TRUE(first->validateMenuItem(*item("moveForwardInSequence:")));
    EXPECT_FALSE(first->validateMenuItem(*item("moveBackwardInSequence:")));
    first->perform("moveToEndOfSequence:", {pf::toVariant(std::static_pointer_cast<pf::Object>(item("moveToEndOfSequence:")))});
    EXPECT_EQ(first->positionInSequence(), 3);
    EXPECT_FALSE(first->validateMenuItem(*item("moveForwardInSequence:")));
    EXPECT_TRUE(first->validateMenuItem(*item("moveBackwardInSequence:")));
    first->perform("moveBackwardInSequence:", {QStringLiteral("Back")});
    EXPECT_EQ(first->positionInSequence(), 2);
    EXPECT_TRUE(first->validateMenuItem(*item("renumberSequence:")));
    first->renumberSequence();
    EXPECT_EQ(layer->sequence->renumbered, 1);
    first->perform("scaleSymbolWithTagOfSender:", {pf::toVariant(std::static_pointer_cast<pf::Object>(item("s:", 25)))});
    EXPECT_DOUBLE_EQ(first->scaleFactor(), 2.5);
    first->setLocked(true);
    EXPECT_FALSE(first->validateMenuItem(*item("moveBackwardInSequence:")));
    EXPECT_TRUE(first->validateMenuItem(*item("copySymbolMaster:")));
    EXPECT_TRUE(first->validateMenuItem(*item("insertKeyTable:")));
    // Items the instance's own table does not name are the framework's to decide.
    EXPECT_TRUE(first->validateMenuItem(*item("copy:")));
    EXPECT_TRUE(first->validateMenuItem(*item("copyDrawingStyle:")));
    EXPECT_FALSE(first->validateMenuItem(*item("convertForDoubleClick:")));
}

TEST_F(SymbolSequence, ALayerThatAnswersNothingGivesNoSequence)
{
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    EXPECT_FALSE(layer->sequenceForSymbolMaster(rectMaster("Post")));
    EXPECT_FALSE(layer->respondsTo("sequenceForSymbolMaster:"));
}

TEST_F(SymbolSequence, TheLayerAppliesAMasterToTheSelectedInstancesAsOneStep)
{
    SymbolDrawing d;
    auto master = rectMaster("Tree");
    auto other = rectMaster("Bush");
    auto instance = d.place(master, QPointF(10, 10));
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(50, 50, 5, 5));
    d.layer->addObject(shape);
    d.layer->exchangeSelectionWithObjectsFromArray({instance, shape});
    d.settle();
    // Reached through the class table, as the picker palette does.
    EXPECT_EQ(d.layer->perform("applySymbol:", {pf::toVariant(std::static_pointer_cast<pf::Object>(other))}).toInt(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(instance->master(), other);
    EXPECT_EQ(d.undo().undoActionName(), "Apply Symbol");
    d.undo().undo();
    EXPECT_EQ(instance->master(), master);
    // No selected object takes an overlay style here.
    EXPECT_EQ(d.layer->setAuxiliaryStyle(std::make_shared<PWStyle>()), 0);
}
