// The video link of a hand on the laid-out table window: the camera start
// and its failures, the login and the other players joined over a real relay
// on loopback (in this process, with its test peers as the other players),
// the frames out through the throttle and in onto the surfaces, the closing
// step, leaving the seat and watch mode.
#include "FakeHall.h"
#include "FrameBuilder.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "mjrelay/Relay.h"
#include "platform/Clock.h"
#include "platform/Program.h"
#include "platform/TestPattern.h"
#include "platform/Video.h"
#include "social/Mod_Prop.h"
#include "social/VosSet.h"
#include "video/Operate.h"
#include "video/VideoState.h"
#include "video/VideoWindow.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <memory>

using namespace mj;

namespace {

// A camera the test drives: it starts or refuses, and fails on command.
class TestCamera : public CaptureSource {
public:
    explicit TestCamera(bool starts, int* startsCounter) : starts_(starts), counter_(startsCounter) {}
    bool Start() override
    {
        ++*counter_;
        return starts_;
    }
    void Stop() override {}
    QImage Take() override { return TestPatternImage(++n_, QStringLiteral("OWN")); }

private:
    bool starts_;
    int* counter_;
    int n_ = 0;
};

QByteArray frameOf(int n)
{
    return EncodeVideoFrame(TestPatternImage(n, QStringLiteral("F")));
}

class VideoLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetProgramFolder(dir.path());
        f = &mjtest::OpenTableWindow(Title);
        mjtest::LeaveTimersToTest(*f);
        // The demonstration's hand waits on the driven clock.
        Clock::SetIdleStep([] { Clock::Advance(0.25); });
        VideoEnabled = true;
        custom[0].Name = QStringLiteral("东家");
        useCamera(true);
    }
    void TearDown() override
    {
        SetCaptureSourceFactory({});
        SetVideoSource(VideoSource::Camera);
        qunsetenv("MJ_VIDEO_RELAY_PORT");
        f->P2PSocket1.Logout();
        f->vcap1.StopCapture();
        Mod_Prop::PropObj.reset();
        Clock::SetIdleStep(nullptr);
        SetProgramFolder(QString());
    }
    // The settings window's video switch, clicked as a player clicks it.
    void switchVideo()
    {
        QFile ini(dir.filePath(QStringLiteral("vidiosetting.ini")));
        if (!ini.exists()) {
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
            ini.write("[vidiosetting]\r\nvidiovalue=1\r\n");
        }
        int16_t row = 4;
        form<VosSet>().Command2_Click(row);
    }
    // A hand's video as the dispatcher builds it up: the round start starts
    // the camera and logs in, the first discard joins the other players.
    void handStarts()
    {
        Operate::StartLocalCamera();
        Operate::LoginVideoServer();
        if (VideoEnabled) {
            ASSERT_TRUE(mjtest::PumpUntil([&] { return f->P2PSocket1.LoggedIn(); }));
        }
        Operate::RequestTableVideo();
    }
    // The side 1..3 of a seat name.
    static int sideOf(const QString& name)
    {
        for (int s = 1; s <= 3; ++s)
            if (custom[s].Name == name)
                return s;
        ADD_FAILURE() << "no side for " << name.toStdString();
        return 1;
    }
    // Handles events, the main loop drawing the seats' frames each tick,
    // until `done` or the time is up.
    bool runUntil(const std::function<bool()>& done, int ms = 10000)
    {
        return mjtest::PumpUntil([&] {
            f->RemoteVideoPoll();
            return done();
        }, ms);
    }
    // The camera the next starts find: one that starts or one that refuses.
    void useCamera(bool starts)
    {
        SetCaptureSourceFactory([this, starts] {
            auto camera = std::make_unique<TestCamera>(starts, &cameraStarts);
            camera_ = camera.get();
            return camera;
        });
    }
    // The relay with test peers under the given names (sparse or not).
    void startRelay(const QList<QPair<QString, bool>>& peers)
    {
        mjrelay::Limits limits;
        limits.framesPerSecond = 100000;
        relay = std::make_unique<mjrelay::Relay>(limits);
        ASSERT_TRUE(relay->Listen(0));
        relay->OnPeerFrame = [this](const QString& peer, const QString&, const QByteArray& frame) {
            got[peer].append(frame);
        };
        for (const auto& [name, sparse] : peers)
            relay->AddPeer(name, sparse);
        qputenv("MJ_VIDEO_RELAY_PORT", QByteArray::number(relay->Port()));
        GameServer.Host = QStringLiteral("127.0.0.1");
    }
    void loginAndRequest()
    {
        Operate::LoginVideoServer();
        ASSERT_TRUE(mjtest::PumpUntil([&] { return f->P2PSocket1.LoggedIn(); }));
        Operate::RequestTableVideo();
    }
    // The hand ends (its login had armed the closing step).
    void nextHand()
    {
        VideoSteps[4] = false;
        Operate::CloseAllVideo();
    }
    // Waits until the link has sent everything it took.
    void drain()
    {
        mjtest::PumpUntil([&] { return f->P2PSocket1.Backlog() == 0; });
    }

    const QString Title = QStringLiteral("video link test hall");
    QTemporaryDir dir;
    mjtest::FakeHall hall{Title};
    MainForm* f = nullptr;
    std::unique_ptr<mjrelay::Relay> relay;
    QHash<QString, QList<QByteArray>> got;
    int cameraStarts = 0;
    CaptureSource* camera_ = nullptr;
};

} // namespace

