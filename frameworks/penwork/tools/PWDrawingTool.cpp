#include "frameworks/penwork/tools/PWDrawingTool.h"

#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/tools/PWToolRegistry.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"

namespace {

pf::Weak<PWDrawingTool> s_sharedCurrentTool;

} // namespace

PF_DEFINE_CLASS(PWDrawingTool, pf::Object)
{
    b.property("registeredName", &PWDrawingTool::registeredName);
    b.property("keyboardEquivalent", &PWDrawingTool::keyboardEquivalent);
    b.property("actionName", &PWDrawingTool::actionName, &PWDrawingTool::setActionName);
    // Observers of kPWDidChangeToolNotification read "drawingTool" of its object; a tool posted
    // as the object answers itself.
    b.property("drawingTool", std::function<QVariant(const PWDrawingTool&)>([](const PWDrawingTool& tool) {
                   return pf::toVariant(std::const_pointer_cast<pf::Object>(tool.weak_from_this().lock()));
               }),
               {});
    b.method("set", &PWDrawingTool::set);
}

PWDrawingTool::PWDrawingTool() = default;
PWDrawingTool::~PWDrawingTool() = default;

bool PWDrawingTool::registerDrawingTool(const pf::Ref<PWDrawingTool>& tool, const QString& name)
{
    return PWToolRegistry::shared().registerTool(tool, name);
}

pf::Ref<PWDrawingTool> PWDrawingTool::drawingToolWithName(const QString& name)
{
    return PWToolRegistry::shared().toolWithName(name);
}

pf::Ref<PWDrawingTool> PWDrawingTool::selectionTool()
{
    return PWToolRegistry::shared().toolWithName(kPWSelectToolName);
}

void PWDrawingTool::saveDefaults()
{
    PWToolRegistry::shared().saveDefaults();
}

void PWDrawingTool::setKeyboardEquivalent(const QString& key, Qt::KeyboardModifiers modifiers)
{
    m_keyEquivalent = key;
    m_keyEquivalentModifiers = key.isEmpty() ? Qt::NoModifier : modifiers;
}

void PWDrawingTool::set()
{
    auto self = std::static_pointer_cast<PWDrawingTool>(weak_from_this().lock());
    if (!self)
        return; // a tool not held by a reference cannot be kept as the current tool
    s_sharedCurrentTool = self;
    if (!PWToolController::setToolInAllControllers(self))
        pf::NotificationCenter::defaultCenter().post(kPWDidChangeToolNotification, this);
}

pf::Ref<PWDrawingTool> PWDrawingTool::sharedCurrentTool()
{
    return s_sharedCurrentTool.lock();
}

QString PWDrawingTool::actionName() const
{
    return m_actionName.isEmpty() ? defaultActionName() : m_actionName;
}

QString PWDrawingTool::defaultActionName() const
{
    return m_registeredName.isEmpty() ? QStringLiteral("Edit") : m_registeredName;
}

QCursor PWDrawingTool::cursor() const
{
    return QCursor(Qt::ArrowCursor);
}

void PWDrawingTool::setCursor(const QCursor& cursor, Qt::KeyboardModifiers modifiers)
{
    m_modifierCursors.insert(int(modifiers), cursor);
}

QCursor PWDrawingTool::cursorForModifiers(Qt::KeyboardModifiers modifiers) const
{
    // The keypad flag says nothing about what the user holds.
    const int key = int(modifiers & ~Qt::KeypadModifier);
    if (key != 0) {
        auto it = m_modifierCursors.constFind(key);
        if (it != m_modifierCursors.constEnd())
            return *it;
    }
    return cursor();
}

int PWDrawingTool::mouseDownAtPoint(const QPointF&, PWDrawableObject*, PWLayer*, const PWToolEvent&,
                                    PWToolUndoDelegate*)
{
    return 0;
}

void PWDrawingTool::mouseDraggedToPoint(const QPointF&, int, PWLayer*, const PWToolEvent&, PWToolUndoDelegate*) {}

bool PWDrawingTool::mouseUpAtPoint(const QPointF&, int, PWLayer*, const PWToolEvent&, PWToolUndoDelegate*)
{
    return false;
}

bool PWDrawingTool::isValidTargetLayer(const PWLayer* layer) const
{
    const auto* objectLayer = dynamic_cast<const PWObjectDrawingLayer*>(layer);
    return objectLayer && objectLayer->visible() && !objectLayer->locked();
}

QVariantMap PWDrawingTool::toolSettings() const
{
    return {};
}

void PWDrawingTool::applyToolSettings(const QVariantMap&) {}
