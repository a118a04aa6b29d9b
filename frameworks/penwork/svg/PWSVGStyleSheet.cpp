#include "frameworks/penwork/svg/PWSVGStyleSheet.h"

#include "frameworks/penwork/svg/PWSVGElement.h"
#include "frameworks/penwork/svg/PWSVGValueParsing.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

QString withoutComments(const QString& css)
{
    QString out;
    out.reserve(css.size());
    qsizetype i = 0;
    while (i < css.size()) {
        if (css[i] == u'/' && i + 1 < css.size() && css[i + 1] == u'*') {
            const qsizetype end = css.indexOf(QStringLiteral("*/"), i + 2);
            if (end < 0)
                break;
            i = end + 2;
            continue;
        }
        out.append(css[i++]);
    }
    return out;
}

bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'-' || c == u'_'; }

} // namespace

bool PWSVGStyleSheet::parseSelector(const QString& text, Selector* selector)
{
    const QString s = text.trimmed();
    if (s.isEmpty())
        return false;
    qsizetype i = 0;
    auto readName = [&]() {
        const qsizetype start = i;
        while (i < s.size() && isNameChar(s[i]))
            ++i;
        return s.mid(start, i - start);
    };
    if (s[0] == u'*') {
        ++i;
    } else if (isNameChar(s[0])) {
        selector->tag = readName();
        selector->specificity += 1;
    }
    while (i < s.size()) {
        const QChar c = s[i++];
        const QString name = readName();
        if (name.isEmpty())
            return false;
        if (c == u'.') {
            selector->classes.append(name);
            selector->specificity += 100;
        } else if (c == u'#' && selector->id.isEmpty()) {
            selector->id = name;
            selector->specificity += 10000;
        } else {
            return false; // combinators, pseudo-classes, attribute selectors
        }
    }
    return true;
}

void PWSVGStyleSheet::addSheet(const QString& sheet)
{
    const QString css = withoutComments(sheet);
    qsizetype i = 0;
    while (i < css.size() && m_rules.size() < kMaxRules) {
        const qsizetype open = css.indexOf(u'{', i);
        if (open < 0)
            break;
        const QString prelude = css.mid(i, open - i).trimmed();
        // The block ends at its matching brace; at-rules may nest blocks.
        int level = 1;
        qsizetype j = open + 1;
        while (j < css.size() && level > 0) {
            if (css[j] == u'{')
                ++level;
            else if (css[j] == u'}')
                --level;
            ++j;
        }
        const QString body = css.mid(open + 1, std::max<qsizetype>(0, j - open - 2));
        i = j;
        QString selectors = prelude;
        if (prelude.startsWith(u'@')) {
            // Statement at-rules (@import, @charset) end with ';' before the block; what follows
            // the semicolon is a rule of its own. Block at-rules (@media) are left out whole.
            const qsizetype semicolon = prelude.lastIndexOf(u';');
            selectors = semicolon < 0 ? QString() : prelude.mid(semicolon + 1).trimmed();
            if (selectors.startsWith(u'@'))
                selectors.clear();
        }
        const QHash<QString, QString> declarations = pwsvg::parseDeclarations(body);
        if (selectors.isEmpty() || declarations.isEmpty())
            continue;
        for (const QString& part : selectors.split(u',')) {
            Rule rule;
            if (m_rules.size() < kMaxRules && parseSelector(part, &rule.selector)) {
                rule.declarations = declarations;
                rule.order = int(m_rules.size());
                m_rules.append(rule);
                index(int(m_rules.size()) - 1);
            }
        }
    }
}

void PWSVGStyleSheet::index(int ruleIndex)
{
    const Selector& selector = m_rules[ruleIndex].selector;
    if (!selector.id.isEmpty())
        m_byId[selector.id].append(ruleIndex);
    else if (!selector.classes.isEmpty())
        m_byClass[selector.classes.first()].append(ruleIndex);
    else if (!selector.tag.isEmpty())
        m_byTag[selector.tag].append(ruleIndex);
    else
        m_universal.append(ruleIndex);
}

bool PWSVGStyleSheet::matches(const Selector& selector, const PWSVGElement& element)
{
    if (!selector.tag.isEmpty() && selector.tag != element.name)
        return false;
    if (!selector.id.isEmpty() && selector.id != element.attribute(QStringLiteral("id")))
        return false;
    for (const QString& cls : selector.classes)
        if (!element.classes.contains(cls))
            return false;
    return true;
}

QHash<QString, QString> PWSVGStyleSheet::declarationsFor(const PWSVGElement& element) const
{
    if (m_rules.isEmpty() || element.isText())
        return {};
    QList<int> candidates = m_universal;
    const QString id = element.attribute(QStringLiteral("id"));
    if (!id.isEmpty())
        candidates += m_byId.value(id);
    for (const QString& cls : element.classes)
        candidates += m_byClass.value(cls);
    candidates += m_byTag.value(element.name);
    std::sort(candidates.begin(), candidates.end(), [this](int a, int b) {
        const Rule& ra = m_rules[a];
        const Rule& rb = m_rules[b];
        if (ra.selector.specificity != rb.selector.specificity)
            return ra.selector.specificity < rb.selector.specificity;
        return ra.order < rb.order;
    });
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    QHash<QString, QString> result;
    for (int index : candidates) {
        const Rule& rule = m_rules[index];
        if (!matches(rule.selector, element))
            continue;
        for (auto it = rule.declarations.constBegin(); it != rule.declarations.constEnd(); ++it)
            result.insert(it.key(), it.value());
    }
    return result;
}
