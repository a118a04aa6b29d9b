// A photo library's album data file as the album tree reads it: the whole tree is walked (its
// events, albums and nested albums), every node's identifier is found again, and every node's
// image files are listed, its own and those of the albums below it. A damaged file must give an
// empty or partial tree, never a crash, an endless tree or an abort.
#include "browsers/RViPhotoAlbumInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>

namespace {

// Walks the tree; a tree deeper than its file could describe means a loop got through.
void walk(const pf::Ref<RVFolderInfo>& node, int depth, int* nodes)
{
    if (depth > 10000 || ++*nodes > 1000000)
        std::abort();
    node->setReturnsAllEnclosedFiles(true);
    node->fileURLs();
    node->fileURLsOfType(QStringLiteral("jpg"));
    if (node->root()->nodeWithIdentifier(node->identifier()) == nullptr && !node->identifier().isEmpty())
        std::abort(); // every node is found by its own identifier
    for (const pf::Ref<RVFolderInfo>& child : node->subFolders())
        walk(child, depth + 1, nodes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const QString folder =
        QDir::temp().filePath(QStringLiteral("quillory-fuzz-albums-%1").arg(QCoreApplication::applicationPid()));
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("AlbumData.xml"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(bytes), qint64(size));
    }
    auto root = std::make_shared<RViPhotoAlbumInfo>(QUrl::fromLocalFile(path));
    int nodes = 0;
    walk(root, 0, &nodes);
    return 0;
}
