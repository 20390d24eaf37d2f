#include "FileEvents.h"
#include "TestSupport.h"

#include "platform/Gbk.h"
#include "platform/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>

using namespace mj;
using namespace mj::PrivateProfile;

namespace {

class PrivateProfileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("test.ini");

    void writeRaw(const QByteArray& bytes, const QString& file = QString())
    {
        QFile f(file.isEmpty() ? path : file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray readRaw(const QString& file = QString())
    {
        QFile f(file.isEmpty() ? path : file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QByteArray get(const QByteArray& section, const QByteArray& key, int32_t size = 1024,
                   const QByteArray& def = "<default>")
    {
        QByteArray out;
        const int32_t n = GetPrivateProfileString(section, key, def, out, size, path);
        EXPECT_EQ(n, out.size());
        return out;
    }
};

struct ReadCase {
    const char* what;
    QByteArray file;
    QByteArray section;
    QByteArray key;
    QByteArray expected;
};

TEST_F(PrivateProfileTest, ReadsKeysAsWindowsDoes)
{
    const QByteArray gbkBracket = Gbk::Encode(QStringLiteral("乚"));   // second byte is ']'
    ASSERT_EQ(gbkBracket, QByteArray("\x81\x5d"));

    const ReadCase cases[] = {
        {"plain", "[s]\r\nk=v\r\n", "s", "k", "v"},
        {"LF endings", "[s]\nk=v\nk2=w\n", "s", "k2", "w"},
        {"no final line ending", "[s]\r\nk=v", "s", "k", "v"},
        {"blanks around names and value", "  [s]  \r\n \t k \t=  \t v w \t \r\n", "s", "k", "v w"},
        {"blanks inside the brackets", "[ s ]\r\nk=v\r\n", "s", "k", "v"},
        {"blanks around the asked names", "[s]\r\nk=v\r\n", " s ", "\tk ", "v"},
        {"text after the closing bracket", "[s] ; note\r\nk=v\r\n", "s", "k", "v"},
        {"section case", "[SeCtIoN]\r\nk=v\r\n", "section", "k", "v"},
        {"key case", "[s]\r\nKEY=v\r\n", "s", "key", "v"},
        {"non-ASCII case", Gbk::Encode(QStringLiteral("[αβ]\r\nПРИВЕТ=v\r\n")),
         Gbk::Encode(QStringLiteral("ΑΒ")), Gbk::Encode(QStringLiteral("привет")), "v"},
        {"double quotes removed", "[s]\r\nk=\" v \"\r\n", "s", "k", " v "},
        {"single quotes removed", "[s]\r\nk='v'\r\n", "s", "k", "v"},
        {"mismatched quotes kept", "[s]\r\nk=\"v'\r\n", "s", "k", "\"v'"},
        {"a lone quote kept", "[s]\r\nk=\"\r\n", "s", "k", "\""},
        {"inner quotes kept", "[s]\r\nk=a\"b\"\r\n", "s", "k", "a\"b\""},
        {"empty value", "[s]\r\nk=\r\n", "s", "k", ""},
        {"equals sign in the value", "[s]\r\nk=a=b\r\n", "s", "k", "a=b"},
        {"value ends at a zero byte", QByteArray("[s]\r\nk=ab\0cd\r\n", 13), "s", "k", "ab"},
        {"duplicate key: first wins", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "1"},
        {"duplicate section: first is read", "[s]\r\na=1\r\n[t]\r\n[S]\r\na=2\r\nb=3\r\n", "s", "a", "1"},
        {"duplicate section: second is not read", "[s]\r\na=1\r\n[S]\r\nb=3\r\n", "s", "b", "<default>"},
        {"other section's key", "[s]\r\nk=1\r\n[t]\r\nj=2\r\n", "s", "j", "<default>"},
        {"keys before any section", "k=1\r\n[s]\r\n", "s", "k", "<default>"},
        {"no section header at all", "k=1\r\nj=2\r\n", "s", "k", "<default>"},
        {"'[' alone is no header", "[s]\r\n[\r\nk=v\r\n", "s", "k", "v"},
        {"'[' with a double-byte ']' is no header", "[s]\r\n[" + gbkBracket + "\r\nk=v\r\n", "s", "k", "v"},
        {"double-byte ']' inside a name", "[" + gbkBracket + "]\r\nk=v\r\n", gbkBracket, "k", "v"},
        {"key without '='", "[s]\r\nk\r\nj=1\r\n", "s", "k", "<default>"},
        {"'=value' line", "[s]\r\n=x\r\nk=v\r\n", "s", "k", "v"},
        {"comment line", "[s]\r\n;k=1\r\nk=2\r\n", "s", "k", "2"},
        {"empty section name", "[]\r\nk=v\r\n", "", "k", "<default>"},
        {"empty key name", "[s]\r\n=v\r\n", "s", "", "<default>"},
        {"empty file", "", "s", "k", "<default>"},
        {"garbage", QByteArray("\xff\xfe\x00[\x81]=\x80\x00\n\r\r\n\x1a", 15), "s", "k", "<default>"},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        writeRaw(c.file);
        EXPECT_EQ(get(c.section, c.key), c.expected);
    }
}

TEST_F(PrivateProfileTest, CutsTheValueToTheBufferSize)
{
    writeRaw("[s]\r\nk=value\r\nq=\"quoted\"\r\nc=" + Gbk::Encode(QStringLiteral("中文")) + "\r\n");
    EXPECT_EQ(get("s", "k", 6), "value");
    EXPECT_EQ(get("s", "k", 5), "valu");
    EXPECT_EQ(get("s", "k", 1), "");
    EXPECT_EQ(get("s", "k", 0), "");
    EXPECT_EQ(get("s", "k", -5), "");
    EXPECT_EQ(get("s", "q", 4), "quo");
    EXPECT_EQ(get("s", "missing", 4), "<de");
    // The cut counts bytes and may split a double-byte character.
    EXPECT_EQ(get("s", "c", 4), QByteArray("\xd6\xd0\xce"));
}

TEST_F(PrivateProfileTest, DefaultLosesItsTrailingBlanks)
{
    writeRaw("[s]\r\n");
    EXPECT_EQ(get("s", "k", 1024, "one two  "), "one two");
    EXPECT_EQ(get("s", "k", 1024, "  lead"), "  lead");
    EXPECT_EQ(get("s", "k", 1024, ""), "");
}

TEST_F(PrivateProfileTest, UnreadableSourcesGiveTheDefault)
{
    QByteArray out;
    EXPECT_EQ(GetPrivateProfileString("s", "k", "d", out, 10, dir.filePath("missing.ini")), 1);
    EXPECT_EQ(out, "d");
    EXPECT_EQ(GetPrivateProfileString("s", "k", "d", out, 10, QString()), 1);
    EXPECT_EQ(out, "d");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    EXPECT_EQ(GetPrivateProfileString("s", "k", "d", out, 10, dir.filePath("folder.ini")), 1);
    EXPECT_EQ(out, "d");
}

TEST_F(PrivateProfileTest, LongLinesAndLongValues)
{
    const QByteArray longValue(1 << 20, 'x');
    writeRaw("[s]\r\nk=" + longValue + "\r\n" + QByteArray(1 << 20, '[') + "\r\nj=1\r\n");
    EXPECT_EQ(get("s", "k"), QByteArray(1023, 'x'));
    EXPECT_EQ(get("s", "j"), "1");
    EXPECT_TRUE(WritePrivateProfileString("s", QByteArray("j"), QByteArray("2"), path));
    EXPECT_EQ(get("s", "j"), "2");
    EXPECT_EQ(get("s", "k", 1 << 21).size(), longValue.size());
}

// Each key of a section read at once, at each buffer size, against the same
// key read on its own, and against the value it must have.
struct SectionCase {
    const char* what;
    QByteArray file;   // "<missing>" for no file
    QByteArray section;
    std::vector<std::pair<QByteArray, QByteArray>> keys;   // key, value read into 1024 bytes
};

TEST_F(PrivateProfileTest, ASectionReadAtOnceGivesWhatEachKeyReadGives)
{
    const QByteArray none = "<default>";
    const QByteArray zhong = Gbk::Encode(QStringLiteral("中"));
    const SectionCase cases[] = {
        {"missing file", "<missing>", "s", {{"k", none}}},
        {"empty file", "", "s", {{"k", none}}},
        {"no final line ending", "[s]\r\na=1\r\nb=2", "s", {{"a", "1"}, {"b", "2"}, {"c", none}}},
        {"LF endings", "[s]\na=1\nb=2\n[t]\nc=3\n", "s", {{"a", "1"}, {"b", "2"}, {"c", none}}},
        {"section absent", "[t]\r\na=1\r\n", "s", {{"a", none}}},
        {"section twice: the first is read", "[s]\r\na=1\r\n[t]\r\nb=2\r\n[S]\r\na=3\r\nc=4\r\n", "s",
         {{"a", "1"}, {"b", none}, {"c", none}}},
        {"keys before the section and in the next", "k=0\r\n[s]\r\n[t]\r\nk=1\r\n", "s", {{"k", none}}},
        {"GBK names", Gbk::Encode(QStringLiteral("[节]\r\n名=张三\r\n[节二]\r\n值=1\r\n")),
         Gbk::Encode(QStringLiteral("节")),
         {{Gbk::Encode(QStringLiteral("名")), Gbk::Encode(QStringLiteral("张三"))},
          {Gbk::Encode(QStringLiteral("值")), none}}},
        {"non-ASCII names in another case", Gbk::Encode(QStringLiteral("[αβ]\r\nПРИВЕТ=v\r\n")),
         Gbk::Encode(QStringLiteral("ΑΒ")), {{Gbk::Encode(QStringLiteral("привет")), "v"}}},
        {"keys differing in case", "[s]\r\nKey=1\r\nkEY=2\r\n", "S", {{"key", "1"}, {"KEY", "1"}}},
        {"duplicate keys: the first wins", "[s]\r\nk=1\r\nj=3\r\nk=2\r\nj=4\r\n", "s", {{"k", "1"}, {"j", "3"}}},
        {"quoted values", "[s]\r\nd=\" v \"\r\nq='v'\r\nm=\"v'\r\nl=\"\r\ne=''\r\n", "s",
         {{"d", " v "}, {"q", "v"}, {"m", "\"v'"}, {"l", "\""}, {"e", ""}}},
        {"blanks around names and values", "  [ s ] \r\n \t k \t=  v w \t\r\n", " s\t",
         {{"k", "v w"}, {" k\t", "v w"}}},
        {"value ends at a zero byte", QByteArray("[s]\r\nk=ab\0cd\r\n", 13), "s", {{"k", "ab"}}},
        {"value longer than the buffer", "[s]\r\nk=" + QByteArray(2000, 'x') + "\r\nj=1\r\n", "s",
         {{"k", QByteArray(1023, 'x')}, {"j", "1"}}},
        {"value cut inside a double-byte character", "[s]\r\nc=" + zhong.repeated(600) + "\r\n", "s",
         {{"c", zhong.repeated(511) + zhong.left(1)}}},
        {"empty key name", "[s]\r\n=v\r\n", "s", {{"", none}, {" ", none}}},
        {"empty section name", "[]\r\nk=v\r\n", "", {{"k", none}}},
    };
    for (const SectionCase& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path);
        if (c.file != "<missing>")
            writeRaw(c.file);
        const ProfileSection section = ReadProfileSection(c.section, path);
        for (const int32_t size : {1024, 5, 1, 0}) {
            for (const auto& [key, value] : c.keys) {
                SCOPED_TRACE(key.toStdString() + " into " + std::to_string(size));
                QByteArray alone;
                const int32_t aloneLength = GetPrivateProfileString(c.section, key, none, alone, size, path);
                QByteArray fromSection = "junk";
                const int32_t length = section.GetString(key, none, fromSection, size);
                EXPECT_EQ(fromSection, alone);
                EXPECT_EQ(length, aloneLength);
                EXPECT_EQ(length, fromSection.size());
                if (size == 1024) {
                    EXPECT_EQ(fromSection, value);
                }
            }
        }
    }
}

TEST_F(PrivateProfileTest, ASectionReadOnceKeepsWhatTheFileHeldThen)
{
    writeRaw("[s]\r\na=1\r\nb=2\r\n");
    const ProfileSection section = ReadProfileSection("s", path);
    writeRaw("[s]\r\na=9\r\nc=3\r\n");
    QByteArray out;
    EXPECT_EQ(get("s", "a"), "9");
    section.GetString("a", "", out, 10);
    EXPECT_EQ(out, "1");
    section.GetString("c", "none", out, 10);
    EXPECT_EQ(out, "none");
    QFile::remove(path);
    section.GetString("b", "", out, 10);
    EXPECT_EQ(out, "2");
}

struct WriteCase {
    const char* what;
    QByteArray before;   // "<missing>" for no file
    QByteArray section;
    std::optional<QByteArray> key;
    std::optional<QByteArray> value;
    QByteArray after;
};

TEST_F(PrivateProfileTest, WritesChangeOnlyTheirLine)
{
    const std::optional<QByteArray> none;
    const QByteArray keep = "; comment\r\n\r\n[A]\r\nKey=1\r\n  odd line\r\n\r\n[B]\n b = 2 \n";
    const WriteCase cases[] = {
        {"new file", "<missing>", "App", QByteArray("key"), QByteArray("string"), "[App]\r\nkey=string\r\n"},
        {"empty value", "<missing>", "App", QByteArray("key"), QByteArray(""), "[App]\r\nkey=\r\n"},
        {"new sections go to the end", "[App1]\r\nk1=1\r\n", "App2", QByteArray("k2"), QByteArray("2"),
         "[App1]\r\nk1=1\r\n[App2]\r\nk2=2\r\n"},
        {"new key after the section's last line", keep, "a", QByteArray("new"), QByteArray("v"),
         "; comment\r\n\r\n[A]\r\nKey=1\r\n  odd line\r\nnew=v\r\n\r\n[B]\n b = 2 \n"},
        {"new key in the last section", keep, "B", QByteArray("c"), QByteArray("3"),
         keep + "c=3\r\n"},
        {"value replaced, spelling and line ending kept", keep, "b", QByteArray("B"), QByteArray("9"),
         "; comment\r\n\r\n[A]\r\nKey=1\r\n  odd line\r\n\r\n[B]\nb=9\n"},
        {"same value: nothing changes", keep, "A", QByteArray("key"), QByteArray("1"), keep},
        {"file without a final line ending", "[s]\r\nk=1", "s", QByteArray("j"), QByteArray("2"),
         "[s]\r\nk=1\r\nj=2\r\n"},
        {"new section after a last line without ending", "[s]\r\nk=1", "t", QByteArray("j"), QByteArray("2"),
         "[s]\r\nk=1\r\n[t]\r\nj=2\r\n"},
        {"key in an empty section", "[s]\r\n[t]\r\n", "s", QByteArray("k"), QByteArray("1"),
         "[s]\r\nk=1\r\n[t]\r\n"},
        {"key in an empty section before a blank line", "[s]\r\n\r\n[t]\r\n", "s", QByteArray("k"), QByteArray("1"),
         "[s]\r\nk=1\r\n\r\n[t]\r\n"},
        {"key in a section whose header ends the file", "[t]\r\n[s]", "s", QByteArray("k"), QByteArray("1"),
         "[t]\r\n[s]\r\nk=1\r\n"},
        {"value written as it is", "<missing>", "s", QByteArray("k"), QByteArray("  lead"),
         "[s]\r\nk=  lead\r\n"},
        {"Chinese text", "<missing>", Gbk::Encode(QStringLiteral("节")), Gbk::Encode(QStringLiteral("名")),
         Gbk::Encode(QStringLiteral("张三")), Gbk::Encode(QStringLiteral("[节]\r\n名=张三\r\n"))},
        {"line break in the value cut off", "<missing>", "s", QByteArray("k"), QByteArray("a\r\n[x]\r\ny=1"),
         "[s]\r\nk=a\r\n"},
        {"value ends at a zero byte", "<missing>", "s", QByteArray("k"), QByteArray("ab\0cd", 5),
         "[s]\r\nk=ab\r\n"},
        {"duplicate sections: the first gets the key", "[s]\r\n[S]\r\n", "s", QByteArray("k"), QByteArray("1"),
         "[s]\r\nk=1\r\n[S]\r\n"},
        {"duplicate keys: the first is replaced", "[s]\r\nk=1\r\nK=2\r\n", "s", QByteArray("k"), QByteArray("3"),
         "[s]\r\nk=3\r\nK=2\r\n"},
        {"delete key", keep, "A", QByteArray("KEY"), none,
         "; comment\r\n\r\n[A]\r\n  odd line\r\n\r\n[B]\n b = 2 \n"},
        {"delete key: first only", "[s]\r\nk=1\r\nk=2\r\n", "s", QByteArray("k"), none, "[s]\r\nk=2\r\n"},
        {"delete key found in a later duplicate section", "[s]\r\n[s]\r\nk=2\r\n", "s", QByteArray("k"), none,
         "[s]\r\n[s]\r\n"},
        {"delete missing key", keep, "A", QByteArray("nope"), none, keep},
        {"delete key of missing file", "<missing>", "A", QByteArray("k"), none, "<missing>"},
        {"delete section with its lines", keep, "a", none, QByteArray(""), "; comment\r\n\r\n[B]\n b = 2 \n"},
        {"delete last section", keep, "B", none, none, "; comment\r\n\r\n[A]\r\nKey=1\r\n  odd line\r\n\r\n"},
        {"delete every duplicate section", "[s]\r\na=1\r\n[t]\r\nb=2\r\n[S]\r\nc=3\r\n", "s", none, none,
         "[t]\r\nb=2\r\n"},
        {"delete missing section", keep, "C", none, none, keep},
        {"delete section of missing file", "<missing>", "s", none, none, "<missing>"},
        {"lines before the first section stay", "k=0\r\n[s]\r\nk=1\r\n", "s", none, none, "k=0\r\n"},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path);
        if (c.before != "<missing>")
            writeRaw(c.before);
        EXPECT_TRUE(WritePrivateProfileString(c.section, c.key, c.value, path));
        EXPECT_EQ(readRaw(), c.after);
    }
}

TEST_F(PrivateProfileTest, WrittenValuesReadBack)
{
    ASSERT_TRUE(WritePrivateProfileString("s", QByteArray("k"), QByteArray("  v  "), path));
    EXPECT_EQ(get("s", "k"), "v");
    ASSERT_TRUE(WritePrivateProfileString("S", QByteArray("K"), QByteArray("w"), path));
    EXPECT_EQ(get("s", "k"), "w");
    ASSERT_TRUE(WritePrivateProfileString("s", QByteArray("k"), std::nullopt, path));
    EXPECT_EQ(get("s", "k"), "<default>");
    EXPECT_EQ(readRaw(), "[s]\r\n");
}

TEST_F(PrivateProfileTest, RefusedWritesLeaveEverythingAsItWas)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_FALSE(WritePrivateProfileString("s", QByteArray("k"), QByteArray("v"), QString()));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
    QDir::setCurrent(previous);

    writeRaw("[s]\r\nk=1\r\n");
    EXPECT_FALSE(WritePrivateProfileString("", QByteArray("k"), QByteArray("v"), path));
    EXPECT_FALSE(WritePrivateProfileString("  ", QByteArray("k"), QByteArray("v"), path));
    EXPECT_FALSE(WritePrivateProfileString("s", QByteArray(""), QByteArray("v"), path));
    EXPECT_FALSE(WritePrivateProfileString("s\r\n[t]", QByteArray("k"), QByteArray("v"), path));
    EXPECT_FALSE(WritePrivateProfileString("s", QByteArray("a\nb"), QByteArray("v"), path));
    EXPECT_EQ(readRaw(), "[s]\r\nk=1\r\n");

    const QString folder = dir.filePath("folder.ini");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    EXPECT_FALSE(WritePrivateProfileString("s", QByteArray("k"), QByteArray("v"), folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());

    EXPECT_FALSE(WritePrivateProfileString("s", QByteArray("k"), QByteArray("v"), dir.filePath("no/such/dir.ini")));
}

TEST_F(PrivateProfileTest, UnreadableFileIsNeverOverwritten)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser reads every file";
    writeRaw("[s]\r\nk=1\r\n");
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0200), 0);
    EXPECT_EQ(get("s", "k"), "<default>");
    EXPECT_FALSE(WritePrivateProfileString("s", QByteArray("j"), QByteArray("2"), path));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(readRaw(), "[s]\r\nk=1\r\n");
}

