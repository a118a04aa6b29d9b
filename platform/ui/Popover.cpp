#include "platform/ui/Popover.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Panel.h"
#include "platform/ui/PopoverDelegate.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::Popover, pf::Object, "pf::Popover")
{
    b.method("performClose:", &pf::Popover::performClose);
    b.property("shown", &pf::Popover::isShown);
    b.property("behavior", &pf::Popover::behavior, &pf::Popover::setBehavior);
    b.property("animates", &pf::Popover::animates, &pf::Popover::setAnimates);
    b.property("shouldHideAnchor", &pf::Popover::hidesAnchor, &pf::Popover::setHidesAnchor);
}

namespace pf {

namespace {

constexpr double kMargin = 6.0;
constexpr double kCornerRadius = 6.0;
constexpr double kArrowWidth = 24.0;

int oppositeEdge(int edge)
{
    switch (edge) {
    case MinXEdge: return MaxXEdge;
    case MaxXEdge: return MinXEdge;
    case MinYEdge: return MaxYEdge;
    default: return MinYEdge;
    }
}

} // namespace

// The popover's window content: the rounded body with its arrow, the content view inside,
// and dragging by the border, which moves the window and may detach the popover.
class Popover::Frame : public QWidget {
public:
    explicit Frame(Popover* popover) : m_popover(popover) {}

    void place(QWidget* content, QSizeF size)
    {
        m_content = content;
        if (!content)
            return;
        content->setParent(this);
        const QMarginsF insets = bodyInsets();
        content->setGeometry(QRectF(insets.left(), insets.top(), size.width(), size.height()).toRect());
        content->show();
    }

    // Room left around the content for the body's margin and the arrow on its edge
    // (Qt coordinates: the platform's max-y edge is the top).
    QMarginsF bodyInsets() const
    {
        QMarginsF insets(kMargin, kMargin, kMargin, kMargin);
        switch (m_popover->m_shownEdge) {
        case MinXEdge: insets.setRight(insets.right() + kArrowHeight); break;
        case MaxXEdge: insets.setLeft(insets.left() + kArrowHeight); break;
        case MinYEdge: insets.setTop(insets.top() + kArrowHeight); break;
        default: insets.setBottom(insets.bottom() + kArrowHeight); break;
        }
        return insets;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QMarginsF insets = bodyInsets() - QMarginsF(kMargin, kMargin, kMargin, kMargin);
        const QRectF body = QRectF(rect()).marginsRemoved(insets).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath path;
        path.addRoundedRect(body, kCornerRadius, kCornerRadius);
        if (!m_popover->m_hidesAnchor && !m_popover->m_detached) {
            QPolygonF arrow;
            const double half = kArrowWidth / 2;
            const QPointF c = body.center();
            switch (m_popover->m_shownEdge) {
            case MinXEdge: arrow << QPointF(body.right(), c.y() - half) << QPointF(width(), c.y()) << QPointF(body.right(), c.y() + half); break;
            case MaxXEdge: arrow << QPointF(body.left(), c.y() - half) << QPointF(0, c.y()) << QPointF(body.left(), c.y() + half); break;
            case MinYEdge: arrow << QPointF(c.x() - half, body.top()) << QPointF(c.x(), 0) << QPointF(c.x() + half, body.top()); break;
            default: arrow << QPointF(c.x() - half, body.bottom()) << QPointF(c.x(), height()) << QPointF(c.x() + half, body.bottom()); break;
            }
            QPainterPath arrowPath;
            arrowPath.addPolygon(arrow);
            arrowPath.closeSubpath();
            path = path.united(arrowPath);
        }
        painter.fillPath(path, palette().window());
        painter.setPen(QPen(palette().mid().color(), 1.0));
        painter.drawPath(path);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        m_dragging = event->button() == Qt::LeftButton;
        m_pressGlobal = event->globalPosition();
        m_originalTopLeft = window()->pos();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!m_dragging)
            return;
        const QPointF offset = event->globalPosition() - m_pressGlobal;
        window()->move(m_originalTopLeft + offset.toPoint());
        m_popover->setHidesAnchor(std::hypot(offset.x(), offset.y()) >= kDetachDistance);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (!m_dragging)
            return;
        m_dragging = false;
        const QPointF offset = event->globalPosition() - m_pressGlobal;
        m_popover->setHidesAnchor(false);
        if (std::hypot(offset.x(), offset.y()) >= kDetachDistance && m_popover->detach())
            return;
        window()->move(m_originalTopLeft);
    }

private:
    Popover* m_popover;
    QPointer<QWidget> m_content;
    bool m_dragging = false;
    QPointF m_pressGlobal;
    QPoint m_originalTopLeft;
};

