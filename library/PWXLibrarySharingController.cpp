#include "library/PWXLibrarySharingController.h"

#include "library/PWXLibrary.h"
#include "library/PWXLibrarySharingDelegate.h"
#include "platform/ui/Sheet.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibrarySharingController", text); }

} // namespace

PF_DEFINE_CLASS(PWXLibrarySharingController, pf::WindowController) {}

QLineEdit* PWXLibrarySharingController::nameField() const { return m_libNameTextField; }
QLineEdit* PWXLibrarySharingController::creditField() const { return m_libCreditTextField; }
QLineEdit* PWXLibrarySharingController::descriptionField() const { return m_libBriefDescriptionTextField; }

PWXLibrarySharingController::PWXLibrarySharingController() = default;

PWXLibrarySharingController::~PWXLibrarySharingController() = default;

void PWXLibrarySharingController::loadWindow()
{
    auto* sheet = new QDialog(nullptr, Qt::Dialog);
    sheet->setObjectName(QStringLiteral("sharingSheet"));
    sheet->setWindowTitle(tr("Share Collection"));
    auto* layout = new QVBoxLayout(sheet);
    auto* form = new QFormLayout;
    m_libNameTextField = new QLineEdit(sheet);
    m_libNameTextField->setReadOnly(true); // the collection is renamed in the manager's outline
    m_libCreditTextField = new QLineEdit(sheet);
    m_libBriefDescriptionTextField = new QLineEdit(sheet);
    form->addRow(tr("Collection:"), m_libNameTextField);
    form->addRow(tr("Credit:"), m_libCreditTextField);
    form->addRow(tr("Description:"), m_libBriefDescriptionTextField);
    layout->addLayout(form);
    m_termsTextView = new QTextEdit(sheet);
    m_termsTextView->setReadOnly(true);
    m_termsTextView->setPlainText(tr("Collections are not uploaded anywhere: the credit and description are kept "
                                     "with the collection and travel with its exported archives."));
    m_termsTextView->setMaximumHeight(70);
    layout->addWidget(m_termsTextView);
    m_agreeTermsCheckbox = new QCheckBox(tr("I agree"), sheet);
    m_agreeTermsCheckbox->hide();
    m_uploadInfoTextField = new QLabel(sheet);
    m_uploadProgress = new QProgressBar(sheet);
    layout->addWidget(m_uploadInfoTextField);
    layout->addWidget(m_uploadProgress);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancel = new QPushButton(tr("Cancel"), sheet);
    m_submitButton = new QPushButton(tr("OK"), sheet);
    m_submitButton->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(m_submitButton);
    layout->addLayout(buttons);
    setWindow(sheet);
    QObject::connect(sheet, &QDialog::rejected, sheet, [this] { cancelAction(); });
    QObject::connect(cancel, &QPushButton::clicked, sheet, [this] { cancelAction(); });
    QObject::connect(m_submitButton, &QPushButton::clicked, sheet, [this] { submitAction(); });
    // Nothing is uploaded: the upload progress never shows.
    m_uploadProgress->hide();
    m_uploadInfoTextField->hide();
}

void PWXLibrarySharingController::windowDidLoad() { setUIFromLibrary(); }

void PWXLibrarySharingController::setLibrary(const pf::Ref<PWXLibrary>& library)
{
    m_libraryToUpload = library;
    if (isWindowLoaded())
        setUIFromLibrary();
}

void PWXLibrarySharingController::setUIFromLibrary()
{
    if (!m_libraryToUpload || !m_libNameTextField)
        return;
    m_libNameTextField->setText(m_libraryToUpload->name());
    m_libCreditTextField->setText(m_libraryToUpload->creator());
    m_libBriefDescriptionTextField->setText(m_libraryToUpload->userDescription());
}

void PWXLibrarySharingController::beginShareLibraryDialogWithParent(QWidget* parent, PWXLibrarySharingDelegate* delegate)
{
    if (m_running)
        return;
    m_delegate = delegate;
    if (delegate)
        m_libraryToUpload = delegate->libraryToUpload();
    QWidget* sheet = window();
    setUIFromLibrary();
    m_running = true;
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    auto ended = [weakSelf](int code) {
        if (auto self = std::static_pointer_cast<PWXLibrarySharingController>(weakSelf.lock()))
            self->sheetDidEnd(code);
    };
    if (parent) {
        pf::Sheet::beginSheet(sheet, parent, ended);
    } else {
        auto* dialog = static_cast<QDialog*>(sheet);
        sheetDidEnd(dialog->exec() == QDialog::Accepted ? 1 : 0);
    }
}

void PWXLibrarySharingController::endSheet(int code)
{
    QWidget* sheet = isWindowLoaded() ? window() : nullptr;
    if (!sheet)
        return;
    if (pf::Sheet::isSheet(sheet))
        pf::Sheet::endSheet(sheet, code);
    else if (auto* dialog = static_cast<QDialog*>(sheet); dialog->isVisible())
        dialog->done(code == 1 ? QDialog::Accepted : QDialog::Rejected);
}

void PWXLibrarySharingController::submitAction(const QVariant&) { endSheet(1); }

void PWXLibrarySharingController::cancelAction(const QVariant&) { endSheet(0); }

void PWXLibrarySharingController::sheetDidEnd(int code)
{
    if (!m_running)
        return;
    m_running = false;
    if (code == 1 && m_libraryToUpload) {
        m_libraryToUpload->setUserDescription(m_libBriefDescriptionTextField->text());
        m_libraryToUpload->setCreator(m_libCreditTextField->text());
    }
    if (isWindowLoaded())
        window()->hide();
}
