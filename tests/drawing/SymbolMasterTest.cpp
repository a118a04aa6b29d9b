#include "SymbolsTestSupport.h"

#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Pasteboard.h"

#include <QPainter>

#include <QThread>

#include <atomic>
#include <cmath>
#include <thread>

using namespace symbols_test;

namespace {

class SymbolMaster : public SymbolsTest {};

} // namespace

TEST_F(SymbolMaster, ArchiveRoundTripKeepsTheReadKeysAndResetsTheOthers)
{
    for (const bool detaches : {true, false}) {
        SCOPED_TRACE(detaches);
        auto master = rectMaster("Tree");
        master->setDetachesStyle(detaches);
        master->setUserDescription("a tree");
        master->setDefaultSequenceKind(3);
        master->setSequenceable(true);
        master->setAutoDetachesInstances(false);
        master->setPrescale(2.5);
        master->setAttributesTemplate({{"kind", "oak"}});
        master->setLocked(true);
        const QByteArray data = archive(master);
        // A registry that does not know the key yet, so the read master is itself.
        PWXSymbolManager::resetSharedSymbolManager();
        auto read = unarchive<PWXSymbolMaster>(data);
        ASSERT_TRUE(read);
        EXPECT_NE(read, master);
        EXPECT_EQ(read->uniqueKey(), master->uniqueKey());
        EXPECT_EQ(read->name(), "Tree");
        EXPECT_EQ(read->userDescription(), "a tree");
        EXPECT_EQ(read->defaultSequenceKind(), 3);
        EXPECT_EQ(read->attributesTemplate(), (QVariantMap{{"kind", "oak"}}));
        EXPECT_TRUE(read->locked());
        EXPECT_EQ(read->detachesStyle(), detaches);
        EXPECT_DOUBLE_EQ(read->lastModificationTimestamp(), master->lastModificationTimestamp());
        EXPECT_FLOAT_EQ(float(read->storedPrescale()), 2.5f);
        EXPECT_DOUBLE_EQ(read->prescale(), 1.0);
        // Written but not read back.
        EXPECT_FALSE(read->sequenceable());
        EXPECT_TRUE(read->autoDetachesInstances());
        ASSERT_TRUE(read->object());
        EXPECT_EQ(read->objectSize(), QSizeF(20, 10));
        EXPECT_EQ(read->object()->location(), QPointF());
        // Read masters are registered.
        EXPECT_EQ(PWXSymbolManager::registeredSymbolForKey(read->uniqueKey()), read);
    }
}

TEST_F(SymbolMaster, AStoredPrescaleOfZeroReadsAsOne)
{
    auto master = rectMaster("Tree");
    master->setPrescale(0.0);
    PWXSymbolManager::resetSharedSymbolManager();
    EXPECT_DOUBLE_EQ(unarchive<PWXSymbolMaster>(archive(master))->storedPrescale(), 1.0);
}

TEST_F(SymbolMaster, ReadingAKeyAlreadyRegisteredAnswersTheRegisteredMaster)
{
    auto master = rectMaster("Tree");
    PWXSymbolManager::registerSymbol(master);
    auto read = unarchive<PWXSymbolMaster>(archive(master));
    EXPECT_EQ(read, master);
}

TEST_F(SymbolMaster, ClientSlotsKeepTheirIndexAndAreNeverReused)
{
    auto master = rectMaster("Tree");
    auto a = master->symbolWithLocation({});
    auto b = master->symbolWithLocation({});
    EXPECT_EQ(a->symbolMasterClientIndex(), 0u);
    EXPECT_EQ(b->symbolMasterClientIndex(), 1u);
    b.reset();
    EXPECT_EQ(master->symbols().size(), 1);
    auto c = master->symbolWithLocation({});
    EXPECT_EQ(c->symbolMasterClientIndex(), 2u);
    EXPECT_EQ(master->symbols().size(), 2);
    EXPECT_FALSE(master->symbols().contains(nullptr));
}

TEST_F(SymbolMaster, AnInstanceAsDrawableBakesInItsScaleAndAngle)
{
    auto other = rectMaster("Leaf");
    auto instance = other->symbolWithLocation(QPointF(50, 50));
    instance->setScaleFactor(2.0);
    instance->setAngle(0.5);
    auto master = std::make_shared<PWXSymbolMaster>();
    ASSERT_TRUE(master->setObject(instance));
    ASSERT_TRUE(master->object());
    EXPECT_FALSE(dynamic_cast<PWXSymbol*>(master->object().get()));
    EXPECT_EQ(master->objectSize(), QSizeF(40, 20));
    EXPECT_DOUBLE_EQ(master->object()->angle(), 0.5);
    EXPECT_EQ(master->object()->location(), QPointF());
}

