#include "app/RVCartavelDocument.h"

#include "app/PWXMapScale.h"
#include "frameworks/measurement/RVMeasurement.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/PdfImageRep.h"
#include "platform/ui/PrintInfo.h"
#include "widgets/RVShadowClipView.h"

#include <QColor>
#include <QCoreApplication>
#include <QImage>

#include <cmath>
#include <limits>
#include <optional>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("RVCartavelDocument", text);
}

// Keys of the settings the drawing set-up sheet and the document exchange.
const QString kSizeBase = QStringLiteral("kCVLDrawingSizeBaseValue");
const QString kUnitConversion = QStringLiteral("kCVLDrawingUnitConversionValue");
const QString kUnitString = QStringLiteral("kCVLDrawingUnitStringValue");
const QString kUnitAbbreviation = QStringLiteral("kCVLDrawingUnitAbbreviatedStringValue");
const QString kModernUnits = QStringLiteral("kCVLDrawingModernUnitsKey");
const QString kPortraitOrLandscape = QStringLiteral("kCVLPortraitOrLandscape");
const QString kPaperColour = QStringLiteral("kCVLPaperColourValue");
const QString kPaperColourPrintable = QStringLiteral("kCVLPaperColourPrintableValue");
const QString kPaperImageName = QStringLiteral("kCVLPaperColourImageNameValue");
const QString kTweakMargins = QStringLiteral("kCVLDrawingTweakMarginsFlagValue");
const QString kMarginLeft = QStringLiteral("kCVLDrawingMarginLeftValue");
const QString kMarginTop = QStringLiteral("kCVLDrawingMarginTopValue");
const QString kMarginRight = QStringLiteral("kCVLDrawingMarginRightValue");
const QString kMarginBottom = QStringLiteral("kCVLDrawingMarginBottomValue");
const QString kSubtractPaperMargins = QStringLiteral("kCVLSubtractPaperMargins");
const QString kGridSpan = QStringLiteral("kCVLGridSpanMultiplierValue");
const QString kGridDivisions = QStringLiteral("kCVLGridDivisionsValue");
const QString kGridMajors = QStringLiteral("kCVLGridMajorsValue");
const QString kRulerInterval = QStringLiteral("kCVLRulerLabelIntervalValue");
const QString kGridSpanColour = QStringLiteral("kCVLGridSpanColourValue");
const QString kGridDivisionsColour = QStringLiteral("kCVLGridDivisionsColourValue");
const QString kGridMajorsColour = QStringLiteral("kCVLGridMajorsColourValue");
const QString kGridThemeColour = QStringLiteral("kCVLGridThemeColourValue");
const QString kGridThemeSelector = QStringLiteral("kCVLGridThemeSelectorValue");
const QString kPrintGrid = QStringLiteral("kCVLPrintGridFlagValue");
const QString kGridVisible = QStringLiteral("kCVLGridVisibleValue");
const QString kGridLocked = QStringLiteral("kCVLGridLockedValue");
const QString kGridType = QStringLiteral("kCVLGridTypeValue");
const QString kIsoVerticals = QStringLiteral("kCVLGridIsoShowVerticalsFlagValue");
const QString kGridMissing = QStringLiteral("kCVLDrawingGridMissing");
const QString kSizeHorizontal = QStringLiteral("kCVLDrawingSizeHorizontalValue");
const QString kSizeVertical = QStringLiteral("kCVLDrawingSizeVerticalValue");
const QString kMapScaleInfo = QStringLiteral("CVLQ_MAP_SCALE_INFO_KEY");
const QString kIndexGridMissing = QStringLiteral("kCVLIndexGridMissing");
const QString kDocumentImage = QStringLiteral("kCVLDrawingDocumentImage");
const QString kFixedColourName = QStringLiteral("PW_FIXED_COLOUR");

std::optional<double> finiteNumber(const QVariantMap& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (!pf::isNumber(value))
        return std::nullopt;
    const double number = value.toDouble();
    return std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
}

// A whole number within int's range (larger values would not convert safely).
std::optional<int> intValue(const QVariantMap& settings, const QString& key)
{
    const std::optional<double> number = finiteNumber(settings, key);
    if (!number || *number < double(std::numeric_limits<int>::min()) || *number > double(std::numeric_limits<int>::max()))
        return std::nullopt;
    return int(*number);
}

