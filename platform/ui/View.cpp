#include "platform/ui/View.h"

#include "platform/ui/TableView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ClipView.h"
#include "platform/ui/DraggingSession.h"
#include "platform/ui/Panel.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableView.h"

#include <QApplication>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QGraphicsOpacityEffect>
#include <QHelpEvent>
#include <QLayout>
#include <QMenu>
#include <QMimeData>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QTimer>
#include <QToolTip>

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::View, pf::Reflective, "pf::View") {}

namespace pf {

struct View::DragState {
    std::optional<DraggingInfo> info;
    QTimer periodic;
};

namespace {

double scaleOf(double frameLength, double boundsLength)
{
    return boundsLength != 0 ? frameLength / boundsLength : 1.0;
}

QRect roundedRect(const QRectF& r)
{
    const int left = int(std::lround(r.left()));
    const int top = int(std::lround(r.top()));
    const int right = int(std::lround(r.right()));
    const int bottom = int(std::lround(r.bottom()));
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

// Raises a counter for its lifetime.
struct DepthScope {
    explicit DepthScope(int& depth) : depth(depth) { ++depth; }
    ~DepthScope() { --depth; }
    int& depth;
};

// Runs a handler with the translated event as the current one.
struct CurrentEventScope {
    explicit CurrentEventScope(const Event& event) : previous(Event::current() ? std::optional<Event>(*Event::current()) : std::nullopt)
    {
        Event::setCurrent(event);
    }
    ~CurrentEventScope() { Event::setCurrent(previous); }
    std::optional<Event> previous;
};

} // namespace

View::View(QWidget* parent) : QWidget(parent)
{
    init(parent ? QRectF(0, 0, 0, 0) : QRectF());
}

View::View(const QRectF& frame, QWidget* parent) : QWidget(parent)
{
    init(frame);
}

View::~View()
{
    // A view going away mid-draw or mid-event must not leave itself current anywhere.
    m_paintRegion = nullptr;
}

void View::init(const QRectF& frame)
{
    m_frame = frame;
    m_bounds = QRectF(QPointF(0, 0), frame.size());
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    m_previousSuperview = superview();
    m_previousWindow = windowWidget();
    applyQtGeometry();
}

// Tree

View* View::superview() const
{
    return qobject_cast<View*>(parentWidget());
}

QList<View*> View::subviews() const
{
    QList<View*> views;
    for (QObject* child : children()) {
        if (auto* view = qobject_cast<View*>(child))
            views.append(view);
    }
    return views;
}

void View::addSubview(View* view)
{
    if (!view || view == this || isDescendantOf(view))
        return;
    const bool explicitlyHidden = view->testAttribute(Qt::WA_WState_ExplicitShowHide) && view->isHidden();
    if (view->parentWidget() != this)
        view->setParent(this);
    view->applyQtGeometry();
    if (!explicitlyHidden)
        view->show();
    view->raise();
}

void View::setSubviews(const QList<View*>& views)
{
    for (View* old : subviews()) {
        if (!views.contains(old))
            old->removeFromSuperview();
    }
    for (View* view : views)
        addSubview(view);
}

void View::removeFromSuperview()
{
    if (!parentWidget())
        return;
    // Qt hides the widget as it leaves its parent but remembers whether it was hidden on purpose.
    setParent(nullptr);
    if (m_keepAlive)
        return;
    QMetaObject::invokeMethod(this, [this] { deleteIfStillRemoved(); }, Qt::QueuedConnection);
}

void View::deleteIfStillRemoved()
{
    // Added to a view again in the meantime, or kept: it lives on.
    if (!parentWidget() && !m_keepAlive)
        delete this;
}

bool View::isDescendantOf(const View* view) const
{
    for (const QWidget* w = this; w; w = w->parentWidget()) {
        if (w == view)
            return true;
    }
    return false;
}

QWidget* View::windowWidget() const
{
    return const_cast<View*>(this)->window();
}

View* View::viewWithTag(int tag)
{
    if (m_tag == tag)
        return this;
    for (View* sub : subviews()) {
        if (View* found = sub->viewWithTag(tag))
            return found;
    }
    return nullptr;
}

// Geometry

QRectF View::frame() const
{
    // Under a plain widget, Qt (a layout, a resize of the parent) decides where the view is.
    if (parentWidget() && !superview() && !m_applyingGeometry && geometry() != qtGeometryForFrame())
        return frameFromQtGeometry();
    return m_frame;
}

void View::setFrame(const QRectF& frame)
{
    const QRectF old = m_frame;
    {
        DepthScope batch(m_frameChangeDepth);
        setFrameOrigin(frame.topLeft());
        setFrameSize(frame.size());
    }
    frameDidChange(old);
}

void View::setFrameOrigin(QPointF origin)
{
    if (origin == m_frame.topLeft())
        return;
    const QRectF old = m_frame;
    m_frame.moveTopLeft(origin);
    applyQtGeometry();
    frameDidChange(old);
}

void View::setFrameSize(QSizeF size)
{
    if (size == m_frame.size())
        return;
    const QRectF old = m_frame;
    const QSizeF oldBounds = m_bounds.size();
    m_frame.setSize(size);
    if (!m_boundsScaled)
        m_bounds.setSize(size);
    applyQtGeometry();
    if (m_autoresizesSubviews && m_bounds.size() != oldBounds)
        resizeSubviewsWithOldSize(oldBounds);
    // Unflipped subviews keep their distance from the bottom edge, which has moved in Qt.
    layoutSubviewsGeometry();
    update();
    frameDidChange(old);
}

namespace {
// Whether `layout`, or a layout inside it, places `widget`: such a subview's geometry is the
// layout's, and putting its frame back would move it where the layout does not expect it.
bool placedByLayout(const QLayout* layout, const QWidget* widget)
{
    if (!layout)
        return false;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (!item)
            continue;
        if (item->widget() == widget || placedByLayout(item->layout(), widget))
            return true;
    }
    return false;
}
} // namespace

void View::resizeSubviewsWithOldSize(QSizeF oldSize)
{
    for (View* sub : subviews())
        if (!placedByLayout(layout(), sub))
            sub->resizeWithOldSuperviewSize(oldSize);
}

namespace {
// One axis of an autoresizing mask: the change is shared evenly by the flexible parts.
void autoresizeAxis(double change, bool minFlexible, bool lengthFlexible, bool maxFlexible, double& origin,
                    double& length)
{
    const int parts = int(minFlexible) + int(lengthFlexible) + int(maxFlexible);
    if (parts == 0 || change == 0)
        return;
    const double share = change / parts;
    if (minFlexible)
        origin += share;
    if (lengthFlexible)
        length = std::max(0.0, length + share);
}
} // namespace

void View::resizeWithOldSuperviewSize(QSizeF oldSize)
{
    const View* super = superview();
    if (!super)
        return;
    const QSizeF newSize = super->bounds().size();
    double x = m_frame.x(), y = m_frame.y(), width = m_frame.width(), height = m_frame.height();
    const unsigned mask = m_autoresizingMask;
    autoresizeAxis(newSize.width() - oldSize.width(), mask & ViewMinXMargin, mask & ViewWidthSizable,
                   mask & ViewMaxXMargin, x, width);
    autoresizeAxis(newSize.height() - oldSize.height(), mask & ViewMinYMargin, mask & ViewHeightSizable,
                   mask & ViewMaxYMargin, y, height);
    const QRectF frame(x, y, width, height);
    if (frame != m_frame)
        setFrame(frame);
}

void View::setBounds(const QRectF& bounds)
{
    m_bounds = bounds;
    m_boundsScaled = bounds.size() != m_frame.size();
    boundsDidChange();
}

void View::setBoundsOrigin(QPointF origin)
{
    m_bounds.moveTopLeft(origin);
    boundsDidChange();
}

void View::setBoundsSize(QSizeF size)
{
    m_bounds.setSize(size);
    m_boundsScaled = true;
    boundsDidChange();
}

void View::boundsDidChange()
{
    layoutSubviewsGeometry();
    update();
    invalidateCursorRects();
    updateTrackingAreas();
    if (m_postsBoundsChanged)
        NotificationCenter::defaultCenter().post(NSViewBoundsDidChangeNotification, this);
}

void View::frameDidChange(const QRectF& old)
{
    // Inside setFrame or a change from Qt: the outer call reports the whole change once.
    if (m_frameChangeDepth > 0 || old == m_frame)
        return;
    invalidateCursorRects();
    updateTrackingAreas();
    if (m_postsFrameChanged)
        NotificationCenter::defaultCenter().post(NSViewFrameDidChangeNotification, this);
}

QSizeF View::ancestorScale() const
{
    double sx = 1.0, sy = 1.0;
    for (const View* view = superview(); view; view = view->superview()) {
        sx *= scaleOf(view->m_frame.width(), view->m_bounds.width());
        sy *= scaleOf(view->m_frame.height(), view->m_bounds.height());
    }
    return {sx, sy};
}

QTransform View::boundsToWidgetTransform() const
{
    // A magnified ancestor (a zoomed clip view) scales this view's pixels too.
    const QSizeF ancestors = ancestorScale();
    const double sx = scaleOf(m_frame.width(), m_bounds.width()) * ancestors.width();
    const double sy = scaleOf(m_frame.height(), m_bounds.height()) * ancestors.height();
    if (isFlipped())
        return QTransform(sx, 0, 0, sy, -m_bounds.x() * sx, -m_bounds.y() * sy);
    const double height = m_frame.height() * ancestors.height();
    return QTransform(sx, 0, 0, -sy, -m_bounds.x() * sx, height + m_bounds.y() * sy);
}

QRect View::qtGeometryForFrame() const
{
    if (View* super = superview())
        return roundedRect(super->boundsToWidgetTransform().mapRect(m_frame));
    if (QWidget* parent = parentWidget()) {
        const double top = parent->height() - m_frame.y() - m_frame.height();
        return roundedRect(QRectF(m_frame.x(), top, m_frame.width(), m_frame.height()));
    }
    return QRect(pos(), roundedRect(QRectF(QPointF(0, 0), m_frame.size())).size());
}

QRectF View::frameFromQtGeometry() const
{
    const QRectF g(geometry());
    if (View* super = superview())
        return super->boundsToWidgetTransform().inverted().mapRect(g);
    if (QWidget* parent = parentWidget())
        return QRectF(g.x(), parent->height() - g.y() - g.height(), g.width(), g.height());
    return QRectF(m_frame.topLeft(), g.size());
}

void View::applyQtGeometry()
{
    if (m_adoptingQtGeometry)
        return;
    const QRect target = qtGeometryForFrame();
    if (geometry() == target)
        return;
    m_applyingGeometry = true;
    setGeometry(target);
    m_applyingGeometry = false;
}

void View::layoutSubviewsGeometry()
{
    for (View* sub : subviews())
        if (!placedByLayout(layout(), sub))
            sub->applyQtGeometry();
}

void View::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    adoptQtGeometry();
}

