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
    auto skipSpace = [&]() {
        bool skipped = false;
        while (i < s.size() && s[i].isSpace()) {
            ++i;
            skipped = true;
        }
        return skipped;
    };
    Compound compound;
    bool empty = true;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == u'*' && empty) {
            ++i;
            empty = false;
        } else if (isNameChar(c) && empty) {
            compound.tag = readName();
            selector->specificity += 1;
            empty = false;
        } else if (c == u'.' || c == u'#') {
            ++i;
            const QString name = readName();
            if (name.isEmpty())
                return false;
            if (c == u'.') {
                compound.classes.append(name);
                selector->specificity += 100;
            } else {
                if (!compound.id.isEmpty())
                    return false;
                compound.id = name;
                selector->specificity += 10000;
            }
            empty = false;
        } else if (c == u'[') {
            const qsizetype close = s.indexOf(u']', i);
            if (close < 0)
                return false;
            const QString inside = s.mid(i + 1, close - i - 1).trimmed();
            i = close + 1;
            AttributeTest test;
            const qsizetype equals = inside.indexOf(u'=');
            if (equals < 0) {
                test.name = inside;
            } else {
                test.op = u'=';
                qsizetype nameEnd = equals;
                if (equals > 0 && QStringLiteral("~|^$*").contains(inside[equals - 1])) {
                    test.op = inside[equals - 1];
                    nameEnd = equals - 1;
                }
                test.name = inside.left(nameEnd).trimmed();
                test.value = inside.mid(equals + 1).trimmed();
                if (test.value.size() >= 2 && (test.value.front() == u'"' || test.value.front() == u'\'')
                    && test.value.back() == test.value.front())
                    test.value = test.value.mid(1, test.value.size() - 2);
            }
            if (test.name.isEmpty())
                return false;
            compound.attributes.append(test);
            selector->specificity += 100;
            empty = false;
        } else if (c == u':') {
            ++i;
            if (readName() != u"first-child")
                return false; // other pseudo-classes depend on state the import has not
            compound.firstChild = true;
            selector->specificity += 100;
            empty = false;
        } else if (c.isSpace() || c == u'>' || c == u'+' || c == u'~') {
            skipSpace();
            QChar combinator = u' ';
            if (i < s.size() && (s[i] == u'>' || s[i] == u'+' || s[i] == u'~')) {
                combinator = s[i++];
                skipSpace();
            }
            if (empty || i >= s.size())
                return false;
            selector->compounds.append(compound);
            selector->combinators.append(combinator);
            compound = Compound();
            empty = true;
        } else {
            return false;
        }
    }
    if (empty || selector->compounds.size() >= 32)
        return false;
    selector->compounds.append(compound);
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
    // By the subject (the last compound): every element it matches has what is indexed.
    const Compound& subject = m_rules[ruleIndex].selector.compounds.last();
    if (!subject.id.isEmpty())
        m_byId[subject.id].append(ruleIndex);
    else if (!subject.classes.isEmpty())
        m_byClass[subject.classes.first()].append(ruleIndex);
    else if (!subject.tag.isEmpty())
        m_byTag[subject.tag].append(ruleIndex);
    else
        m_universal.append(ruleIndex);
}

namespace {

const PWSVGElement* previousElementSibling(const PWSVGElement& element)
{
    if (!element.parent)
        return nullptr;
    const PWSVGElement* previous = nullptr;
    for (const auto& child : element.parent->children) {
        if (child.get() == &element)
            return previous;
        if (!child->isText())
            previous = child.get();
    }
    return nullptr;
}

} // namespace

bool PWSVGStyleSheet::matchesCompound(const Compound& compound, const PWSVGElement& element)
{
    if (element.isText())
        return false;
    if (!compound.tag.isEmpty() && compound.tag != element.name)
        return false;
    if (!compound.id.isEmpty() && compound.id != element.attribute(QStringLiteral("id")))
        return false;
    for (const QString& cls : compound.classes)
        if (!element.classes.contains(cls))
            return false;
    for (const AttributeTest& test : compound.attributes) {
        const QString* value = element.attributes.find(test.name);
        if (!value)
            return false;
        bool ok = true;
        switch (test.op.unicode()) {
        case 0: break;
        case u'=': ok = *value == test.value; break;
        case u'~': ok = value->split(u' ', Qt::SkipEmptyParts).contains(test.value); break;
        case u'|': ok = *value == test.value || value->startsWith(test.value + u'-'); break;
        case u'^': ok = !test.value.isEmpty() && value->startsWith(test.value); break;
        case u'$': ok = !test.value.isEmpty() && value->endsWith(test.value); break;
        case u'*': ok = !test.value.isEmpty() && value->contains(test.value); break;
        default: ok = false;
        }
        if (!ok)
            return false;
    }
    if (compound.firstChild && previousElementSibling(element))
        return false;
    return true;
}

bool PWSVGStyleSheet::matchesFrom(const Selector& selector, qsizetype index, const PWSVGElement& element, int& budget)
{
    if (!matchesCompound(selector.compounds[index], element))
        return false;
    if (index == 0)
        return true;
    // Many descendant combinators over a deep document could otherwise try paths without end:
    // each match has a bounded number of steps, and one that needs more fails.
    if (--budget < 0)
        return false;
    const QChar combinator = selector.combinators[index - 1];
    if (combinator == u'>')
        return element.parent && matchesFrom(selector, index - 1, *element.parent, budget);
    if (combinator == u'+') {
        const PWSVGElement* previous = previousElementSibling(element);
        return previous && matchesFrom(selector, index - 1, *previous, budget);
    }
    if (combinator == u'~') {
        for (const PWSVGElement* previous = previousElementSibling(element); previous;
             previous = previousElementSibling(*previous))
            if (matchesFrom(selector, index - 1, *previous, budget))
                return true;
        return false;
    }
    for (const PWSVGElement* up = element.parent; up; up = up->parent)
        if (matchesFrom(selector, index - 1, *up, budget))
            return true;
    return false;
}

bool PWSVGStyleSheet::matches(const Selector& selector, const PWSVGElement& element)
{
    int budget = kMaxMatchSteps;
    return matchesFrom(selector, selector.compounds.size() - 1, element, budget);
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
