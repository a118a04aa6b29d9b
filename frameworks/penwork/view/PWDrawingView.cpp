#include "frameworks/penwork/view/PWDrawingView.h"

#include "frameworks/penwork/archiving/PWDrawableObjectPasteboard.h"
#include "frameworks/penwork/archiving/PWStylePasteboard.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/drawables/PWKnob.h"
#include "frameworks/penwork/editing/PWLayerEditing.h"
#include "frameworks/penwork/layers/PWBandedDrawing.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/tools/PWDimensionGuide.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/view/PWDrawingScrollArea.h"
#include "frameworks/penwork/view/PWTextEditor.h"
#include "frameworks/penwork/view/PWViewController.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintOperation.h"

#include <QMimeData>
#include <QTimer>

#include <cmath>

namespace {

bool s_createsAutomaticDrawing = true;

// The actions the active layer performs (PWLayer::handlesAction / performAction).
const QStringList& layerEditActions()
{
    static const QStringList actions{
        QStringLiteral("cut:"),           QStringLiteral("copy:"),           QStringLiteral("paste:"),
        QStringLiteral("delete:"),        QStringLiteral("selectAll:"),      QStringLiteral("duplicate:"),
        QStringLiteral("group:"),         QStringLiteral("ungroup:"),        QStringLiteral("toggleHorizontalFlip:"),
        QStringLiteral("toggleVerticalFlip:"), QStringLiteral("convertToPath:"), QStringLiteral("convertToShape:"),
        QStringLiteral("convertToShapeGroup:"), QStringLiteral("convertToTextShape:"),
        QStringLiteral("convertToTextPath:"),
    };
    return actions;
}

// The types a drawing view takes dropped.
QStringList droppableTypes()
{
    return {kPWDrawableObjectPasteboardType, kPWStylePasteboardType, kPWStyleKeyPasteboardType,
            pf::NSPasteboardTypeColor,      pf::NSPasteboardTypeFileURL, pf::NSFilenamesPboardType,
            pf::NSPasteboardTypePNG,        pf::NSPasteboardTypeTIFF};
}

// Crop mark geometry in points: the gap between a mark and the page content, and its length.
constexpr double kCropMarkGap = 6.0;
constexpr double kCropMarkLength = 18.0;

} // namespace

PF_DEFINE_CLASS(PWDrawingView, RVZoomView)
{
    b.property("drawing", &PWDrawingView::drawing, &PWDrawingView::setDrawing);
    b.property("scale", &PWDrawingView::scale, &PWDrawingView::setScale);
    b.property("printCropMarkKind", &PWDrawingView::printCropMarkKind, &PWDrawingView::setPrintCropMarkKind);
    b.property("rulersVisible", &PWDrawingView::rulersVisible, &PWDrawingView::setRulersVisible);
    b.property("isEditingText", &PWDrawingView::isEditingText);
    b.method("cut:", &PWDrawingView::cut);
    b.method("copy:", &PWDrawingView::copy);
    b.method("paste:", &PWDrawingView::paste);
    b.method("duplicate:", &PWDrawingView::duplicate);
    b.method("delete:", &PWDrawingView::deleteSelection);
    b.method("selectAll:", &PWDrawingView::selectAll);
    b.method("group:", &PWDrawingView::group);
    b.method("ungroup:", &PWDrawingView::ungroup);
    b.method("toggleHorizontalFlip:", &PWDrawingView::toggleHorizontalFlip);
    b.method("toggleVerticalFlip:", &PWDrawingView::toggleVerticalFlip);
    b.method("convertToPath:", &PWDrawingView::convertToPath);
    b.method("convertToShape:", &PWDrawingView::convertToShape);
    b.method("convertToShapeGroup:", &PWDrawingView::convertToShapeGroup);
    b.method("convertToTextShape:", &PWDrawingView::convertToTextShape);
    b.method("convertToTextPath:", &PWDrawingView::convertToTextPath);
    b.method("zoomFitInWindow:", &PWDrawingView::zoomFitInWindow);
    b.method("zoomViewToRect:", &PWDrawingView::zoomViewToRect);
    b.method("endTextEditing", &PWDrawingView::endTextEditing);
}

PWDrawingView::PWDrawingView(QWidget* parent) : RVZoomView(parent)
{
    init();
}

