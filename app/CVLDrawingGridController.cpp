#include "app/CVLDrawingGridController.h"

#include "app/VNQLHelpTrampoline.h"

#include "app/CVLDrawingGridControllerDelegate.h"
#include "app/PWXMapScale.h"
#include "app/RVCartavelDocument.h"
#include "drawing/PWXBackgroundTextureController.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/OpenPanel.h"
#include "platform/ui/PageLayout.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/Sheet.h"
#include "widgets/RVDocumentPreviewView.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

PF_DEFINE_CLASS(CVLDrawingGridController, pf::WindowController)
{
    b.method("drawingSetupHelpAction:", &CVLDrawingGridController::drawingSetupHelpAction);
    b.method("graphPaperHelpAction:", &CVLDrawingGridController::graphPaperHelpAction);
    b.method("okButtonAction:", &CVLDrawingGridController::okButtonAction);
    b.method("cancelButtonAction:", &CVLDrawingGridController::cancelButtonAction);
    b.method("applyButtonAction:", &CVLDrawingGridController::applyButtonAction);
    b.method("themeColourWellAction:", &CVLDrawingGridController::themeColourWellAction);
    b.method("spanColourAction:", &CVLDrawingGridController::spanColourAction);
    b.method("divisionsColourAction:", &CVLDrawingGridController::divisionsColourAction);
    b.method("majorsColourAction:", &CVLDrawingGridController::majorsColourAction);
    b.method("paperColourAction:", &CVLDrawingGridController::paperColourAction);
    b.method("mapScaleChanged:", &CVLDrawingGridController::mapScaleChanged);
    b.method("textureController:applyTexture:", &CVLDrawingGridController::textureControllerApplyTexture);
    b.method("textureController:setBackgroundTextureName:", &CVLDrawingGridController::textureControllerSetBackgroundTextureName);
    b.method("currentBackgroundTexture", &CVLDrawingGridController::currentBackgroundTexture);
    b.method("currentBackgroundTextureName", &CVLDrawingGridController::currentBackgroundTextureName);
    // The font panel's attribute changes are accepted and change nothing.
    b.method("changeAttributes:", std::function<QVariant(CVLDrawingGridController&, const QVariantList&)>(
                                      [](CVLDrawingGridController&, const QVariantList&) { return QVariant(); }));
}

