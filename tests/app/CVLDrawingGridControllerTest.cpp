#include "DocumentTestSupport.h"

#include "app/CVLDrawingGridController.h"
#include "app/CVLDrawingGridControllerDelegate.h"
#include "app/PWXMapScale.h"
#include "frameworks/measurement/RVMeasurement.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/ColorWell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QSpinBox>
#include <QTabWidget>

namespace {

using namespace quillory::test;
using pf::Ref;

const QString kWidth = QStringLiteral("kCVLDrawingSizeHorizontalValue");
const QString kHeight = QStringLiteral("kCVLDrawingSizeVerticalValue");
const QString kBase = QStringLiteral("kCVLDrawingSizeBaseValue");
const QString kFactor = QStringLiteral("kCVLDrawingUnitConversionValue");
const QString kUnits = QStringLiteral("kCVLDrawingModernUnitsKey");
const QString kLeft = QStringLiteral("kCVLDrawingMarginLeftValue");
const QString kTop = QStringLiteral("kCVLDrawingMarginTopValue");
const QString kMapScale = QStringLiteral("CVLQ_MAP_SCALE_INFO_KEY");
const QString kPaper = QStringLiteral("kCVLPaperColourValue");

// Records what the sheet hands over.
class RecordingDelegate : public CVLDrawingGridControllerDelegate {
public:
    std::optional<QVariantMap> dictionaryOfDrawingSettings() override { return settings; }
    bool performsDrawingSetUp() const override { return true; }
    void performDrawingSetUpWithOptions(const QVariantMap& given, bool isPreviewOrCancel) override
    {
        sent.append({given, isPreviewOrCancel});
    }
    void drawingSetUpDidEnd(int code) override { ended = code; }

    QVariantMap settings;
    QList<std::pair<QVariantMap, bool>> sent;
    int ended = -1;
};

Ref<PWXMapScale> mapScale()
{
    return std::make_shared<PWXMapScale>(RVMeasurement::measurementWithDoubleValue(1, RVUnitLength::centimeters()),
                                         RVMeasurement::measurementWithDoubleValue(5, RVUnitLength::kilometers()));
}

// An A4 page in centimetres with 2 cm margins and a grid.
QVariantMap a4Settings(double factor = RVUnitLength::centimeters()->conversionFactorForPoints())
{
    const double cm = RVUnitLength::centimeters()->conversionFactorForPoints();
    return {{kBase, QSizeF(21 * cm, 29.7 * cm)},
            {kWidth, 21.0},
            {kHeight, 29.7},
            {kFactor, factor},
            {kUnits, pf::toVariant(RVUnitLength::centimeters())},
            {kLeft, 2.0},
            {kTop, 2.0},
            {QStringLiteral("kCVLDrawingMarginRightValue"), 2.0},
            {QStringLiteral("kCVLDrawingMarginBottomValue"), 2.0},
            {QStringLiteral("kCVLGridSpanMultiplierValue"), 1.0},
            {QStringLiteral("kCVLGridDivisionsValue"), 4},
            {QStringLiteral("kCVLGridMajorsValue"), 5},
            {QStringLiteral("kCVLRulerLabelIntervalValue"), 1},
            {QStringLiteral("kCVLGridThemeSelectorValue"), 1},
            {QStringLiteral("kCVLGridTypeValue"), 1},
            {QStringLiteral("kCVLGridIsoShowVerticalsFlagValue"), true},
            {QStringLiteral("kCVLGridVisibleValue"), true},
            {kMapScale, pf::toVariant(mapScale())}};
}

class DrawingGridControllerTest : public ::testing::Test {
protected:
    void open(const QVariantMap& settings, unsigned page = 0)
    {
        delegate.settings = settings;
        controller->beginDialogWithParentWindow(nullptr, &delegate, page);
    }
    void TearDown() override
    {
        if (controller->dialog())
            controller->dialog()->hide();
        // "Set as default" writes the user's defaults; later tests expect a new document's own.
        for (const QString& key : {RVCartavelDocument::kDefaultSizeDefault, RVCartavelDocument::kDefaultMarginsDefault,
                                   RVCartavelDocument::kDefaultDrawingScaleDefault,
                                   RVCartavelDocument::kDefaultDrawingUnitsDefault})
            pf::UserDefaults::standard().removeObjectForKey(key);
    }
    QVariantMap current() const { return controller->dictionaryOfCurrentDialogSettings(); }

