#include "app/VNQLEmptyTabController.h"

#include "platform/foundation/ClassBuilder.h"

#include <QCoreApplication>
#include <QWidget>

PF_DEFINE_CLASS(VNQLEmptyTabController, VNQLTabContentViewController) {}

VNQLEmptyTabController::VNQLEmptyTabController(const QString& identifier) : VNQLTabContentViewController(identifier)
{
    setTitle(titleForIdentifier(identifier));
}

QString VNQLEmptyTabController::titleForIdentifier(const QString& identifier)
{
    static const QHash<QString, const char*> titles = {
        {QStringLiteral("VNQLTabViewStyle"), "Style"},
        {QStringLiteral("VNQLTabViewLayers"), "Layers"},
        {QStringLiteral("VNQLTabViewGeometry"), "Geometry"},
        {QStringLiteral("VNQLTextController"), "Text"},
        {QStringLiteral("VNQLUndoHistoryController"), "Undo History"},
    };
    const char* title = titles.value(identifier);
    return title ? QCoreApplication::translate("VNQLEmptyTabController", title) : identifier;
}

void VNQLEmptyTabController::loadView()
{
    setView(new QWidget);
}
