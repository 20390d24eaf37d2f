#include "platform/Application.h"

#include <cstdio>
#include <vector>

namespace mj {

namespace {

std::function<void(const RuntimeError&)>& unhandledAction()
{
    static std::function<void(const RuntimeError&)> action;
    return action;
}

bool g_endedInEvent = false;

std::vector<std::function<void()>>& shutdownRoutines()
{
    static std::vector<std::function<void()>> routines;
    return routines;
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

Application::~Application()
{
    auto& routines = shutdownRoutines();
    while (!routines.empty()) {
        const std::function<void()> routine = std::move(routines.back());
        routines.pop_back();
        routine();
    }
}

void AddShutdownRoutine(std::function<void()> routine)
{
    shutdownRoutines().push_back(std::move(routine));
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const RuntimeError& error) {
        try {
            HandleUnhandledError(error);
        } catch (const ProgramEnded&) {
            g_endedInEvent = true;
        }
    } catch (const ProgramEnded&) {
        g_endedInEvent = true;
    }
    return false;
}

void SetUnhandledErrorAction(std::function<void(const RuntimeError&)> action)
{
    unhandledAction() = std::move(action);
}

void HandleUnhandledError(const RuntimeError& error)
{
    if (unhandledAction()) {
        unhandledAction()(error);
        return;
    }
    std::fprintf(stderr, "mjtable: %s\n", error.what());
    EndProgram(1);
}

bool ProgramEndedInEvent()
{
    return g_endedInEvent;
}

void ClearProgramEndedInEvent()
{
    g_endedInEvent = false;
}

} // namespace mj
