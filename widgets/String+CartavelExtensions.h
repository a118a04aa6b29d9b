#pragma once

#include <QString>

// Negative, zero or positive as `a` sorts before, with or after `b` in the current locale,
// ignoring case and reading runs of digits as numbers ("Layer 9" before "Layer 10").
int localisedCaseInsensitiveNumericCompare(const QString& a, const QString& b);
