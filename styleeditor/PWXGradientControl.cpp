#include "styleeditor/PWXGradientControl.h"

#include "frameworks/penwork/support/RVInfoFloater.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/ColorPanel.h"
#include "platform/foundation/UndoManager.h"
#include "platform/ui/Event.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PoofAnimation.h"
#include "platform/ui/UserInterfaceItem.h"

#include "platform/foundation/Variant.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(PWXGradientControl, pf::View)
{
    using C = PWXGradientControl;
    b.method("changeColor:", &C::changeColor);
    b.method("newStop:", &C::newStop);
    b.method("removeStop:", &C::removeStop);
    b.method("flip:", &C::flip);
    b.method("deactivate", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList&) {
                 self.deactivate();
                 return QVariant();
             }));
}

namespace {
constexpr double kSwatchWidth = 17.0;
} // namespace

PWXGradientControl::PWXGradientControl(QWidget* parent) : pf::View(parent)
{
    mProxyColourWell = new PWXProxyColourWell(this);
    mProxyColourWell->setDelegate(this);
    registerForDraggedTypes({pf::NSPasteboardTypeColor});
    setFrame(QRectF(0, 0, 220, 32));
}

PWXGradientControl::~PWXGradientControl()
{
    endDragUndoGroup();
    if (pf::ColorPanel::sharedExists() && pf::ColorPanel::shared()->target() == this)
        pf::ColorPanel::shared()->setTarget(nullptr);
    if (m_cursorPushed)
        pf::Cursor::pop();
    if (mProxyColourWell) {
        mProxyColourWell->setDelegate(nullptr);
        mProxyColourWell->deactivate();
    }
    delete mInfoWin;
}

const QImage& PWXGradientControl::chequerImage()
{
    static const QImage image = [] {
        QImage loaded = pf::Bundle::main().imageForResource(QStringLiteral("chequered"));
        if (!loaded.isNull())
            return loaded;
        // Without the resource: the same 8-point squares drawn here.
        QImage drawn(16, 16, QImage::Format_RGB32);
        drawn.fill(Qt::white);
        QPainter painter(&drawn);
        painter.fillRect(8, 0, 8, 8, QColor(204, 204, 204));
        painter.fillRect(0, 8, 8, 8, QColor(204, 204, 204));
        return drawn;
    }();
    return image;
}

// --- Gradient and action ----------------------------------------------------------------------

pf::Ref<pf::Gradient> PWXGradientControl::gradient()
{
    if (!mGradient) {
        QList<pf::ColorStop> stops;
        for (const pf::Ref<PWXColourStop>& stop : std::as_const(mStops))
            stops.append({stop->colour().isValid() ? stop->colour() : pf::Color::white(), stop->position()});
        mGradient = std::make_shared<pf::Gradient>(stops);
    }
    return mGradient;
}

void PWXGradientControl::setGradient(const pf::Ref<pf::Gradient>& gradient)
{
    if (gradient == mGradient || mSendingAction)
        return;
    mGradient = gradient;
    mStops.clear();
    if (gradient) {
        for (const pf::ColorStop& colourStop : gradient->colorStops()) {
            auto stop = PWXColourStop::colourStopWithColour(colourStop.color);
            stop->setPosition(float(colourStop.location));
            mStops.append(stop);
        }
    }
    // Every old stop is gone: nothing may point at one any more.
    mSelectedStop = nullptr;
    mDragStop = nullptr;
    mDeletionCandidate = nullptr;
    m_cursorStop = nullptr;
    invalidate();
    setNeedsDisplay(true);
}

void PWXGradientControl::sendAction()
{
    mSendingAction = true;
    mGradient.reset();
    if (!mAction.isEmpty())
        pf::Application::shared()->sendAction(mAction, mTarget, QVariant::fromValue<QObject*>(this));
    mSendingAction = false;
}

void PWXGradientControl::setEnabled(bool enabled)
{
    if (enabled == mEnabled)
        return;
    mEnabled = enabled;
    setNeedsDisplay(true);
}

void PWXGradientControl::invalidate()
{
    mSwatchBoxes.reset();
}

