#pragma once

#include "browsers/RVFolderBrowserController.h"
#include "browsers/RVLimitedSavePanelDelegate.h"
#include "platform/ui/WindowController.h"

#include <QPointer>
#include <QUrl>

class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;

// A save sheet confined to one root folder and the folders below it: the user names the file
// and picks a folder from the current folder's contents or from the chain of folders up to the
// root, may make a new folder, and is asked before an existing file is replaced. Links and ".."
// never lead above the root; a blank, "." or ".." name is refused, and a folder (other than a
// document package) is never replaced. The panel writes nothing: its delegate does.
class RVLimitedSavePanel : public pf::WindowController, public RVFolderBrowserDelegate {
    PF_CLASS(RVLimitedSavePanel)
public:
    static constexpr int kSave = 1;
    static constexpr int kCancel = 0;

    RVLimitedSavePanel();
    ~RVLimitedSavePanel() override;
    static pf::Ref<RVLimitedSavePanel> limitedSavePanel();

    QUrl rootFolder() const { return m_rootFolder; }
    void setRootFolder(const QUrl& url);
    QUrl currentFolder() const { return m_currentFolder; }
    // Shows the folder's contents; a folder outside the root (after resolving links and "..")
    // shows the root instead.
    void setCurrentFolder(const QUrl& url);
    // The destination, set when the sheet ends (and by updateURL).
    QUrl URL() const { return m_url; }
    bool showsFiles() const { return m_showsFiles; }
    void setShowsFiles(bool shows) { m_showsFiles = shows; }
    bool showsFolders() const { return m_showsFolders; }
    void setShowsFolders(bool shows) { m_showsFolders = shows; }
    QString saveButtonTitle() const { return m_saveButtonTitle; }
    void setSaveButtonTitle(const QString& title);
    QStringList allowedFileTypes() const { return m_allowedFileTypes; }
    void setAllowedFileTypes(const QStringList& types);
    void setPromptString(const QString& prompt);
    void setAllowsNewFolders(bool allows);
    void setNameFieldStringValue(const QString& name);

    // Begins the panel as a sheet on `window`; the panel keeps itself alive until it ends.
    void runModalForWindow(QWidget* window, RVLimitedSavePanelDelegate* delegate);
    void cancel();

    // --- Actions
    void saveButtonAction(const QVariant& sender);
    void cancelButtonAction(const QVariant& sender) { cancel(); }
    void newFolderAction(const QVariant& sender) { createNewFolder(); }
    void parentPopUpAction(const QVariant& index);
    void fileNameAction(const QVariant& sender) { conditionallyEnableSaveButton(); }
    void folderDialogCreateAction(const QVariant& sender);
    void folderDialogCancelAction(const QVariant& sender);

    void openFolderWithInfo(const pf::Ref<RVFolderInfo>& node);
    // False when the save must wait (the replace question) or cannot happen.
    bool validateSave();
    QList<pf::Ref<RVFolderInfo>> folderChain();
    void createNewFolder();
    void updateURL();
    bool verifyFolderName(const QString& name);
    QString currentFolderName() const;
    void conditionallyEnableSaveButton();
    // The name the file is saved under (trimmed, with the first allowed extension), empty when
    // the name is not acceptable.
    QString destinationName() const;

    // RVFolderBrowserDelegate
    void folderBrowserDidSelectFolder(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>&) override;
    void folderBrowserDidDoubleClickFolder(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>& folder) override;
    void folderBrowserUserClickedFile(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>& file) override;

    // --- Its controls, for tests
    void loadWindow() override;
    RVFolderBrowserController* browserController() const { return m_browser.get(); }
    QPushButton* saveButton() const;
    QPushButton* newFolderButton() const;
    QLineEdit* fileNameField() const;
    QComboBox* parentPopUp() const;
    QLabel* promptField() const;
    QDialog* createFolderPanel() const;
    QLineEdit* folderNameField() const;
    QLabel* folderNameInUseField() const;
    QPushButton* folderDialogCreateButton() const;

private:
    void buildWindow();
    void menuNeedsUpdate();
    void endSheet(int code);
    void sheetDidEnd(int code);
    void replaceAlertDidEnd(int code);
    void createFolderSheetDidEnd(int code);
    void fieldTextChanged(QLineEdit* field);
    // The folder resolved and held to the root, or empty when it cannot be.
    QString confinedPath(const QString& path) const;

    pf::Ref<RVFolderBrowserController> m_browser;
    QPointer<QPushButton> m_saveButton;
    QPointer<QPushButton> m_cancelButton;
    QPointer<QPushButton> m_newFolderButton;
    QPointer<QComboBox> m_parentPopUp;
    QPointer<QLineEdit> m_fileNameField;
    QPointer<QLabel> m_promptField;
    QPointer<QDialog> m_createFolderPanel;
    QPointer<QLineEdit> m_folderNameField;
    QPointer<QLabel> m_folderNameInUseField;
    QPointer<QPushButton> m_folderCreateButton;
    QUrl m_rootFolder;
    QUrl m_currentFolder;
    QUrl m_url;
    bool m_showsFiles = true;
    bool m_showsFolders = true;
    bool m_allowsNewFolders = true;
    RVLimitedSavePanelDelegate* m_delegate = nullptr;
    QString m_saveButtonTitle;
    QString m_prompt;
    QList<pf::Ref<RVFolderInfo>> m_folderChain;
    QStringList m_allowedFileTypes;
    pf::Ref<RVLimitedSavePanel> m_selfHold;
    bool m_running = false;
};
