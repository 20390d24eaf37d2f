// The onlooker's discards: spoken in the discarder's voice, the last hand
// back turned face up, previewed enlarged at the table's centre for a second
// once the table is in step, and laid into the discarder's pool, where it
// waits for a claim.
#include "WatchTable.h"

#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "watch/Side.h"

#include <vector>

using namespace mj;
using mjtest::ExpectRightPoolStacked;
using mjtest::PoolPlace;
using mjtest::PoolSize;
using mjtest::DealtWatchTable;

namespace {

class ShowDiscard : public DealtWatchTable {
protected:
    QString Voice(int side, const QString& suffix) const
    {
        return Mod_Resource::VoiceDir + QStringLiteral("v0010%1%2.wav").arg(side % 2 ? "13" : "02", suffix);
    }
    QSizeF HandSize(int side) const
    {
        const QSizeF sizes[] = {{48, 78}, {35, 66}, {37, 50}, {35, 66}};
        return QSizeF(CInt(sizes[side].width() * S()), CInt(sizes[side].height() * S()));
    }
};

TEST_P(ShowDiscard, TheLastHandBackTurnsFaceUpIntoThePoolAndWaitsForAClaim)
{
    const struct {
        int side;
        int16_t tile;
        const char* voice;
    } cases[] = {{0, 0x89, "49"}, {1, 0x43, "83"}, {2, 0x27, "27"}, {3, 0x15, "15"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.side);
        audio->ClearLog();
        Watch();
        const int16_t image = mjtest::LastHandImage(c.side);
        Side::ShowDiscard(MaskOf(c.side), c.tile);

        EXPECT_EQ(Played(), QStringList{Voice(c.side, QLatin1String(c.voice))});
        EXPECT_TRUE(pauses.empty());
        EXPECT_EQ(ClaimedDiscard, c.tile);
        EXPECT_EQ(ClaimedDiscardImage, image);
        EXPECT_EQ(DiscarderSide, c.side);
        EXPECT_EQ(custom[c.side].sum, 11);
        EXPECT_EQ(BlinkCount, 0); // no blink on the onlooker's table
        EXPECT_EQ(Rect(image), QRectF(PoolPlace(c.side, 0), PoolSize(c.side)));
        EXPECT_EQ(Picture(image), Resource(36 * c.side + 9 * General::MaskToIndex(c.tile >> 4) + (c.tile & 15) - 1));
        EXPECT_TRUE(f->MJ_Image(image).Visible());
        EXPECT_EQ(QPointF(PoolCursorBeforeDiscardX, PoolCursorBeforeDiscardY), PoolPlace(c.side, 0));
        EXPECT_EQ(QPointF(custom[c.side].PoolX, custom[c.side].PoolY), PoolPlace(c.side, 1));
        EXPECT_EQ(QSizeF(TileW[c.side], TileH[c.side]), HandSize(c.side));
        // The watched side's tile goes behind every tile; the others' come
        // in front (the right pool's by its re-stack).
        if (c.side == 0) {
            for (int i = 0; i <= 135; ++i)
                if (i != image) {
                    EXPECT_GT(At(i), At(image)) << i;
                }
        } else {
            EXPECT_TRUE(OnTopOfTiles(image));
        }
        ExpectConsistent();
    }
}

TEST_P(ShowDiscard, EachPoolTakesEightToARowOrColumnAndKeepsTheCursorEachTileTook)
{
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        const int count = side == 3 ? 33 : 17;
        std::vector<int16_t> laid;
        for (int k = 0; k < count; ++k) {
            Draw(side);
            laid.push_back(mjtest::LastHandImage(side));
            Side::ShowDiscard(MaskOf(side), 0x41);
            EXPECT_EQ(Rect(laid.back()), QRectF(PoolPlace(side, k), PoolSize(side))) << k;
            EXPECT_EQ(QPointF(PoolCursorBeforeDiscardX, PoolCursorBeforeDiscardY), PoolPlace(side, k)) << k;
            if (side == 3 && (k + 1 == 8 || k + 1 == 9 || k + 1 == 17 || k + 1 == 25 || k + 1 == 33))
                ExpectRightPoolStacked(laid);
        }
        EXPECT_EQ(custom[side].sum, 12);
        for (size_t k = 1; k < laid.size(); ++k) {
            if (side == 0) {
                EXPECT_LT(At(laid[k]), At(laid[k - 1]));
            }
            if (side == 1 || side == 2) {
                EXPECT_GT(At(laid[k]), At(laid[k - 1]));
            }
        }
        ExpectConsistent();
    }
    EXPECT_EQ(RightPoolCount, 33);
}

