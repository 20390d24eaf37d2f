// The start of a hand (code 4) and the banker with its dice (code 41).
#include "DispatchTable.h"
#include "ServerProcess.h"

#include "client/Mod_Proxy.h"
#include "client/Total.h"
#include "platform/Clock.h"
#include "platform/Winsock.h"
#include "social/Mod_Prop.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/SoftTimer.h"
#include "client/frmExit.h"
#include "dispatch/Total.h"

using namespace mj;
using mjtest::ServerFrame;
namespace frames = mjtest::frames;

namespace {

constexpr int CodeRoundStart = 4, CodeBankerDice = 41;

// The resource id a picture table entry names.
int ResourceOf(const QString& entry)
{
    return CInt(entry);
}

// The own seat is 4: sides 0..3 hold seats 4, 2, 1, 8.
class RoundStart : public DispatchTable {
protected:
    void SetUp() override
    {
        DispatchTable::SetUp();
        for (int side = 0; side <= 3; ++side)
            custom[side].SeatMask = Masks[side];
    }

    // A round start for the banker's seat with the four dice; dice doubling
    // on when `doubling` is not 0.
    static ServerFrame Start(uint8_t banker, int d0, int d1, int d2, int d3, uint8_t doubling = 0)
    {
        ServerFrame f = frames::WithHeader(CodeRoundStart, banker, static_cast<uint16_t>(d0), static_cast<uint16_t>(d1),
                                           static_cast<uint16_t>(d2), static_cast<uint16_t>(d3));
        return f.Byte(18, doubling);
    }

    static constexpr uint8_t Masks[4] = {4, 2, 1, 8};
};

TEST_F(RoundStart, TheWallBreaksWhereTheBankersSideAndTheDiceSay)
{
    const struct {
        int bankerSide;
        int dice[4];
        int16_t head, tail;
    } cases[] = {
        {0, {3, 4, 2, 5}, 96, 94},
        {3, {6, 6, 6, 6}, 48, 46},
        {0, {3, 3, 5, 6}, 0, 134},       // head 0: the tail wraps round
        {0, {0, 4, 2, 5}, 24, 22},       // a 0 die is thrown as 1: as 1, 4, 2, 5
        {1, {7, 7, 7, 7}, 56, 54},       // dice no die shows stay on the wall
        {2, {255, 255, 255, 255}, 34, 32},
        {0, {7, 255, 255, 7}, 62, 60},
        {0, {7, 7, 1, 1}, 134, 132},     // the wall count goes below 0 and the stack count too
        {0, {8, 8, 1, 1}, 70, 68},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bankerSide << ": " << c.dice[0] << " " << c.dice[1] << " " << c.dice[2]
                                        << " " << c.dice[3]);
        for (int side = 0; side <= 3; ++side)
            custom[side].IsBanker = false;
        mjtest::Dispatch(Start(Masks[c.bankerSide], c.dice[0], c.dice[1], c.dice[2], c.dice[3]));
        EXPECT_EQ(WallHead, c.head);
        EXPECT_EQ(WallTail, c.tail);
        for (int side = 0; side <= 3; ++side)
            EXPECT_EQ(custom[side].IsBanker, side == c.bankerSide) << side;
    }
}

TEST_F(RoundStart, TheDiceDoublingPlateShowsTheSecondThrow)
{
    const struct {
        const char* name;
        uint8_t doubling;
        int d2, d3;
        QString sum;
        int face0, face1; // SmallDicePicture entries; -1 hidden
    } cases[] = {
        {"2 and 5", 1, 2, 5, "7", 1, 4},
        {"any byte but 0 switches it on", 0xFF, 6, 1, "7", 5, 0},
        {"a 0 die is thrown as 1", 1, 0, 3, "4", 0, 2},
        {"a die above 6 shows 6", 1, 9, 200, "209", 5, 5},
        {"off", 0, 2, 5, "1", -1, -1}, // the plate's caption from the table reset
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        w->lblDifen.SetCaption(QString());
        for (int i = 0; i <= 2; ++i)
            w->lbfont(i).SetVisible(true);
        mjtest::Dispatch(Start(4, 3, 4, c.d2, c.d3, c.doubling));
        EXPECT_EQ(DiceDouble, c.doubling);
        const bool on = c.face0 >= 0;
        EXPECT_EQ(w->lblDifen.Visible(), on);
        EXPECT_EQ(w->imgBeishu.Visible(), on);
        EXPECT_EQ(w->imgsezi(0).Visible(), on);
        EXPECT_EQ(w->imgsezi(1).Visible(), on);
        for (int i = 0; i <= 2; ++i)
            EXPECT_FALSE(w->lbfont(i).Visible()) << i;
        EXPECT_EQ(w->lblDifen.Caption(), c.sum);
        if (on) {
            EXPECT_EQ(w->imgsezi(0).Picture().ResourceId(), ResourceOf(Image_Resource::SmallDicePicture[c.face0]));
            EXPECT_EQ(w->imgsezi(1).Picture().ResourceId(), ResourceOf(Image_Resource::SmallDicePicture[c.face1]));
        }
    }
}

