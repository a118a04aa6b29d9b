#include "styleeditor/RVDashEditor.h"

#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/Color.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/Window.h"
#include "widgets/FileManager+FindFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QUrl>
#include <QVBoxLayout>

PF_DEFINE_CLASS(RVDashEditor, pf::WindowController)
{
    using C = RVDashEditor;
    b.method("dashCountMatrixAction:", &C::dashCountMatrixAction);
    b.method("dashValueAction:", &C::dashValueAction);
    b.method("dashScaleCheckboxAction:", &C::dashScaleCheckboxAction);
    b.method("dashPhaseSliderAction:", &C::dashPhaseSliderAction);
    b.method("registerDashAction:", &C::registerDashAction);
    b.method("ok:", &C::ok);
    b.method("cancel:", &C::cancel);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("RVDashEditor", text);
}
} // namespace

RVDashEditor::RVDashEditor()
{
    setWindow(makeWindow());
    // The awake step of the interface: the preview reports to the editor, nobody else yet.
    mDashPreviewEditView->setDelegate(this);
    mPhaseSlider->setHidden(true);
    updateForDash();
}

RVDashEditor::~RVDashEditor()
{
    if (mDashPreviewEditView)
        mDashPreviewEditView->setDelegate(nullptr);
    if (m_open && isWindowLoaded())
        pf::Sheet::endSheet(window(), pf::kModalResponseAbort);
}

QString RVDashEditor::savedDashesPath()
{
    const QUrl folder = thisApplicationsSupportFolderURL();
    if (folder.isEmpty())
        return {};
    return QDir(folder.toLocalFile()).filePath(QStringLiteral("Saved Dashes.dashes"));
}

bool RVDashEditor::writeSavedDashes(pf::Error* error)
{
    const QString path = savedDashesPath();
    return !path.isEmpty() && PWStrokeDash::writeRegisteredDashesToFile(path, true, error);
}

bool RVDashEditor::restoreSavedDashes(pf::Error* error)
{
    const QString path = savedDashesPath();
    return !path.isEmpty() && PWStrokeDash::restoreRegisteredDashesFromFile(path, error);
}

QWidget* RVDashEditor::makeWindow()
{
    using namespace VNQLPaneControls;
    auto* window = new pf::Window(nullptr, Qt::Dialog);
    window->setWindowTitle(tr("Dash"));
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);

    auto* grid = new QGridLayout;
    grid->addWidget(label(tr("Mark")), 0, 1);
    grid->addWidget(label(tr("Space")), 0, 2);
    mEF.resize(PWStrokeDash::kMaxCount);
    for (int pair = 0; pair < 4; ++pair) {
        grid->addWidget(label(QString::number(pair + 1)), pair + 1, 0);
        for (int k = 0; k < 2; ++k) {
            pf::TextField* field = numberField(this, QStringLiteral("dashValueAction:"), decimalFormatter(2));
            mEF[pair * 2 + k] = field;
            grid->addWidget(field, pair + 1, k + 1);
        }
    }
    column->addLayout(grid);

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(label(tr("Pairs:")));
    mDashCountButtonMatrix = new pf::Matrix(1, 4);
    mDashCountButtonMatrix->setMode(pf::MatrixMode::Radio);
    mDashCountButtonMatrix->setCellSize(QSizeF(36, 22));
    for (int c = 0; c < 4; ++c)
        mDashCountButtonMatrix->cellAtRow(0, c)->setTitle(QString::number(c + 1));
    mDashCountButtonMatrix->sizeToCells();
    mDashCountButtonMatrix->setFixedSize(4 * 36, 22);
    mDashCountButtonMatrix->setTarget(this);
    mDashCountButtonMatrix->setAction(QStringLiteral("dashCountMatrixAction:"));
    countRow->addWidget(mDashCountButtonMatrix);
    countRow->addStretch(1);
    column->addLayout(countRow);

    mDashScaleCheckbox = checkBox(tr("Scale with line width"), this, QStringLiteral("dashScaleCheckboxAction:"));
    column->addWidget(mDashScaleCheckbox);
    mPhaseSlider = new pf::Slider;
    mPhaseSlider->setMinValue(0);
    mPhaseSlider->setTarget(this);
    mPhaseSlider->setAction(QStringLiteral("dashPhaseSliderAction:"));
    column->addWidget(mPhaseSlider);
    mDashPreviewEditView = new RVDashEditView;
    mDashPreviewEditView->setMinimumSize(300, 80);
    column->addWidget(mDashPreviewEditView);

    auto* buttons = new QHBoxLayout;
    mAddToRegisteredDashesButton = pushButton(tr("Save Dash"), this, QStringLiteral("registerDashAction:"),
                                              tr("Add this dash to the dash menu"));
    buttons->addWidget(mAddToRegisteredDashesButton);
    buttons->addStretch(1);
    buttons->addWidget(pushButton(tr("Cancel"), this, QStringLiteral("cancel:")));
    pf::Button* okButton = pushButton(tr("OK"), this, QStringLiteral("ok:"));
    buttons->addWidget(okButton);
    column->addLayout(buttons);
    window->setContentView(content);
    window->resize(340, 330);
    return window;
}

