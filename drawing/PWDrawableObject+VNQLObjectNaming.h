#pragma once

#include <QString>

class PWDrawableObject;

namespace pf {
class Class;
}

// Per-class counters for the automatic names of new drawables ("Path 12"), kept in the user
// defaults so numbering goes on across launches.
struct PWDrawableObjectVNQLObjectNaming {
    // The counter of class "X" is kept under "kPWDrawableObjectNameSeed_X".
    static const QString kNameSeedKey;
    // Indices run 1 .. kLastIndex, then start again at 1.
    static constexpr qint64 kLastIndex = 9999;

    static void install();

    static QString counterKey(const pf::Class& cls);
    // Advances the class's counter and answers the new value.
    static qint64 nextObjectIndex(const pf::Class& cls);
    static void resetObjectNamingIndex(const pf::Class& cls);
    // What an object shows beside its name: the kind of object it is.
    static QString auxiliaryInfoString(const PWDrawableObject& object);
};
