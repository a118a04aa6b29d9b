#include "frameworks/penwork/tools/PWToolRegistry.h"

#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/tools/PWBezierPathTool.h"
#include "frameworks/penwork/tools/PWConnectableLineTool.h"
#include "frameworks/penwork/tools/PWLinearSelectTool.h"
#include "frameworks/penwork/tools/PWRulerTool.h"
#include "frameworks/penwork/tools/PWSmartSelectTool.h"
#include "frameworks/penwork/tools/PWFreehandTool.h"
#include "frameworks/penwork/tools/PWLineTool.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWPanTool.h"
#include "frameworks/penwork/tools/PWPathPointTool.h"
#include "frameworks/penwork/tools/PWPolygonTool.h"
#include "frameworks/penwork/tools/PWRoundEndRectangleTool.h"
#include "frameworks/penwork/tools/PWSelectAndEditTool.h"
#include "frameworks/penwork/tools/PWTextPathTool.h"
#include "frameworks/penwork/tools/PWTextTool.h"
#include "frameworks/penwork/tools/PWZoomTool.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/UserDefaults.h"

namespace {

const QString kPersistentDataKey = QStringLiteral("persistentData");

} // namespace

PWToolRegistry& PWToolRegistry::shared()
{
    static PWToolRegistry* registry = [] {
        auto* made = new PWToolRegistry();
        made->registerStandardTools();
        return made;
    }();
    return *registry;
}

PWToolRegistry::PWToolRegistry() = default;

void PWToolRegistry::registerStandardTools()
{
    using Mode = PWObjectCreationTool::CreationMode;
    auto creation = [](pf::Ref<PWDrawableObject> prototype, Mode mode) {
        auto tool = std::make_shared<PWObjectCreationTool>();
        tool->setPrototype(std::move(prototype));
        tool->setCreationMode(mode);
        return tool;
    };
    const QRectF unit(-0.5, -0.5, 1.0, 1.0);

    registerTool(std::make_shared<PWSelectAndEditTool>(), kPWSelectToolName);
    registerTool(creation(PWDrawableShape::drawableShapeWithRect(unit), Mode::kBoxCreation), kPWRectangleToolName);
    registerTool(creation(PWRoundRectShape::roundRectShapeWithRect(unit, 8.0), Mode::kBoxCreation),
                 kPWRoundRectangleToolName);
    registerTool(creation(PWDrawableShape::drawableShapeWithOvalInRect(unit), Mode::kBoxCreation), kPWOvalToolName);
    registerTool(std::make_shared<PWLineTool>(), kPWLineToolName);
    registerTool(std::make_shared<PWBezierPathTool>(), kPWPathToolName);
    registerTool(std::make_shared<PWFreehandTool>(), kPWFreehandToolName);
    registerTool(creation(PWRegularPolygonPath::polygonWithCentre({}, 1.0, 6), Mode::kCentreCreation),
                 kPWStandardRegularPolygonPathToolName);
    registerTool(creation(PWArcPath::arcPathWithCentre({}, 1.0, 0.0, 90.0), Mode::kCentreCreation), kPWArcToolName);
    registerTool(std::make_shared<PWTextTool>(), kPWTextToolName);
    // The image tool places the picture it is given (setPrototype with an image shape).
    registerTool(creation(nullptr, Mode::kBoxCreation), kPWImageToolName);
    registerTool(std::make_shared<PWZoomTool>(), kPWZoomToolName);
    // The rest of the tools the tools palette offers, under the names it looks them up by.
    using PointMode = PWPathPointTool::Mode;
    registerTool(std::make_shared<PWPathPointTool>(PointMode::kInsertPoint), kPWInsertPathPointToolName);
    registerTool(std::make_shared<PWPathPointTool>(PointMode::kDeletePoint), kPWDeletePathPointToolName);
    registerTool(std::make_shared<PWPanTool>(), kPWPanToolName);
    registerTool(std::make_shared<PWTextPathTool>(), kPWTextPathToolName);
    registerTool(std::make_shared<PWPolygonTool>(), kPWPolygonToolName);
    registerTool(std::make_shared<PWRoundEndRectangleTool>(), kPWRoundEndRectangleToolName);
    registerTool(creation(PWArcPath::arcPathWithCentre({}, 1.0, 0.0, 90.0, PWArcPath::kPieWedge),
                          Mode::kCentreCreation),
                 kPWWedgeToolName);
    registerTool(std::make_shared<PWLinearSelectTool>(), kPWLinearSelectToolName);
    registerTool(std::make_shared<PWRulerTool>(), kPWRulerToolName);
    registerTool(std::make_shared<PWSmartSelectTool>(), kPWSmartSelectToolName);
    using Shape = PWConnectableLineTool::Shape;
    registerTool(std::make_shared<PWConnectableLineTool>(Shape::kLine), kPWConnectableLineToolName);
    registerTool(std::make_shared<PWConnectableLineTool>(Shape::kTrack), kPWConnectableTrackToolName);
    registerTool(std::make_shared<PWConnectableLineTool>(Shape::kPolygon), kPWConnectablePolygonToolName);
    registerTool(std::make_shared<PWConnectableLineTool>(Shape::kFreehand), kPWConnectableFreehandToolName);
}

