#pragma once

#include <QString>

namespace pf {

// Names of the notifications the platform layer posts itself. Each value is the constant's own
// name, as observers and stored references spell it.
inline const QString NSWindowDidBecomeMainNotification = QStringLiteral("NSWindowDidBecomeMainNotification");
inline const QString NSWindowDidResignMainNotification = QStringLiteral("NSWindowDidResignMainNotification");
inline const QString NSApplicationWillTerminateNotification = QStringLiteral("NSApplicationWillTerminateNotification");
inline const QString NSUserDefaultsDidChangeNotification = QStringLiteral("NSUserDefaultsDidChangeNotification");
inline const QString NSViewFrameDidChangeNotification = QStringLiteral("NSViewFrameDidChangeNotification");
inline const QString NSViewBoundsDidChangeNotification = QStringLiteral("NSViewBoundsDidChangeNotification");

} // namespace pf
