#pragma once

#include <functional>

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"
#include "widgets/RVMiniControlDelegate.h"

class PWGradientFill;
namespace pf {
class UndoManager;
}
class RVMiniCircularSlider;
class RVMiniControlCluster;
class RVMiniRadialControl2;

// What the gradient parameter view asks of the pane that shows it: the fill it edits. The
// setters are the pane's values-in road (the fill changed), not a road for the view's edits,
// which go to the fill itself.
class PWXGradientParameterViewDelegate {
public:
    virtual ~PWXGradientParameterViewDelegate() = default;
    virtual PWGradientFill* gradientFill() const = 0;
    virtual void setGradientAngle(const QVariant&) {}
    virtual void setStartingLocation(const QVariant&) {}
    virtual void setEndingLocation(const QVariant&) {}
    virtual void setStartingRadius(const QVariant&) {}
    virtual void setEndingRadius(const QVariant&) {}
};

// Edits the geometry of a gradient fill over a preview of it: an angle dial for a linear
// gradient; for a radial one, two rings whose centres and radii are the gradient's start and
// end. The dial points the way the gradient runs.
class PWXGradientParameterView : public pf::View, public RVMiniControlDelegate {
    PF_CLASS(PWXGradientParameterView)
public:
    explicit PWXGradientParameterView(QWidget* parent = nullptr);
    ~PWXGradientParameterView() override;

    bool isFlipped() const override { return true; }
    bool acceptsFirstMouse(const pf::Event*) const override { return true; }

    PWXGradientParameterViewDelegate* controller() const { return mController; }
    void setController(PWXGradientParameterViewDelegate* controller) { mController = controller; }
    bool enabled() const { return mEnabled; }
    void setEnabled(bool enabled);
    bool disableUpdates() const { return m_disableUpdates; }
    void setDisableUpdates(bool disable) { m_disableUpdates = disable; }

    // The chequer under the preview, as a pattern colour made once.
    static pf::Color chequerColour();

    // Pushes the fill's values into the dial and the rings.
    void updateFromController();
    void setFrame(const QRectF& frame) override;

    RVMiniRadialControl2* startRing() const { return mStartRing.get(); }
    RVMiniRadialControl2* endRing() const { return mEndRing.get(); }
    RVMiniCircularSlider* angleDial() const { return mAngleRing.get(); }

    // The dial's value for a gradient angle (both radians), and back.
    static double dialValueForGradientAngle(double angle);
    static double gradientAngleForDialValue(double value);

    // Mini-control delegate.
    void miniControlDidChangeValue(RVMiniControl* control, const QVariant& value) override;
    void radialControlDidChangeCentre(RVMiniControl* control, QPointF centre) override;
    void radialControlDidChangeRadius(RVMiniControl* control, float radius) override;
    void setNeedsDisplayInRect(const QRectF& rect) override { pf::View::setNeedsDisplayInRect(rect); }

    void drawRect(const QRectF& dirtyRect) override;
    // Where the undo manager of the edited model is found (else along the responder chain):
    // a drag is grouped into one undo step there.
    void setUndoManagerSource(std::function<pf::UndoManager*()> source) { m_undoSource = std::move(source); }
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;
    void flagsChanged(const pf::Event& event) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    PWGradientFill* fill() const;
    RVMiniControlCluster* currentCluster() const;
    void layOutControls();

    PWXGradientParameterViewDelegate* mController = nullptr;
    pf::Ref<RVMiniControlCluster> mCluster;
    pf::Ref<RVMiniRadialControl2> mStartRing;
    pf::Ref<RVMiniRadialControl2> mEndRing;
    pf::Ref<RVMiniControlCluster> mLinearCluster;
    pf::Ref<RVMiniCircularSlider> mAngleRing;
    bool mEnabled = true;
    bool m_disableUpdates = false;
    bool m_tracking = false;
    // A drag is one undo step however many changes it makes.
    void beginDragUndoGroup();
    std::function<pf::UndoManager*()> m_undoSource;
    void endDragUndoGroup();
    pf::Weak<pf::Object> m_dragUndoManager;
};
