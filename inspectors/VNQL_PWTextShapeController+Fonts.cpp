// The text pane's fonts: the family and face menus, their marks, and the conversions that
// change the family, face or traits of every selected object's own font.

#include "inspectors/VNQL_PWTextShapeController.h"

#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/ui/FontManager.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontInfo>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQL_PWTextShapeController", text);
}

const QString kFontKeyPath = QStringLiteral("textAdornment.font");
const QString kTextAttributesKeyPath = QStringLiteral("textAdornment.textAttributes");

constexpr double kFontMenuTitleSize = 11.0;
constexpr double kFaceMenuTitleSize = 12.0;

// A member of a family as the font manager lists it: name, face, weight, traits.
struct Member {
    QString fontName;
    QString face;
    int weight = 5;
    unsigned traits = 0;
};

QList<Member> membersOf(const QString& family)
{
    QList<Member> members;
    // A family this machine lacks has no members, whatever would stand in for it.
    if (family.isEmpty() || !QFontDatabase::families().contains(family))
        return members;
    for (const QVariantList& entry : pf::FontManager::shared()->availableMembersOfFontFamily(family))
        members.append(Member{entry.value(0).toString(), entry.value(1).toString(), entry.value(2).toInt(),
                              entry.value(3).toUInt()});
    return members;
}

pf::MenuItemTitleAttributes titleFont(const pf::Font& font)
{
    pf::MenuItemTitleAttributes attributes;
    if (font.isValid())
        attributes.font = font.qFont();
    return attributes;
}

void giveTitle(pf::MenuItem& item, const QString& title, const pf::Font& font)
{
    if (font.isValid())
        item.setAttributedTitle(title, titleFont(font));
    else
        item.setTitle(title);
}

// Marks the names in the pop-up's menu and selects the first marked item (none when nothing
// is marked). The pop-up shows its selection as the only one on, so the marks go on after.
void markAndSelect(pf::PopUpButton* popUp, const QSet<QString>& names)
{
    if (!popUp || !popUp->menu())
        return;
    pf::MenuItem* first = VNQL_PWTextShapeController::selectFontsMenu(*popUp->menu(), names);
    popUp->selectItem(first);
    VNQL_PWTextShapeController::selectFontsMenu(*popUp->menu(), names);
}

// The family the menus show for a font's family: the family itself when installed, else the
// one that stands in for it here (Helvetica's match), else none.
QString shownFamily(const QString& family)
{
    if (family.isEmpty() || QFontDatabase::families().contains(family))
        return family;
    const pf::Font standIn = pf::Font::fromName(family, pf::Font::kSystemFontSize);
    return standIn.isValid() ? QFontInfo(standIn.qFont()).family() : QString();
}

// The font's name as the menus list it: a stand-in family's font under the family it stands for.
QString nameOf(const QFont& font)
{
    QFont listed = font;
    const QString shown = shownFamily(font.family());
    if (!shown.isEmpty())
        listed.setFamily(shown);
    return pf::Font::fromQFont(listed).fontName();
}

} // namespace

// --- Menus ------------------------------------------------------------------------------------------

pf::Ref<pf::Menu> VNQL_PWTextShapeController::makeFontsMenuWithTarget(pf::Reflective* target, const QString& selector,
                                                                       bool withFacesSubmenus)
{
    auto menu = pf::Menu::make(tr("Font"));
    menu->setAutoenablesItems(false);
    const bool wysiwyg = hasWYSIWYGFontMenu();
    pf::FontManager* manager = pf::FontManager::shared();
    for (const QString& family : manager->availableFontFamilies()) {
        const QList<Member> members = withFacesSubmenus ? membersOf(family) : QList<Member>();
        auto item = std::make_shared<pf::MenuItem>();
        item->setTitle(family);
        item->setAction(selector);
        item->setTarget(target);
        item->setEnabled(true);
        item->setRepresentedObject(withFacesSubmenus && !members.isEmpty() ? members.first().fontName : family);
        const pf::Font familyFont = wysiwyg ? pf::Font::fromName(item->representedObject().toString(), kFontMenuTitleSize)
                                            : pf::Font();
        if (wysiwyg)
            giveTitle(*item, family, familyFont);
        if (withFacesSubmenus && members.size() >= 2) {
            auto faces = pf::Menu::make(family);
            for (const Member& member : members) {
                auto face = std::make_shared<pf::MenuItem>();
                face->setTitle(member.face);
                face->setRepresentedObject(member.fontName);
                face->setAction(selector);
                face->setTarget(target);
                face->setEnabled(true);
                if (wysiwyg && familyFont.isValid())
                    giveTitle(*face, member.face, familyFont.withTraits(member.traits));
                faces->addItem(face);
            }
            item->setSubmenu(faces);
        }
        menu->addItem(item);
    }
    return menu;
}

