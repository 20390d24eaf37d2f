// A member's user information (code 20): the side it fills, the plates,
// the avatar, the props registration, the wealth plate, the table's set-up
// at the third member, and watch mode's four stored frames. Real frames
// through the receive ring, the frame reader and the dispatcher.
#include "dispatch/DispatchTable.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "controls/Hero.h"
#include "dispatch/Total.h"
#include "social/Mod_Prop.h"

using namespace mj;
using mjtest::Dispatch;
using mjtest::frames::UserInfo;

namespace {

class UserInfoFrames : public DispatchTable {
protected:
    // A member with a name, a tag, a face and coins, from one header seat.
    static UserInfo Member(uint8_t seat, const QString& name, const QByteArray& face = "m2", uint64_t coins = 500)
    {
        UserInfo frame(seat);
        frame.Name(name).Tag(QStringLiteral("标")).Face(face).Coins(coins).Level(QStringLiteral("新手"));
        frame.Account(name.toLatin1().isEmpty() ? QByteArray("acct") : QByteArray("acct-") + name.toUtf8().toHex().left(6));
        return frame;
    }

    // The picture resource of avatar `index`.
    static int AvatarOf(int index) { return CInt(Image_Resource::AvatarPicture[index]); }
};

TEST_F(UserInfoFrames, TheOwnPlayersFrameFillsTheBottomSeat)
{
    ButtonUsed[2] = true;
    Dispatch(Member(15, QStringLiteral("自己"), "w3", 1200));
    EXPECT_EQ(w->Tou(0).Picture().ResourceId(), AvatarOf(12));
    EXPECT_EQ(w->Nid(0).Caption(), QStringLiteral("[标] 自己"));
    EXPECT_EQ(w->Cash(0).Caption(), QStringLiteral("1200金币"));
    EXPECT_EQ(w->Level(0).Caption(), QStringLiteral("新手"));
    EXPECT_FALSE(ButtonUsed[2]);
    EXPECT_EQ(form<Hero>().ID(0).Caption(), QStringLiteral("自己"));
    EXPECT_EQ(form<Hero>().Tou(0).Picture().ResourceId(), AvatarOf(12));
    EXPECT_EQ(SeatNameAvatar[0].Name, QStringLiteral("自己"));
    EXPECT_EQ(SeatNameAvatar[0].PicIndex, QStringLiteral("12"));
    EXPECT_EQ(OthersSeated, 0);
    EXPECT_TRUE(w->Tou(0).Visible());
}

TEST_F(UserInfoFrames, FacesGiveTheirAvatars)
{
    struct Case {
        QByteArray face;
        int index;
    };
    const Case cases[] = {{"m1", 0},  {"m10", 9}, {"w10", 19}, {"m11", 0}, {"m0", 0},
                          {"mx", 0},  {"", 0},    {"w", 10},   {"w1", 10}, {"m5", 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.face.constData());
        Dispatch(Member(15, QStringLiteral("甲"), c.face));
        EXPECT_EQ(SeatNameAvatar[0].PicIndex, QString::number(c.index));
        EXPECT_EQ(w->Tou(0).Picture().ResourceId(), AvatarOf(c.index));
    }
}

TEST_F(UserInfoFrames, ThreeUnmaskedMembersFillTheOtherSidesAndSetTheTableUp)
{
    w->SetWindowState(1);
    const qsizetype seen = hallLog().size();
    const QString names[] = {QStringLiteral("东家"), QStringLiteral("南家"), QStringLiteral("西家")};
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(TableResetDone);
        Dispatch(Member(0, names[k]));
        EXPECT_EQ(OthersSeated, k + 1);
        EXPECT_EQ(w->Nid(k + 1).Caption(), QStringLiteral("[标] ") + names[k]);
    }
    EXPECT_EQ(w->WindowState(), 0);
    EXPECT_TRUE(hallLog().mid(seen).contains(QStringLiteral("minimize")));
    EXPECT_TRUE(TableResetDone);
    EXPECT_EQ(w->Sysmsg(0).ListCount(), 1);
    EXPECT_EQ(w->Sysmsg(0).List(0), QStringLiteral("游戏将在15秒内开始"));
}

