#include "widgets/ZDFinderIconCell.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/Window.h"
#include "widgets/BezierPath+CappedBoxes.h"
#include "widgets/Image+NiceScaling.h"
#include "widgets/String+ZDTruncation.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

PF_DEFINE_CLASS(ZDFinderIconCell, pf::TextFieldCell)
{
    b.protocol(pf::kCodingProtocol);
}

namespace {

const QString kImageKey = QStringLiteral("ZDFICimage");
const QString kNameColorKey = QStringLiteral("ZDFICnameColor");
const QString kBoxColorKey = QStringLiteral("ZDFICboxColor");
const QString kImagePositionKey = QStringLiteral("ZDFICimagePosition");
const QString kSelectionColorKey = QStringLiteral("ZDFICselectionColor");
const QString kBgColorKey = QStringLiteral("ZDFICbgColor");
const QString kTruncateModeKey = QStringLiteral("ZDFICtruncateMode");
const QString kAlphaKey = QStringLiteral("ZDFICalpha");

pf::Ref<pf::Image> applicationIcon()
{
    return pf::Image::imageNamed(QStringLiteral("NSApplicationIcon"));
}

bool isActive(const pf::View* view)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (context && !context->isDrawingToScreen())
        return true; // printing counts as active
    if (!view || !view->window())
        return false;
    if (auto* window = qobject_cast<pf::Window*>(view->window()))
        return window->isMainWindow();
    return view->window()->isActiveWindow();
}

QFont titleFont(double size)
{
    return pf::Font::systemFont(size).qFont();
}

void encodeColour(pf::KeyedArchiver& coder, const pf::Color& colour, const QString& key)
{
    coder.encodeObject(colour.isValid() ? std::make_shared<pf::Color>(colour) : nullptr, key);
}

pf::Color decodeColour(pf::KeyedUnarchiver& coder, const QString& key, const pf::Color& fallback)
{
    auto colour = std::dynamic_pointer_cast<pf::Color>(coder.decodeObjectForKey(key));
    return colour ? *colour : fallback;
}

} // namespace

ZDFinderIconCell::ZDFinderIconCell() : ZDFinderIconCell(QStringLiteral("ZDDVYroviTolvik")) {}

ZDFinderIconCell::ZDFinderIconCell(const QString& text) : pf::TextFieldCell(text)
{
    init();
}

void ZDFinderIconCell::init()
{
    pf::TextFieldCell::setHighlighted(false);
    m_flags &= ~quint32(Selected);
    pf::Cell::setImage(applicationIcon());
    makeAlignmentConformImagePosition();
    resetColors();
}

pf::Ref<ZDFinderIconCell> ZDFinderIconCell::imageCell(const pf::Ref<pf::Image>& image)
{
    auto cell = std::make_shared<ZDFinderIconCell>(QStringLiteral("ZDDVZDTL"));
    cell->setImage(image);
    return cell;
}

pf::Ref<pf::Cell> ZDFinderIconCell::copyCell() const
{
    auto copy = std::make_shared<ZDFinderIconCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

void ZDFinderIconCell::resetColors()
{
    m_nameColor = pf::SystemColor::controlBackground();
    m_boxColor = pf::SystemColor::selectedTextBackground();
    m_selectionColor = pf::SystemColor::alternateSelectedControl();
    m_bgColor = pf::Color();
}

// --- Archiving

void ZDFinderIconCell::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    // Images are kept as their TIFF data.
    if (const pf::Ref<pf::Image> icon = image(); icon && icon->isValid())
        coder.encodeData(icon->TIFFRepresentation(), kImageKey);
    encodeColour(coder, m_nameColor, kNameColorKey);
    encodeColour(coder, m_boxColor, kBoxColorKey);
    coder.encodeInt32(qint32(m_imagePosition), kImagePositionKey);
    encodeColour(coder, m_selectionColor, kSelectionColorKey);
    encodeColour(coder, m_bgColor, kBgColorKey);
    coder.encodeInt32(qint32(m_truncateMode), kTruncateModeKey);
    coder.encodeFloat(m_alpha, kAlphaKey);
    coder.encodeString(stringValue(), QStringLiteral("ZDFICtitle"));
}

