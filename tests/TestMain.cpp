#include "TestSupport.h"

#include "client/Data.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Forms.h"
#include "platform/HallLink.h"
#include "platform/Program.h"
#include "platform/Screen.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace mjtest {

namespace {
int g_answer = mj::vbOK;
}

QStringList& MessageBoxes()
{
    static QStringList boxes;
    return boxes;
}

void AnswerMessageBoxes(int answer)
{
    g_answer = answer;
}

bool EndsProgram(const std::function<void()>& body, int* exitCode)
{
    try {
        body();
    } catch (const mj::ProgramEnded& e) {
        if (exitCode)
            *exitCode = e.ExitCode;
        return true;
    }
    return false;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

QString ArtifactDir()
{
    const QString dir = QStringLiteral(MJ_BUILD_DIR "/test-artifacts");
    QDir().mkpath(dir);
    return dir;
}

namespace {

// Puts the program back to its start state before every test.
class FreshStart : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        mj::DiscardAllForms();
        mj::HallLink::Reset();
        mj::ResetSharedState();
        mj::SetProgramFolder(QString());
        mj::SetCommandLine(std::nullopt);
        mj::Screen::Reset();
        mj::Clock::UseRealClock();
        MessageBoxes().clear();
        g_answer = mj::vbOK;
        mj::SetMsgBoxAnswerer([](const QString& prompt, int, const QString&) {
            MessageBoxes().append(prompt);
            return g_answer;
        });
        mj::SetEndProgramAction([](int code) { throw mj::ProgramEnded{code}; });
        mj::SetUnhandledErrorAction(nullptr);
        mj::ClearProgramEndedInEvent();
    }
};

} // namespace
} // namespace mjtest

int main(int argc, char** argv)
{
    // Tests never need a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The web engine refuses to run sandboxed as root (CI runs as root).
    if (geteuid() == 0)
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    // Each test program has a temporary folder of its own: the hall link's
    // sockets live there, so tests running side by side never meet.
    QTemporaryDir ownTemp;
    if (ownTemp.isValid())
        setenv("TMPDIR", ownTemp.path().toLocal8Bit().constData(), 1);
    mj::Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new mjtest::FreshStart);
    return RUN_ALL_TESTS();
}