// 66 captured frames: a peer that wants sparse video gets frames 1, 2, 3, 24,
// 45 and 66; one that wants every frame gets all 66; a joined player who is
// not connected gets none. Both peers were ready before any own frame and
// got the format and mode only.
TEST_F(VideoLink, ThrottlePerSlotOverTheRelay)
{
    startRelay({{QStringLiteral("西家"), true}, {QStringLiteral("北家"), false}});
    custom[1].Name = QStringLiteral("西家");
    custom[2].Name = QStringLiteral("北家");
    custom[3].Name = QStringLiteral("南家"); // never logs in
    relay->OnPeerFrame = [this](const QString& peer, const QString& from, const QByteArray& frame) {
        EXPECT_EQ(from, QStringLiteral("东家"));
        got[peer].append(frame);
    };
    loginAndRequest();
    P2PSocket& link = f->P2PSocket1;
    ASSERT_TRUE(mjtest::PumpUntil([&] { return link.UserState(1) == 14 && link.UserState(2) == 15; }));
    EXPECT_EQ(link.UserID(3), QStringLiteral("南家"));
    EXPECT_EQ(link.UserState(3), 1);
    drain();
    EXPECT_TRUE(got.isEmpty()) << "no own frame yet";

    QList<QByteArray> frames;
    for (int n = 1; n <= 66; ++n) {
        frames.append(frameOf(n));
        f->vcap1_FrameCaptured(frames.last());
        drain();
    }
    EXPECT_EQ(OwnFrame, frames.last());
    ASSERT_TRUE(mjtest::PumpUntil([&] { return got.value(QStringLiteral("北家")).size() == 66; }));
    mjtest::PumpUntil([] { return false; }, 100);
    EXPECT_EQ(got.value(QStringLiteral("北家")), frames);
    QList<QByteArray> sparse;
    for (int n : {1, 2, 3, 24, 45, 66})
        sparse.append(frames[n - 1]);
    EXPECT_EQ(got.value(QStringLiteral("西家")), sparse);
    EXPECT_FALSE(got.contains(QStringLiteral("南家")));
}

// A player who leaves the table (code 21) or runs out of coins (code 16)
// frees his slot's frame count: when he sits down again, the slot that
// still names him starts with the first frames. Ten frames went to the
// sparse peer as 1, 2 and 3; after his return the next three go out at once.
// (The side's take-down resets the count of the slot naming him, and the
// slot is let go as well, so the request on his return resets it again.)
TEST_F(VideoLink, APlayerLeavingRestartsTheThrottleOfHisSlot)
{
    const struct {
        const char* name;
        mjtest::ServerFrame frame;
    } cases[] = {
        {"member left", mjtest::ServerFrame(21).Bytes(16, "west")},
        {"every seat out of coins", mjtest::ServerFrame(16).Seat(0).Value(3, 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        got.clear();
        OwnFrame.clear(); // nothing kept from the case before
        startRelay({{QStringLiteral("west"), true}});
        custom[0].SeatMask = 1;
        custom[1].Name = QStringLiteral("west");
        custom[1].SeatMask = 2;
        custom[2].Name.clear();
        custom[3].Name.clear();
        loginAndRequest();
        P2PSocket& link = f->P2PSocket1;
        ASSERT_TRUE(mjtest::PumpUntil([&] { return link.UserState(1) == 14; }));
        for (int n = 1; n <= 10; ++n) {
            f->vcap1_FrameCaptured(frameOf(n));
            drain();
        }
        ASSERT_TRUE(mjtest::PumpUntil([&] { return got.value(QStringLiteral("west")).size() == 3; }));

        mjtest::Dispatch(c.frame);
        // The player sits down again and the next hand asks for his video.
        custom[1].Name = QStringLiteral("west");
        VideoSteps[3] = false;
        Operate::RequestTableVideo();
        ASSERT_TRUE(mjtest::PumpUntil([&] { return link.UserID(1) == QStringLiteral("west") && link.UserState(1) == 14; }));
        for (int n = 11; n <= 13; ++n) {
            f->vcap1_FrameCaptured(frameOf(n));
            drain();
        }
        // The three new frames, after what the return itself brought (a
        // peer that becomes ready again gets the last frame kept).
        const QList<QByteArray> fresh{frameOf(11), frameOf(12), frameOf(13)};
        ASSERT_TRUE(mjtest::PumpUntil([&] {
            const QList<QByteArray> g = got.value(QStringLiteral("west"));
            return g.size() >= 3 && g.mid(g.size() - 3) == fresh;
        }))
            << got.value(QStringLiteral("west")).size() << " frames";
        nextHand();
        relay.reset();
    }
}

// The slot of each side: the first slot holding its player, else the first
// free one; an empty seat is never joined.
TEST_F(VideoLink, SlotChoiceSkipsEmptySeats)
{
    const struct {
        const char* name;
        QStringList names;    // sides 1..3
        QStringList expected; // slots 1..3
    } cases[] = {
        {"three players", {"a", "b", "c"}, {"a", "b", "c"}},
        {"side 2 empty", {"a", "", "c"}, {"a", "c", ""}},
        {"all empty", {"", "", ""}, {"", "", ""}},
    };
    f->P2PSocket1.SetUserCount(3); // as start-up leaves it with video on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int16_t s = 1; s <= 3; ++s) {
            f->P2PSocket1.DisconnectUser(s);
            custom[s].Name = c.names[s - 1];
        }
        VideoSteps.Fill(false);
        Operate::RequestTableVideo();
        for (int16_t s = 1; s <= 3; ++s) {
            EXPECT_EQ(f->P2PSocket1.UserID(s), c.expected[s - 1]) << s;
            EXPECT_EQ(f->P2PSocket1.UserState(s), c.expected[s - 1].isEmpty() ? 0 : 1) << s;
        }
    }
    // A player already in a slot keeps it, whatever side it sits at now.
    custom[1].Name = QStringLiteral("a");
    custom[3].Name = QStringLiteral("c");
    VideoSteps.Fill(false);
    Operate::RequestTableVideo();
    custom[1].Name = QStringLiteral("c");
    custom[3].Name = QStringLiteral("a");
    VideoSteps.Fill(false);
    Operate::RequestTableVideo();
    EXPECT_EQ(f->P2PSocket1.UserID(1), QStringLiteral("a"));
    EXPECT_EQ(f->P2PSocket1.UserID(2), QStringLiteral("c"));
    EXPECT_TRUE(VideoSteps[3]);
}