pf::Ref<pf::Menu> VNQL_PWTextShapeController::makeFacesMenuWithTarget(pf::Reflective* target, const QString& selector,
                                                                       const QString& family)
{
    auto menu = pf::Menu::make(tr("Face"));
    menu->setAutoenablesItems(false);
    const bool wysiwyg = hasWYSIWYGFaceMenu();
    pf::FontManager* manager = pf::FontManager::shared();
    for (const Member& member : membersOf(family)) {
        auto item = std::make_shared<pf::MenuItem>();
        item->setTitle(member.face);
        item->setRepresentedObject(member.fontName);
        item->setAction(selector);
        item->setTarget(target);
        item->setEnabled(true);
        if (wysiwyg)
            giveTitle(*item, member.face, manager->fontWithFamily(family, member.traits, member.weight, kFaceMenuTitleSize));
        menu->addItem(item);
    }
    return menu;
}

pf::MenuItem* VNQL_PWTextShapeController::selectFontsMenu(pf::Menu& menu, const QSet<QString>& names, QString* faceName)
{
    const pf::ControlState state = names.size() < 2 ? pf::ControlState::On : pf::ControlState::Mixed;
    pf::MenuItem* first = nullptr;
    bool faceGiven = false;
    for (const pf::Ref<pf::MenuItem>& item : menu.items()) {
        item->setState(pf::ControlState::Off);
        if (pf::Menu* submenu = item->submenu()) {
            bool any = false;
            for (const pf::Ref<pf::MenuItem>& face : submenu->items()) {
                const bool marked = names.contains(face->representedObject().toString());
                face->setState(marked ? state : pf::ControlState::Off);
                if (marked && !faceGiven && faceName) {
                    *faceName = face->title();
                    faceGiven = true;
                }
                any = any || marked;
            }
            if (any)
                item->setState(state);
        } else if (names.contains(item->representedObject().toString())) {
            item->setState(state);
        }
        if (!first && item->state() != pf::ControlState::Off)
            first = item.get();
    }
    return first;
}

pf::MenuItem* VNQL_PWTextShapeController::selectFacesMenu(pf::Menu& menu, const QSet<QString>& names)
{
    return selectFontsMenu(menu, names, nullptr);
}

// --- Changing fonts -----------------------------------------------------------------------------------

void VNQL_PWTextShapeController::setCommonFontValue(const QString& family, const QString&)
{
    pf::FontManager* manager = pf::FontManager::shared();
    convertFonts(
        [manager, family](const QFont& font) {
            const pf::Font own = pf::Font::fromQFont(font);
            const pf::Font converted = manager->convertFontToFamily(own, family);
            return converted.isValid() ? converted.qFont() : font;
        },
        tr("Change Font"));
}

void VNQL_PWTextShapeController::setCommonFaceValue(const QString& fontName, const QString&)
{
    pf::FontManager* manager = pf::FontManager::shared();
    convertFonts(
        [manager, fontName](const QFont& font) {
            const pf::Font converted = manager->convertFontToFace(pf::Font::fromQFont(font), fontName);
            return converted.isValid() ? converted.qFont() : font;
        },
        tr("Font Face"));
}

void VNQL_PWTextShapeController::setCommonTrait(unsigned traitMask)
{
    pf::FontManager* manager = pf::FontManager::shared();
    m_fontConversion = [manager, traitMask](const QFont& font) {
        const pf::Font converted = manager->convertFontToHaveTrait(pf::Font::fromQFont(font), traitMask);
        return converted.isValid() ? converted.qFont() : font;
    };
    try {
        setCommonValue(QVariant(QFont()), kFontKeyPath);
    } catch (...) {
        m_fontConversion = nullptr;
        throw;
    }
    m_fontConversion = nullptr;
}

void VNQL_PWTextShapeController::fontMenuAction(const QVariant& sender)
{
    auto item = std::dynamic_pointer_cast<pf::MenuItem>(pf::objectFromVariant(sender));
    if (!item) {
        auto* popUp = qobject_cast<pf::PopUpButton*>(pf::Control::fromSender(sender));
        if (popUp && popUp->selectedItem())
            item = popUp->selectedItem()->ref<pf::MenuItem>();
    }
    if (!item)
        return;
    const QString chosen = item->representedObject().toString();
    if (chosen.isEmpty())
        return;
    // With faces submenus the item names a font (a face); else a family.
    if (mSeparateFacesMenu)
        setCommonFontValue(chosen, kFontKeyPath);
    else
        setCommonFaceValue(chosen, kFontKeyPath);
}

void VNQL_PWTextShapeController::fontFaceAction(const QVariant& sender)
{
    auto item = std::dynamic_pointer_cast<pf::MenuItem>(pf::objectFromVariant(sender));
    if (!item) {
        auto* popUp = qobject_cast<pf::PopUpButton*>(pf::Control::fromSender(sender));
        if (popUp && popUp->selectedItem())
            item = popUp->selectedItem()->ref<pf::MenuItem>();
    }
    if (item && !item->representedObject().toString().isEmpty())
        setCommonFaceValue(item->representedObject().toString(), kFontKeyPath);
}

// --- Showing fonts ----------------------------------------------------------------------------------

