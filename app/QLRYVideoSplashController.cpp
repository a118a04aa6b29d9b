#include "app/QLRYVideoSplashController.h"

#include "app/VNQLHelpTrampoline.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Bundle.h"
#include "widgets/RVSimpleHoverButtonView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QApplication>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

PF_DEFINE_CLASS(QLRYVideoSplashController, pf::WindowController)
{
    b.method("closeWindowAction:", &QLRYVideoSplashController::closeWindowAction);
    b.method("showAtLaunchAction:", &QLRYVideoSplashController::showAtLaunchAction);
    b.method("playMovieAction:", &QLRYVideoSplashController::playMovieAction);
    b.method("webResourceActionWithTagOfSender:", [](QLRYVideoSplashController& self, const QVariantList& args) {
        self.webResourceActionWithTagOfSender(qobject_cast<RVSimpleHoverButtonView*>(args.value(0).value<QWidget*>()));
        return QVariant();
    });
}

namespace {

pf::Ref<QLRYVideoSplashController>& sharedSlot()
{
    static pf::Ref<QLRYVideoSplashController> shared;
    return shared;
}

pf::Ref<pf::Gradient> greyGradient(double start, double end)
{
    return std::make_shared<pf::Gradient>(pf::Color::withWhite(start, 1.0), pf::Color::withWhite(end, 1.0));
}

// A boolean user default that is on until someone turns it off.
bool boolDefaultOn(const QString& key)
{
    const QVariant value = pf::UserDefaults::standard().objectForKey(key);
    return value.isValid() ? pf::UserDefaults::standard().boolForKey(key) : true;
}

} // namespace

pf::Ref<QLRYVideoSplashController> QLRYVideoSplashController::sharedVideoSplashController()
{
    pf::Ref<QLRYVideoSplashController>& shared = sharedSlot();
    if (!shared)
        shared = std::make_shared<QLRYVideoSplashController>();
    return shared;
}

bool QLRYVideoSplashController::sharedVideoSplashControllerAvailable()
{
    return sharedSlot() != nullptr;
}

void QLRYVideoSplashController::releaseSharedVideoSplashController()
{
    if (pf::Ref<QLRYVideoSplashController> shared = sharedSlot()) {
        sharedSlot().reset();
        if (shared->isWindowLoaded())
            shared->window()->hide();
    }
}

bool QLRYVideoSplashController::shouldDisplayWelcomeVideoAtLaunch()
{
    return boolDefaultOn(kShowAtLaunchDefault);
}

pf::Ref<pf::Gradient> QLRYVideoSplashController::version2NormalGradient()
{
    static const pf::Ref<pf::Gradient> gradient = greyGradient(0.175, 0.133);
    return gradient;
}

pf::Ref<pf::Gradient> QLRYVideoSplashController::version2HoverGradient()
{
    static const pf::Ref<pf::Gradient> gradient = greyGradient(0.2, 0.3);
    return gradient;
}

pf::Ref<pf::Gradient> QLRYVideoSplashController::version2PressedGradient()
{
    static const pf::Ref<pf::Gradient> gradient = greyGradient(0.09, 0.125);
    return gradient;
}

QLRYVideoSplashController::QLRYVideoSplashController()
{
    setWindowNibName(kWindowNibName);
}

QLRYVideoSplashController::~QLRYVideoSplashController() = default;

QList<RVSimpleHoverButtonView*> QLRYVideoSplashController::hoverButtons() const
{
    return {mGettingStartedButton, mVectorTutorialsButton, mUserForumButton, mGalleryButton};
}

void QLRYVideoSplashController::loadWindow()
{
    auto* window = new pf::Window(nullptr, Qt::Window);
    window->setWindowTitle(PF_LOCALIZED("Welcome To Quillory"));
    window->setStyleSheet(QStringLiteral("background-color: #2a2a2a; color: #e8e8e8;"));
    auto* content = new QWidget;
    window->setContentView(content);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(14);
    auto* title = new QLabel(PF_LOCALIZED("Welcome to Quillory"), window);
    QFont font = title->font();
    font.setPointSizeF(font.pointSizeF() * 1.8);
    font.setBold(true);
    title->setFont(font);
    layout->addWidget(title);
    mIntroTextField = new QLabel(PF_LOCALIZED("Draw, style and export vector illustrations and maps. "
                                              "Start with the basics, follow a tutorial, or ask other users."),
                                 window);
    mIntroTextField->setWordWrap(true);
    layout->addWidget(mIntroTextField);

    auto* grid = new QGridLayout;
    grid->setSpacing(12);
    auto make = [window](int row, int column, QGridLayout* into) {
        auto* button = new RVSimpleHoverButtonView(QRectF(0, 0, 220, 160), window);
        button->setFixedSize(220, 160);
        into->addWidget(button, row, column);
        return button;
    };
    mGettingStartedButton = make(0, 0, grid);
    mVectorTutorialsButton = make(0, 1, grid);
    mUserForumButton = make(1, 0, grid);
    mGalleryButton = make(1, 1, grid);
    layout->addLayout(grid);

    auto* bottom = new QHBoxLayout;
    mShowAtLaunchCheckbox = new QCheckBox(PF_LOCALIZED("Show this window when Quillory opens"), window);
    mCloseButton = new QPushButton(PF_LOCALIZED("Close"), window);
    mCloseButton->setStyleSheet(QStringLiteral("background-color: #444; padding: 4px 16px;"));
    bottom->addWidget(mShowAtLaunchCheckbox);
    bottom->addStretch(1);
    bottom->addWidget(mCloseButton);
    layout->addLayout(bottom);

    QObject::connect(mCloseButton, &QPushButton::clicked, window, [this] { closeWindowAction(); });
    QObject::connect(mShowAtLaunchCheckbox, &QCheckBox::clicked, window, [this] { showAtLaunchAction(); });
    setWindow(window);
}