PWDrawingView::PWDrawingView(const QRectF& frame, QWidget* parent) : RVZoomView(frame, parent)
{
    init();
}

void PWDrawingView::init()
{
    m_viewController = std::make_shared<PWViewController>(this);
    m_toolController = std::make_unique<PWToolController>(*this);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAcceptsMouseMovedEvents(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    registerForDraggedTypes(droppableTypes());
    // Dimension guides come and go while the tools drag; redraw where they were and are.
    pf::NotificationCenter::defaultCenter().addObserver(
        this,
        [this](const pf::Notification& note) {
            // The labels keep their size on screen: measure them at this view's scale.
            QRectF rect = PWDimensionGuide::displayRectOfStates(note.userInfo.value(QStringLiteral("guides")).toList(), scale());
            if (rect.isNull())
                rect = note.userInfo.value(QStringLiteral("rect")).toRectF();
            if (m_drawing && rect.isValid())
                setNeedsDisplayInDrawingRect(rect);
        },
        kPWDimensionGuidesDidChangeNotification, nullptr);
    if (s_createsAutomaticDrawing)
        setDrawing(PWDrawing::defaultDrawing());
}

PWDrawingView::~PWDrawingView()
{
    // Typed text is kept: the drawing outlives its views.
    finishTextEditing(true);
    pf::NotificationCenter::defaultCenter().removeObserver(this, kPWDimensionGuidesDidChangeNotification);
    observeDrawing(false);
    if (m_drawing)
        m_drawing->removeController(m_viewController.get());
    m_viewController->setDrawingView(nullptr);
    m_toolController.reset();
}

// Class settings ---------------------------------------------------------------------------------

bool PWDrawingView::shouldCreateAutomaticDrawing()
{
    return s_createsAutomaticDrawing;
}

void PWDrawingView::setShouldCreateAutomaticDrawing(bool create)
{
    s_createsAutomaticDrawing = create;
}

bool PWDrawingView::scrollwheelZoomEnabled()
{
    return !pf::UserDefaults::standard().boolForKey(kPWDrawingDisableScrollwheelZoomPrefsKey);
}

void PWDrawingView::setScrollwheelZoomEnabled(bool enabled)
{
    pf::UserDefaults::standard().setBool(!enabled, kPWDrawingDisableScrollwheelZoomPrefsKey);
}

bool PWDrawingView::scrollwheelInverted()
{
    return pf::UserDefaults::standard().boolForKey(kPWDrawingScrollwheelSensePrefsKey);
}

void PWDrawingView::setScrollwheelInverted(bool inverted)
{
    pf::UserDefaults::standard().setBool(inverted, kPWDrawingScrollwheelSensePrefsKey);
}

// The drawing ----------------------------------------------------------------------------------

void PWDrawingView::setDrawing(const pf::Ref<PWDrawing>& drawing)
{
    if (drawing == m_drawing)
        return;
    finishTextEditing(true);
    observeDrawing(false);
    if (m_drawing)
        m_drawing->removeController(m_viewController.get());
    m_drawing = drawing;
    if (m_drawing)
        m_drawing->addController(m_viewController.get());
    observeDrawing(true);
    updateContentSize();
    setNeedsDisplay(true);
    invalidateCursors();
    updateRulers();
}

void PWDrawingView::observeDrawing(bool observe)
{
    pf::NotificationCenter& centre = pf::NotificationCenter::defaultCenter();
    if (!m_drawing)
        return;
    if (!observe) {
        centre.removeObserver(this, {}, m_drawing.get());
        return;
    }
    centre.addObserver(this, [this](const pf::Notification&) { invalidateCursors(); }, kPWDrawingActiveLayerDidChange,
                       m_drawing.get());
    centre.addObserver(this, [this](const pf::Notification&) { updateRulers(); }, kPWDrawingUnitsDidChangeNotification,
                       m_drawing.get());
}

void PWDrawingView::updateContentSize()
{
    if (!m_drawing)
        return;
    const QSizeF page = m_drawing->drawingSize();
    setContentSize(page);
    setContentMargin(m_showsPasteboard ? std::max(page.width(), page.height()) / 2.0 : 0.0);
}

void PWDrawingView::setShowsPasteboard(bool shows)
{
    if (shows == m_showsPasteboard)
        return;
    m_showsPasteboard = shows;
    m_pageNeedsShowing = shows;
    updateContentSize();
    setNeedsDisplay(true);
}

pf::Ref<PWLayer> PWDrawingView::activeLayer() const
{
    return m_drawing ? m_drawing->activeLayer() : nullptr;
}

QList<pf::Ref<PWDrawableObject>> PWDrawingView::selectedObjects() const
{
    auto layer = std::dynamic_pointer_cast<PWObjectOwnerLayer>(activeLayer());
    return layer ? layer->selection() : QList<pf::Ref<PWDrawableObject>>();
}

// Coordinates ------------------------------------------------------------------------------------

QPointF PWDrawingView::convertToDrawing(QPointF viewPoint) const
{
    return boundsToWidgetTransform().inverted().map(viewPoint);
}

QPointF PWDrawingView::convertFromDrawing(QPointF drawingPoint) const
{
    return boundsToWidgetTransform().map(drawingPoint);
}

QRectF PWDrawingView::convertRectToDrawing(const QRectF& viewRect) const
{
    return boundsToWidgetTransform().inverted().mapRect(viewRect);
}

QRectF PWDrawingView::convertRectFromDrawing(const QRectF& drawingRect) const
{
    return boundsToWidgetTransform().mapRect(drawingRect);
}

void PWDrawingView::setNeedsDisplayInDrawingRect(const QRectF& rect)
{
    if (rect.isNull()) {
        setNeedsDisplay(true);
        return;
    }
    // Handles and selection outlines keep their size on screen: grow the area by them.
    const double pad = (PWKnob::controlKnobSize().width() + 4.0) / scale();
    setNeedsDisplayInRect(rect.adjusted(-pad, -pad, pad, pad));
}

// Zoom and scrolling ---------------------------------------------------------------------------

void PWDrawingView::zoomViewToRect(const QRectF& rect)
{
    const QRectF target = rect.normalized();
    if (target.width() <= 0 || target.height() <= 0 || !std::isfinite(target.width()) || !std::isfinite(target.height()))
        return;
    const QSizeF available = availableViewSize();
    if (available.isEmpty())
        return;
    setScale(std::min(available.width() / target.width(), available.height() / target.height()));
    scrollToDrawingRect(target);
}

void PWDrawingView::zoomFitInWindow(const QVariant&)
{
    if (m_drawing)
        zoomViewToRect(QRectF(QPointF(0, 0), m_drawing->drawingSize()));
}

void PWDrawingView::scrollToDrawingRect(const QRectF& rect)
{
    scrollToContentRect(rect);
}

QRectF PWDrawingView::visibleDrawingRect() const
{
    return visibleContentRect();
}

void PWDrawingView::scaleDidChange(double oldScale)
{
    PWKnob::defaultKnobs()->setViewScale(scale());
    if (m_textEditor)
        m_textEditor->updatePlacement();
    invalidateCursorRects();
    updateRulers();
    pf::NotificationCenter::defaultCenter().post(kPWDrawingViewDidChangeScale, this);
}

// Rulers -------------------------------------------------------------------------------------------

void PWDrawingView::setRulersVisible(bool visible)
{
    if (visible == m_rulersVisible)
        return;
    m_rulersVisible = visible;
    pf::NotificationCenter::defaultCenter().post(kPWDrawingViewRulersChanged, this);
}

double PWDrawingView::horizontalRulerHeight() const
{
    return m_rulersVisible ? PWDrawingScrollArea::kRulerThickness : 0.0;
}

double PWDrawingView::verticalRulerWidth() const
{
    return m_rulersVisible ? PWDrawingScrollArea::kRulerThickness : 0.0;
}

void PWDrawingView::updateRulers()
{
    if (auto* area = qobject_cast<PWDrawingScrollArea*>(enclosingScrollView()))
        area->updateRulers();
}

void PWDrawingView::drawingNeedsDisplayInRect(const QRectF& rect)
{
    if (rect.isNull()) {
        // The page itself may have changed.
        updateContentSize();
        setNeedsDisplay(true);
    } else {
        setNeedsDisplayInDrawingRect(rect);
    }
    if (m_textEditor)
        m_textEditor->updatePlacement();
}

void PWDrawingView::updateRulerMarkersForRect(const QRectF& rect)
{
    m_rulerMarkers = rect;
    updateRulers();
}

void PWDrawingView::hideRulerMarkers()
{
    m_rulerMarkers = QRectF();
    updateRulers();
}

void PWDrawingView::invalidateCursors()
{
    invalidateCursorRects();
    if (m_toolController)
        setCursorForView(m_toolController->cursor());
}

void PWDrawingView::setCursorForView(const QCursor& cursor)
{
    m_cursor = cursor;
    setCursor(cursor);
}

// Printing -------------------------------------------------------------------------------------

void PWDrawingView::setPrintCropMarkKind(int kind)
{
    m_cropMarkKind = (kind == 1 || kind == 2) ? kind : 0;
}

void PWDrawingView::setPrintInfo(const pf::Ref<pf::PrintInfo>& info)
{
    m_printInfo = info;
}

void PWDrawingView::beginPageInRect(const QRectF& rect, const QPointF& placement)
{
    m_pageRect = rect;
    m_pagePlacement = placement;
}

void PWDrawingView::drawPageBorderWithSize(const QSizeF& borderSize)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || m_cropMarkKind == 0 || m_pageRect.isEmpty())
        return;
    // The page's content on the paper: the view rectangle at the print scale, placed.
    // The scale the job prints at (fitting to the page shrinks it below the print info's own).
    const pf::PrintOperation* operation = pf::PrintOperation::currentOperation();
    const double printScale = operation ? operation->printScale() : m_printInfo ? m_printInfo->scalingFactor() : 1.0;
    const QSizeF drawn = convertRectFromDrawing(m_pageRect).size() / scale() * printScale;
    const QRectF content(m_pagePlacement, drawn);
    QPainter& painter = context->painter();
    pf::GraphicsStateSaver saver(context);
    QPen pen(Qt::black);
    pen.setWidthF(0.25);
    painter.setPen(pen);
    const double g = kCropMarkGap, l = kCropMarkLength;
    if (m_cropMarkKind == 1) {
        // Corners: each corner's two edges continued outwards, clear of the content.
        for (const QPointF corner : {content.topLeft(), content.topRight(), content.bottomLeft(), content.bottomRight()}) {
            const double sx = corner.x() == content.left() ? -1 : 1;
            const double sy = corner.y() == content.top() ? -1 : 1;
            painter.drawLine(QPointF(corner.x() + sx * g, corner.y()), QPointF(corner.x() + sx * (g + l), corner.y()));
            painter.drawLine(QPointF(corner.x(), corner.y() + sy * g), QPointF(corner.x(), corner.y() + sy * (g + l)));
        }
    } else {
        // Edges: a mark outside the middle of every edge, across it.
        const QPointF c = content.center();
        painter.drawLine(QPointF(c.x(), content.top() - g), QPointF(c.x(), content.top() - g - l));
        painter.drawLine(QPointF(c.x(), content.bottom() + g), QPointF(c.x(), content.bottom() + g + l));
        painter.drawLine(QPointF(content.left() - g, c.y()), QPointF(content.left() - g - l, c.y()));
        painter.drawLine(QPointF(content.right() + g, c.y()), QPointF(content.right() + g + l, c.y()));
        painter.drawLine(QPointF(c.x() - l / 2, content.top() - g - l / 2), QPointF(c.x() + l / 2, content.top() - g - l / 2));
        painter.drawLine(QPointF(c.x() - l / 2, content.bottom() + g + l / 2),
                         QPointF(c.x() + l / 2, content.bottom() + g + l / 2));
        painter.drawLine(QPointF(content.left() - g - l / 2, c.y() - l / 2), QPointF(content.left() - g - l / 2, c.y() + l / 2));
        painter.drawLine(QPointF(content.right() + g + l / 2, c.y() - l / 2),
                         QPointF(content.right() + g + l / 2, c.y() + l / 2));
    }
    Q_UNUSED(borderSize);
}