// A colour as the sheet hands it: a colour object or a QColor.
std::optional<QColor> colourValue(const QVariantMap& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QColor)
        return value.value<QColor>();
    if (auto colour = pf::fromVariant<pf::Ref<pf::Color>>(value))
        return colour->qColor();
    return std::nullopt;
}

bool flag(const QVariantMap& settings, const QString& key)
{
    return pf::variantToBool(settings.value(key));
}

} // namespace

// --- Display units -----------------------------------------------------------------------------------

pf::Ref<RVUnitLength> RVCartavelDocument::convertedDisplayUnitsForDrawing(const PWDrawing& drawing) const
{
    switch (m_unitDisplayOption) {
    case 0:
        return drawing.units();
    case 1:
        return RVUnitLength::points();
    case 2:
        if (m_mapScale && m_mapScale->scaler() && m_mapScale->scaler()->representative())
            return m_mapScale->scaler()->representative()->unit();
        return drawing.units();
    default:
        return nullptr;
    }
}

double RVCartavelDocument::conversionMultiplierForDisplayUnits() const
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    switch (m_unitDisplayOption) {
    case 0:
        return drawing ? drawing->units()->conversionFactorForPoints() : 1.0;
    case 1:
        return 1.0;
    case 2:
        if (m_mapScale)
            return m_mapScale->multiplier();
        return drawing ? drawing->units()->conversionFactorForPoints() : 1.0;
    default:
        return 1.0;
    }
}

pf::Ref<RVMeasurement> RVCartavelDocument::convertedMeasurement(const pf::Ref<RVMeasurement>& measurement,
                                                                const PWDrawing&) const
{
    if (!measurement)
        return nullptr;
    switch (m_unitDisplayOption) {
    case 1:
        return measurement->measurementByConvertingToUnit(RVUnitLength::points());
    case 2:
        if (m_mapScale && m_mapScale->scaler())
            return m_mapScale->scaler()->measurementWithRepresentativeScale(measurement);
        return measurement;
    default:
        return measurement;
    }
}

void RVCartavelDocument::setPaperMarginsVisible(bool visible)
{
    m_paperMarginsShouldBeShown = visible;
    PWDrawingView* view = mainView();
    RVShadowClipView* clip = shadowClipView();
    if (!clip || !view)
        return;
    pf::Ref<pf::PrintInfo> info = printInfo();
    if (!visible || !info) {
        clip->setBorderMargins({});
        return;
    }
    const double scale = view->scale();
    clip->setBorderMarginTop(float(info->topMargin() * scale), float(info->leftMargin() * scale),
                             float(info->bottomMargin() * scale), float(info->rightMargin() * scale));
}

// --- Drawing set-up ------------------------------------------------------------------------------------

QVariantMap RVCartavelDocument::dictionaryOfDrawingSettings()
{
    return drawingSettings(true);
}

