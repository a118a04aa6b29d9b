#include "inspectors/CVLToolsController.h"

#include "drawing/PWXSymbolMaster.h"
#include "drawing/PWXSymbolTool.h"
#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "frameworks/penwork/registries/PWStyleHistory.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWSmartSelectTool.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/tools/PWToolRegistry.h"
#include "frameworks/penwork/tools/PWZoomTool.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "inspectors/CVLToolIcons.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryItem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Button.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/Matrix.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Panel.h"
#include "styleeditor/PWXStyleImageView.h"
#include "widgets/Color+RVStyleButton.h"
#include "widgets/RVMultiSectionView.h"
#include "widgets/RVSectionView.h"
#include "widgets/RVStyleButtonCell.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QMap>
#include <QTimer>

namespace {

// Posted by the application object as windows change status.
const QString kWindowDidBecomeMain = QStringLiteral("NSWindowDidBecomeMainNotification");
const QString kWindowDidResignMain = QStringLiteral("NSWindowDidResignMainNotification");

const QString kWindowNibName = QStringLiteral("CartavelToolPalette");
const QString kFrameAutosaveName = QStringLiteral("CVLQ_TOOLS_PALETTE_FRAME");
const QString kToolInfoKey = QStringLiteral("tool_info");
const QString kPickerSelectedObjectDidChange = QStringLiteral("kPWXLibraryPickerSelectedObjectDidChange");
const QString kStyleInspectorDidCreateNewStyle = QStringLiteral("kPWStyleInspectorDidCreateNewStyle");
constexpr int kEnablingDelayMs = 100;

// Button tag -> registered tool name, keyed by the tag written in decimal.
const QMap<QString, QString>& tagTable()
{
    static const QMap<QString, QString> table = [] {
        const std::pair<int, const char*> entries[] = {
            {1, "Linear Select"},
            {2, "Pan"},
            {3, "Zoom"},
            {4, "Zoom Out"},
            {5, "Ruler"},
            {6, "Select"},
            {10, "Rectangle"},
            {11, "Oval"},
            {12, "Round Rectangle"},
            {13, "Round End Rectangle"},
            {14, "Polygon"},
            {15, "Regular Polygon"},
            {16, "Line"},
            {17, "Path"},
            {18, "Freehand"},
            {19, "Text"},
            {20, "Wedge"},
            {21, "Arc"},
            {22, "Insert Path Point"},
            {23, "Delete Path Point"},
            {24, "Text Path"},
            {25, "Path Cutter"},
            {40, "Connectable Line"},
            {41, "Connectable Track"},
            {42, "Connectable Polygon"},
            {43, "Clip-Art Stamp"},
            {44, "Smart Select"},
            {45, "Style Dropper"},
            {50, "Connectable Freehand"},
        };
        QMap<QString, QString> made;
        for (const auto& [tag, name] : entries)
            made.insert(QString::number(tag), QString::fromLatin1(name));
        return made;
    }();
    return table;
}

// The buttons of each group, three to a row; 0 fills a row.
constexpr int kColumns = 3;
const QList<int> kSelectionTags = {6, 1, 44, 2, 3, 4, 5, 45, 25, 22, 23, 0};
// The connectable lines sit with the other drawing tools: the cartography section is not
// among the sections the palette shows.
const QList<int> kDrawingTags = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 24, 43, 40, 41, 42, 50};
const QList<int> kCartographyTags = {40, 41, 42, 50};

pf::Ref<CVLToolsController>& sharedSlot()
{
    // Never destroyed: the palette's window must not outlive the application object at exit.
    static auto* shared = new pf::Ref<CVLToolsController>();
    return *shared;
}

PWDrawingDocument* currentDrawingDocument()
{
    pf::DocumentController* documents = pf::DocumentController::sharedIfMade();
    if (!documents)
        return nullptr;
    return dynamic_cast<PWDrawingDocument*>(documents->currentDocument());
}

