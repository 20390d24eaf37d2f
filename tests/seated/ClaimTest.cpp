// Claims reported by the server: the announcement of another seat's claim,
// the chi and peng melds of every seat, the own meld layouts and the hu.
#include "SeatedTable.h"

#include "client/SoftTimer.h"
#include "controls/Score.h"

#include <map>

using namespace mj;
using mjtest::SeatedTable;

namespace {

// The seat that discarded, seen from the claimer's side, by the position in
// the meld of the tile taken from it: 2 the first (the discarder plays just
// before the claimer), 1 the middle (opposite), 0 the last (just after).
int DiscarderOf(int claimer, int actorSeat)
{
    return (claimer + 3 - actorSeat) % 4;
}

class Claim : public SeatedTable {
protected:
    void SetUp() override
    {
        SeatedTable::SetUp();
        Fresh();
    }
    // A new hand: twelve tiles to every seat and the own thirteenth.
    void Fresh()
    {
        NewHand();
        for (int side = 0; side <= 3; ++side)
            Deal(side, {0x11, 0x11, 0x13, 0x14, 0x15, 0x16, 0x17, 0x21, 0x22, 0x23, 0x24, 0x25});
        Draw(0, 0x26);
        audio->ClearLog();
        Watch();
    }
    // The seat `side` discards `code`: its last concealed tile (or, for the
    // own seat, the tile in `ownSlot`) is parked at the centre.
    void Discard(int side, int16_t code, int ownSlot = 10)
    {
        if (side == 0)
            code = ParkOwnDiscard(ownSlot);
        Operate::ShowDiscard(MaskOf(side), code);
    }
    void Claim3(int side, int16_t op, int16_t t0, int16_t t1, int16_t t2)
    {
        Operate::ClaimTiles tiles;
        tiles[0] = t0, tiles[1] = t1, tiles[2] = t2;
        Operate::ApplyPlayerOperation(op, MaskOf(side), tiles);
    }
    QString Voice(int side, const char* suffix) const
    {
        return Mod_Resource::VoiceDir
            + QStringLiteral("v0010%1%2").arg(side % 2 ? "13" : "02").arg(QLatin1String(suffix));
    }
    // Where another seat's meld row puts slot s.
    QPointF MeldPlace(int side, int s) const
    {
        const SeatRecord& seat = custom[side];
        const float x = seat.HandX, y = seat.HandY, sx = ScaleX, sy = ScaleY;
        switch (side) {
        case 1:
            return {x - 5 * sx * s, y + s * (CInt(35 * S()) - 17 * sy)};
        case 2:
            return {x - s * static_cast<float>(CInt(34 * S())), y};
        default:
            return {x - 5 * sx * s - 10 * sx, y - s * (CInt(35 * S()) - 17 * sy)};
        }
    }
    // Stages an own claim the way the claim senders do: the chosen hand
    // slots copied into the next meld's slots with the claim's state.
    void StageOwn(std::initializer_list<int> fromSlots, int16_t state, bool withDiscard)
    {
        SeatRecord& own = custom[0];
        int to = own.MeldEnd - 2;
        for (int from : fromSlots) {
            own.Slots[to] = own.Slots[from];
            own.Slots[to++].State = state;
        }
        if (withDiscard)
            own.Slots[own.MeldEnd] = TileSlot{state, ClaimedDiscard, ClaimedDiscardImage};
    }
    std::vector<int16_t> RunImages() const
    {
        std::vector<int16_t> images;
        const SeatRecord& own = custom[0];
        for (int i = own.FirstConcealed; i < own.FirstConcealed + own.sum; ++i)
            images.push_back(own.Slots[i].Image);
        return images;
    }
    QPointF OwnMeldPlace(int s) const
    {
        const SeatRecord& own = custom[0];
        return {own.HandX + (s + 1) * (CInt(45 * S()) - 2 * ScaleX), own.HandY + 29 * ScaleY};
    }
    void Tick(int n)
    {
        for (int i = 0; i < n; ++i)
            f->TimerBong_Timer();
    }
};

// ---- Another seat's chi and peng -----------------------------------------

TEST_P(Claim, AnotherSeatsChiOrPengFormsTheMeldInItsRow)
{
    const int markers[] = {0, 245, 281, 317};
    for (int side = 1; side <= 3; ++side)
        for (int16_t op : {OpChi, OpPeng})
            for (int actor = 0; actor <= 2; ++actor)
                for (bool mark : {false, true}) {
                    if (op == OpChi && actor != 2)
                        continue; // a chi is always of the seat before
                    SCOPED_TRACE(QStringLiteral("side %1 op %2 actor %3 mark %4")
                                     .arg(side).arg(op).arg(actor).arg(mark).toStdString());
                    Fresh();
                    MarkClaimedTile = mark;
                    const int discarder = DiscarderOf(side, actor);
                    Discard(discarder, 0x29);
                    const int16_t claimed = ClaimedDiscardImage;
                    SeatRecord& seat = custom[side];
                    const TileSlot first = seat.Slots[4], second = seat.Slots[5], third = seat.Slots[6];
                    const int16_t fourth = seat.Slots[4].State;
                    const int sumBefore = seat.sum;
                    ActorSeat = static_cast<int16_t>(actor);
                    const int16_t t0 = op == OpChi ? 0x27 : 0x29, t1 = op == OpChi ? 0x28 : 0x29;
                    Claim3(side, op, t0, t1, 0x29);

                    EXPECT_EQ(seat.sum, sumBefore - 2);
                    EXPECT_EQ(seat.FirstConcealed, 7);
                    EXPECT_EQ(seat.MeldEnd, 7);
                    EXPECT_EQ(seat.Slots[2].Image, first.Image);
                    EXPECT_EQ(seat.Slots[3].Image, second.Image);
                    EXPECT_EQ(seat.Slots[4].Image, claimed);
                    EXPECT_EQ(seat.Slots[seat.FirstConcealed + seat.sum - 1], third);
                    if (op == OpPeng) {
                        for (int s = 2; s <= 4; ++s) {
                            EXPECT_EQ(seat.Slots[s].State, SlotPeng) << s;
                            EXPECT_EQ(seat.Slots[s].Code, 0x29) << s;
                        }
                    } else {
                        EXPECT_EQ(seat.Slots[2].State, first.State);
                        EXPECT_EQ(seat.Slots[3].Code, second.Code);
                        EXPECT_EQ(seat.Slots[4].State, fourth);
                    }
                    const int16_t codes[] = {t0, t1, 0x29};
                    for (int p = 0; p <= 2; ++p) {
                        const int s = 4 - p;
                        const int16_t image = seat.Slots[s].Image;
                        const int expected = p == actor ? markers[side]
                                                        : Resource(General::TilePictureOf(side, codes[2 - p]));
                        EXPECT_EQ(Picture(image), expected) << "slot " << s;
                        EXPECT_EQ(Rect(image).topLeft(), MeldPlace(side, s)) << s;
                        EXPECT_EQ(Rect(image).size(), side == 2 ? QSizeF(CInt(34 * S()), CInt(40 * S()))
                                                                : QSizeF(CInt(45 * S()), CInt(35 * S())));
                    }
                    // The slanted rows: the lower tile covers the one above.
                    const int a2 = At(seat.Slots[2].Image), a3 = At(seat.Slots[3].Image), a4 = At(seat.Slots[4].Image);
                    if (side == 1) {
                        EXPECT_LT(a2, a3);
                        EXPECT_LT(a3, a4);
                    } else if (side == 3) {
                        EXPECT_GT(a2, a3);
                        EXPECT_GT(a3, a4);
                    }
                    ExpectConsistent();
                }
}

TEST_P(Claim, TheLeftSeatsFirstPengLiesAlongItsSlantedRow)
{
    Discard(3, 0x29);
    ActorSeat = 1;
    Claim3(1, OpPeng, 0x29, 0x29, 0x29);
    const SeatRecord& seat = custom[1];
    if (!small()) {
        EXPECT_EQ(Rect(seat.Slots[2].Image), QRectF(seat.HandX - 10, seat.HandY + 36, 45, 35));
        EXPECT_EQ(Rect(seat.Slots[3].Image), QRectF(seat.HandX - 15, seat.HandY + 54, 45, 35));
        EXPECT_EQ(Rect(seat.Slots[4].Image), QRectF(seat.HandX - 20, seat.HandY + 72, 45, 35));
    }
    EXPECT_EQ(Picture(seat.Slots[3].Image), 245);
    // The tile taken to the end of the hand stands apart: 5 further left and
    // 1.3 meld widths lower by half.
    const int last = seat.FirstConcealed + seat.sum - 1;
    const QRectF before = Rect(seat.Slots[last - 1].Image), moved = Rect(seat.Slots[last].Image);
    EXPECT_EQ(moved.left(), before.left() - 5 * ScaleX);
    EXPECT_EQ(moved.top(), before.top() + 1.3 * TileW[1] * 0.5);
    // The left hand is re-stacked: each lower tile covers the one above.
    for (int i = seat.FirstConcealed; i < last; ++i)
        EXPECT_LT(At(seat.Slots[i].Image), At(seat.Slots[i + 1].Image)) << i;
    ExpectConsistent();
}

TEST_P(Claim, ARunTooShortIsAnnouncedButMovesNothing)
{
    SeatRecord& seat = custom[2];
    Discard(3, 0x29);
    seat.sum = 2;
    const SeatRecord before = seat;
    const QRectF parked = Rect(ClaimedDiscardImage);
    audio->ClearLog();
    ActorSeat = 2;
    Claim3(2, OpPeng, 0x29, 0x29, 0x29);
    EXPECT_EQ(seat.sum, 2);
    EXPECT_EQ(seat.FirstConcealed, before.FirstConcealed);
    EXPECT_EQ(seat.MeldEnd, before.MeldEnd);
    for (int s = 0; s <= 20; ++s)
        EXPECT_EQ(seat.Slots[s], before.Slots[s]) << s;
    EXPECT_EQ(Rect(ClaimedDiscardImage), parked);
    EXPECT_TRUE(f->Speak(1).Visible());
    EXPECT_EQ(Played(), QStringList({Voice(2, "02") + QStringLiteral(".wav")}));
}

TEST_P(Claim, ASeatMaskOfNoOneSeatChangesNothing)
{
    Discard(1, 0x29);
    audio->ClearLog();
    for (uint8_t mask : {0, 3, 5, 12, 15}) {
        const SeatRecord before = custom[2];
        const int16_t w = TileW[1];
        Operate::ClaimTiles tiles;
        Operate::ApplyPlayerOperation(OpPeng, mask, tiles);
        EXPECT_EQ(custom[2].sum, before.sum) << int(mask);
        EXPECT_EQ(TileW[1], w);
        EXPECT_FALSE(f->Speak(1).Visible());
        EXPECT_FALSE(BubbleHideOn);
    }
    EXPECT_TRUE(Played().isEmpty());
}

TEST_P(Claim, AClaimTileThatNamesNoTileIsLaidFaceDown)
{
    Discard(1, 0x29);
    ActorSeat = 0;
    Claim3(2, OpPeng, 0x2A, 0x2A, 0x2A);
    const SeatRecord& seat = custom[2];
    EXPECT_EQ(Picture(seat.Slots[2].Image), Resource(36 * 2 + 7));
    EXPECT_EQ(Picture(seat.Slots[3].Image), Resource(36 * 2 + 7));
    EXPECT_EQ(Picture(seat.Slots[4].Image), 281);
    ExpectConsistent();
}

TEST_P(Claim, AFailingStepIsSkippedForAnotherSeatButRaisesForTheOwn)
{
    // A run reaching slot 20: the tile taken to its end has no slot 21.
    Discard(1, 0x29);
    SeatRecord& seat = custom[2];
    for (int s = 16; s <= 20; ++s)
        seat.Slots[s] = seat.Slots[4];
    seat.sum = 17;
    ActorSeat = 0;
    EXPECT_NO_THROW(Claim3(2, OpPeng, 0x29, 0x29, 0x29));
    // The steps after the failing one still ran.
    EXPECT_EQ(seat.MeldEnd, 7);
    EXPECT_EQ(Picture(seat.Slots[2].Image), Resource(General::TilePictureOf(2, 0x29)));
    EXPECT_TRUE(f->Speak(1).Visible());

    // The own chi whose closing-up reaches past slot 20 raises to the caller.
    Fresh();
    Discard(1, 0x29);
    SeatRecord& own = custom[0];
    for (int s = 17; s <= 20; ++s)
        own.Slots[s] = own.Slots[16];
    own.sum = 17;
    StageOwn({6, 9}, SlotChi, true);
    ChiChoices[0] = 6, ChiChoices[1] = 9;
    EXPECT_THROW(Claim3(0, OpChi, 0x27, 0x28, 0x29), RuntimeError);
}

// ---- The announcement ------------------------------------------------------

TEST_P(Claim, AnotherSeatsClaimShowsItsBubbleWordAndVoice)
{
    const struct {
        int side;
        int16_t op;
        int16_t third;
        int word;
        const char* voice;
    } cases[] = {
        {1, OpChi, 0x29, 0, "01"},          {2, OpPeng, 0x29, 1, "02"},
        {3, OpExposedGang, 0x29, 2, "03"},  {1, OpConcealedGang, 0x29, 3, "03"},
        {2, OpAddedGang, 0x15, 4, "03"},    {3, OpAddedGang, 0x16, 6, "03"},
        {1, OpAddedGang, 0x29, 6, "03"},    {2, OpHu, 0x29, 7, "09"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.side * 1000 + c.op);
        audio->ClearLog();
        for (int i = 0; i <= 2; ++i)
            f->Speak(i).SetVisible(true);
        Claim3(c.side, c.op, 0, 0, c.third);
        const Image& bubble = f->Speak(c.side - 1);
        QPointF place;
        if (c.side == 2)
            place = {f->Tou(2).Left() + 0.8 * f->Tou(2).Width() - 60 * ScaleY,
                     f->Tou(2).Top() + 0.8 * f->Tou(2).Height() + 65 * ScaleY};
        else
            place = {(c.side == 1 ? 8 : 936) * ScaleX, 280 * ScaleY};
        EXPECT_EQ(QPointF(bubble.Left(), bubble.Top()), place);
        EXPECT_TRUE(bubble.Visible());
        EXPECT_TRUE(f->Words.Visible());
        EXPECT_EQ(f->Words.Left(), bubble.Left() + 0.17 * bubble.Width());
        EXPECT_EQ(f->Words.Top(), bubble.Top() + 0.24 * bubble.Height());
        EXPECT_EQ(f->Words.Picture().ResourceId(), CInt(Image_Resource::WordPicture[c.word]));
        EXPECT_GT(f->Pic1.DrawingOrder().indexOf(QStringLiteral("Words")),
                  f->Pic1.DrawingOrder().indexOf(QStringLiteral("Speak(%1)").arg(c.side - 1)));
        for (int i = 1; i <= 3; ++i)
            EXPECT_EQ(f->Speak(i - 1).Visible(), i == c.side) << i;
        EXPECT_EQ(Played(), QStringList({Voice(c.side, c.voice) + QStringLiteral(".wav")}));
        EXPECT_TRUE(BubbleHideOn);
        EXPECT_EQ(BubbleHideTicks, 0);
        EXPECT_EQ(BubbleSide, c.side - 1);
    }
}

TEST_P(Claim, TheBubbleIsGoneFortyTicksLater)
{
    Claim3(1, OpChi, 0x27, 0x28, 0x29);
    Tick(39);
    EXPECT_TRUE(f->Speak(0).Visible());
    EXPECT_TRUE(f->Words.Visible());
    Tick(1);
    EXPECT_FALSE(f->Speak(0).Visible());
    EXPECT_FALSE(f->Words.Visible());
}

TEST_P(Claim, WithoutSoundTheBubbleShowsAndNothingPlays)
{
    Mod_Sound::FunctionSoundOn = false;
    Claim3(3, OpPeng, 0x29, 0x29, 0x29);
    EXPECT_TRUE(f->Speak(2).Visible());
    EXPECT_TRUE(f->Words.Visible());
    EXPECT_TRUE(Played().isEmpty());
}

TEST_P(Claim, TheOwnClaimIsNotAnnounced)
{
    BubbleHideTicks = 7;
    Claim3(0, OpHu, 0, 0, 0x29);
    for (int i = 0; i <= 2; ++i)
        EXPECT_FALSE(f->Speak(i).Visible());
    EXPECT_FALSE(f->Words.Visible());
    EXPECT_FALSE(BubbleHideOn);
    EXPECT_EQ(BubbleHideTicks, 7);
    EXPECT_TRUE(Played().isEmpty());
}

TEST_P(Claim, APassReArmsTheHideAndStopsTheSoundWithoutABubble)
{
    Claim3(2, OpPeng, 0x29, 0x29, 0x29);
    const QPointF placed(f->Speak(1).Left(), f->Speak(1).Top());
    f->Speak(0).SetVisible(true);
    Tick(30);
    audio->ClearLog();
    Claim3(2, OpPass, 0, 0, 0);
    EXPECT_EQ(BubbleHideTicks, 0);
    EXPECT_EQ(BubbleSide, 1);
    EXPECT_FALSE(f->Speak(0).Visible());
    EXPECT_EQ(QPointF(f->Speak(1).Left(), f->Speak(1).Top()), placed);
    // The sound playing is stopped by an empty name: nothing new plays.
    EXPECT_EQ(Played(), QStringList({QString()}));
    // An unknown code above 1 shows the bubble with the last word, silent.
    audio->ClearLog();
    Claim3(3, 0x03, 0, 0, 0);
    EXPECT_TRUE(f->Speak(2).Visible());
    EXPECT_EQ(f->Words.Picture().ResourceId(), CInt(Image_Resource::WordPicture[1]));
    EXPECT_EQ(Played(), QStringList({QString()}));
}

// ---- Hu --------------------------------------------------------------------

TEST_P(Claim, TheFirstHuMarksTheWinnerOnTheHiddenScoreSheet)
{
    form<Score>().ID(1).SetForeColor(255);
    Claim3(2, OpHu, 0, 0, 0x29);
    EXPECT_EQ(WinnerSide, 2);
    for (int i = 0; i <= 3; ++i) {
        EXPECT_EQ(form<Score>().ID(i).ForeColor(), i == 2 ? 255 : 0) << i;
        EXPECT_EQ(form<Score>().State(i).ForeColor(), 0) << i;
    }
    EXPECT_FALSE(form<Score>().Visible());
    // A second hu is announced but marks nobody else.
    audio->ClearLog();
    Claim3(3, OpHu, 0, 0, 0x29);
    EXPECT_EQ(WinnerSide, 2);
    EXPECT_EQ(form<Score>().ID(3).ForeColor(), 0);
    EXPECT_TRUE(f->Speak(2).Visible());
    EXPECT_EQ(Played(), QStringList({Voice(3, "09") + QStringLiteral(".wav")}));
}

TEST_P(Claim, AnOwnWinOnADiscardBringsTheTileBesideTheHand)
{
    // 13 own tiles (3n + 1): a win on a discard.
    Discard(1, 0x29);
    const int16_t image = ClaimedDiscardImage;
    const int last = custom[0].FirstConcealed + 12;
    Claim3(0, OpHu, 0, 0, 0x29);
    EXPECT_EQ(Rect(image), QRectF(Rect(custom[0].Slots[last].Image).left() + 1.5 * CInt(48 * S()), custom[0].HandY,
                                  CInt(48 * S()), CInt(78 * S())));
    EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(0, 0x29)));
    EXPECT_EQ(TileW[0], CInt(48 * S()));
}

