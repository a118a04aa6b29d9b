#include "app/CVLVectorizingOptionsController.h"

#include "app/CVLVectorizingPreviewView.h"
#include "frameworks/penwork/tracing/ImageVectorizing.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/Slider.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

PF_DEFINE_CLASS(CVLVectorizingOptionsController, pf::WindowController)
{
    using C = CVLVectorizingOptionsController;
    b.method("cancelAction:", &C::cancelAction);
    b.method("vectorizeAction:", &C::vectorizeAction);
    b.method("colorGrayscaleAction:", &C::colorGrayscaleAction);
    b.method("levelsAction:", &C::levelsAction);
    b.method("turdSizeAction:", &C::turdSizeAction);
    b.method("alphaMaxAction:", &C::alphaMaxAction);
    b.method("turnPolicyAction:", &C::turnPolicyAction);
    b.method("optimizeCurvesAction:", &C::optimizeCurvesAction);
    b.method("optimizeAmountAction:", &C::optimizeAmountAction);
}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("CVLVectorizingOptionsController", text);
}

// The value a sender stands for: a control's value, or the value itself.
QVariant senderValue(const QVariant& sender)
{
    if (sender.canConvert<QWidget*>()) {
        QWidget* widget = sender.value<QWidget*>();
        if (auto* control = qobject_cast<pf::Control*>(widget))
            return control->objectValue();
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            return button->isChecked();
    }
    return sender;
}

pf::Slider* makeSlider(QWidget* parent, double minimum, double maximum, const QString& action, pf::Reflective* target)
{
    auto* slider = new pf::Slider(parent);
    slider->setMinValue(minimum);
    slider->setMaxValue(maximum);
    slider->setContinuous(true);
    slider->setMinimumSize(160, 22);
    slider->setTarget(target);
    slider->setAction(action);
    return slider;
}

QString realText(double value)
{
    return QString::number(value, 'f', 2);
}

} // namespace

CVLVectorizingPreviewView* CVLVectorizingOptionsController::originalImageView() const { return m_originalImageView; }
CVLVectorizingPreviewView* CVLVectorizingOptionsController::vectorImageView() const { return m_vectorImageView; }
QLabel* CVLVectorizingOptionsController::levelsLabel() const { return m_levelsLabel; }
QRadioButton* CVLVectorizingOptionsController::colourButton() const { return m_colourButton; }
QRadioButton* CVLVectorizingOptionsController::greyscaleButton() const { return m_greyscaleButton; }
pf::Slider* CVLVectorizingOptionsController::levelsSlider() const { return m_levelsSlider; }
pf::Slider* CVLVectorizingOptionsController::scaleSlider() const { return m_scaleSlider; }

CVLVectorizingOptionsController::CVLVectorizingOptionsController()
{
    setWindowNibName(QStringLiteral("CVLVectorizingOptionsController"));
    buildWindow();
}

CVLVectorizingOptionsController::~CVLVectorizingOptionsController()
{
    m_delegate = nullptr;
    // The base class lets go of the window.
    if (isWindowLoaded())
        pf::Sheet::endSheet(window(), kReturnCancel);
}

