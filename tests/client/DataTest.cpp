#include "TestSupport.h"

#include "client/Data.h"

#include <gtest/gtest.h>

using namespace mj;

namespace {

TEST(SharedState, ResetPutsEveryKindOfVariableBackToItsStartValue)
{
    custom[2].Name = QStringLiteral("张三");
    custom[2].Slots[20] = TileSlot{SlotPeng, 0x23, 77};
    custom[3].sum = 13;
    Players[1].UserId = 12345;
    info.value[3] = -7;
    Msg[271] = 0xFF;
    HiddenTiles(3, 20) = 0x11;
    SavedUserInfoFrames(3, 271) = 9;
    RoundResult(3, 102) = -5;
    OtherPlayerNames[3] = QStringLiteral("x");
    VideoSteps[4] = true;
    GameRunning = true;
    ScaleX = ScaleY = 0.78125f;
    HallTitle = QStringLiteral("hall");
    ClaimedDiscardImage = -1;

    ResetSharedState();

    EXPECT_TRUE(custom[2].Name.isEmpty());
    EXPECT_EQ(custom[2].Slots[20], TileSlot{});
    EXPECT_EQ(custom[3].sum, 0);
    EXPECT_EQ(Players[1].UserId, 0.0);
    EXPECT_EQ(info.value[3], 0);
    EXPECT_EQ(Msg[271], 0);
    EXPECT_EQ(HiddenTiles(3, 20), 0);
    EXPECT_EQ(SavedUserInfoFrames(3, 271), 0);
    EXPECT_EQ(RoundResult(3, 102), 0);
    EXPECT_TRUE(OtherPlayerNames[3].isEmpty());
    EXPECT_FALSE(VideoSteps[4]);
    EXPECT_FALSE(GameRunning);
    EXPECT_EQ(ScaleX, 0.0f);
    EXPECT_TRUE(HallTitle.isEmpty());
    EXPECT_EQ(ClaimedDiscardImage, 0);
}

TEST(SharedState, ArraysKeepTheirBoundsForIndexesFromOutside)
{
    EXPECT_THROW(custom[4], RuntimeError);
    EXPECT_THROW(custom[0].Slots[21], RuntimeError);
    EXPECT_THROW(HiddenTiles(0, 0), RuntimeError); // sides 1..3 only
    EXPECT_THROW(SeenTiles(0, 0), RuntimeError);   // ranks 1..9
    EXPECT_THROW(SeenTiles(4, 1), RuntimeError);
    EXPECT_THROW(Msg[272], RuntimeError);
    EXPECT_THROW(ButtonUsed[9], RuntimeError);
    EXPECT_NO_THROW(RoundResult(0, 102));
}

TEST(SharedState, SideIsTheSeatRelativeToTheOwnSeat)
{
    const struct {
        uint8_t own, other;
        int16_t side;
    } cases[] = {
        {4, 4, 0}, {4, 2, 1}, {4, 1, 2}, {4, 8, 3}, // play passes 0 -> 3 -> 2 -> 1
        {1, 1, 0}, {1, 8, 1}, {1, 4, 2}, {1, 2, 3},
        {8, 4, 1}, {8, 1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "own " << int(c.own) << " other " << int(c.other));
        EXPECT_EQ(SideOfMask(c.own, c.other), c.side);
    }
}

} // namespace
