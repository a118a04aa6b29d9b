#include "platform/ui/Event.h"

#include "platform/ui/Screen.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWheelEvent>
#include <QWidget>

#include <cmath>

namespace pf {

namespace {

QElapsedTimer& clock()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}
// Starts the clock when the library loads, so timestamps count from the program's start.
[[maybe_unused]] const bool clockStarted = (clock(), true);

// What the translator remembers between events: clicks for click counts, the last pointer
// position for drag deltas.
struct TranslatorState {
    int lastButton = -1;
    double lastPressTime = -1e9;
    QPointF lastPressGlobal;
    int clickCount = 0;
    // The press last counted, to know it again when Qt hands it on to the parent of a view
    // that left it unhandled: the same press, not another click.
    quint64 lastPressQtTimestamp = 0;
    bool releasedSincePress = true;
    QPointF lastGlobal;
    bool haveLastGlobal = false;
    int eventNumber = 0;
};

TranslatorState& state()
{
    static TranslatorState s;
    return s;
}

std::optional<Event>& currentEvent()
{
    static std::optional<Event> event;
    return event;
}

int buttonIndex(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 0;
    case Qt::RightButton: return 1;
    case Qt::MiddleButton: return 2;
    default: {
        int n = 0;
        for (unsigned b = unsigned(button); b > 1; b >>= 1)
            ++n;
        return n;
    }
    }
}

int mouseType(int button, int leftType, int rightType, int otherType)
{
    return button == 0 ? leftType : button == 1 ? rightType : otherType;
}

// The button a drag follows: the left one first, as the platform reports drags.
int draggedButton(Qt::MouseButtons buttons)
{
    if (buttons & Qt::LeftButton)
        return 0;
    if (buttons & Qt::RightButton)
        return 1;
    return 2;
}

struct KeyInfo {
    char16_t character;
    unsigned short code;
};

std::optional<KeyInfo> specialKey(int key)
{
    switch (key) {
    case Qt::Key_Up: return KeyInfo{UpArrowFunctionKey, kVK_UpArrow};
    case Qt::Key_Down: return KeyInfo{DownArrowFunctionKey, kVK_DownArrow};
    case Qt::Key_Left: return KeyInfo{LeftArrowFunctionKey, kVK_LeftArrow};
    case Qt::Key_Right: return KeyInfo{RightArrowFunctionKey, kVK_RightArrow};
    case Qt::Key_PageUp: return KeyInfo{PageUpFunctionKey, kVK_PageUp};
    case Qt::Key_PageDown: return KeyInfo{PageDownFunctionKey, kVK_PageDown};
    case Qt::Key_Home: return KeyInfo{HomeFunctionKey, kVK_Home};
    case Qt::Key_End: return KeyInfo{EndFunctionKey, kVK_End};
    case Qt::Key_Delete: return KeyInfo{DeleteFunctionKey, kVK_ForwardDelete};
    case Qt::Key_Backspace: return KeyInfo{DeleteCharacter, kVK_Delete};
    case Qt::Key_Escape: return KeyInfo{EscapeCharacter, kVK_Escape};
    case Qt::Key_Return: return KeyInfo{CarriageReturnCharacter, kVK_Return};
    case Qt::Key_Enter: return KeyInfo{EnterCharacter, kVK_ANSI_KeypadEnter};
    case Qt::Key_Tab: return KeyInfo{TabCharacter, kVK_Tab};
    case Qt::Key_Backtab: return KeyInfo{BackTabCharacter, kVK_Tab};
    case Qt::Key_Space: return KeyInfo{u' ', kVK_Space};
    default: break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return KeyInfo{char16_t(F1FunctionKey + (key - Qt::Key_F1)), kVK_Unknown};
    return std::nullopt;
}

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return true;
    default:
        return false;
    }
}

QWidget* topLevelOf(QWidget* widget)
{
    return widget ? widget->window() : nullptr;
}

QPointF windowLocation(QWidget* receiver, QPointF localQt)
{
    QWidget* top = topLevelOf(receiver);
    if (!top)
        return localQt;
    return Event::windowPointFromQt(top, receiver->mapTo(top, localQt));
}

QPointF windowLocationOfCursor(QWidget* receiver)
{
    QWidget* top = topLevelOf(receiver);
    if (!top)
        return {};
    return Event::windowPointFromQt(top, top->mapFromGlobal(QPointF(QCursor::pos())));
}

void fillCommon(Event& e, QWidget* receiver, unsigned flags)
{
    e.modifierFlags = flags;
    e.window = topLevelOf(receiver);
    e.windowNumber = Event::windowNumberFor(receiver);
    e.timestamp = Event::now();
    e.eventNumber = ++state().eventNumber;
}

} // namespace

