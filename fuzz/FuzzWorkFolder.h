#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

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

} // namespace quillory::fuzz
