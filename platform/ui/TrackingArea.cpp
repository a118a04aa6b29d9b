#include "platform/ui/TrackingArea.h"

namespace pf {

TrackingArea::TrackingArea(const QRectF& rect, unsigned options, TrackingAreaOwner* owner, const QVariant& userInfo)
    : m_rect(rect), m_options(options), m_owner(owner), m_userInfo(userInfo)
{
}

} // namespace pf