pf::Ref<pf::Object> objectRef(pf::Reflective* object)
{
    auto* made = dynamic_cast<pf::Object*>(object);
    if (!made)
        return nullptr;
    try {
        return made->ref();
    } catch (const std::bad_weak_ptr&) {
        return nullptr;
    }
}

} // namespace

PF_DEFINE_CLASS(CVLToolsController, pf::WindowController)
{
    b.method("toolsMatrixAction:", [](CVLToolsController& self, const QVariantList& args) {
        self.toolsMatrixAction(args.value(0));
        return QVariant();
    });
    b.method("toolsDoubleAction:", [](CVLToolsController& self, const QVariantList& args) {
        self.toolsDoubleAction(args.value(0));
        return QVariant();
    });
    b.method("showWindow:", [](CVLToolsController& self, const QVariantList& args) {
        self.showWindow(args.value(0));
        return QVariant();
    });
    b.method("setEnabled:", [](CVLToolsController& self, const QVariantList& args) {
        self.setEnabled(args.value(0).toBool());
        return QVariant();
    });
    b.method("smartSelectModeAction:", [](CVLToolsController& self, const QVariantList& args) {
        const auto item = pf::objectCast<pf::MenuItem>(args.value(0));
        if (item)
            self.setSmartSelectMatchMode(item->tag());
        return QVariant();
    });
    b.method("stylePreviewAction:", [](CVLToolsController& self, const QVariantList&) {
        if (self.stylePreview() && self.stylePreview()->style())
            self.setCurrentStyleOrSymbol(self.stylePreview()->style());
        return QVariant();
    });
    b.method("representedObject", [](CVLToolsController& self, const QVariantList&) {
        return self.representedObject() ? pf::toVariant(self.representedObject()) : QVariant();
    });
}

CVLToolsController::CVLToolsController() : pf::WindowController(kWindowNibName) {}

CVLToolsController::~CVLToolsController()
{
    auto& centre = pf::NotificationCenter::defaultCenter();
    for (quint64 token : std::as_const(mObservations))
        centre.removeObserver(token);
}

// --- Class ------------------------------------------------------------------------------------

pf::Ref<CVLToolsController> CVLToolsController::sharedToolsController()
{
    pf::Ref<CVLToolsController>& shared = sharedSlot();
    if (!shared) {
        shared = std::make_shared<CVLToolsController>();
        shared->window();
    }
    return shared;
}

bool CVLToolsController::sharedToolsControllerAvailable()
{
    return sharedSlot() != nullptr;
}

void CVLToolsController::releaseSharedToolsController()
{
    pf::Ref<CVLToolsController> shared = std::move(sharedSlot());
    if (shared && shared->isWindowLoaded())
        shared->window()->hide();
}

bool CVLToolsController::toolStyleBindingEnabled()
{
    return pf::UserDefaults::standard().boolForKey(kCartavelToolStyleBindingEnabled);
}

void CVLToolsController::setToolStyleBindingEnabled(bool enabled)
{
    pf::UserDefaults::standard().setBool(enabled, kCartavelToolStyleBindingEnabled);
}

void CVLToolsController::saveToolsControllerState()
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    if (!sharedToolsControllerAvailable()) {
        defaults.setBool(false, kQLRYToolsControllerVisible);
        return;
    }
    auto* window = qobject_cast<pf::Window*>(sharedSlot()->window());
    defaults.setBool(window && window->isVisible(), kQLRYToolsControllerVisible);
    if (window)
        defaults.setObject(window->stringWithSavedFrame(), kQLRYToolsControllerFrame);
}

void CVLToolsController::restoreToolsControllerState()
{
    pf::Ref<CVLToolsController> palette = sharedToolsController();
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    auto* window = qobject_cast<pf::Window*>(palette->window());
    const QString frame = defaults.stringForKey(kQLRYToolsControllerFrame);
    if (window && !frame.isEmpty() && window->setFrameFromString(frame))
        palette->mPlaced = true;
    if (defaults.boolForKey(kQLRYToolsControllerVisible)) {
        palette->showWindow({});
        // Some window systems place a window anew as it first shows: put it back.
        if (window && !frame.isEmpty())
            window->setFrameFromString(frame);
    }
}

