#include "frameworks/penwork/registries/PWStyleHistory.h"

#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/NotificationCenter.h"

#include <algorithm>

PF_DEFINE_CLASS(PWStyleHistory, pf::Object)
{
    b.property("latestStyle", &PWStyleHistory::latestStyle);
    b.property("maximumLength", &PWStyleHistory::maximumLength, &PWStyleHistory::setMaximumLength);
    b.classMethod("defaultHistory", [](const pf::Class&, const QVariantList&) {
        return pf::toVariant(PWStyleHistory::defaultHistory());
    });
    b.classMethod("currentStyle", [](const pf::Class&, const QVariantList&) {
        return pf::toVariant(PWStyleHistory::currentStyle());
    });
    b.classMethod("setCurrentStyle:", [](const pf::Class&, const QVariantList& args) {
        PWStyleHistory::setCurrentStyle(pf::objectCast<PWStyle>(args.value(0)));
        return QVariant();
    });
}

pf::Ref<PWStyleHistory> PWStyleHistory::defaultHistory()
{
    static const pf::Ref<PWStyleHistory> history = std::make_shared<PWStyleHistory>();
    return history;
}

void PWStyleHistory::setCurrentStyle(const pf::Ref<PWStyle>& style)
{
    defaultHistory()->enterStyle(style);
}

pf::Ref<PWStyle> PWStyleHistory::currentStyle()
{
    return defaultHistory()->latestStyle();
}

void PWStyleHistory::enterStyle(const pf::Ref<PWStyle>& style)
{
    if (!style || (!m_styles.isEmpty() && m_styles.first() == style))
        return;
    m_styles.removeAll(style);
    m_styles.prepend(style);
    while (m_styles.size() > m_maximumLength)
        m_styles.removeLast();
    pf::NotificationCenter::defaultCenter().post(kStyleHistoryNewStyleNotification, this);
}

pf::Ref<PWStyle> PWStyleHistory::latestStyle() const
{
    return m_styles.isEmpty() ? nullptr : m_styles.first();
}

void PWStyleHistory::setMaximumLength(int length)
{
    m_maximumLength = std::clamp(length, 1, kMaxMaximumLength);
    while (m_styles.size() > m_maximumLength)
        m_styles.removeLast();
}

void PWStyleHistory::removeAllStyles()
{
    m_styles.clear();
}
