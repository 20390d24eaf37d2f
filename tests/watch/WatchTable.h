// The onlooker's table of the watch-mode tests: the seated tests' table (both
// scales, the watched player at mask 1 or 4, walls built, clock driven,
// pauses seen, sounds recorded) in watch mode, with a hall in this process so
// that a path that ends watching can be seen to restore it first.
#pragma once

#include "FakeHall.h"
#include "SeatedTable.h"

#include "client/Data.h"
#include "seated/TableTiles.h"
#include "table/TileSizes.h"

#include <memory>

namespace mjtest {

class WatchTable : public SeatedTable {
protected:
    void SetUp() override
    {
        SeatedTable::SetUp();
        mj::WatchMode = true;
        mj::HallTitle = QStringLiteral("旁观测试大厅");
        hall = std::make_unique<FakeHall>(mj::HallTitle);
        ASSERT_TRUE(hall->Listening());
    }

    // Runs `body`; true when it restored the hall window and then ended the
    // program.
    bool EndsWatching(const std::function<void()>& body)
    {
        const qsizetype before = hall->SettledLog().count(QStringLiteral("restore"));
        if (!EndsProgram(body))
            return false;
        return hall->SettledLog().count(QStringLiteral("restore")) == before + 1;
    }

    // A pool's tile at the screen's scale: the design size rounded.
    QSizeF PoolSize(int side) const
    {
        return QSizeF(mj::ScaledWidth(mj::PoolTileSize[side]), mj::ScaledHeight(mj::PoolTileSize[side]));
    }

    // Where the k-th tile (from 0) of a side's pool lies, from the pool's
    // origin, by the worked steps at each scale: per tile, and per new row
    // or column of eight.
    QPointF PoolPlace(int side, int k) const
    {
        struct Steps {
            int tileDx, tileDy, rowDx, rowDy;
        };
        static constexpr Steps normal[] = {{36, 0, 0, -32}, {-5, 18, 43, 0}, {-30, 0, 0, 22}, {-5, -18, -43, 0}};
        static constexpr Steps smallSteps[] = {{28, 0, 0, -25}, {-5, 14, 34, 0}, {-23, 0, 0, 17}, {-5, -14, -34, 0}};
        const Steps& s = small() ? smallSteps[side] : normal[side];
        const mj::SeatRecord& seat = mj::custom[side];
        const int row = k / 8, i = k % 8;
        return QPointF(seat.PoolRowX + row * s.rowDx + i * s.tileDx, seat.PoolRowY + row * s.rowDy + i * s.tileDy);
    }

    // The right pool's drawing order: within a column an earlier tile lies
    // over a later one; a later column lies over an earlier one.
    void ExpectRightPoolStacked(const std::vector<int16_t>& laid)
    {
        for (size_t a = 0; a < laid.size(); ++a)
            for (size_t b = a + 1; b < laid.size(); ++b) {
                if (a / 8 == b / 8)
                    EXPECT_GT(At(laid[a]), At(laid[b])) << "tiles " << a << " and " << b << " of " << laid.size();
                else
                    EXPECT_GT(At(laid[b]), At(laid[a])) << "tiles " << a << " and " << b << " of " << laid.size();
            }
    }

    std::unique_ptr<FakeHall> hall;
};

} // namespace mjtest
