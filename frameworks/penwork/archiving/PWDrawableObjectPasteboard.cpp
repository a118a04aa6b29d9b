#include "frameworks/penwork/archiving/PWDrawableObjectPasteboard.h"

#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Pasteboard.h"

bool PWDrawableObjectPasteboard::writeObjects(const QList<pf::Ref<PWDrawableObject>>& objects,
                                              pf::Pasteboard& pasteboard)
{
    QList<pf::Ref<pf::Object>> list;
    for (const auto& object : objects)
        if (object)
            list.append(object);
    pasteboard.clearContents();
    if (list.isEmpty())
        return false;
    pf::Error error;
    const QByteArray data = PWDrawingArchiving::dataWithObjects(list, pf::PropertyListFormat::Binary, &error);
    if (data.isEmpty()) {
        PF_LOG("drawables could not be written to the pasteboard: %s", qPrintable(error.description()));
        return false;
    }
    pasteboard.declareTypes({kPWDrawableObjectPasteboardType});
    return pasteboard.setData(data, kPWDrawableObjectPasteboardType);
}

QList<pf::Ref<PWDrawableObject>> PWDrawableObjectPasteboard::nativeObjectsFromPasteboard(const pf::Pasteboard& pasteboard)
{
    const QByteArray data = pasteboard.dataForType(kPWDrawableObjectPasteboardType);
    if (data.isEmpty())
        return {};
    QList<pf::Ref<PWDrawableObject>> objects;
    for (const auto& object : PWDrawingArchiving::objectsWithData(data, PWDrawableObject::staticClass()))
        objects.append(std::static_pointer_cast<PWDrawableObject>(object));
    return objects;
}