namespace {

const QString kSizeBase = QStringLiteral("kCVLDrawingSizeBaseValue");
const QString kSizeHorizontal = QStringLiteral("kCVLDrawingSizeHorizontalValue");
const QString kSizeVertical = QStringLiteral("kCVLDrawingSizeVerticalValue");
const QString kSubtractPaperMargins = QStringLiteral("kCVLSubtractPaperMargins");
const QString kMarginTop = QStringLiteral("kCVLDrawingMarginTopValue");
const QString kMarginLeft = QStringLiteral("kCVLDrawingMarginLeftValue");
const QString kMarginRight = QStringLiteral("kCVLDrawingMarginRightValue");
const QString kMarginBottom = QStringLiteral("kCVLDrawingMarginBottomValue");
const QString kUnitConversion = QStringLiteral("kCVLDrawingUnitConversionValue");
const QString kUnitString = QStringLiteral("kCVLDrawingUnitStringValue");
const QString kUnitAbbreviation = QStringLiteral("kCVLDrawingUnitAbbreviatedStringValue");
const QString kModernUnits = QStringLiteral("kCVLDrawingModernUnitsKey");
const QString kTweakMargins = QStringLiteral("kCVLDrawingTweakMarginsFlagValue");
const QString kPaperColour = QStringLiteral("kCVLPaperColourValue");
const QString kPaperColourPrintable = QStringLiteral("kCVLPaperColourPrintableValue");
const QString kPaperImageName = QStringLiteral("kCVLPaperColourImageNameValue");
const QString kGridMissing = QStringLiteral("kCVLDrawingGridMissing");
const QString kGridSpan = QStringLiteral("kCVLGridSpanMultiplierValue");
const QString kGridDivisions = QStringLiteral("kCVLGridDivisionsValue");
const QString kGridMajors = QStringLiteral("kCVLGridMajorsValue");
const QString kRulerInterval = QStringLiteral("kCVLRulerLabelIntervalValue");
const QString kGridThemeSelector = QStringLiteral("kCVLGridThemeSelectorValue");
const QString kGridThemeColour = QStringLiteral("kCVLGridThemeColourValue");
const QString kGridSpanColour = QStringLiteral("kCVLGridSpanColourValue");
const QString kGridDivisionsColour = QStringLiteral("kCVLGridDivisionsColourValue");
const QString kGridMajorsColour = QStringLiteral("kCVLGridMajorsColourValue");
const QString kGridVisible = QStringLiteral("kCVLGridVisibleValue");
const QString kPrintGrid = QStringLiteral("kCVLPrintGridFlagValue");
const QString kGridLocked = QStringLiteral("kCVLGridLockedValue");
const QString kGridType = QStringLiteral("kCVLGridTypeValue");
const QString kIsoVerticals = QStringLiteral("kCVLGridIsoShowVerticalsFlagValue");
const QString kDocumentImage = QStringLiteral("kCVLDrawingDocumentImage");
const QString kMapScaleInfo = QStringLiteral("CVLQ_MAP_SCALE_INFO_KEY");

QString tr(const char* text)
{
    return QCoreApplication::translate("CVLDrawingGridController", text);
}

double number(const QVariantMap& settings, const QString& key, double fallback = 0.0)
{
    bool ok = false;
    const double value = settings.value(key).toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

bool flag(const QVariantMap& settings, const QString& key)
{
    return pf::variantToBool(settings.value(key));
}

// A colour as the settings carry it: a colour object (which may be a pattern) or a QColor.
std::optional<pf::Color> colourValue(const QVariant& value)
{
    if (auto colour = pf::fromVariant<pf::Ref<pf::Color>>(value))
        return *colour;
    if (value.typeId() == QMetaType::QColor)
        return pf::Color(value.value<QColor>());
    return std::nullopt;
}

QVariant colourObject(const pf::Color& colour)
{
    return pf::toVariant(std::make_shared<pf::Color>(colour));
}

// The units the sheet offers, in menu order.
QList<pf::Ref<RVUnitLength>> offeredUnits()
{
    return {RVUnitLength::points(), RVUnitLength::millimeters(), RVUnitLength::centimeters(), RVUnitLength::inches()};
}

QDoubleSpinBox* lengthField(QWidget* parent)
{
    auto* field = new QDoubleSpinBox(parent);
    field->setRange(0.0, 1e6);
    field->setDecimals(3);
    field->setKeyboardTracking(false);
    return field;
}

QSpinBox* countField(QWidget* parent, int minimum, int maximum)
{
    auto* field = new QSpinBox(parent);
    field->setRange(minimum, maximum);
    field->setKeyboardTracking(false);
    return field;
}

void setChecked(QAbstractButton* button, bool on)
{
    if (!button)
        return;
    QSignalBlocker block(button);
    button->setChecked(on);
}

void setFieldValue(QDoubleSpinBox* field, double value)
{
    if (!field)
        return;
    QSignalBlocker block(field);
    field->setValue(value);
}

void setFieldValue(QSpinBox* field, int value)
{
    if (!field)
        return;
    QSignalBlocker block(field);
    field->setValue(value);
}

} // namespace

pf::Ref<CVLDrawingGridController> CVLDrawingGridController::drawingGridController()
{
    return std::make_shared<CVLDrawingGridController>();
}

CVLDrawingGridController::CVLDrawingGridController() : pf::WindowController(QStringLiteral("CartavelGridUI(V2)")) {}

CVLDrawingGridController::~CVLDrawingGridController()
{
    if (m_textureController)
        m_textureController->setDelegate(nullptr);
}

// --- Window ----------------------------------------------------------------------------------------

void CVLDrawingGridController::loadWindow()
{
    buildWindow();
    setWindow(m_dialog);
    // The page last asked for, and the units menu.
    selectPage(m_currentSettings.value(kInitialPageIndexKey, 0u).toUInt());
    if (!m_originalSettings.isEmpty())
        setSettingsWithDictionary(m_originalSettings);
}

void CVLDrawingGridController::buildWindow()
{
    auto* dialog = new QDialog;
    dialog->setWindowTitle(tr("Drawing Setup"));
    m_dialog = dialog;
    auto* outer = new QVBoxLayout(dialog);
    m_tabs = new QTabWidget(dialog);
    outer->addWidget(m_tabs);

    // The setup page.
    auto* setup = new QWidget;
    auto* setupLayout = new QHBoxLayout(setup);
    auto* form = new QFormLayout;
    setupLayout->addLayout(form);
    m_width = lengthField(setup);
    m_height = lengthField(setup);
    form->addRow(tr("Width:"), m_width);
    form->addRow(tr("Height:"), m_height);
    m_units = new QComboBox(setup);
    m_units->setToolTip(tr("Drawing Units"));
    for (const pf::Ref<RVUnitLength>& unit : offeredUnits())
        m_units->addItem(unit->fullName(), pf::toVariant(unit));
    form->addRow(tr("Drawing units:"), m_units);
    m_subtractMargins = new QCheckBox(tr("Subtract paper margins"), setup);
    form->addRow(m_subtractMargins);
    m_marginLeft = lengthField(setup);
    m_marginTop = lengthField(setup);
    m_marginRight = lengthField(setup);
    m_marginBottom = lengthField(setup);
    form->addRow(tr("Left margin:"), m_marginLeft);
    form->addRow(tr("Top margin:"), m_marginTop);
    form->addRow(tr("Right margin:"), m_marginRight);
    form->addRow(tr("Bottom margin:"), m_marginBottom);
    m_adjustMargins = new QCheckBox(tr("Adjust margins to fit the grid"), setup);
    form->addRow(m_adjustMargins);
    auto* prescaleRow = new QHBoxLayout;
    m_prescale = new QDoubleSpinBox(setup);
    m_prescale->setRange(0.01, 100.0);
    m_prescale->setDecimals(2);
    m_prescale->setSingleStep(0.1);
    m_prescale->setKeyboardTracking(false);
    m_prescaleSlider = new QSlider(Qt::Horizontal, setup);
    m_prescaleSlider->setRange(1, 1000); // hundredths
    prescaleRow->addWidget(m_prescaleSlider);
    prescaleRow->addWidget(m_prescale);
    form->addRow(tr("Symbol prescale:"), prescaleRow);

    auto* paper = new QFormLayout;
    setupLayout->addLayout(paper);
    m_pagePreview = new RVDocumentPreviewView(setup);
    m_pagePreview->setMinimumSize(180, 180);
    paper->addRow(m_pagePreview);
    auto* paperRow = new QHBoxLayout;
    m_paperWell = new pf::ColorWell(setup);
    m_paperWell->setMinimumSize(44, 24);
    m_paperWell->setTarget(this);
    m_paperWell->setAction(QStringLiteral("paperColourAction:"));
    m_paperImage = new QPushButton(tr("Image\u2026"), setup);
    m_texturePopUp = new QPushButton(setup);
    paperRow->addWidget(m_paperWell);
    paperRow->addWidget(m_paperImage);
    paperRow->addWidget(m_texturePopUp);
    paper->addRow(tr("Paper:"), paperRow);
    m_paperPrintable = new QCheckBox(tr("Print paper colour"), setup);
    paper->addRow(m_paperPrintable);
    auto* pageSetup = new QPushButton(tr("Page Setup\u2026"), setup);
    auto* setDefault = new QPushButton(tr("Set as Default"), setup);
    paper->addRow(pageSetup);
    paper->addRow(setDefault);
    m_tabs->addTab(setup, tr("Drawing"));

    // The graph-paper page.
    auto* graph = new QWidget;
    graph->setObjectName(kGraphPaperTabIdentifier);
    m_graphPaperPage = graph;
    auto* grid = new QFormLayout(graph);
    auto* spanRow = new QHBoxLayout;
    m_span = new QDoubleSpinBox(graph);
    m_span->setRange(0.001, 1e5);
    m_span->setDecimals(3);
    m_span->setKeyboardTracking(false);
    m_spanUnits = new QLabel(graph);
    spanRow->addWidget(m_span);
    spanRow->addWidget(m_spanUnits);
    grid->addRow(tr("Grid span:"), spanRow);
    m_divisions = countField(graph, 1, 1000);
    m_majors = countField(graph, 1, 1000);
    m_rulerInterval = countField(graph, 1, 1000);
    grid->addRow(tr("Divisions:"), m_divisions);
    grid->addRow(tr("Majors:"), m_majors);
    grid->addRow(tr("Ruler label interval:"), m_rulerInterval);
    m_themeMatrix = new QButtonGroup(graph);
    auto* single = new QRadioButton(tr("One theme colour"), graph);
    auto* separate = new QRadioButton(tr("Separate colours"), graph);
    m_themeMatrix->addButton(single, 0);
    m_themeMatrix->addButton(separate, 1);
    auto makeWell = [graph, this](const QString& action) {
        auto* well = new pf::ColorWell(graph);
        well->setMinimumSize(44, 24);
        well->setTarget(this);
        well->setAction(action);
        return well;
    };
    m_themeWell = makeWell(QStringLiteral("themeColourWellAction:"));
    m_spanWell = makeWell(QStringLiteral("spanColourAction:"));
    m_divisionsWell = makeWell(QStringLiteral("divisionsColourAction:"));
    m_majorsWell = makeWell(QStringLiteral("majorsColourAction:"));
    auto* themeRow = new QHBoxLayout;
    themeRow->addWidget(single);
    themeRow->addWidget(m_themeWell);
    grid->addRow(themeRow);
    auto* coloursRow = new QHBoxLayout;
    coloursRow->addWidget(separate);
    coloursRow->addWidget(new QLabel(tr("Span"), graph));
    coloursRow->addWidget(m_spanWell);
    coloursRow->addWidget(new QLabel(tr("Divisions"), graph));
    coloursRow->addWidget(m_divisionsWell);
    coloursRow->addWidget(new QLabel(tr("Majors"), graph));
    coloursRow->addWidget(m_majorsWell);
    grid->addRow(coloursRow);
    m_gridType = new QComboBox(graph);
    m_gridType->addItem(tr("Square"), 0);
    m_gridType->addItem(tr("Isometric"), 1);
    grid->addRow(tr("Grid type:"), m_gridType);
    auto* graphHelp = new QPushButton(QStringLiteral("?"), graph);
    graphHelp->setToolTip(tr("Help"));
    graphHelp->setFixedWidth(32);
    QObject::connect(graphHelp, &QPushButton::clicked, graph, [this] { graphPaperHelpAction(); });
    grid->addRow(graphHelp);
    m_isoVerticals = new QCheckBox(tr("Show vertical lines"), graph);
    grid->addRow(m_isoVerticals);
    m_gridVisible = new QCheckBox(tr("Grid visible"), graph);
    m_printGrid = new QCheckBox(tr("Print grid"), graph);
    grid->addRow(m_gridVisible);
    grid->addRow(m_printGrid);
    m_tabs->addTab(graph, tr("Graph Paper"));
    // The index-grid page is never available: no drawing has an index grid.
    m_indexGridPage = new QWidget;
    m_indexGridPage->setObjectName(kIndexGridTabIdentifier);

    // Buttons.
    auto* buttons = new QHBoxLayout;
    m_preview = new QCheckBox(tr("Preview"), dialog);
    m_apply = new QPushButton(tr("Apply"), dialog);
    m_cancel = new QPushButton(tr("Cancel"), dialog);
    m_ok = new QPushButton(tr("OK"), dialog);
    m_ok->setDefault(true);
    auto* help = new QPushButton(QStringLiteral("?"), dialog);
    help->setToolTip(tr("Help"));
    help->setFixedWidth(32);
    QObject::connect(help, &QPushButton::clicked, dialog, [this] { drawingSetupHelpAction(); });
    buttons->addWidget(help);
    buttons->addWidget(m_preview);
    buttons->addStretch();
    buttons->addWidget(m_apply);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_ok);
    outer->addLayout(buttons);