// Frames in: the first accepted frame of a side opens its video and arms its
// redraw; a blocked side 2 keeps its frame undrawn, a blocked side 1 keeps
// nothing; a frame no surface would show is neither drawn nor kept.
TEST_F(VideoLink, FramesInOpenKeepAndRefuse)
{
    startRelay({{QStringLiteral("一"), false}, {QStringLiteral("二"), false}, {QStringLiteral("三"), false}});
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    custom[1].Name = QStringLiteral("一");
    custom[2].Name = QStringLiteral("二");
    custom[3].Name = QStringLiteral("三");
    PeerClosed[1] = PeerClosed[2] = true;
    loginAndRequest();
    P2PSocket& link = f->P2PSocket1;
    ASSERT_TRUE(runUntil([&] { return !Operate::KeptFrame(2).isEmpty() && f->vshow1(3).FramesShown() >= 3; }));
    // Side 3 opened once: plug-in told, frame, strip and surface shown, redraw armed.
    EXPECT_TRUE(PeerShown[3]);
    EXPECT_TRUE(f->vshow1(3).Visible());
    EXPECT_TRUE(f->ImgKuang(3).Visible());
    EXPECT_TRUE(f->PicLocal(3).Visible());
    EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, False, 3)")), 1);
    // Blocked sides.
    EXPECT_FALSE(f->vshow1(2).Visible());
    EXPECT_EQ(f->vshow1(2).FramesShown(), 0);
    EXPECT_TRUE(PeerFrame1.isEmpty());
    EXPECT_EQ(f->vshow1(1).FramesShown(), 0);
    EXPECT_FALSE(PeerShown[1] || PeerShown[2]);

    // Frames no surface shows, from the slot of side 3.
    int16_t slot3 = 0;
    for (int16_t s = 1; s <= 3; ++s)
        if (link.UserID(s) == QStringLiteral("三"))
            slot3 = s;
    ASSERT_NE(slot3, 0);
    const QByteArray kept = PeerFrame3;
    const int shown = f->vshow1(3).FramesShown();
    QByteArray corrupt = frameOf(1);
    corrupt.truncate(40);
    for (const QByteArray& bad : {QByteArray(), corrupt, QByteArray(70 * 1024, 'x')}) {
        f->P2PSocket1_DataReceived(slot3, bad);
        f->RemoteVideoPoll();
        EXPECT_EQ(PeerFrame3, kept);
        EXPECT_EQ(f->vshow1(3).FramesShown(), shown);
    }
    // A frame from a slot whose user is at no side is dropped.
    link.DisconnectUser(slot3);
    f->P2PSocket1_DataReceived(slot3, frameOf(2));
    EXPECT_EQ(PeerFrame3, kept);
}

// The closing step: four hand scores close once; every side's video hidden,
// the slots dropped, the camera stopped, the link logged out.
TEST_F(VideoLink, FourHandScoresCloseOnce)
{
    startRelay({{QStringLiteral("一"), false}});
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    custom[1].Name = QStringLiteral("一");
    Operate::StartLocalCamera();
    ASSERT_TRUE(CameraOn);
    loginAndRequest();
    ASSERT_TRUE(runUntil([&] { return f->vshow1(1).Visible(); }));
    PeerThrottle[1] = 7;
    for (int i = 0; i < 4; ++i)
        Operate::CloseAllVideo();
    EXPECT_FALSE(CameraOn);
    EXPECT_FALSE(f->vcap1.Capturing());
    EXPECT_FALSE(f->vcap1.Visible());
    EXPECT_TRUE(f->Tou(0).Visible());
    EXPECT_FALSE(f->vshow1(1).Visible());
    EXPECT_FALSE(PeerShown[1]);
    EXPECT_TRUE(PeerFrame1.isEmpty());
    EXPECT_EQ(PeerThrottle[1], 0);
    EXPECT_EQ(f->P2PSocket1.UserState(1), 0);
    EXPECT_FALSE(f->P2PSocket1.LoggedIn());
    EXPECT_FALSE(VideoSteps[1] || VideoSteps[2] || VideoSteps[3]);
    EXPECT_TRUE(VideoSteps[4]);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, True, 1)")), 1);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, True, 0)")), 1);
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !relay->Users().contains(QStringLiteral("东家")); }));

    // The next hand builds it up again.
    Operate::StartLocalCamera();
    EXPECT_TRUE(CameraOn);
    EXPECT_EQ(cameraStarts, 2);
}

