#pragma once

#include "platform/ui/WindowController.h"

class PWDrawingView;

// The plain document window: the framework's drawing view in its scroll area, showing the
// document's drawing.
class VNQLDrawingWindowController : public pf::WindowController {
    PF_CLASS(VNQLDrawingWindowController)
public:
    VNQLDrawingWindowController();

    void loadWindow() override;
    PWDrawingView* drawingView() const { return m_drawingView; }

private:
    PWDrawingView* m_drawingView = nullptr;
};
