#include "app/VNQLDrawingWindowController.h"

#include "app/CVLMouseLocationController.h"
#include "app/RVCartavelDocument.h"
#include "app/VNQLDocumentWindow.h"
#include "frameworks/penwork/view/PWDrawingScrollArea.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "inspectors/VNQLTabView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NumberFormatter.h"
#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/SplitView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ToolbarItem.h"
#include "platform/ui/Window.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>

PF_DEFINE_CLASS(VNQLDrawingWindowController, pf::WindowController) {}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLDrawingWindowController", text);
}

constexpr QRectF kInitialFrame(0, 0, 1200, 800);
constexpr double kSidebarWidth = 250;

// A pane of the split view holding one view that fills it.
pf::View* paneHolding(pf::View* content, double width)
{
    auto* pane = new pf::View(QRectF(0, 0, width, kInitialFrame.height()));
    pane->setAutoresizesSubviews(true);
    content->setFrame(pane->bounds());
    content->setAutoresizingMask(pf::ViewWidthSizable | pf::ViewHeightSizable);
    pane->addSubview(content);
    return pane;
}

pf::TextField* readOutField(int tag, int width, QWidget* parent)
{
    auto* field = new pf::TextField(parent);
    field->setTag(tag);
    field->setEditable(false);
    field->setBezeled(false);
    field->setDrawsBackground(false);
    field->setFixedWidth(width);
    return field;
}

} // namespace

VNQLDrawingWindowController::VNQLDrawingWindowController() : pf::WindowController(kWindowNibName)
{
    setShouldCloseDocument(true);
}

void VNQLDrawingWindowController::loadWindow()
{
    auto* document = dynamic_cast<RVCartavelDocument*>(this->document());
    auto* window = new VNQLDocumentWindow;
    window->setMinimumSize(int(kMinimumWidth), int(kMinimumHeight));
    window->resize(kInitialFrame.size().toSize());

    // The view shows the document's drawing only, never one of its own.
    const bool automatic = PWDrawingView::shouldCreateAutomaticDrawing();
    PWDrawingView::setShouldCreateAutomaticDrawing(false);
    auto* drawingView = new PWDrawingView;
    drawingView->setShowsPasteboard(true);
    PWDrawingView::setShouldCreateAutomaticDrawing(automatic);
    if (document && document->drawing())
        drawingView->setDrawing(document->drawing());
    auto* scrollView = new PWDrawingScrollArea(drawingView);

    auto* splitView = new pf::SplitView(kInitialFrame);
    splitView->setVertical(true);
    splitView->setDividerStyle(pf::SplitViewDividerStyle::Thin);
    auto* left = new VNQLTabView(QRectF(0, 0, kSidebarWidth, kInitialFrame.height()));
    auto* right = new VNQLTabView(QRectF(0, 0, kSidebarWidth, kInitialFrame.height()));
    splitView->addSubview(paneHolding(left, kSidebarWidth));
    splitView->addSubview(paneHolding(scrollView, kInitialFrame.width() - 2 * kSidebarWidth));
    splitView->addSubview(paneHolding(right, kSidebarWidth));
    window->setCentralWidget(splitView);

    m_outlets.window = window;
    m_outlets.splitView = splitView;
    m_outlets.sidebarTabView = left;
    m_outlets.rightHandSidebarTabView = right;
    m_outlets.scrollView = scrollView;
    m_outlets.drawingView = drawingView;
    m_outlets.toolbar = pf::Toolbar::make(kToolbarIdentifier);
    m_outlets.toolbar->setDisplayMode(pf::Toolbar::DisplayMode::IconOnly);
    setWindow(window);

    // The document takes its outlets before the toolbar fills, so it hears the items arrive.
    if (document)
        document->connectWindowOutlets(m_outlets);
    m_outlets.toolbar->setDelegate(this);
    window->setToolbar(m_outlets.toolbar);
    if (document)
        document->awakeFromNib();
}

QStringList VNQLDrawingWindowController::toolbarDefaultItemIdentifiers(pf::Toolbar&)
{
    return {kSidebarsItemIdentifier, kSnappingItemIdentifier, kZoomItemIdentifier, pf::NSToolbarFlexibleSpaceItemIdentifier,
            CVLMouseLocationController::kToolbarItemIdentifier, pf::NSToolbarSpaceItemIdentifier, kShareItemIdentifier};
}

pf::Ref<pf::ToolbarItem> VNQLDrawingWindowController::itemForItemIdentifier(pf::Toolbar&, const QString& identifier, bool)
{
    if (identifier == kSidebarsItemIdentifier)
        return makeSidebarsItem();
    if (identifier == kSnappingItemIdentifier)
        return makeSnappingItem();
    if (identifier == kZoomItemIdentifier)
        return makeZoomItem();
    if (identifier == kShareItemIdentifier)
        return makeShareItem();
    if (identifier == CVLMouseLocationController::kToolbarItemIdentifier)
        return makeMouseLocationItem();
    return nullptr;
}