void PWXGradientControl::setFrame(const QRectF& frame)
{
    pf::View::setFrame(frame);
    invalidate();
}

void PWXGradientControl::resizeEvent(QResizeEvent* event)
{
    pf::View::resizeEvent(event);
    invalidate();
}

// --- Geometry ---------------------------------------------------------------------------------

QRectF PWXGradientControl::interior() const
{
    return bounds().adjusted(9, 1, -9, -1);
}

QRectF PWXGradientControl::gradientRect() const
{
    return interior().adjusted(-8, 0, 8, 0);
}

QRectF PWXGradientControl::safeArea() const
{
    return bounds().adjusted(-32, -7, 32, 7);
}

QRectF PWXGradientControl::swatchBoxForPosition(double position) const
{
    const QRectF r = interior().adjusted(0, -1, 0, 1);
    return QRectF(r.x() + position * r.width() - kSwatchWidth / 2, r.y(), kSwatchWidth, r.height());
}

double PWXGradientControl::relativePositionOfPoint(QPointF point) const
{
    const QRectF inner = interior();
    if (!(inner.width() > 0))
        return 0.0;
    const double position = (point.x() - inner.x()) / inner.width();
    return std::isnan(position) ? 0.0 : std::clamp(position, 0.0, 1.0);
}

const QList<QRectF>& PWXGradientControl::allSwatchBoxes()
{
    if (mSwatchBoxes)
        return *mSwatchBoxes;
    ++m_swatchComputations;
    QList<QRectF> boxes;
    for (const pf::Ref<PWXColourStop>& stop : std::as_const(mStops))
        boxes.append(swatchBoxForPosition(stop->position()));
    const QRectF first = swatchBoxForPosition(0);
    const double y0 = first.y();
    const double height = first.height();
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        QList<qsizetype> members{i};
        QRectF reference = boxes[i];
        for (qsizetype j = 0; j < boxes.size(); ++j) {
            if (j != i && boxes[j].intersects(reference)) {
                members.append(j);
                reference = boxes[j];
            }
        }
        if (members.size() < 2)
            continue;
        std::sort(members.begin(), members.end());
        const double band = height / members.size();
        for (qsizetype k = 0; k < members.size(); ++k) {
            QRectF& box = boxes[members[k]];
            box.setY(y0 + k * band);
            box.setHeight(band);
        }
    }
    mSwatchBoxes = boxes;
    return *mSwatchBoxes;
}

QRectF PWXGradientControl::swatchRectForStop(const PWXColourStop* stop)
{
    for (qsizetype i = 0; i < mStops.size(); ++i)
        if (mStops[i].get() == stop)
            return allSwatchBoxes().value(i);
    return {};
}

PWXColourStop* PWXGradientControl::stopAtPoint(QPointF point)
{
    const QList<QRectF>& boxes = allSwatchBoxes();
    for (qsizetype i = 0; i < mStops.size() && i < boxes.size(); ++i)
        if (boxes[i].contains(point))
            return mStops[i].get();
    return nullptr;
}

pf::Color PWXGradientControl::colorAtPoint(QPointF point)
{
    return gradient()->interpolatedColorAtLocation(relativePositionOfPoint(point));
}

// --- Stops ------------------------------------------------------------------------------------

PWXColourStop* PWXGradientControl::addColorStop(const std::optional<pf::Color>& colour, QPointF point)
{
    return addColorStop(colour, point, !colour.has_value());
}

PWXColourStop* PWXGradientControl::addColorStop(const std::optional<pf::Color>& colour, QPointF point, bool forceNew)
{
    if (!mEnabled)
        return nullptr;
    if (!forceNew) {
        if (PWXColourStop* existing = stopAtPoint(point)) {
            if (colour && colour->isValid())
                existing->setColour(*colour);
            mGradient.reset();
            setNeedsDisplay(true);
            sendAction();
            return existing;
        }
    }
    const double position = relativePositionOfPoint(point);
    pf::Color chosen = colour && colour->isValid() ? *colour : pf::Color();
    if (!chosen.isValid() && !mStops.isEmpty())
        chosen = gradient()->interpolatedColorAtLocation(position);
    if (!chosen.isValid())
        chosen = pf::Color::white();
    auto stop = PWXColourStop::colourStopWithColour(chosen);
    stop->setPosition(float(position));
    mStops.append(stop);
    mGradient.reset();
    invalidate();
    setNeedsDisplay(true);
    sendAction();
    return stop.get();
}

