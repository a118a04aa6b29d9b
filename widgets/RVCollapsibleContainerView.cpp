#include "widgets/RVCollapsibleContainerView.h"

#include "widgets/BezierPath+RoundRectangles.h"
#include "widgets/CGShinyGradient.h"
#include "widgets/Color+VNQLApplicationColors.h"
#include "widgets/RVCollapsibleContainerViewDelegate.h"
#include "widgets/RVFlippedView.h"
#include "widgets/RVRectString.h"
#include "widgets/TitleAttributes.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Animator.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ScrollView.h"

#include <QPainter>
#include <QUuid>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(RVCollapsibleContainerView, pf::View)
{
    b.property("title", &RVCollapsibleContainerView::title, &RVCollapsibleContainerView::setTitle);
    b.property("cvident", &RVCollapsibleContainerView::cvident, &RVCollapsibleContainerView::setCvident);
    b.property("collapsed", &RVCollapsibleContainerView::collapsed, &RVCollapsibleContainerView::setCollapsed);
    b.method("collapseAction:", &RVCollapsibleContainerView::collapseAction);
    b.method("closeAction:", &RVCollapsibleContainerView::closeAction);
    b.method("helpButtonInternalAction:", &RVCollapsibleContainerView::helpButtonInternalAction);
}

namespace {

constexpr double kTitleInset = 28.0;
const QString kIdentKey = QStringLiteral("cv_ident");
const QString kTitleKey = QStringLiteral("cv_title");
const QString kFrameKey = QStringLiteral("cv_frame");
const QString kCollapsedKey = QStringLiteral("cv_collapsed");
const QString kSubviewsKey = QStringLiteral("cv_subviews");

QPointer<RVCollapsibleContainerView>& draggingViewSlot()
{
    static QPointer<RVCollapsibleContainerView> slot;
    return slot;
}

QString localized(const char* key)
{
    return pf::Bundle::main().localizedString(QString::fromUtf8(key), QString());
}

} // namespace

// --- Class-level hooks

const QVariantMap& RVCollapsibleContainerView::titleAttributes()
{
    static const QVariantMap attributes =
        oneLineTitleAttributes(pf::Font::boldSystemFont(11.0), pf::Color::withWhite(0.25), true);
    return attributes;
}

pf::Button* RVCollapsibleContainerView::collapsingButton()
{
    auto* button = new pf::Button(QRectF(8, 4, 10, 10));
    button->setBezelStyle(pf::BezelStyle::Disclosure);
    button->setButtonType(pf::ButtonType::PushOnPushOff);
    button->setImagePosition(pf::CellImagePosition::ImageOnly);
    button->setState(pf::ControlState::On);
    button->setHidden(false);
    button->setEnabled(true);
    button->setToolTip(collapseButtonTooltip());
    return button;
}

pf::Button* RVCollapsibleContainerView::closeButton()
{
    auto* button = new pf::Button(QRectF(0, 0, 15.4, 15.4));
    button->setButtonType(pf::ButtonType::MomentaryChange);
    button->setBordered(false);
    button->setImage(pf::Image::imageNamed(QStringLiteral("NSRemoveTemplate")));
    button->setImagePosition(pf::CellImagePosition::ImageOnly);
    button->setImageScaling(pf::ImageScaling::ProportionallyDown);
    button->setToolTip(closeButtonTooltip());
    return button;
}

pf::Button* RVCollapsibleContainerView::helpButton()
{
    auto* button = new pf::Button(QRectF(0, 0, 17.6, 17.6));
    button->setButtonType(pf::ButtonType::MomentaryChange);
    button->setBordered(false);
    button->setImage(pf::Image::imageNamed(QStringLiteral("NSInfo")));
    button->setImagePosition(pf::CellImagePosition::ImageOnly);
    button->setImageScaling(pf::ImageScaling::ProportionallyDown);
    button->setToolTip(localized("Help"));
    return button;
}

pf::ImageView* RVCollapsibleContainerView::auxiliaryIconView()
{
    auto* view = new pf::ImageView;
    view->setFrame(QRectF(0, 0, 17.6, 17.6));
    return view;
}

QString RVCollapsibleContainerView::closeButtonTooltip()
{
    return localized("Delete Component");
}

QString RVCollapsibleContainerView::collapseButtonTooltip()
{
    return localized("Collapse Component");
}

pf::Color RVCollapsibleContainerView::titlebarHighightColour()
{
    return pf::SystemColor::currentControlTint();
}

pf::Color RVCollapsibleContainerView::indentationStripColour()
{
    return titlebarHighightColour();
}