TEST_P(Claim, AnOwnWinWithoutAParkedTileOnlyMarksTheSheet)
{
    ClaimedDiscardImage = -1;
    custom[0].sum = 13;
    Claim3(0, OpHu, 0, 0, 0x29);
    EXPECT_EQ(WinnerSide, 0);
    EXPECT_EQ(form<Score>().ID(0).ForeColor(), 255);
    ExpectConsistent();
}

// ---- The own chi and peng --------------------------------------------------

TEST_P(Claim, TheOwnChiIsLaidOutAndTheRunClosesUp)
{
    const struct {
        int a, b;
        std::vector<int> order; // old slots, in the new run's order
    } cases[] = {
        {6, 9, {4, 5, 7, 8, 10, 11, 12, 13, 14, 15, 16}},
        {6, 7, {4, 5, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.a * 100 + c.b);
        Fresh();
        Discard(1, 0x29);
        SeatRecord& own = custom[0];
        std::vector<int16_t> expected;
        std::map<int16_t, double> lefts;
        for (int s : c.order) {
            expected.push_back(own.Slots[s].Image);
            lefts[own.Slots[s].Image] = Rect(own.Slots[s].Image).left();
        }
        StageOwn({c.a, c.b}, SlotChi, true);
        ChiChoices[0] = static_cast<int16_t>(c.a);
        ChiChoices[1] = static_cast<int16_t>(c.b);
        ActorSeat = 2;
        Claim3(0, OpChi, own.Slots[1].Code, own.Slots[2].Code, 0x29);

        EXPECT_EQ(own.sum, 11);
        EXPECT_EQ(own.FirstConcealed, 7);
        EXPECT_EQ(own.MeldEnd, 6);
        EXPECT_EQ(RunImages(), expected);
        for (size_t k = 0; k < c.order.size(); ++k) {
            const int16_t image = expected[k];
            EXPECT_EQ(Rect(image).left(), lefts[image] + (7 + int(k) - c.order[k]) * CInt(48 * S())) << k;
        }
        for (int s = 1; s <= 3; ++s)
            EXPECT_EQ(Rect(own.Slots[s].Image), QRectF(OwnMeldPlace(s), QSizeF(CInt(45 * S()), CInt(60 * S()))));
        if (!small()) {
            EXPECT_EQ(Rect(own.Slots[1].Image).left(), own.HandX + 86);
        }
        EXPECT_EQ(Picture(own.Slots[3].Image), Resource(General::TilePictureOf(0, 0x29)));
        EXPECT_TRUE(OnTopOfTiles(own.Slots[3].Image));
        EXPECT_EQ(TileW[0], CInt(48 * S()));
        EXPECT_EQ(TileH[0], CInt(78 * S()));
        ExpectConsistent();
    }
}

TEST_P(Claim, TheOwnPengShowsTheDiscardersTileFaceDown)
{
    for (int actor = 0; actor <= 2; ++actor)
        for (bool mark : {false, true}) {
            SCOPED_TRACE(actor * 10 + mark);
            Fresh();
            MarkClaimedTile = mark;
            // The own pair 0x11 0x11 sits at the run's start (g = F).
            Discard(DiscarderOf(0, actor), 0x11);
            SeatRecord& own = custom[0];
            std::vector<int16_t> expected;
            for (int s = 6; s <= 16; ++s)
                expected.push_back(own.Slots[s].Image);
            StageOwn({4, 5}, SlotPeng, true);
            ActorSeat = static_cast<int16_t>(actor);
            Claim3(0, OpPeng, 0x11, 0x11, 0x11);
            EXPECT_EQ(own.sum, 11);
            EXPECT_EQ(RunImages(), expected);
            for (int i = 0; i <= 2; ++i)
                EXPECT_EQ(Picture(own.Slots[3 - i].Image),
                          i == actor ? 353 : Resource(General::TilePictureOf(0, 0x11)))
                    << i;
            ExpectConsistent();
        }
}

TEST_P(Claim, AnOwnConfirmationThatDoesNotMatchTheStagingIsLeftAlone)
{
    Discard(1, 0x29);
    SeatRecord& own = custom[0];
    auto unchanged = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(own.sum, 13);
        EXPECT_EQ(own.FirstConcealed, 4);
        EXPECT_EQ(own.MeldEnd, 3);
    };
    // Nothing staged (a reconnection).
    ChiChoices[0] = 6, ChiChoices[1] = 9;
    Claim3(0, OpChi, 0x27, 0x28, 0x29);
    unchanged("nothing staged");
    // Staged as a peng, confirmed as a chi.
    StageOwn({6, 9}, SlotPeng, true);
    Claim3(0, OpChi, 0x27, 0x28, 0x29);
    unchanged("other state");
    // A chi pair in the wrong order or outside the run.
    StageOwn({6, 9}, SlotChi, true);
    ChiChoices[0] = 9, ChiChoices[1] = 6;
    Claim3(0, OpChi, 0x27, 0x28, 0x29);
    unchanged("wrong order");
    ChiChoices[0] = 6, ChiChoices[1] = 17;
    Claim3(0, OpChi, 0x27, 0x28, 0x29);
    unchanged("outside the run");
    // A peng whose pair is not in the hand.
    StageOwn({6, 9}, SlotPeng, true);
    Claim3(0, OpPeng, 0x49, 0x49, 0x49);
    unchanged("no pair");
    ExpectConsistent();
}