void CVLVectorizingOptionsController::buildWindow()
{
    auto* window = new QWidget(nullptr, Qt::Dialog);
    window->setWindowTitle(tr("Trace Image"));
    auto* layout = new QVBoxLayout(window);

    auto* previews = new QHBoxLayout;
    m_originalImageView = new CVLVectorizingPreviewView(window);
    m_vectorImageView = new CVLVectorizingPreviewView(window);
    m_originalImageView->setLinkedView(m_vectorImageView);
    m_vectorImageView->setLinkedView(m_originalImageView);
    m_originalImageView->setMinimumSize(260, 260);
    m_vectorImageView->setMinimumSize(260, 260);
    previews->addWidget(m_originalImageView, 1);
    previews->addWidget(m_vectorImageView, 1);
    layout->addLayout(previews, 1);

    auto* zoomRow = new QHBoxLayout;
    zoomRow->addWidget(new QLabel(tr("Zoom:"), window));
    m_scaleSlider = makeSlider(window, 0.1, CVLVectorizingPreviewView::kMaxImageScale, QStringLiteral("scaleAction:"),
                               m_originalImageView);
    zoomRow->addWidget(m_scaleSlider, 1);
    layout->addLayout(zoomRow);
    m_originalImageView->setScaleSlider(m_scaleSlider);

    auto* form = new QGridLayout;
    int row = 0;
    m_colourButton = new QRadioButton(tr("Colour"), window);
    m_greyscaleButton = new QRadioButton(tr("Greyscale"), window);
    auto* modes = new QButtonGroup(window);
    modes->addButton(m_colourButton, 0);
    modes->addButton(m_greyscaleButton, 1);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(m_colourButton);
    modeRow->addWidget(m_greyscaleButton);
    modeRow->addStretch(1);
    form->addWidget(new QLabel(tr("Mode:"), window), row, 0);
    form->addLayout(modeRow, row++, 1, 1, 2);
    QObject::connect(modes, &QButtonGroup::idClicked, window, [this](int tag) { colorGrayscaleAction(tag); });

    auto addSliderRow = [&](const QString& title, pf::Slider* slider, QLabel** label) {
        *label = new QLabel(window);
        (*label)->setMinimumWidth(48);
        form->addWidget(new QLabel(title, window), row, 0);
        form->addWidget(slider, row, 1);
        form->addWidget(*label, row++, 2);
    };
    m_levelsSlider = makeSlider(window, 1, 8, QStringLiteral("levelsAction:"), this);
    QLabel* label = nullptr;
    addSliderRow(tr("Levels:"), m_levelsSlider, &label);
    m_levelsLabel = label;
    m_turdSizeSlider = makeSlider(window, 0, 100, QStringLiteral("turdSizeAction:"), this);
    addSliderRow(tr("Ignore specks up to:"), m_turdSizeSlider, &label);
    m_turdSizeLabel = label;
    m_alphaMaxSlider = makeSlider(window, 0, 1.3334, QStringLiteral("alphaMaxAction:"), this);
    addSliderRow(tr("Corner smoothness:"), m_alphaMaxSlider, &label);
    m_alphaMaxLabel = label;
    m_turnPolicySlider = makeSlider(window, 0, 6, QStringLiteral("turnPolicyAction:"), this);
    addSliderRow(tr("Turn policy:"), m_turnPolicySlider, &label);
    m_turnPolicyLabel = label;
    m_optimizeCurvesCheckBox = new QCheckBox(tr("Optimise curves"), window);
    form->addWidget(m_optimizeCurvesCheckBox, row++, 1);
    QObject::connect(m_optimizeCurvesCheckBox, &QCheckBox::clicked, window, [this](bool on) { optimizeCurvesAction(on); });
    m_optimizeAmountSlider = makeSlider(window, 0, 1, QStringLiteral("optimizeAmountAction:"), this);
    addSliderRow(tr("Optimisation:"), m_optimizeAmountSlider, &label);
    m_optimizeAmountLabel = label;
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancelButton = new QPushButton(tr("Cancel"), window);
    // The sheet is "Trace Image" in British English throughout; its button says what it does.
    m_vectorizeButton = new QPushButton(tr("Trace"), window);
    m_vectorizeButton->setDefault(true);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_vectorizeButton);
    layout->addLayout(buttons);
    QObject::connect(m_cancelButton, &QPushButton::clicked, window, [this] { cancelAction({}); });
    QObject::connect(m_vectorizeButton, &QPushButton::clicked, window, [this] { vectorizeAction({}); });
    window->resize(640, 600);
    setWindow(window);
    setUIFromOptions();
}

