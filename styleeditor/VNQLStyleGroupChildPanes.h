#pragma once

#include "platform/foundation/Object.h"

#include <QList>
#include <QString>

class RVCollapsibleContainerView;
class VNQLStyleComponentController;
namespace pf {
class Menu;
class Pasteboard;
class UserInterfaceItem;
} // namespace pf

// What the panes of renderer groups (repeat, gloom, blur) share: the panes of the group's
// children, which follow the group's lock; a stack rebuilt when the children change; and
// pasting a single renderer (never a group) from the pasteboard into the group.
class VNQLStyleGroupChildPanes {
public:
    static inline const QString kPasteAction = QStringLiteral("pasteIntoGroupAction:");

    void append(VNQLStyleComponentController* pane);
    void clear() { m_panes.clear(); }
    QList<VNQLStyleComponentController*> panes() const;
    // Hands the group's lock and enabled flags to every child pane, in order.
    void passStatesForLock(bool locked, bool enabled) const;

    // A change of the group's render list: the editor rebuilds its stack (not while the pane
    // is only starting to observe its group).
    static void renderListChanged(VNQLStyleComponentController& groupPane);
    // Whether the pasteboard holds one renderer that may go into a group (groups may not),
    // and its name.
    static bool canPasteComponentFrom(const pf::Pasteboard* pasteboard, QString* name);
    // Adds the pasteboard's renderer on top of the group and names the undo step "Paste ...";
    // nothing without a renderer, without a group, or while the style is locked.
    static bool pasteIntoGroup(VNQLStyleComponentController& groupPane);
    // Retitles the paste item ("Paste Component (Fill)") and answers whether it is enabled.
    static bool validatePasteItem(VNQLStyleComponentController& groupPane, pf::UserInterfaceItem& item);
    // The pane's own menu with the paste item added.
    static void addPasteItem(VNQLStyleComponentController& groupPane, pf::Menu& menu);
    // Shows a group's changed name as the title of its container.
    static void showDisplayName(VNQLStyleComponentController& groupPane, const QVariant& name);

private:
    QList<pf::Weak<VNQLStyleComponentController>> m_panes;
};