    m_textureController = std::make_shared<PWXBackgroundTextureController>();
    m_textureController->setDelegate(this);
    m_textureController->setPopUpButton(m_texturePopUp);

    // Wiring: every signal used here is sent for the user's edits only (or blocked while the
    // controls are loaded).
    QObject::connect(m_ok, &QPushButton::clicked, dialog, [this] { okButtonAction(); });
    QObject::connect(m_cancel, &QPushButton::clicked, dialog, [this] { cancelButtonAction(); });
    QObject::connect(m_apply, &QPushButton::clicked, dialog, [this] { applyButtonAction(); });
    QObject::connect(dialog, &QDialog::rejected, dialog, [this] {
        if (m_isOpen)
            cancelButtonAction();
    });
    QObject::connect(m_preview, &QCheckBox::clicked, dialog, [this] { previewCheckBoxAction(); });
    QObject::connect(m_width, &QDoubleSpinBox::valueChanged, dialog, [this] { drawingSizeHFieldAction(); });
    QObject::connect(m_height, &QDoubleSpinBox::valueChanged, dialog, [this] { drawingSizeVFieldAction(); });
    QObject::connect(m_units, &QComboBox::activated, dialog, [this] { drawingUnitsPopUpAction(); });
    QObject::connect(m_subtractMargins, &QCheckBox::clicked, dialog, [this] { subtractMarginsAction(); });
    const QList<std::pair<QDoubleSpinBox*, QString>> margins{
        {m_marginLeft, kMarginLeft}, {m_marginTop, kMarginTop}, {m_marginRight, kMarginRight}, {m_marginBottom, kMarginBottom}};
    for (const auto& [field, key] : margins)
        QObject::connect(field, &QDoubleSpinBox::valueChanged, dialog, [this, key = key] { marginTextFieldAction(key); });
    QObject::connect(m_adjustMargins, &QCheckBox::clicked, dialog, [this] { adjustMarginCheckboxAction(); });
    QObject::connect(m_prescale, &QDoubleSpinBox::valueChanged, dialog, [this](double value) { prescaleAction(value); });
    QObject::connect(m_prescaleSlider, &QSlider::valueChanged, dialog, [this](int value) { prescaleAction(value / 100.0); });
    QObject::connect(m_span, &QDoubleSpinBox::valueChanged, dialog, [this](double value) { gridNumberAction(kGridSpan, value); });
    QObject::connect(m_divisions, &QSpinBox::valueChanged, dialog, [this](int value) { gridNumberAction(kGridDivisions, value); });
    QObject::connect(m_majors, &QSpinBox::valueChanged, dialog, [this](int value) { gridNumberAction(kGridMajors, value); });
    QObject::connect(m_rulerInterval, &QSpinBox::valueChanged, dialog,
                     [this](int value) { gridNumberAction(kRulerInterval, value); });
    QObject::connect(m_themeMatrix, &QButtonGroup::idClicked, dialog, [this](int tag) { themeMatrixAction(tag); });
    QObject::connect(m_gridType, &QComboBox::activated, dialog, [this] { gridTypeAction(); });
    QObject::connect(m_isoVerticals, &QCheckBox::clicked, dialog, [this] { isoGridVerticalsVisibleAction(); });
    QObject::connect(m_gridVisible, &QCheckBox::clicked, dialog, [this] { gridVisibleAction(); });
    QObject::connect(m_printGrid, &QCheckBox::clicked, dialog, [this] { printGridCheckBoxAction(); });
    QObject::connect(m_paperPrintable, &QCheckBox::clicked, dialog, [this] { paperColourPrintableAction(); });
    QObject::connect(m_paperImage, &QPushButton::clicked, dialog, [this] { paperImageButtonAction(); });
    QObject::connect(pageSetup, &QPushButton::clicked, dialog, [this] { pageSetupAction(); });
    QObject::connect(setDefault, &QPushButton::clicked, dialog, [this] { setDrawingSizeDefaultsAction(); });
    m_apply->setEnabled(!m_preview->isChecked());
}

