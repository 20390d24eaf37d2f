#include "TestSupport.h"

#include "client/Data.h"
#include "client/General.h"
#include "platform/Clock.h"

#include <QTimer>

#include <gtest/gtest.h>

using namespace mj;

namespace {

TEST(General, MaskAndIndexConversions)
{
    const struct {
        uint8_t mask, index;
    } masks[] = {{0, 0}, {1, 0}, {2, 1}, {4, 2}, {8, 3}, {15, 3}, {3, 1}, {255, 7}};
    for (const auto& c : masks)
        EXPECT_EQ(General::MaskToIndex(c.mask), c.index) << int(c.mask);

    const struct {
        int16_t n, mask;
    } indexes[] = {{-3, 1}, {0, 1}, {1, 2}, {2, 4}, {3, 8}};
    for (const auto& c : indexes)
        EXPECT_EQ(General::IndexToMask(c.n), c.mask) << c.n;
}

TEST(General, TileNames)
{
    const struct {
        int16_t rank, suit;
        const char* name;
    } cases[] = {
        {1, 1, "东风"}, {5, 1, "红中"}, {6, 1, "发财"}, {7, 1, "白板"}, {8, 1, ""},
        {3, 2, "3条"}, {1, 4, "1万"}, {9, 8, "9筒"}, {5, 16, ""}, {5, 0, ""}, {5, 3, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(General::TileName(c.rank, c.suit), QString::fromUtf8(c.name)) << c.rank << "/" << c.suit;
}

TEST(General, PadRight)
{
    EXPECT_EQ(General::PadRight(QStringLiteral("ab"), 5), QStringLiteral("ab   "));
    EXPECT_EQ(General::PadRight(QStringLiteral("ab"), 1), QStringLiteral("ab"));
    EXPECT_EQ(General::PadRight(QStringLiteral("胡牌"), 3), QStringLiteral("胡牌 ")); // counts characters
    EXPECT_EQ(General::PadRight(QString(), -1), QString());
}

TEST(General, MinWealthRate)
{
    SeatWealthRates[0] = 0;
    SeatWealthRates[1] = 5;
    SeatWealthRates[2] = 3;
    SeatWealthRates[3] = 0;
    EXPECT_EQ(General::MinWealthRate(), 3);
    SeatWealthRates[2] = -1;
    EXPECT_EQ(General::MinWealthRate(), 5);
    SeatWealthRates.Fill(0);
    EXPECT_EQ(General::MinWealthRate(), 0);
}

TEST(General, NarrowAndWideCharacters)
{
    EXPECT_TRUE(General::IsNarrowChar(QStringLiteral("a")));
    EXPECT_TRUE(General::IsNarrowChar(QStringLiteral("~")));
    EXPECT_FALSE(General::IsNarrowChar(QStringLiteral("你")));
    EXPECT_FALSE(General::IsNarrowChar(QStringLiteral("，")));     // full-width comma
    EXPECT_FALSE(General::IsNarrowChar(QStringLiteral("é")));      // GBK holds pinyin letters as double-byte
    EXPECT_TRUE(General::IsNarrowChar(QStringLiteral("ก")));       // not in GBK: its '?' is narrow
    EXPECT_FALSE(General::IsNarrowChar(QStringLiteral("你好")));   // only the first character counts
    EXPECT_THROW(General::IsNarrowChar(QString()), RuntimeError);
}

// Hand lookups search only the concealed run, by tile image.
class HandLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        SeatRecord& own = custom[0];
        own.MeldEnd = 6;
        own.FirstConcealed = 7;
        own.sum = 3;
        own.Slots[4] = {SlotChi, 0x21, 40}; // a meld slot
        own.Slots[7] = {SlotInHand, 0x22, 50};
        own.Slots[8] = {SlotInHand, 0x23, 51};
        own.Slots[9] = {SlotInHand, 0x23, 52};
        own.Slots[10] = {SlotEmpty, 0x24, 53}; // just past the run
    }
};

TEST_F(HandLookup, FindsConcealedTilesByImage)
{
    EXPECT_TRUE(General::HandHasImage(51));
    EXPECT_EQ(General::FindHandSlotOfImage(50), 7);
    EXPECT_EQ(General::FindHandSlotOfImage(52), 9);
}

TEST_F(HandLookup, IgnoresMeldsAndSlotsPastTheRun)
{
    EXPECT_FALSE(General::HandHasImage(40));
    EXPECT_EQ(General::FindHandSlotOfImage(53), -1);
    EXPECT_EQ(General::FindHandSlotOfImage(0x22), -1); // a tile code is not an image
}

TEST_F(HandLookup, AnEmptyHandHasNoImage)
{
    custom[0].sum = 0;
    EXPECT_FALSE(General::HandHasImage(50));
}

TEST_F(HandLookup, ACorruptCountRaisesInsteadOfReadingPastTheRow)
{
    custom[0].sum = 30;
    EXPECT_THROW(General::HandHasImage(999), RuntimeError);
}

TEST(GeneralPauses, SleepBlocksForTheRoundedTimeAndHandlesNoEvents)
{
    Clock::UseDrivenClock();
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    const double t0 = Clock::Monotonic();
    General::SleepSeconds(0.0625f); // 62.5 ms rounds to 62 (half to even)
    EXPECT_NEAR(Clock::Monotonic() - t0, 0.062, 1e-9);
    EXPECT_FALSE(fired);
    General::SleepSeconds(-1.0f);
    EXPECT_NEAR(Clock::Monotonic() - t0, 0.062, 1e-9);
}

TEST(GeneralPauses, WaitHandlesEventsUntilMoreThanTheTimeHasPassed)
{
    Clock::UseDrivenClock();
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    const double t0 = Clock::Monotonic();
    General::WaitSeconds(0.5f);
    EXPECT_TRUE(fired);
    EXPECT_GT(Clock::Monotonic() - t0, 0.5);
    EXPECT_LT(Clock::Monotonic() - t0, 0.5 + 0.02);
}

TEST(GeneralPauses, WaitEndsAcrossMidnight)
{
    Clock::UseDrivenClock(86400.0 - 0.3); // 0.3 s before midnight
    const double t0 = Clock::Monotonic();
    General::WaitSeconds(1.0f);
    EXPECT_GT(Clock::Monotonic() - t0, 1.0);
    EXPECT_LT(Clock::Timer(), 1.0); // the day's clock started again
}

TEST(GeneralPauses, WaitOnTheRealClock)
{
    const double t0 = Clock::Monotonic();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    General::WaitSeconds(0.1f);
    EXPECT_GT(Clock::Monotonic() - t0, 0.1);
    EXPECT_GE(ticks, 1); // timers keep running inside the wait
}

} // namespace

