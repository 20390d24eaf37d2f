// Shared test helpers: every test starts from the program's start state, with
// ending the program turned into an exception and message boxes answered by
// the test instead of a person.
#pragma once

#include "platform/Runtime.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace mjtest {

// The number of the run-time error `body` raised; 0 when it raised none.
inline int ErrorOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const mj::RuntimeError& e) {
        return e.Number;
    }
    return 0;
}

// Prompts of every message box shown since the test began.
QStringList& MessageBoxes();
// The answer the next message boxes give (vbOK unless a test sets another).
void AnswerMessageBoxes(int answer);

// Runs `body` and returns true when it ended the program (EndProgram).
bool EndsProgram(const std::function<void()>& body, int* exitCode = nullptr);

// How long a test waits for something that must happen before it fails:
// generous, since a loaded machine may take many times the usual time, and a
// passing test never waits it out.
constexpr int EventWaitMs = 60000;

// Handles events until `done` is true or `timeoutMs` of real time passed;
// returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = EventWaitMs);

// A folder in the build tree where tests leave files for people to look at.
QString ArtifactDir();

} // namespace mjtest
