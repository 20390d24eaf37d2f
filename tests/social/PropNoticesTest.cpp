// The plug-in's notices and labels as the main loop takes them from the test
// plug-in: the chat history and the two system lines, the timed label on the
// driven clock, labels with values the table cannot show, and a plug-in that
// claims more items than it holds.
#include "PropTable.h"

#include "social/Talk.h"

using namespace mj;

namespace {

class PropNotices : public ::testing::Test, public mjtest::PropTable {
protected:
    void SetUp() override
    {
        OpenPropTable();
        Mod_Prop::PropPolling = true;
    }
    void TearDown() override { ClosePropTable(); }

    QStringList history() const
    {
        QStringList lines;
        const ListBox& list = form<Talk>().Text1;
        for (int i = 0; i < list.ListCount(); ++i)
            lines << list.List(i);
        return lines;
    }
    QString systemLine(int i) const
    {
        return w->Sysmsg(i).ListCount() > 0 ? w->Sysmsg(i).List(0) : QString();
    }
};

TEST_F(PropNotices, ANoticeWrapsInTheHistoryAndIsCutInTheSystemLine)
{
    const QString letters = QString(60, u'x');
    const QString chinese = QString(60, u'中');
    const struct {
        QString text;
        QStringList history; // 44 columns: a Chinese character takes two
    } cases[] = {
        {letters, {letters.left(44) + " ", letters.mid(44) + " "}},
        {chinese, {chinese.left(22) + " ", chinese.mid(22, 22) + " ", chinese.mid(44) + " "}},
    };
    for (const auto& c : cases) {
        form<Talk>().Text1.Clear();
        w->Sysmsg(0).Clear();
        w->Sysmsg(1).Clear();
        Script(("notice " + c.text + "\n").toUtf8().constData());
        Tick();
        EXPECT_EQ(history(), c.history);
        EXPECT_EQ(systemLine(0), c.text.left(45));
        EXPECT_TRUE(systemLine(1).isEmpty());
        EXPECT_TRUE(Mod_Prop::PropText.isEmpty());
    }
    EXPECT_FALSE(form<Talk>().Visible()) << "the history fills while the chat window is hidden";
}

TEST_F(PropNotices, ThreeNoticesShareTheTwoSystemLines)
{
    const struct {
        const char* notice;
        const char* upper;
        const char* lower;
    } steps[] = {{"一", "一", ""}, {"二", "一", "二"}, {"三", "二", "三"}};
    for (const auto& s : steps) {
        Script((QStringLiteral("notice ") + QString::fromUtf8(s.notice) + "\n").toUtf8().constData());
        Tick();
        EXPECT_EQ(systemLine(0), QString::fromUtf8(s.upper)) << s.notice;
        EXPECT_EQ(systemLine(1), QString::fromUtf8(s.lower)) << s.notice;
    }
}

TEST_F(PropNotices, ATimedLabelGoesAfterItsTicksAndAnUntimedOneStays)
{
    Script("label 300,40,100,200 500,6,12,255,2 限时道具\n");
    Tick();
    Label& label = w->LbProp;
    EXPECT_TRUE(label.Visible());
    EXPECT_EQ(label.Caption(), QStringLiteral("限时道具"));
    EXPECT_EQ(QRectF(label.Left(), label.Top(), label.Width(), label.Height()), QRectF(100, 200, 300, 40));
    EXPECT_EQ(label.FontSize(), 12);
    EXPECT_EQ(label.ForeColor(), 255);
    EXPECT_EQ(label.Alignment(), Label::vbCenter);
    EXPECT_EQ(w->TimerProp.Interval(), 500);
    EXPECT_EQ(RunPropTimer(2500), 2500);
    EXPECT_TRUE(label.Visible());
    EXPECT_EQ(RunPropTimer(10000), 500); // gone at 3 s, and the timer stops
    EXPECT_FALSE(label.Visible());
    EXPECT_TRUE(label.Caption().isEmpty());
    EXPECT_FALSE(w->TimerProp.Enabled());

    // A second label while the first is timed replaces it and counts afresh.
    Script("label 300,40,100,200 500,6,12,255,2 第一\n");
    Tick();
    RunPropTimer(2000);
    Script("label 200,30,10,20 200,5,9,0,0 第二\n");
    Tick();
    EXPECT_EQ(label.Caption(), QStringLiteral("第二"));
    EXPECT_EQ(RunPropTimer(10000), 1000);
    EXPECT_FALSE(label.Visible());

    // Interval 0 or no ticks: the label stays, also when it follows a
    // timed label whose count was still running.
    for (const char* script : {"label 300,40,100,200 0,6,12,255,0 常驻\n", "label 300,40,100,200 500,0,12,255,0 常驻\n"}) {
        SCOPED_TRACE(script);
        Script(script);
        Tick();
        EXPECT_EQ(RunPropTimer(10000), 0);
        EXPECT_TRUE(label.Visible());

        Script("label 300,40,100,200 500,6,12,255,2 限时道具\n");
        Tick();
        RunPropTimer(1000);
        Script(script);
        Tick();
        RunPropTimer(10000); // past the end of the timed label's count
        EXPECT_TRUE(label.Visible());
        EXPECT_EQ(label.Caption(), QStringLiteral("常驻"));
        w->TimerProp.SetEnabled(false);
    }
}

// A label the table cannot show as it came is kept on the table: sizes of
// at least a pixel, the rectangle inside the table, a font of 6 to 72
// points, an alignment outside 0 to 2 as left, a 24-bit colour, and an
// interval of at most a minute.
TEST_F(PropNotices, LabelValuesAreKeptWithinWhatTheTableShows)
{
    const double width = w->Pic1.ScaleWidth();
    const double height = w->Pic1.ScaleHeight();
    ASSERT_GT(width, 300);
    const struct {
        const char* name;
        QVector<int32_t> rect, params;
        QRectF shown;
        double font;
        int32_t colour;
        int16_t alignment;
        int32_t interval; // 0: not timed
    } cases[] = {
        {"as sent", {300, 40, 100, 200}, {500, 6, 12, 0xFF, 1}, {100, 200, 300, 40}, 12, 0xFF, 1, 500},
        {"no size", {0, -5, 10, 10}, {500, 6, 12, 0, 0}, {10, 10, 1, 1}, 12, 0, 0, 500},
        {"off the top left", {300, 40, -100, -7}, {500, 6, 12, 0, 0}, {0, 0, 300, 40}, 12, 0, 0, 500},
        {"off the bottom right", {300, 40, 5000, 5000}, {500, 6, 12, 0, 0}, {width - 300, height - 40, 300, 40}, 12, 0, 0, 500},
        {"larger than the table", {99999, 99999, 3, 3}, {500, 6, 12, 0, 0}, {0, 0, width, height}, 12, 0, 0, 500},
        {"tiny font", {300, 40, 0, 0}, {500, 6, 0, 0, 0}, {0, 0, 300, 40}, 6, 0, 0, 500},
        {"huge font", {300, 40, 0, 0}, {500, 6, 100000, 0, 0}, {0, 0, 300, 40}, 72, 0, 0, 500},
        {"alignment 7", {300, 40, 0, 0}, {500, 6, 12, 0, 7}, {0, 0, 300, 40}, 12, 0, 0, 500},
        {"alignment -1", {300, 40, 0, 0}, {500, 6, 12, 0, -1}, {0, 0, 300, 40}, 12, 0, 0, 500},
        {"colour beyond 24 bits", {300, 40, 0, 0}, {500, 6, 12, -1, 2}, {0, 0, 300, 40}, 12, 0xFFFFFF, 2, 500},
        {"interval of a day", {300, 40, 0, 0}, {86400000, 6, 12, 0, 0}, {0, 0, 300, 40}, 12, 0, 0, 60000},
        {"negative interval", {300, 40, 0, 0}, {-500, 6, 12, 0, 0}, {0, 0, 300, 40}, 12, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        w->TimerProp.SetEnabled(false);
        Mod_Prop::LabelTimerOn = false;
        QString text = QStringLiteral("标签");
        QVector<int32_t> rect = c.rect, params = c.params;
        Mod_Prop::ShowPropLabel(text, rect, params);
        const Label& label = w->LbProp;
        EXPECT_TRUE(label.Visible());
        EXPECT_EQ(QRectF(label.Left(), label.Top(), label.Width(), label.Height()), c.shown);
        EXPECT_EQ(label.FontSize(), c.font);
        EXPECT_EQ(label.ForeColor(), c.colour);
        EXPECT_EQ(label.Alignment(), c.alignment);
        EXPECT_EQ(w->TimerProp.Enabled(), c.interval > 0);
        if (c.interval > 0) {
            EXPECT_EQ(w->TimerProp.Interval(), c.interval);
        }
    }
}

TEST_F(PropNotices, TheDisplayWidthCountsTwoForADoubleByteCharacter)
{
    const struct {
        QString text;
        int16_t width;
    } cases[] = {
        {QString(), 0}, {QStringLiteral("ab"), 2}, {QStringLiteral("宝箱"), 4}, {QStringLiteral("a宝"), 3},
        {QStringLiteral("请等待其他玩家打开宝箱"), 22}, {QStringLiteral("金币100"), 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Mod_Prop::GetAnsiWidth(c.text), c.width) << c.text.toStdString();
}

// However many items the plug-in claims, a tick takes at most 64 and the
// table goes on.
TEST_F(PropNotices, APluginClaimingMoreItemsThanItHoldsIsAskedABoundedNumberOfTimes)
{
    const struct {
        const char* claim;
        int fetches;
    } cases[] = {{"claim 2147483647\n", 64}, {"claim 100\n", 64}, {"claim 2\n", 2}, {"claim -5\n", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.claim);
        Script(c.claim);
        Script("notice 甲\nnotice 乙\n");
        Mark();
        Tick();
        EXPECT_EQ(CallsOf({"GetSendBuff"}).size(), c.fetches);
        EXPECT_EQ(CallsOf({"GetSendBuff"}).count(QStringLiteral("GetSendBuff() -> 0")), std::min(2, c.fetches));
        Script("claim 0\n");
        Tick(); // nothing left over from the claim
    }
}

} // namespace