TEST_F(PrivateProfileTest, WriteReplacesTheFileInOneStep)
{
    writeRaw("[s]\r\nk=1\r\n");
    // A second name for the old file: a write in place would change it too.
    const QString oldName = dir.filePath("old.ini");
    ASSERT_EQ(link(QFile::encodeName(path).constData(), QFile::encodeName(oldName).constData()), 0);
    struct stat before {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &before), 0);

    ASSERT_TRUE(WritePrivateProfileString("s", QByteArray("k"), QByteArray("2"), path));

    struct stat after {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(readRaw(), "[s]\r\nk=2\r\n");
    EXPECT_EQ(readRaw(oldName), "[s]\r\nk=1\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList({"old.ini", "test.ini"}));
}

TEST_F(PrivateProfileTest, GarbageFileSurvivesAWrite)
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    writeRaw(garbage);
    (void)get("s", "k");
    ASSERT_TRUE(WritePrivateProfileString("fresh", QByteArray("k"), QByteArray("v"), path));
    EXPECT_EQ(get("fresh", "k"), "v");
    EXPECT_TRUE(readRaw().startsWith(garbage));
}

struct BatchCase {
    const char* what;
    QByteArray before;   // "<missing>" for no file
    QByteArray section;
    KeyValues keys;
};

// The batch against the same writes one by one, each on its own copy of the
// starting file: the bytes left and the result must agree.
TEST_F(PrivateProfileTest, BatchLeavesWhatOneByOneWritesLeave)
{
    const QByteArray twoSections = "; head\r\n[a]\r\nx=1\r\n[s]\r\nk=1\r\nj=2\r\n[b]\r\ny=1\r\n";
    const BatchCase cases[] = {
        {"missing file", "<missing>", "s", {{"k", "1"}, {"j", "2"}, {"i", "3"}}},
        {"empty file", "", "s", {{"k", "1"}, {"j", "2"}}},
        {"file without a final line ending", "[s]\r\nk=1", "s", {{"j", "2"}, {"k", "3"}, {"i", "4"}}},
        {"new section after a last line without ending", "[t]\r\nk=1", "s", {{"j", "2"}, {"i", "3"}}},
        {"section header as a last line without ending", "[t]\r\nx=1\r\n[s]", "s", {{"k", "1"}, {"j", "2"}}},
        {"empty section in the middle", "[a]\r\n[s]\r\n\r\n[b]\r\ny=1\r\n", "s", {{"k", "1"}, {"j", "2"}, {"k", "3"}}},
        {"LF endings", "[s]\nk=1\nj=2\n[t]\ni=3\n", "s", {{"j", "9"}, {"new", "1"}, {"k", "8"}}},
        {"section absent", twoSections, "c", {{"k", "1"}, {"j", "2"}, {"k", "3"}}},
        {"section present", twoSections, "s", {{"j", "5"}, {"new", "6"}, {"k", "7"}, {"last", "8"}}},
        {"section present twice", "[s]\r\nk=1\r\n[t]\r\nz=0\r\n[S]\r\nn=1\r\nk=2\r\n", "s",
         {{"n", "5"}, {"k", "6"}, {"m", "7"}}},
        {"blank lines after the section", "[s]\r\nk=1\r\n\r\n  \r\n[t]\r\nj=2\r\n\r\n", "s",
         {{"a", "1"}, {"k", "2"}, {"b", "3"}}},
        {"blank lines after the last section", "[s]\r\nk=1\r\n\r\n\r\n", "S", {{"a", "1"}, {"b", "2"}}},
        {"keys differing only in case", "[s]\r\nKey=1\r\n", "S",
         {{"KEY", "2"}, {"key", "3"}, {"New", "4"}, {"nEW", "5"}, {" kEy ", "6"}}},
        {"GBK names", Gbk::Encode(QStringLiteral("[节]\r\n名=张三\r\n[αβ]\r\nПРИВЕТ=1\r\n")),
         Gbk::Encode(QStringLiteral("ΑΒ")),
         {{Gbk::Encode(QStringLiteral("привет")), "2"}, {Gbk::Encode(QStringLiteral("名")), "3"},
          {Gbk::Encode(QStringLiteral("Привет")), Gbk::Encode(QStringLiteral("李四"))}}},
        {"keys repeated in the batch", "[s]\r\nb=0\r\n", "s", {{"a", "1"}, {"b", "2"}, {"a", "3"}, {"b", "0"}}},
        {"line break in a value", "[s]\r\n", "s", {{"k", "a\r\n[x]\r\ny=1"}, {"y", "2"}, {"z", "b\nc"}}},
        {"zero byte in a name or value", "", "s", {{QByteArray("k\0j", 3), QByteArray("ab\0cd", 5)}, {"k", "e"}}},
        {"invalid keys in the middle", "[s]\r\nk=1\r\n", "s",
         {{"a", "1"}, {"", "2"}, {"b\nc", "3"}, {"  ", "4"}, {QByteArray("\0x", 2), "5"}, {"d", "6"}}},
        {"only invalid keys", "<missing>", "s", {{"", "1"}, {"a\rb", "2"}}},
        {"same values: nothing changes", twoSections, "s", {{"k", "1"}, {"j", "2"}}},
        {"changed and changed back", twoSections, "s", {{"k", "9"}, {"k", "1"}}},
        {"empty list", twoSections, "s", {}},
        {"equals sign in a key name", "[s]\r\n", "s", {{"a=b", "1"}, {"a=b", "2"}, {"a", "3"}}},
        // "[x]=1" reads as a section header, which ends the section there.
        {"key that reads as a section header", "[s]\r\nj=1\r\n[t]\r\n", "s", {{"[x]", "1"}, {"k", "2"}, {"x", "3"}}},
        {"value that makes a key a section header", "[s]\r\n[x=0\r\n", "s", {{"[x", "y]"}, {"k", "2"}}},
        // A name ending in a lead byte swallows the closing ']', so the
        // header written for it never reads as that section.
        {"section name whose header does not read back", "", QByteArray("a\x81"), {{"k", "1"}, {"j", "2"}}},
        {"invalid section name", twoSections, "s\r\n[t]", {{"k", "1"}}},
        {"empty section name", twoSections, " ", {{"k", "1"}}},
    };
    const QString onePath = dir.filePath("one.ini");
    for (const BatchCase& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path);
        QFile::remove(onePath);
        if (c.before != "<missing>") {
            writeRaw(c.before);
            writeRaw(c.before, onePath);
        }
        bool oneByOne = true;
        for (const auto& [key, value] : c.keys)
            oneByOne = WritePrivateProfileString(c.section, key, value, onePath) && oneByOne;

        EXPECT_EQ(WritePrivateProfileStrings(c.section, c.keys, path), oneByOne);
        EXPECT_EQ(readRaw(), readRaw(onePath));
    }
}