QString RVCollapsibleContainerView::uniqueCVIdentifier()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// --- Creation

RVCollapsibleContainerView::RVCollapsibleContainerView(const QRectF& frame, QWidget* parent)
    : pf::View(frame, parent)
{
    mCollapsingButton = collapsingButton();
    mCollapsingButton->setTarget(this);
    mCollapsingButton->setAction(QStringLiteral("collapseAction:"));
    mCollapsingButton->setFrameOrigin(QPointF(bounds().x() + 5.0, bounds().y() + 6.5));
    addSubview(mCollapsingButton);

    mHeight = frame.height();
    mBackgroundColour = VNQLWindowBackgroundColour();
    mTitleBarColour = VNQLLightBackgroundColour();

    mContentView = new RVFlippedView(QRectF(mContentInset, kTitleBarHeight + mContentInset,
                                            frame.width() - 2 * mContentInset,
                                            frame.height() - (kTitleBarHeight + 2 * mContentInset)));
    mContentView->setAutoresizingMask(pf::ViewWidthSizable | pf::ViewHeightSizable);
    addSubview(mContentView);

    mIdentifier = uniqueCVIdentifier();

    mHelpButton = helpButton();
    mHelpButton->setHidden(true);
    mHelpButton->setTarget(this);
    mHelpButton->setAction(QStringLiteral("helpButtonInternalAction:"));
    mHelpButton->setAutoresizingMask(pf::ViewMinXMargin);
    mHelpButton->setFrameOrigin(QPointF(bounds().right() - 2 * mHelpButton->frame().width() - 3.0, bounds().top() + 1.5));
    addSubview(mHelpButton);

    mAuxiliaryImageView = auxiliaryIconView();
    mAuxiliaryImageView->setFrameOrigin(QPointF(36.0, bounds().top() + 2.5));
    addSubview(mAuxiliaryImageView);

    setTitleBarStyle(1);
}

void RVCollapsibleContainerView::awakeFromNib()
{
    setTitleBarStyle(0);
    const QRectF bar = titleBarRect();
    const double middle = bar.center().y();
    if (mCollapsingButton) {
        const QSizeF size = mCollapsingButton->frame().size();
        mCollapsingButton->setFrameOrigin(QPointF(bar.x() + 5.0, middle - 1.5 - size.height() / 2));
        mCollapsingButton->setState(mCollapsed ? pf::ControlState::Off : pf::ControlState::On);
    }
    if (mTitleCheckbox)
        mTitleCheckbox->setFrameOrigin(QPointF(bar.x() + 16.0, middle - mTitleCheckbox->frame().height() / 2));
    if (mClosingButton)
        mClosingButton->setHidden(true);
    mAllowsReordering = true;
}

RVCollapsibleContainerView::~RVCollapsibleContainerView()
{
    if (auto animation = animations().value(QStringLiteral("frameSize")))
        animation->setDelegate(nullptr);
    if (mMoveTimer)
        mMoveTimer->cancel();
    if (mPendingConfigurationNotice)
        pf::RunLoop::main().cancel(mPendingConfigurationNotice);
    mDelegate = nullptr;
}

pf::View* RVCollapsibleContainerView::contentView() const
{
    return mContentView;
}

QList<pf::View*> RVCollapsibleContainerView::hostedViews() const
{
    return mContentView ? mContentView->subviews() : QList<pf::View*>{};
}

bool RVCollapsibleContainerView::isLastInStack() const
{
    if (!mParentContainerView)
        return false;
    const QList<pf::View*> siblings = mParentContainerView->hostedViews();
    return !siblings.isEmpty() && siblings.last() == this;
}

// --- Properties

void RVCollapsibleContainerView::setTitle(const QString& title)
{
    mTitle = title;
    setNeedsDisplayInRect(titleBarRect());
}

void RVCollapsibleContainerView::setTitleBarStyle(int style)
{
    if (style == mTitleBarStyle)
        return;
    mTitleBarStyle = style;
    if (style == 2 && !mTitleCheckbox) {
        mTitleCheckbox = new pf::Button;
        mTitleCheckbox->setButtonType(pf::ButtonType::Switch);
        mTitleCheckbox->setTitle(QString());
        mTitleCheckbox->setControlSize(pf::ControlSize::Small);
        QRectF frame = titleBarRect().adjusted(4.0, 4.0, -4.0, -4.0);
        frame.setX(double(mIndentLevel) * mIndentAmount + 16.0);
        frame.setWidth(24.0);
        mTitleCheckbox->setFrame(frame);
        addSubview(mTitleCheckbox);
    }
    if (mCollapsingButton)
        mCollapsingButton->setHidden(style == 0);
    if (mTitleCheckbox)
        mTitleCheckbox->setHidden(style != 2);
    // A style change never shows the help button: only setHelpButtonVisible does.
    if (mHelpButton && !mHelpButton->isHidden() && style == 0)
        mHelpButton->setHidden(true);
    if (mAuxiliaryImageView)
        mAuxiliaryImageView->setHidden(style == 0);
    layOutContentArea();
}

