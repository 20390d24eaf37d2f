// The table's completion after four user informations: the compass, and a
// voice pack for every player, the draws fixed by the test.
#include "dispatch/DispatchTable.h"

#include "client/Data.h"
#include "dispatch/Total.h"

#include <vector>

using namespace mj;
using mjtest::Dispatch;
using mjtest::frames::UserInfo;

namespace {

class Completion : public DispatchTable {
protected:
    void TearDown() override { Total::VoicePackDraw = nullptr; }

    // Draws that give these slots of a table of `slots` entries.
    void FixDraws(std::vector<int> picks, int slotCount)
    {
        auto next = std::make_shared<size_t>(0);
        Total::VoicePackDraw = [picks, slotCount, next] {
            const int slot = picks.at((*next)++ % picks.size());
            return (slot + 0.5) / slotCount;
        };
    }

    // The seat names have come in; four members with these sexes follow.
    void CompleteWith(const std::vector<uint8_t>& sexes, const std::vector<QByteArray>& packs = {})
    {
        custom[0].SeatMask = 2;
        CountUserInfos = true;
        FrameGroupCount = 0;
        const uint8_t seats[] = {15, 1, 8, 4}; // sides 0, 1, 2, 3 from seat mask 2
        for (int k = 0; k < 4; ++k) {
            UserInfo frame(seats[k]);
            frame.Name(QStringLiteral("玩家%1").arg(k)).Coins(100).Sex(sexes.at(k));
            if (k < static_cast<int>(packs.size())) {
                frame.Bytes(210, packs[k].left(8)); // the language
                frame.Bytes(218, packs[k].mid(8));  // the pack
            }
            Dispatch(frame);
        }
    }
};

TEST_F(Completion, TheFourthFrameCompletesTheTableOnce)
{
    FixDraws({0}, 6);
    w->ZhiNan.SetVisible(false);
    CompleteWith({0, 0, 0, 0});
    EXPECT_FALSE(CountUserInfos);
    EXPECT_EQ(FrameGroupCount, 5);
    EXPECT_TRUE(w->ZhiNan.Visible());
    // Later frames no longer count.
    Players[1].VoicePack = QStringLiteral("xx");
    Dispatch(UserInfo(15).Name(QStringLiteral("再来")));
    EXPECT_EQ(FrameGroupCount, 5);
    EXPECT_EQ(Players[1].VoicePack, QStringLiteral("xx"));
}

TEST_F(Completion, FourWomenDrawingOneSlotGetTheLowestFreeOnes)
{
    FixDraws({3}, 6);
    CompleteWith({0, 0, 0, 0});
    const QString expected[] = {QStringLiteral("10"), QStringLiteral("10"), QStringLiteral("20"),
                                QStringLiteral("30")};
    for (int i = 0; i <= 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Players[i].VoicePack, expected[i]);
        EXPECT_EQ(Players[i].VoiceLang, QStringLiteral("00"));
        EXPECT_EQ(SeatVoicePack[i], expected[i]);
        EXPECT_EQ(Players[i].VoiceSex, 2);
    }
    EXPECT_TRUE(VoicePackUsedFemale[0] && VoicePackUsedFemale[1] && VoicePackUsedFemale[2] && VoicePackUsedFemale[3]);
}

TEST_F(Completion, TwoMenTakeDifferentSlots)
{
    FixDraws({2, 2, 1, 3}, 5); // the men draw 2 and 2 (then 0); the women 1 and 3
    CompleteWith({1, 1, 0, 0});
    EXPECT_EQ(Players[0].VoicePack, QStringLiteral("10")); // slot 2
    EXPECT_EQ(Players[1].VoicePack, QStringLiteral("10")); // slot 0, the lowest free
    EXPECT_TRUE(VoicePackUsedMale[0] && VoicePackUsedMale[2]);
    EXPECT_FALSE(VoicePackUsedMale[1]);
    EXPECT_EQ(Players[0].VoiceSex, 3);
    EXPECT_EQ(Players[2].VoiceSex, 2);
}

TEST_F(Completion, NeitherSexKeepsACleanPackFromTheFrameOnly)
{
    FixDraws({0}, 6);
    CompleteWith({2, 2, 2, 0}, {QByteArray("05\0\0\0\0\0\0" "22", 10), QByteArray("../\0\0\0\0\0" "22", 10),
                                QByteArray("05\0\0\0\0\0\0" "a/b", 11)});
    EXPECT_EQ(Players[0].VoiceLang, QStringLiteral("05"));
    EXPECT_EQ(Players[0].VoicePack, QStringLiteral("22"));
    EXPECT_EQ(Players[1].VoiceLang, QStringLiteral("00"));
    EXPECT_EQ(Players[1].VoicePack, QStringLiteral("10"));
    EXPECT_EQ(Players[2].VoiceLang, QStringLiteral("00"));
    EXPECT_EQ(Players[2].VoicePack, QStringLiteral("10"));
    EXPECT_EQ(SeatVoicePack[0], QStringLiteral("22"));
    for (int i = 0; i <= 2; ++i)
        EXPECT_EQ(Players[i].VoiceSex, 3) << i;
}

} // namespace