// ---- Gangs -----------------------------------------------------------------

TEST_P(Claim, AnotherSeatsGangLaysItsFourthTileAcrossTheMiddle)
{
    const int markers[] = {0, 245, 281, 317};
    const int backs[] = {0, 180, 80, 181};
    for (int side = 1; side <= 3; ++side)
        for (int16_t op : {OpExposedGang, OpConcealedGang})
            for (int actor = 0; actor <= 2; ++actor)
                for (bool mark : {false, true}) {
                    if (op == OpConcealedGang && actor != 0)
                        continue; // no discarder
                    SCOPED_TRACE(QStringLiteral("side %1 op %2 actor %3 mark %4")
                                     .arg(side).arg(op).arg(actor).arg(mark).toStdString());
                    Fresh();
                    MarkClaimedTile = mark;
                    const int discarder = DiscarderOf(side, actor);
                    if (discarder != side)
                        Discard(discarder, 0x29);
                    SeatRecord& seat = custom[side];
                    const bool concealed = op == OpConcealedGang;
                    const int16_t fourth = concealed ? seat.Slots[4 + seat.sum - 1].Image : ClaimedDiscardImage;
                    const int16_t fromHand[] = {seat.Slots[6].Image, seat.Slots[5].Image, seat.Slots[4].Image};
                    const int sumBefore = seat.sum;
                    const uint8_t gangs = GangCount;
                    ActorSeat = static_cast<int16_t>(actor);
                    NormalDraw = true;
                    Claim3(side, op, 0x29, 0x29, 0x29);

                    EXPECT_EQ(seat.sum, sumBefore - (concealed ? 4 : 3));
                    EXPECT_EQ(seat.FirstConcealed, 7);
                    EXPECT_EQ(seat.MeldEnd, 7);
                    EXPECT_FALSE(NormalDraw);
                    EXPECT_TRUE(SkipDiscardMove);
                    EXPECT_EQ(ClaimedDiscardImage, fourth);
                    for (int p = 0; p <= 2; ++p) {
                        const int s = 4 - p;
                        const int16_t image = seat.Slots[s].Image;
                        EXPECT_EQ(image, fromHand[2 - p]) << s;
                        const int expected = concealed ? Resource(backs[side])
                            : p == actor                ? markers[side]
                                                        : Resource(General::TilePictureOf(side, 0x29));
                        EXPECT_EQ(Picture(image), expected) << "slot " << s;
                        EXPECT_EQ(Rect(image).topLeft(), MeldPlace(side, s)) << s;
                    }
                    const QRectF middle = Rect(seat.Slots[3].Image), across = Rect(fourth);
                    if (side == 2) {
                        EXPECT_EQ(across.topLeft(), QPointF(seat.HandX - TileW[2] * 3.0f, seat.HandY - 16 * ScaleY));
                    } else {
                        EXPECT_EQ(across.topLeft(), QPointF(middle.left(), middle.top() - 18 * ScaleY));
                        EXPECT_GT(At(fourth), At(seat.Slots[3].Image));
                    }
                    EXPECT_EQ(across.size(), middle.size());
                    EXPECT_EQ(Picture(fourth), Resource(General::TilePictureOf(side, 0x29)));
                    EXPECT_EQ(GangCount, gangs + (concealed ? 1 : 0));
                    if (concealed) {
                        EXPECT_EQ(GangImages[gangs], fourth);
                        EXPECT_EQ(GangTiles[gangs], 0x29);
                        EXPECT_EQ(GangSeats[gangs], side);
                    }
                    ExpectConsistent();
                }
}

