#pragma once

#include <QString>
#include <QVariantMap>

namespace pf {

// Keys of an error's user information, spelt as the rest of the system reads them.
inline const QString NSLocalizedDescriptionKey = QStringLiteral("NSLocalizedDescription");
inline const QString NSLocalizedFailureReasonErrorKey = QStringLiteral("NSLocalizedFailureReason");
inline const QString NSUnderlyingErrorKey = QStringLiteral("NSUnderlyingError");
inline const QString NSFilePathErrorKey = QStringLiteral("NSFilePath");

// Domains used by the platform layer itself.
inline const QString kPFFoundationErrorDomain = QStringLiteral("pf.foundation");
inline const QString kPFPosixErrorDomain = QStringLiteral("pf.posix");

// Codes of the foundation domain.
enum ErrorCode : int {
    kErrorFileNotFound = 4,
    kErrorFileRead = 256,
    kErrorFileReadCorrupt = 259,
    kErrorFileWrite = 512,
    kErrorFileWriteExists = 516,
    kErrorPropertyListRead = 3840,
    kErrorPropertyListWrite = 3851,
    kErrorCoderRead = 4864,
    kErrorCoderValueNotFound = 4865,
    kErrorCoderInvalidValue = 4866,
    kErrorCancelled = 3072,
    kErrorFormatting = 2048,
};

// A failure reported to the caller: a domain, a code and user information.
class Error {
public:
    Error() = default;
    Error(QString domain, int code, QVariantMap userInfo = {});
    static Error make(const QString& domain, int code, const QString& description,
                      const QString& failureReason = {});

    bool isNull() const { return m_domain.isEmpty(); }
    const QString& domain() const { return m_domain; }
    int code() const { return m_code; }
    const QVariantMap& userInfo() const { return m_userInfo; }

    // The description for the user; a generic one built from domain and code when none is set.
    QString localizedDescription() const;
    QString localizedFailureReason() const;
    // The error that caused this one, when the user information holds one.
    Error underlyingError() const;
    QString description() const;

    bool operator==(const Error& other) const;

private:
    QString m_domain;
    int m_code = 0;
    QVariantMap m_userInfo;
};

// Fills `*out` when the caller asked for the error; always answers false so that failing paths
// can `return pf::fail(error, ...)`.
bool fail(Error* out, const Error& error);

} // namespace pf

Q_DECLARE_METATYPE(pf::Error)