TEST_F(PrivateProfileTest, RefusedBatchesLeaveEverythingAsItWas)
{
    const KeyValues keys = {{"k", "v"}};
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_FALSE(WritePrivateProfileStrings("s", keys, QString()));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
    QDir::setCurrent(previous);

    const QString folder = dir.filePath("folder.ini");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    EXPECT_FALSE(WritePrivateProfileStrings("s", keys, folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_FALSE(WritePrivateProfileStrings("s", keys, dir.filePath("no/such/dir.ini")));

    // A key that cannot be written is left out; the others are written.
    writeRaw("[s]\r\nk=1\r\n");
    EXPECT_FALSE(WritePrivateProfileStrings("s", {{"a", "1"}, {"", "2"}, {"b\nc", "3"}, {"d", "4"}}, path));
    EXPECT_EQ(readRaw(), "[s]\r\nk=1\r\na=1\r\nd=4\r\n");

    if (geteuid() == 0)
        return;   // the superuser reads every file
    writeRaw("[s]\r\nk=1\r\n");
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0200), 0);
    EXPECT_FALSE(WritePrivateProfileStrings("s", {{"j", "2"}, {"k", "3"}}, path));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(readRaw(), "[s]\r\nk=1\r\n");
}

TEST_F(PrivateProfileTest, BatchReadsAndReplacesTheFileOnce)
{
    // A long history: the written section sits in the middle of it.
    const auto sheet = [](int hand) {
        QByteArray text = "[juNum:" + QByteArray::number(hand) + "]\r\n";
        for (int k = 0; k < 140; ++k)
            text += "count( " + QByteArray::number(k) + " )=" + QByteArray::number(hand * k) + "\r\n";
        return text;
    };
    QByteArray history;
    for (int hand = 1; hand <= 200; ++hand)
        history += sheet(hand);
    writeRaw(history);

    KeyValues keys;
    for (int k = 0; k < 140; k += 2)
        keys.emplace_back("count( " + QByteArray::number(k) + " )", "x" + QByteArray::number(k));
    for (int k = 0; k < 70; ++k)
        keys.emplace_back("new( " + QByteArray::number(k) + " )", QByteArray::number(k));

    mjtest::FileEvents events(dir.path(), "test.ini");
    ASSERT_TRUE(events.watching());
    int opens = 0;
    int replacements = 0;
    events.take(opens, replacements);

    ASSERT_TRUE(WritePrivateProfileStrings("juNum:100", keys, path));
    events.take(opens, replacements);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(replacements, 1);

    // The same keys again change nothing: one read, no write.
    ASSERT_TRUE(WritePrivateProfileStrings("juNum:100", keys, path));
    events.take(opens, replacements);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(replacements, 0);

    // A new section at the end: one read, one write.
    ASSERT_TRUE(WritePrivateProfileStrings("juNum:201", keys, path));
    events.take(opens, replacements);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(replacements, 1);

    EXPECT_EQ(get("juNum:100", "count( 2 )"), "x2");
    EXPECT_EQ(get("juNum:100", "count( 3 )"), "300");
    EXPECT_EQ(get("juNum:100", "new( 69 )"), "69");
    EXPECT_EQ(get("juNum:101", "new( 69 )"), "<default>");
    EXPECT_EQ(get("juNum:201", "new( 69 )"), "69");
}

} // namespace
