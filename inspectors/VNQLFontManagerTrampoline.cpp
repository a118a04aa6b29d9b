#include "inspectors/VNQLFontManagerTrampoline.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Application.h"

#include <QHash>

PF_DEFINE_CLASS(VNQLFontManagerTrampoline, pf::FontManager)
{
    using T = VNQLFontManagerTrampoline;
    b.property("textAdornment", std::function<QVariant(const T&)>([](const T& t) {
                   return pf::toVariant(t.textAdornment());
               }),
               {});
    b.property("locked", &T::locked);
    b.property("changeOriginator", &T::changeOriginator, &T::setChangeOriginator);
    b.property("rastKeyPath", &T::rastKeyPath, &T::setRastKeyPath);
}

namespace {

const QString kFontKeyPath = QStringLiteral("font");
const QString kFontSizeKeyPath = QStringLiteral("fontSize");
const QString kAlignmentKeyPath = QStringLiteral("alignment");
const QString kChangeAttributesAction = QStringLiteral("changeAttributes:");

// Restores the originator when a hand-over ends, however it ends.
class OriginatorScope {
public:
    OriginatorScope(VNQLFontManagerTrampoline& trampoline, int originator) : m_trampoline(trampoline)
    {
        m_trampoline.setChangeOriginator(originator);
    }
    ~OriginatorScope() { m_trampoline.setChangeOriginator(VNQLFontManagerTrampoline::kNobody); }

private:
    VNQLFontManagerTrampoline& m_trampoline;
};

} // namespace

VNQLFontManagerTrampoline::VNQLFontManagerTrampoline()
    : m_textAdornment(PWTextAdornment::textAdornmentWithString(QStringLiteral("never seen")))
{
    m_textAdornment->setRastObserver(this);
}

VNQLFontManagerTrampoline::~VNQLFontManagerTrampoline()
{
    if (m_textAdornment && m_textAdornment->rastObserver() == this)
        m_textAdornment->setRastObserver(nullptr);
}

VNQLFontManagerTrampoline* VNQLFontManagerTrampoline::sharedFontManagerTrampoline()
{
    if (auto* shared = dynamic_cast<VNQLFontManagerTrampoline*>(pf::FontManager::shared()))
        return shared;
    static pf::Ref<VNQLFontManagerTrampoline> own = [] {
        RVLog(kInfoEvent, QStringLiteral("warning: the shared FM-trampoline is not the same object as the shared "
                                         "NSFontManager. Likely you need to set the FM factory class in main()"));
        return std::make_shared<VNQLFontManagerTrampoline>();
    }();
    return own.get();
}

QString VNQLFontManagerTrampoline::attributeNameForKeyPath(const QString& keyPath)
{
    static const QHash<QString, QString> table = {
        {QStringLiteral("underlines"), kPWTextUnderlineAttribute},
        {QStringLiteral("strikethroughs"), kPWTextStrikethroughAttribute},
        {QStringLiteral("colour"), kPWTextColourAttribute},
        {QStringLiteral("shadow"), kPWTextShadowAttribute},
        {QStringLiteral("alignment"), kPWTextParagraphStyleAttribute},
        {QStringLiteral("baseline"), kPWTextBaselineOffsetAttribute},
        // The inspector's baseline field edits the proportion: it reaches the edited text too.
        {QStringLiteral("baselineProportion"), kPWTextBaselineProportionAttribute},
        {QStringLiteral("textKnockoutDistance"), PWTextKnockoutDistanceAttributeName},
        {QStringLiteral("textKnockoutColour"), PWTextKnockoutColourAttributeName},
        {QStringLiteral("outlineWidth"), kPWTextStrokeWidthAttribute},
        {QStringLiteral("outlineColour"), kPWTextStrokeColourAttribute},
        {QStringLiteral("kerning"), kPWTextKernAttribute},
        {QStringLiteral("superscriptAttribute"), kPWTextSuperscriptAttribute},
        {QStringLiteral("paragraphStyle"), kPWTextParagraphStyleAttribute},
    };
    return table.value(keyPath);
}

