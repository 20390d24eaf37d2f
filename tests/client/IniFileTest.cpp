#include "TestSupport.h"

#include "client/classIniFile.h"
#include "platform/Gbk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace mj;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    classIniFile ini;

    void SetUp() override { ini.SetINIFileName(dir.filePath("info.qv")); }

    void writeRaw(const QByteArray& bytes)
    {
        QFile f(ini.INIFileName());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray readRaw()
    {
        QFile f(ini.INIFileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

TEST_F(IniFileTest, ChineseTextRoundTripsAsGbk)
{
    ini.WriteIniKey(QStringLiteral("juNum:1"), QStringLiteral("name( 0 )"), QStringLiteral("张三"));
    ini.WriteIniKey(QStringLiteral("juNum:1"), QStringLiteral("count( 3 )( 0 )"), QStringLiteral("  胡牌 8番"));
    ini.WriteIniKey(QStringLiteral("设置"), QStringLiteral("中"), QStringLiteral("1"));

    // "张三" is D5 C5 C8 FD in GBK; lines keep their leading blanks in the file.
    EXPECT_EQ(readRaw(), QByteArray("[juNum:1]\r\nname( 0 )=\xd5\xc5\xc8\xfd\r\n") + "count( 3 )( 0 )="
                             + Gbk::Encode(QStringLiteral("  胡牌 8番")) + "\r\n"
                             + Gbk::Encode(QStringLiteral("[设置]\r\n中=1\r\n")));
    EXPECT_EQ(ini.GetIniKey(QStringLiteral("juNum:1"), QStringLiteral("name( 0 )")), QStringLiteral("张三"));
    EXPECT_EQ(ini.GetIniKey(QStringLiteral("juNum:1"), QStringLiteral("count( 3 )( 0 )")),
              QStringLiteral("胡牌 8番"));
    EXPECT_EQ(ini.GetIniKey(QStringLiteral("设置"), QStringLiteral("中")), QStringLiteral("1"));
}

TEST_F(IniFileTest, ManyKeysWriteAsOneKeyAtATimeWould)
{
    const std::vector<std::pair<QString, QString>> keys = {
        {QStringLiteral("name( 0 )"), QStringLiteral("张三")},
        {QStringLiteral("count( 3 )( 0 )"), QStringLiteral("  胡牌 8番")},
        {QStringLiteral("名"), QStringLiteral("1")},
        {QStringLiteral("NAME( 0 )"), QStringLiteral("李四")},
        {QStringLiteral("forged"), QStringLiteral("a\r\n[x]")},
    };
    writeRaw(Gbk::Encode(QStringLiteral("[设置]\r\n中=1\r\n[局]\r\n名=0\r\n")));
    classIniFile oneByOne;
    oneByOne.SetINIFileName(dir.filePath("one.qv"));
    QFile::copy(ini.INIFileName(), oneByOne.INIFileName());

    ini.WriteIniKeys(QStringLiteral("局"), keys);
    for (const auto& [key, value] : keys)
        oneByOne.WriteIniKey(QStringLiteral("局"), key, value);

    QFile one(oneByOne.INIFileName());
    ASSERT_TRUE(one.open(QIODevice::ReadOnly));
    EXPECT_EQ(readRaw(), one.readAll());
    EXPECT_EQ(readRaw(), Gbk::Encode(QStringLiteral("[设置]\r\n中=1\r\n[局]\r\n名=1\r\nname( 0 )=李四\r\n"
                                                    "count( 3 )( 0 )=  胡牌 8番\r\nforged=a\r\n")));
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToCase)
{
    ini.WriteIniKey("VidioSetting", "VidioValue", "1");
    ini.WriteIniKey("vidiosetting", "vidiovalue", "0");
    EXPECT_EQ(readRaw(), "[VidioSetting]\r\nVidioValue=0\r\n");
    EXPECT_EQ(ini.GetIniKey("VIDIOSETTING", "VIDIOVALUE"), "0");
}

TEST_F(IniFileTest, OtherLinesStayByteForByte)
{
    const QByteArray before = "; settings\r\n[vidiosetting]\nvidiovalue = 1 \n  extra line\n\n"
                              "[Other]\r\nx=" + Gbk::Encode(QStringLiteral("值")) + "\r\n\x81\r\n";
    writeRaw(before);
    ini.WriteIniKey("vidiosetting", "vidiovalue", "0");
    QByteArray expected = before;
    expected.replace("vidiovalue = 1 \n", "vidiovalue=0\n");
    EXPECT_EQ(readRaw(), expected);
    EXPECT_EQ(ini.GetIniKey("Other", "x"), QStringLiteral("值"));
}

TEST_F(IniFileTest, DeleteKeyAndSection)
{
    ini.WriteIniKey("juNum:1", "a", "1");
    ini.WriteIniKey("juNum:1", "b", "2");
    ini.WriteIniKey("juNum:2", "a", "3");

    EXPECT_EQ(ini.DelIniKey("juNum:1", "A"), QString());
    EXPECT_EQ(ini.GetIniKey("juNum:1", "a"), "");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "b"), "2");
    EXPECT_EQ(readRaw(), "[juNum:1]\r\nb=2\r\n[juNum:2]\r\na=3\r\n");

    EXPECT_EQ(ini.DelIniSec("JUNUM:1"), QString());
    EXPECT_EQ(ini.GetIniKey("juNum:1", "b"), "");
    EXPECT_EQ(ini.GetIniKey("juNum:2", "a"), "3");
    EXPECT_EQ(readRaw(), "[juNum:2]\r\na=3\r\n");
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGiveEmptyText)
{
    EXPECT_EQ(ini.GetIniKey("vidiosetting", "vidiovalue"), "");
    EXPECT_EQ(readRaw(), "<missing>");
    ini.WriteIniKey("vidiosetting", "vidiovalue", "1");
    EXPECT_EQ(ini.GetIniKey("vidiosetting", "vidiovalue"), "1");
    EXPECT_EQ(ini.GetIniKey("vidiosetting", "other"), "");
    EXPECT_EQ(ini.GetIniKey("other", "vidiovalue"), "");
    EXPECT_TRUE(ini.GetIniKey("other", "vidiovalue").isEmpty());
}

TEST_F(IniFileTest, ValueIsCutAt1023Bytes)
{
    const QString han = QStringLiteral("中");
    struct Case {
        const char* what;
        QString value;
        QString expected;
    };
    const Case cases[] = {
        {"1023 single bytes fit", QString(1023, u'a'), QString(1023, u'a')},
        {"the 1024th byte is cut", QString(1024, u'a'), QString(1023, u'a')},
        {"cut between double-byte characters", "x" + han.repeated(600), "x" + han.repeated(511)},
        // 511 whole characters take 1022 bytes; the 1023rd is the first half of
        // the next one, which reads as '?'.
        {"cut inside a double-byte character", han.repeated(600), han.repeated(511) + "?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ini.WriteIniKey("s", "k", c.value);
        EXPECT_EQ(ini.GetIniKey("s", "k"), c.expected);
    }
}

TEST_F(IniFileTest, BlanksTrimmedAndZeroCharactersRemoved)
{
    writeRaw("[s]\r\n"
             "plain=  a b  \r\n"
             "tab=\ta\t\r\n"
             "quoted=\"  a  \"\r\n");
    EXPECT_EQ(ini.GetIniKey("s", "plain"), "a b");
    EXPECT_EQ(ini.GetIniKey("s", "tab"), "a");
    // The quotes go, then the blanks in front; the blanks behind the value
    // stay, since the ending zero stands between them and the buffer's blanks.
    EXPECT_EQ(ini.GetIniKey("s", "quoted"), "a  ");

    // Text handed to the file ends at its first character of code 0.
    ini.WriteIniKey("s", "zero", QStringLiteral("ab") + QChar(u'\0') + "cd");
    EXPECT_EQ(ini.GetIniKey("s", "zero"), "ab");
    EXPECT_FALSE(ini.GetIniKey("s", "plain").contains(QChar(u'\0')));
}

// Each key of a section read at once against the same key read on its own,
// and against the text it must give; then the file goes, and the section read
// still gives the same, since it holds what the file held.
TEST_F(IniFileTest, ASectionReadAtOnceGivesWhatGetIniKeyGives)
{
    const QString han = QStringLiteral("中");
    struct Case {
        const char* what;
        QByteArray file;   // "<missing>" for no file
        QString section;
        std::vector<std::pair<QString, QString>> keys;
    };
    const Case cases[] = {
        {"missing file", "<missing>", "s", {{"k", ""}}},
        {"empty file", "", "s", {{"k", ""}}},
        {"no final line ending", "[s]\r\na=1\r\nb=2", "s", {{"a", "1"}, {"b", "2"}}},
        {"LF endings", "[s]\na=1\n[t]\nb=2\n", "s", {{"a", "1"}, {"b", ""}}},
        {"section absent", "[t]\r\na=1\r\n", "s", {{"a", ""}}},
        {"section twice: the first is read", "[s]\r\na=1\r\n[S]\r\na=2\r\nb=3\r\n", "S", {{"a", "1"}, {"b", ""}}},
        {"GBK names", Gbk::Encode(QStringLiteral("[局]\r\n名字=张三\r\n")), QStringLiteral("局"),
         {{QStringLiteral("名字"), QStringLiteral("张三")}, {QStringLiteral("名"), ""}}},
        {"keys differing in case and repeated", "[s]\r\nName=1\r\nNAME=2\r\n", "s", {{"name", "1"}, {"NAME", "1"}}},
        {"blanks and quotes", "[s]\r\nplain=  a b  \r\ntab=\ta\t\r\nquoted=\"  a  \"\r\n", " s ",
         {{"plain", "a b"}, {" tab ", "a"}, {"quoted", "a  "}}},
        {"zero byte in the value", QByteArray("[s]\r\nz=ab\0cd\r\n", 13), "s", {{"z", "ab"}}},
        {"value longer than the buffer", "[s]\r\nk=" + QByteArray(1024, 'a') + "\r\n", "s",
         {{"k", QString(1023, u'a')}}},
        {"value cut inside a double-byte character", "[s]\r\nk=" + Gbk::Encode(han.repeated(600)) + "\r\n", "s",
         {{"k", han.repeated(511) + "?"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(ini.INIFileName());
        if (c.file != "<missing>")
            writeRaw(c.file);
        const classIniFile::Section section = ini.ReadIniSection(c.section);
        for (const auto& [key, text] : c.keys) {
            SCOPED_TRACE(key.toStdString());
            EXPECT_EQ(section.GetIniKey(key), ini.GetIniKey(c.section, key));
            EXPECT_EQ(section.GetIniKey(key), text);
        }
        QFile::remove(ini.INIFileName());
        for (const auto& [key, text] : c.keys)
            EXPECT_EQ(section.GetIniKey(key), text) << key.toStdString();
    }
}

TEST_F(IniFileTest, EmptyPathWritesAndReadsNothing)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    classIniFile unset;
    EXPECT_EQ(unset.INIFileName(), "");
    unset.WriteIniKey("s", "k", "v");
    EXPECT_EQ(unset.GetIniKey("s", "k"), "");
    EXPECT_EQ(unset.DelIniSec("s"), "");
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
    QDir::setCurrent(previous);
}

TEST_F(IniFileTest, PathIsStoredUnchanged)
{
    classIniFile other;
    other.SetINIFileName("some/../odd\\path.ini");
    EXPECT_EQ(other.INIFileName(), "some/../odd\\path.ini");
}

TEST_F(IniFileTest, ForgedLinesCannotBeWritten)
{
    // A player name reaches the history file; a line break in it must not
    // open a section or key of its own.
    ini.WriteIniKey("juNum:1", "name( 0 )", "Bob\r\n[juNum:2]\r\nname( 0 )=Eve");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "name( 0 )"), "Bob");
    EXPECT_EQ(ini.GetIniKey("juNum:2", "name( 0 )"), "");
    EXPECT_EQ(readRaw(), "[juNum:1]\r\nname( 0 )=Bob\r\n");
}

TEST(SharedIniFile, CreatedOnFirstUseAndReset)
{
    classIniFile& first = IniFile();
    EXPECT_EQ(first.INIFileName(), "");
    first.SetINIFileName("/tmp/vidiosetting.ini");
    EXPECT_EQ(&IniFile(), &first);
    EXPECT_EQ(IniFile().INIFileName(), "/tmp/vidiosetting.ini");
    ResetIniFile();
    EXPECT_EQ(IniFile().INIFileName(), "");
}

} // namespace