void RVCollapsibleContainerView::layOutContentArea()
{
    if (!mContentView)
        return;
    const QRectF f = frame();
    mContentView->setFrame(QRectF(mContentInset, titleBarHeight() + mContentInset, f.width() - 2 * mContentInset,
                                  f.height() - titleBarHeight() - 2 * mContentInset));
}

void RVCollapsibleContainerView::setIndentationLevel(qint64 level)
{
    mIndentLevel = level;
    arrangeSubviews();
}

void RVCollapsibleContainerView::setHighlightForDrag(bool highlighted)
{
    mHighlighted = highlighted;
    setNeedsDisplayInRect(titleBarRect());
}

QRectF RVCollapsibleContainerView::titleBarRect() const
{
    const QRectF b = bounds();
    return QRectF(b.x(), b.y(), b.width(), titleBarHeight());
}

// --- Hosting and layout

void RVCollapsibleContainerView::addViewToContent(pf::View* view)
{
    if (!view || !mContentView || view->superview() == mContentView)
        return;
    view->setFrame(QRectF(view->frame().x(), view->frame().y(), mContentView->bounds().width(),
                          std::floor(view->frame().height())));
    view->setAutoresizingMask(view->autoresizingMask() | pf::ViewWidthSizable);
    if (mDelegate)
        mDelegate->containerViewWillAddSubview(*this, view);
    mContentView->addSubview(view);
    arrangeSubviews();
    setNeedsDisplay();
    if (auto* container = qobject_cast<RVCollapsibleContainerView*>(view)) {
        container->mParentContainerView = this;
        container->setIndentationLevel(mIndentLevel + 1);
        if (container->mIdentifier.isEmpty())
            container->mIdentifier = uniqueCVIdentifier();
        registerForDraggedTypes({kRVCollapsibleContainerViewInternalDragType});
    }
    if (mDelegate)
        mDelegate->containerViewDidAddSubview(*this, view);
}

void RVCollapsibleContainerView::removeViewFromContent(pf::View* view)
{
    if (!view || !mContentView || view->superview() != mContentView)
        return;
    if (mDelegate)
        mDelegate->containerViewWillRemoveSubview(*this, view);
    if (auto* container = qobject_cast<RVCollapsibleContainerView*>(view)) {
        container->mParentContainerView = nullptr;
        if (container->mTitleCheckbox)
            container->mTitleCheckbox->setTarget(nullptr);
    }
    // Removed views live on to the end of the event cycle, so a caller may add it elsewhere.
    view->removeFromSuperview();
    arrangeSubviews();
    setNeedsDisplay();
    if (mDelegate)
        mDelegate->containerViewDidRemoveSubview(*this, view);
}

void RVCollapsibleContainerView::removeAllContentViews()
{
    for (pf::View* view : hostedViews()) {
        if (auto* container = qobject_cast<RVCollapsibleContainerView*>(view))
            container->mParentContainerView = nullptr;
        view->removeFromSuperview();
    }
    arrangeSubviews();
    setNeedsDisplay();
}

void RVCollapsibleContainerView::arrangeSubviewsWithAnimation(bool animate)
{
    const double level = double(mIndentLevel) * mIndentAmount;
    const double contentWidth = frame().width() - 2 * mContentInset;
    double y = 0;
    for (pf::View* view : hostedViews()) {
        const double height = view->frame().height();
        auto* container = qobject_cast<RVCollapsibleContainerView*>(view);
        const QRectF target = container ? QRectF(level, y, contentWidth - level, height) : QRectF(0, y, contentWidth, height);
        if (animate && container) {
            container->setAnimatedFrame(target);
        } else {
            // A pane still sliding would otherwise carry on to its old target.
            if (container)
                container->stopMoveAnimation();
            // The child's size notice must not arrange this container again meanwhile.
            const bool wasChanging = mIsChangingFrame;
            mIsChangingFrame = true;
            view->setFrame(target);
            mIsChangingFrame = wasChanging;
        }
        y += std::floor(height + mContentInset);
    }
    mHeight = y + titleBarHeight() + mContentInset;
    if (!mCollapsed)
        setFrameSize(QSizeF(frame().width(), mHeight));
}