void PWXGradientControl::removeStopObject(PWXColourStop* stop)
{
    // Keep the stop alive until every reference to it is cleared.
    pf::Ref<PWXColourStop> keep;
    for (qsizetype i = 0; i < mStops.size(); ++i) {
        if (mStops[i].get() == stop) {
            keep = mStops.takeAt(i);
            break;
        }
    }
    if (!keep)
        return;
    if (mSelectedStop == stop)
        mSelectedStop = nullptr;
    if (mDragStop == stop)
        mDragStop = nullptr;
    if (mDeletionCandidate == stop)
        mDeletionCandidate = nullptr;
    if (m_cursorStop == stop)
        m_cursorStop = nullptr;
    mGradient.reset();
    invalidate();
    setNeedsDisplay(true);
}

void PWXGradientControl::removeColorStopAtPoint(QPointF point)
{
    if (!mEnabled || mStops.size() <= 2)
        return;
    PWXColourStop* stop = stopAtPoint(point);
    if (!stop)
        return;
    removeStopObject(stop);
    sendAction();
}

void PWXGradientControl::setSelectedStop(PWXColourStop* stop)
{
    if (stop == mSelectedStop)
        return;
    if (mSelectedStop)
        setNeedsDisplayInRect(swatchRectForStop(mSelectedStop));
    mSelectedStop = stop;
    if (!stop)
        return;
    pf::ColorPanel* panel = pf::ColorPanel::shared();
    panel->setTarget(nullptr);
    mProxyColourWell->setColor(stop->colour());
    panel->setColor(stop->colour());
    panel->setTarget(this);
    panel->setAction(QStringLiteral("changeColor:"));
    // Other wells let go of the panel: its colours now belong to this stop.
    mProxyColourWell->activate(true);
    setNeedsDisplayInRect(swatchRectForStop(stop));
}

void PWXGradientControl::setColorOfSelectedStop(const pf::Color& colour)
{
    if (!mSelectedStop || !mEnabled || !colour.isValid())
        return;
    mSelectedStop->setColour(colour);
    mGradient.reset();
    sendAction();
    setNeedsDisplay(true);
}

void PWXGradientControl::changeColor(const QVariant& sender)
{
    QObject* object = sender.value<QObject*>();
    if (!object)
        object = sender.value<QWidget*>();
    pf::Color colour;
    if (auto* panel = dynamic_cast<pf::ColorPanel*>(object))
        colour = panel->color();
    else if (auto* well = dynamic_cast<pf::ColorWell*>(object))
        colour = well->color();
    else if (auto value = pf::fromVariant<pf::Ref<pf::Color>>(sender))
        colour = *value;
    if (!colour.isValid())
        return;
    setColorOfSelectedStop(colour);
    if (!dynamic_cast<pf::ColorPanel*>(object))
        pf::ColorPanel::shared()->setColor(colour);
}

void PWXGradientControl::deactivate()
{
    if (mSelectedStop)
        setNeedsDisplayInRect(swatchRectForStop(mSelectedStop));
    mSelectedStop = nullptr;
    if (pf::ColorPanel::sharedExists() && pf::ColorPanel::shared()->target() == this)
        pf::ColorPanel::shared()->setTarget(nullptr);
}

void PWXGradientControl::bringColourPanelForward()
{
    pf::ColorPanel::shared()->orderFront();
}

// --- Commands ---------------------------------------------------------------------------------

void PWXGradientControl::newStop(const QVariant&)
{
    if (!mEnabled)
        return;
    // New stops go to the insert hint, which no one sets: the centre of the bar.
    const QPointF at = mStopInsertHint.isNull() ? bounds().center() : mStopInsertHint;
    setSelectedStop(addColorStop(std::nullopt, at, true));
    bringColourPanelForward();
}

