#include "widgets/RVLabelledIconCell.h"

#include "frameworks/penwork/geometry/Geometry.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ParagraphStyle.h"
#include "platform/graphics/Shadow.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/Window.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

PF_DEFINE_CLASS(RVLabelledIconCell, pf::ActionCell) {}

namespace {

bool isInMainWindow(const pf::View* view)
{
    if (!view || !view->window())
        return false;
    if (auto* window = qobject_cast<pf::Window*>(view->window()))
        return window->isMainWindow();
    return view->window()->isActiveWindow();
}

QRectF squareCentredIn(const QRectF& area)
{
    const double side = std::max(0.0, std::min(area.width(), area.height()));
    QRectF square(0, 0, side, side);
    square.moveCenter(area.center());
    return square;
}

QFont fontOf(const QVariantMap& attributes)
{
    if (auto font = pf::fromVariant<pf::Ref<pf::Font>>(attributes.value(pf::kFontAttributeName)))
        return font->qFont();
    return pf::Font::systemFont(12).qFont();
}

} // namespace

RVLabelledIconCell::RVLabelledIconCell() : RVLabelledIconCell(QString()) {}

RVLabelledIconCell::RVLabelledIconCell(const QString& text)
    : pf::ActionCell(text),
      mHighlightColour(pf::SystemColor::selectedTextBackground()),
      mTextBackgroundColour(pf::Color::white()),
      mHTextBackgroundColour(pf::SystemColor::selectedTextBackground())
{
    setLineBreakMode(pf::LineBreakByTruncatingMiddle);
    setTruncatesLastVisibleLine(true);
}

RVLabelledIconCell::RVLabelledIconCell(const RVLabelledIconCell& other)
    : pf::ActionCell(other),
      mBadgeImage(other.mBadgeImage),
      mScaling(other.mScaling),
      mTextLines(other.mTextLines),
      mHighlightColour(other.mHighlightColour),
      mTextBackgroundColour(other.mTextBackgroundColour),
      mHTextBackgroundColour(other.mHTextBackgroundColour),
      mIsEditing(other.mIsEditing)
{
    // The attribute caches start empty: the copy may be drawn at another size.
}

