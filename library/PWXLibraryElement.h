#pragma once

#include "platform/foundation/Object.h"

#include <QString>
#include <QVariantMap>

class PWXLibrary;
class PWXLibraryElementContainer;

// Anything that lives in a library: an item, a category, the library itself or a group.
// An element knows its name, the library it belongs to and the container that last added it
// (both weakly), and describes itself as an element info dictionary, the building block of a
// library's category file.
class PWXLibraryElement : public pf::Object {
    PF_CLASS(PWXLibraryElement)
public:
    static inline const QString kClassKey = QStringLiteral("class");
    static inline const QString kNameKey = QStringLiteral("name");

    PWXLibraryElement() = default;
    explicit PWXLibraryElement(const QString& name) : m_name(name) {}

    // The element an info dictionary describes, rebuilt for `library`: a category of the class
    // named under "class", or an item when there is none. Null for a class that is not a
    // library element class (an unknown or hostile name makes nothing), or when the element
    // cannot be rebuilt (an item without its package). May answer an element the library holds
    // already.
    static pf::Ref<PWXLibraryElement> libraryElementWithInfo(const QVariantMap& info, PWXLibrary* library);
    static QString defaultElementClassname() { return QStringLiteral("PWXLibraryItem"); }
    // The library element class of that name (one of the library's own), or null.
    static const pf::Class* libraryElementClassFromString(const QString& name);

    PWXLibrary* library() const { return m_library.lock().get(); }
    pf::Ref<PWXLibrary> libraryRef() const { return m_library.lock(); }
    virtual void setLibrary(PWXLibrary* library);
    PWXLibraryElementContainer* container() const { return m_container.lock().get(); }
    void setContainer(PWXLibraryElementContainer* container);

    virtual QString name() const { return m_name; }
    // Drops the container's caches when the name changes.
    virtual void setName(const QString& name);
    // The name without its dots.
    QString cleanName() const;
    // The container's identifier and the clean name, joined by "."; the library's identifier
    // stands in for a missing container, and an empty string for a missing library.
    virtual QString identifier() const;

    virtual void wasAddedToContainer(PWXLibraryElementContainer*) {}
    virtual void wasRemovedFromContainer(PWXLibraryElementContainer*) {}

    // "class" (left out for items) and "name".
    virtual QVariantMap elementInfo() const;

protected:
    void setElementName(const QString& name);
    // After the name changed (any way it changes).
    virtual void elementNameDidChange(const QString& oldName) {}

private:
    pf::Weak<PWXLibrary> m_library;
    pf::Weak<PWXLibraryElementContainer> m_container;
    QString m_name;
};
