#pragma once

#include <QLoggingCategory>
#include <QString>

namespace pf {

// The system log of the platform layer. Lines go through Qt's message handling, so tests can
// capture them with a message handler.
Q_DECLARE_LOGGING_CATEGORY(logCategory)

void log(const QString& message);

} // namespace pf

// printf-style logging to the platform log.
#define PF_LOG(...) ::pf::log(QString::asprintf(__VA_ARGS__))
