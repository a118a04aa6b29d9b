#include "app/VNQLExportOperationController.h"

#include "app/VNQLExportOperation.h"

#include <QWidget>

PF_DEFINE_CLASS(VNQLExportOperationController, VNQLGenericObjectTrampoline) {}

const pf::Class& VNQLExportOperationController::managedObjectClass() const
{
    return VNQLExportOperation::staticClass();
}

QStringList VNQLExportOperationController::keyPathsOfInterest() const
{
    return {QStringLiteral("folderURL"),   QStringLiteral("dpi"),          QStringLiteral("quality"),
            QStringLiteral("sourceType"),  QStringLiteral("sources"),      QStringLiteral("format"),
            QStringLiteral("scale"),       QStringLiteral("transparent"),  QStringLiteral("fileNameRoot"),
            QStringLiteral("fileNamingOption"), QStringLiteral("firstIndex"), QStringLiteral("colorspace"),
            QStringLiteral("showInFinder"), QStringLiteral("overwriteExisting")};
}

void VNQLExportOperationController::loadView()
{
    // The sheet shows the values; this controller has no view of its own.
    setView(new QWidget);
}