TEST_F(RoundStart, AHandBeginsOnACleanTable)
{
    RoundNo = 6;
    SeenTiles(1, 5) = 3;
    SeenTiles(3, 9) = 1;
    OtherExitShown = true;
    SeatShuffleAllowed = true;
    LoginDone = 0;
    BlinkTicks = 5;
    WealthRate = 150;
    w->lbwealth.SetCaption(QStringLiteral("150"));
    for (int side = 0; side <= 3; ++side)
        w->OK(side).SetVisible(true);
    for (int i = 0; i <= 4; ++i) {
        w->Operation(i).SetVisible(true);
        w->Operation(i).SetEnabled(true);
        Image_Resource::LoadGifResource(CInt(Image_Resource::ClaimButtonPicture[3 * i + 1]), QStringLiteral("GIF"),
                                        w->Operation(i));
    }
    form<frmExit>().Show();

    mjtest::Dispatch(Start(8, 6, 6, 6, 6));

    EXPECT_EQ(RoundNo, 7);
    EXPECT_TRUE(GameRunning && HandInPlay && BlinkOn && Total::PluginResetPending);
    EXPECT_EQ(BlinkTicks, 0);
    EXPECT_EQ(LoginDone, 1);
    EXPECT_FALSE(OtherExitShown || SeatShuffleAllowed);
    EXPECT_FALSE(isLoaded<frmExit>());
    for (int s = 0; s <= 3; ++s)
        for (int r = 1; r <= 9; ++r)
            EXPECT_EQ(SeenTiles(s, r), 0) << s << "," << r;
    for (int side = 0; side <= 3; ++side)
        EXPECT_FALSE(w->OK(side).Visible()) << side;
    for (int i = 0; i <= 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(w->Operation(i).Visible());
        EXPECT_FALSE(w->Operation(i).Enabled());
        EXPECT_EQ(w->Operation(i).Picture().ResourceId(), ResourceOf(Image_Resource::ClaimButtonPicture[3 * i]));
    }
    EXPECT_TRUE(w->ZhiNan.Visible() && w->Host.Visible() && w->Zhuang.Visible());
    EXPECT_TRUE(w->Imgwealth.Visible() && w->lbwealth.Visible());
    EXPECT_EQ(WealthText, QStringLiteral("150"));
    // The walls stand, face down; the hall heard of the hand once.
    for (int i = 0; i <= 135; ++i)
        ASSERT_TRUE(w->MJ_Image(i).Visible()) << i;
    EXPECT_EQ(hallLog().count(QStringLiteral("0x467")), 1);

    // A room without a wealth multiplier hides the plate.
    WealthRate = 0;
    mjtest::Dispatch(Start(8, 6, 6, 6, 6));
    EXPECT_FALSE(w->Imgwealth.Visible() || w->lbwealth.Visible());
    EXPECT_EQ(RoundNo, 8);
    EXPECT_EQ(hallLog().count(QStringLiteral("0x467")), 2);
}

// A seated table was reset on the ready path before the hand; an
// onlooker's is reset here.
TEST_F(RoundStart, OnlyAnOnlookersTableIsResetByTheRoundStart)
{
    for (const bool watch : {false, true}) {
        SCOPED_TRACE(watch ? "watch mode" : "seated");
        WatchMode = watch;
        TableResetDone = false;
        custom[1].sum = 5;
        custom[1].Slots[4] = TileSlot{SlotInHand, 0x25, 17};
        mjtest::Dispatch(Start(4, 3, 4, 2, 5));
        EXPECT_EQ(TableResetDone, watch);
        EXPECT_EQ(custom[1].sum, watch ? 0 : 5);
        EXPECT_EQ(custom[1].Slots[4].State, watch ? SlotEmpty : SlotInHand);
        EXPECT_TRUE(custom[0].IsBanker);
    }
    WatchMode = false;
}

