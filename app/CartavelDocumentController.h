#pragma once

#include "platform/ui/DocumentController.h"

namespace pf {
class Alert;
}

// The program's document controller: templates stay out of the recent-documents list, and
// document errors show in an alert that carries the reason of a caught exception.
class CartavelDocumentController : public pf::DocumentController {
    PF_CLASS(CartavelDocumentController)
public:
    CartavelDocumentController() = default;

    // Passes the document on only when it was not opened from a template.
    void noteNewRecentDocument(pf::Document* document) override;
    // A critical alert: the error's description, "Reason: <exception> (<code>)" when a caught
    // exception is recorded in it, and one OK button. Always answers false.
    bool presentError(const pf::Error& error) override;

    // File > Open: documents, and library collections (folders or zip archives of them), which
    // are offered to the library instead of opening as documents.
    void openDocument(const QVariant& sender) override;
    // Whether the file is a library collection or a zip archive (of one, it is hoped).
    static bool isLibraryCollectionPath(const QString& path);

    // The alert presentError shows (exposed so its texts can be checked).
    pf::Ref<pf::Alert> alertForError(const pf::Error& error);
};
