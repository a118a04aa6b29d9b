#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"
#include "platform/ui/WindowController.h"

#include <QPointer>

// The sheet that asks for parallel copies of the selected paths: the offset between copies
// (points; negative goes to the other side), how many, and whether they are smoothed. On OK
// it hands them to its delegate's "parallelCopyWithOffset:numberOfCopies:smooth:" when the
// delegate answers it. OK is enabled only while both fields hold usable values.
class CVLParallelDuplicateController : public pf::WindowController, public pf::TextFieldDelegate {
    PF_CLASS(CVLParallelDuplicateController)
public:
    static inline const QString kNibName = QStringLiteral("CartavelParallelDuplicateDialog");
    static constexpr int kDefaultCopies = 1;
    static constexpr double kDefaultOffset = 30.0;

    CVLParallelDuplicateController();

    // Begins the sheet on `window`; the delegate is not retained.
    void beginParallelDuplicateDialogOnParent(QWidget* window, const pf::Ref<pf::Object>& delegate);

    void okAction(const QVariant& sender);
    void cancelAction(const QVariant& sender);
    void sheetDidEnd(const QVariant& sheet, int returnCode, const QVariant& contextInfo);
    bool checkOKButton();

    void loadWindow() override;
    void windowDidLoad() override;
    void controlTextDidChange(pf::TextField& field) override;

    pf::TextField* offsetTextField() const { return mOffsetTextField; }
    pf::TextField* copiesTextField() const { return mCopiesTextField; }
    pf::Button* smoothCheckbox() const { return mSmoothCheckbox; }
    pf::Button* okButton() const { return mOKButton; }

private:
    QPointer<pf::TextField> mOffsetTextField;
    QPointer<pf::TextField> mCopiesTextField;
    QPointer<pf::Button> mSmoothCheckbox;
    QPointer<pf::Button> mOKButton;
    pf::Weak<pf::Object> mDelegateRef;
};