// The camera that does not start, that fails mid-hand and that fails to
// restart from the reopen icon: the message, CameraOn clear, preview and
// strip hidden, the avatar back, the plug-in told; the next hand tries again.
TEST_F(VideoLink, CameraFailuresTakeTheFailedStartPath)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    const QString message = QStringLiteral("您没有视频设备或您的视频源正在使用。");
    auto expectFailed = [&](const char* what, int messages) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(CameraOn);
        EXPECT_FALSE(f->vcap1.Capturing());
        EXPECT_FALSE(f->vcap1.Visible());
        EXPECT_FALSE(f->PicLocal(0).Visible());
        EXPECT_TRUE(f->Tou(0).Visible());
        EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, True, 0)")), messages);
        int shown = 0;
        for (int i = 0; i <= 1; ++i)
            shown += f->Sysmsg(i).ListCount() > 0 && f->Sysmsg(i).List(0) == message ? 1 : 0;
        EXPECT_GE(shown, 1);
    };

    useCamera(false);
    Operate::StartLocalCamera();
    expectFailed("no camera", 1);
    Operate::StartLocalCamera();
    EXPECT_EQ(cameraStarts, 1) << "the step stays done for the hand";

    nextHand();
    useCamera(true);
    Operate::StartLocalCamera();
    ASSERT_TRUE(CameraOn);
    EXPECT_TRUE(f->vcap1.Visible());
    camera_->OnFailed();
    expectFailed("vanished mid-hand", 2);

    nextHand();
    Operate::StartLocalCamera();
    ASSERT_TRUE(CameraOn);
    f->vcap1.StopCapture(); // the own video switched off
    useCamera(false);
    f->ImgShow_Click(0);
    expectFailed("reopen fails", 3);
}

// Leaving the seat stops the camera, so the next table starts it again.
TEST_F(VideoLink, LeavingStopsTheCameraAndTheNextTableStartsIt)
{
    Operate::StartLocalCamera();
    ASSERT_TRUE(f->vcap1.Capturing());
    Api::SendLeaveSeat();
    EXPECT_FALSE(CameraOn);
    EXPECT_FALSE(f->vcap1.Capturing());
    Operate::StartLocalCamera();
    EXPECT_TRUE(CameraOn);
    EXPECT_TRUE(f->vcap1.Capturing());
    EXPECT_EQ(cameraStarts, 2);
}

// An onlooker has no video: no camera, no login, no peer.
TEST_F(VideoLink, WatchModeTouchesNothing)
{
    WatchMode = true;
    custom[1].Name = QStringLiteral("一");
    Operate::StartLocalCamera();
    Operate::LoginVideoServer();
    Operate::RequestTableVideo();
    EXPECT_EQ(cameraStarts, 0);
    EXPECT_FALSE(CameraOn);
    EXPECT_TRUE(f->P2PSocket1.LoginName().isEmpty());
    EXPECT_EQ(f->P2PSocket1.UserState(1), 0);
    for (int i = 1; i <= 4; ++i)
        EXPECT_FALSE(VideoSteps[i]) << i;
}

// With video off the login and request steps mark themselves done and arm
// the closing step; nothing reaches the component.
TEST_F(VideoLink, VideoOffMarksStepsOnly)
{
    VideoEnabled = false;
    VideoSteps[4] = true;
    custom[1].Name = QStringLiteral("一");
    Operate::StartLocalCamera();
    Operate::LoginVideoServer();
    EXPECT_TRUE(VideoSteps[2]);
    EXPECT_FALSE(VideoSteps[4]);
    VideoSteps[4] = true;
    Operate::RequestTableVideo();
    EXPECT_TRUE(VideoSteps[3]);
    EXPECT_FALSE(VideoSteps[4]);
    EXPECT_FALSE(VideoSteps[1]);
    EXPECT_EQ(cameraStarts, 0);
    EXPECT_TRUE(f->P2PSocket1.LoginName().isEmpty());
    EXPECT_EQ(f->P2PSocket1.UserState(1), 0);
    Operate::CloseAllVideo();
    EXPECT_TRUE(VideoSteps[4]);
}

