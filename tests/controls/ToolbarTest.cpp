// The toolbar clicked for real on the linked table: the chat line and the
// ready request as the server receives them, the windows the buttons toggle
// and place, the hover pictures and tooltips.
#include "FakeHall.h"
#include "PlayTable.h"

#include "client/frmExit.h"
#include "controls/Hero.h"
#include "controls/Score.h"
#include "platform/Application.h"
#include "platform/Gbk.h"
#include "social/Talk.h"
#include "social/VosSet.h"
#include "social/rule.h"

using namespace mj;
using mjtest::Click;
using mjtest::RequestFrame;

namespace {

class Toolbar : public mjtest::PlayTable {
protected:
    void Press(int button) { Click(f->AnNiu(button).Widget()); }
    int PictureOf(int button) const { return f->AnNiu(button).Picture().ResourceId(); }
    static int ButtonPictureId(int entry) { return CInt(Image_Resource::ButtonPicture[entry]); }
};

TEST_P(Toolbar, TheSendButtonDressesTheLineWithTheNameAndThePrivateTarget)
{
    const QString prefix = QStringLiteral("你对乙说: ");
    const struct {
        const char* name;
        QString prefix;
        QString box;
        QString line; // empty: nothing is sent
        uint16_t target;
    } cases[] = {
        {"public", QString(), QStringLiteral("你好"), QStringLiteral("甲说道: 你好"), 0},
        {"private", prefix, prefix + QStringLiteral("你好"), QStringLiteral("甲对乙说: 你好"), 2},
        {"private prefix no longer in the box", prefix, QStringLiteral("hi"), QStringLiteral("甲说道: hi"), 0},
        {"blanks only", QString(), QStringLiteral("   "), QString(), 0},
        {"empty", QString(), QString(), QString(), 0},
        {"the prefix only", prefix, prefix, QString(), 0},
        {"the prefix and blanks", prefix, prefix + QStringLiteral("  "), QString(), 0},
        {"cut to 100 characters", QString(), QString(100, u'长'), QStringLiteral("甲说道: ") + QString(95, u'长'), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WhisperPrefix = c.prefix;
        WhisperSide = 2;
        f->Chat.SetText(c.box);
        Press(0);
        if (c.line.isEmpty()) {
            EXPECT_TRUE(NothingQueued());
            EXPECT_EQ(f->Chat.Text(), c.box); // the box keeps its text
            EXPECT_EQ(WhisperPrefix, c.prefix);
            continue;
        }
        const QList<QByteArray> sent = Sent(1);
        ASSERT_EQ(sent.size(), 1);
        EXPECT_EQ(sent[0].toHex(), RequestFrame(19, Own(), {0, c.target, 0, 0}, Gbk::Encode(c.line)).toHex());
        EXPECT_EQ(f->Chat.Text(), QString());
        EXPECT_EQ(WhisperPrefix, QString()); // the next line is public
        EXPECT_TRUE(ChatOut.isEmpty());
    }
}

TEST_P(Toolbar, ReadyGoesOutOncePerHand)
{
    FirstGame = true;
    RoundNo = 0;
    ButtonUsed[2] = false;
    TableResetDone = true;
    Press(2);
    const QList<QByteArray> sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), RequestFrame(16, Own(), {0, 0, 0, 1}).toHex());
    EXPECT_EQ(sent[0].mid(14, 2), QByteArray("\x00\x01", 2));
    EXPECT_TRUE(ReadySent);
    EXPECT_TRUE(ButtonUsed[2]);
    EXPECT_TRUE(f->OK(0).Visible());
    EXPECT_EQ(PictureOf(2), ButtonPictureId(6)); // 继续 from now on
    Press(2); // a second 继续 before the next hand
    EXPECT_TRUE(NothingQueued());
}

