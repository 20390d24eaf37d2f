// The seats' video on the table: the reopen icons, the delayed redraws of a
// newly opened surface, the zoom redraw of the pop-out windows, the hover
// over a remote surface with the player card and the plug-in's pop-up, and
// screenshots of the own test pattern with two seats' video.
#include "SeatsOnCamera.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "controls/Information.h"
#include "platform/Clock.h"
#include "platform/TestPattern.h"
#include "platform/Video.h"
#include "social/Mod_Prop.h"
#include "table/NewGame.h"
#include "video/Operate.h"
#include "video/VideoState.h"
#include "video/frm_Local.h"
#include "video/frm_Remote1.h"
#include "video/frm_Remote2.h"
#include "video/frm_Remote3.h"

#include <gtest/gtest.h>

using namespace mj;

namespace {

QByteArray frameOf(int n, const QString& label = QStringLiteral("F"))
{
    return EncodeVideoFrame(TestPatternImage(n, label));
}

Timer& redrawTimer(MainForm& f, int side)
{
    Timer* timers[] = {&f.Timer_Vshow1, &f.Timer_Vshow2, &f.Timer_Vshow3};
    return *timers[side - 1];
}

class SeatVideo : public ::testing::Test {
protected:
    void SetUp() override
    {
        f = &mjtest::OpenTableWindow(QStringLiteral("seat video test hall"));
        VideoEnabled = true;
        SetVideoSource(VideoSource::Pattern);
    }
    void TearDown() override
    {
        f->vcap1.StopCapture();
        SetVideoSource(VideoSource::Camera);
        Mod_Prop::PropObj.reset();
    }
    MainForm* f = nullptr;
};

} // namespace

// Reopening a side shows its frame, strip and surface at once; 30 ms later
// the kept frame is drawn twice, provided the strip still shows. Every side
// gets that redraw.
TEST_F(SeatVideo, ReopenShowsTheSideAndRedrawsItsKeptFrame)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    for (int side = 1; side <= 3; ++side) {
        for (bool stripStays : {true, false}) {
            SCOPED_TRACE(QStringLiteral("side %1, strip %2").arg(side).arg(stripStays).toStdString());
            PeerClosed[side] = true;
            PeerFrame(side) = frameOf(side);
            const int before = f->vshow1(side).FramesShown();
            f->ImgShow_Click(static_cast<int16_t>(side));
            EXPECT_FALSE(PeerClosed[side]);
            EXPECT_TRUE(f->ImgKuang(side).Visible());
            EXPECT_TRUE(f->PicLocal(side).Visible());
            EXPECT_TRUE(f->vshow1(side).Visible());
            EXPECT_TRUE(redrawTimer(*f, side).Enabled());
            EXPECT_EQ(redrawTimer(*f, side).Interval(), 30);
            if (!stripStays)
                f->PicLocal(side).SetVisible(false);
            ASSERT_TRUE(mjtest::PumpUntil([&] { return !redrawTimer(*f, side).Enabled(); }));
            EXPECT_EQ(f->vshow1(side).FramesShown(), before + (stripStays ? 2 : 0));
        }
        EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, False, %1)").arg(side)), 2);
    }
}

// The own reopen icon does nothing while the camera is off for the hand;
// with the camera on it restarts the capture and shows the preview.
TEST_F(SeatVideo, OwnReopenNeedsTheCamera)
{
    f->ImgShow(0).SetVisible(true);
    f->ImgShow_Click(0);
    EXPECT_FALSE(f->vcap1.Capturing());
    EXPECT_TRUE(f->ImgShow(0).Visible());

    Operate::StartLocalCamera();
    ASSERT_TRUE(CameraOn);
    f->vcap1.StopCapture(); // the own video switched off
    f->vcap1.SetVisible(false);
    f->ImgShow(0).SetVisible(true);
    f->ImgShow_Click(0);
    EXPECT_TRUE(f->vcap1.Capturing());
    EXPECT_TRUE(f->vcap1.Visible());
    EXPECT_TRUE(f->PicLocal(0).Visible());
    EXPECT_FALSE(f->ImgShow(0).Visible());
    EXPECT_FALSE(f->Tou(0).Visible());
    EXPECT_FALSE(f->Tou(0).Enabled());
}

// The zoom redraw draws the kept frame on the open pop-out window of
// ZoomIndex; any other index draws nothing; a window that is not open is
// neither drawn on nor created. Captured frames reach the own window only
// while it is open.
TEST_F(SeatVideo, ZoomRedrawsOnlyAnOpenWindow)
{
    OwnFrame = frameOf(0);
    PeerFrame1 = frameOf(1);
    PeerFrame2 = frameOf(2);
    PeerFrame3 = frameOf(3);
    for (int16_t index : {0, 1, 2, 3, 4, -1}) {
        ZoomIndex = index;
        f->Timer_Zoom.SetEnabled(true);
        f->Timer_Zoom_Timer();
        EXPECT_FALSE(f->Timer_Zoom.Enabled());
    }
    EXPECT_FALSE(isLoaded<frm_Local>() || isLoaded<frm_Remote1>() || isLoaded<frm_Remote2>()
                 || isLoaded<frm_Remote3>());

    form<frm_Local>().Show();
    form<frm_Remote2>().Show();
    form<frm_Remote3>(); // loaded, not open
    const struct {
        int16_t index;
        const vshow* surface;
        int shown;
    } cases[] = {
        {0, &form<frm_Local>().vshow1, 1},
        {2, &form<frm_Remote2>().vshow1, 1},
        {3, &form<frm_Remote3>().vshow1, 0},
        {7, &form<frm_Local>().vshow1, 1},
    };
    for (const auto& c : cases) {
        ZoomIndex = c.index;
        f->Timer_Zoom_Timer();
        EXPECT_EQ(c.surface->FramesShown(), c.shown) << c.index;
    }
    EXPECT_FALSE(isLoaded<frm_Remote1>());

    form<frm_Local>().Hide();
    f->vcap1_FrameCaptured(frameOf(9));
    EXPECT_EQ(form<frm_Local>().vshow1.FramesShown(), 1);
    form<frm_Local>().Show();
    f->vcap1_FrameCaptured(frameOf(10));
    EXPECT_EQ(form<frm_Local>().vshow1.FramesShown(), 2);
    EXPECT_TRUE(form<frm_Local>().vshow1.Visible());
}

