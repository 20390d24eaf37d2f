// The end of a hand: the four hand scores (code 9), the four settlement rows
// (code 17), the won hand's sheet, the drawn hand's sheet with and without
// the props plug-in, and the countdown to the next hand.
#include "DemoSettlement.h"
#include "DispatchTable.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/classIniFile.h"
#include "controls/Hero.h"
#include "controls/Operate.h"
#include "controls/Score.h"
#include "platform/Clock.h"
#include "social/Mod_Prop.h"

#include <QFile>
#include <QImage>
#include <QListWidget>

#include <cmath>
#include <limits>

using namespace mj;
using mjtest::ServerFrame;
namespace frames = mjtest::frames;
namespace demo = mjtest::demo;

namespace {

constexpr int CodeHandScore = 9, CodeScoreRow = 17, CodeTableStatus = 16;
// The own seat is 4: sides 0..3 hold seats 4, 2, 1, 8.
constexpr uint8_t Masks[4] = {4, 2, 1, 8};

// One seat's settlement row, stated by meaning.
struct Row {
    int16_t stake = 10;
    int16_t unit = 1; // 1 coins, else gold bars
    uint8_t item = 0; // the winner's item, 0 for the others
    uint8_t multiplier = 0;
    uint64_t final = 0;
    bool negative = false;
    QByteArray title;
    uint8_t capped = 0;
    uint64_t subtotal = 0;
    uint8_t gangCount = 0;
    QByteArray gangs; // 7-byte records: kind, tile, feeder, four unread bytes
};

ServerFrame ScoreRow(uint8_t seat, const Row& r)
{
    ServerFrame f = frames::WithHeader(CodeScoreRow, seat, 0, static_cast<uint16_t>(r.stake), 0,
                                       static_cast<uint16_t>(r.unit));
    f.Byte(17, r.item).Byte(23, r.multiplier).U64le(36, r.final).Byte(44, r.negative ? 2 : 1);
    f.Bytes(45, r.title).Byte(77, r.capped).U64le(78, r.subtotal).Byte(87, r.gangCount).Bytes(88, r.gangs);
    return f;
}

QByteArray Gang(uint8_t kind, uint8_t tile, uint8_t feeder)
{
    const char record[7] = {static_cast<char>(kind), static_cast<char>(tile), static_cast<char>(feeder), 9, 9, 9, 9};
    return QByteArray(record, 7);
}

ServerFrame HandScore(uint8_t seat, uint64_t body, uint16_t keepSign = 1)
{
    return frames::WithHeader(CodeHandScore, seat, 0, keepSign).U64le(16, body);
}

QStringList Lines(const ListBox& list)
{
    QStringList lines;
    for (int j = 0; j < list.ListCount(); ++j)
        lines << list.List(j);
    return lines;
}

QStringList Column(int k)
{
    return Lines(form<Score>().State(k));
}

// Every frame waiting in the send ring, taken out.
QList<FrameBytes> TakeQueued()
{
    QList<FrameBytes> queued;
    FrameBytes f;
    while (Total::TakeQueuedFrame(f))
        queued << f;
    return queued;
}

bool IsReadyFrame(const FrameBytes& f)
{
    return f[3] == CodeTableStatus && f[15] == 1;
}

class HandEnd : public DispatchTable {
protected:
    void SetUp() override
    {
        DispatchTable::SetUp();
        const char* names[4] = {"甲", "乙", "丙", "丁"};
        for (int side = 0; side <= 3; ++side) {
            custom[side].SeatMask = Masks[side];
            Players[side].Coins = 1000;
            Players[side].Points = 500;
            SeatNameAvatar[side].Name = QString::fromUtf8(names[side]);
            SeatNameAvatar[side].PicIndex = QString::number(side * 5);
        }
        LoggedIn = true;
        RoundNo = 3;
        WinnerSide = 1;
        HandInPlay = true;
        GameRunning = true;
    }
    void TearDown() override
    {
        Mod_Prop::ResetState();
        DispatchTable::TearDown();
    }

    // A board with empty lists, hidden, and no saved hands: the toggle that
    // shows a sheet loads nothing over it.
    void Fresh()
    {
        for (int k = 0; k <= 7; ++k)
            form<Score>().State(k).Clear();
        form<Score>().Hide();
        QFile::remove(Operate::RoundRecordPath());
    }
    // The four rows, by side, of a hand of their own.
    void Settle(const Row (&rows)[4])
    {
        HandSettled = false;
        for (int side = 0; side <= 3; ++side)
            mjtest::Dispatch(ScoreRow(Masks[side], rows[side]));
    }
    // Four hand scores of 0: a drawn hand of its own.
    void DrawnHand()
    {
        HandSettled = false;
        for (int side = 0; side <= 3; ++side)
            mjtest::Dispatch(HandScore(Masks[side], 0));
    }
    // One turn of the main loop, 50 ms later.
    void Tick()
    {
        Clock::Advance(0.05);
        w->TimerBong_Timer();
    }
    // The main loop runs until the ready request is queued; the seconds
    // that took, or -1 when it did not come within a minute.
    double SecondsUntilReady()
    {
        for (int t = 1; t <= 20 * 60; ++t) {
            Tick();
            for (const FrameBytes& f : TakeQueued())
                if (IsReadyFrame(f))
                    return t * 0.05;
        }
        return -1;
    }
    QString SavedLine(int k, int j)
    {
        classIniFile file;
        file.SetINIFileName(Operate::RoundRecordPath());
        return file.GetIniKey(QStringLiteral("juNum:%1").arg(RoundNo), QStringLiteral("count( %1 )( %2 )").arg(k).arg(j));
    }
    int SavedCount(int k)
    {
        classIniFile file;
        file.SetINIFileName(Operate::RoundRecordPath());
        return file.GetIniKey(QStringLiteral("juNum:%1").arg(RoundNo), QStringLiteral("count( %1 )").arg(k)).toInt();
    }
    // The lines of the score board that its lists do not show whole, as
    // "State(k) line j"; none when every line of every column can be read.
    static QStringList LinesNotShownWhole()
    {
        QStringList cut;
        Score& board = form<Score>();
        for (int k = 0; k <= 7; ++k) {
            auto* list = qobject_cast<QListWidget*>(board.State(k).Widget());
            if (!list)
                return {QStringLiteral("State(%1) is no list").arg(k)};
            list->doItemsLayout();
            const QRect shown = list->viewport()->rect();
            for (int j = 0; j < list->count(); ++j)
                if (!shown.contains(list->visualItemRect(list->item(j))))
                    cut << QStringLiteral("State(%1) line %2").arg(k).arg(j);
        }
        return cut;
    }

