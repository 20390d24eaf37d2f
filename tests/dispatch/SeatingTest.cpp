// The seats' names (code 3) and the ready marks (code 23).
#include "DispatchTable.h"

#include "client/Data.h"
#include "client/SoftTimer.h"
#include "dispatch/Total.h"
#include "social/Mod_Prop.h"

using namespace mj;
using mjtest::ServerFrame;
namespace frames = mjtest::frames;

namespace {

struct Named {
    uint8_t seat;
    QByteArray name;
};

// The seats and names every side ends with: {mask, name} by side.
struct Seating {
    uint8_t mask[4];
    const char* name[4];
};

void expectSeating(const Seating& s)
{
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        EXPECT_EQ(custom[side].SeatMask, s.mask[side]);
        EXPECT_EQ(custom[side].Name, QString::fromLatin1(s.name[side]));
    }
}

void seatAsBefore()
{
    const char* names[] = {"me", "old1", "old2", "old3"};
    for (int side = 0; side <= 3; ++side) {
        custom[side].SeatMask = static_cast<uint8_t>(1 << side);
        custom[side].Name = QString::fromLatin1(names[side]);
    }
}

TEST_F(DispatchTable, TheFourthNameSeatsEverySide)
{
    const struct {
        const char* name;
        std::vector<Named> frames;
        int16_t countBefore;
        bool complete;
        Seating seating;
    } cases[] = {
        {"own name at seat 1", {{1, "me"}, {2, "b"}, {4, "c"}, {8, "d"}}, 0, true, {{1, 8, 4, 2}, {"me", "d", "c", "b"}}},
        {"own name at seat 2", {{1, "a"}, {2, "me"}, {4, "c"}, {8, "d"}}, 0, true, {{2, 1, 8, 4}, {"me", "a", "d", "c"}}},
        {"own name at seat 4", {{1, "a"}, {2, "b"}, {4, "me"}, {8, "d"}}, 0, true, {{4, 2, 1, 8}, {"me", "b", "a", "d"}}},
        {"own name at seat 8", {{8, "me"}, {4, "c"}, {2, "b"}, {1, "a"}}, 0, true, {{8, 4, 2, 1}, {"me", "c", "b", "a"}}},
        {"own name absent", {{1, "a"}, {2, "b"}, {4, "c"}, {8, "d"}}, 0, true, {{1, 2, 4, 8}, {"me", "old1", "old2", "old3"}}},
        {"case counts", {{1, "ME"}, {2, "b"}, {4, "c"}, {8, "d"}}, 0, true, {{1, 2, 4, 8}, {"me", "old1", "old2", "old3"}}},
        // Both names joined: "meme" is nobody's.
        {"a seat named twice", {{1, "a"}, {2, "me"}, {2, "me"}, {8, "d"}}, 0, true, {{1, 2, 4, 8}, {"me", "old1", "old2", "old3"}}},
        // Seats 0 and 3 name no seat; the frames still count.
        {"seats 0 and 3", {{0, "me"}, {3, "me"}, {4, "me"}, {8, "d"}}, 0, true, {{4, 2, 1, 8}, {"me", "", "", "d"}}},
        {"a group after the count reached 5", {{1, "a"}, {2, "b"}, {4, "me"}, {8, "d"}}, 5, false, {{1, 2, 4, 8}, {"me", "old1", "old2", "old3"}}},
    };
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        seatAsBefore();
        SeatNames.Fill(QString());
        FrameGroupCount = c.countBefore;
        ButtonUsed[2] = false;
        const qsizetype seen = plugin.Log().size();
        for (const Named& n : c.frames)
            mjtest::Dispatch(frames::SeatName(n.seat, n.name));
        expectSeating(c.seating);
        EXPECT_EQ(FrameGroupCount, c.complete ? 0 : c.countBefore + 4);
        EXPECT_EQ(ButtonUsed[2], c.complete);
        EXPECT_EQ(plugin.Log().mid(seen),
                  c.complete ? QStringLiteral("ClearUser(1)\nClearUser(2)\nClearUser(3)\n") : QString());
    }
}

