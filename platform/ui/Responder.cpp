#include "platform/ui/Responder.h"

#include "platform/foundation/Reflective.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/ResponderChain.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

namespace pf {

namespace {

// Calls a validation operation of the class; a result that is not a boolean enables.
bool performValidation(Reflective& validator, const QString& selector, const QVariant& item)
{
    const QVariant answer = validator.perform(selector, {item});
    return answer.isValid() ? answer.toBool() : true;
}

struct ControllerLink {
    QPointer<QWidget> widget;
    Responder* controller = nullptr;
    std::weak_ptr<void> liveness;
    bool reflective = false;

    Responder* get() const
    {
        if (!widget || !controller || (reflective && liveness.expired()))
            return nullptr;
        return controller;
    }
};

QHash<const QWidget*, ControllerLink>& controllerLinks()
{
    static QHash<const QWidget*, ControllerLink> links;
    return links;
}

} // namespace

Responder::~Responder() = default;

Reflective* Responder::reflective()
{
    return dynamic_cast<Reflective*>(this);
}

const Reflective* Responder::reflective() const
{
    return dynamic_cast<const Reflective*>(this);
}

Responder* Responder::nextResponder() const
{
    if (!m_next || (m_nextIsReflective && m_nextLiveness.expired()))
        return nullptr;
    return m_next;
}

void Responder::setNextResponder(Responder* next)
{
    m_next = next;
    m_nextLiveness.reset();
    m_nextIsReflective = false;
    if (next) {
        if (Reflective* r = next->reflective()) {
            m_nextLiveness = r->livenessToken();
            m_nextIsReflective = true;
        }
    }
}

bool Responder::respondsToAction(const QString& action) const
{
    const Reflective* self = reflective();
    return self && self->respondsTo(action);
}

bool Responder::tryToPerform(const QString& action, const QVariant& sender)
{
    // Walk the explicit links; a cycle ends the walk instead of looping forever.
    QList<Responder*> seen;
    for (Responder* r = this; r && !seen.contains(r); r = r->nextResponder()) {
        seen.append(r);
        if (r->respondsToAction(action)) {
            r->performAction(action, sender);
            return true;
        }
    }
    return false;
}

void Responder::performAction(const QString& action, const QVariant& sender)
{
    if (Reflective* self = reflective())
        self->perform(action, {sender});
}

bool Responder::validateMenuItem(MenuItem& item)
{
    Reflective* self = reflective();
    if (self && self->respondsTo(QStringLiteral("validateMenuItem:")))
        return performValidation(*self, QStringLiteral("validateMenuItem:"), item.senderValue());
    return validateUserInterfaceItem(item);
}

bool Responder::validateUserInterfaceItem(UserInterfaceItem& item)
{
    Reflective* self = reflective();
    if (self && self->respondsTo(QStringLiteral("validateUserInterfaceItem:")))
        return performValidation(*self, QStringLiteral("validateUserInterfaceItem:"), item.senderValue());
    return true;
}

UndoManager* Responder::undoManager() const
{
    if (UndoManager* own = ownUndoManager())
        return own;
    QList<const Responder*> seen{this};
    for (Responder* r = nextResponder(); r && !seen.contains(r); r = r->nextResponder()) {
        seen.append(r);
        // Ask each link for its own manager only; the base answer would walk again.
        if (UndoManager* manager = r->ownUndoManager())
            return manager;
    }
    return nullptr;
}

Responder* responderForWidget(QWidget* widget)
{
    return dynamic_cast<Responder*>(widget);
}

void setWidgetController(QWidget* widget, Responder* controller)
{
    if (!widget)
        return;
    auto& links = controllerLinks();
    if (!controller) {
        links.remove(widget);
        return;
    }
    ControllerLink link;
    link.widget = widget;
    link.controller = controller;
    if (Reflective* r = controller->reflective()) {
        link.liveness = r->livenessToken();
        link.reflective = true;
    }
    const bool isNew = !links.contains(widget);
    links.insert(widget, link);
    if (isNew)
        QObject::connect(widget, &QObject::destroyed, [widget] { controllerLinks().remove(widget); });
}

Responder* widgetController(const QWidget* widget)
{
    auto& links = controllerLinks();
    auto it = links.find(widget);
    return it == links.end() ? nullptr : it->get();
}

QWidget* firstResponder(QWidget* window)
{
    if (!window)
        return nullptr;
    QWidget* focus = window->focusWidget();
    if (focus && focus != window && window->isAncestorOf(focus))
        return focus;
    return window;
}

namespace {

bool accepts(QWidget* widget)
{
    if (Responder* r = responderForWidget(widget))
        return r->acceptsFirstResponder();
    return widget->focusPolicy() != Qt::NoFocus;
}

} // namespace

bool makeFirstResponder(QWidget* window, QWidget* responder)
{
    if (!window)
        return false;
    window = window->window();
    QWidget* current = firstResponder(window);
    if (responder == current)
        return true;
    if (responder && responder != window) {
        if (!window->isAncestorOf(responder) || !accepts(responder))
            return false;
    }
    if (current != window) {
        if (Responder* r = responderForWidget(current); r && !r->resignFirstResponder())
            return false;
    }
    if (!responder || responder == window) {
        // The window itself: the field being edited loses focus and commits.
        if (current != window)
            current->clearFocus();
        return true;
    }
    if (Responder* r = responderForWidget(responder); r && !r->becomeFirstResponder()) {
        if (current != window)
            current->clearFocus();
        return false;
    }
    responder->setFocus(Qt::OtherFocusReason);
    return true;
}

bool validateUserInterfaceItem(UserInterfaceItem& item)
{
    Reflective* target = ResponderChain::targetForAction(item.action(), item.target());
    bool enabled = false;
    if (target) {
        auto* menuItem = dynamic_cast<MenuItem*>(&item);
        if (Responder* responder = dynamic_cast<Responder*>(target)) {
            enabled = menuItem ? responder->validateMenuItem(*menuItem) : responder->validateUserInterfaceItem(item);
        } else if (menuItem && target->respondsTo(QStringLiteral("validateMenuItem:"))) {
            enabled = performValidation(*target, QStringLiteral("validateMenuItem:"), item.senderValue());
        } else if (target->respondsTo(QStringLiteral("validateUserInterfaceItem:"))) {
            enabled = performValidation(*target, QStringLiteral("validateUserInterfaceItem:"), item.senderValue());
        } else {
            enabled = true;
        }
    }
    item.setEnabled(enabled);
    return enabled;
}

} // namespace pf
