#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowController.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <optional>

class PWDrawingTool;
class PWXLibraryCategory;
class PWXLibraryItem;
class PWXLibraryPickerHistoryItem;
class PWXLibraryPickerItemView;
class PWXLibraryPredicate;
class QPushButton;
class QWidget;

namespace pf {
class PathControl;
class PopUpButton;
class SearchField;
class SegmentedControl;
struct Notification;
} // namespace pf

inline const QString kPWXLibraryPickerSelectedObjectDidChange = QStringLiteral("kPWXLibraryPickerSelectedObjectDidChange");

// The floating palette from which the user picks a style or a clip-art item of one library
// category and applies it to the selection, or hands it to the current tool (through the
// notification the tools palette turns into the tool's style or symbol). It follows the
// current tool: items the tool cannot take are dimmed or hidden and the item matching the
// tool's style or symbol is picked. It keeps a back and forward history of picks and shows
// where the picked item lives in a path bar.
class PWXLibraryPickerPaletteController : public pf::WindowController,
                                          public pf::WindowDelegate,
                                          public pf::MenuDelegate {
    PF_CLASS(PWXLibraryPickerPaletteController)
public:
    // User defaults.
    static inline const QString kVisibleDefault = QStringLiteral("kQLRYLibraryPickerVisible");
    static inline const QString kFrameDefault = QStringLiteral("kQLRYLibraryPickerFrame");
    static inline const QString kHideNonMatchingItemsDefault = QStringLiteral("kLibraryPickerHideNonMatchingItems");
    static inline const QString kDisplayedCategoryDefault = QStringLiteral("CVLQ_PICKER_DISPLAYED_CATEGORY");
    static inline const QString kLastSelectionDefault = QStringLiteral("CVLQ_LIB_PICKER_LAST_SELECTION");
    static inline const QString kConfirmDirectApplyDefault = QStringLiteral("kCartavelToolsWindowConfirmDirectApply");
    static inline const QString kWindowPlacementDefault = QStringLiteral("kCartavelLibraryPickerWindowPlacement");
    static inline const QString kSettingsRootName = QStringLiteral("CVLQ_LIB_PICKER");
    // Notification user information.
    static inline const QString kLibObjectKey = QStringLiteral("lib_object");
    static inline const QString kAuxStyleFlagKey = QStringLiteral("aux_style_flag");
    static constexpr double kStatusBarHeight = 24;
    static constexpr double kVerticalBars = 24; // the bars above and below the items

    PWXLibraryPickerPaletteController();
    ~PWXLibraryPickerPaletteController() override;

    static pf::Ref<PWXLibraryPickerPaletteController> sharedLibraryPicker();
    static bool sharedLibraryPickerAvailable();
    static void saveLibraryPickerState();
    static void restoreLibraryPickerState();
    static bool hidesNonMatchingItems();
    static void setHidesNonMatchingItems(bool hides);
    // Tests: closes and forgets the shared palette.
    static void releaseSharedLibraryPicker();

    void loadWindow() override;
    void awakeFromNib() override;
    void windowDidLoad() override;

    // Commands ---------------------------------------------------------------------------------
    void libraryChoiceAction(const QVariant& sender);
    void searchFieldAction(const QVariant& sender);
    void searchFieldMenuAction(const QVariant& sender);
    void searchFieldModeAction(const QVariant& sender);
    void filterScopeAction(const QVariant& sender);
    void goBackOrForward(const QVariant& sender);
    void goBack(const QVariant& sender = {});
    void goForward(const QVariant& sender = {});
    void clearHistory(const QVariant& sender = {});
    void goToHistoryItem(const QVariant& sender);
    void applyToSelectionAction(const QVariant& sender = {});
    void applyAuxiliaryToSelectionAction(const QVariant& sender = {});
    void showInLibraryManagerAction(const QVariant& sender = {});
    void toggleStatusBar(const QVariant& sender = {});
    void dummyTitleAction(const QVariant&) {}
    void tableDoubleClickAction(const QVariant& sender = {});
    bool validateMenuItem(pf::MenuItem& item) override;

    // The shown category and its items ----------------------------------------------------------
    pf::Ref<PWXLibraryCategory> category() const { return m_libraryCategory; }
    void setCategory(const pf::Ref<PWXLibraryCategory>& category);
    QString filterString() const { return m_filterString; }
    void setFilterString(const QString& text);
    int filterStringMode() const { return m_filterStringMode; }
    void setFilterStringMode(int mode);
    int filterKind() const { return m_filterKind; }
    void setFilterKind(int kind);
    int filterScope() const { return m_filterScope; }
    void setFilterScope(int scope);
    // The filter of the shown items; null when nothing filters.
    pf::Ref<PWXLibraryPredicate> filterPredicate();
    // The shown items, filtered and sorted (cached).
    const QList<pf::Ref<PWXLibraryItem>>& filteredItems();
    pf::Ref<PWXLibraryItem> filteredItemWithID(const QString& key);
    pf::IndexSet styleIndexes();
    pf::IndexSet symbolIndexes();
    void disableItemsAtIndexes(const std::optional<pf::IndexSet>& indexes);

    // Picking ------------------------------------------------------------------------------------
    // Picks the item (null picks none), as a click would.
    void selectItem(const pf::Ref<PWXLibraryItem>& item);
    pf::Ref<PWXLibraryItem> selectedItem() const;
    // The shown category's identifier, "." and the picked item's name (its dots as "#$#").
    QString identifierForSelectedItem() const;
    void setClassCode(qint64 code);
    qint64 classCode() const { return m_currentClassCode; }
    // Follows the tool: what it takes, and its style or symbol picked.
    void setUIStateForDrawingTool(const pf::Ref<PWDrawingTool>& tool);

    bool canApplyToSelection() const;
    bool canApplyAuxiliaryToSelection() const;
    bool applyItemToSelection(const pf::Ref<PWXLibraryItem>& item, bool asAuxiliaryStyle);

    // Window -------------------------------------------------------------------------------------
    bool statusBarHidden() const { return !m_statusBarVisible; }
    void setStatusBarHidden(bool hidden);
    QVariant representedObject() const { return m_repObject; }
    void setRepresentedObject(const QVariant& object) { m_repObject = object; }
    void saveWindowPosition();
    QString pathControlValue() const;
    pf::PathControl* pathControl() const;
    PWXLibraryPickerItemView* itemView() const;
    QPushButton* applyButton() const;
    pf::PopUpButton* libraryPopUp() const;

    // History ------------------------------------------------------------------------------------
    const QList<pf::Ref<PWXLibraryPickerHistoryItem>>& backHistory() const { return m_backHistoryBuffer; }
    const QList<pf::Ref<PWXLibraryPickerHistoryItem>>& forwardHistory() const { return m_forwardHistoryBuffer; }
    pf::Menu* backHistoryMenu() const { return m_backHistoryMenu.get(); }
    pf::Menu* forwardHistoryMenu() const { return m_forwardHistoryMenu.get(); }
    bool canGoBack() const;
    bool canGoForward() const;
    void updateHistoryBuffer();
    void validateHistory();
    int numberOfItemsInMenu(pf::Menu& menu) override;
    bool updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel) override;

    // Item browser delegate ----------------------------------------------------------------------
    void itemSelectionChanged(const pf::IndexSet& indexes);
    void sortDescriptorsChanged();
    void editItemsAtIndexes(const pf::IndexSet& indexes);
    QString saveSettingsRootNameForItemViewController() const { return kSettingsRootName; }
    void iconSizingChanged(QSizeF cellSize);
    QSizeF windowWillResize(pf::Window& window, const QSizeF& frameSize) override;
    // The palette comes back where the user last put it.
    void windowDidMove(pf::Window&) override { saveWindowPosition(); }

    // Notifications ------------------------------------------------------------------------------
    void toolDidChange(const pf::Notification& note);
    void toolStyleDidChange(const pf::Notification& note);
    void windowBecameMain(const pf::Notification& note);
    void windowResignedMain(const pf::Notification&) {}
    void categoryContentChanged(const pf::Notification& note);
    void libraryRemovedCategory(const pf::Notification& note);
    void groupContentChanged(const pf::Notification& note);
    void inspectorStyleChanged(const pf::Notification& note);

