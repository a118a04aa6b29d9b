#include "inspectors/VNQLSelectionPane.h"

#include "inspectors/VNQLArrangePaneDelegate.h"
#include "inspectors/VNQLPaneControls.h"

#include "app/RVCartavelDocument.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Button.h"
#include "platform/ui/DocumentController.h"

PF_DEFINE_CLASS(VNQLSelectionPane, pf::ViewController) {}

VNQLSelectionPane::VNQLSelectionPane(const QString& nibName) : pf::ViewController(nibName) {}

pf::Ref<PWObjectDrawingLayer> VNQLSelectionPane::currentDrawingLayer()
{
    return m_delegate ? m_delegate->wantsCurrentDrawingLayerForController(this) : nullptr;
}

qint64 VNQLSelectionPane::selectionCount()
{
    return m_delegate ? m_delegate->wantsCountOfSelectedObjectsForController(this) : 0;
}

PWDrawingView* VNQLSelectionPane::currentDrawingView()
{
    pf::DocumentController* controller = pf::DocumentController::sharedIfMade();
    auto* document = controller ? dynamic_cast<RVCartavelDocument*>(controller->currentDocument()) : nullptr;
    return document ? document->mainView() : nullptr;
}

pf::Button* VNQLSelectionPane::button(const QString& label, const QString& toolTip, const QString& action)
{
    return VNQLPaneControls::pushButton(label, this, action, toolTip);
}
