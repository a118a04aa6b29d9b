#include "drawing/PWXSymbolTool.h"

#include "drawing/PWXSymbol.h"
#include "drawing/PWXSymbolManager.h"
#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"

#include <QCoreApplication>
#include <QPixmap>

PF_DEFINE_CLASS(PWXSymbolTool, PWObjectCreationTool)
{
    b.method("setSymbolMaster:", std::function<QVariant(PWXSymbolTool&, const QVariantList&)>(
                                     [](PWXSymbolTool& tool, const QVariantList& args) {
                                         tool.setSymbolMaster(pf::objectCast<PWXSymbolMaster>(args.value(0)));
                                         return QVariant();
                                     }));
    b.method("symbolMaster", std::function<QVariant(PWXSymbolTool&, const QVariantList&)>(
                                 [](PWXSymbolTool& tool, const QVariantList&) {
                                     return tool.symbolMaster()
                                                ? pf::toVariant(std::static_pointer_cast<pf::Object>(tool.symbolMaster()))
                                                : QVariant();
                                 }));
}

PWXSymbolTool::PWXSymbolTool() { setStylePickupEnabled(false); }

PWXSymbolTool::PWXSymbolTool(const pf::Ref<PWXSymbolMaster>& master) : PWXSymbolTool() { setSymbolMaster(master); }

void PWXSymbolTool::setSymbolMaster(const pf::Ref<PWXSymbolMaster>& master) { m_symbolMaster = master; }

pf::Ref<PWDrawableObject> PWXSymbolTool::prototype() const
{
    PF_ASSERT(false, "-prototype method is not used in PWXSymbolTool = use symbolMaster property instead");
    return nullptr;
}

void PWXSymbolTool::setPrototype(pf::Ref<PWDrawableObject> prototype)
{
    setPrototypeMaster(prototype);
}

void PWXSymbolTool::setPrototypeMaster(const pf::Ref<pf::Object>& prototype)
{
    if (!prototype)
        return;
    auto master = std::dynamic_pointer_cast<PWXSymbolMaster>(prototype);
    PF_ASSERT(master, "PWXSymbolTool requires prototype to be a PWXSymbolMaster");
    if (master)
        setSymbolMaster(master);
}

pf::Ref<PWDrawableObject> PWXSymbolTool::objectFromPrototype()
{
    return m_symbolMaster ? m_symbolMaster->symbolWithLocation(QPointF()) : nullptr;
}

pf::Ref<PWStyle> PWXSymbolTool::style() const
{
    if (pf::Ref<PWStyle> shared = styleForCreatedObjects())
        return shared;
    return m_symbolMaster ? m_symbolMaster->style() : nullptr;
}

QCursor PWXSymbolTool::symbolToolCursor()
{
    static const QCursor cursor = [] {
        const QImage image = pf::Bundle::main().imageForResource(QStringLiteral("VNCR_Stamp"));
        return image.isNull() ? QCursor(Qt::CrossCursor) : QCursor(QPixmap::fromImage(image), 6, 23);
    }();
    return cursor;
}

QCursor PWXSymbolTool::cursor() const { return symbolToolCursor(); }

int PWXSymbolTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject*, PWLayer* layer, const PWToolEvent& event,
                                    PWToolUndoDelegate*)
{
    PF_ASSERT(layer, "layer in symbol creation tool mouse down was nil");
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    PF_ASSERT(owner, "unexpected layer class passed to PWXSymbolTool, expected PWObjectOwnerLayer, got %s",
              layer ? qPrintable(layer->objClass().name()) : "nil");
    endGesture();
    if (!owner)
        return 0;
    // Nothing to place: say so rather than fail.
    if (!m_symbolMaster) {
        pf::Application::beep();
        return 0;
    }
    m_targetPath.reset();
    m_gestureLayer = owner->ref<PWLayer>();
    RVUndoManager* undo = owner->undoManager();
    if (undo) {
        undo->disableUndoRegistration();
        m_undoDisabledByGesture = true;
    }
    try {
        double prescale = 1.0;
        if (PWDrawing* drawing = owner->drawing())
            if (pf::Ref<pf::Object> document = drawing->owner(); document && document->respondsTo("prescale"))
                prescale = document->valueForKey("prescale").toDouble();
        if (!std::isfinite(prescale) || prescale <= 0.0)
            prescale = 1.0;
        pf::Ref<PWXSymbol> symbol = m_symbolMaster->symbolWithLocation(QPointF(), prescale);
        PF_ASSERT(symbol, "could not create a symbol instance, master = %s", qPrintable(m_symbolMaster->description()));
        setObjectBeingCreated(symbol);
        owner->addObjectPendingCreation(symbol);
        owner->deselectAll();
        symbol->setLocation(owner->snappedMousePoint(point, symbol.get(), false));
        Q_UNUSED(event);
    } catch (...) {
        pf::Application::beep();
        endGesture();
        throw;
    }
    return 0;
}

void PWXSymbolTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent&,
                                        PWToolUndoDelegate*)
{
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    pf::Ref<PWDrawableObject> pending = objectBeingCreated();
    if (!owner || !pending || owner != m_gestureLayer.lock().get())
        return;
    owner->deselectAll();
    pending->setAngle(0.0);
    pending->setLocation(owner->snappedMousePoint(point, pending.get(), false));
}

bool PWXSymbolTool::mouseUpAtPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                   PWToolUndoDelegate*)
{
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    auto pending = std::dynamic_pointer_cast<PWXSymbol>(objectBeingCreated());
    if (!owner || !pending || owner != m_gestureLayer.lock().get()) {
        endGesture();
        return false;
    }
    const bool detached = (m_symbolMaster && m_symbolMaster->autoDetachesInstances()) || event.optionKey();
    pf::Ref<PWDrawableObject> placed = detached ? pending->mutableCopyOfMasterObject() : pending;
    if (!placed) {
        endGesture();
        return false;
    }
    if (RVUndoManager* undo = owner->undoManager(); undo && m_undoDisabledByGesture) {
        undo->enableUndoRegistration();
        m_undoDisabledByGesture = false;
    }
    placed->setLocation(owner->snappedMousePoint(point, placed.get(), false));
    if (detached) {
        owner->removePendingObject();
        owner->addObjectPendingCreation(placed);
    }
    owner->commitPendingObjectWithUndoActionName(QString());
    owner->replaceSelectionWithObject(placed);
    if (RVUndoManager* undo = owner->undoManager())
        undo->setActionName(QCoreApplication::translate("PWXSymbolTool", "Place Clip-Art"));
    if (placed->respondsTo("symbolInstanceWasPlaced:"))
        placed->perform("symbolInstanceWasPlaced:", {});
    setObjectBeingCreated(nullptr);
    m_gestureLayer.reset();
    return true;
}

void PWXSymbolTool::toolControllerWillUnsetTool(PWToolController&) { endGesture(); }

void PWXSymbolTool::endGesture()
{
    pf::Ref<PWLayer> layer = m_gestureLayer.lock();
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer.get());
    pf::Ref<PWDrawableObject> pending = objectBeingCreated();
    if (owner && pending && owner->pendingObject() == pending)
        owner->removePendingObject();
    if (m_undoDisabledByGesture) {
        if (RVUndoManager* undo = owner ? owner->undoManager() : nullptr)
            undo->enableUndoRegistration();
        m_undoDisabledByGesture = false;
    }
    setObjectBeingCreated(nullptr);
    m_gestureLayer.reset();
}

std::optional<QByteArray> PWXSymbolTool::persistentData() const
{
    if (!m_symbolMaster)
        return std::nullopt;
    return m_symbolMaster->uniqueKey().toUtf8();
}

bool PWXSymbolTool::shouldLoadPersistentData(const QByteArray& data)
{
    PF_ASSERT(!data.isNull(), "data was nil");
    const QString key = QString::fromUtf8(data.constData());
    // A master no longer registered keeps the one the tool has (the default master), so the
    // stamp still places something.
    if (pf::Ref<PWXSymbolMaster> master = PWXSymbolManager::registeredSymbolForKey(key))
        setSymbolMaster(master);
    return true;
}
