// Forms: loading on first use, unloading, geometry in twips, Resize, window
// styles, grabbing; and the injectable screen size.
#include "TableSupport.h"
#include "TestSupport.h"

#include "platform/Forms.h"
#include "platform/Screen.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace mj;

namespace {

void flushUnloaded()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct Counts {
    int constructed = 0, destroyed = 0, loads = 0, unloads = 0, resizes = 0;
};
Counts counts;

class frmExit : public Form {
public:
    frmExit() : Form(QStringLiteral("frmExit"))
    {
        ++counts.constructed;
        Move(3000, 1500, 4800, 2700);
        Label1.Move(720, 960, 3495, 330);
        Label1.SetCaption(QStringLiteral("您真的要退出吗？"));
        pbCancel.OnClick = [this] { pbCancel_Click(); };
    }
    ~frmExit() override { ++counts.destroyed; }

    void Form_Load() override
    {
        ++counts.loads;
        // Reaching the form by name while it loads gives this same form.
        EXPECT_EQ(&form<frmExit>(), this);
        Label1.SetCaption(Label1.Caption() + QStringLiteral("!"));
    }
    void Form_Unload(int16_t& cancel) override
    {
        ++counts.unloads;
        cancel = keepLoaded ? 1 : 0;
    }
    void Form_Resize() override { ++counts.resizes; }

    void pbCancel_Click()
    {
        unload<frmExit>();
        // The unloaded form may still finish its procedure.
        Label1.SetCaption(QStringLiteral("closed"));
        afterUnload = Label1.Caption();
    }

