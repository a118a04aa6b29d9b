#pragma once

#include <QPointF>
#include <QWidget>

class QTimer;

namespace pf {

// The little puff of smoke that marks an item dragged out of a control and dropped into
// nothing: a small frameless translucent window at a screen point that plays its frames once
// and goes. Each call plays its own puff; the window deletes itself when done.
class PoofAnimation : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrameCount = 5;
    static constexpr int kDurationMs = 250;
    static constexpr int kSide = 64;

    // Starts a puff centred on `screenPoint` (global coordinates) and answers its window, which
    // is gone once the last frame has shown.
    static PoofAnimation* show(QPointF screenPoint);

    // The frame being shown, 0 to kFrameCount - 1.
    int frame() const { return m_frame; }
    // The image of one frame (a cloud that grows and thins out frame by frame).
    static QImage frameImage(int frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    explicit PoofAnimation(QPointF screenPoint);
    void advance();

    QTimer* m_timer = nullptr;
    int m_frame = 0;
};

// The platform's call: shows the disappearing-item animation at a screen point.
inline void showPoofAnimation(QPointF screenPoint)
{
    PoofAnimation::show(screenPoint);
}

} // namespace pf
