// The seats' video icons: pictures at rest and under the mouse, the own
// icons' hint box at both scales, add friend, the own video off, blocking a
// seat, photos written into a temporary program folder with the clock set,
// and the album opened through a replaced opener.
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "platform/Clock.h"
#include "platform/Program.h"
#include "platform/TestPattern.h"
#include "platform/Video.h"
#include "social/Mod_Prop.h"
#include "video/Operate.h"
#include "video/Photo.h"
#include "video/VideoState.h"
#include "video/VideoWindow.h"
#include "video/frm_Remote1.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mj;

namespace {

const QString Saved = QStringLiteral("照相成功,照片保存在本机相册中。");
const QString NotSaved = QStringLiteral("照相失败,照片没有保存。");

QByteArray frameOf(int n, const QString& label = QStringLiteral("P"))
{
    return EncodeVideoFrame(TestPatternImage(n, label));
}

class VideoButtons : public ::testing::TestWithParam<float> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetProgramFolder(dir.path());
        Clock::UseDrivenClock(10 * 3600.0);
        f = &mjtest::LaidOutTable(GetParam());
        SetVideoSource(VideoSource::Pattern);
    }
    void TearDown() override
    {
        f->vcap1.StopCapture();
        SetVideoSource(VideoSource::Camera);
        Photo::SetAlbumOpener(nullptr);
        Mod_Prop::PropObj.reset();
    }
    // Sets the driven clock to the day and time.
    static void setClock(QDate day, QTime time)
    {
        Clock::UseDrivenClock(time.msecsSinceStartOfDay() / 1000.0);
        Clock::SetDrivenDate(day);
    }
    QStringList photoFiles() const
    {
        return QDir(dir.filePath(QStringLiteral("photo")))
            .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    QString line(int i) const { return f->Sysmsg(i).ListCount() ? f->Sysmsg(i).List(0) : QString(); }
    int pictureOf(int i) const { return f->ImCmd(i).Picture().ResourceId(); }

    QTemporaryDir dir;
    MainForm* f = nullptr;
};

} // namespace

// Every icon's picture under the mouse; the own icons' hint box with its
// text, width and place; the platform's tooltips of the other strips; and
// every picture back at rest once the mouse crosses a strip.
TEST_P(VideoButtons, HoverLightsTheIconsAndTheStripPutsThemBack)
{
    const float scale = GetParam();
    const struct {
        int index;
        int rest, hover;
        const char* hint; // own hint box text, or the tooltip
        double hintWidth;
    } cases[] = {
        {0, 863, 864, "像册", 28}, {1, 851, 855, "放大", 28}, {2, 852, 856, "拍照", 28}, {3, 853, 857, "视频开关", 54},
        {4, 850, 854, "屏蔽", 0},  {5, 851, 855, "放大", 0},  {6, 852, 856, "照相", 0},  {7, 858, 859, "加为好友", 0},
        {8, 850, 854, "屏蔽", 0},  {9, 851, 855, "放大", 0},  {10, 852, 856, "照相", 0}, {11, 858, 859, "加为好友", 0},
        {12, 850, 854, "屏蔽", 0}, {13, 851, 855, "放大", 0}, {14, 852, 856, "照相", 0}, {15, 858, 859, "加为好友", 0},
    };
    for (int round = 0; round < 2; ++round) { // the highlight comes back after every rest
        for (const auto& c : cases) {
            SCOPED_TRACE(c.index);
            EXPECT_EQ(pictureOf(c.index), c.rest);
            f->PicLocal(c.index / 4).SetVisible(true);
            mjtest::SendMouse(f->ImCmd(c.index).Widget(), QEvent::MouseMove, QPointF(3, 3));
            EXPECT_TRUE(VideoIconHover[c.index]);
            EXPECT_EQ(pictureOf(c.index), c.hover);
            if (c.index < 4) {
                EXPECT_TRUE(f->Tiplbl.Visible());
                EXPECT_EQ(f->Tiplbl.Text(), QString::fromUtf8(c.hint));
                EXPECT_FLOAT_EQ(f->Tiplbl.Width(), c.hintWidth * scale);
                const Image& icon = f->ImCmd(c.index);
                EXPECT_DOUBLE_EQ(f->Tiplbl.Left(), f->PicLocal(0).Left() + icon.Left() + icon.Width());
                EXPECT_FLOAT_EQ(f->Tiplbl.Top(), f->PicLocal(0).Top() + 10 * scale);
                EXPECT_TRUE(f->ImCmd(c.index).ToolTipText().isEmpty());
            } else {
                EXPECT_EQ(f->ImCmd(c.index).ToolTipText(), QString::fromUtf8(c.hint));
            }
        }
        // The strip's background puts every icon back.
        mjtest::SendMouse(f->PicLocal(2).Widget(), QEvent::MouseMove, QPointF(140 * scale, 15 * scale));
        EXPECT_FALSE(f->Tiplbl.Visible());
        for (const auto& c : cases) {
            EXPECT_FALSE(VideoIconHover[c.index]) << c.index;
            EXPECT_EQ(pictureOf(c.index), c.rest) << c.index;
        }
    }
    // The hint box by hand: after 放大 at 1.0 it starts at 9 + 24 + 16 = 49
    // and 752; at 0.78125 it is 21.875 wide at 38.28125 and 587.5, and
    // 视频开关 42.1875 wide.
    f->ImCmd_MouseMove(1, 0, 0, 1, 1);
    EXPECT_DOUBLE_EQ(f->Tiplbl.Left(), scale == 1 ? 49 : 38.28125);
    EXPECT_DOUBLE_EQ(f->Tiplbl.Top(), scale == 1 ? 752 : 587.5);
    EXPECT_DOUBLE_EQ(f->Tiplbl.Width(), scale == 1 ? 28 : 21.875);
    f->ImCmd_MouseMove(3, 0, 0, 1, 1);
    EXPECT_DOUBLE_EQ(f->Tiplbl.Width(), scale == 1 ? 54 : 42.1875);
}

