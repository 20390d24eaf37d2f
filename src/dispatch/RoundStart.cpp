// The start of a hand (code 4) and the banker with the first throw, the wild
// tile and the tile turned up in the wall (code 41).
#include "dispatch/Total.h"

#include "client/Api.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/frmExit.h"
#include "controls/Operate.h"
#include "video/Operate.h"
#include "table/NewGame.h"

#include <algorithm>

namespace mj::Total {

namespace {

// Frame byte 18 of code 4: the room doubles the stakes by the second throw.
constexpr int DiceDoubleByte = 18;

// A held plug-in frame goes out now, for the own seat and with the current
// session token, unless its slot is still holding; the slot is then empty.
void SendHeldFrame(FrameBytes& held, bool holding)
{
    if (held[3] == 0 || holding)
        return;
    held[6] = custom[0].SeatMask;
    QueueRawFrame(held);
    held[3] = 0;
}

// The remainder of a by n, 0 to n - 1 whatever the sign of a.
int PositiveMod(int a, int n)
{
    return ((a % n) + n) % n;
}

// The small die of the dice-doubling plate: its face, the nearest one for a
// value no die shows.
void ShowSmallDie(Image& die, int16_t value)
{
    const int face = std::clamp<int>(value, 1, 6);
    Image_Resource::LoadGifResource(CInt(Image_Resource::SmallDicePicture[face - 1]), QStringLiteral("GIF"), die);
    die.SetVisible(true);
}

void ShowDiceDouble(MainForm& table, const VbArray<int16_t, 0, 3>& dice)
{
    if (DiceDouble != 0) {
        for (int i = 0; i <= 2; ++i)
            table.lbfont(i).SetVisible(false);
        table.lblDifen.SetCaption(QString::number(dice[2] + dice[3]));
        table.lblDifen.SetVisible(true);
        table.imgBeishu.SetVisible(true);
        ShowSmallDie(table.imgsezi(0), dice[2]);
        ShowSmallDie(table.imgsezi(1), dice[3]);
        return;
    }
    table.lblDifen.SetVisible(false);
    table.imgBeishu.SetVisible(false);
    table.imgsezi(0).SetVisible(false);
    table.imgsezi(1).SetVisible(false);
    for (int i = 0; i <= 2; ++i) {
        table.lbfont(i).SetVisible(false);
        table.lbfont(i).ZOrder(0);
    }
}

} // namespace

void WallBreak(int16_t bankerSide, const VbArray<int16_t, 0, 3>& dice, int16_t& head, int16_t& tail)
{
    // The first throw counts walls from the banker's side; all four dice
    // count stacks on from the start of that wall; drawing starts at the
    // upper tile of the stack reached and the tail is the stack before it.
    const int firstThrow = dice[0] + dice[1];
    const int wall = PositiveMod(bankerSide + 13 - firstThrow, 4);
    head = static_cast<int16_t>(PositiveMod((wall * 17 + firstThrow + dice[2] + dice[3]) * 2, 136));
    tail = static_cast<int16_t>(PositiveMod(head + 136 - 2, 136));
}

void HandleRoundStart(MsgHeader& header)
{
    MainForm& table = form<MainForm>();
    Operate::StartLocalCamera();
    Operate::LoginVideoServer();

    SendHeldFrame(HeldPropFrameA, HoldPropFrameA);
    SendHeldFrame(HeldPropFrameB, HoldPropFrameB);
    HoldPropFrameA = false;
    LoginDone = 1;
    SeatShuffleAllowed = false;
    PluginResetPending = true;
    if (isLoaded<frmExit>() && form<frmExit>().Visible())
        unload<frmExit>();
    OtherExitShown = false;

    if (WatchMode) {
        // An onlooker's table is not reset on a ready path of its own.
        NewGame::ResetTableForRound();
        NewGame::ClearTableAndPlaceWalls();
        NewGame::ResetRoundDataCopy();
        TableResetDone = true;
    }
    BlinkOn = true;
    BlinkTicks = 0;
    GameRunning = true;
    for (int side = 0; side <= 3; ++side)
        table.OK(side).SetVisible(false);
    HandInPlay = true;
    HandSettled = false;
    ++RoundNo;

    NewGame::ClearTableAndPlaceWalls();
    NewGame::AnimateWallBuilding();

    const uint8_t banker = header.Seat & 15;
    bool bankerFound = false;
    for (int16_t b = 0; b <= 3; ++b) {
        if (custom[b].SeatMask != banker)
            continue;
        custom[b].IsBanker = true;
        // The throw shows a 0 as 1 and keeps it so for the wall and the plate.
        NewGame::ThrowDice(b, header.value);
        WallBreak(b, header.value, WallHead, WallTail);
        bankerFound = true;
        break;
    }

    DiceDouble = Msg[DiceDoubleByte];
    ShowDiceDouble(table, header.value);
    table.Imgwealth.SetVisible(WealthRate != 0);
    table.lbwealth.SetVisible(WealthRate != 0);
    WealthText = table.lbwealth.Caption();

    if (!bankerFound) {
        MsgBox(QStringLiteral("有玩家退出，游戏结束！"), vbOKOnly);
        Operate::RestoreHallWindow();
        EndProgram();
    }

    table.ZhiNan.SetVisible(true);
    table.Host.SetVisible(true);
    table.Zhuang.SetVisible(true);
    table.Zhuang.ZOrder(0);
    SeenTiles.Fill(0);
    for (int i = 0; i <= 4; ++i) {
        Image& button = table.Operation(i);
        button.SetVisible(false);
        button.SetEnabled(false);
        Image_Resource::LoadGifResource(CInt(Image_Resource::ClaimButtonPicture[3 * i]), QStringLiteral("GIF"), button);
    }
}

void HandleBankerDice(MsgHeader& header)
{
    MainForm& table = form<MainForm>();
    ButtonUsed[2] = true;
    NewGame::ResetTableForRound();
    NewGame::ClearTableAndPlaceWalls();
    NewGame::ResetRoundDataCopy();
    TableResetDone = true;
    for (int i = 0; i <= 2; ++i) {
        table.AnNiu(i).SetEnabled(false);
        table.LoadButtonPicture(i, 2 * i + 1);
    }
    const uint8_t banker = header.Seat & 15;
    // The banker's wind by its seat: seat index 0 北, 1 西, 2 南, 3 东.
    table.Zhuang.SetCaption(QStringLiteral("北西南东北西南").mid(General::MaskToIndex(banker), 1));
    table.Host.SetVisible(true);
    table.Zhuang.SetVisible(true);
    table.Zhuang.ZOrder(0);
    BankerMask = banker;
    WildTile = header.value[2];
    FlippedWallTile = header.value[3];
    Dice[0] = header.value[0];
    Dice[1] = header.value[1];
}

} // namespace mj::Total
