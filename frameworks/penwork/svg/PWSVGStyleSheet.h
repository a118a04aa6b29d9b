#pragma once

#include <QHash>
#include <QList>
#include <QString>

struct PWSVGElement;

// The rules of the document's <style> elements (text/css). Selectors: an element name,
// ".class", "#id", "*", attribute tests ("[x]", "[fill=red]", "~=", "|=", "^=", "$=", "*="),
// ":first-child", compounds of them such as "rect.warning", and compounds joined by the
// descendant, child (">"), next-sibling ("+") and sibling ("~") combinators. Rules with other
// pseudo-classes are left out, as are at-rules (an @import is never followed).
class PWSVGStyleSheet {
public:
    static constexpr int kMaxRules = 10000;
    // The elements one selector may look at to match one element.
    static constexpr int kMaxMatchSteps = 10000;

    // Adds the rules of one sheet, after those added before.
    void addSheet(const QString& css);
    bool isEmpty() const { return m_rules.isEmpty(); }

    // The declarations that apply to `element`, in cascade order: a later or more specific rule
    // overrides.
    QHash<QString, QString> declarationsFor(const PWSVGElement& element) const;

private:
    struct AttributeTest {
        QString name;
        QChar op; // 0 for presence, '=' or the first character of ~= |= ^= $= *=
        QString value;
    };
    // One compound: what a single element must be.
    struct Compound {
        QString tag; // empty for any
        QString id;
        QStringList classes;
        QList<AttributeTest> attributes;
        bool firstChild = false;
    };
    // Compounds left to right; combinators[i] joins compounds[i] and compounds[i + 1].
    struct Selector {
        QList<Compound> compounds;
        QList<QChar> combinators;
        int specificity = 0;
    };
    struct Rule {
        Selector selector;
        QHash<QString, QString> declarations;
        int order = 0;
    };
    static bool parseSelector(const QString& text, Selector* selector);
    static bool matches(const Selector& selector, const PWSVGElement& element);
    static bool matchesFrom(const Selector& selector, qsizetype compound, const PWSVGElement& element, int& budget);
    static bool matchesCompound(const Compound& compound, const PWSVGElement& element);
    void index(int ruleIndex);

    QList<Rule> m_rules;
    // Rules by the part of their selector every match must have, so that matching an element
    // looks only at rules that can apply.
    QHash<QString, QList<int>> m_byId;
    QHash<QString, QList<int>> m_byClass;
    QHash<QString, QList<int>> m_byTag;
    QList<int> m_universal;
};
