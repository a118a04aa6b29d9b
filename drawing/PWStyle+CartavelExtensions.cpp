#include "drawing/PWStyle+CartavelExtensions.h"

#include "drawing/PWTextAdornment+CartavelExtensions.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "library/PWXLibrary.h"
#include "platform/foundation/Class.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

#include <QColor>
#include <QImage>

void PWStyleCartavelExtensions::install()
{
    pf::Class& cls = PWStyle::staticClass();
    cls.addClassMethod(QStringLiteral("styleWithObject:"), [](const pf::Class&, const QVariantList& args) {
        return pf::toVariant(styleWithObject(args.value(0)));
    });
    cls.addClassMethod(QStringLiteral("libraryObjectWithFileData:"), [](const pf::Class&, const QVariantList& args) {
        return pf::toVariant(libraryObjectWithFileData(args.value(0).toByteArray()));
    });
    cls.addMethod(QStringLiteral("addOrSetComponentForObject:"), [](pf::Reflective& self, const QVariantList& args) {
        addOrSetComponentForObject(static_cast<PWStyle&>(self), args.value(0));
        return QVariant();
    });
    cls.addMethod(QStringLiteral("identifiers"), [](pf::Reflective& self, const QVariantList&) {
        return QVariant(identifiers(static_cast<PWStyle&>(self)));
    });
    cls.addMethod(QStringLiteral("library"), [](pf::Reflective& self, const QVariantList&) {
        return pf::toVariant(library(static_cast<PWStyle&>(self)));
    });
    cls.addMethod(QStringLiteral("fileData"), [](pf::Reflective& self, const QVariantList&) {
        return QVariant(fileData(static_cast<PWStyle&>(self).ref<PWStyle>()));
    });
}

pf::Ref<PWStyle> PWStyleCartavelExtensions::styleWithObject(const QVariant& object)
{
    if (pf::Ref<PWStyle> style = pf::objectCast<PWStyle>(object))
        return style;
    auto style = std::make_shared<PWStyle>();
    addOrSetComponentForObject(*style, object);
    return style;
}

void PWStyleCartavelExtensions::addOrSetComponentForObject(PWStyle& style, const QVariant& object)
{
    if (!object.isValid() || object.isNull())
        return;
    if (pf::Ref<pf::Color> colour = pf::objectCast<pf::Color>(object)) {
        style.setFillColour(*colour);
        return;
    }
    if (object.metaType() == QMetaType::fromType<QColor>()) {
        style.setFillColour(pf::Color(object.value<QColor>()));
        return;
    }
    if (pf::Ref<pf::Image> image = pf::objectCast<pf::Image>(object)) {
        style.setImageComponent(image->bitmap());
        return;
    }
    if (object.metaType() == QMetaType::fromType<QImage>()) {
        style.setImageComponent(object.value<QImage>());
        return;
    }
    if (object.metaType() == QMetaType::fromType<QString>()) {
        style.setString(object.toString());
        return;
    }
    // Numbers and other plain values give their text; objects of other kinds give nothing.
    switch (object.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Float:
    case QMetaType::Double:
    case QMetaType::QDate:
    case QMetaType::QDateTime:
    case QMetaType::QUrl:
        style.setString(object.toString());
        break;
    default: break;
    }
}

QString PWStyleCartavelExtensions::searchableStringForObject(const PWStyle& style, const PWRenderable& object)
{
    QString text;
    for (const pf::Ref<PWTextAdornment>& label : style.renderersOfClass<PWTextAdornment>())
        text += PWTextAdornmentCartavelExtensions::searchableStringForObject(*label, object) + QLatin1Char(' ');
    return text;
}

QStringList PWStyleCartavelExtensions::identifiers(const PWStyle& style)
{
    QStringList out;
    for (const pf::Ref<PWTextAdornment>& label : style.renderersOfClass<PWTextAdornment>())
        out.append(label->identifier());
    return out;
}

void PWStyleCartavelExtensions::drawRect(const pf::Ref<PWStyle>& style, const QRectF& rect)
{
    pf::Ref<PWDrawableShape> shape = PWDrawableShape::drawableShapeWithRect(rect, style);
    shape->drawContentWithStyle(style.get());
}

QByteArray PWStyleCartavelExtensions::fileData(const pf::Ref<PWStyle>& style)
{
    return style ? pf::KeyedArchiver::archivedData(style) : QByteArray();
}

pf::Ref<pf::Object> PWStyleCartavelExtensions::libraryObjectWithFileData(const QByteArray& data)
{
    if (data.isEmpty())
        return nullptr;
    return pf::KeyedUnarchiver::unarchiveObject(data);
}

pf::Ref<PWXLibrary> PWStyleCartavelExtensions::library(const PWStyle& style)
{
    return PWXLibrary::libraryContainingItemWithUniqueID(style.uniqueKey());
}
