#pragma once

#include "inspectors/VNQLGenericObjectController.h"

#include "platform/ui/Button.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"
#include "widgets/RVAugmentedTextField.h"
#include "widgets/RVTextPreviewView.h"

#include <QFont>
#include <QPointer>
#include <QSet>

#include <functional>

class VNQLStyleEditSub_NSShadow;
namespace pf {
class Menu;
class MenuItem;
class UserInterfaceItem;
} // namespace pf

// The user defaults of the font menus: names drawn in their own typeface (families) or face.
inline const QString kVNQLHasWYSIWYGFontMenu = QStringLiteral("kVNQLHasWYSIWYGFontMenu");
inline const QString kVNQLHasWYSIWYGFaceMenu = QStringLiteral("kVNQLHasWYSIWYGFaceMenu");

// The Text tab's pane: font family and face, size, colour, alignment, layout, decoration,
// capitalisation, outline, knockout, wrapping, clipping, baseline, bold and italic, and the
// text shadow of the selected text objects. A family, face or trait change converts each
// object's own font (and the runs typed in it), so every object keeps its size.
//
// In font panel mode the pane edits the font manager trampoline's adornment instead, which
// hands each change to the text being typed in the drawing.
class VNQL_PWTextShapeController : public VNQLGenericObjectController {
    PF_CLASS(VNQL_PWTextShapeController)
public:
    // The segments of the style selector.
    enum TextStyleSegment { kBoldSegment = 0, kItalicSegment = 1, kUnderlineSegment = 2, kStrikethroughSegment = 3 };

    explicit VNQL_PWTextShapeController(const QString& nibName = {});
    ~VNQL_PWTextShapeController() override;

    static bool hasWYSIWYGFontMenu();
    static void setHasWYSIWYGFontMenu(bool wysiwyg);
    static bool hasWYSIWYGFaceMenu();
    static void setHasWYSIWYGFaceMenu(bool wysiwyg);

    // The menus (class operations). Families are the font manager's; a family's items
    // represent its PostScript-like font names with faces submenus, else the family name.
    static pf::Ref<pf::Menu> makeFontsMenuWithTarget(pf::Reflective* target, const QString& selector, bool withFacesSubmenus);
    static pf::Ref<pf::Menu> makeFacesMenuWithTarget(pf::Reflective* target, const QString& selector, const QString& family);
    // Clears every item, then marks those whose represented object is in `names` (on for
    // fewer than two names, else mixed); a parent is marked when one of its items is. Answers
    // the first marked item; `faceName` receives the first marked submenu item's title.
    static pf::MenuItem* selectFontsMenu(pf::Menu& menu, const QSet<QString>& names, QString* faceName = nullptr);
    static pf::MenuItem* selectFacesMenu(pf::Menu& menu, const QSet<QString>& names);

    const pf::Class& managedObjectClass() const override;
    QList<const pf::Class*> managedObjectClasses() const override;
    QStringList keyPathsOfInterest() const override;
    bool shouldSetValue(QVariant* value, pf::Object* object, const QString& keyPath) override;
    void setControlStateForNil() override;
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;

    bool fontPanelMode() const { return m_fontPanelMode; }
    void setFontPanelMode(bool on) { m_fontPanelMode = on; }

    // Conversions of every object's own font, as one named undo step.
    void setCommonFontValue(const QString& family, const QString& keyPath);
    void setCommonFaceValue(const QString& fontName, const QString& keyPath);
    void setCommonTrait(unsigned traitMask);

    // Actions.
    void fontMenuAction(const QVariant& sender);
    void fontSizeAction(const QVariant& sender);
    void fontFaceAction(const QVariant& sender);
    void textColourAction(const QVariant& sender);
    void textAlignmentAction(const QVariant& sender);
    void textVerticalAlignmentAction(const QVariant& sender);
    void layoutModeAction(const QVariant& sender);
    void underlinesAction(const QVariant& sender);
    void strikethroughsAction(const QVariant& sender);
    void outlineSizeAction(const QVariant& sender);
    void outlineColourAction(const QVariant& sender);
    void maskSizeAction(const QVariant& sender);
    void maskColourAction(const QVariant& sender);
    void wrapsLinesAction(const QVariant& sender);
    void clipsAction(const QVariant& sender);
    void capitalizationAction(const QVariant& sender);
    void baselineAction(const QVariant& sender);
    void textStyleAction(const QVariant& sender);
    void kernAmountAction(const QVariant& sender);
    void shadowEnableAction(const QVariant& sender);
    void saveTextStyleAction(const QVariant& sender);
    void resetTextStyleAction(const QVariant& sender);
    // The shadow sub-pane edited its shadow.
    void shadowDidChange();