void CVLDrawingGridController::endEditing()
{
    // Typed text that was not yet taken in is taken in now.
    for (QAbstractSpinBox* field : {static_cast<QAbstractSpinBox*>(m_width), static_cast<QAbstractSpinBox*>(m_height),
                                    static_cast<QAbstractSpinBox*>(m_marginLeft), static_cast<QAbstractSpinBox*>(m_marginTop),
                                    static_cast<QAbstractSpinBox*>(m_marginRight), static_cast<QAbstractSpinBox*>(m_marginBottom),
                                    static_cast<QAbstractSpinBox*>(m_span)})
        if (field && field->hasFocus())
            field->interpretText();
}

// --- Opening -------------------------------------------------------------------------------------

void CVLDrawingGridController::beginDialogWithParentWindow(QWidget* parent, CVLDrawingGridControllerDelegate* delegate,
                                                           unsigned page)
{
    m_delegate = delegate;
    if (!m_hasCurrentSettings) {
        m_currentSettings.clear();
        m_hasCurrentSettings = true;
    }
    if (m_delegate) {
        if (std::optional<QVariantMap> settings = m_delegate->dictionaryOfDrawingSettings()) {
            m_originalSettings = *settings;
            m_hasIndexGrid = false;
            if (!isWindowLoaded())
                window(); // loading takes the original settings in
            else
                setSettingsWithDictionary(m_originalSettings);
        }
    }
    window();
    selectPage(page);
    m_currentSettings[kInitialPageIndexKey] = page;
    if (m_isOpen)
        return;
    m_isOpen = true;
    if (parent) {
        std::weak_ptr<CVLDrawingGridController> weak = std::static_pointer_cast<CVLDrawingGridController>(ref<pf::Object>());
        pf::Sheet::beginSheet(m_dialog, parent->window(), [weak](int returnCode) {
            if (pf::Ref<CVLDrawingGridController> self = weak.lock())
                self->dialogDidEnd(returnCode);
        });
    } else {
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->show();
    }
}

void CVLDrawingGridController::selectPage(unsigned page)
{
    if (!m_tabs)
        return;
    switch (page) {
    case 1:
        if (m_hasDrawingGrid && m_graphPaperPage && m_tabs->indexOf(m_graphPaperPage) >= 0)
            m_tabs->setCurrentWidget(m_graphPaperPage);
        break;
    case 2:
        // The index grid never exists: the page stays as it is.
        if (!m_hasIndexGrid)
            pf::Application::beep();
        break;
    default:
        m_tabs->setCurrentIndex(0);
        break;
    }
}

