#pragma once

#include "platform/ui/WindowController.h"

#include <QPointer>

class PWXLibrary;
class PWXLibrarySharingDelegate;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTextEdit;

// The sheet that describes a collection for sharing: its name, credit and short description.
// There is no sharing service, so the sheet only keeps the credit and description with the
// collection.
class PWXLibrarySharingController : public pf::WindowController {
    PF_CLASS(PWXLibrarySharingController)
public:
    PWXLibrarySharingController();
    ~PWXLibrarySharingController() override;

    // No sharing service exists.
    static bool sharingAvailable() { return false; }

    void loadWindow() override;
    void windowDidLoad() override;

    // Takes the delegate's collection and runs the sheet on `parent` (application-modally
    // without one).
    void beginShareLibraryDialogWithParent(QWidget* parent, PWXLibrarySharingDelegate* delegate);
    pf::Ref<PWXLibrary> library() const { return m_libraryToUpload; }
    void setLibrary(const pf::Ref<PWXLibrary>& library);
    PWXLibrarySharingDelegate* delegate() const { return m_delegate; }
    void setDelegate(PWXLibrarySharingDelegate* delegate) { m_delegate = delegate; }

    void submitAction(const QVariant& sender = {});
    void cancelAction(const QVariant& sender = {});
    void libNameAction(const QVariant&) {}
    void libCreditAction(const QVariant&) {}
    void agreeTermsAction(const QVariant&) {}

    // Fills the fields from the collection.
    void setUIFromLibrary();

    QLineEdit* nameField() const;
    QLineEdit* creditField() const;
    QLineEdit* descriptionField() const;

private:
    void endSheet(int code);
    void sheetDidEnd(int code);

    QPointer<QLineEdit> m_libNameTextField, m_libCreditTextField, m_libBriefDescriptionTextField;
    QPointer<QTextEdit> m_termsTextView;
    QPointer<QCheckBox> m_agreeTermsCheckbox;
    QPointer<QPushButton> m_submitButton;
    QPointer<QLabel> m_uploadInfoTextField;
    QPointer<QProgressBar> m_uploadProgress;
    pf::Ref<PWXLibrary> m_libraryToUpload;
    PWXLibrarySharingDelegate* m_delegate = nullptr;
    bool m_running = false;
};
