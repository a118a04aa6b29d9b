#pragma once

#include "platform/foundation/Object.h"

#include <QPointer>

class PWDrawingView;
namespace pf {
class TextField;
class ToolbarItem;
struct Notification;
}

// Feeds the toolbar read-out of a document window with the mouse position in drawing units.
// The read-out item's view holds, in its last subview, the fields tagged 100 (x), 101 (y) and
// 102 (unit abbreviation); they are known only while the item is in the toolbar.
class CVLMouseLocationController : public pf::Object {
    PF_CLASS(CVLMouseLocationController)
public:
    static inline const QString kToolbarItemIdentifier = QStringLiteral("CVLMouseLocationToolbarItem");
    static constexpr int kXFieldTag = 100;
    static constexpr int kYFieldTag = 101;
    static constexpr int kUnitsFieldTag = 102;

    CVLMouseLocationController() = default;
    ~CVLMouseLocationController() override;

    PWDrawingView* view() const;
    void setView(PWDrawingView* view);
    pf::ToolbarItem* toolbarItem() const { return m_toolbarItem.lock().get(); }
    void setToolbarItem(const pf::Ref<pf::ToolbarItem>& item) { m_toolbarItem = item; }

    // Starts observing the view's mouse-moved and mouse-dragged locations.
    void awakeFromNib();
    void updateMouseLocation(const pf::Notification& notification);
    // Called for the toolbar's will-add and did-remove notifications: other items are ignored.
    void toolbarItemWasInstalled(pf::ToolbarItem* item);
    void toolbarItemWasRemoved(pf::ToolbarItem* item);

    pf::TextField* xLocationField() const;
    pf::TextField* yLocationField() const;
    pf::TextField* unitsField() const;

private:
    void stopObserving();

    QPointer<PWDrawingView> m_view;
    pf::Weak<pf::ToolbarItem> m_toolbarItem;
    QPointer<pf::TextField> m_xLocation;
    QPointer<pf::TextField> m_yLocation;
    QPointer<pf::TextField> m_unitsAbbrevTextField;
    QList<quint64> m_observations;
};
