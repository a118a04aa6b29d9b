// A template folder as the template picker reads it: the templates found in a folder tree and,
// of each, its drawing information (size text), auxiliary info (map scale) and thumbnail. The
// fuzz input is a list of records, each
//   one byte: the entry (modulo three: drawing information, auxiliary info, thumbnail);
//   two bytes: the length of the data, little-endian, cut to what is left;
//   the data.
// A later record of the same entry replaces the earlier one. The template lies in a subfolder
// of the folder read, beside a file that is no template.
#include "app/CVLTemplateItem.h"
#include "app/RVCartavelDocument.h"
#include "browsers/RVFolderInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const QString root =
        QDir::temp().filePath(QStringLiteral("quillory-fuzz-templates-%1").arg(QCoreApplication::applicationPid()));
    const QStringList entries{RVCartavelDocument::kInfoEntry, RVCartavelDocument::kAuxiliaryEntry,
                              RVCartavelDocument::kQuickLookEntry + QLatin1Char('/') + RVCartavelDocument::kThumbnailEntry};
    QDir(root).removeRecursively();
    const QString package = QDir(root).filePath(QStringLiteral("Sub/Fuzz.qlry"));
    QDir().mkpath(package);
    writeFile(QDir(root).filePath(QStringLiteral("Sub/notes.txt")), QByteArray("not a template"));
    size_t at = 0;
    while (at < size) {
        const uint8_t selector = bytes[at++];
        size_t length = 0;
        for (int i = 0; i < 2 && at < size; ++i)
            length |= size_t(bytes[at++]) << (8 * i);
        length = std::min(length, size - at);
        writeFile(QDir(package).filePath(entries[selector % entries.size()]),
                  QByteArray(reinterpret_cast<const char*>(bytes + at), qsizetype(length)));
        at += length;
    }

    const QList<QUrl> found = RVCartavelDocument::availableTemplatesAtURL(QUrl::fromLocalFile(root), true);
    if (found.size() != 1)
        std::abort(); // the one template, and not the text file
    CVLTemplateItem::invalidateCache();
    for (const pf::Ref<CVLTemplateItem>& item : CVLTemplateItem::templateItemsWithURLs(found, {}, QStringLiteral("fuzz"))) {
        item->dimensionsAndScaleInfo();
        item->scale();
        CVLTemplateItem::generateImage(item->path());
    }
    auto folder = RVFolderInfo::folderInfoWithURL(QUrl::fromLocalFile(root));
    for (const pf::Ref<RVFolderInfo>& child : folder->subFolders())
        child->identifier();
    CVLTemplateItem::invalidateCache();
    return 0;
}
