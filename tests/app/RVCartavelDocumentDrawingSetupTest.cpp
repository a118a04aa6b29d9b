#include "DocumentTestSupport.h"

#include "app/PWXMapScale.h"
#include "frameworks/measurement/RVMeasurement.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/PresentationHook.h"

#include <QAbstractButton>
#include <QCoreApplication>

namespace {

using namespace quillory::test;
using pf::Ref;

class DrawingSetupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document = newDocument();
        ASSERT_TRUE(document);
        drawing = document->drawing();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        for (const auto& open : QList<pf::Ref<pf::Document>>(documentController().documents()))
            open->close();
    }
    RVUndoManager& undo() const { return *drawing->undoManager(); }
    // Counts the posts of `name` by the document while alive.
    struct Counter {
        Counter(const QString& name, pf::Reflective* object)
            : token(pf::NotificationCenter::defaultCenter().addObserver(name, object, [this](const pf::Notification&) { ++count; }))
        {
        }
        ~Counter() { pf::NotificationCenter::defaultCenter().removeObserver(token); }
        int count = 0;
        quint64 token;
    };
    static Ref<PWXMapScale> scale(double cm, double km)
    {
        return std::make_shared<PWXMapScale>(RVMeasurement::measurementWithDoubleValue(cm, RVUnitLength::centimeters()),
                                             RVMeasurement::measurementWithDoubleValue(km, RVUnitLength::kilometers()));
    }

    Ref<RVCartavelDocument> document;
    Ref<PWDrawing> drawing;
};

