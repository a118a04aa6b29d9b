#pragma once

#include "frameworks/penwork/styles/PWStrokeDash.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

#include <QList>
#include <QRectF>

class RVDashEditView;

// What the dash preview tells its editor.
class RVDashEditViewDelegate {
public:
    virtual ~RVDashEditViewDelegate() = default;
    virtual void dashViewDidChangeDash(RVDashEditView& view) {}
    virtual void drawBackgroundForDashStroke(pf::BezierPath& path) {}
};

// The dash editor's preview: a sample line drawn with the dash, a handle under the end of
// each mark and space that the user drags to change its length, and a handle for the phase.
class RVDashEditView : public pf::View {
    PF_CLASS(RVDashEditView)
public:
    static constexpr qint64 kNoHandle = -1;
    static constexpr qint64 kPhaseHandle = 99;
    static constexpr double kHandleSize = 8.0;
    static constexpr double kInset = 8.0;

    explicit RVDashEditView(QWidget* parent = nullptr);

    bool isFlipped() const override { return true; }
    bool acceptsFirstMouse(const pf::Event*) const override { return true; }

    pf::Ref<PWStrokeDash> dash() const { return mDash; }
    void setDash(const pf::Ref<PWStrokeDash>& dash);
    pf::Color lineColour() const { return mLineColour; }
    void setLineColour(const pf::Color& colour);
    double lineWidth() const { return mPath->lineWidth(); }
    void setLineWidth(double width);
    void setLineCapStyle(pf::BezierPath::LineCap cap);
    void setLineJoinStyle(pf::BezierPath::LineJoin join);
    RVDashEditViewDelegate* delegate() const { return mDelegateRef; }
    void setDelegate(RVDashEditViewDelegate* delegate) { mDelegateRef = delegate; }

    // The geometry of the preview, in view coordinates.
    double baseline() const;
    // The path's line width when the dash scales with it, else 1.
    double scale() const;
    void calcHandles();
    const QList<QRectF>& handles() const { return mHandles; }
    QRectF phaseHandle() const { return mPhaseHandle; }
    // The index of the handle under `point`, kPhaseHandle, or kNoHandle.
    qint64 mouseInHandle(QPointF point) const;
    qint64 selectedHandle() const { return mSelected; }
    void setSelectedHandle(qint64 handle) { mSelected = handle; }
    // Moves the selected handle's element end (or the phase) to `point`.
    void calcDashForPoint(QPointF point);
    void drawHandles(QPainter& painter);
    // The colour the sample line was last drawn in.
    pf::Color lastStrokeColour() const { return mLastStrokeColour; }

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;

private:
    void resetPath();

    pf::Ref<PWStrokeDash> mDash;
    QList<QRectF> mHandles;
    pf::Ref<pf::BezierPath> mPath;
    qint64 mSelected = kNoHandle;
    RVDashEditViewDelegate* mDelegateRef = nullptr;
    pf::Color mLineColour;
    QRectF mPhaseHandle;
    pf::Color mLastStrokeColour;
};