// The add-friend icons do nothing; the own video-off icon acts only while
// the camera is on and its preview shows; CameraOn stays.
TEST_P(VideoButtons, AddFriendAndTheOwnVideoOff)
{
    for (int16_t i : {7, 11, 15}) {
        f->ImCmd_Click(i);
        EXPECT_FALSE(LoadedVideoWindow(i / 4));
        EXPECT_FALSE(PeerClosed[i / 4]);
        EXPECT_FALSE(f->ImgShow(i / 4).Visible());
    }
    EXPECT_EQ(f->Sysmsg(0).ListCount(), 0);

    // Camera off: nothing.
    f->vcap1.SetVisible(true);
    f->ImCmd_Click(3);
    EXPECT_TRUE(f->vcap1.Visible());
    EXPECT_FALSE(f->ImgShow(0).Visible());

    VideoEnabled = true;
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    for (bool pluginReady : {false, true}) {
        SCOPED_TRACE(pluginReady);
        Mod_Prop::Prop_GameDllState = pluginReady ? 1 : 0;
        VideoSteps[1] = false;
        CameraOn = false;
        Operate::StartLocalCamera();
        ASSERT_TRUE(CameraOn);
        // Preview hidden: nothing.
        f->vcap1.SetVisible(false);
        f->ImCmd_Click(3);
        EXPECT_TRUE(f->vcap1.Capturing());
        f->vcap1.SetVisible(true);
        f->Tiplbl.SetVisible(true);
        f->ImCmd_Click(3);
        EXPECT_FALSE(f->vcap1.Capturing());
        EXPECT_TRUE(CameraOn);
        EXPECT_FALSE(f->vcap1.Visible());
        EXPECT_FALSE(f->PicLocal(0).Visible());
        EXPECT_FALSE(f->Tiplbl.Visible());
        EXPECT_TRUE(f->ImgShow(0).Visible());
        EXPECT_EQ(f->Tou(0).Visible(), !pluginReady);
        EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, True, 0)")), pluginReady ? 1 : 0);
        f->ImgShow_Click(0); // the reopen icon starts it again
        EXPECT_TRUE(f->vcap1.Capturing());
        f->vcap1.StopCapture();
    }
}

