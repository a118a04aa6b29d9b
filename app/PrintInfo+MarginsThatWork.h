#pragma once

#include <QList>
#include <QRectF>
#include <QString>

namespace pf {
class PrintInfo;
}

// Paper margins that match what the printer can really print: the distance from each edge of
// the paper to the printable area, in points.

// Top, left, bottom and right margins between the paper (`paper`) and its printable area
// (`page`), both in the paper's coordinates with y growing downwards.
QList<double> paperMarginsBetween(const QRectF& page, const QRectF& paper);
// The margins of the print info's paper on the default printer (top, left, bottom, right;
// all 0 without a printer).
QList<double> paperMargins(const pf::PrintInfo& info);
double topPaperMargin(const pf::PrintInfo& info);
double leftPaperMargin(const pf::PrintInfo& info);
double bottomPaperMargin(const pf::PrintInfo& info);
double rightPaperMargin(const pf::PrintInfo& info);

// "{T:%.6f,L:%.6f},{B:%.6f,R:%.6f}".
QString StringFromPaperMargins(double top, double left, double bottom, double right);