unsigned modifierFlagsFromQt(Qt::KeyboardModifiers modifiers)
{
    unsigned flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= ShiftKeyMask;
    if (modifiers & Qt::ControlModifier)
        flags |= CommandKeyMask;
    if (modifiers & Qt::MetaModifier)
        flags |= ControlKeyMask;
    if (modifiers & Qt::AltModifier)
        flags |= AlternateKeyMask;
    if (modifiers & Qt::KeypadModifier)
        flags |= NumericPadKeyMask;
    return flags;
}

Qt::KeyboardModifiers qtModifiersFromFlags(unsigned flags)
{
    Qt::KeyboardModifiers modifiers;
    if (flags & ShiftKeyMask)
        modifiers |= Qt::ShiftModifier;
    if (flags & CommandKeyMask)
        modifiers |= Qt::ControlModifier;
    if (flags & ControlKeyMask)
        modifiers |= Qt::MetaModifier;
    if (flags & AlternateKeyMask)
        modifiers |= Qt::AltModifier;
    if (flags & NumericPadKeyMask)
        modifiers |= Qt::KeypadModifier;
    return modifiers;
}

bool Event::isMouseEventType(int type)
{
    switch (type) {
    case LeftMouseDown:
    case LeftMouseUp:
    case RightMouseDown:
    case RightMouseUp:
    case LeftMouseDragged:
    case RightMouseDragged:
    case OtherMouseDown:
    case OtherMouseUp:
    case OtherMouseDragged:
        return true;
    default:
        return false;
    }
}

bool Event::isMouseEventType() const
{
    return isMouseEventType(type);
}

namespace {

// The fields every kind of event carries.
Event baseEvent(int type, QPointF location, unsigned flags, double timestamp, int windowNumber)
{
    Event e;
    e.type = type;
    e.locationInWindow = location;
    e.modifierFlags = flags;
    e.timestamp = timestamp;
    e.windowNumber = windowNumber;
    return e;
}

} // namespace

Event Event::mouseEvent(int type, QPointF location, unsigned flags, double timestamp,
                        int windowNumber, int eventNumber, int clickCount, double pressure)
{
    Event e = baseEvent(type, location, flags, timestamp, windowNumber);
    e.eventNumber = eventNumber;
    e.clickCount = clickCount;
    e.pressure = pressure;
    e.buttonNumber = (type == RightMouseDown || type == RightMouseUp || type == RightMouseDragged) ? 1
        : (type == OtherMouseDown || type == OtherMouseUp || type == OtherMouseDragged)            ? 2
                                                                                                     : 0;
    return e;
}

Event Event::keyEvent(int type, QPointF location, unsigned flags, double timestamp, int windowNumber,
                      const QString& characters, const QString& charactersIgnoringModifiers,
                      bool isARepeat, unsigned short keyCode)
{
    Event e = baseEvent(type, location, flags, timestamp, windowNumber);
    e.characters = characters;
    e.charactersIgnoringModifiers = charactersIgnoringModifiers;
    e.isARepeat = isARepeat;
    e.keyCode = keyCode;
    return e;
}

Event Event::otherEvent(int type, QPointF location, unsigned flags, double timestamp, int windowNumber,
                        short subtype)
{
    Event e = baseEvent(type, location, flags, timestamp, windowNumber);
    e.subtype = subtype;
    return e;
}

namespace {

struct Replay {
    const QEvent* qtEvent = nullptr;
    const Event* event = nullptr;
};

Replay& replay()
{
    static Replay r;
    return r;
}

} // namespace

void Event::setReplayed(const QEvent* qtEvent, const Event* event)
{
    replay() = qtEvent && event ? Replay{qtEvent, event} : Replay{};
}

