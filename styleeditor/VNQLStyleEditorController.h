#pragma once

#include "inspectors/VNQLObjectControllerDataSource.h"
#include "inspectors/VNQLTabContentViewController.h"
#include "styleeditor/PWXStyleImageView.h"
#include "widgets/RVCollapsibleContainerViewDelegate.h"

#include "platform/foundation/Notification.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Menu.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"
#include "widgets/RVCollapsibleContainerView.h"

#include <QPointer>
#include <QVariantMap>

class PWDrawableObject;
class PWDrawing;
class PWObjectDrawingLayer;
class PWRasterizer;
class PWRastGroup;
class PWStyle;
class PWXLibrary;
class RVCollapsibleContainerView;
class VNQLStyleComponentController;
namespace pf {
class Button;
class ImageView;
class Menu;
class Pasteboard;
class PopUpButton;
class Stepper;
class TextField;
class UndoManager;
class UserInterfaceItem;
} // namespace pf

// User defaults of the Style tab.
inline const QString kVNQLStyleEditorShowsAdornments = QStringLiteral("kVNQLStyleEditorShowsAdornments");
inline const QString kVNQLStyleEditorShowsDrawingUnits = QStringLiteral("kVNQLStyleEditorShowsDrawingUnits");
inline const QString kVNQLStyleEditorCollapseState = QStringLiteral("kVNQLStyleEditorCollapseState");
// Posted when the tab gives the selection a new style (user info "style").
inline const QString kPWStyleInspectorDidCreateNewStyle = QStringLiteral("kPWStyleInspectorDidCreateNewStyle");

