#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QHash>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <atomic>
#include <exception>
#include <memory>
#include <vector>

namespace pf {

// Reads an archive written by KeyedArchiver (binary or XML) back into objects.
//
// Decoding trusts nothing in the data. Damage to the archive's structure (not a property list,
// the wrong top-level shape, a reference outside "$objects", a reference to something that is
// not an object, a missing or malformed class entry, objects nested too deeply) and
// classes that cannot be decoded (not registered, not marked kCodingProtocol, or without a
// factory) make that object nil and record a kPFFoundationErrorDomain error (kErrorCoderRead or
// kErrorCoderInvalidValue); error() keeps the first. Missing values and values of the wrong
// type read as zero, empty or nil and are not errors. An exception thrown while decoding (by a
// class's initWithCoder, say) ends the outermost decode call, which answers nil and records the
// exception as a kErrorCoderInvalidValue error.
//
// Each object is decoded once. A reference met again while its object is still being decoded
// (a cycle) answers the instance the class's factory made, partly decoded; awakeAfterUsingCoder
// and the delegate's didDecodeObject may then replace the object, and the replacement is what
// references decoded after that answer.
//
// A decode that failed (any error recorded, cancellation included) hands nothing out, and what
// it built is freed with the unarchiver: every object that took a reference to an object still
// being decoded (the only way a cycle forms) is read again from no values, so that it lets go of
// what it holds. Keep no object of a failed decode.
//
// An unarchiver is used by one thread at a time, which may be a worker thread; another thread
// may read numberOfObjectsDecoded and call setCancelled meanwhile.
class KeyedUnarchiver {
public:
    // Hooks around decoding. Not owned by the unarchiver.
    class Delegate {
    public:
        virtual ~Delegate() = default;
        // Before the first object is decoded (the first decodeObject... or
        // decodePropertyListValue call).
        virtual void unarchiverWillStart(KeyedUnarchiver& unarchiver) {}
        // From finishDecoding.
        virtual void unarchiverDidFinish(KeyedUnarchiver& unarchiver) {}
        // No class answers `name` (whose class and superclass names are `classNames`); may answer
        // an archivable class to decode it as. Asked once per class entry of the archive.
        virtual Class* cannotDecodeObjectOfClassName(KeyedUnarchiver& unarchiver, const QString& name,
                                                     const QStringList& classNames)
        {
            return nullptr;
        }
        // After the object and its awakeAfterUsingCoder, unless that answered null; answers the
        // object to use (null: nil).
        virtual Ref<Object> didDecodeObject(KeyedUnarchiver& unarchiver, const Ref<Object>& object) { return object; }
    };

    // Objects nested deeper than this (each decoded from its parent's initWithCoder) fail. They
    // fail sooner when less than 256 KB of the thread's stack is left: a level takes about 1 KB
    // with small classes, so an 8 MB stack holds some 9,000 levels and a 512 KB one about 250.
    static constexpr int kMaxDepth = 10000;

    // The object under "root"; null with the error when the archive cannot be read or any
    // object in it failed to decode. A nil root is not an error.
    static Ref<Object> unarchiveObject(const QByteArray& data, Error* error = nullptr);
    // As unarchiveObject, and an error unless the root is a `cls`.
    static Ref<Object> unarchiveObjectOfClass(const QByteArray& data, const Class& cls, Error* error = nullptr);
    template <class T>
    static Ref<T> unarchiveObjectOfClass(const QByteArray& data, Error* error = nullptr)
    {
        return std::dynamic_pointer_cast<T>(unarchiveObjectOfClass(data, T::staticClass(), error));
    }

    explicit KeyedUnarchiver(const QByteArray& data, Error* error = nullptr);
    ~KeyedUnarchiver();
    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

    // Whether the data is an archive at all; an invalid unarchiver decodes nothing.
    bool isValid() const { return m_valid; }
    // The first failure, or a null error.
    const Error& error() const { return m_error; }

    void setDelegate(Delegate* delegate) { m_delegate = delegate; }
    Delegate* delegate() const { return m_delegate; }

