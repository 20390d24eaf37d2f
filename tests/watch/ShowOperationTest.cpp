// The onlooker's claims: announced for another side once the table is in
// step (bubble, word, voice, a two-second pause), then the tiles moved into
// the actor's meld row, the claimed discard out of its pool, the tiles set
// aside stacked beside the row, an added tile on its peng, the winner marked.
#include "WatchTable.h"

#include "client/Image_Resource.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "client/SoftTimer.h"
#include "controls/Score.h"
#include "watch/Side.h"

#include <map>
#include <set>
#include <vector>

using namespace mj;
using mjtest::PoolPlace;
using mjtest::PoolSize;
using mjtest::DealtWatchTable;

namespace {

class ShowOperation : public DealtWatchTable {
protected:
    void Discard(int side, int16_t tile = 0x29)
    {
        Draw(side);
        Side::ShowDiscard(MaskOf(side), tile);
    }
    void Claim(int16_t op, int side, int16_t a, int16_t b, int16_t c)
    {
        VbArray<int16_t, 0, 2> tiles;
        tiles[0] = a;
        tiles[1] = b;
        tiles[2] = c;
        Side::ShowOperation(op, MaskOf(side), tiles);
    }
    QString Voice(int side, const char* suffix) const
    {
        return Mod_Resource::VoiceFileName(Players[side], QLatin1String(suffix));
    }
    int Face(int side, int16_t code) const { return Resource(General::TilePictureOf(static_cast<int16_t>(side), code)); }
    QSizeF MeldSize(int side) const
    {
        const QSizeF design[] = {{45, 56}, {45, 35}, {34, 40}, {45, 35}};
        return QSizeF(CInt(design[side].width() * S()), CInt(design[side].height() * S()));
    }
    // The meld tile of slot s by the meld rule.
    QRectF MeldPlace(int side, int s) const
    {
        const SeatRecord& seat = custom[side];
        const QSizeF m = MeldSize(side);
        const double W = m.width(), H = m.height(), SX = ScaleX, SY = ScaleY;
        switch (side) {
        case 0: return QRectF(seat.HandX + s * (W - 2 * SX), seat.HandY, W, H);
        case 1: return QRectF(seat.HandX - 5 * SX * s, seat.HandY + s * (H - 17 * SY), W, H);
        case 2: return QRectF(seat.HandX - s * W, seat.HandY, W, H);
        default: return QRectF(seat.HandX - 5 * SX * s - 10 * SX, seat.HandY - s * (H - 17 * SY), W, H);
        }
    }
    static QRectF Box(const Image& c) { return QRectF(c.Left(), c.Top(), c.Width(), c.Height()); }
    // Every seat's counters, pool cursor and slots, to compare before and after.
    static std::vector<int> Seats()
    {
        std::vector<int> all;
        for (int side = 0; side <= 3; ++side) {
            const SeatRecord& seat = custom[side];
            for (int v : {int(seat.sum), int(seat.FirstConcealed), int(seat.MeldEnd), int(seat.RedCount),
                          int(seat.WildCount), int(seat.PoolX), int(seat.PoolY)})
                all.push_back(v);
            for (const TileSlot& slot : seat.Slots)
                for (int v : {int(slot.State), int(slot.Code), int(slot.Image)})
                    all.push_back(v);
        }
        return all;
    }
};

// ---- Announcements ---------------------------------------------------------

TEST_P(ShowOperation, AnotherSidesClaimIsAnnouncedForTwoSecondsOnceInStep)
{
    WatchSynced = true;
    const struct {
        int side;
        int16_t op;
        int16_t tile;
        int word;      // WordPicture entry, -1 none
        const char* voice;
    } cases[] = {
        {1, OpPeng, 0x21, 1, "02"},
        {2, OpChi, 0x21, 0, "01"},
        {3, OpExposedGang, 0x21, 2, "03"},
        {1, OpConcealedGang, 0x21, 3, "03"},
        {2, OpAddedGang, 0x15, 4, "04"},
        {3, OpAddedGang, 0x23, 5, "05"},
        {1, OpAddedGang, 0x47, 6, "03"},
        {2, OpHu, 0x21, 7, "09"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.side << " " << c.op << " " << c.tile);
        NewHand();
        WildTile = 0x23;
        for (int side = 0; side <= 3; ++side)
            Deal(side);
        Discard((c.side + 1) % 4);
        audio->ClearLog();
        QRectF bubble, word;
        bool shown = false;
        int wordPicture = 0;
        look = [&] {
            bubble = Box(f->Speak(c.side - 1));
            word = Box(f->Words);
            shown = f->Speak(c.side - 1).Visible() && f->Words.Visible();
            wordPicture = f->Words.Picture().ResourceId();
            return QString();
        };
        Watch();
        Claim(c.op, c.side, c.tile, c.tile, c.tile);
        EXPECT_EQ(Sleeps(), std::vector<int64_t>{2000});
        EXPECT_TRUE(shown);
        EXPECT_EQ(wordPicture, CInt(Image_Resource::WordPicture[c.word]));
        EXPECT_EQ(Played(), QStringList{Voice(c.side, c.voice)});
        EXPECT_TRUE(Played().first().endsWith(QLatin1String(c.voice) + QStringLiteral(".wav")));
        // The word lies inside the bubble.
        EXPECT_EQ(word.topLeft(), bubble.topLeft() + QPointF(0.17 * bubble.width(), 0.24 * bubble.height()));
        EXPECT_FALSE(f->Speak(c.side - 1).Visible());
        EXPECT_FALSE(f->Words.Visible());
        // The bubble-hide timer is left alone.
        EXPECT_FALSE(BubbleHideOn);
        look = [] { return QString(); };
    }
}

TEST_P(ShowOperation, TheBubblesStandBesideTheirSeats)
{
    WatchSynced = true;
    std::map<int, QPointF> at;
    for (int side = 1; side <= 3; ++side) {
        look = [&] {
            at[side] = Box(f->Speak(side - 1)).topLeft();
            return QString();
        };
        Claim(OpHu, side, 0x11, 0x11, 0x11);
    }
    EXPECT_EQ(at[1], QPointF(8 * S(), 280 * S()));
    EXPECT_EQ(at[3], QPointF(936 * S(), 280 * S()));
    if (small()) {
        EXPECT_EQ(at[3], QPointF(731.25, 218.75));
    }
    const Image& avatar = f->Tou(2);
    EXPECT_EQ(at[2], QPointF(avatar.Left() + 0.8 * avatar.Width() - 60 * S(), avatar.Top() + 0.8 * avatar.Height() + 65 * S()));
}

TEST_P(ShowOperation, NothingIsAnnouncedForTheWatchedSideBeforeTheTableIsInStepOrWithTheSoundOff)
{
    // The watched side, and any side before the first snapshot: silent,
    // no bubble, no pause.
    for (bool synced : {true, false}) {
        WatchSynced = synced;
        for (int side = synced ? 0 : 1; side <= (synced ? 0 : 3); ++side) {
            Watch();
            audio->ClearLog();
            Claim(OpHu, side, 0x11, 0x11, 0x11);
            EXPECT_TRUE(pauses.empty()) << side;
            EXPECT_TRUE(Played().isEmpty()) << side;
            for (int b = 0; b <= 2; ++b)
                EXPECT_FALSE(f->Speak(b).Visible());
        }
    }
    // Sound off: the same pictures and pause, no voice.
    WatchSynced = true;
    Mod_Sound::FunctionSoundOn = false;
    Watch();
    Claim(OpPeng, 1, 0x11, 0x11, 0x11);
    EXPECT_EQ(Sleeps(), std::vector<int64_t>{2000});
    EXPECT_TRUE(Played().isEmpty());
}

TEST_P(ShowOperation, APassShowsNoBubbleButStopsTheSoundAndPauses)
{
    WatchSynced = true;
    Claim(OpPeng, 3, 0x11, 0x11, 0x11);
    const int word = f->Words.Picture().ResourceId();
    for (int16_t op : std::vector<int16_t>{OpPass, 2, 0x100}) {
        audio->ClearLog();
        bool bubbleShown = false;
        look = [&] {
            bubbleShown = f->Speak(1).Visible();
            return QString();
        };
        Watch();
        Claim(op, 2, 0x11, 0x11, 0x11);
        EXPECT_EQ(Sleeps(), std::vector<int64_t>{2000}) << op;
        EXPECT_EQ(bubbleShown, op > OpPass) << op;
        EXPECT_EQ(f->Words.Picture().ResourceId(), word);
        // The voice step runs with an empty file name: nothing plays.
        EXPECT_EQ(Played(), QStringList{QString()}) << op;
    }
}

// ---- Melds -----------------------------------------------------------------

TEST_P(ShowOperation, APengTakesTwoHandTilesAndTheDiscardIntoTheMeldRow)
{
    // Side 2's peng with FirstConcealed = MeldEnd = 4 and 13 tiles.
    Draw(2);
    Discard(1, 0x25);
    const int16_t discard = ClaimedDiscardImage;
    SeatRecord& seat = custom[2];
    const TileSlot s4 = seat.Slots[4], s5 = seat.Slots[5], s6 = seat.Slots[6];
    ASSERT_EQ(seat.sum, 13);
    Claim(OpPeng, 2, 0x25, 0x25, 0x25);
    EXPECT_EQ(seat.Slots[2].Image, s4.Image);
    EXPECT_EQ(seat.Slots[3].Image, s5.Image);
    EXPECT_EQ(seat.Slots[4].Image, discard);
    EXPECT_EQ(seat.Slots[17], s6);
    EXPECT_EQ(seat.FirstConcealed, 7);
    EXPECT_EQ(seat.sum, 11);
    EXPECT_EQ(seat.MeldEnd, 7);
    for (int s = 2; s <= 4; ++s) {
        EXPECT_EQ(seat.Slots[s].State, SlotPeng);
        EXPECT_EQ(seat.Slots[s].Code, 0x25);
        EXPECT_EQ(Picture(seat.Slots[s].Image), Face(2, 0x25));
        EXPECT_EQ(Rect(seat.Slots[s].Image), MeldPlace(2, s));
    }
    // The moved tile stands at its new slot by the hand-row rule.
    EXPECT_EQ(Rect(s6.Image), mjtest::RowPlace(2, 17));
    EXPECT_EQ(ClaimedDiscardImage, -1);
    EXPECT_EQ(QSizeF(TileW[2], TileH[2]), MeldSize(2));
    ExpectConsistent();
}

// The watched side's run lies face down, and a discard or a claim moves
// whichever backs the step takes; the codes of the tiles it gave up leave
// the run all the same, so that the hands shown at the end show the tiles
// the player still holds.
TEST_P(ShowOperation, TheWatchedRunKeepsTheCodesOfTheTilesStillHeld)
{
    const struct {
        const char* what;
        std::vector<int16_t> hand;  // the watched run, 12 tiles
        int16_t op;                 // 0: the watched side's own discard of c
        int16_t a, b, c;
        int16_t discard;            // the left side's discard claimed, 0 none
        std::vector<int16_t> taken; // what leaves the run
    } cases[] = {
        {"discard", {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x41, 0x42, 0x43}, 0, 0, 0, 0x25, 0, {0x25}},
        {"peng", {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x22, 0x29, 0x41, 0x42, 0x43}, OpPeng, 0x22, 0x22, 0x22,
         0x22, {0x22, 0x22}},
        {"chi, the discard last", {0x41, 0x42, 0x43, 0x24, 0x45, 0x25, 0x47, 0x48, 0x49, 0x81, 0x82, 0x83}, OpChi,
         0x24, 0x25, 0x26, 0x26, {0x24, 0x25}},
        {"chi, the discard first", {0x41, 0x42, 0x43, 0x44, 0x45, 0x25, 0x47, 0x48, 0x26, 0x81, 0x82, 0x83}, OpChi,
         0x24, 0x25, 0x26, 0x24, {0x25, 0x26}},
        {"gang on a discard", {0x41, 0x42, 0x43, 0x44, 0x86, 0x45, 0x86, 0x48, 0x49, 0x86, 0x82, 0x83},
         OpExposedGang, 0x86, 0x86, 0x86, 0x86, {0x86, 0x86, 0x86}},
        {"concealed gang", {0x41, 0x87, 0x43, 0x44, 0x87, 0x45, 0x46, 0x48, 0x87, 0x49, 0x87, 0x83},
         OpConcealedGang, 0x87, 0x87, 0x87, 0, {0x87, 0x87, 0x87, 0x87}},
        {"added gang", {0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x81, 0x82, 0x83}, OpAddedGang, 0, 0,
         0x44, 0, {0x44}},
        {"red dragon set aside", {0x15, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x81, 0x82, 0x83},
         OpAddedGang, 0, 0, 0x15, 0, {0x15}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        NewHand();
        for (int side = 0; side <= 3; ++side)
            Deal(side);
        SeatRecord& seat = custom[0];
        for (size_t k = 0; k < c.hand.size(); ++k)
            seat.Slots[seat.FirstConcealed + static_cast<int>(k)].Code = c.hand[k];
        if (c.discard != 0)
            Discard(1, c.discard);
        if (c.op == 0)
            Side::ShowDiscard(MaskOf(0), c.c);
        else
            Claim(c.op, 0, c.a, c.b, c.c);
        std::multiset<int16_t> expected(c.hand.begin(), c.hand.end());
        for (int16_t t : c.taken)
            expected.erase(expected.find(t));
        std::multiset<int16_t> held;
        for (int k = seat.FirstConcealed; k < seat.FirstConcealed + seat.sum; ++k)
            held.insert(seat.Slots[k].Code);
        EXPECT_EQ(held, expected);
        ExpectConsistent();
    }
}

TEST_P(ShowOperation, EachSidesGroupStandsByTheMeldRule)
{
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        Draw(side);
        Discard((side + 1) % 4, 0x81);
        const int ME = custom[side].MeldEnd;
        const int moved = custom[side].FirstConcealed + custom[side].sum;
        Claim(OpChi, side, 0x21, 0x22, 0x23);
        // The third hand tile moved to the end of the run stands there by the
        // hand-row rule, at the hand size.
        EXPECT_EQ(Rect(custom[side].Slots[moved].Image), mjtest::RowPlace(side, moved));
        EXPECT_EQ(custom[side].FirstConcealed + custom[side].sum - 1, moved);
        std::vector<int16_t> group;
        for (int s = ME - 2; s <= ME; ++s) {
            group.push_back(custom[side].Slots[s].Image);
            EXPECT_EQ(Rect(group.back()), MeldPlace(side, s)) << s;
            EXPECT_EQ(Picture(group.back()), Face(side, static_cast<int16_t>(0x21 + s - (ME - 2))));
        }
        if (side == 1 || side == 0) {
            EXPECT_GT(At(group[1]), At(group[0]));
            EXPECT_GT(At(group[2]), At(group[1]));
        }
        if (side == 3) {
            EXPECT_LT(At(group[1]), At(group[0]));
        }
        // The row it left stays in order: a lower tile in front of the one above it.
        const SeatRecord& seat = custom[side];
        if (side == 1 || side == 3) {
            for (int s = seat.FirstConcealed + 1; s < seat.FirstConcealed + seat.sum; ++s)
                EXPECT_EQ(At(seat.Slots[s].Image) > At(seat.Slots[s - 1].Image), side == 1) << s;
        }
        ExpectConsistent();
    }
    if (!small()) {
        // The worked values at scale 1.
        EXPECT_EQ(Rect(custom[1].Slots[2].Image), QRectF(153, 228, 45, 35));
        EXPECT_EQ(Rect(custom[1].Slots[3].Image).topLeft(), QPointF(148, 246));
        EXPECT_EQ(Rect(custom[1].Slots[4].Image).topLeft(), QPointF(143, 264));
        EXPECT_EQ(Rect(custom[0].Slots[1].Image), QRectF(62, 564, 45, 56));
        EXPECT_EQ(Rect(custom[0].Slots[2].Image).left(), 105);
        EXPECT_EQ(Rect(custom[0].Slots[3].Image).left(), 148);
    }
}

TEST_P(ShowOperation, AClaimedRightSideDiscardLeavesItsPoolAndTheNextTakesItsPlace)
{
    Discard(3, 0x11);
    Discard(3, 0x12);
    ASSERT_EQ(RightPoolCount, 2);
    const int16_t claimed = ClaimedDiscardImage;
    Draw(2);
    Claim(OpPeng, 2, 0x12, 0x12, 0x12);
    EXPECT_EQ(RightPoolCount, 1);
    EXPECT_EQ(QPointF(custom[3].PoolX, custom[3].PoolY), PoolPlace(3, 1));
    Discard(3, 0x13);
    const int16_t next = ClaimedDiscardImage;
    EXPECT_NE(next, claimed);
    EXPECT_EQ(Rect(next), QRectF(PoolPlace(3, 1), PoolSize(3)));
    EXPECT_EQ(RightPoolOrder[1], next);
    ExpectConsistent();
}

TEST_P(ShowOperation, AClaimRightAfterASnapshotTakesTheLastBackLaid)
{
    SnapshotHeadMax = 8;
    SnapshotTaken = 0;
    SideTileCounts[0] = 0;
    SideTileCounts[1] = 3;
    SideTileCounts[2] = 2;
    SideTileCounts[3] = 0;
    Side::LayWallTiles();
    const int16_t last = ClaimedDiscardImage;
    ASSERT_EQ(DiscarderSide, 2);
    Claim(OpChi, 1, 0x21, 0x22, 0x23);
    EXPECT_EQ(custom[1].Slots[4].Image, last);
    EXPECT_EQ(QPointF(custom[2].PoolX, custom[2].PoolY), PoolPlace(2, 1));
    EXPECT_EQ(QPointF(custom[1].PoolX, custom[1].PoolY), PoolPlace(1, 3));
    ExpectConsistent();
}

TEST_P(ShowOperation, GangsRaiseTheirFourthTileOnTheMiddleOne)
{
    // Side 1: on a discard four faces, the fourth 18 x ScaleY higher and in
    // front; concealed four lying backs.
    Draw(1);
    Discard(2, 0x27);
    const int16_t discard = ClaimedDiscardImage;
    Claim(OpExposedGang, 1, 0x27, 0x27, 0x27);
    const SeatRecord& left = custom[1];
    const int16_t middle = left.Slots[3].Image;
    EXPECT_EQ(Rect(discard), QRectF(Rect(middle).topLeft() - QPointF(0, 18 * S()), MeldSize(1)));
    EXPECT_GT(At(discard), At(middle));
    EXPECT_EQ(Picture(discard), Face(1, 0x27));
    EXPECT_EQ(left.sum, 10);
    EXPECT_EQ(left.FirstConcealed, 7);
    EXPECT_EQ(left.MeldEnd, 7);
    EXPECT_FALSE(NormalDraw);
    ExpectConsistent();

    Draw(1);
    const int16_t fourth = left.Slots[left.FirstConcealed + left.sum - 1].Image;
    Claim(OpConcealedGang, 1, 0x28, 0x28, 0x28);
    for (int s = 5; s <= 7; ++s)
        EXPECT_EQ(Picture(left.Slots[s].Image), Resource(44));
    EXPECT_EQ(Picture(fourth), Resource(44));
    EXPECT_EQ(Rect(fourth).topLeft(), Rect(left.Slots[6].Image).topLeft() - QPointF(0, 18 * S()));
    EXPECT_EQ(left.sum, 7);
    EXPECT_EQ(left.MeldEnd, 10);
    ExpectConsistent();

    // The watched player's concealed gang: four faces of tile 2 in view 0.
    Draw(0);
    const SeatRecord& own = custom[0];
    const int16_t ownFourth = own.Slots[own.FirstConcealed + own.sum - 1].Image;
    Claim(OpConcealedGang, 0, 0x44, 0x44, 0x44);
    for (int s = 1; s <= 3; ++s) {
        EXPECT_EQ(Picture(own.Slots[s].Image), Face(0, 0x44));
        EXPECT_EQ(Rect(own.Slots[s].Image), MeldPlace(0, s));
    }
    EXPECT_EQ(Picture(ownFourth), Face(0, 0x44));
    EXPECT_EQ(Rect(ownFourth).topLeft(), QPointF(Rect(own.Slots[2].Image).left(), own.HandY - 18 * S()));
    EXPECT_EQ(own.sum, 9);
    ExpectConsistent();
}

TEST_P(ShowOperation, RedDragonsAndWildTilesAreSetAsideAndStackedUpwards)
{
    WildTile = 0x23;
    SeatRecord& right = custom[3];
    for (int k = 0; k < 2; ++k) {
        Draw(3);
        const int16_t image = right.Slots[right.FirstConcealed + right.sum - 1].Image;
        const TileSlot slot0 = right.Slots[0];
        Claim(OpAddedGang, 3, 0, 0, 0x15);
        EXPECT_EQ(Rect(image), QRectF(right.HandX - 10 * S(), right.HandY - k * 18 * S(), MeldSize(3).width(),
                                      MeldSize(3).height()));
        EXPECT_EQ(SpecialTileImages(3, k), image);
        EXPECT_EQ(Picture(image), Face(3, 0x15));
        EXPECT_TRUE(OnTopOfTiles(image));
        if (k == 0) {
            EXPECT_EQ(right.Slots[0].Image, image);
        } else {
            EXPECT_EQ(right.Slots[0], slot0);
        }
        EXPECT_EQ(right.sum, 12);
        EXPECT_EQ(right.FirstConcealed, 4);
        EXPECT_EQ(right.MeldEnd, 4);
        ExpectConsistent();
    }
    EXPECT_EQ(right.RedCount, 2);
    if (!small()) {
        EXPECT_EQ(Rect(SpecialTileImages(3, 1)).topLeft(), QPointF(right.HandX - 10, right.HandY - 18));
    }

    // Side 1's wild tiles: one meld step below HandY and 5 to the left, each
    // further one 18 higher; after the stacking mend the second lies in front.
    SeatRecord& left = custom[1];
    std::vector<int16_t> wild;
    for (int k = 0; k < 2; ++k) {
        Draw(1);
        wild.push_back(left.Slots[left.FirstConcealed + left.sum - 1].Image);
        Claim(OpAddedGang, 1, 0, 0, 0x23);
        const double H = MeldSize(1).height();
        EXPECT_EQ(Rect(wild.back()).topLeft(),
                  QPointF(left.HandX - 5 * S(), left.HandY + (H - 17 * S()) - k * 18 * S()));
        EXPECT_EQ(SpecialTileImages(1, 4 + k), wild.back());
        EXPECT_EQ(Picture(wild.back()), Face(1, 0x23));
    }
    EXPECT_EQ(left.WildCount, 2);
    EXPECT_GT(At(wild[1]), At(left.Slots[left.FirstConcealed].Image));
    // A red dragon that is also the wild tile is a red dragon.
    WildTile = 0x15;
    Draw(2);
    Claim(OpAddedGang, 2, 0, 0, 0x15);
    EXPECT_EQ(custom[2].RedCount, 1);
    EXPECT_EQ(custom[2].WildCount, 0);
    ExpectConsistent();
}

TEST_P(ShowOperation, AnAddedTileLiesOnItsPengNewOrOlder)
{
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        SeatRecord& seat = custom[side];
        Discard((side + 1) % 4, 0x81);
        Claim(OpPeng, side, 0x81, 0x81, 0x81);
        Discard((side + 1) % 4, 0x82);
        Claim(OpPeng, side, 0x82, 0x82, 0x82);
        const int first = side == 0 ? 1 : 2;
        for (int16_t code : {0x82, 0x81}) {
            Draw(side);
            const int16_t image = seat.Slots[seat.FirstConcealed + seat.sum - 1].Image;
            const int m = first + 1 + (code == 0x82 ? 3 : 0);
            const int meldEnd = seat.MeldEnd, firstConcealed = seat.FirstConcealed;
            Claim(OpAddedGang, side, 0, 0, code);
            const QRectF middle = Rect(seat.Slots[m].Image);
            const double SY = S();
            QPointF expected;
            switch (side) {
            case 0: expected = QPointF(middle.left(), seat.HandY - 18 * SY); break;
            case 2: expected = QPointF(middle.left(), seat.HandY - 18 * SY); break;
            default: expected = middle.topLeft() - QPointF(0, 17 * SY); break;
            }
            EXPECT_EQ(Rect(image).topLeft(), expected) << code;
            EXPECT_EQ(Picture(image), Face(side, code));
            EXPECT_EQ(seat.MeldEnd, meldEnd);
            EXPECT_EQ(seat.FirstConcealed, firstConcealed);
        }
        ExpectConsistent();
    }
    // No peng of the tile: it stays a back in the row, resized, one fewer.
    Draw(2);
    SeatRecord& seat = custom[2];
    const int16_t image = seat.Slots[seat.FirstConcealed + seat.sum - 1].Image;
    const QPointF before = Rect(image).topLeft();
    const int sum = seat.sum;
    Claim(OpAddedGang, 2, 0, 0, 0x19);
    EXPECT_EQ(Rect(image), QRectF(before, MeldSize(2)));
    EXPECT_EQ(Picture(image), Resource(36 * 2 + 7));
    EXPECT_EQ(seat.sum, sum - 1);
}

