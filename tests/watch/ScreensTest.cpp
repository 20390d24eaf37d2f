// Pictures of the onlooker's table mid-hand, kept in the test artifacts: four
// rows of backs, pools of two rows and columns laid by a snapshot with the
// wall's turned tile, and a discard shown enlarged at the centre.
#include "WatchTable.h"

#include "watch/AI.h"
#include "watch/Side.h"

#include <QImage>

using namespace mj;
using mjtest::ExpectRightPoolStacked;
using mjtest::PoolPlace;
using mjtest::PoolSize;
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

INSTANTIATE_TEST_SUITE_P(ScalesAndSeats, OnlookerScreens,
                         ::testing::Combine(::testing::Values(1.0f, ::mjtest::SmallScale), ::testing::Values(uint8_t{4})),
                         ::mjtest::SeatedCaseName);

} // namespace
