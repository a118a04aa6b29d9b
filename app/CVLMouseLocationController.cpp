#include "app/CVLMouseLocationController.h"

#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ToolbarItem.h"

#include <QPointF>

PF_DEFINE_CLASS(CVLMouseLocationController, pf::Object) {}

CVLMouseLocationController::~CVLMouseLocationController()
{
    stopObserving();
}

PWDrawingView* CVLMouseLocationController::view() const { return m_view; }
void CVLMouseLocationController::setView(PWDrawingView* view) { m_view = view; }
pf::TextField* CVLMouseLocationController::xLocationField() const { return m_xLocation; }
pf::TextField* CVLMouseLocationController::yLocationField() const { return m_yLocation; }
pf::TextField* CVLMouseLocationController::unitsField() const { return m_unitsAbbrevTextField; }

void CVLMouseLocationController::stopObserving()
{
    for (quint64 token : std::as_const(m_observations))
        pf::NotificationCenter::defaultCenter().removeObserver(token);
    m_observations.clear();
}

void CVLMouseLocationController::awakeFromNib()
{
    stopObserving();
    if (!m_view)
        return;
    // The handlers hold this controller weakly: the view may outlive it, or it the view.
    pf::Weak<CVLMouseLocationController> weak = std::static_pointer_cast<CVLMouseLocationController>(shared_from_this());
    auto handler = [weak](const pf::Notification& notification) {
        if (auto self = weak.lock())
            self->updateMouseLocation(notification);
    };
    auto& centre = pf::NotificationCenter::defaultCenter();
    m_observations.append(centre.addObserver(kPWDrawingMouseDraggedLocation, m_view.data(), handler));
    m_observations.append(centre.addObserver(kPWDrawingMouseMovedLocation, m_view.data(), handler));
}

void CVLMouseLocationController::updateMouseLocation(const pf::Notification& notification)
{
    const QPointF point = notification.userInfo.value(kPWDrawingMouseLocationInDrawingUnits).toPointF();
    if (m_xLocation)
        m_xLocation->setFloatValue(point.x());
    if (m_yLocation)
        m_yLocation->setFloatValue(point.y());
    if (m_unitsAbbrevTextField)
        m_unitsAbbrevTextField->setStringValue(notification.userInfo.value(kPWDrawingMouseLocationAbbreviatedUnits).toString());
}

void CVLMouseLocationController::toolbarItemWasInstalled(pf::ToolbarItem* item)
{
    if (!item || item->itemIdentifier() != kToolbarItemIdentifier || !item->view())
        return;
    const QList<QWidget*> subviews = item->view()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    if (subviews.isEmpty())
        return;
    for (auto* field : subviews.last()->findChildren<pf::TextField*>(Qt::FindDirectChildrenOnly)) {
        switch (field->tag()) {
        case kXFieldTag:
            m_xLocation = field;
            break;
        case kYFieldTag:
            m_yLocation = field;
            break;
        case kUnitsFieldTag:
            m_unitsAbbrevTextField = field;
            break;
        default:
            break;
        }
    }
}

void CVLMouseLocationController::toolbarItemWasRemoved(pf::ToolbarItem* item)
{
    if (!item || item->itemIdentifier() != kToolbarItemIdentifier)
        return;
    m_xLocation = nullptr;
    m_yLocation = nullptr;
    m_unitsAbbrevTextField = nullptr;
}