TEST_F(UserInfoFrames, AnUnmaskedMemberTakesTheFirstEmptyPlate)
{
    OthersSeated = 2;
    w->Nid(1).SetCaption(QStringLiteral("占"));
    w->Nid(3).SetCaption(QStringLiteral("占"));
    LoginDone = 1; // a round has started: the hall stays as it is
    const qsizetype seen = hallLog().size();
    Dispatch(Member(0, QStringLiteral("北家")));
    EXPECT_EQ(w->Nid(2).Caption(), QStringLiteral("[标] 北家"));
    EXPECT_EQ(OthersSeated, 3);
    EXPECT_FALSE(hallLog().mid(seen).contains(QStringLiteral("minimize")));
}

TEST_F(UserInfoFrames, FramesOfNoSideFillNoPlateButStillCount)
{
    struct Case {
        const char* name;
        uint8_t seat;
        bool platesFull;
    };
    const Case cases[] = {{"seat 3", 3, false}, {"seat 5", 5, false}, {"seat 12", 12, false},
                          {"seat 0 with the plates full", 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        custom[0].SeatMask = 1;
        for (int side = 0; side <= 3; ++side)
            w->Nid(side).SetCaption(c.platesFull && side > 0 ? QStringLiteral("占") : QString());
        OthersSeated = c.platesFull ? 3 : 0;
        CountUserInfos = true;
        FrameGroupCount = 0;
        Dispatch(Member(c.seat, QStringLiteral("无座")));
        for (int side = 0; side <= 3; ++side)
            EXPECT_FALSE(w->Nid(side).Caption().contains(QStringLiteral("无座"))) << side;
        EXPECT_EQ(OthersSeated, c.platesFull ? 3 : 0);
        EXPECT_EQ(FrameGroupCount, 1);
    }
}

TEST_F(UserInfoFrames, AMaskedMemberFillsTheSideItSitsAt)
{
    custom[0].SeatMask = 2; // own seat index 1
    Dispatch(Member(8, QStringLiteral("对家")));
    EXPECT_EQ(w->Nid(SideOfMask(2, 8)).Caption(), QStringLiteral("[标] 对家"));
    EXPECT_EQ(OthersSeated, 0);
}

TEST_F(UserInfoFrames, TheReadyMarkShowsButAZeroHidesNothing)
{
    Dispatch(Member(15, QStringLiteral("甲")).Ready(1));
    EXPECT_TRUE(w->OK(0).Visible());
    Dispatch(Member(15, QStringLiteral("甲")).Ready(0));
    EXPECT_TRUE(w->OK(0).Visible());
}

TEST_F(UserInfoFrames, TheWealthPlateShowsTheSmallestMultiplierInTheLayoutsFontSize)
{
    struct Case {
        const char* name;
        float scale;
        uint32_t rate;
        QString shown;
        double size;
    };
    const Case cases[] = {
        {"small, 150", 0.78125f, 150, QStringLiteral("150"), 11},
        {"small, 9", 0.78125f, 9, QStringLiteral("9"), 15},
        {"normal, 100", 1.0f, 100, QStringLiteral("100"), 12},
        {"normal, 9", 1.0f, 9, QStringLiteral("9"), 16},
        {"normal, 2^31 read unsigned", 1.0f, 0x80000000u, QStringLiteral("2147483648"), 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScaleX = c.scale;
        SeatWealthRates.Fill(0);
        Dispatch(Member(15, QStringLiteral("甲")).WealthRate(c.rate));
        EXPECT_EQ(w->lbwealth.Caption(), c.shown);
        EXPECT_EQ(w->lbwealth.FontSize(), c.size);
        EXPECT_TRUE(w->lbwealth.Visible());
        EXPECT_TRUE(w->Imgwealth.Visible());
        EXPECT_TRUE(w->lbfont(1).Visible());
    }
    // The smallest of the sides' multipliers; a room without one hides the plate.
    Dispatch(Member(0, QStringLiteral("乙")).WealthRate(20));
    EXPECT_EQ(w->lbwealth.Caption(), QStringLiteral("20"));
    Dispatch(Member(0, QStringLiteral("丙")).WealthRate(0));
    EXPECT_FALSE(w->lbwealth.Visible());
    EXPECT_FALSE(w->Imgwealth.Visible());
}

TEST_F(UserInfoFrames, ThePlugInLearnsTheMembersWithCoins)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    Mod_Prop::Prop_swicth = 1;
    Dispatch(Member(15, QStringLiteral("自己"), "w3", 1200).Credit(5).Sex(1));
    Dispatch(Member(0, QStringLiteral("穷人"), "m1", 0));
    custom[0].SeatMask = 4;
    Dispatch(UserInfo(4).WealthRate(7)); // the own mask: only the multiplier is read
    const QString log = plugin.Log();
    EXPECT_TRUE(log.contains(QStringLiteral("SetUserinfo(\"自己\", \"acct-e887aa\", 1, 0, True, 1, \"标\", \"w3\") -> True")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("SetUserinfo(\"自己\", \"acct-e887aa\", 4, 0, True, 1, \"标\", \"w3\") -> True")))
        << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("穷人")));
    EXPECT_FALSE(w->Tou(0).Visible());
    EXPECT_TRUE(w->Tou(1).Visible()); // no coins: the avatar stays
    EXPECT_EQ(w->Nid(0).Caption(), QStringLiteral("[标] 自己"));
    EXPECT_EQ(w->lbwealth.Caption(), QStringLiteral("7"));
    EXPECT_EQ(Mod_Prop::Prop_GameDllState, 1);
}

