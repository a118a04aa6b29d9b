#pragma once

#include <QPointF>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QEvent;
class QWidget;

namespace pf {

class TrackingArea;

// Event types with the platform's numbering; Parts compare and mask them as numbers.
enum EventType : int {
    LeftMouseDown = 1,
    LeftMouseUp = 2,
    RightMouseDown = 3,
    RightMouseUp = 4,
    MouseMoved = 5,
    LeftMouseDragged = 6,
    RightMouseDragged = 7,
    MouseEntered = 8,
    MouseExited = 9,
    KeyDown = 10,
    KeyUp = 11,
    FlagsChanged = 12,
    AppKitDefined = 13,
    SystemDefined = 14,
    ApplicationDefined = 15,
    Periodic = 16,
    CursorUpdate = 17,
    ScrollWheel = 22,
    OtherMouseDown = 25,
    OtherMouseUp = 26,
    OtherMouseDragged = 27,
};

// Subtype of an AppKitDefined event sent when the application stops being active.
inline constexpr short kApplicationDeactivatedEventSubtype = 2;

// Event masks: one bit per type.
using EventMask = unsigned long long;
constexpr EventMask eventMaskFromType(int type) { return 1ull << type; }
inline constexpr EventMask kAnyEventMask = ~0ull;

// Modifier flags with the platform's bit values.
enum ModifierFlag : unsigned {
    AlphaShiftKeyMask = 1u << 16,
    ShiftKeyMask = 1u << 17,
    ControlKeyMask = 1u << 18,
    AlternateKeyMask = 1u << 19, // Option
    CommandKeyMask = 1u << 20,
    NumericPadKeyMask = 1u << 21,
    FunctionKeyMask = 1u << 23,
    DeviceIndependentModifierFlagsMask = 0xffff0000u,
};

// Qt's modifiers as platform flags and back: Qt Control is Command, Qt Meta is Control,
// Qt Alt is Option, Shift is Shift, the keypad flag is the numeric-pad flag.
unsigned modifierFlagsFromQt(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers qtModifiersFromFlags(unsigned flags);

// Characters the platform gives keys that type nothing (arrows, page keys, function keys).
enum FunctionKeyCharacter : char16_t {
    UpArrowFunctionKey = 0xF700,
    DownArrowFunctionKey = 0xF701,
    LeftArrowFunctionKey = 0xF702,
    RightArrowFunctionKey = 0xF703,
    F1FunctionKey = 0xF704,
    DeleteFunctionKey = 0xF728, // forward delete
    HomeFunctionKey = 0xF729,
    EndFunctionKey = 0xF72B,
    PageUpFunctionKey = 0xF72C,
    PageDownFunctionKey = 0xF72D,
    DeleteCharacter = 0x7F, // backspace
    EscapeCharacter = 0x1B,
    CarriageReturnCharacter = 0x0D,
    EnterCharacter = 0x03,
    TabCharacter = 0x09,
    BackTabCharacter = 0x19,
};

// Virtual key codes of the keys Parts test by code.
enum VirtualKeyCode : unsigned short {
    kVK_Return = 36,
    kVK_Tab = 48,
    kVK_Space = 49,
    kVK_Delete = 51,
    kVK_Escape = 53,
    kVK_ANSI_KeypadEnter = 76,
    kVK_Home = 115,
    kVK_PageUp = 116,
    kVK_ForwardDelete = 117,
    kVK_End = 119,
    kVK_PageDown = 121,
    kVK_LeftArrow = 123,
    kVK_RightArrow = 124,
    kVK_DownArrow = 125,
    kVK_UpArrow = 126,
    kVK_Unknown = 0xFFFF,
};

// One input event in the platform's terms. Locations are in window coordinates: the window's
// content area with the origin at its bottom-left and y growing upwards. Drag deltas follow the
// platform too: deltaY grows as the pointer moves down the screen. Scroll deltas: one wheel
// notch is 1.0, positive deltaY scrolls away from the user.
struct Event {
    int type = 0;
    short subtype = 0;
    unsigned modifierFlags = 0;
    QPointF locationInWindow;
    QPointer<QWidget> window; // the top-level widget the event belongs to
    int windowNumber = 0;
    double timestamp = 0; // seconds since the application started, monotonic
    int eventNumber = 0;
    int clickCount = 0;
    double pressure = 0;
    double deltaX = 0;
    double deltaY = 0;
    double deltaZ = 0;
    double scrollingDeltaX = 0;
    double scrollingDeltaY = 0;
    bool hasPreciseScrollingDeltas = false;
    QString characters;
    QString charactersIgnoringModifiers;
    unsigned short keyCode = 0;
    int qtKey = 0; // the Qt::Key the event came from, for key events
    bool isARepeat = false;
    int buttonNumber = 0; // 0 left, 1 right, 2 and up other buttons
    // Entered, exited and cursor-update events name the tracking area and its user info.
    std::shared_ptr<TrackingArea> trackingArea;
    QVariant userData;
    // The Qt event this one was made from and where it was going, kept when the event queue
    // holds it back so that it can be delivered later (EventQueue::dispatch).
    std::shared_ptr<const QEvent> qtEvent;
    QPointer<QObject> qtReceiver;

    EventMask mask() const { return eventMaskFromType(type); }
    bool isMouseEventType() const;
    static bool isMouseEventType(int type);

    // Makes a mouse event as a tracking loop or a synthetic mouse-up needs it.
    static Event mouseEvent(int type, QPointF location, unsigned flags, double timestamp,
                            int windowNumber, int eventNumber, int clickCount, double pressure);
    static Event keyEvent(int type, QPointF location, unsigned flags, double timestamp,
                          int windowNumber, const QString& characters,
                          const QString& charactersIgnoringModifiers, bool isARepeat,
                          unsigned short keyCode);
    static Event otherEvent(int type, QPointF location, unsigned flags, double timestamp,
                            int windowNumber, short subtype);

    // Translates a Qt input event delivered to `receiver`. Mouse, wheel, key (modifier keys
    // alone become FlagsChanged), enter and leave events translate; anything else does not.
    // Click counts and drag deltas come from the events seen before.
    static std::optional<Event> fromQt(const QEvent* event, QWidget* receiver);

    // While `qtEvent` is delivered again, fromQt answers `event` for it instead of translating
    // anew, so click counts and drag deltas are not counted twice. Null ends it.
    static void setReplayed(const QEvent* qtEvent, const Event* event);

    // The input event being handled (the last translated one); null outside event handling.
    static const Event* current();
    static void setCurrent(const std::optional<Event>& event);

    // State outside the event stream: the modifier keys held now, the pointer in screen
    // coordinates (origin bottom-left of the main screen, y up), the buttons held now
    // (bit 0 left, bit 1 right, bit 2 middle).
    static unsigned currentModifierFlags();
    static QPointF mouseLocation();
    static unsigned pressedMouseButtons();

    // Seconds since the application started on the clock timestamps use.
    static double now();
    // The number of the window that `widget` belongs to (its top-level widget), given once.
    static int windowNumberFor(const QWidget* widget);
    // A top-level widget's point (Qt coordinates) in window coordinates and back.
    static QPointF windowPointFromQt(const QWidget* topLevel, QPointF qtPoint);
    static QPointF qtPointFromWindow(const QWidget* topLevel, QPointF windowPoint);
    // Global Qt coordinates to screen coordinates and back: the main screen's height flips y.
    static QPointF screenPointFromGlobal(QPointF global);
    static QPointF globalPointFromScreen(QPointF screen);
};

// The command a key event stands for when a view interprets it: "moveLeft:", "moveRight:",
// "moveUp:", "moveDown:", "pageUp:", "pageDown:", "insertTab:", "insertBacktab:",
// "insertNewline:", "cancelOperation:", "deleteBackward:", "deleteForward:"; empty when the key
// types text (then `text` gets the text) or means nothing.
QString keyBindingSelector(const Event& event, QString* text = nullptr);

} // namespace pf
