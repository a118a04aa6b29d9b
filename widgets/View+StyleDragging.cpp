#include "widgets/View+StyleDragging.h"

#include "platform/foundation/Exception.h"
#include "platform/graphics/Image.h"
#include "platform/ui/DraggingSession.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/View.h"

#include <QPixmap>

unsigned dragStyleOrSymbol(pf::View& view, const pf::Ref<pf::Object>& object, const pf::Event& event,
                           pf::DraggingSource* source, bool slideBack)
{
    PF_ASSERT(object != nullptr, "can't drag a nil style or symbol");
    // Qt's drags do not slide back: a refused drop simply ends.
    (void)slideBack;
    const pf::Ref<pf::Pasteboard> pasteboard = pf::Pasteboard::drag();
    object->perform(QStringLiteral("copyToPasteboard:"), {pf::toVariant(pasteboard)});

    QPixmap picture;
    if (const auto image = pf::objectCast<pf::Image>(object->valueForKey(QStringLiteral("image"))))
        picture = QPixmap::fromImage(image->bitmap());
    // Centred on the pointer.
    const QPoint offset(-picture.width() / 2, -picture.height() / 2);
    pf::DraggingSource* dragSource = source ? source : dynamic_cast<pf::DraggingSource*>(&view);
    return pf::DraggingSession::begin(&view, pasteboard, dragSource, picture, offset, event);
}

unsigned dragStyleOrSymbol(pf::View& view, const pf::Ref<pf::Object>& object, const pf::Event& event)
{
    return dragStyleOrSymbol(view, object, event, nullptr, true);
}

unsigned dragStyle(pf::View& view, const pf::Ref<pf::Object>& style, const pf::Event& event)
{
    return dragStyleOrSymbol(view, style, event, nullptr, true);
}

unsigned dragStyle(pf::View& view, const pf::Ref<pf::Object>& style, const pf::Event& event,
                   pf::DraggingSource* source, bool slideBack)
{
    return dragStyleOrSymbol(view, style, event, source, slideBack);
}
