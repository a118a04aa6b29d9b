#pragma once

#include "platform/ui/ActionSender.h"
#include "platform/ui/ActionTarget.h"
#include "platform/ui/UserInterfaceItem.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

class QWidget;

namespace pf {

class MenuItem;
class Reflective;
class UndoManager;

// An object that takes part in the responder chain: views, windows, window and view
// controllers, documents, the application and its delegate. A mix-in beside pf::Object or a
// Qt widget with pf::Reflective: actions are the class's operations named by their selector
// text ("copy:"), reached through the Reflective the responder also is.
class Responder {
public:
    Responder() = default;
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;
    virtual ~Responder();

    // This responder as the Reflective that answers its actions; null when it is none.
    Reflective* reflective();
    const Reflective* reflective() const;

    // The responder after this one when the chain is walked from here. Kept weakly: a next
    // responder that is gone reads as null. The chain of a window also follows these links
    // after each responder it visits.
    virtual Responder* nextResponder() const;
    void setNextResponder(Responder* next);

    // Whether this responder handles `action` itself (by default: its class answers it).
    virtual bool respondsToAction(const QString& action) const;
    // Performs the action with `sender` when this responder handles it, else hands it along
    // the next-responder links; answers whether someone performed it.
    virtual bool tryToPerform(const QString& action, const QVariant& sender);
    // Calls the operation named `action` with the sender as its one argument.
    virtual void performAction(const QString& action, const QVariant& sender);

    // First responder status. A responder that does not accept is never made first
    // responder; one that refuses to resign keeps it.
    virtual bool acceptsFirstResponder() const { return false; }
    virtual bool becomeFirstResponder() { return true; }
    virtual bool resignFirstResponder() { return true; }

    // Validation of an item whose action this responder would receive. The menu form falls
    // back on the general one; the general one calls a "validateUserInterfaceItem:"
    // operation of the class when it has one and otherwise enables the item.
    virtual bool validateMenuItem(MenuItem& item);
    virtual bool validateUserInterfaceItem(UserInterfaceItem& item);

    // The undo manager for edits made through this responder: its own when it keeps one,
    // else the first one kept along its next-responder links.
    UndoManager* undoManager() const;
    // The undo manager this responder keeps itself (a document's); null by default.
    virtual UndoManager* ownUndoManager() const { return nullptr; }

private:
    Responder* m_next = nullptr;
    std::weak_ptr<void> m_nextLiveness;
    bool m_nextIsReflective = false;
};

// The responder a widget is, when it is one.
Responder* responderForWidget(QWidget* widget);

// Associates a controller (a view controller) with the widget it manages: the chain visits
// the controller right after the widget. Held weakly; null removes it.
void setWidgetController(QWidget* widget, Responder* controller);
Responder* widgetController(const QWidget* widget);

// The window's first responder: its focus widget when it has one, else the window itself.
QWidget* firstResponder(QWidget* window);
// Makes `responder` (a widget inside `window`, or the window itself or null, which ends any
// field editing) the window's first responder. Answers false, changing nothing, when the
// current one refuses to resign or the new one does not accept.
bool makeFirstResponder(QWidget* window, QWidget* responder);

// Validates `item` against the responder that would receive its action: its explicit
// target when it has one (validated only when it answers the action), else the responder
// chain. An item whose action nobody handles is disabled. Answers the enabled state, which
// is also set on the item.
bool validateUserInterfaceItem(UserInterfaceItem& item);

} // namespace pf
