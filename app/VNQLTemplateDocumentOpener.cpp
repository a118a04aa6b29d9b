#include "app/VNQLTemplateDocumentOpener.h"

#include "app/RVCartavelDocument.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/ui/DocumentController.h"

VNQLTemplateDocumentOpener& VNQLTemplateDocumentOpener::shared()
{
    static VNQLTemplateDocumentOpener opener;
    return opener;
}

void VNQLTemplateDocumentOpener::newDocumentFromTemplate()
{
    pf::Ref<CVLTemplatePickerController> picker = CVLTemplatePickerController::templatePicker();
    picker->setDelegate(this);
    picker->showWindow({});
}

void VNQLTemplateDocumentOpener::openSelectedTemplateURL(const QUrl& url)
{
    openTemplateAsUntitledDocument(url, true);
}

void VNQLTemplateDocumentOpener::openTemplateAsUntitledDocument(const QUrl& url, bool display, Completion completion)
{
    RVLog(kFileEvent, QStringLiteral("opening document from template: %1").arg(url.toString()));
    pf::DocumentController* controller = pf::DocumentController::shared();
    if (!controller) {
        if (completion)
            completion(nullptr, pf::Error(RVCartavelDocument::kErrorDomain, RVCartavelDocument::kErrorException));
        return;
    }
    controller->openDocumentWithContentsOfURL(
        url, false, [url, display, completion](const pf::Ref<pf::Document>& opened, bool wasAlreadyOpen, const pf::Error& error) {
            auto document = std::dynamic_pointer_cast<RVCartavelDocument>(opened);
            pf::Error copyError;
            if (document && wasAlreadyOpen) {
                // The template is open as itself: the new drawing is read afresh from its file,
                // so the open one stays as it is.
                pf::DocumentController* documents = pf::DocumentController::shared();
                document = std::dynamic_pointer_cast<RVCartavelDocument>(
                    documents->makeDocumentWithContentsOfURL(url, opened->fileType(), &copyError));
                if (document)
                    documents->addDocument(document);
            }
            if (!document) {
                pf::Error failure = error.isNull() ? copyError : error;
                if (failure.isNull())
                    failure = pf::Error(RVCartavelDocument::kErrorDomain, RVCartavelDocument::kErrorException);
                RVLog(kFileEvent, QStringLiteral("template could not be opened, error = %1").arg(failure.description()));
                if (completion)
                    completion(nullptr, failure);
                return;
            }
            // An untitled copy: saving asks for a new place and never writes over the template.
            // The drawing keeps the template's size and units.
            document->setFileURL(QUrl());
            document->makeWindowControllers();
            if (display)
                document->showWindows();
            if (completion)
                completion(document, {});
        });
}
