// A collection's category file, read with the collection folder around it. Whatever reads
// must write back as a property list; a file that cannot be read leaves the collection refused
// and the file exactly as it was.
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "platform/foundation/PropertyList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(size));
    static const QString folder = QDir::temp().filePath(
        QStringLiteral("quillory-fuzz-library-%1/Fuzz.symlibrary").arg(QCoreApplication::applicationPid()));
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
