#pragma once

#include <QPointer>
#include <QRectF>
#include <QVariant>
#include <QWidget>

#include <functional>

namespace pf {

class AnimatablePropertyContainer;
class View;
class Window;

// Sets a view's or window's values gradually: each change runs over the key's animation
// (the object's animationForKey, or the open AnimationContext group's duration) and calls the
// real setter at every step, so a view's intermediate frames pass through setFrameOrigin and
// setFrameSize. A key without an animation, or a duration of 0, is set at once. A new change
// of a key that is still animating stops the running one (its delegate hears finished =
// false) and starts from where it stopped.
class Animator {
public:
    explicit Animator(View* view);
    explicit Animator(Window* window);

    // Views animate "frameOrigin" and "frameSize"; windows "frame".
    void setFrame(const QRectF& frame);
    void setFrameOrigin(QPointF origin);
    // Views only: "frameSize".
    void setFrameSize(QSizeF size);
    // "alphaValue".
    void setAlphaValue(double alpha);
    // Any key the target answers through key-value coding; numbers, points, sizes, rectangles
    // and colours step, other values change at the end.
    void setValue(const QString& key, const QVariant& value);
    // A key set by `apply` rather than through key-value coding (a property added to a class by
    // an extension), going from `from` to `to`.
    void animateValue(const QString& key, const QVariant& from, const QVariant& to,
                      std::function<void(const QVariant&)> apply);

    // Whether a change of `key` is running on `target`.
    static bool isAnimating(const QObject* target, const QString& key);

private:
    QPointer<QWidget> m_target;
    AnimatablePropertyContainer* m_container = nullptr;
    View* m_view = nullptr;
    Window* m_window = nullptr;
};

} // namespace pf
