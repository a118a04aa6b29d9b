#pragma once

#include "widgets/RVFlippedView.h"

#include "frameworks/penwork/support/RVOneShotEffectTimer.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Button.h"
#include "platform/ui/DraggingSession.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/View.h"

#include <QPointer>
#include <QVariantMap>

#include <limits>

namespace pf {
class BezierPath;
class Image;
} // namespace pf

class RVCollapsibleContainerViewDelegate;

// The drag type under which containers reorder their panes; the pasteboard carries a marker
// only, the pane itself travels in draggingView().
inline const QString kRVCollapsibleContainerViewInternalDragType =
    QStringLiteral("kRVCollapsibleContainerViewInternalDragType");

// A flipped view that stacks the views it hosts in a content area under an optional 22-point
// title bar. Hosted containers become subcontainers: indented a level, collapsible to their
// title bar with an animation, closable, and reordered by dragging their title bar, also into
// other containers that accept them. Every change of size flows up the tree of containers,
// and the tree writes itself to and rebuilds itself from a property-list configuration.
class RVCollapsibleContainerView : public pf::View,
                                   public pf::AnimationDelegate,
                                   public pf::DraggingSource,
                                   public RVOneShotDelegate {
    Q_OBJECT
    PF_CLASS(RVCollapsibleContainerView)
public:
    static constexpr double kTitleBarHeight = 22.0;
    static constexpr quint64 kNotFound = quint64(std::numeric_limits<qint64>::max());
    static constexpr double kAutoscrollMargin = 20.0;
    static constexpr double kMoveDuration = 0.2;
    static constexpr double kConfigurationDelay = 0.5;
    static constexpr double kArrangeAfterCollapseAllDelay = 0.25;

    explicit RVCollapsibleContainerView(const QRectF& frame, QWidget* parent = nullptr);
    ~RVCollapsibleContainerView() override;

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }
    // A container laid out in an interface file: no title bar, reorderable.
    void awakeFromNib();

    // --- Class-level hooks
    static const QVariantMap& titleAttributes();
    static pf::Button* collapsingButton();
    static pf::Button* closeButton();
    static pf::Button* helpButton();
    static pf::ImageView* auxiliaryIconView();
    static QString closeButtonTooltip();
    static QString collapseButtonTooltip();
    static pf::Color titlebarHighightColour();
    static pf::Color indentationStripColour();
    static QString uniqueCVIdentifier();

    // --- Properties
    QString title() const { return mTitle; }
    void setTitle(const QString& title);
    QString cvident() const { return mIdentifier; }
    void setCvident(const QString& identifier) { mIdentifier = identifier; }
    int titleBarStyle() const { return mTitleBarStyle; }
    void setTitleBarStyle(int style);
    bool collapsed() const { return mCollapsed; }
    void setCollapsed(bool collapsed);
    double height() const { return mHeight; }
    double cornerRadius() const { return mCornerRadius; }
    void setCornerRadius(double radius) { mCornerRadius = radius; setNeedsDisplay(); }
    double borderWidth() const { return mBorderWidth; }
    void setBorderWidth(double width) { mBorderWidth = width; setNeedsDisplay(); }
    double contentInset() const { return mContentInset; }
    void setContentInset(double inset) { mContentInset = inset; }
    double indentationAmount() const { return mIndentAmount; }
    void setIndentationAmount(double amount) { mIndentAmount = amount; }
    qint64 indentationLevel() const { return mIndentLevel; }
    void setIndentationLevel(qint64 level);
    pf::Color backgroundColour() const { return mBackgroundColour; }
    void setBackgroundColour(const pf::Color& colour) { mBackgroundColour = colour; setNeedsDisplay(); }
    pf::Color titleBarColour() const { return mTitleBarColour; }
    void setTitleBarColour(const pf::Color& colour) { mTitleBarColour = colour; setNeedsDisplay(); }
    pf::Ref<pf::Gradient> titleBarGradient() const { return mTitleBarGradient; }
    void setTitleBarGradient(const pf::Ref<pf::Gradient>& gradient) { mTitleBarGradient = gradient; setNeedsDisplay(); }
    bool drawsShinyGradient() const { return mDrawShinyGradient; }
    void setDrawsShinyGradient(bool draws) { mDrawShinyGradient = draws; setNeedsDisplay(); }
    bool allowsReordering() const { return mAllowsReordering; }
    void setAllowsReordering(bool allows) { mAllowsReordering = allows; }
    bool allowsDragsFromOtherViews() const { return mAllowsDragsFromOtherViews; }
    void setAllowsDragsFromOtherViews(bool allows) { mAllowsDragsFromOtherViews = allows; }
    quint64 ignoredViewCount() const { return mIgnoredViewCount; }
    void setIgnoredViewCount(quint64 count) { mIgnoredViewCount = count; }
    bool highlightForDrag() const { return mHighlighted; }
    void setHighlightForDrag(bool highlighted);
    RVCollapsibleContainerViewDelegate* delegate() const { return mDelegate; }
    // Not owned.
    void setDelegate(RVCollapsibleContainerViewDelegate* delegate) { mDelegate = delegate; }
    RVCollapsibleContainerView* parentContainerView() const { return mParentContainerView; }
    pf::View* contentView() const;
    pf::Button* collapseButton() const { return mCollapsingButton; }
    pf::Button* closingButton() const { return mClosingButton; }
    pf::Button* titleCheckbox() const { return mTitleCheckbox; }
    pf::Button* helpButtonView() const { return mHelpButton; }
    pf::ImageView* auxiliaryImageView() const { return mAuxiliaryImageView; }
    QList<pf::View*> hostedViews() const;
    bool isLastInStack() const;

    // --- Hosting and layout
    void addViewToContent(pf::View* view);
    void removeViewFromContent(pf::View* view);
    void removeAllContentViews();
    void arrangeSubviews() { arrangeSubviewsWithAnimation(false); }
    void arrangeSubviewsWithAnimation(bool animate);
    void setFrameSize(QSizeF size) override;
    void containedViewFrameDidChange(RVCollapsibleContainerView* child);
    void notifyConfigurationChange();

    // --- Collapsing and closing
    void collapseAll();
    void expandAll();
    void collapseAction(const QVariant& sender);
    void doubleClickInTitleBar(const pf::Event& event);
    void closeAction(const QVariant& sender = {});
    void animationDidStop(pf::Animation& animation, bool finished) override;

    // --- Title bar
    QRectF titleBarRect() const;
    double titleBarHeight() const { return mTitleBarStyle != 0 ? kTitleBarHeight : 0.0; }
    void drawTitleBar(const QRectF& rect);
    void setCloseButton(pf::Button* button);
    void setHelpButtonVisible(bool visible);
    void setHelpButtonIcon(const pf::Ref<pf::Image>& image);
    void helpButtonInternalAction(const QVariant& sender = {});
    void setAuxiliaryIcon(const pf::Ref<pf::Image>& image);

    // --- Drawing
    // The radius of the body's top corners: the corner radius limited by half the bounds.
    double bodyCornerRadius() const;
    pf::Ref<pf::BezierPath> bodyPath() const;
    static pf::Ref<pf::BezierPath> zigZagEdgeInRect(const QRectF& rect);
    void drawRect(const QRectF& dirtyRect) override;

    // --- Configuration
    QByteArray configurationData();
    void restoreFromConfigurationData(const QByteArray& data);
    RVCollapsibleContainerView* subcontainerWithCVIdentifier(const QString& identifier) const;

    QString description() const override;

    // --- Drag reordering
    static RVCollapsibleContainerView* draggingView();
    static void setDraggingView(RVCollapsibleContainerView* view);
    void dragViewTitleBarWithEvent(const pf::Event& event);
    void dragContainerSubview(RVCollapsibleContainerView* view, const pf::Event& event);
    bool canAcceptDragFrom(const pf::DraggingInfo& info) const;
    quint64 arrangeSubviewsForDraggingLocation(QPointF point, double gap, bool isForeignView);
    quint64 insertionIndex() const { return mInsertionIndex; }
    void setAnimatedFrame(const QRectF& frame);
    bool isMoveAnimating() const { return mMoveTimer != nullptr; }
    // Leaves the pane where the slide has got to.
    void stopMoveAnimation();

    unsigned draggingSourceOperationMask(pf::DraggingContext context) override;
    void draggingSessionEnded(pf::DraggingSession& session, QPointF point, unsigned operation) override;
    unsigned draggingEntered(const pf::DraggingInfo& info) override;
    unsigned draggingUpdated(const pf::DraggingInfo& info) override;
    void draggingExited(const pf::DraggingInfo* info) override;
    bool wantsPeriodicDraggingUpdates() const override { return true; }
    bool prepareForDragOperation(const pf::DraggingInfo& info) override;
    bool performDragOperation(const pf::DraggingInfo& info) override;

    void oneShotHasReached(double progress) override;
    void oneShotComplete() override;

    // --- Events
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;

