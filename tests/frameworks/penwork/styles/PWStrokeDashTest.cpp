// Dash patterns: limits, validity, applying to paths, the saved dashes file.
#include <gtest/gtest.h>

#include "frameworks/penwork/styles/PWStrokeDash.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/graphics/BezierPath.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

namespace {

// Keeps the process-wide list of saved dashes as it was.
struct RegisteredDashesGuard {
    QList<pf::Ref<PWStrokeDash>> saved = PWStrokeDash::registeredDashes();
    RegisteredDashesGuard() { PWStrokeDash::removeAllRegisteredDashes(); }
    ~RegisteredDashesGuard()
    {
        PWStrokeDash::removeAllRegisteredDashes();
        for (const auto& dash : saved)
            PWStrokeDash::registerDash(dash);
    }
};

TEST(StylesStrokeDash, PatternIsLimitedToEightAndInvalidOnesRefused)
{
    const double ten[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    auto dash = PWStrokeDash::dashWithPattern(ten, 10);
    ASSERT_TRUE(dash);
    EXPECT_EQ(dash->count(), 8);
    double buffer[PWStrokeDash::kMaxCount] = {};
    EXPECT_EQ(dash->getDashPattern(buffer), 8);
    EXPECT_EQ(buffer[7], 8.0);
    EXPECT_EQ(dash->length(), 36.0);
    EXPECT_EQ(dash->lengthAtIndex(8), 0.0);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QList<QList<double>> refused = {{1, -1}, {nan, 2}, {std::numeric_limits<double>::infinity()}};
    for (const QList<double>& pattern : refused) {
        EXPECT_FALSE(dash->setDashPattern(pattern));
        EXPECT_EQ(dash->count(), 8);
    }
    EXPECT_FALSE(dash->setDashPattern({1, 2}, 3)); // more than given
    EXPECT_FALSE(dash->setDashPattern({1, 2}, -1));
    EXPECT_EQ(PWStrokeDash::dashWithPattern({0, 0}, 2), nullptr); // no length: not a dash
    EXPECT_EQ(PWStrokeDash::dashWithPattern({}, 0), nullptr);

    // Stored but not valid: an editor may pass through zeroes.
    EXPECT_TRUE(dash->setDashPattern({0.0, 0.0}));
    EXPECT_FALSE(dash->isValid());
    dash->setPhase(nan);
    EXPECT_EQ(dash->phase(), 0.0);
}

TEST(StylesStrokeDash, AppliesToPathsScaledOrNot)
{
    auto dash = PWStrokeDash::dashWithPattern({2, 1}, 2);
    dash->setPhase(1.0);
    pf::BezierPath path;
    path.setLineWidth(4.0);
    dash->applyToPath(path);
    EXPECT_EQ(path.dashPattern(), (QList<double>{8, 4}));
    EXPECT_EQ(path.dashPhase(), 4.0);
    dash->setScalesToLineWidth(false);
    dash->applyToPath(path);
    EXPECT_EQ(path.dashPattern(), (QList<double>{2, 1}));
    dash->setDashPattern({0.0});
    dash->applyToPath(path);
    EXPECT_TRUE(path.dashPattern().isEmpty());

    auto other = PWStrokeDash::dashWithPattern({2, 1}, 2);
    EXPECT_FALSE(other->isEqualToDash(dash.get()));
    auto copied = std::static_pointer_cast<PWStrokeDash>(other->copy());
    EXPECT_TRUE(copied->isEqualToDash(other.get()));
    copied->setIsBeingEdited(true);
    EXPECT_TRUE(copied->isEqualToDash(other.get()));

    const QImage swatch = other->dashSwatchImageWithSize(QSizeF(64, 20), 3.0);
    ASSERT_EQ(swatch.size(), QSize(64, 20));
    EXPECT_GT(swatch.pixelColor(2, 10).alpha(), 200); // first mark: 6 long
    EXPECT_EQ(swatch.pixelColor(7, 10).alpha(), 0);   // then a gap of 3
    EXPECT_TRUE(other->dashSwatchImageWithSize(QSizeF(1e7, 1e7), 3.0).isNull());
}

TEST(StylesStrokeDash, RegisteredDashesRoundTripThroughTheFile)
{
    RegisteredDashesGuard guard;
    QTemporaryDir folder;
    const QString path = folder.filePath("Saved Dashes.dashes");
    auto dotted = PWStrokeDash::dashWithPattern({1, 3}, 2);
    dotted->setPhase(0.5);
    dotted->setScalesToLineWidth(false);
    EXPECT_TRUE(PWStrokeDash::registerDash(dotted, "Dotted"));
    EXPECT_TRUE(PWStrokeDash::registerDash(PWStrokeDash::defaultDash()));
    EXPECT_FALSE(PWStrokeDash::registerDash(nullptr));
    dotted->setPhase(2.0); // the registry kept its own copy
    pf::Error error;
    ASSERT_TRUE(PWStrokeDash::writeRegisteredDashesToFile(path, true, &error)) << error.description().toStdString();

    PWStrokeDash::removeAllRegisteredDashes();
    ASSERT_TRUE(PWStrokeDash::restoreRegisteredDashesFromFile(path, &error));
    const auto restored = PWStrokeDash::registeredDashes();
    ASSERT_EQ(restored.size(), 2);
    EXPECT_EQ(restored.at(0)->pattern(), (QList<double>{1, 3}));
    EXPECT_EQ(restored.at(0)->phase(), 0.5);
    EXPECT_FALSE(restored.at(0)->scalesToLineWidth());
    EXPECT_TRUE(restored.at(1)->isEqualToDash(PWStrokeDash::defaultDash().get()));
}

TEST(StylesStrokeDash, MissingOrDamagedFilesLeaveTheListAsItWas)
{
    RegisteredDashesGuard guard;
    QTemporaryDir folder;
    PWStrokeDash::registerDash(PWStrokeDash::defaultDash());

    EXPECT_TRUE(PWStrokeDash::restoreRegisteredDashesFromFile(folder.filePath("missing.dashes")));
    EXPECT_EQ(PWStrokeDash::registeredDashes().size(), 1);

    const QString damaged = folder.filePath("damaged.dashes");
    ASSERT_TRUE(pf::writeDataAtomically("bplist00\xff\xfe garbage", damaged));
    pf::Error error;
    EXPECT_FALSE(PWStrokeDash::restoreRegisteredDashesFromFile(damaged, &error));
    EXPECT_FALSE(error.isNull());
    EXPECT_EQ(PWStrokeDash::registeredDashes().size(), 1);

    // A sound file with some bad entries keeps the good ones.
    const QString mixed = folder.filePath("mixed.dashes");
    const QByteArray plist =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array>"
        "<dict><key>pattern</key><array><real>4</real><real>2</real></array></dict>"
        "<dict><key>pattern</key><array><real>-4</real></array></dict>"
        "<dict><key>pattern</key><string>nonsense</string></dict>"
        "<string>not an entry</string>"
        "</array></plist>";
    ASSERT_TRUE(pf::writeDataAtomically(plist, mixed));
    ASSERT_TRUE(PWStrokeDash::restoreRegisteredDashesFromFile(mixed, &error));
    ASSERT_EQ(PWStrokeDash::registeredDashes().size(), 1);
    EXPECT_EQ(PWStrokeDash::registeredDashes().first()->pattern(), (QList<double>{4, 2}));

    // A write that cannot happen leaves the old file.
    EXPECT_FALSE(PWStrokeDash::writeRegisteredDashesToFile(folder.filePath("no/such/folder/x.dashes")));
}

} // namespace

// A name with a control character (a damaged or hand-made file) is read without it, so the
// dashes can still be saved afterwards.
TEST(StylesStrokeDash, ANameTheFileCannotStoreIsCleanedAsItIsRead)
{
    RegisteredDashesGuard guard;
    QTemporaryDir folder;
    const QString path = folder.filePath("Saved Dashes.dashes");
    ASSERT_TRUE(pf::writeDataAtomically("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array>"
                                        "<dict><key>pattern</key><array><real>4</real><real>2</real></array>"
                                        "<key>name</key><string>Do&#4;tted</string></dict></array></plist>",
                                        path));
    PWStrokeDash::removeAllRegisteredDashes();
    pf::Error error;
    ASSERT_TRUE(PWStrokeDash::restoreRegisteredDashesFromFile(path, &error));
    ASSERT_EQ(PWStrokeDash::registeredDashes().size(), 1);
    EXPECT_TRUE(PWStrokeDash::writeRegisteredDashesToFile(folder.filePath("again.dashes"), true, &error))
        << error.description().toStdString();
}