// --- Tags and tools ---------------------------------------------------------------------------

QString CVLToolsController::toolNameForTag(int tag)
{
    return tagTable().value(QString::number(tag));
}

int CVLToolsController::tagForToolName(const QString& name)
{
    int found = -1;
    const QMap<QString, QString>& table = tagTable();
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        if (it.value() == name)
            found = it.key().toInt();
    }
    if (found < 0) {
        RVLog(kInfoEvent, QStringLiteral("tool '%1' not found - reverting to Select tool").arg(name));
        return kSelectToolTag;
    }
    return found;
}

int CVLToolsController::tagForCurrentTool() const
{
    const pf::Ref<PWDrawingTool> tool = currentTool() ? currentTool() : PWDrawingTool::sharedCurrentTool();
    if (!tool)
        return kSelectToolTag;
    return tagForToolName(tool->registeredName());
}

pf::Ref<PWDrawingTool> CVLToolsController::setCurrentToolWithTag(int tag)
{
    const QString name = toolNameForTag(tag);
    pf::Ref<PWDrawingTool> tool = name.isEmpty() ? nullptr : PWDrawingTool::drawingToolWithName(name);
    if (!tool) {
        // A tag without a tool, or a tool that was never registered: the selection tool.
        tool = PWDrawingTool::selectionTool();
    } else if (tag == kZoomToolTag || tag == kZoomOutToolTag) {
        if (auto zoom = std::dynamic_pointer_cast<PWZoomTool>(tool))
            zoom->setZoomsOut(tag == kZoomOutToolTag);
    }
    if (tool)
        tool->set();
    QVariantMap info;
    if (tool)
        info.insert(kToolInfoKey, pf::toVariant(std::static_pointer_cast<pf::Object>(tool)));
    pf::NotificationCenter::defaultCenter().post(kCartavelToolControllerSetTool, this, info);
    return tool;
}

pf::Ref<PWDrawingTool> CVLToolsController::currentTool() const
{
    PWDrawingDocument* document = currentDrawingDocument();
    return document ? document->drawingTool() : nullptr;
}

PWToolController* CVLToolsController::currentToolController() const
{
    PWDrawingDocument* document = currentDrawingDocument();
    if (!document)
        return nullptr;
    PWDrawingView* view = document->mainView();
    return view ? view->toolController() : nullptr;
}

// --- Creation style ---------------------------------------------------------------------------

pf::Ref<PWStyle> CVLToolsController::currentStyle() const
{
    return std::dynamic_pointer_cast<PWStyle>(mCurrentStyleOrSymbol);
}

void CVLToolsController::setCurrentStyleOrSymbol(const pf::Ref<pf::Object>& object)
{
    mCurrentStyleOrSymbol = object;
    mIsSettingToolStyle = true;
    if (const auto style = std::dynamic_pointer_cast<PWStyle>(object)) {
        if (stylesAppliedPerTool()) {
            PWObjectCreationTool::setStyleForCreatedObjects(nullptr);
            if (auto tool = std::dynamic_pointer_cast<PWObjectCreationTool>(currentTool()))
                tool->setStyle(style);
        } else {
            PWObjectCreationTool::setStyleForCreatedObjects(style);
        }
        PWStyleHistory::setCurrentStyle(style);
    } else if (const auto master = std::dynamic_pointer_cast<PWXSymbolMaster>(object)) {
        if (auto stamp = std::dynamic_pointer_cast<PWXSymbolTool>(PWDrawingTool::drawingToolWithName(
                toolNameForTag(kClipArtStampToolTag))))
            stamp->setSymbolMaster(master);
    }
    if (mStylePreview)
        mStylePreview->setStyle(object);
    mIsSettingToolStyle = false;
}