// A hand as the dispatcher drives it: the demonstration's frames, seating
// and hand, go through the dispatcher one by one, over the relay with the
// camera at its own pace. The own player information starts the camera, the
// round start logs in, the first discard joins the others; the peers count
// the frames as the throttle says and the table shows theirs on the seats
// of their names; the first hand score logs out and stops the camera.
TEST_F(VideoLink, AHandInTheDispatchersOrder)
{
    SetCaptureSourceFactory({});
    SetVideoSource(VideoSource::Pattern);
    startRelay({{QStringLiteral("wang"), true}, {QStringLiteral("li"), false}});
    P2PSocket& link = f->P2PSocket1;
    int discards = 0, scores = 0;
    for (const QByteArray& frame : mjtest::DemoFrames()) {
        const int code = static_cast<uint8_t>(frame[3]);
        SCOPED_TRACE(code);
        if (code == 9 && scores == 0) {
            // Mid-hand, before the hand's end: the video flows both ways.
            const int li = sideOf(QStringLiteral("li")), wang = sideOf(QStringLiteral("wang"));
            ASSERT_TRUE(mjtest::PumpUntil([&] {
                f->RemoteVideoPoll();
                return got.value(QStringLiteral("li")).size() >= 30 && f->vshow1(li).FramesShown() > 0
                    && f->vshow1(wang).FramesShown() > 0;
            }));
            const int every = got.value(QStringLiteral("li")).size();
            const int sparse = got.value(QStringLiteral("wang")).size();
            EXPECT_GE(sparse, 3);
            EXPECT_LE(sparse, 4 + every / 21);
            for (int side : {li, wang}) {
                EXPECT_TRUE(f->vshow1(side).Visible()) << side;
                EXPECT_TRUE(PeerShown[side]) << side;
            }
            const int zhao = sideOf(QStringLiteral("zhao"));
            EXPECT_FALSE(f->vshow1(zhao).Visible()) << "nobody behind zhao";
            EXPECT_TRUE(f->Tou(zhao).Visible());
        }
        ASSERT_FALSE(mjtest::EndsProgram([&] { mjtest::Dispatch(frame); }));
        if (code == 20 && static_cast<uint8_t>(frame[6]) == 15) {
            EXPECT_TRUE(CameraOn) << "the own player information starts the camera";
            EXPECT_TRUE(link.LoginName().isEmpty());
        } else if (code == 4) {
            EXPECT_EQ(link.LoginName(), QStringLiteral("player1"));
            ASSERT_TRUE(mjtest::PumpUntil([&] { return link.LoggedIn(); }));
            EXPECT_TRUE(link.UserID(1).isEmpty()) << "nobody joined before the first discard";
        } else if (code == 2 && ++discards == 1) {
            QStringList joined;
            for (int16_t slot = 1; slot <= 3; ++slot)
                joined << link.UserID(slot);
            joined.sort();
            EXPECT_EQ(joined, (QStringList{"li", "wang", "zhao"}));
        } else if (code == 9 && ++scores == 1) {
            EXPECT_FALSE(f->vcap1.Capturing());
            EXPECT_FALSE(CameraOn);
            EXPECT_TRUE(link.LoginName().isEmpty());
        }
    }
    ASSERT_EQ(scores, 4);
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !relay->Users().contains(QStringLiteral("player1")); }));
    const int after = got.value(QStringLiteral("li")).size();
    mjtest::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(got.value(QStringLiteral("li")).size(), after) << "nothing more goes out";
}

// Video switched off in the settings while the seats show, across the end
// of a hand, and on again: the next hand shows the others' video again
// (the off switch forgot every seat's video, as the closing step would).
// The next hand's seats must owe their return to the switch alone: the
// link's reports of peers that are not connected (a peer joined anew
// reports state 1, which takes a shown seat back to its avatar) are held
// back from the switch on.
TEST_F(VideoLink, VideoOffAcrossAHandsEndShowsTheNextHand)
{
    startRelay({{QStringLiteral("li"), false}, {QStringLiteral("wang"), false}});
    custom[1].Name = QStringLiteral("li");
    custom[2].Name = QStringLiteral("wang");
    handStarts();
    ASSERT_TRUE(runUntil([&] { return f->vshow1(1).FramesShown() > 0 && f->vshow1(2).FramesShown() > 0; }));
    f->ImCmd_Click(8); // side 2 blocked
    const auto stateChanged = f->P2PSocket1.OnUserStateChanged;
    f->P2PSocket1.OnUserStateChanged = [stateChanged](int16_t slot, int16_t state) {
        if (state > 9)
            stateChanged(slot, state);
    };
    switchVideo();
    ASSERT_FALSE(VideoEnabled);
    for (int side : {1, 2}) {
        EXPECT_FALSE(f->vshow1(side).Visible()) << side;
        EXPECT_FALSE(f->ImgShow(side).Visible()) << side << ": no reopen icon while video is off";
        EXPECT_FALSE(PeerShown[side]) << side;
        EXPECT_FALSE(PeerClosed[side]) << side;
    }
    nextHand();
    switchVideo();
    ASSERT_TRUE(VideoEnabled);
    handStarts();
    const int shown1 = f->vshow1(1).FramesShown(), shown2 = f->vshow1(2).FramesShown();
    EXPECT_TRUE(runUntil([&] {
        return f->vshow1(1).Visible() && f->vshow1(2).Visible() && f->vshow1(1).FramesShown() > shown1
            && f->vshow1(2).FramesShown() > shown2;
    }));
    EXPECT_TRUE(PeerShown[1] && PeerShown[2]);
    EXPECT_TRUE(f->ImgKuang(1).Visible() && f->PicLocal(2).Visible());
    f->P2PSocket1.OnUserStateChanged = stateChanged;
}

