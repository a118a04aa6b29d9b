#pragma once

#include "platform/foundation/Object.h"

namespace pf {
class DraggingSource;
class View;
struct Event;
}

// Drags a style or symbol master out of `view`: its "image" follows the pointer, centred on
// it, and the object puts itself on the drag pasteboard ("copyToPasteboard:"). The source is
// `source`, or the view when it is a dragging source itself. A null object raises. Answers
// the operation the drag ended with.
unsigned dragStyleOrSymbol(pf::View& view, const pf::Ref<pf::Object>& object, const pf::Event& event,
                           pf::DraggingSource* source, bool slideBack);
unsigned dragStyleOrSymbol(pf::View& view, const pf::Ref<pf::Object>& object, const pf::Event& event);
unsigned dragStyle(pf::View& view, const pf::Ref<pf::Object>& style, const pf::Event& event);
unsigned dragStyle(pf::View& view, const pf::Ref<pf::Object>& style, const pf::Event& event,
                   pf::DraggingSource* source, bool slideBack);
