// The demonstration server's hand (scripts/demo-server.txt) played frame by
// frame through the client's own frame reader into the seated procedures, as
// the server message dispatcher calls them, with the own discards parked as
// the player's click parks them. The table's bookkeeping is checked after
// every frame; screenshots are taken mid-hand and after the hands are shown.
#include "FrameBuilder.h"
#include "SeatedTable.h"

#include "client/Total.h"
#include "mjserver/Script.h"

#include <QImage>

#include <algorithm>
#include <vector>

using namespace mj;
using mjtest::SeatedTable;

namespace {

// Server codes this hand uses.
constexpr int16_t CodeDeal = 1, CodeDiscard = 2, CodeRoundStart = 4, CodeDraw = 5, CodePlayerOperation = 7,
                  CodeRevealWallTail = 8, CodeWildTile = 14, CodeSeatTiles = 15;

class ScriptedHand : public SeatedTable {
protected:
    // What the dispatcher does with the frame in info and Msg, for the codes
    // this hand uses; other frames are passed over.
    void Handle()
    {
        switch (info.Code) {
        case CodeRoundStart: {
            NewGame::ClearTableAndPlaceWalls();
            NewGame::AnimateWallBuilding();
            for (int s = 0; s <= 3; ++s) {
                if (custom[s].SeatMask != info.Seat)
                    continue;
                custom[s].IsBanker = true;
                NewGame::ThrowDice(static_cast<int16_t>(s), info.value);
                const int d0 = info.value[0], d1 = info.value[1];
                WallHead = static_cast<int16_t>(
                    (((((s + 13 - d0 - d1) % 4 + 4) % 4) * 17 + d0 + d1 + info.value[2] + info.value[3]) * 2) % 136);
                WallTail = static_cast<int16_t>((WallHead + 134) % 136);
            }
            break;
        }
        case CodeDeal: {
            SkipDiscardMove = false;
            VbArray<int16_t, 0, 11> tiles;
            for (int i = 0; i <= 11; ++i)
                tiles[i] = Msg[16 + i];
            Operate::DrawFromWall(info.Seat, 12, tiles);
            break;
        }
        case CodeDraw:
            Operate::DrawFromWall(info.Seat, 1, info.value);
            break;
        case CodeDiscard:
            lastDiscarder = info.Seat & 15;
            if ((info.Seat & 15) == custom[0].SeatMask)
                ParkOwnTile(info.value[3]);
            Operate::ShowDiscard(info.Seat & 15, info.value[3]);
            break;
        case CodePlayerOperation: {
            Operate::ClaimTiles tiles;
            for (int k = 0; k <= 2; ++k)
                tiles[k] = info.value[k + 1] & 0xFF;
            // The claimer's place after the discarder: where the claimed
            // tile goes in the meld.
            const int d = (General::MaskToIndex(info.Seat & 15) + 4 - General::MaskToIndex(lastDiscarder)) & 3;
            ActorSeat = static_cast<int16_t>(d == 1 ? 2 : d == 2 ? 1 : 0);
            if ((info.Seat & 15) == custom[0].SeatMask)
                StageOwnClaim(info.value[0] & 0xFF, tiles);
            Operate::ApplyPlayerOperation(info.value[0] & 0xFF, info.Seat & 15, tiles);
            ++claims;
            break;
        }
        case CodeWildTile:
            WildTile = info.value[2] & 0xFF;
            break;
        case CodeRevealWallTail: {
            VbArray<uint8_t, 0, 100> block;
            for (int i = 0; i <= 100; ++i)
                block[i] = Msg[16 + i];
            Operate::RevealWallTail(block);
            break;
        }
        case CodeSeatTiles:
            for (int k = 0; k <= 3; ++k)
                if ((info.Seat & 15) == custom[0].SeatMask && info.value[k] != 0)
                    shownOwn.push_back(info.value[k] & 0xFF);
            Operate::RevealHands(info.Seat & 15, info.value);
            break;
        default:
            break;
        }
    }
    // The own claim as the claim senders stage it before the request goes
    // out: the hand tiles (and the parked discard) copied into the next
    // meld's slots, the chosen slots in ChiChoices or GangChoices.
    void StageOwnClaim(int16_t op, const Operate::ClaimTiles& tiles)
    {
        SeatRecord& own = custom[0];
        const int me = own.MeldEnd, first = own.FirstConcealed;
        // The first slot of `count` equal tiles of `code` in the run.
        auto find = [&](int16_t code, int count) {
            for (int j = first; j + count - 1 < first + own.sum; ++j) {
                bool all = true;
                for (int k = 0; k < count; ++k)
                    all = all && own.Slots[j + k].Code == code;
                if (all)
                    return j;
            }
            ADD_FAILURE() << "no " << count << " own tiles " << code;
            return first;
        };
        auto copy = [&](int to, int from, int16_t state) {
            own.Slots[to] = own.Slots[from];
            own.Slots[to].State = state;
        };
        switch (op) {
        case OpChi: {
            // The two hand tiles are the claim's tiles other than the discard.
            std::vector<int16_t> hand;
            bool skipped = false;
            for (int k = 0; k <= 2; ++k) {
                if (!skipped && tiles[k] == ClaimedDiscard)
                    skipped = true;
                else
                    hand.push_back(tiles[k]);
            }
            ChiChoices[0] = static_cast<int16_t>(find(hand[0], 1));
            ChiChoices[1] = static_cast<int16_t>(find(hand[1], 1));
            copy(me - 2, ChiChoices[0], SlotChi);
            copy(me - 1, ChiChoices[1], SlotChi);
            own.Slots[me] = TileSlot{SlotChi, ClaimedDiscard, ClaimedDiscardImage};
            break;
        }
        case OpPeng: {
            // The hand is in display order, as every own discard leaves it.
            Operate::SortHand(0, own.sum);
            const int j = find(tiles[0], 2);
            copy(me - 2, j, SlotPeng);
            copy(me - 1, j + 1, SlotPeng);
            own.Slots[me] = TileSlot{SlotPeng, tiles[0], ClaimedDiscardImage};
            break;
        }
        case OpExposedGang:
        case OpConcealedGang: {
            // The hand is in display order, equal tiles side by side.
            Operate::SortHand(0, own.sum);
            GangChoices[0] = static_cast<int16_t>(find(tiles[0], op == OpExposedGang ? 3 : 4));
            for (int k = 0; k <= 2; ++k)
                copy(me - 2 + k, GangChoices[0] + k, op == OpExposedGang ? SlotExposedGang : SlotConcealedGang);
            break;
        }
        case OpAddedGang:
            GangChoices[0] = static_cast<int16_t>(find(tiles[2], 1));
            copy(me - 2, GangChoices[0], SlotAddedGang);
            break;
        default:
            break;
        }
    }
    // The player's click on the own tile the server then reports.
    void ParkOwnTile(int16_t code)
    {
        const SeatRecord& own = custom[0];
        for (int i = own.FirstConcealed + own.sum - 1; i >= own.FirstConcealed; --i)
            if (own.Slots[i].Code == code) {
                ParkOwnDiscard(i);
                return;
            }
        ADD_FAILURE() << "no own tile " << code;
    }
    uint8_t lastDiscarder = 0;
    int claims = 0;
    std::vector<int> shownOwn; // the own tiles the hand's end names
    bool Screenshot(const char* when)
    {
        const QString path = mjtest::ArtifactDir()
            + QStringLiteral("/hand-%1-%2.png").arg(QLatin1String(when)).arg(small() ? "800x600" : "1024x768");
        return f->SaveImage(path) && QImage(path).size() == (small() ? QSize(800, 600) : QSize(1024, 768));
    }
};

TEST_P(ScriptedHand, TheDemonstrationHandKeepsTheTableConsistentFrameByFrame)
{
    const QList<QByteArray> frames = mjtest::DemoFrames();
    ASSERT_GT(frames.size(), 100);
    const bool shots = ownMask() == 1;
    if (shots)
        mjtest::FitTableToScreen(*f, small() ? 800 : 1024, small() ? 600 : 768);
    Clock::SetIdleStep([] { Clock::Advance(0.25); });

    int discards = 0;
    bool midHandShot = false;
    for (int n = 0; n < frames.size(); ++n) {
        ASSERT_EQ(Total::AppendReceived(frames[n]), mjserver::FrameSize);
        Total::ReadServerFrame();
        if (info.Code == CodeRevealWallTail && shots) {
            // Mid-hand: the last discard parked, pools of two rows, the walls shorter.
            midHandShot = Screenshot("mid");
        }
        Handle();
        discards += info.Code == CodeDiscard ? 1 : 0;
        ExpectConsistent(qPrintable(QStringLiteral("frame %1, code %2").arg(n).arg(info.Code)));
    }
    EXPECT_EQ(discards, 52);
    EXPECT_EQ(claims, 9);
    if (shots) {
        EXPECT_TRUE(midHandShot);
        EXPECT_TRUE(Screenshot("end"));
    }

    // The wall gave 48 dealt tiles, 55 draws (4 of them replacements from
    // its end) and 3 turned up.
    EXPECT_EQ(Operate::WallTilesLeft(), 136 - 48 - 55 - 3);
    // Seats 1 and 4 made two melds and kept seven concealed tiles, the
    // others one meld and ten; every other hand is in, sorted and face up.
    const auto melds = [](uint8_t seat) { return seat == 1 || seat == 4 ? 2 : 1; };
    EXPECT_EQ(custom[0].MeldEnd, 3 + 3 * melds(ownMask()));
    EXPECT_EQ(custom[0].sum, 13 - 3 * melds(ownMask()));
    // The hand's end names the own tiles the own answers left.
    std::vector<int> own;
    for (int p = 0; p < custom[0].sum; ++p)
        own.push_back(custom[0].Slots[custom[0].FirstConcealed + p].Code & 0xFF);
    std::sort(own.begin(), own.end());
    std::sort(shownOwn.begin(), shownOwn.end());
    EXPECT_EQ(own, shownOwn);
    for (int side = 1; side <= 3; ++side) {
        SCOPED_TRACE(side);
        const SeatRecord& seat = custom[side];
        const int n = melds(MaskOf(side));
        EXPECT_EQ(seat.MeldEnd, 4 + 3 * n);
        EXPECT_EQ(seat.sum, 0);
        EXPECT_EQ(HiddenTiles(side, 13 - 3 * n), 0);
        for (int p = 0; p < 13 - 3 * n; ++p) {
            const TileSlot& slot = seat.Slots[seat.FirstConcealed + p];
            EXPECT_NE(HiddenTiles(side, p), 0) << p;
            EXPECT_EQ(Picture(slot.Image), Resource(General::TilePictureOf(static_cast<int16_t>(side), slot.Code)))
                << p;
        }
    }
    // Seat 8 set a red dragon aside; seat 1 concealed a gang (recorded only
    // as another seat's); seat 4 made a chi; seat 2 won.
    const int seat8 = SideOfMask(ownMask(), 8);
    EXPECT_EQ(custom[seat8].RedCount, 1);
    EXPECT_EQ(GangCount, ownMask() == 1 ? 0 : 1);
    // The own seat's second meld: seat 1's gang of the 7 of dots, or seat
    // 4's chi of the 6, 7 and 8 of bamboo.
    for (int k = 0; k <= 2; ++k)
        EXPECT_EQ(custom[0].Slots[custom[0].MeldEnd - 5 + k].Code & 0xFF, ownMask() == 1 ? 0x87 : 0x26 + k) << k;
    EXPECT_EQ(WinnerSide, SideOfMask(ownMask(), 2));
    // The right pool took the right-hand seat's discards that a draw followed
    // (not those claimed) and one tile from the wall's end.
    EXPECT_EQ(RightPoolCount, ownMask() == 1 ? 11 : 13);
}

MJ_SEATED_CASES(ScriptedHand);

} // namespace
