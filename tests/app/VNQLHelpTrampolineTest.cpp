#include "app/ApplicationDelegate+QuilloryActions.h"
#include "app/VNQLHelpTrampoline.h"
#include "app/VNQLWebViewWindowController.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Bundle.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

using pf::Ref;

QVariantMap page(const QString& name, const QStringList& anchors, const QStringList& aliases)
{
    return {{QStringLiteral("page"), name},
            {QStringLiteral("anchors"), QVariant(anchors).toList()},
            {QStringLiteral("aliases"), QVariant(aliases).toList()}};
}

// Pages: "a.html" (alias "shared", anchor "deep"), "b.html" (anchor "shared", alias "twice"),
// "c.html" (alias "twice", anchor "again"), "d.html" (anchor "again", page name "a.html" again
// is not repeated) and the fallback "index.html".
QVariantMap fixtureIndex()
{
    return {{QStringLiteral("root_url"), QStringLiteral("https://help.example.org/root")},
            {QStringLiteral("guide"), QStringLiteral("Guide")},
            {QStringLiteral("help_fallback"), QStringLiteral("index.html")},
            {QStringLiteral("pages"),
             QVariantList{page(QStringLiteral("a.html"), {QStringLiteral("deep")}, {QStringLiteral("shared")}),
                          page(QStringLiteral("b.html"), {QStringLiteral("shared")}, {QStringLiteral("twice")}),
                          page(QStringLiteral("c.html"), {QStringLiteral("again")}, {QStringLiteral("twice")}),
                          page(QStringLiteral("d.html"), {QStringLiteral("again")}, {})}}};
}

class HelpTrampolineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::UserDefaults::standard().removeObjectForKey(QStringLiteral("kVNQLHelpOpensInExternalBrowser"));
        VNQLWebViewWindowController::releaseSharedWebWindowController();
    }
    void TearDown() override
    {
        pf::UserDefaults::standard().removeObjectForKey(QStringLiteral("kVNQLHelpOpensInExternalBrowser"));
        VNQLWebViewWindowController::releaseSharedWebWindowController();
        VNQLHelpTrampoline::setSharedHelpTrampoline(nullptr);
    }
};

TEST_F(HelpTrampolineTest, LooksUpAliasesThenAnchorsThenPagesAndTheLaterPageWins)
{
    const VNQLHelpTrampoline help(fixtureIndex(), {});
    const QString guide = QStringLiteral("https://help.example.org/root/Guide/");
    const struct {
        const char* identifier;
        QString expected;
    } cases[] = {
        {"shared", guide + QStringLiteral("a.html")},        // an alias beats another page's anchor
        {"deep", guide + QStringLiteral("a.html#deep")},     // an anchor becomes the fragment
        {"b.html", guide + QStringLiteral("b.html")},        // a page by its own name
        {"twice", guide + QStringLiteral("c.html")},         // a repeated alias: the later page
        {"again", guide + QStringLiteral("d.html#again")},   // a repeated anchor: the later page
        {"nobody", guide + QStringLiteral("index.html")},    // unknown: the fallback page
    };
    for (const auto& c : cases)
        EXPECT_EQ(help.urlForIdentifier(QString::fromLatin1(c.identifier)).toString(), c.expected) << c.identifier;
    EXPECT_EQ(help.indexPageURL().toString(), guide);
}

TEST_F(HelpTrampolineTest, AnchorsArePercentEncodedNeverTakenAsSyntax)
{
    QVariantMap index = fixtureIndex();
    index[QStringLiteral("pages")] =
        QVariantList{page(QStringLiteral("a.html"), {QStringLiteral("50% off#now"), QStringLiteral("%41%42")}, {})};
    const VNQLHelpTrampoline help(index, {});
    const QUrl url = help.urlForIdentifier(QStringLiteral("50% off#now"));
    EXPECT_EQ(url.toEncoded(), QByteArray("https://help.example.org/root/Guide/a.html#50%25%20off%23now"));
    EXPECT_EQ(url.fragment(QUrl::FullyDecoded), QStringLiteral("50% off#now"));
    // What looks like an escape in a name is part of the name.
    const QUrl escaped = help.urlForIdentifier(QStringLiteral("%41%42"));
    EXPECT_EQ(escaped.fragment(QUrl::FullyDecoded), QStringLiteral("%41%42"));
    EXPECT_TRUE(escaped.toEncoded().endsWith("#%2541%2542"));
}

