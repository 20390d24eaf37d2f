// The pop-out video windows: their layout at load, the three sizes with
// their buttons, the placements against the table window for opening and
// after a change of size, dragging by the frame, closing, and the redraw
// that follows a change of size. Every case runs at both layout scales.
#include "FrameBuilder.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "platform/TestPattern.h"
#include "platform/Video.h"
#include "video/Operate.h"
#include "video/VideoState.h"
#include "video/VideoWindow.h"
#include "video/frm_Local.h"
#include "video/frm_Remote1.h"
#include "video/frm_Remote2.h"
#include "video/frm_Remote3.h"

#include <gtest/gtest.h>

#include <functional>

using namespace mj;

namespace {

constexpr int16_t Close = 0, Enlarge = 1, Shrink = 2;

class PopOut : public ::testing::TestWithParam<float> {
protected:
    void SetUp() override
    {
        scale = GetParam();
        f = &mjtest::LaidOutTable(scale);
        f->Move(ML, MT, MW, MH);
        VideoEnabled = true; // the own strip's icons work only with video on
        for (int s = 0; s <= 3; ++s)
            f->PicLocal(s).SetVisible(true);
    }
    // Opens side s's window with a click on its zoom icon.
    VideoWindow& Open(int side)
    {
        mjtest::Click(f->ImCmd(4 * side + 1).Widget());
        VideoWindow* w = LoadedVideoWindow(side);
        EXPECT_TRUE(w && w->Visible());
        return *w;
    }
    float scale = 1;
    MainForm* f = nullptr;
    double ML = 1500, MT = 750, MW = 15360, MH = 11520;
};

// Design twips of each size: window width and height.
const double SizeW[] = {2625, 4140, 6510};
const double SizeH[] = {2070, 3225, 5115};

} // namespace

// Loading lays a window out at the normal size with the normal background
// of the scale; only the own window's buttons carry tooltips.
TEST_P(PopOut, LoadLaysOutTheNormalSize)
{
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        VideoWindow& w = VideoWindowOf(side);
        EXPECT_EQ(w.CurrentSize(), VideoWindow::SizeNormal);
        EXPECT_EQ(w.BackPictureOffset, scale < 1 ? 3 : 0);
        EXPECT_TRUE(w.Borderless());
        EXPECT_FALSE(w.Visible());
        EXPECT_FLOAT_EQ(w.Width(), 4140 * scale);
        EXPECT_FLOAT_EQ(w.Height(), 3225 * scale);
        EXPECT_EQ(w.Picture().ResourceId(), scale < 1 ? 874 : 871);
        EXPECT_EQ(w.Picture().Size().width(), scale < 1 ? 216 : 276);
        EXPECT_FLOAT_EQ(w.vshow1.Left(), 150 * scale);
        EXPECT_FLOAT_EQ(w.vshow1.Top(), 240 * scale);
        EXPECT_FLOAT_EQ(w.vshow1.Width(), 3840 * scale);
        EXPECT_FLOAT_EQ(w.vshow1.Height(), 2880 * scale);
        EXPECT_TRUE(w.vshow1.Setting0() && w.vshow1.Setting1());
        const double loadLefts[] = {3765, 3427.5, 3090};
        for (int i = 0; i <= 2; ++i) {
            EXPECT_FLOAT_EQ(w.ImgCmd(i).Left(), loadLefts[i] * scale) << i;
            EXPECT_FLOAT_EQ(w.ImgCmd(i).Width(), 225 * scale);
            EXPECT_FLOAT_EQ(w.ImgCmd(i).Height(), 240 * scale);
            EXPECT_EQ(w.ImgCmd(i).Top(), 0);
            EXPECT_FALSE(w.ImgCmd(i).Picture().IsNull());
        }
        EXPECT_EQ(w.ImgCmd(0).ToolTipText(), side == 0 ? QStringLiteral("关闭") : QString());
        EXPECT_EQ(w.ImgCmd(2).ToolTipText(), side == 0 ? QStringLiteral("缩小") : QString());
    }
}

