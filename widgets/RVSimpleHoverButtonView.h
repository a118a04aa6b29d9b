#pragma once

#include "platform/foundation/Reflective.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ActionTarget.h"
#include "platform/ui/View.h"

#include <QUrl>

// A large view-based button: a gradient background that changes when the mouse hovers over it
// or presses it, a centred image or a block of styled text, a thin frame, and a target, action
// and tag like a control.
class RVSimpleHoverButtonView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVSimpleHoverButtonView)
public:
    enum State : unsigned { Normal = 0, Pressed = 1, Hover = 2 };
    static constexpr double kTextInset = 16.0;

    explicit RVSimpleHoverButtonView(const QRectF& frame, QWidget* parent = nullptr);

    static pf::Ref<pf::Gradient> defaultNormalGradient();
    static pf::Ref<pf::Gradient> defaultPressedGradient();
    static pf::Ref<pf::Gradient> defaultHoverGradient();
    // The button text: the first part as a heading, each later part on its own line below.
    static pf::AttributedString attributedStringForHoverButtonWithParts(const QStringList& parts);

    pf::Ref<pf::Gradient> normalGradient() const { return mNormalGradient; }
    void setNormalGradient(const pf::Ref<pf::Gradient>& gradient) { mNormalGradient = gradient; setNeedsDisplay(); }
    pf::Ref<pf::Gradient> hoverGradient() const { return mHoverGradient; }
    void setHoverGradient(const pf::Ref<pf::Gradient>& gradient) { mHoverGradient = gradient; setNeedsDisplay(); }
    pf::Ref<pf::Gradient> pressedGradient() const { return mPressedGradient; }
    void setPressedGradient(const pf::Ref<pf::Gradient>& gradient) { mPressedGradient = gradient; setNeedsDisplay(); }
    pf::Ref<pf::Gradient> gradientForState(unsigned state) const;

    pf::Ref<pf::Image> contentImage() const { return mContentImage; }
    void setContentImage(const pf::Ref<pf::Image>& image) { mContentImage = image; setNeedsDisplay(); }
    // Loads a PDF or bitmap file; false (the image kept) when it cannot be read.
    bool setContentImageFile(const QUrl& url);
    const std::optional<pf::AttributedString>& contentAttributedString() const { return mContentString; }
    void setContentAttributedString(const std::optional<pf::AttributedString>& text) { mContentString = text; setNeedsDisplay(); }

    QVariant representedObject() const { return mRepObject; }
    void setRepresentedObject(const QVariant& object) { mRepObject = object; }
    QString action() const { return mAction; }
    void setAction(const QString& action) { mAction = action; }
    pf::Reflective* target() const { return mTargetRef.get(); }
    void setTarget(pf::Reflective* target) { mTargetRef = pf::ActionTarget(target); }
    int tag() const { return mTag; }
    void setTag(int tag) { mTag = tag; }
    unsigned state() const { return mState; }
    void setState(unsigned state);
    bool hoverEnabled() const { return mHoverEnabled; }
    void setHoverEnabled(bool enabled) { mHoverEnabled = enabled; }

    // Follows the mouse until the left button is released; answers whether it was released
    // inside (the action has then been sent).
    bool trackMouseWithEvent(const pf::Event& event);

    bool isOpaque() const override { return true; }
    bool acceptsFirstMouse(const pf::Event*) const override { return true; }
    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const pf::Event& event) override;
    void mouseEntered(const pf::Event& event) override;
    void mouseExited(const pf::Event& event) override;
    void cursorUpdate(const pf::Event& event) override;

private:
    pf::Ref<pf::Gradient> mNormalGradient;
    pf::Ref<pf::Gradient> mHoverGradient;
    pf::Ref<pf::Gradient> mPressedGradient;
    pf::Ref<pf::Image> mContentImage;
    std::optional<pf::AttributedString> mContentString;
    QVariant mRepObject;
    QString mAction;
    pf::ActionTarget mTargetRef;
    int mTag = 0;
    unsigned mState = Normal;
    bool mHoverEnabled = true;
};
