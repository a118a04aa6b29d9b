#pragma once

#include "platform/foundation/Notification.h"
#include "platform/foundation/Object.h"

#include <QString>

namespace pf {

class Application;

// What the application asks of termination: go on now, stop, or wait for
// Application::replyToApplicationShouldTerminate.
enum class TerminateReply : int { Cancel = 0, Now = 1, Later = 2 };

// The application's delegate. Every message has a default, so a delegate overrides only the
// ones it cares about; it also sits near the end of the responder chain, so its class's
// operations answer actions nobody else took.
class ApplicationDelegate : public Object {
    PF_CLASS(ApplicationDelegate)
public:
    ApplicationDelegate() = default;

    virtual void applicationWillFinishLaunching(const Notification& notification) {}
    virtual void applicationDidFinishLaunching(const Notification& notification) {}
    // A file given at launch or by the desktop. Answering false hands it to the document
    // controller.
    virtual bool applicationOpenFile(Application& application, const QString& path) { return false; }
    // Whether launching without files opens an untitled document.
    virtual bool applicationShouldOpenUntitledFile(Application& application) { return true; }
    virtual TerminateReply applicationShouldTerminate(Application& application) { return TerminateReply::Now; }
    virtual void applicationWillTerminate(const Notification& notification) {}
    virtual void applicationDidBecomeActive(const Notification& notification) {}
    virtual void applicationDidResignActive(const Notification& notification) {}
    virtual void applicationDidHide(const Notification& notification) {}
    virtual void applicationDidUnhide(const Notification& notification) {}
};

} // namespace pf