void RVCollapsibleContainerView::setFrameSize(QSizeF size)
{
    if (mIsChangingFrame)
        return;
    mIsChangingFrame = true;
    pf::View::setFrameSize(size);
    if (mParentContainerView)
        mParentContainerView->containedViewFrameDidChange(this);
    notifyConfigurationChange();
    mIsChangingFrame = false;
}

void RVCollapsibleContainerView::containedViewFrameDidChange(RVCollapsibleContainerView*)
{
    if (!mIsChangingFrame)
        arrangeSubviews();
}

void RVCollapsibleContainerView::notifyConfigurationChange()
{
    if (!mDelegate)
        return;
    if (mPendingConfigurationNotice)
        pf::RunLoop::main().cancel(mPendingConfigurationNotice);
    QPointer<RVCollapsibleContainerView> self(this);
    mPendingConfigurationNotice = pf::RunLoop::main().perform(
        [self] {
            if (!self)
                return;
            self->mPendingConfigurationNotice = 0;
            if (self->mDelegate)
                self->mDelegate->containerViewConfigurationDidChange(*self);
        },
        kConfigurationDelay);
}

// --- Collapsing and closing

void RVCollapsibleContainerView::setCollapsed(bool collapsed)
{
    if (collapsed == mCollapsed)
        return;
    mCollapsed = collapsed;
    const QRectF current = frame();
    double target = 0;
    if (collapsed) {
        // Mid-animation heights are not the container's: keep the arranged one then.
        if (!pf::Animator::isAnimating(this, QStringLiteral("frameSize")))
            mHeight = current.height();
        target = titleBarHeight();
        if (mContentView)
            mContentView->setHidden(true);
    } else {
        if (mContentView)
            mContentView->setHidden(false);
        target = mHeight;
    }
    if (auto animation = animationForKey(QStringLiteral("frameSize")))
        animation->setDelegate(this);
    animator().setFrameSize(QSizeF(current.width(), target));
    if (mCollapsingButton)
        mCollapsingButton->setState(collapsed ? pf::ControlState::Off : pf::ControlState::On);
}

void RVCollapsibleContainerView::animationDidStop(pf::Animation&, bool)
{
    if (!mDelegate)
        return;
    if (mCollapsed)
        mDelegate->containerViewDidCollapse(*this);
    else
        mDelegate->containerViewDidUncollapse(*this);
}

void RVCollapsibleContainerView::scheduleArrange(double delay)
{
    QPointer<RVCollapsibleContainerView> self(this);
    pf::RunLoop::main().perform(
        [self] {
            if (self)
                self->arrangeSubviews();
        },
        delay);
}

void RVCollapsibleContainerView::collapseAll()
{
    for (pf::View* view : hostedViews()) {
        if (auto* container = qobject_cast<RVCollapsibleContainerView*>(view); container && !container->collapsed())
            container->setCollapsed(true);
    }
    scheduleArrange(kArrangeAfterCollapseAllDelay);
}

void RVCollapsibleContainerView::expandAll()
{
    for (pf::View* view : hostedViews()) {
        if (auto* container = qobject_cast<RVCollapsibleContainerView*>(view); container && container->collapsed())
            container->setCollapsed(false);
    }
    scheduleArrange(kArrangeAfterCollapseAllDelay);
}

void RVCollapsibleContainerView::collapseAction(const QVariant& sender)
{
    const pf::Event* current = pf::Application::shared()->currentEvent();
    const bool option = current && (current->modifierFlags & pf::AlternateKeyMask);
    if (option && mParentContainerView) {
        if (mCollapsed)
            mParentContainerView->expandAll();
        else
            mParentContainerView->collapseAll();
        return;
    }
    auto* button = qobject_cast<pf::Button*>(sender.value<QObject*>());
    if (!button)
        button = mCollapsingButton;
    if (button)
        setCollapsed(button->state() == pf::ControlState::Off);
}

void RVCollapsibleContainerView::doubleClickInTitleBar(const pf::Event&)
{
    setCollapsed(!mCollapsed);
}

void RVCollapsibleContainerView::closeAction(const QVariant&)
{
    if (mParentContainerView)
        mParentContainerView->removeViewFromContent(this);
    else
        removeFromSuperview();
}

// --- Title-bar controls