void PWXGradientControl::removeStop(const QVariant&)
{
    if (!mEnabled || mStops.size() < 3 || !mSelectedStop)
        return;
    removeStopObject(mSelectedStop);
    sendAction();
    deactivate();
    setNeedsDisplay(true);
}

void PWXGradientControl::flip(const QVariant&)
{
    if (!mEnabled)
        return;
    for (const pf::Ref<PWXColourStop>& stop : std::as_const(mStops))
        stop->setPosition(1.0f - stop->position());
    mGradient.reset();
    invalidate();
    setNeedsDisplay(true);
    sendAction();
}

bool PWXGradientControl::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    const QString action = item.action();
    if (action == QLatin1String("newStop:"))
        return mEnabled;
    if (action == QLatin1String("removeStop:"))
        return mEnabled && mStops.size() >= 3 && mSelectedStop;
    if (action == QLatin1String("flip:"))
        return mEnabled;
    return respondsTo(action);
}

// --- Drawing ----------------------------------------------------------------------------------

void PWXGradientControl::drawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = bounds().adjusted(0.5, 0.5, -0.5, -0.5);
    if (mDragHilite) {
        painter.setPen(QPen(QApplication::palette().color(QPalette::Highlight), 3));
        painter.drawRect(bounds().adjusted(1.5, 1.5, -1.5, -1.5));
    }
    painter.setPen(QPen(mEnabled ? QColor(128, 128, 128) : QColor(170, 170, 170), 1));
    painter.drawRect(frame);
    const QRectF bar = gradientRect();
    painter.fillRect(bar, QBrush(chequerImage()));
    gradient()->drawInRect(painter, bar, 0);
    if (mEnabled)
        drawStopsInRect(painter, bar.adjusted(0, -1, 0, 1));
    painter.restore();
}

void PWXGradientControl::drawStopsInRect(QPainter& painter, const QRectF&)
{
    const QList<QRectF> boxes = allSwatchBoxes();
    for (qsizetype i = 0; i < mStops.size() && i < boxes.size(); ++i) {
        PWXColourStop* stop = mStops[i].get();
        if (stop == mDeletionCandidate)
            continue;
        int state = 0;
        if (stop == mSelectedStop || stop == mDragStop)
            state = mMouseDownInStop ? 1 : 2;
        drawStop(painter, stop, boxes[i], state);
    }
}

void PWXGradientControl::drawStop(QPainter& painter, PWXColourStop* stop, const QRectF& rect, int state)
{
    const int inset = std::max(int(rect.width() / 10), 2);
    const QRectF box = QRectF(std::round(rect.x()), std::round(rect.y()), std::round(rect.width()), std::round(rect.height()));
    const QRectF inner = box.adjusted(inset, inset, -inset, -inset);
    const pf::Ref<pf::Gradient> face = state == 1   ? pf::Gradient::unifiedDarkGradient()
                                       : state == 2 ? pf::Gradient::sourceListSelectedGradient()
                                                    : pf::Gradient::unifiedNormalGradient();
    face->drawInRect(painter, box, 90);
    if (stop->colour().alphaComponent() < 1.0)
        painter.fillRect(inner, QBrush(chequerImage()));
    painter.fillRect(inner, stop->colour().qColor());
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(85, 85, 85), 0.5));
    painter.drawRect(box);
    painter.setPen(QPen(QColor(85, 85, 85), 0.25));
    painter.drawRect(inner);
}