// Normal to small to normal and normal to large to normal bring the buttons
// back to the normal size at lefts 3750, 3380 and 3000 (scaled); the small
// and large sizes have their own buttons, backgrounds and displays. The
// window tells its size itself, so every size switches at both scales.
TEST_P(PopOut, SizesSwitchAndTheButtonsFollow)
{
    VideoWindow& w = Open(2);
    const struct {
        int16_t button;
        VideoWindow::SizeIndex size;
        double buttonW, buttonH, buttonTop;
        double lefts[3];
        double surface[4];
        int background;
    } steps[] = {
        {Shrink, VideoWindow::SizeSmall, 150, 160, 30, {2395, 2185, 1975}, {110, 230, 2400, 1800}, 870},
        {Enlarge, VideoWindow::SizeNormal, 225, 240, 0, {3750, 3380, 3000}, {150, 240, 3840, 2880}, 871},
        {Enlarge, VideoWindow::SizeLarge, 337.5, 360, 80, {6022.5, 5625, 5227.5}, {240, 480, 6000, 4500}, 872},
        {Shrink, VideoWindow::SizeNormal, 225, 240, 0, {3750, 3380, 3000}, {150, 240, 3840, 2880}, 871},
    };
    const int pictureWidth[2][3] = {{175, 276, 434}, {137, 216, 339}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.size);
        w.ImgCmd_Click(s.button);
        ASSERT_EQ(w.CurrentSize(), s.size);
        EXPECT_FLOAT_EQ(w.Width(), SizeW[s.size] * scale);
        EXPECT_FLOAT_EQ(w.Height(), SizeH[s.size] * scale);
        EXPECT_EQ(w.Picture().ResourceId(), s.background + (scale < 1 ? 3 : 0));
        EXPECT_EQ(w.Picture().Size().width(), pictureWidth[scale < 1][s.size]);
        EXPECT_FLOAT_EQ(w.vshow1.Left(), s.surface[0] * scale);
        EXPECT_FLOAT_EQ(w.vshow1.Top(), s.surface[1] * scale);
        EXPECT_FLOAT_EQ(w.vshow1.Width(), s.surface[2] * scale);
        EXPECT_FLOAT_EQ(w.vshow1.Height(), s.surface[3] * scale);
        for (int i = 0; i <= 2; ++i) {
            SCOPED_TRACE(i);
            EXPECT_NEAR(w.ImgCmd(i).Width(), s.buttonW * scale, 0.01);
            EXPECT_NEAR(w.ImgCmd(i).Height(), s.buttonH * scale, 0.01);
            EXPECT_NEAR(w.ImgCmd(i).Left(), s.lefts[i] * scale, 0.01);
            EXPECT_NEAR(w.ImgCmd(i).Top(), s.buttonTop * scale, 0.01);
        }
        EXPECT_EQ(ZoomIndex, 2);
        EXPECT_TRUE(f->Timer_Zoom.Enabled());
        f->Timer_Zoom.SetEnabled(false);
        ZoomIndex = 7;
    }
}

// Enlarge at the large size and shrink at the small one change nothing:
// no size, place, button, ZoomIndex or redraw.
TEST_P(PopOut, NoSizeBeyondTheEnds)
{
    for (const auto& [toEnd, beyond] : {std::pair{Enlarge, Enlarge}, std::pair{Shrink, Shrink}}) {
        VideoWindow& w = Open(1);
        w.ImgCmd_Click(toEnd);
        f->Timer_Zoom.SetEnabled(false);
        ZoomIndex = 9;
        const double before[] = {w.Left(), w.Top(), w.Width(), w.ImgCmd(0).Left(), w.ImgCmd(2).Width(), w.vshow1.Width()};
        w.ImgCmd_Click(beyond);
        const double after[] = {w.Left(), w.Top(), w.Width(), w.ImgCmd(0).Left(), w.ImgCmd(2).Width(), w.vshow1.Width()};
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(after[k], before[k]) << k;
        EXPECT_EQ(ZoomIndex, 9);
        EXPECT_FALSE(f->Timer_Zoom.Enabled());
        w.ImgCmd_Click(5); // no such button
        EXPECT_EQ(w.Width(), before[2]);
        f->ImCmd_Click(5); // the zoom icon closes the open window
        EXPECT_FALSE(isLoaded<frm_Remote1>());
    }
}

