// Screenshots at 1024 x 768 and 800 x 600: the seats' video with lit icons
// and the own hint box, a pop-out window at each size over the table, and
// the settings window.
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
        VideoEnabled = true;
        SetVideoSource(VideoSource::Pattern);
        Operate::StartLocalCamera();
        ASSERT_TRUE(CameraOn);
        f->vcap1.CaptureFrame();
        for (int side : {1, 2, 3}) {
            PeerFrame(side) = EncodeVideoFrame(TestPatternImage(side * 10, QStringLiteral("西家 北家 南家").split(u' ')[side - 1]));
            f->ImgKuang(side).SetVisible(true);
            f->PicLocal(side).SetVisible(true);
            f->vshow1(side).SetVisible(true);
            f->vshow1(side).ZOrder(0);
            ASSERT_TRUE(f->vshow1(side).ShowFrame(PeerFrame(side)));
        }
    }
    void TearDown() override
    {
        f->vcap1.StopCapture();
        SetVideoSource(VideoSource::Camera);
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
        // The pattern's white bar on the left of the video, the wooden frame outside it.
        const double fx = (w.vshow1.Left() + w.vshow1.Width() * 0.05) / w.Width();
        const double fy = (w.vshow1.Top() + w.vshow1.Height() * 0.3) / w.Height();
        EXPECT_GT(qRed(shot.pixel(onTable(w, fx, fy))), 200) << s.name;
        EXPECT_GT(qRed(shot.pixel(onTable(w, 0.01, 0.5))), qBlue(shot.pixel(onTable(w, 0.01, 0.5)))) << s.name;
    }
}

// The settings window where the toolbar's button opens it.
TEST_P(VideoScreens, TheSettingsWindow)
{
    int16_t button = 3;
    f->AnNiu_Click(button);
    VosSet& settings = form<VosSet>();
    ASSERT_TRUE(settings.Visible());
    int16_t music = 0;
    settings.Command2_Click(music);
    const QImage shot = mjtest::GrabWithWindowsOver(*f, {&settings});
    ASSERT_TRUE(shot.save(path(QStringLiteral("settings"))));
    const QPoint inside = onTable(settings, 0.5, 0.5);
    EXPECT_TRUE(QRect(0, 0, width, height).contains(inside));
}

INSTANTIATE_TEST_SUITE_P(Screens, VideoScreens, ::testing::Values(1024, 800));
