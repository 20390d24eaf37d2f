// Screenshots at 1024 x 768 and 800 x 600: the seats' video with lit icons
// and the own hint box, a pop-out window at each size over the table, and
// the settings window.
#include "SeatsOnCamera.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "platform/Clock.h"
#include "platform/TestPattern.h"
#include "platform/Video.h"
#include "social/VosSet.h"
#include "table/NewGame.h"
#include "video/Operate.h"
#include "video/VideoState.h"
#include "video/VideoWindow.h"

#include <gtest/gtest.h>

using namespace mj;

namespace {

class VideoScreens : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        width = GetParam();
        height = width == 1024 ? 768 : 600;
        Clock::UseDrivenClock(10 * 3600.0);
        Image_Resource::InitPictureIds();
        f = &formWithoutLoadEvent<MainForm>();
        mjtest::FitTableToScreen(*f, width, height);
        NewGame::InitTableLayout();
        NewGame::InitTableLayoutAndCamera();
        mjtest::LeaveTimersToTest(*f);
        seats.Open(*f);
    }
    QString path(const QString& name) const
    {
        return mjtest::ArtifactDir() + QStringLiteral("/%1-%2x%3.png").arg(name).arg(width).arg(height);
    }
    // A point of a form's picture in the table's picture.
    QPoint onTable(const Form& w, double fx, double fy) const
    {
        return QPoint(static_cast<int>((w.Left() - f->Left() + w.Width() * fx) / 15),
                      static_cast<int>((w.Top() - f->Top() + w.Height() * fy) / 15));
    }

    int width = 1024, height = 768;
    MainForm* f = nullptr;
    mjtest::SeatsOnCamera seats{QStringLiteral("视频截图大厅")};
};

} // namespace

// The own hint box beside the lit video-off icon, and a lit zoom icon on
// side 3's strip.
TEST_P(VideoScreens, LitIconsAndTheHint)
{
    mjtest::SendMouse(f->ImCmd(3).Widget(), QEvent::MouseMove, QPointF(3, 3));
    mjtest::SendMouse(f->ImCmd(13).Widget(), QEvent::MouseMove, QPointF(3, 3));
    ASSERT_TRUE(f->Tiplbl.Visible());
    ASSERT_TRUE(f->SaveImage(path(QStringLiteral("video-icons"))));
    const QImage shot(path(QStringLiteral("video-icons")));
    ASSERT_EQ(shot.size(), QSize(width, height));
    const QPoint hint(static_cast<int>(f->Tiplbl.Left() + f->Tiplbl.Width() - 2),
                      static_cast<int>(f->Tiplbl.Top() + 1));
    EXPECT_GT(qBlue(shot.pixel(hint)), 200) << "the hint box's light ground";
}

// A pop-out window of side 1 at each size over the table, its frame drawn.
TEST_P(VideoScreens, PopOutAtEachSize)
{
    f->ImCmd_Click(5);
    VideoWindow& w = *LoadedVideoWindow(1);
    const struct {
        int16_t button;
        const char* name;
    } steps[] = {{-1, "normal"}, {2, "small"}, {1, "normal-again"}, {1, "large"}};
    for (const auto& s : steps) {
        if (s.button >= 0)
            w.ImgCmd_Click(s.button);
        f->Timer_Zoom_Timer();
        if (QString::fromUtf8(s.name) == QStringLiteral("normal-again"))
            continue;
        const QImage shot = mjtest::GrabWithWindowsOver(*f, {&w});
        ASSERT_EQ(shot.size(), QSize(width, height));
        ASSERT_TRUE(shot.save(path(QStringLiteral("video-popout-") + QString::fromUtf8(s.name))));
        // The pattern's yellow bar, second from the left of the video, the
        // wooden frame outside it.
        const double fx = (w.vshow1.Left() + w.vshow1.Width() * 0.2) / w.Width();
        const double fy = (w.vshow1.Top() + w.vshow1.Height() * 0.3) / w.Height();
        EXPECT_GT(qRed(shot.pixel(onTable(w, fx, fy))), 200) << s.name;
        EXPECT_GT(qRed(shot.pixel(onTable(w, 0.01, 0.5))), qBlue(shot.pixel(onTable(w, 0.01, 0.5)))) << s.name;
    }
}