pf::Ref<pf::Cell> RVLabelledIconCell::copyCell() const
{
    auto copy = std::make_shared<RVLabelledIconCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

void RVLabelledIconCell::dropTitleAttributeCaches()
{
    mSelectedTextAttributesCache.clear();
    mUnselectedTextAttributesCache.clear();
}

void RVLabelledIconCell::setTextBackgroundColour(const pf::Color& colour)
{
    mTextBackgroundColour = colour;
    dropTitleAttributeCaches();
}

void RVLabelledIconCell::setTextBackgroundHighlightColour(const pf::Color& colour)
{
    mHTextBackgroundColour = colour;
    dropTitleAttributeCaches();
}

void RVLabelledIconCell::setNumberOfTextLines(unsigned lines)
{
    if (lines == mTextLines)
        return;
    mTextLines = lines;
    dropTitleAttributeCaches();
}

void RVLabelledIconCell::setIsEditing(bool editing)
{
    mIsEditing = editing;
}

void RVLabelledIconCell::setEnabled(bool enabled)
{
    if (enabled != isEnabled())
        dropTitleAttributeCaches();
    pf::ActionCell::setEnabled(enabled);
}

// --- Geometry

QRectF RVLabelledIconCell::titleRectForFrame(const QRectF& frame) const
{
    const double t = frame.height() / (lineCount() * 6.0);
    return QRectF(frame.x(), frame.y() + frame.height() - t, frame.width(), t);
}

QRectF RVLabelledIconCell::titleTextBoxForFrame(const QRectF& frame) const
{
    const QRectF title = titleRectForFrame(frame);
    const double t = title.height();
    return title.adjusted(0.4 * t, 0.075 * t, -0.4 * t, -0.075 * t);
}

QRectF RVLabelledIconCell::imageRectForFrame(const QRectF& frame) const
{
    const double t = titleRectForFrame(frame).height();
    const QRectF area = QRectF(frame.x(), frame.y(), frame.width(), frame.height() - t).adjusted(2, 2, -2, -2);
    return squareCentredIn(area);
}

QRectF RVLabelledIconCell::badgeRectForFrame(const QRectF& frame) const
{
    const QRectF image = imageRectForFrame(frame);
    return QRectF(image.right() - 22.5, image.bottom() - 22.5, 16, 16);
}

pf::Ref<pf::BezierPath> RVLabelledIconCell::titleHighlightPathForFrame(const QRectF& frame) const
{
    const QRectF title = titleRectForFrame(frame);
    const double radius = 0.5 * title.height();
    return pf::BezierPath::pathWithRoundedRect(title, radius, radius);
}

pf::Ref<pf::BezierPath> RVLabelledIconCell::imageHighlightPathForFrame(const QRectF& frame) const
{
    return pf::BezierPath::pathWithRoundedRect(imageRectForFrame(frame), 5, 5);
}

QRectF RVLabelledIconCell::titleRectForBounds(const QRectF& bounds) const
{
    return titleTextBoxForFrame(bounds);
}

QRectF RVLabelledIconCell::imageRectForBounds(const QRectF& bounds) const
{
    return imageRectForFrame(bounds);
}

// --- Label

double RVLabelledIconCell::titleFontSizeForFrame(const QRectF& frame) const
{
    const double size = titleTextBoxForFrame(frame).height() * 0.8 / lineCount();
    return std::clamp(size, kMinimumFontSize, kMaximumFontSize);
}

bool RVLabelledIconCell::hasCachedTitleAttributes(bool highlighted) const
{
    return !(highlighted ? mSelectedTextAttributesCache : mUnselectedTextAttributesCache).isEmpty();
}

QVariantMap RVLabelledIconCell::titleAttributesForFrame(const QRectF& frame)
{
    const bool highlighted = isHighlighted();
    QVariantMap& cache = highlighted ? mSelectedTextAttributesCache : mUnselectedTextAttributesCache;
    if (!mIsEditing && !cache.isEmpty())
        return cache;
    const double size = titleFontSizeForFrame(frame);
    const pf::Font font = highlighted ? pf::Font::boldSystemFont(size) : pf::Font::systemFont(size);
    auto paragraph = std::make_shared<pf::ParagraphStyle>();
    paragraph->setAlignment(pf::CenterTextAlignment);
    paragraph->setLineBreakMode(lineCount() == 1 ? lineBreakMode() : pf::LineBreakByWordWrapping);
    pf::Color colour;
    if (mIsEditing)
        colour = pf::Color::black();
    else if (isEnabled())
        colour = (highlighted ? mHTextBackgroundColour : mTextBackgroundColour).contrastingColor();
    else
        colour = pf::SystemColor::disabledControlText();
    const QVariantMap attributes{
        {pf::kFontAttributeName, pf::toVariant(std::make_shared<pf::Font>(font))},
        {pf::kParagraphStyleAttributeName, pf::toVariant(paragraph)},
        {pf::kForegroundColorAttributeName, pf::toVariant(std::make_shared<pf::Color>(colour))},
    };
    if (!mIsEditing)
        cache = attributes;
    return attributes;
}

pf::AttributedString RVLabelledIconCell::attributedTitleForFrame(const QRectF& frame)
{
    return pf::AttributedString(stringValue(), titleAttributesForFrame(frame));
}

unsigned RVLabelledIconCell::titleOptions() const
{
    return truncatesLastVisibleLine() ? kTitleOptionsTruncating : kTitleOptionsPlain;
}

pf::Ref<pf::BezierPath> RVLabelledIconCell::bezierPathForHighlightingLineFragmentRects(const QList<QRectF>& rects,
                                                                                        int count)
{
    auto path = pf::BezierPath::path();
    for (int i = 0; i < std::min(count, int(rects.size())); ++i)
        path->appendRect(rects.at(i));
    return path;
}

// --- Drawing

void RVLabelledIconCell::drawTitle(const pf::AttributedString& title, const QRectF& rect, bool highlighted) const
{
    if (title.isEmpty() || rect.isEmpty())
        return;
    const QVariantMap attributes = title.attributesAtIndex(0);
    const QFont font = fontOf(attributes);
    QColor colour = Qt::black;
    if (auto c = pf::fromVariant<pf::Ref<pf::Color>>(attributes.value(pf::kForegroundColorAttributeName)))
        colour = c->qColor();
    const QString text = title.string();
    const unsigned allowed = lineCount();

    QTextLayout layout(text, font);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QList<QRectF> used;
    struct Line {
        QTextLine line;
        QString elided; // set for a last line cut short
    };
    QList<Line> lines;
    double y = 0;
    const QFontMetricsF metrics(font);
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(rect.width());
        line.setPosition(QPointF(0, y));
        if (unsigned(lines.size()) + 1 == allowed && line.textStart() + line.textLength() < text.size()) {
            // The last allowed line takes all that is left, cut in the middle.
            const QString rest = text.mid(line.textStart()).simplified();
            lines.append({line, metrics.elidedText(rest, Qt::ElideMiddle, rect.width())});
            used.append(QRectF(rect.x(), rect.y() + y, rect.width(), line.height()));
            break;
        }
        lines.append({line, {}});
        used.append(QRectF(rect.x() + line.naturalTextRect().x(), rect.y() + y, line.naturalTextWidth(), line.height()));
        y += line.height();
        if (unsigned(lines.size()) >= allowed)
            break;
    }
    layout.endLayout();

    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    if (highlighted) {
        auto outline = bezierPathForHighlightingLineFragmentRects(used, kMaxOutlinedLineFragments);
        context->setStrokeColour(pf::Color::black());
        context->strokePath(*outline);
    }
    pf::Cell::drawUpright(rect, [&](QPainter& painter, const QRectF&) {
        painter.setPen(colour);
        painter.setFont(font);
        for (const Line& entry : lines) {
            if (entry.elided.isNull()) {
                entry.line.draw(&painter, QPointF(0, 0));
            } else {
                const QRectF lineRect(0, entry.line.position().y(), rect.width(), entry.line.height());
                painter.drawText(lineRect, Qt::AlignHCenter | Qt::AlignTop, entry.elided);
            }
        }
    });
}