TEST_P(Claim, GangRecordsStopAtSixteen)
{
    GangCount = 16;
    Claim3(2, OpConcealedGang, 0x29, 0x29, 0x29);
    EXPECT_EQ(GangCount, 16);
    EXPECT_EQ(custom[2].sum, 8);
    ExpectConsistent();
}

// A gang whose tiles cannot be laid (another seat's run too short, an own
// gang the client did not stage, as after a reconnection) moves no tile, yet
// the server's next draw for the seat is still the replacement from the
// wall's tail, and the parked discard stays where it is.
TEST_P(Claim, AGangThatMovesNothingStillLeavesTheNextDrawToTheTail)
{
    const struct {
        int side;
        int16_t op;
        int16_t sum; // -1: as dealt
    } cases[] = {
        {3, OpExposedGang, 2}, {3, OpConcealedGang, 3}, {3, OpAddedGang, 0},
        {0, OpExposedGang, -1}, {0, OpConcealedGang, -1}, {0, OpAddedGang, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "side " << c.side << ", op " << c.op);
        Fresh();
        Discard(1, 0x29);
        SeatRecord& seat = custom[c.side];
        if (c.sum >= 0)
            seat.sum = c.sum;
        const SeatRecord before = seat;
        const int16_t parked = ClaimedDiscardImage;
        const QRectF atCentre = Rect(parked);
        Claim3(c.side, c.op, 0x29, 0x29, 0x29);
        EXPECT_EQ(seat.sum, before.sum);
        EXPECT_EQ(seat.MeldEnd, before.MeldEnd);
        for (int s = 0; s <= 20; ++s)
            EXPECT_EQ(seat.Slots[s], before.Slots[s]) << s;
        EXPECT_EQ(ClaimedDiscardImage, parked);
        EXPECT_EQ(GangCount, 0);
        EXPECT_EQ(f->Speak(2).Visible(), c.side == 3);

        const int16_t tail = WallTail, head = WallHead;
        Draw(c.side, 0x26);
        EXPECT_EQ(seat.Slots[seat.FirstConcealed + seat.sum - 1].Image, tail);
        EXPECT_EQ(WallHead, head);
        EXPECT_EQ(Rect(parked), atCentre);
    }
}