void View::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (parentWidget())
        adoptQtGeometry();
}

void View::adoptQtGeometry()
{
    if (m_applyingGeometry || m_adoptingQtGeometry || geometry() == qtGeometryForFrame())
        return;
    const QRectF target = frameFromQtGeometry();
    const QRectF old = m_frame;
    {
        DepthScope batch(m_frameChangeDepth);
        struct Adopting {
            explicit Adopting(bool& flag) : flag(flag) { flag = true; }
            ~Adopting() { flag = false; }
            bool& flag;
        } adopting(m_adoptingQtGeometry);
        if (target.topLeft() != m_frame.topLeft())
            setFrameOrigin(target.topLeft());
        if (target.size() != m_frame.size())
            setFrameSize(target.size());
    }
    frameDidChange(old);
    // Inside a tree of views the frame decides, also when an override kept another one.
    if (superview())
        applyQtGeometry();
}

QPointF View::toSuperview(QPointF point) const
{
    const double sx = scaleOf(m_frame.width(), m_bounds.width());
    const double sy = scaleOf(m_frame.height(), m_bounds.height());
    const View* super = superview();
    const bool superFlipped = super && super->isFlipped();
    const double x = m_frame.x() + (point.x() - m_bounds.x()) * sx;
    const double dy = (point.y() - m_bounds.y()) * sy;
    const double y = isFlipped() == superFlipped ? m_frame.y() + dy : m_frame.bottom() - dy;
    return {x, y};
}

