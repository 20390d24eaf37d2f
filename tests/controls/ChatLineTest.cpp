// The chat line typed for real on the linked table: Enter sends the line
// dressed with the own name (and the private target picked by a click on an
// avatar) as the server receives it, the flood guard, a Backspace into the
// private prefix, watch mode and a full send ring.
#include "FakeHall.h"
#include "PlayTable.h"

#include "platform/Gbk.h"
#include "social/Talk.h"

#include <QKeyEvent>

using namespace mj;
using mjtest::Click;
using mjtest::RequestFrame;

namespace {

const QString Flood = QStringLiteral("（发送消息太快！）");

class ChatLine : public mjtest::PlayTable {
protected:
    void SetUp() override
    {
        PlayTable::SetUp();
        Players[1].Name = QStringLiteral("乙");
        Players[2].Name = QStringLiteral("丙");
        Players[3].Name = QStringLiteral("丁");
        ASSERT_EQ(f->TimerChat.Interval(), 800);
        // The guard's tick comes only when the test fires it.
        f->TimerChat.SetInterval(0);
        Reset();
    }

    void Reset()
    {
        WhisperPrefix.clear();
        WhisperSide = 0;
        ChatMaySend = true;
        f->TimerChat.SetEnabled(false);
        f->Chat.SetText(QString());
    }

    void Key(int key, const QString& text)
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(f->Chat.Widget(), &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(f->Chat.Widget(), &up);
    }
    // Types the text into the chat box where its caret stands.
    void Type(const QString& text)
    {
        for (QChar c : text)
            Key(c.unicode() < 128 ? c.toUpper().unicode() : 0, QString(c));
    }
    void Enter() { Key(Qt::Key_Return, QStringLiteral("\r")); }
    void Backspace() { Key(Qt::Key_Backspace, QStringLiteral("\b")); }
    void Home() { Key(Qt::Key_Home, QString()); }
    void Avatar(int side) { Click(f->Tou(side).Widget()); }

    QString Prefix(const QString& name) const { return QStringLiteral("你对") + name + QStringLiteral("说: "); }
    QByteArray Line(const QString& text, uint16_t target) const
    {
        return RequestFrame(19, Own(), {0, target, 0, 0}, Gbk::Encode(text)).toHex();
    }
    ListBox& History() const { return form<Talk>().Text1; }
};

// Steps typed before Enter: a letter string types, a digit clicks that avatar,
// "<" goes to the start of the box.
TEST_P(ChatLine, EnterSendsTheLineDressedWithTheNameAndTheTarget)
{
    const QString long100(105, u'长');
    const struct {
        const char* name;
        QStringList steps;
        QString box;  // the box just before Enter
        QString line; // empty: nothing is sent
        int target;   // side of the private target, 0 for none
        QString prefixAfter;
    } cases[] = {
        {"public", {"你好"}, "你好", "甲说道: 你好", 0, ""},
        {"private", {"1", "你好"}, Prefix("乙") + "你好", "甲对乙说: 你好", 1, ""},
        {"typed before the click goes after the prefix", {"ab", "2", "cd"}, Prefix("丙") + "abcd", "甲对丙说: abcd", 2, ""},
        {"text typed in front of the prefix is kept", {"1", "hi", "<", "ab"}, "ab" + Prefix("乙") + "hi",
         "甲对乙说: abhi", 1, ""},
        {"a second click replaces the target", {"1", "hi", "3"}, Prefix("丁") + "hi", "甲对丁说: hi", 3, ""},
        {"a second click takes the old prefix out where it stands", {"1", "hi", "<", "ab", "3"},
         Prefix("丁") + "abhi", "甲对丁说: abhi", 3, ""},
        {"empty", {}, "", "", 0, ""},
        {"blanks only", {"   "}, "   ", "", 0, ""},
        {"the prefix only", {"1"}, Prefix("乙"), "", 0, Prefix("乙")},
        {"the prefix and blanks", {"1", "  "}, Prefix("乙") + "  ", "", 0, Prefix("乙")},
        {"the box takes 100 characters, the line is cut to 100", {long100}, long100.left(100),
         QStringLiteral("甲说道: ") + QString(95, u'长'), 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        for (const QString& step : c.steps) {
            if (step == "<")
                Home();
            else if (step.size() == 1 && step[0].isDigit())
                Avatar(step.toInt());
            else
                Type(step);
        }
        ASSERT_EQ(f->Chat.Text(), c.box);
        Enter();
        EXPECT_EQ(f->Chat.Text(), QString());
        EXPECT_FALSE(ChatMaySend); // closed also when nothing went out
        EXPECT_TRUE(f->TimerChat.Enabled());
        EXPECT_EQ(WhisperPrefix, c.prefixAfter);
        if (c.line.isEmpty()) {
            EXPECT_TRUE(NothingQueued());
            continue;
        }
        const QList<QByteArray> sent = Sent(1);
        ASSERT_EQ(sent.size(), 1);
        EXPECT_EQ(sent[0].toHex(), Line(c.line, c.target ? MaskOf(c.target) : 0));
        EXPECT_TRUE(ChatOut.isEmpty());
    }
}

// With only the prefix sent nothing, the prefix is still remembered; a line
// typed without it goes out public.
TEST_P(ChatLine, AfterAPrefixOnlyEnterTheNextLineIsPublic)
{
    Avatar(1);
    Enter();
    f->TimerChat.Fire();
    Type("hi");
    Enter();
    const QList<QByteArray> sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), Line("甲说道: hi", 0));
}