// --- Interface --------------------------------------------------------------------------------

QList<pf::Matrix*> CVLToolsController::matrices() const
{
    QList<pf::Matrix*> list;
    for (pf::Matrix* matrix : {mSelectionTools.data(), mDrawingTools.data(), mCartographyTools.data()}) {
        if (matrix)
            list.append(matrix);
    }
    return list;
}

void CVLToolsController::synchronizeUIWithTool(const pf::Ref<PWDrawingTool>& tool)
{
    if (!tool || tool->registeredName().isEmpty())
        return;
    const int tag = tagForToolName(tool->registeredName());
    RVLog(kReactiveEvent, QStringLiteral("tool changed to '%1' (tag = %2)").arg(tool->registeredName()).arg(tag));
    selectToolButtonWithTag(tag);

    pf::Ref<pf::Object> creationObject;
    if (auto creation = std::dynamic_pointer_cast<PWObjectCreationTool>(tool)) {
        if (tag == kClipArtStampToolTag) {
            if (auto stamp = std::dynamic_pointer_cast<PWXSymbolTool>(creation))
                creationObject = stamp->symbolMaster();
        } else {
            creationObject = creation->style();
        }
    }
    // Every open document's tool controller announces one change of the shared tool: the
    // delegate hears of each change once.
    const bool alreadyShown = tool.get() == mSynchronisedTool && creationObject == mCurrentStyleOrSymbol;
    mSynchronisedTool = tool.get();
    mCurrentStyleOrSymbol = creationObject;
    if (mStylePreview)
        mStylePreview->setStyle(creationObject);
    if (mDelegateRef && !alreadyShown)
        mDelegateRef->toolsControllerDidSelectTool(*this, tool.get());
}

void CVLToolsController::selectToolButtonWithTag(int tag)
{
    if (tag == 0)
        return;
    for (pf::Matrix* matrix : matrices()) {
        matrix->deselectAllCells();
        matrix->selectCellWithTag(tag);
    }
}

RVStyleButtonCell* CVLToolsController::cellForTag(int tag) const
{
    for (pf::Matrix* matrix : matrices()) {
        if (auto* cell = dynamic_cast<RVStyleButtonCell*>(matrix->cellWithTag(tag)))
            return cell;
    }
    return nullptr;
}

void CVLToolsController::updateCellForTag(int tag)
{
    for (pf::Matrix* matrix : matrices()) {
        if (matrix->cellWithTag(tag)) {
            matrix->update();
            return;
        }
    }
}

void CVLToolsController::setEnabled(bool enabled)
{
    mEnabled = enabled;
    for (pf::Matrix* matrix : matrices())
        matrix->setEnabled(enabled);
    if (mMultiView)
        mMultiView->setEnabled(enabled);
}

void CVLToolsController::updateEnabling()
{
    // A drawing view with the keyboard can take a tool; so can the current document's view
    // while the user types in one of its sidebar fields, which must not grey the palette out.
    setEnabled(PWToolController::firstResponderAbleToSetTool() != nullptr || currentToolController() != nullptr);
}

// --- Actions ----------------------------------------------------------------------------------

void CVLToolsController::toolsMatrixAction(const QVariant& sender)
{
    auto* matrix = qobject_cast<pf::Matrix*>(pf::Control::fromSender(sender));
    if (!matrix || !matrix->selectedCell())
        return;
    const int tag = matrix->selectedCell()->tag();
    if (tag == 0) {
        // Put back the current tool's button; a filler cell never stays on.
        matrix->deselectAllCells();
        matrix->selectCellWithTag(tagForCurrentTool());
        return;
    }
    RVLog(kInfoEvent, QStringLiteral("tool selected tag = %1").arg(tag));
    for (pf::Matrix* other : matrices()) {
        if (other != matrix)
            other->deselectAllCells();
    }
    setCurrentToolWithTag(tag);
}

