#include "frameworks/penwork/support/RVLog.h"

#include "platform/foundation/Log.h"

#include <QStringList>

#include <cstdarg>

namespace {

const QString kSilenceVariable = QStringLiteral("QUILLORY_LOG_SILENCE");

// Read at each line, so that a change of the variable takes effect at once; logging is for
// diagnostics and never on a path where that cost matters.
unsigned silencedKinds()
{
    const QString setting = qEnvironmentVariable(qPrintable(kSilenceVariable));
    if (setting.isEmpty())
        return 0;
    unsigned silenced = 0;
    for (const QString& word : setting.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = word.trimmed().toLower();
        if (name == QLatin1String("all"))
            return ~0u;
        for (LogEventKind kind : {kFileEvent, kInfoEvent, kStateEvent, kLifeEvent, kReactiveEvent})
            if (name == logEventKindName(kind))
                silenced |= kind;
    }
    return silenced;
}

void write(LogEventKind kind, const QString& message)
{
    if (!isLogEventKindEnabled(kind))
        return;
    pf::log(QStringLiteral("[%1] %2").arg(logEventKindName(kind), message));
}

} // namespace

QString logEventKindName(LogEventKind kind)
{
    switch (kind) {
    case kFileEvent: return QStringLiteral("file");
    case kInfoEvent: return QStringLiteral("info");
    case kStateEvent: return QStringLiteral("state");
    case kLifeEvent: return QStringLiteral("life");
    case kReactiveEvent: return QStringLiteral("reactive");
    }
    return QStringLiteral("event");
}

bool isLogEventKindEnabled(LogEventKind kind)
{
    return (silencedKinds() & kind) == 0;
}

void RVLog(LogEventKind kind, const QString& message)
{
    write(kind, message);
}

void RVLog(LogEventKind kind, const char* format, ...)
{
    if (!isLogEventKindEnabled(kind))
        return;
    va_list arguments;
    va_start(arguments, format);
    const QString message = QString::vasprintf(format, arguments);
    va_end(arguments);
    write(kind, message);
}

void LogEvent(LogEventKind kind, const QString& message)
{
    write(kind, message);
}

void LogEvent(LogEventKind kind, const char* format, ...)
{
    if (!isLogEventKindEnabled(kind))
        return;
    va_list arguments;
    va_start(arguments, format);
    const QString message = QString::vasprintf(format, arguments);
    va_end(arguments);
    write(kind, message);
}

namespace rvlog {

QString format(const QString& message)
{
    return message;
}

QString format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const QString message = QString::vasprintf(format, arguments);
    va_end(arguments);
    return message;
}

QString methodName(const char* function)
{
    QString name = QString::fromUtf8(function);
    // Each compiler spells an anonymous namespace its own way; the line names neither.
    name.remove(QStringLiteral("(anonymous namespace)::"));
    name.remove(QStringLiteral("{anonymous}::"));
    // The name ends where the parameter list that closes the signature opens (so that
    // "operator()" keeps its own brackets).
    if (const qsizetype close = name.lastIndexOf(QLatin1Char(')')); close >= 0) {
        int depth = 0;
        for (qsizetype i = close; i >= 0; --i) {
            const QChar c = name.at(i);
            if (c == QLatin1Char(')'))
                ++depth;
            else if (c == QLatin1Char('(') && --depth == 0) {
                name.truncate(i);
                break;
            }
        }
    }
    // The return type, if any, ends at the last space outside brackets.
    int depth = 0;
    for (qsizetype i = name.size() - 1; i >= 0; --i) {
        const QChar c = name.at(i);
        if (c == QLatin1Char('>') || c == QLatin1Char(')'))
            ++depth;
        else if (c == QLatin1Char('<') || c == QLatin1Char('('))
            --depth;
        else if (c == QLatin1Char(' ') && depth == 0)
            return name.mid(i + 1);
    }
    return name;
}

void logMethod(const char* function, int line, const QString& message)
{
    pf::log(QStringLiteral("[%1:%2] %3").arg(methodName(function)).arg(line).arg(message));
}

} // namespace rvlog
