// A table laid out and reset for a hand, its walls built, the four seats
// taken, the clock driven and every pause seen, the sounds recorded: the
// set-up of the tests that put tiles into play. Parameters: the scale and the
// own seat's mask, so that sides and seat indexes cannot be confused unseen.
#pragma once

#include "SlotCheck.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Program.h"
#include "seated/Operate.h"
#include "seated/TableTiles.h"
#include "table/General.h"
#include "table/NewGame.h"
#include "table/Operate.h"

#include <QDir>
#include <QRectF>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace mjtest {

constexpr float SmallScale = 0.78125f;

class SeatedTable : public ::testing::TestWithParam<std::tuple<float, uint8_t>> {
protected:
    // What the test saw at a pause: a blocking sleep or one turn of a wait.
    struct Pause {
        bool sleep;
        int64_t ms;
        QString seen;
    };

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("program"));
        mj::SetProgramFolder(dir.filePath(QStringLiteral("program")));
        mj::Mod_Resource::InitSoundFiles();
        auto owned = std::make_unique<mj::Audio::RecordingBackend>();
        audio = owned.get();
        mj::Audio::SetBackend(std::move(owned));

        mj::Clock::UseDrivenClock(10 * 3600.0);
        f = &LaidOutTable(scale());
        for (int side = 0; side <= 3; ++side) {
            mj::custom[side].SeatMask = MaskOf(side);
            mj::Players[side].VoiceLang = QStringLiteral("00");
            mj::Players[side].VoicePack = QStringLiteral("10");
            mj::Players[side].Sex = side % 2 ? 1 : 0;
            mj::Players[side].VoiceSex = side % 2 ? 3 : 2;
        }
        NewHand();
    }
    void TearDown() override
    {
        mj::Clock::UseRealClock();
        mj::SetProgramFolder(QString());
    }

    float scale() const { return std::get<0>(GetParam()); }
    bool small() const { return scale() < 1; }
    uint8_t ownMask() const { return std::get<1>(GetParam()); }
    double S() const { return scale(); }

    // The absolute seat mask of a side as seen from the own seat.
    uint8_t MaskOf(int side) const
    {
        const int own = mj::General::MaskToIndex(ownMask());
        return static_cast<uint8_t>(1 << ((own - side + 4) % 4));
    }

    // The reset sequence, the walls built and the wall's ends where the round
    // start puts them for this banker's side and these dice.
    void NewHand(int bankerSide = 0, int dice = 4)
    {
        mj::NewGame::ResetTableForRound();
        mj::NewGame::ClearTableAndPlaceWalls();
        mj::NewGame::ResetRoundData();
        mj::Clock::SetIdleStep(nullptr);
        mj::Clock::SetSleepObserver(nullptr);
        mj::NewGame::AnimateWallBuilding();
        mj::custom[bankerSide].IsBanker = true;
        mj::WallHead = static_cast<int16_t>(((((bankerSide + 13 - dice / 2) % 4) * 17 + dice) * 2) % 136);
        mj::WallTail = static_cast<int16_t>((mj::WallHead + 134) % 136);
        Watch();
    }

    // Notes every blocking pause and every turn of a wait (4 ms each).
    void Watch()
    {
        pauses.clear();
        mj::Clock::SetIdleStep([this] {
            pauses.push_back({false, 0, look()});
            mj::Clock::Advance(0.004);
        });
        mj::Clock::SetSleepObserver([this](int64_t ms) { pauses.push_back({true, ms, look()}); });
    }
    std::vector<int64_t> Sleeps() const
    {
        std::vector<int64_t> ms;
        for (const Pause& p : pauses)
            if (p.sleep)
                ms.push_back(p.ms);
        return ms;
    }

    void Deal(int side, const std::vector<int16_t>& codes)
    {
        mj::VbArray<int16_t, 0, 11> tiles;
        for (size_t i = 0; i < codes.size() && i < 12; ++i)
            tiles[static_cast<int>(i)] = codes[i];
        mj::Operate::DrawFromWall(MaskOf(side), 12, tiles);
    }
    void Draw(int side, int16_t code = 0x11)
    {
        mj::VbArray<int16_t, 0, 3> values;
        values[3] = code;
        mj::Operate::DrawFromWall(MaskOf(side), 1, values);
    }

    // The own discard parked as the player's click parks it: the tile leaves
    // the concealed run, shows its face at the own pool size at the centre,
    // sent to the back, and the run closes up.
    int16_t ParkOwnDiscard(int slot)
    {
        mj::SeatRecord& own = mj::custom[0];
        const int16_t image = own.Slots[slot].Image;
        const int16_t code = own.Slots[slot].Code;
        for (int i = slot; i < own.FirstConcealed + own.sum - 1; ++i) {
            own.Slots[i].Code = own.Slots[i + 1].Code;
            own.Slots[i].Image = own.Slots[i + 1].Image;
            f->MJ_Image(own.Slots[i].Image).SetLeft(own.HandX + i * mj::TileW[0]);
        }
        --own.sum;
        mj::Image& tile = f->MJ_Image(image);
        mj::General::ShowTileImage(image, mj::General::TilePictureOf(0, code));
        mj::Operate::ParkAtCentre(tile, mj::CInt(36 * S()), mj::CInt(50 * S()));
        tile.ZOrder(1);
        mj::ClaimedDiscardImage = image;
        mj::DiscarderSide = 0;
        mj::ParkedOwnTile = code;
        return code;
    }

    QRectF Rect(int image) const
    {
        const mj::Image& t = f->MJ_Image(image);
        return QRectF(t.Left(), t.Top(), t.Width(), t.Height());
    }
    int Picture(int image) const { return f->MJ_Image(image).Picture().ResourceId(); }
    // The resource id of a TilePicture entry.
    static int Resource(int entry) { return mj::CInt(mj::Image_Resource::TilePicture[entry]); }
    // Position in the table's drawing order (bottom first).
    int At(int image) const
    {
        return static_cast<int>(f->Pic1.DrawingOrder().indexOf(QStringLiteral("MJ_Image(%1)").arg(image)));
    }
    // Drawn over every other tile image.
    bool OnTopOfTiles(int image) const
    {
        for (int i = 0; i <= 135; ++i)
            if (i != image && At(i) > At(image))
                return false;
        return true;
    }
    QStringList Played() const
    {
        QStringList played;
        for (const QString& line : audio->Log())
            if (line.startsWith(QLatin1String("create ")))
                played << line.mid(7).remove(QStringLiteral(" failed"));
        return played;
    }
    void ExpectConsistent(const char* where = "")
    {
        const QStringList faults = CheckSlots();
        EXPECT_TRUE(faults.isEmpty()) << where << ": " << faults.join(u'\n').toStdString();
    }

    QTemporaryDir dir;
    mj::Audio::RecordingBackend* audio = nullptr;
    mj::MainForm* f = nullptr;
    std::vector<Pause> pauses;
    std::function<QString()> look = [] { return QString(); };
};

inline std::string SeatedCaseName(const ::testing::TestParamInfo<std::tuple<float, uint8_t>>& info)
{
    return (std::get<0>(info.param) < 1 ? std::string("Small") : std::string("Normal")) + "OwnMask"
        + std::to_string(std::get<1>(info.param));
}

#define MJ_SEATED_CASES(fixture)                                                                                   \
    INSTANTIATE_TEST_SUITE_P(ScalesAndSeats, fixture,                                                              \
                             ::testing::Combine(::testing::Values(1.0f, ::mjtest::SmallScale),                     \
                                                ::testing::Values(uint8_t{1}, uint8_t{4})),                        \
                             ::mjtest::SeatedCaseName)

} // namespace mjtest
