// Styles: undo of renderer and style changes, clients, notifications, the lock, opacity,
// archiving, copies, the class-wide switches and swatches.
#include <gtest/gtest.h>

#include "StylesTestSupport.h"

#include "frameworks/penwork/renderers/PWImageAdornment.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"

#include <cmath>
#include <limits>

namespace {

using styles_test::PathShape;

// Counts notifications of one name from one sender for the life of the fixture.
class NotificationCount {
public:
    NotificationCount(const QString& name, const pf::Reflective* sender)
        : m_token(pf::NotificationCenter::defaultCenter().addObserver(name, sender,
                                                                       [this](const pf::Notification&) { ++count; }))
    {
    }
    ~NotificationCount() { pf::NotificationCenter::defaultCenter().removeObserver(m_token); }
    int count = 0;

private:
    quint64 m_token;
};

class RecordingClient : public PWStyleClient {
public:
    QStringList messages;
    unsigned index = 999;
    void styleWillChange(PWStyle&, const QString& keyPath) override { messages << "will:" + keyPath; }
    void styleDidChange(PWStyle&, const QString& keyPath) override { messages << "did:" + keyPath; }
    unsigned clientIndex() const override { return index; }
    void setClientIndex(unsigned i) override { index = i; }
};

// A style of a fill and a stroke, recording its undo explicitly grouped.
struct UndoableStyle {
    pf::Ref<pf::UndoManager> undo = std::make_shared<pf::UndoManager>();
    pf::Ref<PWStyle> style = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::blue());
    pf::Ref<PWFill> fill = style->renderersOfClass<PWFill>().value(0);
    pf::Ref<PWStroke> stroke = style->renderersOfClass<PWStroke>().value(0);

    UndoableStyle()
    {
        undo->setGroupsByEvent(false);
        style->setUndoManager(undo.get());
    }
    void step(const std::function<void()>& change)
    {
        undo->beginUndoGrouping();
        change();
        undo->endUndoGrouping();
    }
};

TEST(StylesStyleUndo, RendererChangeUndoesUnderItsKindName)
{
    UndoableStyle s;
    s.step([&] { s.stroke->setWidth(4.0); });
    EXPECT_EQ(s.undo->undoActionName(), "Stroke Width");
    s.step([&] { s.fill->setColour(pf::Color::green()); });
    EXPECT_EQ(s.undo->undoActionName(), "Fill Colour");

    s.undo->undo();
    EXPECT_EQ(s.fill->colour(), pf::Color::red());
    s.undo->undo();
    EXPECT_EQ(s.stroke->width(), 1.0);
    s.undo->redo();
    EXPECT_EQ(s.stroke->width(), 4.0);

    // No message and no undo for a value that does not change.
    const int steps = s.undo->numberOfUndoActions();
    s.step([&] { s.stroke->setWidth(4.0); });
    EXPECT_EQ(s.undo->numberOfUndoActions(), steps);
}

TEST(StylesStyleUndo, DragOfSmallChangesUndoesInOneAction)
{
    UndoableStyle s;
    s.step([&] {
        for (double width = 1.5; width <= 6.0; width += 0.5)
            s.stroke->setWidth(width);
    });
    s.undo->undo();
    EXPECT_EQ(s.stroke->width(), 1.0);
}

TEST(StylesStyleUndo, ShadowEditedInPlaceUndoesToItsOldValues)
{
    UndoableStyle s;
    s.step([&] { s.stroke->setShadow(PWStyle::defaultShadow()); });
    const double blur = s.stroke->shadow()->shadowBlurRadius();
    s.step([&] {
        ASSERT_TRUE(s.stroke->notifyWillChange("shadow"));
        s.stroke->shadow()->setShadowBlurRadius(blur + 10.0);
        s.stroke->notifyDidChange("shadow");
    });
    EXPECT_EQ(s.undo->undoActionName(), "Stroke Shadow");
    s.undo->undo();
    EXPECT_EQ(s.stroke->shadow()->shadowBlurRadius(), blur);

    // A key path into the shadow undoes through key-value coding.
    s.step([&] {
        ASSERT_TRUE(s.stroke->notifyWillChange("shadow.shadowBlurRadius"));
        s.stroke->shadow()->setShadowBlurRadius(1.0);
        s.stroke->notifyDidChange("shadow.shadowBlurRadius");
    });
    s.undo->undo();
    EXPECT_EQ(s.stroke->shadow()->shadowBlurRadius(), blur);
}