int CVLDrawingGridController::selectedPage() const
{
    if (!m_tabs)
        return 0;
    return m_tabs->currentWidget() == m_graphPaperPage ? 1 : 0;
}

bool CVLDrawingGridController::hasGraphPaperPage() const
{
    return m_tabs && m_graphPaperPage && m_tabs->indexOf(m_graphPaperPage) >= 0;
}

QVariant CVLDrawingGridController::mapScale() const
{
    return m_currentSettings.value(kMapScaleInfo);
}

// --- Loading settings ------------------------------------------------------------------------------

void CVLDrawingGridController::setSettingsWithDictionary(const QVariantMap& settings)
{
    if (&settings != &m_currentSettings) {
        const QVariant page = m_currentSettings.value(kInitialPageIndexKey);
        m_currentSettings = settings;
        if (page.isValid() && !m_currentSettings.contains(kInitialPageIndexKey))
            m_currentSettings[kInitialPageIndexKey] = page;
    }
    // The sheet has no map-scale page: the map scale is never edited or handed back.
    m_currentSettings.remove(kMapScaleInfo);
    if (!m_dialog)
        return;

    setFieldValue(m_width, number(m_currentSettings, kSizeHorizontal));
    setFieldValue(m_height, number(m_currentSettings, kSizeVertical));
    m_pagePreview->setAspect(QSizeF(number(m_currentSettings, kSizeHorizontal), number(m_currentSettings, kSizeVertical)));
    const QVariant image = m_currentSettings.value(kDocumentImage);
    if (image.typeId() == QMetaType::QImage)
        m_pagePreview->setContentImage(pf::Image::fromQImage(image.value<QImage>()));
    else
        m_pagePreview->setContentImage(pf::fromVariant<pf::Ref<pf::Image>>(image));

    setChecked(m_subtractMargins, flag(m_currentSettings, kSubtractPaperMargins));
    if (auto unit = pf::fromVariant<pf::Ref<RVUnitLength>>(m_currentSettings.value(kModernUnits)))
        setupUIForUnits(unit);
    const std::optional<pf::Color> paper = colourValue(m_currentSettings.value(kPaperColour));
    m_paperWell->setColor(paper.value_or(pf::Color::white()));
    m_pagePreview->setDocumentColour(paper.value_or(pf::Color()));
    setChecked(m_paperPrintable, flag(m_currentSettings, kPaperColourPrintable));
    setFieldValue(m_marginLeft, number(m_currentSettings, kMarginLeft));
    setFieldValue(m_marginTop, number(m_currentSettings, kMarginTop));
    setFieldValue(m_marginRight, number(m_currentSettings, kMarginRight));
    setFieldValue(m_marginBottom, number(m_currentSettings, kMarginBottom));
    setChecked(m_adjustMargins, flag(m_currentSettings, kTweakMargins));
    const double prescale = number(m_currentSettings, kPrescaleKey, 1.0);
    setFieldValue(m_prescale, prescale);
    {
        QSignalBlocker block(m_prescaleSlider);
        m_prescaleSlider->setValue(int(std::lround(prescale * 100.0)));
    }

    m_hasDrawingGrid = !flag(m_currentSettings, kGridMissing);
    if (!m_hasDrawingGrid) {
        if (const int index = m_tabs->indexOf(m_graphPaperPage); index >= 0)
            m_tabs->removeTab(index);
    } else {
        setFieldValue(m_span, number(m_currentSettings, kGridSpan, 1.0));
        setFieldValue(m_divisions, int(number(m_currentSettings, kGridDivisions, 1.0)));
        setFieldValue(m_majors, int(number(m_currentSettings, kGridMajors, 1.0)));
        setChecked(m_printGrid, flag(m_currentSettings, kPrintGrid));
        setFieldValue(m_rulerInterval, int(number(m_currentSettings, kRulerInterval, 1.0)));
        m_themeWell->setColor(colourValue(m_currentSettings.value(kGridThemeColour)).value_or(pf::Color::grey()));
        m_spanWell->setColor(colourValue(m_currentSettings.value(kGridSpanColour)).value_or(pf::Color::grey()));
        m_divisionsWell->setColor(colourValue(m_currentSettings.value(kGridDivisionsColour)).value_or(pf::Color::grey()));
        m_majorsWell->setColor(colourValue(m_currentSettings.value(kGridMajorsColour)).value_or(pf::Color::grey()));
        if (QAbstractButton* cell = m_themeMatrix->button(int(number(m_currentSettings, kGridThemeSelector))))
            setChecked(cell, true);
        setChecked(m_gridVisible, flag(m_currentSettings, kGridVisible));
        const int type = int(number(m_currentSettings, kGridType));
        if (const int item = m_gridType->findData(type); item >= 0) {
            QSignalBlocker block(m_gridType);
            m_gridType->setCurrentIndex(item);
        }
        setChecked(m_isoVerticals, flag(m_currentSettings, kIsoVerticals));
        m_isoVerticals->setHidden(type == 0);
    }
    validateCurrentSettings();
    if (m_textureController)
        m_textureController->sync();
}