QPointF View::fromSuperview(QPointF point) const
{
    const double sx = scaleOf(m_frame.width(), m_bounds.width());
    const double sy = scaleOf(m_frame.height(), m_bounds.height());
    const View* super = superview();
    const bool superFlipped = super && super->isFlipped();
    const double x = m_bounds.x() + (point.x() - m_frame.x()) / sx;
    const double dy = isFlipped() == superFlipped ? point.y() - m_frame.y() : m_frame.bottom() - point.y();
    return {x, m_bounds.y() + dy / sy};
}

QPointF View::toWindow(QPointF point) const
{
    const View* view = this;
    while (View* super = view->superview()) {
        point = view->toSuperview(point);
        view = super;
    }
    // The root of the view tree: through Qt to the top-level widget.
    QPointF qt = view->boundsToWidgetTransform().map(point);
    QWidget* top = view->windowWidget();
    if (top != view)
        qt = view->mapTo(top, qt);
    return Event::windowPointFromQt(top, qt);
}

QPointF View::fromWindow(QPointF point) const
{
    QList<const View*> chain;
    const View* view = this;
    chain.prepend(view);
    while (View* super = view->superview()) {
        view = super;
        chain.prepend(view);
    }
    QWidget* top = view->windowWidget();
    QPointF qt = Event::qtPointFromWindow(top, point);
    if (top != view)
        qt = view->mapFrom(top, qt);
    point = view->boundsToWidgetTransform().inverted().map(qt);
    for (int i = 1; i < chain.size(); ++i)
        point = chain[i]->fromSuperview(point);
    return point;
}

QPointF View::convertPointFromView(QPointF point, const View* view) const
{
    if (view == this)
        return point;
    const QPointF window = view ? view->toWindow(point) : point;
    return fromWindow(window);
}

QPointF View::convertPointToView(QPointF point, const View* view) const
{
    if (view == this)
        return point;
    const QPointF window = toWindow(point);
    return view ? view->fromWindow(window) : window;
}

namespace {
QRectF boundingRect(const QPointF (&corners)[4])
{
    double minX = corners[0].x(), maxX = minX, minY = corners[0].y(), maxY = minY;
    for (const QPointF& c : corners) {
        minX = std::min(minX, c.x());
        maxX = std::max(maxX, c.x());
        minY = std::min(minY, c.y());
        maxY = std::max(maxY, c.y());
    }
    return QRectF(minX, minY, maxX - minX, maxY - minY);
}
} // namespace

QRectF View::convertRectFromView(const QRectF& rect, const View* view) const
{
    const QPointF corners[4] = {convertPointFromView(rect.topLeft(), view), convertPointFromView(rect.topRight(), view),
                                convertPointFromView(rect.bottomLeft(), view),
                                convertPointFromView(rect.bottomRight(), view)};
    return boundingRect(corners);
}

QRectF View::convertRectToView(const QRectF& rect, const View* view) const
{
    const QPointF corners[4] = {convertPointToView(rect.topLeft(), view), convertPointToView(rect.topRight(), view),
                                convertPointToView(rect.bottomLeft(), view), convertPointToView(rect.bottomRight(), view)};
    return boundingRect(corners);
}

QSizeF View::convertSizeToView(QSizeF size, const View* view) const
{
    return convertRectToView(QRectF(QPointF(0, 0), size), view).size();
}

