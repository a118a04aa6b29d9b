#include "platform/ui/PageSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pf {

namespace {

const QPageSize::PageSizeId kPapers[] = {QPageSize::A3,     QPageSize::A4,    QPageSize::A5,
                                         QPageSize::Letter, QPageSize::Legal, QPageSize::Tabloid};

} // namespace

PageSetupDialog::PageSetupDialog(const QPageLayout& layout, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Page Setup"));
    auto* form = new QFormLayout;

    m_paper = new QComboBox(this);
    m_paper->setObjectName(QStringLiteral("paperSize"));
    const QPageSize current = layout.pageSize();
    for (QPageSize::PageSizeId id : kPapers)
        m_paper->addItem(QPageSize::name(id), int(id));
    int index = m_paper->findData(int(current.id()));
    if (index < 0) {
        m_customSize = current;
        m_paper->addItem(current.name(), int(QPageSize::Custom));
        index = m_paper->count() - 1;
    }
    m_paper->setCurrentIndex(index);
    form->addRow(QStringLiteral("Paper size:"), m_paper);

    auto* orientation = new QHBoxLayout;
    m_portrait = new QRadioButton(QStringLiteral("Portrait"), this);
    m_portrait->setObjectName(QStringLiteral("portrait"));
    m_landscape = new QRadioButton(QStringLiteral("Landscape"), this);
    m_landscape->setObjectName(QStringLiteral("landscape"));
    (layout.orientation() == QPageLayout::Landscape ? m_landscape : m_portrait)->setChecked(true);
    orientation->addWidget(m_portrait);
    orientation->addWidget(m_landscape);
    form->addRow(QStringLiteral("Orientation:"), orientation);

    const QMarginsF margins = layout.margins(QPageLayout::Point);
    const double values[4] = {margins.left(), margins.top(), margins.right(), margins.bottom()};
    const char* labels[4] = {"Left margin:", "Top margin:", "Right margin:", "Bottom margin:"};
    for (int i = 0; i < 4; ++i) {
        m_margins[i] = new QDoubleSpinBox(this);
        m_margins[i]->setRange(0, 1000);
        m_margins[i]->setSuffix(QStringLiteral(" pt"));
        m_margins[i]->setValue(values[i]);
        form->addRow(QString::fromLatin1(labels[i]), m_margins[i]);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(buttons);
}

QPageLayout PageSetupDialog::pageLayout() const
{
    const auto id = static_cast<QPageSize::PageSizeId>(m_paper->currentData().toInt());
    const QPageSize size = id == QPageSize::Custom ? m_customSize : QPageSize(id);
    const QMarginsF margins(m_margins[0]->value(), m_margins[1]->value(), m_margins[2]->value(),
                            m_margins[3]->value());
    QPageLayout layout(size, m_landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(), QPageLayout::Point);
    layout.setMode(QPageLayout::FullPageMode);
    layout.setMargins(margins);
    return layout;
}

} // namespace pf