// The own video off with its icon, then video off in the settings: the
// capture stays stopped, the reopen icon goes and its click starts nothing,
// the main loop's delayed re-show shows nothing; the hand ends, and the next
// round start (its camera step and its login, which shows the own preview
// for a camera that is on) leaves the own seat on its avatar, the strip's
// off icon offers no reopen icon, and the plug-in hears of no own video.
// Video on again: the camera comes back at the hand's next camera step.
TEST_F(VideoLink, WithVideoOffNothingStartsTheCamera)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    const QString ownShown = QStringLiteral("rec_state(2, False, 0)");
    startRelay({});
    Operate::StartLocalCamera();
    ASSERT_TRUE(f->vcap1.Capturing());
    ASSERT_TRUE(VideoPoll) << "the re-show is still to come";
    f->ImCmd_Click(3);
    ASSERT_TRUE(f->ImgShow(0).Visible());
    ASSERT_FALSE(f->vcap1.Capturing());
    switchVideo();
    ASSERT_FALSE(VideoEnabled);
    EXPECT_FALSE(f->ImgShow(0).Visible());
    f->ImgShow_Click(0);
    EXPECT_FALSE(f->vcap1.Capturing());
    EXPECT_FALSE(f->vcap1.Visible());
    EXPECT_EQ(cameraStarts, 1);
    const int told = plugin.Log().count(ownShown);
    auto expectAvatar = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_FALSE(f->vcap1.Capturing());
        EXPECT_FALSE(f->vcap1.Visible());
        EXPECT_FALSE(f->PicLocal(0).Visible());
        EXPECT_FALSE(f->ImgShow(0).Visible());
        // (The ready plug-in draws over the own seat: the avatar stays hidden.)
        EXPECT_EQ(plugin.Log().count(ownShown), told);
    };
    for (int tick = 0; tick < 5; ++tick)
        f->TimerBong_Timer();
    expectAvatar("the re-show");

    nextHand();
    EXPECT_FALSE(CameraOn) << "the flag goes with the hand's camera";
    Operate::StartLocalCamera();
    Operate::LoginVideoServer();
    for (int tick = 0; tick < 5; ++tick)
        f->TimerBong_Timer();
    expectAvatar("the next round start");
    f->ImCmd_Click(3);
    f->ImCmd_Click(1);
    expectAvatar("the own strip's off and pop-out icons");
    EXPECT_EQ(LoadedVideoWindow(0), nullptr);
    EXPECT_EQ(cameraStarts, 1);

    // Video on again mid-hand: the camera comes back at the hand's next
    // camera step (the deal's).
    switchVideo();
    ASSERT_TRUE(VideoEnabled);
    EXPECT_FALSE(f->vcap1.Capturing());
    Operate::StartLocalCamera();
    EXPECT_TRUE(f->vcap1.Capturing());
    EXPECT_TRUE(f->vcap1.Visible());
    EXPECT_EQ(cameraStarts, 2);
}

// With video off, the own player's information (code 20) tells the props
// plug-in that the own seat's video is hidden, also while the camera flag
// of the hand is still set.
TEST_F(VideoLink, WithVideoOffTheOwnInformationTellsThePluginNoVideo)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    Mod_Prop::Prop_swicth = 1;
    custom[0].SeatMask = 1;
    Operate::StartLocalCamera();
    ASSERT_TRUE(CameraOn);
    switchVideo();
    ASSERT_FALSE(VideoEnabled);
    const int shown = plugin.Log().count(QStringLiteral("rec_state(2, False, 0)"));
    const int hidden = plugin.Log().count(QStringLiteral("rec_state(2, True, 0)"));
    mjtest::Dispatch(mjtest::frames::UserInfo(15).Account("东家").Coins(1000).PropsSwitch(0));
    EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, False, 0)")), shown);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, True, 0)")), hidden + 1);
    EXPECT_FALSE(f->vcap1.Visible());
}

// The relay goes away mid-hand: the seats that showed video show their
// avatars again, as before any video, not a frozen last frame.
TEST_F(VideoLink, ADroppedRelayLinkTakesTheSeatsBack)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    startRelay({{QStringLiteral("li"), false}, {QStringLiteral("wang"), false}});
    custom[1].Name = QStringLiteral("li");
    custom[3].Name = QStringLiteral("wang");
    handStarts();
    ASSERT_TRUE(runUntil([&] { return f->vshow1(1).FramesShown() > 0 && f->vshow1(3).FramesShown() > 0; }));
    f->ImCmd_Click(13); // side 3's pop-out window
    ASSERT_TRUE(LoadedVideoWindow(3)->Visible());
    relay.reset();
    EXPECT_TRUE(runUntil([&] { return !f->vshow1(1).Visible() && !f->vshow1(3).Visible(); }));
    for (int side : {1, 3}) {
        SCOPED_TRACE(side);
        EXPECT_FALSE(f->ImgKuang(side).Visible());
        EXPECT_FALSE(f->PicLocal(side).Visible());
        EXPECT_FALSE(f->ImgShow(side).Visible());
        EXPECT_TRUE(f->Tou(side).Visible());
        EXPECT_FALSE(PeerShown[side]);
        EXPECT_TRUE(PeerFrame(side).isEmpty());
        EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, True, %1)").arg(side)), 1);
    }
    EXPECT_FALSE(LoadedVideoWindow(3)->Visible());
    EXPECT_EQ(f->P2PSocket1.UserID(1), QStringLiteral("li")) << "the slots keep their players for a new login";
}

