#pragma once

#include "platform/foundation/Object.h"

#include <QHash>
#include <QString>
#include <QUrl>
#include <QVariantMap>

// Turns a help identifier (what every help button and help menu item names, such as
// "slices-layer" or "the-layers-tab") into the URL of a page of the help guide, through the
// help index among the program's resources, and shows that page in the help window or in the
// user's browser.
//
// The index ("VNQLQuilloryHelpIndex.plist") is a dictionary: "root_url" (where the guide lies;
// a relative one is taken from the folder that holds the index), "guide" (the guide's folder
// under it), "help_fallback" (the page for an identifier nobody lists), "help_title" (the help
// window's title, optional) and "pages", an array of {"page", "anchors", "aliases"}. A name is
// looked up among the aliases, then the anchors (which become the URL's fragment), then the
// page names; when two pages claim one name the later page wins.
class VNQLHelpTrampoline : public pf::Object {
    PF_CLASS(VNQLHelpTrampoline)
public:
    static inline const QString kIndexResourceName = QStringLiteral("VNQLQuilloryHelpIndex");
    static inline const QString kOpensInExternalBrowserDefault = QStringLiteral("kVNQLHelpOpensInExternalBrowser");
    static inline const QString kRootURLKey = QStringLiteral("root_url");
    static inline const QString kGuideKey = QStringLiteral("guide");
    static inline const QString kFallbackKey = QStringLiteral("help_fallback");
    static inline const QString kTitleKey = QStringLiteral("help_title");
    static inline const QString kPagesKey = QStringLiteral("pages");
    static inline const QString kPageKey = QStringLiteral("page");
    static inline const QString kAnchorsKey = QStringLiteral("anchors");
    static inline const QString kAliasesKey = QStringLiteral("aliases");

    // The shared trampoline, loading the index among the resources on first use.
    static pf::Ref<VNQLHelpTrampoline> sharedHelpTrampoline();
    // Tests: replaces the shared trampoline (null forgets it, so the next use loads anew).
    static void setSharedHelpTrampoline(const pf::Ref<VNQLHelpTrampoline>& trampoline);

    // Whether help opens in the user's browser instead of the help window.
    static bool opensInExternalBrowser();
    static void setOpensInExternalBrowser(bool external);

    // Without an index: every lookup yields no URL.
    VNQLHelpTrampoline() = default;
    // Reads the index file; a missing or unreadable file leaves the trampoline without one.
    explicit VNQLHelpTrampoline(const QString& indexPath);
    // Takes an index already read; `baseURL` is the folder a relative root URL is taken from.
    VNQLHelpTrampoline(const QVariant& index, const QUrl& baseURL);

    bool hasIndex() const { return !mHelpIndex.isEmpty(); }
    const QVariantMap& index() const { return mHelpIndex; }

    // The page's URL (with the identifier as fragment when it names an anchor), the fallback
    // page for a name nobody lists, or an empty URL without an index.
    QUrl urlForIdentifier(const QString& identifier) const;
    // The guide's folder.
    QUrl rootURL() const;
    QUrl indexPageURL() const;
    QString helpTitle() const;

    // Shows the page for `identifier`. With no page to show (no index, or a local page that is
    // not there) nothing opens: a log line and a beep. Answers whether a page was shown.
    bool showHelpForIdentifier(const QString& identifier);
    // Asks the application delegate for the help page `identifier` ("showHelpItemNamed:"), as
    // the tabs and sheets do; answers whether the delegate took it.
    static bool showHelpItemNamedByApplicationDelegate(const QString& identifier);
    // Shows a page given by its address (the welcome window's web pages, for instance).
    bool showHelpForURLString(const QString& urlString);

private:
    void loadIndex(const QVariant& index, const QUrl& baseURL);
    bool showURL(const QUrl& url, bool setHomePage);

    QVariantMap mHelpIndex;
    QUrl mBaseURL;
    QHash<QString, QVariantMap> mPagesIndex;
    QHash<QString, QVariantMap> mAnchorsIndex;
    QHash<QString, QVariantMap> mAliasesIndex;
};