void ZDFinderIconCell::initWithCoder(pf::KeyedUnarchiver& coder)
{
    setHighlighted(false);
    m_truncateMode = 5;
    const QByteArray data = coder.decodeData(kImageKey);
    pf::Ref<pf::Image> icon = data.isEmpty() ? nullptr : pf::Image::fromData(data);
    pf::Cell::setImage(icon ? icon : applicationIcon());
    m_nameColor = decodeColour(coder, kNameColorKey, pf::SystemColor::controlBackground());
    m_boxColor = decodeColour(coder, kBoxColorKey, pf::SystemColor::secondarySelectedControl());
    if (coder.containsValueForKey(kImagePositionKey))
        m_imagePosition = unsigned(coder.decodeInt32(kImagePositionKey));
    m_selectionColor = decodeColour(coder, kSelectionColorKey, pf::SystemColor::alternateSelectedControl());
    m_bgColor = decodeColour(coder, kBgColorKey, pf::Color());
    if (coder.containsValueForKey(kTruncateModeKey))
        m_truncateMode = unsigned(coder.decodeInt32(kTruncateModeKey));
    m_alpha = coder.containsValueForKey(kAlphaKey) ? coder.decodeFloat(kAlphaKey) : 1.0f;
    if (coder.containsValueForKey(QStringLiteral("ZDFICtitle")))
        setStringValue(coder.decodeString(QStringLiteral("ZDFICtitle")));
    makeAlignmentConformImagePosition();
}

// --- Appearance

void ZDFinderIconCell::setImage(const pf::Ref<pf::Image>& image)
{
    if (image == this->image())
        return;
    pf::Cell::setImage(image);
}

void ZDFinderIconCell::setImagePosition(unsigned position)
{
    m_imagePosition = position;
    makeAlignmentConformImagePosition();
}

void ZDFinderIconCell::makeAlignmentConformImagePosition()
{
    if (m_imagePosition == ImageBelow || m_imagePosition == ImageAbove)
        setAlignment(Qt::AlignHCenter);
}

void ZDFinderIconCell::setHighlighted(bool highlighted)
{
    pf::TextFieldCell::setHighlighted(highlighted);
    m_flags = highlighted ? (m_flags | Selected) : (m_flags & ~quint32(Selected));
}

void ZDFinderIconCell::setFlipped(bool flipped)
{
    m_flags = flipped ? (m_flags | Flipped) : (m_flags & ~quint32(Flipped));
}

void ZDFinderIconCell::setDrawSeparator(bool draw)
{
    m_flags = draw ? (m_flags | DrawSeparator) : (m_flags & ~quint32(DrawSeparator));
}

void ZDFinderIconCell::highlight(bool flag, const QRectF& frame, pf::View* view)
{
    setHighlighted(flag);
    if (view)
        view->setNeedsDisplayInRect(frame);
    else
        drawWithFrame(frame, nullptr);
}

// --- Geometry

double ZDFinderIconCell::textSizeForBox(const QRectF& frame) const
{
    if (m_imagePosition >= ImageLeft && m_imagePosition <= ImageAbove)
        return std::max(7.0, std::trunc(frame.height() / 10));
    return 9;
}

QSizeF ZDFinderIconCell::cellSizeForBounds(const QRectF& bounds) const
{
    QSizeF size = pf::TextFieldCell::cellSizeForBounds(bounds);
    if (const pf::Ref<pf::Image> icon = image())
        size.setHeight(size.height() + icon->size().height() + 2 + 4);
    return size;
}

QRectF ZDFinderIconCell::imageRectForBounds(const QRectF& bounds) const
{
    return QRectF(bounds.x(), bounds.y(), bounds.width(), bounds.height() - 16).adjusted(2, 2, -2, -2);
}

QRectF ZDFinderIconCell::titleRectForFrame(const QRectF& frame) const
{
    const double lineHeight = QFontMetricsF(titleFont(textSizeForBox(frame))).height();
    const double height = m_textLines * lineHeight + 2;
    const bool flipped = isFlipped() || (controlView() && controlView()->isFlipped());
    const double y = flipped ? frame.y() + frame.height() - height : frame.y();
    return QRectF(frame.x(), y, frame.width(), height);
}

