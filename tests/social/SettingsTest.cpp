// The sound and video settings window: its layout, every row's switch with
// OK and Cancel, the sound back end recording the music, the test plug-in
// told of the effects switch, and the video switch with the own camera, the
// seats' video, the pop-out windows, vidiosetting.ini (read again by a real
// start-up) and the login to a relay on loopback.
#include "FakeHall.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "client/classIniFile.h"
#include "mjrelay/Relay.h"
#include "platform/Audio.h"
#include "platform/Program.h"
#include "platform/Screen.h"
#include "platform/TestPattern.h"
#include "platform/Video.h"
#include "social/Mod_Prop.h"
#include "social/VosSet.h"
#include "video/Operate.h"
#include "video/VideoState.h"
#include "video/VideoWindow.h"
#include "video/frm_Remote2.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mj;

namespace {

const QString Hall = QStringLiteral("settings test hall");

// A camera that starts as often as allowed, then refuses.
class CountedCamera : public CaptureSource {
public:
    explicit CountedCamera(int* startsLeft) : left_(startsLeft) {}
    bool Start() override { return (*left_)-- > 0; }
    void Stop() override {}
    QImage Take() override { return TestPatternImage(++n_, QStringLiteral("OWN")); }

private:
    int* left_;
    int n_ = 0;
};

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        const QString prog = root.filePath(QStringLiteral("table"));
        ASSERT_TRUE(QDir().mkpath(prog));
        ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("common/music"))));
        writeFile(root.filePath(QStringLiteral("common/music/majiang.wav")), "RIFF");
        SetProgramFolder(prog);
        f = &mjtest::OpenTableWindow(Hall);
        mjtest::LeaveTimersToTest(*f);
        Mod_Resource::InitSoundFiles();
        auto owned = std::make_unique<Audio::RecordingBackend>();
        audio = owned.get();
        Audio::SetBackend(std::move(owned));
        writeIni("[vidiosetting]\r\nvidiovalue=1\r\n");
        VideoEnabled = true;
        SetCaptureSourceFactory([this] { return std::make_unique<CountedCamera>(&startsLeft); });
    }
    void TearDown() override
    {
        SetCaptureSourceFactory({});
        qunsetenv("MJ_VIDEO_RELAY_PORT");
        f->P2PSocket1.Logout();
        f->vcap1.StopCapture();
        Mod_Prop::PropObj.reset();
    }
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QString iniPath() const { return ProgramFolder() + QStringLiteral("/vidiosetting.ini"); }
    void writeIni(const QByteArray& text) { writeFile(iniPath(), text); }
    QByteArray iniText() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    VosSet& settings() { return form<VosSet>(); }
    void click(int row)
    {
        int16_t r = static_cast<int16_t>(row);
        settings().Command2_Click(r);
    }
    int picture(int row) { return settings().Command2(row).Picture().ResourceId(); }
    QString musicPath() const { return Mod_Resource::SoundFile[1]; }

    QTemporaryDir root;
    MainForm* f = nullptr;
    Audio::RecordingBackend* audio = nullptr;
    int startsLeft = 100;
};

} // namespace

// The window as its load leaves it: opaque, the buttons and the
// switches in their places, the switch pictures by row and video setting.
TEST_F(Settings, LoadLaysOutTheRows)
{
    for (bool video : {true, false}) {
        unload<VosSet>();
        VideoEnabled = video;
        VosSet& w = settings();
        EXPECT_EQ(w.WindowAlpha(), 255);
        EXPECT_EQ(w.Caption(), QStringLiteral("音效设置"));
        EXPECT_FALSE(w.Visible());
        EXPECT_EQ(w.Command1(0).Picture().ResourceId(), 130);
        EXPECT_EQ(w.Command1(1).Picture().ResourceId(), 132);
        EXPECT_EQ(w.Command1(0).Left(), 28);
        EXPECT_DOUBLE_EQ(w.Command1(1).Left(), 119);
        EXPECT_EQ(w.Command1(1).Top(), 320);
        const double tops[] = {43, 99, 155, 211, 259};
        const int pictures[] = {134, 134, 134, 136, video ? 134 : 135};
        for (int i = 0; i <= 4; ++i) {
            EXPECT_TRUE(w.Command2(i).Visible()) << i;
            EXPECT_EQ(w.Command2(i).Left(), 127) << i;
            EXPECT_EQ(w.Command2(i).Top(), tops[i]) << i;
            EXPECT_EQ(w.Command2(i).Width(), 65) << i;
            EXPECT_EQ(picture(i), pictures[i]) << i;
            EXPECT_FALSE(w.RowChanged[i]);
        }
    }
}

