#include "platform/Program.h"

#include <QCoreApplication>

namespace mj {

namespace {
QString& overridden()
{
    static QString path;
    return path;
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

} // namespace mj