QImage PWXGradientControl::dragImageForStop(PWXColourStop* stop)
{
    const QRectF box = swatchRectForStop(stop);
    QImage image(std::max(1, int(std::ceil(box.width()))), std::max(1, int(std::ceil(box.height()))),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (stop) {
        QPainter painter(&image);
        drawStop(painter, stop, QRectF(QPointF(0, 0), box.size()), 0);
    }
    return image;
}

pf::Cursor PWXGradientControl::makeCursorForDeletingStop(PWXColourStop* stop)
{
    if (stop && stop == m_cursorStop)
        return m_deletionCursor;
    const QImage stopImage = dragImageForStop(stop);
    const pf::Cursor& poof = pf::Cursor::disappearingItem();
    const QImage poofImage = poof.image();
    const QPointF poofHot = poof.hotSpot();
    // The stop centred on the poof cursor's hot spot, faded, with the poof cursor over it.
    const QRectF stopRect(poofHot - QPointF(stopImage.width() / 2.0, stopImage.height() / 2.0), stopImage.size());
    const QRectF poofRect(QPointF(0, 0), poofImage.size());
    const QRectF all = stopRect.united(poofRect);
    QImage composed(int(std::ceil(all.width())), int(std::ceil(all.height())), QImage::Format_ARGB32_Premultiplied);
    composed.fill(Qt::transparent);
    {
        QPainter painter(&composed);
        painter.translate(-all.topLeft());
        painter.setOpacity(0.5);
        painter.drawImage(stopRect.topLeft(), stopImage);
        painter.setOpacity(1.0);
        painter.drawImage(QPointF(0, 0), poofImage);
    }
    m_deletionCursor = pf::Cursor(composed, stopRect.center() - all.topLeft());
    m_cursorStop = stop;
    return m_deletionCursor;
}

// --- Position read-out --------------------------------------------------------------------------

RVInfoFloater* PWXGradientControl::infoFloater()
{
    if (!mInfoWin) {
        mInfoWin = new RVInfoFloater(window());
        mInfoWin->setFormat(QStringLiteral("0.0%"));
    }
    return mInfoWin;
}

void PWXGradientControl::updateInfoWithPosition(double position)
{
    if (!mShowsInfo)
        return;
    RVInfoFloater* floater = infoFloater();
    floater->setFloatValue(float(position * 100.0));
    const QPointF corner = swatchBoxForPosition(position).topLeft();
    floater->positionNearPoint(mapTo(window(), corner.toPoint()), window());
    floater->show();
}

void PWXGradientControl::hideInfo()
{
    if (mInfoWin)
        mInfoWin->hide();
}

// --- Mouse --------------------------------------------------------------------------------------

void PWXGradientControl::mouseDown(const pf::Event& event)
{
    mouseDownAt(convertPointFromView(event.locationInWindow, nullptr));
}

pf::Ref<pf::Menu> PWXGradientControl::stopsMenu()
{
    pf::Ref<pf::Menu> menu = pf::Menu::make(QCoreApplication::translate("PWXGradientControl", "Colour Stops"));
    for (const auto& [title, action] : {std::pair{"New Stop", "newStop:"}, std::pair{"Remove Stop", "removeStop:"},
                                        std::pair{"Flip Gradient", "flip:"}}) {
        pf::Ref<pf::MenuItem> item =
            pf::MenuItem::make(QCoreApplication::translate("PWXGradientControl", title), QString::fromLatin1(action));
        item->setTarget(this);
        menu->addItem(item);
    }
    return menu;
}

QMenu* PWXGradientControl::menuForEvent(const pf::Event&)
{
    m_shownMenu = stopsMenu();
    m_shownMenu->update();
    return m_shownMenu->qMenu();
}

void PWXGradientControl::mouseDragged(const pf::Event& event)
{
    mouseDraggedAt(convertPointFromView(event.locationInWindow, nullptr), event.modifierFlags);
}

void PWXGradientControl::mouseUp(const pf::Event& event)
{
    mouseUpAt(convertPointFromView(event.locationInWindow, nullptr));
}

void PWXGradientControl::mouseDownAt(QPointF point)
{
    if (!mEnabled)
        return;
    if (mSelectedStop)
        setNeedsDisplayInRect(swatchRectForStop(mSelectedStop));
    mDragStop = nullptr;
    mStopWasDragged = false;
    if (PWXColourStop* stop = stopAtPoint(point)) {
        beginDragUndoGroup();
        mDragStop = stop;
        mMouseDownInStop = true;
        if (mShowsInfo)
            updateInfoWithPosition(stop->position());
        setNeedsDisplayInRect(swatchRectForStop(stop));
    }
}

void PWXGradientControl::mouseDraggedAt(QPointF point, unsigned modifierFlags)
{
    if (!mEnabled || !mDragStop)
        return;
    double position = relativePositionOfPoint(point);
    if (modifierFlags & pf::ShiftKeyMask)
        position = std::round(position * 100.0) / 100.0;
    if (safeArea().contains(point) || mStops.size() <= 2) {
        if (m_cursorPushed) {
            pf::Cursor::pop();
            m_cursorPushed = false;
        }
        mDeletionCandidate = nullptr;
        updateInfoWithPosition(position);
        mDragStop->setPosition(float(position));
        invalidate();
        sendAction();
        mStopWasDragged = true;
    } else {
        if (!m_cursorPushed) {
            makeCursorForDeletingStop(mDragStop).push();
            m_cursorPushed = true;
        }
        mDeletionCandidate = mDragStop;
        hideInfo();
    }
    setNeedsDisplay(true);
}

void PWXGradientControl::mouseUpAt(QPointF point)
{
    mMouseDownInStop = false;
    hideInfo();
    if (!mEnabled) {
        mDragStop = nullptr;
        endDragUndoGroup();
        return;
    }
    if (mDragStop) {
        if (!mStopWasDragged && mDragStop == mSelectedStop) {
            mSelectedStop = nullptr;
        } else {
            setSelectedStop(mDragStop);
            if (!mStopWasDragged)
                bringColourPanelForward();
        }
        if (!safeArea().contains(point) && mStops.size() > 2) {
            PWXColourStop* doomed = mDragStop;
            if (doomed == mSelectedStop)
                deactivate();
            removeStopObject(doomed);
            sendAction();
            pf::showPoofAnimation(mapToGlobal(point.toPoint()));
        }
        if (m_cursorPushed) {
            pf::Cursor::pop();
            m_cursorPushed = false;
        }
        invalidate();
    }
    mDeletionCandidate = nullptr;
    mDragStop = nullptr;
    endDragUndoGroup();
    setNeedsDisplay(true);
}

// --- Colour drops -------------------------------------------------------------------------------

unsigned PWXGradientControl::draggingEntered(const pf::DraggingInfo&)
{
    if (!mEnabled)
        return pf::DragOperationNone;
    mDragHilite = true;
    setNeedsDisplay(true);
    return pf::DragOperationGeneric;
}

void PWXGradientControl::draggingExited(const pf::DraggingInfo*)
{
    mDragHilite = false;
    setNeedsDisplay(true);
}

bool PWXGradientControl::performDragOperation(const pf::DraggingInfo& info)
{
    mDragHilite = false;
    setNeedsDisplay(true);
    std::optional<pf::Color> colour;
    if (pf::Ref<pf::Pasteboard> board = info.draggingPasteboard()) {
        const QColor read = board->color();
        if (read.isValid())
            colour = pf::Color(read);
    }
    return dropColour(colour, convertPointFromView(info.draggingLocation(), nullptr));
}

bool PWXGradientControl::dropColour(const std::optional<pf::Color>& colour, QPointF point)
{
    mDragHilite = false;
    if (!mEnabled || !colour || !colour->isValid())
        return false;
    setSelectedStop(addColorStop(colour, point));
    return true;
}

void PWXGradientControl::beginDragUndoGroup()
{
    endDragUndoGroup();
    pf::UndoManager* undo = m_undoSource ? m_undoSource() : nullptr;
    if (!undo)
        undo = undoManager();
    if (undo) {
        undo->beginUndoGrouping();
        m_dragUndoManager = undo->shared_from_this();
    }
}

void PWXGradientControl::endDragUndoGroup()
{
    if (auto undo = std::static_pointer_cast<pf::UndoManager>(m_dragUndoManager.lock()); undo && undo->groupingLevel() > 0)
        undo->endUndoGrouping();
    m_dragUndoManager.reset();
}

void PWXGradientControl::hideEvent(QHideEvent* event)
{
    endDragUndoGroup();
    pf::View::hideEvent(event);
}