// Drawing ----------------------------------------------------------------------------------------

void PWDrawingView::drawRect(const QRectF& dirtyRect)
{
    if (m_pageNeedsShowing && m_drawing && enclosingClipView()) {
        // Scrolled to the page once the window has its size, not from inside the painting.
        m_pageNeedsShowing = false;
        QPointer<PWDrawingView> self = this;
        QTimer::singleShot(0, this, [self] {
            if (self && self->m_drawing)
                self->scrollToDrawingRect(QRectF(QPointF(0, 0), self->m_drawing->drawingSize()));
        });
    }
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (context)
        drawDrawingRect(*context, dirtyRect);
}

void PWDrawingView::drawDrawingRect(pf::GraphicsContext& context, const QRectF& rect)
{
    QPainter& painter = context.painter();
    const bool onScreen = context.isDrawingToScreen();
    const QRectF page = m_drawing ? QRectF(QPointF(0, 0), m_drawing->drawingSize()) : QRectF();
    if (onScreen) {
        // Round the page, the pasteboard; on it, white where the drawing has no paper colour.
        if (m_showsPasteboard) {
            painter.fillRect(rect, QColor(230, 230, 230));
            // The paper's edge, just outside it: objects reaching past it cover it.
            pf::GraphicsStateSaver saver(&context);
            QPen pen(QColor(150, 150, 150));
            pen.setCosmetic(true);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            const double half = 0.5 / scale();
            painter.drawRect(page.adjusted(-half, -half, half, half));
        }
        painter.fillRect(m_showsPasteboard ? rect.intersected(page) : rect, Qt::white);
    }
    if (!m_drawing)
        return;
    // A large area draws in bands on several threads; the rest below stays on this one.
    PWBandedDrawing::drawInContext(*m_drawing, context, rect, onScreen);
    if (!onScreen)
        return;
    const QRectF interior = m_drawing->interior();
    if (interior != page && !interior.isEmpty()) {
        pf::GraphicsStateSaver saver(&context);
        QPen pen(QColor(160, 160, 160));
        pen.setCosmetic(true);
        pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(interior);
    }
    if (m_toolController) {
        pf::GraphicsStateSaver saver(&context);
        m_toolController->drawToolFeedback(painter, rect, scale());
    }
}

