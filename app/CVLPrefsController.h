#pragma once

#include "platform/foundation/Notification.h"
#include "platform/ui/WindowController.h"

#include <QHash>
#include <QPointer>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSpinBox>

// The preferences window. Most settings are class-wide settings of the drawing framework's
// classes (which keep them in the user defaults themselves), read through their getters and
// written through their setters; a few are user defaults the window writes. Every change takes
// effect at once; there is no OK or Cancel. The window reloads whenever the user defaults
// change from elsewhere, leaving alone a field the user is typing in.
class CVLPrefsController : public pf::WindowController {
    PF_CLASS(CVLPrefsController)
public:
    static inline const QString kWindowNibName = QStringLiteral("Preferences(V2)");
    // User defaults this window writes itself.
    static inline const QString kConfirmDirectApplyDefault = QStringLiteral("kCartavelToolsWindowConfirmDirectApply");
    static inline const QString kConfirmCategoryDeleteDefault = QStringLiteral("kPWXLibraryConfirmCategoryDelete");
    static inline const QString kConfirmCategoryCopyDefault = QStringLiteral("kPWXLibraryConfirmCategoryCopy");
    static inline const QString kHideQuitAlertDefault = QStringLiteral("QLRY_HIDE_QUIT_ALERT");
    static inline const QString kReportCrashesDefault = QStringLiteral("CVLQ_Report_Crashes");
    static inline const QString kCentreDocumentViewDefault = QStringLiteral("kCentreDocumentViewDefaultState");
    static inline const QString kKeepUndoOnSaveDefault = QStringLiteral("kPWDocumentDontClearUndoOnSave");
    static inline const QString kStorageClassDefault = QStringLiteral("CVLQ_INTERNAL_STORAGE_CLASS");
    static inline const QString kLionDocumentModelDefault = QStringLiteral("kPWDocumentEnableLionDocumentModel");
    static inline const QString kLayerClippingMenuDefault = QStringLiteral("kVNLayerClippingMenuEnabled");
    static inline const QString kToolStyleBindingDefault = QStringLiteral("kCartavelToolStyleBindingEnabled");

    static pf::Ref<CVLPrefsController> sharedPrefsController();
    static bool sharedPrefsControllerAvailable();
    // Tests: closes and forgets the shared window.
    static void releaseSharedPrefsController();

    CVLPrefsController();
    ~CVLPrefsController() override;

    // Sets every control from the current values.
    void loadSettings();
    void defaultsChanged(const pf::Notification& notification);

    // The check box whose action is `action` ("shareStylesAction:"), for the window's callers.
    QCheckBox* checkbox(const QString& action) const { return mCheckboxes.value(action); }
    QSpinBox* undoLevelsField() const { return mUndoLevelsField; }
    QComboBox* storagePopUp() const { return mStoragePopUp; }
    QComboBox* freehandSmoothnessPopUp() const { return mFreehandPopUp; }
    QComboBox* handleSizePopUp() const { return mHandleSizePopUp; }
    QDoubleSpinBox* shadowZoomLimitField() const { return mShadowLimitField; }

    // Runs the action of the check box named by `action` as though the user had clicked it.
    void performCheckboxAction(const QString& action);

    // Actions of the controls (each reads its control's current state).
    void qualityThrottlingAction(const QVariant& sender = {});
    void enableScrollZoomAction(const QVariant& sender = {});
    void scrollSenseAction(const QVariant& sender = {});
    void trackpadGesturesAction(const QVariant& sender = {});
    void templateChooserStartupAction(const QVariant& sender = {});
    void dragFeedbackEnabledAction(const QVariant& sender = {});
    void textInlineImagesAction(const QVariant& sender = {});
    void centreDocumentViewAction(const QVariant& sender = {});
    void undoAttributeChangesAction(const QVariant& sender = {});
    void toggleAntialiasingAction(const QVariant& sender = {});
    void toggleShadowsAction(const QVariant& sender = {});
    void undoHistoryAction(int levels);
    void keepUndoAfterSaveAction(const QVariant& sender = {});
    void pathEditingPrioritySwitchAction(const QVariant& sender = {});
    void pathAutoCloseAction(const QVariant& sender = {});
    void symbolScalingOptionAction(const QVariant& sender = {});
    void styleDropperResetAction(const QVariant& sender = {});
    void storageTypeAction(int tag);
    void toolStyleBindingAction(const QVariant& sender = {});
    void textEditingReturnKeyAction(const QVariant& sender = {});
    void freehandSmoothnessOption(int tag);
    void handleSizeAction(int tag);
    void shadowZoomScaleEnableAction(const QVariant& sender = {});
    void shadowZoomScaleFactorAction(const QVariant& sender = {});
    void combineEndPointsAction(const QVariant& sender = {});
    void noSVGFilterAction(const QVariant& sender = {});
    void multiLayerSelectionAction(const QVariant& sender = {});
    void snapToGridOnVisibleAction(const QVariant& sender = {});
    void autoActivateLayersAction(const QVariant& sender = {});
    void autoTextEditingAction(const QVariant& sender = {});
    void shareStylesAction(const QVariant& sender = {});
    void stylesSharableByDefaultAction(const QVariant& sender = {});
    void layerClippingEnableAction(const QVariant& sender = {});
    void externaBrowserAction(const QVariant& sender = {});
    void showDimensionsAction(const QVariant& sender = {});
    void showDirectControlsAction(const QVariant& sender = {});
    void autoActivateDrawingLayerAction(bool activate);

    // Buttons.
    void resetAllAlertsAction(const QVariant& sender = {});
    void emptyImageBrowserCacheAction(const QVariant& sender = {});
    void checkDeleteCacheDidEnd(int returnCode);
    void resetPreferencesAction(const QVariant& sender = {});
    void helpActionWithTitleOfSender(const QString& title);

    void loadWindow() override;
    void windowDidLoad() override;

private:
    bool isOn(const QString& action) const;
    void setOn(const QString& action, bool on);
    void setEnabled(const QString& action, bool enabled);

    QHash<QString, QPointer<QCheckBox>> mCheckboxes;
    QPointer<QSpinBox> mUndoLevelsField;
    QPointer<QComboBox> mStoragePopUp;
    QPointer<QComboBox> mFreehandPopUp;
    QPointer<QComboBox> mHandleSizePopUp;
    QPointer<QDoubleSpinBox> mShadowLimitField;
    quint64 mDefaultsObserver = 0;
    bool mLoading = false;
};
