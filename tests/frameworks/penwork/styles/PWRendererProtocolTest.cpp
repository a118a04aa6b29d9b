// The renderer change protocol, validation of renderer properties and their action names.
#include <gtest/gtest.h>

#include "StylesTestSupport.h"

#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/Exception.h"

#include <cmath>
#include <limits>

namespace {

using styles_test::RecordingObserver;

// Counts key-value notifications, to see that they go with the protocol's messages.
class ProtocolKvoCounter : public pf::Object {
    PF_CLASS(ProtocolKvoCounter)
public:
    int changes = 0;
    void observeValueForKeyPath(const QString&, pf::Reflective*, const QVariantMap&, void*) override { ++changes; }
};

// A renderer of the system's kind: a stroke with one more property and its own kind name.
class ProtocolTagStroke : public PWStroke {
    PF_CLASS(ProtocolTagStroke)
public:
    double tagLength() const { return m_tagLength; }
    void setTagLength(double length) { changeProperty(m_tagLength, length, QStringLiteral("tagLength")); }
    QString displayName() const override { return QStringLiteral("Tagged Stroke"); }

protected:
    void registerActionNames() const override
    {
        PWStroke::registerActionNames();
        setActionName(QStringLiteral("#kind# Tag Length"), QStringLiteral("tagLength"));
    }

private:
    double m_tagLength = 4.0;
};

} // namespace

PF_DEFINE_CLASS(ProtocolKvoCounter, pf::Object) {}
PF_DEFINE_CLASS(ProtocolTagStroke, PWStroke)
{
    b.property("tagLength", &ProtocolTagStroke::tagLength, &ProtocolTagStroke::setTagLength);
}

