#pragma once

#include <QString>

#include <functional>

namespace pf {
class Alert;
}

// The application-wide help, preferences and welcome commands, given to every application
// delegate: the help buttons of the tabs, panes and sheets ask the delegate for a help page by
// name ("showHelpItemNamed:"), and the Help and Edit menus send "showHelp:",
// "showHelpItemWithTitleOfSender:", "showWelcomeToQuillory:" and "openPreferences:". A delegate
// class may answer any of them itself; its own operation then comes first.
//
// Until the delegate takes over the launch steps of these windows itself (it then answers
// "willDisplayWelcomeVideoAtLaunch"), launching also runs the migration from the earlier
// version before the delegate loads the item library, and shows the welcome window 2 s after
// launching has finished when the user wants it; and it keeps the document class's drawing
// quality setting from one run to the next.
namespace ApplicationDelegateQuilloryActions {
// The help identifier of the guide's contents page (the Help menu's main item).
inline const QString kContentsIdentifier = QStringLiteral("quillory-help");
// Adds the operations to the delegate base class and the launch steps; done once, when the
// program loads.
void install();
// Asks whether to reset every preference and, on "Reset Preferences", empties the user's
// settings and registers the program's defaults again. `run` shows the alert and answers the
// button (the modal run when none is given). Answers whether the settings were reset.
bool confirmAndDiscardApplicationPreferences(const std::function<int(pf::Alert&)>& run = {});
// The delay after launching before the welcome window shows.
inline constexpr int kWelcomeDelayMilliseconds = 2000;
} // namespace ApplicationDelegateQuilloryActions
