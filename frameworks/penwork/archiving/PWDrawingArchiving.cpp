#include "frameworks/penwork/archiving/PWDrawingArchiving.h"

#include "frameworks/penwork/archiving/PWClassObject.h"
#include "frameworks/penwork/archiving/PWErrors.h"
#include "frameworks/penwork/archiving/PWUnarchivingHelper.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCoreApplication>
#include <QMutex>

#include <atomic>
#include <functional>
#include <mutex>

namespace {

pf::Error makeError(int code, const QString& description, const QString& reason, const pf::Error& underlying = {})
{
    QVariantMap info{{pf::NSLocalizedDescriptionKey, description}};
    if (!reason.isEmpty())
        info.insert(pf::NSLocalizedFailureReasonErrorKey, reason);
    if (!underlying.isNull())
        info.insert(pf::NSUnderlyingErrorKey, QVariant::fromValue(underlying));
    return pf::Error(kPWErrorDomain, code, info);
}

QString readDescription()
{
    return QCoreApplication::translate("PWDrawingArchiving", "The drawing could not be read.");
}

QString writeDescription()
{
    return QCoreApplication::translate("PWDrawingArchiving", "The drawing could not be saved.");
}

pf::Error unreadable(const QString& reason, const pf::Error& underlying = {})
{
    return makeError(kPWErrorDrawingUnreadable, readDescription(), reason, underlying);
}

quint64 countOfDrawables(const pf::Ref<PWDrawableObject>& object)
{
    quint64 count = 1;
    if (auto* group = dynamic_cast<const PWShapeGroup*>(object.get()))
        for (const auto& member : group->members())
            count += countOfDrawables(member);
    return count;
}

// Archives `root` (a drawing or a list of objects) with the element count at the top.
QByteArray archive(const std::function<void(pf::KeyedArchiver&)>& encode, pf::PropertyListFormat format,
                   pf::Error* error)
{
    try {
        pf::KeyedArchiver archiver(format);
        encode(archiver);
        pf::Error underlying;
        QByteArray data = archiver.encodedData(&underlying);
        if (data.isEmpty()) {
            pf::fail(error, makeError(kPWErrorDrawingUnwritable, writeDescription(),
                                      underlying.localizedFailureReason(), underlying));
            return {};
        }
        return data;
    } catch (const std::exception& exception) {
        // An object that cannot be archived raises; the caller gets an error, not a crash.
        pf::fail(error, makeError(kPWErrorDrawingUnwritable, writeDescription(), QString::fromUtf8(exception.what())));
        return {};
    }
}

} // namespace

void PWDrawingArchiving::registerClassNameAliases()
{
    static std::once_flag fixed;
    std::call_once(fixed, [] {
        pf::KeyedUnarchiver::setClassForClassName(&PWDrawableShape::staticClass(), QStringLiteral("PWXLabelShape"));
        pf::KeyedUnarchiver::setClassForClassName(&PWDrawableShape::staticClass(), QStringLiteral("PWXLabelledShape"));
        pf::KeyedUnarchiver::setClassForClassName(&PWDrawablePath::staticClass(), QStringLiteral("PWXTrack"));
    });
    // The gradient fill may be registered later than the first read (it lives in a part of
    // the framework that may not be linked in), so it is looked for until it is found.
    static std::atomic<bool> gradientDone{false};
    if (!gradientDone.load(std::memory_order_acquire)) {
        if (pf::Class* gradient = pf::Class::named(QStringLiteral("PWGradientFill"));
            gradient && pf::Coding::isArchivable(*gradient)) {
            pf::KeyedUnarchiver::setClassForClassName(gradient, QStringLiteral("PWXGradientFill"));
            gradientDone.store(true, std::memory_order_release);
        }
    }
}

quint64 PWDrawingArchiving::countOfElements(const PWDrawing& drawing)
{
    quint64 count = 1;
    for (const auto& layer : drawing.flattenedLayersIncludingGroups(true)) {
        ++count;
        if (auto* objects = dynamic_cast<const PWObjectOwnerLayer*>(layer.get()))
            for (const auto& object : objects->objects())
                count += countOfDrawables(object);
    }
    return count;
}

QByteArray PWDrawingArchiving::dataWithDrawing(const pf::Ref<PWDrawing>& drawing, pf::PropertyListFormat format,
                                               pf::Error* error)
{
    if (!drawing) {
        pf::fail(error, makeError(kPWErrorDrawingUnwritable, writeDescription(),
                                  QCoreApplication::translate("PWDrawingArchiving", "There is no drawing.")));
        return {};
    }
    return archive(
        [&](pf::KeyedArchiver& archiver) {
            archiver.encodeInt64(qint64(countOfElements(*drawing)), kElementCountKey);
            archiver.encodeObject(drawing, pf::KeyedArchiver::kRootKey);
        },
        format, error);
}