void CVLVectorizingOptionsController::runModalVectorizingDialogForWindow(QWidget* window, CVLVectorizingDelegate* delegate)
{
    m_delegate = delegate;
    m_sourceImage = delegate ? delegate->vectorizingSourceImage() : QImage();
    m_options = delegate ? delegate->vectorizingOptions() : QVariantMap();
    setUIFromOptions();
    QWidget* sheet = this->window();
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    auto completion = [weakSelf](int returnCode) {
        if (auto self = std::static_pointer_cast<CVLVectorizingOptionsController>(weakSelf.lock()))
            self->sheetDidEnd(returnCode);
    };
    if (window) {
        pf::Sheet::beginSheet(sheet, window, completion);
    } else {
        sheet->setWindowModality(Qt::ApplicationModal);
        sheet->show();
    }
}

void CVLVectorizingOptionsController::stopModalVectorizingDialog()
{
    cancelAction({});
}

void CVLVectorizingOptionsController::cancelAction(const QVariant&)
{
    if (pf::Sheet::attachedSheet(window()->parentWidget()) == window())
        pf::Sheet::endSheet(window(), kReturnCancel);
    else
        sheetDidEnd(kReturnCancel);
}

void CVLVectorizingOptionsController::vectorizeAction(const QVariant&)
{
    if (pf::Sheet::attachedSheet(window()->parentWidget()) == window())
        pf::Sheet::endSheet(window(), kReturnVectorize);
    else
        sheetDidEnd(kReturnVectorize);
}

void CVLVectorizingOptionsController::sheetDidEnd(int returnCode)
{
    window()->hide();
    m_updatePending = false;
    // The delegate may release this controller.
    pf::Ref<pf::Object> keep = shared_from_this();
    if (returnCode == kReturnVectorize && m_delegate)
        m_delegate->vectorizeWithOptions(m_options);
}

void CVLVectorizingOptionsController::storeValue(const QString& key, const QVariant& sender)
{
    const QVariant value = senderValue(sender);
    if (key == pw::kPWTracingParam_opticurve)
        m_options.insert(key, value.toBool());
    else if (key == pw::kPWTracingParam_alphamax || key == pw::kPWTracingParam_opttolerance)
        m_options.insert(key, value.toDouble());
    else
        m_options.insert(key, int(std::lround(value.toDouble())));
    updateLabels();
    scheduleVectorImageUpdate();
}

void CVLVectorizingOptionsController::colorGrayscaleAction(const QVariant& sender)
{
    QVariant tag = sender;
    if (sender.canConvert<QWidget*>())
        if (auto* button = qobject_cast<QRadioButton*>(sender.value<QWidget*>()))
            tag = button == m_colourButton ? 0 : 1;
    storeValue(pw::kPWTracingParam_colourmode, tag);
}

void CVLVectorizingOptionsController::levelsAction(const QVariant& sender) { storeValue(pw::kPWTracingParam_levels, sender); }
void CVLVectorizingOptionsController::turdSizeAction(const QVariant& sender) { storeValue(pw::kPWTracingParam_turdsize, sender); }
void CVLVectorizingOptionsController::alphaMaxAction(const QVariant& sender) { storeValue(pw::kPWTracingParam_alphamax, sender); }
void CVLVectorizingOptionsController::turnPolicyAction(const QVariant& sender) { storeValue(pw::kPWTracingParam_turnpolicy, sender); }
void CVLVectorizingOptionsController::optimizeCurvesAction(const QVariant& sender) { storeValue(pw::kPWTracingParam_opticurve, sender); }
void CVLVectorizingOptionsController::optimizeAmountAction(const QVariant& sender) { storeValue(pw::kPWTracingParam_opttolerance, sender); }

