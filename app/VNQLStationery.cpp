#include "app/VNQLStationery.h"

#include "app/PWXMapScale.h"
#include "app/RVCartavelDocument.h"
#include "frameworks/measurement/RVMeasurement.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "platform/foundation/FileManager.h"
#include "platform/ui/DocumentController.h"

#include <QDir>

namespace {

// ISO 216 and US sizes in points (72 to the inch, 25.4 mm to the inch).
constexpr double kPointsPerMillimetre = 72.0 / 25.4;
const QSizeF kA4(210 * kPointsPerMillimetre, 297 * kPointsPerMillimetre);
const QSizeF kA3(297 * kPointsPerMillimetre, 420 * kPointsPerMillimetre);
const QSizeF kLetter(612, 792);

} // namespace

QList<VNQLStationery::Sheet> VNQLStationery::sheets()
{
    return {
        {QStringLiteral("A4 Portrait"), kA4, QStringLiteral("cm"), 0},
        {QStringLiteral("A4 Landscape"), kA4.transposed(), QStringLiteral("cm"), 0},
        {QStringLiteral("US Letter"), kLetter, QStringLiteral("in"), 0},
        {QStringLiteral("Map Sheet 1-25000"), kA3.transposed(), QStringLiteral("cm"), 25000},
    };
}

bool VNQLStationery::writeStationery(const QString& folder, pf::Error* error)
{
    if (!pf::FileManager::defaultManager().createDirectory(folder, true, error))
        return false;
    pf::DocumentController* controller = pf::DocumentController::shared();
    if (!controller)
        return pf::fail(error, pf::Error(RVCartavelDocument::kErrorDomain, RVCartavelDocument::kErrorException));
    for (const Sheet& sheet : sheets()) {
        pf::Error made;
        auto document = std::dynamic_pointer_cast<RVCartavelDocument>(
            controller->makeUntitledDocumentOfType(RVCartavelDocument::kNativeType, &made));
        if (!document)
            return pf::fail(error, made);
        pf::Ref<PWDrawing> drawing = document->drawing();
        if (pf::Ref<RVUnitLength> unit = RVUnitLength::unitWithSymbol(sheet.unitSymbol))
            drawing->setUnits(unit);
        drawing->setDrawingSize(sheet.size);
        if (sheet.mapScale > 0) {
            // 1 cm on paper stands for mapScale cm on the ground, shown in metres.
            auto paper = RVMeasurement::measurementWithDoubleValue(1, RVUnitLength::centimeters());
            auto ground = RVMeasurement::measurementWithDoubleValue(sheet.mapScale / 100.0, RVUnitLength::meters());
            document->setMapScale(std::make_shared<PWXMapScale>(paper, ground));
        }
        const QString path = QDir(folder).filePath(sheet.name + QLatin1Char('.') + RVCartavelDocument::nativeFileExtension());
        const bool written = document->writeTemplateToURL(QUrl::fromLocalFile(path), &made);
        document->close();
        if (!written)
            return pf::fail(error, made);
    }
    return true;
}
