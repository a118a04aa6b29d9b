#include "library/PWXLibraryItem.h"

#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryObjectProtocol.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/ui/Pasteboard.h"

// Items on the pasteboard: each item as a keyed archive, gathered in one archive with the
// library they came from.

void PWXLibraryItem::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    if (pf::Ref<PWXLibrary> owner = libraryRef())
        coder.encodeObject(owner, kArchiveLibraryKey);
    coder.encodeString(PWXLibraryElement::name(), kArchiveNameKey);
    coder.encodeString(m_key, kArchiveUniqueIDKey);
    coder.encodeInt64(m_classCode, kArchiveClassCodeKey);
    if (m_infoValid)
        coder.encodePropertyListValue(m_info, kArchiveInfoKey);
    if (m_object)
        coder.encodeObject(m_object, kArchiveObjectKey);
}

void PWXLibraryItem::initWithCoder(pf::KeyedUnarchiver& coder)
{
    // Decoding builds the item in memory only: its package, when it has one, stays as it is.
    m_decoding = true;
    setNameInternal(coder.decodeString(kArchiveNameKey));
    if (pf::Ref<PWXLibrary> owner = coder.decodeObjectOfClass<PWXLibrary>(kArchiveLibraryKey))
        setLibrary(owner.get());
    m_key = coder.decodeString(kArchiveUniqueIDKey);
    m_classCode = int(coder.decodeInt64(kArchiveClassCodeKey));
    if (pf::Ref<pf::Object> object = coder.decodeObjectForKey(kArchiveObjectKey);
        object && PWXLibraryObjectProtocol::conforms(object)) {
        setRepresentedObject(object);
    }
    const QVariant info = coder.decodePropertyListValue(kArchiveInfoKey);
    if (info.typeId() == QMetaType::QVariantMap) {
        m_info = info.toMap();
        m_infoValid = true;
    }
    m_decoding = false;
}

QByteArray PWXLibraryItem::pasteboardData() const
{
    return pf::KeyedArchiver::archivedData(std::const_pointer_cast<PWXLibraryItem>(ref<PWXLibraryItem>()));
}

pf::Ref<PWXLibraryItem> PWXLibraryItem::itemWithPasteboardData(const QByteArray& data)
{
    if (data.isEmpty())
        return nullptr;
    pf::Ref<PWXLibraryItem> item = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWXLibraryItem>(data);
    if (!item || item->uniqueKey().isEmpty())
        return nullptr;
    return item;
}

bool PWXLibraryItem::writeLibraryItems(const QList<pf::Ref<PWXLibraryItem>>& items, pf::Pasteboard* pasteboard,
                                       double /*symbolPrescale*/)
{
    PF_ASSERT(pasteboard, "nil pasteboard");
    if (!pasteboard || items.isEmpty())
        return false;
    const pf::Ref<PWXLibraryItem>& last = items.last();
    QVariantList archived;
    for (const pf::Ref<PWXLibraryItem>& item : items) {
        const QByteArray data = item ? item->pasteboardData() : QByteArray();
        if (data.isEmpty())
            return false;
        archived.append(data);
    }
    pf::KeyedArchiver archiver;
    if (pf::Ref<PWXLibrary> source = last->libraryRef())
        archiver.encodeObject(source, kPasteboardSourceLibKey);
    archiver.encodeInt64(items.size(), kPasteboardCountKey);
    archiver.encodePropertyListValue(archived, kPasteboardItemsKey);
    pf::Error error;
    const QByteArray data = archiver.encodedData(&error);
    if (data.isEmpty()) {
        RVLog(kFileEvent, QStringLiteral("library items could not be archived: %1").arg(error.localizedDescription()));
        return false;
    }
    pasteboard->declareTypes({kPWXLibraryItemPasteboardType});
    // The last item also goes as itself, so that a drawing can take clip art as drawn objects.
    if (auto master = std::dynamic_pointer_cast<PWXSymbolMaster>(last->symbolMaster()))
        master->copyToPasteboard(pasteboard);
    return pasteboard->setData(data, kPWXLibraryItemPasteboardType);
}

std::optional<QList<pf::Ref<PWXLibraryItem>>> PWXLibraryItem::libraryItemsFromPasteboard(const pf::Pasteboard* pasteboard)
{
    if (!pasteboard)
        return std::nullopt;
    const QByteArray data = pasteboard->dataForType(kPWXLibraryItemPasteboardType);
    if (data.isEmpty())
        return std::nullopt;
    pf::KeyedUnarchiver unarchiver(data);
    const QVariantList archived = unarchiver.decodePropertyListValue(kPasteboardItemsKey).toList();
    if (archived.isEmpty())
        return std::nullopt;
    QList<pf::Ref<PWXLibraryItem>> items;
    for (const QVariant& entry : archived) {
        pf::Ref<PWXLibraryItem> item = itemWithPasteboardData(entry.toByteArray());
        if (!item)
            continue;
        // An item of a library that holds it comes back as the library's own.
        if (pf::Ref<PWXLibrary> owner = item->libraryRef())
            if (pf::Ref<PWXLibraryItem> held = owner->itemWithUniqueID(item->uniqueKey()))
                item = held;
        items.append(item);
    }
    return items;
}

pf::Ref<PWXLibrary> PWXLibraryItem::sourceLibraryOnPasteboard(const pf::Pasteboard* pasteboard)
{
    if (!pasteboard)
        return nullptr;
    const QByteArray data = pasteboard->dataForType(kPWXLibraryItemPasteboardType);
    if (data.isEmpty())
        return nullptr;
    pf::KeyedUnarchiver unarchiver(data);
    return unarchiver.decodeObjectOfClass<PWXLibrary>(kPasteboardSourceLibKey);
}

pf::Ref<PWXLibraryItem> PWXLibraryItem::copyItem()
{
    pf::Ref<pf::Object> object = representedObject();
    if (!object)
        return nullptr;
    pf::Ref<pf::Object> clone = PWXLibraryObjectProtocol::clone(object);
    if (!clone)
        return nullptr;
    PWXLibrary* owner = library();
    PWXLibraryObjectProtocol::setName(clone, owner ? QStringLiteral("%1 (cloned from %2)").arg(name(), owner->name())
                                                   : QStringLiteral("%1 (cloned)").arg(name()));
    return itemWithLibraryObject(clone);
}