void RVLabelledIconCell::drawImage(const pf::Image& image, const QRectF& rect, bool flipped,
                                   pf::ImageInterpolation quality, double fraction) const
{
    Q_UNUSED(flipped) // drawing respects the context's flipping and keeps the image upright
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    pf::GraphicsStateSaver saved(context);
    context->setImageInterpolation(quality);
    if (image.isTemplate()) {
        pf::Shadow shadow;
        shadow.setShadowColor(pf::Color::white());
        shadow.setShadowOffset(QSizeF(1.5, -1.5));
        shadow.setShadowBlurRadius(0);
        context->setShadow(shadow);
    }
    image.draw(*context, rect, {}, pf::CompositingOperation::SourceOver, isEnabled() ? fraction : fraction * 0.5, true);
}

QRectF RVLabelledIconCell::iconDrawingRectForFrame(const QRectF& frame) const
{
    const pf::Ref<pf::Image> icon = image();
    if (!icon)
        return {};
    const QRectF r = imageRectForFrame(frame).adjusted(2, 2, -2, -2);
    const QSizeF size = icon->size();
    if (mScaling == pf::ImageScaling::ProportionallyDown && r.width() > size.width() && r.height() > size.height())
        return pw::CentreRectInRect(QRectF(QPointF(0, 0), size), r);
    return pw::ScaledRectForSize(size, r, int(mScaling));
}

QRectF RVLabelledIconCell::labelRectForFrame(const QRectF& frame, double height) const
{
    const QRectF box = titleTextBoxForFrame(frame);
    QRectF rect(0, 0, box.width(), height);
    rect.moveCenter(box.center());
    // Up by one: towards the top in these flipped coordinates.
    rect.translate(0, -1);
    return rect;
}