TEST_F(SymbolMaster, ADonorThatDrawsTheMasterIsRefused)
{
    auto master = rectMaster("Tree");
    auto instance = master->symbolWithLocation({});
    // Directly.
    EXPECT_FALSE(master->setObject(instance));
    // Inside a group.
    auto group = PWShapeGroup::groupWithObjects({PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 5, 5)),
                                                 std::static_pointer_cast<PWDrawableObject>(instance->copy())});
    EXPECT_FALSE(master->setObject(group));
    // Through a chain: another master draws this one, so this one may not draw the other.
    auto other = std::make_shared<PWXSymbolMaster>();
    ASSERT_TRUE(other->setObject(group));
    EXPECT_FALSE(master->setObject(other->symbolWithLocation({})));
    // The refused donors left the drawable as it was.
    EXPECT_EQ(master->objectSize(), QSizeF(20, 10));
    EXPECT_FALSE(master->isGroupObject());
    // A master that does not reach this one is a fine donor.
    EXPECT_TRUE(master->setObject(rectMaster("Leaf")->symbolWithLocation({})));
}

TEST_F(SymbolMaster, ALockedMasterIgnoresEditsButNotItsLock)
{
    auto master = rectMaster("Tree");
    master->setLocked(true);
    master->setName("Bush");
    EXPECT_FALSE(master->setObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 1, 1))));
    EXPECT_EQ(master->name(), "Tree");
    master->setLocked(false);
    master->setName("Bush");
    EXPECT_EQ(master->name(), "Bush");
}

TEST_F(SymbolMaster, ACopyKeepsTheTemplateAndFlagsWithANewKey)
{
    auto master = rectMaster("Tree");
    master->setAttributesTemplate({{"kind", "oak"}});
    master->setSequenceable(true);
    master->setDefaultSequenceKind(2);
    master->setLocked(true);
    auto copy = master->clone();
    EXPECT_NE(copy->uniqueKey(), master->uniqueKey());
    EXPECT_EQ(copy->attributesTemplate(), master->attributesTemplate());
    EXPECT_TRUE(copy->sequenceable());
    EXPECT_EQ(copy->defaultSequenceKind(), 2);
    EXPECT_TRUE(copy->locked());
    EXPECT_EQ(copy->objectSize(), master->objectSize());
    EXPECT_NE(copy->object(), master->object());
}

TEST_F(SymbolMaster, TheDrawablesMetadataBecomesTheTemplate)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 4, 4));
    shape->setMetadata({{"height", 12}});
    auto master = PWXSymbolMaster::symbolMasterWithObject(shape, "Post");
    EXPECT_EQ(master->attributesTemplate(), (QVariantMap{{"height", 12}}));
    EXPECT_TRUE(master->object()->metadata().isEmpty());
}

TEST_F(SymbolMaster, TheSequencePlaceholderInAnyCaseMakesTheMasterSequenceable)
{
    for (const QString& text : {QStringLiteral("No. %%CVLQ_SEQUENCE_NUMBER"), QStringLiteral("%%cvlq_sequence_number"),
                                QStringLiteral("plain label")}) {
        SCOPED_TRACE(text.toStdString());
        auto style = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::white)), pf::Color(QColor(Qt::black)));
        auto label = std::make_shared<PWTextAdornment>();
        label->setString(text);
        style->addRenderer(label);
        auto master = PWXSymbolMaster::symbolMasterWithObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 9, 9), style), "N");
        EXPECT_EQ(master->sequenceable(), !text.startsWith("plain"));
    }
}

TEST_F(SymbolMaster, TheSwatchIsCachedUntilTheStyleChanges)
{
    auto master = rectMaster("Tree");
    const QImage first = master->imageToFitSize(QSizeF(10, 10));
    EXPECT_EQ(master->imageToFitSize(QSizeF(300, 300)).cacheKey(), first.cacheKey());
    master->style()->setFillColour(pf::Color(QColor(Qt::red)));
    EXPECT_NE(master->imageToFitSize(QSizeF(10, 10)).cacheKey(), first.cacheKey());
}

TEST_F(SymbolMaster, ChangesReachEveryInstanceAndTheNotificationCentre)
{
    auto master = rectMaster("Tree");
    auto instance = master->symbolWithLocation(QPointF(100, 100));
    EXPECT_EQ(instance->logicalBounds(), QRectF(90, 95, 20, 10));
    int didChange = 0;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        kPWXSymbolMasterDidChange, master.get(), [&](const pf::Notification&) { ++didChange; });
    master->setObject(rectMaster("Big", QRectF(-20, -20, 40, 40))->object());
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(didChange, 1);
    EXPECT_EQ(instance->logicalBounds(), QRectF(80, 80, 40, 40));
}

