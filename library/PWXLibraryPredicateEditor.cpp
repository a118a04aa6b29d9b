#include "library/PWXLibraryPredicateEditor.h"

#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryObjectProtocol.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

using Op = PWXLibraryPredicate::Operator;

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryPredicateEditor", text); }

enum class ValueKind { Text, ItemKind, Flag, Date };

ValueKind valueKindForKey(const QString& key)
{
    if (key == QStringLiteral("classCode"))
        return ValueKind::ItemKind;
    if (key == QStringLiteral("locked"))
        return ValueKind::Flag;
    if (key == QStringLiteral("creationDate") || key == QStringLiteral("lastModificationDate"))
        return ValueKind::Date;
    return ValueKind::Text;
}

QString titleForKey(const QString& key)
{
    static const QHash<QString, const char*> titles = {
        {QStringLiteral("name"), "Name"},
        {QStringLiteral("classCode"), "Item Type"},
        {QStringLiteral("kind"), "Kind"},
        {QStringLiteral("uniqueKey"), "Unique ID"},
        {QStringLiteral("userDescription"), "Description"},
        {QStringLiteral("locked"), "Locked"},
        {QStringLiteral("creationDate"), "Creation Date"},
        {QStringLiteral("lastModificationDate"), "Modification Date"},
        {QStringLiteral("createdBy"), "Created By"},
    };
    return titles.contains(key) ? tr(titles.value(key)) : key;
}

QList<QPair<QString, Op>> operatorsForKind(ValueKind kind)
{
    switch (kind) {
    case ValueKind::Text:
        return {{tr("contains"), Op::Contains},      {tr("begins with"), Op::BeginsWith}, {tr("ends with"), Op::EndsWith},
                {tr("matches"), Op::Like},           {tr("is"), Op::Equal},
                {tr("is not"), Op::NotEqual}};
    case ValueKind::ItemKind:
    case ValueKind::Flag:
        return {{tr("is"), Op::Equal}, {tr("is not"), Op::NotEqual}};
    case ValueKind::Date:
        return {{tr("is before"), Op::Less},          {tr("is on or before"), Op::LessOrEqual},
                {tr("is after"), Op::Greater},        {tr("is on or after"), Op::GreaterOrEqual},
                {tr("is"), Op::Equal}};
    }
    return {};
}

} // namespace

PWXLibraryPredicateEditor::PWXLibraryPredicateEditor(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* header = new QWidget(this);
    header->setFixedHeight(kRowHeight);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(4, 0, 4, 0);
    headerLayout->addWidget(new QLabel(tr("Match"), header));
    m_compound = new QComboBox(header);
    m_compound->setObjectName(QStringLiteral("compound"));
    m_compound->addItem(tr("any"), int(PWXLibraryPredicate::Compound::Or));
    m_compound->addItem(tr("all"), int(PWXLibraryPredicate::Compound::And));
    m_compound->addItem(tr("none"), int(PWXLibraryPredicate::Compound::Not));
    headerLayout->addWidget(m_compound);
    headerLayout->addWidget(new QLabel(tr("of the following are true"), header));
    headerLayout->addStretch(1);
    layout->addWidget(header);
    m_rowsLayout = new QVBoxLayout;
    m_rowsLayout->setSpacing(0);
    layout->addLayout(m_rowsLayout);
    layout->addStretch(1);
    setPredicate(nullptr);
}

QComboBox* PWXLibraryPredicateEditor::keyPopUp(int row) const { return row >= 0 && row < m_rows.size() ? m_rows[row].key : nullptr; }
QComboBox* PWXLibraryPredicateEditor::operatorPopUp(int row) const { return row >= 0 && row < m_rows.size() ? m_rows[row].op : nullptr; }
QWidget* PWXLibraryPredicateEditor::valueControl(int row) const { return row >= 0 && row < m_rows.size() ? m_rows[row].value : nullptr; }

void PWXLibraryPredicateEditor::setPredicate(const pf::Ref<PWXLibraryPredicate>& predicate)
{
    while (!m_rows.isEmpty()) {
        delete m_rows.takeLast().widget;
    }
    const int compound = int(predicate ? predicate->compound() : PWXLibraryPredicate::Compound::Or);
    m_compound->setCurrentIndex(std::max(0, m_compound->findData(compound)));
    QList<PWXLibraryPredicate::Comparison> comparisons = predicate ? predicate->comparisons() : QList<PWXLibraryPredicate::Comparison>();
    if (comparisons.isEmpty())
        comparisons.append({QStringLiteral("name"), Op::Contains, QString()});
    for (const auto& comparison : comparisons)
        addRowAfter(int(m_rows.size()) - 1, comparison);
    rowsChanged();
}

pf::Ref<PWXLibraryPredicate> PWXLibraryPredicateEditor::predicate() const
{
    QList<PWXLibraryPredicate::Comparison> comparisons;
    for (const Row& row : m_rows)
        comparisons.append(comparisonOfRow(row));
    return std::make_shared<PWXLibraryPredicate>(PWXLibraryPredicate::Compound(m_compound->currentData().toInt()),
                                                 comparisons);
}

int PWXLibraryPredicateEditor::indexOfRowWidget(const QWidget* widget) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].widget == widget)
            return i;
    return -1;
}