// Blocking a seat hides its strip, surface, frame and pop-out window (kept
// loaded) and tells the plug-in once; further clicks do nothing until the
// reopen icon; a surface already hidden stays hidden. Blocking does not
// depend on the layout scale.
TEST(VideoBlock, BlockOnceUntilReopened)
{
    MainForm* f = &mjtest::LaidOutTable(1.0f);
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    for (int side = 1; side <= 3; ++side) {
        SCOPED_TRACE(side);
        const int16_t block = static_cast<int16_t>(4 * side);
        const auto rec = [&] { return plugin.Log().count(QStringLiteral("rec_state(2, True, %1)").arg(side)); };
        f->vshow1(side).SetVisible(true);
        f->ImgKuang(side).SetVisible(true);
        f->PicLocal(side).SetVisible(true);
        f->ImCmd_Click(static_cast<int16_t>(block + 1)); // the pop-out window open
        f->ImCmd_Click(block);
        EXPECT_TRUE(PeerClosed[side]);
        EXPECT_FALSE(f->PicLocal(side).Visible());
        EXPECT_FALSE(f->vshow1(side).Visible());
        EXPECT_FALSE(f->ImgKuang(side).Visible());
        EXPECT_TRUE(f->ImgShow(side).Visible());
        ASSERT_TRUE(LoadedVideoWindow(side));
        EXPECT_FALSE(LoadedVideoWindow(side)->Visible());
        EXPECT_EQ(rec(), 1);

        // Blocked: a second click changes nothing.
        f->PicLocal(side).SetVisible(true);
        f->ImCmd_Click(block);
        EXPECT_TRUE(f->PicLocal(side).Visible());
        EXPECT_EQ(rec(), 1);

        // Reopened, then blocked while other code had hidden the surface.
        f->ImgShow_Click(static_cast<int16_t>(side));
        f->vshow1(side).SetVisible(false);
        f->ImgKuang(side).SetVisible(false);
        f->ImCmd_Click(block);
        EXPECT_TRUE(PeerClosed[side]);
        EXPECT_FALSE(f->vshow1(side).Visible());
        EXPECT_FALSE(f->ImgKuang(side).Visible());
        EXPECT_FALSE(f->PicLocal(side).Visible());
        EXPECT_EQ(rec(), 1);
    }
}

// Photos are named from the date and time without leading zeros, and the
// file is a bitmap of the kept frame's picture.
TEST_P(VideoButtons, PhotosAreNamedByTheClockAndHoldTheFrame)
{
    const struct {
        QDate day;
        QTime time;
        const char* name;
        int side;
    } cases[] = {
        {QDate(2027, 3, 5), QTime(9, 7, 5), "202735975.bmp", 0},
        {QDate(2027, 12, 25), QTime(23, 59, 59), "20271225235959.bmp", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setClock(c.day, c.time);
        const QByteArray frame = frameOf(c.side + 3, QStringLiteral("S%1").arg(c.side));
        (c.side == 0 ? OwnFrame : PeerFrame(c.side)) = frame;
        f->ImCmd_Click(static_cast<int16_t>(4 * c.side + 2));
        const QString path = dir.filePath(QStringLiteral("photo/") + QString::fromUtf8(c.name));
        ASSERT_TRUE(QFile::exists(path));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(2) == "BM");
        const QImage saved(path, "BMP");
        const QImage expected = QImage::fromData(frame).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), expected);
        EXPECT_EQ(line(f->Sysmsg(1).ListCount() ? 1 : 0), Saved);
    }
    EXPECT_EQ(photoFiles(), (QStringList{"20271225235959.bmp", "202735975.bmp"}));

    // The date moves on with the clock past midnight.
    setClock(QDate(2027, 12, 31), QTime(23, 59, 59));
    Clock::Advance(2);
    f->ImCmd_Click(2);
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("photo/202811001.bmp")))) << photoFiles().join(u' ').toStdString();
}

