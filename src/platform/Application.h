// The application object. Every event the program handles (timers, sockets,
// mouse and keys, painting) passes through it, so it is the one place where a
// run-time error that no procedure handled ends up: it goes to the unhandled
// error action, which ends the program: nothing can go on safely after an
// error that no procedure handled. Start-up installs an action that restores
// the hall window first.
#pragma once

#include "platform/Runtime.h"

#include <QApplication>
#include <QTimer>

#include <functional>

namespace mj {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    // Runs the shutdown routines, then Qt takes itself down.
    ~Application() override;
    bool notify(QObject* receiver, QEvent* event) override;

    // How long the text caret keeps blinking after the last key, button
    // press or focus change; then it rests, shown, until the next one.
    static constexpr int CaretRestMs = 10000;
    // Sets that time (tests shorten it) and starts it anew.
    void SetCaretRest(int milliseconds);

private:
    void wakeCaret();

    QTimer caretRest_;
    int blinkTime_ = 0;
    bool caretResting_ = false;
};

// Registers a routine that runs when the application object is destroyed,
// while Qt is still whole (before its own clean-up routines): parts that
// must be released before Qt goes away (the web engine) use it. Routines run
// newest first, once.
void AddShutdownRoutine(std::function<void()> routine);

// What happens to a run-time error that reached the event loop. The default
// writes the error to standard error and ends the program.
void SetUnhandledErrorAction(std::function<void(const RuntimeError&)> action);
void HandleUnhandledError(const RuntimeError& error);

// Set when EndProgram's replaced action (tests) ended the program inside an
// event; the event loop itself cannot carry the end further.
bool ProgramEndedInEvent();
void ClearProgramEndedInEvent();

} // namespace mj
