// The table between hands (code 16): the banker and the continue prompt.
#include "DispatchTable.h"

#include "client/Data.h"
#include "client/Total.h"
#include "dispatch/Total.h"

using namespace mj;
using mjtest::ServerFrame;
namespace frames = mjtest::frames;

namespace {

// The own seat is 4: sides 0..3 hold seats 4, 2, 1, 8.
class TableStatus : public DispatchTable {
protected:
    void SetUp() override
    {
        DispatchTable::SetUp();
        const uint8_t masks[] = {4, 2, 1, 8};
        for (int side = 0; side <= 3; ++side)
            custom[side].SeatMask = masks[side];
        SeatShuffleTexts[0] = QStringLiteral("正在随机换座中..");
    }
};

TEST_F(TableStatus, TheBankersWindGoesByItsSeat)
{
    const struct {
        uint8_t seat;
        const char* wind;
        int bankerSide; // -1 none
    } cases[] = {
        {1, "北", 2}, {2, "西", 1}, {4, "南", 0}, {8, "东", 3},
        {0x18, "东", 3}, // the seat is the low four bits
        {0, "北", -1}, {3, "西", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.seat));
        for (int side = 0; side <= 3; ++side)
            custom[side].IsBanker = false;
        ContinuePromptArmed = false;
        w->ImgShuffle.SetVisible(true);
        w->LblShuffle.SetVisible(true);
        w->WebBrowser2.SetVisible(true);
        mjtest::Dispatch(frames::Banker(c.seat).UserId(77));
        EXPECT_EQ(w->Zhuang.Caption(), QString::fromUtf8(c.wind));
        for (int side = 0; side <= 3; ++side)
            EXPECT_EQ(custom[side].IsBanker, side == c.bankerSide) << side;
        EXPECT_EQ(UserId, 77);
        EXPECT_FALSE(w->ImgShuffle.Visible() || w->LblShuffle.Visible() || w->WebBrowser2.Visible());
        EXPECT_TRUE(ContinuePromptArmed);
    }
}

// The reconnect frame carries back the user id's four bytes as they came.
TEST_F(TableStatus, TheUserIdKeepsAllFourBytes)
{
    for (const uint32_t id : {0x00000001u, 0x7FFFFFFFu, 0x80000000u, 0xFEDCBA98u}) {
        SCOPED_TRACE(id);
        mjtest::Dispatch(frames::Banker(4).UserId(id));
        Total::WriteReconnectFrame();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Total::LoginFrame[268 + i], (id >> (8 * i)) & 0xFF) << i;
    }
}

TEST_F(TableStatus, TheBankerFrameBringsTheWindowBackUnlessTheBossKeyHidIt)
{
    const struct {
        const char* name;
        int16_t state;
        bool bossKey;
        int16_t stateAfter;
        QStringList hall;
    } cases[] = {
        {"minimised by the player", 1, false, 0, {QStringLiteral("minimize")}},
        {"maximised", 2, false, 0, {QStringLiteral("minimize")}},
        {"hidden by the boss key", 1, true, 1, {}},
        {"normal", 0, false, 0, {}},
    };
    w->Show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        w->SetWindowState(c.state);
        BossKey = c.bossKey;
        const qsizetype seen = hallLog().size();
        mjtest::Dispatch(frames::Banker(8));
        EXPECT_EQ(w->WindowState(), c.stateAfter);
        // Restoring the window minimises the hall (the window shell does
        // it too): nothing else goes to the hall.
        const QStringList hall = hallLog().mid(seen);
        EXPECT_EQ(hall.isEmpty(), c.hall.isEmpty());
        EXPECT_EQ(hall.count(QStringLiteral("minimize")), hall.size());
    }
}

TEST_F(TableStatus, TheContinuePromptActsOncePerArming)
{
    const struct {
        float scale;
    } scales[] = {{1.0f}, {0.78125f}};
    for (const auto& s : scales) {
        SCOPED_TRACE(s.scale);
        ScaleX = ScaleY = s.scale;
        mjtest::Dispatch(frames::Banker(4));
        GameRunning = true;
        SeatShuffleShown = SeatShuffleAllowed = false;
        w->Imgwealth.Move(300, 40);
        mjtest::Dispatch(frames::ContinuePrompt().ShuffleNext());
        EXPECT_FALSE(ContinuePromptArmed);
        EXPECT_FALSE(GameRunning);
        EXPECT_TRUE(SeatShuffleAllowed);
        EXPECT_TRUE(SeatShuffleShown);
        EXPECT_DOUBLE_EQ(w->Time_Img.Left(), 300);
        EXPECT_DOUBLE_EQ(w->Time_Img.Top(), 40 + 200 * s.scale);
        EXPECT_DOUBLE_EQ(w->Number.Left(), 300 + 48 * s.scale);
        EXPECT_DOUBLE_EQ(w->Number.Top(), 40 + 205 * s.scale);
        EXPECT_DOUBLE_EQ(w->ImgShuffle.Left(), 136 * s.scale);
        EXPECT_DOUBLE_EQ(w->ImgShuffle.Top(), 520 * s.scale);
        EXPECT_DOUBLE_EQ(w->LblShuffle.Left(), 136 * s.scale);
        EXPECT_DOUBLE_EQ(w->LblShuffle.Top(), 526 * s.scale);
        EXPECT_DOUBLE_EQ(w->WebBrowser2.Left(), w->ImgShuffle.Left());
        EXPECT_DOUBLE_EQ(w->WebBrowser2.Top(), w->ImgShuffle.Top() + w->ImgShuffle.Height());
        EXPECT_DOUBLE_EQ(w->WebBrowser2.Width(), w->ImgShuffle.Width());
        EXPECT_DOUBLE_EQ(w->WebBrowser2.Height(), 2 * w->ImgShuffle.Height());
        EXPECT_FALSE(w->ImgShuffle.Visible()); // not asked to show now

        // Unarmed: a second prompt asking for the show changes nothing.
        GameRunning = true;
        SeatShuffleShown = SeatShuffleAllowed = false;
        w->Time_Img.Move(1, 2);
        mjtest::Dispatch(frames::ContinuePrompt().ShuffleNext().ShowNow());
        EXPECT_TRUE(GameRunning);
        EXPECT_FALSE(SeatShuffleShown || SeatShuffleAllowed);
        EXPECT_DOUBLE_EQ(w->Time_Img.Left(), 1);
        EXPECT_FALSE(w->ImgShuffle.Visible());
    }
}