// Frames come faster than the seats show them: a seat draws the newest
// frame of a tick once, decoded once for the seat and its pop-out window; a
// blocked seat decodes nothing.
TEST_F(VideoLink, ASeatDrawsTheNewestFrameOfATickOnce)
{
    startRelay({{QStringLiteral("li"), false}, {QStringLiteral("wang"), false}});
    custom[1].Name = QStringLiteral("li");
    custom[2].Name = QStringLiteral("wang");
    relay->OnPeerFrame = nullptr;
    loginAndRequest();
    P2PSocket& link = f->P2PSocket1;
    ASSERT_TRUE(mjtest::PumpUntil([&] { return link.UserState(1) == 15 && link.UserState(2) == 15; }));
    runUntil([&] { return PeerShown[1] && PeerShown[2]; });
    f->RemoteVideoPoll();
    f->ImCmd_Click(5); // side 1's pop-out window
    VideoWindow& window = *LoadedVideoWindow(1);
    f->ImCmd_Click(8); // side 2 blocked
    const int seat = f->vshow1(1).FramesShown(), popped = window.vshow1.FramesShown();
    const int64_t decoded = FramesDecoded();
    for (int n = 1; n <= 5; ++n) {
        f->P2PSocket1_DataReceived(1, frameOf(100 + n));
        f->P2PSocket1_DataReceived(2, frameOf(200 + n));
    }
    EXPECT_EQ(f->vshow1(1).FramesShown(), seat) << "nothing drawn before the tick";
    EXPECT_EQ(FramesDecoded(), decoded) << "nothing decoded before the tick";
    f->RemoteVideoPoll();
    EXPECT_EQ(f->vshow1(1).FramesShown(), seat + 1);
    EXPECT_EQ(window.vshow1.FramesShown(), popped + 1);
    EXPECT_EQ(f->vshow1(1).Shown(), DecodeFrame(frameOf(105)));
    EXPECT_EQ(window.vshow1.Shown(), DecodeFrame(frameOf(105)));
    EXPECT_EQ(FramesDecoded(), decoded + 3) << "one for the two surfaces, two for the comparison";
    EXPECT_EQ(Operate::KeptFrame(2), frameOf(205)) << "the blocked seat keeps its newest frame";
    EXPECT_EQ(f->vshow1(2).Visible(), false);
    f->RemoteVideoPoll();
    EXPECT_EQ(f->vshow1(1).FramesShown(), seat + 1) << "a tick without a new frame draws nothing";
    // A seat blocked between a frame and the tick draws nothing.
    f->P2PSocket1_DataReceived(1, frameOf(106));
    f->ImCmd_Click(4);
    const int64_t before = FramesDecoded();
    f->RemoteVideoPoll();
    EXPECT_EQ(FramesDecoded(), before);
    EXPECT_EQ(f->vshow1(1).FramesShown(), seat + 1);
}

// The sparse throttle counts only frames that went out: the third frame is
// dropped while the link is backed up, so the sparse peer gets the next one
// as its third.
TEST_F(VideoLink, TheSparseThrottleCountsOnlyFramesThatWentOut)
{
    startRelay({{QStringLiteral("every"), false}, {QStringLiteral("sparse"), true}});
    custom[1].Name = QStringLiteral("every");
    custom[2].Name = QStringLiteral("sparse");
    loginAndRequest();
    P2PSocket& link = f->P2PSocket1;
    ASSERT_TRUE(mjtest::PumpUntil([&] { return link.UserState(1) == 15 && link.UserState(2) == 14; }));
    drain();
    got.clear();
    // Frames of the largest size, handed over without a turn of the event
    // loop: after two of them the link holds more than it may.
    QList<QByteArray> frames;
    for (int n = 0; n < 5; ++n)
        frames << QByteArray(VideoWire::MaxFrameBytes, static_cast<char>('a' + n));
    for (int n = 0; n < 3; ++n)
        f->vcap1_FrameCaptured(frames[n]);
    ASSERT_GT(link.Backlog(), P2PSocket::MaxBacklog);
    drain();
    f->vcap1_FrameCaptured(frames[3]);
    drain();
    f->vcap1_FrameCaptured(frames[4]);
    drain();
    ASSERT_TRUE(mjtest::PumpUntil([&] { return got.value(QStringLiteral("every")).size() == 4; }));
    mjtest::PumpUntil([] { return false; }, 100);
    EXPECT_EQ(got.value(QStringLiteral("every")), (QList<QByteArray>{frames[0], frames[1], frames[3], frames[4]}));
    EXPECT_EQ(got.value(QStringLiteral("sparse")), (QList<QByteArray>{frames[0], frames[1], frames[3]}));
    EXPECT_EQ(PeerThrottle[2], 4);
}

namespace {

// A frame whose header is whole but whose picture is missing: a surface
// takes its header, its picture does not decode.
QByteArray headerOnly(const QByteArray& frame)
{
    const qsizetype scan = frame.indexOf(QByteArray("\xFF\xDA", 2));
    return scan > 0 ? frame.left(scan) : QByteArray();
}

} // namespace