TEST_P(ShowOperation, TheFirstHuMarksTheWinnerAndASecondChangesNothing)
{
    Claim(OpHu, 3, 0x11, 0x11, 0x11);
    Score& sheet = form<Score>();
    for (int i = 0; i <= 3; ++i)
        EXPECT_EQ(sheet.ID(i).ForeColor(), i == 3 ? 0xFF : 0xFF00);
    EXPECT_EQ(WinnerSide, 3);
    Claim(OpHu, 1, 0x11, 0x11, 0x11);
    EXPECT_EQ(WinnerSide, 3);
    EXPECT_EQ(sheet.ID(1).ForeColor(), 0xFF00);
    EXPECT_EQ(sheet.ID(3).ForeColor(), 0xFF);
}

TEST_P(ShowOperation, APassReStacksTheLeftAndRightRows)
{
    for (int side : {1, 3}) {
        SeatRecord& seat = custom[side];
        const int16_t top = seat.Slots[seat.FirstConcealed + 5].Image;
        f->MJ_Image(top).ZOrder(side == 1 ? 0 : 1);
        f->MJ_Image(seat.Slots[seat.FirstConcealed].Image).ZOrder(side == 1 ? 0 : 1);
        Claim(OpPass, side, 0, 0, 0);
        for (int s = seat.FirstConcealed + 1; s < seat.FirstConcealed + seat.sum; ++s)
            EXPECT_EQ(At(seat.Slots[s].Image) > At(seat.Slots[s - 1].Image), side == 1) << side << " " << s;
    }
}

