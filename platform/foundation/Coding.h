#pragma once

#include "platform/foundation/Object.h"

namespace pf {

class KeyedArchiver;
class KeyedUnarchiver;

// The mark of an archivable class: PF_DEFINE_CLASS(Shape, pf::Object) { b.protocol(pf::kCodingProtocol); }.
// The unarchiver makes instances only of classes that carry it, so an archive cannot make it
// build an object of any other registered class.
inline const QString kCodingProtocol = QStringLiteral("NSCoding");

// What a class adopts, beside pf::Object, to be written by KeyedArchiver and read back by
// KeyedUnarchiver. Decoding makes a fresh instance through the class's factory and then calls
// initWithCoder on it, so an archivable class must be registered, marked with kCodingProtocol
// and default-constructible (or given a factory).
class Coding {
public:
    virtual ~Coding() = default;

    virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;
    // Reads the object's state into a fresh instance. Values that are missing or of the wrong
    // type read as zero, empty or nil.
    virtual void initWithCoder(KeyedUnarchiver& coder) = 0;

    // The object to use in place of this one once it is decoded: every reference decoded after
    // this call answers it. Null makes the references nil.
    virtual Ref<Object> awakeAfterUsingCoder(KeyedUnarchiver& coder) { return selfObject(); }
    // The object to encode in place of this one; null leaves it out of the archive and its
    // references nil. Asked once per archiver.
    virtual Ref<Object> replacementObjectForCoder(KeyedArchiver& coder) { return selfObject(); }
    // The class name written to the archive, unless the archiver maps the object's class.
    virtual QString classNameForArchiver() const
    {
        const auto* object = dynamic_cast<const Object*>(this);
        return object ? object->className() : QString();
    }

    // Whether the unarchiver may make instances of `cls`.
    static bool isArchivable(const Class& cls) { return cls.canCreate() && cls.conformsTo(kCodingProtocol); }

private:
    Ref<Object> selfObject()
    {
        auto* object = dynamic_cast<Object*>(this);
        return object ? object->ref() : nullptr;
    }
};

} // namespace pf
