#include "frameworks/feedback/DMFeedbackController.h"

#include "platform/ui/Application.h"
#include "platform/ui/Workspace.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrlQuery>
#include <QVBoxLayout>

PF_DEFINE_CLASS(DMFeedbackController, pf::Object) {}

pf::Ref<DMFeedbackController> DMFeedbackController::sharedController()
{
    static const pf::Ref<DMFeedbackController> shared = std::make_shared<DMFeedbackController>();
    return shared;
}

DMFeedbackController::~DMFeedbackController()
{
    delete m_window.data();
}

QUrl DMFeedbackController::mailURLForMessage(const QString& replyAddress, const QString& message, const QString& productName)
{
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(kFeedbackAddress);
    QString body = message.trimmed();
    if (!replyAddress.trimmed().isEmpty())
        body += QStringLiteral("\n\nReply to: ") + replyAddress.trimmed();
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"),
                       QUrl::toPercentEncoding(QObject::tr("%1 Feedback").arg(productName)));
    query.addQueryItem(QStringLiteral("body"), QUrl::toPercentEncoding(body));
    url.setQuery(query);
    return url;
}

void DMFeedbackController::makeWindow()
{
    auto* dialog = new QDialog;
    dialog->setWindowTitle(QObject::tr("Send Feedback"));
    auto* layout = new QVBoxLayout(dialog);
    auto* intro = new QLabel(QObject::tr("Tell us what works, what does not and what you miss. Your mail program "
                                         "shows the message before it is sent."),
                             dialog);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    m_replyField = new QLineEdit(dialog);
    m_replyField->setPlaceholderText(QObject::tr("optional"));
    form->addRow(QObject::tr("Your e-mail:"), m_replyField);
    m_messageField = new QPlainTextEdit(dialog);
    m_messageField->setMinimumSize(360, 160);
    form->addRow(QObject::tr("Message:"), m_messageField);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, dialog);
    QPushButton* sendButton = buttons->addButton(QObject::tr("Send"), QDialogButtonBox::AcceptRole);
    sendButton->setObjectName(QStringLiteral("send"));
    sendButton->setEnabled(false);
    QObject::connect(m_messageField.data(), &QPlainTextEdit::textChanged, sendButton, [this, sendButton] {
        sendButton->setEnabled(!m_messageField->toPlainText().trimmed().isEmpty());
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [this] {
        if (send())
            m_window->hide();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::hide);
    layout->addWidget(buttons);
    m_window = dialog;
}

void DMFeedbackController::showFeedbackDialog(const QVariant&, int)
{
    if (!m_window)
        makeWindow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

bool DMFeedbackController::send()
{
    if (!m_messageField || m_messageField->toPlainText().trimmed().isEmpty())
        return false;
    const QString product = QCoreApplication::applicationName().isEmpty() ? QStringLiteral("Quillory")
                                                                          : QCoreApplication::applicationName();
    if (!pf::Workspace::shared().openURL(mailURLForMessage(m_replyField->text(), m_messageField->toPlainText(), product))) {
        pf::Application::beep();
        return false;
    }
    m_messageField->clear();
    return true;
}
