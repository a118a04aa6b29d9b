#include "app/PWXAboutBox.h"

#include "app/VNQLApplication.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PF_DEFINE_CLASS(PWXAboutBox, pf::Object) {}

namespace {

// Ends the modal run however the window closes.
class AboutDialog : public QDialog {
public:
    std::function<void()> closed;

protected:
    void done(int result) override
    {
        QDialog::done(result);
        if (closed)
            closed();
    }
};

} // namespace

PWXAboutBox::PWXAboutBox()
{
    auto* dialog = new AboutDialog;
    dialog->setWindowTitle(QObject::tr("About %1").arg(VNQLApplication::productName()));
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(dialog);
    auto* icon = new QLabel(dialog);
    icon->setPixmap(QApplication::windowIcon().pixmap(96, 96));
    icon->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(VNQLApplication::productName(), dialog);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    m_versionTextField = new QLabel(versionString(), dialog);
    m_versionTextField->setAlignment(Qt::AlignCenter);
    m_pwVersionTextField = new QLabel(QStringLiteral("PW %1").arg(PWDrawing::penworkVersionString()), dialog);
    m_pwVersionTextField->setHidden(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(icon);
    layout->addWidget(name);
    layout->addWidget(m_versionTextField);
    layout->addWidget(m_pwVersionTextField);
    layout->addWidget(buttons);
    dialog->closed = [this] { endAction(); };
    m_window = dialog;
}

PWXAboutBox::~PWXAboutBox()
{
    delete m_window.data();
}

QString PWXAboutBox::versionString()
{
    const pf::Bundle& bundle = pf::Bundle::main();
    return QStringLiteral("%1 (%2)").arg(bundle.objectForInfoDictionaryKey(QStringLiteral("CFBundleShortVersionString")).toString(),
                                         bundle.objectForInfoDictionaryKey(QStringLiteral("CFBundleVersion")).toString());
}

void PWXAboutBox::runModal()
{
    m_window->adjustSize();
    pf::Application::shared()->runModalForWindow(m_window);
}

void PWXAboutBox::endAction()
{
    if (pf::Application::shared()->modalWindow() == m_window.data())
        pf::Application::shared()->stopModal();
}