    Ref<CVLDrawingGridController> controller = CVLDrawingGridController::drawingGridController();
    RecordingDelegate delegate;
};

TEST_F(DrawingGridControllerTest, LoadingShowsTheSettingsWithoutTheMapScale)
{
    open(a4Settings());
    EXPECT_DOUBLE_EQ(controller->widthField()->value(), 21.0);
    EXPECT_EQ(controller->unitsPopUp()->currentText(), RVUnitLength::centimeters()->fullName());
    EXPECT_TRUE(controller->widthField()->suffix().contains(RVUnitLength::centimeters()->symbol()));
    EXPECT_FALSE(current().contains(kMapScale));
    EXPECT_TRUE(controller->originalSettings().contains(kMapScale));
    EXPECT_EQ(current().value(QStringLiteral("kCVLDrawingUnitAbbreviatedStringValue")).toString(),
              RVUnitLength::centimeters()->symbol());
}

TEST_F(DrawingGridControllerTest, SwitchingUnitsConvertsSizeAndMarginsKeepingPoints)
{
    open(a4Settings());
    const double cm = RVUnitLength::centimeters()->conversionFactorForPoints();
    controller->unitsPopUp()->setCurrentIndex(3); // inches
    controller->drawingUnitsPopUpAction();
    EXPECT_NEAR(current().value(kWidth).toDouble(), 21.0 * cm / 72.0, 1e-9);
    EXPECT_NEAR(current().value(kHeight).toDouble(), 29.7 * cm / 72.0, 1e-9);
    EXPECT_NEAR(current().value(kLeft).toDouble(), 2.0 * cm / 72.0, 1e-9);
    EXPECT_NEAR(current().value(kTop).toDouble(), 2.0 * cm / 72.0, 1e-9);
    EXPECT_NEAR(current().value(QStringLiteral("kCVLDrawingMarginRightValue")).toDouble(), 2.0 * cm / 72.0, 1e-9);
    EXPECT_NEAR(current().value(QStringLiteral("kCVLDrawingMarginBottomValue")).toDouble(), 2.0 * cm / 72.0, 1e-9);
    EXPECT_DOUBLE_EQ(current().value(kFactor).toDouble(), 72.0);
    EXPECT_EQ(current().value(kBase).toSizeF(), QSizeF(21 * cm, 29.7 * cm)); // points untouched
    EXPECT_NEAR(controller->widthField()->value(), 21.0 * cm / 72.0, 1e-3);
    EXPECT_TRUE(pf::fromVariant<Ref<RVUnitLength>>(current().value(kUnits))->isEqualToUnit(RVUnitLength::inches()));

    // And back: the lengths come home.
    controller->unitsPopUp()->setCurrentIndex(2);
    controller->drawingUnitsPopUpAction();
    EXPECT_NEAR(current().value(kWidth).toDouble(), 21.0, 1e-9);
}

TEST_F(DrawingGridControllerTest, AFactorEqualInStoredPrecisionConvertsNothing)
{
    // Settings saved with the factor in single precision, and in full precision.
    for (double stored : {double(float(RVUnitLength::centimeters()->conversionFactorForPoints())),
                          RVUnitLength::centimeters()->conversionFactorForPoints()}) {
        open(a4Settings(stored));
        for (int reload = 0; reload < 3; ++reload)
            controller->setSettingsWithDictionary(current());
        EXPECT_EQ(current().value(kWidth).toDouble(), 21.0);
        EXPECT_EQ(current().value(kLeft).toDouble(), 2.0);
        controller->cancelButtonAction();
    }
}

TEST_F(DrawingGridControllerTest, PreviewOffSendsTheOriginalAndPreviewOnTheEdits)
{
    open(a4Settings());
    EXPECT_TRUE(controller->applyButton()->isEnabled());
    controller->widthField()->setValue(30.0); // the field's action runs
    ASSERT_FALSE(delegate.sent.isEmpty());
    EXPECT_EQ(delegate.sent.last().first.value(kWidth).toDouble(), 21.0);
    EXPECT_TRUE(delegate.sent.last().second);

    controller->previewCheckBox()->setChecked(true);
    controller->previewCheckBoxAction();
    EXPECT_FALSE(controller->applyButton()->isEnabled());
    EXPECT_EQ(delegate.sent.last().first.value(kWidth).toDouble(), 30.0);
    const double cm = RVUnitLength::centimeters()->conversionFactorForPoints();
    EXPECT_NEAR(delegate.sent.last().first.value(kBase).toSizeF().width(), 30.0 * cm, 1e-9);
    EXPECT_TRUE(delegate.sent.last().second);
    EXPECT_FALSE(delegate.sent.last().first.contains(kMapScale)); // the edits never carry it
}

TEST_F(DrawingGridControllerTest, EndingHandsOverCommitOrRevert)
{
    struct Case {
        const char* label;
        bool applyFirst;
        bool ok;
        double expectedWidth;
        bool expectedPreviewFlag;
        bool carriesMapScale;
    };
    for (const Case& c : {Case{"ok", false, true, 25.0, false, false}, Case{"cancel", false, false, 21.0, true, true},
                          Case{"cancel after apply", true, false, 21.0, true, true}}) {
        SCOPED_TRACE(c.label);
        delegate.sent.clear();
        open(a4Settings());
        controller->widthField()->setValue(25.0);
        if (c.applyFirst) {
            controller->applyButtonAction();
            EXPECT_EQ(delegate.sent.last().first.value(kWidth).toDouble(), 25.0);
            EXPECT_FALSE(delegate.sent.last().second);
        }
        if (c.ok)
            controller->okButtonAction();
        else
            controller->cancelButtonAction();
        ASSERT_FALSE(delegate.sent.isEmpty());
        EXPECT_EQ(delegate.sent.last().first.value(kWidth).toDouble(), c.expectedWidth);
        EXPECT_EQ(delegate.sent.last().second, c.expectedPreviewFlag);
        EXPECT_EQ(delegate.sent.last().first.contains(kMapScale), c.carriesMapScale);
        EXPECT_EQ(delegate.ended, c.ok ? 1 : 0);
        EXPECT_FALSE(controller->dialog()->isVisible());
    }
}

TEST_F(DrawingGridControllerTest, WithoutAGridTheGraphPaperPageGoes)
{
    open(a4Settings(), 1);
    EXPECT_EQ(controller->selectedPage(), 1);
    controller->cancelButtonAction();

    QVariantMap settings = a4Settings();
    settings[QStringLiteral("kCVLDrawingGridMissing")] = true;
    open(settings, 1);
    EXPECT_FALSE(controller->hasGraphPaperPage());
    EXPECT_EQ(controller->selectedPage(), 0);
    EXPECT_EQ(controller->tabView()->count(), 1);
}

TEST_F(DrawingGridControllerTest, GridControlsFollowTypeThemeAndLock)
{
    open(a4Settings());
    EXPECT_FALSE(controller->isoVerticalsCheckBox()->isHidden());
    controller->gridTypePopUp()->setCurrentIndex(0);
    controller->gridTypeAction();
    EXPECT_TRUE(controller->isoVerticalsCheckBox()->isHidden());
    EXPECT_EQ(current().value(QStringLiteral("kCVLGridTypeValue")).toInt(), 0);

    // Separate colours: the theme well is off, the three others on.
    EXPECT_FALSE(controller->themeWell()->isEnabled());
    EXPECT_TRUE(controller->spanWell()->isEnabled());
    controller->themeMatrixAction(0);
    EXPECT_TRUE(controller->themeWell()->isEnabled());
    EXPECT_FALSE(controller->majorsWell()->isEnabled());

    QVariantMap locked = a4Settings();
    locked[QStringLiteral("kCVLGridLockedValue")] = true;
    controller->setSettingsWithDictionary(locked);
    for (QWidget* control : {static_cast<QWidget*>(controller->themeWell()), static_cast<QWidget*>(controller->spanWell()),
                             static_cast<QWidget*>(controller->divisionsWell()), static_cast<QWidget*>(controller->majorsWell()),
                             static_cast<QWidget*>(controller->spanField()), static_cast<QWidget*>(controller->divisionsField())})
        EXPECT_FALSE(control->isEnabled());
}

TEST_F(DrawingGridControllerTest, ThePaperImageMustBeAnImage)
{
    open(a4Settings());
    QTemporaryDir folder;
    const QString text = folder.filePath(QStringLiteral("notes.png")); // named like an image, is not one
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just some words");
    file.close();
    EXPECT_FALSE(controller->setPaperImageFromFile(text));
    EXPECT_FALSE(controller->setPaperImageFromFile(folder.filePath(QStringLiteral("missing.png"))));
    EXPECT_FALSE(current().contains(kPaper));

    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(Qt::darkGreen);
    const QString png = folder.filePath(QStringLiteral("paper.png"));
    ASSERT_TRUE(image.save(png));
    EXPECT_TRUE(controller->setPaperImageFromFile(png));
    auto colour = pf::fromVariant<Ref<pf::Color>>(current().value(kPaper));
    ASSERT_TRUE(colour);
    EXPECT_TRUE(colour->isPattern());
    EXPECT_FALSE(CVLDrawingGridController::paperImageFileTypes().contains(QStringLiteral("txt")));
}

TEST_F(DrawingGridControllerTest, SetAsDefaultKeepsTheDrawingsMapScale)
{
    const Ref<PWXMapScale> scale = mapScale();
    QVariantMap settings = a4Settings();
    settings[kMapScale] = pf::toVariant(scale);
    open(settings);
    controller->setDrawingSizeDefaultsAction();
    Ref<PWXMapScale> stored = RVCartavelDocument::defaultDrawingScale();
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->isEqualToMapScale(scale.get()));
    EXPECT_TRUE(RVCartavelDocument::defaultDrawingUnits()->isEqualToUnit(RVUnitLength::centimeters()));
    const double cm = RVUnitLength::centimeters()->conversionFactorForPoints();
    EXPECT_NEAR(RVCartavelDocument::defaultDrawingSize().width(), 21 * cm, 1e-3);
}

