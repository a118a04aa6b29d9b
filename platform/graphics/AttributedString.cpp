#include "platform/graphics/AttributedString.h"

#include "platform/foundation/Variant.h"

#include <algorithm>

namespace pf {

namespace {

bool sameAttributes(const QVariantMap& a, const QVariantMap& b)
{
    if (a.size() != b.size())
        return false;
    for (auto it = a.constBegin(); it != a.constEnd(); ++it) {
        auto other = b.constFind(it.key());
        if (other == b.constEnd() || !isEqual(it.value(), other.value()))
            return false;
    }
    return true;
}

} // namespace

AttributedString::AttributedString(const QString& string, const QVariantMap& attributes)
    : m_string(string)
{
    if (!string.isEmpty())
        m_runs.append(Run{string.size(), attributes});
}

TextRange AttributedString::clipped(TextRange range) const
{
    const qsizetype start = std::clamp<qsizetype>(range.location, 0, length());
    const qsizetype end = std::clamp<qsizetype>(range.length < 0 ? start : range.location + range.length, start, length());
    return TextRange{start, end - start};
}

QVariantMap AttributedString::attributesAtIndex(qsizetype index, TextRange* effectiveRange) const
{
    qsizetype start = 0;
    for (const Run& run : m_runs) {
        if (index >= start && index < start + run.length) {
            if (effectiveRange)
                *effectiveRange = TextRange{start, run.length};
            return run.attributes;
        }
        start += run.length;
    }
    if (effectiveRange)
        *effectiveRange = TextRange{std::clamp<qsizetype>(index, 0, length()), 0};
    return {};
}

QVariant AttributedString::attributeAtIndex(const QString& name, qsizetype index) const
{
    return attributesAtIndex(index).value(name);
}

qsizetype AttributedString::splitAt(qsizetype index)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < m_runs.size(); ++i) {
        if (start == index)
            return i;
        const qsizetype length = m_runs[i].length;
        if (index < start + length) {
            Run tail{start + length - index, m_runs[i].attributes};
            m_runs[i].length = index - start;
            m_runs.insert(i + 1, tail);
            return i + 1;
        }
        start += length;
    }
    return m_runs.size();
}

void AttributedString::coalesce()
{
    QList<Run> merged;
    for (const Run& run : std::as_const(m_runs)) {
        if (run.length <= 0)
            continue;
        if (!merged.isEmpty() && sameAttributes(merged.last().attributes, run.attributes))
            merged.last().length += run.length;
        else
            merged.append(run);
    }
    m_runs = merged;
}

void AttributedString::setAttributes(const QVariantMap& attributes, TextRange range)
{
    range = clipped(range);
    if (range.length == 0)
        return;
    const qsizetype first = splitAt(range.location);
    const qsizetype last = splitAt(range.end());
    for (qsizetype i = first; i < last; ++i)
        m_runs[i].attributes = attributes;
    coalesce();
}

void AttributedString::addAttribute(const QString& name, const QVariant& value, TextRange range)
{
    addAttributes(QVariantMap{{name, value}}, range);
}

void AttributedString::addAttributes(const QVariantMap& attributes, TextRange range)
{
    range = clipped(range);
    if (range.length == 0)
        return;
    const qsizetype first = splitAt(range.location);
    const qsizetype last = splitAt(range.end());
    for (qsizetype i = first; i < last; ++i) {
        for (auto it = attributes.constBegin(); it != attributes.constEnd(); ++it)
            m_runs[i].attributes.insert(it.key(), it.value());
    }
    coalesce();
}

void AttributedString::removeAttribute(const QString& name, TextRange range)
{
    range = clipped(range);
    if (range.length == 0)
        return;
    const qsizetype first = splitAt(range.location);
    const qsizetype last = splitAt(range.end());
    for (qsizetype i = first; i < last; ++i)
        m_runs[i].attributes.remove(name);
    coalesce();
}

void AttributedString::replaceCharacters(TextRange range, const QString& string)
{
    range = clipped(range);
    const QVariantMap inherited = range.length > 0 || range.location == 0
        ? attributesAtIndex(range.location)
        : attributesAtIndex(range.location - 1);
    const qsizetype first = splitAt(range.location);
    const qsizetype last = splitAt(range.end());
    m_runs.remove(first, last - first);
    if (!string.isEmpty())
        m_runs.insert(first, Run{string.size(), inherited});
    m_string.replace(range.location, range.length, string);
    coalesce();
}

void AttributedString::append(const AttributedString& other)
{
    m_string += other.m_string;
    m_runs += other.m_runs;
    coalesce();
}

AttributedString AttributedString::substring(TextRange range) const
{
    range = clipped(range);
    AttributedString copy = *this;
    copy.replaceCharacters(TextRange{range.end(), length() - range.end()}, QString());
    copy.replaceCharacters(TextRange{0, range.location}, QString());
    return copy;
}

bool AttributedString::operator==(const AttributedString& other) const
{
    if (m_string != other.m_string || m_runs.size() != other.m_runs.size())
        return false;
    for (qsizetype i = 0; i < m_runs.size(); ++i) {
        if (m_runs[i].length != other.m_runs[i].length
            || !sameAttributes(m_runs[i].attributes, other.m_runs[i].attributes))
            return false;
    }
    return true;
}

} // namespace pf