pf::Ref<pf::ToolbarItem> VNQLDrawingWindowController::makeSidebarsItem()
{
    auto* control = new pf::SegmentedControl;
    control->setSegmentCount(2);
    control->setTrackingMode(pf::SegmentSwitchTracking::SelectAny);
    control->setLabel(tr("Left"), 0);
    control->setLabel(tr("Right"), 1);
    control->setToolTip(tr("Show or hide the left sidebar"), 0);
    control->setToolTip(tr("Show or hide the right sidebar"), 1);
    control->setAction(QStringLiteral("toggleSidebarsAction:"));
    control->setTarget(dynamic_cast<RVCartavelDocument*>(document()));
    auto item = pf::ToolbarItem::make(kSidebarsItemIdentifier);
    item->setLabel(tr("Sidebars"));
    item->setView(control);
    return item;
}

pf::Ref<pf::ToolbarItem> VNQLDrawingWindowController::makeSnappingItem()
{
    auto* control = new pf::SegmentedControl;
    control->setSegmentCount(3);
    control->setTrackingMode(pf::SegmentSwitchTracking::SelectAny);
    control->setLabel(tr("Grid"), 0);
    control->setLabel(tr("Guides"), 1);
    control->setLabel(tr("Objects"), 2);
    control->setToolTip(tr("Snap to the grid"), 0);
    control->setToolTip(tr("Snap to the guides"), 1);
    control->setToolTip(tr("Snap to other objects"), 2);
    // Sent along the responder chain: the document answers it.
    control->setAction(QStringLiteral("snappingOptionsAction:"));
    auto item = pf::ToolbarItem::make(kSnappingItemIdentifier);
    item->setLabel(tr("Snapping"));
    item->setView(control);
    return item;
}

pf::Ref<pf::ToolbarItem> VNQLDrawingWindowController::makeZoomItem()
{
    auto* popUp = new pf::PopUpButton(nullptr, true);
    // The first item of a pull-down is its title: the view scale as a percentage.
    pf::MenuItem* title = popUp->addItemWithTitle(QStringLiteral("100%"));
    title->setTag(-1);
    title->setEnabled(false);
    popUp->setAutoenablesItems(false);
    pf::MenuItem* fit = popUp->addItemWithTitle(tr("Fit in Window"));
    fit->setAction(QStringLiteral("zoomFitInWindow:"));
    auto item = pf::ToolbarItem::make(kZoomItemIdentifier);
    item->setLabel(tr("Zoom"));
    item->setView(popUp);
    return item;
}

pf::Ref<pf::ToolbarItem> VNQLDrawingWindowController::makeShareItem()
{
    auto* button = pf::Button::pushButton(tr("Share"));
    button->setAction(QStringLiteral("shareDocumentAction:"));
    auto item = pf::ToolbarItem::make(kShareItemIdentifier);
    item->setLabel(tr("Share"));
    item->setToolTip(tr("Share the drawing as a PDF image"));
    item->setView(button);
    return item;
}

pf::Ref<pf::ToolbarItem> VNQLDrawingWindowController::makeMouseLocationItem()
{
    // The fields sit in the last subview of the item's view, where the read-out looks.
    auto* view = new QWidget;
    auto* outer = new QHBoxLayout(view);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* fields = new QWidget(view);
    auto* row = new QHBoxLayout(fields);
    row->setContentsMargins(0, 0, 0, 0);
    auto formatter = std::make_shared<pf::NumberFormatter>();
    formatter->setStyle(pf::NumberFormatter::Style::Decimal);
    formatter->setMinimumFractionDigits(2);
    formatter->setMaximumFractionDigits(2);
    auto* x = readOutField(CVLMouseLocationController::kXFieldTag, 70, fields);
    auto* y = readOutField(CVLMouseLocationController::kYFieldTag, 70, fields);
    auto* units = readOutField(CVLMouseLocationController::kUnitsFieldTag, 30, fields);
    x->setFormatter(formatter);
    y->setFormatter(formatter);
    row->addWidget(new QLabel(QStringLiteral("x:"), fields));
    row->addWidget(x);
    row->addWidget(new QLabel(QStringLiteral("y:"), fields));
    row->addWidget(y);
    row->addWidget(units);
    outer->addWidget(fields);
    auto item = pf::ToolbarItem::make(CVLMouseLocationController::kToolbarItemIdentifier);
    item->setLabel(tr("Location"));
    item->setView(view);
    return item;
}
