#include "frameworks/penwork/archiving/PWRasterizerPasteboard.h"

#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/styles/PWRasterizer.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Pasteboard.h"

bool PWRasterizerPasteboard::copyToPasteboard(const pf::Ref<PWRasterizer>& rasterizer, pf::Pasteboard& pasteboard)
{
    pasteboard.clearContents();
    if (!rasterizer)
        return false;
    pf::Error error;
    const QByteArray data = PWDrawingArchiving::dataWithObjects({rasterizer}, pf::PropertyListFormat::Binary, &error);
    if (data.isEmpty()) {
        PF_LOG("renderer could not be written to the pasteboard: %s", qPrintable(error.description()));
        return false;
    }
    pasteboard.declareTypes({kPWRasterizerPasteboardType});
    return pasteboard.setData(data, kPWRasterizerPasteboardType);
}

pf::Ref<PWRasterizer> PWRasterizerPasteboard::rasterizerFromPasteboard(const pf::Pasteboard& pasteboard)
{
    const QByteArray data = pasteboard.dataForType(kPWRasterizerPasteboardType);
    if (data.isEmpty())
        return nullptr;
    const auto objects = PWDrawingArchiving::objectsWithData(data, PWRasterizer::staticClass());
    return objects.size() == 1 ? std::static_pointer_cast<PWRasterizer>(objects.first()) : nullptr;
}
