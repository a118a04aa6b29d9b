// A collection as it arrives from outside: its category file, read with the collection folder
// around it, or a zip archive of a whole collection (input starting "PK"), unpacked for import.
// Whatever reads must write back as a property list; a file that cannot be read leaves the
// collection refused and the file exactly as it was; an archive unpacks nothing outside its
// own folder.
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryZipArchive.h"
#include "platform/foundation/PropertyList.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cstdint>
#include <cstdlib>

namespace {

QString scratchFolder()
{
    static const QString folder =
        QDir::temp().filePath(QStringLiteral("quillory-fuzz-library-%1").arg(QCoreApplication::applicationPid()));
    return folder;
}

void checkCollection(const QString& folder)
{
    PWXLibrary::isValidLibraryAtPath(folder);
    pf::Ref<PWXLibrary> library = PWXLibrary::libraryWithPath(folder, false);
    if (library->isDamaged())
        return;
    if (pf::PropertyList::data(library->libraryInfo(), pf::PropertyListFormat::Binary).isEmpty())
        std::abort();
    for (const pf::Ref<PWXLibraryCategory>& category : library->categories())
        library->itemWithIdentifier(category->identifier());
}

int fuzzArchive(const QByteArray& data)
{
    const QString root = QDir(scratchFolder()).filePath(QStringLiteral("zip"));
    QDir(root).removeRecursively();
    const QString into = QDir(root).filePath(QStringLiteral("into"));
    QDir().mkpath(into);
    const QString archive = QDir(root).filePath(QStringLiteral("input.zip"));
    {
        QFile out(archive);
        if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size())
            std::abort();
    }
    const QString unpacked = PWXLibraryZipArchive::extractCollection(archive, into);
    // Nothing lands beside the folder it unpacks to, and a refused archive leaves nothing.
    const QStringList landed = QDir(into).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    if (unpacked.isEmpty() ? !landed.isEmpty() : landed != QStringList{QFileInfo(unpacked).fileName()})
        std::abort();
    if (QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size() != 2)
        std::abort();
    if (!unpacked.isEmpty()) {
        QDirIterator it(unpacked, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            if (QFileInfo(it.next()).isSymLink())
                std::abort();
        checkCollection(unpacked);
    }
    QDir(root).removeRecursively();
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(size));
    if (data.startsWith("PK"))
        return fuzzArchive(data);
    const QString folder = QDir(scratchFolder()).filePath(QStringLiteral("Fuzz.symlibrary"));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString file = QDir(folder).filePath(QStringLiteral("Fuzz.categories"));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size())
            std::abort();
    }
    PWXLibrary::isValidLibraryAtPath(folder);
    pf::Ref<PWXLibrary> library = PWXLibrary::libraryWithPath(folder, false);
    if (library->isDamaged()) {
        library->applicationWillQuit();
        library.reset();
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly) || in.readAll() != data)
            std::abort(); // a refused collection lost its file
        return 0;
    }
    if (pf::PropertyList::data(library->libraryInfo(), pf::PropertyListFormat::Binary).isEmpty())
        std::abort();
    for (const pf::Ref<PWXLibraryCategory>& category : library->categories())
        library->itemWithIdentifier(category->identifier());
    return 0;
}
