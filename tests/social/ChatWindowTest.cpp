// The chat window over the table: its hot spot, its title strip, the
// Alt-then-C pair in its list, its place at both layouts, the bound on its
// history; and the word filter of incoming chat with the names from
// filtchat.ini.
#include "FakeHall.h"
#include "FrameBuilder.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "platform/Gbk.h"
#include "platform/Program.h"
#include "social/FiltChat.h"
#include "social/Talk.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mj;

namespace {

const QString Title = QStringLiteral("聊天测试大厅");

// Writes `bytes` as filtchat.ini into the program folder.
void WriteFilterFile(const QString& folder, const QByteArray& bytes)
{
    QFile file(folder + QStringLiteral("/filtchat.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray GbkBytes(const char* utf8)
{
    return mj::Gbk::Encode(QString::fromUtf8(utf8));
}

class WordFilter : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetProgramFolder(dir.path());
    }
    QTemporaryDir dir;
};

TEST_F(WordFilter, TheFixedWordsGoWholeAndCaseSensitive)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"[T]A说道: 他妈的好", "[T]A说道: 好"},
        {"婊子养的东西", "东西"},         // the long word goes whole, not leaving 养的
        {"婊子你", "你"},
        {"法轮功她妈的它妈的淫色情黄色", ""}, // only listed words
        {"Shit and FUCK", "Shit and FUCK"},
        {"shitfuck", ""},
        {"shshitit", "shit"},           // a word joined by a removal stays
        {"黄色情", "黄"},                 // 色情 comes first and takes the 色
        {"", ""},
        {"你好", "你好"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(FiltChat::FilterChat(QString::fromUtf8(c.in)), QString::fromUtf8(c.out));
    }
}

TEST_F(WordFilter, NamesComeFromFiltchatIniReadOnce)
{
    QFile shipped(QStringLiteral(MJ_SOURCE_DIR "/scripts/filtchat.ini"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QByteArray shippedBytes = shipped.readAll();
    ASSERT_TRUE(shippedBytes.contains("[FiltChat]"));
    const struct {
        const char* name;
        QByteArray file; // empty: no file
        const char* in;
        const char* out;
    } cases[] = {
        {"no file", {}, "张三丰说李四", "张三丰说李四"},
        {"the shipped file: no names yet", shippedBytes, "张三丰说 = 李四", "张三丰说 = 李四"},
        {"four names",
         GbkBytes("[FiltChat]\r\n1=张三丰\r\n2=李四\r\n3=王五六\r\n4=abc\r\n"),
         "张三丰说李四和王五六abcd", "说和d"},
        {"empty and missing keys match nothing", "[FiltChat]\r\n1=\r\n3=  \r\n", "张三丰 说", "张三丰 说"},
        {"a name before the fixed words", GbkBytes("[FiltChat]\r\n2=他妈\r\n"), "他妈的", "的"},
        {"bytes that are not GBK read as ?", "[FiltChat]\r\n1=a\x81\r\n", "a?b", "b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(dir.filePath(QStringLiteral("filtchat.ini")));
        if (!c.file.isEmpty())
            WriteFilterFile(dir.path(), c.file);
        FiltChat::ResetState();
        EXPECT_EQ(FiltChat::FilterChat(QString::fromUtf8(c.in)), QString::fromUtf8(c.out));
    }
    // Read once: a file written later changes nothing until the next run.
    FiltChat::ResetState();
    QFile::remove(dir.filePath(QStringLiteral("filtchat.ini")));
    EXPECT_EQ(FiltChat::FilterChat(QStringLiteral("abc")), QStringLiteral("abc"));
    WriteFilterFile(dir.path(), "[FiltChat]\r\n1=abc\r\n");
    EXPECT_EQ(FiltChat::FilterChat(QStringLiteral("abc")), QStringLiteral("abc"));
}

// An incoming chat line is filtered before it reaches the window and the
// message lines.
TEST_F(WordFilter, IncomingLinesAreFilteredBeforeTheyShow)
{
    WriteFilterFile(dir.path(), GbkBytes("[FiltChat]\r\n1=李四\r\n"));
    MainForm& w = mjtest::OpenTableWindow(Title);
    custom[0].SeatMask = 1;
    mjtest::Dispatch(mjtest::ServerFrame(19).Seat(2).Text(16, QStringLiteral("甲说道: 李四他妈的好")));
    EXPECT_EQ(form<Talk>().Text1.List(0), QStringLiteral("甲说道: 好 "));
    EXPECT_EQ(w.Sysmsg(0).List(0), QStringLiteral("甲说道: 好"));
}

class ChatWindow : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        w = &mjtest::OpenTableWindow(Title, small() ? QSize(800, 600) : QSize(1024, 768));
        w->Move(1500, 900);
    }
    bool small() const { return GetParam(); }

    void type(QWidget* target, Qt::Key key)
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &down);
    }

    MainForm* w = nullptr;
    mjtest::FakeHall hall{Title};
};