    // Values of the object being decoded, or of the top of the archive outside initWithCoder.
    bool containsValueForKey(const QString& key) const;
    Ref<Object> decodeObjectForKey(const QString& key);
    // Nil unless the object is a `cls`; an object of another class that is not decoded yet is
    // not made at all.
    Ref<Object> decodeObjectOfClass(const Class& cls, const QString& key);
    template <class T>
    Ref<T> decodeObjectOfClass(const QString& key)
    {
        return std::dynamic_pointer_cast<T>(decodeObjectOfClass(T::staticClass(), key));
    }
    // Integers also read as reals, and as booleans (non-zero is true); nothing else converts.
    bool decodeBool(const QString& key) const;
    qint32 decodeInt32(const QString& key) const; // zero when the value does not fit
    qint64 decodeInt64(const QString& key) const;
    float decodeFloat(const QString& key) const;
    double decodeDouble(const QString& key) const;
    QString decodeString(const QString& key) const;
    QByteArray decodeData(const QString& key) const;
    QByteArray decodeBytes(const QString& key) const;
    QPointF decodePoint(const QString& key) const;
    QSizeF decodeSize(const QString& key) const; // 0 x 0 when missing
    QRectF decodeRect(const QString& key) const;
    // Objects inside come back as Ref<Object> in QVariant; nil ones as invalid QVariants.
    QVariant decodePropertyListValue(const QString& key);

    // Tells the delegate that decoding is over; once.
    void finishDecoding();

    // Class-name substitution: this unarchiver's table first, then the class-wide one, then the
    // registry, then the delegate. A null class removes the entry. The class-wide table may be
    // changed from any thread.
    void setClass(Class* cls, const QString& name);
    static void setClassForClassName(Class* cls, const QString& name);

    // Objects whose initWithCoder has returned so far.
    qint64 numberOfObjectsDecoded() const { return m_decodedCount.load(std::memory_order_relaxed); }
    // Makes every object not yet started decode to nil, and the outermost decode call under way
    // (and any later one) answer nil with a kErrorCancelled error.
    void setCancelled(bool cancelled) { m_cancelled.store(cancelled, std::memory_order_relaxed); }
    bool isCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

private:
    enum class State : quint8 { Unvisited, Decoding, Done, Failed };
    struct Entry {
        State state = State::Unvisited;
        Ref<Object> object;
    };
    struct Frame {
        QVariantMap fields;
        quint64 uid;
        quint64 record = 0; // the object's dictionary in a binary archive read in place
    };
    // A binary archive read where it lies, without a tree of values. Kept in the source file.
    class InPlace;
    static Ref<Object> unarchive(const QByteArray& data, const Class* cls, Error* error);
    // Takes the parts of a parsed archive; answers what is wrong with it, if anything.
    QString adopt(const QVariant& plist);
    const QVariant* valueForKey(const QString& key) const;
    template <class F> auto guarded(F&& decode) -> decltype(decode());
    Ref<Object> objectForReference(const QVariant& reference, const Class* required);
    // `record` is the object's dictionary + 1 in an archive read in place, 0 otherwise.
    Ref<Object> decodeEntry(quint64 uid, const QVariantMap& fields, quint64 record, Class* cls);
    Class* classOfClassEntry(quint64 classUid);
    QVariant valueFromStored(const QVariant& stored);
    void abandon(quint64 uid);
    void recordException(const std::exception& exception);
    // After a failure: the objects that may close a cycle drop what they decoded.
    void releaseCycles();
    // Records the first failure; answers null for `return failed(...)`.
    std::nullptr_t failed(int code, const QString& problem);

    bool m_valid = false;
    Error m_error;
    Delegate* m_delegate = nullptr;
    bool m_started = false;
    bool m_finished = false;
    QVariantMap m_top;
    QVariantList m_objects;
    std::unique_ptr<InPlace> m_inPlace; // set when the archive is read in place
    std::vector<Entry> m_entries;
    std::vector<Frame> m_frames; // objects being decoded, innermost last
    // Objects that were handed an object still being decoded.
    std::vector<Ref<Object>> m_cycleHolders;
    QHash<quint64, Class*> m_classes; // class entry to class, null when it fails
    QHash<QString, Class*> m_classSubstitutions;
    std::atomic<qint64> m_decodedCount{0};
    std::atomic<bool> m_cancelled{false};
};

} // namespace pf
