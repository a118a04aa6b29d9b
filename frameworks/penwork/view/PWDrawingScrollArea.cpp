#include "frameworks/penwork/view/PWDrawingScrollArea.h"

#include "frameworks/penwork/view/PWDrawingView.h"
#include "frameworks/penwork/view/PWRulerView.h"

#include "platform/foundation/NotificationCenter.h"

PF_DEFINE_CLASS(PWDrawingScrollArea, pf::ScrollView) {}

PWDrawingScrollArea::PWDrawingScrollArea(PWDrawingView* view, QWidget* parent) : pf::ScrollView(parent)
{
    setHasHorizontalScroller(true);
    setHasVerticalScroller(true);
    setAutohidesScrollers(true);
    auto* horizontal = new PWRulerView(Qt::Horizontal);
    auto* vertical = new PWRulerView(Qt::Vertical);
    horizontal->setDrawingView(view);
    vertical->setDrawingView(view);
    setHorizontalRulerView(horizontal);
    setVerticalRulerView(vertical);
    setHasHorizontalRuler(true);
    setHasVerticalRuler(true);
    setDocumentView(view);
    if (view) {
        setRulersVisible(view->rulersVisible());
        m_rulersObservation = pf::NotificationCenter::defaultCenter().addObserver(
            kPWDrawingViewRulersChanged, view, [this](const pf::Notification&) {
                if (PWDrawingView* shown = drawingView())
                    setRulersVisible(shown->rulersVisible());
            });
    }
}

PWDrawingScrollArea::~PWDrawingScrollArea()
{
    pf::NotificationCenter::defaultCenter().removeObserver(m_rulersObservation);
}

PWDrawingView* PWDrawingScrollArea::drawingView() const
{
    return qobject_cast<PWDrawingView*>(documentView());
}

PWRulerView* PWDrawingScrollArea::horizontalRuler() const
{
    return qobject_cast<PWRulerView*>(horizontalRulerView());
}

PWRulerView* PWDrawingScrollArea::verticalRuler() const
{
    return qobject_cast<PWRulerView*>(verticalRulerView());
}

void PWDrawingScrollArea::updateRulers()
{
    for (pf::RulerView* ruler : {horizontalRulerView(), verticalRulerView()}) {
        if (ruler && !ruler->isHidden())
            ruler->setNeedsDisplay(true);
    }
}