private:
    void layOutContentArea();
    RVCollapsibleContainerView* draggingSourceContainer(const pf::DraggingInfo& info) const;
    void scheduleArrange(double delay);

    QString mTitle;
    QString mIdentifier;
    int mTitleBarStyle = 0;
    bool mCollapsed = false;
    double mHeight = 0;
    double mCornerRadius = 0;
    double mBorderWidth = 0;
    double mContentInset = 0;
    double mIndentAmount = 6.0;
    qint64 mIndentLevel = 0;
    pf::Color mBackgroundColour;
    pf::Color mTitleBarColour;
    pf::Ref<pf::Gradient> mTitleBarGradient;
    bool mDrawShinyGradient = false;
    bool mAllowsReordering = false;
    bool mAllowsDragsFromOtherViews = false;
    quint64 mIgnoredViewCount = 0;
    bool mHighlighted = false;
    RVCollapsibleContainerViewDelegate* mDelegate = nullptr;
    QPointer<RVCollapsibleContainerView> mParentContainerView;
    QPointer<RVFlippedView> mContentView;
    QPointer<pf::Button> mCollapsingButton;
    QPointer<pf::Button> mClosingButton;
    QPointer<pf::Button> mTitleCheckbox;
    QPointer<pf::Button> mHelpButton;
    QPointer<pf::ImageView> mAuxiliaryImageView;
    bool mIsChangingFrame = false;
    quint64 mInsertionIndex = kNotFound;
    QRectF mSrcFrame;
    QRectF mDestFrame;
    pf::Ref<RVOneShotEffectTimer> mMoveTimer;
    quint64 mPendingConfigurationNotice = 0;
    bool mPressInTitleBar = false;
    // Lets timers and delayed calls notice the view has gone.
    std::shared_ptr<int> mLiveness = std::make_shared<int>(0);
};
