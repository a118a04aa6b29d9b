#pragma once

#include "platform/foundation/Object.h"

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <QUrl>


// The user feedback form. Nothing leaves the machine by itself: sending hands the message to
// the user's mail program, addressed to the maker, where the user sees it before it goes.
class DMFeedbackController : public pf::Object {
    PF_CLASS(DMFeedbackController)
public:
    static inline const QString kFeedbackAddress = QStringLiteral("feedback@quillory.org");

    static pf::Ref<DMFeedbackController> sharedController();
    ~DMFeedbackController() override;

    // Shows the form (made on first use); `mode` is kept for callers that choose a kind of
    // feedback, and every mode shows the same form.
    void showFeedbackDialog(const QVariant& sender, int mode);
    QDialog* window() const { return m_window; }

    // The mail link for a message: the maker's address, a subject naming the program, and the
    // message with the sender's address (when given) as its body.
    static QUrl mailURLForMessage(const QString& replyAddress, const QString& message, const QString& productName);

    // Hands the form's message to the mail program and clears it; false when there is nothing
    // to send or no mail program took it.
    bool send();

private:
    void makeWindow();

    QPointer<QDialog> m_window;
    QPointer<QLineEdit> m_replyField;
    QPointer<QPlainTextEdit> m_messageField;
};
