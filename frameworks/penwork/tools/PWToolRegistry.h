#pragma once

#include "frameworks/penwork/tools/PWDrawingTool.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// Names of the framework's standard tools in the shared registry.
inline const QString kPWSelectToolName = QStringLiteral("Select");
inline const QString kPWRectangleToolName = QStringLiteral("Rectangle");
inline const QString kPWRoundRectangleToolName = QStringLiteral("Round Rectangle");
inline const QString kPWOvalToolName = QStringLiteral("Oval");
inline const QString kPWLineToolName = QStringLiteral("Line");
inline const QString kPWPathToolName = QStringLiteral("Path");
inline const QString kPWFreehandToolName = QStringLiteral("Freehand");
inline const QString kPWStandardRegularPolygonPathToolName = QStringLiteral("Regular Polygon");
inline const QString kPWArcToolName = QStringLiteral("Arc");
inline const QString kPWTextToolName = QStringLiteral("Text");
inline const QString kPWImageToolName = QStringLiteral("Image");
inline const QString kPWZoomToolName = QStringLiteral("Zoom");
inline const QString kPWInsertPathPointToolName = QStringLiteral("Insert Path Point");
inline const QString kPWDeletePathPointToolName = QStringLiteral("Delete Path Point");
inline const QString kPWPanToolName = QStringLiteral("Pan");
inline const QString kPWTextPathToolName = QStringLiteral("Text Path");
inline const QString kPWPolygonToolName = QStringLiteral("Polygon");
inline const QString kPWRoundEndRectangleToolName = QStringLiteral("Round End Rectangle");
inline const QString kPWWedgeToolName = QStringLiteral("Wedge");
inline const QString kPWLinearSelectToolName = QStringLiteral("Linear Select");
inline const QString kPWRulerToolName = QStringLiteral("Ruler");
inline const QString kPWSmartSelectToolName = QStringLiteral("Smart Select");
inline const QString kPWConnectableLineToolName = QStringLiteral("Connectable Line");
inline const QString kPWConnectableTrackToolName = QStringLiteral("Connectable Track");
inline const QString kPWConnectablePolygonToolName = QStringLiteral("Connectable Polygon");
inline const QString kPWConnectableFreehandToolName = QStringLiteral("Connectable Freehand");

// The user-defaults key under which saveDefaults keeps every tool's settings: a dictionary
// from tool name to that tool's settings, its persistent data under "persistentData".
inline const QString kPWDrawingToolSettingsDefaultsKey = QStringLiteral("PWDrawingToolSettings");

// The shared registry of drawing tools by name. It starts with the framework's standard
// tools; registering a tool restores the settings saveDefaults stored for its name.
class PWToolRegistry {
public:
    static PWToolRegistry& shared();

    // Keeps `tool` under `name`. Refused (false) for a null tool, an empty name or a tool
    // already registered under another name; a tool registered before under `name` is
    // replaced (and forgets its name).
    bool registerTool(const pf::Ref<PWDrawingTool>& tool, const QString& name);
    pf::Ref<PWDrawingTool> toolWithName(const QString& name) const;
    bool containsToolNamed(const QString& name) const;
    bool containsTool(const PWDrawingTool* tool) const;
    // In registration order.
    QStringList toolNames() const;
    QList<pf::Ref<PWDrawingTool>> allTools() const;

    void saveDefaults() const;

private:
    PWToolRegistry();
    void registerStandardTools();
    void loadSettings(PWDrawingTool& tool, const QString& name) const;

    struct Entry {
        QString name;
        pf::Ref<PWDrawingTool> tool;
    };
    std::vector<Entry> m_entries;
};
