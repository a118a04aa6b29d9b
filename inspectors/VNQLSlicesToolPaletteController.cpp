#include "inspectors/VNQLSlicesToolPaletteController.h"

#include "app/RVCartavelDocument.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "inspectors/CVLToolIcons.h"
#include "inspectors/CVLToolsController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/Matrix.h"
#include "platform/ui/Panel.h"
#include "widgets/RVStyleButtonCell.h"

#include <QCoreApplication>

namespace {

// Posted by the application object as windows change status.
const QString kWindowDidBecomeMain = QStringLiteral("NSWindowDidBecomeMainNotification");
const QString kWindowDidResignMain = QStringLiteral("NSWindowDidResignMainNotification");

const QString kWindowNibName = QStringLiteral("VNQLSlicesToolPaletteController");
const QString kDidSelectModeSelector = QStringLiteral("slicesToolPaletteController:didSelectMode:");
constexpr int kSlicesExportSource = 3;

pf::Ref<VNQLSlicesToolPaletteController>& sharedSlot()
{
    // Never destroyed: the palette's window must not outlive the application object at exit.
    static auto* shared = new pf::Ref<VNQLSlicesToolPaletteController>();
    return *shared;
}

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLSlicesToolPaletteController", text);
}

// The main palette's window when the palette has been made.
QWidget* mainToolsWindow()
{
    return CVLToolsController::sharedToolsControllerAvailable() ? CVLToolsController::sharedToolsController()->window()
                                                               : nullptr;
}

} // namespace

PF_DEFINE_CLASS(VNQLSlicesToolPaletteController, pf::WindowController)
{
    b.method("selectToolMode:", [](VNQLSlicesToolPaletteController& self, const QVariantList& args) {
        self.selectToolMode(args.value(0).toInt());
        return QVariant();
    });
    b.method("toolsMatrixAction:", [](VNQLSlicesToolPaletteController& self, const QVariantList& args) {
        self.toolsMatrixAction(args.value(0));
        return QVariant();
    });
    b.method("exportAction:", [](VNQLSlicesToolPaletteController& self, const QVariantList& args) {
        self.exportAction(args.value(0));
        return QVariant();
    });
    b.method("showWindow:", [](VNQLSlicesToolPaletteController& self, const QVariantList& args) {
        self.showWindow(args.value(0));
        return QVariant();
    });
    b.method("close", [](VNQLSlicesToolPaletteController& self, const QVariantList&) {
        self.close();
        return QVariant();
    });
}

VNQLSlicesToolPaletteController::VNQLSlicesToolPaletteController() : pf::WindowController(kWindowNibName) {}

VNQLSlicesToolPaletteController::~VNQLSlicesToolPaletteController()
{
    if (mObservation)
        pf::NotificationCenter::defaultCenter().removeObserver(mObservation);
}

pf::Ref<VNQLSlicesToolPaletteController> VNQLSlicesToolPaletteController::sharedSlicesToolPalette()
{
    pf::Ref<VNQLSlicesToolPaletteController>& shared = sharedSlot();
    if (!shared) {
        shared = std::make_shared<VNQLSlicesToolPaletteController>();
        shared->window();
    }
    return shared;
}

bool VNQLSlicesToolPaletteController::sharedSlicesToolPaletteAvailable()
{
    return sharedSlot() != nullptr;
}

void VNQLSlicesToolPaletteController::releaseSharedSlicesToolPalette()
{
    pf::Ref<VNQLSlicesToolPaletteController> shared = std::move(sharedSlot());
    if (shared && shared->isWindowLoaded())
        shared->window()->hide();
}

void VNQLSlicesToolPaletteController::selectToolMode(int mode)
{
    if (mToolsMatrix) {
        mToolsMatrix->deselectAllCells();
        mToolsMatrix->selectCellWithTag(mode);
    }
}

void VNQLSlicesToolPaletteController::setDelegate(const pf::Ref<pf::Object>& delegate)
{
    mDelegate = delegate;
}

void VNQLSlicesToolPaletteController::toolsMatrixAction(const QVariant& sender)
{
    auto* matrix = qobject_cast<pf::Matrix*>(pf::Control::fromSender(sender));
    if (!matrix)
        matrix = mToolsMatrix;
    if (!matrix || !matrix->selectedCell())
        return;
    const pf::Ref<pf::Object> delegate = mDelegate.lock();
    if (delegate && delegate->respondsTo(kDidSelectModeSelector))
        delegate->perform(kDidSelectModeSelector, {pf::toVariant(ref<pf::Object>()), matrix->selectedCell()->tag()});
}

void VNQLSlicesToolPaletteController::exportAction(const QVariant&)
{
    pf::DocumentController* documents = pf::DocumentController::sharedIfMade();
    if (auto* document = documents ? dynamic_cast<RVCartavelDocument*>(documents->currentDocument()) : nullptr)
        document->showExportDialogWithPreferredSource(kSlicesExportSource);
}

