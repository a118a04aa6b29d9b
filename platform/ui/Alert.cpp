#include "platform/ui/Alert.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Sheet.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QApplication>

PF_DEFINE_CLASS_NAMED(pf::Alert, pf::Object, "pf::Alert")
{
    b.property("messageText", &pf::Alert::messageText, &pf::Alert::setMessageText);
    b.property("informativeText", &pf::Alert::informativeText, &pf::Alert::setInformativeText);
}

namespace pf {

namespace {

bool isCancelTitle(QString title)
{
    title.remove(QLatin1Char('&'));
    return title.trimmed().compare(QStringLiteral("Cancel"), Qt::CaseInsensitive) == 0;
}

} // namespace

Alert::Alert()
{
    m_box = new QMessageBox;
    m_box->setIcon(QMessageBox::Warning);
    m_box->setTextFormat(Qt::PlainText);
}

Alert::~Alert()
{
    if (m_box && Sheet::isSheet(m_box))
        Sheet::endSheet(m_box, kModalResponseAbort);
    if (m_endingSheet && m_box)
        m_box->deleteLater();
    else
        delete m_box.data();
}

Ref<Alert> Alert::legacy(const QString& messageText, const QString& defaultButton,
                         const QString& alternateButton, const QString& otherButton,
                         const QString& informativeText)
{
    auto alert = std::make_shared<Alert>();
    alert->setMessageText(messageText);
    alert->setInformativeText(informativeText);
    alert->addButton(defaultButton.isEmpty() ? QStringLiteral("OK") : defaultButton, kAlertDefaultReturn);
    if (!alternateButton.isEmpty())
        alert->addButton(alternateButton, kAlertAlternateReturn);
    if (!otherButton.isEmpty())
        alert->addButton(otherButton, kAlertOtherReturn);
    return alert;
}

QString Alert::messageText() const
{
    return m_box ? m_box->text() : QString();
}

void Alert::setMessageText(const QString& text)
{
    if (m_box)
        m_box->setText(text);
}

QString Alert::informativeText() const
{
    return m_box ? m_box->informativeText() : QString();
}

void Alert::setInformativeText(const QString& text)
{
    if (m_box)
        m_box->setInformativeText(text);
}

void Alert::setAlertStyle(AlertStyle style)
{
    m_style = style;
    if (!m_box)
        return;
    switch (style) {
    case AlertStyle::Warning:
        m_box->setIcon(QMessageBox::Warning);
        break;
    case AlertStyle::Informational:
        m_box->setIcon(QMessageBox::Information);
        break;
    case AlertStyle::Critical:
        m_box->setIcon(QMessageBox::Critical);
        break;
    }
}

QPushButton* Alert::addButton(const QString& title)
{
    return addButton(title, kAlertFirstButtonReturn + int(m_buttons.size()));
}

QPushButton* Alert::addButton(const QString& title, int answer)
{
    auto* button = new QPushButton(title);
    // Roles keep the box from reordering the buttons by kind: the order is the caller's.
    const bool cancel = isCancelTitle(title);
    m_box->addButton(button, cancel ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    if (m_buttons.isEmpty())
        m_box->setDefaultButton(button);
    if (cancel)
        m_box->setEscapeButton(button);
    m_buttons.append(button);
    m_answers.append(answer);
    return button;
}

QList<QPushButton*> Alert::buttons() const
{
    return m_buttons;
}

int Alert::returnCodeForButton(const QPushButton* button) const
{
    const auto index = m_buttons.indexOf(const_cast<QPushButton*>(button));
    return index < 0 ? kModalResponseAbort : m_answers.at(index);
}

int Alert::answerOf(const QAbstractButton* clicked) const
{
    return returnCodeForButton(qobject_cast<const QPushButton*>(clicked));
}

void Alert::setShowsSuppressionButton(bool shows)
{
    m_showsSuppression = shows;
    if (shows)
        suppressionButton();
    if (m_suppression)
        m_suppression->setVisible(shows);
}

QCheckBox* Alert::suppressionButton()
{
    if (!m_suppression && m_box) {
        m_suppression = new QCheckBox(QStringLiteral("Do not show this message again"));
        m_box->setCheckBox(m_suppression);
        m_suppression->setVisible(m_showsSuppression);
    }
    return m_suppression;
}

bool Alert::isSuppressed() const
{
    return m_suppression && m_suppression->isChecked();
}

QWidget* Alert::window()
{
    return m_box;
}

void Alert::prepare()
{
    if (m_buttons.isEmpty())
        addButton(QStringLiteral("OK"));
    if (m_suppression)
        m_suppression->setVisible(m_showsSuppression);
}

void Alert::beginRun()
{
    if (m_running)
        raise(NSInternalInconsistencyException, QStringLiteral("The alert is already showing"));
    if (!m_box)
        raise(NSInternalInconsistencyException, QStringLiteral("The alert's window is gone"));
    prepare();
}

int Alert::runModal()
{
    beginRun();
    m_running = true;
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{m_running};
    m_box->setWindowModality(Qt::ApplicationModal);
    PresentationHook::presented(m_box);
    m_box->exec();
    return m_box ? answerOf(m_box->clickedButton()) : kModalResponseAbort;
}

void Alert::beginSheetModal(QWidget* window, std::function<void(int returnCode)> completion)
{
    if (!window) {
        const int code = runModal();
        if (completion)
            completion(code);
        return;
    }
    beginRun();
    m_running = true;
    // Keeps the alert alive until it has answered, as the caller may drop it at once.
    Ref<Object> keep = weak_from_this().lock();
    QPointer<QMessageBox> box = m_box;
    auto clicked = std::make_shared<QMetaObject::Connection>();
    *clicked = QObject::connect(m_box, &QMessageBox::buttonClicked, m_box, [this, box](QAbstractButton* button) {
        Sheet::endSheet(box, answerOf(button));
    });
    Sheet::beginSheet(m_box, window, [this, keep, clicked, completion = std::move(completion)](int code) mutable {
        QObject::disconnect(*clicked);
        m_running = false;
        if (completion)
            completion(code);
        // This runs inside the box's own button signal: if letting go ends the alert, the box
        // must outlive the signal.
        m_endingSheet = true;
        Ref<Object> release = std::move(keep);
        if (!release || release.use_count() > 1)
            m_endingSheet = false;
    });
}

void Alert::beginSheetModal(QWidget* window, Reflective* delegate, const QString& didEndSelector,
                            const QVariant& contextInfo)
{
    std::function<void(int)> completion;
    if (delegate && !didEndSelector.isEmpty()) {
        std::weak_ptr<void> alive = delegate->livenessToken();
        std::weak_ptr<Object> self = weak_from_this();
        completion = [alive, self, delegate, didEndSelector, contextInfo](int code) {
            if (alive.expired())
                return;
            delegate->perform(didEndSelector, {toVariant(self.lock()), code, contextInfo});
        };
    }
    beginSheetModal(window, std::move(completion));
}

} // namespace pf
