#include "platform/foundation/Exception.h"

#include <QFileInfo>

#include <cstdarg>
#include <cstdio>

namespace pf {

Exception::Exception(QString name, QString reason, QVariantMap userInfo)
    : m_name(std::move(name)), m_reason(std::move(reason)), m_userInfo(std::move(userInfo))
{
    m_what = (m_name + QStringLiteral(": ") + m_reason).toUtf8();
}

UndefinedKeyException::UndefinedKeyException(const QString& className, const QString& key)
    : Exception(NSUndefinedKeyException,
                QStringLiteral("[<%1> valueForUndefinedKey:]: this class is not key value coding-compliant for the key %2.")
                    .arg(className, key),
                {{QStringLiteral("NSUnknownUserInfoKey"), key}}),
      m_key(key)
{
}

void raise(const QString& name, const QString& reason, const QVariantMap& userInfo)
{
    if (name == NSInternalInconsistencyException)
        throw InternalInconsistencyException(reason, userInfo);
    if (name == NSInvalidArgumentException)
        throw InvalidArgumentException(reason, userInfo);
    throw Exception(name, reason, userInfo);
}

namespace {
AssertionHandler& defaultHandler()
{
    static AssertionHandler handler;
    return handler;
}
thread_local AssertionHandler* currentHandler = nullptr;
} // namespace

AssertionHandler& AssertionHandler::current()
{
    return currentHandler ? *currentHandler : defaultHandler();
}

void AssertionHandler::setCurrent(AssertionHandler* handler)
{
    currentHandler = handler;
}

void AssertionHandler::handleFailure(const char* file, int line, const QString& description, bool parameter)
{
    const QVariantMap info{{kPFExceptionFileKey, fileBaseName(file)}, {kPFExceptionLineKey, line}};
    if (parameter)
        throw InvalidArgumentException(description, info);
    throw InternalInconsistencyException(description, info);
}

QString assertionFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const QString text = QString::vasprintf(format, args);
    va_end(args);
    return text;
}

QString fileBaseName(const char* path)
{
    return QFileInfo(QString::fromUtf8(path)).fileName();
}

} // namespace pf
