#pragma once

#include <QHash>
#include <QList>
#include <QString>

struct PWSVGElement;

// The rules of the document's <style> elements (text/css). Simple selectors only: an element
// name, ".class", "#id", "*", and compounds of them such as "rect.warning"; rules whose
// selectors combine elements (descendants, children, siblings, pseudo-classes, attributes) are
// left out, as are at-rules (an @import is never followed).
class PWSVGStyleSheet {
public:
    static constexpr int kMaxRules = 10000;

    // Adds the rules of one sheet, after those added before.
    void addSheet(const QString& css);
    bool isEmpty() const { return m_rules.isEmpty(); }

    // The declarations that apply to `element`, in cascade order: a later or more specific rule
    // overrides.
    QHash<QString, QString> declarationsFor(const PWSVGElement& element) const;

private:
    struct Selector {
        QString tag; // empty for any
        QString id;
        QStringList classes;
        int specificity = 0;
    };
    struct Rule {
        Selector selector;
        QHash<QString, QString> declarations;
        int order = 0;
    };
    static bool parseSelector(const QString& text, Selector* selector);
    static bool matches(const Selector& selector, const PWSVGElement& element);
    void index(int ruleIndex);

    QList<Rule> m_rules;
    // Rules by the part of their selector every match must have, so that matching an element
    // looks only at rules that can apply.
    QHash<QString, QList<int>> m_byId;
    QHash<QString, QList<int>> m_byClass;
    QHash<QString, QList<int>> m_byTag;
    QList<int> m_universal;
};