void CVLToolsController::toolsDoubleAction(const QVariant& sender)
{
    auto* matrix = qobject_cast<pf::Matrix*>(pf::Control::fromSender(sender));
    if (!matrix || !matrix->selectedCell())
        return;
    const int tag = matrix->selectedCell()->tag();
    PWDrawingDocument* document = currentDrawingDocument();
    PWDrawingView* view = document ? document->mainView() : nullptr;
    if (tag == kZoomToolTag || tag == kZoomOutToolTag) {
        if (view)
            view->zoomToActualSize();
    } else if (tag == kPanToolTag) {
        if (view)
            view->zoomFitInWindow();
    } else if (PWToolController* controller = currentToolController()) {
        controller->toggleAutoRevertAction();
    }
    matrix->update();
}

void CVLToolsController::styleButtonCellWillDrawBackgroundInFrame(RVStyleButtonCell& cell, const QRectF&)
{
    PWToolController* controller = currentToolController();
    cell.setOnStateColour(controller && controller->automaticallyReverts() ? pf::SystemColor::currentControlTint()
                                                                           : stickyButtonColour());
}

// --- Window -----------------------------------------------------------------------------------

void CVLToolsController::showWindow(const QVariant& sender)
{
    QWidget* palette = window();
    if (!palette)
        return;
    // Shown without taking the keyboard from the document window.
    palette->setAttribute(Qt::WA_ShowWithoutActivating);
    if (!mPlaced) {
        // First showing without a stored frame: beside the drawing, at the screen's right.
        mPlaced = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            palette->move(area.right() - palette->width() - 24, area.top() + 80);
        }
    }
    palette->show();
    palette->raise();
}

void CVLToolsController::loadWindow()
{
    buildWindow();
}