TEST(StylesStyleUndo, RenderListAndStylePropertiesUndo)
{
    UndoableStyle s;
    auto inner = std::make_shared<PWRastGroup>();
    s.step([&] { s.style->addRenderer(inner); });
    auto deep = std::make_shared<PWStroke>();
    s.step([&] { inner->addRenderer(deep); });
    s.step([&] { deep->setColour(pf::Color::green()); }); // two groups down
    s.step([&] { s.stroke->removeFromContainer(); });
    s.step([&] { s.style->setOpacity(0.25); });
    s.step([&] { s.style->setName("Sea"); });
    EXPECT_EQ(s.undo->undoActionName(), "Rename Style");

    s.undo->undo();
    EXPECT_EQ(s.style->name(), "");
    s.undo->undo();
    EXPECT_EQ(s.style->opacity(), 1.0);
    s.undo->undo();
    EXPECT_EQ(s.style->indexOfRenderer(s.stroke.get()), 1); // the very renderer is back
    EXPECT_EQ(s.stroke->container(), s.style.get());
    s.undo->undo();
    EXPECT_EQ(deep->colour(), pf::Color::black());
    s.undo->undo();
    EXPECT_EQ(inner->count(), 0);
    s.undo->undo();
    EXPECT_EQ(s.style->count(), 2);
    EXPECT_EQ(inner->container(), nullptr);
}

TEST(StylesStyleClients, ClientsAndNotificationsHearEveryChange)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::blue());
    RecordingClient first;
    RecordingClient second;
    style->addClient(&first);
    style->addClient(&second);
    style->addClient(&first);
    EXPECT_EQ(style->countOfClients(), 2);
    EXPECT_NE(first.index, second.index);

    NotificationCount changed(kPWStyleDidChangeNotification, style.get());
    NotificationCount renamed(kPWStyleNameChangedNotification, style.get());
    NotificationCount locks(kPWStyleLockStateChangedNotification, style.get());
    const double stamp = style->lastModificationTimestamp();

    style->renderersOfClass<PWStroke>().first()->setWidth(2.0);
    style->setName("Lake");
    style->setName("Lake");
    EXPECT_EQ(first.messages, (QStringList{"will:width", "did:width", "will:name", "did:name"}));
    EXPECT_EQ(changed.count, 2);
    EXPECT_EQ(renamed.count, 1);
    EXPECT_GE(style->lastModificationTimestamp(), stamp);

    style->removeClient(&second);
    style->setLocked(true);
    EXPECT_EQ(locks.count, 1);
    EXPECT_EQ(second.messages.size(), 4);
}

TEST(StylesStyleClients, ManyClientsComeAndGoAndTheRestStillHearEveryChange)
{
    // Enough clients come and go for the list to be tidied several times.
    auto style = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::blue());
    std::vector<RecordingClient> clients(200);
    for (RecordingClient& client : clients)
        style->addClient(&client);
    for (size_t i = 0; i < clients.size(); ++i)
        if (i % 5 != 0)
            style->removeClient(&clients[i]);
    style->removeClient(&clients[1]); // already gone
    style->addClient(&clients[7]);    // back again
    EXPECT_EQ(style->countOfClients(), 41);

    style->setName("Lake");
    for (size_t i = 0; i < clients.size(); ++i) {
        SCOPED_TRACE(i);
        const bool kept = i % 5 == 0 || i == 7;
        EXPECT_EQ(clients[i].messages.size(), kept ? 2 : 0);
    }
    EXPECT_GT(clients[7].index, clients[195].index); // re-added clients come last
    for (RecordingClient& client : clients)
        style->removeClient(&client);
    EXPECT_EQ(style->countOfClients(), 0);
}

