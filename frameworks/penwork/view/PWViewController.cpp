#include "frameworks/penwork/view/PWViewController.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/view/PWDrawingView.h"

#include "platform/foundation/UserDefaults.h"

namespace {
const QString kLayerAutoActivationKey = QStringLiteral("PWViewControllerLayerAutoActivation");
}

PF_DEFINE_CLASS(PWViewController, pf::Object)
{
    b.property("view", &PWViewController::view);
    b.method("toggleSnapToGrid:", &PWViewController::toggleSnapToGrid);
    b.method("toggleSnapToGuides:", &PWViewController::toggleSnapToGuides);
}

PWViewController::PWViewController(PWDrawingView* view) : m_view(view) {}

PWViewController::~PWViewController() = default;

bool PWViewController::layerAutoActivationDefault()
{
    const pf::UserDefaults& defaults = pf::UserDefaults::standard();
    return !defaults.objectForKey(kLayerAutoActivationKey).isValid() || defaults.boolForKey(kLayerAutoActivationKey);
}

void PWViewController::setLayerAutoActivationDefault(bool enabled)
{
    pf::UserDefaults::standard().setBool(enabled, kLayerAutoActivationKey);
}

PWDrawingView* PWViewController::drawingView() const
{
    return qobject_cast<PWDrawingView*>(m_view.data());
}

void PWViewController::setDrawingView(PWDrawingView* view)
{
    m_view = view;
}

void PWViewController::toggleSnapToGrid(const QVariant&)
{
    PWDrawingView* view = drawingView();
    if (pf::Ref<PWDrawing> drawing = view ? view->drawing() : nullptr)
        drawing->setSnapsToGrid(!drawing->snapsToGrid());
}

void PWViewController::toggleSnapToGuides(const QVariant&)
{
    PWDrawingView* view = drawingView();
    if (pf::Ref<PWDrawing> drawing = view ? view->drawing() : nullptr)
        drawing->setSnapsToGuides(!drawing->snapsToGuides());
}

QWidget* PWViewController::view() const
{
    return m_view.data();
}

void PWViewController::drawingNeedsDisplayInRect(const QRectF& rect)
{
    if (PWDrawingView* view = drawingView())
        view->drawingNeedsDisplayInRect(rect);
}

void PWViewController::updateRulerMarkersForRect(const QRectF& rect)
{
    if (PWDrawingView* view = drawingView())
        view->updateRulerMarkersForRect(rect);
}

void PWViewController::hideRulerMarkers()
{
    if (PWDrawingView* view = drawingView())
        view->hideRulerMarkers();
}

void PWViewController::invalidateCursors()
{
    if (PWDrawingView* view = drawingView())
        view->invalidateCursors();
}
