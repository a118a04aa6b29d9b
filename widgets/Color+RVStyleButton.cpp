#include "widgets/Color+RVStyleButton.h"

pf::Color stickyButtonColour()
{
    return pf::Color(QColor::fromRgbF(1.0f, 0.65f, 0.2f, 1.0f));
}
