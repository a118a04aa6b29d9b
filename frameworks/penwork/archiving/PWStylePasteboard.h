#pragma once

#include "platform/foundation/Object.h"

#include <QString>

class PWStyle;
namespace pf {
class Pasteboard;
}

// Styles on pasteboards, in two forms written together: the archived style, and its unique
// key, which another part of this process resolves to the very style object (so that a drop
// shares the style rather than copying it).
inline const QString kPWStylePasteboardType = QStringLiteral("net.penwork.style");
inline const QString kPWStyleKeyPasteboardType = QStringLiteral("net.penwork.style-key");

class PWStylePasteboard {
public:
    // Replaces the pasteboard's contents with both forms of the style and makes the style
    // known to the process; false when the style cannot be archived (the key form alone is
    // then written).
    static bool copyToPasteboard(const pf::Ref<PWStyle>& style, pf::Pasteboard& pasteboard);
    // The style on the pasteboard: by its key when a style of that key is known to the process,
    // else decoded from the archived form; null when there is neither or the data is damaged.
    static pf::Ref<PWStyle> styleFromPasteboard(const pf::Pasteboard& pasteboard);

    // Styles known to the process: those registered here (weakly held), the default style,
    // and those used by the drawings of the open drawing documents.
    static void registerKnownStyle(const pf::Ref<PWStyle>& style);
    static pf::Ref<PWStyle> knownStyleWithUniqueKey(const QString& key);
};
