#include "frameworks/penwork/drawables/PWTextShape.h"

#include "frameworks/penwork/styles/PWRastGroup.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"

#include <QCoreApplication>
#include <QPainter>
#include <QTextLayout>

#include <atomic>
#include <cmath>

namespace {

const QString kTextKey = QStringLiteral("pw_textShape_text");
const QString kAttributesKey = QStringLiteral("pw_textShape_attributes");
const QString kClipsKey = QStringLiteral("pw_textShape_clipsToPath");
const QString kLayoutModeKey = QStringLiteral("pw_textShape_layoutMode");

// Tags of attribute values that are not property-list values of their own.
const QString kFontTag = QStringLiteral("pw_font");
const QString kColourTag = QStringLiteral("pw_colour");

std::atomic<bool> s_allowsGraphicStyle{true};
std::atomic<bool> s_showsOverflowIndicator{true};
std::atomic<bool> s_allowsInlineImages{false};
std::atomic<bool> s_returnInsertsNewline{true};
std::atomic<bool> s_startEditingOnCreation{true};

pf::Class::ClassMethod boolGetter(bool (*getter)())
{
    return [getter](const pf::Class&, const QVariantList&) { return QVariant(getter()); };
}

pf::Class::ClassMethod boolSetter(void (*setter)(bool))
{
    return [setter](const pf::Class&, const QVariantList& args) {
        setter(pf::variantToBool(args.value(0)));
        return QVariant();
    };
}

} // namespace

// Shared text support ------------------------------------------------------------------------

namespace pwtext {

pf::Ref<PWRasterizer> textAdornmentInStyle(const PWStyle* style)
{
    pf::Class* adornmentClass = pf::Class::named(QStringLiteral("PWTextAdornment"));
    if (!style || !adornmentClass)
        return nullptr;
    return style->renderersOfClass(*adornmentClass).value(0);
}

bool styleHasGraphics(const PWStyle* style)
{
    if (!style)
        return false;
    pf::Class* adornmentClass = pf::Class::named(QStringLiteral("PWTextAdornment"));
    for (const pf::Ref<PWRasterizer>& renderer : style->renderersOfClass(PWRasterizer::staticClass())) {
        if (renderer->isKindOf(PWRastGroup::staticClass()))
            continue;
        if (adornmentClass && renderer->isKindOf(*adornmentClass))
            continue;
        return true;
    }
    return false;
}

QFont fontFromAttributes(const QVariantMap& attributes)
{
    QFont font;
    const QVariant stored = attributes.value(kPWTextFontAttribute);
    if (stored.typeId() == QMetaType::QFont)
        font = stored.value<QFont>();
    else if (stored.typeId() == QMetaType::QString && !stored.toString().isEmpty())
        font.setFamily(stored.toString());
    const double size = attributes.value(kPWTextFontSizeAttribute).toDouble();
    if (std::isfinite(size) && size > 0.0)
        font.setPointSizeF(std::min(size, 10000.0));
    else if (stored.typeId() != QMetaType::QFont)
        font.setPointSizeF(12.0);
    return font;
}

QColor colourFromAttributes(const QVariantMap& attributes)
{
    const QVariant stored = attributes.value(kPWTextColourAttribute);
    if (stored.typeId() == QMetaType::QColor && stored.value<QColor>().isValid())
        return stored.value<QColor>();
    if (auto colour = pf::objectCast<pf::Color>(stored); colour && colour->qColor().isValid())
        return colour->qColor();
    return QColor(Qt::black);
}

QVariantMap archivableAttributes(const QVariantMap& attributes)
{
    QVariantMap stored;
    for (auto it = attributes.constBegin(); it != attributes.constEnd(); ++it) {
        const QVariant& value = it.value();
        if (value.typeId() == QMetaType::QFont)
            stored.insert(it.key(), QVariantMap{{kFontTag, value.value<QFont>().toString()}});
        else if (value.typeId() == QMetaType::QColor)
            stored.insert(it.key(), QVariantMap{{kColourTag, value.value<QColor>().name(QColor::HexArgb)}});
        else if (pf::PropertyList::isValidPropertyList(value))
            stored.insert(it.key(), value);
    }
    return stored;
}

QVariantMap attributesFromArchive(const QVariantMap& stored)
{
    QVariantMap attributes;
    for (auto it = stored.constBegin(); it != stored.constEnd(); ++it) {
        const QVariantMap tagged = it.value().toMap();
        if (it.value().typeId() == QMetaType::QVariantMap && tagged.size() == 1 && tagged.contains(kFontTag)) {
            QFont font;
            if (font.fromString(tagged.value(kFontTag).toString()))
                attributes.insert(it.key(), font);
        } else if (it.value().typeId() == QMetaType::QVariantMap && tagged.size() == 1 && tagged.contains(kColourTag)) {
            const QColor colour = QColor::fromString(tagged.value(kColourTag).toString());
            if (colour.isValid())
                attributes.insert(it.key(), colour);
        } else {
            attributes.insert(it.key(), it.value());
        }
    }
    return attributes;
}

} // namespace pwtext