TEST(StylesStyleLock, LockedStyleRefusesEveryChangeButItsLock)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::blue());
    auto stroke = style->renderersOfClass<PWStroke>().first();
    RecordingClient client;
    style->addClient(&client);
    style->setLocked(true);
    client.messages.clear();

    EXPECT_TRUE(stroke->locked());
    stroke->setWidth(9.0);
    style->setOpacity(0.5);
    style->setName("Changed");
    style->addRenderer(std::make_shared<PWFill>());
    stroke->removeFromContainer();
    EXPECT_FALSE(stroke->notifyWillChange("shadow"));
    EXPECT_EQ(stroke->width(), 1.0);
    EXPECT_EQ(style->opacity(), 1.0);
    EXPECT_EQ(style->name(), "");
    EXPECT_EQ(style->count(), 2);
    EXPECT_TRUE(client.messages.isEmpty());

    style->setLocked(false);
    stroke->setWidth(9.0);
    EXPECT_EQ(stroke->width(), 9.0);
}

TEST(StylesStyleProperties, OpacityIsClampedAndNaNRefused)
{
    PWStyle style;
    style.setOpacity(1.7);
    EXPECT_EQ(style.opacity(), 1.0);
    style.setOpacity(-0.2);
    EXPECT_EQ(style.opacity(), 0.0);
    style.setOpacity(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(style.opacity(), 0.0);
    QVariant value = 3.0;
    EXPECT_TRUE(style.validateValue(&value, "opacity", nullptr));
    EXPECT_EQ(value.toDouble(), 1.0);
}

TEST(StylesStyleRendering, OpacityCompositesTheRenderersAsOneLayer)
{
    // A fill under a wide stroke of the same colour: drawn as one layer at half opacity, the
    // overlap is no darker than the rest.
    auto style = PWStyle::styleWithFillColour(pf::Color::black(), pf::Color());
    style->addRenderer(PWStroke::strokeWithWidth(10.0, pf::Color::black()));
    style->setOpacity(0.5);
    const PathShape shape = PathShape::rect(QRectF(15, 15, 30, 30));
    const QImage image = styles_test::renderToImage([&] { style->render(shape); });
    const int overlap = qGray(image.pixel(16, 30));
    const int fillOnly = qGray(image.pixel(30, 30));
    const int strokeOnly = qGray(image.pixel(12, 30));
    EXPECT_NEAR(overlap, 128, 3);
    EXPECT_NEAR(fillOnly, overlap, 2);
    EXPECT_NEAR(strokeOnly, overlap, 2);
    EXPECT_EQ(qGray(image.pixel(5, 5)), 255);
}

TEST(StylesStyleRendering, PlaceholderSwitchDrawsOnlyTheOutline)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color());
    // Edges on pixel centres, so that the antialiased hairline covers whole pixels.
    const PathShape shape = PathShape::rect(QRectF(10.5, 10.5, 30, 30));
    PWStyle::setShouldSubstitutePlaceholderStyle(true);
    const QImage image = styles_test::renderToImage([&] { style->render(shape); });
    PWStyle::setShouldSubstitutePlaceholderStyle(false);
    EXPECT_EQ(image.pixelColor(25, 25), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(10, 25), QColor(Qt::black));
}

