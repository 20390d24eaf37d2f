#include "platform/Application.h"

#include <QStyleHints>

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

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    // A blinking caret repaints its text box twice a second. While nobody
    // types, that is the only thing an idle table would draw, so the caret
    // rests after a while, as desktop toolkits let it.
    caretRest_.setSingleShot(true);
    caretRest_.setInterval(CaretRestMs);
    QObject::connect(&caretRest_, &QTimer::timeout, this, [this] {
        blinkTime_ = styleHints()->cursorFlashTime();
        caretResting_ = true;
        styleHints()->setCursorFlashTime(0);
    });
    caretRest_.start();
}

void Application::SetCaretRest(int milliseconds)
{
    caretRest_.setInterval(milliseconds);
    wakeCaret();
}

void Application::wakeCaret()
{
    if (caretResting_) {
        caretResting_ = false;
        styleHints()->setCursorFlashTime(blinkTime_);
    }
    caretRest_.start();
}

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
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::FocusIn:
        wakeCaret();
        break;
    default:
        break;
    }
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