TEST_F(DispatchTable, EverySeatNameStopsTheKeepAliveOutsideWatchMode)
{
    for (const bool watch : {false, true}) {
        SCOPED_TRACE(watch);
        WatchMode = watch;
        PulseOn = true;
        SeatShuffleAllowed = true;
        CountUserInfos = false;
        FrameGroupCount = 0;
        w->TimerKeepAlive.SetEnabled(true);
        for (int side = 0; side <= 3; ++side)
            w->OK(side).SetVisible(true);
        mjtest::Dispatch(frames::SeatName(2, "b"));
        EXPECT_EQ(PulseOn, watch);
        EXPECT_EQ(w->TimerKeepAlive.Enabled(), watch);
        EXPECT_FALSE(SeatShuffleAllowed);
        EXPECT_TRUE(CountUserInfos);
        EXPECT_EQ(FrameGroupCount, 1);
        for (int side = 0; side <= 3; ++side)
            EXPECT_FALSE(w->OK(side).Visible()) << side;
    }
}

// Sides 1 to 3 named with plates; side 2 and side 3 share a name.
class ReadyMarks : public DispatchTable {
protected:
    void SetUp() override
    {
        DispatchTable::SetUp();
        const char* names[] = {"me", "left", "twin", "twin"};
        for (int side = 0; side <= 3; ++side) {
            custom[side].Name = QString::fromLatin1(names[side]);
            w->Nid(side).SetCaption(QStringLiteral("[tag] ") + custom[side].Name);
        }
    }
    QString marks() const
    {
        QString s;
        for (int side = 0; side <= 3; ++side)
            s += w->OK(side).Visible() ? u'1' : u'0';
        return s;
    }
};

TEST_F(ReadyMarks, EverySideOfTheNameGetsItsMark)
{
    const struct {
        const char* name;
        QByteArray who;
        uint8_t ready;
        bool leftWithoutPlate;
        const char* marks;
    } cases[] = {
        {"one side", "left", 1, false, "0100"},
        {"two sides of one name", "twin", 1, false, "0011"},
        {"the own side", "me", 1, false, "1000"},
        {"not ready", "left", 0, false, "0000"},
        {"ready 2 is not ready", "left", 2, false, "0000"},
        {"a side without a plate", "left", 1, true, "0000"},
        {"nobody of that name", "lef", 1, false, "0000"},
        {"only the first sixteen bytes are the name", "left567890123456", 1, false, "0000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int side = 0; side <= 3; ++side)
            w->OK(side).SetVisible(false);
        if (c.leftWithoutPlate)
            w->Nid(1).SetCaption(QString());
        mjtest::Dispatch(frames::PlayerReady(c.who, c.ready));
        EXPECT_EQ(marks(), QString::fromLatin1(c.marks));
        w->Nid(1).SetCaption(QStringLiteral("[tag] left"));
    }
    // A name of all sixteen bytes, with the byte after it not zero: exactly
    // bytes 16 to 31 are read, neither one byte less nor one more.
    for (int side = 0; side <= 3; ++side)
        w->OK(side).SetVisible(false);
    custom[1].Name = QStringLiteral("left567890123456");
    mjtest::Dispatch(frames::PlayerReady("left567890123456", 1).Byte(32, 'X'));
    EXPECT_EQ(marks(), QStringLiteral("0100"));
}

TEST_F(ReadyMarks, TheOtherThreeReadyAfterAHandSetTheTableUp)
{
    const struct {
        const char* name;
        int16_t loginDone;
        uint8_t ready;
        bool setUp;
    } cases[] = {
        {"after a hand", 1, 1, true},
        {"after a hand, by a frame that marks nobody", 1, 0, true},
        {"before any hand since the login", 0, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoginDone = c.loginDone;
        TableResetDone = false;
        SeatNames.Fill(QStringLiteral("x"));
        w->OK(0).SetVisible(false); // the own mark plays no part
        for (int side = 1; side <= 3; ++side)
            w->OK(side).SetVisible(true);
        mjtest::Dispatch(frames::PlayerReady("twin", c.ready));
        EXPECT_EQ(TableResetDone, c.setUp);
        EXPECT_EQ(SeatNames[0].isEmpty(), c.setUp);
    }

    // Two of three ready: nothing yet.
    LoginDone = 1;
    TableResetDone = false;
    w->OK(2).SetVisible(false);
    w->OK(3).SetVisible(false);
    mjtest::Dispatch(frames::PlayerReady("left"));
    EXPECT_FALSE(TableResetDone);
}

} // namespace
