#include "library/PWXLibraryManagerTransfers.h"

#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryManagerTransferHost.h"
#include "library/PWXLibraryZipArchive.h"
#include "platform/foundation/FileManager.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/OpenPanel.h"
#include "platform/ui/SavePanel.h"
#include "platform/ui/Sheet.h"
#include "widgets/RVProgressController.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

// Collections coming in from elsewhere (a folder or a zip archive of one) and going out as
// zip archives.

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryManagerWindowController", text); }

bool liesIn(const QString& path, const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QString parent = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return !parent.isEmpty() && parent == QFileInfo(folder).canonicalFilePath();
}

} // namespace

bool PWXLibraryManagerTransfers::confirmAndImportLibraryFile(const QString& path, bool confirm)
{
    PWXLibrary::initializeRegistry();
    QString folder = path;
    // A zip archive is unpacked aside first: the checks and the copy then see the folder in it.
    std::unique_ptr<QTemporaryDir> scratch;
    const bool archive = QFileInfo(path).isFile() && PWXLibraryZipArchive::looksLikeZip(path);
    if (archive) {
        scratch = std::make_unique<QTemporaryDir>();
        QString error;
        folder = scratch->isValid() ? PWXLibraryZipArchive::extractCollection(path, scratch->path(), &error) : QString();
        if (folder.isEmpty())
            RVLog(kFileEvent, QStringLiteral("'%1' is not a collection archive: %2").arg(path, error));
    }
    const QString name = QFileInfo(folder.isEmpty() ? path : folder).completeBaseName();
    if (folder.isEmpty() || !PWXLibrary::isValidLibraryAtPath(folder)) {
        showAlert(tr("Invalid Collection"),
                  tr("The collection \u201C%1\u201D does not appear to be valid, and can't be imported.").arg(name),
                  tr("Cancel"), true);
        return false;
    }
    if (!archive && (liesIn(folder, PWXLibrary::userLibraryFolder()) || liesIn(folder, PWXLibrary::documentLibraryFolder()))) {
        showAlert(tr("Collection Already Installed"),
                  tr("A collection called \u201C%1\u201D has already been installed.").arg(name), tr("Cancel"), true);
        return false;
    }
    if (confirm) {
        pf::Alert alert;
        alert.setMessageText(tr("Install Styles And Symbols Collection"));
        alert.addButton(tr("Install"));
        alert.addButton(tr("Cancel"));
        alert.setInformativeText(
            tr("The collection \u201C%1\u201D can be installed. Would you like to install it now?").arg(name));
        if (alert.runModal() != pf::kAlertFirstButtonReturn)
            return false;
    }
    if (PWXLibrary::libraryWithName(name, PWXLibraryGroup::kUserGroupName)) {
        pf::Application::beep();
        pf::Alert alert;
        alert.setMessageText(tr("Collection Name In Use"));
        alert.addButton(tr("Install"));
        alert.addButton(tr("Cancel"));
        alert.setInformativeText(tr("A collection with the name \u201C%1\u201D already exists. Click Install to continue "
                                    "installation using a modified name.")
                                     .arg(name));
        if (alert.runModal() != pf::kAlertFirstButtonReturn)
            return false;
    }
    if (m_host)
        m_host->showTransferWindow();
    return importUserLibrary(folder);
}

bool PWXLibraryManagerTransfers::importUserLibrary(const QString& path)
{
    RVLog(kFileEvent, QStringLiteral("will attempt to import library %1").arg(path));
    const QString name = QFileInfo(path).completeBaseName();
    pf::Ref<PWXLibrary> library = PWXLibrary::importLibraryAtPath(path);
    if (!library) {
        showAlert(tr("Collection Import Failed"),
                  tr("An error occurred while importing the collection \u201C%1\u201D. Check that the collection is valid "
                     "and that your user permissions allow file write operations.")
                      .arg(name),
                  tr("OK"), true);
        return false;
    }
    if (pf::Ref<PWXLibraryGroup> group = PWXLibraryGroup::groupWithName(library->group()))
        group->invalidateAllElementsCache();
    if (m_host)
        m_host->libraryWasInstalled(library);
    showAlert(tr("Collection Imported"),
              tr("The collection \u201C%1\u201D was successfully imported into \u201C%2\u201D and may now be used.")
                  .arg(library->name(), PWXLibrary::displayNameForGroup(library->group())),
              tr("OK"), false);
    return true;
}

