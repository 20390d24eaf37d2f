// Runs the scripted game server (mjserver) as a process for a test: writes
// the script to a file, starts the server on a free loopback port and
// collects what it prints.
#pragma once

#include "TestSupport.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace mjtest {

class ServerProcess {
public:
    explicit ServerProcess(const QString& script, const QStringList& extraArgs = {});
    ~ServerProcess();

    // The port it listens on; 0 when it did not start.
    int Port() const { return port_; }
    // Every line printed so far (the "listening" line included).
    const QStringList& Lines();
    // The "recv ..." lines so far.
    QStringList Received();
    // Waits until a line starting with `prefix` has been printed.
    bool WaitForLine(const QString& prefix, int timeoutMs = 10000);
    // Waits for the server to end; its exit code, or -1 when it did not end.
    int WaitForExit(int timeoutMs = 10000);
    QString Errors();

private:
    void readLines();

    QTemporaryDir dir_;
    QProcess process_;
    QStringList lines_;
    QByteArray partial_;
    int port_ = 0;
};

} // namespace mjtest
