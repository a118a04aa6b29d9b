#include "browsers/RVLimitedSavePanel.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Sheet.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PF_DEFINE_CLASS(RVLimitedSavePanel, pf::WindowController)
{
    b.method("saveButtonAction:", &RVLimitedSavePanel::saveButtonAction);
    b.method("cancelButtonAction:", &RVLimitedSavePanel::cancelButtonAction);
    b.method("newFolderAction:", &RVLimitedSavePanel::newFolderAction);
    b.method("parentPopUpAction:", &RVLimitedSavePanel::parentPopUpAction);
    b.method("fileNameAction:", &RVLimitedSavePanel::fileNameAction);
    b.method("folderDialogCreateAction:", &RVLimitedSavePanel::folderDialogCreateAction);
    b.method("folderDialogCancelAction:", &RVLimitedSavePanel::folderDialogCancelAction);
}

namespace {

QString resolved(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    const QString canonical = QFileInfo(clean).canonicalFilePath();
    return canonical.isEmpty() ? clean : canonical;
}

// A name that stands for no file of its own.
bool isBlankName(const QString& name)
{
    return name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..");
}

} // namespace

RVLimitedSavePanel::RVLimitedSavePanel() : m_saveButtonTitle(QObject::tr("Save")) {}

RVLimitedSavePanel::~RVLimitedSavePanel()
{
    if (m_browser)
        m_browser->setDelegate(nullptr);
    delete m_createFolderPanel;
}

pf::Ref<RVLimitedSavePanel> RVLimitedSavePanel::limitedSavePanel()
{
    return std::make_shared<RVLimitedSavePanel>();
}

// --- Window ----------------------------------------------------------------------------------------

void RVLimitedSavePanel::loadWindow()
{
    buildWindow();
}

void RVLimitedSavePanel::buildWindow()
{
    auto* window = new QDialog;
    window->setWindowTitle(m_saveButtonTitle);
    window->resize(480, 420);
    auto* layout = new QVBoxLayout(window);
    m_promptField = new QLabel(m_prompt, window);
    m_promptField->setWordWrap(true);
    layout->addWidget(m_promptField);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QObject::tr("Save As:"), window));
    m_fileNameField = new QLineEdit(window);
    nameRow->addWidget(m_fileNameField, 1);
    layout->addLayout(nameRow);
    m_parentPopUp = new QComboBox(window);
    layout->addWidget(m_parentPopUp);
    m_browser = std::make_shared<RVFolderBrowserController>(window);
    layout->addWidget(m_browser->outlineView(), 1);
    auto* buttons = new QHBoxLayout;
    m_newFolderButton = new QPushButton(QObject::tr("New Folder"), window);
    m_newFolderButton->setAutoDefault(false);
    m_newFolderButton->setVisible(m_allowsNewFolders);
    m_cancelButton = new QPushButton(QObject::tr("Cancel"), window);
    m_cancelButton->setAutoDefault(false);
    m_saveButton = new QPushButton(m_saveButtonTitle, window);
    m_saveButton->setDefault(true);
    buttons->addWidget(m_newFolderButton);
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_saveButton);
    layout->addLayout(buttons);

    m_createFolderPanel = new QDialog;
    m_createFolderPanel->setWindowTitle(QObject::tr("New Folder"));
    auto* folderLayout = new QVBoxLayout(m_createFolderPanel);
    folderLayout->addWidget(new QLabel(QObject::tr("Name of the new folder:"), m_createFolderPanel));
    m_folderNameField = new QLineEdit(m_createFolderPanel);
    folderLayout->addWidget(m_folderNameField);
    m_folderNameInUseField = new QLabel(QObject::tr("That name is already taken."), m_createFolderPanel);
    folderLayout->addWidget(m_folderNameInUseField);
    auto* folderButtons = new QHBoxLayout;
    auto* folderCancel = new QPushButton(QObject::tr("Cancel"), m_createFolderPanel);
    folderCancel->setAutoDefault(false);
    m_folderCreateButton = new QPushButton(QObject::tr("Create"), m_createFolderPanel);
    m_folderCreateButton->setDefault(true);
    folderButtons->addStretch(1);
    folderButtons->addWidget(folderCancel);
    folderButtons->addWidget(m_folderCreateButton);
    folderLayout->addLayout(folderButtons);

    QObject::connect(m_saveButton, &QPushButton::clicked, window, [this] { saveButtonAction({}); });
    QObject::connect(m_cancelButton, &QPushButton::clicked, window, [this] { cancel(); });
    QObject::connect(m_newFolderButton, &QPushButton::clicked, window, [this] { createNewFolder(); });
    QObject::connect(m_parentPopUp, &QComboBox::activated, window, [this](int index) { parentPopUpAction(index); });
    QObject::connect(m_fileNameField, &QLineEdit::textEdited, window, [this] { fieldTextChanged(m_fileNameField); });
    QObject::connect(m_fileNameField, &QLineEdit::returnPressed, window, [this] { saveButtonAction({}); });
    QObject::connect(m_folderNameField, &QLineEdit::textEdited, m_createFolderPanel,
                     [this] { fieldTextChanged(m_folderNameField); });
    QObject::connect(m_folderCreateButton, &QPushButton::clicked, m_createFolderPanel, [this] { folderDialogCreateAction({}); });
    QObject::connect(folderCancel, &QPushButton::clicked, m_createFolderPanel, [this] { folderDialogCancelAction({}); });
    // Escape ends the sheet as Cancel does.
    QObject::connect(window, &QDialog::rejected, window, [this] {
        if (m_running)
            cancel();
    });
    setWindow(window);

    // What the nib's wake-up did: the outline shows the current folder's contents with files.
    m_browser->setShowRootItems(false);
    m_browser->setShowFiles(true);
    m_browser->setCanSelectFiles(false);
    m_browser->setDelegate(this);
    m_folderNameInUseField->hide();
    setCurrentFolder(m_rootFolder.isEmpty() ? QUrl::fromLocalFile(QStringLiteral("/")) : m_rootFolder);
    if (m_rootFolder.isEmpty())
        m_rootFolder = QUrl::fromLocalFile(QStringLiteral("/"));
    conditionallyEnableSaveButton();
}

