#pragma once

#include "frameworks/penwork/tools/PWObjectCreationTool.h"

#include <QCursor>
#include <QString>

class PWDrawablePath;
class PWXSymbolMaster;

// The clip-art stamp: each click on an object layer places the tool's symbol master at the
// clicked point, as an instance, or as a plain copy of the master's drawable when the master
// detaches its instances or Option is held. Registered as "Clip-Art Stamp".
class PWXSymbolTool : public PWObjectCreationTool {
    PF_CLASS(PWXSymbolTool)
public:
    static inline const QString kToolName = QStringLiteral("Clip-Art Stamp");

    PWXSymbolTool();
    explicit PWXSymbolTool(const pf::Ref<PWXSymbolMaster>& master);

    pf::Ref<PWXSymbolMaster> symbolMaster() const { return m_symbolMaster; }
    void setSymbolMaster(const pf::Ref<PWXSymbolMaster>& master);

    // The master is the tool's prototype: prototype() is not used, setPrototype takes a master.
    pf::Ref<PWDrawableObject> prototype() const override;
    void setPrototype(pf::Ref<PWDrawableObject> prototype) override;
    void setPrototypeMaster(const pf::Ref<pf::Object>& prototype);
    pf::Ref<PWDrawableObject> objectFromPrototype() override;
    pf::Ref<PWStyle> style() const override;
    QCursor cursor() const override;
    static QCursor symbolToolCursor();

    int mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer, const PWToolEvent& event,
                         PWToolUndoDelegate* delegate) override;
    void mouseDraggedToPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                             PWToolUndoDelegate* delegate) override;
    bool mouseUpAtPoint(const QPointF& point, int partCode, PWLayer* layer, const PWToolEvent& event,
                        PWToolUndoDelegate* delegate) override;
    // A gesture cut short by a tool switch ends with undo on and nothing pending.
    void toolControllerWillUnsetTool(PWToolController& controller) override;
    bool isGestureInProgress() const override { return bool(objectBeingCreated()); }

    // The master's unique key as UTF-8.
    std::optional<QByteArray> persistentData() const override;
    // Sets the master to the registered one for the stored key; an unknown key leaves none.
    bool shouldLoadPersistentData(const QByteArray& data) override;

private:
    // Undoes the pending gesture's changes: nothing pending, undo registration back on.
    void endGesture();

    pf::Ref<PWDrawablePath> m_targetPath;
    bool m_pickedUp = false;
    pf::Ref<PWXSymbolMaster> m_symbolMaster;
    pf::Weak<PWLayer> m_gestureLayer;
    bool m_undoDisabledByGesture = false;
};
