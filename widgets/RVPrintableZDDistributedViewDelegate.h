#pragma once

#include <QString>

class RVPrintableZDDistributedView;

// The header and footer texts of a printed icon view, page by page (counted from 1). A null
// string draws no text; the rules are drawn anyway. The printable view asks the delegate it
// shares with its icon view when that delegate also adopts this interface.
class RVPrintableZDDistributedViewDelegate {
public:
    virtual ~RVPrintableZDDistributedViewDelegate() = default;
    virtual QString headerStringForPage(RVPrintableZDDistributedView& view, int page) { return {}; }
    virtual QString footerStringForPage(RVPrintableZDDistributedView& view, int page) { return {}; }
};