void RVCollapsibleContainerView::setCloseButton(pf::Button* button)
{
    if (mClosingButton == button)
        return;
    if (mClosingButton) {
        mClosingButton->removeFromSuperview();
        mClosingButton->deleteLater();
    }
    mClosingButton = button;
    if (!button)
        return;
    button->setTarget(this);
    button->setAction(QStringLiteral("closeAction:"));
    button->setAutoresizingMask(pf::ViewMinXMargin);
    addSubview(button);
    const QRectF bar = titleBarRect();
    button->setFrameOrigin(QPointF(bar.right() - button->frame().width() - 3.0,
                                   bar.center().y() - button->frame().height() / 2 + 0.5));
}

void RVCollapsibleContainerView::setHelpButtonVisible(bool visible)
{
    if (mHelpButton)
        mHelpButton->setHidden(!visible);
}

void RVCollapsibleContainerView::setHelpButtonIcon(const pf::Ref<pf::Image>& image)
{
    if (mHelpButton)
        mHelpButton->setImage(image);
}

void RVCollapsibleContainerView::helpButtonInternalAction(const QVariant&)
{
    if (mDelegate && mHelpButton)
        mDelegate->containerViewShowHelpPopoverInRect(*this, mHelpButton->frame());
}

void RVCollapsibleContainerView::setAuxiliaryIcon(const pf::Ref<pf::Image>& image)
{
    if (mAuxiliaryImageView)
        mAuxiliaryImageView->setImage(image);
}

// --- Drawing

double RVCollapsibleContainerView::bodyCornerRadius() const
{
    const QRectF b = centerScanRect(bounds());
    const double radius = std::min({mCornerRadius, b.width() / 2, b.height() / 2});
    return radius > 0 ? radius : 0;
}

pf::Ref<pf::BezierPath> RVCollapsibleContainerView::bodyPath() const
{
    // Only the two top corners (minimum y in this flipped view) are rounded.
    return bezierPathWithRoundedRect(centerScanRect(bounds()), bodyCornerRadius(),
                                     kRoundMinXMinYCorner | kRoundMaxXMinYCorner);
}

pf::Ref<pf::BezierPath> RVCollapsibleContainerView::zigZagEdgeInRect(const QRectF& rect)
{
    int n = int(std::floor(rect.height() / 10.0));
    if (n % 2 == 1)
        ++n;
    auto path = std::make_shared<pf::BezierPath>();
    path->moveTo(QPointF(rect.right(), rect.top()));
    for (int i = 1; i <= n; ++i) {
        const double y = rect.top() + i * rect.height() / n;
        path->lineTo(QPointF(i % 2 == 1 ? rect.left() : rect.right(), y));
    }
    path->lineTo(QPointF(rect.left(), rect.bottom()));
    path->lineTo(QPointF(rect.left(), rect.top()));
    path->closePath();
    path->setLineWidth(0.5);
    return path;
}

void RVCollapsibleContainerView::drawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const auto body = bodyPath();
    const QPainterPath shape = body->toQPainterPath();
    painter.save();
    painter.setClipPath(shape, Qt::IntersectClip);
    if (mBackgroundColour.isValid())
        painter.fillPath(shape, mBackgroundColour.qColor());
    if (mIndentLevel > 0) {
        const QColor strip = indentationStripColour().qColor();
        for (pf::View* view : hostedViews()) {
            auto* container = qobject_cast<RVCollapsibleContainerView*>(view);
            if (!container || container->indentationLevel() <= 0)
                continue;
            const double top = convertPointFromView(container->frame().topLeft(), mContentView).y();
            const QRectF rect(bounds().left(), top, double(container->indentationLevel() - 1) * mIndentAmount,
                              container->frame().height());
            painter.fillPath(zigZagEdgeInRect(rect)->toQPainterPath(), strip);
        }
    }
    if (mTitleBarStyle != 0)
        drawTitleBar(titleBarRect());
    painter.restore();
    if (mBorderWidth > 0)
        painter.strokePath(shape, QPen(VNQLControlFrameColour().qColor(), mBorderWidth));
}

