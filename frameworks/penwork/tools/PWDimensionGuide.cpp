#include "frameworks/penwork/tools/PWDimensionGuide.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>

#include <cmath>

namespace {

const QString kEnabledDefault = QStringLiteral("PWDimensionGuidesEnabled");
constexpr double kLabelPointSize = 10.0;
constexpr double kTickLength = 4.0; // screen units

QSet<QString>& disabledClassNames()
{
    static QSet<QString> names;
    return names;
}

QList<pf::Weak<PWDimensionGuide>>& shownList()
{
    static QList<pf::Weak<PWDimensionGuide>> guides;
    return guides;
}

bool finite(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

// What each guide draws: enough for a view to work out the area at its own scale, since
// the label keeps its size on screen and so covers more of the drawing when zoomed out.
QVariantList statesOf(const PWDimensionGuide::GuideSet& guides)
{
    QVariantList states;
    for (const auto& guide : guides)
        states.append(QVariantMap{{QStringLiteral("start"), guide->startPoint()},
                                  {QStringLiteral("end"), guide->endPoint()},
                                  {QStringLiteral("label"), guide->label()}});
    return states;
}

void postChange(const QVariantList& states)
{
    const QRectF rect = PWDimensionGuide::displayRectOfStates(states, 1.0);
    if (rect.isNull())
        return;
    pf::NotificationCenter::defaultCenter().post(kPWDimensionGuidesDidChangeNotification, nullptr,
                                                 {{QStringLiteral("rect"), rect}, {QStringLiteral("guides"), states}});
}

QFont labelFont(double scale)
{
    QFont font;
    font.setPointSizeF(kLabelPointSize / scale);
    return font;
}

} // namespace

PF_DEFINE_CLASS(PWDimensionGuide, pf::Object)
{
    b.property("mode", &PWDimensionGuide::mode);
    b.property("isVertical", &PWDimensionGuide::isVertical);
    b.property("label", &PWDimensionGuide::label);
    b.property("length", &PWDimensionGuide::length);
}

bool PWDimensionGuide::dimensionGuidesEnabled()
{
    const QVariant stored = pf::UserDefaults::standard().objectForKey(kEnabledDefault);
    return stored.isValid() ? pf::variantToBool(stored) : true;
}

void PWDimensionGuide::setDimensionGuidesEnabled(bool enabled)
{
    pf::UserDefaults::standard().setBool(enabled, kEnabledDefault);
}

void PWDimensionGuide::setDimensionGuidesDisabled(bool disabled, const pf::Class& cls)
{
    if (disabled)
        disabledClassNames().insert(cls.name());
    else
        disabledClassNames().remove(cls.name());
}

bool PWDimensionGuide::dimensionGuidesDisabledForClass(const pf::Class& cls)
{
    // Turning a class off turns its subclasses off too.
    for (const pf::Class* c = &cls; c; c = c->superclass()) {
        if (disabledClassNames().contains(c->name()))
            return true;
    }
    return false;
}

PWDimensionGuide::GuideSet PWDimensionGuide::beginDimensionGuidesForObject(PWDimensionGuideDataSource* object,
                                                                          int modes)
{
    GuideSet guides;
    if (!object || !dimensionGuidesEnabled())
        return guides;
    if (const pf::Class* cls = object->dimensionGuideClass(); cls && dimensionGuidesDisabledForClass(*cls))
        return guides;
    for (int mode : {kPositionMode, kSizeMode}) {
        if (!(modes & mode))
            continue;
        for (bool vertical : {false, true}) {
            auto guide = std::make_shared<PWDimensionGuide>(object, mode, vertical);
            guide->update({});
            guides.append(guide);
            shownList().append(guide);
        }
    }
    postChange(statesOf(guides));
    return guides;
}

void PWDimensionGuide::updateDimensionGuides(const GuideSet& guides, const QVariant& context)
{
    const QVariantList before = statesOf(guides);
    for (const auto& guide : guides)
        guide->update(context);
    postChange(before + statesOf(guides));
}

void PWDimensionGuide::endDimensionGuides(const GuideSet& guides)
{
    const QVariantList before = statesOf(guides);
    auto& shown = shownList();
    shown.removeIf([&](const pf::Weak<PWDimensionGuide>& weak) {
        pf::Ref<PWDimensionGuide> guide = weak.lock();
        return !guide || guides.contains(guide);
    });
    // The data source may go away after the drag: the guides must not reach it any more.
    for (const auto& guide : guides)
        guide->m_source = nullptr;
    postChange(before);
}

PWDimensionGuide::GuideSet PWDimensionGuide::shownGuides()
{
    GuideSet guides;
    for (const auto& weak : shownList()) {
        if (pf::Ref<PWDimensionGuide> guide = weak.lock())
            guides.append(guide);
    }
    return guides;
}

void PWDimensionGuide::drawShownGuides(QPainter& painter, double scale)
{
    for (const auto& guide : shownGuides())
        guide->draw(painter, scale);
}

PWDimensionGuide::PWDimensionGuide(PWDimensionGuideDataSource* source, int mode, bool isVertical)
    : m_source(source), m_mode(mode), m_vertical(isVertical)
{
}

double PWDimensionGuide::length() const
{
    return QLineF(m_start, m_end).length();
}

void PWDimensionGuide::update(const QVariant& context)
{
    if (!m_source)
        return;
    const auto [start, end] = m_source->dimensionPointsForMode(m_mode, m_vertical, context);
    if (!finite(start) || !finite(end))
        return;
    m_start = start;
    m_end = end;
    m_label = m_source->dimensionStringForLength(length());
}

QRectF PWDimensionGuide::displayRect(double scale) const
{
    return displayRectFor(m_start, m_end, m_label, scale);
}

QRectF PWDimensionGuide::displayRectFor(QPointF start, QPointF end, const QString& labelText, double scale)
{
    if (!(scale > 0.0) || !std::isfinite(scale))
        scale = 1.0;
    const QFontMetricsF metrics(labelFont(scale));
    const QRectF line = QRectF(start, end).normalized();
    // As wide as the box draw() fills behind the text.
    const QSizeF labelSize(metrics.horizontalAdvance(labelText) + 4.0 / scale, metrics.height());
    const QPointF mid = (start + end) / 2.0;
    const QRectF label(mid - QPointF(labelSize.width() / 2.0, labelSize.height() / 2.0), labelSize);
    const double margin = kTickLength / scale + 1.0;
    return line.united(label).adjusted(-margin, -margin, margin, margin);
}

QRectF PWDimensionGuide::displayRectOfStates(const QVariantList& states, double scale)
{
    QRectF rect;
    for (const QVariant& value : states) {
        const QVariantMap state = value.toMap();
        const QPointF start = state.value(QStringLiteral("start")).toPointF();
        const QPointF end = state.value(QStringLiteral("end")).toPointF();
        if (finite(start) && finite(end))
            rect = rect.united(displayRectFor(start, end, state.value(QStringLiteral("label")).toString(), scale));
    }
    return rect;
}

void PWDimensionGuide::draw(QPainter& painter, double scale) const
{
    if (!(scale > 0.0) || !std::isfinite(scale))
        scale = 1.0;
    painter.save();
    QPen pen(QColor(220, 40, 120));
    pen.setCosmetic(true);
    pen.setWidthF(1.0);
    painter.setPen(pen);
    painter.drawLine(QLineF(m_start, m_end));
    // Ticks across both ends.
    const double tick = kTickLength / scale;
    const QPointF across = m_vertical ? QPointF(tick, 0) : QPointF(0, tick);
    painter.drawLine(QLineF(m_start - across, m_start + across));
    painter.drawLine(QLineF(m_end - across, m_end + across));
    if (!m_label.isEmpty()) {
        const QFont font = labelFont(scale);
        painter.setFont(font);
        const QFontMetricsF metrics(font);
        const QSizeF size(metrics.horizontalAdvance(m_label) + 4.0 / scale, metrics.height());
        const QPointF mid = (m_start + m_end) / 2.0;
        const QRectF box(mid - QPointF(size.width() / 2.0, size.height() / 2.0), size);
        painter.fillRect(box, QColor(255, 255, 255, 220));
        painter.drawText(box, Qt::AlignCenter, m_label);
    }
    painter.restore();
}