QVariantMap RVCartavelDocument::drawingSettings(bool withImage)
{
    QVariantMap settings;
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing)
        return settings;
    const QSizeF size = drawing->drawingSize();
    const double factor = drawing->unitToPointsConversionFactor();
    const double perUnit = factor > 0.0 && std::isfinite(factor) ? factor : 1.0;

    settings[kSizeBase] = size;
    settings[kUnitConversion] = factor;
    settings[kUnitString] = drawing->drawingUnits();
    settings[kUnitAbbreviation] = drawing->units()->symbol();
    settings[kModernUnits] = pf::toVariant(drawing->units());
    settings[kPortraitOrLandscape] = size.height() > size.width();
    if (drawing->paperColour().isValid())
        settings[kPaperColour] = pf::toVariant(std::make_shared<pf::Color>(drawing->paperColour()));
    settings[kPaperColourPrintable] = drawing->paperColourIsPrinted();
    const QString imageName = drawing->stringForKey(kPaperImageName);
    if (!imageName.isEmpty())
        settings[kPaperImageName] = imageName;
    else if (drawing->paperColour().isValid())
        settings[kPaperImageName] = kFixedColourName;
    settings[kTweakMargins] = false;
    settings[kMarginLeft] = drawing->leftMargin() / perUnit;
    settings[kMarginTop] = drawing->topMargin() / perUnit;
    settings[kMarginRight] = drawing->rightMargin() / perUnit;
    settings[kMarginBottom] = drawing->bottomMargin() / perUnit;

    if (pf::Ref<PWGridLayer> grid = drawing->gridLayer()) {
        {
            // The sheet edits the grid: it is unlocked for it, outside the undo history.
            pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
            grid->setLocked(false);
        }
        settings[kGridSpan] = grid->spanMultiplier();
        settings[kGridDivisions] = grid->divisions();
        settings[kGridMajors] = grid->majors();
        settings[kRulerInterval] = grid->rulerSteps();
        settings[kGridSpanColour] = grid->spanColour();
        settings[kGridDivisionsColour] = grid->divisionColour();
        settings[kGridMajorsColour] = grid->majorColour();
        settings[kGridThemeColour] = grid->themeColour();
        settings[kGridThemeSelector] = 1;
        settings[kPrintGrid] = grid->shouldDrawToPrinter();
        settings[kGridVisible] = grid->visible();
        settings[kGridLocked] = grid->locked();
        settings[kGridType] = drawing->gridType();
        if (drawing->gridType() == 1)
            settings[kIsoVerticals] = grid->showsVerticalLines();
    } else {
        settings[kGridMissing] = true;
    }
    settings[kSizeHorizontal] = size.width() / perUnit;
    settings[kSizeVertical] = size.height() / perUnit;
    if (m_mapScale)
        settings[kMapScaleInfo] = pf::toVariant(m_mapScale);
    settings[kIndexGridMissing] = true;
    // A picture of the whole drawing for the sheet's preview.
    if (!withImage)
        return settings;
    if (auto pdf = pf::PdfImageRep::fromData(drawing->pdfDataWithMediaBox(QRectF())))
        settings[kDocumentImage] = pdf->rasterize(pdf->size().toSize().boundedTo(QSize(1024, 1024)));
    return settings;
}

QVariantMap RVCartavelDocument::beginDrawingSetUp()
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    pf::Ref<PWGridLayer> grid = drawing ? drawing->gridLayer() : nullptr;
    m_gridLockedBeforeSetUp = grid ? grid->locked() : true;
    m_drawingSetUpOriginal = dictionaryOfDrawingSettings();
    return m_drawingSetUpOriginal;
}

void RVCartavelDocument::performDrawingPreviewWithOptions(const QVariantMap& settings)
{
    PF_ASSERT(!settings.isEmpty(), "settings dictionary was nil - can't preview");
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing)
        return;
    // Previews are not edits: the set-up that ends them is the undo step.
    pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
    if (auto scale = pf::fromVariant<pf::Ref<PWXMapScale>>(settings.value(kMapScaleInfo)))
        setMapScale(scale);
    if (auto units = pf::fromVariant<pf::Ref<RVUnitLength>>(settings.value(kModernUnits)))
        drawing->setUnits(units);
    if (std::optional<int> type = intValue(settings, kGridType))
        drawing->setGridType(*type);
    if (pf::Ref<PWGridLayer> grid = drawing->gridLayer()) {
        if (drawing->gridType() == 1 && settings.contains(kIsoVerticals))
            grid->setShowsVerticalLines(flag(settings, kIsoVerticals));
        if (intValue(settings, kGridThemeSelector).value_or(1) == 0) {
            if (std::optional<QColor> theme = colourValue(settings, kGridThemeColour))
                grid->setGridThemeColour(*theme);
        } else {
            if (std::optional<QColor> colour = colourValue(settings, kGridSpanColour))
                grid->setSpanColour(*colour);
            if (std::optional<QColor> colour = colourValue(settings, kGridDivisionsColour))
                grid->setDivisionColour(*colour);
            if (std::optional<QColor> colour = colourValue(settings, kGridMajorsColour))
                grid->setMajorColour(*colour);
        }
        const std::optional<double> span = finiteNumber(settings, kGridSpan);
        if (span && *span > 0.0)
            grid->setSpan(*span, intValue(settings, kGridDivisions).value_or(grid->divisions()),
                          intValue(settings, kGridMajors).value_or(grid->majors()),
                          intValue(settings, kRulerInterval).value_or(grid->rulerSteps()));
        if (settings.contains(kGridVisible))
            grid->setVisible(flag(settings, kGridVisible));
        if (settings.contains(kPrintGrid))
            grid->setShouldDrawToPrinter(flag(settings, kPrintGrid));
    }
    if (auto paper = pf::fromVariant<pf::Ref<pf::Color>>(settings.value(kPaperColour)))
        drawing->setPaperColour(*paper); // a pattern colour stays a pattern
    else if (std::optional<QColor> colour = colourValue(settings, kPaperColour))
        drawing->setPaperColour(pf::Color(*colour));
    else if (settings.contains(kPaperColour) || settings.contains(kPaperColourPrintable))
        // The settings describe the paper and name no colour: the paper has none.
        drawing->setPaperColour(pf::Color());
    if (settings.contains(kPaperColourPrintable))
        drawing->setPaperColourIsPrinted(flag(settings, kPaperColourPrintable));
    drawing->setStringForKey(settings.value(kPaperImageName).toString(), kPaperImageName);
}