// The Style tab of a document window's sidebar: the header of the selection's style (name,
// library line, opacity, editable and shared) over a stack of collapsible panes, one per
// renderer of the style, the renderer drawn last on top, nested for renderer groups. It is the
// data source of every pane it makes. A mixed selection shows "Multiple Styles"; a tool style
// picked by the user shows that style.
class VNQLStyleEditorController : public VNQLTabContentViewController,
                                  public VNQLObjectControllerDataSource,
                                  public RVCollapsibleContainerViewDelegate {
    PF_CLASS(VNQLStyleEditorController)
public:
    static inline const QString kTabIdentifier = QStringLiteral("VNQLTabViewStyle");
    static inline const QString kPaneNamePrefix = QStringLiteral("VNQLStyleEditSub_");
    static inline const QString kPlaceholderNibName = QStringLiteral("VNQLStyleComponentPlaceholder");

    explicit VNQLStyleEditorController(const QString& nibName = {});
    ~VNQLStyleEditorController() override;

    static bool styleEditorShowsAdornments();
    static void setStyleEditorShowsAdornments(bool shows);
    // "VNQLStyleEditSub_" and the class name.
    static QString subcontrollerNibNameForComponentClass(const QString& className);
    // The renderer class a component menu tag adds, or null.
    static const pf::Class* componentClassForStyleComponentTag(qint64 tag);

    // --- Content
    PWDrawing* drawing() const;
    void setDrawing(const pf::Ref<PWDrawing>& drawing);
    QList<pf::Ref<PWStyle>> content() const { return mStyleList; }
    void setContent(const QList<pf::Ref<PWStyle>>& styles);
    QList<pf::Ref<PWDrawableObject>> selection() const { return mSelectionCache; }
    void setSelection(const QList<pf::Ref<PWDrawableObject>>& objects);
    void setSelectionFromLayer(PWObjectDrawingLayer* layer);
    // The one style shown, or null (nothing, or several).
    pf::Ref<PWStyle> style() const;
    QList<VNQLStyleComponentController*> subcontrollers() const;
    bool isStartingObservation() const { return m_startingObservation; }
    bool renamingModeActive() const { return m_renamingModeActive; }
    bool displaysDrawingUnits() const { return m_displaysDrawingUnits; }
    void setDisplaysDrawingUnits(bool shows) { m_displaysDrawingUnits = shows; }
    void setShowsDrawingUnits(bool shows);
    void changeUnitsConversionFactorTo(double factor, const QString& units);
    double unitsConversionFactor() const { return m_unitsFactor; }
    QString unitsAbbreviation() const { return m_units; }
    pf::Ref<PWXLibrary> styleLibrary() const;
    bool styleInLockedLibrary() const;
    // The shown style's own lock (false without one).
    bool styleIsLocked() const;
    bool isInMainWindow() const;
    QVariantMap stackCollapseStates() const { return mStackCollapseStates; }

    // --- Notifications
    void selectionChanged(const pf::Notification& notification);
    void activeLayerChanged(const pf::Notification& notification);
    void drawingUnitsChanged(const pf::Notification& notification);
    void toolStyleChanged(const pf::Notification& notification);
    void styleSharingChanged(const pf::Notification& notification);
    void libraryContentChanged(const pf::Notification& notification);

    // --- Building
    void buildUIForStyle(const pf::Ref<PWStyle>& style);
    void buildUIForStyleGroup(PWRastGroup* group, RVCollapsibleContainerView* parentContainer,
                              VNQLStyleComponentController* parentController);
    void tearDownUIIfNeeded();
    // Rebuilds the stack on the next turn, once however often it is asked.
    void rebuildUI();
    void setStatesForNilContent();
    void multipleStylesSelected();
    VNQLStyleComponentController* subcontrollerForComponent(const PWRasterizer* renderer) const;
    VNQLStyleComponentController* subcontrollerForView(const QWidget* view) const;
    VNQLStyleComponentController* subcontrollerForHostingView(const RVCollapsibleContainerView* view) const;
    void removeComponentController(VNQLStyleComponentController* pane);
    // How many times the stack has been built (tests and benchmarks).
    int buildCount() const { return m_buildCount; }

    // --- Style observation and the header
    void startObserving(const pf::Ref<PWStyle>& style);
    void stopObserving(const pf::Ref<PWStyle>& style);
    QVariant commonValueForKeyPath(const QString& keyPath) const;
    void setCommonValue(const QVariant& value, const QString& keyPath);
    static QStringList styleObservingKeypaths();
    void setName(const QVariant& name);
    void setOpacity(const QVariant& opacity);
    void setIsStyleRegistered(const QVariant&) {}
    void setLocked(const QVariant& locked);
    void setStyleSharable(const QVariant& sharable);
    void setRenderList(const QVariant&);
    void setRenamingMode(bool active);
    void handleNameDoubleClick();
    void observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap& change,
                                void* context) override;
    void populateMenuOfUserLibraries(pf::Menu* menu);

    // --- Commands (the tab's menus and buttons)
    void addComponentAction(const QVariant& sender);
    void addComponentWithTagOfSenderAction(const QVariant& sender);
    bool addComponentForTag(qint64 tag);
    void pasteComponentAction(const QVariant& sender);
    bool canPasteComponentFrom(const pf::Pasteboard* pasteboard, QString* name) const;
    void resetStyleAction(const QVariant& sender);
    void cloneStyleAction(const QVariant& sender);
    void editableAction(const QVariant& sender);
    void sharedAction(const QVariant& sender);
    void masterOpacityAction(const QVariant& sender);
    void renameAction(const QVariant& sender);
    void nameFieldAction(const QVariant& sender);
    void addToLibraryAction(const QVariant& sender);
    void revealInLibraryAction(const QVariant& sender);
    void resetStyleNumberingAction(const QVariant& sender);
    void defaultLibrarySelectAction(const QVariant& sender);
    void collapseAllAction(const QVariant& sender);
    void expandAllAction(const QVariant& sender);
    void toggleDrawingUnitsDisplayAction(const QVariant& sender);
    void styleEditorHelpAction(const QVariant& sender);
    pf::Ref<PWStyle> applyStyleToSelection(const pf::Ref<PWStyle>& style);
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;

    // --- Data source of the panes
    QList<pf::Ref<pf::Object>> selectedContentForObjectController(VNQLGenericObjectController* controller) override;
    pf::UndoManager* undoManager() const override;

    // --- Container delegate
    void containerViewDidRemoveSubview(RVCollapsibleContainerView& container, pf::View* view) override;
    bool containerViewWillAcceptDroppedView(RVCollapsibleContainerView& container, pf::View* view, int index) override;
    void containerViewDidMoveSubview(RVCollapsibleContainerView& container, pf::View* view, int index) override;
    void containerViewDidCollapse(RVCollapsibleContainerView& container) override;
    void containerViewDidUncollapse(RVCollapsibleContainerView& container) override;
    // The render-list index of a pane shown at `position` among `count` (the stack runs
    // upside down); the platform's not-found position counts as the bottom.
    static int renderIndexForViewPosition(qint64 count, qint64 position);
    // The render-list index of a pane dropped at `position` into a group of `count` others.
    static int renderIndexForDropPosition(qint64 count, qint64 position);

    // --- Views (tests)
    pf::TextField* nameField() const { return mStyleNameTextView; }
    pf::TextField* libraryInfoField() const { return mLibraryInfoTextView; }
    pf::PopUpButton* componentPopUp() const { return mComponentMenuPopUp; }
    pf::PopUpButton* actionPopUp() const { return mActionMenuPopUp; }
    pf::Button* editableCheckbox() const { return mEditableCheckbox; }
    pf::Button* sharedCheckbox() const { return mSharedCheckbox; }
    pf::Button* resetButton() const { return mResetButton; }
    pf::Button* cloneButton() const { return mCloneButton; }
    pf::TextField* opacityField() const { return mMasterOpacityTextField; }
    pf::ImageView* lockedLibraryIcon() const { return mLockedLibraryIconView; }
    PWXStyleImageView* previewWell() const { return mStylePreviewImageWell; }
    QString editableIconName() const { return m_editableIconName; }
    QString sharedIconName() const { return m_sharedIconName; }
    RVCollapsibleContainerView* stackView() const { return mStyleComponentStackView; }
    pf::Menu* userLibrariesMenu() const { return mUserLibrariesListMenu.get(); }

    void loadView() override;