TEST_F(RoundStart, ABankerWhoIsNotAtTheTableEndsTheGame)
{
    for (const uint8_t banker : {uint8_t{0}, uint8_t{3}, uint8_t{16}}) {
        SCOPED_TRACE(int(banker));
        mjtest::MessageBoxes().clear();
        const qsizetype restores = hallLog().count(QStringLiteral("restore"));
        w->lblDifen.SetVisible(false);
        w->ZhiNan.SetVisible(false);
        EXPECT_TRUE(endsProgram(Start(banker, 2, 5, 2, 5, 1)));
        EXPECT_EQ(mjtest::MessageBoxes(), QStringList{QStringLiteral("有玩家退出，游戏结束！")});
        EXPECT_EQ(hallLog().count(QStringLiteral("restore")), restores + 1);
        // The plates were set before the banker was missed; nothing after.
        EXPECT_TRUE(w->lblDifen.Visible());
        EXPECT_FALSE(w->ZhiNan.Visible());
    }
}

TEST_F(RoundStart, TheBankerFrameSetsTheWindAndKeepsItsValues)
{
    const struct {
        uint8_t seat;
        const char* wind;
    } cases[] = {{1, "北"}, {2, "西"}, {4, "南"}, {8, "东"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.seat));
        RoundNo = 3;
        GameRunning = false;
        WallHead = 40;
        SeenTiles(2, 2) = 4;
        ButtonUsed[2] = false;
        for (int i = 0; i <= 2; ++i)
            w->AnNiu(i).SetEnabled(true);
        mjtest::Dispatch(frames::WithHeader(CodeBankerDice, c.seat, 3, 5, 0x22, 0x86));
        EXPECT_EQ(w->Zhuang.Caption(), QString::fromUtf8(c.wind));
        EXPECT_TRUE(w->Host.Visible() && w->Zhuang.Visible());
        EXPECT_TRUE(ButtonUsed[2]);
        EXPECT_TRUE(TableResetDone);
        for (int i = 0; i <= 2; ++i) {
            EXPECT_FALSE(w->AnNiu(i).Enabled()) << i;
            EXPECT_EQ(w->AnNiu(i).Picture().ResourceId(), ResourceOf(Image_Resource::ButtonPicture[2 * i + 1])) << i;
        }
        EXPECT_EQ(BankerMask, c.seat);
        EXPECT_EQ(Dice[0], 3);
        EXPECT_EQ(Dice[1], 5);
        EXPECT_EQ(WildTile, 0x22);
        EXPECT_EQ(FlippedWallTile, 0x86);
        // No hand starts here.
        EXPECT_EQ(RoundNo, 3);
        EXPECT_FALSE(GameRunning);
        EXPECT_EQ(WallHead, 40);
        EXPECT_EQ(SeenTiles(2, 2), 4);
    }
    EXPECT_FALSE(hallLog().contains(QStringLiteral("0x467")));
}

// The props frames a hand's end held back go out at the next round start,
// over a real link: the test plug-in queues them through the main loop, the
// send slot holds them, and the game server sees them after its code 4.
class HeldFrames : public RoundStart {
protected:
    void TearDown() override { Mod_Prop::ResetState(); }

    // Main loop ticks, handling socket events between them, until `done`.
    // What comes from the server process is waited for in real time, up to
    // the tests' event wait, however fast the ticks run; between two ticks
    // the events are handled for up to 5 ms.
    bool tickUntil(const std::function<bool()>& done)
    {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < mjtest::EventWaitMs) {
            mjtest::PumpUntil(done, 5);
            Clock::Advance(0.05);
            w->TimerBong_Timer();
        }
        return done();
    }
    void queue(int code)
    {
        FrameBytes f;
        f[3] = static_cast<uint8_t>(code);
        Total::QueueRawFrame(f);
        SendOn = true;
    }
};