void RVCollapsibleContainerView::drawTitleBar(const QRectF& r)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    if (mHighlighted)
        painter.fillRect(r, titlebarHighightColour().qColor());
    else if (mDrawShinyGradient)
        CGContextDrawShinyGradient(&painter, r, pf::Color(mTitleBarColour.qColor().toRgb()), isFlipped());
    else if (mTitleBarGradient)
        mTitleBarGradient->drawInRect(painter, r, -90.0);
    else
        painter.fillRect(r, mTitleBarColour.qColor());

    if (!mTitle.isEmpty()) {
        const pf::AttributedString text(mTitle, titleAttributes());
        QRectF textRect = r.adjusted(kTitleInset, 1.0, -kTitleInset, -1.0);
        const double textHeight = pf::StringDrawing::size(text).height();
        textRect.setTop(textRect.top() + (r.height() - textHeight) / 2);
        pf::StringDrawing::draw(painter, text, textRect);
    }

    painter.save();
    painter.setPen(QPen(VNQLLightControlFrameColour().qColor(), 0.25));
    if (mCollapsed && isLastInStack())
        painter.drawLine(QPointF(r.left(), r.bottom() - 0.5), QPointF(r.right(), r.bottom() - 0.5));
    if (mBorderWidth == 0)
        painter.drawLine(QPointF(r.left(), r.top() + 0.5), QPointF(r.right(), r.top() + 0.5));
    painter.restore();
}

// --- Configuration

QByteArray RVCollapsibleContainerView::configurationData()
{
    // A container from an interface file may have no identifier yet; it needs one to be found.
    if (mIdentifier.isEmpty())
        mIdentifier = uniqueCVIdentifier();
    QVariantMap configuration{
        {kIdentKey, mIdentifier},
        {kFrameKey, RVRectString::stringFromRect(frame())},
        {kCollapsedKey, mCollapsed},
    };
    if (!mTitle.isEmpty())
        configuration.insert(kTitleKey, mTitle);
    QVariantList subviews;
    for (pf::View* view : hostedViews()) {
        if (auto* container = qobject_cast<RVCollapsibleContainerView*>(view))
            subviews.append(container->configurationData());
    }
    configuration.insert(kSubviewsKey, subviews);
    return pf::PropertyList::data(configuration, pf::PropertyListFormat::XML);
}

void RVCollapsibleContainerView::restoreFromConfigurationData(const QByteArray& data)
{
    const QVariant parsed = pf::PropertyList::value(data);
    if (parsed.typeId() != QMetaType::QVariantMap)
        return;
    const QVariantMap configuration = parsed.toMap();
    removeAllContentViews();
    const QString identifier = configuration.value(kIdentKey).toString();
    if (!identifier.isEmpty())
        mIdentifier = identifier;
    else if (mIdentifier.isEmpty())
        mIdentifier = uniqueCVIdentifier();
    mTitle = configuration.value(kTitleKey).toString();
    QRectF savedFrame;
    if (RVRectString::rectFromString(configuration.value(kFrameKey).toString(), &savedFrame))
        mHeight = savedFrame.height();
    setCollapsed(pf::variantToBool(configuration.value(kCollapsedKey)));
    for (const QVariant& element : configuration.value(kSubviewsKey).toList()) {
        auto* container = new RVCollapsibleContainerView(QRectF(0, 0, 100, 100));
        addViewToContent(container);
        container->restoreFromConfigurationData(element.toByteArray());
    }
    arrangeSubviews();
}

RVCollapsibleContainerView* RVCollapsibleContainerView::subcontainerWithCVIdentifier(const QString& identifier) const
{
    for (pf::View* view : hostedViews()) {
        auto* container = qobject_cast<RVCollapsibleContainerView*>(view);
        if (!container)
            continue;
        if (container->cvident() == identifier)
            return container;
        if (auto* found = container->subcontainerWithCVIdentifier(identifier))
            return found;
    }
    return nullptr;
}

QString RVCollapsibleContainerView::description() const
{
    return QStringLiteral("%1 '%2'").arg(pf::View::description(), mTitle);
}

// --- Events

void RVCollapsibleContainerView::mouseDown(const pf::Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    mPressInTitleBar = titleBarRect().contains(point);
    if (event.clickCount == 2 && mPressInTitleBar)
        doubleClickInTitleBar(event);
}

void RVCollapsibleContainerView::mouseDragged(const pf::Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    if (mPressInTitleBar && mAllowsReordering && titleBarRect().contains(point)) {
        // One drag per press: the drag runs its own loop until the drop.
        mPressInTitleBar = false;
        dragViewTitleBarWithEvent(event);
    }
}

// --- Drag reordering

RVCollapsibleContainerView* RVCollapsibleContainerView::draggingView()
{
    return draggingViewSlot();
}

void RVCollapsibleContainerView::setDraggingView(RVCollapsibleContainerView* view)
{
    draggingViewSlot() = view;
}

void RVCollapsibleContainerView::dragViewTitleBarWithEvent(const pf::Event& event)
{
    if (mParentContainerView && mParentContainerView->allowsReordering())
        mParentContainerView->dragContainerSubview(this, event);
}

