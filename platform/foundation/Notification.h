#pragma once

#include <QMetaType>
#include <QString>
#include <QVariantMap>

namespace pf {

class Reflective;

// A named announcement from a sender, with optional information. Observers receive it from a
// notification centre; it can also be built and handed to an observer directly.
struct Notification {
    QString name;
    Reflective* object = nullptr;
    QVariantMap userInfo;
};

} // namespace pf

Q_DECLARE_METATYPE(pf::Notification)
