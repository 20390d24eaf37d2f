// A member left the table (code 21). Bytes 16..31: the member's account, one
// character a byte up to the first 0 byte, byte 16 always taken (as the
// character before it when byte 8 is 1). Byte 11: the next-hand countdown,
// 1 for 10 seconds, else 15.
//
// The member's sides are cleared, the props plug-in starts afresh once per
// round, every seat mask is forgotten until the next seat names, the
// member's video slot is dropped, an armed continue prompt starts the
// countdown to the next hand, and the keep-alive runs again.
#include "dispatch/Total.h"

#include "client/MainForm.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "platform/Gbk.h"
#include "social/Mod_Prop.h"
#include "video/VideoState.h"

#include <optional>

namespace mj::Total {

namespace {

constexpr int NameFirst = 16, NameLast = 31, ShiftedByte = 8, CountdownByte = 11;

// The departed member's account; none when byte 8 asks for the character
// before code 0, which names no one.
std::optional<QString> departedName()
{
    int first = Msg[NameFirst];
    if (Msg[ShiftedByte] == 1) {
        if (first == 0)
            return std::nullopt;
        --first;
    }
    const char c = static_cast<char>(first);
    QString name = first == 0 ? QString(QChar(0)) : Gbk::Decode(&c, 1);
    return name + SingleByteText(NameFirst + 1, NameLast);
}

} // namespace

void HandleMemberLeft(MsgHeader&)
{
    MainForm& table = form<MainForm>();
    table.LblShuffle.SetVisible(false);
    table.ImgShuffle.SetVisible(false);
    SeatShuffleShown = false;
    SeatShuffleRunning = false;
    table.WebBrowser2.SetVisible(false);

    const std::optional<QString> name = departedName();
    if (name && *name == custom[0].Name)
        EndProgram(); // the own player is gone: at once, nothing else

    for (int16_t s = 1; s <= 3 && name; ++s) {
        if (custom[s].Name != *name)
            continue;
        TableResetDone = false;
        if (OthersSeated > 0)
            --OthersSeated;
        ClearSidePlates(s);
        table.Sysmsg(0).AddItem(Players[s].Name + QStringLiteral("退出了游戏 ") + TimeOfDayText());
        table.Sysmsg(1).Clear();
        OtherPlayerNames[s].clear();
        ClearSideRecord(s, false);
        TakeDownSideVideo(s, *name);
        RefreshWealthLabel(s);
    }

    if (Mod_Prop::Prop_GameDllState >= 1 && LoginDone != 0 && PluginResetPending) {
        PluginResetPending = false;
        for (int16_t k = 1; k <= 3; ++k) {
            Mod_Prop::CallPlugin([&](Tesmora& plugin) { plugin.rec_state(2, false, k); });
            table.Tou(k).SetVisible(true);
        }
        Mod_Prop::CallPlugin([](Tesmora& plugin) { plugin.Ainit(QStringLiteral("qvtarn") + QStringLiteral(".xml")); });
    }

    for (int s = 0; s <= 3; ++s)
        custom[s].SeatMask = 0;

    for (int16_t slot = 1; slot <= 3 && name; ++slot) {
        if (table.P2PSocket1.UserID(slot) == *name)
            table.P2PSocket1.DisconnectUser(slot);
    }

    if (ContinuePromptArmed) {
        ContinuePromptArmed = false;
        ButtonUsed[2] = false;
        GameRunning = false;
        ReadySent = false;
        TableResetDone = false;
        if (!WatchMode) {
            int16_t seconds = Msg[CountdownByte] == 1 ? 10 : 15;
            if (BossKey)
                seconds = 1;
            StartNextRoundCountdown(seconds);
            NextRoundCountdownTicks = 0;
            table.Number.SetCaption(QString::number(TurnCountdown));
            table.Number.SetVisible(true);
            table.Time_Img.SetVisible(true);
            table.Time_Img.ZOrder(0);
            table.Number.ZOrder(0);
        }
    }
    ContinuePromptArmed = true;
    if (!table.TimerKeepAlive.Enabled())
        table.TimerKeepAlive.SetEnabled(true);
    if (WatchMode) {
        MsgBox(QStringLiteral("有用户退出，旁观结束！"), vbOKOnly);
        EndProgram();
    }
}

} // namespace mj::Total
