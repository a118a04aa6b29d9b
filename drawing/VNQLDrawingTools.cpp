#include "drawing/VNQLDrawingTools.h"

#include "drawing/PWXPathCuttingTool.h"
#include "drawing/PWXStylePickUpTool.h"
#include "frameworks/penwork/tools/PWDrawingTool.h"
#include "frameworks/penwork/tools/PWZoomTool.h"

const QString VNQLDrawingTools::kPathCutterToolName = QStringLiteral("Path Cutter");
const QString VNQLDrawingTools::kStyleDropperToolName = QStringLiteral("Style Dropper");
const QString VNQLDrawingTools::kZoomOutToolName = QStringLiteral("Zoom Out");

void VNQLDrawingTools::registerTools()
{
    if (!PWDrawingTool::drawingToolWithName(kPathCutterToolName))
        PWDrawingTool::registerDrawingTool(std::make_shared<PWXPathCuttingTool>(), kPathCutterToolName);
    if (!PWDrawingTool::drawingToolWithName(kStyleDropperToolName))
        PWDrawingTool::registerDrawingTool(std::make_shared<PWXStylePickUpTool>(), kStyleDropperToolName);
    if (!PWDrawingTool::drawingToolWithName(kZoomOutToolName)) {
        auto zoomOut = std::make_shared<PWZoomTool>();
        zoomOut->setZoomsOut(true);
        PWDrawingTool::registerDrawingTool(zoomOut, kZoomOutToolName);
    }
}
