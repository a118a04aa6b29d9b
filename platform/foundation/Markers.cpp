#include "platform/foundation/Markers.h"

namespace pf {

QVariant multipleValuesMarker() { return QVariant::fromValue(MultipleValuesMarker{}); }
QVariant notApplicableMarker() { return QVariant::fromValue(NotApplicableMarker{}); }
QVariant noSelectionMarker() { return QVariant::fromValue(NoSelectionMarker{}); }
QVariant null() { return QVariant::fromValue(NullMarker{}); }

bool isMultipleValuesMarker(const QVariant& value) { return value.metaType() == QMetaType::fromType<MultipleValuesMarker>(); }
bool isNotApplicableMarker(const QVariant& value) { return value.metaType() == QMetaType::fromType<NotApplicableMarker>(); }
bool isNoSelectionMarker(const QVariant& value) { return value.metaType() == QMetaType::fromType<NoSelectionMarker>(); }
bool isNull(const QVariant& value) { return value.metaType() == QMetaType::fromType<NullMarker>(); }

bool isMarker(const QVariant& value)
{
    return isMultipleValuesMarker(value) || isNotApplicableMarker(value) || isNoSelectionMarker(value) || isNull(value);
}

bool isNilOrNull(const QVariant& value)
{
    return !value.isValid() || isNull(value);
}

} // namespace pf