// Rows 0 to 2 clicked once or twice, then Cancel or OK: Cancel turns back
// an odd count only, OK keeps what the clicks did. The music stops and
// restarts from the start, looped at full volume.
TEST_F(Settings, CancelTurnsBackTheSoundRows)
{
    bool* flags[] = {&Mod_Sound::MusicOn, &Mod_Sound::SystemSoundOn, &Mod_Sound::FunctionSoundOn};
    const QStringList restart = {QStringLiteral("create ") + musicPath(), QStringLiteral("play loop"),
                                 QStringLiteral("volume 0")};
    for (int row = 0; row <= 2; ++row) {
        for (int clicks : {1, 2}) {
            for (int16_t button : {1, 0}) {
                SCOPED_TRACE(QStringLiteral("row %1, %2 clicks, button %3").arg(row).arg(clicks).arg(button).toStdString());
                *flags[row] = true;
                unload<VosSet>();
                settings().Show();
                Mod_Sound::PlayWave(musicPath(), true); // the music of start-up
                audio->ClearLog();
                for (int c = 0; c < clicks; ++c)
                    click(row);
                const bool afterClicks = clicks == 1 ? false : true;
                EXPECT_EQ(*flags[row], afterClicks);
                EXPECT_EQ(picture(row), afterClicks ? 134 : 135);
                if (row == 0) {
                    const QStringList& log = audio->Log();
                    ASSERT_FALSE(log.isEmpty());
                    EXPECT_EQ(log.first(), QStringLiteral("stop"));
                    EXPECT_EQ(log.mid(log.size() - 3), clicks == 2 ? restart : log.mid(log.size() - 3));
                    EXPECT_EQ(log.size(), clicks == 2 ? 6 : 1) << log.join(u'|').toStdString();
                }
                audio->ClearLog();
                settings().Command1_Click(button);
                EXPECT_FALSE(settings().Visible());
                const bool turnedBack = button == 1 && clicks == 1;
                EXPECT_EQ(*flags[row], turnedBack ? true : afterClicks);
                EXPECT_EQ(picture(row), *flags[row] ? 134 : 135);
                if (row == 0) {
                    EXPECT_EQ(audio->Log().filter(QStringLiteral("play loop")).size(), turnedBack ? 1 : 0);
                }
                EXPECT_FALSE(settings().RowChanged[row]);
            }
        }
    }
}

// The effects switch tells the plug-in the new value at every click, and
// nothing when Cancel turns it back.
TEST_F(Settings, TheEffectsSwitchTellsThePluginButNotItsCancel)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    click(2);
    click(2);
    click(2);
    settings().Command1_Click(1);
    EXPECT_TRUE(Mod_Sound::FunctionSoundOn);
    const QStringList told = plugin.Log().split(u'\n').filter(QStringLiteral("rec_state(1,"));
    EXPECT_EQ(told, (QStringList{QStringLiteral("rec_state(1, False, 0)"), QStringLiteral("rec_state(1, True, 0)"),
                                 QStringLiteral("rec_state(1, False, 0)")}));
    // Without a ready plug-in nothing is told.
    Mod_Prop::Prop_GameDllState = -1;
    click(2);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(1,")), 3);
}