void PWDrawingView::refuseWithBeep()
{
    pf::Application::beep();
}

// Mouse and keys ---------------------------------------------------------------------------------

void PWDrawingView::mouseDown(const pf::Event& event)
{
    setFocus(Qt::MouseFocusReason);
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    // A click outside the editor ends editing (clicks inside it never reach the view).
    finishTextEditing(true);
    if (event.clickCount >= 2 && beginTextEditingAtPoint(point))
        return;
    PWKnob::defaultKnobs()->setViewScale(scale());
    m_toolController->mouseDown(*this, point, pf::qtModifiersFromFlags(event.modifierFlags), event.clickCount);
}

void PWDrawingView::mouseDragged(const pf::Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    if (m_toolController->isTracking()) {
        // Keep the pointer in sight while dragging past the visible edge.
        if (!visibleDrawingRect().contains(point))
            autoscroll(event);
        m_toolController->mouseDragged(*this, point, pf::qtModifiersFromFlags(event.modifierFlags));
    }
    m_mouseLocation = point;
    postMouseLocation(kPWDrawingMouseDraggedLocation, point);
}

void PWDrawingView::mouseUp(const pf::Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    if (m_toolController->isTracking())
        m_toolController->mouseUp(*this, point, pf::qtModifiersFromFlags(event.modifierFlags));
    setCursorForView(m_toolController->cursorForModifiers(pf::qtModifiersFromFlags(event.modifierFlags)));
}

