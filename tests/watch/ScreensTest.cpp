// Pictures of the onlooker's table mid-hand, kept in the test artifacts: four
// rows of backs, pools of two rows and columns laid by a snapshot with the
// wall's turned tile, and a discard shown enlarged at the centre.
#include "WatchTable.h"

#include "watch/AI.h"
#include "watch/Side.h"

#include "client/Data.h"

#include <QImage>

using namespace mj;
using mjtest::WatchTable;

namespace {

class OnlookerScreens : public WatchTable {
protected:
    QString Path(const char* when) const
    {
        return mjtest::ArtifactDir()
            + QStringLiteral("/onlooker-%1-%2.png").arg(QLatin1String(when)).arg(small() ? "800x600" : "1024x768");
    }
    QSize ScreenSize() const { return small() ? QSize(800, 600) : QSize(1024, 768); }
};

TEST_P(OnlookerScreens, TheTableMidHandWithTheSnapshotsPoolsAndAPreview)
{
    mjtest::FitTableToScreen(*f, ScreenSize().width(), ScreenSize().height());
    NewHand(2, 7);
    WildTile = 0x23;
    FlippedWallTile = 0x27;
    VbArray<int16_t, 0, 11> tiles;
    for (int side = 0; side <= 3; ++side)
        Side::DrawTiles(MaskOf(side), 12, std::span<const int16_t>(tiles.data(), tiles.Count));

    // The snapshot's part: the turned tile, then nine discards a side.
    SnapshotTaken = 0;
    SnapshotHeadMax = 37;
    for (int side = 0; side <= 3; ++side)
        SideTileCounts[side] = 9;
    SnapshotWallPos = WallHead;
    AI::TurnWallTileFaceUp(WallHead);
    ++SnapshotTaken;
    Side::LayWallTiles();
    WallHead = static_cast<int16_t>((WallHead + SnapshotHeadMax) % 136);
    WatchSynced = true;
    EXPECT_EQ(SnapshotTaken, 37);

    VbArray<int16_t, 0, 3> draw;
    draw[3] = 0x41;
    Side::DrawTiles(MaskOf(3), 1, std::span<const int16_t>(draw.data(), draw.Count));
    bool previewSaved = false;
    look = [&] {
        previewSaved = f->SaveImage(Path("preview"));
        return QString();
    };
    Watch();
    Side::ShowDiscard(MaskOf(3), 0x89);
    EXPECT_EQ(Sleeps(), std::vector<int64_t>{1000});
    EXPECT_TRUE(previewSaved);
    EXPECT_EQ(QImage(Path("preview")).size(), ScreenSize());
    EXPECT_TRUE(f->SaveImage(Path("mid")));
    EXPECT_EQ(QImage(Path("mid")).size(), ScreenSize());
    ExpectConsistent();
}

TEST_P(OnlookerScreens, MeldsOnEverySideAndABubbleWithItsWord)
{
    mjtest::FitTableToScreen(*f, ScreenSize().width(), ScreenSize().height());
    NewHand(2, 7);
    WildTile = 0x23;
    VbArray<int16_t, 0, 11> dealt;
    for (int i = 0; i <= 11; ++i)
        dealt[i] = static_cast<int16_t>(0x41 + i % 9);
    for (int side = 0; side <= 3; ++side)
        Side::DrawTiles(MaskOf(side), 12, std::span<const int16_t>(dealt.data(), dealt.Count));
    const auto draw = [&](int side, int16_t code) {
        VbArray<int16_t, 0, 3> values;
        values[3] = code;
        Side::DrawTiles(MaskOf(side), 1, std::span<const int16_t>(values.data(), values.Count));
    };
    const auto discard = [&](int side, int16_t code) {
        draw(side, code);
        Side::ShowDiscard(MaskOf(side), code);
    };
    const auto claim = [&](int16_t op, int side, int16_t a, int16_t b, int16_t c) {
        VbArray<int16_t, 0, 2> tiles;
        tiles[0] = a;
        tiles[1] = b;
        tiles[2] = c;
        Side::ShowOperation(op, MaskOf(side), tiles);
    };

    discard(1, 0x83);
    claim(OpChi, 0, 0x82, 0x83, 0x84);              // the watched side's chi
    discard(0, 0x27);
    claim(OpExposedGang, 1, 0x27, 0x27, 0x27);      // the left side's raised fourth tile
    discard(3, 0x88);
    claim(OpPeng, 2, 0x88, 0x88, 0x88);             // the opposite side's peng ...
    draw(2, 0x88);
    claim(OpAddedGang, 2, 0, 0, 0x88);              // ... with the added tile on it
    discard(0, 0x86);
    claim(OpChi, 3, 0x85, 0x86, 0x87);              // the right side's chi
    for (int16_t code : {0x15, 0x23, 0x23}) {       // the right side's stacks
        draw(3, code);
        claim(OpAddedGang, 3, 0, 0, code);
    }
    discard(2, 0x16);
    WatchSynced = true;
    bool grabbed = false;
    look = [&] {
        grabbed = f->Speak(2).Visible() && f->Words.Visible() && f->SaveImage(Path("claim"));
        return QString();
    };
    Watch();
    claim(OpPeng, 3, 0x16, 0x16, 0x16);
    EXPECT_EQ(Sleeps(), std::vector<int64_t>{2000});
    EXPECT_TRUE(grabbed);
    EXPECT_EQ(QImage(Path("claim")).size(), ScreenSize());
    EXPECT_EQ(custom[3].RedCount, 1);
    EXPECT_EQ(custom[3].WildCount, 2);
    ExpectConsistent();
}

INSTANTIATE_TEST_SUITE_P(ScalesAndSeats, OnlookerScreens,
                         ::testing::Combine(::testing::Values(1.0f, ::mjtest::SmallScale), ::testing::Values(uint8_t{4})),
                         ::mjtest::SeatedCaseName);

} // namespace