bool RVCartavelDocument::performDrawingSetUpWithOptions(const QVariantMap& settings, bool isPreviewOrCancel)
{
    PF_ASSERT(!settings.isEmpty(), "settings dictionary was nil - can't set up drawing");
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing)
        return false;
    RVLog(kStateEvent, QStringLiteral("drawing setup, dict = %1").arg(pf::describe(settings)));

    // Refuse what would give no page: a unit factor, size or interior that is not positive.
    const double factor = finiteNumber(settings, kUnitConversion).value_or(0.0);
    QSizeF size = settings.value(kSizeBase).toSizeF();
    if (flag(settings, kSubtractPaperMargins)) {
        if (pf::Ref<pf::PrintInfo> info = printInfo())
            size -= QSizeF(info->leftMargin() + info->rightMargin(), info->topMargin() + info->bottomMargin());
    }
    const double left = finiteNumber(settings, kMarginLeft).value_or(0.0) * factor;
    const double top = finiteNumber(settings, kMarginTop).value_or(0.0) * factor;
    const double right = finiteNumber(settings, kMarginRight).value_or(0.0) * factor;
    const double bottom = finiteNumber(settings, kMarginBottom).value_or(0.0) * factor;
    const bool sizeOK = std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0.0
        && size.height() > 0.0;
    const bool marginsOK = left >= 0.0 && top >= 0.0 && right >= 0.0 && bottom >= 0.0
        && size.width() - left - right > 0.0 && size.height() - top - bottom > 0.0;
    if (!(factor > 0.0) || !sizeOK || !marginsOK) {
        RVLog(kStateEvent, QStringLiteral("drawing setup refused: no usable page in %1").arg(pf::describe(settings)));
        return false;
    }

    pf::UndoManager* manager = drawing->undoManager();
    if (!isPreviewOrCancel && manager && manager->isUndoRegistrationEnabled()) {
        // Undo and redo swap whole sets of settings.
        const bool replaying = manager->isUndoing() || manager->isRedoing();
        QVariantMap previous = replaying || m_drawingSetUpOriginal.isEmpty() ? drawingSettings(false)
                                                                            : m_drawingSetUpOriginal;
        previous.remove(kDocumentImage);
        manager->registerUndo(this, [this, previous] { performDrawingSetUpWithOptions(previous, false); });
    }
    {
        // The step above restores everything; the single changes register nothing of their own.
        pf::UndoRegistrationDisabled noUndo(manager);
        performDrawingPreviewWithOptions(settings);
        drawing->setDrawingSize(size);
        drawing->setMargins(left, top, right, bottom);
        if (flag(settings, kTweakMargins))
            if (pf::Ref<PWGridLayer> grid = drawing->gridLayer())
                grid->tweakDrawingMargins();
        if (!isPreviewOrCancel)
            if (pf::Ref<PWGridLayer> grid = drawing->gridLayer())
                grid->setLocked(true);
    }
    if (!isPreviewOrCancel && manager && !manager->isUndoing() && !manager->isRedoing())
        manager->setActionName(tr("Drawing Setup"));
    if (!isPreviewOrCancel)
        m_drawingSetUpOriginal.clear();
    drawing->setNeedsDisplay(true);
    return true;
}

void RVCartavelDocument::cancelDrawingSetUp()
{
    if (!m_drawingSetUpOriginal.isEmpty())
        performDrawingSetUpWithOptions(m_drawingSetUpOriginal, true);
    if (pf::Ref<PWDrawing> drawing = this->drawing())
        if (pf::Ref<PWGridLayer> grid = drawing->gridLayer()) {
            pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
            grid->setLocked(m_gridLockedBeforeSetUp);
        }
    m_drawingSetUpOriginal.clear();
}