void CVLDrawingGridController::validateCurrentSettings()
{
    if (!m_dialog)
        return;
    const bool locked = flag(m_currentSettings, kGridLocked);
    const bool theme = int(number(m_currentSettings, kGridThemeSelector)) == 0;
    m_themeWell->setEnabled(theme && !locked);
    m_spanWell->setEnabled(!theme && !locked);
    m_divisionsWell->setEnabled(!theme && !locked);
    m_majorsWell->setEnabled(!theme && !locked);
    for (QWidget* control : {static_cast<QWidget*>(m_span), static_cast<QWidget*>(m_divisions), static_cast<QWidget*>(m_majors),
                             static_cast<QWidget*>(m_rulerInterval), static_cast<QWidget*>(m_printGrid),
                             static_cast<QWidget*>(m_gridVisible)})
        control->setEnabled(!locked);
    for (QAbstractButton* cell : m_themeMatrix->buttons())
        cell->setEnabled(!locked);
}

// --- Units ------------------------------------------------------------------------------------------

void CVLDrawingGridController::setupUIForUnits(const pf::Ref<RVUnitLength>& unit)
{
    if (!unit)
        throw pf::InternalInconsistencyException(kUnitsAssertion,
                                                 {{QStringLiteral("file"), QStringLiteral("Source/Code/CVLDrawingGridController")}});
    endEditing();
    selectUnitsMenuItemForUnits(unit);
    setNewConversionFactor(unit->conversionFactorForPoints());
    m_currentSettings[kUnitString] = unit->fullName();
    m_currentSettings[kUnitAbbreviation] = unit->symbol();
    if (!m_dialog)
        return;
    m_spanUnits->setText(unit->symbol());
    const QString suffix = QLatin1Char(' ') + unit->symbol();
    for (QDoubleSpinBox* field : {m_width, m_height, m_marginLeft, m_marginTop, m_marginRight, m_marginBottom})
        field->setSuffix(suffix);
}

void CVLDrawingGridController::selectUnitsMenuItemForUnits(const pf::Ref<RVUnitLength>& unit)
{
    if (!m_units || !unit)
        return;
    for (int i = 0; i < m_units->count(); ++i)
        if (unit->isEqualToUnit(pf::fromVariant<pf::Ref<RVUnitLength>>(m_units->itemData(i)))) {
            QSignalBlocker block(m_units);
            m_units->setCurrentIndex(i);
            return;
        }
    // A unit the menu does not offer leaves the selection as it is.
}

void CVLDrawingGridController::setNewConversionFactor(double factor)
{
    if (!(factor > 0.0) || !std::isfinite(factor))
        return;
    const double previous = number(m_currentSettings, kUnitConversion);
    // Settings written earlier carry the factor in single precision: a factor equal in that
    // precision is the same unit, and converting by the tiny difference would drift lengths.
    if (float(previous) == float(factor))
        return;
    m_currentSettings[kUnitConversion] = factor;
    if (!(previous > 0.0))
        return;
    for (const QString& key : {kMarginLeft, kMarginTop, kMarginRight, kMarginBottom, kSizeHorizontal, kSizeVertical})
        if (m_currentSettings.contains(key))
            m_currentSettings[key] = number(m_currentSettings, key) * previous / factor;
}

void CVLDrawingGridController::drawingUnitsPopUpAction(const QVariant&)
{
    endEditing();
    auto unit = pf::fromVariant<pf::Ref<RVUnitLength>>(m_units->currentData());
    if (!unit)
        return;
    m_currentSettings[kModernUnits] = pf::toVariant(unit);
    setupUIForUnits(unit);
    setSettingsWithDictionary(m_currentSettings);
    conditionallyPreview();
}

// --- Preview, apply, end ------------------------------------------------------------------------------

void CVLDrawingGridController::conditionallyPreview()
{
    if (!m_delegate || !m_delegate->performsDrawingSetUp())
        return;
    if (m_preview && m_preview->isChecked()) {
        m_delegate->performDrawingSetUpWithOptions(QVariantMap(m_currentSettings), true);
    } else if (!m_originalSettings.isEmpty()) {
        // The drawing shows its state from before the sheet.
        m_delegate->performDrawingSetUpWithOptions(m_originalSettings, true);
    }
}

void CVLDrawingGridController::previewCheckBoxAction(const QVariant&)
{
    m_apply->setEnabled(!m_preview->isChecked());
    conditionallyPreview();
}

void CVLDrawingGridController::applyButtonAction(const QVariant&)
{
    if (!m_delegate || !m_delegate->performsDrawingSetUp())
        return;
    endEditing();
    const QVariantMap applied = m_currentSettings;
    m_delegate->performDrawingSetUpWithOptions(applied, false);
    if (flag(applied, kTweakMargins)) {
        if (std::optional<QVariantMap> now = m_delegate->dictionaryOfDrawingSettings()) {
            for (const QString& key : {kMarginTop, kMarginLeft, kMarginBottom, kMarginRight})
                m_currentSettings[key] = now->value(key);
            setSettingsWithDictionary(m_currentSettings);
        }
    }
}

void CVLDrawingGridController::okButtonAction(const QVariant&)
{
    endEditing();
    if (m_dialog && pf::Sheet::isSheet(m_dialog))
        pf::Sheet::endSheet(m_dialog, 1);
    else
        dialogDidEnd(1);
}

void CVLDrawingGridController::cancelButtonAction(const QVariant&)
{
    if (m_dialog && pf::Sheet::isSheet(m_dialog))
        pf::Sheet::endSheet(m_dialog, 0);
    else
        dialogDidEnd(0);
}

void CVLDrawingGridController::deactivateWells()
{
    for (pf::ColorWell* well : {m_paperWell, m_themeWell, m_spanWell, m_divisionsWell, m_majorsWell})
        if (well && well->isActive())
            well->deactivate();
}

