// The user-information frame (code 20) built byte by byte as the server
// sends it, parsed into a player record, and the watch-mode seating made
// from four of them.
#include "TestSupport.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Total.h"
#include "controls/Hero.h"
#include "controls/Score.h"
#include "table/NewGame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <tuple>

using namespace mj;

namespace {

// A code-20 frame, written field by field at the frame's byte positions.
class UserInfoFrame {
public:
    explicit UserInfoFrame(uint8_t seat = 0)
    {
        f[3] = 20;
        f[6] = seat;
    }

    UserInfoFrame& Bytes(int at, std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            f[at++] = static_cast<uint8_t>(b);
        return *this;
    }
    // Raw bytes (GBK text as the server sends it).
    UserInfoFrame& Text(int at, const QByteArray& bytes)
    {
        for (char c : bytes)
            f[at++] = static_cast<uint8_t>(c);
        return *this;
    }
    UserInfoFrame& U64(int at, uint64_t value)
    {
        for (int i = 0; i < 8; ++i)
            f[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return *this;
    }
    UserInfoFrame& U32(int at, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            f[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return *this;
    }

    // A member as the server describes one.
    static UserInfoFrame Member(uint8_t seat, const QByteArray& account, uint64_t userId, const QByteArray& name,
                                const QByteArray& face)
    {
        UserInfoFrame m(seat);
        m.Text(16, name).Text(48, face).Bytes(64, {1}).U64(96, 1000 + userId).Text(112, "\xB8\xDF\xCA\xD6"); // 高手
        m.Text(168, account).Text(184, "VIP").Text(210, "00").Text(218, "10").U64(226, userId);
        return m;
    }

    FrameBytes f;
};

PlayerInfo Parsed(const UserInfoFrame& frame)
{
    PlayerInfo p;
    Total::ParseUserInfo(p, frame.f);
    return p;
}

auto Fields(const PlayerInfo& p)
{
    return std::tie(p.Name, p.Face, p.Sex, p.Location, p.Points, p.Credit, p.Coins, p.Spare1, p.Level, p.Spare2,
                    p.Spare3, p.Spare4, p.Logins, p.Drops, p.Wins, p.Losses, p.Account, p.Tag, p.VoiceLang,
                    p.VoicePack, p.VoiceSex, p.ShowHandToWatcher, p.UserId);
}

// ---- ParseUserInfo -----------------------------------------------------------

TEST(ParseUserInfo, ReadsAWholeMember)
{
    UserInfoFrame m(4);
    m.Text(16, "\xD5\xC5\xC8\xFD" "abc")           // 张三abc
        .Text(48, "w3")
        .Bytes(64, {1})
        .Text(72, "\xB9\xE3\xB6\xAB")             // 广东
        .Bytes(80, {1, 0, 0, 0, 0, 0, 0, 0})     // 1
        .Bytes(88, {0, 0, 0, 0, 0, 0, 0, 1})     // 2^56
        .U64(96, 123456)
        .U64(104, 7)
        .Text(112, "\xC8\xB8\xCA\xA5")            // 雀圣
        .U64(128, 8).U64(136, 9).U64(144, 10)
        .U32(152, 5)
        .U32(156, 0)
        .Bytes(160, {0xFF, 0xFF, 0xFF, 0xFF})    // -1
        .Bytes(164, {0x00, 0x00, 0x00, 0x80})    // the smallest Long
        .Text(168, "player1")
        .Text(184, "VIP")
        .Bytes(208, {1, 0})                      // ready mark, not read here
        .Text(210, "00")
        .Text(218, "20")
        .U64(226, 987654321);

    PlayerInfo p;
    p.VoiceSex = 3;
    p.ShowHandToWatcher = 1;
    Total::ParseUserInfo(p, m.f);

    EXPECT_EQ(p.Name, QStringLiteral("张三abc"));
    EXPECT_EQ(p.Face, QStringLiteral("w3"));
    EXPECT_EQ(p.Sex, 1);
    EXPECT_EQ(p.Location, QStringLiteral("广东"));
    EXPECT_EQ(p.Points, 1.0);
    EXPECT_EQ(p.Credit, std::ldexp(1.0, 56));
    EXPECT_EQ(p.Coins, 123456.0);
    EXPECT_EQ(p.Spare1, 7.0);
    EXPECT_EQ(p.Level, QStringLiteral("雀圣"));
    EXPECT_EQ(std::tie(p.Spare2, p.Spare3, p.Spare4), std::make_tuple(8.0, 9.0, 10.0));
    EXPECT_EQ(p.Logins, 5);
    EXPECT_EQ(p.Drops, 0);
    EXPECT_EQ(p.Wins, -1);
    EXPECT_EQ(p.Losses, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(p.Account, QStringLiteral("player1"));
    EXPECT_EQ(p.Tag, QStringLiteral("VIP")); // the last step's second byte is 0
    EXPECT_EQ(p.VoiceLang, QStringLiteral("00"));
    EXPECT_EQ(p.VoicePack, QStringLiteral("20"));
    EXPECT_EQ(p.UserId, 987654321.0);
    // Not in the frame: left as they were.
    EXPECT_EQ(p.VoiceSex, 3);
    EXPECT_EQ(p.ShowHandToWatcher, 1);
}

TEST(ParseUserInfo, TextsStopAtTheirFieldsEnd)
{
    const QByteArray a31(31, 'a');
    struct Case {
        const char* what;
        UserInfoFrame frame;
        QString name, location, level, tag;
    };
    const Case cases[] = {
        {"a lead byte in the last position is one character",
         UserInfoFrame().Text(16, a31 + "\xB0").Text(48, "m2"), QString(a31) + "?", {}, {}, {}},
        {"a lead byte before the last position takes it",
         UserInfoFrame().Text(16, QByteArray(30, 'a') + "\xD5\xC5").Text(48, "m2"), QString(30, 'a') + "张", {}, {},
         {}},
        {"32 letters fill the name and the face is not read into it",
         UserInfoFrame().Text(16, QByteArray(32, 'b')).Text(48, "m2"), QString(32, 'b'), {}, {}, {}},
        {"a 0 byte ends the name",
         UserInfoFrame().Text(16, QByteArray("ab\0cd", 5)), QStringLiteral("ab"), {}, {}, {}},
        {"full two-byte fields, nothing read past them",
         UserInfoFrame()
             .Text(72, "\xB9\xE3\xB6\xAB\xC9\xEE\xDB\xDA").Text(80, "\x01")                    // 广东深圳
             .Text(112, "\xB9\xE3\xB6\xAB\xC9\xEE\xDB\xDA\xB9\xE3\xB6\xAB\xC9\xEE\xDB\xDA").U64(128, 0x41)
             .Text(184, QByteArray(24, 'x')).Bytes(208, {'y'}),
         {}, QStringLiteral("广东深圳"), QStringLiteral("广东深圳广东深圳"), QString(24, 'x')},
        {"a step of two letters gives both, a step of a letter and 0 ends",
         UserInfoFrame().Text(72, "ab").Text(112, QByteArray("a\0bc", 4)).Text(184, "\xD6\xD0z"),
         {}, QStringLiteral("ab"), QStringLiteral("a"), QStringLiteral("中z")},
        {"a step that starts with 0 ends the text",
         UserInfoFrame().Text(184, QByteArray("ab\0\0cd", 6)), {}, {}, {}, QStringLiteral("ab")},
    };
    for (const Case& c : cases) {
        const PlayerInfo p = Parsed(c.frame);
        EXPECT_EQ(std::tie(p.Name, p.Location, p.Level, p.Tag), std::tie(c.name, c.location, c.level, c.tag))
            << c.what;
    }
}

TEST(ParseUserInfo, NumbersAndAnEmptyFace)
{
    struct Case {
        std::initializer_list<int> count; // bytes 160..163
        int32_t wins;
        std::initializer_list<int> userId; // bytes 226..233
        double id;
    };
    const Case cases[] = {
        {{0x12, 0x34, 0x56, 0x78}, 0x78563412, {1, 0, 0, 0, 0, 0, 0, 0}, 1.0},
        {{0xFF, 0xFF, 0xFF, 0x7F}, 2147483647, {0, 0, 0, 0, 0, 0, 0, 1}, std::ldexp(1.0, 56)},
        {{0xFE, 0xFF, 0xFF, 0xFF}, -2, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, std::ldexp(1.0, 64)},
        {{0x00, 0x00, 0x00, 0x80}, std::numeric_limits<int32_t>::min(), {0, 0, 0, 0, 0, 0, 0x20, 0},
         std::ldexp(1.0, 53)},
    };
    for (const Case& c : cases) {
        const PlayerInfo p = Parsed(UserInfoFrame().Bytes(160, c.count).Bytes(226, c.userId));
        EXPECT_EQ(p.Wins, c.wins);
        EXPECT_EQ(p.UserId, c.id);
        EXPECT_EQ(p.Face, QStringLiteral("m1")); // an all-zero face
    }
}

TEST(ParseUserInfo, ReplacesTheWholeRecordAndReadsOnlyTheBody)
{
    UserInfoFrame m = UserInfoFrame::Member(2, "acct", 77, "\xC0\xEE\xCB\xC4", "m5"); // 李四
    PlayerInfo fresh = Parsed(m);

    // A record full of an earlier member's values ends up as a fresh one.
    PlayerInfo reused = Parsed(UserInfoFrame()
                                   .Text(16, "old name").Text(48, "w9").Bytes(64, {1}).Text(72, "xy")
                                   .U64(80, 5).U64(88, 5).U64(96, 5).U64(104, 5).Text(112, "lv")
                                   .U64(128, 5).U64(136, 5).U64(144, 5).U32(152, 5).U32(156, 5).U32(160, 5)
                                   .U32(164, 5).Text(168, "olduser").Text(184, "tg").Text(210, "27")
                                   .Text(218, "30").U64(226, 5));
    Total::ParseUserInfo(reused, m.f);
    EXPECT_EQ(Fields(reused), Fields(fresh));

    // Bytes outside 16..233 (the header, the ready mark's neighbours, the
    // wealth rate, the props switch) change nothing.
    UserInfoFrame noisy = m;
    for (int i : {0, 1, 2, 4, 5, 7, 8, 9, 15, 234, 237, 255, 260, 271})
        noisy.f[i] = 0xEE;
    EXPECT_EQ(Fields(Parsed(noisy)), Fields(fresh));
}

TEST(AvatarIndex, FaceCodes)
{
    struct Case {
        const char* face;
        int16_t index;
    };
    const Case cases[] = {
        {"m1", 0}, {"m5", 4}, {"m10", 9}, {"w1", 10}, {"w3", 12}, {"w10", 19},
        // A number that is missing, not a number or outside 1..10 counts as 1.
        {"m11", 0}, {"m0", 0}, {"w0", 10}, {"w99", 10}, {"mx", 0}, {"m1a", 0}, {"m", 0}, {"w", 10}, {"", 0},
        {"m100", 0}, {"w-1", 10}, {"m 1", 0}, {"w01", 10},
        {"W3", 2}, // only a lower-case w is female
    };
    for (const Case& c : cases)
        EXPECT_EQ(Total::AvatarIndex(QString::fromLatin1(c.face)), c.index) << c.face;
}

// ---- ArrangeSeatsFromUserInfo -------------------------------------------------

class WatchSeating : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScaleX = ScaleY = 1.0f;
        Image_Resource::InitPictureIds();
        w = &formWithoutLoadEvent<MainForm>();
        NewGame::InitTableLayout();
        WatchMode = true;
        Players[0].UserId = WatchedId;
        Players[0].VoiceSex = 3;
        BankerMask = 0;
    }

    // A fresh table for the next case of a table of cases.
    void Restart()
    {
        DiscardAllForms();
        ResetSharedState();
        mjtest::MessageBoxes().clear();
        SetUp();
    }

    // Keeps four frames as the dispatcher does, in arrival order.
    void Keep(const std::vector<UserInfoFrame>& frames)
    {
        for (int k = 0; k <= 3; ++k)
            SavedUserInfoFrames.Row(k) = frames[static_cast<size_t>(k)].f;
    }

    static UserInfoFrame Member(uint8_t seat, const char* account, uint64_t id, const char* face = "m2")
    {
        return UserInfoFrame::Member(seat, account, id, QByteArray("N-") + account, face);
    }

    static constexpr uint64_t WatchedId = 4242;
    MainForm* w = nullptr;
};

TEST_F(WatchSeating, SeatsEveryMemberAroundTheWatchedPlayer)
{
    struct Case {
        uint8_t own;
        std::vector<uint8_t> others; // in arrival order after the watched player
        std::vector<uint8_t> sides;  // where each of them sits
    };
    const Case cases[] = {
        {1, {2, 4, 8}, {3, 2, 1}},
        {2, {4, 8, 1}, {3, 2, 1}},
        {4, {8, 1, 2}, {3, 2, 1}},
        {8, {1, 2, 4}, {3, 2, 1}}, // mask 1 sits after 8, masks 2 and 8 face each other
    };
    for (const Case& c : cases) {
        Restart();
        std::vector<UserInfoFrame> frames = {
            Member(c.others[0], "east", 11, "w3"), Member(c.own, "me", WatchedId, "m10"),
            Member(c.others[1], "south", 22, "w10"), Member(c.others[2], "west", 33, "")};
        frames[2].f[6] |= 0x50; // only the low four bits are the seat
        Keep(frames);

        Total::ArrangeSeatsFromUserInfo();

        const char* accounts[] = {"east", "south", "west"};
        EXPECT_EQ(custom[0].SeatMask, c.own);
        EXPECT_EQ(custom[0].Name, QStringLiteral("me"));
        EXPECT_EQ(Players[0].UserId, double(WatchedId));
        EXPECT_EQ(Players[0].VoiceSex, 0); // the whole record comes from the frame
        for (size_t i = 0; i < 3; ++i) {
            const int side = c.sides[i];
            EXPECT_EQ(custom[side].SeatMask, c.others[i]) << int(c.own) << " side " << side;
            EXPECT_EQ(custom[side].Name, QString::fromLatin1(accounts[i])) << int(c.own) << " side " << side;
            EXPECT_EQ(Players[side].Account, QString::fromLatin1(accounts[i]));
        }
        EXPECT_EQ(SavedUserInfoFrames(2, 6), c.others[1]);
    }

    // The plates, the score sheet and the history window of the last case
    // (own mask 8: mask 4 "west" on side 1, 2 "south" on side 2, 1 "east" on
    // side 3).
    const int avatarOfSide[] = {200, 191, 410, 403}; // m10, an empty face (m1), w10, w3
    const char* nameOfSide[] = {"N-me", "N-west", "N-south", "N-east"};
    const double coinsOfSide[] = {1000 + double(WatchedId), 1033, 1022, 1011};
    Score& score = form<Score>();
    Hero& hero = form<Hero>();
    for (int s = 0; s <= 3; ++s) {
        const QString name = QString::fromLatin1(nameOfSide[s]);
        EXPECT_EQ(w->Tou(s).Picture().ResourceId(), avatarOfSide[s]) << s;
        EXPECT_EQ(w->Nid(s).Caption(), QStringLiteral("[VIP] ") + name);
        EXPECT_EQ(w->Cash(s).Caption(), QString::number(coinsOfSide[s], 'f', 0) + QStringLiteral("金币"));
        EXPECT_EQ(w->Level(s).Caption(), QStringLiteral("高手"));
        EXPECT_EQ(score.ID(s).Caption(), name);
        EXPECT_EQ(score.Tou(s).Picture().ResourceId(), avatarOfSide[s]);
        EXPECT_EQ(hero.ID(s).Caption(), name);
        EXPECT_EQ(hero.Tou(s).Picture().ResourceId(), avatarOfSide[s]);
    }
    EXPECT_FALSE(score.Widget()->isVisible());
    EXPECT_FALSE(hero.Widget()->isVisible());
}

TEST_F(WatchSeating, MarksTheBankerAndWhereTheWallStarts)
{
    struct Case {
        uint8_t banker;
        int16_t d0, d1;
        int bankerSide; // -1: none
        int16_t head;   // -1: only checked to lie on the wall
    };
    // The watched player has mask 8: mask 1 on side 3, 2 on side 2, 4 on side 1.
    const Case cases[] = {
        {2, 3, 5, 2, 16},  // ((15 - 3) Mod 4) x 17 + 8 = 8, x 2 = 16
        {8, 6, 6, 0, 126}, // ((13 - 6) Mod 4 = 3) x 17 + 12 = 63, x 2
        {1, 1, 1, 3, 106}, // (15 Mod 4 = 3) x 17 + 2 = 53, x 2
        {4, 20, 0, 1, -1}, // dice off the die: the wall position still lies on the wall
        {8, -32768, 32767, 0, -1},
        {8, 32767, 32767, 0, -1},
        {0, 3, 5, -1, 99}, // no side with the banker's mask: nothing changes
    };
    for (const Case& c : cases) {
        Restart();
        Keep({Member(1, "a", 1), Member(8, "me", WatchedId), Member(2, "b", 2), Member(4, "c", 3)});
        BankerMask = c.banker;
        Dice[0] = c.d0;
        Dice[1] = c.d1;
        WallHead = 99;
        WallTail = 97;

        Total::ArrangeSeatsFromUserInfo();

        for (int s = 0; s <= 3; ++s)
            EXPECT_EQ(custom[s].IsBanker, s == c.bankerSide) << int(c.banker) << " side " << s;
        if (c.head >= 0) {
            EXPECT_EQ(WallHead, c.head) << int(c.banker) << " dice " << c.d0 << "," << c.d1;
        } else {
            EXPECT_TRUE(WallHead >= 0 && WallHead <= 135) << WallHead;
        }
        if (c.bankerSide >= 0)
            EXPECT_EQ(WallTail, (WallHead + 134) % 136);
        else
            EXPECT_EQ(WallTail, 97);
    }
}

TEST_F(WatchSeating, UsesOnlyFramesOfOneSeatEach)
{
    // The watched player sits at mask 4; a second frame for mask 2 and a
    // frame without a seat are left out.
    UserInfoFrame none = Member(0, "nobody", 9);
    Keep({Member(2, "first", 1), Member(4, "me", WatchedId), Member(2, "again", 2), none});

    Total::ArrangeSeatsFromUserInfo();

    EXPECT_EQ(custom[0].SeatMask, 4);
    EXPECT_EQ(custom[1].Name, QStringLiteral("first"));
    EXPECT_EQ(Players[1].Account, QStringLiteral("first"));
    for (int s = 0; s <= 3; ++s) {
        EXPECT_NE(custom[s].Name, QStringLiteral("again"));
        EXPECT_NE(custom[s].Name, QStringLiteral("nobody"));
    }
    EXPECT_TRUE(mjtest::MessageBoxes().isEmpty());
}

TEST_F(WatchSeating, EndsTheWatchWhenTheWatchedPlayerIsNotAtTheTable)
{
    struct Case {
        const char* what;
        std::vector<UserInfoFrame> frames;
    };
    const UserInfoFrame a = Member(1, "a", 1), b = Member(2, "b", 2), c4 = Member(4, "c", 3), d = Member(8, "d", 5);
    const Case cases[] = {
        {"no frame carries the id", {a, b, c4, d}},
        {"the id comes without a seat", {a, Member(0, "me", WatchedId), c4, d}},
        {"the id comes with two seats", {a, Member(3, "me", WatchedId), c4, d}},
        {"the id comes for a seat already taken", {a, b, Member(2, "me", WatchedId), d}},
    };
    for (const Case& c : cases) {
        Restart();
        Keep(c.frames);
        EXPECT_TRUE(mjtest::EndsProgram([] { Total::ArrangeSeatsFromUserInfo(); })) << c.what;
        EXPECT_EQ(mjtest::MessageBoxes(), QStringList{QStringLiteral("有用户退出，旁观结束！")}) << c.what;
        EXPECT_EQ(custom[0].SeatMask, 0) << c.what;
    }
}

} // namespace