pf::AttributedString ZDFinderIconCell::attributedTitleForFrame(const QRectF& frame) const
{
    return pf::AttributedString(stringValue(), titleAttributesForFrame(frame));
}

// --- Drawing

ZDFinderIconCell::Layout ZDFinderIconCell::layoutForFrame(const QRectF& frame, bool flipped) const
{
    Layout layout;
    unsigned position = m_imagePosition;
    // Flipped, "below" and "above" trade places so that the picture looks the same.
    if (flipped && position == ImageBelow)
        position = ImageAbove;
    else if (flipped && position == ImageAbove)
        position = ImageBelow;
    const QFont font = titleFont(textSizeForBox(frame));
    const QFontMetricsF metrics(font);
    const QString full = stringValue();
    const double h0 = metrics.height();
    double allowance = 0;
    const pf::Ref<pf::Image> icon = image();
    const QSizeF iconSize = icon ? icon->size() : QSizeF();
    if ((position == ImageLeft || position == ImageRight) && !iconSize.isEmpty())
        allowance = std::trunc(scaledSizeToFitSize(iconSize, frame.size()).width() + 2.8);
    const double maxWidth = frame.width() - allowance - h0 - 6.0;
    layout.title = truncatedTitle(full, font, m_truncateMode, maxWidth);
    const double tw = metrics.horizontalAdvance(layout.title);
    const double th = metrics.height();

    QRectF title(frame.topLeft(), QSizeF(tw, th));
    QRectF box;
    if (position == ImageBelow || position == ImageAbove) {
        title.moveLeft(frame.x() + std::trunc((frame.width() - tw) / 2));
        title.moveTop(position == ImageAbove ? frame.y() + 1 : frame.y() + frame.height() - th - 1);
        const double grow = 3 + std::trunc(th / 2);
        box = title.adjusted(-grow, -1, grow, 1);
    } else if (position == ImageLeft || position == ImageRight) {
        title.moveTop(frame.y() + std::trunc((frame.height() - th) / 2));
        title.moveLeft(position == ImageLeft ? frame.x() + 3 : frame.x() + frame.width() - tw - 3);
        box = title.adjusted(-6, -1, 6, 1);
    } else {
        title = frame;
        box = frame;
    }

    QRectF imageRect = frame;
    switch (position) {
    case ImageLeft:
    case ImageRight:
        imageRect.setWidth(imageRect.width() - box.width());
        break;
    case ImageBelow:
        imageRect.setHeight(imageRect.height() - box.height());
        break;
    case ImageAbove:
        imageRect.setTop(imageRect.top() + box.height());
        break;
    default:
        pf::log(QStringLiteral("ZDFinderIconCell - Unsupported image position mode."));
        break;
    }
    imageRect.adjust(1.4, 1.4, -1.4, -1.4);
    if (imageRect.width() > imageRect.height()) {
        const double oldWidth = imageRect.width();
        imageRect.setWidth(imageRect.height());
        if (position == ImageBelow || position == ImageAbove)
            imageRect.translate(std::trunc((oldWidth - imageRect.height()) / 2), 0);
    }
    const double side = imageRect.width();
    if (position == ImageLeft) {
        title.translate(side + 3, 0);
        box.translate(side + 3, 0);
    } else if (position == ImageRight) {
        imageRect.moveLeft(frame.x() + frame.width() - side - 1);
        title.translate(-(side + 3), 0);
        box.translate(-(side + 3), 0);
    }
    layout.titleRect = title;
    layout.nameBox = box;
    layout.imageRect = imageRect;
    return layout;
}

