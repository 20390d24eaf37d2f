// Keyboard shortcuts of the table window: the boss key, F1 to F6 for the
// props plug-in (the test plug-in, in this process, logs every call), Esc
// for the exit dialog and Alt then C for the chat window.
#include "FakeHall.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/MainForm.h"
#include "client/frmExit.h"
#include "controls/Hero.h"
#include "controls/Information.h"
#include "controls/Score.h"
#include "social/Mod_Prop.h"
#include "social/Talk.h"
#include "social/VosSet.h"
#include "social/huifu.h"
#include "social/rule.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace mj;
using mjtest::PumpUntil;

namespace {

const QString Title = QStringLiteral("按键测试大厅");
constexpr int16_t F1 = 112, F2 = 113, F6 = 117, Esc = 27, Alt = 18, C = 67, X = 88;

enum class Handler { Form, FormChatFocus, Chat, Pic1, Pic2, Sysmsg };

// What a key did to one of the client's other windows.
enum Fate { Kept, Hidden, Unloaded };

template <class F>
Fate fateOf()
{
    if (!isLoaded<F>())
        return Unloaded;
    return form<F>().Visible() ? Kept : Hidden;
}

const char* nameOf(Handler h)
{
    switch (h) {
    case Handler::Form: return "Form_KeyDown";
    case Handler::FormChatFocus: return "Form_KeyDown, chat focus";
    case Handler::Chat: return "Chat_KeyDown";
    case Handler::Pic1: return "Pic1_KeyDown";
    case Handler::Pic2: return "Pic2_KeyDown";
    case Handler::Sysmsg: return "Sysmsg_KeyDown";
    }
    return "";
}

class Keys : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = &mjtest::OpenTableWindow(Title);
        plugin = mjtest::LoadTestPlugin();
        ASSERT_TRUE(plugin);
    }

    void press(Handler h, int16_t key)
    {
        int16_t code = key;
        w->ChatHasFocus = h == Handler::FormChatFocus;
        switch (h) {
        case Handler::Form:
        case Handler::FormChatFocus: w->Form_KeyDown(code, 0); break;
        case Handler::Chat: w->Chat_KeyDown(code, 0); break;
        case Handler::Pic1: w->Pic1_KeyDown(code, 0); break;
        case Handler::Pic2: w->Pic2_KeyDown(code, 0); break;
        case Handler::Sysmsg: w->Sysmsg_KeyDown(1, code, 0); break;
        }
    }

    // Calls of a plug-in member with these arguments so far.
    qsizetype pluginCalls(const QString& call) const { return plugin.Log().count(call + u'\n'); }

    // The client's other windows, each loaded and shown.
    void showOtherWindows()
    {
        form<Information>().Show();
        form<Talk>().Show();
        form<huifu>().Show();
        form<VosSet>().Show();
        form<Hero>().Show();
        form<Score>().Show();
        form<rule>().Show();
        ShowExitDialog();
    }

    MainForm* w = nullptr;
    mjtest::TestPlugin plugin;
    mjtest::FakeHall hall{Title};
};

TEST_F(Keys, FunctionKeysReachThePluginOnlyFromTheirHandlers)
{
    const struct {
        Handler handler;
        bool f1, others; // whether F1 and F2..F6 reach the plug-in
    } cases[] = {
        {Handler::Form, true, true},
        {Handler::FormChatFocus, true, false}, // the chat box's own handler passes them
        {Handler::Chat, true, true},
        {Handler::Pic1, true, false},
        {Handler::Pic2, true, false},
        {Handler::Sysmsg, true, false},
    };
    for (const auto& c : cases) {
        for (int16_t key = F1; key <= F6; ++key) {
            SCOPED_TRACE(testing::Message() << nameOf(c.handler) << " key " << key);
            const QString call = QStringLiteral("SetKeyDown(%1)").arg(key);
            const qsizetype before = pluginCalls(call);
            press(c.handler, key);
            EXPECT_EQ(pluginCalls(call) - before, (key == F1 ? c.f1 : c.others) ? 1 : 0);
        }
    }
}

TEST_F(Keys, WithoutThePluginFunctionKeysStillWork)
{
    Mod_Prop::ResetState();
    for (Handler h : {Handler::Form, Handler::Chat, Handler::Pic1, Handler::Sysmsg}) {
        SCOPED_TRACE(nameOf(h));
        BossKey = false;
        EXPECT_EQ(mjtest::ErrorOf([&] { press(h, F2); }), 0);
        EXPECT_EQ(mjtest::ErrorOf([&] { press(h, F1); }), 0);
        EXPECT_TRUE(BossKey);
    }
}

