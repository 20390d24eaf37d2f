// The quick-phrase window: chat.ini read into its two lists, the two hot
// spots on the location bar, and the phrases sent to mjserver over loopback
// as chat frames, checked byte by byte, with the own voice line of a voiced
// phrase.
#include "LinkedTable.h"

#include "client/Mod_Sound.h"
#include "social/Talk.h"
#include "social/huifu.h"

#include <QListWidget>

using namespace mj;
using mjtest::PumpUntil;

namespace {

const QString Title = QStringLiteral("短语测试大厅");

QByteArray GbkBytes(const char* utf8)
{
    return Gbk::Encode(QString::fromUtf8(utf8));
}

QStringList Lines(const ListBox& list)
{
    QStringList lines;
    for (int i = 0; i < list.ListCount(); ++i)
        lines << list.List(i);
    return lines;
}

// A real double click on a row of a list box.
void DoubleClickRow(ListBox& list, int row)
{
    auto* widget = qobject_cast<QListWidget*>(list.Widget());
    ASSERT_NE(widget, nullptr);
    ASSERT_LT(row, widget->count());
    const QPointF at = QRectF(widget->visualItemRect(widget->item(row))).center();
    QWidget* viewport = widget->viewport();
    mjtest::SendMouse(viewport, QEvent::MouseButtonPress, at);
    mjtest::SendMouse(viewport, QEvent::MouseButtonRelease, at);
    mjtest::SendMouse(viewport, QEvent::MouseButtonDblClick, at);
    mjtest::SendMouse(viewport, QEvent::MouseButtonRelease, at);
}

class QuickPhrases : public ::testing::Test, protected mjtest::LinkedTable {
protected:
    QuickPhrases() : LinkedTable(Title) {}
    void SetUp() override
    {
        OpenTable();
        Players[0].Name = QStringLiteral("甲");
        Players[0].VoiceLang = QStringLiteral("00");
        Players[0].VoicePack = QStringLiteral("10");
        Players[0].Sex = 1;
        Players[0].VoiceSex = 3;
        custom[0].SeatMask = 4;
    }