// The voice-language row sets Mandarin for all four seats; Cancel after one
// or two clicks puts back what the seats had, OK keeps Mandarin, and a table
// where nobody chose the dialect never gets it.
TEST_F(Settings, TheVoiceRowSetsMandarinAndCancelPutsBack)
{
    const struct {
        QStringList langs;
        int clicks;
        int16_t button;
        QStringList after;
    } cases[] = {
        {{"00", "27", "00", "27"}, 1, 1, {"00", "27", "00", "27"}},
        {{"00", "27", "00", "27"}, 2, 1, {"00", "27", "00", "27"}},
        {{"27", "00", "00", "00"}, 1, 0, {"00", "00", "00", "00"}},
        {{"00", "00", "00", "00"}, 1, 1, {"00", "00", "00", "00"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.langs.join(u' ').toStdString());
        for (int i = 0; i <= 3; ++i) {
            Players[i].VoiceLang = c.langs[i];
            Players[i].VoicePack = QString::number(i + 1);
            Players[i].Sex = 1;
        }
        Mod_Resource::VoiceDir = QStringLiteral("/elsewhere/");
        for (int k = 0; k < c.clicks; ++k)
            click(3);
        for (int i = 0; i <= 3; ++i)
            EXPECT_EQ(Players[i].VoiceLang, QStringLiteral("00"));
        EXPECT_EQ(Mod_Resource::VoiceDir, ProgramFolder() + QStringLiteral("/../common/mj/"));
        EXPECT_EQ(picture(3), 136);
        settings().Command1_Click(c.button);
        for (int i = 0; i <= 3; ++i) {
            EXPECT_EQ(Players[i].VoiceLang, c.after[i]) << i;
            EXPECT_EQ(Players[i].VoicePack, QString::number(i + 1)) << i;
        }
        EXPECT_EQ(Mod_Resource::VoiceDir, c.button == 1 ? QStringLiteral("/elsewhere/")
                                                        : ProgramFolder() + QStringLiteral("/../common/mj/"));
        EXPECT_EQ(picture(3), 136);
    }
}

// Video off with the own capture running behind a hidden preview stops it
// (CameraOn stays), hides the seats' video and the open pop-out windows,
// logs out and writes "0"; video on starts the capture again and shows the
// preview. Cancel does not turn the video row back.
TEST_F(Settings, VideoOffStopsTheCaptureAndVideoOnRestartsIt)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    Operate::StartLocalCamera();
    ASSERT_TRUE(CameraOn);
    ASSERT_TRUE(f->vcap1.Capturing());
    f->vcap1.SetVisible(false); // the preview hidden, the capture running
    f->vshow1(1).SetVisible(true);
    f->ImgKuang(1).SetVisible(true);
    f->PicLocal(1).SetVisible(true);
    f->ImCmd_Click(9); // side 2's pop-out window
    ASSERT_TRUE(form<frm_Remote2>().Visible());
    P2PStarted = true;

    click(4);
    EXPECT_FALSE(VideoEnabled);
    EXPECT_FALSE(f->vcap1.Capturing());
    EXPECT_TRUE(CameraOn);
    EXPECT_FALSE(P2PStarted);
    EXPECT_FALSE(f->vshow1(1).Visible());
    EXPECT_FALSE(f->ImgKuang(1).Visible());
    EXPECT_FALSE(f->PicLocal(1).Visible());
    EXPECT_FALSE(f->Tou(1).Visible()); // the plug-in is ready: it shows the seat
    EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, True, 1)")), 1);
    EXPECT_TRUE(isLoaded<frm_Remote2>());
    EXPECT_FALSE(form<frm_Remote2>().Visible());
    EXPECT_EQ(picture(4), 135);
    EXPECT_TRUE(iniText().contains("vidiovalue=0")) << iniText().toStdString();

    settings().Command1_Click(1);
    EXPECT_FALSE(VideoEnabled);

    f->ImgShow(1).SetVisible(true); // a blocked seat
    click(4);
    EXPECT_TRUE(VideoEnabled);
    EXPECT_TRUE(f->vcap1.Capturing());
    EXPECT_TRUE(f->vcap1.Visible());
    EXPECT_TRUE(f->PicLocal(0).Visible());
    EXPECT_FALSE(f->Tou(0).Visible());
    EXPECT_FALSE(f->Tou(0).Enabled());
    EXPECT_TRUE(f->vshow1(1).Visible());
    EXPECT_FALSE(f->ImgShow(1).Visible());
    EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, False, 0)")), 2); // the camera start, video on
    EXPECT_EQ(picture(4), 134);
    EXPECT_TRUE(iniText().contains("vidiovalue=1")) << iniText().toStdString();
}

// A camera that does not start again when video comes back on takes the
// failed-start path: the message, CameraOn cleared, the avatar back.
TEST_F(Settings, AFailedRestartIsACameraFailure)
{
    startsLeft = 1;
    Operate::StartLocalCamera();
    ASSERT_TRUE(CameraOn);
    click(4);
    click(4);
    EXPECT_TRUE(VideoEnabled);
    EXPECT_FALSE(CameraOn);
    EXPECT_FALSE(f->vcap1.Visible());
    EXPECT_FALSE(f->PicLocal(0).Visible());
    EXPECT_TRUE(f->Tou(0).Visible());
    EXPECT_EQ(f->Sysmsg(0).List(0), QStringLiteral("您没有视频设备或您的视频源正在使用。"));
}

