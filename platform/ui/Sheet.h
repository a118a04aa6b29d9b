#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QVariant>

#include <functional>

class QWidget;

namespace pf {

class Reflective;

// Answers of modal runs and sheets. A dialog accepted answers OK, rejected answers Cancel;
// a sheet whose window went away before it was answered ends with Abort.
inline constexpr int kModalResponseOK = 1;
inline constexpr int kModalResponseCancel = 0;
inline constexpr int kModalResponseStop = -1000;
inline constexpr int kModalResponseAbort = -1001;
inline constexpr int kModalResponseContinue = -1002;

// Window-modal dialogs attached to a window. The sheet is shown without decorations, centred
// under the top edge of its window's content and kept there while the window moves or
// resizes; input to the window is blocked meanwhile. A window holds one sheet at a time: a
// sheet begun on a window that already has one waits until that one ends. A sheet may itself
// carry a sheet.
//
// While attached, the sheet is a Qt child of its window; it gets its old parent and flags back
// when it ends, so whoever owns it keeps owning it. When the window is destroyed first, the
// sheet ends with kModalResponseAbort and is left unparented and hidden, never deleted.
class Sheet {
public:
    using Completion = std::function<void(int returnCode)>;

    // Attaches `sheet` (any top-level widget: a QDialog, an alert's box, a panel) to `window`,
    // or queues it behind the window's current sheet. `completion` runs once, after the sheet
    // is detached and hidden. A QDialog that finishes on its own while attached ends the sheet
    // with kModalResponseOK when accepted and kModalResponseCancel otherwise. Raises
    // NSInvalidArgumentException for a null sheet or window, a sheet that is its own window,
    // or a sheet already attached or queued.
    static void beginSheet(QWidget* sheet, QWidget* window, Completion completion);

    // The older form: on end calls delegate->perform(didEndSelector, {sheet, returnCode,
    // contextInfo}), the sheet travelling as a QVariant holding a QWidget*. The delegate is not
    // retained; a delegate destroyed meanwhile is skipped. A null delegate or an empty selector
    // just ends the sheet.
    static void beginSheet(QWidget* sheet, QWidget* window, Reflective* delegate,
                           const QString& didEndSelector, const QVariant& contextInfo);

    // Ends `sheet` with `returnCode`: detaches and hides it, runs its completion and then shows
    // the next sheet queued on the same window. A queued sheet that is ended before it was
    // shown just completes. Does nothing for a widget that is not a sheet (ending twice is
    // harmless).
    static void endSheet(QWidget* sheet, int returnCode);
    static void endSheet(QWidget* sheet) { endSheet(sheet, kModalResponseStop); }

    // The sheet currently shown on `window`, or null.
    static QWidget* attachedSheet(const QWidget* window);
    // The window `sheet` is attached or queued on, or null.
    static QWidget* sheetParent(const QWidget* sheet);
    static bool isSheet(const QWidget* sheet) { return sheetParent(sheet) != nullptr; }

    // Where a sheet of `sheetSize` goes on `window`, in Qt global coordinates: centred
    // horizontally on the content, its top at the content's top edge.
    static QPoint placement(const QWidget* window, const QSize& sheetSize);

private:
    Sheet() = delete;
};

} // namespace pf
