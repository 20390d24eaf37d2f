// mjserver: the scripted game server for tests and the demonstration.
//
//   mjserver SCRIPT|- [--port N] [--record FILE] [--once]
//
// Reads the script (a file, or stdin for "-"; the language is described in
// Script.h and README.md), listens on 127.0.0.1 (port 0 picks a free one) and
// plays the script for each client connection. Exit codes: 0 after "end" or,
// with --once, after the first connection ended; 1 when the script failed
// while running; 2 for a bad command line or a script that does not parse.
#include "Script.h"
#include "Server.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

int usage(const char* message)
{
    std::fprintf(stderr, "mjserver: %s\nusage: mjserver SCRIPT|- [--port N] [--record FILE] [--once]\n", message);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    mj::mjserver::Options options;
    QString scriptPath;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--port" && i + 1 < args.size()) {
            bool ok = false;
            const uint port = args[++i].toUInt(&ok);
            if (!ok || port > 65535)
                return usage("--port needs a number from 0 to 65535");
            options.port = static_cast<quint16>(port);
        } else if (a == u"--record" && i + 1 < args.size()) {
            options.recordFile = args[++i];
        } else if (a == u"--once") {
            options.once = true;
        } else if (scriptPath.isEmpty() && (a == u"-" || !a.startsWith(u"--"))) {
            scriptPath = a;
        } else {
            return usage("unexpected argument");
        }
    }
    if (scriptPath.isEmpty())
        return usage("no script given");

    QFile file;
    const bool opened = scriptPath == u"-" ? file.open(stdin, QIODevice::ReadOnly)
                                           : (file.setFileName(scriptPath), file.open(QIODevice::ReadOnly));
    if (!opened) {
        std::fprintf(stderr, "mjserver: cannot read %s\n", qPrintable(scriptPath));
        return 2;
    }
    const QString text = QString::fromUtf8(file.readAll());

    mj::mjserver::Script script;
    try {
        script = mj::mjserver::ParseScript(text);
    } catch (const mj::mjserver::ScriptError& e) {
        std::fprintf(stderr, "mjserver: line %d: %s\n", e.line, qPrintable(e.message));
        return 2;
    }

    mj::mjserver::Server server(std::move(script), options);
    if (!server.Start())
        return 2;
    return app.exec();
}
