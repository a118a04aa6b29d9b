#pragma once

#include "platform/foundation/Object.h"

#include <QList>

class PWDrawing;
class PWLayerGroup;
class PWXSymbol;

// Every symbol instance of a layer group: each object layer's instances (top-level objects and,
// through a shape group's "allSymbols", those inside groups) and those of nested layer groups,
// each once.
QList<pf::Ref<PWXSymbol>> allSymbols(const PWLayerGroup& group);

// The drawing's map scale, kept by its owner (the document); null without an owner that has one.
pf::Ref<pf::Object> mapScale(const PWDrawing& drawing);
// Hands the map scale to the owner; false when the owner keeps none.
bool setMapScale(const PWDrawing& drawing, const pf::Ref<pf::Object>& mapScale);