TEST_P(ChatLine, OneLinePer800Milliseconds)
{
    Type("你好");
    Enter();
    EXPECT_FALSE(ChatMaySend);
    EXPECT_TRUE(f->TimerChat.Enabled());

    // +0.5 s, before the tick: the line is dropped with the notice.
    Type("再来");
    Enter();
    EXPECT_EQ(f->Chat.Text(), QString());
    ASSERT_GT(History().ListCount(), 0);
    EXPECT_EQ(History().List(History().ListCount() - 1), Flood);
    EXPECT_EQ(History().TopIndex(), History().ListCount() - 1);
    // An empty box while the guard is closed: no second notice.
    const int lines = History().ListCount();
    Enter();
    EXPECT_EQ(History().ListCount(), lines);
    EXPECT_TRUE(f->TimerChat.Enabled()); // the guard period is not extended

    // +0.8 s: the tick opens the guard and stops the timer.
    f->TimerChat.Fire();
    EXPECT_TRUE(ChatMaySend);
    EXPECT_FALSE(f->TimerChat.Enabled());
    Type("三");
    Enter();
    const QList<QByteArray> sent = Sent(2);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[0].toHex(), Line("甲说道: 你好", 0));
    EXPECT_EQ(sent[1].toHex(), Line("甲说道: 三", 0));

    // Enter on an empty box also closes the guard.
    f->TimerChat.Fire();
    Enter();
    Type("x");
    Enter();
    EXPECT_TRUE(NothingQueued());
    EXPECT_EQ(History().List(History().ListCount() - 1), Flood);
}

// Setting: a click on avatar 1, "hi" typed; then the caret steps and the
// Backspace.
TEST_P(ChatLine, BackspaceIntoThePrefixTakesTheWholePrefixOut)
{
    const QString p = Prefix("乙"); // six characters
    const struct {
        const char* name;
        QString before; // typed in front of the prefix
        int caret, selection;
        QString box;    // after the Backspace
        bool prefixGone;
    } cases[] = {
        {"right after the prefix", "", 6, 0, "hi", true},
        {"inside the prefix", "", 3, 0, "hi", true},
        {"after the h: deletes normally", "", 7, 0, p + "i", false},
        {"at the start: nothing", "", 0, 0, p + "hi", false},
        {"a selection across the prefix's end", "", 4, 3, "hi", true},
        {"after a prefix that stands later", "ab", 8, 0, "abhi", true},
        {"before a prefix that stands later", "ab", 2, 0, "a" + p + "hi", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        Avatar(1);
        Type("hi");
        if (!c.before.isEmpty()) {
            Home();
            Type(c.before);
        }
        f->Chat.SetSelStart(c.caret);
        f->Chat.SetSelLength(c.selection);
        Backspace();
        EXPECT_EQ(f->Chat.Text(), c.box);
        EXPECT_EQ(WhisperPrefix, c.prefixGone ? QString() : p);
        EXPECT_EQ(WhisperSide, c.prefixGone ? 0 : MaskOf(1));
        EXPECT_FALSE(f->PrefixErasePending);
        if (c.prefixGone) {
            EXPECT_EQ(f->Chat.SelStart(), c.box.size());
        }
        // A key typed next is kept where it is typed.
        f->Chat.SetSelStart(0);
        Type("x");
        EXPECT_EQ(f->Chat.Text(), "x" + c.box);
    }
    // With the prefix gone, the line goes out public.
    Reset();
    Avatar(1);
    Type("hi");
    Backspace();
    Backspace();
    Backspace();
    EXPECT_EQ(f->Chat.Text(), QString());
    Type("hi");
    Enter();
    const QList<QByteArray> sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), Line("甲说道: hi", 0));
}

