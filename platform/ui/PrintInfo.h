#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>

class QPrinter;

namespace pf {

enum class PrintingOrientation { Portrait = 0, Landscape = 1 };
enum class PrintingPagination { Automatic = 0, Fit = 1, Clip = 2 };

// How a document is laid out on paper: the paper, its orientation, the margins (points), how
// content that is wider or taller than a page is split, and a scaling factor. Archived with
// the document and copied from the shared instance for new documents.
class PrintInfo : public Object, public Coding {
    PF_CLASS(PrintInfo)
public:
    PrintInfo();

    // The instance new documents copy; made on first use.
    static Ref<PrintInfo> sharedPrintInfo();
    static void setSharedPrintInfo(const Ref<PrintInfo>& info);

    Ref<Object> copy() const override;

    // The paper's name as Qt's page sizes know it ("A4", "Letter"), and its size in points
    // in portrait. Setting a name Qt knows sets the size; setting a size picks the matching
    // named paper or a custom one.
    QString paperName() const { return m_paperName; }
    void setPaperName(const QString& name);
    // The paper as laid out: portrait size, or swapped for landscape.
    QSizeF paperSize() const;
    void setPaperSize(const QSizeF& size);

    PrintingOrientation orientation() const { return m_orientation; }
    void setOrientation(PrintingOrientation orientation);

    double leftMargin() const { return m_margins.left(); }
    double rightMargin() const { return m_margins.right(); }
    double topMargin() const { return m_margins.top(); }
    double bottomMargin() const { return m_margins.bottom(); }
    void setLeftMargin(double margin);
    void setRightMargin(double margin);
    void setTopMargin(double margin);
    void setBottomMargin(double margin);
    QMarginsF margins() const { return m_margins; }

    PrintingPagination horizontalPagination() const { return m_horizontalPagination; }
    void setHorizontalPagination(PrintingPagination pagination) { m_horizontalPagination = pagination; }
    PrintingPagination verticalPagination() const { return m_verticalPagination; }
    void setVerticalPagination(PrintingPagination pagination) { m_verticalPagination = pagination; }
    bool isHorizontallyCentered() const { return m_horizontallyCentered; }
    void setHorizontallyCentered(bool centered) { m_horizontallyCentered = centered; }
    bool isVerticallyCentered() const { return m_verticallyCentered; }
    void setVerticallyCentered(bool centered) { m_verticallyCentered = centered; }
    double scalingFactor() const { return m_scaling; }
    void setScalingFactor(double factor);

    // The paper less the margins, in points, origin at the paper's top-left.
    QRectF imageableRect() const;
    // The part of the paper the default printer can mark (the whole paper when there is no
    // printer), origin at the paper's top-left.
    QRectF imageablePageBounds() const;
    // The margins the printer cannot print into, from the printable area of the paper.
    QMarginsF paperMargins() const;

    // Conversions to and from Qt's page layout (points).
    QPageLayout pageLayout() const;
    void setPageLayout(const QPageLayout& layout);
    // Puts this layout onto `printer`.
    void applyTo(QPrinter& printer) const;

    void encodeWithCoder(KeyedArchiver& coder) const override;
    // Values out of reach (a size that is not positive, margins that leave no room, a scale
    // that is not positive) keep their defaults, so a damaged archive still prints.
    void initWithCoder(KeyedUnarchiver& coder) override;

    bool isEqual(const Reflective* other) const override;

private:
    QString m_paperName;
    QSizeF m_paperSize; // portrait
    PrintingOrientation m_orientation = PrintingOrientation::Portrait;
    QMarginsF m_margins{72, 90, 72, 90};
    PrintingPagination m_horizontalPagination = PrintingPagination::Clip;
    PrintingPagination m_verticalPagination = PrintingPagination::Automatic;
    bool m_horizontallyCentered = true;
    bool m_verticallyCentered = true;
    double m_scaling = 1.0;
};

} // namespace pf