// What each handler's boss key does with the client's other windows, the
// turn length, the table window and the hall.
TEST_F(Keys, TheBossKeyPutsEveryWindowAwayAndMinimisesGameAndHall)
{
    const struct {
        Handler handler;
        Fate information, talk, huifu, vosSet, exit, hero, score, rule;
        bool turnToZero;
    } cases[] = {
        {Handler::Form, Unloaded, Hidden, Hidden, Kept, Kept, Kept, Kept, Kept, false},
        {Handler::Chat, Hidden, Hidden, Kept, Hidden, Hidden, Hidden, Hidden, Hidden, true},
        {Handler::Pic1, Hidden, Hidden, Kept, Hidden, Hidden, Hidden, Hidden, Hidden, true},
        {Handler::Pic2, Hidden, Hidden, Kept, Hidden, Hidden, Hidden, Hidden, Hidden, true},
        {Handler::Sysmsg, Unloaded, Hidden, Hidden, Hidden, Unloaded, Hidden, Hidden, Hidden, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(nameOf(c.handler));
        BossKey = false;
        TurnSeconds = 8;
        w->SetWindowState(0);
        showOtherWindows();
        const qsizetype before = hall.Log().size();

        press(c.handler, F1);

        EXPECT_EQ(fateOf<Information>(), c.information);
        EXPECT_EQ(fateOf<Talk>(), c.talk);
        EXPECT_EQ(fateOf<huifu>(), c.huifu);
        EXPECT_EQ(fateOf<VosSet>(), c.vosSet);
        EXPECT_EQ(fateOf<frmExit>(), c.exit);
        EXPECT_EQ(fateOf<Hero>(), c.hero);
        EXPECT_EQ(fateOf<Score>(), c.score);
        EXPECT_EQ(fateOf<rule>(), c.rule);
        EXPECT_TRUE(BossKey);
        EXPECT_EQ(TurnSeconds, c.turnToZero ? 0 : 8);
        EXPECT_EQ(w->WindowState(), 1);
        ASSERT_TRUE(PumpUntil([&] { return hall.Log().size() > before; }));
        EXPECT_EQ(hall.Log().mid(before), QStringList{QStringLiteral("minimize")});
    }
}

TEST_F(Keys, TheBossKeyWithTheHallGoneEndsTheProgram)
{
    hall.Close();
    for (Handler h : {Handler::Form, Handler::Chat, Handler::Pic1, Handler::Pic2, Handler::Sysmsg}) {
        SCOPED_TRACE(nameOf(h));
        EXPECT_TRUE(mjtest::EndsProgram([&] { press(h, F1); }));
        EXPECT_EQ(w->WindowState(), 1); // the game was hidden first
    }
}

// Restoring the window undoes the boss key: the turn length in force before
// comes back, however often the key was pressed.
TEST_F(Keys, RestoringTheWindowBringsTheTurnLengthBack)
{
    const struct {
        std::vector<Handler> presses;
        int16_t turnSeconds;
    } cases[] = {
        {{Handler::Pic1}, 8},
        {{Handler::Chat}, 15},
        {{Handler::Sysmsg, Handler::Pic2}, 1}, // auto mode's one second, pressed twice
        {{Handler::Form}, 8},
    };
    w->Show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.turnSeconds);
        TurnSeconds = c.turnSeconds;
        TimeoutCount = 3;
        for (Handler h : c.presses) {
            w->SetWindowState(0);
            press(h, F1);
        }
        ASSERT_EQ(w->WindowState(), 1);
        const qsizetype before = hall.Log().size();
        const qsizetype fixes = pluginCalls(QStringLiteral("FixBuffPos()"));
        w->SetWindowState(0);
        EXPECT_EQ(TurnSeconds, c.turnSeconds);
        EXPECT_FALSE(BossKey);
        EXPECT_EQ(TimeoutCount, 0);
        EXPECT_EQ(pluginCalls(QStringLiteral("FixBuffPos()")) - fixes, 1);
        ASSERT_TRUE(PumpUntil([&] { return hall.Log().size() > before; }));
        EXPECT_EQ(hall.Log().mid(before), QStringList{QStringLiteral("minimize")});
    }
}

