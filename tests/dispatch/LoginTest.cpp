// The login answer (code 18) and the reconnect answer (code 29).
#include "DispatchTable.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "controls/Hero.h"
#include "dispatch/Total.h"
#include "social/Mod_Prop.h"

#include <QFile>

using namespace mj;
using mjtest::ServerFrame;
namespace frames = mjtest::frames;

namespace {

QStringList lines(ListBox& list)
{
    QStringList out;
    for (int i = 0; i < list.ListCount(); ++i)
        out << list.List(i);
    return out;
}

// Everything that lasts across hands, as a previous stay left it.
void leaveAPreviousStay(const QString& folder)
{
    HoldPropFrameA = HoldPropFrameB = true;
    Total::PluginResetPending = true;
    HeldPropFrameA.Fill(7);
    HeldPropFrameB.Fill(9);
    LoginDone = 1;
    SessionTotals.Fill(12.5);
    RoundNo = 6;
    FirstGame = false;
    LoginPending = true;
    QFile history(folder + QStringLiteral("/info.qv"));
    history.open(QIODevice::WriteOnly);
    history.write("[1]\n");
    // The history window's rows of that stay's hands.
    Hero& hero = form<Hero>();
    hero.Num.AddItem(QStringLiteral("6           "));
    for (int side = 0; side <= 3; ++side)
        hero.Grade(side).AddItem(QStringLiteral("0        金币"));
}

TEST_F(DispatchTable, AnAcceptedLoginOpensTheStay)
{
    const QByteArray hundred = "http://127.0.0.1:9/" + QByteArray(81, 'b'); // 100 characters, no zero byte
    const struct {
        const char* name;
        uint8_t turn, limit;
        QByteArray banner;
        bool autoPlay;
        int16_t turnSeconds;
    } cases[] = {
        {"0x1F gives 15 seconds", 0x1F, 3, "http://127.0.0.1:9/b", false, 15},
        {"0x10 gives 0", 0x10, 0, "", false, 0},
        {"the banner fills its field", 8, 255, hundred, false, 8},
        {"auto mode plays a second a turn", 0x0C, 1, "", true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        leaveAPreviousStay(tmp.path());
        AutoPlay = c.autoPlay;
        AdPageUrl = QStringLiteral("http://old/ad");
        w->WebBrowser1.SetVisible(false);
        w->TimerKeepAlive.SetEnabled(false);
        const qsizetype seen = hallLog().size();
        mjtest::Dispatch(frames::LoginResult().Turn(c.turn).TimeoutLimit(c.limit).Banner(c.banner));

        EXPECT_FALSE(HoldPropFrameA || HoldPropFrameB || Total::PluginResetPending);
        EXPECT_EQ(HeldPropFrameA, FrameBytes{});
        EXPECT_EQ(HeldPropFrameB, FrameBytes{});
        EXPECT_EQ(LoginDone, 0);
        EXPECT_EQ(SessionTotals, (VbArray<double, 0, 3>{}));
        EXPECT_EQ(RoundNo, 0);
        EXPECT_TRUE(FirstGame);
        EXPECT_FALSE(LoginPending);
        EXPECT_FALSE(QFile::exists(tmp.filePath(QStringLiteral("info.qv"))));
        // The rows go with the file: none names a hand of the new stay.
        EXPECT_EQ(form<Hero>().Num.ListCount(), 0);
        for (int side = 0; side <= 3; ++side)
            EXPECT_EQ(form<Hero>().Grade(side).ListCount(), 0) << side;
        EXPECT_TRUE(w->TimerKeepAlive.Enabled());

        EXPECT_TRUE(LoggedIn);
        EXPECT_TRUE(ReconnectAllowed);
        EXPECT_EQ(lines(w->Sysmsg(0)), QStringList{QStringLiteral("连接服务器成功！")});
        ASSERT_EQ(w->Sysmsg(1).ListCount(), 1);
        EXPECT_TRUE(w->Sysmsg(1).List(0).startsWith(QStringLiteral("欢迎进入霁川杠兹 ")));
        EXPECT_EQ(hallLog().mid(seen), QStringList{QStringLiteral("0x303")});
        EXPECT_EQ(TurnSeconds, c.turnSeconds);
        EXPECT_EQ(TimeoutLimit, c.limit);
        EXPECT_EQ(BannerUrl, QString::fromLatin1(c.banner));
        if (c.banner.isEmpty()) {
            EXPECT_EQ(AdPageUrl, QStringLiteral("http://old/ad"));
            EXPECT_FALSE(w->WebBrowser1.Visible());
        } else {
            EXPECT_EQ(AdPageUrl, QString::fromLatin1(c.banner) + QStringLiteral(".gamead"));
            EXPECT_EQ(w->WebBrowser1.LocationURL(), QString::fromLatin1(c.banner));
            EXPECT_TRUE(w->WebBrowser1.Visible());
        }
    }
}

TEST_F(DispatchTable, ABannerThatIsNoWebAddressOpensNoPage)
{
    mjtest::Dispatch(frames::LoginResult().Banner("file:///etc/passwd"));
    EXPECT_TRUE(LoggedIn);
    EXPECT_EQ(BannerUrl, QStringLiteral("file:///etc/passwd"));
    EXPECT_EQ(w->WebBrowser1.LocationURL(), QString());
    EXPECT_FALSE(w->WebBrowser1.Visible());
}

TEST_F(DispatchTable, ARefusedLoginTellsTheHallAndEnds)
{
    const struct {
        uint16_t answer;
        const char* text;
    } cases[] = {
        {2, "启动游戏失败，请重新在大厅就座后进入游戏！"},
        {0, "验证错误，请重新登陆游戏！"},
        {3, "验证错误，请重新登陆游戏！"},
        {0x101, nullptr}, // the high byte is not read: accepted
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        leaveAPreviousStay(tmp.path());
        const qsizetype seen = hallLog().size();
        const bool ended = endsProgram(frames::LoginResult().Answer(c.answer));
        if (!c.text) {
            EXPECT_FALSE(ended);
            EXPECT_TRUE(LoggedIn);
            continue;
        }
        EXPECT_TRUE(ended);
        EXPECT_FALSE(LoggedIn);
        EXPECT_EQ(lines(w->Sysmsg(0)), QStringList{QString::fromUtf8(c.text)});
        EXPECT_EQ(w->Sysmsg(1).ListCount(), 0);
        EXPECT_EQ(hallLog().mid(seen), (QStringList{QStringLiteral("0x16"), QStringLiteral("restore")}));
        EXPECT_EQ(RoundNo, 0); // the stay's reset ran first
        EXPECT_TRUE(mjtest::MessageBoxes().isEmpty());
    }
}

TEST_F(DispatchTable, AReconnectAnswerResumesOrEnds)
{
    const struct {
        const char* name;
        bool plugin;
        uint8_t result;
    } cases[] = {
        {"resumed with the plug-in", true, 1},
        {"resumed without it", false, 1},
        {"failed with the plug-in", true, 0},
        {"failed without it", false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mjtest::MessageBoxes().clear();
        mjtest::TestPlugin plugin;
        if (c.plugin) {
            plugin = mjtest::LoadTestPlugin();
            ASSERT_TRUE(plugin);
        } else {
            Mod_Prop::Prop_GameDllState = 0;
        }
        LoggedIn = Reconnecting = SendOn = false;
        LoginPending = true;
        TurnSeconds = 9;
        Total::SessionToken[0] = 0xBB;
        Total::SessionToken[1] = 0x01;
        const qsizetype seen = hallLog().size();
        const qsizetype calls = c.plugin ? plugin.Log().size() : 0;
        const bool ended = endsProgram(frames::ReconnectResult(c.result).Token(0xCCCC));
        EXPECT_EQ(Total::SessionToken[0], 0xBB); // this answer's token is not taken
        EXPECT_EQ(Total::SessionToken[1], 0x01);
        if (c.result == 1) {
            EXPECT_FALSE(ended);
            EXPECT_TRUE(LoggedIn && Reconnecting && SendOn);
            EXPECT_EQ(lines(w->Sysmsg(0)), QStringList{QStringLiteral("正在重连服务器，请等待...！")});
            EXPECT_TRUE(LoginPending); // a resumed stay keeps what it had
            EXPECT_EQ(TurnSeconds, 9);
            EXPECT_EQ(hallLog().mid(seen), QStringList{});
            if (c.plugin) {
                EXPECT_EQ(plugin.Log().mid(calls), QStringLiteral("rec_state(3, True, 0)\n"));
            }
        } else {
            EXPECT_TRUE(ended);
            EXPECT_FALSE(LoggedIn);
            EXPECT_EQ(mjtest::MessageBoxes(), QStringList{QStringLiteral("重连服务器失败，退出后请重新入座！")});
            EXPECT_EQ(hallLog().mid(seen), QStringList{QStringLiteral("restore")});
            if (c.plugin) {
                EXPECT_EQ(plugin.Log().mid(calls), QStringLiteral("InitExit(0)\n"));
                EXPECT_EQ(Mod_Prop::Prop_GameDllState, 0);
            }
        }
    }
}

} // namespace
