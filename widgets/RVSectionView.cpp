#include "widgets/RVSectionView.h"

#include "widgets/RVMultiSectionView.h"
#include "widgets/TitleAttributes.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Button.h"
#include "platform/ui/Cell.h"

#include <QPainter>

PF_DEFINE_CLASS(RVSectionView, pf::View)
{
    b.property("title", &RVSectionView::title, &RVSectionView::setTitle);
    b.method("toggleOpenCloseAction:", &RVSectionView::toggleOpenCloseAction);
}

namespace {

constexpr double kTitleInset = 20.0;

} // namespace

RVSectionView::RVSectionView(const QRectF& frame, QWidget* parent)
    : pf::View(frame, parent)
    , mOpen(frame.height() > kTitleBarHeight)
{
}

pf::Color RVSectionView::titleBarColour()
{
    return pf::SystemColor::currentControlTint();
}

const pf::Gradient& RVSectionView::titleBarGradient()
{
    static const pf::Gradient gradient(titleBarColour(), titleBarColour().shadowWithLevel(0.15));
    return gradient;
}

const QVariantMap& RVSectionView::classTitleAttributes()
{
    static const QVariantMap attributes =
        oneLineTitleAttributes(pf::Font::systemFont(11.0), pf::Color::rgbGrey(0.25), true);
    return attributes;
}

QVariantMap RVSectionView::titleAttributes(bool centred) const
{
    const pf::Color colour = mEnabled ? pf::Color::rgbGrey(0.25) : pf::SystemColor::disabledControlText();
    return oneLineTitleAttributes(pf::Font::systemFont(11.0), colour, centred);
}

QVariantMap RVSectionView::titleAttributes() const
{
    return titleAttributes(true);
}

void RVSectionView::setTitle(const QString& title)
{
    mTitle = title;
    setNeedsDisplay();
}

void RVSectionView::setEnabled(bool enabled)
{
    if (mEnabled == enabled)
        return;
    mEnabled = enabled;
    setNeedsDisplay();
}

void RVSectionView::open()
{
    if (mOpen)
        return;
    setFrameSize(QSizeF(frame().width(), mMaxHeight + kTitleBarHeight));
    mOpen = true;
    if (mContentViewRef)
        mContentViewRef->setHidden(false);
    if (mHostViewRef)
        mHostViewRef->sectionDidOpen(this);
}

void RVSectionView::close()
{
    if (!mOpen)
        return;
    setFrameSize(QSizeF(frame().width(), kTitleBarHeight));
    mOpen = false;
    if (mContentViewRef)
        mContentViewRef->setHidden(true);
    if (mHostViewRef)
        mHostViewRef->sectionDidClose(this);
}

void RVSectionView::toggleOpenCloseAction(const QVariant& sender)
{
    auto* button = qobject_cast<pf::Button*>(sender.value<QObject*>());
    const int value = button ? button->intValue() : sender.toInt();
    if (value != 0)
        open();
    else
        close();
}

QRectF RVSectionView::titleBarRect() const
{
    const QRectF b = bounds();
    return QRectF(b.x(), b.height() - kTitleBarHeight, b.width(), kTitleBarHeight);
}

void RVSectionView::awakeFromNib()
{
    mMaxHeight = bounds().height() - kTitleBarHeight;
    if (mDisclosureButton)
        mDisclosureButton->setState(mOpen ? pf::ControlState::On : pf::ControlState::Off);
}

void RVSectionView::drawRect(const QRectF&)
{
    drawTitleBar();
}

void RVSectionView::drawTitleBar()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF r = titleBarRect();
    if (mEnabled)
        titleBarGradient().drawInRect(painter, r, -90.0);
    else
        painter.fillRect(r, pf::Color::rgbGrey(0.8).qColor());

    QVariantMap attributes = titleAttributes();
    QRectF textRect = r.adjusted(kTitleInset, 0, -kTitleInset, 0);
    if (pf::StringDrawing::size(pf::AttributedString(mTitle, attributes)).width() > textRect.width()) {
        textRect.setWidth(r.width() - kTitleInset);
        attributes = titleAttributes(false);
    }
    const pf::AttributedString title(mTitle, attributes);
    pf::Cell::drawUpright(textRect.translated(0, -1.0), [&](QPainter& upright, const QRectF& rect) {
        pf::StringDrawing::draw(upright, title, rect);
    });

    // Widened so the side lines fall outside the view: only top and bottom show.
    const QRectF outline = r.adjusted(-1.0, 0, 1.0, 0);
    const pf::Color lineColour = mEnabled ? pf::Color::blue().shadowWithLevel(0.5) : pf::Color::grey();
    painter.save();
    painter.setPen(QPen(lineColour.qColor(), 0.25));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(outline);
    painter.restore();
}
