// Runs the test tools as processes: the scripted game server (mjserver) and
// the replacement hall (mjhall), collecting what they print.
#pragma once

#include "TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace mjtest {

// A tool of the build folder run as a process; its stdout is read as lines.
class ToolProcess {
public:
    ToolProcess() = default;
    ~ToolProcess();
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    // Starts MJ_BUILD_DIR/<tool> (or the program at an absolute path) with the arguments.
    bool Start(const QString& tool, const QStringList& args,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    // Every line printed so far.
    const QStringList& Lines();
    // Waits until a line starting with `prefix` has been printed (at or after
    // line `from`); its index, or -1.
    int WaitForLine(const QString& prefix, int timeoutMs = EventWaitMs, int from = 0);
    // Writes one line to the tool's standard input.
    void Send(const QString& line);
    // Waits for the tool to end; its exit code, or -1 when it did not end.
    int WaitForExit(int timeoutMs = EventWaitMs);
    QString Errors();
    QProcess& Process() { return process_; }

private:
    void readLines();

    QProcess process_;
    QStringList lines_;
    QByteArray partial_;
};

// mjserver playing a script, on a free loopback port.
class ServerProcess : public ToolProcess {
public:
    explicit ServerProcess(const QString& script, const QStringList& extraArgs = {});

    // The port it listens on; 0 when it did not start.
    int Port() const { return port_; }
    // The "recv ..." lines so far.
    QStringList Received();

private:
    QTemporaryDir dir_;
    int port_ = 0;
};

// One disabled test of the running test program, run in a process of its own
// with the environment given: for what a program does only at its start or
// at its exit. Its output (stdout and stderr) and exit code.
struct ChildRun {
    int exitCode = -1;
    QString output;
};
ChildRun RunTestInChild(const QString& test, const QProcessEnvironment& env);

} // namespace mjtest
