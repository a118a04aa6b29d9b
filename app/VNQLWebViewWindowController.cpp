#include "app/VNQLWebViewWindowController.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/Window.h"
#include "platform/ui/Workspace.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

PF_DEFINE_CLASS(VNQLWebViewWindowController, pf::WindowController)
{
    b.method("homeAction:", &VNQLWebViewWindowController::homeAction);
    b.method("openInExternalBrowserAction:", &VNQLWebViewWindowController::openInExternalBrowserAction);
    b.method("printAction:", &VNQLWebViewWindowController::printAction);
}

namespace {

pf::Ref<VNQLWebViewWindowController>& sharedSlot()
{
    static pf::Ref<VNQLWebViewWindowController> shared;
    return shared;
}

QToolButton* toolButton(const QString& text, const QString& tip, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    return button;
}

} // namespace

pf::Ref<VNQLWebViewWindowController> VNQLWebViewWindowController::sharedWebWindowController()
{
    pf::Ref<VNQLWebViewWindowController>& shared = sharedSlot();
    if (!shared)
        shared = std::make_shared<VNQLWebViewWindowController>();
    return shared;
}

bool VNQLWebViewWindowController::sharedWebWindowControllerAvailable()
{
    return sharedSlot() != nullptr;
}

void VNQLWebViewWindowController::releaseSharedWebWindowController()
{
    if (pf::Ref<VNQLWebViewWindowController> shared = sharedSlot()) {
        sharedSlot().reset();
        if (shared->isWindowLoaded())
            shared->window()->hide();
    }
}

VNQLWebViewWindowController::VNQLWebViewWindowController()
{
    setWindowNibName(kWindowNibName);
}

VNQLWebViewWindowController::~VNQLWebViewWindowController() = default;

QTextBrowser* VNQLWebViewWindowController::webView()
{
    window();
    return mWebView;
}

void VNQLWebViewWindowController::loadWindow()
{
    auto* window = new pf::Window(nullptr, Qt::Window);
    window->setWindowTitle(PF_LOCALIZED("Help"));
    window->resize(760, 640);
    auto* content = new QWidget;
    window->setContentView(content);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(6, 6, 6, 6);

    auto* bar = new QHBoxLayout;
    mBackButton = toolButton(QStringLiteral("\u25C0"), PF_LOCALIZED("Back"), window);
    mForwardButton = toolButton(QStringLiteral("\u25B6"), PF_LOCALIZED("Forward"), window);
    auto* home = toolButton(PF_LOCALIZED("Contents"), PF_LOCALIZED("The help guide's contents"), window);
    auto* larger = toolButton(QStringLiteral("A+"), PF_LOCALIZED("Larger Text"), window);
    auto* smaller = toolButton(QStringLiteral("A\u2212"), PF_LOCALIZED("Smaller Text"), window);
    auto* external = toolButton(PF_LOCALIZED("Open in Browser"), PF_LOCALIZED("Open this page in your web browser"), window);
    auto* print = toolButton(PF_LOCALIZED("Print\u2026"), PF_LOCALIZED("Print this page"), window);
    mLoadingProgress = new QProgressBar(window);
    mLoadingProgress->setRange(0, 1);
    mLoadingProgress->setMaximumWidth(60);
    mLoadingProgress->setTextVisible(false);
    mLoadingProgress->setVisible(false);
    mSearchField = new QLineEdit(window);
    mSearchField->setPlaceholderText(PF_LOCALIZED("Find in Page"));
    mSearchField->setClearButtonEnabled(true);
    mSearchField->setMaximumWidth(200);
    for (QWidget* widget : {static_cast<QWidget*>(mBackButton.data()), static_cast<QWidget*>(mForwardButton.data()),
                            static_cast<QWidget*>(home), static_cast<QWidget*>(larger), static_cast<QWidget*>(smaller)})
        bar->addWidget(widget);
    bar->addStretch(1);
    bar->addWidget(mLoadingProgress);
    bar->addWidget(external);
    bar->addWidget(print);
    bar->addWidget(mSearchField);
    layout->addLayout(bar);

    mWebView = new QTextBrowser(window);
    // Links to the web go to the user's browser; the guide's own links stay here.
    mWebView->setOpenLinks(false);
    layout->addWidget(mWebView, 1);

    QObject::connect(mBackButton, &QToolButton::clicked, window, [this] { navigationAction(0); });
    QObject::connect(mForwardButton, &QToolButton::clicked, window, [this] { navigationAction(1); });
    QObject::connect(home, &QToolButton::clicked, window, [this] { homeAction(); });
    QObject::connect(larger, &QToolButton::clicked, window, [this] { textSizeAction(0); });
    QObject::connect(smaller, &QToolButton::clicked, window, [this] { textSizeAction(1); });
    QObject::connect(external, &QToolButton::clicked, window, [this] { openInExternalBrowserAction(); });
    QObject::connect(print, &QToolButton::clicked, window, [this] { printAction(); });
    QObject::connect(mSearchField, &QLineEdit::returnPressed, window, [this] { searchAction(); });
    QObject::connect(mWebView, &QTextBrowser::anchorClicked, window, [this](const QUrl& link) {
        const QUrl target = mWebView->source().resolved(link);
        if (!target.isLocalFile()) {
            pf::Workspace::shared().openURL(target);
            return;
        }
        // A link within the page only scrolls; a page of the guide loads.
        if (target.adjusted(QUrl::RemoveFragment) == mWebView->source().adjusted(QUrl::RemoveFragment)) {
            mWebView->setSource(target);
            mURL = target;
            updateNavigation();
            return;
        }
        loadPage(target);
    });
    QObject::connect(mWebView, &QTextBrowser::backwardAvailable, window, [this](bool) { updateNavigation(); });
    QObject::connect(mWebView, &QTextBrowser::forwardAvailable, window, [this](bool) { updateNavigation(); });
    QObject::connect(mWebView, &QTextBrowser::sourceChanged, window, [this](const QUrl& url) {
        mURL = url;
        const QString title = mWebView->documentTitle();
        if (!title.isEmpty() && this->isWindowLoaded())
            this->window()->setWindowTitle(title);
    });
    auto* find = new QShortcut(QKeySequence::Find, window);
    QObject::connect(find, &QShortcut::activated, window, [this] {
        mSearchField->setFocus();
        mSearchField->selectAll();
    });
    setWindow(window);
}