// A name already taken keeps its photo: two in one second, and 11 January
// against 1 November at the same time, give "_1" and "_2" files; every photo
// stays as it was written.
TEST_P(VideoButtons, TakenNamesKeepEveryPhoto)
{
    setClock(QDate(2027, 1, 11), QTime(1, 2, 3));
    const QByteArray frames[] = {frameOf(1, QStringLiteral("A")), frameOf(2, QStringLiteral("B")),
                                 frameOf(3, QStringLiteral("C"))};
    PeerFrame1 = frames[0];
    f->ImCmd_Click(6);
    PeerFrame1 = frames[1];
    f->ImCmd_Click(6); // the same second
    setClock(QDate(2027, 11, 1), QTime(1, 2, 3));
    PeerFrame1 = frames[2];
    f->ImCmd_Click(6);
    const QStringList names = {"2027111123.bmp", "2027111123_1.bmp", "2027111123_2.bmp"};
    EXPECT_EQ(photoFiles(), names);
    for (int k = 0; k < 3; ++k) {
        const QImage saved(dir.filePath(QStringLiteral("photo/") + names[k]), "BMP");
        EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
                  QImage::fromData(frames[k]).convertToFormat(QImage::Format_RGB32))
            << k;
    }
}

// No frame kept, a frame that does not decode, a folder that is a file: no
// file at all and the failure line instead of the message. The message
// enters the two lines by their rule.
TEST_P(VideoButtons, APhotoThatCannotBeMadeLeavesNothing)
{
    setClock(QDate(2027, 6, 1), QTime(12, 0, 0));
    const struct {
        const char* what;
        QByteArray frame;
        bool photoIsAFile;
    } cases[] = {
        {"no frame", QByteArray(), false},
        {"corrupt frame", QByteArray("\xff\xd8\xff\xe0") + QByteArray(" not a picture"), false},
        {"cut frame", frameOf(1).left(200), false},
        {"folder is a file", frameOf(1), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(dir.filePath(QStringLiteral("photo"))).removeRecursively();
        QFile::remove(dir.filePath(QStringLiteral("photo")));
        if (c.photoIsAFile) {
            QFile file(dir.filePath(QStringLiteral("photo")));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("keep");
        }
        f->Sysmsg(0).Clear();
        f->Sysmsg(1).Clear();
        OwnFrame = c.frame;
        f->ImCmd_Click(2);
        EXPECT_EQ(line(0), NotSaved);
        EXPECT_EQ(f->Sysmsg(1).ListCount(), 0);
        if (c.photoIsAFile) {
            QFile file(dir.filePath(QStringLiteral("photo")));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), QByteArray("keep"));
        } else {
            EXPECT_TRUE(photoFiles().isEmpty()) << photoFiles().join(u' ').toStdString();
        }
    }

    // Both lines full: the lower moves up, the message takes the lower line whole.
    QFile::remove(dir.filePath(QStringLiteral("photo")));
    f->Sysmsg(0).Clear();
    f->Sysmsg(0).AddItem(QStringLiteral("上一行"));
    f->Sysmsg(1).Clear();
    f->Sysmsg(1).AddItem(QStringLiteral("下一行"));
    OwnFrame = frameOf(5);
    f->ImCmd_Click(2);
    EXPECT_EQ(line(0), QStringLiteral("下一行"));
    EXPECT_EQ(line(1), Saved);
}

// The album opens the photo folder, created when missing; a file in its
// place opens nothing.
TEST_P(VideoButtons, TheAlbumOpensThePhotoFolder)
{
    QStringList opened;
    Photo::SetAlbumOpener([&](const QString& folder) { opened.append(folder); });
    const QString folder = dir.filePath(QStringLiteral("photo"));
    f->ImCmd_Click(0);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    f->ImCmd_Click(0);
    EXPECT_EQ(opened, (QStringList{folder, folder}));

    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile file(folder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    f->ImCmd_Click(0);
    EXPECT_EQ(opened.size(), 2);
    EXPECT_FALSE(line(0).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Scales, VideoButtons, ::testing::Values(1.0f, 0.78125f));
