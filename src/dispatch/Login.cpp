// The login answer (code 18) and the reconnect answer (code 29).
#include "dispatch/Total.h"

#include "client/Api.h"
#include "client/MainForm.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "controls/Hero.h"
#include "platform/Program.h"
#include "social/Mod_Prop.h"

#include <QFile>

namespace mj::Total {

namespace {

// Shown after the welcome text of an accepted login.
const char PlatformWebAddress[] = "www.jcgz.example";

void refuseLogin(const QString& text)
{
    Api::PostToHall(HallMsgConnecting);
    MainForm& table = form<MainForm>();
    table.Sysmsg(0).Clear();
    table.Sysmsg(1).Clear();
    table.Sysmsg(0).AddItem(text);
    Operate::RestoreHallWindow();
    EndProgram();
}

} // namespace

void HandleLoginResult(MsgHeader& header)
{
    MainForm& table = form<MainForm>();
    StopFirstLoginWatch();
    // Whatever the answer, a new stay at the table begins.
    HoldPropFrameA = HoldPropFrameB = false;
    PluginResetPending = false;
    HeldPropFrameA.Fill(0);
    HeldPropFrameB.Fill(0);
    LoginDone = 0;
    SessionTotals.Fill(0);
    table.TimerKeepAlive.SetEnabled(true);
    RoundNo = 0;
    FirstGame = true;
    const QString history = ProgramFolder() + QStringLiteral("/info.qv");
    if (QFile::exists(history))
        QFile::remove(history);
    // The history window's rows name hands of that file: they go with it.
    if (isLoaded<Hero>()) {
        Hero& hero = form<Hero>();
        hero.Num.Clear();
        for (int side = 0; side <= 3; ++side)
            hero.Grade(side).Clear();
    }
    LoginPending = false;

    const int answer = header.value[3] & 0xFF;
    if (answer == 2)
        refuseLogin(QStringLiteral("启动游戏失败，请重新在大厅就座后进入游戏！"));
    if (answer != 1)
        refuseLogin(QStringLiteral("验证错误，请重新登陆游戏！"));

    LoggedIn = true;
    table.Sysmsg(0).Clear();
    table.Sysmsg(1).Clear();
    table.Sysmsg(0).AddItem(QStringLiteral("连接服务器成功！"));
    table.Sysmsg(1).AddItem(QStringLiteral("欢迎进入霁川杠兹 ") + QString::fromLatin1(PlatformWebAddress));
    Api::PostToHall(HallMsgConnected);
    TurnSeconds = AutoPlay ? 1 : static_cast<int16_t>(header.value[1] & 15);
    TimeoutLimit = Msg[9];
    ReconnectAllowed = true;
    BannerUrl = SingleByteText(16, 115);
    // Opening the banner page may fail; that is not the login's concern.
    try {
        if (!BannerUrl.isEmpty()) {
            AdPageUrl = BannerUrl + QStringLiteral(".gamead");
            // An address the panel would refuse opens nothing and leaves the
            // panel as it was.
            if (WebBrowser::IsWebAddress(BannerUrl)) {
                table.WebBrowser1.Navigate(BannerUrl);
                table.WebBrowser1.ZOrder(0);
                table.WebBrowser1.SetVisible(true);
            }
        }
    } catch (const RuntimeError&) {
    }
}

void HandleReconnectResult(MsgHeader&)
{
    MainForm& table = form<MainForm>();
    if (Msg[15] == 1) {
        table.Sysmsg(0).Clear();
        table.Sysmsg(1).Clear();
        table.Sysmsg(0).AddItem(QStringLiteral("正在重连服务器，请等待...！"));
        LoggedIn = true;
        Reconnecting = true;
        SendOn = true; // frames queued while the link was down go out now
        Mod_Prop::CallPlugin([](Tesmora& p) { p.rec_state(3, true); });
        return;
    }
    if (Mod_Prop::Prop_GameDllState > 0) {
        int16_t mode = 0;
        Mod_Prop::ExitPropPlugin(mode);
    }
    MsgBox(QStringLiteral("重连服务器失败，退出后请重新入座！"), vbOKOnly);
    Operate::RestoreHallWindow();
    EndProgram();
}

} // namespace mj::Total
