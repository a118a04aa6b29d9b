#include "inspectors/VNQLTabContentView.h"

#include "inspectors/VNQLTabLayer.h"
#include "inspectors/VNQLTabView.h"
#include "inspectors/VNQLTabViewTitleView.h"

#include "platform/foundation/Exception.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/ViewController.h"
#include "widgets/BezierPath+RoundRectangles.h"
#include "widgets/Color+VNQLApplicationColors.h"
#include "widgets/Gradient+VNQLApplicationColors.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

PF_DEFINE_CLASS(VNQLTabContentView, pf::View)
{
    b.property("title", &VNQLTabContentView::title, &VNQLTabContentView::setTitle);
    b.property("tabIdentifier", &VNQLTabContentView::tabIdentifier, &VNQLTabContentView::setTabIdentifier);
    b.property("tooltip", &VNQLTabContentView::tooltip, &VNQLTabContentView::setTooltip);
    b.method("becomeSelected", &VNQLTabContentView::becomeSelected);
    b.method("resignSelected", &VNQLTabContentView::resignSelected);
}

namespace {

// A vertical gradient (angle -90: from the top down in a flipped view) of the stops.
QLinearGradient qtGradient(const pf::Gradient& gradient, const QRectF& rect)
{
    QLinearGradient result(rect.center().x(), rect.top(), rect.center().x(), rect.bottom());
    for (const pf::ColorStop& stop : gradient.colorStops())
        result.setColorAt(stop.location, stop.color.qColor());
    return result;
}

// The image resource `name` of the controller's bundle; with the "_selected" variant when
// `selected`. Null when there is none.
QImage iconResource(const QString& name, bool selected)
{
    QString resource = name;
    if (selected) {
        const QFileInfo info(name);
        const QString suffix = info.suffix();
        const QString base = suffix.isEmpty() ? name : name.left(name.size() - suffix.size() - 1);
        resource = base + QStringLiteral("_selected") + (suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix);
    }
    return pf::Bundle::main().imageForResource(resource);
}

} // namespace

VNQLTabContentView::VNQLTabContentView(const QRectF& frame, QWidget* parent) : pf::View(frame, parent)
{
    setAutoresizingMask(pf::ViewWidthSizable | pf::ViewHeightSizable);
}

VNQLTabContentView::~VNQLTabContentView()
{
    if (m_content && m_content->parent() == this) {
        m_content->setParent(nullptr);
        if (!ownedByController(m_content))
            delete m_content.data();
    }
}

VNQLTabView* VNQLTabContentView::tabView() const
{
    return static_cast<VNQLTabView*>(m_tabView.data());
}

void VNQLTabContentView::setTabView(VNQLTabView* tabView)
{
    m_tabView = tabView;
}

void VNQLTabContentView::setTitle(const QString& title)
{
    m_title = title;
    if (m_layer)
        m_layer->label().string = title;
}

void VNQLTabContentView::setIcon(const QImage& icon)
{
    m_icon = icon;
    applyStateToLayer();
}

QRectF VNQLTabContentView::tabContentRect() const
{
    QRectF rect = bounds();
    rect.setTop(rect.top() + VNQLTabView::kStripHeight);
    if (rect.height() < 0)
        rect.setHeight(0);
    return rect;
}

bool VNQLTabContentView::ownedByController(const QWidget* view) const
{
    return m_controller && m_controller->isViewLoaded() && m_controller->view() == view;
}

void VNQLTabContentView::setContentView(QWidget* view)
{
    if (m_content == view)
        return;
    if (m_content) {
        QWidget* old = m_content;
        old->hide();
        old->setParent(nullptr);
        // The controller's own view goes with the controller; any other view goes now.
        if (!ownedByController(old))
            old->deleteLater();
    }
    m_content = view;
    if (!view)
        return;
    if (auto* v = dynamic_cast<pf::View*>(view)) {
        v->setAutoresizingMask(pf::ViewWidthSizable | pf::ViewHeightSizable);
        addSubview(v);
        v->setFrame(tabContentRect());
    } else {
        view->setParent(this);
        layoutContent();
    }
    view->show();
}

void VNQLTabContentView::layoutContent()
{
    if (!m_content || dynamic_cast<pf::View*>(m_content.data()))
        return;
    const QRectF content = boundsToWidgetTransform().mapRect(tabContentRect());
    m_content->setGeometry(content.toAlignedRect());
}

void VNQLTabContentView::setFrameSize(QSizeF size)
{
    pf::View::setFrameSize(size);
    layoutContent();
}

