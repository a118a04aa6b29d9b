#include "frameworks/penwork/tools/PWSmartSelectTool.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/ClassBuilder.h"

namespace {

const QString kMatchModeKey = QStringLiteral("matchMode");

} // namespace

PF_DEFINE_CLASS(PWSmartSelectTool, PWDrawingTool)
{
    b.property("matchMode", std::function<QVariant(const PWSmartSelectTool&)>(
                                [](const PWSmartSelectTool& tool) { return QVariant(int(tool.matchMode())); }),
               std::function<void(PWSmartSelectTool&, const QVariant&)>(
                   [](PWSmartSelectTool& tool, const QVariant& value) { tool.setMatchMode(value.toInt()); }));
}

void PWSmartSelectTool::setMatchMode(int mode)
{
    if (mode < kMatchStyle || mode > kMatchStyleAndKind)
        return;
    m_mode = MatchMode(mode);
}

bool PWSmartSelectTool::matches(const PWDrawableObject& model, const PWDrawableObject& candidate, MatchMode mode)
{
    auto sameStyle = [&] {
        const pf::Ref<PWStyle> a = model.style();
        const pf::Ref<PWStyle> b = candidate.style();
        if (!a || !b)
            return !a && !b;
        return a == b || a->isEqualToStyle(b.get());
    };
    auto sameKind = [&] { return &model.objClass() == &candidate.objClass(); };
    switch (mode) {
    case kMatchStyle:
        return sameStyle();
    case kMatchKind:
        return sameKind();
    case kMatchStyleAndKind:
        return sameStyle() && sameKind();
    }
    return false;
}

int PWSmartSelectTool::mouseDownAtPoint(const QPointF&, PWDrawableObject* target, PWLayer* layer,
                                        const PWToolEvent& event, PWToolUndoDelegate*)
{
    m_selected = false;
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!owner)
        return 0;
    if (!target) {
        if (!event.shiftKey())
            owner->deselectAll();
        return 0;
    }
    QList<pf::Ref<PWDrawableObject>> alike;
    for (const pf::Ref<PWDrawableObject>& object : owner->objectList()) {
        if (object && matches(*target, *object, m_mode))
            alike.append(object);
    }
    if (event.shiftKey())
        owner->addObjectsToSelection(alike);
    else
        owner->exchangeSelectionWithObjectsFromArray(alike);
    m_selected = !alike.isEmpty();
    return 0;
}

bool PWSmartSelectTool::mouseUpAtPoint(const QPointF&, int, PWLayer*, const PWToolEvent&, PWToolUndoDelegate*)
{
    const bool selected = m_selected;
    m_selected = false;
    return selected;
}

QVariantMap PWSmartSelectTool::toolSettings() const
{
    QVariantMap settings = PWDrawingTool::toolSettings();
    settings.insert(kMatchModeKey, int(m_mode));
    return settings;
}

void PWSmartSelectTool::applyToolSettings(const QVariantMap& settings)
{
    PWDrawingTool::applyToolSettings(settings);
    if (settings.contains(kMatchModeKey))
        setMatchMode(settings.value(kMatchModeKey).toInt());
}
