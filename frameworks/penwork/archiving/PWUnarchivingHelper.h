#pragma once

#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Object.h"

#include <QMutex>

#include <atomic>

// The object through which a drawing is decoded: it is the unarchiver's delegate for the
// read, counts the drawing's elements (layers and drawables) as they are decoded, and can stop
// the read. PWDrawing::setDearchivingHelperClass names the subclass used for every read; a
// subclass overrides the hooks (unarchiverWillStart, unarchiverDidFinish,
// cannotDecodeObjectOfClassName) to report progress or to map retired class names.
//
// Decoding may run on a worker thread while another thread reads the counters and cancels:
// the counters and the cancel flag are safe to use from any thread at any time.
class PWUnarchivingHelper : public pf::Object, public pf::KeyedUnarchiver::Delegate {
    PF_CLASS(PWUnarchivingHelper)
public:
    PWUnarchivingHelper();
    ~PWUnarchivingHelper() override;

    // The number of elements the archive says it holds; 0 when it does not say.
    quint64 totalNumberOfObjects() const { return m_total.load(std::memory_order_relaxed); }
    void setTotalNumberOfObjects(quint64 total) { m_total.store(total, std::memory_order_relaxed); }
    // Elements (layers, the drawing and drawables) decoded so far.
    quint64 numberOfObjectsDecoded() const { return m_decoded.load(std::memory_order_relaxed); }

    // Asks the read to stop: objects not yet started decode to nothing and the read fails with
    // kPWErrorDrawingReadCancelled. Clearing it before the read ends does not bring back what
    // was skipped; the read still fails.
    void setCancelled(bool cancelled);
    bool isCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    // Hooks (KeyedUnarchiver::Delegate). The will-start hook comes after
    // kPWDrawingWillBeginDearchiving is posted and before the first object is decoded; the
    // did-finish hook after the last.
    void unarchiverWillStart(pf::KeyedUnarchiver& unarchiver) override {}
    void unarchiverDidFinish(pf::KeyedUnarchiver& unarchiver) override {}
    // Asked for a class name that neither the class-wide aliases nor the registry answer, with
    // the archived class and superclass names. The base answers null: the object cannot be
    // decoded and the read fails.
    pf::Class* cannotDecodeObjectOfClassName(pf::KeyedUnarchiver& unarchiver, const QString& name,
                                             const QStringList& originalClasses) override
    {
        return nullptr;
    }
    // Counts the element and passes on a cancel request; not a hook for subclasses.
    pf::Ref<pf::Object> didDecodeObject(pf::KeyedUnarchiver& unarchiver, const pf::Ref<pf::Object>& object) final;

    // The helper for a new read: an instance of the class PWDrawing::dearchivingHelperClass
    // names, or of this class when it names none, names no registered class, or names one that
    // is not a helper (logged).
    static pf::Ref<PWUnarchivingHelper> makeHelperForRead();

private:
    friend class PWDrawingArchiving;
    // The unarchiver of the read under way, so that a cancel reaches it at once.
    void attach(pf::KeyedUnarchiver* unarchiver);
    void detach();

    std::atomic<quint64> m_total{0};
    std::atomic<quint64> m_decoded{0};
    std::atomic<bool> m_cancelled{false};
    QMutex m_attachMutex;
    pf::KeyedUnarchiver* m_unarchiver = nullptr;
};
