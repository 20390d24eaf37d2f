// Tiles turned up at the wall's end: face up where they lie, then at the
// centre, then into the pools in the order of play; a kept last tile, a lifted
// lower tile, and reveals longer than the block or the wall.
#include "SeatedTable.h"

#include <set>

using namespace mj;
using mjtest::SeatedTable;

namespace {

class RevealWallTail : public SeatedTable {
protected:
    void Reveal(bool keep, std::vector<uint8_t> tiles, int count = -1)
    {
        VbArray<uint8_t, 0, 100> block;
        block[0] = keep ? 1 : 0;
        block[1] = static_cast<uint8_t>(count >= 0 ? count : static_cast<int>(tiles.size()));
        for (size_t i = 0; i < tiles.size() && i < 99; ++i)
            block[static_cast<int>(i) + 2] = tiles[i];
        Operate::RevealWallTail(block);
    }
    // The side whose pool takes the first tile: the seat with mask 8.
    int FirstPool() const { return (General::MaskToIndex(ownMask()) + 1) & 3; }
    // Turns of the waits (4 ms each) seen with a given look.
    int Turns(const QString& seen) const
    {
        int n = 0;
        for (const Pause& p : pauses)
            n += !p.sleep && p.seen == seen ? 1 : 0;
        return n;
    }
    int16_t watched = -1;
    QString Describe() const
    {
        const QRectF r = Rect(watched);
        return QStringLiteral("%1 %2,%3 %4x%5").arg(Picture(watched)).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
    bool OnCentre(int16_t image) const { return Rect(image).contains(General::TableCentre());
    }
};

TEST_P(RevealWallTail, NoTilesOnlyChoosesTheFirstPool)
{
    const int16_t tail = WallTail;
    Reveal(false, {});
    EXPECT_EQ(WallRevealSide, FirstPool());
    EXPECT_EQ(WallTail, tail);
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(Operate::WallTilesLeft(), 136);
    // A second reveal of the hand goes on from where the turn stands.
    WallRevealSide = 2;
    Reveal(false, {});
    EXPECT_EQ(WallRevealSide, 2);
}

TEST_P(RevealWallTail, AKeptLastTileStaysFaceUpInTheWall)
{
    const int16_t tail = WallTail; // 108, an upper tile of the right wall
    watched = tail;
    look = [this] { return Describe(); };
    const QRectF inWall = Rect(tail);
    Reveal(true, {0x27});
    const QString faceUp = QStringLiteral("%1 %2,%3 %4x%5")
                               .arg(Resource(General::TilePictureOf(3, 0x27)))
                               .arg(inWall.x()).arg(inWall.y()).arg(inWall.width()).arg(inWall.height());
    EXPECT_GE(Turns(faceUp), 250);
    EXPECT_EQ(static_cast<int>(pauses.size()), Turns(faceUp));
    EXPECT_EQ(Describe(), faceUp);
    EXPECT_EQ(WallTail, tail);
    EXPECT_TRUE(InWall[tail]);
    EXPECT_EQ(WallRevealSide, FirstPool());
    ExpectConsistent();
}

TEST_P(RevealWallTail, ThreeTilesGoToThePoolsInTheOrderOfPlay)
{
    const int16_t tail = WallTail;
    std::vector<int16_t> images = {tail, static_cast<int16_t>(tail + 1), static_cast<int16_t>(tail - 2)};
    const uint8_t codes[] = {0x31 - 0x10, 0x45, 0x88};
    std::vector<QString> seen;
    look = [&] {
        QStringList all;
        for (int16_t image : images) {
            watched = image;
            all << Describe() + (OnCentre(image) ? QStringLiteral(" centre") : QString());
        }
        return all.join(u'|');
    };
    std::vector<QPointF> pools;
    for (int k = 0; k < 3; ++k) {
        const int side = (FirstPool() + 3 * k) % 4;
        pools.emplace_back(custom[side].PoolX, custom[side].PoolY);
    }
    Reveal(false, {codes[0], codes[1], codes[2]});

    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const int16_t image = images[static_cast<size_t>(k)];
        const int side = (FirstPool() + 3 * k) % 4;
        // At the centre at 36 x 50 at either scale during the second second.
        int atCentre = 0;
        for (const Pause& p : pauses) {
            watched = image;
            const QStringList parts = p.seen.split(u'|');
            if (parts[k].startsWith(QString::number(Resource(General::TilePictureOf(0, codes[k]))) + u' ')
                && parts[k].endsWith(QStringLiteral(" 36x50 centre")))
                ++atCentre;
        }
        EXPECT_GE(atCentre, 250);
        EXPECT_LE(atCentre, 251);
        if (atCentre > 251) {
            std::set<QString> distinct;
            for (const Pause& p : pauses)
                distinct.insert(p.seen.split(u'|')[k]);
            for (const QString& d : distinct)
                ADD_FAILURE() << d.toStdString();
        }
        const QRectF r = Rect(image);
        EXPECT_EQ(r.topLeft(), pools[static_cast<size_t>(k)]);
        EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(side, codes[k])));
        EXPECT_FALSE(InWall[image]);
    }
    EXPECT_EQ(WallRevealSide, (FirstPool() + 9) % 4);
    EXPECT_EQ(WallTail, (tail + 135) % 136); // three tiles back: +1, -3, +1
    EXPECT_GE(static_cast<int>(pauses.size()), 6 * 250);
    EXPECT_LE(static_cast<int>(pauses.size()), 6 * 251);
    ExpectConsistent();
    if (FirstPool() == 1) {
        EXPECT_EQ(WallRevealSide, 2);
    }
}

