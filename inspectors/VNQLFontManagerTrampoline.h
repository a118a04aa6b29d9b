#pragma once

#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWRasterizer.h"

#include "platform/ui/FontManager.h"

// The font manager of the program, through which the Text tab edits the text being typed in a
// drawing. It holds one text adornment that stands for the attributes of that text: the text
// editor's selection reports arrive in it, and every change the inspector makes to it is sent
// to the text being edited as the change-font or change-attributes action, which the editor
// applies by asking this manager to convert its fonts and attributes.
//
// The program installs this class as the font manager factory before the main loop, so that
// the shared font manager is one of these.
class VNQLFontManagerTrampoline : public pf::FontManager, public PWRasterizerObserver {
    PF_CLASS(VNQLFontManagerTrampoline)
public:
    // Who is changing the adornment now; a change from one side is not echoed back to it.
    enum ChangeOriginator : int { kNobody = 0, kAdornment = 1, kTextSystem = 2 };

    VNQLFontManagerTrampoline();
    ~VNQLFontManagerTrampoline() override;

    // The shared font manager when it is one of these; otherwise (the factory was not
    // installed) a private one made once, with a warning.
    static VNQLFontManagerTrampoline* sharedFontManagerTrampoline();
    // The text attribute name an adornment key path stands for, or empty.
    static QString attributeNameForKeyPath(const QString& keyPath);

    pf::Ref<PWTextAdornment> textAdornment() const { return m_textAdornment; }
    // Answers the inspector's "locked": never.
    bool locked() const { return m_locked; }
    int changeOriginator() const { return m_changeOriginator; }
    void setChangeOriginator(int originator) { m_changeOriginator = originator; }
    // The adornment key path of the change being sent; empty between changes.
    QString rastKeyPath() const { return m_rastKeyPath; }
    void setRastKeyPath(const QString& keyPath) { m_rastKeyPath = keyPath; }

    // The text system's reports.
    void setSelectedFont(const pf::Font& font, bool isMultiple) override;
    void setSelectedAttributes(const QVariantMap& attributes, bool isMultiple) override;
    // Conversions asked by the text being edited while it applies a change of the adornment.
    pf::Font convertFont(const pf::Font& font) const override;
    QVariantMap convertAttributes(const QVariantMap& attributes) const override;

    void rasterizerWillChange(PWRasterizer& rasterizer, const QString& keyPath) override {}
    void rasterizerDidChange(PWRasterizer& rasterizer, const QString& keyPath) override;

private:
    // The adornment's value for the change being sent, as the text attribute takes it.
    QVariant attributeValueForKeyPath(const QString& keyPath) const;

    bool m_locked = false;
    int m_changeOriginator = kNobody;
    pf::Ref<PWTextAdornment> m_textAdornment;
    QString m_rastKeyPath;
};
