#pragma once

#include "platform/ui/ToolbarDelegate.h"
#include "platform/ui/WindowController.h"

#include <QPointer>

class PWDrawingScrollArea;
class PWDrawingView;
class VNQLDocumentWindow;
class VNQLTabView;
namespace pf {
class PopUpButton;
class SegmentedControl;
class SplitView;
class Toolbar;
}

// What the document window's layout hands its document: the views and controls the document
// works with, all owned by the window.
struct VNQLDocumentWindowOutlets {
    VNQLDocumentWindow* window = nullptr;
    pf::SplitView* splitView = nullptr;
    VNQLTabView* sidebarTabView = nullptr;
    VNQLTabView* rightHandSidebarTabView = nullptr;
    PWDrawingScrollArea* scrollView = nullptr;
    PWDrawingView* drawingView = nullptr;
    std::shared_ptr<pf::Toolbar> toolbar;
};

// The document window ("MainDocument"): the drawing view in its scroll view in the middle, a
// left and a right sidebar of tabs in a split view, and a toolbar with the sidebar switch, the
// snapping switch, the zoom read-out, the share button and the mouse-location read-out. The
// toolbar's items are made here; the document is their target and the window's delegate.
class VNQLDrawingWindowController : public pf::WindowController, public pf::ToolbarDelegate {
    PF_CLASS(VNQLDrawingWindowController)
public:
    static inline const QString kWindowNibName = QStringLiteral("MainDocument");
    static inline const QString kToolbarIdentifier = QStringLiteral("VNQLDocumentToolbar");
    static inline const QString kSidebarsItemIdentifier = QStringLiteral("VNQLSidebarsToolbarItem");
    static inline const QString kSnappingItemIdentifier = QStringLiteral("VNQLSnappingToolbarItem");
    static inline const QString kZoomItemIdentifier = QStringLiteral("VNQLZoomToolbarItem");
    static inline const QString kShareItemIdentifier = QStringLiteral("VNQLShareToolbarItem");
    // The smallest window: a sidebar and a little of the drawing.
    static constexpr double kMinimumWidth = 600;
    static constexpr double kMinimumHeight = 400;

    VNQLDrawingWindowController();

    void loadWindow() override;
    PWDrawingView* drawingView() const { return m_outlets.drawingView; }
    const VNQLDocumentWindowOutlets& outlets() const { return m_outlets; }

    // pf::ToolbarDelegate
    QStringList toolbarDefaultItemIdentifiers(pf::Toolbar& toolbar) override;
    pf::Ref<pf::ToolbarItem> itemForItemIdentifier(pf::Toolbar& toolbar, const QString& identifier,
                                                   bool willBeInserted) override;

private:
    pf::Ref<pf::ToolbarItem> makeSidebarsItem();
    pf::Ref<pf::ToolbarItem> makeSnappingItem();
    pf::Ref<pf::ToolbarItem> makeZoomItem();
    pf::Ref<pf::ToolbarItem> makeShareItem();
    pf::Ref<pf::ToolbarItem> makeMouseLocationItem();

    VNQLDocumentWindowOutlets m_outlets;
};