void CVLDrawingGridController::dialogDidEnd(int returnCode)
{
    if (!m_isOpen)
        return;
    m_isOpen = false;
    endEditing();
    deactivateWells();
    CVLDrawingGridControllerDelegate* delegate = m_delegate;
    if (delegate && delegate->performsDrawingSetUp()) {
        if (returnCode == 0 && !m_originalSettings.isEmpty())
            delegate->performDrawingSetUpWithOptions(m_originalSettings, true);
        else if (returnCode == 1 && !m_currentSettings.isEmpty())
            delegate->performDrawingSetUpWithOptions(QVariantMap(m_currentSettings), false);
    }
    if (m_textureController)
        m_textureController->finish();
    if (m_dialog)
        m_dialog->hide();
    if (delegate && (returnCode == 0 || returnCode == 1))
        delegate->drawingSetUpDidEnd(returnCode);
}

// --- Field actions ------------------------------------------------------------------------------------

void CVLDrawingGridController::sizeFieldChanged(bool horizontal)
{
    QDoubleSpinBox* field = horizontal ? m_width : m_height;
    const double value = field->value();
    m_currentSettings[horizontal ? kSizeHorizontal : kSizeVertical] = value;
    const double points = value * number(m_currentSettings, kUnitConversion, 1.0);
    QSizeF size = m_currentSettings.value(kSizeBase).toSizeF();
    if (horizontal)
        size.setWidth(points);
    else
        size.setHeight(points);
    m_currentSettings[kSizeBase] = size;
    m_currentSettings[kSizeCustomKey] = size;
    setSettingsWithDictionary(m_currentSettings);
    conditionallyPreview();
}

void CVLDrawingGridController::drawingSizeHFieldAction(const QVariant&)
{
    sizeFieldChanged(true);
}

void CVLDrawingGridController::drawingSizeVFieldAction(const QVariant&)
{
    sizeFieldChanged(false);
}

void CVLDrawingGridController::subtractMarginsAction(const QVariant&)
{
    m_currentSettings[kSubtractPaperMargins] = m_subtractMargins->isChecked();
    conditionallyPreview();
}

QDoubleSpinBox* CVLDrawingGridController::marginField(const QString& key) const
{
    if (key == kMarginLeft)
        return m_marginLeft;
    if (key == kMarginTop)
        return m_marginTop;
    if (key == kMarginRight)
        return m_marginRight;
    if (key == kMarginBottom)
        return m_marginBottom;
    return nullptr;
}

void CVLDrawingGridController::marginTextFieldAction(const QString& key)
{
    if (QDoubleSpinBox* field = marginField(key)) {
        m_currentSettings[key] = field->value();
        conditionallyPreview();
    }
}

void CVLDrawingGridController::adjustMarginCheckboxAction(const QVariant&)
{
    m_currentSettings[kTweakMargins] = m_adjustMargins->isChecked();
    conditionallyPreview();
}

void CVLDrawingGridController::prescaleAction(double value)
{
    if (!(value > 0.0) || !std::isfinite(value))
        return;
    m_currentSettings[kPrescaleKey] = float(value);
    setFieldValue(m_prescale, value);
    QSignalBlocker block(m_prescaleSlider);
    m_prescaleSlider->setValue(int(std::lround(value * 100.0)));
}

void CVLDrawingGridController::gridNumberAction(const QString& key, const QVariant& value)
{
    m_currentSettings[key] = value;
    conditionallyPreview();
}

void CVLDrawingGridController::themeMatrixAction(int tag)
{
    m_currentSettings[kGridThemeSelector] = tag;
    validateCurrentSettings();
    conditionallyPreview();
}

void CVLDrawingGridController::setColourKey(const QString& key, pf::ColorWell* well)
{
    m_currentSettings[key] = well->color().qColor();
    conditionallyPreview();
}

void CVLDrawingGridController::themeColourWellAction(const QVariant&)
{
    const pf::Color colour = m_themeWell->color();
    setColourKey(kGridThemeColour, m_themeWell);
    // The other wells show the theme's shades; their keys change when the user acts on them.
    m_spanWell->setColor(colour);
    m_divisionsWell->setColor(colour.lighterColorWithLevel(0.5));
    m_majorsWell->setColor(colour.darkerColorWithLevel(0.33));
}

void CVLDrawingGridController::spanColourAction(const QVariant&)
{
    setColourKey(kGridSpanColour, m_spanWell);
}

void CVLDrawingGridController::divisionsColourAction(const QVariant&)
{
    setColourKey(kGridDivisionsColour, m_divisionsWell);
}

void CVLDrawingGridController::majorsColourAction(const QVariant&)
{
    setColourKey(kGridMajorsColour, m_majorsWell);
}

void CVLDrawingGridController::printGridCheckBoxAction(const QVariant&)
{
    m_currentSettings[kPrintGrid] = m_printGrid->isChecked();
}

void CVLDrawingGridController::gridVisibleAction(const QVariant&)
{
    m_currentSettings[kGridVisible] = m_gridVisible->isChecked();
    conditionallyPreview();
}

void CVLDrawingGridController::gridTypeAction(const QVariant&)
{
    const int type = m_gridType->currentData().toInt();
    m_currentSettings[kGridType] = type;
    m_isoVerticals->setHidden(type == 0);
    conditionallyPreview();
}

void CVLDrawingGridController::isoGridVerticalsVisibleAction(const QVariant&)
{
    m_currentSettings[kIsoVerticals] = m_isoVerticals->isChecked();
    conditionallyPreview();
}

void CVLDrawingGridController::paperColourAction(const QVariant&)
{
    m_currentSettings[kPaperColour] = colourObject(m_paperWell->color());
    m_pagePreview->setDocumentColour(m_paperWell->color());
    conditionallyPreview();
}

