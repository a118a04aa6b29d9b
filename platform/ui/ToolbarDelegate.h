#pragma once

#include "platform/foundation/Object.h"

#include <QString>
#include <QStringList>

namespace pf {

class Toolbar;
class ToolbarItem;

// Makes a toolbar's items: the identifiers it starts with, and the item for each identifier
// that is not a standard one.
class ToolbarDelegate {
public:
    virtual ~ToolbarDelegate() = default;
    virtual QStringList toolbarDefaultItemIdentifiers(Toolbar& toolbar) = 0;
    // Null for an identifier it does not know; the item is then left out.
    virtual Ref<ToolbarItem> itemForItemIdentifier(Toolbar& toolbar, const QString& identifier, bool willBeInserted) = 0;
};

} // namespace pf
