#include "widgets/ColorPanel+BFPopoverColorWell.h"

#include "platform/ui/ColorPanel.h"

#include <cmath>

QString colorPanelColorDescription()
{
    const pf::Color colour = pf::ColorPanel::shared()->color();
    const auto byte = [](double component) { return int(std::lround(component * 255.0)); };
    return QString::asprintf("r: %d, g: %d, b: %d, a: %d", byte(colour.redComponent()), byte(colour.greenComponent()),
                             byte(colour.blueComponent()), byte(colour.alphaComponent()));
}
