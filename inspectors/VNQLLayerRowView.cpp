#include "inspectors/VNQLLayerRowView.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/OutlineView.h"
#include "widgets/Color+VNQLApplicationColors.h"
#include "widgets/Gradient+VNQLApplicationColors.h"
#include "widgets/VNQLCustomHighlightOutlineView.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QString kColourBarShownDefault = QStringLiteral("kVNQLLayerColourBarShownDefault");

} // namespace

PF_DEFINE_CLASS(VNQLLayerRowView, pf::TableRowView) {}

VNQLLayerRowView::VNQLLayerRowView(const QRectF& frame, QWidget* parent) : pf::TableRowView(frame, parent) {}

bool VNQLLayerRowView::showsLayerColourBar()
{
    const QVariant stored = pf::UserDefaults::standard().objectForKey(kColourBarShownDefault);
    return stored.isValid() ? pf::variantToBool(stored) : true;
}

void VNQLLayerRowView::setShowsLayerColourBar(bool shows)
{
    pf::UserDefaults::standard().setBool(shows, kColourBarShownDefault);
}

PWLayer* VNQLLayerRowView::layerForColourBar() const
{
    if (!mOutlineView)
        return nullptr;
    const int row = mOutlineView->rowForView(this);
    if (row < 0)
        return nullptr;
    const QVariant item = mOutlineView->itemAtRow(row);
    if (auto object = pf::fromVariant<pf::Ref<PWDrawableObject>>(item))
        return object->layer();
    return pf::fromVariant<pf::Ref<PWLayer>>(item).get();
}

void VNQLLayerRowView::updateColourBar()
{
    if (showsLayerColourBar())
        setNeedsDisplayInRect(QRectF(bounds().x(), bounds().y(), kColourBarWidth, bounds().height()));
}

void VNQLLayerRowView::setSelected(bool selected)
{
    for (QObject* child : children())
        if (auto* view = dynamic_cast<pf::View*>(child); view && view->respondsTo(QStringLiteral("setSelected:")))
            view->perform(QStringLiteral("setSelected:"), {selected});
    pf::TableRowView::setSelected(selected);
    setNeedsDisplay();
}

void VNQLLayerRowView::drawRect(const QRectF& dirtyRect)
{
    pf::TableRowView::drawRect(dirtyRect);
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    if (showsLayerColourBar()) {
        if (PWLayer* layer = layerForColourBar(); layer && layer->selectionColour().isValid())
            painter.fillRect(QRectF(bounds().x(), bounds().y(), kColourBarWidth, bounds().height()), layer->selectionColour());
    }
    const QRectF line = centerScanRect(QRectF(bounds().left(), bounds().bottom() - 0.5, bounds().width(), 0.0));
    painter.save();
    painter.setPen(QPen(VNQLLightControlFrameColour().qColor(), 0.25));
    painter.drawLine(QPointF(line.left(), line.top()), QPointF(line.right(), line.top()));
    painter.restore();
}

void VNQLLayerRowView::drawSelectionInRect(const QRectF&)
{
    if (auto* outline = qobject_cast<VNQLCustomHighlightOutlineView*>(mOutlineView.data())) {
        outline->drawCustomSelectionHighlightForView(this);
        return;
    }
    if (pf::GraphicsContext* context = pf::GraphicsContext::current())
        VNQLSelectedTableRowGradient()->drawInRect(context->painter(), bounds(), -90.0);
}

void VNQLLayerRowView::drawDraggingDestinationFeedbackInRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    QPainterPath path;
    path.addRoundedRect(bounds().adjusted(2, 2, -2, -2), 8, 8);
    VNQLSelectedTableRowGradient()->drawInPath(painter, path, -90.0);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2.0));
    painter.drawPath(path);
    painter.restore();
}
