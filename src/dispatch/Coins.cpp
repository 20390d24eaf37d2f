// Coins changed outside a hand (code 91: the own player's; code 92:
// another player's, named by account) and the server's notice (code 22),
// after which the client leaves its seat and keeps its link.
//
// Codes 91 and 92: byte 16 the sign (0 added, else subtracted), bytes 17..24
// the amount, unsigned 64-bit little-endian, held as the nearest double;
// code 92 bytes 25..41 the account. Code 22: bytes 16..215 the notice. Texts
// are GBK, ending at a zero byte or at the end of their field.
#include "dispatch/Total.h"

#include "client/Api.h"
#include "client/General.h"
#include "client/MainForm.h"
#include "client/SoftTimer.h"
#include "client/frmOtherExit.h"
#include "controls/Settlement.h"
#include "platform/Gbk.h"

namespace mj::Total {

namespace {

constexpr int SignByte = 16, AmountByte = 17, AccountFirst = 25, AccountLast = 41, NoticeFirst = 16,
              NoticeLast = 215;

double amount()
{
    uint64_t value = 0;
    for (int i = AmountByte + 7; i >= AmountByte; --i)
        value = (value << 8) | Msg[i];
    const double magnitude = static_cast<double>(value);
    return Msg[SignByte] != 0 ? -magnitude : magnitude;
}

void addCoins(int16_t side, double change)
{
    double& coins = Players[side].Coins;
    coins += change;
    if (coins < 0)
        coins = 0;
    form<MainForm>().Cash(side).SetCaption(Settlement::AmountText(coins) + QStringLiteral("金币"));
}

} // namespace

QString GbkFieldText(int first, int last)
{
    QByteArray bytes;
    for (int i = first; i <= last && Msg[i] != 0; ++i) {
        bytes.append(static_cast<char>(Msg[i]));
        // A lead byte takes its trail byte with it, even one past the field.
        if (Msg[i] >= 0x80 && i + 1 <= Msg.UBound) {
            ++i;
            bytes.append(static_cast<char>(Msg[i]));
        }
    }
    return Gbk::Decode(bytes);
}

void HandleOwnCoins(MsgHeader&)
{
    addCoins(0, amount());
}

void HandleOtherCoins(MsgHeader&)
{
    const QString account = GbkFieldText(AccountFirst, AccountLast);
    for (int16_t side = 1; side <= 3; ++side) {
        if (Players[side].Account == account) {
            addCoins(side, amount());
            return;
        }
    }
}

void HandleServerNotice(MsgHeader&)
{
    MainForm& table = form<MainForm>();
    ConnectionMonitorOn = false;
    NextRoundCountdownOn = false;
    GameRunning = false;
    General::SleepSeconds(2);
    const QString text = GbkFieldText(NoticeFirst, NoticeLast);
    for (int side = 0; side <= 3; ++side)
        table.Tou(side).SetPicture(Picture());
    if (text.mid(16) != custom[0].Name) {
        frmOtherExit& dialog = form<frmOtherExit>();
        dialog.Label1.SetCaption(text);
        dialog.SetTopMost(true);
        dialog.SetLeft(table.Left() + (table.Width() - dialog.Width()) / 2);
        dialog.SetTop(table.Top() + (table.Height() - dialog.Height()) / 2);
        dialog.SetVisible(true);
    }
    OtherExitShown = true;
    Api::SendLeaveSeat();
    NextRoundCountdownOn = false;
    ConnectionMonitorOn = false;
    ConnectionMonitorTicks = 0;
    GameRunning = false;
    OtherExitShown = true;
    TableResetDone = false;
}

} // namespace mj::Total
