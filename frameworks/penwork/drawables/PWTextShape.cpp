#include "frameworks/penwork/drawables/PWTextShape.h"

#include "frameworks/penwork/support/PWClassSettings.h"

#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <QCoreApplication>
#include <QPainter>
#include <QTextDocument>

#include <atomic>
#include <cmath>

namespace {

const QString kArchivePrefix = QStringLiteral("pw_textShape");

std::atomic<bool> s_allowsGraphicStyle{true};
std::atomic<bool> s_showsOverflowIndicator{true};
// The user-defaults keys of the class settings; the variables are their defaults.
const QString kAllowsInlineImagesKey = QStringLiteral("PWTextShapeAllowsInlineImages");
const QString kReturnInsertsNewlineKey = QStringLiteral("PWTextShapeReturnInsertsNewline");
const QString kStartEditingOnCreationKey = QStringLiteral("PWTextShapeStartEditingOnObjectCreation");
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
    b.method("commitEditedText:", std::function<QVariant(PWTextShape&, const QVariantList&)>(
                                      [](PWTextShape& object, const QVariantList& args) {
                                          object.commitEditedText(args.value(0).toString());
                                          return QVariant();
                                      }));
    b.property("textRuns", std::function<QVariant(const PWTextShape&)>([](const PWTextShape& object) {
                   return QVariant(pwtext::archivableRuns(object.textRuns()));
               }),
               std::function<void(PWTextShape&, const QVariant&)>([](PWTextShape& object, const QVariant& value) {
                   object.setTextRuns(pwtext::runsFromArchive(value.toList()));
               }));
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
bool PWTextShape::allowsInlineImages() { return PWClassSettings::flag(kAllowsInlineImagesKey, s_allowsInlineImages); }
void PWTextShape::setAllowsInlineImages(bool allows) { PWClassSettings::setFlag(kAllowsInlineImagesKey, allows); }
bool PWTextShape::returnInsertsNewline() { return PWClassSettings::flag(kReturnInsertsNewlineKey, s_returnInsertsNewline); }
void PWTextShape::setReturnInsertsNewline(bool inserts) { PWClassSettings::setFlag(kReturnInsertsNewlineKey, inserts); }
bool PWTextShape::startEditingOnObjectCreation()
{
    return PWClassSettings::flag(kStartEditingOnCreationKey, s_startEditingOnCreation);
}
void PWTextShape::setStartEditingOnObjectCreation(bool starts) { PWClassSettings::setFlag(kStartEditingOnCreationKey, starts); }

PWTextShape::PWTextShape() = default;

PWTextShape::PWTextShape(const PWTextShape& other) : PWDrawableShape(other), m_content(other.m_content) {}

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
    // The text's area is part of the bounds: the old and the new area are redrawn, and the
    // container learns of the new bounds.
    performGeometryChange(key, change);
}

QRectF PWTextShape::bounds() const
{
    if (hasCachedBounds())
        return cachedBounds();
    QRectF result = PWDrawableShape::bounds();
    if (!textAdornment())
        result = pwtext::withPlainTextBounds(result, m_content.text, textFormat(), *this, clipsTextToPath());
    setCachedBounds(result);
    return result;
}

void PWTextShape::setText(const QString& text)
{
    if (text == m_content.text)
        return;
    changeText("text", "setText:", m_content.text, [&] { m_content.text = text; });
}

void PWTextShape::setTextAttributes(const QVariantMap& attributes)
{
    if (attributes == m_content.attributes)
        return;
    changeText("textAttributes", "setTextAttributes:", m_content.attributes,
               [&] { m_content.attributes = attributes; });
}

void PWTextShape::setClipsToPath(bool clips)
{
    if (clips == m_content.clipsToPath)
        return;
    changeText("clipsToPath", "setClipsToPath:", m_content.clipsToPath, [&] { m_content.clipsToPath = clips; });
}

void PWTextShape::setLayoutMode(int mode)
{
    if (!acceptsLayoutMode(mode) || mode == m_content.layoutMode)
        return;
    changeText("layoutMode", "setLayoutMode:", m_content.layoutMode, [&] { m_content.layoutMode = mode; });
}

pf::Ref<PWTextAdornment> PWTextShape::textAdornment() const { return pwtext::textAdornmentInStyle(style().get()); }

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

namespace {

// The plain drawing's format: the attributes' look, laid out as the shape says (modes beyond
// the known ones go in the box).
PWTextFormat plainFormat(const QVariantMap& attributes, int mode, const PWTextRuns& runs)
{
    PWTextFormat format = PWTextFormat::fromAttributes(attributes);
    format.runs = runs;
    format.layoutMode = mode >= PWTextFormat::LayoutInBox && mode <= PWTextFormat::LayoutCentredOnPath
                            ? mode
                            : PWTextFormat::LayoutInBox;
    return format;
}

} // namespace