// --- Text system → adornment ---------------------------------------------------------------------

void VNQLFontManagerTrampoline::setSelectedFont(const pf::Font& font, bool isMultiple)
{
    if (m_changeOriginator == kAdornment)
        return;
    OriginatorScope scope(*this, kTextSystem);
    if (font.isValid())
        m_textAdornment->setFont(font.qFont());
    pf::FontManager::setSelectedFont(font, isMultiple);
}

void VNQLFontManagerTrampoline::setSelectedAttributes(const QVariantMap& attributes, bool isMultiple)
{
    if (m_changeOriginator == kAdornment)
        return;
    OriginatorScope scope(*this, kTextSystem);
    m_textAdornment->setTextAttributes(attributes);
    pf::FontManager::setSelectedAttributes(attributes, isMultiple);
}

// --- Adornment → text being edited ---------------------------------------------------------------

void VNQLFontManagerTrampoline::rasterizerDidChange(PWRasterizer&, const QString& keyPath)
{
    if (m_changeOriginator == kTextSystem)
        return;
    OriginatorScope scope(*this, kAdornment);
    m_rastKeyPath = keyPath;
    if (keyPath == kFontKeyPath || keyPath == kFontSizeKeyPath) {
        sendAction();
    } else {
        pf::Application* application = pf::Application::shared();
        const QVariant sender = senderValue();
        pf::Reflective* chained = application->targetForAction(kChangeAttributesAction);
        if (chained)
            application->sendAction(kChangeAttributesAction, nullptr, sender);
        // The manager's own target (the text being edited) hears of it even when the focus is
        // elsewhere; once only when the chain reached it already.
        pf::Reflective* own = target();
        if (own && own != chained && own->respondsTo(kChangeAttributesAction))
            application->sendAction(kChangeAttributesAction, own, sender);
    }
    // The key path belongs to this hand-over only: a later Bold, Bigger or font panel choice
    // must convert as the platform does, not to a stale adornment value.
    m_rastKeyPath.clear();
}

pf::Font VNQLFontManagerTrampoline::convertFont(const pf::Font& font) const
{
    if (m_rastKeyPath == kFontKeyPath) {
        const pf::Font chosen = pf::Font::fromQFont(m_textAdornment->font());
        if (!chosen.isValid())
            return font;
        const pf::Font converted = convertFontToFace(font, chosen.fontName());
        // A regular face's name is its family's alone, which a face conversion may not take
        // for a face: the chosen family and face at the font's own size are what is meant.
        if (converted.familyName() != chosen.familyName() || converted.faceName() != chosen.faceName())
            return chosen.withSize(font.pointSize());
        return converted;
    }
    if (m_rastKeyPath == kFontSizeKeyPath)
        return convertFontToSize(font, m_textAdornment->fontSize());
    return pf::FontManager::convertFont(font);
}

QVariant VNQLFontManagerTrampoline::attributeValueForKeyPath(const QString& keyPath) const
{
    const QVariant value = m_textAdornment->valueForKey(keyPath == kAlignmentKeyPath ? QStringLiteral("paragraphStyle") : keyPath);
    // No colour (or shadow) is no attribute.
    if (pf::isNilOrNull(value))
        return {};
    if (const pf::Ref<pf::Color> colour = pf::objectCast<pf::Color>(value); colour && !colour->isValid())
        return {};
    if (value.typeId() == QMetaType::QColor && !value.value<QColor>().isValid())
        return {};
    return value;
}

QVariantMap VNQLFontManagerTrampoline::convertAttributes(const QVariantMap& attributes) const
{
    QVariantMap converted = attributes;
    const QString name = attributeNameForKeyPath(m_rastKeyPath);
    if (name.isEmpty())
        return converted;
    const QVariant value = attributeValueForKeyPath(m_rastKeyPath);
    if (value.isValid())
        converted.insert(name, value);
    else
        converted.remove(name);
    return converted;
}
