#pragma once

#include "platform/foundation/Object.h"

#include <QByteArray>
#include <QCursor>
#include <QHash>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariantMap>

#include <optional>

class PWDrawableObject;
class PWDrawingTool;
class PWLayer;
class PWToolController;
class PWToolView;
class QPainter;

// Posted with an object that answers the key "drawingTool" (a tool controller, or the tool
// itself when no controller exists) whenever the current tool changes.
inline const QString kPWDidChangeToolNotification = QStringLiteral("kPWDidChangeToolNotification");

// One mouse or key event as tools see it: the point in drawing coordinates, the modifiers
// (Qt's; the platform's mapping applies: Qt Control is Command, Qt Meta is Control, Qt Alt is
// Option), the click count and the view the event happened in.
struct PWToolEvent {
    QPointF point;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    int clickCount = 1;
    PWToolView* view = nullptr;

    bool shiftKey() const { return modifiers.testFlag(Qt::ShiftModifier); }
    bool optionKey() const { return modifiers.testFlag(Qt::AltModifier); }
    bool commandKey() const { return modifiers.testFlag(Qt::ControlModifier); }
    // The platform Control key: reverses grid snapping and suspends the other snapping.
    bool controlKey() const { return modifiers.testFlag(Qt::MetaModifier); }
};

// Told around every undoable edit a tool makes during a mouse gesture; the tool controller
// passes itself so that the edit lands in one named undo step. Both are optional.
class PWToolUndoDelegate {
public:
    virtual ~PWToolUndoDelegate() = default;
    virtual void toolWillPerformUndoableAction(PWDrawingTool& tool) {}
    virtual void toolDidPerformUndoableAction(PWDrawingTool& tool) {}
};

// A tool of the drawing view: receives the mouse gestures the tool controller routes to it
// and turns them into edits of the active layer. Tools live in the shared registry
// (PWToolRegistry) under their names; one instance serves every view.
//
// The mouse protocol: mouseDownAtPoint answers a part code (0 for none) that the controller
// hands back with each drag and the mouse up; mouseUpAtPoint answers whether the gesture did
// the tool's job (the controller reverts a non-sticky tool to the selection tool only then).
class PWDrawingTool : public pf::Object {
    PF_CLASS(PWDrawingTool)
public:
    PWDrawingTool();
    ~PWDrawingTool() override;

    // Registry ---------------------------------------------------------------------------------

    // Registers `tool` under `name` in the shared registry, which keeps it. A tool already
    // registered elsewhere keeps its first name; an empty name or a null tool is refused
    // (false). Registering another tool under a taken name replaces the old one.
    static bool registerDrawingTool(const pf::Ref<PWDrawingTool>& tool, const QString& name);
    // The tool registered under `name`, or null.
    static pf::Ref<PWDrawingTool> drawingToolWithName(const QString& name);
    // The framework's standard selection tool (registered as "Select").
    static pf::Ref<PWDrawingTool> selectionTool();
    // Stores every registered tool's settings and persistent data in the user defaults; the
    // registry loads them back when a tool is registered.
    static void saveDefaults();

    // The name the tool was registered under, empty before registration.
    QString registeredName() const { return m_registeredName; }
    // A single character and its modifiers; empty when none.
    QString keyboardEquivalent() const { return m_keyEquivalent; }
    Qt::KeyboardModifiers keyboardEquivalentModifiers() const { return m_keyEquivalentModifiers; }
    void setKeyboardEquivalent(const QString& key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // Becoming current --------------------------------------------------------------------------

    // Makes the tool current in every tool controller (and the tool new controllers start
    // with), then posts kPWDidChangeToolNotification.
    void set();
    // The tool made current last by set(), or null.
    static pf::Ref<PWDrawingTool> sharedCurrentTool();

    // The undo action name of the tool's edits: the stored one, else defaultActionName().
    virtual QString actionName() const;
    void setActionName(const QString& name) { m_actionName = name; }
    virtual QString defaultActionName() const;

    // Cursors: cursor() is the hook; cursorForModifiers prefers one set for exactly those
    // modifiers with setCursor.
    virtual QCursor cursor() const;
    void setCursor(const QCursor& cursor, Qt::KeyboardModifiers modifiers);
    QCursor cursorForModifiers(Qt::KeyboardModifiers modifiers) const;

    // Tool protocol (hooks) ------------------------------------------------------------------------

    virtual int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer,
                                 const PWToolEvent& event, PWToolUndoDelegate* delegate);
    virtual void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                                     PWToolUndoDelegate* delegate);
    virtual bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                                PWToolUndoDelegate* delegate);
    // A key while the tool is current; true when the tool used it (Return and Escape end a
    // path under construction, for instance).
    virtual bool keyDown(int qtKey, const PWToolEvent& event, PWLayer* layer) { return false; }
    virtual void flagsChanged(const PWToolEvent& event, PWLayer* layer) {}
    // The mouse moved with no button down (tools that build a shape click by click follow
    // the pointer with the next edge).
    virtual void mouseMovedToPoint(const QPointF& point, PWLayer* layer, const PWToolEvent& event) {}
    virtual void toolControllerDidSetTool(PWToolController& controller) {}
    virtual void toolControllerWillUnsetTool(PWToolController& controller) {}
    // Whether the tool can work on `layer`: by default a visible, unlocked object drawing layer.
    virtual bool isValidTargetLayer(const PWLayer* layer) const;
    // True while a gesture spans several mouse downs (a path being clicked together).
    virtual bool isGestureInProgress() const { return false; }
    // The selection tool answers true; it never reverts to itself.
    virtual bool isSelectionTool() const { return false; }
    // Feedback drawn over the drawing (a marquee, a rubber band), in drawing coordinates;
    // `scale` converts screen units to drawing units by division.
    virtual void drawToolFeedback(QPainter& painter, const QRectF& drawingRect, double scale) const {}

    // Persistence ----------------------------------------------------------------------------------

    // Data stored with the tool's settings, or none.
    virtual std::optional<QByteArray> persistentData() const { return std::nullopt; }
    // Restores data from persistentData; false when it could not be used.
    virtual bool shouldLoadPersistentData(const QByteArray& data) { return false; }
    // The tool's own settings (plist-compatible values) and their restoration; the base stores
    // the action name when one is set.
    virtual QVariantMap toolSettings() const;
    virtual void applyToolSettings(const QVariantMap& settings);

private:
    friend class PWToolRegistry;
    QString m_registeredName;
    QString m_keyEquivalent;
    Qt::KeyboardModifiers m_keyEquivalentModifiers = Qt::NoModifier;
    QString m_actionName;
    QHash<int, QCursor> m_modifierCursors;
};
