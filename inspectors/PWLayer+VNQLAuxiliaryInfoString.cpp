#include "inspectors/PWLayer+VNQLAuxiliaryInfoString.h"

#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWIsometricGridLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/Class.h"

#include <QCoreApplication>

#include <mutex>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLAuxiliaryInfoString", text);
}

// A count of exactly 1 takes the singular word.
QString counted(qint64 count, const char* singular, const char* plural)
{
    return QStringLiteral("%1 %2").arg(count).arg(tr(count == 1 ? singular : plural));
}

QString gridSummary(const PWGridLayer& grid, const char* kind)
{
    const PWDrawing* drawing = grid.drawing();
    return QStringLiteral("%1, %2 %3, %4")
        .arg(drawing ? drawing->drawingUnits() : QString())
        .arg(grid.divisions())
        .arg(tr("divs"), tr(kind));
}

} // namespace

void PWLayerVNQLAuxiliaryInfoString::install()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        pf::Class::Property property;
        property.key = QStringLiteral("auxiliaryInfoString");
        property.get = [](const pf::Reflective& object) {
            const auto* layer = dynamic_cast<const PWLayer*>(&object);
            const QString summary = layer ? auxiliaryInfoString(*layer) : QString();
            return summary.isEmpty() ? QVariant() : QVariant(summary);
        };
        PWLayer::staticClass().addProperty(property);
        PWDrawing::staticClass().setKeyPathsForValuesAffecting(QStringLiteral("auxiliaryInfoString"),
                                                               {QStringLiteral("drawingSize")});
        PWGridLayer::staticClass().setKeyPathsForValuesAffecting(
            QStringLiteral("auxiliaryInfoString"), {QStringLiteral("spanDistance"), QStringLiteral("divisions")});
    });
}

QString PWLayerVNQLAuxiliaryInfoString::auxiliaryInfoString(const PWLayer& layer)
{
    if (const auto* slices = dynamic_cast<const VNQLSlicesLayer*>(&layer))
        return slices->auxiliaryInfoString();
    if (const auto* drawing = dynamic_cast<const PWDrawing*>(&layer)) {
        const double factor = drawing->unitToPointsConversionFactor() > 0 ? drawing->unitToPointsConversionFactor() : 1.0;
        const QSizeF size = drawing->drawingSize();
        return QString::asprintf("%.1f x %.1f ", size.width() / factor, size.height() / factor)
               + drawing->abbreviatedDrawingUnits() + QStringLiteral(", ")
               + counted(drawing->countOfLayers(), "Layer", "Layers");
    }
    if (const auto* group = dynamic_cast<const PWLayerGroup*>(&layer))
        return counted(group->countOfLayers(), "Layer", "Layers");
    if (const auto* objects = dynamic_cast<const PWObjectDrawingLayer*>(&layer))
        return counted(objects->countOfObjects(), "Object", "Objects") + QStringLiteral(", ")
               + QStringLiteral("%1 %2").arg(objects->countOfSelection()).arg(tr("Selected"));
    if (const auto* guides = dynamic_cast<const PWGuideLayer*>(&layer))
        return counted(guides->countOfGuides(), "Guide", "Guides");
    if (const auto* isometric = dynamic_cast<const PWIsometricGridLayer*>(&layer))
        return gridSummary(*isometric, "isometric");
    if (const auto* grid = dynamic_cast<const PWGridLayer*>(&layer))
        return gridSummary(*grid, "cartesian");
    return {};
}

QStringList PWLayerVNQLAuxiliaryInfoString::notificationNamesAffectingAuxiliaryInfo(const PWLayer& layer)
{
    if (dynamic_cast<const VNQLSlicesLayer*>(&layer))
        return {kVNQLSlicesLayerDidAddSlice, kVNQLSlicesLayerDidRemoveSlice, kVNQLSlicesLayerDidChangeSelection};
    if (dynamic_cast<const PWLayerGroup*>(&layer))
        return {kPWLayerGroupNumberOfLayersDidChange};
    if (dynamic_cast<const PWObjectDrawingLayer*>(&layer))
        return {kPWLayerSelectionDidChange, kPWLayerDidAddObject, kPWLayerDidRemoveObject};
    if (dynamic_cast<const PWGuideLayer*>(&layer))
        return {kPWGuideLayerDidAddGuide, kPWGuideLayerDidRemoveGuide};
    return {};
}
