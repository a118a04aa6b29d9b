#include "app/CartavelDocumentController.h"

#include "app/RVCartavelDocument.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/Document.h"
#include "platform/foundation/FileManager.h"
#include "platform/ui/OpenPanel.h"
#include "platform/ui/Sheet.h"

#include <QFileInfo>

#include <QCoreApplication>

PF_DEFINE_CLASS(CartavelDocumentController, pf::DocumentController) {}

void CartavelDocumentController::noteNewRecentDocument(pf::Document* document)
{
    if (!document)
        return;
    const bool isTemplate = RVCartavelDocument::isTemplateURL(document->fileURL());
    RVLog(kInfoEvent, QStringLiteral("checking recent item %1 '%2', (template = %3)")
                          .arg(document->description(), document->displayName())
                          .arg(int(isTemplate)));
    if (!isTemplate)
        pf::DocumentController::noteNewRecentDocument(document);
}

bool CartavelDocumentController::isLibraryCollectionPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QStringLiteral("symlibrary") || suffix == QStringLiteral("zip");
}

void CartavelDocumentController::openDocument(const QVariant&)
{
    // A collection is a folder that the panel offers as one file.
    pf::FileManager::registerPackageExtension(QStringLiteral("symlibrary"));
    auto panel = std::make_shared<pf::OpenPanel>();
    panel->setAllowsMultipleSelection(true);
    QStringList extensions;
    for (const QString& type : readableTypes())
        extensions += fileExtensionsFromType(type);
    extensions << QStringLiteral("symlibrary") << QStringLiteral("zip");
    panel->setAllowedFileTypes(extensions);
    if (panel->runModal() != pf::kModalResponseOK)
        return;
    for (const QUrl& url : panel->URLs()) {
        const QString path = url.toLocalFile();
        // The application hands collections to the library, which asks before installing.
        if (isLibraryCollectionPath(path) && pf::Application::shared()) {
            pf::Application::shared()->openFile(path);
            continue;
        }
        openDocumentWithContentsOfURL(url, true, [this](const pf::Ref<pf::Document>&, bool, const pf::Error& error) {
            if (!error.isNull())
                presentError(error);
        });
    }
}

pf::Ref<pf::Alert> CartavelDocumentController::alertForError(const pf::Error& error)
{
    const pf::Error shown = willPresentError(error);
    auto alert = std::make_shared<pf::Alert>();
    alert->setMessageText(shown.localizedDescription());
    const QVariant exception = shown.userInfo().value(RVCartavelDocument::kOriginalExceptionKey);
    if (exception.isValid() && !exception.isNull()) {
        alert->setInformativeText(QStringLiteral("%1%2 (%3)")
                                      .arg(QCoreApplication::translate("CartavelDocumentController", "Reason: "),
                                           pf::describe(exception))
                                      .arg(shown.code()));
    }
    alert->addButton(QCoreApplication::translate("CartavelDocumentController", "OK"));
    alert->setAlertStyle(pf::AlertStyle::Critical);
    return alert;
}

bool CartavelDocumentController::presentError(const pf::Error& error)
{
    pf::Ref<pf::Alert> alert = alertForError(error);
    pf::Application::beep();
    alert->runModal();
    return false;
}