void CVLDrawingGridController::paperColourPrintableAction(const QVariant&)
{
    m_currentSettings[kPaperColourPrintable] = m_paperPrintable->isChecked();
}

// --- Paper image, page setup, defaults ----------------------------------------------------------------

QStringList CVLDrawingGridController::paperImageFileTypes()
{
    QStringList types;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        types.append(QString::fromLatin1(format).toLower());
    types.removeDuplicates();
    return types;
}

bool CVLDrawingGridController::setPaperImageFromFile(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    // Only files that really hold an image of a type the panel offers.
    if (!reader.canRead() || !paperImageFileTypes().contains(QString::fromLatin1(reader.format()).toLower()))
        return false;
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    const pf::Color pattern = pf::Color::patternWithImage(image);
    m_currentSettings[kPaperColour] = colourObject(pattern);
    if (m_paperWell)
        m_paperWell->setColor(pattern);
    if (m_pagePreview)
        m_pagePreview->setDocumentColour(pattern);
    conditionallyPreview();
    return true;
}

void CVLDrawingGridController::paperImageButtonAction(const QVariant&)
{
    auto panel = std::make_shared<pf::OpenPanel>();
    panel->setCanChooseFiles(true);
    panel->setCanChooseDirectories(false);
    panel->setAllowsMultipleSelection(false);
    panel->setAllowedFileTypes(paperImageFileTypes());
    std::weak_ptr<CVLDrawingGridController> weak = std::static_pointer_cast<CVLDrawingGridController>(ref<pf::Object>());
    panel->beginSheetModal(m_dialog, [weak, panel](int result) {
        pf::Ref<CVLDrawingGridController> self = weak.lock();
        if (!self || result != pf::kModalResponseOK || panel->URLs().isEmpty())
            return;
        const QString path = panel->URLs().constFirst().toLocalFile();
        if (!self->setPaperImageFromFile(path)) {
            auto alert = std::make_shared<pf::Alert>();
            alert->setMessageText(tr("The paper image could not be used."));
            alert->setInformativeText(tr("\u201c%1\u201d is not an image that can be read.").arg(QFileInfo(path).fileName()));
            alert->beginSheetModal(self->dialog(), [alert](int) {});
        }
    });
}

void CVLDrawingGridController::pageSetupAction(const QVariant&)
{
    pf::Ref<pf::PrintInfo> info = m_delegate ? m_delegate->printInfo() : nullptr;
    if (!info)
        info = std::make_shared<pf::PrintInfo>();
    std::weak_ptr<CVLDrawingGridController> weak = std::static_pointer_cast<CVLDrawingGridController>(ref<pf::Object>());
    pf::PageLayout::beginSheet(info, m_dialog, [weak, info](int result) {
        pf::Ref<CVLDrawingGridController> self = weak.lock();
        if (self && result == pf::kModalResponseOK && self->m_delegate)
            self->m_delegate->setPrintInfo(info);
    });
}

void CVLDrawingGridController::setDrawingSizeDefaultsAction(const QVariant&)
{
    endEditing();
    const QSizeF size = m_currentSettings.value(kSizeBase).toSizeF();
    if (size.width() > 0.0 && size.height() > 0.0)
        RVCartavelDocument::setDefaultDrawingSize(size);
    const float factor = float(number(m_currentSettings, kUnitConversion, 1.0));
    RVCartavelDocument::setDefaultDrawingMargins(QRectF(float(number(m_currentSettings, kMarginTop)) * factor,
                                                        float(number(m_currentSettings, kMarginLeft)) * factor,
                                                        float(number(m_currentSettings, kMarginBottom)) * factor,
                                                        float(number(m_currentSettings, kMarginRight)) * factor));
    // The working copy never holds the map scale: the default takes the drawing's own.
    if (auto scale = pf::fromVariant<pf::Ref<PWXMapScale>>(m_originalSettings.value(kMapScaleInfo)))
        RVCartavelDocument::setDefaultDrawingScale(scale);
    if (auto unit = pf::fromVariant<pf::Ref<RVUnitLength>>(m_currentSettings.value(kModernUnits)))
        RVCartavelDocument::setDefaultDrawingUnits(unit);
}

// --- Background texture controller ------------------------------------------------------------------

void CVLDrawingGridController::textureControllerApplyTexture(const QVariant&, const QVariant& colour)
{
    const std::optional<pf::Color> given = colourValue(colour);
    m_currentSettings[kPaperColour] = colourObject(given.value_or(pf::Color::white()));
    if (m_pagePreview)
        m_pagePreview->setDocumentColour(given.value_or(pf::Color()));
    if (m_paperWell)
        m_paperWell->setColor(given.value_or(pf::Color::white()));
    conditionallyPreview();
}

void CVLDrawingGridController::textureControllerSetBackgroundTextureName(const QVariant&, const QVariant& name)
{
    if (pf::isNilOrNull(name) || name.toString().isEmpty())
        m_currentSettings.remove(kPaperImageName);
    else
        m_currentSettings[kPaperImageName] = name.toString();
    conditionallyPreview();
}

QVariant CVLDrawingGridController::currentBackgroundTexture() const
{
    if (std::optional<pf::Color> colour = colourValue(m_currentSettings.value(kPaperColour)))
        return colourObject(*colour);
    return {};
}

QString CVLDrawingGridController::currentBackgroundTextureName() const
{
    return m_currentSettings.value(kPaperImageName).toString();
}

void CVLDrawingGridController::drawingSetupHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::showHelpItemNamedByApplicationDelegate(QStringLiteral("Setting_Up_a_New_Drawing"));
}

void CVLDrawingGridController::graphPaperHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::showHelpItemNamedByApplicationDelegate(QStringLiteral("graph-paper"));
}
