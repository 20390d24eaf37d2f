// The table breaking up: players quitting and out of coins (code 16, value
// 3 = 1 or another value), a member leaving (code 21), coins changing
// (codes 91, 92) and the server's notice (code 22).
#include "DispatchTable.h"

#include "client/Data.h"
#include "client/SoftTimer.h"
#include "client/frmOtherExit.h"
#include "controls/Hero.h"
#include "controls/Score.h"
#include "dispatch/Total.h"
#include "platform/Clock.h"
#include "social/Mod_Prop.h"
#include "video/VideoState.h"

#include <limits>

using namespace mj;
using mjtest::ServerFrame;
namespace frames = mjtest::frames;

namespace {

constexpr int CodeTableStatus = 16, CodeMemberLeft = 21, CodeNotice = 22, CodeOwnCoins = 91, CodeOtherCoins = 92;

const char* const Accounts[4] = {"me", "east", "south", "west"};
const char* const Names[4] = {"我", "东家", "南家", "西家"};

ServerFrame Quit(uint8_t staying)
{
    return frames::WithHeader(CodeTableStatus, staying, 0, 0, 0, 1);
}

ServerFrame OutOfCoins(uint8_t staying, uint8_t roomChange = 0)
{
    return frames::WithHeader(CodeTableStatus, staying, 0, roomChange, 0, 3);
}

ServerFrame MemberLeft(const QByteArray& name, uint8_t shifted = 0, uint8_t tenSeconds = 0)
{
    return ServerFrame(CodeMemberLeft).Byte(8, shifted).Byte(11, tenSeconds).Bytes(16, name);
}

ServerFrame Coins(int code, uint8_t sign, uint64_t amount, const QByteArray& account = {})
{
    return ServerFrame(code).Byte(16, sign).U64le(17, amount).Bytes(25, account);
}

// A full table; the own seat by the parameter, the clock at 21:03:09.
class BreakUp : public DispatchTable {
protected:
    void Seat(uint8_t own)
    {
        const uint8_t order[4] = {own, static_cast<uint8_t>(own == 1 ? 8 : own / 2),
                                  static_cast<uint8_t>(own <= 2 ? own * 4 : own / 4),
                                  static_cast<uint8_t>(own == 8 ? 1 : own * 2)};
        for (int side = 0; side <= 3; ++side) {
            custom[side].SeatMask = order[side];
            custom[side].Name = QString::fromLatin1(Accounts[side]);
            Players[side].Name = QString::fromUtf8(Names[side]);
            Players[side].Account = custom[side].Name;
            Players[side].Coins = 1000;
            Players[side].Face = QStringLiteral("m2");
            Players[side].Tag = QStringLiteral("tag");
            Players[side].UserId = 10 + side;
            OtherPlayerNames[side == 0 ? 1 : side] = Players[side].Name;
            w->Nid(side).SetCaption(Players[side].Name);
            w->Cash(side).SetCaption(QStringLiteral("1000金币"));
            w->Level(side).SetCaption(QStringLiteral("雀士"));
            w->OK(side).SetVisible(true);
            SeatWealthRates[side] = 100 + side;
        }
        OthersSeated = 3;
        WealthRate = 100;
        GameRunning = true;
        TableResetDone = true;
        NextRoundCountdownOn = true;
        LoggedIn = true;
    }
    void SetUp() override
    {
        DispatchTable::SetUp();
        Clock::Advance(11 * 3600 + 3 * 60 + 9);
        Clock::SetIdleStep([] { Clock::Advance(0.05); });
        Seat(4);
    }
    void TearDown() override
    {
        Mod_Prop::ResetState();
        DispatchTable::TearDown();
    }
    bool cleared(int side) const
    {
        return custom[side].Name.isEmpty() && Players[side].Name.isEmpty() && Players[side].Coins == 0 &&
               w->Nid(side).Caption().isEmpty() && !w->OK(side).Visible();
    }
    bool dialogShown() const { return isLoaded<frmOtherExit>() && form<frmOtherExit>().Visible(); }
    QString dialogText() const { return isLoaded<frmOtherExit>() ? form<frmOtherExit>().Label1.Caption() : QString(); }
};

// ---- Players quit --------------------------------------------------------------

TEST_F(BreakUp, PlayersWhoQuitAreNamedTheSeatsClearedAndTheLinkClosed)
{
    const struct {
        const char* name;
        uint8_t own, staying;
        QString names;
        int16_t seatedAfter;
    } cases[] = {
        {"seat 8 quits while the own seat is 1", 1, 7, "东家,", 2},
        {"seats 2 and 8 quit, the own seat 2 among them", 2, 5, "我,南家,", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        unload<frmOtherExit>();
        Seat(c.own);
        const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
        ASSERT_TRUE(plugin);
        ASSERT_FALSE(endsProgram(Quit(c.staying)));
        EXPECT_EQ(w->Sysmsg(0).List(0), c.names + QStringLiteral("退出了游戏！ 21:3:9"));
        EXPECT_EQ(w->Sysmsg(1).ListCount(), 0);
        EXPECT_EQ(dialogText(), QStringLiteral("玩家") + c.names + QStringLiteral("退出了游戏！游戏结束！"));
        EXPECT_TRUE(dialogShown());
        EXPECT_TRUE(form<frmOtherExit>().TopMost());
        EXPECT_TRUE(form<Hero>().Visible());
        EXPECT_EQ(OthersSeated, c.seatedAfter);
        for (int side = 1; side <= 3; ++side) {
            EXPECT_TRUE(cleared(side)) << side;
            EXPECT_EQ(Players[side].Account, QString::fromLatin1(Accounts[side])) << "kept";
            EXPECT_EQ(Players[side].UserId, 10 + side) << "kept";
            EXPECT_EQ(plugin.Log().count(QStringLiteral("ClearUser(%1)").arg(side)), 1);
        }
        EXPECT_FALSE(cleared(0));
        EXPECT_TRUE(OtherExitShown);
        EXPECT_FALSE(GameRunning || TableResetDone || NextRoundCountdownOn);
    }
}

TEST_F(BreakUp, AQuitThatLeavesEverySeatChangesNothing)
{
    ASSERT_FALSE(endsProgram(Quit(15)));
    EXPECT_FALSE(dialogShown());
    EXPECT_TRUE(GameRunning);
    EXPECT_FALSE(cleared(1));
}

TEST_F(BreakUp, TheOwnQuitShutsThePlugInDownAndEndsThroughTheUnload)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    EXPECT_TRUE(endsProgram(Quit(15 - 4)));
    EXPECT_EQ(plugin.Log().count(QStringLiteral("InitExit(0)")), 1);
    EXPECT_TRUE(mjtest::MessageBoxes().isEmpty());
    EXPECT_TRUE(hallLog().isEmpty()) << "the hall is left alone";
}

// After a member left the seat masks are 0 until the next seat names: no
// quit frame then takes the own player's road.
TEST_F(BreakUp, WithTheSeatMasksForgottenAQuitIsAnotherPlayers)
{
    for (int side = 0; side <= 3; ++side)
        custom[side].SeatMask = 0;
    ASSERT_FALSE(endsProgram(Quit(15 - 1)));
    EXPECT_TRUE(dialogShown());
    EXPECT_EQ(OthersSeated, 2);
}

TEST_F(BreakUp, AnOnlookerSeesTheBoxAndTheWatchEnds)
{
    WatchMode = true;
    EXPECT_TRUE(endsProgram(Quit(15 - 2)));
    EXPECT_EQ(mjtest::MessageBoxes(), QStringList{QStringLiteral("有用户退出，旁观结束！")});
    WatchMode = true;
    mjtest::MessageBoxes().clear();
    Seat(4);
    EXPECT_TRUE(endsProgram(OutOfCoins(15 - 2)));
    EXPECT_EQ(mjtest::MessageBoxes(), QStringList{QStringLiteral("有用户退出，旁观结束！")});
}

// The dialog's OK during the branch's own pause leaves for the hall; the
// rest of the branch does not undo it.
TEST_F(BreakUp, TheDialogsOkDuringThePauseReturnsToTheHall)
{
    bool clicked = false;
    Clock::SetIdleStep([&] {
        Clock::Advance(0.05);
        if (!clicked && isLoaded<frmOtherExit>() && form<frmOtherExit>().Visible()) {
            clicked = true;
            form<frmOtherExit>().imgOK_Click();
        }
    });
    ASSERT_FALSE(endsProgram(Quit(15 - 2)));
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(isLoaded<frmOtherExit>());
    EXPECT_EQ(RoundNo, 0);
    EXPECT_EQ(w->WindowState(), 1);
    EXPECT_TRUE(hallLog().contains(QStringLiteral("restore")));
}

// A count that is already 0 stays 0, whatever leaves: otherwise the next
// member's information would all land on side 1.
TEST_F(BreakUp, TheCountOfOtherMembersNeverDropsBelowZero)
{
    OthersSeated = 0;
    ASSERT_FALSE(endsProgram(Quit(15 - 2 - 8)));
    EXPECT_EQ(OthersSeated, 0);
    Seat(4);
    OthersSeated = 0;
    ASSERT_FALSE(endsProgram(MemberLeft("east")));
    EXPECT_EQ(OthersSeated, 0);
    Seat(4);
    OthersSeated = 1;
    ASSERT_FALSE(endsProgram(OutOfCoins(15 - 4)));
    EXPECT_EQ(OthersSeated, 0);
}

// ---- Out of coins ------------------------------------------------------------------

TEST_F(BreakUp, OthersOutOfCoinsAreNamedAndKeepTheirSeats)
{
    const struct {
        const char* name;
        uint8_t own, staying;
        QString line;
    } cases[] = {
        {"seats 2 and 4 out, own seat 1", 1, 15 - 6, "玩家西家，南家金币不够，退出游戏！"},
        {"nobody out", 4, 15, "金币不够，退出游戏！"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Seat(c.own);
        ASSERT_FALSE(endsProgram(OutOfCoins(c.staying)));
        EXPECT_EQ(w->Sysmsg(0).List(0), c.line);
        EXPECT_FALSE(dialogShown());
        EXPECT_TRUE(form<Score>().Visible());
        EXPECT_FALSE(cleared(1) || cleared(2) || cleared(3));
        EXPECT_FALSE(GameRunning || TableResetDone || NextRoundCountdownOn);
    }
}

TEST_F(BreakUp, TheOwnSeatOutOfCoinsLeavesWithoutReconnecting)
{
    const struct {
        const char* name;
        uint8_t roomChange;
        QString text;
        int16_t scoreShowState;
        bool minimised;
    } cases[] = {
        {"told to change rooms", 4, "您的金币不够，请更换房间或充值后继续游戏！", 0, false},
        {"told to claim the allowance", 2, "您的金币不够，请领取低保或充值后继续游戏！", 0, true},
        {"while a plug-in settlement is pending", 4, "您的金币不够，请更换房间或充值后继续游戏！", 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        unload<frmOtherExit>();
        form<Score>().Hide();
        Seat(4);
        const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
        ASSERT_TRUE(plugin);
        Mod_Prop::ScoreShowState = c.scoreShowState;
        Mod_Prop::PropExitAfterScore = false;
        ReconnectAllowed = ConnectionMonitorOn = ConnectWatchOn = true;
        w->TimerKeepAlive.SetEnabled(true);
        w->SetWindowState(c.minimised ? 1 : 0);
        // A stale plate, hidden: the refresh shows the own seat's multiplier.
        w->lbwealth.SetCaption(QStringLiteral("101"));
        w->lbwealth.SetVisible(false);
        w->Imgwealth.SetVisible(false);
        ASSERT_FALSE(endsProgram(OutOfCoins(15 - 4 - 8, c.roomChange)));
        EXPECT_EQ(dialogText(), c.text);
        EXPECT_TRUE(dialogShown());
        EXPECT_EQ(form<Score>().Visible(), !c.minimised);
        EXPECT_EQ(w->Sysmsg(0).ListCount(), 0);
        EXPECT_FALSE(ReconnectAllowed || ConnectionMonitorOn || ConnectWatchOn);
        EXPECT_FALSE(w->TimerKeepAlive.Enabled());
        EXPECT_EQ(OthersSeated, 0);
        for (int side = 1; side <= 3; ++side) {
            EXPECT_TRUE(cleared(side)) << side;
            EXPECT_TRUE(OtherPlayerNames[side].isEmpty()) << side;
        }
        EXPECT_TRUE(w->lbwealth.Visible());
        EXPECT_TRUE(w->Imgwealth.Visible());
        EXPECT_EQ(w->lbwealth.Caption(), QStringLiteral("100"));
        EXPECT_EQ(Mod_Prop::PropExitAfterScore, c.scoreShowState == 1);
        EXPECT_EQ(Mod_Prop::Prop_GameDllState, c.scoreShowState == 1 ? 1 : 0);
        w->SetWindowState(0);
    }
}

// ---- A member leaves ------------------------------------------------------------------

TEST_F(BreakUp, AMemberLeavingIsClearedAndTheCountdownStartsWhenArmed)
{
    const struct {
        const char* name;
        QByteArray bytes;
        uint8_t shifted, tenSeconds;
        bool armed, boss;
        int clearedSide; // -1 none
        int16_t countdown; // 0 none
    } cases[] = {
        {"a plain name, 15 seconds", "south", 0, 0, true, false, 2, 15},
        {"the first character shifted, 10 seconds", "fast", 1, 1, true, false, 1, 10},
        {"the boss key: 1 second", "west", 0, 1, true, true, 3, 1},
        {"not armed: no countdown", "west", 0, 0, false, false, 3, 0},
        {"a name of no side", "nobody", 0, 0, true, false, -1, 15},
        {"byte 16 of 0", QByteArray("\0ast", 4), 0, 0, false, false, -1, 0},
        {"shifted below code 0 names no one", QByteArray("\0", 1), 1, 0, false, false, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Seat(4);
        ContinuePromptArmed = c.armed;
        BossKey = c.boss;
        w->TimerKeepAlive.SetEnabled(false);
        w->Number.SetVisible(false);
        NextRoundCountdownOn = false;
        ASSERT_FALSE(endsProgram(MemberLeft(c.bytes, c.shifted, c.tenSeconds)));
        for (int side = 1; side <= 3; ++side)
            EXPECT_EQ(cleared(side), side == c.clearedSide) << side;
        if (c.clearedSide > 0) {
            EXPECT_EQ(w->Sysmsg(0).List(0),
                      QString::fromUtf8(Names[c.clearedSide]) + QStringLiteral("退出了游戏 21:3:9"));
            EXPECT_EQ(OthersSeated, 2);
            EXPECT_EQ(w->lbwealth.Caption(), QStringLiteral("100"));
            EXPECT_EQ(SeatWealthRates[c.clearedSide], 0);
        } else {
            EXPECT_EQ(OthersSeated, 3);
        }
        for (int side = 0; side <= 3; ++side)
            EXPECT_EQ(custom[side].SeatMask, 0) << side;
        EXPECT_EQ(NextRoundCountdownOn, c.countdown > 0);
        if (c.countdown > 0) {
            EXPECT_EQ(TurnCountdown, c.countdown);
            EXPECT_EQ(w->Number.Caption(), QString::number(c.countdown));
            EXPECT_TRUE(w->Number.Visible());
            EXPECT_FALSE(GameRunning);
        } else {
            EXPECT_EQ(GameRunning, !c.armed);
        }
        EXPECT_TRUE(ContinuePromptArmed);
        EXPECT_TRUE(w->TimerKeepAlive.Enabled());
        BossKey = false;
    }
}

TEST_F(BreakUp, TwoSidesOfOneNameAreBothCleared)
{
    custom[3].Name = custom[1].Name;
    ASSERT_FALSE(endsProgram(MemberLeft("east")));
    EXPECT_TRUE(cleared(1));
    EXPECT_TRUE(cleared(3));
    EXPECT_EQ(OthersSeated, 1);
}

TEST_F(BreakUp, TheOwnNameEndsTheProgramAtOnce)
{
    EXPECT_TRUE(endsProgram(MemberLeft("me")));
    EXPECT_FALSE(cleared(1));
    EXPECT_EQ(custom[0].SeatMask, 4);
    EXPECT_TRUE(hallLog().isEmpty());
    // Watch mode: the watched player leaving ends without the box.
    WatchMode = true;
    EXPECT_TRUE(endsProgram(MemberLeft("me")));
    EXPECT_TRUE(mjtest::MessageBoxes().isEmpty());
    EXPECT_TRUE(endsProgram(MemberLeft("east")));
    EXPECT_TRUE(cleared(1));
    EXPECT_EQ(mjtest::MessageBoxes(), QStringList{QStringLiteral("有用户退出，旁观结束！")});
}

TEST_F(BreakUp, ThePlugInStartsAfreshOncePerRound)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    LoginDone = 1;
    Total::PluginResetPending = true;
    ASSERT_FALSE(endsProgram(MemberLeft("east")));
    ASSERT_FALSE(endsProgram(MemberLeft("south")));
    EXPECT_EQ(plugin.Log().count(QStringLiteral("Ainit(\"qvtarn.xml\")")), 1);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("rec_state(2, False, 3)")), 1);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("ClearUser(1)")), 1);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("ClearUser(2)")), 1);
    EXPECT_TRUE(w->Tou(2).Visible());
    EXPECT_FALSE(Total::PluginResetPending);
}