    bool Screenshot(const QString& name, bool small)
    {
        EXPECT_EQ(mjtest::ControlsOutsideTheWindow(*w), QStringList());
        const QImage shot = mjtest::GrabWithWindowsOver(*w, {&form<Score>()});
        const QString path = mjtest::ArtifactDir() + QStringLiteral("/%1-%2.png").arg(name, small ? "800x600" : "1024x768");
        return shot.save(path) && shot.size() == (small ? QSize(800, 600) : QSize(1024, 768));
    }
};

// ---- The demonstration's hand ------------------------------------------------

ServerFrame AsFrame(const QByteArray& bytes)
{
    ServerFrame f(static_cast<uint8_t>(bytes[3]));
    for (int i = 0; i < bytes.size(); ++i)
        f.Byte(i, static_cast<uint8_t>(bytes[i]));
    return f;
}

class DemoHandEnd : public OnScreen<HandEnd> {};

// The demonstration's table seated, its hand started, its hu claimed and its
// end played through the dispatcher: the sheet equals, line by line, the
// sheet worked out from the rows; the plates, the history, the board and the
// saved hand follow, and the ready request goes out when the countdown ends.
TEST_P(DemoHandEnd, TheSheetThePlatesTheHistoryAndTheSavedHandMatchTheRows)
{
    Clock::SetIdleStep([] { Clock::Advance(0.25); });
    for (int side = 0; side <= 3; ++side) {
        custom[side] = SeatRecord();
        Players[side] = PlayerInfo();
        SeatNameAvatar[side] = NameAvatar();
    }
    custom[0].Name = QStringLiteral("player1");
    RoundNo = 0;
    AutoPlay = true;
    const QList<QByteArray> script = mjtest::DemoFrames();
    ASSERT_FALSE(script.isEmpty());
    int scores = 0, rows = 0;
    for (const QByteArray& bytes : script) {
        const int code = static_cast<uint8_t>(bytes[3]);
        const bool hu = code == 7 && static_cast<uint8_t>(bytes[9]) == OpHu;
        const bool banker = code == CodeTableStatus && bytes[15] == 2;
        // The seating, the round start, the hu and the hand's end; the play
        // between has its own tests.
        if (code == 20 || code == 3 || code == 4 || banker || hu || code == CodeHandScore || code == CodeScoreRow) {
            SCOPED_TRACE(code);
            ASSERT_FALSE(endsProgram(AsFrame(bytes)));
            scores += code == CodeHandScore;
            rows += code == CodeScoreRow;
        }
    }
    ASSERT_EQ(scores, 4);
    ASSERT_EQ(rows, 4);
    ASSERT_EQ(RoundNo, 1);
    ASSERT_EQ(WinnerSide, 1);

    for (int k = 0; k <= 7; ++k)
        EXPECT_EQ(Column(k), demo::SheetList(k)) << "State(" << k << ")";
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        EXPECT_EQ(w->Cash(side).Caption(), demo::CashAfter(side));
        EXPECT_EQ(w->Level(side).Caption(), demo::TitleAfter(side));
        EXPECT_EQ(Players[side].Level, demo::TitleAfter(side));
        EXPECT_EQ(Lines(form<Hero>().Grade(side)), QStringList{demo::HeroGrade(side)});
        EXPECT_EQ(form<Score>().ID(side).Caption(), demo::BoardName(side));
        EXPECT_EQ(SessionTotals[side], RoundScores[side]);
    }
    EXPECT_EQ(Lines(form<Hero>().Num), QStringList{demo::HeroNum()});
    EXPECT_EQ(form<Hero>().sumScore(2).Caption(), QStringLiteral("-50000金条"));
    EXPECT_TRUE(form<Score>().Visible());
    EXPECT_FALSE(GameRunning);
    EXPECT_EQ(w->Sysmsg(0).List(0), QStringLiteral("请点击【继续】按钮继续游戏！"));
    EXPECT_EQ(w->Sysmsg(1).List(0), QStringLiteral("游戏将在15秒内开始"));
    EXPECT_TRUE(w->Number.Visible());
    EXPECT_EQ(w->Number.Caption(), QStringLiteral("3")); // auto mode
    EXPECT_EQ(w->Number.ForeColor(), 0xFF00);
    // The saved section holds the sheet as shown.
    for (int k = 0; k <= 7; ++k) {
        const QStringList golden = demo::SheetList(k);
        ASSERT_EQ(SavedCount(k), golden.size()) << k;
        for (int j = 0; j < golden.size(); ++j)
            EXPECT_EQ(SavedLine(k, j), golden[j].trimmed()) << k << " " << j;
    }
    EXPECT_TRUE(Screenshot(QStringLiteral("settled-won"), small()));
    EXPECT_EQ(LinesNotShownWhole(), QStringList());