TEST_P(ShowDiscard, InStepWithTheTableTheDiscardIsFirstShownEnlargedAtTheCentreForASecond)
{
    WatchSynced = true;
    SnapshotWallPos = 100;
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        const int16_t image = mjtest::LastHandImage(side);
        QRectF shown;
        bool onTop = false;
        look = [&] {
            shown = Rect(image);
            onTop = OnTopOfTiles(image);
            return QString();
        };
        Watch();
        Side::ShowDiscard(MaskOf(side), 0x24);
        EXPECT_EQ(Sleeps(), std::vector<int64_t>{1000});
        const QSizeF big = PoolSize(side) * 1.2;
        const QPointF centre(512 * S(), 384 * S());
        EXPECT_EQ(shown, QRectF(centre - QPointF(big.width() / 2, big.height() / 2), big));
        EXPECT_EQ(onTop, side == 1 || side == 2);
        EXPECT_EQ(Rect(image), QRectF(PoolPlace(side, 0), PoolSize(side)));
        // The turned wall tile of the snapshot stays over the pool.
        EXPECT_TRUE(OnTopOfTiles(100));
    }
}

TEST_P(ShowDiscard, BeforeASnapshotNoWallImageIsBroughtForward)
{
    // Without a snapshot no image shows a turned wall tile: the image that
    // SnapshotWallPos names keeps its place under the others.
    SnapshotWallPos = 100;
    f->MJ_Image(100).ZOrder(1);
    Side::ShowDiscard(MaskOf(2), 0x81);
    for (int i = 0; i <= 135; ++i) {
        if (i != 100) {
            EXPECT_GT(At(i), At(100)) << i;
        }
    }
}

TEST_P(ShowDiscard, WithTheSoundOffNothingIsSpokenAndTheRestIsTheSame)
{
    Mod_Sound::FunctionSoundOn = false;
    const int16_t image = mjtest::LastHandImage(2);
    Side::ShowDiscard(MaskOf(2), 0x11);
    EXPECT_TRUE(Played().isEmpty());
    EXPECT_EQ(Rect(image), QRectF(PoolPlace(2, 0), PoolSize(2)));
    EXPECT_EQ(custom[2].sum, 11);
}

// A discard whose code names no tile lies in its pool as the side's lying
// back at the pool size, not as a standing back squeezed into it.
TEST_P(ShowDiscard, ACodeThatNamesNoTileLiesAsALyingBackAndIsNotSpoken)
{
    const int16_t codes[] = {0x00, 0x18, 0x2A, 0x31, 0xF5};
    for (int side = 0; side <= 3; ++side) {
        for (int k = 0; k < 5; ++k) {
            SCOPED_TRACE(testing::Message() << "side " << side << ", code " << codes[k]);
            audio->ClearLog();
            const int16_t image = mjtest::LastHandImage(side);
            Side::ShowDiscard(MaskOf(side), codes[k]);
            EXPECT_TRUE(Played().isEmpty());
            EXPECT_EQ(Picture(image), Resource(36 * side + 8));
            EXPECT_EQ(Rect(image), QRectF(PoolPlace(side, k), PoolSize(side)));
            EXPECT_EQ(ClaimedDiscardImage, image);
        }
    }
}

TEST_P(ShowDiscard, ADiscardWithNoTileToGiveIsSpokenButNothingMovesAndNoneWaits)
{
    const std::function<void(SeatRecord&)> breaks[] = {
        [](SeatRecord& seat) { seat.sum = 0; },
        // The slot before the run holds a meld tile.
        [](SeatRecord& seat) {
            seat.FirstConcealed = 7;
            seat.Slots[6] = TileSlot{SlotPeng, 0x11, seat.Slots[4].Image};
            seat.sum = 0;
        },
        [](SeatRecord& seat) { seat.sum = -2; },
        [](SeatRecord& seat) { seat.Slots[seat.FirstConcealed + seat.sum - 1].Image = -1; },
        [](SeatRecord& seat) { seat.Slots[seat.FirstConcealed + seat.sum - 1].Image = 136; },
        [](SeatRecord& seat) { seat.sum = 30; },
    };
    int n = 0;
    for (const auto& broken : breaks) {
        SCOPED_TRACE(n++);
        NewHand();
        Deal(3);
        broken(custom[3]);
        const SeatRecord before = custom[3];
        const QList<QString> order = f->Pic1.DrawingOrder();
        audio->ClearLog();
        ClaimedDiscardImage = 5;
        Side::ShowDiscard(MaskOf(3), 0x29);
        EXPECT_EQ(Played(), QStringList{Voice(3, QStringLiteral("29"))});
        EXPECT_EQ(ClaimedDiscardImage, -1);
        EXPECT_EQ(custom[3].sum, before.sum);
        EXPECT_EQ(custom[3].PoolX, before.PoolX);
        EXPECT_EQ(custom[3].PoolY, before.PoolY);
        EXPECT_EQ(RightPoolCount, 0);
        EXPECT_EQ(f->Pic1.DrawingOrder(), order);
    }
}

TEST_P(ShowDiscard, ASeatMaskThatIsNotOneSeatChangesNothing)
{
    ClaimedDiscard = 0x11;
    ClaimedDiscardImage = 7;
    for (uint8_t mask : {0, 3, 6, 15, 16}) {
        Side::ShowDiscard(mask, 0x22);
        EXPECT_EQ(ClaimedDiscard, 0x11);
        EXPECT_EQ(ClaimedDiscardImage, 7);
        for (int side = 0; side <= 3; ++side)
            EXPECT_EQ(custom[side].sum, 12);
    }
    EXPECT_TRUE(Played().isEmpty());
}

MJ_SEATED_CASES(ShowDiscard);

} // namespace