// A missing file: the switch only writes it with "1"; flag, picture and
// camera stay. A garbled file: the switch works and the file holds the key.
TEST_F(Settings, AMissingOrGarbledFile)
{
    Operate::StartLocalCamera();
    ASSERT_TRUE(QFile::remove(iniPath()));
    click(4);
    EXPECT_TRUE(VideoEnabled);
    EXPECT_TRUE(f->vcap1.Capturing());
    EXPECT_EQ(picture(4), 134);
    EXPECT_TRUE(iniText().contains("vidiovalue=1")) << iniText().toStdString();

    writeIni(QByteArray("\xff\xfe[vid\x01iosetting\n=\n\0\0junk", 22));
    click(4);
    EXPECT_FALSE(VideoEnabled);
    EXPECT_EQ(picture(4), 135);
    classIniFile check;
    check.SetINIFileName(iniPath());
    EXPECT_EQ(check.GetIniKey(QStringLiteral("vidiosetting"), QStringLiteral("vidiovalue")), QStringLiteral("0"));
}

// Video on logs in to the relay only once the own seat name is known, with
// three slots, and never in watch mode; every off-on logs in again.
TEST_F(Settings, VideoOnLogsInOnceTheNameIsKnown)
{
    mjrelay::Relay relay;
    ASSERT_TRUE(relay.Listen(0));
    qputenv("MJ_VIDEO_RELAY_PORT", QByteArray::number(relay.Port()));
    GameServer.Host = QStringLiteral("127.0.0.1");
    P2PSocket& link = f->P2PSocket1;

    click(4); // off
    click(4); // on, no name yet
    EXPECT_TRUE(VideoEnabled);
    EXPECT_FALSE(P2PStarted);
    EXPECT_TRUE(link.LoginName().isEmpty());

    custom[0].Name = QStringLiteral("东家");
    click(4);
    click(4);
    EXPECT_TRUE(P2PStarted);
    EXPECT_EQ(link.UserCount(), 3);
    EXPECT_EQ(link.ServerPort(), relay.Port());
    ASSERT_TRUE(mjtest::PumpUntil([&] { return relay.Users().contains(QStringLiteral("东家")); }));
    click(4); // off: logged out
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !relay.Users().contains(QStringLiteral("东家")); }));
    click(4);
    ASSERT_TRUE(mjtest::PumpUntil([&] { return relay.Users().contains(QStringLiteral("东家")); }));

    click(4);
    WatchMode = true;
    click(4);
    EXPECT_FALSE(P2PStarted);
    EXPECT_TRUE(link.LoginName().isEmpty());
}

// The switch lasts: after video off, the next start-up of the client reads
// video off from the file.
TEST_F(Settings, TheNextStartReadsVideoOff)
{
    click(4);
    ASSERT_FALSE(VideoEnabled);
    const QString folder = ProgramFolder();

    DiscardAllForms();
    ResetSharedState();
    VideoEnabled = true;
    SetProgramFolder(folder);
    qputenv("MJ_INSTANCE_LOCK", QDir(folder).filePath(QStringLiteral("instance.lock")).toUtf8());
    Screen::SetSize(1024, 768);
    mjtest::FakeHall hall{Hall};
    QTcpServer quiet;
    ASSERT_TRUE(quiet.listen(QHostAddress::LocalHost, 0));
    SetCommandLine(QStringLiteral("player1$secret$127.0.0.1$%1$一号房间$0$proxy.example$1080$user$pass$0$%2$标题$1$7$")
                       .arg(quiet.serverPort())
                       .arg(Hall));
    EXPECT_FALSE(mjtest::EndsProgram([] { form<MainForm>(); }));
    EXPECT_FALSE(VideoEnabled);
    qunsetenv("MJ_INSTANCE_LOCK");
    f = &form<MainForm>();
}

// Video on while the relay is down: one attempt, the login fails, and
// nothing tries again (the next hand logs in anew).
TEST_F(Settings, VideoOnWithTheRelayDownTriesOnce)
{
    QTcpServer down;
    ASSERT_TRUE(down.listen(QHostAddress::LocalHost, 0));
    int connections = 0;
    QObject::connect(&down, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = down.nextPendingConnection()) {
            ++connections;
            s->abort();
            s->deleteLater();
        }
    });
    qputenv("MJ_VIDEO_RELAY_PORT", QByteArray::number(down.serverPort()));
    GameServer.Host = QStringLiteral("127.0.0.1");
    custom[0].Name = QStringLiteral("东家");
    click(4);
    click(4);
    EXPECT_TRUE(VideoEnabled);
    ASSERT_TRUE(mjtest::PumpUntil([&] { return connections == 1; }));
    mjtest::PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(connections, 1);
    EXPECT_FALSE(f->P2PSocket1.LoggedIn());
}