void CVLToolsController::buildWindow()
{
    constexpr double kCell = 30.0;
    constexpr double kSpacing = 2.0;
    constexpr double kMargin = 6.0;
    constexpr double kWidth = kColumns * kCell + (kColumns - 1) * kSpacing + 2 * kMargin;

    auto* panel = new pf::Panel;
    panel->setWindowFlag(Qt::Tool, true);
    panel->setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
    panel->setFocusPolicy(Qt::NoFocus);
    panel->setFloatingPanel(true);
    panel->setResizable(false);
    panel->setBecomesKeyOnlyIfNeeded(true);

    auto* content = new RVMultiSectionView(QRectF(0, 0, kWidth, 400));
    mMultiView = content;

    auto makeMatrix = [&](const QList<int>& tags) {
        const int rows = int((tags.size() + kColumns - 1) / kColumns);
        auto prototype = std::make_shared<RVStyleButtonCell>();
        prototype->setButtonType(pf::ButtonType::PushOnPushOff);
        auto* matrix = new pf::Matrix(rows, kColumns, prototype);
        matrix->setMode(pf::MatrixMode::Radio);
        matrix->setAllowsEmptySelection(true);
        matrix->setCellSize(QSizeF(kCell, kCell));
        matrix->setIntercellSpacing(QSizeF(kSpacing, kSpacing));
        matrix->sizeToCells();
        matrix->setFocusPolicy(Qt::NoFocus);
        for (int i = 0; i < rows * kColumns; ++i) {
            auto* cell = dynamic_cast<RVStyleButtonCell*>(matrix->cellAtRow(i / kColumns, i % kColumns));
            if (!cell)
                continue;
            const int tag = tags.value(i, 0);
            cell->setTag(tag);
            cell->setDrawingDelegate(this);
            if (tag == 0) {
                cell->setEnabled(false);
                cell->setBordered(false);
            } else {
                cell->setImage(CVLToolIcons::imageForTag(tag));
                cell->setImagePosition(pf::CellImagePosition::ImageOnly);
                // A button whose tool is missing cannot be chosen.
                cell->setEnabled(PWToolRegistry::shared().containsToolNamed(toolNameForTag(tag)));
            }
        }
        matrix->setTarget(this);
        matrix->setAction(QStringLiteral("toolsMatrixAction:"));
        return matrix;
    };
    mSelectionTools = makeMatrix(kSelectionTags);
    mDrawingTools = makeMatrix(kDrawingTags);
    mCartographyTools = makeMatrix(kCartographyTags);
    for (const pf::Ref<pf::ButtonCell>& cell : mSelectionTools->cells()) {
        if (cell->tag() == kSmartSelectToolTag)
            mSmartSelectButton = std::dynamic_pointer_cast<RVStyleButtonCell>(cell);
    }

    auto makeSection = [&](pf::View* body, double height) {
        auto* section = new RVSectionView(QRectF(0, 0, kWidth, height + RVSectionView::kTitleBarHeight + 2 * kMargin));
        section->setMaxHeight(height + 2 * kMargin);
        if (body) {
            body->setParent(section);
            body->setFrameOrigin(QPointF(kMargin, kMargin));
            body->show();
            section->setContentView(body);
        }
        section->setEnabled(true);
        pf::Button* disclosure = pf::Button::disclosureButton(section);
        disclosure->setFrame(QRectF(2, height + 2 * kMargin, 14, 14));
        disclosure->setState(pf::ControlState::On);
        disclosure->setTarget(section);
        disclosure->setAction(QStringLiteral("toggleOpenCloseAction:"));
        disclosure->setFocusPolicy(Qt::NoFocus);
        section->setDisclosureButton(disclosure);
        return section;
    };
    mSelectionSection = makeSection(mSelectionTools, mSelectionTools->frame().height());
    mGraphicsSection = makeSection(mDrawingTools, mDrawingTools->frame().height());
    mCartographySection = makeSection(mCartographyTools, mCartographyTools->frame().height());
    auto* preview = new PWXStyleImageView;
    preview->setFrame(QRectF(0, 0, kWidth - 2 * kMargin, 48));
    preview->setFocusPolicy(Qt::NoFocus);
    mStylePreview = preview;
    // A style dropped on the preview becomes the creation style it shows.
    preview->setTarget(this);
    preview->setAction(QStringLiteral("stylePreviewAction:"));
    mPreviewSection = makeSection(preview, 48);
    mCartographySection->setParent(content);
    mCartographySection->hide();

    double total = 0;
    for (RVSectionView* section : {mSelectionSection.data(), mGraphicsSection.data(), mPreviewSection.data()})
        total += section->frame().height() - 1.0;
    content->setFrame(QRectF(0, 0, kWidth, total));
    panel->setContentView(content);
    panel->setWindowTitle(QString());
    panel->resize(int(kWidth), int(total));
    setWindow(panel);
    panel->setDelegate(this);
    // As a window from an interface file: its objects wake before windowDidLoad, which the
    // window controller sends once the window is loaded.
    awakeFromNib();
}

void CVLToolsController::awakeFromNib()
{
    if (auto* panel = qobject_cast<pf::Window*>(window()))
        panel->setWindowTitle(QString());
    observeNotifications();
    setCurrentStyleOrSymbol(PWStyle::defaultStyle());
    if (mSmartSelectButton) {
        // Held down, the smart-select button offers what "alike" means.
        pf::Ref<pf::Menu> menu = pf::Menu::make();
        const std::pair<int, const char*> modes[] = {
            {PWSmartSelectTool::kMatchStyle, QT_TRANSLATE_NOOP("CVLToolsController", "Select Same Style")},
            {PWSmartSelectTool::kMatchKind, QT_TRANSLATE_NOOP("CVLToolsController", "Select Same Kind of Object")},
            {PWSmartSelectTool::kMatchStyleAndKind,
             QT_TRANSLATE_NOOP("CVLToolsController", "Select Same Style and Kind")},
        };
        for (const auto& [mode, title] : modes) {
            pf::Ref<pf::MenuItem> item = pf::MenuItem::make(QCoreApplication::translate("CVLToolsController", title),
                                                            QStringLiteral("smartSelectModeAction:"));
            item->setTag(mode);
            item->setTarget(this);
            menu->addItem(item);
        }
        mSmartSelectButton->setMenu(menu);
        mSmartSelectButton->setShowsMenuAfterDelay(true);
        updateSmartSelectMenu();
    }
    inferTooltipsForMatrix(mSelectionTools);
    inferTooltipsForMatrix(mDrawingTools);
}

