#include "library/PWXLibraryZipArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <zip.h>

#include <cstdio>
#include <sys/stat.h>

namespace {

void fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
}

QString zipErrorText(zip_t* archive)
{
    return archive ? QString::fromUtf8(zip_strerror(archive)) : QStringLiteral("unknown zip error");
}

QString openErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

// The entry name split into its components; empty when it names anything outside the
// archive's own tree.
QStringList safeComponents(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QChar(u'\0')))
        return {};
    QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts)
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            return {};
    return parts;
}

bool isSymbolicLink(zip_t* archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

} // namespace

bool PWXLibraryZipArchive::looksLikeZip(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArray("PK\x03\x04", 4);
}

bool PWXLibraryZipArchive::writeFolder(const QString& folder, const QString& destination, QString* error)
{
    const QFileInfo source(folder);
    if (!source.isDir() || source.isSymLink()) {
        fail(error, QStringLiteral("'%1' is not a folder").arg(folder));
        return false;
    }
    const QString partial = destination + QStringLiteral(".partial");
    QFile::remove(partial);
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(partial).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        fail(error, QStringLiteral("the archive could not be made: %1").arg(openErrorText(code)));
        return false;
    }
    auto discard = [&](const QString& reason) {
        fail(error, reason);
        zip_discard(archive);
        QFile::remove(partial);
        return false;
    };
    // The folder's own name leads every entry: the archive unpacks to the folder.
    const QString top = source.fileName();
    const QDir base = source.absoluteDir();
    if (zip_dir_add(archive, (top + QLatin1Char('/')).toUtf8().constData(), ZIP_FL_ENC_UTF_8) < 0)
        return discard(zipErrorText(archive));
    QDirIterator it(source.absoluteFilePath(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    QStringList entries;
    while (it.hasNext())
        entries.append(it.next());
    entries.sort();
    for (const QString& path : entries) {
        const QFileInfo info(path);
        if (info.isSymLink())
            continue; // a link could name anything on this machine
        const QByteArray name = base.relativeFilePath(path).toUtf8();
        if (info.isDir()) {
            if (zip_dir_add(archive, (name + '/').constData(), ZIP_FL_ENC_UTF_8) < 0)
                return discard(zipErrorText(archive));
            continue;
        }
        if (!info.isFile())
            continue;
        zip_source_t* data = zip_source_file(archive, QFile::encodeName(path).constData(), 0, -1);
        if (!data)
            return discard(zipErrorText(archive));
        const zip_int64_t index = zip_file_add(archive, name.constData(), data, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(data);
            return discard(zipErrorText(archive));
        }
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 9);
    }
    if (zip_close(archive) != 0)
        return discard(QStringLiteral("the archive could not be written: %1").arg(zipErrorText(archive)));
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(destination).constData()) != 0) {
        QFile::remove(partial);
        fail(error, QStringLiteral("the archive could not be moved to '%1'").arg(destination));
        return false;
    }
    return true;
}

QString PWXLibraryZipArchive::extractCollection(const QString& archivePath, const QString& intoFolder, QString* error)
{
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY, &code);
    if (!archive) {
        fail(error, QStringLiteral("not a zip archive: %1").arg(openErrorText(code)));
        return {};
    }
    struct Closer {
        zip_t* archive;
        ~Closer() { zip_discard(archive); }
    } closer{archive};

    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count <= 0 || count > kMaxEntries) {
        fail(error, QStringLiteral("the archive holds %1 entries").arg(count));
        return {};
    }
    // First pass: every entry must lie inside one top folder with the collection extension.
    QString top;
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME)) {
            fail(error, QStringLiteral("entry %1 cannot be read").arg(i));
            return {};
        }
        const QString name = QString::fromUtf8(stat.name);
        if (name.startsWith(QLatin1String("__MACOSX/")))
            continue; // resource forks another system adds
        const QStringList parts = safeComponents(name);
        if (parts.isEmpty()) {
            fail(error, QStringLiteral("the entry '%1' names a place outside the archive").arg(name));
            return {};
        }
        if (top.isEmpty())
            top = parts.first();
        if (parts.first() != top) {
            fail(error, QStringLiteral("the archive holds more than one folder"));
            return {};
        }
        if (parts.size() == 1 && !name.endsWith(QLatin1Char('/'))) {
            fail(error, QStringLiteral("the archive holds a file, not a collection folder"));
            return {};
        }
        if (stat.valid & ZIP_STAT_SIZE)
            total += qint64(std::min<zip_uint64_t>(stat.size, zip_uint64_t(kMaxUnpackedBytes)));
        if (total > kMaxUnpackedBytes) {
            fail(error, QStringLiteral("the archive would unpack to more than %1 bytes").arg(kMaxUnpackedBytes));
            return {};
        }
    }
    if (!top.endsWith(QLatin1String(".symlibrary"))) {
        fail(error, QStringLiteral("the archive holds no collection folder"));
        return {};
    }
    const QDir into(intoFolder);
    const QString unpacked = into.filePath(top);
    if (QFileInfo::exists(unpacked)) {
        fail(error, QStringLiteral("'%1' exists already").arg(unpacked));
        return {};
    }
    // Second pass: unpack.
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        const QString name = QString::fromUtf8(stat.name);
        if (name.startsWith(QLatin1String("__MACOSX/")) || isSymbolicLink(archive, zip_uint64_t(i)))
            continue;
        const QStringList parts = safeComponents(name);
        const QString target = into.filePath(parts.join(QLatin1Char('/')));
        if (name.endsWith(QLatin1Char('/'))) {
            if (!QDir().mkpath(target)) {
                fail(error, QStringLiteral("the folder '%1' could not be made").arg(target));
                QDir(unpacked).removeRecursively();
                return {};
            }
            continue;
        }
        QDir().mkpath(QFileInfo(target).path());
        zip_file_t* entry = zip_fopen_index(archive, zip_uint64_t(i), 0);
        QFile out(target);
        if (!entry || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            if (entry)
                zip_fclose(entry);
            fail(error, QStringLiteral("the entry '%1' could not be unpacked").arg(name));
            QDir(unpacked).removeRecursively();
            return {};
        }
        const zip_uint64_t expected = (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0;
        zip_uint64_t written = 0;
        bool ok = true;
        for (;;) {
            const zip_int64_t got = zip_fread(entry, buffer.data(), zip_uint64_t(buffer.size()));
            if (got < 0) {
                ok = false;
                break;
            }
            if (got == 0)
                break;
            written += zip_uint64_t(got);
            if (written > expected || out.write(buffer.constData(), got) != got) {
                ok = false;
                break;
            }
        }
        zip_fclose(entry);
        out.close();
        if (!ok || written != expected) {
            fail(error, QStringLiteral("the entry '%1' is damaged").arg(name));
            QDir(unpacked).removeRecursively();
            return {};
        }
    }
    if (!QFileInfo(unpacked).isDir()) {
        fail(error, QStringLiteral("the archive holds no collection folder"));
        return {};
    }
    return unpacked;
}
