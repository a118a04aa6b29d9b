#pragma once

#include "app/RVCartavelDocument.h"
#include "platform/ui/DocumentController.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillory::test {

// The document controller of the system tests: made once, with the program's document types.
inline pf::DocumentController& documentController()
{
    static const pf::Ref<pf::DocumentController> controller = [] {
        pf::DocumentController* existing = pf::DocumentController::sharedIfMade();
        pf::Ref<pf::DocumentController> made;
        if (!existing) {
            made = std::make_shared<pf::DocumentController>();
            existing = made.get();
        }
        RVCartavelDocument::registerDocumentTypes(*existing);
        return made;
    }();
    return *pf::DocumentController::shared();
}

inline pf::Ref<RVCartavelDocument> newDocument()
{
    pf::Error error;
    auto document = std::dynamic_pointer_cast<RVCartavelDocument>(
        documentController().makeUntitledDocumentOfType(RVCartavelDocument::kNativeType, &error));
    EXPECT_TRUE(document) << qPrintable(error.description());
    return document;
}

// Saves through the document architecture and waits for the write to end.
inline bool saveDocument(RVCartavelDocument& document, const QString& path, pf::Error* error = nullptr,
                         pf::SaveOperation operation = pf::SaveOperation::SaveAs)
{
    bool done = false;
    bool ok = false;
    document.saveToURL(QUrl::fromLocalFile(path), RVCartavelDocument::kNativeType, operation,
                       [&](bool saved, const pf::Error& failure) {
                           ok = saved;
                           if (error)
                               *error = failure;
                           done = true;
                       });
    EXPECT_TRUE(waitUntil([&] { return done; }, 20000));
    return ok;
}

// Opens through the document controller (reading on a worker thread) and waits.
inline pf::Ref<RVCartavelDocument> openDocument(const QString& path, pf::Error* error = nullptr)
{
    bool done = false;
    pf::Ref<pf::Document> opened;
    documentController().openDocumentWithContentsOfURL(QUrl::fromLocalFile(path), false,
                                                       [&](const pf::Ref<pf::Document>& document, bool, const pf::Error& failure) {
                                                           opened = document;
                                                           if (error)
                                                               *error = failure;
                                                           done = true;
                                                       });
    EXPECT_TRUE(waitUntil([&] { return done; }, 20000));
    return std::dynamic_pointer_cast<RVCartavelDocument>(opened);
}

inline void closeDocument(const pf::Ref<RVCartavelDocument>& document)
{
    if (document)
        document->close();
}

} // namespace quillory::test