void QLRYVideoSplashController::windowDidLoad()
{
    auto* window = qobject_cast<pf::Window*>(this->window());
    // Every way of closing the window goes through the closing hint.
    if (window)
        window->setCloseButtonAction(this, QStringLiteral("closeWindowAction:"));
    struct Setup {
        RVSimpleHoverButtonView* button;
        int tag;
        const char* image;
        QString url;
    };
    const Setup setups[] = {
        {mGettingStartedButton, 1, "VN_Welcome-video", kGettingStartedURL},
        {mVectorTutorialsButton, 2, "VN_Welcome-tutorials 3", kTutorialsURL},
        {mUserForumButton, 3, "VN_Welcome-forum 4", kUserForumURL},
        {mGalleryButton, 4, "VN_Welcome-help", kUserGuideURL},
    };
    for (const Setup& setup : setups) {
        RVSimpleHoverButtonView* button = setup.button;
        button->setTag(setup.tag);
        button->setTarget(this);
        button->setAction(QStringLiteral("webResourceActionWithTagOfSender:"));
        const QString name = QString::fromUtf8(setup.image);
        QString path = pf::Bundle::main().pathForResource(name, QStringLiteral("pdf"));
        if (path.isEmpty())
            path = pf::Bundle::main().pathForResource(name, QStringLiteral("svg"));
        if (!path.isEmpty())
            button->setContentImageFile(QUrl::fromLocalFile(path));
        button->setRepresentedObject(QUrl(setup.url));
        button->setNormalGradient(version2NormalGradient());
        button->setHoverGradient(version2HoverGradient());
        button->setPressedGradient(version2PressedGradient());
    }
    if (window)
        window->setDelegate(this);
    mShowAtLaunchCheckbox->setChecked(shouldDisplayWelcomeVideoAtLaunch());
    this->window()->adjustSize();
    if (QScreen* screen = this->window()->screen()) {
        QRect frame = this->window()->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        this->window()->move(frame.topLeft());
    }
}

void QLRYVideoSplashController::showWindow(const QVariant& sender)
{
    window();
    if (mShowAtLaunchCheckbox)
        mShowAtLaunchCheckbox->setChecked(shouldDisplayWelcomeVideoAtLaunch());
    pf::WindowController::showWindow(sender);
}

void QLRYVideoSplashController::webResourceActionWithTagOfSender(RVSimpleHoverButtonView* sender)
{
    if (!sender)
        return;
    const QVariant object = sender->representedObject();
    if (object.typeId() == QMetaType::QUrl)
        VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForURLString(object.toUrl().toString());
}

void QLRYVideoSplashController::closeWindowAction(const QVariant&)
{
    if (mCloseAlert)
        return; // the hint is up already
    if (!boolDefaultOn(kShowCloseAlertDefault)) {
        finishClosing();
        return;
    }
    mCloseAlert = std::make_shared<pf::Alert>();
    mCloseAlert->setMessageText(PF_LOCALIZED("Showing \u201CWelcome To Quillory\u201D"));
    mCloseAlert->setInformativeText(
        PF_LOCALIZED("To show this window at any time, choose \u201CWelcome To Quillory\u201D from the Help menu."));
    mCloseAlert->addButton(PF_LOCALIZED("Close"));
    mCloseAlert->setShowsSuppressionButton(true);
    // The alert is still answering its button when the handler runs: the handler takes no
    // hold on it, and letting go of it waits for the next turn of the event loop.
    std::weak_ptr<pf::Alert> weakAlert = mCloseAlert;
    std::weak_ptr<pf::Object> self = weak_from_this();
    mCloseAlert->beginSheetModal(window(), [self, weakAlert](int) {
        const pf::Ref<pf::Alert> alert = weakAlert.lock();
        if (auto controller = std::static_pointer_cast<QLRYVideoSplashController>(self.lock()))
            controller->closeAlertDidEnd(alert && alert->isSuppressed());
    });
}

// The window's close button, Close in the File menu and Ctrl+W all come here.
void QLRYVideoSplashController::close()
{
    closeWindowAction();
}

void QLRYVideoSplashController::closeAlertDidEnd(bool suppressed)
{
    pf::UserDefaults::standard().setBool(!suppressed, kShowCloseAlertDefault);
    if (pf::Ref<pf::Alert> alert = std::exchange(mCloseAlert, nullptr))
        QTimer::singleShot(0, qApp, [alert] {});
    finishClosing();
}

void QLRYVideoSplashController::finishClosing()
{
    if (isWindowLoaded())
        window()->hide();
    pf::NotificationCenter::defaultCenter().post(kDismissedNotification, this);
}

void QLRYVideoSplashController::showAtLaunchAction(const QVariant&)
{
    if (!mShowAtLaunchCheckbox)
        return;
    pf::UserDefaults::standard().setBool(mShowAtLaunchCheckbox->isChecked(), kShowAtLaunchDefault);
    mUserHasManuallySetLaunchPreference = true;
}

void QLRYVideoSplashController::windowDidResignKey(pf::Window&)
{
    for (RVSimpleHoverButtonView* button : hoverButtons()) {
        if (button)
            button->setState(RVSimpleHoverButtonView::Normal);
    }
}