    // Setters the base pushes values into.
    void setFont(const QVariant& value);
    void setFontSize(const QVariant& value);
    void setColour(const QVariant& value);
    void setAlignment(const QVariant& value);
    void setVerticalAlignment(const QVariant& value);
    void setLayoutMode(const QVariant& value);
    void setUnderlines(const QVariant& value);
    void setStrikethroughs(const QVariant& value);
    void setOutlineColour(const QVariant& value);
    void setOutlineWidth(const QVariant& value);
    void setTextKnockoutDistance(const QVariant& value);
    void setTextKnockoutColour(const QVariant& value);
    void setWrapsLines(const QVariant& value);
    void setCapitalization(const QVariant& value);
    void setLocked(const QVariant& value);
    void setBaselineProportion(const QVariant& value);
    void setShadow(const QVariant& value);
    void setTextAttributes(const QVariant& value);
    void setClipsToPath(const QVariant& value);
    void setMixedValueForFont();
    void setMixedValueForFontSize();
    void setMixedValueForColour();
    void setMixedValueForAlignment();
    void setMixedValueForVerticalAlignment();
    void setMixedValueForLayoutMode();
    void setMixedValueForUnderlines();
    void setMixedValueForStrikethroughs();
    void setMixedValueForOutlineColour();
    void setMixedValueForOutlineWidth();
    void setMixedValueForTextKnockoutDistance();
    void setMixedValueForTextKnockoutColour();
    void setMixedValueForWrapsLines();
    void setMixedValueForCapitalization();
    void setMixedValueForLocked();
    void setMixedValueForBaselineProportion();
    void setMixedValueForShadow();
    void setMixedValueForTextAttributes();
    void setMixedValueForClipsToPath();
    void invalidateControlsForClipsToPath(const QVariant& object);

    // Controls, for the tab and for tests.
    pf::PopUpButton* fontsPopUp() const { return mFontsPopUpButton; }
    pf::PopUpButton* facesPopUp() const { return mFacesPopUpButton; }
    pf::Menu* fontsMenu() const { return mFontsMenu.get(); }
    RVAugmentedTextField* fontSizeField() const { return mFontSizeTextField; }
    pf::ColorWell* textColourWell() const { return mTextColourWell; }
    pf::SegmentedControl* alignmentSelector() const { return mAlignmentSelector; }
    pf::SegmentedControl* verticalAlignmentSelector() const { return mVerticalAlignmentSelector; }
    pf::SegmentedControl* textStyleSelector() const { return mTextStyleSelector; }
    pf::PopUpButton* layoutModePopUp() const { return mLayoutModePopUpButon; }
    pf::PopUpButton* capitalizationPopUp() const { return mCapitalizationPopUpButton; }
    pf::TextField* outlineSizeField() const { return mOutlineSizeTextField; }
    pf::TextField* baselineField() const { return mBaselineTextField; }
    pf::Button* wrapsLinesCheckbox() const { return mWrapsLinesCheckbox; }
    pf::Button* clipsCheckbox() const { return mClipsCheckbox; }
    pf::Button* shadowCheckbox() const { return mTextShadowEnableCheckbox; }
    VNQLStyleEditSub_NSShadow* shadowController() const { return mTextShadowController.get(); }
    RVTextPreviewView* fontPreview() const { return mFontPreview; }

    void loadView() override;
    void viewWillAppear();
    void awakeFromNib() override;

private:
    // Writes through the base, then names the undo step.
    void write(const QVariant& value, const QString& keyPath, const QString& actionName);
    void writeFrom(const QVariant& sender, const QString& keyPath, const QString& actionName);
    // Every object's own font converted, as one step named `actionName`.
    void convertFonts(const std::function<QFont(const QFont&)>& convert, const QString& actionName);
    // The values of a key path over the content.
    QSet<QString> usedStringsForFontKey(bool familyNames);
    void showFontFamily(const QString& family, const QSet<QString>& fontNames);
    void updateTraitSegments(const QString& family, const QFont* font);
    void setAllControlsEnabled(bool enabled);
    QList<QWidget*> allControls() const;
    void observeShadowPane();

    QPointer<pf::PopUpButton> mFontsPopUpButton;
    QPointer<pf::PopUpButton> mFacesPopUpButton;
    pf::Ref<pf::Menu> mFacesMenu;
    QPointer<pf::ColorWell> mTextColourWell;
    QPointer<RVAugmentedTextField> mFontSizeTextField;
    QPointer<pf::Stepper> mFontSizeStepper;
    QPointer<pf::SegmentedControl> mAlignmentSelector;
    QPointer<pf::SegmentedControl> mVerticalAlignmentSelector;
    QPointer<pf::PopUpButton> mUnderlinePopUpButton;
    QPointer<pf::PopUpButton> mStrikethroughPopUpButton;
    QPointer<pf::PopUpButton> mLayoutModePopUpButon;
    QPointer<pf::ColorWell> mOutlineColorWell;
    QPointer<pf::ColorWell> mMaskColorWell;
    QPointer<pf::TextField> mOutlineSizeTextField;
    QPointer<pf::Stepper> mOutlineSizeStepper;
    QPointer<pf::TextField> mMaskSizeTextField;
    QPointer<pf::Stepper> mMaskSizeStepper;
    QPointer<pf::Button> mWrapsLinesCheckbox;
    QPointer<pf::Button> mClipsCheckbox;
    QPointer<pf::PopUpButton> mCapitalizationPopUpButton;
    QPointer<pf::TextField> mBaselineTextField;
    QPointer<pf::Stepper> mBaselineStepper;
    QPointer<pf::SegmentedControl> mTextStyleSelector;
    QPointer<pf::Slider> mKernAmountSlider;
    QPointer<pf::Button> mTextShadowEnableCheckbox;
    pf::Ref<VNQLStyleEditSub_NSShadow> mTextShadowController;
    QPointer<RVTextPreviewView> mFontPreview;
    QPointer<pf::Button> mSaveStyleButton;
    QPointer<pf::Button> mResetStyleButton;
    pf::Ref<pf::Menu> mFontsMenu;
    bool mSettingShadow = false;
    bool mSeparateFacesMenu = true;
    bool m_fontPanelMode = false;
    bool m_locked = false;
    // While a font conversion is written: each object's own font through it.
    std::function<QFont(const QFont&)> m_fontConversion;
    quint64 m_shadowObservation = 0;
};
