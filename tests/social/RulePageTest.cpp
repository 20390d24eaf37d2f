// The rules page: rule.ini's text as it stands, centred over the table,
// dragged by the left button only, opaque like the chat and phrase
// phrase windows.
#include "FakeHall.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/MainForm.h"
#include "platform/Gbk.h"
#include "platform/Program.h"
#include "social/Talk.h"
#include "social/huifu.h"
#include "social/rule.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mj;

namespace {

const QString Title = QStringLiteral("规则测试大厅");

class RulePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        SetProgramFolder(dir.path());
        w = &mjtest::OpenTableWindow(Title);
        w->Move(1500, 900, 15600, 11940);
    }

    void writeRules(const QByteArray& bytes)
    {
        QFile file(dir.filePath(QStringLiteral("rule.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
    MainForm* w = nullptr;
    mjtest::FakeHall hall{Title};
};

TEST_F(RulePage, ShowsRuleIniAsItStands)
{
    const QByteArray lines = Gbk::Encode(QStringLiteral("一、基本规则\r\n  每人十三张。\r\n\r\n二、胡牌\n可以吃碰杠。"));
    QByteArray big;
    while (big.size() < 1024 * 1024)
        big += Gbk::Encode(QStringLiteral("规则文字"));
    const struct {
        const char* name;
        QByteArray file; // empty: no file
        QString text;
    } cases[] = {
        {"GBK lines with their breaks", lines, Gbk::Decode(lines)},
        {"no file", {}, QString()},
        {"an empty file", QByteArray(""), QString()},
        {"1 MiB: the first 64 KiB", big, Gbk::Decode(big.left(rule::MaxTextBytes))},
        {"bytes that are not GBK", QByteArray("ok\x81\xff."), QStringLiteral("ok??.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        unload<rule>();
        QFile::remove(dir.filePath(QStringLiteral("rule.ini")));
        if (c.name != std::string("no file"))
            writeRules(c.file);
        rule& page = form<rule>();
        EXPECT_FALSE(page.Visible());
        EXPECT_EQ(page.Label1.Caption(), QStringLiteral("规则"));
        EXPECT_EQ(page.Label2.Caption(), c.text);
    }
    EXPECT_TRUE(Gbk::Decode(lines).contains(QStringLiteral("\r\n  每人十三张。\r\n\r\n")));
    EXPECT_EQ(Gbk::Decode(big.left(rule::MaxTextBytes)).size(), rule::MaxTextBytes / 2);
}

TEST_F(RulePage, OpensCentredOverTheTableAndOpaqueLikeTheChatWindows)
{
    rule& page = form<rule>();
    EXPECT_DOUBLE_EQ(page.Top(), (11940 - 7995) / 2.0 + 900);
    EXPECT_DOUBLE_EQ(page.Left(), (15600 - 5025) / 2.0 + 1500);
    EXPECT_EQ(page.WindowState(), 0);
    EXPECT_EQ(page.WindowAlpha(), 255);
    EXPECT_EQ(form<Talk>().WindowAlpha(), 255);
    EXPECT_EQ(form<huifu>().WindowAlpha(), 255);
    EXPECT_EQ(page.Picture().Image().size(), QSize(335, 533));
}

TEST_F(RulePage, DraggedByTheLeftButtonOnly)
{
    rule& page = form<rule>();
    page.Show();
    const QPointF free(5, 5); // above the title, outside both labels
    const struct {
        const char* name;
        QWidget* widget;
        Qt::MouseButton button;
        int drags;
    } cases[] = {
        {"left on the window", page.Widget(), Qt::LeftButton, 1},
        {"right on the window", page.Widget(), Qt::RightButton, 0},
        {"middle on the window", page.Widget(), Qt::MiddleButton, 0},
        {"left on the text", page.Label2.Widget(), Qt::LeftButton, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = page.DragsStarted();
        mjtest::SendMouse(c.widget, QEvent::MouseButtonPress, free, c.button);
        mjtest::SendMouse(c.widget, QEvent::MouseButtonRelease, free, c.button);
        EXPECT_EQ(page.DragsStarted() - before, c.drags);
    }
}

} // namespace