// Every placement of every window: opened, after a change to small or
// normal, after a change to large; also with the table window moved.
TEST_P(PopOut, PlacementsFollowTheTableWindow)
{
    // left = cx + a * MW or the large rule; top = cy + b * MH.
    const struct {
        double openA, openB, changeA, changeB;
    } rows[] = {
        {-0.2, 0.2, -0.2, 0.2},
        {-0.25, -0.2, -0.2, -0.2},
        {0, -0.2, 0.2, -0.2},
        {0.25, -0.2, -0.2, -0.2},
    };
    for (double shift : {0.0, 100.0}) {
        f->Move(ML + shift, MT + shift / 2, MW, MH);
        const double L = ML + shift, T = MT + shift / 2;
        for (int side = 0; side <= 3; ++side) {
            SCOPED_TRACE(QStringLiteral("side %1 moved %2").arg(side).arg(shift).toStdString());
            const auto centre = [&](VideoWindow& w) {
                return std::pair{L + (MW - w.Width()) / 2, T + (MH - w.Height()) / 2};
            };
            VideoWindow& w = Open(side);
            auto [cx, cy] = centre(w);
            EXPECT_FLOAT_EQ(w.Left(), cx + rows[side].openA * MW);
            EXPECT_FLOAT_EQ(w.Top(), cy + rows[side].openB * MH);
            EXPECT_TRUE(w.TopMost());

            w.ImgCmd_Click(Shrink);
            std::tie(cx, cy) = centre(w);
            EXPECT_FLOAT_EQ(w.Left(), cx + rows[side].changeA * MW);
            EXPECT_FLOAT_EQ(w.Top(), cy + rows[side].changeB * MH);
            w.ImgCmd_Click(Enlarge);
            std::tie(cx, cy) = centre(w);
            EXPECT_FLOAT_EQ(w.Left(), cx + rows[side].changeA * MW);
            EXPECT_FLOAT_EQ(w.Top(), cy + rows[side].changeB * MH);

            w.ImgCmd_Click(Enlarge);
            const double W = w.Width(), H = w.Height();
            EXPECT_FLOAT_EQ(w.Left(), side == 2 ? L + MW - W - 0.05 * MW : L + 0.05 * MW);
            EXPECT_FLOAT_EQ(w.Top(), side == 0 ? T + MH - H - 0.07 * MH : T + 0.07 * MH);
            w.ImgCmd_Click(Close);
        }
    }
    // The numbers at scale 1 for side 2, by hand: opened at (7110, 2593.5),
    // large at (9582, 1556.4).
    if (scale == 1) {
        f->Move(ML, MT, MW, MH);
        VideoWindow& w = Open(2);
        EXPECT_FLOAT_EQ(w.Left(), 7110);
        EXPECT_FLOAT_EQ(w.Top(), 2593.5);
        w.ImgCmd_Click(Enlarge);
        EXPECT_FLOAT_EQ(w.Left(), 9582);
        EXPECT_FLOAT_EQ(w.Top(), 1556.4f);
    }
}