void PWDrawingView::mouseMoved(const pf::Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    m_mouseLocation = point;
    m_toolController->mouseMoved(*this, point, pf::qtModifiersFromFlags(event.modifierFlags));
    postMouseLocation(kPWDrawingMouseMovedLocation, point);
    updateRulers();
}

void PWDrawingView::flagsChanged(const pf::Event& event)
{
    const Qt::KeyboardModifiers modifiers = pf::qtModifiersFromFlags(event.modifierFlags);
    m_toolController->flagsChanged(*this, modifiers);
    setCursorForView(m_toolController->cursorForModifiers(modifiers));
}

void PWDrawingView::keyDown(const pf::Event& event)
{
    const Qt::KeyboardModifiers modifiers = pf::qtModifiersFromFlags(event.modifierFlags);
    if (m_toolController->keyDown(*this, event.qtKey, modifiers))
        return;
    if (event.qtKey == Qt::Key_Delete || event.qtKey == Qt::Key_Backspace) {
        deleteSelection(QVariant());
        return;
    }
    RVZoomView::keyDown(event);
}

void PWDrawingView::scrollWheel(const pf::Event& event)
{
    const Qt::KeyboardModifiers modifiers = pf::qtModifiersFromFlags(event.modifierFlags);
    if (!(modifiers & Qt::ControlModifier) || !scrollwheelZoomEnabled()) {
        RVZoomView::scrollWheel(event); // the scroll area scrolls
        return;
    }
    double notches = event.hasPreciseScrollingDeltas ? event.scrollingDeltaY / 10.0 : event.deltaY;
    if (scrollwheelInverted())
        notches = -notches;
    if (notches == 0 || !std::isfinite(notches))
        return;
    notches = std::clamp(notches, -10.0, 10.0);
    setScaleAroundPoint(scale() * std::pow(1.2, notches), convertPointFromView(event.locationInWindow, nullptr));
}