QPushButton* RVLimitedSavePanel::saveButton() const { return m_saveButton; }
QPushButton* RVLimitedSavePanel::newFolderButton() const { return m_newFolderButton; }
QLineEdit* RVLimitedSavePanel::fileNameField() const { return m_fileNameField; }
QComboBox* RVLimitedSavePanel::parentPopUp() const { return m_parentPopUp; }
QLabel* RVLimitedSavePanel::promptField() const { return m_promptField; }
QDialog* RVLimitedSavePanel::createFolderPanel() const { return m_createFolderPanel; }
QLineEdit* RVLimitedSavePanel::folderNameField() const { return m_folderNameField; }
QLabel* RVLimitedSavePanel::folderNameInUseField() const { return m_folderNameInUseField; }
QPushButton* RVLimitedSavePanel::folderDialogCreateButton() const { return m_folderCreateButton; }

// --- Configuration ------------------------------------------------------------------------------

void RVLimitedSavePanel::setRootFolder(const QUrl& url)
{
    m_rootFolder = QUrl::fromLocalFile(resolved(url.toLocalFile()));
    window();
    setCurrentFolder(m_rootFolder);
}

QString RVLimitedSavePanel::confinedPath(const QString& path) const
{
    const QString root = resolved(m_rootFolder.toLocalFile());
    const QString wanted = resolved(path);
    if (wanted == root || wanted.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/')))
        return wanted;
    return QString();
}

void RVLimitedSavePanel::setCurrentFolder(const QUrl& url)
{
    QString path = m_rootFolder.isEmpty() ? resolved(url.toLocalFile()) : confinedPath(url.toLocalFile());
    if (path.isEmpty()) {
        RVLog(kFileEvent, QStringLiteral("the folder '%1' is outside '%2': the panel shows the root")
                              .arg(url.toLocalFile(), m_rootFolder.toLocalFile()));
        path = resolved(m_rootFolder.toLocalFile());
    }
    m_currentFolder = QUrl::fromLocalFile(path);
    if (!m_browser)
        return;
    pf::Ref<RVFolderInfo> node = RVFolderInfo::folderInfoWithURL(m_currentFolder);
    node->setIncludesFiles(true);
    m_browser->setRootItems({node});
    m_folderChain.clear();
    menuNeedsUpdate();
    conditionallyEnableSaveButton();
}

void RVLimitedSavePanel::setSaveButtonTitle(const QString& title)
{
    m_saveButtonTitle = title;
    conditionallyEnableSaveButton();
}

void RVLimitedSavePanel::setAllowedFileTypes(const QStringList& types)
{
    m_allowedFileTypes = types;
    conditionallyEnableSaveButton();
}

void RVLimitedSavePanel::setPromptString(const QString& prompt)
{
    m_prompt = prompt;
    if (m_promptField)
        m_promptField->setText(prompt);
}

void RVLimitedSavePanel::setAllowsNewFolders(bool allows)
{
    m_allowsNewFolders = allows;
    if (m_newFolderButton)
        m_newFolderButton->setVisible(allows);
}

void RVLimitedSavePanel::setNameFieldStringValue(const QString& name)
{
    window();
    m_fileNameField->setText(name);
    fieldTextChanged(m_fileNameField);
}

// --- Folders -------------------------------------------------------------------------------------

QList<pf::Ref<RVFolderInfo>> RVLimitedSavePanel::folderChain()
{
    if (!m_folderChain.isEmpty())
        return m_folderChain;
    const QString root = resolved(m_rootFolder.toLocalFile());
    const QString current = resolved(m_currentFolder.toLocalFile());
    const QStringList rootParts = root.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QStringList currentParts = current.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (currentParts.size() < rootParts.size() || confinedPath(current).isEmpty())
        pf::raise(pf::NSInternalInconsistencyException,
                  QStringLiteral("Error: the current folder (%1) is outside the root folder (%2)").arg(current, root));
    QString path = root;
    m_folderChain.append(RVFolderInfo::folderInfoWithURL(QUrl::fromLocalFile(path)));
    for (qsizetype i = rootParts.size(); i < currentParts.size(); ++i) {
        path = QDir(path).filePath(currentParts[i]);
        m_folderChain.append(RVFolderInfo::folderInfoWithURL(QUrl::fromLocalFile(path)));
    }
    return m_folderChain;
}

void RVLimitedSavePanel::menuNeedsUpdate()
{
    if (!m_parentPopUp || !m_folderChain.isEmpty())
        return;
    const QList<pf::Ref<RVFolderInfo>> chain = folderChain();
    m_parentPopUp->clear();
    // The current folder first, the root last, each indented one step less.
    for (qsizetype i = chain.size() - 1; i >= 0; --i) {
        const int level = int(i + 1);
        QIcon icon;
        if (pf::Ref<pf::Image> image = chain[i]->icon())
            icon = image->icon();
        m_parentPopUp->addItem(icon, QString(2 * (level - 1), QLatin1Char(' ')) + chain[i]->name(), int(i));
    }
    m_parentPopUp->setCurrentIndex(0);
}

void RVLimitedSavePanel::parentPopUpAction(const QVariant& index)
{
    const QList<pf::Ref<RVFolderInfo>> chain = folderChain();
    const int position = int(chain.size()) - 1 - index.toInt();
    if (position >= 0 && position < chain.size())
        openFolderWithInfo(chain[position]);
}

void RVLimitedSavePanel::openFolderWithInfo(const pf::Ref<RVFolderInfo>& node)
{
    if (node)
        setCurrentFolder(QUrl::fromLocalFile(node->path()));
}

QString RVLimitedSavePanel::currentFolderName() const
{
    return QFileInfo(m_currentFolder.toLocalFile()).completeBaseName();
}

// --- The name and the save button ----------------------------------------------------------------

QString RVLimitedSavePanel::destinationName() const
{
    if (!m_fileNameField)
        return QString();
    QString name = m_fileNameField->text().trimmed();
    name.remove(QLatin1Char('/'));
    name.remove(QLatin1Char(':'));
    name = name.trimmed();
    if (isBlankName(name))
        return QString();
    if (m_allowedFileTypes.isEmpty())
        return name;
    // A leading dot starts a name, not an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot > 0 ? name.mid(dot + 1) : QString();
    const QString base = dot > 0 ? name.left(dot) : name;
    if (!extension.isEmpty() && !m_allowedFileTypes.contains(extension, Qt::CaseSensitive))
        return QString();
    if (isBlankName(base.trimmed()))
        return QString();
    return base + QLatin1Char('.') + m_allowedFileTypes.first();
}

void RVLimitedSavePanel::conditionallyEnableSaveButton()
{
    if (!m_saveButton)
        return;
    if (m_browser && m_browser->selectedItem()) {
        m_saveButton->setText(QObject::tr("Open"));
        m_saveButton->setEnabled(true);
        return;
    }
    m_saveButton->setText(m_saveButtonTitle);
    m_saveButton->setEnabled(!destinationName().isEmpty());
}

void RVLimitedSavePanel::fieldTextChanged(QLineEdit* field)
{
    if (!field)
        return;
    QString text = field->text();
    if (text.contains(QLatin1Char('/')) || text.contains(QLatin1Char(':'))) {
        const int cursor = field->cursorPosition();
        const int removed = int(text.left(cursor).count(QLatin1Char('/')) + text.left(cursor).count(QLatin1Char(':')));
        text.remove(QLatin1Char('/'));
        text.remove(QLatin1Char(':'));
        field->setText(text);
        field->setCursorPosition(cursor - removed);
    }
    if (field == m_fileNameField)
        conditionallyEnableSaveButton();
    else if (field == m_folderNameField)
        verifyFolderName(text);
}

void RVLimitedSavePanel::updateURL()
{
    const QString name = destinationName();
    m_url = name.isEmpty() ? QUrl() : QUrl::fromLocalFile(QDir(m_currentFolder.toLocalFile()).filePath(name));
}

// --- Saving --------------------------------------------------------------------------------------

void RVLimitedSavePanel::saveButtonAction(const QVariant&)
{
    if (pf::Ref<RVFolderInfo> selected = m_browser ? m_browser->selectedItem() : nullptr) {
        openFolderWithInfo(selected);
        return;
    }
    if (validateSave())
        endSheet(kSave);
}

bool RVLimitedSavePanel::validateSave()
{
    updateURL();
    if (m_url.isEmpty()) {
        pf::Application::beep();
        return false;
    }
    const QFileInfo destination(m_url.toLocalFile());
    if (!destination.exists() && !destination.isSymLink())
        return true;
    auto alert = std::make_shared<pf::Alert>();
    alert->setAlertStyle(pf::AlertStyle::Critical);
    if (destination.isDir() && !pf::FileManager::isPackage(destination.filePath())) {
        // A folder holds more than the document that would replace it.
        alert->setMessageText(QStringLiteral("\u201c%1\u201d %2").arg(destination.fileName(), QObject::tr("is a folder.")));
        alert->setInformativeText(QObject::tr("A folder cannot be replaced by a document. Please choose another name."));
        alert->addButton(QObject::tr("OK"));
        alert->beginSheetModal(window(), [](int) {});
        return false;
    }
    alert->setMessageText(QStringLiteral("\u201c%1\u201d %2").arg(destination.fileName(),
                                                                   QObject::tr("already exists. Do you want to replace it?")));
    alert->addButton(QObject::tr("Replace"));
    alert->addButton(QObject::tr("Cancel"));
    alert->setInformativeText(QStringLiteral("%1 \u201c%2\u201d. %3")
                                  .arg(QObject::tr("A file or folder with the same name already exists in the folder"),
                                       currentFolderName(),
                                       QObject::tr("Replacing it will overwrite its current contents.")));
    pf::Weak<RVLimitedSavePanel> weakSelf = weak<RVLimitedSavePanel>();
    alert->beginSheetModal(window(), [weakSelf](int code) {
        if (auto self = weakSelf.lock())
            self->replaceAlertDidEnd(code);
    });
    return false;
}

void RVLimitedSavePanel::replaceAlertDidEnd(int code)
{
    if (code == pf::kAlertFirstButtonReturn) {
        endSheet(kSave);
        return;
    }
    m_fileNameField->clear();
    conditionallyEnableSaveButton();
    m_fileNameField->setFocus();
}

void RVLimitedSavePanel::cancel()
{
    endSheet(kCancel);
}

void RVLimitedSavePanel::runModalForWindow(QWidget* parentWindow, RVLimitedSavePanelDelegate* delegate)
{
    m_selfHold = ref<RVLimitedSavePanel>();
    m_delegate = delegate;
    m_running = true;
    QWidget* sheet = window();
    conditionallyEnableSaveButton();
    if (!parentWindow) {
        // No window to attach to: the panel runs on its own, blocking the others.
        sheet->setWindowModality(Qt::ApplicationModal);
        sheet->show();
        pf::PresentationHook::presented(sheet);
        return;
    }
    pf::Weak<RVLimitedSavePanel> weakSelf = weak<RVLimitedSavePanel>();
    pf::Sheet::beginSheet(sheet, parentWindow, [weakSelf](int code) {
        if (auto self = weakSelf.lock())
            self->sheetDidEnd(code == kSave ? kSave : kCancel);
    });
}

void RVLimitedSavePanel::endSheet(int code)
{
    QWidget* sheet = window();
    if (m_running && pf::Sheet::attachedSheet(sheet->parentWidget()) == sheet) {
        pf::Sheet::endSheet(sheet, code);
        return;
    }
    sheetDidEnd(code);
}

void RVLimitedSavePanel::sheetDidEnd(int code)
{
    const pf::Ref<RVLimitedSavePanel> keep = std::move(m_selfHold);
    const bool wasRunning = std::exchange(m_running, false);
    updateURL();
    if (wasRunning && m_delegate)
        m_delegate->savePanelDidEnd(*this, code);
    if (QWidget* sheet = window())
        sheet->hide();
}

// --- New folder ----------------------------------------------------------------------------------

void RVLimitedSavePanel::createNewFolder()
{
    window();
    m_folderNameField->clear();
    verifyFolderName(QString());
    pf::Weak<RVLimitedSavePanel> weakSelf = weak<RVLimitedSavePanel>();
    pf::Sheet::beginSheet(m_createFolderPanel, window(), [weakSelf](int code) {
        if (auto self = weakSelf.lock())
            self->createFolderSheetDidEnd(code);
    });
}

bool RVLimitedSavePanel::verifyFolderName(const QString& name)
{
    const bool valid = !isBlankName(name) && !name.contains(QLatin1Char('/'))
        && !QFileInfo::exists(QDir(m_currentFolder.toLocalFile()).filePath(name));
    if (m_folderCreateButton)
        m_folderCreateButton->setEnabled(valid);
    if (m_folderNameInUseField)
        m_folderNameInUseField->setVisible(!valid && !name.isEmpty());
    if (!valid && m_folderNameField)
        m_folderNameField->selectAll();
    return valid;
}

void RVLimitedSavePanel::folderDialogCreateAction(const QVariant&)
{
    if (verifyFolderName(m_folderNameField->text()))
        pf::Sheet::endSheet(m_createFolderPanel, 1);
}

void RVLimitedSavePanel::folderDialogCancelAction(const QVariant&)
{
    pf::Sheet::endSheet(m_createFolderPanel, 0);
}

void RVLimitedSavePanel::createFolderSheetDidEnd(int code)
{
    if (m_createFolderPanel)
        m_createFolderPanel->hide();
    const QString name = m_folderNameField->text();
    if (code != 1 || !verifyFolderName(name))
        return;
    const QString path = QDir(m_currentFolder.toLocalFile()).filePath(name);
    if (QDir().mkpath(path))
        setCurrentFolder(QUrl::fromLocalFile(path));
    else
        RVLog(kFileEvent, QStringLiteral("the folder '%1' could not be created").arg(path));
}

// --- Folder browser --------------------------------------------------------------------------------

void RVLimitedSavePanel::folderBrowserDidSelectFolder(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>&)
{
    conditionallyEnableSaveButton();
}

void RVLimitedSavePanel::folderBrowserDidDoubleClickFolder(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>& folder)
{
    if (folder && !folder->isFile())
        openFolderWithInfo(folder);
}

void RVLimitedSavePanel::folderBrowserUserClickedFile(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>& file)
{
    if (!file || !m_fileNameField)
        return;
    m_fileNameField->setText(file->name());
    conditionallyEnableSaveButton();
}