// The next-hand countdown sends the ready itself when it runs out; 继续 then
// sends no second one, whether the table was reset before (the other three
// being ready) or by the countdown.
TEST_P(Toolbar, TheCountdownsReadyUsesTheContinueButton)
{
    for (const bool othersReady : {false, true}) {
        SCOPED_TRACE(othersReady ? "the other three ready" : "the table reset by the countdown");
        ButtonUsed[2] = false;
        TableResetDone = othersReady;
        StartNextRoundCountdown(2);
        EXPECT_EQ(Hex(SentOverTicks(20 * 4)), std::vector<QByteArray>{RequestFrame(16, Own(), {0, 0, 0, 1}).toHex()});
        EXPECT_TRUE(ButtonUsed[2]);
        EXPECT_EQ(PictureOf(2), ButtonPictureId(6));
        Press(2);
        EXPECT_TRUE(SentOverTicks(1).isEmpty());
    }
}

TEST_P(Toolbar, AnOnlookerIsNeverReadyForTheWatchedPlayer)
{
    WatchMode = true;
    ButtonUsed[2] = false;
    Press(2);
    EXPECT_TRUE(NothingQueued());
    EXPECT_FALSE(ReadySent);
}

// A chat line and the ready request made while the link is down wait in the
// send ring and go out once, in order, on the next connection.
TEST_P(Toolbar, RequestsMadeWhileTheLinkIsDownGoOutAfterIt)
{
    f->Winsock1.Close();
    LoggedIn = false;
    ButtonUsed[2] = false;
    TableResetDone = true;
    f->Chat.SetText(QStringLiteral("在吗"));
    Press(0);
    Press(2);
    for (int t = 0; t < 5; ++t)
        f->TimerBong_Timer(); // the send slot finds no link: the frames wait
    EXPECT_EQ(Total::SendWaiting(), 2 * FrameSize);
    f->Winsock1.Connect();
    ASSERT_TRUE(mjtest::PumpUntil([&] { return f->Winsock1.State() == sckConnected; }));
    SendOn = true; // as the reconnection's own frame switches the send slot on
    const QList<QByteArray> sent = Sent(2);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0].toHex(), RequestFrame(19, Own(), {0, 0, 0, 0}, Gbk::Encode(QStringLiteral("甲说道: 在吗"))).toHex());
    EXPECT_EQ(sent[1].toHex(), RequestFrame(16, Own(), {0, 0, 0, 1}).toHex());
}

TEST_P(Toolbar, HoverPicturesAndTooltips)
{
    FirstGame = true;
    RoundNo = 0;
    const struct {
        int normal, hover;
        const char* tip;
    } buttons[] = {
        {0, 1, "发送信息，快捷键为回车键"},     {2, 3, "点击打开聊天窗口"},
        {4, 5, "点击开始新一局游戏"},           {8, 9, "游戏的基本设置"},
        {10, 11, "最小化窗口，快捷键为F1"},     {12, 13, "可以查看当前牌局详细结果"},
        {14, 15, "可以查看本次游戏的所有牌局详细结果"}, {16, 17, "点击这里了解游戏规则"},
        {18, 19, "退出游戏"},
    };
    for (int i = 0; i <= 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(PictureOf(i), ButtonPictureId(buttons[i].normal));
        mjtest::Hover(f->AnNiu(i).Widget());
        EXPECT_EQ(PictureOf(i), ButtonPictureId(buttons[i].hover));
        EXPECT_EQ(f->AnNiu(i).ToolTipText(), QString::fromUtf8(buttons[i].tip));
        EXPECT_TRUE(ButtonHover[i]);
    }
    mjtest::SendMouse(f->Pic1.Widget(), QEvent::MouseMove, QPointF(5, 5), Qt::NoButton);
    for (int i = 0; i <= 8; ++i) {
        EXPECT_EQ(PictureOf(i), ButtonPictureId(buttons[i].normal)) << i;
        EXPECT_FALSE(ButtonHover[i]);
    }
    // After the first hand button 2 reads 继续, its hover picture too.
    FirstGame = false;
    mjtest::Hover(f->AnNiu(2).Widget());
    EXPECT_EQ(PictureOf(2), ButtonPictureId(7));
}

