#pragma once

#include "platform/foundation/Object.h"

// Stands for a class where an object is expected: notifications posted "by a class" (the
// dearchiving notification is posted with the drawing class as its sender) carry the one
// class object of that class, so observers can name the sender with forClass too.
class PWClassObject : public pf::Object {
    PF_CLASS(PWClassObject)
public:
    PWClassObject() = default;

    // The same object for the same class, for the life of the process; safe from any thread.
    static PWClassObject* forClass(const pf::Class& cls);

    // Null only for an instance made by the runtime's factory.
    const pf::Class* representedClass() const { return m_class; }
    QString description() const override;

private:
    const pf::Class* m_class = nullptr;
};
