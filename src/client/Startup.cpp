// Start-up: the table window's load event brings the whole client up in one
// pass: single instance, screen fit, sound, pictures and layout, the hall's
// command line, the video setting, the login frame, the connection, the hall
// window, auto mode, the second layout pass and the hall's messages.
#include "client/MainForm.h"

#include "client/Api.h"
#include "client/CommandLine.h"
#include "client/Data.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/Mod_Proxy.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/classIniFile.h"
#include "platform/Application.h"
#include "platform/HallLink.h"
#include "platform/InstanceLock.h"
#include "platform/Program.h"
#include "platform/Screen.h"
#include "table/NewGame.h"
#include "video/VideoState.h"

#include <QDir>

namespace mj {

namespace {

constexpr double TwipsPerPixel = 15;

// The hall's messages reach the table window's procedure from here on.
int32_t hallMessage(int32_t msg, int32_t wParam, int32_t lParam)
{
    return Api::WndProc(0, msg, wParam, lParam);
}

} // namespace

bool MainForm::Is_File_Exist(QString path, QString fileName)
{
    // The folder listing of the path's folder, normal files only, must hold
    // exactly this name, letter case included.
    const QFileInfo info(path);
    const QDir folder = info.dir();
    if (!folder.exists())
        return false;
    const QStringList names = folder.entryList({info.fileName()}, QDir::Files | QDir::Hidden | QDir::CaseSensitive);
    return names.size() == 1 && names[0] == fileName;
}

void MainForm::Form_Load()
{
    try {
        StartUp();
    } catch (const RuntimeError&) {
        // Any run-time error of start-up: the hall comes back, the client ends.
        Operate::RestoreHallWindow();
        EndProgram();
    }
}

void MainForm::StartUp()
{
    // 1
    General::ResetNetBuffers();
    // 2: one instance at a time.
    if (!InstanceLock::AcquireSingleInstance()) {
        MsgBox(QStringLiteral("霁川杠兹游戏已经运行！"), vbOKOnly, QStringLiteral("警告"));
        Operate::RestoreHallWindow();
        EndProgram();
    }
    // 3
    FirstGame = true;
    AutoPlay = false;
    TurnSeconds = 8;
    WebBrowser2.SetVisible(false);
    ButtonsAtRest = true;
    // 4: the window fits the screen; the scale follows.
    FitToScreen();
    // 5, 6
    BannerFailed = false;
    SendOn = RecvOn = ConnectWatchOn = BlinkOn = ConnectionMonitorOn = false;
    ConnectionMonitorTicks = 0;
    TurnClockOn = NextRoundCountdownOn = PulseOn = false;
    PulseTicks = 0;
    BubbleHideOn = false;
    ChatMaySend = true;
    LoginPending = false;
    Mod_Sound::MusicOn = Mod_Sound::SystemSoundOn = Mod_Sound::FunctionSoundOn = true;
    // 7: sound, and the background music loops.
    Mod_Resource::InitSoundFiles();
    if (Mod_Sound::FunctionSoundOn) {
        Mod_Sound::InitSound(*this);
        Mod_Sound::StopWave();
        Mod_Sound::PlayWave(Mod_Resource::SoundFile[1], true, 0);
        Mod_Sound::SetWaveVolume(3000);
    }
    // 8
    ReconnectAllowed = false;
    OtherPlayerNames.Fill(QString());
    SeatShuffleStep = 0;
    TimerShuffle.SetEnabled(false);
    LblShuffle.SetVisible(false);
    ImgShuffle.SetVisible(false);
    SeatShuffleShown = SeatShuffleRunning = false;
    const QString shuffle = QStringLiteral("正在随机换座中");
    for (int i = 0; i <= 3; ++i)
        SeatShuffleTexts[i] = shuffle + QString(i + 2, u'.');
    // 9
    DeferVideo = true;
    VideoTicks = 0;
    VideoPoll = false;
    VideoSteps.Fill(false);
    TableResetDone = false;
    ReceiveWatchdog = 0;
    ChatFlash = 0;
    OthersSeated = 0;
    LoginDone = 0;
    RecvBusy = ReadySent = false;
    // 10
    NewGame::LayoutBusy = true;
    Image_Resource::InitPictureIds();
    NewGame::InitTableLayout();
    NewGame::LayoutBusy = false;
    // 11
    RoundNo = 0;
    HandInPlay = false;
    ClaimedDiscardImage = -1;
    BlinkImage = -1;
    AutoMode = false;
    // 12: the hall's command line.
    const QString line = CommandLine().trimmed();
    if (line.isEmpty()) {
        MsgBox(QStringLiteral("本游戏需从游戏大厅中启动！"), vbOKOnly, QStringLiteral("警告"));
        EndProgram();
    }
    const CommandLineRest rest = ReadCommandLine(line);
    if (rest.HasLocation) {
        if (ScaleX < 1)
            Location.SetFontSize(10);
        if (rest.Location.size() > 10)
            Location.SetFontSize(Location.FontSize() - 2);
        Location.SetCaption(rest.Location);
    }
    // 13: the video setting.
    ReadVideoSetting();
    // 14
    P2PStarted = false;
    if (VideoEnabled) {
        P2PStarted = true;
        P2PSocket1.SetServerHost(GameServer.Host);
        P2PSocket1.SetServerPort(4209);
        P2PSocket1.SetUserCount(3);
    }
    // 15
    Sysmsg(0).Clear();
    Sysmsg(0).AddItem(QStringLiteral("正在连接服务器..."));
    // 16
    TimerBong.SetEnabled(false);
    DirectLink = true;
    // 17: the login frame; the credential is not kept beyond it.
    Total::BuildLoginFrame(custom[0].Name, rest.Credential);
    // 18: the connection.
    Api::OpenGameConnection(*this);
    // 19, 20. A watch line has no hall title, and an auto-mode line may
    // leave it empty: the hall is then looked up under its usual title.
    if (HallTitle.isEmpty())
        HallTitle = UsualHallTitle;
    Operate::RestoreHallWindow();
    Show();
    // 21
    if (AutoMode) {
        SetCaption(AutoCaption);
        TurnSeconds = 1;
        AutoPlay = true;
    } else {
        HallTitle = UsualHallTitle;
    }
    // 22
    NewGame::InitTableLayoutAndCamera();
    // 23
    custom[0].SeatMask = 0;
    Reconnecting = false;
    OtherExitShown = false;
    if (WatchMode)
        RoundNo = 0;
    // 24: the hall's messages reach the table window from now on.
    HallLink::SetHandler(hallMessage);
}

void MainForm::FitToScreen()
{
    const double screenHeight = Screen::Height() / TwipsPerPixel;
    const double screenWidth = Screen::Width() / TwipsPerPixel;
    if (screenHeight > 768) {
        SetHeight(11940);
        SetTop(0);
        DrawSkin();
        Pic1.SetHeight(Height() - 420);
        Pic1.SetTop(300);
    } else {
        SetHeight(Screen::Height());
        SetTop(0);
        Pic1.SetHeight(Height());
        Pic1.SetTop(0);
    }
    if (screenWidth > 1024) {
        SetWidth(15600);
        SetLeft(0);
        DrawSkin();
        Pic1.SetWidth(Width() - 240);
        Pic1.SetLeft(120);
    } else {
        SetWidth(Screen::Width());
        SetLeft(0);
        Pic1.SetWidth(Width());
        Pic1.SetLeft(0);
    }
    if (screenHeight >= 768 && screenWidth >= 1024) {
        ScaleX = ScaleY = 1.0f;
        return;
    }
    ScaleY = 600.0f / 768.0f;
    ScaleX = 800.0f / 1024.0f;
    // The small table: the 800x600 background of Pic2, copied 1:1 into Pic1.
    Pic1.SetPicture(mj::Picture());
    Pic1.PaintPicture(Pic2.Picture(), 0, 0, Pic2.Width(), Pic2.Height(), 0, 0, Pic2.Width(), Pic2.Height());
    Pic1.ZOrder(1);
    Host.Move(6, 200);
    Zhuang.Move(45, 200);
    Sysmsg(0).SetFontSize(8);
    Sysmsg(1).SetFontSize(8);
}

void MainForm::ReadVideoSetting()
{
    const QString path = ProgramFolder() + QStringLiteral("/vidiosetting.ini");
    classIniFile& ini = IniFile();
    ini.SetINIFileName(path);
    if (Is_File_Exist(path, QStringLiteral("vidiosetting.ini"))) {
        const QString value = ini.GetIniKey(QStringLiteral("vidiosetting"), QStringLiteral("vidiovalue"));
        // A key that is empty, missing or not a number means video on, and
        // is written as "1", so that the client starts again next time.
        if (IsNumeric(value)) {
            VideoEnabled = CDbl(value) != 0;
            return;
        }
    }
    ini.WriteIniKey(QStringLiteral("vidiosetting"), QStringLiteral("vidiovalue"), QStringLiteral("1"));
    VideoEnabled = true;
}

} // namespace mj
