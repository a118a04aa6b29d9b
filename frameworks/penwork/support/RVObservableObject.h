#pragma once

#include "platform/foundation/Object.h"

#include <QStringList>

// The observable base of the drawing model. Each class answers the key paths an inspector may
// observe on its instances (the class operation "observableKeyPaths"). A class either extends
// the list of its superclass or replaces it outright; a class that registers nothing answers its
// superclass's list. Lists are looked up when asked, so a list replaced later (by an extension
// of a framework class) also reaches the subclasses that extend it.
class RVObservableObject : public pf::Object {
    PF_CLASS(RVObservableObject)
public:
    RVObservableObject() = default;

    // The key paths of `cls` in the table, each once, superclass keys first.
    static QStringList observableKeyPaths(const pf::Class& cls);
    // What this object's class answers to the class operation "observableKeyPaths" (a subclass
    // may answer it its own way, on top of the table).
    QStringList observableKeyPaths() const;

    // Makes the list of `cls` its superclass's list followed by `keyPaths`; calling it again adds
    // more. Replaces a list set earlier with setObservableKeyPaths.
    static void appendObservableKeyPaths(const pf::Class& cls, const QStringList& keyPaths);
    // Makes the list of `cls` exactly `keyPaths`, whatever its superclasses answer.
    static void setObservableKeyPaths(const pf::Class& cls, const QStringList& keyPaths);

    // Sends `observer` one setting change per key path of this object's class, with the
    // current value as the new value (the null marker when it has none).
    void sendInitialValuesForAllPropertiesToObserver(pf::Reflective* observer, void* context);
    // The same for `keyPaths`. A key path the object does not have sends the null marker. Both
    // raise NSInvalidArgumentException for a null observer.
    void sendInitialValuesForProperties(const QStringList& keyPaths, pf::Reflective* observer, void* context);
    // The same for any object, for classes outside this hierarchy that adopt the inspectable
    // protocol.
    static void sendInitialValues(pf::Reflective& object, const QStringList& keyPaths, pf::Reflective* observer,
                                  void* context);
};