std::optional<Event> Event::fromQt(const QEvent* event, QWidget* receiver)
{
    if (!event)
        return std::nullopt;
    if (replay().qtEvent == event) {
        Event replayed = *replay().event;
        // As the receiver sees it: its own window, the queue's copies left out.
        replayed.qtEvent.reset();
        replayed.qtReceiver = nullptr;
        return replayed;
    }
    TranslatorState& s = state();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        const auto* me = static_cast<const QMouseEvent*>(event);
        Event e;
        fillCommon(e, receiver, modifierFlagsFromQt(me->modifiers()));
        e.locationInWindow = windowLocation(receiver, me->position());
        const QPointF global = me->globalPosition();
        if (s.haveLastGlobal) {
            e.deltaX = global.x() - s.lastGlobal.x();
            e.deltaY = global.y() - s.lastGlobal.y();
        }
        s.lastGlobal = global;
        s.haveLastGlobal = true;
        if (event->type() == QEvent::MouseMove) {
            if (me->buttons() == Qt::NoButton) {
                e.type = MouseMoved;
            } else {
                e.buttonNumber = draggedButton(me->buttons());
                e.type = mouseType(e.buttonNumber, LeftMouseDragged, RightMouseDragged, OtherMouseDragged);
                e.pressure = 1.0;
            }
            e.clickCount = 0;
            if (e.type != MouseMoved)
                e.clickCount = s.clickCount;
            return e;
        }
        e.buttonNumber = buttonIndex(me->button());
        if (event->type() == QEvent::MouseButtonRelease) {
            s.releasedSincePress = true;
            e.type = mouseType(e.buttonNumber, LeftMouseUp, RightMouseUp, OtherMouseUp);
            e.clickCount = e.buttonNumber == s.lastButton ? s.clickCount : 1;
            return e;
        }
        e.type = mouseType(e.buttonNumber, LeftMouseDown, RightMouseDown, OtherMouseDown);
        const double interval = QGuiApplication::styleHints()->mouseDoubleClickInterval() / 1000.0;
        const double distance = QGuiApplication::styleHints()->startDragDistance();
        const QPointF moved = global - s.lastPressGlobal;
        const bool continues = e.buttonNumber == s.lastButton && e.timestamp - s.lastPressTime <= interval
            && std::abs(moved.x()) <= distance && std::abs(moved.y()) <= distance;
        // Qt hands a press on as a copy (its own time and place kept) with no release between.
        const bool passedOn = !s.releasedSincePress && me->timestamp() == s.lastPressQtTimestamp
            && e.buttonNumber == s.lastButton && global == s.lastPressGlobal;
        if (!passedOn)
            s.clickCount = continues ? s.clickCount + 1 : 1;
        s.lastPressQtTimestamp = me->timestamp();
        s.releasedSincePress = false;
        s.lastButton = e.buttonNumber;
        s.lastPressTime = e.timestamp;
        s.lastPressGlobal = global;
        e.clickCount = s.clickCount;
        e.pressure = 1.0;
        return e;
    }
    case QEvent::Wheel: {
        const auto* we = static_cast<const QWheelEvent*>(event);
        Event e;
        fillCommon(e, receiver, modifierFlagsFromQt(we->modifiers()));
        e.type = ScrollWheel;
        e.locationInWindow = windowLocation(receiver, we->position());
        // Qt and the platform agree: positive is away from the user (or to the left).
        e.deltaX = we->angleDelta().x() / 120.0;
        e.deltaY = we->angleDelta().y() / 120.0;
        if (!we->pixelDelta().isNull()) {
            e.hasPreciseScrollingDeltas = true;
            e.scrollingDeltaX = we->pixelDelta().x();
            e.scrollingDeltaY = we->pixelDelta().y();
        } else {
            e.scrollingDeltaX = e.deltaX;
            e.scrollingDeltaY = e.deltaY;
        }
        return e;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* ke = static_cast<const QKeyEvent*>(event);
        Event e;
        fillCommon(e, receiver, modifierFlagsFromQt(ke->modifiers()));
        e.locationInWindow = windowLocationOfCursor(receiver);
        e.qtKey = ke->key();
        if (isModifierKey(ke->key())) {
            // Qt reports the modifiers held before a modifier key changed; the platform
            // reports the state after it.
            unsigned bit = 0;
            switch (ke->key()) {
            case Qt::Key_Shift: bit = ShiftKeyMask; break;
            case Qt::Key_Control: bit = CommandKeyMask; break;
            case Qt::Key_Meta: bit = ControlKeyMask; break;
            case Qt::Key_Alt: bit = AlternateKeyMask; break;
            case Qt::Key_CapsLock: bit = AlphaShiftKeyMask; break;
            default: break;
            }
            if (event->type() == QEvent::KeyPress)
                e.modifierFlags |= bit;
            else
                e.modifierFlags &= ~bit;
            e.type = FlagsChanged;
            return e;
        }
        e.type = event->type() == QEvent::KeyPress ? KeyDown : KeyUp;
        e.isARepeat = ke->isAutoRepeat();
        if (auto special = specialKey(ke->key())) {
            e.characters = QString(QChar(special->character));
            e.charactersIgnoringModifiers = e.characters;
            e.keyCode = special->code;
        } else {
            e.characters = ke->text();
            // Without modifiers: the key's own character, lower case unless Shift is held.
            const int key = ke->key();
            if (key > 0 && key < 0x110000 && QChar::isPrint(char32_t(key))) {
                QString base = QString::fromUcs4(reinterpret_cast<const char32_t*>(&key), 1);
                e.charactersIgnoringModifiers = (ke->modifiers() & Qt::ShiftModifier) ? base : base.toLower();
            } else {
                e.charactersIgnoringModifiers = ke->text();
            }
            e.keyCode = kVK_Unknown;
        }
        return e;
    }
    case QEvent::Enter:
    case QEvent::Leave: {
        Event e;
        fillCommon(e, receiver, modifierFlagsFromQt(QGuiApplication::queryKeyboardModifiers()));
        e.type = event->type() == QEvent::Enter ? MouseEntered : MouseExited;
        if (event->type() == QEvent::Enter)
            e.locationInWindow = windowLocation(receiver, static_cast<const QEnterEvent*>(event)->position());
        else
            e.locationInWindow = windowLocationOfCursor(receiver);
        return e;
    }
    default:
        return std::nullopt;
    }
}

