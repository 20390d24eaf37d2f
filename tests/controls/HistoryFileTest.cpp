// The hand history file: the score board saved as one section per hand in
// info.qv beside the program, and loaded back. Real files in a temporary
// folder.
#include "FileEvents.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "controls/Operate.h"
#include "controls/Score.h"
#include "platform/Gbk.h"
#include "platform/Program.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mj;

namespace {

class HistoryFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        SetProgramFolder(tmp.path());
        mjtest::OpenTableWindow(QStringLiteral("历史测试大厅"));
        Image_Resource::InitPictureIds();
    }

    static void Fill(ListBox& list, const QStringList& lines)
    {
        list.Clear();
        for (const QString& line : lines)
            list.AddItem(line);
    }

    static QStringList Lines(const ListBox& list)
    {
        QStringList lines;
        for (int j = 0; j < list.ListCount(); ++j)
            lines << list.List(j);
        return lines;
    }

    // A board of a settled hand: names, avatars, sheets, final lines, colours.
    void SaveHand(int16_t round)
    {
        Score& board = form<Score>();
        for (int i = 0; i <= 3; ++i) {
            SeatNameAvatar[i] = {QStringLiteral("玩家甲%1").arg(i), QString::number(i + 2)};
            Fill(board.State(i), {QStringLiteral("   底注:  5"), QStringLiteral(" "), QStringLiteral("自摸 %1").arg(i)});
            Fill(board.State(i + 4), {QStringLiteral("  +%1  ").arg(10 * i)});
            board.State(i).SetForeColor(i == 2 ? 0xFF : 0);
        }
        Operate::SaveRoundRecord(round);
    }

    // Another board, to see the load replace it.
    void Scramble()
    {
        Score& board = form<Score>();
        for (int i = 0; i <= 3; ++i) {
            board.ID(i).SetCaption(QStringLiteral("旧%1").arg(i));
            board.Tou(i).SetPicture(Picture());
            Fill(board.State(i), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                                  QStringLiteral("e")});
            Fill(board.State(i + 4), {});
            board.State(i).SetForeColor(0x123456);
        }
    }

    QString FileText() const
    {
        QFile file(Operate::RoundRecordPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return Gbk::Decode(file.readAll());
    }

    void ReplaceInFile(const QByteArray& from, const QByteArray& to)
    {
        QFile file(Operate::RoundRecordPath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray text = file.readAll();
        file.close();
        ASSERT_TRUE(text.contains(from)) << from.constData();
        text.replace(from, to);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    QTemporaryDir tmp;
};

TEST_F(HistoryFile, SavedHandComesBackWithoutItsOuterBlanks)
{
    SaveHand(1);
    Scramble();
    Operate::LoadRoundRecord(1);
    Score& board = form<Score>();
    for (int i = 0; i <= 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(board.ID(i).Caption(), QStringLiteral("玩家甲%1").arg(i));
        EXPECT_FALSE(board.Tou(i).Picture().IsNull());
        EXPECT_EQ(Lines(board.State(i)),
                  QStringList({QStringLiteral("底注:  5"), QStringLiteral(" "), QStringLiteral("自摸 %1").arg(i)}));
        EXPECT_EQ(Lines(board.State(i + 4)), QStringList({QStringLiteral("+%1").arg(10 * i)}));
        EXPECT_EQ(board.State(i).ForeColor(), i == 2 ? 0xFF : 0);
    }
}

TEST_F(HistoryFile, KeysAreSpelledWithBlanksInsideTheBracketsInWritingOrder)
{
    SaveHand(7);
    const QString text = FileText();
    const QStringList expected = {
        QStringLiteral("[juNum:7]"),          QStringLiteral("name( 0 )=玩家甲0"),
        QStringLiteral("PicIndex( 0 )=2"),    QStringLiteral("name( 1 )=玩家甲1"),
        QStringLiteral("PicIndex( 3 )=5"),    QStringLiteral("count( 0 )=3"),
        QStringLiteral("count( 0 )( 0 )=   底注:  5"), QStringLiteral("count( 0 )( 1 )= "),
        QStringLiteral("count( 7 )=1"),       QStringLiteral("count( 7 )( 0 )=  +30  "),
        QStringLiteral("count( 0 ) ForeColor=0"), QStringLiteral("count( 2 ) ForeColor=255"),
    };
    qsizetype at = 0;
    for (const QString& line : expected) {
        const qsizetype found = text.indexOf(line, at);
        EXPECT_GE(found, at) << line.toStdString();
        if (found >= 0)
            at = found;
    }
    EXPECT_FALSE(text.contains(QStringLiteral("count(0)")));
}

TEST_F(HistoryFile, LoadShrinksAndExtendsTheListsToTheSavedCounts)
{
    SaveHand(1);
    Score& board = form<Score>();
    Fill(board.State(0), {QStringLiteral("x")});             // fewer lines than saved
    Fill(board.State(4), {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}); // more
    Operate::LoadRoundRecord(1);
    EXPECT_EQ(board.State(0).ListCount(), 3);
    EXPECT_EQ(Lines(board.State(4)), QStringList({QStringLiteral("+0")}));
}

TEST_F(HistoryFile, HandZeroLoadsNothingAndAMissingHandOnlyEmptiesTheNames)
{
    SaveHand(1);
    Scramble();
    Operate::LoadRoundRecord(0);
    Score& board = form<Score>();
    EXPECT_EQ(board.ID(0).Caption(), QStringLiteral("旧0"));

    Operate::LoadRoundRecord(2);
    for (int i = 0; i <= 3; ++i) {
        EXPECT_EQ(board.ID(i).Caption(), QString());
        EXPECT_TRUE(board.Tou(i).Picture().IsNull());
        EXPECT_EQ(board.State(i).ListCount(), 5);
        EXPECT_EQ(board.State(i).ForeColor(), 0x123456);
    }
}

TEST_F(HistoryFile, LineBreaksInAValueBecomeBlanksSoTheFileStaysWhole)
{
    SeatNameAvatar[0].Name = QStringLiteral("甲\r\n乙");
    Score& board = form<Score>();
    Fill(board.State(0), {QStringLiteral("一\n[juNum:9]")});
    Operate::SaveRoundRecord(1);
    Operate::LoadRoundRecord(1);
    EXPECT_EQ(board.ID(0).Caption(), QStringLiteral("甲  乙"));
    EXPECT_EQ(Lines(board.State(0)), QStringList({QStringLiteral("一 [juNum:9]")}));
    EXPECT_FALSE(FileText().contains(QStringLiteral("\n[juNum:9]")));
}

TEST_F(HistoryFile, CorruptValuesEndTheLoadOrLeaveTheirProperty)
{
    struct Case {
        const char* name;
        QByteArray from, to;
        int listsLoaded;     // lists 0.. that take the saved contents
        bool coloursLoaded;
        bool avatar0Loaded;
    };
    const Case cases[] = {
        {"count not a number", "count( 2 )=3", "count( 2 )=x", 2, false, true},
        {"count negative", "count( 1 )=3", "count( 1 )=-1", 1, false, true},
        {"count too large", "count( 5 )=1", "count( 5 )=5000", 5, false, true},
        {"colour not a number", "count( 2 ) ForeColor=255", "count( 2 ) ForeColor=red", 8, true, true},
        {"colour beyond 32 bits", "count( 2 ) ForeColor=255", "count( 2 ) ForeColor=99999999999", 8, true, true},
        {"avatar out of range", "PicIndex( 0 )=2", "PicIndex( 0 )=20", 8, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(Operate::RoundRecordPath());
        SaveHand(1);
        ReplaceInFile(c.from, c.to);
        Scramble();
        Operate::LoadRoundRecord(1);
        Score& board = form<Score>();
        for (int k = 0; k <= 7; ++k)
            EXPECT_EQ(board.State(k).ListCount(), k < c.listsLoaded ? (k < 4 ? 3 : 1) : (k < 4 ? 5 : 0)) << k;
        EXPECT_EQ(board.State(0).ForeColor(), c.coloursLoaded ? 0 : 0x123456);
        EXPECT_EQ(board.State(2).ForeColor(), c.coloursLoaded && c.from.contains("ForeColor") ? 0x123456
                                              : c.coloursLoaded                            ? 0xFF
                                                                                           : 0x123456);
        EXPECT_EQ(board.Tou(0).Picture().IsNull(), !c.avatar0Loaded);
        EXPECT_EQ(board.ID(1).Caption(), QStringLiteral("玩家甲1"));
    }
}

TEST_F(HistoryFile, AFileCutShortLoadsWhatItHolds)
{
    SaveHand(1);
    QFile file(Operate::RoundRecordPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray all = file.readAll();
    file.close();
    const qsizetype cut = all.indexOf("count( 1 )( 1 )");
    ASSERT_GT(cut, 0);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(all.left(cut + 4));
    file.close();
    Scramble();
    Operate::LoadRoundRecord(1);
    Score& board = form<Score>();
    EXPECT_EQ(board.ID(3).Caption(), QStringLiteral("玩家甲3"));
    EXPECT_EQ(board.State(0).ListCount(), 3);
    EXPECT_EQ(Lines(board.State(1)), QStringList({QStringLiteral("底注:  5"), QStringLiteral(" "), QStringLiteral(" ")}));
    EXPECT_EQ(board.State(2).ListCount(), 5); // its count was lost: the load ended
}

// The file gains a section every hand; a load that read it once per key would
// slow down with every hand played.
TEST_F(HistoryFile, LoadingAHandReadsTheFileOnce)
{
    SaveHand(1);
    SaveHand(2);
    Scramble();
    const QFileInfo history(Operate::RoundRecordPath());
    mjtest::FileEvents events(history.path(), history.fileName());
    ASSERT_TRUE(events.watching());
    int opens = 0;
    int replacements = 0;
    Operate::LoadRoundRecord(2);
    events.take(opens, replacements);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(form<Score>().ID(3).Caption(), QStringLiteral("玩家甲3"));
    EXPECT_EQ(Lines(form<Score>().State(7)), QStringList({QStringLiteral("+30")}));

    Operate::LoadRoundRecord(3);   // no such hand
    events.take(opens, replacements);
    EXPECT_EQ(opens, 1);
    Operate::LoadRoundRecord(0);   // no hand at all
    events.take(opens, replacements);
    EXPECT_EQ(opens, 0);
    EXPECT_EQ(replacements, 0);
}

TEST_F(HistoryFile, AnUnwritableFolderLosesTheHandQuietly)
{
    SetProgramFolder(tmp.path() + QStringLiteral("/no/such/folder"));
    SaveHand(1);
    Scramble();
    Operate::LoadRoundRecord(1);
    EXPECT_EQ(form<Score>().ID(0).Caption(), QString());
    EXPECT_EQ(form<Score>().State(0).ListCount(), 5);
}

} // namespace
