#pragma once

#include "platform/ui/WindowController.h"

#include <QPointer>
#include <QUrl>

#include <QLineEdit>
#include <QProgressBar>
#include <QTextBrowser>
#include <QToolButton>

// The help window: a floating window that shows the pages of the help guide in a text browser,
// with back and forward, a home button (the guide's index), larger and smaller text, find in
// the page, opening the page in the user's browser, and printing. It keeps its page and history
// while hidden. Pages that are not local files (web pages) go to the user's browser, since the
// window shows only the guide's own HTML.
class VNQLWebViewWindowController : public pf::WindowController {
    PF_CLASS(VNQLWebViewWindowController)
public:
    static inline const QString kWindowNibName = QStringLiteral("VNQLWebViewWindowController");

    static pf::Ref<VNQLWebViewWindowController> sharedWebWindowController();
    // Whether the shared window exists (made by the call above).
    static bool sharedWebWindowControllerAvailable();
    // Tests: closes and forgets the shared window.
    static void releaseSharedWebWindowController();

    VNQLWebViewWindowController();
    ~VNQLWebViewWindowController() override;

    QUrl URL() const { return mURL; }
    void setURL(const QUrl& url) { mURL = url; }
    QUrl homePageURL() const { return mHomePageURL; }
    void setHomePageURL(const QUrl& url) { mHomePageURL = url; }
    qint64 webBusyCount() const { return _webBusyCount; }
    QTextBrowser* webView();

    // Remembers the URL, shows the window and loads the page. Answers whether it loaded.
    bool openURL(const QUrl& url);

    // Actions: segment 0 back / larger, 1 forward / smaller.
    void navigationAction(int segment);
    void homeAction(const QVariant& sender = {});
    void textSizeAction(int segment);
    // Finds the search field's text forwards, case-insensitively, wrapping around.
    bool searchAction(const QVariant& sender = {});
    void openInExternalBrowserAction(const QVariant& sender = {});
    void printAction(const QVariant& sender = {});
    bool canGoBack() const;
    bool canGoForward() const;
    QLineEdit* searchField() const { return mSearchField; }

    void loadWindow() override;
    void windowDidLoad() override;

private:
    bool loadPage(const QUrl& url);
    void didStartProvisionalLoad(const QUrl& url);
    void didCommitLoad(const QUrl& url);
    void didFinishLoad();
    void didFailLoad(const QString& error);
    void updateNavigation();

    QUrl mURL;
    QUrl mHomePageURL;
    qint64 _webBusyCount = 0;
    QPointer<QTextBrowser> mWebView;
    QPointer<QToolButton> mBackButton;
    QPointer<QToolButton> mForwardButton;
    QPointer<QProgressBar> mLoadingProgress;
    QPointer<QLineEdit> mSearchField;
};