// PWTextShape --------------------------------------------------------------------------------

PF_DEFINE_CLASS(PWTextShape, PWDrawableShape)
{
    b.protocol(pf::kCodingProtocol);
    b.property("text", &PWTextShape::text, &PWTextShape::setText);
    b.property("textAttributes", &PWTextShape::textAttributes, &PWTextShape::setTextAttributes);
    b.property("clipsToPath", &PWTextShape::clipsToPath, &PWTextShape::setClipsToPath);
    b.property("layoutMode", &PWTextShape::layoutMode, &PWTextShape::setLayoutMode);
    b.property("textAdornment", &PWTextShape::textAdornment);
    b.keyPathsAffecting("textAdornment", {"style"});
    b.classMethod("allowsGraphicStyle", boolGetter(&PWTextShape::allowsGraphicStyle));
    b.classMethod("setAllowsGraphicStyle:", boolSetter(&PWTextShape::setAllowsGraphicStyle));
    b.classMethod("showsTextOverflowIndicator", boolGetter(&PWTextShape::showsTextOverflowIndicator));
    b.classMethod("setShowsTextOverflowIndicator:", boolSetter(&PWTextShape::setShowsTextOverflowIndicator));
    b.classMethod("allowsInlineImages", boolGetter(&PWTextShape::allowsInlineImages));
    b.classMethod("setAllowsInlineImages:", boolSetter(&PWTextShape::setAllowsInlineImages));
    b.classMethod("returnInsertsNewline", boolGetter(&PWTextShape::returnInsertsNewline));
    b.classMethod("setReturnInsertsNewline:", boolSetter(&PWTextShape::setReturnInsertsNewline));
    b.classMethod("startEditingOnObjectCreation", boolGetter(&PWTextShape::startEditingOnObjectCreation));
    b.classMethod("setStartEditingOnObjectCreation:", boolSetter(&PWTextShape::setStartEditingOnObjectCreation));
    b.classMethod("acceptsLayoutMode:", [](const pf::Class&, const QVariantList& args) {
        return QVariant(PWTextShape::acceptsLayoutMode(args.value(0).toInt()));
    });
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWTextShape", "Text"));
    });
}

bool PWTextShape::allowsGraphicStyle() { return s_allowsGraphicStyle; }
void PWTextShape::setAllowsGraphicStyle(bool allows) { s_allowsGraphicStyle = allows; }
bool PWTextShape::showsTextOverflowIndicator() { return s_showsOverflowIndicator; }
void PWTextShape::setShowsTextOverflowIndicator(bool shows) { s_showsOverflowIndicator = shows; }
bool PWTextShape::allowsInlineImages() { return s_allowsInlineImages; }
void PWTextShape::setAllowsInlineImages(bool allows) { s_allowsInlineImages = allows; }
bool PWTextShape::returnInsertsNewline() { return s_returnInsertsNewline; }
void PWTextShape::setReturnInsertsNewline(bool inserts) { s_returnInsertsNewline = inserts; }
bool PWTextShape::startEditingOnObjectCreation() { return s_startEditingOnCreation; }
void PWTextShape::setStartEditingOnObjectCreation(bool starts) { s_startEditingOnCreation = starts; }

PWTextShape::PWTextShape() = default;

PWTextShape::PWTextShape(const PWTextShape& other)
    : PWDrawableShape(other), m_text(other.m_text), m_attributes(other.m_attributes),
      m_clipsToPath(other.m_clipsToPath), m_layoutMode(other.m_layoutMode)
{
}

pf::Ref<PWTextShape> PWTextShape::textShapeWithRect(const QRectF& rect, const QString& text, pf::Ref<PWStyle> style)
{
    auto shape = std::make_shared<PWTextShape>();
    const QRectF r = rect.normalized();
    shape->setLocation(r.center());
    shape->setSize(r.size());
    shape->setText(text);
    if (style)
        shape->setStyle(style);
    return shape;
}

void PWTextShape::changeText(const QString& key, const QString& setter, const QVariant& oldValue,
                             const std::function<void()>& change)
{
    if (!canEdit())
        return;
    registerUndo(setter, oldValue);
    notifyVisualChange();
    willChangeValueForKey(key);
    change();
    didChangeValueForKey(key);
    notifyVisualChange();
}

void PWTextShape::setText(const QString& text)
{
    if (text == m_text)
        return;
    changeText("text", "setText:", m_text, [&] { m_text = text; });
}

void PWTextShape::setTextAttributes(const QVariantMap& attributes)
{
    if (attributes == m_attributes)
        return;
    changeText("textAttributes", "setTextAttributes:", m_attributes, [&] { m_attributes = attributes; });
}