    // In auto mode the next hand is asked for three seconds on.
    TakeQueued();
    const double waited = SecondsUntilReady();
    EXPECT_GE(waited, 3.0);
    EXPECT_LE(waited, 4.0);
    EXPECT_FALSE(form<Score>().Visible());
}

INSTANTIATE_TEST_SUITE_P(Layouts, DemoHandEnd, ::testing::Bool());

// ---- The sheet's arithmetic and texts ----------------------------------------

TEST_F(HandEnd, CoinsFloorAtZeroPointsAtOneAndTheBonusComesAfterTheFloor)
{
    const struct {
        double coins, points;
        uint64_t final;
        bool negative;
        QString bonus;
        double bonusCoins;
        double coinsAfter, pointsAfter;
        QString cash;
    } seats[4] = {
        {100, 100, 500, true, QStringLiteral("宝箱奖励00000255"), 30, 30, 1, QStringLiteral("30金币")},
        {100, 0, 500, false, QString(), 0, 600, 500, QStringLiteral("600金币")},
        {100, 100, 100, true, QString(), 0, 0, 0, QStringLiteral("0金币")}, // points of exactly 0 stay 0
        {0, 0, 0, false, QStringLiteral("12"), 2.5, 2.5, 0, QStringLiteral("2.5金币")},
    };
    Row rows[4];
    for (int side = 0; side <= 3; ++side) {
        Players[side].Coins = seats[side].coins;
        Players[side].Points = seats[side].points;
        Players[side].Wins = Players[side].Losses = 7;
        rows[side].final = seats[side].final;
        rows[side].negative = seats[side].negative;
        Mod_Prop::BonusText[side] = seats[side].bonus;
        Mod_Prop::BonusCoins[side] = seats[side].bonusCoins;
    }
    Settle(rows);
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        EXPECT_EQ(Players[side].Coins, seats[side].coinsAfter);
        EXPECT_EQ(Players[side].Points, seats[side].pointsAfter);
        EXPECT_EQ(w->Cash(side).Caption(), seats[side].cash);
        EXPECT_EQ(Players[side].Wins, side == 1 ? 8 : 7);
        EXPECT_EQ(Players[side].Losses, side == 1 ? 7 : 8);
        EXPECT_EQ(Mod_Prop::BonusText[side], QString());
        EXPECT_EQ(Mod_Prop::BonusCoins[side], 0);
    }
    // The bonus is in the final line and the totals, not in the column's own
    // 最终分 line.
    EXPECT_EQ(Column(4), QStringList{QStringLiteral("最终分：-470金币")});
    EXPECT_EQ(Column(7), QStringList{QStringLiteral("最终分：2.5金币")});
    EXPECT_EQ(RoundScores[0], -470);
    EXPECT_EQ(SessionTotals[0], -470);
    // The bonus lines: the colour cut off the long one, the short one whole
    // and read whole as the colour.
    const QStringList col0 = Column(0), col3 = Column(3);
    EXPECT_EQ(col0.mid(col0.size() - 4),
              (QStringList{QStringLiteral("最终分：-500金币"), QStringLiteral(" "), QStringLiteral("宝箱奖励"), QStringLiteral(" ")}));
    EXPECT_EQ(form<Score>().State(0).ForeColor(), 255);
    EXPECT_EQ(col3.mid(col3.size() - 3), (QStringList{QStringLiteral(" "), QStringLiteral("12"), QStringLiteral(" ")}));
    EXPECT_EQ(form<Score>().State(3).ForeColor(), 12);
}

