#include "widgets/RVSplitViewItem.h"

#include "widgets/RVRectString.h"
#include "widgets/RVSplitViewController.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/ui/SplitView.h"

#include <cmath>

PF_DEFINE_CLASS(RVSplitViewItem, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

namespace {

const QString kMinSizeKey = QStringLiteral("min_size");
const QString kMaxSizeKey = QStringLiteral("max_size");
const QString kBehaviourKey = QStringLiteral("behaviour");
const QString kCollapsedKey = QStringLiteral("collapsed");
const QString kCanCollapseKey = QStringLiteral("can_collapse");
const QString kIdentifierKey = QStringLiteral("identifier");
const QString kFrameKey = QStringLiteral("frame");

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// A length limit from a document: a finite number of 0 or more, or none.
double limitFrom(const QVariant& value)
{
    if (!isNumber(value))
        return RVSplitViewItem::kNoLimit;
    const double limit = value.toDouble();
    return std::isfinite(limit) && limit >= 0 ? limit : RVSplitViewItem::kNoLimit;
}

qint32 behaviourFrom(const QVariant& value)
{
    if (!isNumber(value))
        return RVSplitViewItem::kFlexibleBehaviour;
    const double behaviour = value.toDouble();
    if (behaviour == RVSplitViewItem::kFixedBehaviour)
        return RVSplitViewItem::kFixedBehaviour;
    return RVSplitViewItem::kFlexibleBehaviour;
}

bool boolFrom(const QVariant& value, bool fallback)
{
    if (value.typeId() == QMetaType::Bool || isNumber(value))
        return value.toBool();
    return fallback;
}

} // namespace

void RVSplitViewItem::setView(pf::View* view)
{
    m_view = view;
    m_wasPreviouslyCollapsed = isCollapsed();
}

RVSplitViewController* RVSplitViewItem::controller() const
{
    return m_controller.lock().get();
}

void RVSplitViewItem::setController(const pf::Ref<RVSplitViewController>& controller)
{
    m_controller = controller;
}

bool RVSplitViewItem::isCollapsed() const
{
    const auto controller = m_controller.lock();
    pf::SplitView* splitView = controller ? controller->splitView() : nullptr;
    if (!m_view)
        return false;
    if (splitView)
        return splitView->isSubviewCollapsed(m_view);
    return m_view->isHidden();
}

void RVSplitViewItem::collapseView(bool collapsed)
{
    if (!m_canCollapse || !m_view || collapsed == isCollapsed())
        return;
    m_view->setHidden(collapsed);
    if (const auto controller = m_controller.lock())
        controller->arrangeSplitViews();
}

bool RVSplitViewItem::constrainLength(double* length) const
{
    if (!length)
        return false;
    const double original = *length;
    if (hasMinSize() && *length < m_minSize)
        *length = m_minSize;
    if (hasMaxSize() && *length > m_maxSize)
        *length = m_maxSize;
    return *length != original;
}

bool RVSplitViewItem::isVertical() const
{
    const auto controller = m_controller.lock();
    return controller && controller->isVertical();
}

QVariantMap RVSplitViewItem::restorableStateInfo() const
{
    QVariantMap info;
    info.insert(kMinSizeKey, m_minSize);
    info.insert(kMaxSizeKey, m_maxSize);
    info.insert(kBehaviourKey, m_behaviour);
    info.insert(kCollapsedKey, isCollapsed());
    info.insert(kCanCollapseKey, m_canCollapse);
    if (!m_identifier.isEmpty())
        info.insert(kIdentifierKey, m_identifier);
    info.insert(kFrameKey, RVRectString::stringFromRect(m_view ? m_view->frame() : QRectF()));
    return info;
}

void RVSplitViewItem::restoreWithStateInfo(const QVariant& info)
{
    PF_ASSERT(info.typeId() == QMetaType::QVariantMap, "no data to restore split item");
    const QVariantMap state = info.toMap();
    m_minSize = limitFrom(state.value(kMinSizeKey));
    m_maxSize = limitFrom(state.value(kMaxSizeKey));
    QRectF frame;
    const bool hasFrame = RVRectString::rectFromString(state.value(kFrameKey).toString(), &frame);
    const double length = isVertical() ? frame.width() : frame.height();
    m_restoredSize = hasFrame && length >= 0 ? length : 0.0;
    m_behaviour = behaviourFrom(state.value(kBehaviourKey));
    m_canCollapse = boolFrom(state.value(kCanCollapseKey), true);
    collapseView(boolFrom(state.value(kCollapsedKey), false));
}

void RVSplitViewItem::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    // Only an archivable controller can be in the archive at all.
    const auto controller = m_controller.lock();
    if (dynamic_cast<const pf::Coding*>(controller.get()))
        coder.encodeConditionalObject(controller, QStringLiteral("RVSplitItem_controller"));
    coder.encodeDouble(m_minSize, QStringLiteral("RVSplitItem_minSize"));
    coder.encodeDouble(m_maxSize, QStringLiteral("RVSplitItem_maxSize"));
    coder.encodeInt32(m_behaviour, QStringLiteral("RVSplitItem_behaviour"));
    coder.encodeString(m_identifier, QStringLiteral("RVSplitItem_identifier"));
    coder.encodeBool(m_canCollapse, QStringLiteral("RVSplitItem_canCollapse"));
    coder.encodeBool(isCollapsed(), QStringLiteral("RVSplitItem_isCollapsed"));
    coder.encodeString(RVRectString::stringFromRect(m_view ? m_view->frame() : QRectF()),
                       QStringLiteral("RVSplitItem_viewFrame"));
}

void RVSplitViewItem::initWithCoder(pf::KeyedUnarchiver& coder)
{
    m_controller = std::dynamic_pointer_cast<RVSplitViewController>(
        coder.decodeObjectForKey(QStringLiteral("RVSplitItem_controller")));
    m_minSize = coder.decodeDouble(QStringLiteral("RVSplitItem_minSize"));
    m_maxSize = coder.decodeDouble(QStringLiteral("RVSplitItem_maxSize"));
    m_behaviour = coder.decodeInt32(QStringLiteral("RVSplitItem_behaviour"));
    m_identifier = coder.decodeString(QStringLiteral("RVSplitItem_identifier"));
    m_canCollapse = coder.decodeBool(QStringLiteral("RVSplitItem_canCollapse"));
    m_savedCollapsed = coder.decodeBool(QStringLiteral("RVSplitItem_isCollapsed"));
    QRectF frame;
    if (RVRectString::rectFromString(coder.decodeString(QStringLiteral("RVSplitItem_viewFrame")), &frame))
        m_savedViewFrame = frame;
}

QString RVSplitViewItem::description() const
{
    return QStringLiteral("<RVSplitViewItem %1 behaviour=%2 min=%3 max=%4>")
        .arg(m_identifier)
        .arg(m_behaviour)
        .arg(m_minSize)
        .arg(m_maxSize);
}