private:
    void dropCaches();
    void reloadItems();
    void updateSelectionLabel();
    void updateHistoryButtons();
    void restoreHistoryEntry(const pf::Ref<PWXLibraryPickerHistoryItem>& entry, quint64 state);
    void updateLibraryPopUpTitle();
    // The rows of the item browser for a content height: at least one.
    QSizeF frameSizeSnappedToRows(pf::Window& window, const QSizeF& frameSize) const;
    pf::Ref<PWDrawingTool> mainDocumentTool() const;
    void observe();
    void pickSilently(const pf::Ref<PWXLibraryItem>& item);

    QPointer<pf::PopUpButton> m_libraryPopUp;
    QPointer<pf::SearchField> m_filterSearchField;
    QPointer<QPushButton> m_applyToSelectionButton;
    QPointer<pf::PathControl> m_currentLibPathControl;
    QPointer<pf::SegmentedControl> m_historySegmentedControl;
    QPointer<PWXLibraryPickerItemView> m_itemViewController;
    QPointer<QWidget> m_statusBar;
    int m_filterKind = 0;
    QString m_filterString;
    int m_filterStringMode = 0;
    int m_filterScope = 0;
    std::optional<pf::Ref<PWXLibraryPredicate>> m_cachedPredicate;
    std::optional<QList<pf::Ref<PWXLibraryItem>>> m_cachedFilteredItems;
    pf::Ref<PWXLibraryCategory> m_libraryCategory;
    qint64 m_currentClassCode = 0;
    QVariant m_repObject;
    bool m_isSendingSelectionChange = false;
    bool m_statusBarVisible = false;
    std::optional<pf::IndexSet> m_styleIndexesCache, m_symbolIndexesCache;
    quint64 m_maxHistoryLength = 20;
    quint64 m_historyState = 0; // 0 idle, 1 going back, 2 going forward
    QList<pf::Ref<PWXLibraryPickerHistoryItem>> m_backHistoryBuffer, m_forwardHistoryBuffer;
    pf::Ref<pf::Menu> m_backHistoryMenu, m_forwardHistoryMenu;
    pf::Ref<pf::Menu> m_libraryMenu;
    pf::Ref<PWXLibraryItem> m_picked;
    QList<quint64> m_observations;
};