TEST_F(HeldFrames, GoOutAtTheNextRoundStartForTheOwnSeatWithTheCurrentToken)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    // A (value 1032: 129 x 8), B (value 3088: 386 x 8), then a frame that
    // goes straight out and lets the server start the hand.
    ASSERT_EQ(plugin.Load("frame 272 3=45 6=9 8=0x04 9=0x08 16=0xA1 100=0xA2 259=0xA3 270=0xA4\n"
                          "frame 272 3=45 6=9 8=0x0C 9=0x10 16=0xB1 100=0xB2 259=0xB3 270=0xB4\n"
                          "frame 272 3=60\n"),
              0);
    Mod_Prop::PropPolling = true;
    HoldPropFrameA = HoldPropFrameB = true; // as the end of a hand sets them
    GameRunning = false;
    Total::SessionToken[0] = 0x11;
    Total::SessionToken[1] = 0x11;

    mjtest::ServerProcess server(QStringLiteral("expect 60 timeout 30\n"
                                                "send 4 4 3 4 2 5 token:4321\n"
                                                "expect 61 timeout 30\n"
                                                "send 4 4 3 4 2 5 token:8765\n"
                                                "expect 62 timeout 30\n"
                                                "wait-close timeout 30\n"));
    ASSERT_GT(server.Port(), 0);
    DirectLink = true;
    w->Winsock1.SetRemoteHost(QStringLiteral("127.0.0.1"));
    w->Winsock1.SetRemotePort(server.Port());
    w->Winsock1.Connect();
    ASSERT_TRUE(mjtest::PumpUntil([&] { return w->Winsock1.State() == sckConnected; }));
    SendOn = true;

    // Both are held; the hand starts and sends them.
    ASSERT_TRUE(tickUntil([] { return RoundNo == 1; })) << qPrintable(server.Errors());
    ASSERT_TRUE(tickUntil([&] { return server.Received().filter(QStringLiteral("recv 45 ")).size() == 2; }));
    EXPECT_EQ(HeldPropFrameA[3], 0);
    EXPECT_EQ(HeldPropFrameB[3], 0);
    EXPECT_FALSE(HoldPropFrameA || HoldPropFrameB);

    // Slot B holds again and its flag stays set: the next hand leaves it.
    HeldPropFrameB.Fill(0);
    HeldPropFrameB[3] = 45;
    HeldPropFrameB[6] = 9;
    HeldPropFrameB[8] = 0x0C;
    HeldPropFrameB[9] = 0x10;
    HoldPropFrameB = true;
    const FrameBytes stillHeld = HeldPropFrameB;
    queue(61);
    ASSERT_TRUE(tickUntil([] { return RoundNo == 2; }));
    EXPECT_EQ(HeldPropFrameB, stillHeld);
    EXPECT_TRUE(HoldPropFrameB);
    queue(62);
    ASSERT_TRUE(tickUntil([&] { return !server.Received().filter(QStringLiteral("recv 62 ")).isEmpty(); }));

    // What the server saw: the pass-through frame, A, B, the next frames.
    QList<QByteArray> sent;
    for (const QString& line : server.Received())
        sent << QByteArray::fromHex(line.section(u' ', 7).toLatin1());
    ASSERT_EQ(sent.size(), 5);
    EXPECT_EQ(sent[0][3], 60);
    EXPECT_EQ(sent[3][3], 61);
    EXPECT_EQ(sent[4][3], 62);
    const auto expected = [](uint8_t v8, uint8_t v9, uint8_t mark) {
        QByteArray f(272, '\0');
        f[3] = 45;
        f[6] = 4; // the own seat
        f[8] = static_cast<char>(v8);
        f[9] = static_cast<char>(v9);
        f[16] = static_cast<char>(mark | 1);
        f[100] = static_cast<char>(mark | 2);
        f[259] = static_cast<char>(mark | 3);
        f[260] = 0x43; // the token of the round start
        f[261] = 0x21;
        f[270] = static_cast<char>(mark | 4);
        return f;
    };
    EXPECT_EQ(sent[1].toHex(), expected(0x04, 0x08, 0xA0).toHex());
    EXPECT_EQ(sent[2].toHex(), expected(0x0C, 0x10, 0xB0).toHex());
}

} // namespace
