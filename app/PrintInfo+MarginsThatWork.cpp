#include "app/PrintInfo+MarginsThatWork.h"

#include "platform/ui/PrintInfo.h"

QList<double> paperMarginsBetween(const QRectF& page, const QRectF& paper)
{
    return {page.top() - paper.top(), page.left() - paper.left(), paper.bottom() - page.bottom(),
            paper.right() - page.right()};
}

QList<double> paperMargins(const pf::PrintInfo& info)
{
    return paperMarginsBetween(info.imageablePageBounds(), QRectF(QPointF(), info.paperSize()));
}

double topPaperMargin(const pf::PrintInfo& info)
{
    return paperMargins(info).at(0);
}

double leftPaperMargin(const pf::PrintInfo& info)
{
    return paperMargins(info).at(1);
}

double bottomPaperMargin(const pf::PrintInfo& info)
{
    return paperMargins(info).at(2);
}

double rightPaperMargin(const pf::PrintInfo& info)
{
    return paperMargins(info).at(3);
}

QString StringFromPaperMargins(double top, double left, double bottom, double right)
{
    return QString::asprintf("{T:%.6f,L:%.6f},{B:%.6f,R:%.6f}", top, left, bottom, right);
}