void PWDrawingView::cursorUpdate(const pf::Event& event)
{
    setCursorForView(m_toolController->cursorForModifiers(pf::qtModifiersFromFlags(event.modifierFlags)));
}

void PWDrawingView::postMouseLocation(const QString& name, QPointF drawingPoint)
{
    if (!m_drawing)
        return;
    const QPointF inUnits(m_drawing->convertLength(drawingPoint.x()), m_drawing->convertLength(drawingPoint.y()));
    pf::NotificationCenter::defaultCenter().post(
        name, this,
        {{kPWDrawingMouseLocationInDrawingUnits, inUnits},
         {kPWDrawingMouseLocationAbbreviatedUnits, m_drawing->abbreviatedDrawingUnits()}});
}

// Text editing ---------------------------------------------------------------------------------

bool PWDrawingView::beginTextEditingAtPoint(QPointF drawingPoint)
{
    auto layer = std::dynamic_pointer_cast<PWObjectOwnerLayer>(activeLayer());
    if (!layer)
        return false;
    pf::Ref<PWDrawableObject> hit = layer->hitObject(drawingPoint);
    return hit && PWTextEditor::canEditObject(hit.get()) && beginTextEditing(hit.get());
}

bool PWDrawingView::beginTextEditing(PWDrawableObject* object)
{
    if (!object || !PWTextEditor::canEditObject(object) || !m_drawing || object->drawing() != m_drawing.get()
        || object->locked() || !object->visible())
        return false;
    if (m_textEditor) {
        if (m_textEditor->object().get() == object)
            return true;
        finishTextEditing(true);
    }
    pf::Ref<PWDrawableObject> ref = object->ref<PWDrawableObject>();
    pf::NotificationCenter& centre = pf::NotificationCenter::defaultCenter();
    centre.post(kPWDrawingViewWillBeginTextEditing, this);
    m_textEditor = new PWTextEditor(*this, ref);
    // Queued: the editor asks from inside its own key handling.
    connect(m_textEditor.data(), &PWTextEditor::finishRequested, this, [this] { finishTextEditing(true); },
            Qt::QueuedConnection);
    m_textEditor->show();
    m_textEditor->setFocus(Qt::OtherFocusReason);
    centre.post(kPWDrawingViewDidBeginTextEditing, this);
    return true;
}

void PWDrawingView::endTextEditing()
{
    finishTextEditing(true);
}

void PWDrawingView::cancelTextEditing()
{
    finishTextEditing(false);
}

void PWDrawingView::finishTextEditing(bool commit)
{
    if (!m_textEditor)
        return;
    PWTextEditor* editor = m_textEditor.data();
    m_textEditor = nullptr;
    editor->detachFromFontManager();
    if (commit)
        editor->commit();
    editor->hide();
    editor->deleteLater();
    if (isVisible())
        setFocus(Qt::OtherFocusReason);
    pf::NotificationCenter::defaultCenter().post(kPWDrawingViewDidEndTextEditing, this);
}

bool PWDrawingView::isEditingText() const
{
    return !m_textEditor.isNull();
}

PWDrawableObject* PWDrawingView::editedTextObject() const
{
    return m_textEditor ? m_textEditor->object().get() : nullptr;
}

QTextEdit* PWDrawingView::textEditor() const
{
    return m_textEditor.data();
}

// Edit actions ---------------------------------------------------------------------------------