TEST_F(UserInfoFrames, ARefusedRegistrationOrAForbiddingFrameTurnsPropsOff)
{
    {
        const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
        ASSERT_TRUE(plugin);
        ASSERT_EQ(plugin.Load("userinfo 0"), 0);
        Mod_Prop::Prop_swicth = 1;
        Dispatch(Member(15, QStringLiteral("自己")));
        EXPECT_EQ(Mod_Prop::Prop_GameDllState, -1);
    }
    {
        ASSERT_TRUE(mjtest::LoadTestPlugin());
        Mod_Prop::Prop_swicth = 1;
        Dispatch(Member(0, QStringLiteral("乙")).PropsSwitch(255));
        EXPECT_EQ(Mod_Prop::Prop_GameDllState, -1);
    }
}

TEST_F(UserInfoFrames, WatchModeStoresFourFramesAndSeatsTheTableAtTheFourth)
{
    WatchMode = true;
    Players[0].UserId = 77;
    const uint8_t seats[] = {1, 2, 4, 8};
    for (int k = 0; k < 4; ++k) {
        UserInfo frame = Member(seats[k], QStringLiteral("玩家%1").arg(k));
        frame.UserId(k == 2 ? 77 : 100 + k);
        Dispatch(frame);
        EXPECT_EQ(SavedUserInfoFrames(k, 3), 20) << k;
        if (k < 3) {
            for (int side = 0; side <= 3; ++side)
                EXPECT_TRUE(w->Nid(side).Caption().isEmpty()) << k << side;
        }
    }
    EXPECT_EQ(custom[0].SeatMask, 4); // the watched player's seat
    EXPECT_FALSE(w->Nid(0).Caption().isEmpty());
    // A fifth frame finds the store full and ends there.
    const QString before = w->Nid(1).Caption();
    Dispatch(Member(2, QStringLiteral("第五")));
    for (int side = 0; side <= 3; ++side)
        EXPECT_FALSE(w->Nid(side).Caption().contains(QStringLiteral("第五")));
    EXPECT_EQ(w->Nid(1).Caption(), before);
}

} // namespace