QPointF View::convertPointToScreen(QPointF point) const
{
    QWidget* top = windowWidget();
    const QPointF qt = Event::qtPointFromWindow(top, toWindow(point));
    return Event::screenPointFromGlobal(top->mapToGlobal(qt));
}

QPointF View::convertPointFromScreen(QPointF point) const
{
    QWidget* top = windowWidget();
    const QPointF qt = top->mapFromGlobal(Event::globalPointFromScreen(point));
    return fromWindow(Event::windowPointFromQt(top, qt));
}

QRectF View::convertRectToScreen(const QRectF& rect) const
{
    const QPointF corners[4] = {convertPointToScreen(rect.topLeft()), convertPointToScreen(rect.topRight()),
                                convertPointToScreen(rect.bottomLeft()), convertPointToScreen(rect.bottomRight())};
    return boundingRect(corners);
}

QRectF View::visibleRect() const
{
    QRectF visible = m_bounds;
    for (const View* ancestor = superview(); ancestor; ancestor = ancestor->superview()) {
        visible = visible.intersected(convertRectFromView(ancestor->bounds(), ancestor));
        if (visible.isEmpty())
            return {};
    }
    return visible;
}

QRectF View::centerScanRect(const QRectF& rect) const
{
    const double ratio = devicePixelRatioF();
    QTransform toDevice = boundsToWidgetTransform() * QTransform::fromScale(ratio, ratio);
    const QRectF device = toDevice.mapRect(rect);
    const QRectF aligned(QPointF(std::round(device.left()), std::round(device.top())),
                         QPointF(std::round(device.right()), std::round(device.bottom())));
    return toDevice.inverted().mapRect(aligned);
}

ScrollView* View::enclosingScrollView() const
{
    for (View* view = superview(); view; view = view->superview()) {
        if (auto* scrollView = qobject_cast<ScrollView*>(view))
            return scrollView;
    }
    return nullptr;
}

namespace {
// The origin along one axis that shows [low, high] after moving as little as possible; a
// range longer than the visible length shows its `preferLow` end.
double originShowing(double origin, double visible, double low, double high, bool preferLow)
{
    if (high - low > visible)
        return preferLow ? low : high - visible;
    if (low < origin)
        return low;
    if (high > origin + visible)
        return high - visible;
    return origin;
}
} // namespace

bool View::scrollRectToVisible(const QRectF& rect)
{
    bool scrolled = false;
    for (View* view = superview(); view; view = view->superview()) {
        auto* clip = qobject_cast<ClipView*>(view);
        if (!clip || !clip->documentView())
            continue;
        const QRectF target = convertRectToView(rect, clip);
        const QRectF visible = clip->bounds();
        const QPointF wanted(originShowing(visible.x(), visible.width(), target.left(), target.right(), true),
                             originShowing(visible.y(), visible.height(), target.top(), target.bottom(),
                                           clip->isFlipped()));
        const QPointF origin = clip->constrainScrollPoint(wanted);
        if (origin != visible.topLeft()) {
            clip->scrollToPoint(origin);
            scrolled = true;
        }
    }
    return scrolled;
}

bool View::autoscroll(const Event& event)
{
    View* super = superview();
    return super && super->autoscroll(event);
}

void View::setAlphaValue(double alpha)
{
    alpha = std::isnan(alpha) ? 1.0 : std::clamp(alpha, 0.0, 1.0);
    if (alpha == m_alphaValue)
        return;
    m_alphaValue = alpha;
    if (alpha >= 1.0) {
        setGraphicsEffect(nullptr);
        return;
    }
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(this);
        setGraphicsEffect(effect);
    }
    effect->setOpacity(alpha);
}

std::shared_ptr<Animation> View::defaultAnimationForKey(const QString& key) const
{
    if (key == QLatin1String("frameOrigin") || key == QLatin1String("frameSize") || key == QLatin1String("alphaValue"))
        return Animation::withDuration(Animation::kDefaultDuration);
    return nullptr;
}

View* View::hitTest(QPointF point)
{
    const bool explicitlyHidden = testAttribute(Qt::WA_WState_ExplicitShowHide) && testAttribute(Qt::WA_WState_Hidden);
    if (explicitlyHidden || !m_frame.contains(point))
        return nullptr;
    const QPointF local = fromSuperview(point);
    const QList<View*> subs = subviews();
    for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
        if (View* hit = (*it)->hitTest(local))
            return hit;
    }
    return this;
}

// Drawing

void View::drawRect(const QRectF&) {}

void View::setNeedsDisplay(bool needs)
{
    m_needsDisplay = needs;
    m_dirtyRegion = needs ? QRegion(rect()) : QRegion();
    if (needs)
        update();
}

void View::setNeedsDisplayInRect(const QRectF& rect)
{
    const QRect area = boundsToWidgetTransform().mapRect(rect).toAlignedRect();
    if (area.isEmpty())
        return;
    m_needsDisplay = true;
    m_dirtyRegion += area;
    update(area);
}

void View::displayIfNeeded()
{
    if (m_needsDisplay && !m_dirtyRegion.isEmpty())
        repaint(m_dirtyRegion);
    m_needsDisplay = false;
    m_dirtyRegion = QRegion();
}

void View::display()
{
    repaint();
}

bool View::needsToDrawRect(const QRectF& rect) const
{
    if (!m_paintRegion)
        return true;
    return m_paintRegion->intersects(boundsToWidgetTransform().mapRect(rect).toAlignedRect());
}

