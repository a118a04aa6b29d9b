#pragma once

#include "platform/ui/PrintingView.h"
#include "widgets/RVPrintableZDDistributedViewDelegate.h"
#include "widgets/ZDDistributedView.h"

#include <QVariantMap>

// The icon view as it is printed: pages break between rows of cells, and every page can carry
// a header and a footer whose texts come from the delegate.
class RVPrintableZDDistributedView : public ZDDistributedView, public pf::PrintingView {
    Q_OBJECT
    PF_CLASS(RVPrintableZDDistributedView)
public:
    static constexpr double kBandMargin = 10;
    static constexpr double kHeaderHeight = 24;
    static constexpr double kFooterHeight = 14;

    using ZDDistributedView::ZDDistributedView;

    bool showsHeaders() const { return mShowHeaders; }
    void setShowsHeaders(bool shows) { mShowHeaders = shows; }
    bool showsFooters() const { return mShowFooters; }
    void setShowsFooters(bool shows) { mShowFooters = shows; }
    int pageNumber() const { return mPageNumber; }

    // "Helvetica Bold" 9 pt centred, and "Helvetica" 8 pt right-aligned, both black.
    static const QVariantMap& headerAttributes();
    static const QVariantMap& footerAttributes();

    // The bands over `bounds` (the page, points from its top-left, y down).
    void drawHeaders(const QRectF& bounds);
    void drawFooters(const QRectF& bounds);

    // Pages end on a whole row of cells.
    double adjustPageHeight(double top, double proposedBottom, double bottomLimit) override;
    void drawPageBorderWithSize(const QSizeF& borderSize) override;
    void beginDocument() override;
    void beginPageInRect(const QRectF& rect, const QPointF& placement) override;

private:
    RVPrintableZDDistributedViewDelegate* printDelegate() const;
    void drawBandText(const QString& text, const QRectF& rect, const QVariantMap& attributes);
    void drawRule(double y, double left, double width);

    bool mShowHeaders = false;
    bool mShowFooters = false;
    int mPageNumber = 0;
};