private:
    void buildViews();
    void observeDrawing(PWDrawing* drawing);
    void showStyleInPreview(const pf::Ref<PWStyle>& style);
    void setStateIcon(pf::ImageView* view, const QString& name, QString* keep);
    void fitStackToContent();
    void nameUndo(const QString& name);
    void setContentFromSelectedStyles();
    void detachPane(VNQLStyleComponentController* pane);
    pf::Ref<pf::Menu> makeComponentMenu(bool withAdornments);
    pf::Ref<pf::Menu> makeActionMenu();

    QPointer<pf::TextField> mStyleNameTextView;
    QPointer<pf::TextField> mLibraryInfoTextView;
    QPointer<pf::PopUpButton> mActionMenuPopUp;
    QPointer<pf::PopUpButton> mComponentMenuPopUp;
    QPointer<PWXStyleImageView> mStylePreviewImageWell;
    QPointer<pf::Button> mEditableCheckbox;
    QPointer<pf::Button> mSharedCheckbox;
    QPointer<RVCollapsibleContainerView> mStyleComponentStackView;
    QPointer<pf::TextField> mMasterOpacityTextField;
    QPointer<pf::Stepper> mMasterOpacityStepper;
    QPointer<pf::Button> mResetButton;
    QPointer<pf::Button> mCloneButton;
    pf::Ref<pf::Menu> mComponentMenu;
    pf::Ref<pf::Menu> mNoAdornmentsMenu;
    QPointer<pf::ImageView> mEditableIconView;
    QPointer<pf::ImageView> mSharedIconView;
    QPointer<pf::ImageView> mLockedLibraryIconView;
    pf::Ref<pf::Menu> mUserLibrariesListMenu;

    QList<pf::Ref<PWStyle>> mStyleList;
    QList<pf::Ref<VNQLStyleComponentController>> mSubControllers;
    PWRasterizer* mTempRasterizer = nullptr;
    pf::Weak<PWDrawing> mDrawing;
    QList<pf::Ref<PWDrawableObject>> mSelectionCache;
    bool m_hasSelectionCache = false;
    QList<pf::Ref<PWStyle>> mSelectedStyleSet;
    QVariantMap mStackCollapseStates;
    bool m_startingObservation = false;
    bool m_renamingModeActive = false;
    bool m_displaysDrawingUnits = false;
    double m_unitsFactor = 1.0;
    QString m_units = QStringLiteral("pt");
    QString m_editableIconName;
    QString m_sharedIconName;
    quint64 m_pendingSelection = 0;
    quint64 m_pendingRebuild = 0;
    quint64 m_pendingToolStyle = 0;
    int m_buildCount = 0;
};