QString PWDrawingView::titleOfSender(const QVariant& sender)
{
    if (sender.typeId() == QMetaType::QString)
        return sender.toString();
    if (pf::Ref<pf::Object> object = pf::objectFromVariant(sender)) {
        if (auto* item = dynamic_cast<pf::UserInterfaceItem*>(object.get()))
            return item->title();
        if (object->respondsTo(QStringLiteral("title")))
            return object->valueForKey(QStringLiteral("title")).toString();
        return {};
    }
    if (sender.canConvert<QObject*>()) {
        if (QObject* object = sender.value<QObject*>()) {
            if (auto* reflective = dynamic_cast<pf::Reflective*>(object); reflective && reflective->respondsTo(QStringLiteral("title")))
                return reflective->valueForKey(QStringLiteral("title")).toString();
            const QVariant title = object->property("title");
            if (title.isValid())
                return title.toString();
            const QVariant text = object->property("text");
            if (text.isValid())
                return text.toString();
        }
    }
    return {};
}

void PWDrawingView::performEditAction(const QString& selector, const QVariant& sender)
{
    pf::Ref<PWLayer> layer = activeLayer();
    if (!layer || !layer->handlesAction(selector))
        return;
    layer->performAction(selector, titleOfSender(sender));
}

void PWDrawingView::cut(const QVariant& sender)
{
    if (m_textEditor) {
        m_textEditor->cut();
        return;
    }
    performEditAction(QStringLiteral("cut:"), sender);
}

void PWDrawingView::copy(const QVariant& sender)
{
    if (m_textEditor) {
        m_textEditor->copy();
        return;
    }
    performEditAction(QStringLiteral("copy:"), sender);
}

void PWDrawingView::paste(const QVariant& sender)
{
    if (m_textEditor) {
        m_textEditor->paste();
        return;
    }
    performEditAction(QStringLiteral("paste:"), sender);
}

void PWDrawingView::deleteSelection(const QVariant& sender)
{
    if (m_textEditor) {
        m_textEditor->textCursor().removeSelectedText();
        return;
    }
    performEditAction(QStringLiteral("delete:"), sender);
}

void PWDrawingView::selectAll(const QVariant& sender)
{
    if (m_textEditor) {
        m_textEditor->selectAll();
        return;
    }
    performEditAction(QStringLiteral("selectAll:"), sender);
}

void PWDrawingView::duplicate(const QVariant& sender) { performEditAction(QStringLiteral("duplicate:"), sender); }
void PWDrawingView::group(const QVariant& sender) { performEditAction(QStringLiteral("group:"), sender); }
void PWDrawingView::ungroup(const QVariant& sender) { performEditAction(QStringLiteral("ungroup:"), sender); }
void PWDrawingView::toggleHorizontalFlip(const QVariant& sender) { performEditAction(QStringLiteral("toggleHorizontalFlip:"), sender); }
void PWDrawingView::toggleVerticalFlip(const QVariant& sender) { performEditAction(QStringLiteral("toggleVerticalFlip:"), sender); }
void PWDrawingView::convertToPath(const QVariant& sender) { performEditAction(QStringLiteral("convertToPath:"), sender); }
void PWDrawingView::convertToShape(const QVariant& sender) { performEditAction(QStringLiteral("convertToShape:"), sender); }
void PWDrawingView::convertToShapeGroup(const QVariant& sender) { performEditAction(QStringLiteral("convertToShapeGroup:"), sender); }
void PWDrawingView::convertToTextShape(const QVariant& sender) { performEditAction(QStringLiteral("convertToTextShape:"), sender); }
void PWDrawingView::convertToTextPath(const QVariant& sender) { performEditAction(QStringLiteral("convertToTextPath:"), sender); }

bool PWDrawingView::validateMenuItem(pf::MenuItem& item)
{
    const QString action = item.action();
    if (m_textEditor) {
        const bool hasSelection = m_textEditor->textCursor().hasSelection();
        if (action == QLatin1String("cut:") || action == QLatin1String("copy:") || action == QLatin1String("delete:"))
            return hasSelection;
        if (action == QLatin1String("paste:"))
            return m_textEditor->canPaste();
        if (action == QLatin1String("selectAll:"))
            return !m_textEditor->document()->isEmpty();
        if (layerEditActions().contains(action))
            return false;
    }
    if (layerEditActions().contains(action)) {
        pf::Ref<PWLayer> layer = activeLayer();
        return layer && layer->handlesAction(action) && layer->validateMenuItem(item);
    }
    if (action == QLatin1String("zoomIn:"))
        return scale() < kMaximumScale;
    if (action == QLatin1String("zoomOut:"))
        return scale() > kMinimumScale;
    if (action == QLatin1String("zoomFitInWindow:"))
        return bool(m_drawing);
    return RVZoomView::validateMenuItem(item);
}

