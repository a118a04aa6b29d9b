#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "frameworks/penwork/view/PWRulerView.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

PWRulerView::Unit centimetres()
{
    return {QStringLiteral("centimetres"), QStringLiteral("cm"), 28.346456692913, {2.0}, {0.5, 0.2}};
}

PWRulerView::Unit inches()
{
    return {QStringLiteral("inches"), QStringLiteral("in"), 72.0, {2.0}, {0.5}};
}

struct RegistrationCase {
    const char* what;
    QString name;
    QString abbreviation;
    double pointsPerUnit;
    QList<double> up;
    QList<double> down;
    bool accepted;
};

TEST(PWRulerViewUnits, RegistrationRejectsUnusableUnitsAndKeepsTheRegistryAsItWas)
{
    const QList<RegistrationCase> cases = {
        {"valid", "test furlongs", "tfur", 7.5, {2.0, 5.0}, {0.5, 0.2}, true},
        {"empty name", "", "tx", 7.5, {2.0}, {0.5}, false},
        {"empty abbreviation", "test empty abbreviation", "", 7.5, {2.0}, {0.5}, false},
        {"zero points", "test zero", "tz", 0.0, {2.0}, {0.5}, false},
        {"negative points", "test negative", "tn", -3.0, {2.0}, {0.5}, false},
        {"NaN points", "test nan", "tnan", kNaN, {2.0}, {0.5}, false},
        {"infinite points", "test infinite", "tinf", kInfinity, {2.0}, {0.5}, false},
        {"no step up", "test no up", "tnu", 7.5, {}, {0.5}, false},
        {"no step down", "test no down", "tnd", 7.5, {2.0}, {}, false},
        {"step up of 1", "test up one", "tu1", 7.5, {2.0, 1.0}, {0.5}, false},
        {"step down of 1", "test down one", "td1", 7.5, {2.0}, {1.0}, false},
        {"step down of 0", "test down zero", "td0", 7.5, {2.0}, {0.0}, false},
        {"NaN step", "test nan step", "tns", 7.5, {kNaN}, {0.5}, false},
    };
    for (const RegistrationCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PWRulerView::registerUnit(c.name, c.abbreviation, c.pointsPerUnit, c.up, c.down), c.accepted);
        EXPECT_EQ(PWRulerView::registeredUnit(c.abbreviation).has_value(), c.accepted);
        EXPECT_EQ(PWRulerView::registeredUnitNames().contains(c.name), c.accepted);
    }
}

TEST(PWRulerViewUnits, UnitsAreFoundByNameOrAbbreviationInAnyCaseAndReplacedByName)
{
    ASSERT_TRUE(PWRulerView::registerUnit("Test Leagues", "tlg", 3.0, {2.0}, {0.5}));
    std::optional<PWRulerView::Unit> byName = PWRulerView::registeredUnit("test leagues");
    std::optional<PWRulerView::Unit> byAbbreviation = PWRulerView::registeredUnit("TLG");
    ASSERT_TRUE(byName && byAbbreviation);
    EXPECT_EQ(byName->abbreviation, "tlg");
    EXPECT_EQ(byAbbreviation->name, "Test Leagues");
    EXPECT_FALSE(PWRulerView::registeredUnit("test league"));
    EXPECT_FALSE(PWRulerView::registeredUnit(""));

    ASSERT_TRUE(PWRulerView::registerUnit("test LEAGUES", "tlg2", 4.0, {10.0}, {0.1}));
    std::optional<PWRulerView::Unit> replaced = PWRulerView::registeredUnit("Test Leagues");
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->pointsPerUnit, 4.0);
    EXPECT_EQ(replaced->stepUpCycle, QList<double>{10.0});
    EXPECT_EQ(replaced->stepDownCycle, QList<double>{0.1});
    EXPECT_EQ(PWRulerView::registeredUnitNames().filter(QRegularExpression("^test leagues$", QRegularExpression::CaseInsensitiveOption)).size(), 1);
}

struct StepCase {
    const char* what;
    PWRulerView::Unit unit;
    double scale;
    double label;
    double tick;
};

TEST(PWRulerViewUnits, LabelsAndTicksFollowTheUnitsCycles)
{
    // Labels at least 50 pixels apart, ticks at least 4.
    const QList<StepCase> cases = {
        // 28.3 px per cm: one step up to 2 cm (56.7 px); ticks 1 cm, then 0.2 cm (5.7 px).
        {"cm at 1", centimetres(), 1.0, 2.0, 0.2},
        // 113 px per cm: down to 0.5 cm (56.7 px); 0.1 cm would be 11 px.
        {"cm at 4", centimetres(), 4.0, 0.5, 0.05},
        // 72 px per inch: one inch; ticks halve to 1/16 (4.5 px).
        {"in at 1", inches(), 1.0, 1.0, 0.0625},
        // 7.2 px per inch: up by twos to 8 in (57.6 px).
        {"in at 0.1", inches(), 0.1, 8.0, 1.0},
        // Exactly 50 px per unit labels every unit.
        {"50 px", {"u", "u", 50.0, {2.0}, {0.5}}, 1.0, 1.0, 0.125},
        // Halving 100 px leaves exactly 50 between labels, which is enough.
        {"100 px", {"u", "u", 100.0, {2.0}, {0.5}}, 1.0, 0.5, 0.0625},
        {"NaN scale", inches(), kNaN, 1.0, 1.0},
        {"infinite scale", inches(), kInfinity, 1.0, 1.0},
        {"zero scale", inches(), 0.0, 1.0, 1.0},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_DOUBLE_EQ(PWRulerView::labelStep(c.unit, c.scale), c.label);
        EXPECT_DOUBLE_EQ(PWRulerView::tickStep(c.unit, c.scale), c.tick);
    }
}

TEST(PWRulerViewUnits, RulersMeasureInTheRegisteredUnitOfTheDrawing)
{
    ASSERT_TRUE(PWRulerView::registerUnit("inches", "in", 72.0, {2.0}, {0.5}));
    PWDrawingView::setShouldCreateAutomaticDrawing(false);
    pf::Ref<PWDrawing> drawing = PWDrawing::defaultDrawing();
    drawing->setUnits(RVUnitLength::inches());
    PWDrawingView view;
    view.setDrawing(drawing);
    PWRulerView ruler(Qt::Horizontal);
    EXPECT_FALSE(ruler.currentUnit());
    ruler.setDrawingView(&view);

    std::optional<PWRulerView::Unit> unit = ruler.currentUnit();
    ASSERT_TRUE(unit);
    EXPECT_EQ(unit->name, "inches");
    EXPECT_EQ(unit->stepDownCycle, QList<double>{0.5});

    // A unit nobody registered is measured in its own size, labelled at 1, 2, 5, 10.
    drawing->setUnits(RVUnitLength::unitWithSymbol("NM"));
    unit = ruler.currentUnit();
    ASSERT_TRUE(unit);
    EXPECT_DOUBLE_EQ(unit->pointsPerUnit, drawing->unitToPointsConversionFactor());
    EXPECT_DOUBLE_EQ(PWRulerView::labelStep({"x", "x", 1.0, unit->stepUpCycle, unit->stepDownCycle}, 1.0), 50.0);
    EXPECT_DOUBLE_EQ(PWRulerView::labelStep({"x", "x", 1.0, unit->stepUpCycle, unit->stepDownCycle}, 3.0), 20.0);
    PWDrawingView::setShouldCreateAutomaticDrawing(true);
}

} // namespace
