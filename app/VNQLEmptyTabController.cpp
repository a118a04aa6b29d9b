#include "app/VNQLEmptyTabController.h"

#include "platform/foundation/ClassBuilder.h"

#include <QCoreApplication>
#include <QFont>
#include <QPainter>
#include <QWidget>

namespace {

// An icon for a panel that has none of its own: the title's initial in a rounded square.
QImage initialIcon(const QString& title)
{
    constexpr int kSide = 20;
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 1.2));
    painter.drawRoundedRect(QRectF(1, 1, kSide - 2, kSide - 2), 4, 4);
    QFont font = painter.font();
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(0, 0, kSide, kSide), Qt::AlignCenter, title.left(1).toUpper());
    return image;
}

} // namespace

PF_DEFINE_CLASS(VNQLEmptyTabController, VNQLTabContentViewController) {}

VNQLEmptyTabController::VNQLEmptyTabController(const QString& identifier) : VNQLTabContentViewController(identifier)
{
    setTitle(titleForIdentifier(identifier));
    setTabIcon(initialIcon(title()));
    setTabTooltip(title());
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
