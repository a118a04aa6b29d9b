#pragma once

#include <QRectF>

namespace pf {
class View;
}

// The union of the frames of the direct subviews; the zero rectangle when there are none.
QRectF extentOfSubviews(const pf::View& view);
