// The onlooker's table of the watch-mode tests: the seated tests' table (both
// scales, the watched player at mask 1 or 4, walls built, clock driven,
// pauses seen, sounds recorded) in watch mode, with a hall in this process so
// that a path that ends watching can be seen to restore it first.
#pragma once

#include "FakeHall.h"
#include "SeatedTable.h"
#include "WatchGeometry.h"

#include "client/Data.h"
#include "seated/TableTiles.h"
#include "table/TileSizes.h"
#include "watch/Side.h"

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

    std::unique_ptr<FakeHall> hall;
};

// An onlooker's table with twelve tiles dealt to every side (0x21 to 0x29
// and round again), the sound log cleared, then watched.
class DealtWatchTable : public WatchTable {
protected:
    void SetUp() override
    {
        WatchTable::SetUp();
        for (int side = 0; side <= 3; ++side)
            Deal(side);
        audio->ClearLog();
        Watch();
    }
    void Deal(int side)
    {
        mj::VbArray<int16_t, 0, 11> tiles;
        for (int i = 0; i <= 11; ++i)
            tiles[i] = static_cast<int16_t>(0x21 + i % 9);
        mj::Side::DrawTiles(MaskOf(side), 12, std::span<const int16_t>(tiles.data(), tiles.Count));
    }
    // One tile drawn by `side` (value(3) of the draw frame).
    void Draw(int side)
    {
        mj::VbArray<int16_t, 0, 3> values;
        values[3] = 0x83;
        mj::Side::DrawTiles(MaskOf(side), 1, std::span<const int16_t>(values.data(), values.Count));
    }
};

} // namespace mjtest