TEST_P(ChatLine, OnlyAnotherSeatedPlayersAvatarStartsAPrivateLine)
{
    // On the hidden table the box cannot take the keyboard; the line is set all the same.
    Avatar(1);
    EXPECT_EQ(f->Chat.Text(), Prefix("乙"));
    mjtest::FakeHall hall(QStringLiteral("聊天行测试大厅"));
    HallTitle = QStringLiteral("聊天行测试大厅");
    f->Show();
    f->Pic1.SetFocus();
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !f->ChatHasFocus; }));
    Avatar(2);
    EXPECT_EQ(f->Chat.Text(), Prefix("丙"));
    EXPECT_EQ(f->Chat.SelStart(), Prefix("丙").size());
    EXPECT_EQ(WhisperSide, MaskOf(2));
    EXPECT_TRUE(mjtest::PumpUntil([&] { return f->ChatHasFocus; }));

    const struct {
        const char* name;
        int16_t index;
        std::function<void()> arrange;
    } cases[] = {
        {"the own avatar", 0, [] {}},
        {"an empty seat", 3, [] { Players[3].Name.clear(); }},
        {"a seat whose mask is not known", 1, [] { custom[1].SeatMask = 0; }},
        {"before the login was accepted", 1, [] { LoggedIn = false; }},
        {"a side above 3", 4, [] {}},
        {"a negative side", -1, [] {}},
        {"a large side", 300, [] {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint8_t mask1 = custom[1].SeatMask;
        Players[3].Name = QStringLiteral("丁");
        LoggedIn = true;
        WhisperPrefix = Prefix("丙");
        WhisperSide = MaskOf(2);
        f->Chat.SetText(Prefix("丙") + "hi");
        c.arrange();
        int16_t index = c.index;
        if (index >= 0 && index <= 3)
            Avatar(index);
        else
            f->Tou_Click(index);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(f->Chat.Text(), Prefix("丙") + "hi");
        EXPECT_EQ(WhisperPrefix, Prefix("丙"));
        EXPECT_EQ(WhisperSide, MaskOf(2));
        custom[1].SeatMask = mask1;
    }
}

TEST_P(ChatLine, InWatchModeEnterSendsNothingButTheSendButtonDoes)
{
    WatchMode = true;
    const int lines = History().ListCount();
    Type("你好");
    Enter();
    EXPECT_TRUE(NothingQueued());
    EXPECT_EQ(f->Chat.Text(), QStringLiteral("你好"));
    EXPECT_TRUE(ChatMaySend);
    EXPECT_FALSE(f->TimerChat.Enabled());
    EXPECT_EQ(History().ListCount(), lines);

    Click(f->AnNiu(0).Widget());
    const QList<QByteArray> sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), Line("甲说道: 你好", 0));
    WatchMode = false;
}

// When the send ring has no room, the typed line and its target go back into
// the box, whichever way it was sent.
TEST_P(ChatLine, AFullSendRingGivesTheLineBack)
{
    MsgHeader keepAlive;
    keepAlive.Code = MsgKeepAlive;
    while (Total::QueueMessage(keepAlive)) {
    }
    const int32_t waiting = Total::SendWaiting();
    for (bool button : {false, true}) {
        SCOPED_TRACE(button ? "the send button" : "Enter");
        Reset();
        Avatar(1);
        Type("hi");
        if (button)
            Click(f->AnNiu(0).Widget());
        else
            Enter();
        EXPECT_EQ(Total::SendWaiting(), waiting);
        EXPECT_EQ(f->Chat.Text(), Prefix("乙") + "hi");
        EXPECT_EQ(WhisperPrefix, Prefix("乙"));
        EXPECT_EQ(WhisperSide, MaskOf(1));
        EXPECT_TRUE(ChatOut.isEmpty());
        EXPECT_TRUE(ChatMaySend); // nothing went out: the next Enter may try again
    }
    Total::SendReadPos = Total::SendWritePos;
}

TEST_P(ChatLine, AKeyClearsAHistoryOfMoreThan100Lines)
{
    for (int held : {100, 101}) {
        SCOPED_TRACE(held);
        History().Clear();
        for (int i = 0; i < held; ++i)
            History().AddItem(QString::number(i));
        Type("a");
        EXPECT_EQ(History().ListCount(), held > 100 ? 0 : held);
    }
}

MJ_SEATED_CASES(ChatLine);

} // namespace
