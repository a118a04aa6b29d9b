#include "app/ApplicationDelegate+QuilloryHelp.h"

#include "app/CVLPrefsController.h"
#include "app/QLRYVideoSplashController.h"
#include "app/VNQLHelpTrampoline.h"
#include "platform/foundation/Class.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/MenuItem.h"

#include <QAction>

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

// Runs with the program's static set-up, before any delegate is made, so the operations are
// there from the first event on.
const bool g_installed = [] {
    ApplicationDelegateQuilloryHelp::install();
    return true;
}();

} // namespace

void ApplicationDelegateQuilloryHelp::install()
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
}
