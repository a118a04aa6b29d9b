#include "drawing/PWShapeGroup+SymbolsSupport.h"

#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "platform/foundation/Class.h"

const QString PWShapeGroupSymbolsSupport::kSymbolClassName = QStringLiteral("PWXSymbol");

void PWShapeGroupSymbolsSupport::install()
{
    pf::Class& group = PWShapeGroup::staticClass();
    group.addMethod(QStringLiteral("canBeConvertedToSymbol"), [](pf::Reflective& self, const QVariantList&) {
        return QVariant(canBeConvertedToSymbol(static_cast<PWShapeGroup&>(self)));
    });
    group.addMethod(QStringLiteral("allSymbols"), [](pf::Reflective& self, const QVariantList&) {
        QVariantList out;
        for (const auto& symbol : allSymbols(static_cast<PWShapeGroup&>(self)))
            out.append(pf::toVariant(symbol));
        return QVariant(out);
    });
}

bool PWShapeGroupSymbolsSupport::canBeConvertedToSymbol(const PWShapeGroup& group)
{
    for (const pf::Ref<PWDrawableObject>& member : group.members()) {
        if (!member->respondsTo(QStringLiteral("canBeConvertedToSymbol")) ||
            !member->perform(QStringLiteral("canBeConvertedToSymbol")).toBool())
            return false;
    }
    return true;
}

QList<pf::Ref<pf::Object>> PWShapeGroupSymbolsSupport::allSymbols(const PWShapeGroup& group)
{
    QList<pf::Ref<pf::Object>> found;
    const pf::Class* symbolClass = pf::Class::named(kSymbolClassName);
    auto add = [&found](const pf::Ref<pf::Object>& object) {
        if (object && !found.contains(object))
            found.append(object);
    };
    for (const pf::Ref<PWDrawableObject>& member : group.members()) {
        if (symbolClass && member->objClass().isSubclassOf(*symbolClass))
            add(member);
        if (member->respondsTo(QStringLiteral("allSymbols"))) {
            for (const QVariant& nested : member->perform(QStringLiteral("allSymbols")).toList())
                add(pf::objectFromVariant(nested));
        }
    }
    return found;
}