TEST_F(DrawingSetupTest, MapScaleChangesAreUndoableAndAnnounced)
{
    Counter will(RVCartavelDocument::kMapScaleWillChangeNotification, document.get());
    Counter did(RVCartavelDocument::kMapScaleDidChangeNotification, document.get());
    const Ref<PWXMapScale> before = document->mapScale();
    const int steps = undo().numberOfUndoActions();

    document->setMapScale(std::static_pointer_cast<PWXMapScale>(before->copy()));
    QCoreApplication::processEvents();
    EXPECT_EQ(did.count, 0) << "an equal scale changes nothing";
    EXPECT_EQ(undo().numberOfUndoActions(), steps);

    document->setMapScale(scale(2, 1));
    QCoreApplication::processEvents();
    EXPECT_EQ(will.count, 1);
    EXPECT_EQ(did.count, 1);
    ASSERT_EQ(undo().numberOfUndoActions(), steps + 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Change Map Scale"));
    undo().undo();
    EXPECT_TRUE(document->mapScale()->isEqualToMapScale(before.get()));
    undo().redo();
    EXPECT_TRUE(document->mapScale()->isEqualToMapScale(scale(2, 1).get()));
    EXPECT_EQ(did.count, 3);
}

TEST_F(DrawingSetupTest, UnitDisplayOptionsChooseTheDisplayedUnit)
{
    document->setUnitDisplayOption(0);
    Counter changed(RVCartavelDocument::kDisplayUnitOptionsChangedNotification, document.get());
    document->setMapScale(scale(4, 1)); // 1:25,000
    document->setUnitDisplayOption(0);
    EXPECT_EQ(changed.count, 0) << "the same option posts nothing";

    const auto cm = RVUnitLength::centimeters();
    const Ref<RVMeasurement> twoCm = RVMeasurement::measurementWithDoubleValue(2, cm);
    struct Case {
        int option;
        Ref<RVUnitLength> unit;
        double multiplier;
        double converted; // 2 cm on paper, in the converted measurement's unit
    };
    const Case cases[] = {
        {0, cm, cm->conversionFactorForPoints(), 2.0},
        {1, RVUnitLength::points(), 1.0, 2 * cm->conversionFactorForPoints()},
        {2, RVUnitLength::kilometers(), 25000.0, 0.5},
    };
    for (const Case& c : cases) {
        document->setUnitDisplayOption(c.option);
        EXPECT_TRUE(document->convertedDisplayUnitsForDrawing(*drawing)->isEqualToUnit(c.unit)) << c.option;
        EXPECT_NEAR(document->conversionMultiplierForDisplayUnits(), c.multiplier, 1e-6) << c.option;
        EXPECT_NEAR(document->convertedMeasurement(twoCm, *drawing)->doubleValue(), c.converted, 1e-9) << c.option;
        EXPECT_TRUE(drawing->delegateConvertedDisplayUnits()->isEqualToUnit(c.unit)) << "the drawing asks the document";
    }
    EXPECT_EQ(changed.count, 2);

    // Ground units need a map scale; without one lengths read in drawing units.
    document->setMapScale(nullptr);
    EXPECT_TRUE(document->convertedDisplayUnitsForDrawing(*drawing)->isEqualToUnit(cm));
    EXPECT_NEAR(document->conversionMultiplierForDisplayUnits(), cm->conversionFactorForPoints(), 1e-9);
    EXPECT_NEAR(document->convertedMeasurement(twoCm, *drawing)->doubleValue(), 2.0, 1e-9);
}

TEST_F(DrawingSetupTest, TheSettingsDictionaryDescribesTheDrawing)
{
    drawing->setMargins(28.3464566929, 0, 0, 56.6929133858);
    QVariantMap settings = document->dictionaryOfDrawingSettings();
    const double factor = drawing->unitToPointsConversionFactor();
    EXPECT_EQ(settings.value("kCVLDrawingSizeBaseValue").toSizeF(), drawing->drawingSize());
    EXPECT_DOUBLE_EQ(settings.value("kCVLDrawingUnitConversionValue").toDouble(), factor);
    EXPECT_NEAR(settings.value("kCVLDrawingMarginLeftValue").toDouble(), 1.0, 1e-9);
    EXPECT_NEAR(settings.value("kCVLDrawingMarginBottomValue").toDouble(), 2.0, 1e-9);
    EXPECT_NEAR(settings.value("kCVLDrawingSizeHorizontalValue").toDouble(), drawing->drawingSize().width() / factor, 1e-9);
    EXPECT_EQ(settings.value("kCVLDrawingUnitAbbreviatedStringValue").toString(), QStringLiteral("cm"));
    EXPECT_FALSE(settings.value("kCVLPortraitOrLandscape").toBool()) << "the default page is wider than high";
    EXPECT_EQ(settings.value("kCVLGridThemeSelectorValue").toInt(), 1);
    EXPECT_TRUE(settings.value("kCVLIndexGridMissing").toBool());
    EXPECT_FALSE(settings.contains("kCVLDrawingGridMissing"));
    EXPECT_FALSE(settings.value("kCVLGridLockedValue").toBool()) << "the grid is unlocked for the sheet";
    EXPECT_FALSE(drawing->gridLayer()->locked());
    EXPECT_TRUE(pf::fromVariant<Ref<PWXMapScale>>(settings.value("CVLQ_MAP_SCALE_INFO_KEY")));
    EXPECT_TRUE(pf::fromVariant<Ref<RVUnitLength>>(settings.value("kCVLDrawingModernUnitsKey")));

    drawing->removeLayer(drawing->gridLayer());
    settings = document->dictionaryOfDrawingSettings();
    EXPECT_TRUE(settings.value("kCVLDrawingGridMissing").toBool());
    for (const char* key : {"kCVLGridSpanMultiplierValue", "kCVLGridVisibleValue", "kCVLGridTypeValue", "kCVLGridLockedValue"})
        EXPECT_FALSE(settings.contains(key)) << key;
}

TEST_F(DrawingSetupTest, ASetUpIsOneStepThatUndoesToTheOriginalSettings)
{
    const QSizeF size = drawing->drawingSize();
    const double span = drawing->gridLayer()->spanMultiplier();
    const Ref<PWXMapScale> mapScale = document->mapScale();
    const QColor paper = drawing->paperColour().qColor();
    QVariantMap settings = document->beginDrawingSetUp();
    settings["kCVLPaperColourValue"] = QColor(Qt::yellow);
    const int steps = undo().numberOfUndoActions();
    settings["kCVLDrawingSizeBaseValue"] = QSizeF(600, 400);
    settings["kCVLDrawingMarginLeftValue"] = 1.0;
    settings["kCVLGridSpanMultiplierValue"] = 2.0;
    settings["kCVLDrawingModernUnitsKey"] = pf::toVariant(RVUnitLength::inches());
    settings["CVLQ_MAP_SCALE_INFO_KEY"] = pf::toVariant(scale(1, 1));

    document->performDrawingSetUpWithOptions(settings, true);
    EXPECT_EQ(drawing->drawingSize(), QSizeF(600, 400)) << "a preview shows the settings";
    QCoreApplication::processEvents();
    EXPECT_EQ(undo().numberOfUndoActions(), steps) << "previews make no undo steps";

    ASSERT_TRUE(document->performDrawingSetUpWithOptions(settings, false));
    QCoreApplication::processEvents();
    const double cm = RVUnitLength::centimeters()->conversionFactorForPoints();
    EXPECT_EQ(drawing->drawingSize(), QSizeF(600, 400));
    EXPECT_NEAR(drawing->leftMargin(), cm, 1e-9) << "margins are multiplied by the unit factor of the settings";
    EXPECT_DOUBLE_EQ(drawing->gridLayer()->spanMultiplier(), 2.0);
    EXPECT_TRUE(drawing->units()->isEqualToUnit(RVUnitLength::inches()));
    EXPECT_EQ(drawing->paperColour().qColor(), QColor(Qt::yellow));
    EXPECT_TRUE(drawing->gridLayer()->locked()) << "a set-up locks the grid";
    ASSERT_EQ(undo().numberOfUndoActions(), steps + 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Drawing Setup"));

    undo().undo();
    EXPECT_EQ(drawing->drawingSize(), size);
    EXPECT_NEAR(drawing->leftMargin(), 0.0, 1e-9);
    EXPECT_DOUBLE_EQ(drawing->gridLayer()->spanMultiplier(), span);
    EXPECT_TRUE(drawing->units()->isEqualToUnit(RVUnitLength::centimeters()));
    EXPECT_TRUE(document->mapScale()->isEqualToMapScale(mapScale.get()));
    EXPECT_EQ(drawing->paperColour().qColor(), paper) << "the paper colour the drawing had, or none";
    undo().redo();
    EXPECT_EQ(drawing->drawingSize(), QSizeF(600, 400));
    EXPECT_NEAR(drawing->leftMargin(), cm, 1e-9);
    EXPECT_TRUE(drawing->units()->isEqualToUnit(RVUnitLength::inches()));
    EXPECT_TRUE(document->mapScale()->isEqualToMapScale(scale(1, 1).get()));
}

TEST_F(DrawingSetupTest, SettingsWithoutAUsablePageAreRefused)
{
    const QVariantMap original = document->beginDrawingSetUp();
    const QSizeF size = drawing->drawingSize();
    struct Case {
        const char* what;
        const char* key;
        QVariant value;
    };
    const Case cases[] = {
        {"zero unit factor", "kCVLDrawingUnitConversionValue", 0.0},
        {"negative unit factor", "kCVLDrawingUnitConversionValue", -2.0},
        {"missing unit factor", "kCVLDrawingUnitConversionValue", QVariant()},
        {"zero size", "kCVLDrawingSizeBaseValue", QSizeF(0, 100)},
        {"negative size", "kCVLDrawingSizeBaseValue", QSizeF(100, -5)},
        {"margins eating the page", "kCVLDrawingMarginLeftValue", 1000.0},
        {"negative margin", "kCVLDrawingMarginTopValue", -1.0},
    };
    for (const Case& c : cases) {
        QVariantMap settings = original;
        settings["kCVLDrawingSizeBaseValue"] = QSizeF(600, 400);
        if (c.value.isValid())
            settings[c.key] = c.value;
        else
            settings.remove(c.key);
        EXPECT_FALSE(document->performDrawingSetUpWithOptions(settings, false)) << c.what;
        EXPECT_EQ(drawing->drawingSize(), size) << c.what;
    }
    // Numbers beyond any count leave the grid as it was.
    QVariantMap huge = original;
    huge["kCVLGridTypeValue"] = 1e20;
    huge["kCVLGridDivisionsValue"] = -1e12;
    const int divisions = drawing->gridLayer()->divisions();
    EXPECT_TRUE(document->performDrawingSetUpWithOptions(huge, false));
    EXPECT_EQ(drawing->gridType(), 0);
    EXPECT_EQ(drawing->gridLayer()->divisions(), divisions);

    EXPECT_THROW(document->performDrawingSetUpWithOptions(QVariantMap(), false), pf::Exception);
    EXPECT_THROW(document->performDrawingPreviewWithOptions(QVariantMap()), pf::Exception);
}

TEST_F(DrawingSetupTest, CancellingRestoresTheSettingsAndTheGridLock)
{
    for (bool locked : {true, false}) {
        drawing->gridLayer()->setLocked(locked);
        const QSizeF size = drawing->drawingSize();
        QVariantMap settings = document->beginDrawingSetUp();
        EXPECT_FALSE(drawing->gridLayer()->locked());
        settings["kCVLDrawingSizeBaseValue"] = QSizeF(300, 300);
        settings["kCVLGridVisibleValue"] = false;
        document->performDrawingSetUpWithOptions(settings, true);
        EXPECT_FALSE(drawing->gridLayer()->visible());
        document->cancelDrawingSetUp();
        EXPECT_EQ(drawing->drawingSize(), size);
        EXPECT_TRUE(drawing->gridLayer()->visible());
        EXPECT_EQ(drawing->gridLayer()->locked(), locked);
    }
}

// File > Graph Paper... on a drawing without graph paper offers to add some, as one undo step.
TEST_F(DrawingSetupTest, GraphPaperIsOfferedToADrawingWithout)
{
    pf::Ref<PWGridLayer> old = drawing->gridLayer();
    ASSERT_TRUE(old);
    {
        pf::UndoRegistrationDisabled quiet(drawing->undoManager());
        drawing->removeLayer(old);
    }
    ASSERT_FALSE(drawing->gridLayer());
    drawing->setUnits(RVUnitLength::points()); // as a drawing read from an SVG file has
    QCoreApplication::processEvents();

    // Declining adds nothing.
    pf::PresentationHook::set([](QWidget* dialog) { dialog->close(); });
    document->openGridSettingsPanel({});
    EXPECT_FALSE(drawing->gridLayer());

    // Accepting adds locked graph paper under every layer, and opens the set-up on it.
    QStringList seen;
    pf::PresentationHook::set([&seen](QWidget* dialog) {
        seen.append(dialog->windowTitle());
        for (auto* button : dialog->findChildren<QAbstractButton*>())
            if (button->text() == QStringLiteral("Add Graph Paper")) {
                button->click();
                return;
            }
        dialog->close();
    });
    document->openGridSettingsPanel({});
    pf::PresentationHook::set({});
    pf::Ref<PWGridLayer> grid = drawing->gridLayer();
    ASSERT_TRUE(grid);
    EXPECT_EQ(drawing->indexOfLayer(grid.get()), drawing->countOfLayers() - 1) << "the bottom layer";
    EXPECT_EQ(grid->layerName(), QStringLiteral("Graph Paper"));
    EXPECT_NEAR(grid->spanDistance(), 28.0, 1.0) << "about a centimetre, not one point";
    EXPECT_FALSE(document->addGraphPaper()) << "only one";
    QCoreApplication::processEvents();
    for (int i = 0; i < 3 && drawing->gridLayer(); ++i)
        undo().undo(); // the set-up the dialog began, then the adding
    EXPECT_FALSE(drawing->gridLayer());

    ASSERT_TRUE(document->addGraphPaper());
    EXPECT_TRUE(drawing->gridLayer()->locked());
    QCoreApplication::processEvents();
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Add Graph Paper"));
}

} // namespace