TEST_F(Keys, EscOnTheTableShowsAndHidesTheExitDialog)
{
    const struct {
        Handler handler;
        bool watch;
        qsizetype bankCalls; // setbankstate(2) per press
    } cases[] = {{Handler::Pic1, false, 1}, {Handler::Pic2, false, 0}, {Handler::Pic1, true, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << nameOf(c.handler) << (c.watch ? " watching" : ""));
        GameRunning = true;
        WatchMode = c.watch;
        const qsizetype bank = pluginCalls(QStringLiteral("setbankstate(2)"));
        press(c.handler, Esc);
        ASSERT_TRUE(isLoaded<frmExit>());
        EXPECT_TRUE(form<frmExit>().Visible());
        EXPECT_EQ(form<frmExit>().Label2.Visible(), !c.watch);
        press(c.handler, Esc);
        EXPECT_TRUE(isLoaded<frmExit>());
        EXPECT_FALSE(form<frmExit>().Visible());
        EXPECT_EQ(pluginCalls(QStringLiteral("setbankstate(2)")) - bank, 2 * c.bankCalls);
    }
}

TEST_F(Keys, AltAndCOpenTheChatWindowWithNothingButEscBetween)
{
    const struct {
        std::vector<int16_t> keys;
        bool opens;
    } cases[] = {
        {{Alt, C}, true},
        {{C, Alt}, true},
        {{Alt, Esc, C}, true},
        {{Alt, Alt, C}, true},
        {{Alt, F1, C}, false},
        {{Alt, X, C}, false},
        {{C, C}, false},
        {{Alt}, false},
    };
    for (Handler h : {Handler::Pic1, Handler::Pic2}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << nameOf(h) << " keys " << testing::PrintToString(c.keys));
            unload<Talk>();
            unload<frmExit>();
            AltKeyFlags.Fill(0);
            w->SetWindowState(0);
            for (int16_t key : c.keys)
                press(h, key);
            EXPECT_EQ(isLoaded<Talk>() && form<Talk>().Visible(), c.opens);
            if (c.opens) {
                EXPECT_TRUE(form<Talk>().TopMost());
                EXPECT_EQ(AltKeyFlags[0], 0); // the pair starts again
                EXPECT_EQ(AltKeyFlags[1], 0);
            }
        }
    }
}

TEST_F(Keys, TheChatWindowOpensLowerOnTheScaledLayout)
{
    const struct {
        float scale;
        double top, left;
    } cases[] = {
        // Full layout: 0.66 of the table's height, 0.3 of its width.
        {1.0f, 900 + 300 + 9000 * 0.66, 1500 + 120 + 12000 * 0.3},
        // Scaled: 0.6 of the window's height, 0.22 of its width.
        {0.78125f, 900 + 300 + 9600 * 0.6, 1500 + 120 + 12240 * 0.22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        ScaleX = ScaleY = c.scale;
        w->Move(1500, 900, 12240, 9600);
        w->Pic1.Move(120, 300, 12000, 9000);
        unload<Talk>();
        press(Handler::Pic1, Alt);
        press(Handler::Pic1, C);
        ASSERT_TRUE(isLoaded<Talk>());
        EXPECT_DOUBLE_EQ(form<Talk>().Top(), c.top);
        EXPECT_DOUBLE_EQ(form<Talk>().Left(), c.left);
    }
}

// Keys typed into the table window reach the handlers of the control that
// has the focus, and the window's own handler sees them first.
TEST_F(Keys, TypedKeysReachTheirHandlers)
{
    w->Show();
    const auto type = [](Control& target, Qt::Key key) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target.Widget(), &down);
    };

    // F2 in the chat box: the window's handler leaves it to the chat box's.
    w->Widget()->activateWindow();
    w->Chat.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return w->ChatHasFocus; }));
    type(w->Chat, Qt::Key_F2);
    EXPECT_EQ(pluginCalls(QStringLiteral("SetKeyDown(113)")), 1);

    // Esc on the table picture opens the exit dialog; again closes it.
    w->Pic1.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return !w->ChatHasFocus; }));
    type(w->Pic1, Qt::Key_Escape);
    ASSERT_TRUE(isLoaded<frmExit>());
    EXPECT_TRUE(form<frmExit>().Visible());
    type(w->Pic1, Qt::Key_Escape);
    EXPECT_FALSE(form<frmExit>().Visible());

    // Alt then C on the table picture opens the chat window.
    type(w->Pic1, Qt::Key_Alt);
    type(w->Pic1, Qt::Key_C);
    EXPECT_TRUE(isLoaded<Talk>() && form<Talk>().Visible());

    // F1 in the system message list: the boss key, which unloads the exit dialog.
    ShowExitDialog();
    type(w->Sysmsg(0), Qt::Key_F1);
    EXPECT_TRUE(BossKey);
    EXPECT_FALSE(isLoaded<frmExit>());
    EXPECT_EQ(w->WindowState(), 1);
}

} // namespace
