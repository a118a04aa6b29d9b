#include "platform/foundation/Error.h"

namespace pf {

Error::Error(QString domain, int code, QVariantMap userInfo)
    : m_domain(std::move(domain)), m_code(code), m_userInfo(std::move(userInfo))
{
}

Error Error::make(const QString& domain, int code, const QString& description,
                  const QString& failureReason)
{
    QVariantMap info;
    if (!description.isEmpty())
        info.insert(NSLocalizedDescriptionKey, description);
    if (!failureReason.isEmpty())
        info.insert(NSLocalizedFailureReasonErrorKey, failureReason);
    return Error(domain, code, info);
}

QString Error::localizedDescription() const
{
    const QString text = m_userInfo.value(NSLocalizedDescriptionKey).toString();
    if (!text.isEmpty())
        return text;
    return QStringLiteral("The operation couldn't be completed. (%1 error %2.)").arg(m_domain).arg(m_code);
}

QString Error::localizedFailureReason() const
{
    return m_userInfo.value(NSLocalizedFailureReasonErrorKey).toString();
}

Error Error::underlyingError() const
{
    return m_userInfo.value(NSUnderlyingErrorKey).value<Error>();
}

QString Error::description() const
{
    QString text = QStringLiteral("Error Domain=%1 Code=%2 \"%3\"").arg(m_domain).arg(m_code).arg(localizedDescription());
    const QString reason = localizedFailureReason();
    if (!reason.isEmpty())
        text += QStringLiteral(" (%1)").arg(reason);
    return text;
}

bool Error::operator==(const Error& other) const
{
    return m_domain == other.m_domain && m_code == other.m_code && m_userInfo == other.m_userInfo;
}

bool fail(Error* out, const Error& error)
{
    if (out)
        *out = error;
    return false;
}

} // namespace pf
