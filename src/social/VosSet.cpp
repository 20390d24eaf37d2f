#include "social/VosSet.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "client/classIniFile.h"
#include "client/frmExit.h"
#include "platform/Program.h"
#include "platform/Resources.h"
#include "social/Mod_Prop.h"
#include "video/Operate.h"
#include "video/VideoState.h"
#include "video/VideoWindow.h"

namespace mj {

namespace {

constexpr int16_t PictureOn = 134;    // 关闭: the function is on, a click turns it off
constexpr int16_t PictureOff = 135;   // 开启: the function is off
constexpr int16_t PictureVoice = 136; // 普通话

// Tells the props plug-in whether a side's video is hidden; false when the
// plug-in was not there to tell or failed (props are then off).
bool tellVideo(bool hidden, int16_t side)
{
    return Mod_Prop::CallPlugin([=](Tesmora& p) { p.rec_state(2, hidden, side); });
}

// Hides the avatar of a side whose video goes while the plug-in, which draws
// over the seat, is ready, and tells the plug-in; the avatar comes back when
// the plug-in fails.
void hideAvatarForPlugin(MainForm& table, int16_t side)
{
    if (Mod_Prop::Prop_GameDllState <= 0)
        return;
    table.Tou(side).SetVisible(false);
    if (!tellVideo(true, side))
        table.Tou(side).SetVisible(true);
}

// The video calls go on past a component call that fails.
template <typename Statement>
void step(Statement statement)
{
    try {
        statement();
    } catch (const RuntimeError&) {
    }
}

void playMusic()
{
    Mod_Sound::PlayWave(Mod_Resource::SoundFile[1], true);
    Mod_Sound::SetWaveVolume(3000);
}

} // namespace

VosSet::VosSet()
    : Form(QStringLiteral("VosSet"), ScaleMode::Pixels)
    , Image1(*this, QStringLiteral("Image1"), {0, 1, 2, 3, 4})
    , Command2(*this, QStringLiteral("Command2"), {0})
    , Command1(*this, QStringLiteral("Command1"), {0, 1})
{
    SetBorderless(true);
    SetCaption(QStringLiteral("音效设置"));
    Move(0, 0, 220 * 15, 363 * 15);
    SetPicture(Resources::DesignPicture(QStringLiteral("VosSet")));
    const double tops[] = {40, 96, 152, 208, 256};
    for (int i = 0; i <= 4; ++i) {
        Image1(i).SetStretch(true);
        Image1(i).Move(16, tops[i], 91, 35);
        Image1(i).SetPicture(Resources::DesignPicture(QStringLiteral("VosSet.Image1(%1)").arg(i)));
    }
    Command2(0).SetStretch(true);
    for (int i = 0; i <= 1; ++i)
        Command1(i).SetStretch(true);
    Command2.OnClick = [this](int16_t index) { Command2_Click(index); };
    Command1.OnClick = [this](int16_t index) { Command1_Click(index); };
}

void VosSet::Form_Load()
{
    Command1(0).Move(Command1(0).Left(), Command1(0).Top(), 65, 30);
    Image_Resource::LoadGifResource(CInt(Image_Resource::DialogButtonPicture[0]), QStringLiteral("GIF"), Command1(0));
    Command1(1).Move(Command1(1).Left(), Command1(1).Top(), 65, 30);
    Image_Resource::LoadGifResource(CInt(Image_Resource::DialogButtonPicture[2]), QStringLiteral("GIF"), Command1(1));
    Command1(0).SetTop(320);
    Command1(0).SetLeft(28);
    Command1(1).SetTop(Command1(0).Top());
    Command1(1).SetLeft(Command1(0).Width() * 1.4 + Command1(0).Left());
    for (int i = 1; i <= 4; ++i) {
        Command2.Load(i);
        Command2(i).SetVisible(true);
    }
    for (int i = 0; i <= 4; ++i) {
        RowChanged[i] = false;
        Image& sw = Command2(i);
        sw.Move(Image1(i).Left() + Image1(i).Width() + 20, Image1(i).Top() + 3, 65, 30);
        SetSwitchPicture(i, i <= 2 ? PictureOn : PictureVoice);
    }
    SetSwitchPicture(4, VideoEnabled ? PictureOn : PictureOff);
}

void VosSet::SetSwitchPicture(int row, int16_t picture)
{
    Image_Resource::LoadGifResource(picture, QStringLiteral("GIF"), Command2(row));
}

void VosSet::Command2_Click(int16_t& index)
{
    if (index < 0 || index > 4)
        return;
    RowChanged[index] = !RowChanged[index];
    switch (index) {
    case 0:
        if (Mod_Sound::MusicOn) {
            Mod_Sound::MusicOn = false;
            Mod_Sound::StopWave();
            SetSwitchPicture(0, PictureOff);
        } else {
            Mod_Sound::MusicOn = true;
            playMusic();
            SetSwitchPicture(0, PictureOn);
        }
        break;
    case 1:
        Mod_Sound::SystemSoundOn = !Mod_Sound::SystemSoundOn;
        SetSwitchPicture(1, Mod_Sound::SystemSoundOn ? PictureOn : PictureOff);
        break;
    case 2:
        Mod_Sound::FunctionSoundOn = !Mod_Sound::FunctionSoundOn;
        SetSwitchPicture(2, Mod_Sound::FunctionSoundOn ? PictureOn : PictureOff);
        Mod_Prop::CallPlugin([](Tesmora& p) { p.rec_state(1, Mod_Sound::FunctionSoundOn); });
        break;
    case 3:
        // The row sets Mandarin; Cancel puts back what the seats had before.
        if (!voiceSaved_) {
            voiceSaved_ = true;
            for (int i = 0; i <= 3; ++i)
                savedVoiceLang_[i] = Players[i].VoiceLang;
            savedVoiceDir_ = Mod_Resource::VoiceDir;
        }
        for (int i = 0; i <= 3; ++i)
            Players[i].VoiceLang = QStringLiteral("00");
        Mod_Resource::VoiceDir = ProgramFolder() + QStringLiteral("/../common/mj/");
        SetSwitchPicture(3, PictureVoice);
        break;
    case 4:
        SwitchVideo();
        break;
    }
}

void VosSet::SwitchVideo()
{
    const QString path = ProgramFolder() + QStringLiteral("/vidiosetting.ini");
    classIniFile& ini = IniFile();
    ini.SetINIFileName(path);
    const QString section = QStringLiteral("vidiosetting"), key = QStringLiteral("vidiovalue");
    MainForm& table = form<MainForm>();
    if (!table.Is_File_Exist(path, QStringLiteral("vidiosetting.ini"))) {
        ini.WriteIniKey(section, key, QStringLiteral("1"));
        return;
    }
    P2PSocket& link = table.P2PSocket1;
    if (VideoEnabled) {
        ini.WriteIniKey(section, key, QStringLiteral("0"));
        VideoEnabled = false;
        // A running capture stops, whether or not its preview shows, and
        // the own reopen icon goes, so nothing starts the camera while video
        // is off; CameraOn stays, so switching video on starts it again.
        if (CameraOn) {
            step([&] { table.vcap1.StopCapture(); });
            table.ImgShow(0).SetVisible(false);
            if (table.vcap1.Visible()) {
                table.vcap1.SetVisible(false);
                table.PicLocal(0).SetVisible(false);
                table.Tiplbl.SetVisible(false);
                table.Tou(0).SetVisible(true);
                table.Tou(0).ZOrder(0);
                hideAvatarForPlugin(table, 0);
            }
        }
        for (int16_t s = 1; s <= 3; ++s) {
            if (table.vshow1(s).Visible()) {
                table.vshow1(s).SetVisible(false);
                table.ImgKuang(s).SetVisible(false);
                table.PicLocal(s).SetVisible(false);
                table.Tou(s).SetVisible(true);
                table.Tou(s).ZOrder(0);
                hideAvatarForPlugin(table, s);
            }
            // Every side's video state goes as at the end of a hand: the
            // closing step does nothing while video is off, and a side left
            // marked as shown would draw the next hand's frames out of sight.
            Operate::ForgetSideVideo(s);
        }
        for (int side = 0; side <= 3; ++side) {
            if (VideoWindow* window = LoadedVideoWindow(side); window && window->Visible())
                window->Hide();
        }
        step([&] { link.Logout(); });
        P2PStarted = false;
        SetSwitchPicture(4, PictureOff);
        return;
    }

    ini.WriteIniKey(section, key, QStringLiteral("1"));
    VideoEnabled = true;
    // The login waits for the own seat name; an onlooker has no video.
    if (!custom[0].Name.isEmpty() && !P2PStarted && !WatchMode) {
        P2PStarted = true;
        link.SetServerHost(GameServer.Host);
        link.SetServerPort(Operate::VideoRelayPort());
        link.SetUserCount(3);
        step([&] { link.Login(custom[0].Name); });
    }
    if (CameraOn) {
        // A camera that will not start again takes the failed-start path.
        if (table.vcap1.StartCapture() != 0) {
            Operate::CameraFailed();
        } else {
            table.vcap1.SetVisible(true);
            table.PicLocal(0).SetVisible(true);
            table.ImgShow(0).SetVisible(false);
            table.Tou(0).SetVisible(false);
            table.Tou(0).SetEnabled(false);
            tellVideo(false, 0);
        }
    }
    for (int16_t s = 1; s <= 3; ++s) {
        if (!table.ImgShow(s).Visible())
            continue;
        table.vshow1(s).SetVisible(true);
        table.ImgKuang(s).SetVisible(true);
        table.PicLocal(s).SetVisible(true);
        table.ImgShow(s).SetVisible(false);
        table.Tou(s).SetVisible(false);
        tellVideo(false, s);
    }
    SetSwitchPicture(4, PictureOn);
}

void VosSet::Command1_Click(int16_t index)
{
    Hide();
    if (index == 1) {
        if (RowChanged[0]) {
            Mod_Sound::MusicOn = !Mod_Sound::MusicOn;
            if (Mod_Sound::MusicOn) {
                playMusic();
                SetSwitchPicture(0, PictureOn);
            } else {
                Mod_Sound::StopWave();
                SetSwitchPicture(0, PictureOff);
            }
        }
        if (RowChanged[1]) {
            Mod_Sound::SystemSoundOn = !Mod_Sound::SystemSoundOn;
            SetSwitchPicture(1, Mod_Sound::SystemSoundOn ? PictureOn : PictureOff);
        }
        if (RowChanged[2]) {
            // The plug-in is not told.
            Mod_Sound::FunctionSoundOn = !Mod_Sound::FunctionSoundOn;
            SetSwitchPicture(2, Mod_Sound::FunctionSoundOn ? PictureOn : PictureOff);
        }
        if (voiceSaved_) {
            for (int i = 0; i <= 3; ++i)
                Players[i].VoiceLang = savedVoiceLang_[i];
            Mod_Resource::VoiceDir = savedVoiceDir_;
            SetSwitchPicture(3, PictureVoice);
        }
    }
    voiceSaved_ = false;
    for (int i = 0; i <= 3; ++i)
        RowChanged[i] = false;
}

} // namespace mj