void CVLVectorizingOptionsController::updateLabels()
{
    const QVariantMap defaults = pw::defaultTracingParameters();
    auto value = [&](const QString& key) { return m_options.value(key, defaults.value(key)); };
    // The levels are a precision: 2 to its power bands or colours.
    if (m_levelsLabel)
        m_levelsLabel->setText(QString::number(qint64(1) << std::clamp(value(pw::kPWTracingParam_levels).toInt(), 0, 62)));
    if (m_turdSizeLabel)
        m_turdSizeLabel->setText(QString::number(value(pw::kPWTracingParam_turdsize).toInt()));
    if (m_turnPolicyLabel)
        m_turnPolicyLabel->setText(QString::number(value(pw::kPWTracingParam_turnpolicy).toInt()));
    if (m_alphaMaxLabel)
        m_alphaMaxLabel->setText(realText(value(pw::kPWTracingParam_alphamax).toDouble()));
    if (m_optimizeAmountLabel)
        m_optimizeAmountLabel->setText(realText(value(pw::kPWTracingParam_opttolerance).toDouble()));
}

void CVLVectorizingOptionsController::setUIFromOptions()
{
    const QVariantMap defaults = pw::defaultTracingParameters();
    auto value = [&](const QString& key) { return m_options.value(key, defaults.value(key)); };
    if (m_levelsSlider)
        m_levelsSlider->setDoubleValue(value(pw::kPWTracingParam_levels).toDouble());
    if (m_turdSizeSlider)
        m_turdSizeSlider->setDoubleValue(value(pw::kPWTracingParam_turdsize).toDouble());
    if (m_turnPolicySlider)
        m_turnPolicySlider->setDoubleValue(value(pw::kPWTracingParam_turnpolicy).toDouble());
    if (m_alphaMaxSlider)
        m_alphaMaxSlider->setDoubleValue(value(pw::kPWTracingParam_alphamax).toDouble());
    if (m_optimizeCurvesCheckBox)
        m_optimizeCurvesCheckBox->setChecked(value(pw::kPWTracingParam_opticurve).toBool());
    if (m_optimizeAmountSlider)
        m_optimizeAmountSlider->setDoubleValue(value(pw::kPWTracingParam_opttolerance).toDouble());
    // The mode buttons show the parameters too, so what is shown is what will be traced.
    const bool colour = value(pw::kPWTracingParam_colourmode).toInt() == 0;
    if (m_colourButton && m_greyscaleButton)
        (colour ? m_colourButton : m_greyscaleButton)->setChecked(true);
    updateLabels();
    if (m_originalImageView)
        m_originalImageView->setSourceImage(m_sourceImage);
    updateVectorImage();
}

void CVLVectorizingOptionsController::scheduleVectorImageUpdate()
{
    if (m_updatePending)
        return;
    m_updatePending = true;
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    QTimer::singleShot(kPreviewDelayMs, QCoreApplication::instance(), [weakSelf] {
        auto self = std::static_pointer_cast<CVLVectorizingOptionsController>(weakSelf.lock());
        if (self && self->m_updatePending)
            self->updateVectorImage();
    });
}

void CVLVectorizingOptionsController::updateVectorImage()
{
    m_updatePending = false;
    // No image, or one without pixels: nothing to trace.
    QList<pf::Ref<PWTracedVectorObject>> traced;
    if (!m_sourceImage.isNull() && m_sourceImage.width() > 0 && m_sourceImage.height() > 0) {
        const QVariantMap defaults = pw::defaultTracingParameters();
        const int mode = m_options.value(pw::kPWTracingParam_colourmode, defaults.value(pw::kPWTracingParam_colourmode)).toInt();
        const int levels = m_options.value(pw::kPWTracingParam_levels, defaults.value(pw::kPWTracingParam_levels)).toInt();
        traced = mode != 0 ? pw::vectorizeToGrayscaleWithPrecision(m_sourceImage, levels, m_options)
                           : pw::vectorizeToColourWithPrecision(m_sourceImage, levels, 3, m_options);
        for (const pf::Ref<PWTracedVectorObject>& vector : traced)
            if (vector)
                vector->setTracingParameters(m_options);
        ++m_updateCount;
    }
    if (m_vectorImageView)
        m_vectorImageView->setVectors(traced);
}