void VNQLTabContentView::setContentViewWithController(const pf::Ref<pf::ViewController>& controller)
{
    PF_ASSERT(controller != nullptr, "must have a valid controller");
    setContentView(controller->view());
    setTabIdentifier(controller->nibName());
    if (!controller->title().isEmpty())
        setTitle(controller->title());
    if (controller->respondsTo(QStringLiteral("tabIcon"))) {
        const QVariant icon = controller->valueForKey(QStringLiteral("tabIcon"));
        if (icon.canConvert<QImage>() && icon.metaType().id() == QMetaType::QImage) {
            setIcon(icon.value<QImage>());
        } else if (icon.metaType().id() == QMetaType::QString && !icon.toString().isEmpty()) {
            const QString name = icon.toString();
            const QImage plain = iconResource(name, false);
            if (!plain.isNull())
                setIcon(plain);
            const QImage selected = iconResource(name, true);
            if (!selected.isNull())
                setSelectedIcon(selected);
        }
    }
    if (controller->respondsTo(QStringLiteral("tabTooltip")))
        setTooltip(controller->valueForKey(QStringLiteral("tabTooltip")).toString());
    m_controller = controller;
    applyStateToLayer();
}

void VNQLTabContentView::setHighlighted(bool highlighted)
{
    if (isSelected())
        m_state = highlighted ? SelectedHighlighted : Selected;
    else
        m_state = highlighted ? UnselectedHighlighted : Unselected;
    redisplay();
}

void VNQLTabContentView::becomeSelected()
{
    setHidden(false);
    m_state = Selected;
    applyStateToLayer();
    redisplay();
}

void VNQLTabContentView::resignSelected()
{
    m_state = Unselected;
    applyStateToLayer();
    setHidden(true);
    redisplay();
}

void VNQLTabContentView::applyStateToLayer()
{
    if (!m_layer)
        return;
    const bool selected = isSelected();
    m_layer->setZPosition(selected ? 1000 : 0);
    m_layer->label().colour = (selected ? VNQLTitleTextColour() : VNQLUnselectedTitleTextColour()).qColor();
    m_layer->label().string = title();
    m_layer->icon().contents = selected ? selectedIcon() : icon();
}

VNQLTabLayer* VNQLTabContentView::tabLayer()
{
    if (!m_layer) {
        m_layer = std::make_unique<VNQLTabLayer>(this);
        applyStateToLayer();
    }
    return m_layer.get();
}

void VNQLTabContentView::layoutSublayersOfLayer(VNQLTabLayer& layer)
{
    QRectF area = layer.bounds().adjusted(7, 0, -7, 0);
    const double side = std::max(0.0, area.height() - 4);
    const bool showTitle = isTitleVisible() && !title().isEmpty();
    const bool showIcon = isIconVisible();
    QRectF iconRect(area.left() + 2, std::ceil(area.center().y() - side / 2) + 1, side, side);
    if (!showTitle)
        iconRect.moveLeft(std::floor(area.left() + (area.width() - side) / 2));
    layer.icon().frame = iconRect;
    layer.icon().hidden = !showIcon;
    if (showIcon) {
        area.setLeft(area.left() + side + 7);
        if (area.width() < 0)
            area.setWidth(0);
    }
    const double textHeight = std::ceil(QFontMetricsF(defaultTitleFont()).height());
    layer.label().frame = QRectF(area.left(), std::floor(area.center().y() - textHeight / 2), area.width(), textHeight);
    layer.label().hidden = !showTitle;
}

void VNQLTabContentView::drawLayer(const VNQLTabLayer& layer, QPainter& painter) const
{
    drawTabBackgroundInRect(painter, layer.bounds());
    if (!layer.icon().hidden && !layer.icon().contents.isNull()) {
        // Fitted into the square, proportions kept.
        const QImage& image = layer.icon().contents;
        QSizeF size = image.size().scaled(layer.icon().frame.size().toSize(), Qt::KeepAspectRatio);
        QRectF target(QPointF(0, 0), size);
        target.moveCenter(layer.icon().frame.center());
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image);
        painter.restore();
    }
    if (!layer.label().hidden && !layer.label().string.isEmpty()) {
        painter.save();
        painter.setFont(defaultTitleFont());
        painter.setPen(layer.label().colour);
        const QFontMetricsF metrics(defaultTitleFont());
        const QString text = metrics.elidedText(layer.label().string, Qt::ElideRight, layer.label().frame.width());
        painter.drawText(layer.label().frame, Qt::AlignCenter, text);
        painter.restore();
    }
}

