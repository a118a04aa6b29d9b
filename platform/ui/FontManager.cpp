#include "platform/ui/FontManager.h"

#include <QCoreApplication>

#include "platform/foundation/Exception.h"
#include "platform/ui/FontPanel.h"

#include <QCollator>
#include <QFontDatabase>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::FontManager, pf::Object, "pf::FontManager")
{
    b.method("addFontTrait:", &pf::FontManager::addFontTrait);
    b.method("removeFontTrait:", &pf::FontManager::removeFontTrait);
    b.method("modifyFont:", &pf::FontManager::modifyFont);
    b.method("modifyFontViaPanel:", &pf::FontManager::modifyFontViaPanel);
    b.method("orderFrontFontPanel:", &pf::FontManager::orderFrontFontPanel);
    b.property("selectedFont", std::function<QVariant(const pf::FontManager&)>([](const pf::FontManager& m) {
                   return pf::toVariant(std::make_shared<pf::Font>(m.selectedFont()));
               }),
               {});
}

namespace pf {

namespace {

constexpr int kSizeUpTag = 3;
constexpr int kSizeDownTag = 4;

FontManager::Factory& factory()
{
    static FontManager::Factory made;
    return made;
}

Ref<FontManager>& sharedManager()
{
    static Ref<FontManager> manager;
    return manager;
}

int tagOf(const QVariant& sender)
{
    if (auto object = objectFromVariant(sender))
        return object->valueForKey(QStringLiteral("tag")).toInt();
    return sender.toInt();
}

// Qt's weights (100-900) on the platform's 0-15 scale, where 5 is regular and 9 bold.
int platformWeight(int qtWeight)
{
    return std::clamp(int(std::lround(5 + (qtWeight - 400) / 75.0)), 0, 15);
}

int qtWeight(int platformWeight)
{
    return std::clamp(400 + (platformWeight - 5) * 75, 100, 900);
}

} // namespace

FontManager::FontManager()
{
    setAction(QStringLiteral("changeFont:"));
}

FontManager::~FontManager()
{
    // The shared manager dies with the program's statics, after the application object; a
    // window cannot be deleted then, and the process is ending anyway.
    if (QCoreApplication::instance())
        delete m_panel.data();
}

void FontManager::setFontManagerFactory(const Class& cls)
{
    const Class* chosen = &cls;
    setFontManagerFactory([chosen]() -> Ref<FontManager> {
        auto manager = std::dynamic_pointer_cast<FontManager>(chosen->create());
        if (!manager)
            raise(NSInvalidArgumentException,
                  QStringLiteral("%1 does not make font managers").arg(chosen->name()));
        return manager;
    });
}

void FontManager::setFontManagerFactory(Factory made)
{
    if (!sharedManager())
        factory() = std::move(made);
}

FontManager* FontManager::shared()
{
    Ref<FontManager>& manager = sharedManager();
    if (!manager)
        manager = factory() ? factory()() : std::make_shared<FontManager>();
    return manager.get();
}

QStringList FontManager::availableFontFamilies() const
{
    QStringList families = QFontDatabase::families();
    families.removeIf([](const QString& family) { return QFontDatabase::isPrivateFamily(family); });
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(families.begin(), families.end(),
              [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return families;
}

QList<QVariantList> FontManager::availableMembersOfFontFamily(const QString& family) const
{
    QList<QVariantList> members;
    for (const QString& style : QFontDatabase::styles(family)) {
        const Font font = Font::fromName(family + u' ' + style, Font::kSystemFontSize);
        if (!font.isValid())
            continue;
        members.append(QVariantList{font.fontName(), style, platformWeight(QFontDatabase::weight(family, style)),
                                    font.traits()});
    }
    return members;
}

Font FontManager::fontWithFamily(const QString& family, unsigned traits, int weight, double size) const
{
    Font font = Font::fromName(family, size);
    if (!font.isValid())
        return font;
    const bool bold = (traits & Font::BoldFontMask) || qtWeight(weight) >= QFont::DemiBold;
    font = font.withTraits((bold ? Font::BoldFontMask : 0u) | (traits & Font::ItalicFontMask));
    return font;
}

void FontManager::setSelectedFont(const Font& font, bool isMultiple)
{
    m_selectedFont = font;
    m_isMultiple = isMultiple;
    if (m_panel)
        m_panel->setPanelFont(font, isMultiple);
}

void FontManager::setSelectedAttributes(const QVariantMap& attributes, bool isMultiple)
{
    m_selectedAttributes = attributes;
}

Font FontManager::convertFont(const Font& font) const
{
    switch (m_change) {
    case Change::None: return font;
    case Change::ViaPanel: {
        // The panel's family, face and size; a panel showing several fonts keeps the size.
        if (!m_panel)
            return font;
        const Font chosen = m_panel->panelFont();
        return chosen.isValid() ? chosen : font;
    }
    case Change::AddTrait: return font.withTraits(m_trait);
    case Change::RemoveTrait: return convertFontToNotHaveTrait(font, m_trait);
    case Change::SizeUp: return font.withSize(font.pointSize() + 1);
    case Change::SizeDown: return font.pointSize() > 1 ? font.withSize(font.pointSize() - 1) : font;
    }
    return font;
}

Font FontManager::convertFontToNotHaveTrait(const Font& font, unsigned trait) const
{
    unsigned opposite = 0;
    if (trait & Font::BoldFontMask)
        opposite |= Font::UnboldFontMask;
    if (trait & Font::ItalicFontMask)
        opposite |= Font::UnitalicFontMask;
    return font.withTraits(opposite);
}

void FontManager::sendChange(Change change, unsigned trait)
{
    m_change = change;
    m_trait = trait;
    sendAction();
    m_change = Change::None;
    m_trait = 0;
}

void FontManager::addFontTrait(const QVariant& sender)
{
    sendChange(Change::AddTrait, unsigned(tagOf(sender)));
}

void FontManager::removeFontTrait(const QVariant& sender)
{
    sendChange(Change::RemoveTrait, unsigned(tagOf(sender)));
}

void FontManager::modifyFont(const QVariant& sender)
{
    const int tag = tagOf(sender);
    if (tag == kSizeUpTag)
        sendChange(Change::SizeUp);
    else if (tag == kSizeDownTag)
        sendChange(Change::SizeDown);
}

void FontManager::modifyFontViaPanel(const QVariant& sender)
{
    sendChange(Change::ViaPanel);
}

void FontManager::orderFrontFontPanel(const QVariant& sender)
{
    FontPanel* panel = fontPanel(true);
    panel->setPanelFont(m_selectedFont, m_isMultiple);
    panel->orderFront();
}

FontPanel* FontManager::fontPanel(bool create)
{
    if (!m_panel && create) {
        m_panel = new FontPanel;
        m_panel->fontChosen = [this](const Font&) { modifyFontViaPanel(senderValue()); };
        if (m_selectedFont.isValid())
            m_panel->setPanelFont(m_selectedFont, m_isMultiple);
    }
    return m_panel;
}

QVariant FontManager::senderValue() const
{
    // Answers nothing for a manager not held by a Ref (nothing could keep it as a sender).
    auto self = std::const_pointer_cast<Object>(weak_from_this().lock());
    return self ? QVariant::fromValue(self) : QVariant();
}

} // namespace pf