void PWTextShape::setClipsToPath(bool clips)
{
    if (clips == m_clipsToPath)
        return;
    changeText("clipsToPath", "setClipsToPath:", m_clipsToPath, [&] { m_clipsToPath = clips; });
}

void PWTextShape::setLayoutMode(int mode)
{
    if (!acceptsLayoutMode(mode) || mode == m_layoutMode)
        return;
    changeText("layoutMode", "setLayoutMode:", m_layoutMode, [&] { m_layoutMode = mode; });
}

pf::Ref<PWRasterizer> PWTextShape::textAdornment() const { return pwtext::textAdornmentInStyle(style().get()); }

bool PWTextShape::validateStyle(QVariant* value, pf::Error* error)
{
    if (!PWDrawableObject::validateStyle(value, error))
        return false;
    if (!allowsGraphicStyle() && value && pwtext::styleHasGraphics(pf::objectCast<PWStyle>(*value).get()))
        return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                               QCoreApplication::translate("PWTextShape",
                                                                           "Text cannot take a graphic style.")));
    return true;
}

void PWTextShape::setStyle(pf::Ref<PWStyle> style)
{
    if (!allowsGraphicStyle() && pwtext::styleHasGraphics(style.get()))
        return;
    PWDrawableShape::setStyle(std::move(style));
}

bool PWTextShape::textOverflows() const
{
    const QSizeF box = size();
    if (m_text.isEmpty() || box.width() <= 0.0)
        return !m_text.isEmpty();
    QTextLayout layout(m_text, pwtext::fontFromAttributes(m_attributes));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    double height = 0.0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        height += line.height();
    }
    layout.endLayout();
    return height > box.height() + 1e-6;
}

void PWTextShape::drawContentWithStyle(PWStyle* style)
{
    if (!visible())
        return;
    PWDrawableShape::drawContentWithStyle(style);
    if (!ghosted())
        drawText();
}

void PWTextShape::drawText()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    const QSizeF box = size();
    if (!context || m_text.isEmpty() || box.width() <= 0.0 || box.height() <= 0.0)
        return;
    pf::GraphicsStateSaver saver(context);
    QPainter& painter = context->painter();
    if (m_clipsToPath)
        painter.setClipPath(renderingPath()->toQPainterPath(), Qt::IntersectClip);
    // Box coordinates: (0, 0) at the box's top-left corner, placed like the shape.
    QTransform toBox;
    toBox.translate(location().x(), location().y());
    toBox.rotateRadians(angle());
    toBox.translate(-box.width() / 2.0, -box.height() / 2.0);
    painter.setTransform(toBox * containerTransform() * painter.transform());

    QTextLayout layout(m_text, pwtext::fontFromAttributes(m_attributes));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    double y = 0.0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        line.setPosition(QPointF(0.0, y));
        y += line.height();
    }
    layout.endLayout();
    painter.setPen(pwtext::colourFromAttributes(m_attributes));
    painter.save();
    painter.setClipRect(QRectF(QPointF(), box), Qt::IntersectClip);
    layout.draw(&painter, QPointF());
    painter.restore();

    if (y > box.height() + 1e-6 && showsTextOverflowIndicator() && context->isDrawingToScreen()) {
        // A small boxed plus at the bottom-right corner says there is more text than shows.
        const double side = std::min({8.0, box.width(), box.height()});
        const QRectF mark(box.width() - side, box.height() - side, side, side);
        QPen pen(Qt::red);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::white);
        painter.drawRect(mark);
        painter.drawLine(QPointF(mark.center().x(), mark.top() + 1.5), QPointF(mark.center().x(), mark.bottom() - 1.5));
        painter.drawLine(QPointF(mark.left() + 1.5, mark.center().y()), QPointF(mark.right() - 1.5, mark.center().y()));
    }
}

QStringList PWTextShape::searchableStrings() const
{
    QStringList strings = PWDrawableShape::searchableStrings();
    if (!m_text.isEmpty())
        strings << m_text;
    return strings;
}

QString PWTextShape::displayName() const { return displayNameForClass(objClass()); }

pf::Ref<pf::Object> PWTextShape::copy() const { return std::make_shared<PWTextShape>(*this); }

void PWTextShape::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWDrawableShape::encodeWithCoder(coder);
    coder.encodeString(m_text, kTextKey);
    coder.encodePropertyListValue(pwtext::archivableAttributes(m_attributes), kAttributesKey);
    coder.encodeBool(m_clipsToPath, kClipsKey);
    coder.encodeInt32(m_layoutMode, kLayoutModeKey);
}

void PWTextShape::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawableShape::initWithCoder(coder);
    m_text = coder.decodeString(kTextKey);
    m_attributes = pwtext::attributesFromArchive(coder.decodePropertyListValue(kAttributesKey).toMap());
    m_clipsToPath = coder.decodeBool(kClipsKey);
    const int mode = coder.decodeInt32(kLayoutModeKey);
    m_layoutMode = acceptsLayoutMode(mode) ? mode : 0;
}
