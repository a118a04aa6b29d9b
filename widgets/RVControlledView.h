#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/View.h"

// A plain view that knows the controller managing it. The controller is not owned; a weak
// reference, so a view that outlives its controller answers null rather than a dangling one.
class RVControlledView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVControlledView)
public:
    using pf::View::View;

    pf::Ref<pf::Object> controller() const { return mController.lock(); }
    void setController(const pf::Ref<pf::Object>& controller) { mController = controller; }

private:
    pf::Weak<pf::Object> mController;
};
