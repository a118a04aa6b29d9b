#include "frameworks/penwork/drawables/PWTextPath.h"

#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBoundaryFinder>

#include <atomic>
#include <cmath>

namespace {

const QString kTextKey = QStringLiteral("pw_textPath_text");
const QString kAttributesKey = QStringLiteral("pw_textPath_attributes");
const QString kClipsKey = QStringLiteral("pw_textPath_clipsToPath");
const QString kLayoutModeKey = QStringLiteral("pw_textPath_layoutMode");

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

PWTextPath::PWTextPath(const PWTextPath& other)
    : PWDrawablePath(other), m_text(other.m_text), m_attributes(other.m_attributes),
      m_clipsToPath(other.m_clipsToPath), m_layoutMode(other.m_layoutMode)
{
}

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
    notifyVisualChange();
    willChangeValueForKey(key);
    change();
    didChangeValueForKey(key);
    notifyVisualChange();
}

void PWTextPath::setText(const QString& text)
{
    if (text == m_text)
        return;
    changeText("text", "setText:", m_text, [&] { m_text = text; });
}

void PWTextPath::setTextAttributes(const QVariantMap& attributes)
{
    if (attributes == m_attributes)
        return;
    changeText("textAttributes", "setTextAttributes:", m_attributes, [&] { m_attributes = attributes; });
}

void PWTextPath::setClipsToPath(bool clips)
{
    if (clips == m_clipsToPath)
        return;
    changeText("clipsToPath", "setClipsToPath:", m_clipsToPath, [&] { m_clipsToPath = clips; });
}

void PWTextPath::setLayoutMode(int mode)
{
    if (!acceptsLayoutMode(mode) || mode == m_layoutMode)
        return;
    changeText("layoutMode", "setLayoutMode:", m_layoutMode, [&] { m_layoutMode = mode; });
}

pf::Ref<PWRasterizer> PWTextPath::textAdornment() const { return pwtext::textAdornmentInStyle(style().get()); }

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
    if (!ghosted())
        drawText();
}

void PWTextPath::drawText()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || m_text.isEmpty())
        return;
    const pf::Ref<pf::BezierPath> path = renderingPath();
    const double total = pw::length(*path);
    if (!(total > 0.0))
        return;
    const QFont font = pwtext::fontFromAttributes(m_attributes);
    const QFontMetricsF metrics(font);

    // One cluster (what reads as one character) at a time, each centred on its place along
    // the path and turned to the path's direction there.
    QStringList clusters;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, m_text);
    for (qsizetype start = 0, next = finder.toNextBoundary(); next != -1; start = next, next = finder.toNextBoundary())
        clusters << m_text.mid(start, next - start);
    double width = 0.0;
    QList<double> advances;
    for (const QString& cluster : clusters) {
        advances << metrics.horizontalAdvance(cluster);
        width += advances.last();
    }
    double distance = m_layoutMode == kLayoutAlongPathCentred ? std::max(0.0, (total - width) / 2.0) : 0.0;

    pf::GraphicsStateSaver saver(context);
    QPainter& painter = context->painter();
    const QTransform base = painter.transform();
    painter.setFont(font);
    painter.setPen(pwtext::colourFromAttributes(m_attributes));
    for (qsizetype i = 0; i < clusters.size(); ++i) {
        const double advance = advances.at(i);
        const double centre = distance + advance / 2.0;
        if (centre > total)
            break;
        double slope = 0.0;
        const QPointF at = pw::pointOnPathAtLength(*path, centre, &slope);
        QTransform place;
        place.translate(at.x(), at.y());
        place.rotateRadians(slope);
        painter.setTransform(place * base);
        painter.drawText(QPointF(-advance / 2.0, 0.0), clusters.at(i));
        distance += advance;
    }
}

QStringList PWTextPath::searchableStrings() const
{
    QStringList strings = PWDrawablePath::searchableStrings();
    if (!m_text.isEmpty())
        strings << m_text;
    return strings;
}

QString PWTextPath::displayName() const { return displayNameForClass(objClass()); }

pf::Ref<pf::Object> PWTextPath::copy() const { return std::make_shared<PWTextPath>(*this); }

void PWTextPath::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWDrawablePath::encodeWithCoder(coder);
    coder.encodeString(m_text, kTextKey);
    coder.encodePropertyListValue(pwtext::archivableAttributes(m_attributes), kAttributesKey);
    coder.encodeBool(m_clipsToPath, kClipsKey);
    coder.encodeInt32(m_layoutMode, kLayoutModeKey);
}

void PWTextPath::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawablePath::initWithCoder(coder);
    m_text = coder.decodeString(kTextKey);
    m_attributes = pwtext::attributesFromArchive(coder.decodePropertyListValue(kAttributesKey).toMap());
    m_clipsToPath = coder.decodeBool(kClipsKey);
    const int mode = coder.decodeInt32(kLayoutModeKey);
    m_layoutMode = acceptsLayoutMode(mode) ? mode : kLayoutAlongPath;
}
