#include "drawing/PWXPathCuttingTool.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "platform/foundation/Exception.h"
#include "platform/graphics/Image.h"

#include <QCoreApplication>
#include <QPixmap>

PF_DEFINE_CLASS(PWXPathCuttingTool, PWDrawingTool) {}

QString PWXPathCuttingTool::defaultActionName() const
{
    return QCoreApplication::translate("PWXPathCuttingTool", "Cut Path");
}

QCursor PWXPathCuttingTool::cursor() const
{
    static const QCursor cutter = [] {
        pf::Ref<pf::Image> image = pf::Image::imageNamed(QStringLiteral("VNCR_Cut_Path"));
        return image ? QCursor(QPixmap::fromImage(image->bitmap()), 4, 21) : QCursor(Qt::CrossCursor);
    }();
    return cutter;
}

int PWXPathCuttingTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer,
                                         const PWToolEvent&, PWToolUndoDelegate* delegate)
{
    m_hasCut = false;
    cutOrDeselect(target, point, layer, delegate);
    return 0;
}

void PWXPathCuttingTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent&,
                                             PWToolUndoDelegate* delegate)
{
    if (m_hasCut)
        return;
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    pf::Ref<PWDrawableObject> hit = owner ? owner->hitObject(point) : nullptr;
    cutOrDeselect(hit.get(), point, layer, delegate);
}

bool PWXPathCuttingTool::mouseUpAtPoint(const QPointF&, int, PWLayer*, const PWToolEvent&, PWToolUndoDelegate*)
{
    return m_hasCut;
}

void PWXPathCuttingTool::cutOrDeselect(PWDrawableObject* target, const QPointF& point, PWLayer* layer,
                                       PWToolUndoDelegate* delegate)
{
    if (auto* path = dynamic_cast<PWDrawablePath*>(target)) {
        cutPath(path, point, layer, delegate);
    } else if (auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer)) {
        owner->deselectAll();
    }
}

void PWXPathCuttingTool::cutPath(PWDrawablePath* path, const QPointF& point, PWLayer* layer,
                                 PWToolUndoDelegate* delegate)
{
    PF_ASSERT(path, "can't cut nil path");
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    const float length = float(path->lengthForPoint(point));
    // The very start (or a point off the path) cuts nothing, and so does the very end: the cut
    // must leave two real paths.
    if (length <= 0.0f || length >= path->length() || !owner || path->locked())
        return;
    if (delegate)
        delegate->toolWillPerformUndoableAction(*this);
    pf::Ref<PWDrawablePath> newPath = path->dividePathAtLength(length);
    if (!newPath)
        return;
    owner->addObject(newPath);
    owner->exchangeSelectionWithObjectsFromArray({newPath, path->ref<PWDrawableObject>()});
    m_hasCut = true;
    if (delegate)
        delegate->toolDidPerformUndoableAction(*this);
}
