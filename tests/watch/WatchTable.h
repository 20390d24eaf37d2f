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

} // namespace mjtest
