#pragma once

#include "platform/ui/ScrollView.h"

// A scroll view that counts every scroll and logs it: a diagnostic aid.
class RVDebuggingScrollView : public pf::ScrollView {
    Q_OBJECT
    PF_CLASS(RVDebuggingScrollView)
public:
    using pf::ScrollView::ScrollView;

    qint64 numberOfScrolls() const { return _numberOfScrolls; }
    void setNumberOfScrolls(qint64 count) { _numberOfScrolls = count; }
    void reflectScrolledClipView(pf::ClipView* clipView) override;

private:
    qint64 _numberOfScrolls = 0;
};