void PWXLibraryPredicateEditor::addRowAfter(int index, const PWXLibraryPredicate::Comparison& comparison)
{
    Row row;
    row.widget = new QWidget(this);
    row.widget->setFixedHeight(kRowHeight);
    auto* layout = new QHBoxLayout(row.widget);
    layout->setContentsMargins(16, 0, 4, 0);
    row.key = new QComboBox(row.widget);
    for (const QString& key : PWXLibraryPredicate::keys())
        row.key->addItem(titleForKey(key), key);
    layout->addWidget(row.key);
    row.op = new QComboBox(row.widget);
    layout->addWidget(row.op);
    layout->addStretch(1);
    auto* remove = new QToolButton(row.widget);
    remove->setText(QStringLiteral("\u2212"));
    remove->setObjectName(QStringLiteral("removeRule"));
    auto* add = new QToolButton(row.widget);
    add->setText(QStringLiteral("+"));
    add->setObjectName(QStringLiteral("addRule"));
    layout->addWidget(remove);
    layout->addWidget(add);
    const int at = std::clamp(index + 1, 0, int(m_rows.size()));
    m_rows.insert(at, row);
    m_rowsLayout->insertWidget(at, row.widget);
    QString key = comparison.key;
    if (!PWXLibraryPredicate::keys().contains(key))
        key = QStringLiteral("name");
    row.key->setCurrentIndex(row.key->findData(key));
    fillRowForKey(m_rows[at], key, &comparison);

    QWidget* widget = row.widget;
    QObject::connect(row.key, &QComboBox::currentIndexChanged, widget, [this, widget] {
        const int i = indexOfRowWidget(widget);
        if (i >= 0)
            fillRowForKey(m_rows[i], m_rows[i].key->currentData().toString(), nullptr);
    });
    QObject::connect(add, &QToolButton::clicked, widget, [this, widget] {
        addRowAfter(indexOfRowWidget(widget), {QStringLiteral("name"), Op::Contains, QString()});
        rowsChanged();
    });
    QObject::connect(remove, &QToolButton::clicked, widget, [this, widget] {
        removeRow(indexOfRowWidget(widget));
    });
}

void PWXLibraryPredicateEditor::removeRow(int index)
{
    // A smart category always has a rule.
    if (index < 0 || index >= m_rows.size() || m_rows.size() <= 1)
        return;
    QWidget* widget = m_rows.takeAt(index).widget;
    widget->hide();
    widget->deleteLater();
    rowsChanged();
}

void PWXLibraryPredicateEditor::rowsChanged()
{
    for (const Row& row : m_rows)
        if (auto* remove = row.widget->findChild<QToolButton*>(QStringLiteral("removeRule")))
            remove->setEnabled(m_rows.size() > 1);
    if (m_rowsDidChange)
        m_rowsDidChange();
}

void PWXLibraryPredicateEditor::fillRowForKey(Row& row, const QString& key, const PWXLibraryPredicate::Comparison* comparison)
{
    const ValueKind kind = valueKindForKey(key);
    row.op->clear();
    for (const auto& [title, op] : operatorsForKind(kind))
        row.op->addItem(title, int(op));
    if (comparison) {
        const int found = row.op->findData(int(comparison->op));
        row.op->setCurrentIndex(found >= 0 ? found : 0);
    }
    delete row.value;
    auto* layout = static_cast<QHBoxLayout*>(row.widget->layout());
    switch (kind) {
    case ValueKind::Text: {
        auto* field = new QLineEdit(row.widget);
        field->setMinimumWidth(140);
        if (comparison)
            field->setText(comparison->value.toString());
        row.value = field;
        break;
    }
    case ValueKind::ItemKind: {
        auto* popUp = new QComboBox(row.widget);
        for (int code : {int(PWXLibraryObjectProtocol::kStyleClassCode), int(PWXLibraryObjectProtocol::kSymbolMasterClassCode)})
            popUp->addItem(PWXLibraryItem::localisedKindStringForClassCode(code), code);
        if (comparison)
            popUp->setCurrentIndex(std::max(0, popUp->findData(comparison->value.toInt())));
        row.value = popUp;
        break;
    }
    case ValueKind::Flag: {
        auto* popUp = new QComboBox(row.widget);
        popUp->addItem(tr("yes"), true);
        popUp->addItem(tr("no"), false);
        if (comparison && !comparison->value.toBool())
            popUp->setCurrentIndex(1);
        row.value = popUp;
        break;
    }
    case ValueKind::Date: {
        auto* edit = new QDateTimeEdit(row.widget);
        edit->setCalendarPopup(true);
        QDateTime date = comparison ? comparison->value.toDateTime() : QDateTime();
        edit->setDateTime(date.isValid() ? date : QDateTime::currentDateTime());
        row.value = edit;
        break;
    }
    }
    layout->insertWidget(2, row.value);
}

PWXLibraryPredicate::Comparison PWXLibraryPredicateEditor::comparisonOfRow(const Row& row) const
{
    PWXLibraryPredicate::Comparison comparison;
    comparison.key = row.key->currentData().toString();
    comparison.op = Op(row.op->currentData().toInt());
    if (auto* field = qobject_cast<QLineEdit*>(row.value)) {
        comparison.value = field->text();
        // Text rules match as the searches do: "cafe" finds "Café".
        comparison.diacriticInsensitive = comparison.op == Op::Contains || comparison.op == Op::BeginsWith
                                          || comparison.op == Op::EndsWith || comparison.op == Op::Like;
    }
    else if (auto* popUp = qobject_cast<QComboBox*>(row.value))
        comparison.value = popUp->currentData();
    else if (auto* edit = qobject_cast<QDateTimeEdit*>(row.value))
        comparison.value = edit->dateTime();
    return comparison;
}
