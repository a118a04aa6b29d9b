#include "platform/ui/ColorWell.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ColorPanel.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPointer>

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::ColorWell, pf::Control, "pf::ColorWell")
{
    b.property("color", std::function<QVariant(const pf::ColorWell&)>([](const pf::ColorWell& well) {
                   return pf::toVariant(std::make_shared<pf::Color>(well.color()));
               }),
               std::function<void(pf::ColorWell&, const QVariant&)>([](pf::ColorWell& well, const QVariant& value) {
                   if (auto colour = pf::fromVariant<pf::Ref<pf::Color>>(value))
                       well.setColor(*colour);
               }));
    b.method("activate:", std::function<QVariant(pf::ColorWell&, const QVariantList&)>(
                              [](pf::ColorWell& well, const QVariantList& arguments) {
                                  well.activate(arguments.value(0, true).toBool());
                                  return QVariant();
                              }));
    b.method("deactivate", &pf::ColorWell::deactivate);
}

namespace pf {

namespace {

const QString kColorMime = QStringLiteral("application/x-color");
constexpr double kDragDistance = 4.0;

QList<QPointer<ColorWell>>& active()
{
    static QList<QPointer<ColorWell>> wells;
    return wells;
}

} // namespace

ColorWell::ColorWell(QWidget* parent)
    : Control(parent)
{
    setAcceptDrops(true);
    setContinuous(true);
}

ColorWell::~ColorWell()
{
    active().removeAll(QPointer<ColorWell>(this));
    active().removeAll(QPointer<ColorWell>());
    if (active().isEmpty() && ColorPanel::sharedExists() && ColorPanel::shared()->colorReceiverOwner() == this)
        ColorPanel::shared()->setColorReceiver(nullptr, nullptr);
}

void ColorWell::setColor(const Color& color)
{
    if (!color.isValid() || color == m_color)
        return;
    setObservedValue(m_color, color, QStringLiteral("color"));
    setNeedsDisplay();
}

QList<ColorWell*> ColorWell::activeWells()
{
    QList<ColorWell*> wells;
    for (const QPointer<ColorWell>& well : std::as_const(active())) {
        if (well)
            wells.append(well);
    }
    return wells;
}

void ColorWell::installPanelReceiver()
{
    ColorPanel* panel = ColorPanel::shared();
    const QList<ColorWell*> wells = activeWells();
    if (wells.isEmpty()) {
        panel->setColorReceiver(nullptr, nullptr);
        return;
    }
    panel->setColorReceiver(wells.last(), [](const Color& colour) {
        for (ColorWell* well : activeWells())
            well->takeColorFromPanel(colour);
    });
}

void ColorWell::activate(bool exclusive)
{
    if (exclusive) {
        for (ColorWell* other : activeWells()) {
            if (other != this)
                other->deactivate();
        }
    }
    if (!m_active) {
        m_active = true;
        active().append(this);
        setNeedsDisplay();
    }
    ColorPanel* panel = ColorPanel::shared();
    panel->setColor(m_color);
    installPanelReceiver();
    // A disabled panel (see ColorPanel::disablePanel) lets a well take it without showing.
    panel->orderFront();
}

void ColorWell::deactivate()
{
    if (!m_active)
        return;
    m_active = false;
    active().removeAll(QPointer<ColorWell>(this));
    installPanelReceiver();
    setNeedsDisplay();
}

void ColorWell::deactivateAll()
{
    for (ColorWell* well : activeWells())
        well->deactivate();
    if (ColorPanel::sharedExists()) {
        ColorPanel::shared()->setColorReceiver(nullptr, nullptr);
        ColorPanel::shared()->setTarget(nullptr);
    }
}

void ColorWell::setBordered(bool bordered)
{
    m_bordered = bordered;
    setNeedsDisplay();
}

void ColorWell::takeColorFromPanel(const Color& color)
{
    if (!m_active || !color.isValid())
        return;
    setColor(color);
    if (isContinuous())
        sendAction();
}

void ColorWell::clickCompleted()
{
    if (m_active)
        deactivate();
    else
        activate(m_exclusiveClick);
}

void ColorWell::mouseDown(const Event& event)
{
    m_exclusiveClick = !(event.modifierFlags & ShiftKeyMask);
    m_pressPoint = event.locationInWindow;
    m_dragStarted = false;
    Control::mouseDown(event);
}

void ColorWell::mouseDragged(const Event& event)
{
    const QPointF moved = event.locationInWindow - m_pressPoint;
    if (!m_dragStarted && std::hypot(moved.x(), moved.y()) >= kDragDistance) {
        m_dragStarted = true;
        cancelTracking();
        auto* mime = new QMimeData;
        mime->setColorData(m_color.qColor());
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        QPixmap swatch(12, 12);
        swatch.fill(m_color.qColor());
        drag->setPixmap(swatch);
        drag->exec(Qt::CopyAction);
        return;
    }
    if (!m_dragStarted)
        Control::mouseDragged(event);
}

void ColorWell::dragEnterEvent(QDragEnterEvent* event)
{
    if (isEnabled() && event->mimeData()->hasFormat(kColorMime) && event->source() != this)
        event->acceptProposedAction();
}

void ColorWell::dropEvent(QDropEvent* event)
{
    const QColor colour = qvariant_cast<QColor>(event->mimeData()->colorData());
    if (!colour.isValid())
        return;
    event->acceptProposedAction();
    setColor(Color(colour));
    sendAction();
}

void ColorWell::drawRect(const QRectF& dirtyRect)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF b = bounds();
    QRectF swatch = b;
    if (m_bordered) {
        painter.fillRect(b, m_active ? palette().highlight() : palette().button());
        painter.setPen(palette().mid().color());
        painter.drawRect(b.adjusted(0.5, 0.5, -0.5, -0.5));
        swatch = b.adjusted(5, 5, -5, -5);
    }
    if (m_color.alphaComponent() < 1.0) {
        // A chequer shows through a colour that is not opaque.
        const double square = 4.0;
        for (double y = swatch.top(); y < swatch.bottom(); y += square)
            for (double x = swatch.left(); x < swatch.right(); x += square) {
                const bool dark = (int((x - swatch.left()) / square) + int((y - swatch.top()) / square)) % 2;
                painter.fillRect(QRectF(x, y, square, square).intersected(swatch), dark ? Qt::lightGray : Qt::white);
            }
    }
    painter.fillRect(swatch, m_color.brush());
    if (!isEnabled())
        painter.fillRect(swatch, QColor(255, 255, 255, 110));
}

} // namespace pf