    Label Label1{*this, QStringLiteral("Label1")};
    Image pbCancel{*this, QStringLiteral("pbCancel")};
    bool keepLoaded = false;
    QString afterUnload;
};

class Forms : public ::testing::Test {
protected:
    void SetUp() override
    {
        DiscardAllForms();
        counts = Counts{};
    }
    void TearDown() override { DiscardAllForms(); }
};

TEST_F(Forms, FormLoadsOnFirstUseOnceAndWithoutShowing)
{
    EXPECT_FALSE(isLoaded<frmExit>());
    // Reading a control loads the form.
    EXPECT_EQ(form<frmExit>().Label1.Caption(), QStringLiteral("您真的要退出吗？!"));
    EXPECT_TRUE(isLoaded<frmExit>());
    frmExit& f = form<frmExit>();
    EXPECT_EQ(counts.constructed, 1);
    EXPECT_EQ(counts.loads, 1);
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(counts.resizes, 0);
    ASSERT_EQ(LoadedForms().size(), 1u);
    EXPECT_EQ(LoadedForms()[0], &f);
}

TEST_F(Forms, UnloadRunsFormUnloadAndTheNextUseLoadsAfresh)
{
    form<frmExit>().Label1.SetCaption(QStringLiteral("changed"));
    unload<frmExit>();
    EXPECT_EQ(counts.unloads, 1);
    EXPECT_FALSE(isLoaded<frmExit>());
    flushUnloaded();
    EXPECT_EQ(counts.destroyed, 1);

    unload<frmExit>(); // not loaded: nothing happens
    EXPECT_EQ(counts.unloads, 1);

    EXPECT_EQ(form<frmExit>().Label1.Caption(), QStringLiteral("您真的要退出吗？!"));
    EXPECT_EQ(counts.loads, 2);
    EXPECT_EQ(counts.constructed, 2);

    // Form_Unload can keep the form loaded.
    form<frmExit>().keepLoaded = true;
    unload<frmExit>();
    EXPECT_TRUE(isLoaded<frmExit>());
    EXPECT_EQ(counts.unloads, 2);
}

TEST_F(Forms, AnEventProcedureMayUnloadItsOwnForm)
{
    frmExit& f = form<frmExit>();
    f.Show();
    f.pbCancel.Move(0, 0, 300, 300);
    QWidget* button = f.pbCancel.Widget();
    mjtest::Click(button, QPointF(2, 2));
    EXPECT_FALSE(isLoaded<frmExit>());
    EXPECT_EQ(f.afterUnload, QStringLiteral("closed"));
    EXPECT_FALSE(f.Widget()->isVisible());
    EXPECT_EQ(counts.destroyed, 0);
    flushUnloaded();
    EXPECT_EQ(counts.destroyed, 1);
}

TEST_F(Forms, ClosingTheWindowUnloadsTheForm)
{
    frmExit& f = form<frmExit>();
    f.Show();
    f.Widget()->close();
    EXPECT_FALSE(isLoaded<frmExit>());
    EXPECT_EQ(counts.unloads, 1);
}

TEST_F(Forms, GeometryIsInScreenTwipsAndReadsBackExactly)
{
    frmExit& f = form<frmExit>();
    f.SetBorderless(true);
    f.Move(1000.5, 22.5, 4800.75, 2700);
    EXPECT_EQ(f.Left(), 1000.5);
    EXPECT_EQ(f.Top(), 22.5);
    EXPECT_EQ(f.Width(), 4800.75);
    EXPECT_EQ(f.Height(), 2700);
    f.Show();
    EXPECT_EQ(f.Widget()->pos(), QPoint(67, 2)); // 66.7 and 1.5 -> 67 and 2
    EXPECT_EQ(f.Widget()->size(), QSize(387 - 67, 182 - 2));
    EXPECT_EQ(f.ScaleWidth(), 4800.75);
    EXPECT_EQ(mjtest::ErrorOf([&] { f.SetWidth(-15); }), ErrInvalidPropertyValue);

    // A move made by the window system (the user dragging it) is read back.
    f.Widget()->move(100, 40);
    EXPECT_EQ(f.Left(), 1500);
    EXPECT_EQ(f.Top(), 600);

    // Centring a dialog over a window as the client does keeps the fraction.
    Form main(QStringLiteral("MainForm"));
    main.Move(0, 0, 15600, 11940);
    f.Move(main.Left() + (main.Width() - f.Width()) / 2, main.Top() + (main.Height() - f.Height()) / 2);
    EXPECT_EQ(f.Left(), (15600 - 4800.75) / 2);
    EXPECT_EQ(f.Top(), (11940 - 2700) / 2.0);
}

TEST_F(Forms, ResizeComesOnFirstShowOnSizeChangesAndOnWindowStateChanges)
{
    frmExit& f = form<frmExit>();
    f.SetWidth(6000); // hidden: no Resize
    EXPECT_EQ(counts.resizes, 0);
    f.Show();
    EXPECT_EQ(counts.resizes, 1);
    f.Hide();
    f.Show(); // shown again: no Resize
    EXPECT_EQ(counts.resizes, 1);
    f.SetHeight(3000);
    EXPECT_EQ(counts.resizes, 2);
    f.SetLeft(15); // a move is no resize
    EXPECT_EQ(counts.resizes, 2);

    f.SetWindowState(1);
    EXPECT_EQ(f.WindowState(), 1);
    EXPECT_EQ(counts.resizes, 3);
    f.SetWindowState(0);
    EXPECT_EQ(f.WindowState(), 0);
    EXPECT_EQ(counts.resizes, 4);
    f.SetWindowState(0); // no change, no event
    EXPECT_EQ(counts.resizes, 4);
    EXPECT_EQ(mjtest::ErrorOf([&] { f.SetWindowState(3); }), ErrInvalidPropertyValue);
}

TEST_F(Forms, WindowStylesKeepTheWindowShown)
{
    frmExit& f = form<frmExit>();
    f.Show();
    // A shown window is restyled as it stands: no new window is mapped (the
    // player would see it flash), and the one on screen takes the flags.
    const QWindow* shown = f.Widget()->windowHandle();
    ASSERT_NE(shown, nullptr);
    f.SetTopMost(true);
    EXPECT_TRUE(f.TopMost());
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(f.Widget()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(f.Widget()->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    f.SetTopMost(false);
    EXPECT_FALSE(f.Widget()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(f.Widget()->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(f.Widget()->windowHandle(), shown);
    f.SetBorderless(true);
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(f.Widget()->windowFlags().testFlag(Qt::FramelessWindowHint));
    f.SetWindowAlpha(200);
    EXPECT_EQ(f.WindowAlpha(), 200);
    EXPECT_NEAR(f.Widget()->windowOpacity(), 200 / 255.0, 0.01);
    EXPECT_EQ(mjtest::ErrorOf([&] { f.SetWindowAlpha(256); }), ErrInvalidPropertyValue);
    EXPECT_EQ(f.Left(), 3000); // restyling does not move it
}

TEST_F(Forms, PaintPictureStretchesPartsOfAPictureOntoTheForm)
{
    frmExit& f = form<frmExit>();
    f.SetBorderless(true);
    f.Move(0, 0, 1500, 1500); // 100 x 100 pixels
    f.Label1.SetVisible(false);
    // A skin: red left half, blue right half, 46 x 220 pixels.
    QImage skin(46, 220, QImage::Format_ARGB32);
    skin.fill(Qt::red);
    for (int y = 0; y < 220; ++y)
        for (int x = 23; x < 46; ++x)
            skin.setPixelColor(x, y, Qt::blue);
    const Picture picture = Picture::FromImage(skin, 888);
    // Source and target in the form's twips: the right edge strip stretched
    // over the bottom of the window.
    f.PaintPicture(picture, 0, 1200, 1500, 300, 570, 300, 120, 2880);
    f.Show();
    const QImage shot = f.Grab();
    EXPECT_EQ(shot.pixelColor(50, 90), QColor(Qt::blue));
    EXPECT_EQ(shot.pixelColor(50, 50), VbColor(f.BackColor()));
    EXPECT_EQ(mjtest::ErrorOf([&] { f.PaintPicture(Picture(), 0, 0); }), ErrInvalidPicture);
    EXPECT_TRUE(f.SaveImage(QDir(mjtest::ArtifactDir()).filePath(QStringLiteral("form-paintpicture.png"))));

    // A new background picture replaces what was painted.
    f.SetPicture(Picture::FromImage(QImage(1, 1, QImage::Format_ARGB32)));
    EXPECT_EQ(f.Grab().pixelColor(50, 90), VbColor(f.BackColor()));
}

TEST_F(Forms, MouseEventsOnTheFormAreInItsUnits)
{
    class Pad : public Form {
    public:
        Pad() : Form(QStringLiteral("Pad")) {}
        void Form_MouseMove(int16_t button, int16_t, float x, float y) override { moves.push_back({button, x, y}); }
        struct Move {
            int16_t button;
            float x, y;
        };
        std::vector<Move> moves;
    };
    Pad& pad = form<Pad>();
    pad.Show();
    mjtest::SendMouse(pad.Widget(), QEvent::MouseMove, QPointF(10, 4), Qt::NoButton);
    ASSERT_EQ(pad.moves.size(), 1u);
    EXPECT_EQ(pad.moves[0].button, 0);
    EXPECT_EQ(pad.moves[0].x, 150); // twips
    EXPECT_EQ(pad.moves[0].y, 60);
}

// ---- Screen ----------------------------------------------------------------------

class ScreenSize : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = qgetenv("MJ_SCREEN_SIZE");
        had_ = qEnvironmentVariableIsSet("MJ_SCREEN_SIZE");
        qunsetenv("MJ_SCREEN_SIZE");
        Screen::Reset();
    }
    void TearDown() override
    {
        if (had_)
            qputenv("MJ_SCREEN_SIZE", saved_);
        else
            qunsetenv("MJ_SCREEN_SIZE");
        Screen::Reset();
    }
    QByteArray saved_;
    bool had_ = false;
};

TEST_F(ScreenSize, DefaultsToThePrimaryScreenAndCanBeReplaced)
{
    const QSize primary = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(Screen::WidthPixels(), primary.width());
    EXPECT_EQ(Screen::Height(), primary.height() * 15.0);

    qputenv("MJ_SCREEN_SIZE", "1280x720");
    EXPECT_EQ(Screen::WidthPixels(), 1280);
    EXPECT_EQ(Screen::Height(), 10800);
    for (const char* bad : {"1280", "x720", "wide", "0x768", "1280x720x3"}) {
        qputenv("MJ_SCREEN_SIZE", bad);
        EXPECT_EQ(Screen::WidthPixels(), primary.width()) << bad;
    }

    qputenv("MJ_SCREEN_SIZE", "1280x720");
    Screen::SetSize(1024, 768); // a test's own size wins
    EXPECT_EQ(Screen::Width(), 15360);
    EXPECT_EQ(Screen::HeightPixels(), 768);
    Screen::Reset();
    EXPECT_EQ(Screen::WidthPixels(), 1280);
}

} // namespace