TEST_F(DrawingGridControllerTest, UnitsMustBeGiven)
{
    EXPECT_THROW(controller->setupUIForUnits(nullptr), pf::Exception);
}

// The sheet on a real document.
class DocumentDrawingSetupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document = newDocument();
        ASSERT_TRUE(document);
        drawing = document->drawing();
    }
    void TearDown() override
    {
        for (const auto& open : QList<pf::Ref<pf::Document>>(documentController().documents()))
            open->close();
    }
    Ref<RVCartavelDocument> document;
    Ref<PWDrawing> drawing;
};

TEST_F(DocumentDrawingSetupTest, OKIsOneUndoableStep)
{
    const QSizeF before = drawing->drawingSize();
    document->openDrawingSizePanel({});
    Ref<CVLDrawingGridController> sheet = document->drawingGridController();
    ASSERT_TRUE(sheet->dialog()->isVisible());
    sheet->widthField()->setValue(before.width() / drawing->unitToPointsConversionFactor() + 100.0);
    sheet->okButtonAction();
    EXPECT_NEAR(drawing->drawingSize().width(), before.width() + 100.0 * drawing->unitToPointsConversionFactor(), 1e-6);
    EXPECT_EQ(drawing->undoManager()->undoActionName(), QStringLiteral("Drawing Setup"));
    drawing->undoManager()->undo();
    EXPECT_EQ(drawing->drawingSize(), before);
}

TEST_F(DocumentDrawingSetupTest, CancellingAPreviewRestoresTheDrawing)
{
    const QSizeF before = drawing->drawingSize();
    const int steps = drawing->undoManager()->numberOfUndoActions();
    document->openGridSettingsPanel({});
    Ref<CVLDrawingGridController> sheet = document->drawingGridController();
    EXPECT_EQ(sheet->selectedPage(), drawing->gridLayer() ? 1 : 0);
    sheet->previewCheckBox()->setChecked(true);
    sheet->previewCheckBoxAction();
    sheet->heightField()->setValue(sheet->heightField()->value() + 50.0);
    EXPECT_NE(drawing->drawingSize(), before); // shown at once
    sheet->cancelButtonAction();
    EXPECT_EQ(drawing->drawingSize(), before);
    EXPECT_EQ(drawing->undoManager()->numberOfUndoActions(), steps);
    // The sheet opens again with fresh settings.
    document->openDrawingSizePanel({});
    EXPECT_NEAR(sheet->heightField()->value() * drawing->unitToPointsConversionFactor(), before.height(), 1e-3);
    sheet->cancelButtonAction();
}

} // namespace
