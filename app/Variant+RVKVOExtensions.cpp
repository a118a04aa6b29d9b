#include "app/Variant+RVKVOExtensions.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace {

enum class Kind { Other, Point, Size, Rect };

Kind kindOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QPointF:
    case QMetaType::QPoint:
        return Kind::Point;
    case QMetaType::QSizeF:
    case QMetaType::QSize:
        return Kind::Size;
    case QMetaType::QRectF:
    case QMetaType::QRect:
        return Kind::Rect;
    default:
        return Kind::Other;
    }
}

// The field of a point, size or rectangle (as a rectangle's four numbers: x, y, width,
// height) a lower-cased key names, or -1.
int fieldIndex(Kind kind, const QString& key)
{
    const QString lower = key.toLower();
    switch (kind) {
    case Kind::Point:
        return lower == QLatin1String("x") ? 0 : lower == QLatin1String("y") ? 1 : -1;
    case Kind::Size:
        return lower == QLatin1String("width") ? 2 : lower == QLatin1String("height") ? 3 : -1;
    case Kind::Rect:
        if (lower == QLatin1String("origin.x"))
            return 0;
        if (lower == QLatin1String("origin.y"))
            return 1;
        if (lower == QLatin1String("size.width"))
            return 2;
        if (lower == QLatin1String("size.height"))
            return 3;
        return -1;
    case Kind::Other:
        return -1;
    }
    return -1;
}

} // namespace

QString typeAsString(const QVariant& value)
{
    switch (kindOf(value)) {
    case Kind::Point:
        return QStringLiteral("{CGPoint=dd}");
    case Kind::Size:
        return QStringLiteral("{CGSize=dd}");
    case Kind::Rect:
        return QStringLiteral("{CGRect={CGPoint=dd}{CGSize=dd}}");
    case Kind::Other:
        break;
    }
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::Bool:
        return QStringLiteral("c");
    case QMetaType::Int:
        return QStringLiteral("i");
    case QMetaType::UInt:
        return QStringLiteral("I");
    case QMetaType::LongLong:
        return QStringLiteral("q");
    case QMetaType::ULongLong:
        return QStringLiteral("Q");
    case QMetaType::Float:
        return QStringLiteral("f");
    case QMetaType::Double:
        return QStringLiteral("d");
    default:
        return QStringLiteral("@");
    }
}

bool isTypeCompoundStruct(const QVariant& value)
{
    return typeAsString(value).startsWith(QLatin1Char('{'));
}

QVariant valueWithStructValue(const QVariant& value, const QVariant& number, const QString& key)
{
    const Kind kind = kindOf(value);
    if (kind == Kind::Other)
        return value;
    const int field = fieldIndex(kind, key);
    const double v = number.toDouble();
    switch (kind) {
    case Kind::Point: {
        QPointF point = value.toPointF();
        if (field == 0)
            point.setX(v);
        else if (field == 1)
            point.setY(v);
        return point;
    }
    case Kind::Size: {
        QSizeF size = value.toSizeF();
        if (field == 2)
            size.setWidth(v);
        else if (field == 3)
            size.setHeight(v);
        return size;
    }
    case Kind::Rect: {
        const QRectF rect = value.toRectF();
        double f[4] = {rect.x(), rect.y(), rect.width(), rect.height()};
        if (field >= 0)
            f[field] = v;
        return QRectF(f[0], f[1], f[2], f[3]);
    }
    case Kind::Other:
        break;
    }
    return value;
}

double structValueForKey(const QVariant& value, const QString& key)
{
    const Kind kind = kindOf(value);
    const int field = fieldIndex(kind, key);
    switch (kind) {
    case Kind::Point:
        return field == 0 ? value.toPointF().x() : field == 1 ? value.toPointF().y() : 0.0;
    case Kind::Size:
        return field == 2 ? value.toSizeF().width() : field == 3 ? value.toSizeF().height() : 0.0;
    case Kind::Rect: {
        const QRectF rect = value.toRectF();
        const double f[4] = {rect.x(), rect.y(), rect.width(), rect.height()};
        return field >= 0 ? f[field] : 0.0;
    }
    case Kind::Other:
        break;
    }
    return 0.0;
}
