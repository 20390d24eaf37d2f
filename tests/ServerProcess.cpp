#include "ServerProcess.h"

#include <QCoreApplication>
#include <QFile>

namespace mjtest {

ServerProcess::ServerProcess(const QString& script, const QStringList& extraArgs)
{
    const QString path = dir_.filePath(QStringLiteral("script.txt"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(script.toUtf8());
    f.close();
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { readLines(); });
    process_.start(QStringLiteral(MJ_BUILD_DIR "/mjserver"), QStringList{path} + extraArgs);
    if (!process_.waitForStarted(10000))
        return;
    if (WaitForLine(QStringLiteral("listening "), 10000)) {
        for (const QString& line : lines_)
            if (line.startsWith(QStringLiteral("listening ")))
                port_ = line.mid(10).toInt();
    }
}

ServerProcess::~ServerProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void ServerProcess::readLines()
{
    partial_.append(process_.readAllStandardOutput());
    qsizetype nl;
    while ((nl = partial_.indexOf('\n')) >= 0) {
        lines_.append(QString::fromUtf8(partial_.left(nl)).trimmed());
        partial_.remove(0, nl + 1);
    }
}

const QStringList& ServerProcess::Lines()
{
    readLines();
    return lines_;
}

QStringList ServerProcess::Received()
{
    QStringList out;
    for (const QString& line : Lines())
        if (line.startsWith(QStringLiteral("recv ")))
            out.append(line);
    return out;
}

bool ServerProcess::WaitForLine(const QString& prefix, int timeoutMs)
{
    return PumpUntil(
        [&] {
            readLines();
            for (const QString& line : lines_)
                if (line.startsWith(prefix))
                    return true;
            return false;
        },
        timeoutMs);
}

int ServerProcess::WaitForExit(int timeoutMs)
{
    if (!PumpUntil([&] { return process_.state() == QProcess::NotRunning; }, timeoutMs))
        return -1;
    readLines();
    return process_.exitCode();
}

QString ServerProcess::Errors()
{
    return QString::fromUtf8(process_.readAllStandardError());
}

} // namespace mjtest
