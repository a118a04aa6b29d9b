#pragma once

#include "platform/ui/Box.h"
#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"
#include "platform/ui/WindowController.h"

#include <QPointF>
#include <QPointer>

// The sheet that asks for a duplication of the selection rotated round a centre: the number of
// copies, the angle between them, whether the copies turn with it, or, for a single object,
// copies fitted round the centre automatically. The centre is typed in (drawing units from the
// grid's origin) or picked by clicking in the drawing. On OK it hands the values to its
// delegate's "doPolarDuplicateCopies:centre:incAngle:rotateCopies:" or
// "doAutoPolarDuplicateWithCentre:"; OK is enabled only while the values it needs are usable
// and no centre is being picked.
class RVPolarDuplicateController : public pf::WindowController, public pf::TextFieldDelegate {
    PF_CLASS(RVPolarDuplicateController)
public:
    static inline const QString kNibName = QStringLiteral("CartavelPolarDuplicateDialog");
    static inline const QString kSheetContext = QStringLiteral("polar_duplication");
    // The "no point" a cancelled centre picking ends with: both coordinates 2^63.
    static constexpr double kNoCoordinate = 9.223372036854775808e18;
    static QPointF noPoint() { return {kNoCoordinate, kNoCoordinate}; }
    // The events the centre picking takes: left mouse down, up and dragged, mouse moved, key down.
    static constexpr unsigned long long kSampleEventMask = 1126;
    static constexpr int kDefaultCopies = 7;
    static constexpr double kDefaultAngle = 45;

    RVPolarDuplicateController();
    ~RVPolarDuplicateController() override;

    // Begins the sheet on `window`; the delegate is not retained.
    void beginPolarDuplicationDialog(QWidget* window, const pf::Ref<pf::Object>& delegate);
    pf::Ref<pf::Object> delegate() const { return mDelegateRef.lock(); }
    void setDelegate(const pf::Ref<pf::Object>& delegate) { mDelegateRef = delegate; }

    // Auto-fit only for exactly one selected object; rotate on, 7 copies, 45 degrees.
    void setup();
    bool checkOKButton();

    void copiesAction(const QVariant& sender);
    void centreAction(const QVariant& sender);
    void autoFitAction(const QVariant& sender);
    void sampleCentrePointModeAction(const QVariant& sender);
    void duplicateAction(const QVariant& sender);
    void cancelAction(const QVariant& sender);
    void angleAction(const QVariant& sender);
    void rotateCopiesAction(const QVariant& sender);
    void sheetDidEnd(const QVariant& sheet, int returnCode, const QVariant& contextInfo);

    // Centre picking.
    bool isSampleMode() const { return mSampleMode; }
    void updateSampleModeAtGridPoint(const QPointF& point);
    // A real point fills the centre fields, noPoint() empties them.
    void endSampleModeAtGridPoint(const QPointF& point);

    void loadWindow() override;
    void windowDidLoad() override;
    void controlTextDidChange(pf::TextField& field) override;

    pf::TextField* angleIncrementTextField() const { return mAngleIncrementTextField; }
    pf::TextField* centreXTextField() const { return mCentreXTextField; }
    pf::TextField* centreYTextField() const { return mCentreYTextField; }
    pf::TextField* copiesTextField() const { return mCopiesTextField; }
    pf::Button* rotateCopiesCheckbox() const { return mRotateCopiesCheckbox; }
    pf::Button* autoFitCircleCheckbox() const { return mAutoFitCircleCheckbox; }
    pf::Button* okButton() const { return mOKButton; }
    pf::Button* cancelButton() const { return mCancelButton; }
    pf::Button* sampleModeButton() const { return mSampleModeButton; }

private:
    void runSampleLoop();
    bool autoFit() const;
    void enableManualSettings(bool enabled);

    QPointer<pf::TextField> mAngleIncrementTextField;
    QPointer<pf::TextField> mCentreXTextField;
    QPointer<pf::TextField> mCentreYTextField;
    QPointer<pf::TextField> mCopiesTextField;
    QPointer<pf::Button> mRotateCopiesCheckbox;
    QPointer<pf::Button> mAutoFitCircleCheckbox;
    QPointer<pf::Button> mOKButton;
    QPointer<pf::Button> mCancelButton;
    QPointer<pf::Box> mManualSettingsBox;
    QPointer<pf::Button> mSampleModeButton;
    pf::Weak<pf::Object> mDelegateRef;
    bool mSampleMode = false;
};