void CVLToolsController::windowDidLoad()
{
    auto* panel = qobject_cast<pf::Window*>(window());
    if (panel)
        panel->setBecomesKeyOnlyIfNeeded(true);
    mSelectionSection->setTitle(QCoreApplication::translate("CVLToolsController", "Selection"));
    mGraphicsSection->setTitle(QCoreApplication::translate("CVLToolsController", "Graphics"));
    mPreviewSection->setTitle(QCoreApplication::translate("CVLToolsController", "Preview"));
    mMultiView->addSection(mSelectionSection);
    mMultiView->addSection(mGraphicsSection);
    mMultiView->addSection(mPreviewSection);
    mObservations.append(pf::NotificationCenter::defaultCenter().addObserver(
        kPWDidChangeToolNotification, nullptr, [this](const pf::Notification& note) { toolDidChange(note); }));
    mSelectionTools->setDoubleAction(QStringLiteral("toolsDoubleAction:"));
    mDrawingTools->setDoubleAction(QStringLiteral("toolsDoubleAction:"));
    if (panel)
        setWindowFrameAutosaveName(kFrameAutosaveName);
    selectToolButtonWithTag(kSelectToolTag);
}

void CVLToolsController::inferTooltipsForMatrix(pf::Matrix* matrix)
{
    if (!matrix)
        return;
    for (const pf::Ref<pf::ButtonCell>& cell : matrix->cells()) {
        const QString name = toolNameForTag(cell->tag());
        if (name.isEmpty())
            continue;
        const pf::Ref<PWDrawingTool> tool = PWToolRegistry::shared().toolWithName(name);
        if (!tool)
            continue;
        QString key = tool->keyboardEquivalent();
        if (name == kPWSelectToolName)
            key = key.isEmpty() ? QStringLiteral("Esc") : QStringLiteral("%1, Esc").arg(key);
        const QString localised = QCoreApplication::translate("localized_tool_names", name.toUtf8().constData());
        const QString tip = key.isEmpty() ? localised : QStringLiteral("%1 [%2]").arg(localised, key);
        matrix->setToolTipForCell(tip, cell.get());
    }
}

void CVLToolsController::setSmartSelectMatchMode(int mode)
{
    if (auto tool = std::dynamic_pointer_cast<PWSmartSelectTool>(
            PWDrawingTool::drawingToolWithName(toolNameForTag(kSmartSelectToolTag))))
        tool->setMatchMode(mode);
    updateSmartSelectMenu();
    setCurrentToolWithTag(kSmartSelectToolTag);
}

void CVLToolsController::updateSmartSelectMenu()
{
    auto tool = std::dynamic_pointer_cast<PWSmartSelectTool>(
        PWDrawingTool::drawingToolWithName(toolNameForTag(kSmartSelectToolTag)));
    const pf::Ref<pf::Menu> menu = mSmartSelectButton ? mSmartSelectButton->menu() : nullptr;
    if (!tool || !menu)
        return;
    for (const pf::Ref<pf::MenuItem>& item : menu->items())
        item->setState(item->tag() == tool->matchMode() ? pf::ControlState::On : pf::ControlState::Off);
}

// --- Notifications ----------------------------------------------------------------------------