TEST_P(RevealWallTail, ALowerTileAtThirtyFiveIsLiftedAsTheOwnWallsTile)
{
    WallHead = 90;
    WallTail = 35;
    Operate::TakeWallTile(34); // the tail took its upper tile
    Reveal(true, {0x23});
    const QRectF below = Rect(32);
    EXPECT_EQ(Rect(35), QRectF(below.x(), below.y() - 22 * S(), CInt(36 * S()), CInt(50 * S())));
    EXPECT_EQ(Picture(35), Resource(General::TilePictureOf(0, 0x23)));
    ExpectConsistent();
}

TEST_P(RevealWallTail, ARightPoolTileJoinsItsOrderList)
{
    WallRevealSide = 3;
    const int16_t tail = WallTail;
    Reveal(false, {0x11});
    EXPECT_EQ(RightPoolCount, 1);
    EXPECT_EQ(RightPoolOrder[0], tail);
    EXPECT_EQ(WallRevealSide, 2);
    ExpectConsistent();
}

TEST_P(RevealWallTail, ACountAboveTheBlocksRoomReadsNinetyNine)
{
    Clock::SetIdleStep([] { Clock::Advance(0.5); });
    Clock::SetSleepObserver(nullptr);
    std::vector<uint8_t> tiles(99, 0x22);
    Reveal(false, tiles, 255);
    EXPECT_EQ(Operate::WallTilesLeft(), 136 - 99);
    ExpectConsistent();
}

TEST_P(RevealWallTail, AWallWithoutTilesRevealsNothing)
{
    Clock::SetIdleStep([] { Clock::Advance(0.5); });
    Clock::SetSleepObserver(nullptr);
    for (int i = 0; i <= 135; ++i)
        if (i != WallTail && i != (WallTail + 1) % 136)
            Operate::TakeWallTile(static_cast<int16_t>(i));
    Reveal(false, {0x11, 0x12, 0x13, 0x14, 0x15});
    EXPECT_EQ(Operate::WallTilesLeft(), 0);
    // The two tiles went to the first two pools; the turn stopped there.
    EXPECT_EQ(WallRevealSide, (FirstPool() + 6) % 4);
    ExpectConsistent();
}

// Where the two ends have met, the last tile can stand where neither points
// (tile 108 with the head at 110 and the tail at 109): it is the one turned
// up, and it goes into the first pool.
TEST_P(RevealWallTail, AStrandedLastTileIsTurnedUpWhereItStands)
{
    Clock::SetIdleStep([] { Clock::Advance(0.5); });
    Clock::SetSleepObserver(nullptr);
    for (int i = 0; i <= 135; ++i)
        if (i != 108)
            Operate::TakeWallTile(static_cast<int16_t>(i));
    WallHead = 110;
    WallTail = 109;
    Reveal(false, {0x23});
    EXPECT_EQ(Operate::WallTilesLeft(), 0);
    EXPECT_EQ(Picture(108), Resource(General::TilePictureOf(static_cast<int16_t>(FirstPool()), 0x23)));
    EXPECT_EQ(WallRevealSide, (FirstPool() + 3) % 4);
    ExpectConsistent();
}

MJ_SEATED_CASES(RevealWallTail);

} // namespace
