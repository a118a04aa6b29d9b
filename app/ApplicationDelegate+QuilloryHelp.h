#pragma once

#include <QString>

// The application-wide help, preferences and welcome commands, given to every application
// delegate: the help buttons of the tabs, panes and sheets ask the delegate for a help page by
// name ("showHelpItemNamed:"), and the Help and Edit menus send "showHelp:",
// "showHelpItemWithTitleOfSender:", "showWelcomeToQuillory:" and "openPreferences:". A delegate
// class may answer any of them itself; its own operation then comes first.
namespace ApplicationDelegateQuilloryHelp {
// The help identifier of the guide's contents page (the Help menu's main item).
inline const QString kContentsIdentifier = QStringLiteral("quillory-help");
// Adds the operations to the delegate base class; done once, when the program loads.
void install();
} // namespace ApplicationDelegateQuilloryHelp