TEST_P(Claim, TheOwnExposedGangTakesTheDiscardAcrossItsMeld)
{
    Discard(2, 0x29);
    SeatRecord& own = custom[0];
    std::vector<int16_t> expected;
    std::map<int16_t, double> lefts;
    for (int s : {4, 5, 6, 7, 11, 12, 13, 14, 15, 16}) {
        expected.push_back(own.Slots[s].Image);
        lefts[own.Slots[s].Image] = Rect(own.Slots[s].Image).left();
    }
    const int16_t claimed = ClaimedDiscardImage;
    StageOwn({8, 9, 10}, SlotExposedGang, false);
    GangChoices[0] = 8;
    ActorSeat = 1;
    Claim3(0, OpExposedGang, 0x29, 0x29, 0x29);
    EXPECT_EQ(own.sum, 10);
    EXPECT_EQ(own.FirstConcealed, 7);
    EXPECT_EQ(own.MeldEnd, 6);
    EXPECT_EQ(RunImages(), expected);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(Rect(expected[k]).left(), lefts[expected[k]] + 3 * CInt(48 * S())) << k;
    for (int k = 4; k < 10; ++k)
        EXPECT_EQ(Rect(expected[k]).left(), lefts[expected[k]]) << k;
    for (int s = 1; s <= 3; ++s)
        EXPECT_EQ(Rect(own.Slots[s].Image), QRectF(OwnMeldPlace(s), QSizeF(CInt(45 * S()), CInt(60 * S()))));
    EXPECT_EQ(Picture(own.Slots[2].Image), 353);
    EXPECT_EQ(Rect(claimed), QRectF(Rect(own.Slots[2].Image).left() + 1, own.HandY + 11 * ScaleY,
                                     CInt(45 * S()) - 2, CInt(60 * S())));
    EXPECT_EQ(Picture(claimed), Resource(General::TilePictureOf(0, 0x29)));
    EXPECT_TRUE(OnTopOfTiles(claimed));
    EXPECT_FALSE(NormalDraw);
    EXPECT_EQ(GangCount, 0);
    EXPECT_EQ(TileW[0], CInt(48 * S()));
    ExpectConsistent();
    // The replacement draw comes from the wall's tail and leaves the gang.
    const int16_t tail = WallTail;
    Draw(0, 0x31);
    EXPECT_EQ(own.Slots[own.FirstConcealed + own.sum - 1].Image, tail);
    EXPECT_EQ(Rect(claimed).top(), own.HandY + 11 * ScaleY);
    ExpectConsistent();
}

