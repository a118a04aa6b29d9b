#include "frameworks/penwork/view/PWDrawingScrollArea.h"

#include "frameworks/penwork/view/PWDrawingView.h"
#include "frameworks/penwork/view/PWRulerView.h"

#include "platform/foundation/NotificationCenter.h"

#include <QScrollBar>

PWDrawingScrollArea::PWDrawingScrollArea(PWDrawingView* view, QWidget* parent)
    : QScrollArea(parent), m_horizontalRuler(new PWRulerView(Qt::Horizontal, this)),
      m_verticalRuler(new PWRulerView(Qt::Vertical, this))
{
    setAlignment(Qt::AlignCenter);
    setWidgetResizable(false);
    setWidget(view);
    m_horizontalRuler->setDrawingView(view);
    m_verticalRuler->setDrawingView(view);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &PWDrawingScrollArea::updateRulers);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &PWDrawingScrollArea::updateRulers);
    m_rulersObservation = pf::NotificationCenter::defaultCenter().addObserver(
        kPWDrawingViewRulersChanged, view, [this](const pf::Notification&) { layoutRulers(); });
    layoutRulers();
}

PWDrawingScrollArea::~PWDrawingScrollArea()
{
    pf::NotificationCenter::defaultCenter().removeObserver(m_rulersObservation);
}

PWDrawingView* PWDrawingScrollArea::drawingView() const
{
    return qobject_cast<PWDrawingView*>(widget());
}

void PWDrawingScrollArea::updateRulers()
{
    m_horizontalRuler->update();
    m_verticalRuler->update();
}

void PWDrawingScrollArea::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    layoutRulers();
}

void PWDrawingScrollArea::layoutRulers()
{
    PWDrawingView* view = drawingView();
    const bool visible = view && view->rulersVisible();
    const int t = visible ? kRulerThickness : 0;
    setViewportMargins(t, t, 0, 0);
    m_horizontalRuler->setVisible(visible);
    m_verticalRuler->setVisible(visible);
    if (visible) {
        const QRect area = viewport()->geometry();
        m_horizontalRuler->setGeometry(area.left(), area.top() - t, area.width(), t);
        m_verticalRuler->setGeometry(area.left() - t, area.top(), t, area.height());
    }
    updateRulers();
}
