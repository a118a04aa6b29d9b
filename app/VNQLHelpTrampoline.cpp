#include "app/VNQLHelpTrampoline.h"

#include "app/VNQLWebViewWindowController.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/Workspace.h"

#include <QDir>
#include <QFileInfo>

PF_DEFINE_CLASS(VNQLHelpTrampoline, pf::Object) {}

namespace {

pf::Ref<VNQLHelpTrampoline>& sharedSlot()
{
    static pf::Ref<VNQLHelpTrampoline> shared;
    return shared;
}

QStringList stringsOf(const QVariant& value)
{
    QStringList out;
    if (value.typeId() != QMetaType::QVariantList && value.typeId() != QMetaType::QStringList)
        return out;
    for (const QVariant& item : value.toList()) {
        if (item.typeId() == QMetaType::QString && !item.toString().isEmpty())
            out.append(item.toString());
    }
    return out;
}

QString stringOf(const QVariantMap& map, const QString& key)
{
    const QVariant value = map.value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

// `folder` with `name` appended to its path; `name` may hold its own folders.
QUrl appending(const QUrl& folder, const QString& name)
{
    QUrl url = folder;
    QString path = url.path();
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    url.setPath(path + name);
    return url;
}

} // namespace

pf::Ref<VNQLHelpTrampoline> VNQLHelpTrampoline::sharedHelpTrampoline()
{
    pf::Ref<VNQLHelpTrampoline>& shared = sharedSlot();
    if (!shared)
        shared = std::make_shared<VNQLHelpTrampoline>(
            pf::Bundle::main().pathForResource(kIndexResourceName, QStringLiteral("plist")));
    return shared;
}

void VNQLHelpTrampoline::setSharedHelpTrampoline(const pf::Ref<VNQLHelpTrampoline>& trampoline)
{
    sharedSlot() = trampoline;
}

bool VNQLHelpTrampoline::opensInExternalBrowser()
{
    return pf::UserDefaults::standard().boolForKey(kOpensInExternalBrowserDefault);
}

void VNQLHelpTrampoline::setOpensInExternalBrowser(bool external)
{
    pf::UserDefaults::standard().setBool(external, kOpensInExternalBrowserDefault);
}

VNQLHelpTrampoline::VNQLHelpTrampoline(const QString& indexPath)
{
    if (indexPath.isEmpty() || !QFileInfo(indexPath).isFile()) {
        RVLog(kFileEvent, QStringLiteral("no help index found at '%1'").arg(indexPath));
        return;
    }
    pf::Error error;
    const QVariant index = pf::PropertyList::read(indexPath, nullptr, &error);
    if (!index.isValid()) {
        RVLog(kFileEvent, QStringLiteral("help index at '%1' could not be read, error = %2").arg(indexPath, error.description()));
        return;
    }
    loadIndex(index, QUrl::fromLocalFile(QFileInfo(indexPath).absolutePath() + QLatin1Char('/')));
}

VNQLHelpTrampoline::VNQLHelpTrampoline(const QVariant& index, const QUrl& baseURL)
{
    loadIndex(index, baseURL);
}

void VNQLHelpTrampoline::loadIndex(const QVariant& index, const QUrl& baseURL)
{
    if (index.typeId() != QMetaType::QVariantMap)
        return;
    mHelpIndex = index.toMap();
    mBaseURL = baseURL;
    const QVariant pages = mHelpIndex.value(kPagesKey);
    if (pages.typeId() != QMetaType::QVariantList)
        return;
    // In order, so that a later page takes over a name an earlier one claimed.
    for (const QVariant& item : pages.toList()) {
        if (item.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap page = item.toMap();
        const QString name = stringOf(page, kPageKey);
        if (name.isEmpty())
            continue;
        mPagesIndex.insert(name, page);
        for (const QString& anchor : stringsOf(page.value(kAnchorsKey)))
            mAnchorsIndex.insert(anchor, page);
        for (const QString& alias : stringsOf(page.value(kAliasesKey)))
            mAliasesIndex.insert(alias, page);
    }
}

QUrl VNQLHelpTrampoline::rootURL() const
{
    if (!hasIndex())
        return {};
    const QString root = stringOf(mHelpIndex, kRootURLKey);
    QUrl url(root);
    // A root without a scheme lies beside the index.
    if (url.scheme().isEmpty())
        url = mBaseURL.isEmpty() ? QUrl::fromLocalFile(QDir::currentPath() + QLatin1Char('/')).resolved(QUrl(root))
                                 : mBaseURL.resolved(QUrl(root));
    const QString guide = stringOf(mHelpIndex, kGuideKey);
    QUrl guideURL = guide.isEmpty() ? url : appending(url, guide);
    if (!guideURL.path().endsWith(QLatin1Char('/')))
        guideURL.setPath(guideURL.path() + QLatin1Char('/'));
    return guideURL;
}

QUrl VNQLHelpTrampoline::indexPageURL() const
{
    return rootURL();
}

QString VNQLHelpTrampoline::helpTitle() const
{
    const QString title = stringOf(mHelpIndex, kTitleKey);
    return title.isEmpty() ? PF_LOCALIZED("Help") : title;
}

QUrl VNQLHelpTrampoline::urlForIdentifier(const QString& identifier) const
{
    if (!hasIndex())
        return {};
    bool isAnchor = false;
    const QVariantMap* page = nullptr;
    if (auto it = mAliasesIndex.constFind(identifier); it != mAliasesIndex.constEnd()) {
        page = &*it;
    } else if (auto anchor = mAnchorsIndex.constFind(identifier); anchor != mAnchorsIndex.constEnd()) {
        page = &*anchor;
        isAnchor = true;
    } else if (auto named = mPagesIndex.constFind(identifier); named != mPagesIndex.constEnd()) {
        page = &*named;
    }
    const QUrl guide = rootURL();
    QUrl url;
    if (page) {
        url = appending(guide, stringOf(*page, kPageKey));
        // Decoded mode: a '#', '%' or space in the name is encoded, never taken as syntax.
        if (isAnchor)
            url.setFragment(identifier, QUrl::DecodedMode);
    } else {
        const QString fallback = stringOf(mHelpIndex, kFallbackKey);
        url = fallback.isEmpty() ? QUrl() : appending(guide, fallback);
    }
    RVLog(kInfoEvent, QStringLiteral("help requested for '%1', URL=%2").arg(identifier, url.toString()));
    return url;
}

bool VNQLHelpTrampoline::showHelpForIdentifier(const QString& identifier)
{
    const QUrl url = urlForIdentifier(identifier);
    if (url.isEmpty()) {
        RVLog(kInfoEvent, QStringLiteral("no help page for '%1'").arg(identifier));
        pf::Application::beep();
        return false;
    }
    return showURL(url, true);
}

bool VNQLHelpTrampoline::showHelpItemNamedByApplicationDelegate(const QString& identifier)
{
    pf::Application* application = pf::Application::shared();
    pf::ApplicationDelegate* delegate = application ? application->delegate() : nullptr;
    if (!delegate || !delegate->respondsTo(QStringLiteral("showHelpItemNamed:")))
        return false;
    delegate->perform(QStringLiteral("showHelpItemNamed:"), {identifier});
    return true;
}

bool VNQLHelpTrampoline::showHelpForURLString(const QString& urlString)
{
    RVLog(kInfoEvent, QStringLiteral("help requested for direct URL '%1'").arg(urlString));
    const QUrl url(urlString);
    if (urlString.isEmpty() || !url.isValid()) {
        pf::Application::beep();
        return false;
    }
    return showURL(url, false);
}

bool VNQLHelpTrampoline::showURL(const QUrl& url, bool setHomePage)
{
    if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isFile()) {
        RVLog(kInfoEvent, QStringLiteral("help page %1 is missing").arg(url.toString()));
        pf::Application::beep();
        return false;
    }
    // The help window shows the guide's own pages; web pages go to the user's browser.
    if (opensInExternalBrowser() || !url.isLocalFile())
        return pf::Workspace::shared().openURL(url);
    pf::Ref<VNQLWebViewWindowController> window = VNQLWebViewWindowController::sharedWebWindowController();
    if (setHomePage) {
        window->setHomePageURL(indexPageURL());
        window->window()->setWindowTitle(helpTitle());
    }
    return window->openURL(url);
}