void ZDFinderIconCell::drawInteriorWithFrame(const QRectF& frame, pf::View* view)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    const bool flipped = view ? view->isFlipped() : isFlipped();
    setFlipped(flipped);
    const bool active = isActive(view);
    const bool highlighted = isHighlighted();

    if (m_bgColor.isValid()) {
        context->setFillColour(m_bgColor);
        context->fillRect(frame);
    }
    if (drawSeparator()) {
        auto line = pf::BezierPath::path();
        line->moveTo(QPointF(frame.x(), frame.y() + frame.height() - 1));
        line->lineTo(QPointF(frame.x() + frame.width(), frame.y() + frame.height() - 1));
        line->setLineWidth(2.0);
        line->setLineCapStyle(pf::BezierPath::LineCap::Round);
        context->setStrokeColour(pf::Color::lightGrey());
        context->strokePath(*line);
    }

    pf::GraphicsStateSaver saver(context);
    context->addClip(*pf::BezierPath::pathWithRect(frame));
    m_textFontSize = textSizeForBox(frame);
    const QFont font = titleFont(m_textFontSize);
    const pf::Color textColour = (highlighted ? m_selectionColor.contrastingColor() : pf::SystemColor::controlText())
                                     .colorWithAlphaComponent(m_alpha);
    const pf::Color boxColour = (highlighted ? m_selectionColor : m_nameColor).colorWithAlphaComponent(m_alpha);
    const Layout layout = layoutForFrame(frame, flipped);

    context->setFillColour(active ? boxColour : pf::SystemColor::secondarySelectedControl());
    context->fillPath(*bezierPathWithCappedBoxInRect(layout.nameBox));
    const QString title = layout.title;
    const QColor colour = textColour.qColor();
    pf::Cell::drawUpright(layout.titleRect, [&](QPainter& painter, const QRectF& local) {
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(local, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title);
    });

    if (highlighted) {
        auto box = pf::BezierPath::pathWithRoundedRect(layout.imageRect, 5, 5);
        box->setLineJoinStyle(pf::BezierPath::LineJoin::Round);
        box->setLineWidth(0.4);
        context->setFillColour((active ? m_boxColor : pf::SystemColor::secondarySelectedControl())
                                   .colorWithAlphaComponent(m_alpha));
        context->fillPath(*box);
        context->setStrokeColour(pf::Color::grey());
        context->strokePath(*box);
        context->setColour(pf::Color::black());
    }

    const pf::Ref<pf::Image> icon = image();
    const QRectF drawn = imageDrawingRect(layout.imageRect);
    // An image with no size has nothing to scale or draw.
    if (!icon || drawn.isEmpty())
        return;
    context->setImageInterpolation(pf::ImageInterpolation::High);
    icon->draw(*context, drawn, {}, pf::CompositingOperation::SourceOver, m_alpha, true);
}

QRectF ZDFinderIconCell::imageDrawingRect(const QRectF& imageRect) const
{
    const pf::Ref<pf::Image> icon = image();
    const QSizeF iconSize = icon ? icon->size() : QSizeF();
    if (iconSize.isEmpty())
        return {};
    const QRectF target = imageRect.adjusted(2, 2, -2, -2);
    QSizeF drawn = iconSize;
    if (m_imageScaling == kScaleUpOrDown || iconSize.width() > target.width() || iconSize.height() > target.height())
        drawn = scaledSizeToFitSize(iconSize, target.size());
    const QPointF origin(std::trunc(imageRect.x() + (imageRect.width() - drawn.width()) / 2),
                         std::trunc(imageRect.y() + (imageRect.height() - drawn.height()) / 2));
    return QRectF(origin, drawn);
}

void ZDFinderIconCell::editWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor,
                                     pf::FieldEditorDelegate* delegate, const pf::Event* event)
{
    if (!view || !editor || !(isEditable() || isSelectable()))
        return;
    m_flags |= CurrentlyEditing;
    setUpFieldEditorAttributes(*editor);
    editor->setFont(titleFont(textSizeForBox(frame)));
    const QRectF title = titleRectForFrame(frame);
    const QRect qtRect = view->boundsToWidgetTransform().mapRect(title).toAlignedRect();
    if (!editor->beginEditing(view, qtRect, stringValue(), delegate)) {
        m_flags &= ~quint32(CurrentlyEditing);
        return;
    }
    editor->selectAll();
}

void ZDFinderIconCell::endEditing(pf::FieldEditor& editor)
{
    m_flags &= ~quint32(CurrentlyEditing);
    pf::TextFieldCell::endEditing(editor);
}
