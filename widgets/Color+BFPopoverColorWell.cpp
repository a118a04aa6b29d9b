#include "widgets/Color+BFPopoverColorWell.h"

#include <QRandomGenerator>

double luminance(const pf::Color& colour)
{
    return 0.299 * colour.redComponent() + 0.587 * colour.greenComponent() + 0.114 * colour.blueComponent();
}

pf::Color randomColor()
{
    const auto component = [] { return double(QRandomGenerator::global()->bounded(1u << 31)) / double(1u << 31); };
    const double red = component();
    const double green = component();
    const double blue = component();
    return pf::Color(red, green, blue, 1.0);
}