#include "platform/Forms.h"

namespace {

// A window with one list box, as the chat history is.
class ListWindow : public mj::Form {
public:
    ListWindow() : Form(QStringLiteral("ListWindow")), List1(*this, QStringLiteral("List1")) {}
    mj::ListBox List1;
};

TEST(GeneralWrappedText, LinesOfAtMostTheWidthInARealListBox)
{
    const struct {
        const char* text;
        int16_t width;
        QStringList lines;
    } cases[] = {
        {"abcdef", 4, {"abcd ", "ef "}},
        {"你好", 3, {"你好 "}},             // a wide character may end one column past
        {"ab你cd", 3, {"ab你 ", "cd "}},
        {"abcd", 4, {"abcd "}},
        {"", 4, {}},
        {"a", 0, {"a "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ListWindow& w = form<ListWindow>();
        w.List1.Clear();
        General::AddWrappedText(w.List1, QString::fromUtf8(c.text), c.width);
        QStringList got;
        for (int i = 0; i < w.List1.ListCount(); ++i)
            got.append(w.List1.List(i));
        EXPECT_EQ(got, c.lines);
    }
}

TEST(GeneralWrappedText, TheTextEndsAtItsFirstNul)
{
    ListWindow& w = form<ListWindow>();
    QString text = QStringLiteral("hello");
    text.append(QChar(0));
    text.append(QStringLiteral("world"));
    General::AddWrappedText(w.List1, text, 46);
    ASSERT_EQ(w.List1.ListCount(), 1);
    EXPECT_EQ(w.List1.List(0), QStringLiteral("hello "));
    General::AddWrappedText(w.List1, QString(QChar(0)) + QStringLiteral("x"), 46);
    EXPECT_EQ(w.List1.ListCount(), 1); // nothing left before the NUL: nothing added
}

} // namespace
