#pragma once

#include "app/CVLTemplateItem.h"
#include "browsers/RVFolderBrowserController.h"
#include "platform/ui/WindowController.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QUrl>

// What the template picker asks of its delegate (the application delegate).
class CVLTemplatePickerDelegate {
public:
    virtual ~CVLTemplatePickerDelegate() = default;
    // The user chose the template at `url`: open a new untitled document from it.
    virtual void openSelectedTemplateURL(const QUrl&) {}
};

// The template picker: the template folders (the collection among the program's resources
// and the user's "My Templates") on the left, the templates of the folder shown as a grid of
// thumbnails on the right, with a search field, an import button, a button that starts a new
// blank document and a show-at-start-up check box. One shared window, reused; not modal.
class CVLTemplatePickerController : public pf::WindowController, public RVFolderBrowserDelegate {
    PF_CLASS(CVLTemplatePickerController)
public:
    static inline const QString kShowAtStartupDefault = QStringLiteral("CVLQ_SHOW_TEMPLATES_AT_STARTUP");
    static inline const QString kSelectedFolderBookmarkDefault = QStringLiteral("CVLQ_SELECTED_TEMPLATE_BM");
    static inline const QString kSelectedFolderIdentifierDefault = QStringLiteral("CVLQ_SELECTED_TEMPLATE_IDENTIFIER");
    static inline const QString kStationeryFolder = QStringLiteral("Stationery");
    // The extensions of the files import accepts.
    static QStringList importableFileTypes();

    CVLTemplatePickerController();
    ~CVLTemplatePickerController() override;

    static pf::Ref<CVLTemplatePickerController> templatePicker();
    // Tests: closes and forgets the shared picker.
    static void releaseTemplatePicker();
    static bool shouldDisplayTemplatePickerAtLaunch();

    CVLTemplatePickerDelegate* delegate() const { return m_delegate; }
    // Not retained.
    void setDelegate(CVLTemplatePickerDelegate* delegate) { m_delegate = delegate; }

    QUrl templatesRootURL() const { return m_templatesRootURL; }
    // Shows the folder: clears the filter, reloads and remembers the folder.
    void setTemplatesRootURL(const QUrl& url);
    void reloadData();
    QList<pf::Ref<CVLTemplateItem>> templates() const { return m_templates; }
    void setTemplates(const QList<pf::Ref<CVLTemplateItem>>& templates);
    QString filterString() const { return m_filterString; }
    void setFilterString(const QString& filter);
    // The selected template's URL when exactly one is selected.
    QUrl selectedTemplateURL() const;

    // Actions.
    void okButtonAction(const QVariant& sender);
    void doubleClick(const QVariant& sender);
    void showAtStartUpAction(const QVariant& sender);
    void newDefaultDocumentAction(const QVariant& sender);
    void revealInFinderAction(const QVariant& sender);
    void filterAction(const QVariant& sender);
    void importTemplatesAction(const QVariant& sender);
    void openDrawingSetup();
    bool canRevealSelection() const;
    void checkForPossibleSelectionChange();

    // Copies `files` (those of the importable types; others are skipped) into a folder of the
    // user templates folder named after the folder holding the last file, going on past a copy
    // that fails. Answers the destination (empty when it could not be made) and, in
    // `failures`, one line for each file not copied.
    static QUrl importTemplateFiles(const QList<QUrl>& files, QStringList* failures);
    // Shows the imported folder in the folder list and the grid.
    void showImportedFolder(const QUrl& destination);

    // RVFolderBrowserDelegate
    void folderBrowserDidSelectFolder(RVFolderBrowserController& browser, const pf::Ref<RVFolderInfo>& folder) override;
    void folderBrowserWasNotifiedOfChangeOnDisk(RVFolderBrowserController& browser,
                                                const pf::Ref<RVFolderInfo>& folder) override;

    // Widgets, for the program's own use and tests.
    QListWidget* grid() const { return m_grid; }
    QLineEdit* searchField() const { return m_searchField; }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QCheckBox* showAtStartupCheckBox() const { return m_showAtStartup; }
    pf::Ref<RVFolderBrowserController> folderBrowser() const { return m_folderBrowser; }

private:
    void buildWindow();
    void windowDidLoad() override;
    void updateIcon(const CVLTemplateItem* item);

    CVLTemplatePickerDelegate* m_delegate = nullptr;
    QList<pf::Ref<CVLTemplateItem>> m_templates;
    QList<int> m_prevSelection;
    QUrl m_templatesRootURL;
    QString m_filterString;
    pf::Ref<RVFolderBrowserController> m_folderBrowser;
    QPointer<QListWidget> m_grid;
    QPointer<QLineEdit> m_searchField;
    QPointer<QPushButton> m_okButton;
    QPointer<QPushButton> m_cancelButton;
    QPointer<QCheckBox> m_showAtStartup;
    QPointer<QLabel> m_header;
    quint64 m_imageObservation = 0;
};
