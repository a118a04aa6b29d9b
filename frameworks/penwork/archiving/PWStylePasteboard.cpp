#include "frameworks/penwork/archiving/PWStylePasteboard.h"

#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/Pasteboard.h"

#include <QHash>
#include <QMutex>

namespace {

struct KnownStyles {
    QMutex mutex;
    QHash<QString, pf::Weak<PWStyle>> byKey;
};

KnownStyles& knownStyles()
{
    static KnownStyles table;
    return table;
}

} // namespace

void PWStylePasteboard::registerKnownStyle(const pf::Ref<PWStyle>& style)
{
    if (!style || style->uniqueKey().isEmpty())
        return;
    KnownStyles& table = knownStyles();
    QMutexLocker lock(&table.mutex);
    // Dropping the entries of styles that are gone keeps the table as small as what lives.
    for (auto it = table.byKey.begin(); it != table.byKey.end();)
        it = it.value().expired() ? table.byKey.erase(it) : std::next(it);
    table.byKey.insert(style->uniqueKey(), style);
}

pf::Ref<PWStyle> PWStylePasteboard::knownStyleWithUniqueKey(const QString& key)
{
    if (key.isEmpty())
        return nullptr;
    {
        KnownStyles& table = knownStyles();
        QMutexLocker lock(&table.mutex);
        if (pf::Ref<PWStyle> style = table.byKey.value(key).lock())
            return style;
    }
    if (pf::Ref<PWStyle> fallback = PWStyle::defaultStyle(); fallback && fallback->uniqueKey() == key)
        return fallback;
    if (pf::DocumentController* controller = pf::DocumentController::sharedIfMade()) {
        for (const auto& document : controller->documents()) {
            auto* drawingDocument = dynamic_cast<PWDrawingDocument*>(document.get());
            if (!drawingDocument || !drawingDocument->drawing())
                continue;
            for (const auto& style : drawingDocument->drawing()->allStyles())
                if (style->uniqueKey() == key)
                    return style;
        }
    }
    return nullptr;
}

bool PWStylePasteboard::copyToPasteboard(const pf::Ref<PWStyle>& style, pf::Pasteboard& pasteboard)
{
    if (!style)
        return false;
    registerKnownStyle(style);
    pf::Error error;
    const QByteArray data = PWDrawingArchiving::dataWithObjects({style}, pf::PropertyListFormat::Binary, &error);
    if (data.isEmpty()) {
        PF_LOG("style '%s' could not be archived for the pasteboard: %s", qPrintable(style->name()),
               qPrintable(error.description()));
        pasteboard.declareTypes({kPWStyleKeyPasteboardType});
        pasteboard.setString(style->uniqueKey(), kPWStyleKeyPasteboardType);
        return false;
    }
    pasteboard.declareTypes({kPWStylePasteboardType, kPWStyleKeyPasteboardType});
    return pasteboard.setData(data, kPWStylePasteboardType)
        && pasteboard.setString(style->uniqueKey(), kPWStyleKeyPasteboardType);
}

pf::Ref<PWStyle> PWStylePasteboard::styleFromPasteboard(const pf::Pasteboard& pasteboard)
{
    if (pf::Ref<PWStyle> known = knownStyleWithUniqueKey(pasteboard.stringForType(kPWStyleKeyPasteboardType)))
        return known;
    const QByteArray data = pasteboard.dataForType(kPWStylePasteboardType);
    if (data.isEmpty())
        return nullptr;
    const auto objects = PWDrawingArchiving::objectsWithData(data, PWStyle::staticClass());
    return objects.size() == 1 ? std::static_pointer_cast<PWStyle>(objects.first()) : nullptr;
}