int VNQLTabContentView::index() const
{
    VNQLTabView* owner = tabView();
    if (!owner)
        return -1;
    return int(owner->tabViews().indexOf(const_cast<VNQLTabContentView*>(this)));
}

QFont VNQLTabContentView::defaultTitleFont()
{
    QFont font;
    font.setPointSizeF(defaultTitleFontSize());
    return font;
}

double VNQLTabContentView::widthNeededForTab() const
{
    double width = (!icon().isNull() && isIconVisible()) ? 50.0 : 14.0;
    if (isTitleVisible() && !title().isEmpty())
        width += QFontMetricsF(defaultTitleFont()).horizontalAdvance(title());
    return std::ceil(width);
}

void VNQLTabContentView::redisplay()
{
    if (VNQLTabView* owner = tabView())
        if (VNQLTabViewTitleView* strip = owner->titleView())
            strip->setNeedsDisplay();
}

QString VNQLTabContentView::toolTipText() const
{
    return tooltip().isEmpty() ? title() : tooltip();
}

QString VNQLTabContentView::stringForToolTip(pf::View*, int, QPointF, const QVariant&)
{
    return toolTipText();
}

QString VNQLTabContentView::description() const
{
    return QStringLiteral("%1 '%2' [%3]")
        .arg(pf::View::description(), title(), tabIdentifier().isEmpty() ? QStringLiteral("<no id>") : tabIdentifier());
}

pf::Ref<pf::Gradient> VNQLTabContentView::tabBackgroundForState(int state)
{
    switch (state) {
    case UnselectedHighlighted:
        return VNQLHighlightedControlGradient();
    case Selected:
    case SelectedHighlighted:
        return VNQLSelectedControlGradient();
    default:
        return VNQLUnselectedControlGradient();
    }
}

void VNQLTabContentView::drawTabBackgroundInRect(QPainter& painter, const QRectF& rect) const
{
    // Grown downwards past the strip's edge, so only the top corners show rounded.
    const QRectF shape(rect.x() + 0.5, rect.y() + 0.5, rect.width() - 1, rect.height() + 2.5);
    const QPainterPath path =
        bezierPathWithRoundedRect(shape, 3.0, kRoundMinXMinYCorner | kRoundMaxXMinYCorner)->toQPainterPath();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, qtGradient(*tabBackgroundForState(m_state), shape));
    QPen pen(VNQLControlFrameColour().qColor());
    pen.setWidthF(0.25);
    painter.strokePath(path, pen);
    painter.restore();
}

void VNQLTabContentView::drawTabInRect(QPainter& painter, const QRectF& rect)
{
    VNQLTabLayer* layer = tabLayer();
    if (!layer)
        return;
    const QRectF oldFrame = layer->frame();
    layer->setFrame(rect);
    painter.save();
    painter.translate(rect.topLeft());
    drawLayer(*layer, painter);
    painter.restore();
    layer->setFrame(oldFrame);
}

QImage VNQLTabContentView::dragImage()
{
    m_renderTabForDrag = true;
    VNQLTabView* owner = tabView();
    const QRectF visible = owner ? owner->visibleRect() : bounds();
    const qreal ratio = devicePixelRatioF();
    QImage image((visible.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        m_renderTabForDrag = false;
        return image;
    }
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.translate(-visible.topLeft());
        QRectF panel = visible;
        panel.setTop(visible.top() + VNQLTabView::kStripHeight);
        painter.fillRect(panel, VNQLWindowBackgroundColour().qColor());
        QPen frame(Qt::black);
        frame.setWidthF(0.5);
        painter.setPen(frame);
        painter.drawRect(panel.adjusted(0.25, 0.25, -0.25, -0.25));
        if (owner) {
            const QRectF strip = owner->tabsRect().adjusted(0, 0, 0, 1);
            painter.setClipRect(strip);
            drawTabInRect(painter, owner->rectOfTabAtIndex(index()));
        }
    }
    m_renderTabForDrag = false;
    return image;
}

void VNQLTabContentView::drawRect(const QRectF& dirtyRect)
{
    QPainter* painter = pf::GraphicsContext::current() ? &pf::GraphicsContext::current()->painter() : nullptr;
    if (!painter)
        return;
    painter->fillRect(tabContentRect().intersected(dirtyRect), VNQLWindowBackgroundColour().qColor());
}