// Frames whose header is good but whose picture does not decode: one that
// comes first leaves the seat closed over its avatar, and the photo has
// nothing to take; later ones leave the seat's picture, its redraws, its
// pop-out window and its photo on the last frame that decoded, also while
// the seat is blocked.
TEST_F(VideoLink, AFrameThatDoesNotDecodeIsNeitherShownNorKept)
{
    startRelay({{QStringLiteral("li"), false}, {QStringLiteral("wang"), false}});
    relay->SetPeerRate(0);
    custom[1].Name = QStringLiteral("li");
    custom[2].Name = QStringLiteral("wang");
    loginAndRequest();
    P2PSocket& link = f->P2PSocket1;
    ASSERT_TRUE(mjtest::PumpUntil([&] { return link.UserState(1) == 15 && link.UserState(2) == 15; }));
    ASSERT_EQ(link.UserID(2), QStringLiteral("wang"));
    const QByteArray good = frameOf(7), broken = headerOnly(frameOf(8));
    ASSERT_TRUE(FrameAcceptable(broken));
    ASSERT_TRUE(DecodeFrame(broken).isNull());
    const QImage goodPicture = DecodeFrame(good);
    auto message = [&] { return f->Sysmsg(f->Sysmsg(1).ListCount() ? 1 : 0).List(0); };
    auto photo = [&] {
        f->ImCmd_Click(10);
        return message();
    };

    f->P2PSocket1_DataReceived(2, broken);
    f->RemoteVideoPoll();
    EXPECT_FALSE(f->vshow1(2).Visible()) << "the seat stays closed";
    EXPECT_FALSE(f->PicLocal(2).Visible());
    EXPECT_FALSE(PeerShown[2]);
    EXPECT_TRUE(f->Tou(2).Visible());
    EXPECT_TRUE(Operate::KeptFrame(2).isEmpty());
    EXPECT_EQ(photo(), QStringLiteral("照相失败,照片没有保存。"));

    f->P2PSocket1_DataReceived(2, good);
    f->RemoteVideoPoll();
    ASSERT_TRUE(f->vshow1(2).Visible());
    f->ImCmd_Click(9); // the pop-out window
    VideoWindow& window = *LoadedVideoWindow(2);
    f->P2PSocket1_DataReceived(2, broken);
    f->RemoteVideoPoll();
    EXPECT_EQ(f->vshow1(2).Shown(), goodPicture);
    EXPECT_EQ(Operate::KeptFrame(2), good);
    const int shown = f->vshow1(2).FramesShown();
    f->Timer_Vshow2_Timer();
    EXPECT_EQ(f->vshow1(2).FramesShown(), shown + 2) << "the redraw draws the kept frame";
    f->Timer_Zoom_Timer();
    EXPECT_EQ(window.vshow1.Shown(), goodPicture) << "the pop-out window's redraw";
    EXPECT_EQ(photo(), QStringLiteral("照相成功,照片保存在本机相册中。"));

    // Blocked: a good frame is kept, a broken one after it is not.
    f->ImCmd_Click(8);
    const QByteArray next = frameOf(9);
    f->P2PSocket1_DataReceived(2, next);
    EXPECT_EQ(Operate::KeptFrame(2), next);
    f->P2PSocket1_DataReceived(2, broken);
    EXPECT_EQ(Operate::KeptFrame(2), next);
    EXPECT_EQ(photo(), QStringLiteral("照相成功,照片保存在本机相册中。"));
}

// A frame waiting for the next tick goes with its side's video: after a
// member leaving (code 21), a member's information (code 20) and the own
// player leaving the seat, the tick draws nothing on the hidden surface and
// does not open it again.
TEST_F(VideoLink, AWaitingFrameGoesWithTheSidesVideo)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    Mod_Prop::Prop_swicth = 1;
    const struct {
        const char* name;
        std::function<void()> event;
    } cases[] = {
        {"member left", [] { mjtest::Dispatch(mjtest::ServerFrame(21).Bytes(16, "li")); }},
        {"member information", [] { mjtest::Dispatch(mjtest::frames::UserInfo(4).Account("wang")); }},
        // Without a seat mask the member takes the first empty plate, side 1.
        {"the side's member information, with props",
         [] { mjtest::Dispatch(mjtest::frames::UserInfo(0).Account("li").Coins(1000).PropsSwitch(0)); }},
        {"leaving the seat", [] { Api::SendLeaveSeat(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startRelay({{QStringLiteral("li"), false}});
        relay->SetPeerRate(0);
        custom[0].SeatMask = 1;
        custom[1].Name = QStringLiteral("li");
        custom[1].SeatMask = 2;
        loginAndRequest();
        P2PSocket& link = f->P2PSocket1;
        ASSERT_TRUE(mjtest::PumpUntil([&] { return link.UserState(1) == 15; }));
        f->P2PSocket1_DataReceived(1, frameOf(1));
        f->RemoteVideoPoll();
        ASSERT_TRUE(f->vshow1(1).Visible());
        const int shown = f->vshow1(1).FramesShown();
        f->P2PSocket1_DataReceived(1, frameOf(2));
        c.event();
        ASSERT_FALSE(f->vshow1(1).Visible());
        f->RemoteVideoPoll();
        EXPECT_EQ(f->vshow1(1).FramesShown(), shown) << "nothing drawn on the hidden surface";
        EXPECT_FALSE(f->vshow1(1).Visible());
        EXPECT_FALSE(PeerShown[1]);
        nextHand();
        relay.reset();
        VideoSteps.Fill(false);
    }
}