// Drops ------------------------------------------------------------------------------------------

namespace {

enum class DropKind { None, Style, Colour, Drawables, Files };

DropKind dropKindOf(const pf::Pasteboard& pasteboard)
{
    const QStringList types = pasteboard.types();
    if (types.contains(kPWStylePasteboardType) || types.contains(kPWStyleKeyPasteboardType))
        return DropKind::Style;
    if (types.contains(kPWDrawableObjectPasteboardType))
        return DropKind::Drawables;
    if (types.contains(pf::NSPasteboardTypeColor))
        return DropKind::Colour;
    if (types.contains(pf::NSPasteboardTypeFileURL) || types.contains(pf::NSFilenamesPboardType)
        || types.contains(pf::NSPasteboardTypePNG) || types.contains(pf::NSPasteboardTypeTIFF))
        return DropKind::Files;
    return DropKind::None;
}

// The topmost visible, unlocked object under the point in any visible, unlocked object layer.
pf::Ref<PWDrawableObject> objectUnderPoint(const PWDrawing& drawing, QPointF point)
{
    for (const pf::Ref<PWLayer>& layer : drawing.flattenedLayers()) {
        auto owner = std::dynamic_pointer_cast<PWObjectOwnerLayer>(layer);
        if (!owner || !owner->visible() || owner->locked())
            continue;
        if (pf::Ref<PWDrawableObject> hit = owner->hitObject(point); hit && !hit->locked())
            return hit;
    }
    return nullptr;
}

// The object under the point when its class accepts one of the pasteboard's types for a copy.
pf::Ref<PWDrawableObject> objectAcceptingDrop(const PWDrawing& drawing, const pf::Pasteboard& pasteboard, QPointF point)
{
    pf::Ref<PWDrawableObject> target = objectUnderPoint(drawing, point);
    if (!target)
        return nullptr;
    const QStringList accepted = PWDrawableObject::pasteboardTypesForOperation(target->objClass(), Qt::CopyAction);
    return pasteboard.availableTypeFromArray(accepted).isEmpty() ? nullptr : target;
}

} // namespace

unsigned PWDrawingView::draggingEntered(const pf::DraggingInfo& info)
{
    return draggingUpdated(info);
}

unsigned PWDrawingView::draggingUpdated(const pf::DraggingInfo& info)
{
    pf::Ref<pf::Pasteboard> pasteboard = info.draggingPasteboard();
    if (!pasteboard || !m_drawing)
        return pf::DragOperationNone;
    const QPointF point = convertPointFromView(info.draggingLocation(), nullptr);
    if (objectAcceptingDrop(*m_drawing, *pasteboard, point))
        return pf::DragOperationCopy;
    switch (dropKindOf(*pasteboard)) {
    case DropKind::Style:
    case DropKind::Colour:
        return pf::DragOperationNone;
    case DropKind::Drawables:
    case DropKind::Files:
        return std::dynamic_pointer_cast<PWObjectDrawingLayer>(activeLayer()) ? pf::DragOperationCopy
                                                                               : pf::DragOperationNone;
    case DropKind::None: break;
    }
    return pf::DragOperationNone;
}

bool PWDrawingView::performDragOperation(const pf::DraggingInfo& info)
{
    pf::Ref<pf::Pasteboard> pasteboard = info.draggingPasteboard();
    bool done = false;
    if (pasteboard && m_drawing) {
        const QPointF point = convertPointFromView(info.draggingLocation(), nullptr);
        auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(activeLayer());
        // The object under the point handles the types its class accepts (styles, colours, and
        // whatever a subclass takes); the rest are drops on the layer.
        pf::Ref<PWDrawableObject> target = objectAcceptingDrop(*m_drawing, *pasteboard, point);
        switch (target ? DropKind::None : dropKindOf(*pasteboard)) {
        case DropKind::Style:
        case DropKind::Colour: break;
        case DropKind::Drawables:
            done = layer && PWLayerEditing::paste(*layer, tr("Drop"), point, pasteboard.get());
            break;
        case DropKind::Files: {
            done = layer && layer->performFileDrop(info, point);
            break;
        }
        case DropKind::None: break;
        }
        if (target)
            done = target->performDragOperation(*pasteboard, point);
    }
    if (!done)
        refuseWithBeep();
    return done;
}