void VNQLSlicesToolPaletteController::placeAtMainTools()
{
    auto* palette = qobject_cast<pf::Window*>(window());
    auto* main = qobject_cast<pf::Window*>(mainToolsWindow());
    if (!palette || !main)
        return;
    const QRectF frame = main->frame();
    palette->setFrameTopLeftPoint(QPointF(frame.left(), frame.top() + frame.height()));
}

void VNQLSlicesToolPaletteController::showWindow(const QVariant&)
{
    QWidget* palette = window();
    placeAtMainTools();
    // Once recorded while this palette is up, showing it again must not forget that the
    // main palette was visible before: it comes back when this one closes.
    QWidget* main = mainToolsWindow();
    if (!palette->isVisible())
        mMainToolsPreviouslyVisible = main && main->isVisible();
    if (main)
        main->hide();
    palette->setAttribute(Qt::WA_ShowWithoutActivating);
    palette->show();
    palette->raise();
}

void VNQLSlicesToolPaletteController::close()
{
    if (mMainToolsPreviouslyVisible)
        CVLToolsController::sharedToolsController()->showWindow({});
    mMainToolsPreviouslyVisible = false;
    if (isWindowLoaded())
        window()->hide();
}

void VNQLSlicesToolPaletteController::loadWindow()
{
    auto* panel = new pf::Panel;
    panel->setWindowFlag(Qt::Tool, true);
    panel->setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
    panel->setFocusPolicy(Qt::NoFocus);
    panel->setFloatingPanel(true);
    panel->setResizable(false);
    panel->setHidesOnDeactivate(true);
    auto* content = new pf::View(QRectF(0, 0, 72, 70));

    auto prototype = std::make_shared<RVStyleButtonCell>();
    prototype->setButtonType(pf::ButtonType::PushOnPushOff);
    auto* matrix = new pf::Matrix(1, 2, prototype, content);
    matrix->setCellSize(QSizeF(30, 30));
    matrix->setIntercellSpacing(QSizeF(2, 2));
    matrix->sizeToCells();
    matrix->setFrameOrigin(QPointF(5, 5));
    matrix->setFocusPolicy(Qt::NoFocus);
    const int images[] = {6, CVLToolIcons::kSliceGlyph};
    for (int mode = 0; mode < 2; ++mode) {
        pf::ButtonCell* cell = matrix->cellAtRow(0, mode);
        cell->setTag(mode);
        cell->setImage(CVLToolIcons::imageForTag(images[mode]));
        cell->setImagePosition(pf::CellImagePosition::ImageOnly);
    }
    matrix->setTarget(this);
    matrix->setAction(QStringLiteral("toolsMatrixAction:"));
    mToolsMatrix = matrix;

    pf::Button* exportButton = pf::Button::pushButton(tr("Export"), content);
    exportButton->setFrame(QRectF(4, 40, 64, 26));
    exportButton->setFocusPolicy(Qt::NoFocus);
    exportButton->setTarget(this);
    exportButton->setAction(QStringLiteral("exportAction:"));

    panel->setContentView(content);
    panel->resize(72, 70);
    panel->setWindowTitle(tr("Slices"));
    setWindow(panel);
}

void VNQLSlicesToolPaletteController::windowDidLoad()
{
    if (auto* panel = qobject_cast<pf::Window*>(window()))
        panel->setBecomesKeyOnlyIfNeeded(true);
    mToolsMatrix->setToolTipForCell(tr("Select Slices. Shift-click to select multiple slices."),
                                    mToolsMatrix->cellWithTag(kSelectSlicesMode));
    mToolsMatrix->setToolTipForCell(tr("Draw New Slice."), mToolsMatrix->cellWithTag(kDrawSliceMode));
    mObservation = pf::NotificationCenter::defaultCenter().addObserver(
        kWindowDidBecomeMain, nullptr,
        [this](const pf::Notification& note) {
            // Windows that are plain widgets come in the user info only.
            QWidget* window = dynamic_cast<QWidget*>(note.object);
            if (!window)
                window = note.userInfo.value(pf::kPFWindowKey).value<QWidget*>();
            mainWindowDidChange(window);
        });
    placeAtMainTools();
}

void VNQLSlicesToolPaletteController::mainWindowDidChange(QWidget* window)
{
    pf::WindowController* controller = window ? pf::WindowController::forWindow(window) : nullptr;
    auto* document = controller ? dynamic_cast<RVCartavelDocument*>(controller->document()) : nullptr;
    const pf::Ref<PWDrawing> drawing = document ? document->drawing() : nullptr;
    const auto slices = drawing ? std::dynamic_pointer_cast<VNQLSlicesLayer>(drawing->activeLayer()) : nullptr;
    if (slices) {
        if (!this->window()->isVisible())
            showWindow({});
        setDelegate(slices);
        selectToolMode(slices->toolMode());
        return;
    }
    setDelegate(nullptr);
    if (isWindowLoaded())
        this->window()->hide();
    // Another document's window: the main palette takes its place again if it had it.
    if (document && mMainToolsPreviouslyVisible) {
        mMainToolsPreviouslyVisible = false;
        CVLToolsController::sharedToolsController()->showWindow({});
    }
}
