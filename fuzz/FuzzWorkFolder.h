#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace quillory::fuzz {

// Ends the run (a finding) when a target's own rule does not hold.
inline void check(bool holds)
{
    if (!holds)
        std::abort();
}

// A folder of the program's own for the files a target writes its inputs to, made on first use
// under the temporary folder as "quillory-<name>-XXXXXX" and kept for the whole run.
inline const QString& workFolder(const char* name)
{
    static const QString folder = [name] {
        static QTemporaryDir* const made =
            new QTemporaryDir(QDir::tempPath() + QStringLiteral("/quillory-%1-XXXXXX").arg(QString::fromLatin1(name)));
        check(made->isValid());
        return made->path();
    }();
    return folder;
}

// Writes a run's input whole to `path` (in the work folder), replacing what was there.
inline void writeInput(const QString& path, const uint8_t* bytes, size_t size)
{
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    check(file.write(reinterpret_cast<const char*>(bytes), qint64(size)) == qint64(size));
}

} // namespace quillory::fuzz
