// The quick-phrase window: chat.ini read into its two lists, the two hot
// spots on the location bar, and the phrases sent to mjserver over loopback
// as chat frames, checked byte by byte, with the own voice line of a voiced
// phrase.
#include "FakeHall.h"
#include "ServerProcess.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Proxy.h"
#include "client/Mod_Sound.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Gbk.h"
#include "platform/Program.h"
#include "platform/Winsock.h"
#include "social/Talk.h"
#include "social/huifu.h"

#include <QCoreApplication>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

class QuickPhrases : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetProgramFolder(dir.path());
        w = &mjtest::OpenTableWindow(Title);
        Mod_Resource::InitSoundFiles();
        auto owned = std::make_unique<Audio::RecordingBackend>();
        audio = owned.get();
        Audio::SetBackend(std::move(owned));
        Players[0].Name = QStringLiteral("甲");
        Players[0].VoiceLang = QStringLiteral("00");
        Players[0].VoicePack = QStringLiteral("10");
        Players[0].Sex = 1;
        Players[0].VoiceSex = 3;
        custom[0].SeatMask = 4;
    }

    void writeChatIni(const QByteArray& bytes)
    {
        QFile file(dir.filePath(QStringLiteral("chat.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
    MainForm* w = nullptr;
    Audio::RecordingBackend* audio = nullptr;
    mjtest::FakeHall hall{Title};
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
    EXPECT_EQ(window.WindowAlpha(), 200);

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
class PhrasesToServer : public QuickPhrases {
protected:
    void connectTo(const mjtest::ServerProcess& server)
    {
        ASSERT_GT(server.Port(), 0);
        mjtest::LeaveTimersToTest(*w);
        Total::BuildLoginFrame(QStringLiteral("player1"), QStringLiteral("pw"));
        DirectLink = true;
        w->Winsock1.SetRemoteHost(QStringLiteral("127.0.0.1"));
        w->Winsock1.SetRemotePort(server.Port());
        w->Winsock1.Connect();
        ConnectWatchOn = true;
        ConnectWatchTicks = 0;
        for (int t = 0; t < 200 && ConnectWatchOn; ++t) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            tick();
        }
        ASSERT_FALSE(ConnectWatchOn) << "the login frame never went out";
    }

    void tick()
    {
        Clock::Advance(0.05);
        w->TimerBong_Timer();
    }

    // Sends what is queued and returns the next chat frame the server records.
    QByteArray nextFrame(mjtest::ServerProcess& server)
    {
        const auto chats = [&] { return server.Received().filter(QStringLiteral("recv 19 ")); };
        const qsizetype before = chats().size();
        for (int t = 0; t < 10 && Total::SendWaiting() > 0; ++t)
            tick();
        if (!PumpUntil([&] { return chats().size() > before; }))
            return {};
        return QByteArray::fromHex(chats()[before].section(u' ', 7).toLatin1());
    }

    static QByteArray chatFrame(uint8_t seat, std::array<uint16_t, 4> values, const QString& text)
    {
        QByteArray f(272, '\0');
        f[3] = 19;
        f[6] = static_cast<char>(seat);
        for (int k = 0; k < 4; ++k) {
            f[8 + 2 * k] = static_cast<char>(values[k] >> 8);
            f[9 + 2 * k] = static_cast<char>(values[k] & 0xFF);
        }
        const QByteArray bytes = Gbk::Encode(text);
        f.replace(16, bytes.size(), bytes);
        return f;
    }
};

TEST_F(PhrasesToServer, PhrasesGoOutDressedAndTheVoicedOneIsHeard)
{
    writeChatIni(GbkBytes("[Phrase1]\r\nnum=2\r\n1=你好\r\n2=快点\r\n"
                          "[Phrase2]\r\nnum=3\r\n1=一\r\n2=二\r\n3=打得好\r\n"));
    mjtest::ServerProcess server(QStringLiteral("expect 18\nexpect 19\nexpect 19\nexpect 19\nexpect 19\n"
                                                "wait-close timeout 30\n"));
    connectTo(server);
    w->Show();

    // A text phrase: all values 0.
    mjtest::Click(w->imgword1.Widget());
    huifu& window = form<huifu>();
    ASSERT_TRUE(window.Visible());
    DoubleClickRow(window.List1, 1);
    EXPECT_FALSE(window.Visible());
    EXPECT_EQ(nextFrame(server).toHex(), chatFrame(4, {0, 0, 0, 0}, QStringLiteral("甲说道: 快点")).toHex());

    // With the private prefix in the box: to the target, the phrase alone as
    // the body; the box is emptied.
    WhisperPrefix = QStringLiteral("你对乙说: ");
    WhisperSide = 2;
    w->Chat.SetText(WhisperPrefix + QStringLiteral("typed"));
    mjtest::Click(w->imgword1.Widget());
    DoubleClickRow(window.List1, 0);
    EXPECT_EQ(nextFrame(server).toHex(), chatFrame(4, {0, 2, 0, 0}, QStringLiteral("甲对乙说: 你好")).toHex());
    EXPECT_EQ(w->Chat.Text(), QString());
    EXPECT_EQ(WhisperPrefix, QString());

    // Voiced phrase 3: values 1, 97, 3 and the own voice line a3.wav.
    audio->ClearLog();
    mjtest::Click(w->imgword2.Widget());
    ASSERT_TRUE(window.List2.Visible());
    DoubleClickRow(window.List2, 2);
    EXPECT_EQ(nextFrame(server).toHex(), chatFrame(4, {1, 0, 97, 3}, QStringLiteral("甲说道: 打得好")).toHex());
    const QStringList created = audio->Log().filter(QStringLiteral("create "));
    ASSERT_EQ(created.size(), 1);
    // No voice files here: the attempt names the file.
    EXPECT_TRUE(created[0].startsWith(QStringLiteral("create ") + Mod_Resource::VoiceDir + QStringLiteral("v001013a3.wav")))
        << created[0].toStdString();

    // In watch mode a phrase still goes out.
    WatchMode = true;
    mjtest::Click(w->imgword1.Widget());
    DoubleClickRow(window.List1, 0);
    EXPECT_EQ(nextFrame(server).toHex(), chatFrame(4, {0, 0, 0, 0}, QStringLiteral("甲说道: 你好")).toHex());
    w->Winsock1.Close();
}

} // namespace
