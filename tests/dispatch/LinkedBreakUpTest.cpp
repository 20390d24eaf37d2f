// The table's break-up with the client linked to the scripted game server
// over loopback: what goes over the link and whether the link stays.
#include "social/LinkedTable.h"

#include "client/frmOtherExit.h"
#include "client/frmReconnect.h"
#include "platform/Winsock.h"

using namespace mj;

namespace {

class LinkedBreakUp : public ::testing::Test, protected mjtest::LinkedTable {
protected:
    LinkedBreakUp() : LinkedTable(QStringLiteral("散桌测试大厅")) {}
    void SetUp() override
    {
        OpenTable();
        Clock::SetIdleStep([] { Clock::Advance(0.05); });
        const uint8_t masks[4] = {4, 2, 1, 8};
        const char* accounts[4] = {"player1", "east", "south", "west"};
        for (int side = 0; side <= 3; ++side) {
            custom[side].SeatMask = masks[side];
            custom[side].Name = QString::fromLatin1(accounts[side]);
            Players[side].Account = custom[side].Name;
            Players[side].Name = QStringLiteral("玩家%1").arg(side);
            Players[side].Coins = 500;
        }
        OthersSeated = 3;
    }
    // The main loop runs until `done` or ten seconds of its time passed.
    bool TickUntil(const std::function<bool()>& done)
    {
        for (int t = 0; t < 200 && !done(); ++t) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            Tick();
        }
        return done();
    }
    static QString Send(int code, uint8_t seat, int v1, int v3, const QString& body = {})
    {
        return QStringLiteral("send %1 %2 0 %3 0 %4 %5\n").arg(code).arg(seat).arg(v1).arg(v3).arg(body);
    }
};

TEST_F(LinkedBreakUp, CoinFramesChangeTheLabelsAndANoticeLeavesTheSeatOnAnOpenLink)
{
    mjtest::ServerProcess server(QStringLiteral("expect 18\n") + Send(91, 0, 0, 0, QStringLiteral("u8:0 u64le:250")) +
                                 Send(92, 0, 0, 0, QStringLiteral("u8:1 u64le:120 text:south")) +
                                 Send(22, 0, 0, 0, QStringLiteral("gbk:\"服务器将于五分钟后维护\"")) +
                                 QStringLiteral("expect 16 timeout 20\nwait-close timeout 30\n"));
    ConnectTo(server);
    ASSERT_EQ(HandleFrames(3), 3);
    EXPECT_EQ(w->Cash(0).Caption(), QStringLiteral("750金币"));
    EXPECT_EQ(w->Cash(2).Caption(), QStringLiteral("380金币"));
    EXPECT_EQ(w->Cash(1).Caption(), QString());
    EXPECT_EQ(form<frmOtherExit>().Label1.Caption(), QStringLiteral("服务器将于五分钟后维护"));
    ASSERT_GE(server.WaitForLine(QStringLiteral("recv 16 ")), 0);
    QByteArray leave(272, '\0');
    leave[3] = 16;
    leave[6] = 4;
    const QString line = server.Received().filter(QStringLiteral("recv 16 ")).first();
    EXPECT_EQ(line.section(u' ', 7), QString::fromLatin1(leave.toHex()));
    EXPECT_EQ(w->Winsock1.State(), sckConnected);
}

TEST_F(LinkedBreakUp, AnotherSeatsQuitClosesTheLinkAndTheDialogLeadsToTheHall)
{
    mjtest::ServerProcess server(QStringLiteral("expect 18\n") + Send(16, 15 - 2, 0, 1) +
                                 QStringLiteral("wait-close timeout 30\n"));
    ConnectTo(server);
    ASSERT_EQ(HandleFrames(1), 1);
    ASSERT_GE(server.WaitForLine(QStringLiteral("closed 1")), 0);
    ASSERT_TRUE(isLoaded<frmOtherExit>() && form<frmOtherExit>().Visible());
    EXPECT_EQ(form<frmOtherExit>().Label1.Caption(), QStringLiteral("玩家玩家1,退出了游戏！游戏结束！"));
    form<frmOtherExit>().imgOK_Click();
    EXPECT_TRUE(hall.SettledLog().contains(QStringLiteral("restore")));
    EXPECT_EQ(w->WindowState(), 1);
    EXPECT_TRUE(server.Received().filter(QStringLiteral("recv 16 ")).isEmpty()) << "the link was closed first";
}

TEST_F(LinkedBreakUp, TheOwnSeatOutOfCoinsClosesTheLinkAndNoReconnectionFollows)
{
    mjtest::ServerProcess server(QStringLiteral("expect 18\n") + Send(16, 15 - 4, 4, 3) +
                                 QStringLiteral("wait-close timeout 30\nconnection 2\nwait-close timeout 30\n"));
    ConnectTo(server);
    ConnectionMonitorOn = true;
    ReconnectAllowed = true;
    ASSERT_EQ(HandleFrames(1), 1);
    ASSERT_GE(server.WaitForLine(QStringLiteral("closed 1")), 0);
    EXPECT_EQ(form<frmOtherExit>().Label1.Caption(), QStringLiteral("您的金币不够，请更换房间或充值后继续游戏！"));
    // Ten seconds of the main loop: no reconnection is tried.
    TickUntil([] { return false; });
    mjtest::PumpUntil([] { return false; }, 500);
    EXPECT_FALSE(isLoaded<frmReconnect>());
    EXPECT_LT(server.WaitForLine(QStringLiteral("connected 2"), 10), 0);
    EXPECT_TRUE(server.Received().filter(QStringLiteral("recv 28 ")).isEmpty());
}

} // namespace
