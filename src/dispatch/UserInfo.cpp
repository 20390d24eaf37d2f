// A table member's user information (code 20): the side it belongs to, the
// member's plates, avatar and ready mark, the props registration, the room's
// wealth multiplier, and the table's set-up once the other three are in.
#include "dispatch/Total.h"

#include "client/Api.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Total.h"
#include "controls/Hero.h"
#include "controls/Operate.h"
#include "video/Operate.h"
#include "social/Mod_Prop.h"
#include "table/NewGame.h"
#include "video/VideoState.h"
#include "video/frm_Remote1.h"
#include "video/frm_Remote2.h"
#include "video/frm_Remote3.h"

namespace mj::Total {

namespace {

constexpr uint8_t OwnPlayerSeat = 15;
constexpr uint8_t UnmaskedMember = 0;
constexpr int ReadyByte = 208;
constexpr int WealthRateByte = 234;
constexpr int PropsSwitchByte = 255;

bool IsSingleSeat(uint8_t seat)
{
    return seat == 1 || seat == 2 || seat == 4 || seat == 8;
}

// A pop-out window is hidden, not unloaded: it keeps its size for the
// next time it opens.
template <class F>
void hideWindow()
{
    if (isLoaded<F>())
        form<F>().Hide();
}

// Props are set up on the first frame that allows them and tried again while
// the plug-in has not taken; a frame that forbids them turns them off.
void switchProps()
{
    if (Msg[PropsSwitchByte] == 0 && Mod_Prop::Prop_swicth == 1) {
        if (Mod_Prop::Prop_GameDllState == 0)
            Mod_Prop::InitPropPlugin();
    } else {
        // A plug-in that runs is shut down first, so nothing of it stays.
        if (Mod_Prop::Prop_GameDllState > 0) {
            int16_t mode = 0;
            Mod_Prop::ExitPropPlugin(mode);
        }
        Mod_Prop::Prop_GameDllState = -1;
    }
}

// Watch mode keeps the first four frames and seats the table from them at
// the fourth. False: this frame's handling ends here.
bool storeForWatching()
{
    int free = -1;
    for (int slot = 0; slot <= 3 && free < 0; ++slot) {
        if (SavedUserInfoFrames(slot, 3) == 0)
            free = slot;
    }
    if (free < 0)
        return false;
    for (int i = 0; i <= 271; ++i)
        SavedUserInfoFrames(free, i) = Msg[i];
    if (free != 3)
        return false;
    ArrangeSeatsFromUserInfo();
    return true;
}

// A member with a seat mask arrives: the other sides' video starts afresh.
void resetOtherSidesVideo(MainForm& table)
{
    for (int16_t k = 1; k <= 3; ++k)
        Mod_Prop::CallPlugin([k](Tesmora& p) { p.rec_state(2, true, k); });
    for (int k = 1; k <= 3; ++k) {
        PeerClosed[k] = false;
        PeerShown[k] = false;
        PeerFrameDue[k].clear(); // the next frame that comes opens the side again
        table.PicLocal(k).SetVisible(false);
        table.ImgShow(k).SetVisible(false);
        table.ImgKuang(k).SetVisible(false);
        table.vshow1(k).SetVisible(false);
    }
    hideWindow<frm_Remote1>();
    hideWindow<frm_Remote2>();
    hideWindow<frm_Remote3>();
}

// Registers the side's member with the props plug-in; a refusal turns props
// off.
void registerWithProps(int16_t side, uint8_t seatMask)
{
    PlayerInfo& p = Players[side];
    const auto accepted = Mod_Prop::CallPluginObject([&](Tesmora& plugin) {
        return plugin.SetUserinfo(p.Name, custom[side].Name, seatMask, side, p.Credit != 0, p.Sex, p.Tag, p.Face);
    });
    // A plug-in that failed inside the call has been turned off already.
    if (accepted && !*accepted) {
        int16_t mode = 0;
        Mod_Prop::ExitPropPlugin(mode);
        Mod_Prop::Prop_GameDllState = -1;
    }
}

// The smallest multiplier of the table on the wealth plate.
void showMinWealthRate(MainForm& table, bool sizeFont)
{
    const uint32_t shown = static_cast<uint32_t>(General::MinWealthRate());
    table.lbwealth.SetCaption(QString::number(shown));
    if (sizeFont)
        SetWealthFontSize(shown);
    table.Imgwealth.SetVisible(true);
    table.lbwealth.SetVisible(true);
}

// The frame of the own seat mask: the own player, known from the frame of
// seat 15, is registered, and the room's multiplier is read.
void registerOwnSeat(MainForm& table)
{
    if (Players[0].Coins > 0 && Mod_Prop::PropObj) {
        registerWithProps(0, custom[0].SeatMask);
        table.Tou(0).SetVisible(false);
        table.Tou(0).SetEnabled(false);
    }
    WealthRate = static_cast<int32_t>(MsgU32le(WealthRateByte));
    if (WealthRate != 0) {
        SeatWealthRates[0] = WealthRate;
        showMinWealthRate(table, false);
    } else {
        table.Imgwealth.SetVisible(false);
        table.lbwealth.SetVisible(false);
    }
}

// The side of a frame without a seat mask: the first empty plate of the
// other three; -1 when they are all filled.
int16_t sideOfUnmaskedMember(MainForm& table)
{
    if (OthersSeated < 1)
        return 1;
    for (int16_t side = 1; side <= 3; ++side) {
        if (table.Nid(side).Caption().isEmpty())
            return side;
    }
    return -1;
}

void fillSide(MainForm& table, int16_t side)
{
    PlayerInfo& p = Players[side];
    if (p.Coins > 0 && Mod_Prop::PropObj) {
        const uint8_t mask = custom[side].SeatMask != 0 ? custom[side].SeatMask : static_cast<uint8_t>(1 << side);
        registerWithProps(side, mask);
        table.Tou(side).SetVisible(false);
        table.Tou(side).SetEnabled(false);
        if (Mod_Prop::PropObj) {
            // While video is off the own seat shows no video, whatever the
            // camera flag says.
            if (side == 0 && CameraOn && VideoEnabled) {
                Mod_Prop::CallPlugin([](Tesmora& plugin) { plugin.rec_state(2, false, 0); });
            } else {
                if (side >= 1) {
                    PeerShown[side] = false;
                    PeerFrameDue[side].clear();
                    table.vshow1(side).SetVisible(false);
                    table.ImgKuang(side).SetVisible(false);
                }
                Mod_Prop::CallPlugin([side](Tesmora& plugin) { plugin.rec_state(2, true, side); });
            }
        }
    }

    CheckAllReady();

    const int16_t avatar = AvatarIndex(p.Face);
    const int16_t picture = CInt(Image_Resource::AvatarPicture[avatar]);
    Image_Resource::LoadGifResource(picture, QStringLiteral("GIF"), table.Tou(side));
    table.Nid(side).SetCaption(QStringLiteral("[") + p.Tag + QStringLiteral("] ") + p.Name);
    table.Cash(side).SetCaption(QString::number(p.Coins, 'f', 0) + QStringLiteral("金币"));
    table.Level(side).SetCaption(p.Level);
    Hero& hero = form<Hero>();
    hero.ID(side).SetCaption(p.Name);
    Image_Resource::LoadGifResource(picture, QStringLiteral("GIF"), hero.Tou(side));
    SeatNameAvatar[side].PicIndex = QString::number(avatar);
    SeatNameAvatar[side].Name = p.Name;

    if (OthersSeated == 3 && !TableResetDone) {
        NewGame::ResetTableForRound();
        NewGame::ClearTableAndPlaceWalls();
        NewGame::ResetRoundDataCopy();
        TableResetDone = true;
        table.Sysmsg(0).Clear();
        table.Sysmsg(0).AddItem(QStringLiteral("游戏将在15秒内开始"));
    }

    WealthRate = static_cast<int32_t>(MsgU32le(WealthRateByte));
    if (WealthRate != 0) {
        table.lbfont(1).SetVisible(true);
        table.lbfont(2).SetVisible(true);
        SeatWealthRates[side] = WealthRate;
        showMinWealthRate(table, true);
    } else {
        table.Imgwealth.SetVisible(false);
        table.lbwealth.SetVisible(false);
    }
    if (side == 0)
        Operate::StartLocalCamera();
}

} // namespace

void HandleUserInfo(MsgHeader& header)
{
    MainForm& table = form<MainForm>();
    switchProps();
    OtherExitShown = false;
    if (WatchMode && !storeForWatching())
        return;

    if (table.TimerShuffle.Enabled() || table.LblShuffle.Visible() || SeatShuffleShown) {
        table.TimerShuffle.SetEnabled(false);
        table.LblShuffle.SetVisible(false);
        table.ImgShuffle.SetVisible(false);
        SeatShuffleShown = false;
        SeatShuffleRunning = false;
    }
    table.WebBrowser2.SetVisible(false);

    const QString account = SingleByteText(168, 183);
    if (CountUserInfos)
        ++FrameGroupCount;

    const uint8_t seat = header.Seat & 0x0F;
    int16_t side = -1;
    if (seat == OwnPlayerSeat) {
        side = 0;
        ButtonUsed[2] = false;
    } else if (IsSingleSeat(seat)) {
        resetOtherSidesVideo(table);
        if (seat == custom[0].SeatMask)
            registerOwnSeat(table);
        else
            side = SideOf(seat);
    } else if (seat == UnmaskedMember) {
        side = sideOfUnmaskedMember(table);
        if (side >= 1) {
            custom[side].Name = account;
            ++OthersSeated;
            if (OthersSeated == 3 && LoginDone == 0) {
                table.SetWindowState(0);
                Operate::MinimizeHallWindow();
                if (QWidget* window = table.Widget())
                    window->activateWindow();
            }
        }
    }

    if (side >= 0) {
        custom[side].Name = account;
        if (Msg[ReadyByte] == 1) {
            table.OK(side).SetVisible(true);
            table.OK(side).ZOrder(0);
        }
        ParseUserInfo(Players[side], Msg);
        fillSide(table, side);
    }

    if (CountUserInfos && FrameGroupCount == 4)
        CompleteTable();
}

} // namespace mj::Total