TEST_P(ChatWindow, TheHotSpotOpensAndClosesItInItsPlace)
{
    ASSERT_EQ(ScaleX < 1, small());
    const double top = small() ? w->Top() + w->Pic1.Top() + 0.6 * w->Height()
                               : w->Top() + w->Pic1.Top() + 0.66 * w->Pic1.Height();
    const double left = small() ? w->Left() + w->Pic1.Left() + 0.22 * w->Width()
                                : w->Left() + w->Pic1.Left() + 0.3 * w->Pic1.Width();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        mjtest::Click(w->Lbchat.Widget());
        Talk& talk = form<Talk>();
        ASSERT_TRUE(talk.Visible());
        EXPECT_TRUE(talk.TopMost());
        EXPECT_DOUBLE_EQ(talk.Top(), top);
        EXPECT_DOUBLE_EQ(talk.Left(), left);
        talk.Move(0, 0); // each show places it anew
        mjtest::Click(w->Lbchat.Widget());
        EXPECT_FALSE(talk.Visible());
    }
}

TEST_P(ChatWindow, LoadingPlacesItByTheTableWindowsSizeAndLeavesItOpaque)
{
    Talk& talk = form<Talk>();
    EXPECT_FALSE(talk.Visible());
    EXPECT_DOUBLE_EQ(talk.Top(), 0.66 * w->Height());
    EXPECT_DOUBLE_EQ(talk.Left(), 0.3 * w->Width());
    EXPECT_EQ(talk.WindowAlpha(), 255);
    EXPECT_EQ(talk.Caption(), QStringLiteral("聊天"));
    EXPECT_EQ(talk.Picture().Image().size(), QSize(320, 180));
}

TEST_P(ChatWindow, TheTitleStripHidesIt)
{
    mjtest::Click(w->Lbchat.Widget());
    Talk& talk = form<Talk>();
    ASSERT_TRUE(talk.Visible());
    mjtest::Click(talk.Label1.Widget());
    EXPECT_FALSE(talk.Visible());
}

TEST_P(ChatWindow, AltAndCTypedInTheListCloseIt)
{
    const struct {
        std::vector<Qt::Key> keys;
        bool closes;
    } cases[] = {
        {{Qt::Key_Alt, Qt::Key_C}, true},
        {{Qt::Key_C, Qt::Key_Alt}, true},
        {{Qt::Key_Alt, Qt::Key_X, Qt::Key_C}, false},
        {{Qt::Key_Alt, Qt::Key_Alt, Qt::Key_C}, true},
        {{Qt::Key_C, Qt::Key_C}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.keys));
        AltKeyFlags.Fill(0);
        Talk& talk = form<Talk>();
        if (!talk.Visible())
            mjtest::Click(w->Lbchat.Widget());
        ASSERT_TRUE(talk.Visible());
        for (Qt::Key key : c.keys)
            type(talk.Text1.Widget(), key);
        EXPECT_EQ(!talk.Visible(), c.closes);
        if (c.closes) {
            EXPECT_EQ(AltKeyFlags[0], 0);
            EXPECT_EQ(AltKeyFlags[1], 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ChatWindow, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Small" : "Normal"; });

// The history keeps its newest lines, whoever appends them.
TEST(ChatHistory, KeepsTheNewest500Lines)
{
    ListBox& history = form<Talk>().Text1;
    for (int i = 0; i < 520; ++i)
        history.AddItem(QString::number(i));
    ASSERT_EQ(history.ListCount(), Talk::HistoryLimit);
    EXPECT_EQ(history.List(0), QStringLiteral("20"));
    EXPECT_EQ(history.List(499), QStringLiteral("519"));
}

} // namespace
