// The table breaking up (code 16, value(3) 1: players quit; any value but
// 0, 1 and 2: players out of coins). The header's seat holds the masks of
// the players still at the table; 15 - seat are gone. Byte 11 (out of coins
// only) holds the masks told to change rooms rather than claim the
// allowance.
//
// Also the three steps a member leaving (code 21) shares: the side
// clearing, the wealth label refresh and the side video take-down.
#include "dispatch/Total.h"

#include "client/Api.h"
#include "client/General.h"
#include "client/MainForm.h"
#include "client/SoftTimer.h"
#include "client/frmOtherExit.h"
#include "controls/Hero.h"
#include "controls/Score.h"
#include "platform/Clock.h"
#include "social/Mod_Prop.h"
#include "video/VideoState.h"
#include "video/frm_Remote1.h"
#include "video/frm_Remote2.h"
#include "video/frm_Remote3.h"

#include <cmath>

namespace mj::Total {

namespace {

constexpr int RoomChangeByte = 11;
const QString WatchEnded = QStringLiteral("有用户退出，旁观结束！");

template <class F>
void hideIfLoaded()
{
    if (isLoaded<F>())
        form<F>().Hide();
}

template <class F>
void centreOverTable(F& window)
{
    MainForm& table = form<MainForm>();
    window.SetLeft(table.Left() + (table.Width() - window.Width()) / 2);
    window.SetTop(table.Top() + (table.Height() - window.Height()) / 2);
}

// The break-up dialog with its text, on top of everything, over the table.
void showOtherExit(const QString& text)
{
    frmOtherExit& dialog = form<frmOtherExit>();
    dialog.Label1.SetCaption(text);
    dialog.SetTopMost(true);
    centreOverTable(dialog);
    dialog.SetVisible(true);
}

// The seats of a frame's mask that are gone, and whether the own seat is
// among them. While the seat masks are 0 (after a member left, until the
// next seat names) the own seat is none of them.
bool ownSeatIn(uint8_t mask)
{
    return custom[0].SeatMask != 0 && (mask & custom[0].SeatMask) != 0;
}

void endWatching()
{
    if (!WatchMode)
        return;
    MsgBox(WatchEnded, vbOKOnly);
    EndProgram();
}

} // namespace

QString TimeOfDayText()
{
    const int seconds = static_cast<int>(std::floor(Clock::Timer())) % 86400;
    return QStringLiteral("%1:%2:%3").arg(seconds / 3600).arg(seconds / 60 % 60).arg(seconds % 60);
}

void ClearSidePlates(int16_t side)
{
    MainForm& table = form<MainForm>();
    table.OK(side).SetVisible(false);
    table.Tou(side).SetPicture(Picture());
    table.Nid(side).SetCaption(QString());
    table.Cash(side).SetCaption(QString());
    table.Level(side).SetCaption(QString());
    table.Sysmsg(0).Clear();
}

void ClearSideRecord(int16_t side, bool otherName)
{
    custom[side].Name.clear();
    PlayerInfo& p = Players[side];
    p.Name.clear();
    if (otherName)
        OtherPlayerNames[side].clear();
    p.ClearDetails();
    Mod_Prop::CallPlugin([&](Tesmora& plugin) { plugin.ClearUser(side); });
}

void RefreshWealthLabel(int16_t side)
{
    MainForm& table = form<MainForm>();
    if (WealthRate == 0) {
        table.Imgwealth.SetVisible(false);
        table.lbwealth.SetVisible(false);
        return;
    }
    SeatWealthRates[side] = 0;
    const uint32_t shown = static_cast<uint32_t>(General::MinWealthRate());
    table.lbwealth.SetCaption(QString::number(shown));
    SetWealthFontSize(shown);
    table.Imgwealth.SetVisible(true);
    table.lbwealth.SetVisible(true);
}

void TakeDownSideVideo(int16_t side, const QString& player)
{
    MainForm& table = form<MainForm>();
    table.vshow1(side).SetVisible(false);
    table.PicLocal(side).SetVisible(false);
    table.ImgKuang(side).SetVisible(false);
    table.ImgShow(side).SetVisible(false);
    PeerShown[side] = false;
    PeerClosed[side] = false;
    // The frame counter belongs to the transport's slot that holds the
    // side's player.
    for (int16_t slot = 1; slot <= 3; ++slot) {
        if (!player.isEmpty() && table.P2PSocket1.UserID(slot) == player)
            PeerThrottle[slot] = 0;
    }
    switch (side) {
    case 1: hideIfLoaded<frm_Remote1>(); break;
    case 2: hideIfLoaded<frm_Remote2>(); break;
    default: hideIfLoaded<frm_Remote3>(); break;
    }
    DropSideFrames(side);
}

void HandlePlayersGone(MsgHeader& header)
{
    if ((header.value[3] & 0xFF) == 1)
        HandlePlayersQuit(header);
    else
        HandlePlayersOutOfCoins(header);
}

void HandlePlayersQuit(MsgHeader& header)
{
    MainForm& table = form<MainForm>();
    const uint8_t stay = header.Seat & 15;
    if (stay == 15)
        return;
    const uint8_t gone = static_cast<uint8_t>(15 - stay);
    const int16_t side = SideOf(gone);
    NextRoundCountdownOn = false;
    GameRunning = false;
    OtherExitShown = true;
    if (side == 0 && custom[0].SeatMask != 0) {
        // The own player quit: the table window's orderly unload ends the
        // program; the hall is left alone.
        if (Mod_Prop::Prop_GameDllState >= 1) {
            int16_t mode = 0;
            Mod_Prop::ExitPropPlugin(mode);
        }
        table.Winsock1.Close();
        unload<MainForm>();
        EndProgram();
    }
    TableResetDone = false;
    QString names;
    for (uint8_t m = 1; m <= 8; m <<= 1) {
        if ((gone & m) == 0)
            continue;
        names += Players[SideOf(m)].Name + QStringLiteral(",");
        if (OthersSeated > 0)
            --OthersSeated;
    }
    for (int16_t s = 1; s <= 3; ++s) {
        ClearSidePlates(s);
        ClearSideRecord(s, false);
    }
    table.Sysmsg(0).Clear();
    table.Sysmsg(1).Clear();
    table.Sysmsg(0).AddItem(names + QStringLiteral("退出了游戏！ ") + TimeOfDayText());
    Hero& hero = form<Hero>();
    centreOverTable(hero);
    hero.SetVisible(true);
    hero.Show();
    hero.ZOrder(0);
    showOtherExit(QStringLiteral("玩家") + names + QStringLiteral("退出了游戏！游戏结束！"));
    table.Winsock1.Close();
    Api::SendLeaveSeat();
    endWatching();
}

void HandlePlayersOutOfCoins(MsgHeader& header)
{
    MainForm& table = form<MainForm>();
    NextRoundCountdownOn = false;
    GameRunning = false;
    table.LblShuffle.SetVisible(false);
    table.ImgShuffle.SetVisible(false);
    SeatShuffleShown = false;
    SeatShuffleRunning = false;
    table.WebBrowser2.SetVisible(false);
    const uint8_t out = static_cast<uint8_t>(15 - (header.Seat & 15));
    QString others;
    for (uint8_t m = 1; m <= 8; m <<= 1) {
        if ((out & m) != 0 && m != custom[0].SeatMask)
            others += Players[SideOf(m)].Name + QStringLiteral("，");
    }
    if (!others.isEmpty())
        others = QStringLiteral("玩家") + others.left(others.size() - 1);
    const QString own = ownSeatIn(out) ? custom[0].Name : QString();
    table.Sysmsg(0).Clear();
    table.Sysmsg(0).AddItem(others + own + QStringLiteral("金币不够，退出游戏！"));
    if (table.WindowState() != 1) {
        Score& board = form<Score>();
        board.Show();
        board.SetVisible(true);
    }
    if (!own.isEmpty()) {
        showOtherExit((Msg[RoomChangeByte] & custom[0].SeatMask) != 0
                          ? QStringLiteral("您的金币不够，请更换房间或充值后继续游戏！")
                          : QStringLiteral("您的金币不够，请领取低保或充值后继续游戏！"));
        if (Mod_Prop::ScoreShowState == 1) {
            Mod_Prop::PropExitAfterScore = true;
        } else if (Mod_Prop::Prop_GameDllState >= 1) {
            int16_t mode = 0;
            Mod_Prop::ExitPropPlugin(mode);
        }
        // No reconnection follows this closing.
        ConnectWatchOn = false;
        ReconnectAllowed = false;
        ConnectionMonitorOn = false;
        table.Winsock1.Close();
        NextRoundCountdownOn = false;
        for (int16_t s = 1; s <= 3; ++s) {
            TableResetDone = false;
            if (OthersSeated > 0)
                --OthersSeated;
            const QString player = custom[s].Name;
            ClearSidePlates(s);
            ClearSideRecord(s, true);
            RefreshWealthLabel(s);
            TakeDownSideVideo(s, player);
        }
        if (table.TimerKeepAlive.Enabled())
            table.TimerKeepAlive.SetEnabled(false);
        Api::SendLeaveSeat();
    }
    NextRoundCountdownOn = false;
    GameRunning = false;
    TableResetDone = false;
    endWatching();
}

} // namespace mj::Total
