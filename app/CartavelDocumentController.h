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

    // The alert presentError shows (exposed so its texts can be checked).
    pf::Ref<pf::Alert> alertForError(const pf::Error& error);
};