namespace {

TEST(StylesChangeProtocol, ChangedValueSendsWillStoreDidInOrder)
{
    PWStroke stroke;
    RecordingObserver observer;
    stroke.setRastObserver(&observer);
    double widthSeenAtWill = -1;
    struct Peeking : RecordingObserver {
        PWStroke* stroke;
        double* seen;
        void rasterizerWillChange(PWRasterizer& r, const QString& k) override
        {
            *seen = stroke->width();
            RecordingObserver::rasterizerWillChange(r, k);
        }
    } peeking;
    peeking.stroke = &stroke;
    peeking.seen = &widthSeenAtWill;
    stroke.setRastObserver(&peeking);

    stroke.setWidth(3.0);
    EXPECT_EQ(widthSeenAtWill, 1.0); // told before the value is stored
    EXPECT_EQ(peeking.messages, (QStringList{"will:width", "did:width"}));
    ASSERT_EQ(peeking.senders.size(), 2);
    EXPECT_EQ(peeking.senders.first(), &stroke);
}

TEST(StylesChangeProtocol, EqualValuesSendNothing)
{
    auto stroke = std::make_shared<PWStroke>();
    RecordingObserver observer;
    stroke->setRastObserver(&observer);
    ProtocolKvoCounter counter;
    stroke->addObserver(&counter, PWStroke::kDashKey);

    stroke->setWidth(1.0);
    stroke->setColour(pf::Color::black());
    stroke->setEnabled(true);
    stroke->setDash(nullptr);
    EXPECT_TRUE(observer.messages.isEmpty());

    // Dashes compare by value: an equal one is no change.
    stroke->setDash(PWStrokeDash::dashWithPattern({2, 3}, 2));
    stroke->setDash(PWStrokeDash::dashWithPattern({2, 3}, 2));
    EXPECT_EQ(observer.messages, (QStringList{"will:dash", "did:dash"}));
    EXPECT_EQ(counter.changes, 1);
    stroke->removeObserver(&counter);
}

TEST(StylesChangeProtocol, DestroyedObserverIsNotCalled)
{
    PWFill fill;
    {
        struct Both : ProtocolKvoCounter, PWRasterizerObserver {
            void rasterizerWillChange(PWRasterizer&, const QString&) override { ADD_FAILURE(); }
            void rasterizerDidChange(PWRasterizer&, const QString&) override { ADD_FAILURE(); }
        };
        auto both = std::make_shared<Both>();
        fill.setRastObserver(both.get());
        EXPECT_EQ(fill.rastObserver(), both.get());
    }
    EXPECT_EQ(fill.rastObserver(), nullptr);
    fill.setColour(pf::Color::red()); // must not reach the destroyed observer
}

TEST(StylesChangeProtocol, SettersValidate)
{
    PWStroke stroke;
    RecordingObserver observer;
    stroke.setRastObserver(&observer);

    stroke.setWidth(std::numeric_limits<double>::quiet_NaN());
    stroke.setWidth(std::numeric_limits<double>::infinity());
    EXPECT_EQ(stroke.width(), 1.0);
    stroke.setWidth(-4.0);
    EXPECT_EQ(stroke.width(), 0.0);
    stroke.setLineCapStyle(pf::BezierPath::LineCap(7));
    EXPECT_EQ(stroke.lineCapStyle(), pf::BezierPath::LineCap::Butt);
    stroke.setClipping(5);
    EXPECT_EQ(stroke.clipping(), PWStroke::ClipNone);
    stroke.setLateralOffset(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(stroke.lateralOffset(), 0.0);
    EXPECT_EQ(observer.messages, (QStringList{"will:width", "did:width"}));

    // Key-value validation: refuses what is not a number, clamps negative widths.
    QVariant value = -2.0;
    pf::Error error;
    EXPECT_TRUE(stroke.validateValue(&value, PWStroke::kWidthKey, &error));
    EXPECT_EQ(value.toDouble(), 0.0);
    value = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(stroke.validateValue(&value, PWStroke::kWidthKey, &error));
    EXPECT_FALSE(error.isNull());
    value = 9;
    EXPECT_FALSE(stroke.validateValue(&value, PWStroke::kClippingKey, &error));
}

TEST(StylesChangeProtocol, PropertiesByTheKeysThePanesUse)
{
    auto stroke = std::make_shared<PWStroke>();
    stroke->setValueForKey(2.5, "width");
    stroke->setValueForKey(pf::toVariant(std::make_shared<pf::Color>(pf::Color::red())), "colour");
    stroke->setValueForKey(1u, "lineCapStyle");
    stroke->setValueForKey(2u, "lineJoinStyle");
    stroke->setValueForKey(pf::toVariant(PWStrokeDash::defaultDash()), "dash");
    stroke->setValueForKey(1.5, "lateralOffset");
    stroke->setValueForKey(pf::toVariant(std::make_shared<pf::Shadow>()), "shadow");
    stroke->setValueForKey(2, "clipping");
    stroke->setValueForKey(false, "enabled");

    EXPECT_EQ(stroke->width(), 2.5);
    EXPECT_EQ(stroke->colour(), pf::Color::red());
    EXPECT_EQ(stroke->lineCapStyle(), pf::BezierPath::LineCap::Round);
    EXPECT_EQ(stroke->lineJoinStyle(), pf::BezierPath::LineJoin::Bevel);
    ASSERT_NE(stroke->dash(), nullptr);
    EXPECT_EQ(stroke->lateralOffset(), 1.5);
    EXPECT_TRUE(stroke->valueForKey("hasShadow").toBool());
    EXPECT_EQ(stroke->clipping(), 2);
    EXPECT_FALSE(stroke->enabled());
    EXPECT_EQ(stroke->valueForKeyPath("shadow.shadowBlurRadius").toDouble(), 0.0);
    EXPECT_THROW(stroke->setValueForKey(QStringLiteral("red"), "colour"), pf::InvalidArgumentException);
    stroke->setValueForKey(QVariant(), "colour");
    EXPECT_FALSE(stroke->colour().isValid());

    auto fill = std::make_shared<PWFill>();
    fill->setValueForKey(pf::toVariant(std::make_shared<pf::Color>(pf::Color::blue())), "colour");
    EXPECT_EQ(fill->colour(), pf::Color::blue());
    EXPECT_EQ(fill->observableKeyPaths(), (QStringList{"enabled", "colour", "shadow"}));
}

TEST(StylesActionNames, KindIsReplacedBySubclassDisplayName)
{
    PWStroke stroke;
    EXPECT_EQ(stroke.actionNameForKeyPath("width"), "Stroke Width");
    EXPECT_EQ(stroke.actionNameForKeyPath("enabled"), "Enable/Disable Stroke");
    // Inside a registered property, the property's name.
    EXPECT_EQ(stroke.actionNameForKeyPath("shadow.shadowColor"), "Stroke Shadow");

    ProtocolTagStroke tagged;
    EXPECT_EQ(tagged.actionNameForKeyPath("tagLength"), "Tagged Stroke Tag Length");
    EXPECT_EQ(tagged.actionNameForKeyPath("width"), "Tagged Stroke Width");
    EXPECT_EQ(tagged.actionNameForKeyPath("unknownKey"), "Change Tagged Stroke");
    // The table of one class does not leak into another's.
    EXPECT_EQ(stroke.actionNameForKeyPath("tagLength"), "Change Stroke");

    RecordingObserver observer;
    tagged.setRastObserver(&observer);
    tagged.setTagLength(4.0);
    tagged.setTagLength(6.0);
    EXPECT_EQ(observer.messages, (QStringList{"will:tagLength", "did:tagLength"}));
}

TEST(StylesRendererCopies, CopiesTakeSettingsButNotObserverOrContainer)
{
    PWStroke stroke(4.0, pf::Color::red());
    stroke.setDash(PWStrokeDash::defaultDash());
    stroke.setShadow(std::make_shared<pf::Shadow>());
    RecordingObserver observer;
    stroke.setRastObserver(&observer);

    auto copied = std::static_pointer_cast<PWStroke>(stroke.copy());
    EXPECT_TRUE(copied->isEqual(&stroke));
    EXPECT_EQ(copied->rastObserver(), nullptr);
    EXPECT_NE(copied->dash(), stroke.dash()); // its own dash and shadow to edit
    EXPECT_NE(copied->shadow(), stroke.shadow());
    copied->setWidth(1.0);
    EXPECT_FALSE(copied->isEqual(&stroke));
    EXPECT_TRUE(observer.messages.isEmpty());
}

} // namespace