void RVDashEditor::openDashEditorInParentWindow(QWidget* parentWindow, RVDashEditorDelegate* delegate)
{
    m_startedWithoutDash = !mOriginalDash;
    if (!mDash)
        setDash(PWStrokeDash::defaultDash());
    mDelegateRef = delegate;
    m_open = true;
    QWidget* sheet = window();
    if (parentWindow && parentWindow != sheet) {
        const std::weak_ptr<void> alive = livenessToken();
        pf::Sheet::beginSheet(sheet, parentWindow, [this, alive](int code) {
            if (!alive.expired())
                sheetDidEnd(code);
        });
    } else {
        sheet->show();
    }
    notifyDelegate();
}

void RVDashEditor::setDash(const pf::Ref<PWStrokeDash>& dash)
{
    mOriginalDash = dash;
    if (mDash)
        mDash->setIsBeingEdited(false);
    mDash = dash ? std::static_pointer_cast<PWStrokeDash>(dash->copy()) : nullptr;
    if (mDash)
        mDash->setIsBeingEdited(true);
    updateForDash();
}

void RVDashEditor::updateForDash()
{
    if (mDashPreviewEditView)
        mDashPreviewEditView->setDash(mDash);
    if (!mDash)
        return;
    setDashCount(mDash->count());
    if (mDashScaleCheckbox)
        mDashScaleCheckbox->setState(mDash->scalesToLineWidth() ? pf::ControlState::On : pf::ControlState::Off);
    if (mPhaseSlider)
        mPhaseSlider->setDoubleValue(mDash->phase());
}

void RVDashEditor::setDashCount(int count)
{
    if (!mDash)
        return;
    count = std::clamp(count, 0, int(PWStrokeDash::kMaxCount));
    double buffer[PWStrokeDash::kMaxCount];
    std::fill(std::begin(buffer), std::end(buffer), 1.0);
    mDash->getDashPattern(buffer);
    // Elements beyond the old count come out of the buffer as 1.
    for (int i = mDash->count(); i < PWStrokeDash::kMaxCount; ++i)
        buffer[i] = 1.0;
    if (mDash->count() != count)
        mDash->setDashPattern(buffer, count);
    for (int i = 0; i < PWStrokeDash::kMaxCount; ++i) {
        pf::TextField* field = mEF.value(i);
        if (!field)
            continue;
        if (i < count) {
            field->setDoubleValue(buffer[i]);
            field->setEnabled(true);
        } else {
            field->setObjectValue(QVariant());
            field->setEnabled(false);
        }
    }
    if (mDashCountButtonMatrix && count > 0)
        mDashCountButtonMatrix->selectCellAtRow(0, (count - 1) / 2);
    if (mPhaseSlider)
        mPhaseSlider->setMaxValue(mDash->length());
}

void RVDashEditor::dashCountMatrixAction(const QVariant&)
{
    if (!mDashCountButtonMatrix)
        return;
    setDashCount(2 * mDashCountButtonMatrix->selectedColumn() + 2);
    notifyDelegate();
    if (mDashPreviewEditView)
        mDashPreviewEditView->setNeedsDisplay(true);
}

void RVDashEditor::dashValueAction(const QVariant&)
{
    if (!mDash)
        return;
    QList<double> pattern;
    for (int i = 0; i < mDash->count(); ++i)
        pattern.append(mEF.value(i) ? mEF.value(i)->doubleValue() : 0.0);
    mDash->setDashPattern(pattern, int(pattern.size()));
    notifyDelegate();
    if (mPhaseSlider)
        mPhaseSlider->setMaxValue(mDash->length());
    if (mDashPreviewEditView)
        mDashPreviewEditView->setNeedsDisplay(true);
}

