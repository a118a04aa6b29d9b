#pragma once

#include <QString>

class PWRenderable;
class PWTextAdornment;

// The text a label adornment shows for an object, as a search matches it.
struct PWTextAdornmentCartavelExtensions {
    // The label drawn for `object`; empty for a nested call (a label whose text asks for
    // searchable text again), so such a text cannot recurse without end.
    static QString searchableStringForObject(const PWTextAdornment& adornment, const PWRenderable& object);
};