pf::Ref<PWDrawing> PWDrawingArchiving::drawingWithData(const QByteArray& data, pf::Error* error)
{
    return drawingWithData(data, PWUnarchivingHelper::makeHelperForRead(), error);
}

pf::Ref<PWDrawing> PWDrawingArchiving::drawingWithData(const QByteArray& data,
                                                       const pf::Ref<PWUnarchivingHelper>& givenHelper,
                                                       pf::Error* error)
{
    registerClassNameAliases();
    const pf::Ref<PWUnarchivingHelper> helper = givenHelper ? givenHelper : PWUnarchivingHelper::makeHelperForRead();

    pf::Error archiveError;
    pf::KeyedUnarchiver unarchiver(data, &archiveError);
    if (!unarchiver.isValid()) {
        pf::fail(error, unreadable(QCoreApplication::translate("PWDrawingArchiving", "The data is not a drawing archive."),
                                   archiveError));
        return nullptr;
    }

    const qint64 stated = unarchiver.decodeInt64(kElementCountKey);
    const quint64 expected = stated > 0 ? quint64(stated) : 0;
    helper->setTotalNumberOfObjects(expected);
    pf::NotificationCenter::defaultCenter().post(
        kPWDrawingWillBeginDearchiving, PWClassObject::forClass(PWDrawing::staticClass()),
        {{QStringLiteral("Data"), QVariant(data)},
         {QStringLiteral("Helper"), pf::toVariant(helper)},
         {QStringLiteral("NumberOfObjects"), QVariant::fromValue<qulonglong>(helper->totalNumberOfObjects())}});

    // Detaches on every way out, exceptions from the hooks included.
    struct Attachment {
        PWUnarchivingHelper& helper;
        Attachment(PWUnarchivingHelper& h, pf::KeyedUnarchiver& u) : helper(h) { helper.attach(&u); }
        ~Attachment() { helper.detach(); }
    } attachment(*helper, unarchiver);
    unarchiver.setDelegate(helper.get());

    pf::Ref<PWDrawing> drawing;
    const bool hasRoot = unarchiver.containsValueForKey(pf::KeyedArchiver::kRootKey);
    if (!helper->isCancelled() && hasRoot)
        drawing = unarchiver.decodeObjectOfClass<PWDrawing>(pf::KeyedArchiver::kRootKey);
    unarchiver.finishDecoding();

    if (helper->isCancelled() || unarchiver.isCancelled()) {
        pf::fail(error, makeError(kPWErrorDrawingReadCancelled, readDescription(),
                                  QCoreApplication::translate("PWDrawingArchiving", "Reading was cancelled.")));
        return nullptr;
    }
    if (!unarchiver.error().isNull()) {
        pf::fail(error, unreadable(unarchiver.error().localizedFailureReason().isEmpty()
                                       ? unarchiver.error().localizedDescription()
                                       : unarchiver.error().localizedFailureReason(),
                                   unarchiver.error()));
        return nullptr;
    }
    if (!drawing) {
        pf::fail(error, unreadable(hasRoot ? QCoreApplication::translate("PWDrawingArchiving",
                                                                         "The archive does not hold a drawing.")
                                           : QCoreApplication::translate("PWDrawingArchiving", "The archive is empty.")));
        return nullptr;
    }
    return drawing;
}

QByteArray PWDrawingArchiving::dataWithObjects(const QList<pf::Ref<pf::Object>>& objects,
                                               pf::PropertyListFormat format, pf::Error* error)
{
    QVariantList list;
    list.reserve(objects.size());
    for (const auto& object : objects)
        if (object)
            list.append(pf::toVariant(object));
    return archive([&](pf::KeyedArchiver& archiver) { archiver.encodePropertyListValue(list, kObjectsKey); }, format,
                   error);
}

QList<pf::Ref<pf::Object>> PWDrawingArchiving::objectsWithData(const QByteArray& data, const pf::Class& cls,
                                                               pf::Error* error)
{
    registerClassNameAliases();
    pf::Error archiveError;
    pf::KeyedUnarchiver unarchiver(data, &archiveError);
    if (!unarchiver.isValid()) {
        pf::fail(error, unreadable(QCoreApplication::translate("PWDrawingArchiving", "The data is not an archive."),
                                   archiveError));
        return {};
    }
    const QVariantList stored = unarchiver.decodePropertyListValue(kObjectsKey).toList();
    unarchiver.finishDecoding();
    if (!unarchiver.error().isNull()) {
        pf::fail(error, unreadable(unarchiver.error().localizedFailureReason(), unarchiver.error()));
        return {};
    }
    QList<pf::Ref<pf::Object>> objects;
    for (const QVariant& value : stored) {
        pf::Ref<pf::Object> object = pf::objectFromVariant(value);
        if (object && object->isKindOf(cls))
            objects.append(object);
    }
    return objects;
}
