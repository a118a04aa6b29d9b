#pragma once

#include "frameworks/penwork/styles/PWRenderable.h"
#include "platform/ui/View.h"

class PWArrowStroke;
class PWXArrowView;

// What the arrow preview asks of the pane that shows it.
class PWXArrowViewDelegate {
public:
    virtual ~PWXArrowViewDelegate() = default;
    // The user dragged the head's tip: `size` is (length along the line, width across it).
    virtual void arrowViewSetArrowHeadSize(PWXArrowView& view, QSizeF size) {}
};

// The arrow pane's preview: the arrow stroke drawn along a horizontal sample line, with a
// handle at the corner of one head that the user drags to set the head's length and width.
// The view stands in for a drawable towards the renderer.
class PWXArrowView : public pf::View, public PWRenderable {
    PF_CLASS(PWXArrowView)
public:
    static constexpr double kInset = 8.0;
    static constexpr double kHandleSize = 8.0;

    explicit PWXArrowView(QWidget* parent = nullptr);

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }
    bool acceptsFirstMouse(const pf::Event*) const override { return true; }

    // Not retained: the pane keeps the renderer alive while it is shown.
    void setRasterizer(PWArrowStroke* rasterizer);
    PWArrowStroke* rasterizer() const { return mArrowRasterizerRef; }
    void update();
    bool enabled() const { return mEnabled; }
    void setEnabled(bool enabled);
    PWXArrowViewDelegate* delegate() const { return mDelegateRef; }
    void setDelegate(PWXArrowViewDelegate* delegate) { mDelegateRef = delegate; }

    QRectF calcTargetRect() const;
    QRectF headAdjustmentTarget() const { return mHeadAdjustmentTarget; }
    bool showsHeadDragOnRight() const { return mShowHeadDragOnRight; }
    bool isDraggingHead() const { return mDraggingHead; }
    // The head size a drag to `point` (view coordinates) gives.
    QSizeF headSizeForPoint(QPointF point) const;

    // PWRenderable
    pf::Ref<pf::BezierPath> renderingPath() const override;
    double angle() const override { return 0.0; }
    QSizeF size() const override { return bounds().size(); }
    QPointF location() const override { return bounds().center(); }
    QTransform containerTransform() const override { return {}; }
    quint64 geometryChecksum() const override { return 0; }
    bool useLowQualityDrawing() const override { return false; }

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    double midY() const { return bounds().top() + bounds().height() / 2; }

    PWArrowStroke* mArrowRasterizerRef = nullptr;
    std::weak_ptr<void> mRasterizerLiveness;
    QRectF mHeadAdjustmentTarget;
    PWXArrowViewDelegate* mDelegateRef = nullptr;
    bool mDraggingHead = false;
    bool mShowHeadDragOnRight = false;
    bool mEnabled = true;
};
