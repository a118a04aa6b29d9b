#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"

#include <QColor>
#include <QCursor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

class QWidget;
class PWDrawing;
class PWDrawingView;
class PWLayerGroup;
class RVUndoManager;

namespace pf {
class GraphicsContext;
class Menu;
class UserInterfaceItem;
}

// The selectors of the standard edit actions a view hands to its drawing's active layer.
inline const QString kPWCutAction = QStringLiteral("cut:");
inline const QString kPWCopyAction = QStringLiteral("copy:");
inline const QString kPWPasteAction = QStringLiteral("paste:");
inline const QString kPWDeleteAction = QStringLiteral("delete:");
inline const QString kPWSelectAllAction = QStringLiteral("selectAll:");

// Notifications of layers (object: the layer).
inline const QString kPWLayerSelectionDidChange = QStringLiteral("kPWLayerSelectionDidChange");
inline const QString kPWLayerDidAddObject = QStringLiteral("kPWLayerDidAddObject");
inline const QString kPWLayerDidRemoveObject = QStringLiteral("kPWLayerDidRemoveObject");
inline const QString kPWLayerDidReorderObjects = QStringLiteral("kPWLayerDidReorderObjects");
inline const QString kPWLayerDidChangeSnapToObjects = QStringLiteral("kPWLayerDidChangeSnapToObjects");

// One layer of a drawing: a named, lockable, hideable plane drawn with its own opacity. The
// layer belongs to a layer group (its parent, held weakly); its drawing is the PWDrawing at the
// root of that chain. Every property is reachable by key ("layerName", "locked", "visible",
// "alpha", "selectionColour"), observable, and records its undo with the drawing's undo manager.
//
// Subclasses override the hooks to draw, to hit test, to handle the mouse themselves
// (implementsOwnTools) and to refuse deletion, renaming or activation. Archiving writes the
// layer's keys first; subclasses append theirs after calling the base.
class PWLayer : public pf::Object, public pf::Coding {
    PF_CLASS(PWLayer)
public:
    PWLayer();
    ~PWLayer() override;

    // The colours handed out to new layers as selection colours, one after another in turn.
    static void setSelectionColours(const QList<QColor>& colours);
    static QList<QColor> selectionColours();

    // Properties. Setting an equal value does nothing.
    virtual QString layerName() const { return m_name; }
    void setLayerName(const QString& name);
    bool locked() const { return m_locked; }
    void setLocked(bool locked);
    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    // 0 to 1; other values are clamped, NaN is refused.
    double alpha() const { return m_alpha; }
    void setAlpha(double alpha);
    // The colour selected objects of the layer are outlined in; invalid means none. By key it
    // travels as a Ref<pf::Color> (nil for none). Virtual, since object layers answer it to
    // their drawables as well.
    virtual QColor selectionColour() const { return m_selectionColour; }
    void setSelectionColour(const QColor& colour);

    // The drawing at the root of this layer's group chain (the layer itself for a drawing), or
    // null while the layer belongs to none.
    virtual PWDrawing* drawing() const;
    // The containing group, null at the top level.
    pf::Ref<PWLayerGroup> layerGroup() const { return m_group.lock(); }
    // The nesting depth: 0 for a layer directly in the drawing (and for the drawing itself).
    int level() const;
    // Whether the layer is its drawing's active layer.
    bool isActiveLayer() const;

    // Hooks.
    virtual bool allowsRenaming() const { return true; }
    virtual bool layerMayBeDeleted() const { return true; }
    virtual bool layerMayBecomeActive() const { return !locked(); }
    // Asks the drawing to make this layer active; true when it is the active layer afterwards.
    bool attemptToMakeActive();
    virtual void layerDidBecomeActiveLayer();
    virtual void layerDidResignActiveLayer();

    virtual bool implementsOwnTools() const { return false; }
    virtual void mouseDown(const QPointF& point, Qt::KeyboardModifiers modifiers, QWidget* view) {}
    virtual void mouseDragged(const QPointF& point, Qt::KeyboardModifiers modifiers, QWidget* view) {}
    virtual void mouseUp(const QPointF& point, Qt::KeyboardModifiers modifiers, QWidget* view) {}

    // Draws what of the layer falls in `rect` (model coordinates) into `context`. The caller has
    // applied the layer's opacity and skipped it when invisible.
    virtual void drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting) {}
    virtual bool hitLayer(const QPointF& point) const { return false; }
    virtual bool shouldAutoActivateWithEvent(const QPointF& point, Qt::KeyboardModifiers modifiers) const
    {
        return false;
    }
    virtual QCursor cursor() const { return QCursor(Qt::ArrowCursor); }

    // The contextual menu for a click at `point` (drawing coordinates) in `view`: the standard
    // edit items the layer would perform now, or null when it would perform none.
    virtual pf::Ref<pf::Menu> menuForEvent(const QPointF& point, QWidget* view);

    // The standard edit actions, sent by the view to the active layer. `actionName` names the
    // undo step (empty: a default name); each answers whether it did anything. The base layer
    // has nothing to edit and does nothing.
    virtual bool editCut(const QString& actionName) { return false; }
    virtual bool editCopy() { return false; }
    // With `point` (drawing coordinates) the pasted objects are placed there.
    virtual bool editPaste(const QString& actionName, std::optional<QPointF> point = std::nullopt) { return false; }
    virtual bool editDelete(const QString& actionName) { return false; }
    virtual bool editSelectAll(const QString& actionName) { return false; }
    // Whether the action of `item` (one of the edit actions above, or one the subclass
    // handles) would do something now; false for actions the layer does not handle.
    virtual bool validateMenuItem(pf::UserInterfaceItem& item) const;
    // Whether the layer handles the action `selector` at all.
    virtual bool handlesAction(const QString& selector) const;
    // Performs the action `selector` (as validated above) with the sender's title as the undo
    // name; false when not handled or nothing happened.
    virtual bool performAction(const QString& selector, const QString& actionName);

    // The drawing view the layer is shown in: the view of the drawing's first controller that
    // is a drawing view, or null.
    PWDrawingView* currentView() const;
    virtual bool shouldDrawToPrinter() const { return true; }
    // The layer alone as PDF, on a page the size of its drawing.
    QByteArray pdf();

    // Redisplay through the drawing's view controllers.
    virtual void setNeedsDisplay(bool needsDisplay);
    void setNeedsDisplayInRect(const QRectF& rect);
    void updateRulerMarkersForRect(const QRectF& rect);
    void hideRulerMarkers();

    // The drawing's undo manager, or null while the layer has no drawing.
    virtual RVUndoManager* undoManager() const;

    // A copy of the layer (an archive round trip), not in any group; null for layers that
    // cannot be duplicated (respondsTo("duplicateLayer") answers false for them).
    virtual pf::Ref<PWLayer> duplicateLayer() const;
    virtual qint64 countOfObjects() const { return 0; }

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;
    QString description() const override;

    // Colours by key travel as Ref<pf::Color>, nil for none; a QColor value is accepted too.
    static QVariant colourValue(const QColor& colour);
    static QColor colourFromValue(const QVariant& value);

protected:
    // Called by the group that takes the layer in or lets it go.
    friend class PWLayerGroup;
    void setLayerGroup(const pf::Ref<PWLayerGroup>& group) { m_group = group; }

    // Redisplays the whole layer when it belongs to a drawing.
    void redisplay() { setNeedsDisplay(true); }

private:
    QString m_name;
    bool m_locked = false;
    bool m_visible = true;
    double m_alpha = 1.0;
    QColor m_selectionColour;
    pf::Weak<PWLayerGroup> m_group;
};
