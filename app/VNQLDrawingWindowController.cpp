#include "app/VNQLDrawingWindowController.h"

#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "frameworks/penwork/view/PWDrawingScrollArea.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/foundation/ClassBuilder.h"

#include <QMainWindow>

PF_DEFINE_CLASS(VNQLDrawingWindowController, pf::WindowController) {}

VNQLDrawingWindowController::VNQLDrawingWindowController()
{
    setShouldCloseDocument(true);
}

void VNQLDrawingWindowController::loadWindow()
{
    auto* document = dynamic_cast<PWDrawingDocument*>(this->document());
    // A main window, so the program's menu bar shows on it.
    auto* window = new QMainWindow;
    // The view shows the document's drawing only, never one of its own.
    const bool automatic = PWDrawingView::shouldCreateAutomaticDrawing();
    PWDrawingView::setShouldCreateAutomaticDrawing(false);
    m_drawingView = new PWDrawingView;
    PWDrawingView::setShouldCreateAutomaticDrawing(automatic);
    if (document && document->drawing())
        m_drawingView->setDrawing(document->drawing());
    window->setCentralWidget(new PWDrawingScrollArea(m_drawingView));
    window->resize(900, 700);
    setWindow(window);
}
