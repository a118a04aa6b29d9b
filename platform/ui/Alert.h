#pragma once

#include "platform/foundation/Object.h"

#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>

class QAbstractButton;
class QCheckBox;
class QMessageBox;
class QPushButton;
class QWidget;

namespace pf {

// Answers of an alert: the first button added answers 1000, the second 1001, and so on.
inline constexpr int kAlertFirstButtonReturn = 1000;
inline constexpr int kAlertSecondButtonReturn = 1001;
inline constexpr int kAlertThirdButtonReturn = 1002;

// Answers of an alert made with Alert::legacy.
inline constexpr int kAlertDefaultReturn = 1;
inline constexpr int kAlertAlternateReturn = 0;
inline constexpr int kAlertOtherReturn = -1;
// An alert that ends without any button pressed (its sheet's window went away) answers the
// modal abort response, which no caller takes for a button.

enum class AlertStyle { Warning = 0, Informational = 1, Critical = 2 };

// A message with up to a few buttons, run application-modally or as a sheet on a window.
// The first button is the default one (Return); a button titled "Cancel" answers Escape.
// With no button added, the alert shows a single "OK".
class Alert : public Object {
    PF_CLASS(Alert)
public:
    Alert();
    ~Alert() override;

    // An alert with the older answers: the default button (1), then the alternate (0) and the
    // other (-1) when their titles are not empty. An empty default title reads "OK".
    static Ref<Alert> legacy(const QString& messageText, const QString& defaultButton,
                             const QString& alternateButton, const QString& otherButton,
                             const QString& informativeText);

    QString messageText() const;
    void setMessageText(const QString& text);
    QString informativeText() const;
    void setInformativeText(const QString& text);

    AlertStyle alertStyle() const { return m_style; }
    void setAlertStyle(AlertStyle style);

    // Adds a button at the end; answers it so callers can change its title or shortcut.
    QPushButton* addButton(const QString& title);
    QList<QPushButton*> buttons() const;
    // The answer `button` gives: 1000 + its index, or the legacy answer.
    int returnCodeForButton(const QPushButton* button) const;

    // A check box below the message ("Do not show this message again" unless retitled). Its
    // state is the caller's to read after the alert ends, whichever button was pressed.
    bool showsSuppressionButton() const { return m_showsSuppression; }
    void setShowsSuppressionButton(bool shows);
    QCheckBox* suppressionButton();
    bool isSuppressed() const;

    // Shows the alert application-modally and answers the button pressed.
    int runModal();

    // Shows the alert as a sheet on `window` and answers through `completion`; the alert stays
    // alive until then. A null window runs it modally and then calls `completion`.
    void beginSheetModal(QWidget* window, std::function<void(int returnCode)> completion);
    // The older form: delegate->perform(didEndSelector, {alert, returnCode, contextInfo}).
    void beginSheetModal(QWidget* window, Reflective* delegate, const QString& didEndSelector,
                         const QVariant& contextInfo);

    // The alert's window (the message box), for callers that order it out themselves.
    QWidget* window();

private:
    QPushButton* addButton(const QString& title, int answer);
    void prepare();
    void beginRun();
    int answerOf(const QAbstractButton* clicked) const;

    QPointer<QMessageBox> m_box;
    QPointer<QCheckBox> m_suppression;
    QList<QPushButton*> m_buttons;
    QList<int> m_answers; // the answer of each button, in order
    AlertStyle m_style = AlertStyle::Warning;
    bool m_showsSuppression = false;
    bool m_running = false;
    bool m_endingSheet = false;
};

} // namespace pf