QSet<QString> VNQL_PWTextShapeController::usedStringsForFontKey(bool familyNames)
{
    QSet<QString> names;
    for (const pf::Ref<pf::Object>& object : content()) {
        const QVariant font = object->valueForKeyPath(kFontKeyPath);
        if (font.typeId() != QMetaType::QFont)
            continue;
        names.insert(familyNames ? shownFamily(font.value<QFont>().family()) : nameOf(font.value<QFont>()));
    }
    return names;
}

void VNQL_PWTextShapeController::showFontFamily(const QString& family, const QSet<QString>& fontNames)
{
    if (!mFacesPopUpButton)
        return;
    mFacesMenu = makeFacesMenuWithTarget(this, QStringLiteral("fontFaceAction:"), family);
    mFacesPopUpButton->setMenu(mFacesMenu);
    // A face this machine lacks marks nothing: the pop-up then shows no face.
    markAndSelect(mFacesPopUpButton, fontNames);
}

void VNQL_PWTextShapeController::updateTraitSegments(const QString& family, const QFont* font)
{
    if (!mTextStyleSelector)
        return;
    bool hasBold = false;
    bool hasItalic = false;
    for (const Member& member : membersOf(family)) {
        hasBold = hasBold || (member.traits & pf::Font::BoldFontMask);
        hasItalic = hasItalic || (member.traits & pf::Font::ItalicFontMask);
    }
    const bool editable = !m_locked;
    mTextStyleSelector->setEnabled(editable && hasBold, kBoldSegment);
    mTextStyleSelector->setEnabled(editable && hasItalic, kItalicSegment);
    const unsigned traits = font ? pf::Font::fromQFont(*font).traits() : 0u;
    mTextStyleSelector->setSelected(font && (traits & pf::Font::BoldFontMask), kBoldSegment);
    mTextStyleSelector->setSelected(font && (traits & pf::Font::ItalicFontMask), kItalicSegment);
}

void VNQL_PWTextShapeController::setFont(const QVariant& value)
{
    if (value.typeId() != QMetaType::QFont) {
        // No text adornment: nothing to show.
        markAndSelect(mFontsPopUpButton, {});
        showFontFamily(QString(), {});
        updateTraitSegments(QString(), nullptr);
        if (mFontPreview)
            mFontPreview->setString(std::nullopt);
        return;
    }
    const QFont font = value.value<QFont>();
    const QString family = shownFamily(font.family());
    const QString fontName = nameOf(font);
    markAndSelect(mFontsPopUpButton, {mSeparateFacesMenu ? family : fontName});
    showFontFamily(family, {fontName});
    if (mFontPreview) {
        const QVariant attributes = hasContent() ? commonValueForKeyPath(kTextAttributesKeyPath) : QVariant();
        QVariantMap shown;
        if (attributes.typeId() == QMetaType::QVariantMap) {
            const QVariantMap own = attributes.toMap();
            shown.insert(pf::kFontAttributeName, pf::toVariant(std::make_shared<pf::Font>(pf::Font::fromQFont(font))));
            if (own.contains(kPWTextColourAttribute))
                shown.insert(pf::kForegroundColorAttributeName, own.value(kPWTextColourAttribute));
        }
        if (shown.isEmpty())
            mFontPreview->setString(std::nullopt);
        else
            mFontPreview->setWithString(family, shown);
    }
    updateTraitSegments(family, &font);
}

void VNQL_PWTextShapeController::setMixedValueForFont()
{
    const QSet<QString> names = usedStringsForFontKey(mSeparateFacesMenu);
    markAndSelect(mFontsPopUpButton, names);
    // The faces of the first family used, with every font used marked.
    const QSet<QString> families = usedStringsForFontKey(true);
    const QSet<QString> fontNames = usedStringsForFontKey(false);
    QStringList sorted(families.begin(), families.end());
    sorted.sort();
    showFontFamily(sorted.value(0), fontNames);
    if (mTextStyleSelector) {
        mTextStyleSelector->setEnabled(!m_locked, kBoldSegment);
        mTextStyleSelector->setEnabled(!m_locked, kItalicSegment);
        mTextStyleSelector->setSelected(false, kBoldSegment);
        mTextStyleSelector->setSelected(false, kItalicSegment);
    }
    if (mFontPreview)
        mFontPreview->setString(std::nullopt);
}

void VNQL_PWTextShapeController::setTextAttributes(const QVariant& value)
{
    const QVariant font = value.toMap().value(kPWTextFontAttribute);
    if (font.typeId() == QMetaType::QFont)
        setFont(font);
}

void VNQL_PWTextShapeController::setMixedValueForTextAttributes()
{
    if (!mFontPreview)
        return;
    pf::Font helvetica = pf::Font::fromName(QStringLiteral("Helvetica"), RVTextPreviewView::kPlaceholderFontSize);
    QVariantMap attributes{{pf::kForegroundColorAttributeName, pf::toVariant(std::make_shared<pf::Color>(pf::Color(QColor(Qt::gray))))}};
    if (helvetica.isValid())
        attributes.insert(pf::kFontAttributeName, pf::toVariant(std::make_shared<pf::Font>(helvetica)));
    mFontPreview->setString(std::nullopt);
    mFontPreview->setPlaceholderString(pf::AttributedString(tr("Multiple Fonts"), attributes));
}
