#include "library/PWXLibrarySmartCategoryEditController.h"

#include "library/PWXLibraryPredicateEditor.h"
#include "library/PWXLibrarySmartCategory.h"
#include "library/PWXLibrarySmartCategoryEditDelegate.h"
#include "platform/ui/Sheet.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibrarySmartCategoryEditController", text); }

} // namespace

PF_DEFINE_CLASS(PWXLibrarySmartCategoryEditController, pf::WindowController) {}

PWXLibrarySmartCategoryEditController::PWXLibrarySmartCategoryEditController() = default;

PWXLibrarySmartCategoryEditController::~PWXLibrarySmartCategoryEditController() = default;

PWXLibraryPredicateEditor* PWXLibrarySmartCategoryEditController::predicateEditor() const { return m_predicateEditor; }
QCheckBox* PWXLibrarySmartCategoryEditController::limitCheckbox() const { return m_setLimitCheckbox; }
QSpinBox* PWXLibrarySmartCategoryEditController::limitField() const { return m_limitTextField; }

void PWXLibrarySmartCategoryEditController::loadWindow()
{
    auto* sheet = new QDialog(nullptr, Qt::Dialog);
    sheet->setWindowTitle(tr("Edit Smart Category"));
    sheet->setObjectName(QStringLiteral("smartCategorySheet"));
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(8, 4, 8, 4);
    m_predicateEditor = new PWXLibraryPredicateEditor(sheet);
    layout->addWidget(m_predicateEditor, 1);
    auto* bottom = new QHBoxLayout;
    m_setLimitCheckbox = new QCheckBox(tr("Limit to"), sheet);
    m_limitTextField = new QSpinBox(sheet);
    m_limitTextField->setRange(1, 100000);
    bottom->addWidget(m_setLimitCheckbox);
    bottom->addWidget(m_limitTextField);
    bottom->addWidget(new QLabel(tr("items"), sheet));
    bottom->addStretch(1);
    auto* cancel = new QPushButton(tr("Cancel"), sheet);
    auto* ok = new QPushButton(tr("OK"), sheet);
    ok->setDefault(true);
    bottom->addWidget(cancel);
    bottom->addWidget(ok);
    layout->addLayout(bottom);
    setWindow(sheet);
    // Escape and closing the sheet are Cancel.
    QObject::connect(sheet, &QDialog::rejected, sheet, [this] { cancelAction(); });
    QObject::connect(ok, &QPushButton::clicked, sheet, [this] { okAction(); });
    QObject::connect(cancel, &QPushButton::clicked, sheet, [this] { cancelAction(); });
    QObject::connect(m_setLimitCheckbox, &QCheckBox::clicked, sheet, [this] { enableLimitAction(); });
    QObject::connect(m_limitTextField, &QSpinBox::valueChanged, sheet, [this](int value) {
        if (m_setLimitCheckbox->isChecked())
            setLimitAction(value);
    });
    m_predicateEditor->setRowsDidChange([this] { ruleEditorRowsDidChange(); });
}

void PWXLibrarySmartCategoryEditController::windowDidLoad()
{
    if (m_editingCat)
        m_predicateEditor->setPredicate(m_editingCat->predicate());
    loadCountLimit();
}

void PWXLibrarySmartCategoryEditController::setSmartCategory(const pf::Ref<PWXLibrarySmartCategory>& category)
{
    m_editingCat = category;
    window();
    if (m_predicateEditor)
        m_predicateEditor->setPredicate(category ? category->predicate() : nullptr);
    loadCountLimit();
}

