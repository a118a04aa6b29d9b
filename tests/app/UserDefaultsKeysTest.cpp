// User-defaults keys against their literal names: a key misspelt alike where it is written and
// where it is read would pass every round trip, and leave what users set before unread.
#include "app/CVLPrefsController.h"
#include "app/CVLTemplatePickerController.h"
#include "app/QLRYVideoSplashController.h"
#include "app/RVCartavelDocument.h"
#include "app/VNQLAppDelegate.h"
#include "app/VNQLExportOperation.h"
#include "app/VNQLHelpTrampoline.h"
#include "browsers/RVImagePath.h"
#include "browsers/RVMediaBrowserController.h"
#include "drawing/PWXSymbol.h"
#include "drawing/PWXSymbolManager.h"
#include "inspectors/CVLToolsController.h"
#include "inspectors/VNQLGeometryController.h"
#include "inspectors/VNQLLayersController.h"
#include "inspectors/VNQLTabView.h"
#include "inspectors/VNQL_PWTextShapeController.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryPickerPaletteController.h"
#include "styleeditor/VNQLStyleEditorController.h"
#include "widgets/RVAugmentedTextField.h"

#include <gtest/gtest.h>

namespace {

TEST(UserDefaultsKeys, EveryKeyIsSpeltAsItsLiteralName)
{
    const std::pair<const QString&, const char*> keys[] = {
        {kCartavelToolStyleBindingEnabled, "kCartavelToolStyleBindingEnabled"},
        {CVLPrefsController::kCentreDocumentViewDefault, "kCentreDocumentViewDefaultState"},
        {RVCartavelDocument::kCentreDocumentViewDefaultState, "kCentreDocumentViewDefaultState"},
        {CVLPrefsController::kConfirmCategoryCopyDefault, "kPWXLibraryConfirmCategoryCopy"},
        {CVLPrefsController::kConfirmCategoryDeleteDefault, "kPWXLibraryConfirmCategoryDelete"},
        {CVLPrefsController::kConfirmDirectApplyDefault, "kCartavelToolsWindowConfirmDirectApply"},
        {RVCartavelDocument::kDefaultDrawingScaleDefault, "kPWDocumentDefaultDrawingScale_Cartavel2"},
        {RVCartavelDocument::kDefaultDrawingUnitsDefault, "kPWDocumentDrawingUnitsDefault"},
        {RVCartavelDocument::kDefaultPaperMarginsVisibleDefault, "kPWPaperMarginsVisible"},
        {RVCartavelDocument::kDefaultPrescaleDefault, "kPWDocumentPrescaleDefault"},
        {RVCartavelDocument::kDefaultPrintInfoDefault, "kDefaultPrintInfo"},
        {RVCartavelDocument::kDefaultRestorableStateDefault, "kVNQLDocument_DefaultRestorableState"},
        {RVCartavelDocument::kDefaultSizeDefault, "kPWDocumentDefaultSize"},
        {RVCartavelDocument::kDefaultUnitDisplayOptionDefault, "kPWUnitsDisplayOptions"},
        {PWXLibrary::kDefaultUserLibraryNameDefault, "kPWXLibraryDefaultUserLibraryName"},
        {PWXLibraryPickerPaletteController::kDisplayedCategoryDefault, "CVLQ_PICKER_DISPLAYED_CATEGORY"},
        {PWXLibrary::kDocumentLibsAreTemporaryDefault, "kPWXLibraryDocumentLibsAreTemporary"},
        {RVCartavelDocument::kDontClearUndoOnSaveDefault, "kPWDocumentDontClearUndoOnSave"},
        {VNQLExportOperation::kFolderURLDefault, "kVNQLExportOptionsFolderURL"},
        {PWXLibraryPickerPaletteController::kFrameDefault, "kQLRYLibraryPickerFrame"},
        {PWXLibraryPickerPaletteController::kHideNonMatchingItemsDefault, "kLibraryPickerHideNonMatchingItems"},
        {CVLPrefsController::kHideQuitAlertDefault, "QLRY_HIDE_QUIT_ALERT"},
        {VNQLAppDelegate::kHideQuitAlertKey, "QLRY_HIDE_QUIT_ALERT"},
        {CVLPrefsController::kKeepUndoOnSaveDefault, "kPWDocumentDontClearUndoOnSave"},
        {PWXLibraryPickerPaletteController::kLastSelectionDefault, "CVLQ_LIB_PICKER_LAST_SELECTION"},
        {CVLPrefsController::kLayerClippingMenuDefault, "kVNLayerClippingMenuEnabled"},
        {VNQLAppDelegate::kLayerClippingMenuEnabledKey, "kVNLayerClippingMenuEnabled"},
        {VNQLHelpTrampoline::kOpensInExternalBrowserDefault, "kVNQLHelpOpensInExternalBrowser"},
        {kPWXSymbolManagerDefaultsKey, "PWXSymbolManager_symbolsLibrary"},
        {RVAugmentedTextField::kPopoversEnabledKey, "RVAugmentedTextFieldPopoversEnabled"},
        {kQLRYToolsControllerFrame, "kQLRYToolsControllerFrame"},
        {kQLRYToolsControllerVisible, "kQLRYToolsControllerVisible"},
        {VNQLAppDelegate::kQualityModulationFlagKey, "RVInkfold_defaultQualityModulationFlag"},
        {RVMediaBrowserController::kRVMediaBrowserBookmarkedItems, "kRVMediaBrowserBookmarkedItems"},
        {RVMediaBrowserController::kRVMediaBrowserBookmarkedItems2, "kRVMediaBrowserBookmarkedItems2"},
        {RVMediaBrowserController::kRVMediaBrowserInstalledRootItems, "kRVMediaBrowserInstalledRootItems"},
        {RVMediaBrowserController::kRVMediaBrowserLastFolderPrefsKey, "kRVMediaBrowserLastFolderPrefsKey"},
        {RVMediaBrowserController::kRVMediaBrowserPrefersQL, "kRVMediaBrowserPrefersQL"},
        {RVImagePath::kRVMediaBrowserShowFileExtensions, "kRVMediaBrowserShowFileExtensions"},
        {RVMediaBrowserController::kRVMediaBrowserZoomLevelPrefsKey, "kRVMediaBrowserZoomLevelPrefsKey"},
        {CVLTemplatePickerController::kSelectedFolderBookmarkDefault, "CVLQ_SELECTED_TEMPLATE_BM"},
        {CVLTemplatePickerController::kSelectedFolderIdentifierDefault, "CVLQ_SELECTED_TEMPLATE_IDENTIFIER"},
        {QLRYVideoSplashController::kShowAtLaunchDefault, "kQuilloryWillShowWelcomeVideoAtLaunch"},
        {CVLTemplatePickerController::kShowAtStartupDefault, "CVLQ_SHOW_TEMPLATES_AT_STARTUP"},
        {QLRYVideoSplashController::kShowCloseAlertDefault, "kQuilloryShouldShowWelcomeVideoCloseAlert"},
        {CVLPrefsController::kStorageClassDefault, "CVLQ_INTERNAL_STORAGE_CLASS"},
        {kSymbolsDefaultScaleVisually, "kSymbolsDefaultScaleVisually"},
        {CVLPrefsController::kToolStyleBindingDefault, "kCartavelToolStyleBindingEnabled"},
        {RVCartavelDocument::kUndoAuditDefault, "undo_audit"},
        {kVNQLGeometryControllerUseDrawingUnits, "kVNQLGeometryControllerUseDrawingUnits"},
        {kVNQLHasWYSIWYGFaceMenu, "kVNQLHasWYSIWYGFaceMenu"},
        {kVNQLHasWYSIWYGFontMenu, "kVNQLHasWYSIWYGFontMenu"},
        {kVNQLLayersControllerCompactView, "kVNQLLayersControllerCompactView"},
        {kVNQLLayersControllerShowsGraphicObjects, "kVNQLLayersControllerShowsGraphicObjects"},
        {kVNQLLayersControllerShowsTopLevel, "kVNQLLayersControllerShowsTopLevel"},
        {kVNQLStyleEditorCollapseState, "kVNQLStyleEditorCollapseState"},
        {kVNQLStyleEditorShowsAdornments, "kVNQLStyleEditorShowsAdornments"},
        {kVNQLStyleEditorShowsDrawingUnits, "kVNQLStyleEditorShowsDrawingUnits"},
        {kVNQLTabViewAlignmentPreferencesKey, "kVNQLTabViewAlignmentPreferencesKey"},
        {kVNQLTabViewOptionsPreferencesKey, "kVNQLTabViewOptionsPreferencesKey"},
        {PWXLibraryPickerPaletteController::kVisibleDefault, "kQLRYLibraryPickerVisible"},
        {PWXLibraryPickerPaletteController::kWindowPlacementDefault, "kCartavelLibraryPickerWindowPlacement"},
    };
    for (const auto& [key, literal] : keys)
        EXPECT_EQ(key, QString::fromLatin1(literal));
}

} // namespace