void RVLabelledIconCell::drawInteriorWithFrame(const QRectF& frame, pf::View* view)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    if (frame.size() != mCachedBoundsSize) {
        dropTitleAttributeCaches();
        mCachedBoundsSize = frame.size();
    }
    if (isHighlighted() && isEnabled()) {
        const pf::Color fill = isInMainWindow(view) ? mHighlightColour : pf::Color::withWhite(0.8);
        auto path = imageHighlightPathForFrame(frame);
        context->setFillColour(fill);
        context->fillPath(*path);
        path->setLineWidth(0.4);
        context->setStrokeColour(fill.shadowWithLevel(0.5));
        context->strokePath(*path);
    }

    const pf::Ref<pf::Image> icon = image();
    if (icon) {
        drawImage(*icon, iconDrawingRectForFrame(frame), view && view->isFlipped(), pf::ImageInterpolation::High, 1.0);
        if (mBadgeImage)
            drawImage(*mBadgeImage, badgeRectForFrame(frame), view && view->isFlipped(), pf::ImageInterpolation::High,
                      0.67);
    } else {
        const QRectF r = imageRectForFrame(frame).adjusted(5, 5, -5, -5);
        auto placeholder = pf::BezierPath::pathWithRoundedRect(r, 5, 5);
        context->setFillColour(pf::Color::lightGrey().colorWithAlphaComponent(0.33));
        context->fillPath(*placeholder);
        placeholder->setLineWidth(3);
        placeholder->setLineDash({10, 2}, 0);
        context->setStrokeColour(pf::Color::grey());
        context->strokePath(*placeholder);
    }

    if (isHighlighted()) {
        context->setFillColour(mHTextBackgroundColour);
        context->fillPath(*titleHighlightPathForFrame(frame));
    }
    if (mIsEditing) {
        auto ring = pf::BezierPath::pathWithRect(titleTextBoxForFrame(frame).adjusted(-1, -1, 1, 1));
        ring->setLineWidth(2);
        context->setStrokeColour(pf::SystemColor::keyboardFocusIndicator());
        context->strokePath(*ring);
        return;
    }
    const pf::AttributedString title = attributedTitleForFrame(frame);
    if (title.isEmpty())
        return;
    const QVariantMap attributes = title.attributesAtIndex(0);
    const double lineHeight = QFontMetricsF(fontOf(attributes)).height();
    const QRectF rect = labelRectForFrame(frame, lineCount() * lineHeight);
    const unsigned options = titleOptions();
    pf::Cell::drawUpright(rect, [&](QPainter& painter, const QRectF& local) {
        pf::StringDrawing::draw(painter, title, local, options);
    });
}

void RVLabelledIconCell::editWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor,
                                       pf::FieldEditorDelegate* delegate, const pf::Event* event)
{
    Q_UNUSED(event)
    mIsEditing = true;
    setHighlighted(true);
    mEditingFrame = frame;
    const pf::AttributedString title = attributedTitleForFrame(frame);
    const double height = pf::StringDrawing::size(title, QSizeF(titleTextBoxForFrame(frame).width(), 0)).height();
    if (!view || !editor || !(isEditable() || isSelectable()))
        return;
    // Put over the label itself (the base class would select through this very function and
    // never return), with the whole label selected, ready to be typed over.
    setUpFieldEditorAttributes(*editor);
    const QRectF label = labelRectForFrame(frame, height);
    const QRect qtRect = view->boundsToWidgetTransform().mapRect(label).toAlignedRect();
    if (!editor->beginEditing(view, qtRect, stringValue(), delegate))
        return;
    editor->setSelection(0, int(stringValue().size()));
}

void RVLabelledIconCell::setUpFieldEditorAttributes(pf::FieldEditor& editor) const
{
    pf::ActionCell::setUpFieldEditorAttributes(editor);
    editor.setFont(pf::Font::systemFont(titleFontSizeForFrame(mEditingFrame)).qFont());
    editor.setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
}

void RVLabelledIconCell::endEditing(pf::FieldEditor& editor)
{
    pf::ActionCell::endEditing(editor);
    mIsEditing = false;
}