void PWXLibrarySmartCategoryEditController::beginSmartCategoryEdit(const pf::Ref<PWXLibrarySmartCategory>& category,
                                                                   QWidget* parent,
                                                                   PWXLibrarySmartCategoryEditDelegate* delegate)
{
    if (!category || m_running)
        return;
    setSmartCategory(category);
    m_delegate = delegate;
    m_running = true;
    QWidget* sheet = window();
    sheet->resize(qMax(sheet->sizeHint().width(), 520), sheetHeightForRows());
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    auto ended = [weakSelf](int code) {
        if (auto self = std::static_pointer_cast<PWXLibrarySmartCategoryEditController>(weakSelf.lock()))
            self->sheetDidEnd(code);
    };
    if (parent) {
        pf::Sheet::beginSheet(sheet, parent, ended);
    } else {
        auto* dialog = static_cast<QDialog*>(sheet);
        dialog->setModal(true);
        dialog->show();
        // Ended by okAction or cancelAction, which hide the dialog.
        m_endWithoutSheet = ended;
    }
}

void PWXLibrarySmartCategoryEditController::endSheet(int code)
{
    if (!m_running)
        return;
    QWidget* sheet = window();
    if (pf::Sheet::isSheet(sheet)) {
        pf::Sheet::endSheet(sheet, code);
        return;
    }
    sheet->hide();
    if (auto ended = std::exchange(m_endWithoutSheet, {}))
        ended(code);
}

void PWXLibrarySmartCategoryEditController::okAction(const QVariant&)
{
    // Whatever is still being typed in the limit counts.
    if (m_limitTextField) {
        m_limitTextField->interpretText();
        if (m_setLimitCheckbox->isChecked())
            setLimitAction(m_limitTextField->value());
    }
    endSheet(1);
}

void PWXLibrarySmartCategoryEditController::cancelAction(const QVariant&) { endSheet(0); }

void PWXLibrarySmartCategoryEditController::enableLimitAction(const QVariant&)
{
    setCountLimit(m_setLimitCheckbox && m_setLimitCheckbox->isChecked() ? kDefaultLimit : 0);
}

void PWXLibrarySmartCategoryEditController::setLimitAction(const QVariant& sender)
{
    bool ok = false;
    const int value = sender.toInt(&ok);
    if (ok && value >= 0)
        setCountLimit(unsigned(value));
}

void PWXLibrarySmartCategoryEditController::loadCountLimit()
{
    m_savedCountLimit = m_editingCat ? m_editingCat->countLimit() : 0;
    setCountLimit(m_savedCountLimit);
}

void PWXLibrarySmartCategoryEditController::setCountLimit(unsigned limit)
{
    if (m_setLimitCheckbox && m_limitTextField) {
        const QSignalBlocker blockField(m_limitTextField);
        m_setLimitCheckbox->setChecked(limit != 0);
        m_limitTextField->setEnabled(limit != 0);
        if (limit != 0) {
            m_limitTextField->setValue(int(limit));
            m_limitTextField->setFocus();
        }
    }
    if (m_editingCat && m_editingCat->countLimit() != limit)
        m_editingCat->setCountLimit(limit);
}

int PWXLibrarySmartCategoryEditController::sheetHeightForRows() const
{
    if (!m_predicateEditor)
        return kExtraHeight;
    return m_predicateEditor->numberOfRows() * m_predicateEditor->rowHeight() + kExtraHeight;
}

void PWXLibrarySmartCategoryEditController::ruleEditorRowsDidChange()
{
    if (!isWindowLoaded())
        return;
    QWidget* sheet = window();
    // The sheet hangs from its parent's top edge: it grows and shrinks at the bottom.
    sheet->setMinimumHeight(0);
    sheet->resize(sheet->width(), sheetHeightForRows());
}

void PWXLibrarySmartCategoryEditController::sheetDidEnd(int returnCode)
{
    m_running = false;
    if (!m_editingCat)
        return;
    if (returnCode == 1) {
        m_editingCat->setPredicate(m_predicateEditor->predicate());
        if (m_delegate)
            m_delegate->smartCategoryEditorDidFinishEditingCategory(this, m_editingCat.get());
    } else if (m_editingCat->countLimit() != m_savedCountLimit) {
        m_editingCat->setCountLimit(m_savedCountLimit);
    }
}