PWTextFormat PWTextShape::textFormat() const
{
    if (const pf::Ref<PWTextAdornment> adornment = textAdornment()) {
        PWTextFormat format = adornment->format();
        format.layoutMode = adornment->layoutModeForObject(*this);
        format.runs = m_content.runs;
        return format;
    }
    return plainFormat(m_content.attributes, m_content.layoutMode, m_content.runs);
}

bool PWTextShape::textOverflows() const
{
    if (const pf::Ref<PWTextAdornment> adornment = textAdornment())
        return adornment->textOverflowsForObject(*this);
    return pwtext::layoutForObject(m_content.text, textFormat(), *this).overflowsBox();
}

QRectF PWTextShape::editingFrame() const { return QRectF(QPointF(), size()); }

QTransform PWTextShape::editingTransform() const { return pwtext::boxTransform(*this); }

std::unique_ptr<QTextDocument> PWTextShape::editingDocument() const
{
    const PWTextFormat format = textFormat();
    return pwtext::editingDocument(m_content.text, format, format.wrapsLines ? size().width() : 0.0);
}

void PWTextShape::commitEditedText(const QString& text)
{
    commitEditedText(text, pwtext::runsFittingLength(m_content.runs, int(text.size())));
}

void PWTextShape::commitEditedText(const QString& text, const PWTextRuns& runs)
{
    const PWTextRuns fitting = pwtext::runsFittingLength(runs, int(text.size()));
    if ((text == m_content.text && fitting == m_content.runs) || !canEdit())
        return;
    RVUndoManager* manager = undoManager();
    if (manager)
        manager->beginUndoGrouping();
    setText(text);
    setTextRuns(fitting);
    if (manager) {
        manager->setActionName(QCoreApplication::translate("PWTextShape", "Typing"));
        manager->endUndoGrouping();
    }
}

void PWTextShape::setTextRuns(const PWTextRuns& runs)
{
    const PWTextRuns fitting = pwtext::runsFittingLength(runs, int(m_content.text.size()));
    if (fitting == m_content.runs)
        return;
    changeText("textRuns", "setTextRuns:", QVariant(pwtext::archivableRuns(m_content.runs)),
               [&] { m_content.runs = fitting; });
}

void PWTextShape::convertRunFonts(const std::function<QFont(const QFont&)>& convert)
{
    if (!m_content.runs.isEmpty())
        setTextRuns(pwtext::convertedRuns(m_content.runs, convert));
}

void PWTextShape::drawContentWithStyle(PWStyle* style)
{
    if (!visible())
        return;
    PWDrawableShape::drawContentWithStyle(style);
    if (ghosted() || !pf::GraphicsContext::current())
        return;
    // An adornment in the style drew the text with the style; without one the plain drawing
    // shows it.
    const pf::Ref<PWTextAdornment> adornment = pwtext::textAdornmentInStyle(style);
    if (!adornment)
        drawPlainText();
    drawOverflowIndicator(adornment.get());
}

void PWTextShape::drawPlainText()
{
    if (m_content.text.isEmpty())
        return;
    const PWTextLayout layout =
        pwtext::layoutForObject(m_content.text, plainFormat(m_content.attributes, m_content.layoutMode, m_content.runs), *this);
    pwtext::drawLayout(layout, *this, m_content.clipsToPath);
}

void PWTextShape::drawOverflowIndicator(const PWTextAdornment* adornment)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || !showsTextOverflowIndicator() || !context->isDrawingToScreen() || m_content.text.isEmpty())
        return;
    const QSizeF box = size();
    if (!(box.width() > 0.0) || !(box.height() > 0.0))
        return;
    const PWTextLayout layout =
        adornment ? adornment->layoutForObject(*this)
                  : pwtext::layoutForObject(m_content.text, plainFormat(m_content.attributes, m_content.layoutMode, m_content.runs), *this);
    if (layout.layoutMode() != PWTextFormat::LayoutInBox || !layout.overflowsBox())
        return;
    pf::GraphicsStateSaver saver(context);
    QPainter& painter = context->painter();
    painter.setTransform(pwtext::boxTransform(*this) * painter.transform());
    pwtext::drawOverflowIndicator(painter, box);
}

QStringList PWTextShape::searchableStrings() const
{
    QStringList strings = PWDrawableShape::searchableStrings();
    if (!m_content.text.isEmpty())
        strings << m_content.text;
    return strings;
}

QString PWTextShape::displayName() const { return displayNameForClass(objClass()); }

pf::Ref<pf::Object> PWTextShape::copy() const { return std::make_shared<PWTextShape>(*this); }

void PWTextShape::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWDrawableShape::encodeWithCoder(coder);
    m_content.encode(coder, kArchivePrefix);
}

void PWTextShape::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawableShape::initWithCoder(coder);
    m_content.decode(coder, kArchivePrefix, &PWTextShape::acceptsLayoutMode, 0);
}