TEST_F(HandEnd, TheMultiplierLinesAndTheTotalFollowTheRoomTheDiceAndAnAllZeroHand)
{
    const struct {
        const char* name;
        uint64_t final; // every seat's
        int16_t dice;
        int32_t wealth;
        QStringList tail; // side 0's lines after the "=" line
    } cases[] = {
        {"both multipliers", 100, 1, 150,
         {"  小计:-20金币", "  骰子加倍 ×7", "  财富加倍 ×150", " ", "总分：-21000金币", "  封顶", "最终分：-100金币"}},
        {"the dice only", 100, 1, 0, {"  小计:-20金币", "  骰子加倍 ×7", " ", "总分：-140金币", " ", "最终分：-100金币"}},
        {"no multiplier: the total is the subtotal", 100, 0, 0, {" ", "总分：-20金币", " ", "最终分：-100金币"}},
        {"an all-zero hand", 0, 1, 150, {"  封顶", "最终分：0金币"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        DiceDouble = c.dice;
        w->lblDifen.SetCaption(QStringLiteral("7"));
        WealthRate = c.wealth;
        WealthText = QStringLiteral("150");
        Row rows[4];
        for (Row& r : rows) {
            r.final = c.final;
            r.negative = true;
            r.subtotal = 20;
            r.capped = 1;
        }
        Settle(rows);
        const QStringList col = Column(0);
        const qsizetype equals = col.indexOf(QStringLiteral("======================="));
        ASSERT_GE(equals, 0);
        EXPECT_EQ(col.mid(equals + 1), c.tail);
    }
}

TEST_F(HandEnd, WithNoWinnerKnownEverySeatLosesAndNoItemIsLabelled)
{
    WinnerSide = -1;
    custom[3].IsBanker = true;
    Row rows[4];
    rows[1].item = 11;
    Settle(rows);
    const QString dashes = QStringLiteral("--------------------------");
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        const QStringList col = Column(side);
        ASSERT_GE(col.size(), 8);
        EXPECT_EQ(col[4], side == 3 ? QStringLiteral("  庄      家") : QStringLiteral(" "));
        EXPECT_EQ(col.mid(5, 3), (QStringList{dashes, QStringLiteral("  "), dashes}));
        EXPECT_EQ(Players[side].Losses, 1);
        EXPECT_EQ(Players[side].Wins, 0);
    }
}

TEST_F(HandEnd, TheWinnersItemLabelsItsColumn)
{
    const struct {
        uint8_t item;
        const char* winner; // the label under the winner, side 1
        int payer;          // the side labelled 包胡, -1 none
    } cases[] = {
        {11, "  炸      弹", -1}, {12, "  杠      兹", -1}, {13, "  杠      兹", -1}, {14, "  糊  涂  兹", -1},
        {8, "  杠      兹", 3},  {4, "  杠      兹", 0},  {2, "  杠      兹", 1}, // paid by the winner itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        Fresh();
        Row rows[4];
        rows[1].item = c.item;
        Settle(rows);
        for (int side = 0; side <= 3; ++side) {
            QStringList labels = Column(side).mid(5);
            labels = labels.mid(0, labels.indexOf(QStringLiteral("--------------------------")));
            QStringList expected;
            if (side == 1)
                expected << QString::fromUtf8(c.winner);
            if (side == c.payer)
                expected << QStringLiteral("  包      胡");
            if (expected.isEmpty())
                expected << QStringLiteral("  ");
            EXPECT_EQ(labels, expected) << side;
        }
    }
}

// Rows no server should send cannot break the sheet: the gang count is read
// as four at most, a gang of an unknown kind adds no line anywhere, a title
// that is not GBK shows question marks, and amounts print whole and exact.
TEST_F(HandEnd, BadRowsKeepTheColumnsLevelAndTheAmountsWhole)
{
    Row rows[4];
    rows[0].gangCount = 200;
    rows[0].gangs = Gang(2, 0x15, 0) + Gang(5, 0x21, 2) + Gang(1, 0x89, 2) + Gang(3, 0x47, 8) + Gang(2, 0x11, 0);
    rows[0].title = QByteArray("\x41\x42\xB0\xA1\xFF\xFF", 6);
    rows[0].final = std::numeric_limits<uint64_t>::max();
    rows[1].final = (uint64_t{1} << 53) + 1;
    rows[1].negative = true;
    rows[2].stake = 32767;
    rows[2].multiplier = 255;
    rows[2].item = 14;
    rows[2].gangCount = 1;
    rows[2].gangs = Gang(2, 0x13, 0);
    WinnerSide = 2;
    Settle(rows);

    const QStringList col0 = Column(0), col1 = Column(1), col2 = Column(2), col3 = Column(3);
    const qsizetype finalLine = col0.size() - 1;
    EXPECT_EQ(col1.size() - 1, finalLine);
    EXPECT_EQ(col2.size() - 1, finalLine);
    EXPECT_EQ(col3.size() - 1, finalLine);
    const qsizetype gangs = col0.indexOf(QStringLiteral("--------------------------"), 6) + 1;
    // Three of side 0's first four records have lines (the fifth is not
    // read), then side 2's concealed gang at the largest stake.
    EXPECT_EQ(col0.mid(gangs, 4), (QStringList{QStringLiteral("红中暗杠：30"), QStringLiteral("9筒明杠：10"),
                                               QStringLiteral("7万明杠：10"), QStringLiteral("西风暗杠：-32767")}));
    EXPECT_EQ(col1.mid(gangs, 4), (QStringList{QStringLiteral("红中暗杠：-10"), QStringLiteral("9筒明杠：-10"),
                                               QStringLiteral(" "), QStringLiteral("西风暗杠：-32767")}));
    EXPECT_EQ(col2.mid(gangs, 4), (QStringList{QStringLiteral("红中暗杠：-10"), QStringLiteral(" "), QStringLiteral(" "),
                                               QStringLiteral("西风暗杠：98301")}));
    EXPECT_EQ(col3.mid(gangs, 4), (QStringList{QStringLiteral("红中暗杠：-10"), QStringLiteral(" "),
                                               QStringLiteral("7万明杠：-10"), QStringLiteral("西风暗杠：-32767")}));
    EXPECT_TRUE(col2.contains(QStringLiteral("胡牌总分：8355585金币")));
    EXPECT_EQ(Players[0].Level, QStringLiteral("?啊?"));
    EXPECT_EQ(Column(4), QStringList{QStringLiteral("最终分：18446744073709551616金币")});
    EXPECT_EQ(Column(5), QStringList{QStringLiteral("最终分：-9007199254740992金币")});
    EXPECT_EQ(w->Cash(0).Caption(), QStringLiteral("18446744073709551616金币"));
}

// ---- The hand scores ------------------------------------------------------------

TEST_F(HandEnd, OnlyFourZeroHandScoresAreADrawnHand)
{
    const struct {
        const char* name;
        uint64_t bodies[4];
        uint16_t keepSign[4];
        bool drawn;
    } cases[] = {
        {"four zeros", {0, 0, 0, 0}, {1, 0, 1, 0}, true},
        {"one non-zero", {0, 0, 0, 5}, {1, 1, 1, 1}, false},
        {"the most negative score negated", {0, 0, uint64_t{1} << 63, 0}, {1, 1, 0, 1}, false},
        {"minus one negated", {0, std::numeric_limits<uint64_t>::max(), 0, 0}, {1, 0, 1, 1}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form<Hero>().Num.Clear();
        HandSettled = false; // each case a hand of its own
        for (int side = 0; side <= 3; ++side)
            mjtest::Dispatch(HandScore(Masks[side], c.bodies[side], c.keepSign[side]));
        EXPECT_EQ(Fen_Num, 0);
        EXPECT_EQ(form<Hero>().Num.ListCount(), c.drawn ? 1 : 0);
        EXPECT_EQ(Column(0), c.drawn ? QStringList{QStringLiteral("      黄  庄")} : QStringList{});
        for (int side = 0; side <= 3; ++side)
            EXPECT_EQ(custom[side].HandScore != 0, c.bodies[side] != 0) << side;
    }
}

TEST_F(HandEnd, FramesCountWhateverSeatTheyName)
{
    // Four frames of one seat settle a drawn hand all the same.
    for (int i = 0; i < 4; ++i)
        mjtest::Dispatch(HandScore(2, 0));
    EXPECT_EQ(form<Hero>().Num.ListCount(), 1);
    EXPECT_EQ(Fen_Num, 0);

    // Rows of the next hand: the fourth settles at once without the plug-in.
    HandSettled = false;
    for (int i = 0; i < 3; ++i)
        mjtest::Dispatch(ScoreRow(1, Row{}));
    EXPECT_EQ(form<Hero>().Num.ListCount(), 1);
    mjtest::Dispatch(ScoreRow(1, Row{}));
    EXPECT_EQ(form<Hero>().Num.ListCount(), 2);
    EXPECT_FALSE(Mod_Prop::ScoreInfoPending);
    EXPECT_EQ(ScoreRowsIn, 0);

    // Scores of a hand not settled by them (not all zero): a fifth starts a
    // new count, and the fourth of that count settles it.
    HandSettled = false;
    for (int i = 0; i < 4; ++i)
        mjtest::Dispatch(HandScore(2, 7));
    EXPECT_EQ(Fen_Num, 0);
    EXPECT_EQ(form<Hero>().Num.ListCount(), 2);
    mjtest::Dispatch(HandScore(2, 0));
    EXPECT_EQ(Fen_Num, 1);
    for (int i = 0; i < 3; ++i)
        mjtest::Dispatch(HandScore(2, 0));
    EXPECT_EQ(Fen_Num, 0);
    EXPECT_EQ(form<Hero>().Num.ListCount(), 3);
}

// A seat that missed the next hand's round start (it reconnected meanwhile:
// the session resumed, the hand's play arrives) settles that hand all the
// same: its first deal, draw, discard or claim opens the count the settled
// hand closed, under a hand number of its own. A second group of that hand's
// end still changes nothing.
TEST_F(HandEnd, AHandAfterASettledOneSettlesWithoutItsRoundStart)
{
    const struct {
        const char* name;
        ServerFrame frame;
    } openers[] = {
        {"a deal", frames::WithHeader(1, Masks[1]).Bytes(16, QByteArray::fromHex("111213141516172122232425"))},
        {"a draw", frames::WithHeader(5, Masks[1], 0, 0, 0, 0x11)},
        {"a discard", frames::WithHeader(2, Masks[1], 0, 0, 0, 0x11)},
        {"a claim", frames::WithHeader(7, Masks[1], OpPeng, 0x11, 0x11, 0x11)},
    };
    form<Hero>().Num.Clear();
    HandSettled = false;
    DrawnHand();
    ASSERT_EQ(form<Hero>().Num.ListCount(), 1);
    for (const auto& o : openers) {
        SCOPED_TRACE(o.name);
        const int16_t round = RoundNo;
        const int rows = form<Hero>().Num.ListCount();
        // The ready of the settled hand went out; its countdown is over.
        ButtonUsed[2] = true;
        NextRoundCountdownOn = false;
        w->Number.SetVisible(false);
        ASSERT_FALSE(endsProgram(o.frame));
        for (int side = 0; side <= 3; ++side)
            ASSERT_FALSE(endsProgram(HandScore(Masks[side], 0)));
        EXPECT_EQ(RoundNo, round + 1);
        EXPECT_EQ(form<Hero>().Num.ListCount(), rows + 1);
        EXPECT_EQ(form<Hero>().Num.List(rows), General::PadRight(QString::number(round + 1), 12));
        EXPECT_FALSE(ButtonUsed[2]);
        EXPECT_TRUE(NextRoundCountdownOn);
        EXPECT_TRUE(w->Number.Visible());
        EXPECT_EQ(SavedCount(0), 1); // the hand's own section
        // The hand before keeps its section.
        classIniFile file;
        file.SetINIFileName(Operate::RoundRecordPath());
        EXPECT_EQ(file.GetIniKey(QStringLiteral("juNum:%1").arg(round), QStringLiteral("count( 0 )")),
                  QStringLiteral("1"));

        for (int side = 0; side <= 3; ++side)
            mjtest::Dispatch(HandScore(Masks[side], 0));
        EXPECT_EQ(form<Hero>().Num.ListCount(), rows + 1);
        EXPECT_EQ(RoundNo, round + 1);
    }
}

// A second group of hand-end frames for a hand already settled (the server
// sending them again) adds no sheet, moves no coins and leaves the saved hand;
// the next round start opens the count again.
TEST_F(HandEnd, AHandSettlesOnceUntilTheNextRoundStart)
{
    Clock::SetIdleStep([] { Clock::Advance(0.25); });
    Row rows[4];
    rows[1].item = 12;
    rows[1].multiplier = 2;
    rows[1].final = 300;
    for (int side : {0, 2, 3}) {
        rows[side].final = 100;
        rows[side].negative = true;
    }
    // The frames of a hand's end: four hand scores, then for a won hand the
    // four rows.
    const auto handEnd = [&](bool won) {
        for (int side = 0; side <= 3; ++side)
            mjtest::Dispatch(HandScore(Masks[side], won && side == 1 ? 300 : 0));
        if (won)
            for (int side = 0; side <= 3; ++side)
                mjtest::Dispatch(ScoreRow(Masks[side], rows[side]));
    };
    const auto savedHand = [] {
        QFile file(Operate::RoundRecordPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    for (const bool won : {false, true}) {
        SCOPED_TRACE(won ? "won" : "drawn");
        Fresh();
        form<Hero>().Num.Clear();
        for (int side = 0; side <= 3; ++side)
            form<Hero>().Grade(side).Clear();
        HandSettled = false;
        handEnd(won);
        ASSERT_EQ(form<Hero>().Num.ListCount(), 1);
        QStringList columns[8];
        for (int k = 0; k <= 7; ++k)
            columns[k] = Column(k);
        ASSERT_FALSE(columns[0].isEmpty());
        double coins[4];
        for (int side = 0; side <= 3; ++side)
            coins[side] = Players[side].Coins;
        const QByteArray saved = savedHand();
        ASSERT_FALSE(saved.isEmpty());

        for (const bool again : {false, true}) {
            handEnd(again);
            for (int k = 0; k <= 7; ++k)
                EXPECT_EQ(Column(k), columns[k]) << "State(" << k << ")";
            for (int side = 0; side <= 3; ++side) {
                EXPECT_EQ(Players[side].Coins, coins[side]) << side;
                EXPECT_EQ(form<Hero>().Grade(side).ListCount(), 1) << side;
            }
            EXPECT_EQ(form<Hero>().Num.ListCount(), 1);
            EXPECT_EQ(savedHand(), saved);
        }

        // The next hand's start, then its end: settled again.
        ASSERT_FALSE(endsProgram(frames::WithHeader(4, Masks[1], 3, 4, 2, 5)));
        handEnd(won);
        EXPECT_EQ(form<Hero>().Num.ListCount(), 2);
    }
}

TEST_F(HandEnd, EveryHandScoreHoldsThePropsFramesAndClearsItsSeatsLists)
{
    HeldPropFrameA[7] = 1;
    HeldPropFrameB[271] = 1;
    form<Score>().State(1).AddItem(QStringLiteral("old"));
    form<Score>().State(5).AddItem(QStringLiteral("old"));
    form<Score>().State(2).AddItem(QStringLiteral("kept"));
    mjtest::Dispatch(HandScore(2, 9));
    EXPECT_TRUE(HoldPropFrameA);
    EXPECT_TRUE(HoldPropFrameB);
    EXPECT_EQ(HeldPropFrameA, (VbArray<uint8_t, 0, 271>{}));
    EXPECT_EQ(HeldPropFrameB, (VbArray<uint8_t, 0, 271>{}));
    EXPECT_EQ(form<Score>().State(1).ListCount(), 0);
    EXPECT_EQ(form<Score>().State(5).ListCount(), 0);
    EXPECT_EQ(form<Score>().State(2).ListCount(), 1);
    EXPECT_FALSE(HandInPlay);
}

// ---- Drawn hands --------------------------------------------------------------------

TEST_F(HandEnd, ADrawnHandWithoutThePlugInIsSettledByTheFourthHandScore)
{
    const struct {
        const char* name;
        bool watch, boss, autoPlay;
        bool countdown, board;
    } cases[] = {
        {"seated", false, false, false, true, true},
        {"auto mode: 15 seconds too", false, false, true, true, true},
        {"watch mode: no countdown", true, false, false, false, true},
        {"boss key: no board", false, true, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form<Score>().Hide();
        form<Hero>().Num.Clear();
        for (int side = 0; side <= 3; ++side)
            form<Hero>().Grade(side).Clear();
        NextRoundCountdownOn = false;
        w->Number.SetVisible(false);
        WatchMode = c.watch;
        BossKey = c.boss;
        AutoPlay = c.autoPlay;
        GameRunning = true;
        TableResetDone = true;
        ButtonUsed[2] = true;
        form<Score>().State(2).SetForeColor(0xFF);
        QFile::remove(Operate::RoundRecordPath());
        DrawnHand();
        for (int side = 0; side <= 3; ++side) {
            EXPECT_EQ(Column(side), QStringList{QStringLiteral("      黄  庄")}) << side;
            EXPECT_EQ(Column(side + 4), QStringList{QStringLiteral("最终分：0金币")}) << side;
            EXPECT_EQ(Lines(form<Hero>().Grade(side)), QStringList{QStringLiteral("0        金币")}) << side;
            EXPECT_EQ(form<Score>().ID(side).Caption(), SeatNameAvatar[side].Name);
        }
        EXPECT_EQ(form<Score>().State(2).ForeColor(), 0);
        EXPECT_EQ(Lines(form<Hero>().Num), QStringList{QStringLiteral("3           ")});
        EXPECT_EQ(form<Score>().Tou(3).Picture().ResourceId(), CInt(Image_Resource::AvatarPicture[15]));
        EXPECT_EQ(w->Sysmsg(0).List(0), QStringLiteral("请点击【继续】按钮继续游戏！"));
        EXPECT_EQ(w->Sysmsg(1).List(0), QStringLiteral("游戏将在15秒内开始"));
        EXPECT_FALSE(GameRunning);
        EXPECT_FALSE(TableResetDone);
        EXPECT_FALSE(ButtonUsed[2]);
        EXPECT_EQ(form<Score>().Visible(), c.board);
        EXPECT_EQ(NextRoundCountdownOn, c.countdown);
        EXPECT_EQ(w->Number.Visible(), c.countdown);
        if (c.countdown) {
            EXPECT_EQ(TurnCountdown, 15);
            EXPECT_EQ(w->Number.Caption(), QStringLiteral("15"));
            EXPECT_EQ(w->Number.ForeColor(), 0xFF00);
        }
        EXPECT_EQ(SavedCount(0), 1);
        EXPECT_EQ(SavedLine(0, 0), QStringLiteral("黄  庄"));
    }
}

TEST_F(HandEnd, AnAvatarIndexThatNamesNoPictureLeavesThePicture)
{
    const QString kept = Image_Resource::AvatarPicture[7];
    Image_Resource::LoadGifResource(CInt(kept), QStringLiteral("GIF"), form<Score>().Tou(1));
    const int before = form<Score>().Tou(1).Picture().ResourceId();
    for (const QString& index : {QString(), QStringLiteral("x"), QStringLiteral("20"), QStringLiteral("-1")}) {
        SCOPED_TRACE(index.toStdString());
        SeatNameAvatar[1].PicIndex = index;
        Fen_Num = 0;
        HandSettled = false;
        ASSERT_FALSE(endsProgram(HandScore(1, 0)));
        for (int i = 0; i < 3; ++i)
            ASSERT_FALSE(endsProgram(HandScore(1, 0)));
        EXPECT_EQ(form<Score>().Tou(1).Picture().ResourceId(), before);
        EXPECT_EQ(form<Score>().ID(1).Caption(), SeatNameAvatar[1].Name);
    }
}

// The watch seating names all four seats; a hand's end keeps them on the
// onlooker's board and in the saved hand.
TEST_F(HandEnd, AnOnlookersBoardKeepsTheFourNamesOfTheWatchSeating)
{
    WatchMode = true;
    Players[0].UserId = 77;
    for (int side = 0; side <= 3; ++side)
        SeatNameAvatar[side] = NameAvatar();
    const uint8_t seats[] = {1, 2, 4, 8};
    for (int k = 0; k < 4; ++k) {
        frames::UserInfo info(seats[k]);
        info.Name(QStringLiteral("旁观%1").arg(k)).Face("w2").Account(QByteArray("acc") + char('0' + k));
        info.UserId(k == 2 ? 77 : 100 + k);
        ASSERT_FALSE(endsProgram(info));
    }
    DrawnHand();
    QStringList names;
    for (int side = 0; side <= 3; ++side) {
        names << form<Score>().ID(side).Caption();
        EXPECT_EQ(form<Score>().Tou(side).Picture().ResourceId(), CInt(Image_Resource::AvatarPicture[11])) << side;
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("旁观0"), QStringLiteral("旁观1"), QStringLiteral("旁观2"),
                                  QStringLiteral("旁观3")}));
    EXPECT_EQ(form<Score>().ID(0).Caption(), QStringLiteral("旁观2"));
    EXPECT_FALSE(NextRoundCountdownOn);
}

// A claim offer still open when the hand ends (another seat's hu took the
// discard, the hands are shown): its turn clock stops and goes with the
// hand's first score, so it stands over none of the shown tiles and never
// plays for the player; a drawn hand's countdown then counts its fifteen
// seconds undisturbed.
TEST_F(HandEnd, ATurnClockStillRunningStopsWithTheHand)
{
    constexpr int CodeClaimOffer = 6;
    AutoPlay = true;
    for (const bool drawn : {false, true}) {
        SCOPED_TRACE(drawn ? "drawn hand" : "won hand");
        HandInPlay = GameRunning = true;
        custom[0].sum = 13;
        mjtest::Dispatch(frames::WithHeader(CodeClaimOffer, Masks[0], OpPeng | OpPass).Byte(100, 10));
        ASSERT_TRUE(TurnClockOn);
        ASSERT_TRUE(w->Number.Visible() && w->Time_Img.Visible());
        Tick();
        mjtest::Dispatch(HandScore(Masks[1], drawn ? 0 : 500));
        EXPECT_FALSE(TurnClockOn);
        EXPECT_FALSE(w->Number.Visible());
        EXPECT_FALSE(w->Time_Img.Visible());
        for (int side = 2; side <= 4; ++side)
            mjtest::Dispatch(HandScore(Masks[side % 4], drawn ? 0 : 500));
        TakeQueued();
        if (drawn) {
            EXPECT_TRUE(w->Number.Visible());
            EXPECT_EQ(w->Number.Caption(), QStringLiteral("15"));
            const double waited = SecondsUntilReady();
            EXPECT_GE(waited, 15.0);
            EXPECT_LE(waited, 16.0);
        } else {
            // Twenty seconds until the rows come: nothing goes out.
            for (int t = 1; t <= 20 * 20; ++t)
                Tick();
            EXPECT_TRUE(TakeQueued().isEmpty());
            EXPECT_FALSE(w->Number.Visible());
        }
    }
}

class DrawnHandShot : public OnScreen<HandEnd> {};

TEST_P(DrawnHandShot, TheDrawnSheetOverTheTable)
{
    const bool small = GetParam();
    for (int side = 0; side <= 3; ++side)
        Image_Resource::LoadGifResource(CInt(Image_Resource::AvatarPicture[side * 5]), QStringLiteral("GIF"), w->Tou(side));
    DrawnHand();
    ASSERT_TRUE(form<Score>().Visible());
    EXPECT_TRUE(Screenshot(QStringLiteral("settled-drawn"), small));
    EXPECT_EQ(LinesNotShownWhole(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Layouts, DrawnHandShot, ::testing::Bool());

// ---- With the props plug-in ------------------------------------------------------

class HandEndWithPlugin : public HandEnd {
protected:
    void SetUp() override
    {
        HandEnd::SetUp();
        plugin = mjtest::LoadTestPlugin();
        ASSERT_TRUE(plugin);
        Mod_Prop::PropPolling = true;
        AutoPlay = true;
    }
    // The plug-in's code 46 and the main loop's turns until the settlement.
    void RunSettlementPoll(int ticks)
    {
        mjtest::Dispatch(ServerFrame(46));
        for (int t = 0; t < ticks && form<Hero>().Num.ListCount() == 0; ++t)
            Tick();
    }
    mjtest::TestPlugin plugin;
};

TEST_F(HandEndWithPlugin, ADrawnHandWaitsForTheAwardDataAndShowsTheBonus)
{
    ASSERT_EQ(plugin.Load("score 0\n"
                          "score 1\n"
                          "bonustext 1 幸运奖00000255|再来一局\n"
                          "bonuscoins 1 66\n"),
              0);
    Players[1].Coins = 1000;
    SessionTotals[1] = 10;
    DrawnHand();
    EXPECT_TRUE(Mod_Prop::ScoreInfoPending);
    EXPECT_TRUE(Mod_Prop::DrawnRound);
    EXPECT_EQ(Mod_Prop::ScoreShowState, 1);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("InitShowEnd()")), 1);
    EXPECT_EQ(form<Hero>().Num.ListCount(), 0);

    RunSettlementPoll(10);
    EXPECT_EQ(Column(1), (QStringList{QStringLiteral("      黄  庄"), QStringLiteral(" "), QStringLiteral("幸运奖00000255"),
                                      QStringLiteral("再来一局"), QStringLiteral(" ")}));
    EXPECT_EQ(Column(0), QStringList{QStringLiteral("      黄  庄")});
    EXPECT_EQ(Column(5), QStringList{QStringLiteral("最终分：66金币")});
    EXPECT_EQ(Column(4), QStringList{QStringLiteral("最终分：0金币")});
    EXPECT_EQ(Players[1].Coins, 1066);
    EXPECT_EQ(w->Cash(1).Caption(), QStringLiteral("1066金币"));
    EXPECT_EQ(form<Hero>().sumScore(1).Caption(), QStringLiteral("76金币"));
    EXPECT_EQ(Lines(form<Hero>().Grade(1)), QStringList{QStringLiteral("66       金币")});
    EXPECT_EQ(Mod_Prop::ScoreShowState, 2);
    EXPECT_EQ(TurnCountdown, 15); // auto mode too
    EXPECT_TRUE(form<Score>().Visible());
    EXPECT_EQ(SavedLine(1, 2), QStringLiteral("幸运奖00000255"));
}

TEST_F(HandEndWithPlugin, APlugInThatNeverAnswersIsSettledWithoutBoxesAfterFiveSeconds)
{
    ASSERT_EQ(plugin.Load(""), 0);
    DrawnHand();
    mjtest::Dispatch(ServerFrame(46));
    for (int t = 0; t < 20 * 4; ++t)
        Tick();
    EXPECT_EQ(form<Hero>().Num.ListCount(), 0);
    for (int t = 0; t < 20 * 2 && form<Hero>().Num.ListCount() == 0; ++t)
        Tick();
    EXPECT_EQ(form<Hero>().Num.ListCount(), 1);
    EXPECT_EQ(Column(1), QStringList{QStringLiteral("      黄  庄")});
    EXPECT_FALSE(Mod_Prop::ScoreInfoPending);
}

TEST_F(HandEndWithPlugin, AWonHandWaitsForThePlugInAndExitsItWhenAskedTo)
{
    ASSERT_EQ(plugin.Load("score 1\nbonustext 0 奖励\nbonuscoins 0 5\n"), 0);
    Row rows[4];
    rows[1].final = 40;
    Settle(rows);
    EXPECT_TRUE(Mod_Prop::ScoreInfoPending);
    EXPECT_FALSE(Mod_Prop::DrawnRound);
    EXPECT_EQ(form<Hero>().Num.ListCount(), 0);
    Mod_Prop::PropExitAfterScore = true;
    RunSettlementPoll(10);
    ASSERT_EQ(form<Hero>().Num.ListCount(), 1);
    EXPECT_EQ(Column(4), QStringList{QStringLiteral("最终分：5金币")});
    EXPECT_EQ(Mod_Prop::ScoreShowState, 0);
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, 0);
    EXPECT_EQ(plugin.Log().count(QStringLiteral("InitExit(0)")), 1);
    EXPECT_EQ(TurnCountdown, 3); // a won hand in auto mode
}

} // namespace