// A window only hidden keeps its size and reopens at it, placed by the
// column for opening with that size: hidden by the end of a hand, and by a
// player-information frame through the dispatcher. A closed one comes back
// normal.
TEST_P(PopOut, HiddenKeepsItsSizeClosedStartsNormal)
{
    const struct {
        const char* name;
        std::function<void()> hide;
    } hiders[] = {
        {"the end of a hand", [] {
             VideoEnabled = true;
             VideoSteps[4] = false;
             Operate::CloseAllVideo();
         }},
        {"a member's information", [] { mjtest::Dispatch(mjtest::frames::UserInfo(2).Name(QStringLiteral("李四"))); }},
    };
    for (const auto& h : hiders) {
        SCOPED_TRACE(h.name);
        VideoWindow* w = &Open(3);
        w->ImgCmd_Click(Enlarge);
        h.hide();
        ASSERT_TRUE(isLoaded<frm_Remote3>());
        EXPECT_FALSE(w->Visible());
        f->PicLocal(3).SetVisible(true); // the side's video back
        VideoWindow& again = Open(3);
        EXPECT_EQ(&again, w);
        EXPECT_EQ(again.CurrentSize(), VideoWindow::SizeLarge);
        EXPECT_FLOAT_EQ(again.Width(), 6510 * scale);
        EXPECT_FLOAT_EQ(again.Left(), ML + (MW - again.Width()) / 2 + 0.25 * MW);
        EXPECT_FLOAT_EQ(again.Top(), MT + (MH - again.Height()) / 2 - 0.2 * MH);
        EXPECT_EQ(ZoomIndex, 3);
        EXPECT_TRUE(f->Timer_Zoom.Enabled());

        again.ImgCmd_Click(Close);
        EXPECT_FALSE(isLoaded<frm_Remote3>());
        VideoWindow& fresh = Open(3);
        EXPECT_EQ(fresh.CurrentSize(), VideoWindow::SizeNormal);
        EXPECT_FLOAT_EQ(fresh.Width(), 4140 * scale);
        fresh.ImgCmd_Click(Close);
    }
}

// Only a left press on the frame lets the window system move the window;
// the right and middle buttons, and presses on the display or a button, do not.
TEST_P(PopOut, OnlyALeftPressOnTheFrameDrags)
{
    VideoWindow& w = Open(0);
    QWidget* window = w.Widget();
    const QPointF frame(2, 60); // the frame's left band, below the buttons
    mjtest::SendMouse(window, QEvent::MouseButtonPress, frame, Qt::RightButton);
    mjtest::SendMouse(window, QEvent::MouseButtonRelease, frame, Qt::RightButton);
    mjtest::SendMouse(window, QEvent::MouseButtonPress, frame, Qt::MiddleButton);
    mjtest::SendMouse(window, QEvent::MouseButtonRelease, frame, Qt::MiddleButton);
    EXPECT_EQ(w.DragsStarted(), 0);
    mjtest::SendMouse(w.vshow1.Widget(), QEvent::MouseButtonPress, QPointF(20, 20));
    mjtest::SendMouse(w.ImgCmd(2).Widget(), QEvent::MouseButtonPress, QPointF(3, 3));
    EXPECT_EQ(w.DragsStarted(), 0);
    mjtest::SendMouse(window, QEvent::MouseButtonPress, frame);
    EXPECT_EQ(w.DragsStarted(), 1);
}

// After a change of size the side's last frame is drawn about 100 ms later;
// a close right after a resize draws nothing and brings no window back.
TEST_P(PopOut, RedrawAfterResizeAndCloseBeforeIt)
{
    PeerFrame1 = EncodeVideoFrame(TestPatternImage(1, QStringLiteral("R1")));
    VideoWindow& w = Open(1);
    f->Timer_Zoom_Timer(); // the opening's redraw
    const int before = w.vshow1.FramesShown();
    w.ImgCmd_Click(Shrink);
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !f->Timer_Zoom.Enabled(); }));
    EXPECT_EQ(w.vshow1.FramesShown(), before + 1);
    EXPECT_EQ(w.vshow1.Shown().size(), QSize(320, 240));

    w.ImgCmd_Click(Enlarge);
    w.ImgCmd_Click(Close);
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !f->Timer_Zoom.Enabled(); }));
    EXPECT_FALSE(isLoaded<frm_Remote1>());
    EXPECT_EQ(LoadedVideoWindow(1), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Scales, PopOut, ::testing::Values(1.0f, 0.78125f));