void RVCollapsibleContainerView::dragContainerSubview(RVCollapsibleContainerView* view, const pf::Event& event)
{
    if (!view)
        return;
    setDraggingView(view);
    const QPixmap image = QPixmap::fromImage(view->cacheDisplayInRect(view->bounds()));
    pf::Ref<pf::Pasteboard> pasteboard = pf::Pasteboard::drag();
    pasteboard->declareTypes({kRVCollapsibleContainerViewInternalDragType}, this);
    pasteboard->setString(QStringLiteral("A"), kRVCollapsibleContainerViewInternalDragType);
    view->setHidden(true);
    // The picture covers the pane where it was.
    const QPoint paneTopLeft = view->mapTo(this, QPoint(0, 0));
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    QPointer<RVCollapsibleContainerView> pane(view);
    pf::DraggingSession::begin(this, pasteboard, this, image, paneTopLeft - pointer, event);
    if (pane)
        pane->setHidden(false);
}

unsigned RVCollapsibleContainerView::draggingSourceOperationMask(pf::DraggingContext)
{
    return pf::DragOperationGeneric;
}

void RVCollapsibleContainerView::draggingSessionEnded(pf::DraggingSession&, QPointF, unsigned operation)
{
    // Nothing may keep pointing at a pane after its drag.
    setDraggingView(nullptr);
    if (operation == pf::DragOperationNone)
        arrangeSubviewsWithAnimation(true);
}

RVCollapsibleContainerView* RVCollapsibleContainerView::draggingSourceContainer(const pf::DraggingInfo& info) const
{
    return dynamic_cast<RVCollapsibleContainerView*>(info.draggingSource());
}

bool RVCollapsibleContainerView::canAcceptDragFrom(const pf::DraggingInfo& info) const
{
    RVCollapsibleContainerView* source = draggingSourceContainer(info);
    if (source == this)
        return true;
    if (!mAllowsDragsFromOtherViews || !source)
        return false;
    return source->objClass().isSubclassOf(objClass()) && objClass().isSubclassOf(source->objClass())
        && source->window() == window();
}

unsigned RVCollapsibleContainerView::draggingEntered(const pf::DraggingInfo& info)
{
    if (draggingSourceContainer(info) == this) {
        setHighlightForDrag(true);
        return pf::DragOperationGeneric;
    }
    if (!canAcceptDragFrom(info)) {
        setHighlightForDrag(false);
        return pf::DragOperationNone;
    }
    // Room for the pane from elsewhere.
    const double paneHeight = draggingView() ? draggingView()->frame().height() : 0.0;
    setFrameSize(QSizeF(frame().width(), frame().height() + paneHeight));
    setHighlightForDrag(true);
    return pf::DragOperationGeneric;
}

unsigned RVCollapsibleContainerView::draggingUpdated(const pf::DraggingInfo& info)
{
    if (!canAcceptDragFrom(info))
        return pf::DragOperationNone;
    const QPointF p = convertPointFromView(info.draggingLocation(), nullptr);
    if (p.y() < kAutoscrollMargin)
        scrollRectToVisible(QRectF(0, -kAutoscrollMargin, 1, 1));
    else if (p.y() > bounds().bottom() - kAutoscrollMargin)
        scrollRectToVisible(QRectF(0, bounds().bottom() + kAutoscrollMargin, 1, 1));
    const double gap = draggingView() ? draggingView()->frame().height() : 0.0;
    mInsertionIndex = arrangeSubviewsForDraggingLocation(p, gap, draggingSourceContainer(info) != this);
    return pf::DragOperationGeneric;
}

quint64 RVCollapsibleContainerView::arrangeSubviewsForDraggingLocation(QPointF point, double gap, bool)
{
    quint64 index = kNotFound;
    bool found = false;
    double y = 0;
    // The hosted views sit in the content area, below the title bar and the inset.
    const double contentTop = titleBarHeight() + mContentInset;
    const QList<pf::View*> views = hostedViews();
    for (int i = 0; i < views.size(); ++i) {
        pf::View* view = views.at(i);
        if (view->isHidden())
            continue;
        QRectF f = view->frame();
        const bool reorderable = quint64(i) >= mIgnoredViewCount;
        if (!found && reorderable && contentTop + f.y() + f.height() / 2 > point.y()) {
            f.moveTop(y + gap);
            index = quint64(i);
            found = true;
        } else {
            f.moveTop(y);
        }
        if (reorderable) {
            if (auto* container = qobject_cast<RVCollapsibleContainerView*>(view))
                container->setAnimatedFrame(f);
            else
                view->setFrame(f);
        }
        y = f.y() + f.height();
    }
    return index;
}