// The settings window where the toolbar's button opens it, as a player
// uses it: music off, then video off, which takes the seats and the own
// preview back to the avatars.
TEST_P(VideoScreens, TheSettingsWindow)
{
    int16_t button = 3;
    f->AnNiu_Click(button);
    VosSet& settings = form<VosSet>();
    ASSERT_TRUE(settings.Visible());
    EXPECT_DOUBLE_EQ(settings.Top(), f->Top() + f->Pic1.Top() + f->Pic1.Height() - 1.35 * settings.Height());
    EXPECT_DOUBLE_EQ(settings.Left(), f->Left() + f->Pic1.Left() + f->Pic1.Width() - 1.1 * settings.Width());
    const int li = mjtest::SeatsOnCamera::SideOf(QStringLiteral("li"));
    ASSERT_TRUE(f->vshow1(li).Visible());
    const QRect seat = QRectF(f->ImgKuang(li).Left(), f->ImgKuang(li).Top(), f->ImgKuang(li).Width(),
                              f->ImgKuang(li).Height()).toAlignedRect().united(
        QRectF(f->vshow1(li).Left(), f->vshow1(li).Top(), f->vshow1(li).Width(), f->vshow1(li).Height()).toAlignedRect());
    const struct {
        int16_t row;
        int picture; // the switch afterwards: 135 开启 (the function is off)
    } clicks[] = {{0, 135}, {4, 135}};
    for (const auto& c : clicks) {
        int16_t row = c.row;
        settings.Command2_Click(row);
        EXPECT_EQ(settings.Command2(c.row).Picture().ResourceId(), c.picture) << c.row;
    }
    EXPECT_FALSE(VideoEnabled);
    EXPECT_EQ(settings.Command2(1).Picture().ResourceId(), 134);
    EXPECT_EQ(settings.Command2(3).Picture().ResourceId(), 136);
    for (int side = 1; side <= 3; ++side) {
        EXPECT_FALSE(f->vshow1(side).Visible()) << side;
        EXPECT_TRUE(f->Tou(side).Visible()) << side;
    }
    EXPECT_FALSE(f->vcap1.Visible());
    EXPECT_TRUE(f->Tou(0).Visible());
    const QImage shot = mjtest::GrabWithWindowsOver(*f, {&settings});
    ASSERT_TRUE(shot.save(path(QStringLiteral("settings"))));
    // The seat as it looks with nothing of its video over the avatar.
    f->vshow1(li).SetVisible(false);
    f->ImgKuang(li).SetVisible(false);
    f->PicLocal(li).SetVisible(false);
    const QImage avatar = mjtest::GrabWithWindowsOver(*f, {&settings});
    ASSERT_TRUE(QRect(0, 0, width, height).contains(seat));
    EXPECT_EQ(shot.copy(seat), avatar.copy(seat)) << "the seat shows its avatar, not the video";
    const QPoint inside = onTable(settings, 0.5, 0.5);
    EXPECT_TRUE(QRect(0, 0, width, height).contains(inside));
}

// Video off in the settings mid-hand, the hand's first score ends it, and
// the next round start, all through the dispatcher, with the main loop's
// ticks after it: the own seat shows its avatar, no frozen camera picture
// and no icon strip over it.
TEST_P(VideoScreens, VideoOffKeepsTheOwnAvatarAtTheNextRoundStart)
{
    ASSERT_TRUE(f->vcap1.Visible());
    int16_t row = 4;
    form<VosSet>().Command2_Click(row);
    ASSERT_FALSE(VideoEnabled);
    QByteArray score, roundStart;
    for (const QByteArray& frame : mjtest::DemoFrames()) {
        const int code = static_cast<uint8_t>(frame[3]);
        if (code == 9 && score.isEmpty())
            score = frame;
        if (code == 4 && roundStart.isEmpty())
            roundStart = frame;
    }
    ASSERT_FALSE(score.isEmpty() || roundStart.isEmpty());
    for (const QByteArray& frame : {score, roundStart})
        ASSERT_FALSE(mjtest::EndsProgram([&] { mjtest::Dispatch(frame); })) << static_cast<int>(frame[3]);
    for (int tick = 0; tick < 5; ++tick)
        f->TimerBong_Timer();
    EXPECT_FALSE(f->vcap1.Visible());
    EXPECT_FALSE(f->PicLocal(0).Visible());
    EXPECT_TRUE(f->Tou(0).Visible());

    const QImage shot = f->Grab();
    ASSERT_EQ(shot.size(), QSize(width, height));
    ASSERT_TRUE(shot.save(path(QStringLiteral("video-off-next-round"))));
    // The own seat as it looks with nothing of the camera over the avatar.
    f->vcap1.SetVisible(false);
    f->PicLocal(0).SetVisible(false);
    const QImage avatar = f->Grab();
    const QRect seat = QRectF(f->vcap1.Left(), f->vcap1.Top(), f->vcap1.Width(),
                              f->vcap1.Height() + f->PicLocal(0).Height()).toAlignedRect();
    ASSERT_TRUE(QRect(0, 0, width, height).contains(seat));
    EXPECT_EQ(shot.copy(seat), avatar.copy(seat)) << "the own seat shows its avatar";
}

INSTANTIATE_TEST_SUITE_P(Screens, VideoScreens, ::testing::Values(1024, 800));
