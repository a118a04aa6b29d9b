#include "app/ApplicationDelegate+QuilloryActions.h"

#include "app/CVLPrefsController.h"
#include "app/QLRYVideoSplashController.h"
#include "app/RVCartavelDocument.h"
#include "app/VNQLApplicationMigrator.h"
#include "app/VNQLHelpTrampoline.h"
#include "platform/foundation/Class.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Event.h"
#include "platform/ui/MenuItem.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace {

// A sender's title: a menu item's, a button's or a string given as is.
QString titleOf(const QVariant& sender)
{
    if (sender.typeId() == QMetaType::QString)
        return sender.toString();
    if (pf::Ref<pf::MenuItem> item = pf::objectCast<pf::MenuItem>(sender))
        return item->title();
    if (auto* object = sender.value<QObject*>()) {
        const QVariant text = object->property("text");
        if (text.isValid())
            return text.toString();
    }
    return {};
}

const QString kQualityModulationDefault = QStringLiteral("RVInkfold_defaultQualityModulationFlag");
const QString kWillTerminateNotification = QStringLiteral("NSApplicationWillTerminateNotification");

// Whether the delegate runs these launch steps itself.
bool delegateRunsLaunchSteps(const pf::Notification& notification)
{
    auto* application = dynamic_cast<pf::Application*>(notification.object);
    pf::ApplicationDelegate* delegate = application ? application->delegate() : nullptr;
    return !delegate || delegate->respondsTo(QStringLiteral("willDisplayWelcomeVideoAtLaunch"));
}

// Holding exactly Shift and Alt at launch is the user's debug mode, which skips the migration.
bool isUserDebugMode()
{
    const unsigned keys = pf::ShiftKeyMask | pf::AlternateKeyMask | pf::ControlKeyMask | pf::CommandKeyMask;
    return (pf::Event::currentModifierFlags() & keys) == (pf::ShiftKeyMask | pf::AlternateKeyMask);
}

void installLaunchSteps()
{
    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    center.addObserver(pf::NSApplicationWillFinishLaunchingNotification, nullptr, [](const pf::Notification& notification) {
        if (delegateRunsLaunchSteps(notification))
            return;
        // The quality setting of the preferences is the document class's, kept from one run
        // to the next.
        RVCartavelDocument::setDefaultQualityModulation(pf::UserDefaults::standard().boolForKey(kQualityModulationDefault));
        if (!isUserDebugMode())
            VNQLApplicationMigrator::migrateFromEarlierVersion();
    });
    center.addObserver(kWillTerminateNotification, nullptr, [](const pf::Notification& notification) {
        if (!delegateRunsLaunchSteps(notification))
            pf::UserDefaults::standard().setBool(RVCartavelDocument::defaultQualityModulation(), kQualityModulationDefault);
    });
    center.addObserver(pf::NSApplicationDidFinishLaunchingNotification, nullptr, [](const pf::Notification& notification) {
        if (delegateRunsLaunchSteps(notification) || !QLRYVideoSplashController::shouldDisplayWelcomeVideoAtLaunch())
            return;
        QTimer::singleShot(ApplicationDelegateQuilloryActions::kWelcomeDelayMilliseconds, qApp, [] {
            if (pf::Application* application = pf::Application::shared())
                application->sendAction(QStringLiteral("showWelcomeToQuillory:"), nullptr, QVariant());
        });
    });
}

// Runs with the program's static set-up, before any delegate is made, so the operations are
// there from the first event on.
const bool g_installed = [] {
    ApplicationDelegateQuilloryActions::install();
    return true;
}();

} // namespace

void ApplicationDelegateQuilloryActions::install()
{
    pf::Class& delegate = pf::ApplicationDelegate::staticClass();
    delegate.addMethod(QStringLiteral("showHelpItemNamed:"), [](pf::Reflective&, const QVariantList& args) {
        VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(args.value(0).toString());
        return QVariant();
    });
    delegate.addMethod(QStringLiteral("showHelpItemWithTitleOfSender:"), [](pf::Reflective&, const QVariantList& args) {
        VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(titleOf(args.value(0)));
        return QVariant();
    });
    delegate.addMethod(QStringLiteral("showHelp:"), [](pf::Reflective&, const QVariantList&) {
        VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(kContentsIdentifier);
        return QVariant();
    });
    delegate.addMethod(QStringLiteral("openPreferences:"), [](pf::Reflective&, const QVariantList& args) {
        CVLPrefsController::sharedPrefsController()->showWindow(args.value(0));
        return QVariant();
    });
    delegate.addMethod(QStringLiteral("showWelcomeToQuillory:"), [](pf::Reflective&, const QVariantList& args) {
        QLRYVideoSplashController::sharedVideoSplashController()->showWindow(args.value(0));
        return QVariant();
    });
    delegate.addMethod(QStringLiteral("confirmAndDiscardApplicationPreferences"), [](pf::Reflective&, const QVariantList&) {
        return QVariant(ApplicationDelegateQuilloryActions::confirmAndDiscardApplicationPreferences());
    });
    installLaunchSteps();
}

bool ApplicationDelegateQuilloryActions::confirmAndDiscardApplicationPreferences(const std::function<int(pf::Alert&)>& run)
{
    auto alert = std::make_shared<pf::Alert>();
    alert->setMessageText(PF_LOCALIZED("Do you really want to reset all preferences?"));
    alert->setInformativeText(PF_LOCALIZED("This restores everything to its original state as if the application were a new "
                                           "installation. It cannot be undone, and should only be done if absolutely necessary."));
    alert->addButton(PF_LOCALIZED("Reset Preferences"));
    alert->addButton(PF_LOCALIZED("Cancel"));
    const int answer = run ? run(*alert) : alert->runModal();
    if (answer != pf::kAlertFirstButtonReturn)
        return false;
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    defaults.removePersistentDomainForName(defaults.domainName());
    pf::UserDefaults::resetStandardUserDefaults();
    const QString registered = pf::Bundle::main().pathForResource(QStringLiteral("Quillory_defaults"), QStringLiteral("plist"));
    if (!registered.isEmpty())
        pf::UserDefaults::standard().registerDefaultsFromFile(registered);
    return true;
}