TEST_P(Claim, TheOwnConcealedGangShowsThreeBacksAndOneFace)
{
    Draw(0, 0x27);
    SeatRecord& own = custom[0];
    ASSERT_EQ(own.sum, 14);
    std::vector<int16_t> expected;
    for (int s = 8; s <= 17; ++s)
        expected.push_back(own.Slots[s].Image);
    const int16_t fourth = own.Slots[7].Image;
    StageOwn({4, 5, 6}, SlotConcealedGang, false);
    GangChoices[0] = 4;
    MarkClaimedTile = true;
    ActorSeat = 2;
    Claim3(0, OpConcealedGang, 0x11, 0x11, 0x11);
    EXPECT_EQ(own.sum, 10);
    EXPECT_EQ(RunImages(), expected);
    for (int s = 7; s <= 16; ++s)
        EXPECT_EQ(Rect(own.Slots[s].Image), QRectF(own.HandX + s * CInt(48 * S()), own.HandY, CInt(48 * S()),
                                                   CInt(78 * S()))) << s;
    for (int s = 1; s <= 3; ++s)
        EXPECT_EQ(Picture(own.Slots[s].Image), Resource(8)) << s;
    EXPECT_EQ(ClaimedDiscardImage, fourth);
    EXPECT_EQ(Picture(fourth), Resource(General::TilePictureOf(0, 0x11)));
    EXPECT_EQ(Rect(fourth).topLeft(), QPointF(Rect(own.Slots[2].Image).left() + 1, own.HandY + 11 * ScaleY));
    EXPECT_EQ(GangCount, 0);
    ExpectConsistent();
}