TEST(StylesStyleArchive, RoundTripKeepsRenderersDashShadowAndIdentity)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::fromHexString("#AAD0E5"), pf::Color::fromHexString("#333333"));
    auto stroke = style->renderersOfClass<PWStroke>().first();
    stroke->setWidth(2.5);
    stroke->setLineCapStyle(pf::BezierPath::LineCap::Round);
    stroke->setDash(PWStrokeDash::dashWithPattern({3, 1, 1, 1}, 4));
    stroke->dash()->setPhase(0.5);
    stroke->setShadow(PWStyle::defaultShadow());
    stroke->setLateralOffset(-1.0);
    stroke->setClipping(PWStroke::ClipInside);
    style->renderersOfClass<PWFill>().first()->setEnabled(false);
    style->setName("Water");
    style->setOpacity(0.75);
    style->setUserDescription("Lakes and rivers");
    style->setString("label");
    style->setLocked(true);

    pf::Error error;
    const QByteArray data = pf::KeyedArchiver::archivedData(style);
    auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWStyle>(data, &error);
    ASSERT_TRUE(read) << error.description().toStdString();
    EXPECT_TRUE(read->isEqualToStyle(style.get()));
    EXPECT_TRUE(read->isEqual(style.get()));
    EXPECT_EQ(read->uniqueKey(), style->uniqueKey());
    EXPECT_EQ(read->name(), "Water");
    EXPECT_EQ(read->userDescription(), "Lakes and rivers");
    EXPECT_EQ(read->string(), "label");
    EXPECT_TRUE(read->locked());
    auto readStroke = read->renderersOfClass<PWStroke>().value(0);
    ASSERT_TRUE(readStroke);
    ASSERT_TRUE(readStroke->dash());
    EXPECT_EQ(readStroke->dash()->pattern(), (QList<double>{3, 1, 1, 1}));
    EXPECT_EQ(readStroke->dash()->phase(), 0.5);
    EXPECT_EQ(readStroke->container(), read.get());
    EXPECT_TRUE(readStroke->locked());

    // A changed renderer makes the styles look different.
    read->setLocked(false);
    readStroke->setWidth(1.0);
    EXPECT_FALSE(read->isEqualToStyle(style.get()));
}

TEST(StylesStyleArchive, DamagedArchiveFailsWithAnError)
{
    pf::Error error;
    QByteArray data = pf::KeyedArchiver::archivedData(PWStyle::defaultStyle());
    data.truncate(data.size() / 2);
    EXPECT_EQ(pf::KeyedUnarchiver::unarchiveObjectOfClass<PWStyle>(data, &error), nullptr);
    EXPECT_FALSE(error.isNull());
}

// Names copies "<name> copy"; counts its calls.
class SuffixNameProvider : public PWStyleNameProvider {
public:
    int calls = 0;
    QString nameForCopyOfStyle(const PWStyle& style) override
    {
        ++calls;
        return style.name() + " copy";
    }
};

TEST(StylesStyleCopies, CopiesAreIndependentAndNamedByTheProvider)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::blue());
    style->setName("Road");
    style->setLocked(true);
    RecordingClient client;
    style->addClient(&client);

    SuffixNameProvider provider;
    PWStyle::setNameProvider(&provider);
    auto copied = std::static_pointer_cast<PWStyle>(style->mutableCopy());
    PWStyle::disableNameProvider();
    PWStyle::disableNameProvider();
    PWStyle::enableNameProvider();
    auto unnamed = std::static_pointer_cast<PWStyle>(style->copy());
    PWStyle::enableNameProvider();
    PWStyle::enableNameProvider(); // one too many must not switch it off for good
    auto again = std::static_pointer_cast<PWStyle>(style->copy());
    auto cloned = style->clone();
    PWStyle::setNameProvider(nullptr);

    EXPECT_EQ(copied->name(), "Road copy");
    EXPECT_EQ(unnamed->name(), "Road");
    EXPECT_EQ(again->name(), "Road copy");
    EXPECT_EQ(cloned->name(), "Road");
    EXPECT_TRUE(cloned->locked());
    EXPECT_FALSE(copied->locked());
    EXPECT_NE(copied->uniqueKey(), style->uniqueKey());
    EXPECT_FALSE(copied->isEqual(style.get()));
    EXPECT_TRUE(copied->isEqualToStyle(style.get()));
    EXPECT_EQ(copied->countOfClients(), 0);

    copied->renderersOfClass<PWStroke>().first()->setWidth(7.0);
    EXPECT_EQ(style->renderersOfClass<PWStroke>().first()->width(), 1.0);
    EXPECT_TRUE(client.messages.isEmpty());
}

