#pragma once

#include "platform/foundation/Notification.h"
#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

#include <QPointer>

namespace pf {

// The view a scroll view shows its document view through. Its bounds origin is the scroll
// position: the document view is its only subview, placed by its frame in the clip view's
// bounds, and the clip view is flipped exactly when the document view is. It follows the
// document view's frame and bounds changes (viewFrameChanged, viewBoundsChanged), keeps the
// scroll point acceptable (constrainScrollPoint) and tells the scroll view to reflect every
// scroll. Subclasses replace the constraint (to centre a small document) and draw round the
// document.
class ClipView : public View {
    Q_OBJECT
    PF_CLASS(ClipView)
public:
    explicit ClipView(QWidget* parent = nullptr);
    explicit ClipView(const QRectF& frame, QWidget* parent = nullptr);
    ~ClipView() override;

    View* documentView() const { return m_documentView; }
    // Takes ownership; the previous document view is removed from the clip view (and deleted at
    // the end of the event cycle unless it is kept alive or added elsewhere). Null leaves none.
    void setDocumentView(View* view);
    // The part of the document view shown, in the document view's coordinates.
    QRectF documentVisibleRect() const;
    // The document view's frame in this view's coordinates (null rectangle without one).
    QRectF documentRect() const;

    // The scroll point (bounds origin) to use instead of `proposed`. By default the document
    // stays inside the clip view: each coordinate is kept between the document's start and its
    // end less the visible length, and a document shorter than the clip view sits at its start.
    virtual QPointF constrainScrollPoint(QPointF proposed) const;
    // Moves the bounds origin to `point` as given and has the scroll view reflect it.
    void scrollToPoint(QPointF point);
    // Scrolls towards the event's location when it lies outside the visible part; answers
    // whether it scrolled.
    bool autoscroll(const Event& event) override;

    // The document view's notifications; also for subclasses and owners that route other views'
    // notifications here. Both constrain the scroll point again and have the scroll view reflect.
    virtual void viewFrameChanged(const Notification& notification);
    virtual void viewBoundsChanged(const Notification& notification);

    // Whether scrolling may move what is already drawn instead of drawing it again; when it
    // answers false every scroll redraws the clip view and the document view whole.
    virtual bool copiesOnScroll() const { return m_copiesOnScroll; }
    void setCopiesOnScroll(bool copies) { m_copiesOnScroll = copies; }

    // Filled behind the document view when drawsBackground is set. An invalid colour stands for
    // the style's control background.
    Color backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const Color& color);
    bool drawsBackground() const { return m_drawsBackground; }
    void setDrawsBackground(bool draws);

    bool isFlipped() const override;
    void setFrameSize(QSizeF size) override;
    void drawRect(const QRectF& dirtyRect) override;

private:
    void observeDocumentView(bool observe);
    // Constrains the scroll point again after the document or the clip view changed size.
    void reconstrain();
    void tellScrollView();

    QPointer<View> m_documentView;
    bool m_copiesOnScroll = true;
    bool m_drawsBackground = true;
    Color m_backgroundColor;
};

} // namespace pf