void VNQLWebViewWindowController::windowDidLoad()
{
    if (auto* window = qobject_cast<pf::Window*>(this->window()))
        window->setLevel(pf::kFloatingWindowLevel);
    updateNavigation();
    if (!mURL.isEmpty())
        loadPage(mURL);
}

bool VNQLWebViewWindowController::openURL(const QUrl& url)
{
    mURL = url;
    const bool wasLoaded = isWindowLoaded();
    showWindow({});
    // A window loaded just now has loaded the URL already.
    return wasLoaded ? loadPage(url) : mWebView && mWebView->source() == url;
}

bool VNQLWebViewWindowController::loadPage(const QUrl& url)
{
    if (!mWebView)
        return false;
    didStartProvisionalLoad(url);
    if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isFile()) {
        didFailLoad(QStringLiteral("no page at %1").arg(url.toString()));
        return false;
    }
    didCommitLoad(url);
    mWebView->setSource(url);
    if (mWebView->document()->isEmpty()) {
        didFailLoad(QStringLiteral("page %1 could not be read").arg(url.toString()));
        return false;
    }
    didFinishLoad();
    updateNavigation();
    return true;
}

void VNQLWebViewWindowController::didStartProvisionalLoad(const QUrl& url)
{
    if (mLoadingProgress) {
        mLoadingProgress->setRange(0, 0);
        mLoadingProgress->setVisible(true);
    }
    RVLog(kInfoEvent, QStringLiteral("starting provisional load of %1").arg(url.toString()));
}

void VNQLWebViewWindowController::didCommitLoad(const QUrl& url)
{
    if (_webBusyCount == 0 && mLoadingProgress) {
        mLoadingProgress->setRange(0, 0);
        mLoadingProgress->setVisible(true);
    }
    ++_webBusyCount;
    RVLog(kInfoEvent, QStringLiteral("committed load for %1").arg(url.toString()));
}

void VNQLWebViewWindowController::didFinishLoad()
{
    if (_webBusyCount > 0)
        --_webBusyCount;
    if (_webBusyCount == 0 && mLoadingProgress)
        mLoadingProgress->setVisible(false);
    RVLog(kInfoEvent, QStringLiteral("finished loading"));
}

// A failed load ends like a finished one, so the indicator never spins on for nothing.
void VNQLWebViewWindowController::didFailLoad(const QString& error)
{
    if (_webBusyCount > 0)
        --_webBusyCount;
    if (_webBusyCount == 0 && mLoadingProgress)
        mLoadingProgress->setVisible(false);
    RVLog(kInfoEvent, QStringLiteral("failed to load, error = %1").arg(error));
}

void VNQLWebViewWindowController::navigationAction(int segment)
{
    if (!mWebView)
        return;
    if (segment == 0)
        mWebView->backward();
    else if (segment == 1)
        mWebView->forward();
    updateNavigation();
}

void VNQLWebViewWindowController::homeAction(const QVariant&)
{
    if (mHomePageURL.isEmpty())
        return;
    QUrl home = mHomePageURL;
    // The guide's folder shows its contents page.
    if (home.isLocalFile() && QFileInfo(home.toLocalFile()).isDir())
        home.setPath(home.path() + (home.path().endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/"))
                     + QStringLiteral("index.html"));
    mURL = home;
    loadPage(home);
}

void VNQLWebViewWindowController::textSizeAction(int segment)
{
    if (!mWebView)
        return;
    if (segment == 0)
        mWebView->zoomIn(1);
    else if (segment == 1)
        mWebView->zoomOut(1);
}

bool VNQLWebViewWindowController::searchAction(const QVariant&)
{
    if (!mWebView || !mSearchField)
        return false;
    const QString text = mSearchField->text();
    if (text.isEmpty())
        return false;
    if (mWebView->find(text))
        return true;
    // Wrap around: from the top once more.
    QTextCursor cursor = mWebView->textCursor();
    cursor.movePosition(QTextCursor::Start);
    mWebView->setTextCursor(cursor);
    return mWebView->find(text);
}

void VNQLWebViewWindowController::openInExternalBrowserAction(const QVariant&)
{
    if (!mURL.isEmpty())
        pf::Workspace::shared().openURL(mURL);
}

void VNQLWebViewWindowController::printAction(const QVariant&)
{
    if (!mWebView)
        return;
    QPrinter printer;
    QPrintDialog dialog(&printer, window());
    if (dialog.exec() == QDialog::Accepted)
        mWebView->document()->print(&printer);
}

bool VNQLWebViewWindowController::canGoBack() const
{
    return mWebView && mWebView->isBackwardAvailable();
}

bool VNQLWebViewWindowController::canGoForward() const
{
    return mWebView && mWebView->isForwardAvailable();
}

void VNQLWebViewWindowController::updateNavigation()
{
    if (mBackButton)
        mBackButton->setEnabled(canGoBack());
    if (mForwardButton)
        mForwardButton->setEnabled(canGoForward());
}
