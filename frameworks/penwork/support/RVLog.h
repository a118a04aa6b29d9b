#pragma once

#include <QString>

// The drawing framework's diagnostic log. Lines go to the platform log (pf::log) and change
// nothing else. Each line carries its kind, and kinds can be silenced with the environment
// variable QUILLORY_LOG_SILENCE: a comma-separated list of kind names ("file,state") or "all".
enum LogEventKind : unsigned {
    kFileEvent = 0x01,     // files read and written
    kInfoEvent = 0x02,     // information
    kStateEvent = 0x04,    // state changes
    kLifeEvent = 0x08,     // objects made and released
    kReactiveEvent = 0x10, // reactions to notifications and observed changes
};

// "file", "info", "state", "life" or "reactive".
QString logEventKindName(LogEventKind kind);
// Whether lines of `kind` are written now.
bool isLogEventKindEnabled(LogEventKind kind);

// One line of `kind`: "[file] message".
void RVLog(LogEventKind kind, const QString& message);
void RVLog(LogEventKind kind, const char* format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(2, 3);
// The same channel under the name some callers use.
void LogEvent(LogEventKind kind, const QString& message);
void LogEvent(LogEventKind kind, const char* format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(2, 3);

namespace rvlog {
QString format(const QString& message);
QString format(const char* format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);
// `function` is the compiler's full signature of the caller.
void logMethod(const char* function, int line, const QString& message);
// "Class::method" out of a full signature such as "void Class::method(int) const".
QString methodName(const char* function);
} // namespace rvlog

// A line prefixed with the calling class, method and line: "[PWDrawing::setUnits:120] message".
// Takes a QString, or a printf-style format and its arguments. Never silenced.
#define RVLogObjCMethod(...) ::rvlog::logMethod(Q_FUNC_INFO, __LINE__, ::rvlog::format(__VA_ARGS__))