void RVDashEditor::dashScaleCheckboxAction(const QVariant&)
{
    if (!mDash || !mDashScaleCheckbox)
        return;
    mDash->setScalesToLineWidth(mDashScaleCheckbox->state() == pf::ControlState::On);
    notifyDelegate();
    if (mDashPreviewEditView)
        mDashPreviewEditView->setNeedsDisplay(true);
}

void RVDashEditor::dashPhaseSliderAction(const QVariant&)
{
    if (!mDash || !mPhaseSlider)
        return;
    mDash->setPhase(mPhaseSlider->doubleValue());
    notifyDelegate();
    if (mDashPreviewEditView)
        mDashPreviewEditView->setNeedsDisplay(true);
}

pf::Ref<PWStrokeDash> RVDashEditor::finishedDash() const
{
    if (!mDash)
        return nullptr;
    auto copy = std::static_pointer_cast<PWStrokeDash>(mDash->copy());
    copy->setIsBeingEdited(false);
    return copy;
}

void RVDashEditor::registerDashAction(const QVariant&)
{
    pf::Ref<PWStrokeDash> copy = finishedDash();
    if (!copy)
        return;
    for (const pf::Ref<PWStrokeDash>& saved : PWStrokeDash::registeredDashes())
        if (saved->isEqualToDash(copy.get()))
            return;
    // A dash the framework refuses (an invalid one) is not reported as saved.
    if (!PWStrokeDash::registerDash(copy, QString()))
        return;
    writeSavedDashes();
    if (mDelegateRef)
        mDelegateRef->dashEditorDidRegisterDash(*this, copy);
}

void RVDashEditor::ok(const QVariant&)
{
    // Ends a field edit still in progress, so its value counts.
    if (QWidget* focus = window()->focusWidget())
        if (auto* field = qobject_cast<pf::TextField*>(focus); field && mEF.contains(field))
            dashValueAction({});
    if (pf::Sheet::isSheet(window()))
        pf::Sheet::endSheet(window(), 1);
    else
        sheetDidEnd(1);
}

void RVDashEditor::cancel(const QVariant&)
{
    if (pf::Sheet::isSheet(window()))
        pf::Sheet::endSheet(window(), 0);
    else
        sheetDidEnd(0);
}

void RVDashEditor::sheetDidEnd(int returnCode)
{
    if (!m_open)
        return;
    m_open = false;
    window()->hide();
    if (returnCode != 1) {
        if (mDash)
            mDash->setIsBeingEdited(false);
        // A line that had no dash gets none back, not the default it was edited from.
        mDash = m_startedWithoutDash || !mOriginalDash ? nullptr
                                                       : std::static_pointer_cast<PWStrokeDash>(mOriginalDash->copy());
    }
    if (mDelegateRef)
        mDelegateRef->dashDidChange(*this);
    mDelegateRef = nullptr;
    setDash(nullptr);
    m_startedWithoutDash = false;
}

void RVDashEditor::notifyDelegate()
{
    if (mDelegateRef)
        mDelegateRef->dashDidChange(*this);
}

void RVDashEditor::setLineWidth(double width)
{
    if (mDashPreviewEditView)
        mDashPreviewEditView->setLineWidth(width);
}

void RVDashEditor::setLineCapStyle(pf::BezierPath::LineCap cap)
{
    if (mDashPreviewEditView)
        mDashPreviewEditView->setLineCapStyle(cap);
}

void RVDashEditor::setLineJoinStyle(pf::BezierPath::LineJoin join)
{
    if (mDashPreviewEditView)
        mDashPreviewEditView->setLineJoinStyle(join);
}

void RVDashEditor::setLineColour(const pf::Color& colour)
{
    if (mDashPreviewEditView)
        mDashPreviewEditView->setLineColour(colour);
}

void RVDashEditor::dashViewDidChangeDash(RVDashEditView&)
{
    if (mDash)
        setDashCount(mDash->count());
    notifyDelegate();
}

void RVDashEditor::drawBackgroundForDashStroke(pf::BezierPath& path)
{
    if (mDelegateRef)
        mDelegateRef->drawBackgroundForDashStroke(path);
}