// ---- Mends and bad input ---------------------------------------------------

TEST_P(ShowOperation, AClaimWithNoWaitingDiscardOrTooShortARunMovesNothing)
{
    const struct {
        const char* name;
        int16_t op;
        std::function<void()> arrange;
    } cases[] = {
        {"chi, none waits", OpChi, [] { ClaimedDiscardImage = -1; }},
        {"peng, none waits", OpPeng, [] { ClaimedDiscardImage = -1; }},
        {"gang, none waits", OpExposedGang, [] { ClaimedDiscardImage = -1; }},
        {"peng, run of 2", OpPeng, [] { custom[1].sum = 2; }},
        {"gang, run of 2", OpExposedGang, [] { custom[1].sum = 2; }},
        {"concealed gang, run of 3", OpConcealedGang, [] { custom[1].sum = 3; }},
        {"added gang, no run", OpAddedGang, [] { custom[1].sum = 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewHand();
        for (int side = 0; side <= 3; ++side)
            Deal(side);
        Discard(3, 0x11);
        c.arrange();
        WatchSynced = true;
        const std::vector<int> before = Seats();
        const int16_t rightCount = RightPoolCount;
        Watch();
        audio->ClearLog();
        Claim(c.op, 1, 0x11, 0x11, 0x11);
        EXPECT_EQ(Sleeps(), std::vector<int64_t>{2000});
        EXPECT_EQ(Played().size(), 1);
        EXPECT_EQ(Seats(), before);
        EXPECT_EQ(RightPoolCount, rightCount);
    }
    // A claim takes the waiting discard once.
    NewHand();
    for (int side = 0; side <= 3; ++side)
        Deal(side);
    Discard(3, 0x11);
    Claim(OpPeng, 1, 0x11, 0x11, 0x11);
    const std::vector<int> after = Seats();
    Claim(OpPeng, 2, 0x11, 0x11, 0x11);
    EXPECT_EQ(Seats(), after);
    EXPECT_EQ(RightPoolCount, 0);
    ExpectConsistent();
}

TEST_P(ShowOperation, BadInputChangesNothingLaysFaceDownOrReachesTheTrap)
{
    // A seat mask that is not one seat.
    const std::vector<int> before = Seats();
    for (uint8_t mask : {0, 3, 12, 16})
        Side::ShowOperation(OpConcealedGang, mask, VbArray<int16_t, 0, 2>{});
    EXPECT_EQ(Seats(), before);

    // A tile code that names no tile lies face down and is no wild tile.
    WildTile = 0;
    Discard(3, 0x11);
    Claim(OpPeng, 1, 0x00, 0x00, 0x00);
    EXPECT_EQ(Picture(custom[1].Slots[2].Image), Resource(36 + 7));
    Draw(1);
    Claim(OpAddedGang, 1, 0, 0, 0x00);
    EXPECT_EQ(custom[1].WildCount, 0);

    // A fifth red dragon, or a slot past 20, reaches the dispatcher's trap.
    custom[2].RedCount = 4;
    EXPECT_EQ(mjtest::ErrorOf([&] { Claim(OpAddedGang, 2, 0, 0, 0x15); }), ErrSubscript);
    custom[3].WildCount = 4;
    WildTile = 0x23;
    EXPECT_EQ(mjtest::ErrorOf([&] { Claim(OpAddedGang, 3, 0, 0, 0x23); }), ErrSubscript);
    custom[0].MeldEnd = 21;
    Discard(1, 0x11);
    EXPECT_EQ(mjtest::ErrorOf([&] { Claim(OpChi, 0, 0x11, 0x12, 0x13); }), ErrSubscript);
}

MJ_SEATED_CASES(ShowOperation);

} // namespace
