// The hand evaluation as pure logic over the own concealed run and the tiles
// seen on the table: the worked scores, the discard choice and the claim
// decisions.
#include "TestSupport.h"

#include "client/Data.h"
#include "controls/AI.h"

#include <gtest/gtest.h>

#include <vector>

using namespace mj;

namespace {

// The own concealed run from slot 4, in the order given.
void Hand(const std::vector<int16_t>& codes)
{
    custom[0].FirstConcealed = 4;
    custom[0].sum = static_cast<int16_t>(codes.size());
    for (size_t i = 0; i < codes.size(); ++i)
        custom[0].Slots[4 + static_cast<int>(i)] = TileSlot{SlotInHand, codes[i], static_cast<int16_t>(i)};
}

int16_t Score(int16_t mode, uint8_t tile)
{
    AI::CountHandTiles();
    return AI::EvaluateSuit(mode, tile);
}

TEST(HandEvaluation, TheWorkedScoresOfOneSuit)
{
    const struct {
        const char* name;
        std::vector<int16_t> hand;
        int16_t mode;
        int seenFive; // copies of the 5 of bamboo seen on the table
        int score;
    } cases[] = {
        {"an empty suit", {}, 0, 0, 0},
        {"a single 5 of bamboo", {0x25}, 0, 0, -23},
        {"a single 5 of bamboo, two seen", {0x25}, 0, 2, -27},
        {"a single 1 of bamboo", {0x21}, 0, 0, -45},
        {"a pair of 5 of bamboo", {0x25, 0x25}, 0, 0, 28},
        {"3 4 5", {0x23, 0x24, 0x25}, 0, 0, 1000},
        {"3 4 5 6", {0x23, 0x24, 0x25, 0x26}, 0, 0, 966},
        {"1 2 3 3 3: the run first, a pair left", {0x21, 0x22, 0x23, 0x23, 0x23}, 0, 0, 985},
        {"three 7", {0x27, 0x27, 0x27}, 0, 0, 1000},
        {"a single east", {0x11}, 0, 0, -100},
        {"a pair of east", {0x11, 0x11}, 0, 0, -30},
        {"four east", {0x11, 0x11, 0x11, 0x11}, 0, 0, 1050},
        {"3 4 5 in mode 4", {0x23, 0x24, 0x25}, 4, 0, 0},
        {"three east in mode 4", {0x11, 0x11, 0x11}, 4, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetSharedState();
        Hand(c.hand);
        SeenTiles(1, 5) = static_cast<int16_t>(c.seenFive);
        const uint8_t suitTile = c.hand.empty() ? 0x21 : static_cast<uint8_t>(c.hand[0]);
        EXPECT_EQ(Score(c.mode, suitTile), c.score);
    }
}

// Mode 1 leaves one copy of the tile out and puts it back afterwards.
TEST(HandEvaluation, ModeOneScoresTheSuitWithoutTheTile)
{
    Hand({0x25, 0x25});
    EXPECT_EQ(Score(1, 0x25), -23);
    EXPECT_EQ(AI::HandCount(1, 5), 2);
}

TEST(HandEvaluation, TheEarlierOfTwoEqualDiscardsIsChosen)
{
    // Complete melds, an isolated 1 and an isolated 9 of bamboo.
    Hand({0x81, 0x82, 0x83, 0x44, 0x45, 0x46, 0x21, 0x24, 0x25, 0x26, 0x29, 0x11, 0x11, 0x11});
    EXPECT_EQ(AI::ChooseDiscard(), 0x21);
    Hand({0x81, 0x82, 0x83, 0x44, 0x45, 0x46, 0x29, 0x24, 0x25, 0x26, 0x21, 0x11, 0x11, 0x11});
    EXPECT_EQ(AI::ChooseDiscard(), 0x29);
}

// A tile outside the four suits or ranks 1 to 9 is never evaluated and never
// chosen; with nothing else, the last concealed tile is the answer.
TEST(HandEvaluation, ATileOfNoRankIsNoCandidate)
{
    Hand({0x20, 0x2A, 0x44, 0x45, 0x46});
    int16_t chosen = 0;
    EXPECT_EQ(mjtest::ErrorOf([&] { chosen = AI::ChooseDiscard(); }), 0);
    EXPECT_TRUE(chosen == 0x44 || chosen == 0x45 || chosen == 0x46) << chosen;
    Hand({0x20, 0x3A});
    EXPECT_EQ(mjtest::ErrorOf([&] { chosen = AI::ChooseDiscard(); }), 0);
    EXPECT_EQ(chosen, 0x3A);
}

TEST(HandEvaluation, ChiOnAOneOrANineTriesItsOnlyPair)
{
    const struct {
        const char* name;
        std::vector<int16_t> hand;
        uint8_t tile;
        bool claims;
        int a, b; // expected ClaimChoiceA/B (slots) when claimed
    } cases[] = {
        {"a 1 with 2 and 3", {0x81, 0x22, 0x23, 0x11}, 0x21, true, 5, 6},
        {"a 9 with 7 and 8", {0x27, 0x28, 0x81, 0x11}, 0x29, true, 4, 5},
        {"a 1 without a 3", {0x22, 0x24, 0x81, 0x11}, 0x21, false, 0, 0},
        {"a 9 without a 7", {0x28, 0x26, 0x81, 0x11}, 0x29, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Hand(c.hand);
        EXPECT_EQ(AI::DecideClaim(1, c.tile), c.claims);
        if (c.claims) {
            EXPECT_EQ(ClaimChoiceA, c.a);
            EXPECT_EQ(ClaimChoiceB, c.b);
        }
    }
}

// A peng claims only a gain above 150: the two copies of the 1 seen on the
// table count against keeping them in the hand, one copy of the 3 against
// the peng's leftovers.
TEST(HandEvaluation, APengClaimsAGainAbove150)
{
    const struct {
        const char* name;
        int seenOne, seenThree;
        int gain;
    } cases[] = {
        {"gain 145", 0, 0, 145},
        {"gain 149", 2, 0, 149},
        {"gain 151", 3, 0, 151},
        {"gain 147", 1, 0, 147},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetSharedState();
        Hand({0x21, 0x21, 0x22, 0x22, 0x23, 0x25, 0x26, 0x28});
        SeenTiles(1, 1) = static_cast<int16_t>(c.seenOne);
        SeenTiles(1, 3) = static_cast<int16_t>(c.seenThree);
        EXPECT_EQ(AI::DecideClaim(2, 0x21), c.gain > 150);
        EXPECT_EQ(ClaimChoiceA, 0x21);
    }
}

// A chi gaining exactly 150 is not claimed: the 2 of bamboo, three copies
// seen, is left over both with and without the chi of 2 4 on the 3.
TEST(HandEvaluation, AChiGainingExactly150IsNoClaim)
{
    Hand({0x22, 0x24, 0x25, 0x25, 0x26, 0x26, 0x28});
    SeenTiles(1, 2) = 3;
    EXPECT_FALSE(AI::DecideClaim(1, 0x23));
}

// A peng with fewer than two copies in the hand claims nothing.
TEST(HandEvaluation, APengWithoutAPairIsNeverClaimed)
{
    Hand({0x21, 0x25, 0x81});
    bool claims = true;
    EXPECT_EQ(mjtest::ErrorOf([&] { claims = AI::DecideClaim(2, 0x21); }), 0);
    EXPECT_FALSE(claims);
}

TEST(HandEvaluation, AGangIsTakenWhenTheRestCostsLittle)
{
    // Melds everywhere but one isolated 1 of dots (and the fourth south).
    Hand({0x12, 0x12, 0x12, 0x12, 0x21, 0x22, 0x23, 0x44, 0x45, 0x46, 0x87, 0x88, 0x89, 0x81});
    EXPECT_TRUE(AI::DecideGang());
    // Scattered tiles cost too much.
    Hand({0x12, 0x12, 0x12, 0x12, 0x21, 0x24, 0x27, 0x41, 0x45, 0x49, 0x81, 0x85, 0x89, 0x15});
    EXPECT_FALSE(AI::DecideGang());
}

} // namespace
