#pragma once

#include "platform/foundation/Object.h"

#include <QString>

class PWRasterizer;
namespace pf {
class Pasteboard;
}

// A renderer on a pasteboard: its archive, read back as an independent copy that belongs to
// no group and no style.
inline const QString kPWRasterizerPasteboardType = QStringLiteral("net.penwork.renderer");

class PWRasterizerPasteboard {
public:
    // Replaces the pasteboard's contents with the renderer; false when it cannot be archived.
    static bool copyToPasteboard(const pf::Ref<PWRasterizer>& rasterizer, pf::Pasteboard& pasteboard);
    // The renderer on the pasteboard, or null when there is none or the data is damaged.
    static pf::Ref<PWRasterizer> rasterizerFromPasteboard(const pf::Pasteboard& pasteboard);
};
