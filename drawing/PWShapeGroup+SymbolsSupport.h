#pragma once

#include "platform/foundation/Object.h"

#include <QList>

class PWShapeGroup;

// What symbols ask of groups: whether the whole group may become a symbol, and the symbol
// instances it holds at any depth. Symbol instances are found by their class name, so groups
// need not know the symbol classes.
struct PWShapeGroupSymbolsSupport {
    static const QString kSymbolClassName;

    static void install();

    // True only when every member may become a symbol (true for an empty group).
    static bool canBeConvertedToSymbol(const PWShapeGroup& group);
    // Every symbol instance among the members and in the members that answer "allSymbols",
    // each once.
    static QList<pf::Ref<pf::Object>> allSymbols(const PWShapeGroup& group);
};
