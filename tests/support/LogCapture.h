#pragma once

#include <QByteArray>
#include <QStringList>
#include <QtGlobal>

#include <mutex>

namespace quillory::test {

// Collects what the platform log ("pf" category) says while it is in place; lines logged on
// any thread are kept.
class LogCapture {
public:
    LogCapture()
    {
        std::lock_guard lock(s_mutex);
        s_lines.clear();
        s_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture() { qInstallMessageHandler(s_previous); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines() const
    {
        std::lock_guard lock(s_mutex);
        return s_lines;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        if (context.category && QByteArray(context.category) == "pf") {
            std::lock_guard lock(s_mutex);
            s_lines << message;
        }
    }
    static inline QtMessageHandler s_previous = nullptr;
    static inline std::mutex s_mutex;
    static inline QStringList s_lines;
};

} // namespace quillory::test