TEST_F(HelpTrampolineTest, WithoutAnIndexNothingResolvesAndNothingOpens)
{
    const Ref<VNQLHelpTrampoline> help = std::make_shared<VNQLHelpTrampoline>(QStringLiteral("/nonexistent/index.plist"));
    EXPECT_FALSE(help->hasIndex());
    EXPECT_TRUE(help->urlForIdentifier(QStringLiteral("shared")).isEmpty());
    EXPECT_FALSE(help->showHelpForIdentifier(QStringLiteral("shared")));
    EXPECT_FALSE(VNQLWebViewWindowController::sharedWebWindowControllerAvailable());

    // A damaged index, or one of the wrong shape, is no index either, and pages of the wrong
    // shape are skipped without harm.
    QTemporaryDir folder;
    QFile damaged(folder.filePath(QStringLiteral("index.plist")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("<?xml version=\"1.0\"?><plist><dict><key>pages</key><array>");
    damaged.close();
    EXPECT_FALSE(VNQLHelpTrampoline(damaged.fileName()).hasIndex());
    EXPECT_FALSE(VNQLHelpTrampoline(QVariant(QStringLiteral("pages")), {}).hasIndex());
    QVariantMap odd = fixtureIndex();
    odd[QStringLiteral("pages")] = QVariantList{42, QVariantMap{{QStringLiteral("page"), 7}},
                                                page(QStringLiteral("ok.html"), {}, {QStringLiteral("fine")})};
    EXPECT_TRUE(VNQLHelpTrampoline(odd, {}).urlForIdentifier(QStringLiteral("fine")).toString().endsWith(QStringLiteral("/ok.html")));
}

TEST_F(HelpTrampolineTest, AMissingLocalPageOpensNoWindow)
{
    QTemporaryDir folder;
    QVariantMap index = fixtureIndex();
    index[QStringLiteral("root_url")] = QStringLiteral(".");
    index[QStringLiteral("guide")] = QStringLiteral("Help");
    index[QStringLiteral("pages")] = QVariantList{page(QStringLiteral("gone.html"), {}, {QStringLiteral("gone")})};
    const Ref<VNQLHelpTrampoline> help =
        std::make_shared<VNQLHelpTrampoline>(index, QUrl::fromLocalFile(folder.path() + QLatin1Char('/')));
    EXPECT_EQ(help->urlForIdentifier(QStringLiteral("gone")).toLocalFile(), folder.filePath(QStringLiteral("Help/gone.html")));
    EXPECT_FALSE(help->showHelpForIdentifier(QStringLiteral("gone")));
    EXPECT_FALSE(VNQLWebViewWindowController::sharedWebWindowControllerAvailable());
}

// Records the URLs the desktop is asked to open.
class URLRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

TEST_F(HelpTrampolineTest, TheExternalBrowserPreferenceBypassesTheHelpWindow)
{
    URLRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    const Ref<VNQLHelpTrampoline> help = VNQLHelpTrampoline::sharedHelpTrampoline();
    EXPECT_FALSE(VNQLHelpTrampoline::opensInExternalBrowser());
    VNQLHelpTrampoline::setOpensInExternalBrowser(true);
    EXPECT_TRUE(pf::UserDefaults::standard().boolForKey(QStringLiteral("kVNQLHelpOpensInExternalBrowser")));
    EXPECT_TRUE(help->showHelpForIdentifier(QStringLiteral("the-layers-tab")));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_TRUE(recorder.opened.first().toLocalFile().endsWith(QStringLiteral("Help/layers.html")));
    EXPECT_FALSE(VNQLWebViewWindowController::sharedWebWindowControllerAvailable());
}

TEST_F(HelpTrampolineTest, ShowsThePageInTheHelpWindowWithItsTitleAndHome)
{
    const Ref<VNQLHelpTrampoline> help = VNQLHelpTrampoline::sharedHelpTrampoline();
    ASSERT_TRUE(help->hasIndex());
    ASSERT_TRUE(help->showHelpForIdentifier(QStringLiteral("star")));
    const Ref<VNQLWebViewWindowController> window = VNQLWebViewWindowController::sharedWebWindowController();
    EXPECT_TRUE(window->window()->isVisible());
    EXPECT_EQ(window->URL().fileName(), QStringLiteral("geometry.html"));
    EXPECT_EQ(window->URL().fragment(), QStringLiteral("star"));
    EXPECT_EQ(window->window()->windowTitle(), QStringLiteral("The Geometry Tab"));
    EXPECT_EQ(window->webBusyCount(), 0);

    ASSERT_TRUE(help->showHelpForIdentifier(QStringLiteral("export")));
    EXPECT_TRUE(window->canGoBack());
    window->navigationAction(0);
    EXPECT_EQ(window->URL().fileName(), QStringLiteral("geometry.html"));
    EXPECT_TRUE(window->canGoForward());
    window->navigationAction(1);
    EXPECT_EQ(window->URL().fileName(), QStringLiteral("export.html"));
    window->homeAction();
    EXPECT_EQ(window->URL().fileName(), QStringLiteral("index.html"));
}

TEST_F(HelpTrampolineTest, AFailedLoadLowersTheBusyCount)
{
    const Ref<VNQLWebViewWindowController> window = VNQLWebViewWindowController::sharedWebWindowController();
    QTemporaryDir folder;
    EXPECT_FALSE(window->openURL(QUrl::fromLocalFile(folder.filePath(QStringLiteral("missing.html")))));
    EXPECT_EQ(window->webBusyCount(), 0);
    QFile empty(folder.filePath(QStringLiteral("empty.html")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_FALSE(window->openURL(QUrl::fromLocalFile(empty.fileName())));
    EXPECT_EQ(window->webBusyCount(), 0);
}

TEST_F(HelpTrampolineTest, FindWrapsAroundCaseInsensitively)
{
    ASSERT_TRUE(VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("export")));
    const Ref<VNQLWebViewWindowController> window = VNQLWebViewWindowController::sharedWebWindowController();
    window->searchField()->setText(QStringLiteral("JPEG QUALITY"));
    ASSERT_TRUE(window->searchAction());
    const int first = window->webView()->textCursor().position();
    // The only match again: found by wrapping round from past it.
    ASSERT_TRUE(window->searchAction());
    EXPECT_EQ(window->webView()->textCursor().position(), first);
    window->searchField()->setText(QStringLiteral("no such words anywhere"));
    EXPECT_FALSE(window->searchAction());
}

// Every help identifier the program's sources ask for has a page of its own in the index (not
// the fallback), the page is among the resources, and an anchor is a target in the page.
TEST_F(HelpTrampolineTest, EveryHelpIdentifierTheProgramUsesHasAPage)
{
    const QDir root(QStringLiteral(QUILLORY_FIXTURES_DIR "/../.."));
    const QRegularExpression call(
        QStringLiteral("(?:showHelpForIdentifier|showHelpItemNamedByApplicationDelegate|helpActionWithTitleOfSender)"
                       "\\(QStringLiteral\\(\"([^\"]+)\"\\)|\"showHelpItemNamed:\"\\),\\s*\\{QStringLiteral\\(\"([^\"]+)\"\\)\\}"
                       "|k(?:Contents)Identifier = QStringLiteral\\(\"([^\"]+)\"\\)"
                       "|helpIdentifier\\(\\)[^{;]*\\{\\s*return QStringLiteral\\(\"([^\"]+)\"\\)"));
    // Panes that name their page through helpIdentifier() are found as well.
    EXPECT_EQ(call.match(QStringLiteral("QString helpIdentifier() const override { return QStringLiteral(\"arrow\"); }"))
                  .captured(4),
              QStringLiteral("arrow"));
    QSet<QString> identifiers;
    for (const char* folder : {"app", "drawing", "widgets", "inspectors", "styleeditor", "library", "browsers"}) {
        QDirIterator it(root.filePath(QString::fromLatin1(folder)), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            for (auto match = call.globalMatch(text); match.hasNext();) {
                const QRegularExpressionMatch m = match.next();
                for (int group = 1; group <= 4; ++group)
                    if (!m.captured(group).isEmpty())
                        identifiers.insert(m.captured(group));
            }
        }
    }
    // The tabs, panes and sheets that have help buttons today, at the least.
    for (const char* known : {"the-layers-tab", "the-geometry-tab", "slices-layer", "export", "graph-paper",
                              "Setting_Up_a_New_Drawing", "align-and-distribute-objects", "quillory-help", "preferences"})
        EXPECT_TRUE(identifiers.contains(QString::fromLatin1(known))) << known;

    const Ref<VNQLHelpTrampoline> help = VNQLHelpTrampoline::sharedHelpTrampoline();
    const QUrl fallback = help->urlForIdentifier(QStringLiteral("\x01 nobody"));
    for (const QString& identifier : std::as_const(identifiers)) {
        const QUrl url = help->urlForIdentifier(identifier);
        if (identifier != ApplicationDelegateQuilloryActions::kContentsIdentifier)
            EXPECT_NE(url, fallback) << qPrintable(identifier) << " falls back to the contents";
        QFile page(url.toLocalFile());
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << qPrintable(identifier) << " has no page file";
        const QString html = QString::fromUtf8(page.readAll());
        if (url.hasFragment())
            EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(url.fragment()))) << qPrintable(identifier);
    }
}

// The program's own index: every page it lists is there, and every anchor is a target in its
// page, so that pages to come (the style panes') find their place.
TEST_F(HelpTrampolineTest, TheProgramsIndexListsOnlyPagesAndAnchorsThatExist)
{
    const Ref<VNQLHelpTrampoline> help = VNQLHelpTrampoline::sharedHelpTrampoline();
    const QVariantList pages = help->index().value(QStringLiteral("pages")).toList();
    ASSERT_FALSE(pages.isEmpty());
    const QDir guide(help->rootURL().toLocalFile());
    for (const QVariant& item : pages) {
        const QVariantMap page = item.toMap();
        QFile file(guide.filePath(page.value(QStringLiteral("page")).toString()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(file.fileName());
        const QString html = QString::fromUtf8(file.readAll());
        for (const QVariant& anchor : page.value(QStringLiteral("anchors")).toList())
            EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(anchor.toString())))
                << qPrintable(file.fileName()) << " has no " << qPrintable(anchor.toString());
    }
    EXPECT_TRUE(QFileInfo(guide.filePath(help->index().value(QStringLiteral("help_fallback")).toString())).isFile());
}

} // namespace

#include "VNQLHelpTrampolineTest.moc"
