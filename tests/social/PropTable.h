// The table with the test props plug-in, for the props host's tests: the
// program folder in a temporary folder (the real loader finds the test
// plug-in linked into its plugin/tools/), the main loop and the props timer
// run by the test on the driven clock.
#pragma once

#include "FrameBuilder.h"
#include "TableSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "platform/Clock.h"
#include "platform/Program.h"
#include "platform/PropPlugin.h"
#include "social/Mod_Prop.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace mjtest {

inline const QString BuiltPlugin = QStringLiteral(MJ_BUILD_DIR "/plugin/tools/libTesmora.so");

class PropTable {
public:
    // The table window (on `screen` when one is given, OpenTableWindow); the
    // test plug-in's object installed with state 1 (set-up tests take it
    // away again).
    void OpenPropTable(QSize screen = {})
    {
        ASSERT_TRUE(tmp.isValid());
        mj::SetProgramFolder(tmp.path());
        w = &OpenTableWindow(QStringLiteral("道具测试大厅"), screen);
        LeaveTimersToTest(*w);
        w->TimerProp.OnTimer = nullptr; // the test runs the props timer
        plugin = LoadTestPlugin();
        ASSERT_TRUE(plugin);
        mj::LoggedIn = true;
    }
    void ClosePropTable()
    {
        mj::Clock::SetIdleStep(nullptr);
        mj::Mod_Prop::ResetState();
        mj::SetProgramFolder(QString());
    }

    // Links the built test plug-in into <folder>/plugin/tools/.
    static void InstallPlugin(const QString& folder, const QString& target = BuiltPlugin)
    {
        const QString tools = folder + QStringLiteral("/plugin/tools");
        ASSERT_TRUE(QDir().mkpath(tools));
        QFile::remove(tools + QStringLiteral("/libTesmora.so"));
        ASSERT_TRUE(QFile::link(target, tools + QStringLiteral("/libTesmora.so")));
    }

    void Script(const char* text) const { ASSERT_EQ(plugin.Load(text), 0) << text; }

    // The calls logged since Mark().
    void Mark() { mark_ = plugin.Log().size(); }
    QStringList Calls() const { return plugin.Log().mid(mark_).split(u'\n', Qt::SkipEmptyParts); }
    // The calls since Mark() that start with one of the names.
    QStringList CallsOf(const QStringList& names) const
    {
        QStringList out;
        for (const QString& c : Calls())
            for (const QString& n : names)
                if (c.startsWith(n + u'('))
                    out << c;
        return out;
    }

    // One main-loop tick, 50 ms on.
    void Tick()
    {
        mj::Clock::Advance(0.05);
        w->TimerBong_Timer();
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            Tick();
    }

    // Runs the props timer as the clock moves on: each tick after its
    // interval, for at most `ms` milliseconds or until it stops.
    int RunPropTimer(int ms)
    {
        int elapsed = 0;
        while (elapsed < ms && w->TimerProp.Enabled() && w->TimerProp.Interval() > 0) {
            const int interval = w->TimerProp.Interval();
            mj::Clock::Advance(interval / 1000.0);
            elapsed += interval;
            w->TimerProp_Timer();
        }
        return elapsed;
    }

    // The hand ended with the plug-in's award data to come (as the
    // dispatcher leaves it at the last settlement row after a code 46, the
    // last hand's award data emptied).
    static void EndHandAwaitingAwards()
    {
        mj::Mod_Prop::ScoreInfoPending = true;
        mj::Mod_Prop::PropMsg46Seen = true;
        mj::Mod_Prop::ScoreShowState = 1;
        mj::Mod_Prop::BonusText = {};
        mj::Mod_Prop::BonusCoins = {};
        mj::Mod_Prop::AwardTexts = {};
    }

    QTemporaryDir tmp;
    mj::MainForm* w = nullptr;
    TestPlugin plugin;

private:
    qsizetype mark_ = 0;
};

} // namespace mjtest