void View::paintEvent(QPaintEvent* event)
{
    m_needsDisplay = false;
    m_dirtyRegion = QRegion();
    QPainter painter(this);
    const QTransform transform = boundsToWidgetTransform();
    painter.setTransform(transform);
    // Rendering into a PDF reaches paintEvent through a redirected painter on the widget.
    const QPaintEngine* engine = painter.paintEngine();
    const bool onScreen = !m_renderingToPdf
        && !(engine && (engine->type() == QPaintEngine::Pdf || engine->type() == QPaintEngine::Picture));
    GraphicsContextScope scope(painter, isFlipped(), onScreen);
    const QRegion region = event->region();
    m_paintRegion = &region;
    const QRectF dirty = transform.inverted().mapRect(QRectF(event->rect()));
    try {
        drawRect(dirty);
    } catch (...) {
        m_paintRegion = nullptr;
        throw;
    }
    m_paintRegion = nullptr;
}

QImage View::cacheDisplayInRect(const QRectF& rect) const
{
    const QRect source = boundsToWidgetTransform().mapRect(rect).toAlignedRect();
    const double ratio = devicePixelRatioF();
    QImage image(source.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    if (source.isEmpty())
        return image;
    auto* self = const_cast<View*>(this);
    self->ensurePolished();
    self->render(&image, QPoint(), QRegion(source), QWidget::DrawChildren);
    return image;
}

QByteArray View::dataWithPDFInsideRect(const QRectF& rect) const
{
    const QRect source = boundsToWidgetTransform().mapRect(rect).toAlignedRect();
    QByteArray bytes;
    if (source.isEmpty())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(source.size()), QPageSize::Point), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0)));
        QPainter painter(&writer);
        auto* self = const_cast<View*>(this);
        self->ensurePolished();
        // The whole subtree draws for print, not for the screen.
        QList<View*> tree{self};
        for (int i = 0; i < tree.size(); ++i)
            tree += tree[i]->subviews();
        for (View* view : tree)
            view->m_renderingToPdf = true;
        self->render(&painter, QPoint(), QRegion(source), QWidget::DrawChildren);
        for (View* view : tree)
            view->m_renderingToPdf = false;
    }
    return bytes;
}

// Events

std::optional<Event> View::translate(const QEvent* event)
{
    return Event::fromQt(event, this);
}

QPointF View::pointFromEvent(const Event& event) const
{
    return convertPointFromView(event.locationInWindow, nullptr);
}

void View::mouseDown(const Event&) { m_unhandled = true; }
void View::mouseDragged(const Event&) { m_unhandled = true; }
void View::mouseUp(const Event&) { m_unhandled = true; }
void View::rightMouseDown(const Event&) { m_unhandled = true; }
void View::rightMouseDragged(const Event&) { m_unhandled = true; }
void View::rightMouseUp(const Event&) { m_unhandled = true; }
void View::otherMouseDown(const Event&) { m_unhandled = true; }
void View::otherMouseDragged(const Event&) { m_unhandled = true; }
void View::otherMouseUp(const Event&) { m_unhandled = true; }
void View::mouseMoved(const Event&) { m_unhandled = true; }
void View::mouseEntered(const Event&) {}
void View::mouseExited(const Event&) {}
void View::scrollWheel(const Event&) { m_unhandled = true; }
void View::keyUp(const Event&) { m_unhandled = true; }
void View::flagsChanged(const Event&) { m_unhandled = true; }

void View::keyDown(const Event& event)
{
    interpretKeyEvent(event);
}

void View::cursorUpdate(const Event& event)
{
    rebuildCursorRectsIfNeeded();
    if (const Cursor* cursor = cursorAt(pointFromEvent(event)))
        setCursor(cursor->qCursor());
    else
        setCursor(Cursor::arrow().qCursor());
}

void View::setAcceptsMouseMovedEvents(bool accepts)
{
    m_acceptsMouseMoved = accepts;
}

QMenu* View::menuForEvent(const Event&)
{
    return nullptr;
}

void View::interpretKeyEvent(const Event& event)
{
    QString text;
    const QString selector = keyBindingSelector(event, &text);
    if (!selector.isEmpty()) {
        if (!doCommandBySelector(selector))
            m_unhandled = true;
    } else if (!text.isEmpty()) {
        insertText(text);
    } else {
        m_unhandled = true;
    }
}

bool View::doCommandBySelector(const QString& selector)
{
    if (tryToPerform(selector, QVariant()))
        return true;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (Responder* responder = responderForWidget(w)) {
            if (responder->tryToPerform(selector, QVariant()))
                return true;
        }
    }
    return false;
}

void View::insertText(const QString&)
{
    m_unhandled = true;
}

bool View::shouldSwallowFirstClick(const Event& event) const
{
    // A click that brings another window of the application forward only activates it,
    // unless the view takes first mouse.
    // A palette or other panel holding the focus does not make the program's other windows
    // inactive: clicks there work at once.
    QWidget* top = windowWidget();
    QWidget* active = QApplication::activeWindow();
    if (qobject_cast<Panel*>(active))
        return false;
    return top && top->isVisible() && active && active != top && !acceptsFirstMouse(&event);
}

static bool& swallowingClick()
{
    static bool swallowing = false;
    return swallowing;
}