// ---- Added gangs and tiles set aside ---------------------------------------

TEST_P(Claim, TheOwnAddedTileLiesOnItsPeng)
{
    for (int at : {17, 12}) { // the last of the run, and one in the middle
        SCOPED_TRACE(at);
        Fresh();
        Discard(1, 0x11);
        SeatRecord& own = custom[0];
        StageOwn({4, 5}, SlotPeng, true);
        ActorSeat = 2;
        Claim3(0, OpPeng, 0x11, 0x11, 0x11);
        ASSERT_EQ(own.MeldEnd, 6);
        own.Slots[at].Code = 0x11;
        const int16_t added = own.Slots[at].Image;
        std::vector<int16_t> expected;
        std::map<int16_t, double> lefts;
        for (int s = 7; s <= 17; ++s)
            if (s != at) {
                expected.push_back(own.Slots[s].Image);
                lefts[own.Slots[s].Image] = Rect(own.Slots[s].Image).left() - (s > at ? CInt(48 * S()) : 0);
            }
        StageOwn({at}, SlotAddedGang, false);
        GangChoices[0] = static_cast<int16_t>(at);
        Claim3(0, OpAddedGang, 0, 0, 0x11);
        EXPECT_EQ(own.sum, 10);
        EXPECT_EQ(own.MeldEnd, 6);
        EXPECT_EQ(own.FirstConcealed, 7);
        EXPECT_EQ(RunImages(), expected);
        for (int16_t image : expected)
            EXPECT_EQ(Rect(image).left(), lefts[image]);
        EXPECT_EQ(ClaimedDiscardImage, added);
        EXPECT_EQ(ClaimedDiscard, 0x11);
        EXPECT_EQ(Rect(added).topLeft(), QPointF(Rect(own.Slots[2].Image).left(), own.HandY - 18 * ScaleY + 29 * ScaleY));
        EXPECT_EQ(Picture(added), Resource(General::TilePictureOf(0, 0x11)));
        EXPECT_TRUE(OnTopOfTiles(added));
        EXPECT_TRUE(SkipDiscardMove);
        ExpectConsistent();
    }
}

