#include "ServerProcess.h"

#include <QCoreApplication>
#include <QFile>

namespace mjtest {

ToolProcess::~ToolProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool ToolProcess::Start(const QString& tool, const QStringList& args, const QProcessEnvironment& env)
{
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { readLines(); });
    process_.setProcessEnvironment(env);
    process_.start(tool.startsWith(u'/') ? tool : QStringLiteral(MJ_BUILD_DIR "/") + tool, args);
    return process_.waitForStarted(10000);
}

void ToolProcess::readLines()
{
    partial_.append(process_.readAllStandardOutput());
    qsizetype nl;
    while ((nl = partial_.indexOf('\n')) >= 0) {
        lines_.append(QString::fromUtf8(partial_.left(nl)).trimmed());
        partial_.remove(0, nl + 1);
    }
}

const QStringList& ToolProcess::Lines()
{
    readLines();
    return lines_;
}

int ToolProcess::WaitForLine(const QString& prefix, int timeoutMs, int from)
{
    int found = -1;
    PumpUntil(
        [&] {
            readLines();
            for (int i = from; i < lines_.size(); ++i)
                if (lines_[i].startsWith(prefix)) {
                    found = i;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

void ToolProcess::Send(const QString& line)
{
    process_.write((line + u'\n').toUtf8());
    process_.waitForBytesWritten(5000);
}

int ToolProcess::WaitForExit(int timeoutMs)
{
    if (!PumpUntil([&] { return process_.state() == QProcess::NotRunning; }, timeoutMs))
        return -1;
    readLines();
    return process_.exitCode();
}

QString ToolProcess::Errors()
{
    return QString::fromUtf8(process_.readAllStandardError());
}

ServerProcess::ServerProcess(const QString& script, const QStringList& extraArgs)
{
    const QString path = dir_.filePath(QStringLiteral("script.txt"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(script.toUtf8());
    f.close();
    if (!Start(QStringLiteral("mjserver"), QStringList{path} + extraArgs))
        return;
    const int at = WaitForLine(QStringLiteral("listening "));
    if (at >= 0)
        port_ = Lines()[at].mid(10).toInt();
}

QStringList ServerProcess::Received()
{
    QStringList out;
    for (const QString& line : Lines())
        if (line.startsWith(QStringLiteral("recv ")))
            out.append(line);
    return out;
}

ChildRun RunTestInChild(const QString& test, const QProcessEnvironment& env)
{
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + test, QStringLiteral("--gtest_also_run_disabled_tests")});
    ChildRun run;
    if (!child.waitForFinished(2 * EventWaitMs)) {
        child.kill();
        child.waitForFinished();
        run.output = QStringLiteral("the test did not end");
        return run;
    }
    run.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    run.output = QString::fromLocal8Bit(child.readAllStandardOutput() + child.readAllStandardError());
    return run;
}

} // namespace mjtest