TEST_F(SymbolMaster, PasteboardGivesTheRegisteredMasterByKeyOrACopyByData)
{
    auto master = rectMaster("Tree");
    auto pasteboard = pf::Pasteboard::withName("symbols-test");
    pasteboard->clearContents();
    EXPECT_FALSE(PWXSymbolMaster::canInitWithPasteboard(pasteboard.get()));
    EXPECT_FALSE(PWXSymbolMaster::canInitWithPasteboard(nullptr));
    master->copyToPasteboard(pasteboard.get());
    EXPECT_TRUE(PWXSymbolMaster::canInitWithPasteboard(pasteboard.get()));
    EXPECT_EQ(master->writableTypesForPasteboard(*pasteboard),
              (QStringList{PWXSymbolMaster::keyPasteboardType(), PWXSymbolMaster::dataPasteboardType()}));
    // Not registered: the data is read (and the read master registered).
    auto fromData = PWXSymbolMaster::symbolMasterWithPasteboard(pasteboard.get());
    ASSERT_TRUE(fromData);
    EXPECT_EQ(fromData->uniqueKey(), master->uniqueKey());
    EXPECT_EQ(PWXSymbolMaster::symbolMasterWithPasteboard(pasteboard.get()), fromData);
}

TEST_F(SymbolMaster, DrawingAnInstanceUsesItsLocalStyleAndGivesTheDrawableBack)
{
    auto master = rectMaster("Tree");
    auto instance = master->symbolWithLocation(QPointF(30, 30));
    instance->setUsesLocalStyle(true);
    instance->style()->setFillColour(pf::Color(QColor(Qt::blue)));
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        pf::GraphicsContextScope scope(painter, true);
        instance->drawContent();
    }
    EXPECT_EQ(QColor(image.pixel(30, 30)), QColor(Qt::blue));
    EXPECT_EQ(QColor(image.pixel(5, 5)), QColor(Qt::white));
    EXPECT_EQ(master->object()->container(), static_cast<PWDrawableContainer*>(master.get()));
    // The master's own style was not touched.
    EXPECT_EQ(master->style()->objClass().name(), "PWStyle");
}

TEST_F(SymbolMaster, ReadingOnAWorkerThreadRegistersOnTheMainThreadOnly)
{
    auto master = rectMaster("Tree");
    const QByteArray data = archive(master);
    PWXSymbolManager::resetSharedSymbolManager();
    std::atomic<bool> postedOffMain{false};
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        kPWXSymbolWasRegisteredNotification, nullptr, [&](const pf::Notification&) {
            if (!pf::RunLoop::isMainThread())
                postedOffMain = true;
        });
    pf::Ref<PWXSymbolMaster> read;
    pf::Ref<PWXSymbol> instance;
    std::thread reader([&] {
        read = unarchive<PWXSymbolMaster>(data);
        // An instance read in the same document shares the master.
        EXPECT_EQ(unarchive<PWXSymbolMaster>(data), read);
    });
    reader.join();
    ASSERT_TRUE(read);
    EXPECT_FALSE(PWXSymbolManager::registeredSymbolForKey(master->uniqueKey()));
    QCoreApplication::processEvents();
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(PWXSymbolManager::registeredSymbolForKey(master->uniqueKey()), read);
    EXPECT_FALSE(postedOffMain);
}

TEST_F(SymbolMaster, DefaultMasterIsAFivePointedStarMadeOnce)
{
    auto master = PWXSymbolMaster::defaultSymbolMaster();
    ASSERT_TRUE(master && master->object());
    EXPECT_EQ(master->name(), "Default Symbol");
    EXPECT_EQ(PWXSymbolMaster::defaultSymbolMaster(), master);
    EXPECT_NEAR(master->objectSize().width(), 32.0, 3.0);
    EXPECT_FALSE(PWXSymbolMaster::defaultSymbolMasterForPointObjectImport()->sequenceable());
}

TEST_F(SymbolMaster, AnInstanceReadOnAWorkerThreadJoinsItsMasterOnTheMainThread)
{
    auto master = rectMaster("Tree");
    PWXSymbolManager::registerSymbol(master);
    const QByteArray data = archive(master->symbolWithLocation(QPointF(5, 5)));
    const int before = int(master->symbols().size());
    pf::Ref<PWXSymbol> read;
    std::thread reader([&] { read = unarchive<PWXSymbol>(data); });
    reader.join();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->master(), master);
    EXPECT_EQ(int(master->symbols().size()), before);
    QCoreApplication::processEvents();
    EXPECT_TRUE(master->symbols().contains(static_cast<PWXSymbolMasterClient*>(read.get())));
}
