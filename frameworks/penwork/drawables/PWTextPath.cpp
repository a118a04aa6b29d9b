#include "frameworks/penwork/drawables/PWTextPath.h"

#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <QCoreApplication>
#include <QTextDocument>

#include <atomic>
#include <cmath>

namespace {

const QString kArchivePrefix = QStringLiteral("pw_textPath");

std::atomic<bool> s_allowsGraphicStyle{true};

} // namespace

PF_DEFINE_CLASS(PWTextPath, PWDrawablePath)
{
    b.protocol(pf::kCodingProtocol);
    b.property("text", &PWTextPath::text, &PWTextPath::setText);
    b.property("textAttributes", &PWTextPath::textAttributes, &PWTextPath::setTextAttributes);
    b.property("clipsToPath", &PWTextPath::clipsToPath, &PWTextPath::setClipsToPath);
    b.property("layoutMode", &PWTextPath::layoutMode, &PWTextPath::setLayoutMode);
    b.property("textAdornment", &PWTextPath::textAdornment);
    b.keyPathsAffecting("textAdornment", {"style"});
    b.method("commitEditedText:", std::function<QVariant(PWTextPath&, const QVariantList&)>(
                                      [](PWTextPath& object, const QVariantList& args) {
                                          object.commitEditedText(args.value(0).toString());
                                          return QVariant();
                                      }));
    b.property("textRuns", std::function<QVariant(const PWTextPath&)>([](const PWTextPath& object) {
                   return QVariant(pwtext::archivableRuns(object.textRuns()));
               }),
               std::function<void(PWTextPath&, const QVariant&)>([](PWTextPath& object, const QVariant& value) {
                   object.setTextRuns(pwtext::runsFromArchive(value.toList()));
               }));
    b.classMethod("allowsGraphicStyle",
                  [](const pf::Class&, const QVariantList&) { return QVariant(PWTextPath::allowsGraphicStyle()); });
    b.classMethod("setAllowsGraphicStyle:", [](const pf::Class&, const QVariantList& args) {
        PWTextPath::setAllowsGraphicStyle(pf::variantToBool(args.value(0)));
        return QVariant();
    });
    b.classMethod("acceptsLayoutMode:", [](const pf::Class&, const QVariantList& args) {
        return QVariant(PWTextPath::acceptsLayoutMode(args.value(0).toInt()));
    });
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWTextPath", "Text Path"));
    });
}

bool PWTextPath::allowsGraphicStyle() { return s_allowsGraphicStyle; }
void PWTextPath::setAllowsGraphicStyle(bool allows) { s_allowsGraphicStyle = allows; }

PWTextPath::PWTextPath() = default;

PWTextPath::PWTextPath(const PWTextPath& other) : PWDrawablePath(other), m_content(other.m_content) {}

pf::Ref<PWTextPath> PWTextPath::textPathWithPath(const pf::BezierPath& path, const QString& text,
                                                 pf::Ref<PWStyle> style)
{
    auto textPath = std::make_shared<PWTextPath>();
    textPath->setPath(std::static_pointer_cast<pf::BezierPath>(path.copy()));
    textPath->setText(text);
    if (style)
        textPath->setStyle(style);
    return textPath;
}

void PWTextPath::changeText(const QString& key, const QString& setter, const QVariant& oldValue,
                            const std::function<void()>& change)
{
    if (!canEdit())
        return;
    registerUndo(setter, oldValue);
    // The text's area is part of the bounds: the old and the new area are redrawn, and the
    // container learns of the new bounds.
    performGeometryChange(key, change);
}

QRectF PWTextPath::bounds() const
{
    if (hasCachedBounds())
        return cachedBounds();
    QRectF result = PWDrawablePath::bounds();
    if (!textAdornment())
        result = pwtext::withPlainTextBounds(result, m_content.text, textFormat(), *this, clipsTextToPath());
    setCachedBounds(result);
    return result;
}

void PWTextPath::setText(const QString& text)
{
    if (text == m_content.text)
        return;
    changeText("text", "setText:", m_content.text, [&] { m_content.text = text; });
}

void PWTextPath::setTextAttributes(const QVariantMap& attributes)
{
    if (attributes == m_content.attributes)
        return;
    changeText("textAttributes", "setTextAttributes:", m_content.attributes,
               [&] { m_content.attributes = attributes; });
}

void PWTextPath::setClipsToPath(bool clips)
{
    if (clips == m_content.clipsToPath)
        return;
    changeText("clipsToPath", "setClipsToPath:", m_content.clipsToPath, [&] { m_content.clipsToPath = clips; });
}