void View::dispatchMouse(QMouseEvent* qtEvent)
{
    std::optional<Event> translated = translate(qtEvent);
    if (!translated)
        return;
    const Event& event = *translated;
    CurrentEventScope scope(event);
    m_unhandled = false;
    const bool press = qtEvent->type() == QEvent::MouseButtonPress || qtEvent->type() == QEvent::MouseButtonDblClick;
    // The swallowed click is the pointer's, not this view's: its release may reach another
    // view (the one the press was first offered to) and still ends it. Each press decides
    // afresh, so a click whose release never reached a view holds no later one back.
    if (press) {
        swallowingClick() = shouldSwallowFirstClick(event);
        if (swallowingClick()) {
            windowWidget()->activateWindow();
            return;
        }
    } else if (swallowingClick()) {
        if (qtEvent->type() == QEvent::MouseButtonRelease && qtEvent->buttons() == Qt::NoButton)
            swallowingClick() = false;
        return;
    }
    switch (event.type) {
    case LeftMouseDown: mouseDown(event); break;
    case LeftMouseDragged: mouseDragged(event); break;
    case LeftMouseUp: mouseUp(event); break;
    case RightMouseDown: rightMouseDown(event); break;
    case RightMouseDragged: rightMouseDragged(event); break;
    case RightMouseUp: rightMouseUp(event); break;
    case OtherMouseDown: otherMouseDown(event); break;
    case OtherMouseDragged: otherMouseDragged(event); break;
    case OtherMouseUp: otherMouseUp(event); break;
    case MouseMoved: {
        updateTracking(&event, false);
        bool wantsMoves = m_acceptsMouseMoved;
        if (wantsMoves)
            mouseMoved(event);
        else
            m_unhandled = true;
        break;
    }
    default: break;
    }
    if (event.type == LeftMouseDragged || event.type == RightMouseDragged || event.type == OtherMouseDragged)
        updateTracking(&event, false);
    if (m_unhandled)
        qtEvent->ignore();
    else
        qtEvent->accept();
}

namespace {
// The last press handed to a view. Depending on the platform plugin, Qt follows the second
// press of a double click with a double-click event of the same time, or sends the double-click
// event in its place; it is one mouse down either way.
struct LastPress {
    quint64 timestamp = 0;
    Qt::MouseButton button = Qt::NoButton;
    bool valid = false;
};
LastPress& lastPress()
{
    static LastPress press;
    return press;
}
} // namespace

// The view-based table whose rows hold `view`, if any.
static TableView* enclosingRowTable(QWidget* view)
{
    for (QWidget* w = view->parentWidget(); w && !w->isWindow(); w = w->parentWidget())
        if (auto* table = qobject_cast<TableView*>(w))
            return table->isViewBased() ? table : nullptr;
    return nullptr;
}

void View::mousePressEvent(QMouseEvent* event)
{
    lastPress() = {event->timestamp(), event->button(), true};
    m_pressGoesToTable = false;
    if (TableView* table = enclosingRowTable(this)) {
        std::optional<Event> translated = translate(event);
        if (translated && !table->validateProposedFirstResponder(*this, *translated)) {
            m_pressGoesToTable = true;
            event->ignore();
            return;
        }
    }
    dispatchMouse(event);
}
void View::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressGoesToTable && event->buttons() != Qt::NoButton) {
        event->ignore();
        return;
    }
    dispatchMouse(event);
}
void View::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_pressGoesToTable) {
        if (event->buttons() == Qt::NoButton)
            m_pressGoesToTable = false;
        event->ignore();
        return;
    }
    dispatchMouse(event);
}
void View::mouseDoubleClickEvent(QMouseEvent* event)
{
    const LastPress& press = lastPress();
    if (press.valid && press.timestamp == event->timestamp() && press.button == event->button()) {
        event->accept();
        return;
    }
    lastPress() = {event->timestamp(), event->button(), true};
    dispatchMouse(event);
}

void View::wheelEvent(QWheelEvent* qtEvent)
{
    std::optional<Event> event = translate(qtEvent);
    if (!event)
        return;
    CurrentEventScope scope(*event);
    m_unhandled = false;
    scrollWheel(*event);
    qtEvent->setAccepted(!m_unhandled);
}

void View::keyPressEvent(QKeyEvent* qtEvent)
{
    std::optional<Event> event = translate(qtEvent);
    if (!event)
        return;
    CurrentEventScope scope(*event);
    m_unhandled = false;
    if (event->type == FlagsChanged)
        flagsChanged(*event);
    else
        keyDown(*event);
    qtEvent->setAccepted(!m_unhandled);
}

void View::keyReleaseEvent(QKeyEvent* qtEvent)
{
    std::optional<Event> event = translate(qtEvent);
    if (!event)
        return;
    CurrentEventScope scope(*event);
    m_unhandled = false;
    if (event->type == FlagsChanged)
        flagsChanged(*event);
    else
        keyUp(*event);
    qtEvent->setAccepted(!m_unhandled);
}

void View::enterEvent(QEnterEvent* qtEvent)
{
    QWidget::enterEvent(qtEvent);
    if (std::optional<Event> event = translate(qtEvent)) {
        CurrentEventScope scope(*event);
        updateTracking(&*event, false);
    }
}

void View::leaveEvent(QEvent* qtEvent)
{
    QWidget::leaveEvent(qtEvent);
    if (std::optional<Event> event = translate(qtEvent)) {
        CurrentEventScope scope(*event);
        updateTracking(&*event, true);
    }
}