TEST(StylesStyleClass, SwitchesAndDefaults)
{
    {
        NotificationCount sharing(kPWStyleSharingEnabledChangeNotification, nullptr);
        const bool was = PWStyle::styleSharingEnabled();
        PWStyle::setStyleSharingEnabled(was);
        PWStyle::setStyleSharingEnabled(!was);
        PWStyle::setStyleSharingEnabled(was);
        EXPECT_EQ(sharing.count, 2);
    }

    PWStyle::setStylesAreSharableByDefault(false);
    EXPECT_FALSE(PWStyle().styleSharable());
    PWStyle::setStylesAreSharableByDefault(true);
    EXPECT_TRUE(PWStyle().styleSharable());

    // Without shadows, they are neither drawn nor counted in the bounds.
    auto fill = std::make_shared<PWFill>(pf::Color::black());
    auto shadow = std::make_shared<pf::Shadow>();
    shadow->setShadowOffset(QSizeF(10, -10));
    shadow->setShadowColor(pf::Color::black());
    fill->setShadow(shadow);
    const PathShape shape = PathShape::rect(QRectF(10, 10, 20, 20));
    EXPECT_EQ(fill->boundsNeededForObject(shape), QRectF(10, 10, 30, 30));
    PWStyle::setWillDrawShadows(false);
    EXPECT_EQ(fill->boundsNeededForObject(shape), QRectF(10, 10, 20, 20));
    const QImage plain = styles_test::renderToImage([&] { fill->render(shape); });
    PWStyle::setWillDrawShadows(true);
    const QImage shadowed = styles_test::renderToImage([&] { fill->render(shape); });
    EXPECT_EQ(plain.pixelColor(35, 35), QColor(Qt::white));
    EXPECT_EQ(shadowed.pixelColor(35, 35), QColor(Qt::black));

    auto standard = PWStyle::defaultStyle();
    EXPECT_EQ(standard->renderersOfClass<PWFill>().size(), 1);
    auto replacement = PWStyle::styleWithFillColour(pf::Color::green(), pf::Color());
    PWStyle::setDefaultStyle(replacement);
    EXPECT_EQ(PWStyle::defaultStyle(), replacement);
    PWStyle::setDefaultStyle(nullptr);
    EXPECT_EQ(PWStyle::defaultStyle()->renderersOfClass<PWStroke>().size(), 1);
}

TEST(StylesStyleComponents, FillColourStringAndImage)
{
    PWStyle style;
    style.addRenderer(std::make_shared<PWStroke>());
    style.setFillColour(pf::Color::red());
    ASSERT_EQ(style.count(), 2);
    EXPECT_TRUE(style.rendererAtIndex(0)->isKindOf<PWFill>()); // beneath the stroke
    style.setFillColour(pf::Color::blue());
    EXPECT_EQ(style.count(), 2);
    EXPECT_EQ(style.renderersOfClass<PWFill>().first()->colour(), pf::Color::blue());
    // A string or image shows through an adornment: added on top at first, reused after.
    style.setString("42");
    EXPECT_EQ(style.valueForKey("string").toString(), "42");
    ASSERT_TRUE(style.hasTextAdornment());
    EXPECT_FALSE(style.isPureTextStyle());
    EXPECT_TRUE(style.rendererAtIndex(style.count() - 1)->isKindOf<PWTextAdornment>());
    style.setString("43");
    ASSERT_EQ(style.renderersOfClass<PWTextAdornment>().size(), 1);
    EXPECT_EQ(style.renderersOfClass<PWTextAdornment>().first()->string(), "43");

    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(Qt::green);
    style.setImageComponent(image);
    style.setImageComponent(image.scaled(8, 8));
    const auto images = style.renderersOfClass<PWImageAdornment>();
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(images.first()->image().size(), QSize(8, 8));
    EXPECT_EQ(style.imageComponent().size(), QSize(8, 8));
}

TEST(StylesStyleSwatch, ImageShowsTheStyleAndRefusesAbsurdSizes)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::blue());
    const QImage image = style->image();
    ASSERT_EQ(image.size(), QSize(64, 64));
    EXPECT_EQ(image.pixelColor(32, 32), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);

    // Not scaled up, the 40-point sample sits in the middle of a large image.
    const QImage small = style->imageToFitSize(QSizeF(200, 200), false);
    EXPECT_EQ(small.pixelColor(100, 100), QColor(Qt::red));
    EXPECT_EQ(small.pixelColor(30, 100).alpha(), 0);
    EXPECT_TRUE(style->imageToFitSize(QSizeF(1e9, 10)).isNull());
    EXPECT_TRUE(style->imageToFitSize(QSizeF(std::nan(""), 10)).isNull());
}

} // namespace