TEST_P(Claim, TheLeftSeatsAddedTileLiesOverTheMiddleOfItsSecondMeld)
{
    Discard(2, 0x29);
    ActorSeat = 2;
    Claim3(1, OpChi, 0x27, 0x28, 0x29);
    Discard(3, 0x46);
    ActorSeat = 1;
    Claim3(1, OpPeng, 0x46, 0x46, 0x46);
    SeatRecord& seat = custom[1];
    ASSERT_EQ(seat.MeldEnd, 10);
    const int sum = seat.sum;
    const int16_t added = seat.Slots[seat.FirstConcealed + sum - 1].Image;
    audio->ClearLog();
    Claim3(1, OpAddedGang, 0, 0, 0x46);
    EXPECT_EQ(seat.sum, sum - 1);
    EXPECT_EQ(seat.MeldEnd, 10);
    EXPECT_EQ(ClaimedDiscardImage, added);
    EXPECT_EQ(ClaimedDiscard, 0x46);
    EXPECT_EQ(Rect(added).topLeft(),
              QPointF(seat.HandX - 30 * ScaleX, seat.HandY + 6 * (TileH[1] - 17 * ScaleY) - 17 * ScaleY));
    EXPECT_EQ(Picture(added), Resource(General::TilePictureOf(1, 0x46)));
    EXPECT_TRUE(f->MJ_Image(added).Visible());
    EXPECT_EQ(f->Words.Picture().ResourceId(), CInt(Image_Resource::WordPicture[6]));
    EXPECT_EQ(seat.RedCount + seat.WildCount, 0);
    ExpectConsistent();
}

TEST_P(Claim, ATileWithNoPengIsSetAsideBesideTheHand)
{
    const struct {
        int side;
        int16_t code;
        bool red;
    } cases[] = {{3, 0x15, true}, {1, 0x15, true}, {1, 0x22, false}, {0, 0x15, true}, {0, 0x22, false},
                 {2, 0x22, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.side * 1000 + c.code);
        Fresh();
        SeatRecord& seat = custom[c.side];
        std::vector<int16_t> images;
        for (int n = 0; n < 5; ++n) {
            const int slot = c.side == 0 ? seat.FirstConcealed + seat.sum - 1 : 0;
            if (c.side == 0) {
                seat.Slots[slot].Code = c.code;
                StageOwn({slot}, SlotAddedGang, false);
                GangChoices[0] = static_cast<int16_t>(slot);
            }
            const int16_t image = c.side == 0 ? seat.Slots[slot].Image : seat.Slots[seat.FirstConcealed + seat.sum - 1].Image;
            images.push_back(image);
            Claim3(c.side, OpAddedGang, 0, 0, c.code);
            ExpectConsistent();
            const int k = std::min(n, 3);
            const float x = seat.HandX, y = seat.HandY, sx = ScaleX, sy = ScaleY;
            QPointF place;
            if (c.red)
                place = {c.side == 3 ? x - 10 * sx : x, y - k * 18 * sy};
            else if (c.side == 1)
                place = {x - 5 * sx, y + (TileH[1] - 17 * sy) - k * 18 * sy};
            else if (c.side == 0) // a meld tile's width from the hand's start
                place = {static_cast<double>(seat.HandX + CInt(45 * S()) - 2), y - k * 18 * sy};
            else
                place = {static_cast<double>(seat.HandX - TileW[2]), y - k * 18 * sy};
            EXPECT_EQ(Rect(image).topLeft(), place) << n;
            EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(static_cast<int16_t>(c.side), c.code))) << n;
            EXPECT_TRUE(f->MJ_Image(image).Visible());
        }
        EXPECT_EQ(c.red ? seat.RedCount : seat.WildCount, 4);
        EXPECT_EQ(c.red ? seat.WildCount : seat.RedCount, 0);
        if (c.red) {
            EXPECT_EQ(seat.Slots[0].Image, images[0]);
        }
        if (c.side != 2) {
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(SpecialTileImages(c.side, (c.red ? 0 : 4) + k), images[k]) << k;
        }
        if (c.side == 3) {
            // In front of the right hand, which the closing steps re-stack.
            for (int k = 0; k < 4; ++k)
                EXPECT_GT(At(images[k]), At(seat.Slots[seat.FirstConcealed].Image)) << k;
        }
        if (c.side == 1) {
            // The left seat's red dragons end in front, each over the one
            // below it; its first wild tile lies behind the hand, each later
            // one in front, over the one below it.
            const int hand = At(seat.Slots[seat.FirstConcealed].Image);
            for (int k = 0; k < 4; ++k) {
                if (c.red || k > 0) {
                    EXPECT_GT(At(images[k]), hand) << k;
                } else {
                    EXPECT_LT(At(images[k]), hand) << k;
                }
                if (k > 1 || (c.red && k > 0)) {
                    EXPECT_GT(At(images[k]), At(images[k - 1])) << k;
                }
            }
        }
    }
}

MJ_SEATED_CASES(Claim);

} // namespace
