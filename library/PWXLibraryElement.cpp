#include "library/PWXLibraryElement.h"

#include "library/PWXFixedLengthLibraryCategory.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibrarySmartCategory.h"
#include "platform/foundation/Exception.h"

PF_DEFINE_CLASS(PWXLibraryElement, pf::Object)
{
    // What sort descriptors and predicates read.
    b.property("name", &PWXLibraryElement::name);
    b.property("identifier", &PWXLibraryElement::identifier);
}

pf::Ref<PWXLibraryElement> PWXLibraryElement::libraryElementWithInfo(const QVariantMap& info, PWXLibrary* library)
{
    PF_ASSERT(library, "library was nil");
    if (!library)
        return nullptr;
    // Only the library's own element classes can be named: a category file never makes any
    // other object of the program.
    const QString className = info.value(kClassKey, defaultElementClassname()).toString();
    if (className == PWXLibraryItem::staticClass().name())
        return PWXLibraryItem::itemWithInfo(info, library);
    if (className == PWXLibraryCategory::staticClass().name())
        return PWXLibraryCategory::categoryWithInfo(std::make_shared<PWXLibraryCategory>(), info, library);
    if (className == PWXFixedLengthLibraryCategory::staticClass().name())
        return PWXLibraryCategory::categoryWithInfo(std::make_shared<PWXFixedLengthLibraryCategory>(), info, library);
    if (className == PWXLibrarySmartCategory::staticClass().name())
        return PWXLibraryCategory::categoryWithInfo(std::make_shared<PWXLibrarySmartCategory>(), info, library);
    return nullptr;
}

const pf::Class* PWXLibraryElement::libraryElementClassFromString(const QString& name)
{
    for (const pf::Class* cls : {&PWXLibraryItem::staticClass(), &PWXLibraryCategory::staticClass(),
                                 &PWXFixedLengthLibraryCategory::staticClass(), &PWXLibrarySmartCategory::staticClass()})
        if (cls->name() == name)
            return cls;
    return nullptr;
}

void PWXLibraryElement::setLibrary(PWXLibrary* library)
{
    m_library = library ? library->ref<PWXLibrary>() : pf::Weak<PWXLibrary>();
}

void PWXLibraryElement::setContainer(PWXLibraryElementContainer* container)
{
    m_container = container ? container->ref<PWXLibraryElementContainer>() : pf::Weak<PWXLibraryElementContainer>();
}

void PWXLibraryElement::setName(const QString& name)
{
    if (name == m_name)
        return;
    setElementName(name);
    if (PWXLibraryElementContainer* owner = container()) {
        owner->invalidateElementsCache();
        owner->invalidateAllElementsCache();
    }
}

void PWXLibraryElement::setElementName(const QString& name)
{
    if (name == m_name)
        return;
    const QString old = m_name;
    m_name = name;
    elementNameDidChange(old);
}

QString PWXLibraryElement::cleanName() const
{
    QString clean = name();
    clean.remove(QLatin1Char('.'));
    return clean;
}

QString PWXLibraryElement::identifier() const
{
    if (PWXLibraryElementContainer* owner = container())
        return QStringLiteral("%1.%2").arg(owner->identifier(), cleanName());
    if (PWXLibrary* owner = library(); owner && owner != this)
        return QStringLiteral("%1.%2").arg(owner->identifier(), cleanName());
    return {};
}

QVariantMap PWXLibraryElement::elementInfo() const
{
    QVariantMap info;
    if (className() != defaultElementClassname())
        info.insert(kClassKey, className());
    info.insert(kNameKey, name());
    return info;
}