void View::contextMenuEvent(QContextMenuEvent* qtEvent)
{
    QWidget* top = windowWidget();
    const Event event = Event::mouseEvent(RightMouseDown, Event::windowPointFromQt(top, mapTo(top, QPointF(qtEvent->pos()))),
                                          modifierFlagsFromQt(qtEvent->modifiers()), Event::now(),
                                          Event::windowNumberFor(this), 0, 1, 1.0);
    CurrentEventScope scope(event);
    QMenu* menu = menuForEvent(event);
    if (!menu) {
        qtEvent->ignore();
        return;
    }
    menu->popup(qtEvent->globalPos());
    qtEvent->accept();
}

// Tracking areas and cursor rectangles

void View::addTrackingArea(const std::shared_ptr<TrackingArea>& area)
{
    if (area && !m_trackingAreas.contains(area))
        m_trackingAreas.append(area);
}

void View::removeTrackingArea(const std::shared_ptr<TrackingArea>& area)
{
    m_trackingAreas.removeAll(area);
}

QList<std::shared_ptr<TrackingArea>> View::trackingAreas() const
{
    return m_trackingAreas;
}

void View::updateTracking(const Event* event, bool leaving)
{
    if (!event)
        return;
    const QPointF point = pointFromEvent(*event);
    const bool dragging = event->type == LeftMouseDragged || event->type == RightMouseDragged
        || event->type == OtherMouseDragged;
    // Copy: owners may add or remove areas while they are told.
    const QList<std::shared_ptr<TrackingArea>> areas = m_trackingAreas;
    for (const auto& area : areas) {
        const unsigned options = area->options();
        if (dragging && !(options & TrackingArea::EnabledDuringMouseDrag))
            continue;
        bool active = true;
        if (options & TrackingArea::ActiveAlways)
            active = true;
        else if (options & TrackingArea::ActiveInKeyWindow)
            active = windowWidget() && windowWidget()->isActiveWindow();
        else if (options & TrackingArea::ActiveInActiveApp)
            active = QGuiApplication::applicationState() == Qt::ApplicationActive;
        else if (options & TrackingArea::ActiveWhenFirstResponder)
            active = hasFocus();
        const QRectF rect = (options & TrackingArea::InVisibleRect) ? visibleRect() : area->rect();
        const bool inside = active && !leaving && rect.contains(point);
        TrackingAreaOwner* owner = area->owner() ? area->owner() : this;
        Event told = *event;
        told.trackingArea = area;
        told.userData = area->userInfo();
        if (inside != area->m_inside) {
            area->m_inside = inside;
            if (options & TrackingArea::MouseEnteredAndExited) {
                told.type = inside ? MouseEntered : MouseExited;
                if (inside)
                    owner->mouseEntered(told);
                else
                    owner->mouseExited(told);
            }
            if ((options & TrackingArea::CursorUpdate) && inside) {
                told.type = CursorUpdate;
                Cursor::clearSetCursor();
                owner->cursorUpdate(told);
            }
        } else if (inside && (options & TrackingArea::MouseMoved) && event->type == MouseMoved) {
            told.type = MouseMoved;
            owner->mouseMoved(told);
        }
    }
    // Cursor rectangles follow the pointer over this view.
    rebuildCursorRectsIfNeeded();
    const Cursor* cursor = leaving ? nullptr : cursorAt(point);
    if (cursor) {
        Cursor::clearSetCursor();
        setCursor(cursor->qCursor());
        m_cursorFromRect = true;
    } else if (m_cursorFromRect) {
        unsetCursor();
        m_cursorFromRect = false;
    }
}

void View::addCursorRect(const QRectF& rect, const Cursor& cursor)
{
    m_cursorRects.push_back({rect, cursor});
}

void View::discardCursorRects()
{
    m_cursorRects.clear();
}

void View::invalidateCursorRects()
{
    m_cursorRectsValid = false;
}

void View::rebuildCursorRectsIfNeeded()
{
    if (m_cursorRectsValid)
        return;
    m_cursorRectsValid = true;
    discardCursorRects();
    resetCursorRects();
}

const Cursor* View::cursorAt(QPointF point) const
{
    // The last added rectangle wins where they overlap.
    for (auto it = m_cursorRects.rbegin(); it != m_cursorRects.rend(); ++it) {
        if (it->rect.contains(point))
            return &it->cursor;
    }
    return nullptr;
}

// Tool tips

int View::addToolTipRect(const QRectF& rect, const QString& text)
{
    const int tag = m_nextToolTipTag++;
    m_toolTips.push_back({tag, rect, text, nullptr, {}});
    return tag;
}

int View::addToolTipRect(const QRectF& rect, ToolTipOwner* owner, const QVariant& userData)
{
    const int tag = m_nextToolTipTag++;
    m_toolTips.push_back({tag, rect, {}, owner, userData});
    return tag;
}

void View::removeToolTip(int tag)
{
    std::erase_if(m_toolTips, [tag](const ToolTipRect& t) { return t.tag == tag; });
}

void View::removeAllToolTips()
{
    m_toolTips.clear();
}

QString View::toolTipAt(QPointF point)
{
    for (auto it = m_toolTips.rbegin(); it != m_toolTips.rend(); ++it) {
        if (!it->rect.contains(point))
            continue;
        if (it->owner)
            return it->owner->stringForToolTip(this, it->tag, point, it->userData);
        return it->text;
    }
    return toolTip();
}

