#pragma once

#include "platform/foundation/Object.h"

class PWObjectDrawingLayer;
namespace pf {
class ViewController;
}

// What the arrange, boolean and alignment panes ask of the tab that shows them. The defaults
// answer no layer and no selection.
class VNQLArrangePaneDelegate {
public:
    virtual ~VNQLArrangePaneDelegate() = default;
    virtual pf::Ref<PWObjectDrawingLayer> wantsCurrentDrawingLayerForController(pf::ViewController* controller)
    {
        return nullptr;
    }
    virtual qint64 wantsCountOfSelectedObjectsForController(pf::ViewController* controller) { return 0; }
};
