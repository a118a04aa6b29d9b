#pragma once

#include "library/PWXLibraryPredicate.h"

#include <QList>
#include <QWidget>

#include <functional>

class QComboBox;
class QVBoxLayout;

// The rules of a smart category, one row each: the item property, the comparison and the
// value, under a header row choosing whether any, all or none of the rules must hold. Rows are
// added and removed with their + and - buttons; the last rule cannot be removed.
class PWXLibraryPredicateEditor : public QWidget {
public:
    static constexpr int kRowHeight = 25;

    explicit PWXLibraryPredicateEditor(QWidget* parent = nullptr);

    // Shows the predicate (a single empty "name contains" rule for null).
    void setPredicate(const pf::Ref<PWXLibraryPredicate>& predicate);
    // The predicate the rows describe.
    pf::Ref<PWXLibraryPredicate> predicate() const;

    // The header row and one row per rule.
    int numberOfRows() const { return 1 + int(m_rows.size()); }
    int rowHeight() const { return kRowHeight; }
    // Told after a row was added or removed.
    void setRowsDidChange(std::function<void()> handler) { m_rowsDidChange = std::move(handler); }

    // Adds a rule after `index` (-1: at the end); removes one.
    void addRowAfter(int index, const PWXLibraryPredicate::Comparison& comparison);
    void removeRow(int index);
    int ruleCount() const { return int(m_rows.size()); }

    // For tests: the controls of a rule row.
    QComboBox* keyPopUp(int row) const;
    QComboBox* operatorPopUp(int row) const;
    QWidget* valueControl(int row) const;
    QComboBox* compoundPopUp() const { return m_compound; }

private:
    struct Row {
        QWidget* widget = nullptr;
        QComboBox* key = nullptr;
        QComboBox* op = nullptr;
        QWidget* value = nullptr;
    };
    void fillRowForKey(Row& row, const QString& key, const PWXLibraryPredicate::Comparison* comparison);
    PWXLibraryPredicate::Comparison comparisonOfRow(const Row& row) const;
    int indexOfRowWidget(const QWidget* widget) const;
    void rowsChanged();

    QComboBox* m_compound = nullptr;
    QVBoxLayout* m_rowsLayout = nullptr;
    QList<Row> m_rows;
    std::function<void()> m_rowsDidChange;
};