void PWXLibraryManagerTransfers::importLibraryAction(const QVariant&)
{
    // A collection is a folder that the panel offers as one file.
    pf::FileManager::registerPackageExtension(PWXLibrary::libraryExtension());
    auto panel = std::make_shared<pf::OpenPanel>();
    panel->setAllowedFileTypes({PWXLibrary::libraryExtension(), QStringLiteral("ssf"), QStringLiteral("zip")});
    panel->setAllowsOtherFileTypes(false);
    panel->setCanChooseFiles(true);
    panel->setCanChooseDirectories(false);
    panel->setAllowsMultipleSelection(false);
    panel->setPrompt(tr("Import"));
    pf::Weak<pf::Object> weakSelf = ref<pf::Object>();
    auto chosen = [weakSelf, panel](int result) {
        auto self = std::static_pointer_cast<PWXLibraryManagerTransfers>(weakSelf.lock());
        if (!self || result != pf::kModalResponseOK || panel->URLs().isEmpty())
            return;
        const QString path = panel->URLs().first().toLocalFile();
        const QString extension = QFileInfo(path).suffix().toLower();
        // "ssf" files are offered, as they always were, but hold nothing that can be read.
        if (extension == PWXLibrary::libraryExtension() || extension == QStringLiteral("zip"))
            self->confirmAndImportLibraryFile(path, false);
    };
    QWidget* window = m_host ? m_host->transferWindow() : nullptr;
    if (window)
        panel->beginSheetModal(window, chosen);
    else
        chosen(panel->runModal());
}

void PWXLibraryManagerTransfers::exportLibraryAction(const QVariant&)
{
    pf::Ref<PWXLibrary> library = m_host ? m_host->selectedLibrary() : nullptr;
    if (!library || library->isFactoryLibrary() || !library->hasPresenceOnDisk()) {
        pf::Application::beep();
        return;
    }
    auto panel = std::make_shared<pf::SavePanel>();
    panel->setNameFieldStringValue(library->name());
    panel->setAllowedFileTypes({QStringLiteral("zip")});
    panel->setCanCreateDirectories(true);
    panel->setExtensionHidden(false);
    panel->setNameFieldLabel(tr("Export As:"));
    pf::Weak<pf::Object> weakSelf = ref<pf::Object>();
    pf::Weak<PWXLibrary> weakLibrary = library;
    auto chosen = [weakSelf, weakLibrary, panel](int result) {
        auto self = std::static_pointer_cast<PWXLibraryManagerTransfers>(weakSelf.lock());
        pf::Ref<PWXLibrary> library = weakLibrary.lock();
        if (!self || !library || result != pf::kModalResponseOK)
            return;
        self->exportLibrary(library, panel->URL());
    };
    QWidget* window = m_host ? m_host->transferWindow() : nullptr;
    if (window)
        panel->beginSheetModal(window, chosen);
    else
        chosen(panel->runModal());
}

void PWXLibraryManagerTransfers::exportLibrary(const pf::Ref<PWXLibrary>& library, const QUrl& url)
{
    if (!library || m_exporting)
        return;
    m_exporting = true;
    m_lastExport = QUrl();
    library->writeZipFileAtURL(url, std::static_pointer_cast<PWXLibraryManagerTransfers>(ref<pf::Object>()));
}

void PWXLibraryManagerTransfers::libraryWillCreateZipArchiveAtURL(PWXLibrary*, const QUrl& url)
{
    if (m_progress && m_progress->isWindowVisible())
        return;
    m_progress = std::make_shared<RVProgressController>();
    m_progress->setProgressBarIndeterminate(true);
    m_progress->setButtonHidden(true);
    m_progress->setPromptString(tr("Creating Archive..."));
    m_progress->setAdditionalInfoString(url.toLocalFile());
    m_progress->setDefersDisplay(false);
    m_progress->showOnParent(m_host ? m_host->transferWindow() : nullptr);
}

void PWXLibraryManagerTransfers::libraryAvailableAsZipArchiveURL(PWXLibrary* library, const QUrl& url)
{
    // The progress sheet goes first, so that a failure is told over the window itself.
    if (m_progress) {
        m_progress->hide();
        m_progress.reset();
    }
    m_exporting = false;
    m_lastExport = url;
    if (url.isEmpty())
        showAlert(tr("Export Failed"),
                  tr("The collection \u201C%1\u201D could not be exported because an error occurred.")
                      .arg(library ? library->name() : QString()),
                  tr("OK"), true);
}
