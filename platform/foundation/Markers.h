#pragma once

#include <QMetaType>
#include <QVariant>

#include <cstdint>
#include <limits>

namespace pf {

// Values that travel where a value would, but say something about it: the selected objects
// disagree, the key does not apply to them, nothing is selected, or the value is an explicit
// null (as opposed to no value at all, which is an invalid QVariant).
struct MultipleValuesMarker { bool operator==(const MultipleValuesMarker&) const { return true; } };
struct NotApplicableMarker { bool operator==(const NotApplicableMarker&) const { return true; } };
struct NoSelectionMarker { bool operator==(const NoSelectionMarker&) const { return true; } };
struct NullMarker { bool operator==(const NullMarker&) const { return true; } };

QVariant multipleValuesMarker();
QVariant notApplicableMarker();
QVariant noSelectionMarker();
QVariant null();

bool isMultipleValuesMarker(const QVariant& value);
bool isNotApplicableMarker(const QVariant& value);
bool isNoSelectionMarker(const QVariant& value);
bool isNull(const QVariant& value);
// True for any of the four markers.
bool isMarker(const QVariant& value);
// True for no value or the explicit null.
bool isNilOrNull(const QVariant& value);

// "Not found": the largest signed 64-bit value.
inline constexpr qint64 kNotFound = std::numeric_limits<qint64>::max();

} // namespace pf

Q_DECLARE_METATYPE(pf::MultipleValuesMarker)
Q_DECLARE_METATYPE(pf::NotApplicableMarker)
Q_DECLARE_METATYPE(pf::NoSelectionMarker)
Q_DECLARE_METATYPE(pf::NullMarker)
