#pragma once

#include "platform/foundation/Object.h"

#include <QList>

namespace pf {
class NumberFormatter;
class UndoManager;
} // namespace pf
class VNQLGenericObjectController;

// Posted by a data source when its number formatter changes (display units switched).
inline const QString kVNQLGeometryControllerFormatterDidChange = QStringLiteral("kVNQLGeometryControllerFormatterDidChange");

// Supplies a generic object controller with the objects it edits, the formatter for lengths
// and the undo manager under which the panes name their actions. The last two are optional:
// the defaults answer none.
class VNQLObjectControllerDataSource {
public:
    virtual ~VNQLObjectControllerDataSource() = default;

    // The candidates: the current selection, or the renderers under edit.
    virtual QList<pf::Ref<pf::Object>> selectedContentForObjectController(VNQLGenericObjectController* controller) = 0;
    virtual pf::NumberFormatter* numberFormatterForCurrentDisplayUnits() const { return nullptr; }
    virtual pf::UndoManager* undoManager() const { return nullptr; }
};
