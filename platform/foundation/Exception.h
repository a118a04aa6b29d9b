#pragma once

#include <QString>
#include <QVariantMap>

#include <exception>
#include <functional>

namespace pf {

inline const QString NSInternalInconsistencyException = QStringLiteral("NSInternalInconsistencyException");
inline const QString NSInvalidArgumentException = QStringLiteral("NSInvalidArgumentException");
inline const QString NSRangeException = QStringLiteral("NSRangeException");
inline const QString NSUndefinedKeyException = QStringLiteral("NSUnknownKeyException");
inline const QString NSInvalidArchiveOperationException = QStringLiteral("NSInvalidArchiveOperationException");
inline const QString NSInvalidUnarchiveOperationException = QStringLiteral("NSInvalidUnarchiveOperationException");
inline const QString NSGenericException = QStringLiteral("NSGenericException");

// Keys of an assertion's user information.
inline const QString kPFExceptionFileKey = QStringLiteral("file");
inline const QString kPFExceptionLineKey = QStringLiteral("line");

// A raised programming error or an unrecoverable condition: a name, a reason and user
// information. Callers that must go on catch it; the application object catches whatever
// reaches the event loop.
class Exception : public std::exception {
public:
    Exception(QString name, QString reason, QVariantMap userInfo = {});

    const QString& name() const { return m_name; }
    const QString& reason() const { return m_reason; }
    const QVariantMap& userInfo() const { return m_userInfo; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_name;
    QString m_reason;
    QVariantMap m_userInfo;
    QByteArray m_what;
};

class InternalInconsistencyException : public Exception {
public:
    explicit InternalInconsistencyException(QString reason, QVariantMap userInfo = {})
        : Exception(NSInternalInconsistencyException, std::move(reason), std::move(userInfo)) {}
};

class InvalidArgumentException : public Exception {
public:
    explicit InvalidArgumentException(QString reason, QVariantMap userInfo = {})
        : Exception(NSInvalidArgumentException, std::move(reason), std::move(userInfo)) {}
};

class UndefinedKeyException : public Exception {
public:
    UndefinedKeyException(const QString& className, const QString& key);
    const QString& key() const { return m_key; }

private:
    QString m_key;
};

[[noreturn]] void raise(const QString& name, const QString& reason, const QVariantMap& userInfo = {});

// Receives failed assertions. The default raises an InternalInconsistencyException (or an
// InvalidArgumentException for parameter assertions) carrying the file and line.
class AssertionHandler {
public:
    virtual ~AssertionHandler() = default;
    static AssertionHandler& current();
    // Replaces the handler of the calling thread; null restores the default.
    static void setCurrent(AssertionHandler* handler);

    [[noreturn]] virtual void handleFailure(const char* file, int line, const QString& description,
                                            bool parameter);
};

QString assertionFormat(const char* format, ...);
QString fileBaseName(const char* path);

} // namespace pf

// Raises with the file and line when `condition` does not hold. The message is a printf-style
// format; the arguments follow it.
#define PF_ASSERT(condition, ...)                                                                     \
    do {                                                                                              \
        if (!(condition)) [[unlikely]]                                                                \
            ::pf::AssertionHandler::current().handleFailure(__FILE__, __LINE__,                      \
                                                            ::pf::assertionFormat(__VA_ARGS__), false); \
    } while (0)

#define PF_PARAMETER_ASSERT(condition)                                                                   \
    do {                                                                                                 \
        if (!(condition)) [[unlikely]]                                                                   \
            ::pf::AssertionHandler::current().handleFailure(                                             \
                __FILE__, __LINE__, QStringLiteral("Invalid parameter not satisfying: %1").arg(QStringLiteral(#condition)), true); \
    } while (0)