// Closes the popover by its behaviour: clicks outside it, Escape inside it, and the
// application going inactive.
class Popover::ClickWatcher : public QObject {
public:
    explicit ClickWatcher(Popover* popover) : m_popover(popover)
    {
        qApp->installEventFilter(this);
        m_state = QObject::connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive && m_popover->m_behavior == Transient)
                m_popover->closeFromBehavior();
        });
    }
    ~ClickWatcher() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!m_popover->m_shown || m_popover->m_detached || m_popover->m_behavior == ApplicationDefined)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return false;
        const bool inside = m_popover->m_window && widget->window() == m_popover->m_window;
        if (event->type() == QEvent::MouseButtonPress && !inside) {
            m_popover->closeFromBehavior();
        } else if (event->type() == QEvent::KeyPress && inside
                   && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_popover->closeFromBehavior();
            return true;
        }
        return false;
    }

private:
    Popover* m_popover;
    QMetaObject::Connection m_state;
};

Popover::Popover() = default;

Popover::~Popover()
{
    m_watcher.reset();
    if (QWidget* content = contentView(); content && m_frame && content->parentWidget() == m_frame)
        content->setParent(nullptr);
    delete m_window.data();
}

void Popover::setContentViewController(const Ref<ViewController>& controller)
{
    if (controller == m_controller)
        return;
    QWidget* old = contentView();
    if (old && m_frame && old->parentWidget() == m_frame) {
        old->hide();
        old->setParent(nullptr);
    }
    m_controller = controller;
    if (m_shown && m_frame)
        showRelativeToRect(m_positioningRect, nullptr, m_preferredEdge);
}

void Popover::setContentSize(const QSizeF& size)
{
    m_contentSize = size;
}

PopoverDelegate* Popover::delegate() const
{
    if (m_delegateIsReflective && !m_delegateLiveness)
        return nullptr;
    return m_delegate;
}

void Popover::setDelegate(PopoverDelegate* delegate)
{
    m_delegate = delegate;
    auto* reflective = dynamic_cast<Reflective*>(delegate);
    m_delegateIsReflective = reflective != nullptr;
    m_delegateLiveness = ActionTarget(reflective);
}

QWidget* Popover::contentView() const
{
    return m_controller && m_controller->isViewLoaded() ? m_controller->view() : nullptr;
}

Window* Popover::window() const
{
    return m_window;
}

void Popover::setHidesAnchor(bool hides)
{
    if (hides == m_hidesAnchor)
        return;
    setObservedValue(m_hidesAnchor, hides, QStringLiteral("shouldHideAnchor"));
    if (m_frame)
        m_frame->update();
}

void Popover::ensureWindow()
{
    if (m_window)
        return;
    m_window = new Panel;
    m_window->setLevel(kStatusWindowLevel);
    m_window->setAttribute(Qt::WA_TranslucentBackground);
    m_frame = new Frame(this);
    m_window->setContentView(m_frame);
    m_watcher = std::make_unique<ClickWatcher>(this);
}

QRectF Popover::frameFor(const QRectF& anchor, int edge) const
{
    QWidget* content = contentView();
    const QSizeF size = !m_contentSize.isEmpty() ? m_contentSize : content ? QSizeF(content->size()) : QSizeF();
    const bool horizontal = edge == MinXEdge || edge == MaxXEdge;
    const QSizeF frameSize(size.width() + 2 * kMargin + (horizontal ? kArrowHeight : 0),
                           size.height() + 2 * kMargin + (horizontal ? 0 : kArrowHeight));
    const QPointF c = anchor.center();
    switch (edge) {
    case MinXEdge: return QRectF(QPointF(anchor.left() - frameSize.width(), c.y() - frameSize.height() / 2), frameSize);
    case MaxXEdge: return QRectF(QPointF(anchor.right(), c.y() - frameSize.height() / 2), frameSize);
    case MinYEdge: return QRectF(QPointF(c.x() - frameSize.width() / 2, anchor.top() - frameSize.height()), frameSize);
    default: return QRectF(QPointF(c.x() - frameSize.width() / 2, anchor.bottom()), frameSize);
    }
}

