#include "fuzz/DocumentPackageFuzzing.h"

#include "app/PWXMapScale.h"
#include "app/VNQLExportOperation.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "platform/foundation/FileWrapper.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/DocumentController.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace quillory::fuzz {

namespace {

pf::DocumentController& controller()
{
    static pf::DocumentController* const shared = [] {
        pf::DocumentController* existing = pf::DocumentController::sharedIfMade();
        if (!existing) {
            // Reachable until the end, as the program's own controller is.
            static const pf::Ref<pf::DocumentController> made = std::make_shared<pf::DocumentController>();
            existing = made.get();
        }
        RVCartavelDocument::registerDocumentTypes(*existing);
        return existing;
    }();
    return *shared;
}

const QString& workFolder()
{
    static const QString folder = [] {
        static QTemporaryDir* const made = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/quillory-package-fuzz-XXXXXX"));
        if (!made->isValid())
            std::abort();
        return made->path();
    }();
    return folder;
}

// Aborts, saying which check failed, when `holds` is false.
void checkAt(bool holds, int line)
{
    if (!holds) {
        std::fprintf(stderr, "DocumentPackageFuzzing.cpp:%d: check failed\n", line);
        std::abort();
    }
}
#define check(holds) checkAt((holds), __LINE__)

// A value as the bytes it is saved as, so that values that never compare equal (a NaN) still
// compare as what the next save would write.
QByteArray savedForm(const QVariant& value)
{
    return pf::PropertyList::data(value, pf::PropertyListFormat::XML);
}

QByteArray exportState(const RVCartavelDocument& document)
{
    // Settings with nothing to keep are not saved: the same as none.
    const pf::Ref<VNQLExportOperation> operation = document.exportOperation();
    const QVariantMap state = operation ? operation->restorableStateInfo() : QVariantMap();
    return state.isEmpty() ? QByteArray() : savedForm(state);
}

} // namespace

const QStringList& packageEntryNames()
{
    static const QStringList names{RVCartavelDocument::kContentEntry,    RVCartavelDocument::kInfoEntry,
                                   RVCartavelDocument::kAuxiliaryEntry,  RVCartavelDocument::kWindowEntry,
                                   RVCartavelDocument::kExportSettingsEntry, RVCartavelDocument::kQuickLookEntry};
    return names;
}

QByteArray defaultContent()
{
    static const QByteArray content = [] {
        pf::Error error;
        const pf::Ref<pf::Document> document = controller().makeUntitledDocumentOfType(RVCartavelDocument::kNativeType, &error);
        auto cartavel = std::dynamic_pointer_cast<RVCartavelDocument>(document);
        const QByteArray data = cartavel ? cartavel->dataOfType(kPWDrawingDocumentType, &error) : QByteArray();
        check(!data.isEmpty());
        return data;
    }();
    return content;
}

QString writePackage(const QList<PackageEntry>& entries)
{
    const QString path = workFolder() + QStringLiteral("/Fuzz.qlry");
    QDir package(path);
    check(!package.exists() || package.removeRecursively());
    check(QDir().mkpath(path));
    for (const PackageEntry& entry : entries) {
        const QString entryPath = package.filePath(entry.name);
        switch (entry.kind) {
        case PackageEntry::Kind::File:
        case PackageEntry::Kind::Folder: {
            QString filePath = entryPath;
            if (entry.kind == PackageEntry::Kind::Folder) {
                check(QDir().mkpath(entryPath));
                filePath = entryPath + QStringLiteral("/x");
            }
            QFile file(filePath);
            check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            check(file.write(entry.data) == entry.data.size());
            break;
        }
        case PackageEntry::Kind::Link: {
            const QStringList& names = packageEntryNames();
            const qsizetype target = entry.data.isEmpty() ? 0 : quint8(entry.data[0]) % names.size();
            check(QFile::link(names[target], entryPath));
            break;
        }
        }
    }
    return path;
}

pf::Ref<RVCartavelDocument> openAndCheck(const QString& path, const QString& type)
{
    pf::Error error;
    const pf::Ref<pf::Document> opened = controller().makeDocumentWithContentsOfURL(QUrl::fromLocalFile(path), type, &error);
    auto document = std::dynamic_pointer_cast<RVCartavelDocument>(opened);
    if (!document) {
        check(!error.isNull()); // a failure reported as nothing
        return nullptr;
    }
    // A document read is whole: a drawing, a map scale, a window state it can restore or none.
    check(document->drawing() && document->mapScale());
    const QVariantMap window = document->windowRestorationState();
    check(window.isEmpty() || RVCartavelDocument::isValidWindowState(window));

    // What reads must save, and read back as it was.
    pf::Error saveError;
    const pf::FileWrapperRef saved = document->fileWrapperOfType(RVCartavelDocument::kNativeType, &saveError);
    check(saved && saved->isDirectory());
    auto reread = std::make_shared<RVCartavelDocument>();
    pf::Error rereadError;
    check(reread->readFromFileWrapper(*saved, RVCartavelDocument::kNativeType, &rereadError));
    check(reread->drawing()->countOfObjects() == document->drawing()->countOfObjects());
    check(reread->mapScale() && reread->mapScale()->isEqualToMapScale(document->mapScale().get()));
    check(reread->unitDisplayOption() == document->unitDisplayOption());
    check(reread->prescale() == document->prescale());
    check(savedForm(reread->windowRestorationState()) == savedForm(window));
    check(exportState(*reread) == exportState(*document));
    return document;
}

} // namespace quillory::fuzz
