// The chat window, the phrase window and the rules page over the table at
// both layouts, with the files the run command ships beside the client:
// incoming chat from mjserver (the demonstration's lines, filtered lines and
// a flood) and the flood guard's notice. Screenshots go to the test
// artifacts.
#include "LinkedTable.h"

#include "social/Talk.h"
#include "social/huifu.h"
#include "social/rule.h"

#include <QImage>

using namespace mj;

namespace {

const QString Title = QStringLiteral("聊天截图大厅");

// The chat lines of the demonstration's script, as script lines.
QStringList DemoChatLines()
{
    QFile file(QStringLiteral(MJ_SOURCE_DIR "/scripts/demo-server.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n'))
        if (line.startsWith(QStringLiteral("send 19 ")))
            lines << line;
    return lines;
}

class ChatScreens : public ::testing::TestWithParam<bool>, protected mjtest::LinkedTable {
protected:
    ChatScreens() : LinkedTable(Title) {}
    void SetUp() override
    {
        OpenTable(small() ? QSize(800, 600) : QSize(1024, 768));
        for (const char* name : {"chat.ini", "rule.ini", "filtchat.ini"})
            ShipFile(QString::fromLatin1(name));
        // The deployment's names to filter.
        WriteFile(QStringLiteral("filtchat.ini"), Gbk::Encode(QStringLiteral("[FiltChat]\r\n1=张大炮\r\n2=\r\n")));
        Players[0].Name = QStringLiteral("玩家一");
        Players[0].Tag = QStringLiteral("雀友");
        custom[0].SeatMask = 4;
        w->Show();
    }
    bool small() const { return GetParam(); }

    // The table window with the floating windows drawn where they stand.
    void Screenshot(const char* what, std::initializer_list<Form*> over)
    {
        const QImage shot = mjtest::GrabWithWindowsOver(*w, over);
        const QString path = mjtest::ArtifactDir()
            + QStringLiteral("/chat-%1-%2.png").arg(QLatin1String(what)).arg(small() ? "800x600" : "1024x768");
        EXPECT_TRUE(shot.save(path));
        EXPECT_EQ(shot.size(), small() ? QSize(800, 600) : QSize(1024, 768));
    }
};

TEST_P(ChatScreens, TheChatWindowThePhrasesAndTheRulesOverTheTable)
{
    constexpr int Flood = 520;
    const QStringList demo = DemoChatLines();
    ASSERT_EQ(demo.size(), 2);
    mjtest::ServerProcess server(QStringLiteral("expect 18\n"
                                                "repeat %1\n"
                                                "send 19 8 0 0 0 0 gbk:\"赵六说道: 第{i}句\"\n"
                                                "endrepeat\n"
                                                "%2\n"
                                                "send 19 8 0 0 0 0 gbk:\"赵六说道: 张大炮他妈的又断线了\"\n"
                                                "send 19 2 0 0 0 0 gbk:\"李四说道: Shit，FUCK，婊子养的\"\n"
                                                "wait-close timeout 30\n")
                                     .arg(Flood)
                                     .arg(demo.join(u'\n')));
    ConnectTo(server);
    ASSERT_EQ(HandleFrames(Flood + 4), Flood + 4);

    // The flood in order, its oldest lines gone; then the demonstration's
    // lines and the filtered ones.
    ListBox& history = form<Talk>().Text1;
    ASSERT_EQ(history.ListCount(), Talk::HistoryLimit);
    const int first = Flood + 4 - Talk::HistoryLimit;
    for (int i = 0; i < Flood - first; ++i)
        ASSERT_EQ(history.List(i), QStringLiteral("赵六说道: 第%1句 ").arg(first + i)) << i;
    EXPECT_EQ(history.List(496), QStringLiteral("李四说道: 大家好，祝各位好运！ "));
    EXPECT_EQ(history.List(497), QStringLiteral("王五对你说: 快点开始吧 "));
    EXPECT_EQ(history.List(498), QStringLiteral("赵六说道: 又断线了 "));
    EXPECT_EQ(history.List(499), QStringLiteral("李四说道: Shit，FUCK， "));
    // The flood guard's notice, as the chat line puts it.
    history.AddItem(QStringLiteral("（发送消息太快！）"));
    history.SetTopIndex(history.ListCount() - 1);

    w->Lbchat_Click();
    ASSERT_TRUE(form<Talk>().Visible());
    Screenshot("window", {&form<Talk>()});

    // The voiced phrases, the third one chosen.
    w->imgword2_Click();
    huifu& phrases = form<huifu>();
    ASSERT_FALSE(form<Talk>().Visible());
    ASSERT_EQ(phrases.List1.ListCount(), 10);
    ASSERT_EQ(phrases.List2.ListCount(), 8);
    phrases.List2.SetListIndex(2);
    Screenshot("phrases", {&phrases});
    phrases.Hide();

    rule& page = form<rule>();
    EXPECT_TRUE(page.Label2.Caption().startsWith(QStringLiteral("一、牌张\r\n")));
    EXPECT_FALSE(page.Label2.Caption().contains(u'?'));
    page.Show();
    Screenshot("rules", {&page});
    w->Winsock1.Close();
}

INSTANTIATE_TEST_SUITE_P(Layouts, ChatScreens, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Small" : "Normal"; });

} // namespace