void Popover::showRelativeToRect(const QRectF& rect, QWidget* view, int edge)
{
    if (!m_controller)
        raise(NSInternalInconsistencyException, QStringLiteral("a popover needs a content view controller to show"));
    // The anchor in screen coordinates (y up). Without a view the last anchor stays.
    if (view) {
        if (auto* pfView = dynamic_cast<View*>(view))
            m_anchorOnScreen = pfView->convertRectToScreen(rect);
        else
            m_anchorOnScreen = Screen::fromQt(QRectF(QRectF(view->mapToGlobal(rect.topLeft()), rect.size())));
    }
    m_positioningRect = rect;
    m_preferredEdge = edge;
    const bool wasShown = m_shown;
    if (!wasShown)
        announce(NSPopoverWillShowNotification);
    ensureWindow();
    QWidget* content = m_controller->view();
    // On the preferred edge unless the screen has no room there and has on the other.
    const QRectF screen = Screen::mainVisibleFrame();
    m_shownEdge = edge;
    const QRectF preferred = frameFor(m_anchorOnScreen, edge);
    if (!screen.isEmpty() && !screen.contains(preferred)) {
        const QRectF other = frameFor(m_anchorOnScreen, oppositeEdge(edge));
        if (screen.contains(other))
            m_shownEdge = oppositeEdge(edge);
    }
    const QRectF frame = frameFor(m_anchorOnScreen, m_shownEdge);
    const QSizeF size = !m_contentSize.isEmpty() ? m_contentSize : QSizeF(content->size());
    m_frame->place(content, size);
    m_window->setFrame(frame, true);
    m_detached = false;
    m_shown = true;
    if (wasShown) {
        m_frame->update();
        return;
    }
    if (m_animates) {
        m_window->setAlphaValue(0.0);
        auto* fade = new QVariantAnimation(m_window);
        fade->setDuration(100);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        QObject::connect(fade, &QVariantAnimation::valueChanged, m_window, [window = m_window](const QVariant& value) {
            if (window)
                window->setAlphaValue(value.toDouble());
        });
        fade->start(QAbstractAnimation::DeleteWhenStopped);
    } else {
        m_window->setAlphaValue(1.0);
    }
    m_window->orderFront();
    announce(NSPopoverDidShowNotification);
}

void Popover::close()
{
    closeWithReason(NSPopoverCloseReasonStandard);
}

void Popover::performClose(const QVariant& sender)
{
    if (!m_shown)
        return;
    if (PopoverDelegate* d = delegate(); d && !d->popoverShouldClose(*this))
        return;
    close();
}

void Popover::closeFromBehavior()
{
    performClose();
}

void Popover::closeWithReason(const QString& reason)
{
    if (!m_shown)
        return;
    // The announcements may release this popover.
    Ref<Object> keep = weak_from_this().lock();
    announce(NSPopoverWillCloseNotification, reason);
    m_shown = false;
    if (reason != NSPopoverCloseReasonDetachToWindow) {
        if (QWidget* content = contentView(); content && m_frame && content->parentWidget() == m_frame) {
            content->hide();
            content->setParent(nullptr);
        }
    }
    if (m_window)
        m_window->orderOut();
    announce(NSPopoverDidCloseNotification, reason);
}

bool Popover::detach()
{
    if (!m_shown || m_detached)
        return false;
    PopoverDelegate* d = delegate();
    Window* target = d ? d->detachableWindowForPopover(*this) : nullptr;
    QWidget* content = contentView();
    if (!target || !content)
        return false;
    const QRectF where = m_window ? m_window->frame() : QRectF();
    closeWithReason(NSPopoverCloseReasonDetachToWindow);
    m_detached = true;
    // The window takes the content at the popover's place; the controller keeps its view.
    target->setContentView(content);
    content->show();
    if (!where.isEmpty())
        target->setFrameTopLeftPoint(QPointF(where.left(), where.bottom()));
    target->orderFront();
    if (PopoverDelegate* after = delegate())
        after->popoverDidDetach(*this);
    return true;
}

void Popover::announce(const QString& name, const QString& reason)
{
    QVariantMap info;
    if (!reason.isEmpty())
        info.insert(NSPopoverCloseReasonKey, reason);
    NotificationCenter::defaultCenter().post(name, this, info);
    PopoverDelegate* d = delegate();
    if (!d)
        return;
    if (name == NSPopoverWillShowNotification)
        d->popoverWillShow(*this);
    else if (name == NSPopoverDidShowNotification)
        d->popoverDidShow(*this);
    else if (name == NSPopoverWillCloseNotification)
        d->popoverWillClose(*this, reason);
    else if (name == NSPopoverDidCloseNotification)
        d->popoverDidClose(*this, reason);
}

} // namespace pf