TEST_P(Toolbar, TheWindowButtonsToggleAndPlaceTheirWindows)
{
    f->Move(1500, 900, 15360, 11520);
    f->Pic1.Move(0, 300, 15360, 11520);
    const double pic1Left = f->Left() + f->Pic1.Left(), pic1Top = f->Top() + f->Pic1.Top();
    const auto centredOnTable = [&](const Form& w) {
        return std::abs(w.Left() - (pic1Left + (f->Pic1.Width() - w.Width()) / 2)) < 1
            && std::abs(w.Top() - (pic1Top + (f->Pic1.Height() - w.Height()) / 2)) < 1;
    };
    // 聊天
    Press(1);
    EXPECT_TRUE(form<Talk>().Visible());
    EXPECT_TRUE(form<Talk>().TopMost());
    Press(1);
    EXPECT_FALSE(form<Talk>().Visible());
    // 设置
    Press(3);
    VosSet& settings = form<VosSet>();
    EXPECT_TRUE(settings.Visible());
    EXPECT_NEAR(settings.Top(), pic1Top + f->Pic1.Height() - 1.35 * settings.Height(), 1);
    EXPECT_NEAR(settings.Left(), pic1Left + f->Pic1.Width() - 1.1 * settings.Width(), 1);
    Press(3);
    EXPECT_FALSE(settings.Visible());
    // 战绩 and 历史, centred on the table
    Press(5);
    EXPECT_TRUE(form<Score>().Visible());
    EXPECT_TRUE(centredOnTable(form<Score>()));
    Press(5);
    EXPECT_FALSE(form<Score>().Visible());
    Press(6);
    EXPECT_TRUE(form<Hero>().Visible());
    EXPECT_TRUE(centredOnTable(form<Hero>()));
    Press(6);
    EXPECT_FALSE(form<Hero>().Visible());
    // 规则, centred on the whole window on every click
    Press(7);
    rule& page = form<rule>();
    EXPECT_TRUE(page.Visible());
    EXPECT_NEAR(page.Left(), f->Left() + (f->Width() - page.Width()) / 2, 1);
    EXPECT_NEAR(page.Top(), f->Top() + (f->Height() - page.Height()) / 2, 1);
    Press(7);
    EXPECT_FALSE(page.Visible());
    // 退出
    Press(8);
    EXPECT_TRUE(form<frmExit>().Visible());
    Press(8);
    EXPECT_FALSE(form<frmExit>().Visible());
    // A click on the table puts every small window away.
    Press(1);
    Press(5);
    Click(f->Pic1.Widget(), QPointF(5, 5));
    EXPECT_FALSE(form<Talk>().Visible());
    EXPECT_FALSE(form<Score>().Visible());
}

// 隐藏 minimises the window and presses the boss key.
TEST_P(Toolbar, TheHideButtonPressesTheBossKey)
{
    mjtest::FakeHall hall(QStringLiteral("工具栏测试大厅"));
    ASSERT_TRUE(hall.Listening());
    HallTitle = QStringLiteral("工具栏测试大厅");
    Press(1);
    Press(4);
    EXPECT_FALSE(mj::ProgramEndedInEvent());
    EXPECT_EQ(f->WindowState(), 1);
    EXPECT_FALSE(form<Talk>().Visible());
    EXPECT_TRUE(BossKey);
}

TEST_P(Toolbar, TheSeatChangeTextCyclesItsFourTexts)
{
    for (int i = 0; i <= 3; ++i)
        SeatShuffleTexts[i] = QStringLiteral("正在随机换座中") + QString(i + 2, u'.');
    SeatShuffleStep = 0;
    QStringList shown;
    for (int t = 0; t < 6; ++t) {
        f->TimerShuffle_Timer();
        shown << f->LblShuffle.Caption();
    }
    EXPECT_EQ(shown, (QStringList{SeatShuffleTexts[0], SeatShuffleTexts[1], SeatShuffleTexts[2], SeatShuffleTexts[3],
                                  SeatShuffleTexts[0], SeatShuffleTexts[1]}));
}

MJ_SEATED_CASES(Toolbar);

} // namespace
