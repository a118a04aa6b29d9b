#pragma once

#include "styleeditor/RVDashEditView.h"
#include "styleeditor/RVDashEditorDelegate.h"

#include "frameworks/penwork/styles/PWStrokeDash.h"
#include "platform/ui/Button.h"
#include "platform/ui/Matrix.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TextField.h"
#include "platform/ui/WindowController.h"

#include <QPointer>

// The sheet that edits a stroke's dash: up to four mark and space pairs, scaling with the
// line width, the phase, a preview whose handles drag the lengths, and a button that adds the
// dash to the saved dashes. It edits a copy: every change goes to the delegate at once, and
// Cancel hands back the dash it was opened with.
class RVDashEditor : public pf::WindowController, public RVDashEditViewDelegate {
    PF_CLASS(RVDashEditor)
public:
    RVDashEditor();
    ~RVDashEditor() override;

    // The saved dashes' file: "Saved Dashes.dashes" in the application support folder.
    static QString savedDashesPath();
    // Writes the saved dashes there (atomically); false with nothing changed on failure.
    static bool writeSavedDashes(pf::Error* error = nullptr);
    static bool restoreSavedDashes(pf::Error* error = nullptr);

    // Opens the sheet on `parentWindow` (or as a window of its own without one); a dash
    // must be set first, else the default dash is edited.
    void openDashEditorInParentWindow(QWidget* parentWindow, RVDashEditorDelegate* delegate);
    bool isOpen() const { return m_open; }
    // The dash handed in, and the working copy.
    void setDash(const pf::Ref<PWStrokeDash>& dash);
    pf::Ref<PWStrokeDash> dash() const { return mDash; }
    // A copy of the dash being edited, no longer marked as being edited: what a stroke or a
    // saved list is given (null without a dash).
    pf::Ref<PWStrokeDash> finishedDash() const;
    pf::Ref<PWStrokeDash> originalDash() const { return mOriginalDash; }
    void updateForDash();
    // Makes the working copy `count` long (new elements are 1) and shows it.
    void setDashCount(int count);

    // Actions.
    void dashCountMatrixAction(const QVariant& sender);
    void dashValueAction(const QVariant& sender);
    void dashScaleCheckboxAction(const QVariant& sender);
    void dashPhaseSliderAction(const QVariant& sender);
    void registerDashAction(const QVariant& sender);
    void ok(const QVariant& sender);
    void cancel(const QVariant& sender);
    void sheetDidEnd(int returnCode);
    void notifyDelegate();

    void setLineWidth(double width);
    void setLineCapStyle(pf::BezierPath::LineCap cap);
    void setLineJoinStyle(pf::BezierPath::LineJoin join);
    void setLineColour(const pf::Color& colour);

    void dashViewDidChangeDash(RVDashEditView& view) override;
    void drawBackgroundForDashStroke(pf::BezierPath& path) override;

    // Views (tests).
    pf::TextField* patternField(int index) const { return mEF.value(index); }
    pf::Matrix* countMatrix() const { return mDashCountButtonMatrix; }
    pf::Button* scaleCheckbox() const { return mDashScaleCheckbox; }
    pf::Slider* phaseSlider() const { return mPhaseSlider; }
    RVDashEditView* previewView() const { return mDashPreviewEditView; }

private:
    QWidget* makeWindow();

    QList<QPointer<pf::TextField>> mEF;
    QPointer<pf::Matrix> mDashCountButtonMatrix;
    QPointer<pf::Button> mDashScaleCheckbox;
    QPointer<RVDashEditView> mDashPreviewEditView;
    QPointer<pf::Slider> mPhaseSlider;
    QPointer<pf::Button> mAddToRegisteredDashesButton;
    pf::Ref<PWStrokeDash> mDash;
    pf::Ref<PWStrokeDash> mOriginalDash;
    // Whether the dash handed in was none: Cancel then gives none back.
    bool m_startedWithoutDash = false;
    RVDashEditorDelegate* mDelegateRef = nullptr;
    bool m_open = false;
};
