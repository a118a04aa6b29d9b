#pragma once

#include "platform/foundation/Object.h"

#include <QString>
#include <QStringList>

namespace pf {
class Menu;
class Reflective;
} // namespace pf

// Menus that offer the files of a folder: one item per file (titled with its name without the
// extension, carrying its full path), each sending `action` to `target`.
namespace MenuFolderEnumeration {

pf::Ref<pf::Menu> menuWithFilesInFolder(const QString& folder, const QStringList& types, const QString& action,
                                        pf::Reflective* target);
pf::Ref<pf::Menu> menuWithFilesInFolder(const QString& folder, const QString& action, pf::Reflective* target);

} // namespace MenuFolderEnumeration
