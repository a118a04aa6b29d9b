#pragma once

#include "app/RVCartavelDocument.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What the document package fuzz programs share: packages written to a folder from fuzz input,
// opened as the program opens them, and the checks every opened package must pass.
namespace quillory::fuzz {

struct PackageEntry {
    enum class Kind { File, Folder, Link };
    QString name;
    Kind kind = Kind::File;
    // A file's contents; a folder holds them as its one file; a link points at the entry of
    // this package whose index is the first byte (so nothing outside the package is reached).
    QByteArray data;
};

// The entries of a package, in reading order of the fuzz input (see DocumentPackageFuzzer.cpp).
const QStringList& packageEntryNames();

// The drawing archive of a new document's drawing: the content of a package whose side entry
// is under test.
QByteArray defaultContent();

// Writes `entries` as a fresh "qlry" package in the fuzz home (replacing the one written last)
// and returns its path.
QString writePackage(const QList<PackageEntry>& entries);

// Opens the package at `path` as the document controller opens a file of `type`, then holds it
// to what every document read must meet; aborts on a fault. Answers the document, null when the
// package was refused with an error.
pf::Ref<RVCartavelDocument> openAndCheck(const QString& path, const QString& type);

} // namespace quillory::fuzz
