#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Font.h"
#include "platform/ui/ActionSender.h"

#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

namespace pf {

class FontPanel;

// The shared font manager: the selection's font as the text being edited reports it, the
// font panel, and the change-font action. A change (from the panel or a trait command) is
// sent as the action, to the target or through the responder chain; the receiver then asks
// convertFont for each of its fonts to apply it. The application may install its own subclass
// before the shared one is first asked for.
class FontManager : public Object, public ActionSender {
    PF_CLASS(FontManager)
public:
    using Factory = std::function<Ref<FontManager>()>;

    FontManager();
    ~FontManager() override;

    // The class (a registered FontManager subclass) or function that makes the shared
    // manager. Only the first shared() uses it; later calls change nothing.
    static void setFontManagerFactory(const Class& cls);
    static void setFontManagerFactory(Factory factory);
    static FontManager* shared();

    // Installed families sorted by their localised names, and the members of one: each a list
    // of the PostScript-like font name, the face name, the weight (the platform's 0-15 scale,
    // 5 regular, 9 bold) and the trait mask.
    QStringList availableFontFamilies() const;
    QList<QVariantList> availableMembersOfFontFamily(const QString& family) const;
    Font fontWithFamily(const QString& family, unsigned traits, int weight, double size) const;

    // --- The selection
    Font selectedFont() const { return m_selectedFont; }
    bool isMultiple() const { return m_isMultiple; }
    virtual void setSelectedFont(const Font& font, bool isMultiple);
    QVariantMap selectedAttributes() const { return m_selectedAttributes; }
    virtual void setSelectedAttributes(const QVariantMap& attributes, bool isMultiple);

    // --- Converting: the change being sent, applied to one font or attribute set
    virtual Font convertFont(const Font& font) const;
    virtual QVariantMap convertAttributes(const QVariantMap& attributes) const { return attributes; }
    Font convertFontToFamily(const Font& font, const QString& family) const { return font.withFamily(family); }
    Font convertFontToFace(const Font& font, const QString& face) const { return font.withFace(face); }
    Font convertFontToHaveTrait(const Font& font, unsigned trait) const { return font.withTraits(trait); }
    Font convertFontToNotHaveTrait(const Font& font, unsigned trait) const;
    Font convertFontToSize(const Font& font, double size) const { return font.withSize(size); }

    // --- Commands (menu actions): each sends the action with the change to make
    // The sender's "tag" is a trait mask.
    void addFontTrait(const QVariant& sender);
    void removeFontTrait(const QVariant& sender);
    void modifyFont(const QVariant& sender); // tag 3 bigger, 4 smaller, as on the platform
    void modifyFontViaPanel(const QVariant& sender);
    void orderFrontFontPanel(const QVariant& sender);

    // The panel, made on first use; its choices become modifyFontViaPanel.
    FontPanel* fontPanel(bool create = true);

    // The action is "changeFont:" unless set otherwise; the sender is this manager.
    QVariant senderValue() const override;

private:
    enum class Change { None, ViaPanel, AddTrait, RemoveTrait, SizeUp, SizeDown };
    void sendChange(Change change, unsigned trait = 0);

    Font m_selectedFont;
    bool m_isMultiple = false;
    QVariantMap m_selectedAttributes;
    Change m_change = Change::None;
    unsigned m_trait = 0;
    QPointer<FontPanel> m_panel;
};

} // namespace pf