void RVCollapsibleContainerView::draggingExited(const pf::DraggingInfo* info)
{
    if (info && canAcceptDragFrom(*info) && draggingSourceContainer(*info) != this)
        arrangeSubviewsWithAnimation(true);
    setHighlightForDrag(false);
}

bool RVCollapsibleContainerView::prepareForDragOperation(const pf::DraggingInfo& info)
{
    setHighlightForDrag(false);
    RVCollapsibleContainerView* source = draggingSourceContainer(info);
    if (source != this)
        return canAcceptDragFrom(info);
    const QList<pf::View*> views = hostedViews();
    const qsizetype own = views.indexOf(draggingView());
    if (own < 0 || mInsertionIndex == quint64(own + 1)) {
        draggingExited(&info);
        arrangeSubviews();
        return false;
    }
    return true;
}

bool RVCollapsibleContainerView::performDragOperation(const pf::DraggingInfo& info)
{
    QPointer<RVCollapsibleContainerView> pane = draggingView();
    setDraggingView(nullptr);
    if (!pane || !mContentView)
        return false;
    RVCollapsibleContainerView* source = draggingSourceContainer(info);
    const bool foreign = source != this && canAcceptDragFrom(info);
    if (foreign) {
        const quint64 count = quint64(hostedViews().size());
        // Below every pane means the end, as within a container.
        const quint64 proposed = mInsertionIndex == kNotFound ? count : mInsertionIndex;
        const int reported = int(proposed - std::min(proposed, mIgnoredViewCount));
        if (mDelegate && !mDelegate->containerViewWillAcceptDroppedView(*this, pane, reported)) {
            // Refused: close the gap here; the source slides its panes back.
            mInsertionIndex = kNotFound;
            arrangeSubviewsWithAnimation(true);
            return false;
        }
        pane->setHidden(false);
        if (RVCollapsibleContainerView* old = pane->parentContainerView())
            old->removeViewFromContent(pane);
        addViewToContent(pane);
    }
    QList<pf::View*> views = hostedViews();
    const qsizetype s = views.indexOf(pane.data());
    if (s < 0)
        pf::AssertionHandler::current().handleFailure("RVCollapsibleContainerView", 1290,
                                                      QStringLiteral("bad state: dragging view is not among the subviews"),
                                                      false);
    quint64 insertion = mInsertionIndex == kNotFound ? quint64(views.size()) : mInsertionIndex;
    if (quint64(s) < insertion)
        --insertion;
    mInsertionIndex = insertion;
    if (insertion == quint64(s)) {
        arrangeSubviews();
        // A pane taken in from another container did move, though it stays last here.
        return foreign;
    }
    views.removeAt(s);
    views.insert(qsizetype(insertion), pane.data());
    mContentView->setSubviews(views);
    arrangeSubviews();
    notifyConfigurationChange();
    if (mDelegate)
        mDelegate->containerViewDidMoveSubview(*this, pane, int(insertion - std::min(insertion, mIgnoredViewCount)));
    return true;
}

void RVCollapsibleContainerView::setAnimatedFrame(const QRectF& target)
{
    if (!mMoveTimer && target != frame()) {
        mSrcFrame = frame();
        mMoveTimer = RVOneShotEffectTimer::oneShotWithTime(kMoveDuration, this, mLiveness);
        mIsChangingFrame = true;
    }
    mDestFrame = target;
}

void RVCollapsibleContainerView::stopMoveAnimation()
{
    if (!mMoveTimer)
        return;
    mMoveTimer->cancel();
    mMoveTimer.reset();
    mIsChangingFrame = false;
}

void RVCollapsibleContainerView::oneShotHasReached(double t)
{
    const QRectF step(mSrcFrame.x() + (mDestFrame.x() - mSrcFrame.x()) * t,
                      mSrcFrame.y() + (mDestFrame.y() - mSrcFrame.y()) * t,
                      mSrcFrame.width() + (mDestFrame.width() - mSrcFrame.width()) * t,
                      mSrcFrame.height() + (mDestFrame.height() - mSrcFrame.height()) * t);
    if (step != frame())
        setFrameOrigin(step.topLeft());
}

void RVCollapsibleContainerView::oneShotComplete()
{
    mMoveTimer.reset();
    mIsChangingFrame = false;
    setFrameOrigin(mDestFrame.topLeft());
}
