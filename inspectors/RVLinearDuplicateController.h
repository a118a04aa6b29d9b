#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"
#include "platform/ui/WindowController.h"

#include <QPointer>
#include <QSizeF>

// The sheet that asks how many copies of the selection to make and how far apart (x and y, in
// the drawing's units). On OK it hands them to its delegate's
// "doLinearDuplicateCopies:offset:"; OK is enabled only while every field holds a usable
// value (copies a whole number from 1, offsets finite numbers).
class RVLinearDuplicateController : public pf::WindowController, public pf::TextFieldDelegate {
    PF_CLASS(RVLinearDuplicateController)
public:
    static inline const QString kNibName = QStringLiteral("CartavelLinearDuplicateDialog");
    static inline const QString kSheetContext = QStringLiteral("linear_duplication");

    RVLinearDuplicateController();

    // Begins the sheet on `window`; the delegate is not retained.
    void beginLinearDuplicationDialog(QWidget* window, const pf::Ref<pf::Object>& delegate);

    void numberOfCopiesAction(const QVariant& sender);
    void xyOffsetAction(const QVariant& sender);
    void okAction(const QVariant& sender);
    void cancelAction(const QVariant& sender);
    void sheetDidEnd(const QVariant& sheet, int returnCode, const QVariant& contextInfo);

    // Enables OK when the fields hold usable values; answers the new state.
    bool checkOKButton();

    void loadWindow() override;
    void windowDidLoad() override;
    void controlTextDidChange(pf::TextField& field) override;

    pf::TextField* numberOfCopiesTextField() const { return mNumberOfCopiesTextField; }
    pf::TextField* xOffsetTextField() const { return mXOffsetTextField; }
    pf::TextField* yOffsetTextField() const { return mYOffsetTextField; }
    pf::Button* okButton() const { return mOKButton; }

private:
    QPointer<pf::TextField> mNumberOfCopiesTextField;
    QPointer<pf::TextField> mXOffsetTextField;
    QPointer<pf::TextField> mYOffsetTextField;
    QPointer<pf::Button> mOKButton;
    pf::Weak<pf::Object> mDelegateRef;
};
