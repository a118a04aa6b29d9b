#include "widgets/RVIconTextFieldCell.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <cmath>

PF_DEFINE_CLASS(RVIconTextFieldCell, pf::TextFieldCell) {}

pf::Ref<pf::Cell> RVIconTextFieldCell::copyCell() const
{
    auto copy = std::make_shared<RVIconTextFieldCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

QRectF RVIconTextFieldCell::iconRectForFrame(const QRectF& frame) const
{
    if (!mIcon)
        return {};
    const QRectF r = frame.adjusted(1, 1, -1, -1);
    return QRectF(r.x() + kIconLeftMargin, r.y() + std::floor((r.height() - 17.0) / 2), kIconSide, kIconSide);
}

QRectF RVIconTextFieldCell::textFrameForFrame(const QRectF& frame) const
{
    if (!mIcon)
        return frame;
    return frame.adjusted(kTextIndent, 0, 0, 0);
}

void RVIconTextFieldCell::drawWithFrame(const QRectF& frame, pf::View* view)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (mIcon && context) {
        const QRectF iconRect = iconRectForFrame(frame);
        if (drawsBackground()) {
            context->setFillColour(backgroundColor().isValid() ? backgroundColor() : pf::Color::white());
            context->fillRect(iconRect);
        }
        pf::GraphicsStateSaver saved(context);
        context->setImageInterpolation(pf::ImageInterpolation::High);
        // Drawing respects a flipped view, so the icon stands upright either way.
        mIcon->draw(*context, iconRect, {}, pf::CompositingOperation::SourceOver, isEnabled() ? 1.0 : 0.5, true);
    }
    pf::TextFieldCell::drawWithFrame(textFrameForFrame(frame), view);
}

QRectF RVIconTextFieldCell::centredRectForBounds(const QRectF& bounds) const
{
    QRectF rect = pf::TextFieldCell::drawingRectForBounds(bounds);
    const double natural = cellSizeForBounds(bounds).height();
    if (rect.height() > natural) {
        const double extra = rect.height() - natural;
        rect.setHeight(natural);
        rect.moveTop(rect.top() + extra / 2);
    }
    return rect;
}

QRectF RVIconTextFieldCell::drawingRectForBounds(const QRectF& bounds) const
{
    if (mPlacingEditor)
        return pf::TextFieldCell::drawingRectForBounds(bounds);
    return centredRectForBounds(bounds);
}

QRectF RVIconTextFieldCell::editingRectForFrame(const QRectF& frame) const
{
    return centredRectForBounds(frame).adjusted(kEditingIndent, 0, 0, 0);
}

void RVIconTextFieldCell::selectWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor,
                                          pf::FieldEditorDelegate* delegate, int start, int length)
{
    const QRectF rect = editingRectForFrame(frame);
    mPlacingEditor = true;
    pf::TextFieldCell::selectWithFrame(rect, view, editor, delegate, start, length);
    mPlacingEditor = false;
}

void RVIconTextFieldCell::editWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor,
                                        pf::FieldEditorDelegate* delegate, const pf::Event* event)
{
    // Selecting edits through here with a rectangle placed already.
    if (mPlacingEditor) {
        pf::TextFieldCell::editWithFrame(frame, view, editor, delegate, event);
        return;
    }
    const QRectF rect = editingRectForFrame(frame);
    mPlacingEditor = true;
    pf::TextFieldCell::editWithFrame(rect, view, editor, delegate, event);
    mPlacingEditor = false;
}

unsigned RVIconTextFieldCell::hitTestForEvent(const pf::Event& event, const QRectF& frame, pf::View* view) const
{
    return pf::TextFieldCell::hitTestForEvent(event, centredRectForBounds(frame), view);
}
