// The dispatcher's entry: the session token, the routes to the props
// plug-in, the frame rules and the error trap.
#include "DispatchTable.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "client/Total.h"
#include "dispatch/FrameRules.h"
#include "dispatch/Total.h"
#include "platform/Audio.h"
#include "social/Mod_Prop.h"

using namespace mj;
using mjtest::ServerFrame;
namespace frames = mjtest::frames;

namespace {

QString recMsgLine(const ServerFrame& frame)
{
    return QStringLiteral("Rec_MSG(%1)").arg(QString::fromLatin1(frame.Data().toHex()));
}

uint16_t sessionToken()
{
    return static_cast<uint16_t>(Total::SessionToken[0] << 8 | Total::SessionToken[1]);
}

// Codes that belong to the plug-in, codes with a branch of their own, and
// what the dispatcher does with each for every state of the plug-in.
TEST_F(DispatchTable, PluginCodesReachThePluginOnlyWhileItIsReady)
{
    const struct {
        int code;
        bool toPlugin; // while the plug-in is ready
    } codes[] = {
        {0, true}, {10, true}, {19, false}, {29, false}, {44, true},
        {45, true}, {46, true}, {47, true}, {200, true},
    };
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    uint16_t token = 0x1100;
    for (const int16_t state : {-1, 0, 1, 2}) {
        for (const auto& c : codes) {
            SCOPED_TRACE(testing::Message() << "code " << c.code << ", plug-in state " << state);
            Mod_Prop::Prop_GameDllState = state;
            Mod_Prop::PropMsg46Seen = false;
            Total::SessionToken[0] = 0xEE;
            Total::SessionToken[1] = 0xFF;
            ServerFrame frame = frames::Numbered(c.code).Token(++token);
            if (c.code == 29)
                frame.Value(3, 1); // resumed: the branch that keeps the program running
            const QString before = plugin.Log();
            mjtest::Dispatch(frame);
            const QString calls = plugin.Log().mid(before.size());

            const bool handed = state > 0 && c.toPlugin;
            EXPECT_EQ(calls.contains(recMsgLine(frame)), handed);
            EXPECT_EQ(calls.contains(QStringLiteral("Rec_MSG(")), handed);
            EXPECT_EQ(Mod_Prop::PropMsg46Seen, handed && c.code == 46);
            EXPECT_EQ(sessionToken(), c.code == 29 ? 0xEEFF : token);
        }
    }
}

// Only the props frames of code 46 say that award data wait; the flag stays
// as it was when the plug-in does not take the frame.
TEST_F(DispatchTable, Code46WithThePluginNotReadyLeavesItsFlag)
{
    for (const bool seen : {false, true}) {
        Mod_Prop::PropMsg46Seen = seen;
        mjtest::Dispatch(frames::Numbered(46));
        EXPECT_EQ(Mod_Prop::PropMsg46Seen, seen);
    }
}

TEST_F(DispatchTable, AFrameBreakingItsRuleIsDroppedButGivesItsToken)
{
    const struct {
        int code;
        uint8_t seat;
        bool fits;
    } cases[] = {
        {2, 1, true}, {2, 2, true}, {2, 4, true}, {2, 8, true}, {2, 0, false}, {2, 3, false}, {2, 12, false},
        {2, 0x31, true}, // the seat is the low four bits
        {1, 6, false}, {5, 15, false}, {7, 0, false}, {15, 9, false},
        {3, 0, true}, {16, 15, true}, {20, 0, true}, {18, 5, true}, {200, 3, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << ", seat " << int(c.seat));
        MsgHeader h;
        h.Code = static_cast<int16_t>(c.code);
        h.Seat = c.seat;
        EXPECT_EQ(Total::FrameFits(h), c.fits);
    }

    // The table snapshot is an onlooker's frame: a seated player drops it.
    for (const bool watch : {false, true}) {
        SCOPED_TRACE(watch ? "watch mode" : "seated");
        WatchMode = watch;
        MsgHeader snapshot;
        snapshot.Code = 40;
        snapshot.Seat = 4;
        EXPECT_EQ(Total::FrameFits(snapshot), watch);
    }
    WatchMode = false;

    // A dropped frame's token still counts.
    mjtest::Dispatch(ServerFrame(2).Seat(3).Value(3, 0x11).Token(0x4242));
    EXPECT_EQ(sessionToken(), 0x4242);
}

// Whatever a branch raises ends the program through the trap: the hall
// window comes back first, and nothing is shown.
TEST_F(DispatchTable, AnErrorInABranchRestoresTheHallAndEnds)
{
    // A branch of the dispatcher's own: a picture table entry that is no number.
    Image_Resource::ButtonPicture[6] = QStringLiteral("继续");
    custom[0].Name = QStringLiteral("p1");
    for (uint8_t seat : {1, 2, 4})
        mjtest::Dispatch(frames::SeatName(seat, "p" + QByteArray::number(seat)));
    const qsizetype seen = hallLog().size();
    EXPECT_TRUE(endsProgram(frames::SeatName(8, "p8").Token(0x0102)));
    EXPECT_EQ(hallLog().mid(seen), QStringList{QStringLiteral("restore")});
    EXPECT_EQ(sessionToken(), 0x0102); // taken before the trap
    EXPECT_TRUE(mjtest::MessageBoxes().isEmpty());
}

// The plug-in failing on a frame handed to it never reaches the trap: props
// go off for the run (the plug-in told to shut down) and the table goes on.
TEST_F(DispatchTable, APluginFailingOnItsFrameTurnsPropsOffAndTheTableGoesOn)
{
    const struct {
        const char* name;
        const char* script;
    } cases[] = {
        {"run-time error", "recmsg raise"},
        {"other exception", "recmsg throw"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
        ASSERT_TRUE(plugin);
        ASSERT_EQ(plugin.Load(c.script), 0);
        Mod_Prop::PropPolling = true;
        const qsizetype seen = hallLog().size();
        EXPECT_FALSE(endsProgram(frames::Numbered(47).Token(0x0102)));
        EXPECT_TRUE(hallLog().mid(seen).isEmpty());
        EXPECT_EQ(sessionToken(), 0x0102);
        EXPECT_EQ(Mod_Prop::Prop_GameDllState, -1);
        EXPECT_FALSE(Mod_Prop::PropPolling);
        EXPECT_TRUE(plugin.Log().endsWith(QStringLiteral("InitExit(0)\n")));

        // Off for the rest of the run: the next frame of the plug-in stays here.
        const QString before = plugin.Log();
        EXPECT_FALSE(endsProgram(frames::Numbered(47)));
        EXPECT_EQ(plugin.Log(), before);
    }
}

TEST_F(DispatchTable, WithTheHallGoneTheTrapStillEnds)
{
    Image_Resource::ButtonPicture[6] = QStringLiteral("继续");
    custom[0].Name = QStringLiteral("p1");
    for (uint8_t seat : {1, 2, 4})
        mjtest::Dispatch(frames::SeatName(seat, "p" + QByteArray::number(seat)));
    hall->Close();
    EXPECT_TRUE(endsProgram(frames::SeatName(8, "p8")));
}

TEST_F(DispatchTable, SidesAndSoundsFollowTheSharedRules)
{
    const struct {
        uint8_t own, seat;
        int16_t side;
    } sides[] = {{1, 1, 0}, {1, 8, 1}, {1, 4, 2}, {1, 2, 3}, {4, 2, 1}, {4, 8, 3}, {8, 0x11, 3}};
    for (const auto& s : sides) {
        custom[0].SeatMask = s.own;
        EXPECT_EQ(Total::SideOf(s.seat), s.side) << int(s.own) << " " << int(s.seat);
    }

    auto owned = std::make_unique<Audio::RecordingBackend>();
    Audio::RecordingBackend* audio = owned.get();
    Audio::SetBackend(std::move(owned));
    Mod_Resource::SoundFile[2] = QString::fromLatin1(MJ_SOURCE_DIR "/CMakeLists.txt"); // any readable file
    Mod_Sound::FunctionSoundOn = false;
    Total::PlayEffect(2, true);
    EXPECT_FALSE(audio->Log().join(u'\n').contains(QStringLiteral("play")));
    Mod_Sound::FunctionSoundOn = true;
    Total::PlayEffect(2, true);
    const QStringList log = audio->Log();
    EXPECT_TRUE(log.contains(QStringLiteral("play once")));
    EXPECT_TRUE(log.last().startsWith(QStringLiteral("volume")));
}

} // namespace