TEST_F(TableStatus, TheShowStartsAtOnceWhenAsked)
{
    const struct {
        const char* name;
        QString ad;
        bool page;
    } cases[] = {
        {"no page without an address", QString(), false},
        {"no page for an address the panel refuses", QStringLiteral("javascript:alert(1).gamead"), false},
        {"with its page", QStringLiteral("http://127.0.0.1:9/b.gamead"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AdPageUrl = c.ad;
        SeatShuffleRunning = false;
        SeatShuffleStep = 3;
        mjtest::Dispatch(frames::Banker(4));
        mjtest::Dispatch(frames::ContinuePrompt().ShowNow());
        EXPECT_FALSE(SeatShuffleAllowed);
        EXPECT_TRUE(w->ImgShuffle.Visible());
        EXPECT_TRUE(w->LblShuffle.Visible());
        EXPECT_EQ(w->LblShuffle.Caption(), QStringLiteral("正在随机换座中.."));
        EXPECT_TRUE(w->TimerShuffle.Enabled());
        EXPECT_EQ(w->TimerShuffle.Interval(), 300);
        EXPECT_TRUE(SeatShuffleRunning);
        EXPECT_EQ(SeatShuffleStep, 0);
        EXPECT_EQ(w->WebBrowser2.Visible(), c.page);
        EXPECT_EQ(w->WebBrowser2.LocationURL(), c.page ? c.ad : QString());
        w->TimerShuffle.SetEnabled(false);
    }
}

TEST_F(TableStatus, InWatchModeThePromptOnlyDisarmsAndRefreshesTheWealth)
{
    WatchMode = true;
    WealthRate = 3;
    mjtest::Dispatch(frames::Banker(4));
    GameRunning = true;
    w->Time_Img.Move(1, 2);
    mjtest::Dispatch(frames::ContinuePrompt().ShuffleNext().ShowNow().WealthRate(40));
    EXPECT_FALSE(ContinuePromptArmed);
    EXPECT_FALSE(GameRunning);
    EXPECT_FALSE(SeatShuffleShown || SeatShuffleAllowed);
    EXPECT_DOUBLE_EQ(w->Time_Img.Left(), 1);
    EXPECT_FALSE(w->ImgShuffle.Visible());
    EXPECT_EQ(WealthRate, 40);
    EXPECT_EQ(w->lbwealth.Caption(), QStringLiteral("40"));
}

TEST_F(TableStatus, EveryPromptShowsTheRoomsWealthMultiplier)
{
    const struct {
        const char* name;
        int32_t before;
        uint32_t rate;
        float scale;
        bool shown;
        const char* caption;
        double fontSize;
    } cases[] = {
        {"150, small layout", 1, 150, 0.78125f, true, "150", 11},
        {"9, small layout", 1, 9, 0.78125f, true, "9", 15},
        {"100, full layout", 1, 100, 1.0f, true, "100", 12},
        {"99, full layout", 1, 99, 1.0f, true, "99", 16},
        {"a room without one", 0, 150, 1.0f, false, "", 0},
        {"2^31 and more read unsigned", 1, 0x80000005u, 1.0f, true, "2147483653", 12},
        {"down to 0: the plate shows 0", 5, 0, 1.0f, true, "0", 16},
        {"0 in the small layout", 5, 0, 0.78125f, true, "0", 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WealthRate = c.before;
        ScaleX = ScaleY = c.scale;
        w->lbwealth.SetCaption(QString());
        w->Imgwealth.SetVisible(!c.shown);
        w->lbwealth.SetVisible(!c.shown);
        mjtest::Dispatch(frames::ContinuePrompt().WealthRate(c.rate));
        EXPECT_EQ(w->Imgwealth.Visible(), c.shown);
        EXPECT_EQ(w->lbwealth.Visible(), c.shown);
        if (c.shown) {
            EXPECT_EQ(w->lbwealth.Caption(), QString::fromLatin1(c.caption));
            EXPECT_EQ(w->lbwealth.FontSize(), c.fontSize);
        } else {
            EXPECT_EQ(w->lbwealth.Caption(), QString());
        }
    }
}

} // namespace
