// The table between hands (code 16): the banker of the coming hand and the
// continue prompt. The players who quit or ran out of coins have their own
// branch.
#include "dispatch/Total.h"

#include "client/Api.h"
#include "client/General.h"
#include "client/MainForm.h"

namespace mj::Total {

namespace {

enum TableStatusKind : int16_t {
    TableStatusContinue = 0,
    TableStatusPlayerQuit = 1,
    TableStatusBanker = 2,
};

} // namespace

void HandleTableStatus(MsgHeader& header)
{
    switch (header.value[3] & 0xFF) {
    case TableStatusContinue: HandleContinuePrompt(header); break;
    case TableStatusBanker: HandleBanker(header); break;
    default: HandlePlayersGone(header); break; // players quit, or out of coins
    }
}

void HandleBanker(MsgHeader& header)
{
    MainForm& table = form<MainForm>();
    header.Seat &= 15;
    const int seat = General::MaskToIndex(header.Seat);
    // The banker's wind by its seat, not by its side.
    table.Zhuang.SetCaption(QStringLiteral("北西南东").mid(seat, 1));
    for (int side = 0; side <= 3; ++side) {
        if (custom[side].SeatMask == header.Seat) {
            custom[side].IsBanker = true;
            break;
        }
    }
    // A window the player minimised or maximised comes back for the hand;
    // one the boss key hid stays hidden.
    if (table.WindowState() != 0 && !BossKey) {
        table.SetWindowState(0);
        Operate::MinimizeHallWindow();
        table.Pic1.SetFocus();
    }
    // All four bytes are kept, so the reconnect frame carries back what the
    // server sent, whatever the top bit.
    UserId = static_cast<int32_t>(MsgU32le(268));
    table.ImgShuffle.SetVisible(false);
    table.LblShuffle.SetVisible(false);
    table.WebBrowser2.SetVisible(false);
    ContinuePromptArmed = true;
}

void HandleContinuePrompt(MsgHeader& header)
{
    MainForm& table = form<MainForm>();
    if (ContinuePromptArmed) {
        ContinuePromptArmed = false;
        GameRunning = false;
        if (!WatchMode) {
            if (Msg[11] == 1)
                SeatShuffleAllowed = true;
            table.Time_Img.Move(table.Imgwealth.Left(), table.Imgwealth.Top() + 200 * ScaleY);
            table.Number.Move(table.Time_Img.Left() + 48 * ScaleX, table.Time_Img.Top() + 5 * ScaleY);
            table.ImgShuffle.Move(136 * ScaleX, 520 * ScaleY);
            table.LblShuffle.Move(table.ImgShuffle.Left(), table.ImgShuffle.Top() + 6 * ScaleY);
            SeatShuffleShown = true;
            table.WebBrowser2.Move(table.ImgShuffle.Left(), table.ImgShuffle.Top() + table.ImgShuffle.Height(),
                                   table.ImgShuffle.Width(), 2 * table.ImgShuffle.Height());
            if ((header.value[2] & 0xFF) == 1)
                table.ShowSeatShuffle();
        }
    }
    // Every prompt brings the room's multiplier; a room without one has none.
    // A room that has one shows whatever the prompt brings, 0 included.
    if (WealthRate == 0) {
        table.Imgwealth.SetVisible(false);
        table.lbwealth.SetVisible(false);
        return;
    }
    WealthRate = static_cast<int32_t>(MsgU32le(16));
    ShowWealthRate();
}

void ShowWealthRate()
{
    MainForm& table = form<MainForm>();
    // The multiplier is a count: all 32 bits read as an unsigned number.
    const uint32_t rate = static_cast<uint32_t>(WealthRate);
    table.lbwealth.SetCaption(QString::number(rate));
    SetWealthFontSize(rate);
    table.Imgwealth.SetVisible(true);
    table.lbwealth.SetVisible(true);
}

void SetWealthFontSize(uint32_t shown)
{
    const bool large = shown >= 100;
    if (ScaleX < 1.0f)
        form<MainForm>().lbwealth.SetFontSize(large ? 11 : 15);
    else
        form<MainForm>().lbwealth.SetFontSize(large ? 12 : 16);
}

} // namespace mj::Total
