#pragma once

#include "platform/ui/Application.h"

#include <QPointer>
#include <QString>

// The program's application object. Besides the platform's application it pumps events for a
// window shown modally a step at a time, sends Undo and Redo to a key window whose delegate
// takes them over, and keeps the last sender and the title of the user's current action.
class VNQLApplication : public pf::Application {
    PF_CLASS(VNQLApplication)
public:
    VNQLApplication() = default;
    ~VNQLApplication() override;

    static QString registeredUserName();
    // Nothing to report on this platform.
    static QString systemVersion() { return {}; }
    static QString productName();

    // One step of a modal pump: the next input event already queued goes to `window` when it
    // is that window's; a mouse click on another window beeps, anything else for another
    // window is dropped. Paint and timer events run as usual meanwhile.
    void fetchAndDispatchEventsModalForWindow(QWidget* window) override;

    // Undo and Redo go to the key window's delegate when it answers "willRedirectUndo",
    // whatever target they were given; every other action goes the usual way.
    bool sendAction(const QString& action, pf::Reflective* target, const QVariant& sender) override;

    pf::Reflective* lastSender() const { return m_lastSender; }
    void setLastSender(pf::Reflective* sender) { m_lastSender = sender; }
    QString title() const { return m_titleForUserAction; }
    void setTitle(const QString& title) { m_titleForUserAction = title; }

protected:
    // The beep of a click outside the modal window.
    virtual void beepForRefusedClick();

private:
    pf::Reflective* keyWindowDelegate() const;

    pf::Reflective* m_lastSender = nullptr; // not owned
    QString m_titleForUserAction;
};
