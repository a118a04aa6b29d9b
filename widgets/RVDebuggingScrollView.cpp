#include "widgets/RVDebuggingScrollView.h"

#include "platform/foundation/Log.h"

PF_DEFINE_CLASS(RVDebuggingScrollView, pf::ScrollView) {}

void RVDebuggingScrollView::reflectScrolledClipView(pf::ClipView* clipView)
{
    pf::ScrollView::reflectScrolledClipView(clipView);
    ++_numberOfScrolls;
    pf::log(QStringLiteral("scroll %1").arg(_numberOfScrolls));
}
