#pragma once

#include "app/CVLTemplatePickerController.h"
#include "platform/foundation/Error.h"

#include <functional>

class RVCartavelDocument;

// The application delegate's side of the template picker: shows the picker, and opens the
// template the user chose as a new untitled document (the template itself is never written).
class VNQLTemplateDocumentOpener : public CVLTemplatePickerDelegate {
public:
    using Completion = std::function<void(const pf::Ref<RVCartavelDocument>& document, const pf::Error& error)>;

    static VNQLTemplateDocumentOpener& shared();

    // Shows the shared picker with this opener as its delegate.
    void newDocumentFromTemplate();
    void openSelectedTemplateURL(const QUrl& url) override;

    // Opens `url` through the shared document controller without showing it; a document that
    // was not open already becomes an untitled copy, gets its windows, and is shown when
    // `display` is set. `completion` (optional) gets the document, or null and the error.
    static void openTemplateAsUntitledDocument(const QUrl& url, bool display, Completion completion = {});
};
