#include "frameworks/penwork/support/PWUniqueID.h"

#include <QUuid>

QString PWUniqueID::uniqueKey()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}