void CVLToolsController::observeNotifications()
{
    auto& centre = pf::NotificationCenter::defaultCenter();
    auto observe = [&](const QString& name, void (CVLToolsController::*handler)(const pf::Notification&)) {
        mObservations.append(
            centre.addObserver(name, nullptr, [this, handler](const pf::Notification& note) { (this->*handler)(note); }));
    };
    observe(kPWDidChangeToolAutoRevertStateNotification, &CVLToolsController::autoRevertStateDidChange);
    observe(kPWDrawingToolCreatedObjectsStyleDidChange, &CVLToolsController::createdObjectsStyleDidChange);
    observe(kPickerSelectedObjectDidChange, &CVLToolsController::pickerSelectionDidChange);
    observe(kStyleInspectorDidCreateNewStyle, &CVLToolsController::styleInspectorDidCreateStyle);
    mObservations.append(centre.addObserver(kWindowDidBecomeMain, nullptr,
                                            [this](const pf::Notification&) { mainWindowDidChange(true); }));
    mObservations.append(centre.addObserver(kWindowDidResignMain, nullptr,
                                            [this](const pf::Notification&) { mainWindowDidChange(false); }));
}

void CVLToolsController::toolDidChange(const pf::Notification& note)
{
    pf::Ref<PWDrawingTool> tool;
    if (auto* controller = dynamic_cast<PWToolController*>(note.object))
        tool = controller->drawingTool();
    else if (auto* asTool = dynamic_cast<PWDrawingTool*>(note.object))
        tool = std::static_pointer_cast<PWDrawingTool>(objectRef(asTool));
    else if (note.object)
        tool = pf::objectCast<PWDrawingTool>(note.object->valueForKey(QStringLiteral("drawingTool")));
    synchronizeUIWithTool(tool);
}

void CVLToolsController::autoRevertStateDidChange(const pf::Notification& note)
{
    PWToolController* controller = currentToolController();
    if (controller && note.object == static_cast<pf::Reflective*>(controller))
        updateCellForTag(tagForCurrentTool());
}

void CVLToolsController::createdObjectsStyleDidChange(const pf::Notification& note)
{
    if (mIsSettingToolStyle)
        return;
    pf::Ref<PWStyle> style = pf::objectCast<PWStyle>(note.userInfo.value(QStringLiteral("style")));
    if (!style && note.object) {
        if (auto* tool = dynamic_cast<PWObjectCreationTool*>(note.object))
            style = tool->style();
        else
            style = pf::objectCast<PWStyle>(note.object->valueForKey(QStringLiteral("style")));
    }
    if (!style)
        style = PWObjectCreationTool::styleForCreatedObjects();
    if (!style)
        return;
    setCurrentStyleOrSymbol(style);
    pf::NotificationCenter::defaultCenter().post(kCartavelToolControllerStyleChangedExternally,
                                                             note.object);
}

void CVLToolsController::pickerSelectionDidChange(const pf::Notification& note)
{
    const auto item = pf::objectCast<PWXLibraryItem>(note.userInfo.value(QStringLiteral("lib_object")));
    if (!item)
        return;
    const pf::Ref<pf::Object> object = item->representedObject();
    if (!object)
        return;
    if (PWXLibrary* library = item->library())
        library->useItem(item);
    setCurrentStyleOrSymbol(object);
}

void CVLToolsController::styleInspectorDidCreateStyle(const pf::Notification& note)
{
    if (!note.object)
        return;
    if (auto style = pf::objectCast<PWStyle>(note.object->valueForKey(QStringLiteral("style"))))
        setCurrentStyleOrSymbol(style);
}

void CVLToolsController::mainWindowDidChange(bool becameMain)
{
    if (becameMain) {
        if (const pf::Ref<PWDrawingTool> tool = currentTool())
            synchronizeUIWithTool(tool);
        // Floating above the document windows also where no window manager keeps it there.
        if (isWindowLoaded() && window()->isVisible())
            window()->raise();
    }
    std::weak_ptr<CVLToolsController> weak = ref<CVLToolsController>();
    QTimer::singleShot(kEnablingDelayMs, [weak] {
        if (auto self = weak.lock())
            self->updateEnabling();
    });
}
