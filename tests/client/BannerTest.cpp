// The table window's two web panels on the real engine, with pages from a
// small HTTP server on loopback: the banner over Bird and the advertisement
// page.
#include "ServerProcess.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"

#include <QFile>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using namespace mj;
using mjtest::PumpUntil;

namespace {

// A loopback address where nothing answers.
QString refusedAddress()
{
    return QStringLiteral("http://127.0.0.1:%1/banner").arg(mjtest::FreePort());
}

class Banner : public ::testing::Test {
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
        // "/banner" and "/ad" are pages; every other path answers 404 with a page.
        for (const char* path : {"/banner", "/ad"})
            server.pages[path].body = "<html><body style='margin:0;background:#f0f'>ad</body></html>";
        ScaleX = ScaleY = 1.0f;
        w = &formWithoutLoadEvent<MainForm>();
        // On screen, so that the engine draws the pages; the window itself
        // only (Form::Show would run the window shell, which needs the hall).
        w->Widget()->show();
        // Counted on the way to the table window's procedures.
        w->WebBrowser1.OnDocumentComplete = [this] { ++documents1; w->WebBrowser1_DocumentComplete(); };
        w->WebBrowser1.OnDownloadComplete = [this] { ++ended1; w->WebBrowser1_DownloadComplete(); };
        w->WebBrowser1.OnNavigateError = [this] { w->WebBrowser1_NavigateError(); };
        w->WebBrowser2.OnDownloadComplete = [this] { ++ended2; w->WebBrowser2_DownloadComplete(); };
        w->WebBrowser2.OnNavigateError = [this] { w->WebBrowser2_NavigateError(); };
    }

    // Sends the banner to `url` and waits for the navigation to end.
    void NavigateBanner(const QString& url)
    {
        const int before = ended1;
        w->WebBrowser1.Navigate(url);
        ASSERT_TRUE(PumpUntil([&] { return ended1 > before; })) << url.toStdString();
    }

    void NavigateAd(const QString& url)
    {
        const int before = ended2;
        w->WebBrowser2.Navigate(url);
        ASSERT_TRUE(PumpUntil([&] { return ended2 > before; })) << url.toStdString();
    }

    mjtest::PageServer server;
    MainForm* w = nullptr;
    int documents1 = 0, ended1 = 0, ended2 = 0;
};

TEST_F(Banner, ShowsOverBirdOnceItsPageHasLoaded)
{
    w->Bird.Move(700.5, 600.25);
    w->WebBrowser1.Navigate(server.Url("/banner"));
    EXPECT_FALSE(w->WebBrowser1.Visible()); // Bird shows through until then

    ASSERT_TRUE(PumpUntil([&] { return w->WebBrowser1.Visible(); }));
    EXPECT_EQ(documents1, 1);
    EXPECT_FALSE(BannerFailed);
    EXPECT_DOUBLE_EQ(w->WebBrowser1.Left(), 702.5);
    EXPECT_DOUBLE_EQ(w->WebBrowser1.Top(), 602.25);
    EXPECT_EQ(w->Pic1.DrawingOrder().last(), QStringLiteral("WebBrowser1"));

    // The page itself is drawn over Bird.
    const auto bannerDrawn = [&] {
        const QImage table = w->Pic1.Widget()->grab().toImage();
        const QColor page(255, 0, 255);
        return table.pixelColor(704, 604) == page && table.pixelColor(783, 681) == page;
    };
    EXPECT_TRUE(PumpUntil(bannerDrawn));
    w->SaveImage(mjtest::ArtifactDir() + QStringLiteral("/banner-over-bird.png"));
}

// The browser engine is a module of its own: the program does not load it
// (nor the OpenGL it sets up) until a panel is sent to a page. Once loaded it
// stays for the rest of the process, so this runs as a child of the test
// below, in a process where no earlier test of the same run has loaded it.
TEST_F(Banner, DISABLED_EngineLoadInAFreshProcess)
{
    const auto engineLoaded = [] {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
    };
    ASSERT_FALSE(engineLoaded());
    w->WebBrowser2.Navigate(QStringLiteral("ftp://127.0.0.1/ad")); // refused: no engine needed
    ASSERT_TRUE(PumpUntil([&] { return ended2 == 1; }));
    EXPECT_FALSE(engineLoaded());
    NavigateBanner(server.Url("/banner"));
    EXPECT_TRUE(engineLoaded());
    EXPECT_EQ(documents1, 1);
}

TEST_F(Banner, TheEngineLoadsOnlyAtTheFirstNavigation)
{
    const mjtest::ChildRun run = mjtest::RunTestInChild(QStringLiteral("Banner.DISABLED_EngineLoadInAFreshProcess"),
                                                        QProcessEnvironment::systemEnvironment());
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << qPrintable(run.output);
}

TEST_F(Banner, AFailedBannerStaysHiddenForTheRest)
{
    const QString failures[] = {server.Url("/gone"), refusedAddress(), QStringLiteral("ftp://127.0.0.1/banner")};
    for (const QString& failure : failures) {
        BannerFailed = false;
        NavigateBanner(server.Url("/banner"));
        ASSERT_TRUE(w->WebBrowser1.Visible());

        NavigateBanner(failure);
        EXPECT_FALSE(w->WebBrowser1.Visible()) << failure.toStdString();
        EXPECT_TRUE(BannerFailed);

        // A later page of the banner completes, and the banner stays away.
        const int documents = documents1;
        NavigateBanner(server.Url("/banner"));
        EXPECT_EQ(documents1, documents + 1);
        EXPECT_FALSE(w->WebBrowser1.Visible()) << failure.toStdString();
    }
}

TEST_F(Banner, TheAdvertisementPageHidesOnErrorOnly)
{
    const QString failures[] = {server.Url("/gone.gamead"), refusedAddress(), QString()};
    for (const QString& failure : failures) {
        w->WebBrowser2.SetVisible(true);
        NavigateAd(failure);
        EXPECT_FALSE(w->WebBrowser2.Visible()) << failure.toStdString();

        // Its callers may show it again, and a page that loads keeps it shown.
        w->WebBrowser2.SetVisible(true);
        NavigateAd(server.Url("/ad"));
        EXPECT_TRUE(w->WebBrowser2.Visible());
    }
    EXPECT_FALSE(BannerFailed);
}

} // namespace