// Drop destination

void View::registerForDraggedTypes(const QStringList& types)
{
    for (const QString& type : types) {
        if (!m_draggedTypes.contains(type))
            m_draggedTypes.append(type);
    }
    setAcceptDrops(!m_draggedTypes.isEmpty());
}

void View::unregisterDraggedTypes()
{
    m_draggedTypes.clear();
    setAcceptDrops(false);
}

DraggingInfo View::makeDraggingInfo(const QDropEvent* event) const
{
    Ref<Pasteboard> pasteboard = Pasteboard::sourceOfMimeData(event->mimeData());
    DraggingSession* session = DraggingSession::current();
    DraggingSource* source = nullptr;
    unsigned mask = DraggingSession::maskForQtActions(event->possibleActions());
    int sequence = 0;
    if (session && (!pasteboard || pasteboard == session->pasteboard())) {
        source = session->source();
        mask = session->operationMask(DraggingContext::WithinApplication);
        sequence = session->sequenceNumber();
        if (!pasteboard)
            pasteboard = session->pasteboard();
    }
    if (!pasteboard)
        pasteboard = Pasteboard::fromMimeData(event->mimeData());
    QWidget* top = windowWidget();
    const QPointF location = Event::windowPointFromQt(top, mapTo(top, event->position()));
    return DraggingInfo(pasteboard, source, mask, location, top, sequence);
}

unsigned View::dropOperation(QDropEvent* event, bool entering)
{
    if (!m_drag) {
        m_drag = std::make_unique<DragState>();
        m_drag->periodic.setInterval(50);
        QObject::connect(&m_drag->periodic, &QTimer::timeout, this, [this] {
            if (m_drag && m_drag->info && wantsPeriodicDraggingUpdates())
                m_lastEnteredOperation = draggingUpdated(*m_drag->info);
        });
    }
    if (entering)
        m_drag->info.reset();
    DraggingInfo info = makeDraggingInfo(event);
    const QStringList available = info.draggingPasteboard()->types();
    bool wanted = false;
    for (const QString& type : m_draggedTypes)
        wanted = wanted || available.contains(type);
    if (!wanted)
        return DragOperationNone;
    m_drag->info = info;
    unsigned operation;
    if (entering) {
        m_lastEnteredOperation = DragOperationNone;
        operation = draggingEntered(info);
        m_lastEnteredOperation = operation;
        m_drag->periodic.start();
    } else {
        operation = draggingUpdated(info);
        m_lastEnteredOperation = operation;
    }
    return operation;
}

void View::dragEnterEvent(QDragEnterEvent* event)
{
    const unsigned operation = dropOperation(event, true);
    if (!m_drag || !m_drag->info) {
        event->ignore(); // none of the registered types: not a destination for this drag
        return;
    }
    // Accepting the entry keeps the moves coming even where this position refuses the drop.
    event->accept();
    event->setDropAction(DraggingSession::qtActionForOperation(operation));
}

void View::dragMoveEvent(QDragMoveEvent* event)
{
    const unsigned operation = dropOperation(event, false);
    const Qt::DropAction action = DraggingSession::qtActionForOperation(operation);
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void View::dragLeaveEvent(QDragLeaveEvent* event)
{
    QWidget::dragLeaveEvent(event);
    if (!m_drag)
        return;
    m_drag->periodic.stop();
    std::optional<DraggingInfo> info = m_drag->info;
    m_drag->info.reset();
    if (info)
        draggingExited(&*info);
}

void View::dropEvent(QDropEvent* event)
{
    if (!m_drag || !m_drag->info) {
        event->ignore();
        return;
    }
    m_drag->periodic.stop();
    DraggingInfo info = makeDraggingInfo(event);
    m_drag->info.reset();
    const unsigned operation = m_lastEnteredOperation;
    if (operation != DragOperationNone && prepareForDragOperation(info) && performDragOperation(info)) {
        if (DraggingSession* session = DraggingSession::current())
            session->recordDrop(operation);
        event->setDropAction(DraggingSession::qtActionForOperation(operation));
        event->accept();
        concludeDragOperation(info);
    } else {
        event->ignore();
    }
    draggingEnded(info);
}

unsigned DraggingDestination::draggingUpdated(const DraggingInfo&)
{
    return m_lastEnteredOperation;
}

// Qt events the view answers itself

bool View::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Polish:
        if (acceptsFirstResponder() && focusPolicy() == Qt::NoFocus)
            setFocusPolicy(Qt::StrongFocus);
        break;
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        const QPointF point = boundsToWidgetTransform().inverted().map(QPointF(help->pos()));
        const QString text = toolTipAt(point);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    case QEvent::ParentChange: {
        applyQtGeometry();
        View* super = superview();
        QWidget* win = windowWidget();
        if (super != m_previousSuperview) {
            m_previousSuperview = super;
            viewDidMoveToSuperview();
        }
        if (win != m_previousWindow) {
            std::function<void(View*)> tell = [&tell](View* view) {
                view->m_previousWindow = view->windowWidget();
                view->viewDidMoveToWindow();
                for (View* sub : view->subviews())
                    tell(sub);
            };
            tell(this);
        }
        break;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

} // namespace pf