bool PWToolRegistry::registerTool(const pf::Ref<PWDrawingTool>& tool, const QString& name)
{
    if (!tool || name.isEmpty())
        return false;
    for (const Entry& entry : m_entries) {
        if (entry.tool == tool)
            return entry.name == name;
    }
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.name == name; });
    if (it != m_entries.end()) {
        it->tool->m_registeredName.clear();
        it->tool = tool;
    } else {
        m_entries.push_back({name, tool});
    }
    tool->m_registeredName = name;
    loadSettings(*tool, name);
    return true;
}

pf::Ref<PWDrawingTool> PWToolRegistry::toolWithName(const QString& name) const
{
    for (const Entry& entry : m_entries) {
        if (entry.name == name)
            return entry.tool;
    }
    return nullptr;
}

bool PWToolRegistry::containsToolNamed(const QString& name) const
{
    return bool(toolWithName(name));
}

bool PWToolRegistry::containsTool(const PWDrawingTool* tool) const
{
    return tool && std::any_of(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.tool.get() == tool; });
}

QStringList PWToolRegistry::toolNames() const
{
    QStringList names;
    for (const Entry& entry : m_entries)
        names.append(entry.name);
    return names;
}

QList<pf::Ref<PWDrawingTool>> PWToolRegistry::allTools() const
{
    QList<pf::Ref<PWDrawingTool>> tools;
    for (const Entry& entry : m_entries)
        tools.append(entry.tool);
    return tools;
}

void PWToolRegistry::saveDefaults() const
{
    // Settings of tools not registered in this run are kept for a later one.
    QVariantMap all = pf::UserDefaults::standard().dictionaryForKey(kPWDrawingToolSettingsDefaultsKey);
    for (const Entry& entry : m_entries) {
        QVariantMap settings = entry.tool->toolSettings();
        if (const auto data = entry.tool->persistentData())
            settings.insert(kPersistentDataKey, *data);
        if (settings.isEmpty())
            all.remove(entry.name);
        else
            all.insert(entry.name, settings);
    }
    pf::UserDefaults::standard().setObject(all, kPWDrawingToolSettingsDefaultsKey);
}

void PWToolRegistry::loadSettings(PWDrawingTool& tool, const QString& name) const
{
    const QVariant stored = pf::UserDefaults::standard().dictionaryForKey(kPWDrawingToolSettingsDefaultsKey).value(name);
    if (stored.typeId() != QMetaType::QVariantMap)
        return;
    const QVariantMap settings = stored.toMap();
    // Damaged settings must not stop the tool from being registered: it keeps its defaults.
    try {
        tool.applyToolSettings(settings);
        const QVariant data = settings.value(kPersistentDataKey);
        if (data.typeId() == QMetaType::QByteArray && !tool.shouldLoadPersistentData(data.toByteArray()))
            RVLog(kInfoEvent, QStringLiteral("Tool '%1' did not take its stored data").arg(name));
    } catch (const pf::Exception& exception) {
        RVLog(kInfoEvent, QStringLiteral("Tool '%1' was unable to load its settings: %2").arg(name, exception.reason()));
    }
}
