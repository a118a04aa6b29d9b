#include "app/PWDrawing+VNQLExportHelper.h"

#include "frameworks/penwork/layers/PWDrawing.h"

#include <cmath>

QString exportSizeString(const PWDrawing& drawing)
{
    const QSizeF size = drawing.drawingSize();
    return QString::asprintf("%.0f x %.0f px", std::ceil(size.width()), std::ceil(size.height()));
}