void PWTextPath::setLayoutMode(int mode)
{
    if (!acceptsLayoutMode(mode) || mode == m_content.layoutMode)
        return;
    changeText("layoutMode", "setLayoutMode:", m_content.layoutMode, [&] { m_content.layoutMode = mode; });
}

pf::Ref<PWTextAdornment> PWTextPath::textAdornment() const { return pwtext::textAdornmentInStyle(style().get()); }

PWTextFormat PWTextPath::textFormat() const
{
    if (const pf::Ref<PWTextAdornment> adornment = textAdornment()) {
        PWTextFormat format = adornment->format();
        format.layoutMode = adornment->layoutModeForObject(*this);
        format.runs = m_content.runs;
        return format;
    }
    PWTextFormat format = PWTextFormat::fromAttributes(m_content.attributes);
    format.layoutMode = m_content.layoutMode;
    format.runs = m_content.runs;
    return format;
}

QRectF PWTextPath::editingFrame() const
{
    const QRectF ink = pwtext::layoutForObject(m_content.text, textFormat(), *this).inkBounds(false);
    return ink.isNull() ? renderingPath()->bounds() : ink;
}

std::unique_ptr<QTextDocument> PWTextPath::editingDocument() const
{
    PWTextFormat format = textFormat();
    // Text along a path is one line, however long.
    format.wrapsLines = false;
    return pwtext::editingDocument(m_content.text, format, 0.0);
}

void PWTextPath::commitEditedText(const QString& text)
{
    commitEditedText(text, pwtext::runsFittingLength(m_content.runs, int(text.size())));
}

void PWTextPath::commitEditedText(const QString& text, const PWTextRuns& runs)
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
        manager->setActionName(QCoreApplication::translate("PWTextPath", "Typing"));
        manager->endUndoGrouping();
    }
}

void PWTextPath::setTextRuns(const PWTextRuns& runs)
{
    const PWTextRuns fitting = pwtext::runsFittingLength(runs, int(m_content.text.size()));
    if (fitting == m_content.runs)
        return;
    changeText("textRuns", "setTextRuns:", QVariant(pwtext::archivableRuns(m_content.runs)),
               [&] { m_content.runs = fitting; });
}

void PWTextPath::convertRunFonts(const std::function<QFont(const QFont&)>& convert)
{
    if (!m_content.runs.isEmpty())
        setTextRuns(pwtext::convertedRuns(m_content.runs, convert));
}

bool PWTextPath::validateStyle(QVariant* value, pf::Error* error)
{
    if (!PWDrawableObject::validateStyle(value, error))
        return false;
    if (!allowsGraphicStyle() && value && pwtext::styleHasGraphics(pf::objectCast<PWStyle>(*value).get()))
        return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                               QCoreApplication::translate("PWTextPath",
                                                                           "Text cannot take a graphic style.")));
    return true;
}

void PWTextPath::setStyle(pf::Ref<PWStyle> style)
{
    if (!allowsGraphicStyle() && pwtext::styleHasGraphics(style.get()))
        return;
    PWDrawablePath::setStyle(std::move(style));
}

void PWTextPath::drawContentWithStyle(PWStyle* style)
{
    if (!visible())
        return;
    PWDrawablePath::drawContentWithStyle(style);
    // An adornment in the style drew the text with the style; without one the plain drawing
    // shows it.
    if (!ghosted() && !pwtext::textAdornmentInStyle(style))
        drawPlainText();
}

void PWTextPath::drawPlainText()
{
    if (m_content.text.isEmpty() || !pf::GraphicsContext::current())
        return;
    PWTextFormat format = PWTextFormat::fromAttributes(m_content.attributes);
    format.layoutMode = m_content.layoutMode;
    format.runs = m_content.runs;
    pwtext::drawLayout(pwtext::layoutForObject(m_content.text, format, *this), *this, false);
}

QStringList PWTextPath::searchableStrings() const
{
    QStringList strings = PWDrawablePath::searchableStrings();
    if (!m_content.text.isEmpty())
        strings << m_content.text;
    return strings;
}

QString PWTextPath::displayName() const { return displayNameForClass(objClass()); }

pf::Ref<pf::Object> PWTextPath::copy() const { return std::make_shared<PWTextPath>(*this); }

void PWTextPath::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWDrawablePath::encodeWithCoder(coder);
    m_content.encode(coder, kArchivePrefix);
}

void PWTextPath::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawablePath::initWithCoder(coder);
    m_content.decode(coder, kArchivePrefix, &PWTextPath::acceptsLayoutMode, kLayoutAlongPath);
}
