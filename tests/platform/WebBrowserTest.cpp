// The web panel on the real engine, loading pages from a small HTTP server
// on loopback.
#include "TableSupport.h"
#include "TestSupport.h"

#include "platform/Forms.h"
#include "platform/WebBrowser.h"

#include <QApplication>
#include <QMenu>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

using namespace mj;
using mjtest::PumpUntil;

namespace {

class PanelForm : public Form {
public:
    PanelForm() : Form(QStringLiteral("PanelForm"), ScaleMode::Pixels)
    {
        Move(0, 0, 300 * 15, 300 * 15);
        Panel.Move(10, 20, 200, 150);
    }
    WebBrowser Panel{*this, QStringLiteral("Panel")};
};

class WebPanel : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // CI runs as root, where the engine's sandbox cannot run; the pages
        // come from this test's own server.
        if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }

    void SetUp() override
    {
        server.pages["/page"].body = "<html><body style='background:#00f'>banner</body></html>";
        f = &form<PanelForm>();
        f->Show();
        WebBrowser& p = f->Panel;
        p.OnDocumentComplete = [this] { events.push_back("document"); };
        p.OnDownloadComplete = [this] { events.push_back("download"); };
        p.OnNavigateError = [this] { events.push_back("error"); };
    }

    // Navigates and waits for the end of the navigation; returns the events
    // it raised (all of them come together, from one event).
    std::vector<std::string> NavigateAndWait(const QString& url)
    {
        events.clear();
        f->Panel.Navigate(url);
        EXPECT_TRUE(events.empty()) << "an event was raised inside Navigate";
        EXPECT_TRUE(PumpUntil([this] { return !events.empty(); })) << url.toStdString();
        return events;
    }

    mjtest::PageServer server;
    PanelForm* f = nullptr;
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;
const Events Loaded{"download", "document"};
const Events Failed{"error", "download"};

TEST_F(WebPanel, RefusesEveryAddressButHttpAndHttpsWithoutStartingTheEngine)
{
    const QString refused[] = {
        QString(),
        QStringLiteral("file:///etc/passwd"),
        QStringLiteral("javascript:alert(1)"),
        QStringLiteral("about:blank"),
        QStringLiteral("data:text/html,<b>hi</b>"),
        QStringLiteral("ftp://127.0.0.1/x"),
        QStringLiteral("http:no-host"),
        QStringLiteral("127.0.0.1/page"),
    };
    for (const QString& url : refused) {
        EXPECT_EQ(NavigateAndWait(url), Failed) << url.toStdString();
        EXPECT_EQ(f->Panel.LocationURL(), url);
    }
    EXPECT_EQ(f->Panel.View(), nullptr);
    EXPECT_TRUE(server.requested.isEmpty());
}

TEST_F(WebPanel, AsRootLoadsNothingUnlessTheSandboxIsSwitchedOff)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root cannot run the engine's sandbox";
    // Chromium would end the whole process here; the panel fails instead.
    const QByteArray saved = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    const Events seen = NavigateAndWait(server.Url("/page"));
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", saved);
    EXPECT_EQ(seen, Failed);
    EXPECT_EQ(f->Panel.View(), nullptr);
    EXPECT_TRUE(server.requested.isEmpty());
}

TEST_F(WebPanel, ReportsLoadedAndFailedPagesInTheirOrder)
{
    struct Case {
        QString url;
        Events expected;
    };
    const Case cases[] = {
        {server.Url("/page"), Loaded},
        {server.Url("/missing"), Failed}, // HTTP 404 with a body
        {QStringLiteral("http://127.0.0.1:%1/page").arg(mjtest::FreePort()), Failed},
        {QStringLiteral("HTTP://127.0.0.1:%1/page").arg(QUrl(server.Url("/")).port()), Loaded},
        {QStringLiteral("file:///etc/hostname"), Failed}, // refused with the engine running
        {server.Url("/page"), Loaded},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NavigateAndWait(c.url), c.expected) << c.url.toStdString();
    EXPECT_EQ(server.requested.count("/page"), 3);
    EXPECT_EQ(server.requested.count("/missing"), 1);

    // The engine's view fills the panel, and the page is drawn.
    auto* view = qobject_cast<QWebEngineView*>(f->Panel.View());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->parentWidget(), f->Panel.Widget());
    EXPECT_TRUE(PumpUntil([&] { return view->geometry() == QRect(0, 0, 200, 150); }));
    EXPECT_TRUE(PumpUntil([&] { return f->Grab().pixelColor(110, 95) == QColor(0, 0, 255); }));
    f->SaveImage(mjtest::ArtifactDir() + QStringLiteral("/web-panel.png"));
}

TEST_F(WebPanel, ShowsNoContextMenu)
{
    server.pages["/page"].body =
        "<html><body style='background:#0f0' oncontextmenu=\"document.title='menu'\">x</body></html>";
    ASSERT_EQ(NavigateAndWait(server.Url("/page")), Loaded);
    // The engine routes input to a page only once it has drawn it.
    ASSERT_TRUE(PumpUntil([&] { return f->Grab().pixelColor(110, 95) == QColor(0, 255, 0); }));
    auto* view = qobject_cast<QWebEngineView*>(f->Panel.View());
    QWidget* target = view->focusProxy();
    ASSERT_NE(target, nullptr);

    mjtest::Click(target, QPointF(50, 50), Qt::RightButton);

    // The page saw the right click, and the engine asked for a menu ...
    ASSERT_TRUE(PumpUntil([&] { return view->title() == "menu" && view->lastContextMenuRequest() != nullptr; }));
    // ... which the panel did not show.
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QMenu*>(w) && w->isVisible());
}

TEST_F(WebPanel, OpensNoWindowAndStartsNoDownload)
{
    server.pages["/file"] = {"200 OK", "not a page", "Content-Disposition: attachment; filename=x.bin\r\n"};
    ASSERT_EQ(NavigateAndWait(server.Url("/page")), Loaded);
    QWebEnginePage* page = qobject_cast<QWebEngineView*>(f->Panel.View())->page();
    std::vector<QPointer<QWebEngineDownloadRequest>> downloads;
    QObject::connect(page->profile(), &QWebEngineProfile::downloadRequested,
                     [&](QWebEngineDownloadRequest* d) { downloads.emplace_back(d); });
    const int windows = QApplication::topLevelWidgets().size();

    bool ran = false;
    page->runJavaScript(QStringLiteral("window.open('/popup'); true"), [&](const QVariant&) { ran = true; });
    ASSERT_TRUE(PumpUntil([&] { return ran; }));

    // A page that would be downloaded: the navigation stops, nothing is saved.
    EXPECT_EQ(NavigateAndWait(server.Url("/file")), Events{"download"});
    ASSERT_TRUE(PumpUntil([&] { return !downloads.empty(); }));
    EXPECT_TRUE(PumpUntil([&] { return !downloads[0] || downloads[0]->isFinished(); }));
    if (downloads[0]) {
        EXPECT_EQ(downloads[0]->state(), QWebEngineDownloadRequest::DownloadCancelled);
    }

    EXPECT_EQ(server.requested.count("/popup"), 0);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
    EXPECT_EQ(server.requested.count("/file"), 1);
}

} // namespace
