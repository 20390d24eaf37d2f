#include "platform/Program.h"

#include <QCoreApplication>

namespace mj {

namespace {
QString& overridden()
{
    static QString path;
    return path;
}

std::optional<QString>& commandLine()
{
    static std::optional<QString> line;
    return line;
}
} // namespace

QString ProgramFolder()
{
    if (!overridden().isEmpty())
        return overridden();
    return QCoreApplication::applicationDirPath();
}

void SetProgramFolder(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    overridden() = p;
}

QString CommandLine()
{
    if (commandLine())
        return *commandLine();
    return QCoreApplication::arguments().mid(1).join(u' ');
}

void SetCommandLine(std::optional<QString> line)
{
    commandLine() = std::move(line);
}

} // namespace mj