// ---- Coins and the notice ----------------------------------------------------------------

TEST_F(BreakUp, CoinsChangeBySideAndByAccount)
{
    const uint64_t huge = std::numeric_limits<uint64_t>::max();
    const struct {
        const char* name;
        int code;
        uint8_t sign;
        uint64_t amount;
        QByteArray account;
        int side; // -1 none
        QString cash;
    } cases[] = {
        {"own coins up", CodeOwnCoins, 0, 250, {}, 0, "1250金币"},
        {"own coins below 0", CodeOwnCoins, 1, 5000, {}, 0, "0金币"},
        {"own coins by 2^64 - 1", CodeOwnCoins, 0, huge, {}, 0, "18446744073709551616金币"},
        {"another's coins down", CodeOtherCoins, 7, 300, "south", 2, "700金币"},
        {"an account of no side", CodeOtherCoins, 0, 300, "nobody", -1, {}},
        {"the own account only", CodeOtherCoins, 0, 300, "me", -1, {}},
        {"a 17-character account", CodeOtherCoins, 0, 1, "abcdefghijklmnopq", 3, "1001金币"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Seat(4);
        custom[3].Name = Players[3].Account = QStringLiteral("abcdefghijklmnopq");
        ASSERT_FALSE(endsProgram(Coins(c.code, c.sign, c.amount, c.account)));
        for (int side = 0; side <= 3; ++side)
            EXPECT_EQ(w->Cash(side).Caption(), side == c.side ? c.cash : QStringLiteral("1000金币")) << side;
    }
    // An account two sides share: the lower side only.
    Seat(4);
    Players[3].Account = Players[1].Account;
    ASSERT_FALSE(endsProgram(Coins(CodeOtherCoins, 0, 5, "east")));
    EXPECT_EQ(Players[1].Coins, 1005);
    EXPECT_EQ(Players[3].Coins, 1000);
}

TEST_F(BreakUp, TheNoticeShowsItsTextAndLeavesTheSeat)
{
    const struct {
        const char* name;
        QString text;
        bool dialog;
    } cases[] = {
        {"a notice", "系统维护，请稍后再来。", true},
        {"the own name after the 16th character", "0123456789abcdefme", false},
        {"an empty notice", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        unload<frmOtherExit>();
        Seat(4);
        const double before = Clock::Timer();
        ASSERT_FALSE(endsProgram(ServerFrame(CodeNotice).Text(16, c.text)));
        EXPECT_GE(Clock::Timer() - before, 2.0);
        EXPECT_EQ(dialogShown(), c.dialog);
        if (c.dialog) {
            EXPECT_EQ(dialogText(), c.text);
        }
        EXPECT_TRUE(w->Tou(1).Picture().IsNull());
        EXPECT_TRUE(OtherExitShown);
        EXPECT_FALSE(GameRunning || TableResetDone || NextRoundCountdownOn || ConnectionMonitorOn);
    }
}

} // namespace
