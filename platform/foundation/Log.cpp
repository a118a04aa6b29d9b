#include "platform/foundation/Log.h"

namespace pf {

Q_LOGGING_CATEGORY(logCategory, "pf")

void log(const QString& message)
{
    qCInfo(logCategory).noquote() << message;
}

} // namespace pf