    void writeChatIni(const QByteArray& bytes) { WriteFile(QStringLiteral("chat.ini"), bytes); }
};

TEST_F(QuickPhrases, ChatIniFillsTheTwoLists)
{
    const struct {
        const char* name;
        QByteArray file; // empty: no file
        QStringList texts, voiced;
    } cases[] = {
        {"the example", GbkBytes("[Phrase1]\r\nnum=2\r\n1=你好\r\n2=快点\r\n"), {"你好", "快点"}, {}},
        {"both sections, blanks trimmed",
         GbkBytes("[Phrase1]\r\nnum=1\r\n1=  大家好  \r\n[Phrase2]\r\nnum=3\r\n1=一\r\n2=二\r\n3=三\r\n"),
         {"大家好"}, {"一", "二", "三"}},
        {"num above the keys adds empty lines", GbkBytes("[Phrase1]\r\nnum=3\r\n2=二\r\n"), {"", "二", ""}, {}},
        {"num missing", GbkBytes("[Phrase1]\r\n1=一\r\n"), {}, {}},
        {"num 0", GbkBytes("[Phrase1]\r\nnum=0\r\n1=一\r\n"), {}, {}},
        {"num below 0", GbkBytes("[Phrase1]\r\nnum=-3\r\n1=一\r\n"), {}, {}},
        {"num not a number", GbkBytes("[Phrase1]\r\nnum=abc\r\n1=一\r\n"), {}, {}},
        {"num a number and more", GbkBytes("[Phrase1]\r\nnum=2x\r\n1=一\r\n2=二\r\n"), {"一", "二"}, {}},
        {"bytes that are not GBK", QByteArray("[Phrase2]\r\nnum=1\r\n1=ok\x81\r\n"), {}, {"ok?"}},
        {"no file", {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        unload<huifu>();
        QFile::remove(dir.filePath(QStringLiteral("chat.ini")));
        if (!c.file.isEmpty())
            writeChatIni(c.file);
        huifu& window = form<huifu>();
        EXPECT_EQ(Lines(window.List1), c.texts);
        EXPECT_EQ(Lines(window.List2), c.voiced);
    }
}

TEST_F(QuickPhrases, AHugeNumIsHeldAt200)
{
    writeChatIni(GbkBytes("[Phrase1]\r\nnum=40000\r\n1=一\r\n200=末\r\n201=多\r\n"));
    huifu& window = form<huifu>();
    ASSERT_EQ(window.List1.ListCount(), huifu::MaxPhrases);
    EXPECT_EQ(window.List1.List(0), QStringLiteral("一"));
    EXPECT_EQ(window.List1.List(199), QStringLiteral("末"));
}

TEST_F(QuickPhrases, TheHotSpotsToggleAndSwitchTheLists)
{
    w->Move(1500, 900);
    mjtest::Click(w->Lbchat.Widget());
    ASSERT_TRUE(form<Talk>().Visible());

    mjtest::Click(w->imgword1.Widget()); // 短语1: opens with the text list, the chat window goes
    huifu& window = form<huifu>();
    EXPECT_FALSE(form<Talk>().Visible());
    ASSERT_TRUE(window.Visible());
    EXPECT_TRUE(window.TopMost());
    EXPECT_TRUE(window.List1.Visible());
    EXPECT_FALSE(window.List2.Visible());
    EXPECT_DOUBLE_EQ(window.Top(), w->Top() + w->Pic1.Top() + 0.66 * w->Pic1.Height());
    EXPECT_DOUBLE_EQ(window.Left(), w->Left() + w->Pic1.Left() + 0.3 * w->Pic1.Width());
    EXPECT_EQ(window.WindowAlpha(), 255);

    window.Move(30, 40);
    mjtest::Click(w->imgword2.Widget()); // 短语2: switches lists where it stands
    EXPECT_TRUE(window.Visible());
    EXPECT_FALSE(window.List1.Visible());
    EXPECT_TRUE(window.List2.Visible());
    EXPECT_EQ(window.Left(), 30);
    EXPECT_EQ(window.Top(), 40);
    EXPECT_EQ(window.List2.ToolTipText(), QStringLiteral("双击后发送你想说的话"));

    mjtest::Click(w->imgword2.Widget()); // again: closes
    EXPECT_FALSE(window.Visible());
    mjtest::Click(w->imgword1.Widget());
    EXPECT_TRUE(window.Visible());
    mjtest::Click(w->imgword1.Widget()); // 短语1 twice: open, close
    EXPECT_FALSE(window.Visible());

    mjtest::Click(w->imgword1.Widget());
    mjtest::Click(window.Label1.Widget()); // the title strip closes it
    EXPECT_FALSE(window.Visible());

    // Opening the chat window leaves the phrase window open.
    mjtest::Click(w->imgword1.Widget());
    mjtest::Click(w->Lbchat.Widget());
    EXPECT_TRUE(window.Visible());
    EXPECT_TRUE(form<Talk>().Visible());
}

TEST_F(QuickPhrases, NothingSelectedSendsAndPlaysNothing)
{
    writeChatIni(GbkBytes("[Phrase1]\r\nnum=1\r\n1=一\r\n[Phrase2]\r\nnum=1\r\n1=二\r\n"));
    huifu& window = form<huifu>();
    window.Show();
    audio->ClearLog();
    window.List1_DblClick();
    window.List2_DblClick();
    EXPECT_EQ(Total::SendWaiting(), 0);
    EXPECT_TRUE(audio->Log().isEmpty());
    EXPECT_FALSE(window.Visible());

    // An empty voiced list: nothing either.
    unload<huifu>();
    QFile::remove(dir.filePath(QStringLiteral("chat.ini")));
    form<huifu>().List2_DblClick();
    EXPECT_EQ(Total::SendWaiting(), 0);
}

// When the send ring has no room, the typed text and the private prefix
// stay in the box.
TEST_F(QuickPhrases, AFullSendRingLeavesTheBoxAsItWas)
{
    writeChatIni(GbkBytes("[Phrase2]\r\nnum=1\r\n1=二\r\n"));
    MsgHeader keepAlive;
    keepAlive.Code = MsgKeepAlive;
    while (Total::QueueMessage(keepAlive)) {
    }
    const int32_t waiting = Total::SendWaiting();
    WhisperPrefix = QStringLiteral("你对乙说: ");
    WhisperSide = 2;
    w->Chat.SetText(WhisperPrefix + QStringLiteral("hi"));
    huifu& window = form<huifu>();
    window.List2.SetListIndex(0);
    audio->ClearLog();
    window.List2_DblClick();
    EXPECT_EQ(Total::SendWaiting(), waiting);
    EXPECT_EQ(w->Chat.Text(), QStringLiteral("你对乙说: hi"));
    EXPECT_EQ(WhisperPrefix, QStringLiteral("你对乙说: "));
    EXPECT_TRUE(ChatOut.isEmpty());
    EXPECT_TRUE(audio->Log().filter(QStringLiteral("create")).isEmpty());
}

// The table window linked to mjserver: the phrases as the server records them.
using PhrasesToServer = QuickPhrases;

TEST_F(PhrasesToServer, PhrasesGoOutDressedAndTheVoicedOneIsHeard)
{
    writeChatIni(GbkBytes("[Phrase1]\r\nnum=3\r\n1=你好\r\n2=快点\r\n")
                 + Gbk::Encode(QStringLiteral("3=") + QString(120, QChar(u'长')))
                 + GbkBytes("\r\n[Phrase2]\r\nnum=3\r\n1=一\r\n2=二\r\n3=打得好\r\n"));
    mjtest::ServerProcess server(QStringLiteral("expect 18\nexpect 19\nexpect 19\nexpect 19\nexpect 19\nexpect 19\n"
                                                "wait-close timeout 30\n"));
    ConnectTo(server);
    w->Show();

    // A text phrase: all values 0.
    mjtest::Click(w->imgword1.Widget());
    huifu& window = form<huifu>();
    ASSERT_TRUE(window.Visible());
    DoubleClickRow(window.List1, 1);
    EXPECT_FALSE(window.Visible());
    EXPECT_EQ(NextChatFrame(server).toHex(), mjtest::ChatFrame(4, {0, 0, 0, 0}, QStringLiteral("甲说道: 快点")).toHex());

    // With the private prefix in the box: to the target, the phrase alone as
    // the body; the box is emptied.
    WhisperPrefix = QStringLiteral("你对乙说: ");
    WhisperSide = 2;
    w->Chat.SetText(WhisperPrefix + QStringLiteral("typed"));
    mjtest::Click(w->imgword1.Widget());
    DoubleClickRow(window.List1, 0);
    EXPECT_EQ(NextChatFrame(server).toHex(), mjtest::ChatFrame(4, {0, 2, 0, 0}, QStringLiteral("甲对乙说: 你好")).toHex());
    EXPECT_EQ(w->Chat.Text(), QString());
    EXPECT_EQ(WhisperPrefix, QString());

    // Voiced phrase 3: values 1, 97, 3 and the own voice line a3.wav.
    audio->ClearLog();
    mjtest::Click(w->imgword2.Widget());
    ASSERT_TRUE(window.List2.Visible());
    DoubleClickRow(window.List2, 2);
    EXPECT_EQ(NextChatFrame(server).toHex(), mjtest::ChatFrame(4, {1, 0, 97, 3}, QStringLiteral("甲说道: 打得好")).toHex());
    const QStringList created = audio->Log().filter(QStringLiteral("create "));
    ASSERT_EQ(created.size(), 1);
    // No voice files here: the attempt names the file.
    EXPECT_TRUE(created[0].startsWith(QStringLiteral("create ") + Mod_Resource::VoiceDir + QStringLiteral("v001013a3.wav")))
        << created[0].toStdString();

    // A long name and a long phrase: the line is cut to 100 characters from
    // byte 16, and zeros follow up to the token.
    Players[0].Name = QString(30, QChar(u'名'));
    mjtest::Click(w->imgword1.Widget());
    DoubleClickRow(window.List1, 2);
    const QString line = Players[0].Name + QStringLiteral("说道: ") + QString(120, QChar(u'长'));
    const QByteArray cut = NextChatFrame(server);
    EXPECT_EQ(cut.toHex(), mjtest::ChatFrame(4, {0, 0, 0, 0}, line.left(100)).toHex());
    const qsizetype end = 16 + Gbk::Encode(line.left(100)).size(); // 198 bytes: the blank of "说道: " is one
    EXPECT_NE(cut.at(end - 1), 0);
    EXPECT_EQ(cut.mid(end, 272 - end), QByteArray(272 - end, '\0'));
    Players[0].Name = QStringLiteral("甲");

    // In watch mode a phrase still goes out.
    WatchMode = true;
    mjtest::Click(w->imgword1.Widget());
    DoubleClickRow(window.List1, 0);
    EXPECT_EQ(NextChatFrame(server).toHex(), mjtest::ChatFrame(4, {0, 0, 0, 0}, QStringLiteral("甲说道: 你好")).toHex());
    w->Winsock1.Close();
}

} // namespace