const Event* Event::current()
{
    const auto& event = currentEvent();
    return event ? &*event : nullptr;
}

void Event::setCurrent(const std::optional<Event>& event)
{
    currentEvent() = event;
}

unsigned Event::currentModifierFlags()
{
    return modifierFlagsFromQt(QGuiApplication::queryKeyboardModifiers());
}

QPointF Event::mouseLocation()
{
    return screenPointFromGlobal(QPointF(QCursor::pos()));
}

unsigned Event::pressedMouseButtons()
{
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    unsigned result = 0;
    if (buttons & Qt::LeftButton)
        result |= 1;
    if (buttons & Qt::RightButton)
        result |= 2;
    if (buttons & Qt::MiddleButton)
        result |= 4;
    return result;
}

double Event::now()
{
    return clock().nsecsElapsed() / 1e9;
}

int Event::windowNumberFor(const QWidget* widget)
{
    if (!widget)
        return 0;
    QWidget* top = widget->window();
    static int next = 0;
    const QVariant number = top->property("pfWindowNumber");
    if (number.isValid())
        return number.toInt();
    const int assigned = ++next;
    top->setProperty("pfWindowNumber", assigned);
    return assigned;
}

QPointF Event::windowPointFromQt(const QWidget* topLevel, QPointF qtPoint)
{
    if (!topLevel)
        return qtPoint;
    return {qtPoint.x(), topLevel->height() - qtPoint.y()};
}

QPointF Event::qtPointFromWindow(const QWidget* topLevel, QPointF windowPoint)
{
    if (!topLevel)
        return windowPoint;
    return {windowPoint.x(), topLevel->height() - windowPoint.y()};
}

// The y-flip between Qt's global coordinates and screen coordinates lives in Screen alone.
QPointF Event::screenPointFromGlobal(QPointF global)
{
    return Screen::fromQt(global);
}

QPointF Event::globalPointFromScreen(QPointF screen)
{
    return Screen::toQt(screen);
}

QString keyBindingSelector(const Event& event, QString* text)
{
    if (text)
        text->clear();
    if (event.type != KeyDown || event.characters.isEmpty())
        return {};
    const char16_t c = event.characters.at(0).unicode();
    const bool shift = event.modifierFlags & ShiftKeyMask;
    switch (c) {
    case LeftArrowFunctionKey: return QStringLiteral("moveLeft:");
    case RightArrowFunctionKey: return QStringLiteral("moveRight:");
    case UpArrowFunctionKey: return QStringLiteral("moveUp:");
    case DownArrowFunctionKey: return QStringLiteral("moveDown:");
    case PageUpFunctionKey: return QStringLiteral("pageUp:");
    case PageDownFunctionKey: return QStringLiteral("pageDown:");
    case TabCharacter: return shift ? QStringLiteral("insertBacktab:") : QStringLiteral("insertTab:");
    case BackTabCharacter: return QStringLiteral("insertBacktab:");
    case CarriageReturnCharacter:
    case EnterCharacter: return QStringLiteral("insertNewline:");
    case EscapeCharacter: return QStringLiteral("cancelOperation:");
    case DeleteCharacter: return QStringLiteral("deleteBackward:");
    case DeleteFunctionKey: return QStringLiteral("deleteForward:");
    default: break;
    }
    if (c >= 0xF700 && c <= 0xF8FF)
        return {}; // other function keys type nothing
    // Command or Control chords are shortcuts, not text.
    if (event.modifierFlags & (CommandKeyMask | ControlKeyMask))
        return {};
    bool printable = false;
    for (QChar ch : event.characters)
        printable = printable || ch.isPrint();
    if (printable && text)
        *text = event.characters;
    return {};
}

} // namespace pf