// The pointer over a remote surface shows that player's card and asks the
// plug-in once per visit; the bare table takes both away.
TEST_F(SeatVideo, HoverShowsTheCardAndAsksThePluginOnce)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    ASSERT_EQ(plugin.Load("qvvideo 1\n"), 0);
    Players[2].Name = QStringLiteral("北家");
    Players[2].Sex = 1;
    Players[2].Location = QStringLiteral("江西");
    Players[2].Points = 1200;
    Players[2].Wins = 7;
    f->vshow1(2).SetVisible(true);
    Information& card = form<Information>();

    mjtest::SendMouse(f->vshow1(2).Widget(), QEvent::MouseMove, QPointF(20, 20));
    EXPECT_TRUE(card.Visible());
    EXPECT_EQ(card.Inf(0).Caption(), QStringLiteral("北家"));
    EXPECT_EQ(card.Inf(1).Caption(), QStringLiteral("男"));
    EXPECT_EQ(card.Inf(2).Caption(), QStringLiteral("江西"));
    EXPECT_EQ(card.Inf(3).Caption(), QStringLiteral("1200"));
    EXPECT_EQ(card.Inf(7).Caption(), QStringLiteral("7"));
    EXPECT_DOUBLE_EQ(card.Top(), f->Pic1.Top() + f->Top() + 0.14 * f->Height());
    EXPECT_DOUBLE_EQ(card.Left(), f->Pic1.Left() + f->Left() + static_cast<int64_t>(f->Width()) / 3);
    EXPECT_TRUE(PropVideoShown);
    EXPECT_EQ(PropVideoSide, 3);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("ShowQvVideo(2, True, 0)")), 1);

    // Over it again while the card shows: nothing more.
    mjtest::SendMouse(f->vshow1(2).Widget(), QEvent::MouseMove, QPointF(30, 30));
    EXPECT_EQ(plugin.Log().count(QStringLiteral("ShowQvVideo")), 1);

    // The bare table: the card goes, the pop-up is withdrawn.
    f->Pic1_MouseMove(0, 0, 500, 500);
    EXPECT_FALSE(card.Visible());
    EXPECT_FALSE(PropVideoShown);
    EXPECT_EQ(PropVideoSide, 0);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("ShowQvVideo(2, False, 0)")), 1);

    // An empty side changes nothing.
    mjtest::SendMouse(f->vshow1(3).Widget(), QEvent::MouseMove, QPointF(20, 20));
    EXPECT_FALSE(card.Visible());
    EXPECT_FALSE(PropVideoShown);

    // Without a ready plug-in the card still shows and the plug-in is not asked.
    Mod_Prop::Prop_GameDllState = 0;
    mjtest::SendMouse(f->vshow1(2).Widget(), QEvent::MouseMove, QPointF(20, 20));
    EXPECT_TRUE(card.Visible());
    EXPECT_FALSE(PropVideoShown);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("ShowQvVideo(2, True, 0)")), 1);
}

// ---- Screenshots ------------------------------------------------------------------------

class SeatVideoShot : public ::testing::TestWithParam<int> {};

// The own camera's test pattern over the own avatar and the three seats'
// video as the relay brings it, at 1024 x 768 and 800 x 600.
TEST_P(SeatVideoShot, OwnPatternAndThreeSeats)
{
    const int width = GetParam();
    const int height = width == 1024 ? 768 : 600;
    Clock::UseDrivenClock(10 * 3600.0);
    Image_Resource::InitPictureIds();
    MainForm& f = formWithoutLoadEvent<MainForm>();
    mjtest::FitTableToScreen(f, width, height);
    NewGame::InitTableLayout();
    NewGame::InitTableLayoutAndCamera();
    mjtest::LeaveTimersToTest(f);
    mjtest::SeatsOnCamera seats(QStringLiteral("座位视频大厅"));
    seats.Open(f);

    const QString path = mjtest::ArtifactDir() + QStringLiteral("/video-%1x%2.png").arg(width).arg(height);
    ASSERT_TRUE(f.SaveImage(path));
    const QImage shot(path);
    ASSERT_EQ(shot.size(), QSize(width, height));
    // The pattern's bars show in the preview and on every seat.
    const auto at = [](const Control& c, double fx, double fy) {
        return QPoint(static_cast<int>(c.Left() + c.Width() * fx), static_cast<int>(c.Top() + c.Height() * fy));
    };
    EXPECT_GT(qRed(shot.pixel(at(f.vcap1, 0.05, 0.2))), 200) << "white bar of the own pattern";
    for (int side = 1; side <= 3; ++side) {
        EXPECT_GT(qBlue(shot.pixel(at(f.vshow1(side), 0.95, 0.2))), 150) << "blue bar of side " << side;
        EXPECT_TRUE(f.ImgKuang(side).Visible()) << side;
        EXPECT_TRUE(f.PicLocal(side).Visible()) << side;
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, SeatVideoShot, ::testing::Values(1024, 800));
