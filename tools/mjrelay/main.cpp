// mjrelay: the video relay for tests and the demonstration.
//
//   mjrelay [--port N] [--peer-rate N] [--report-sent] [--peer NAME[:sparse]]...
//
// Listens on 127.0.0.1, port 8888 unless given (0 picks a free one), and
// prints "listening PORT". Each --peer is a test user inside the relay (see
// Relay.h): it wants whoever wants it, every frame or, with ":sparse",
// sparse video, sends the test pattern (--peer-rate frames a second, 10
// unless given; 0 sends none) and prints a line for each frame it gets. With
// --report-sent it also prints a line for each frame it passes on to a user
// on a link. Exit code 2 for a bad command line or a port it cannot listen on.
#include "Relay.h"

#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

namespace {

int usage(const char* message)
{
    std::fprintf(stderr, "mjrelay: %s\nusage: mjrelay [--port N] [--peer-rate N] [--report-sent] [--peer NAME[:sparse]]...\n", message);
    return 2;
}

void printLine(const QString& line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    // The test pattern is drawn with the fonts of a GUI application; no
    // screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    quint16 port = 8888;
    int rate = 10;
    bool reportSent = false;
    QList<QPair<QString, bool>> peers;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--port" && i + 1 < args.size()) {
            bool ok = false;
            const uint value = args[++i].toUInt(&ok);
            if (!ok || value > 65535)
                return usage("--port needs a number from 0 to 65535");
            port = static_cast<quint16>(value);
        } else if (a == u"--peer-rate" && i + 1 < args.size()) {
            bool ok = false;
            const uint value = args[++i].toUInt(&ok);
            if (!ok || value > 1000)
                return usage("--peer-rate needs a number from 0 to 1000");
            rate = static_cast<int>(value);
        } else if (a == u"--report-sent") {
            reportSent = true;
        } else if (a == u"--peer" && i + 1 < args.size()) {
            QString name = args[++i];
            const bool sparse = name.endsWith(u":sparse");
            if (sparse)
                name.chop(7);
            if (!mj::VideoWire::NameFits(name))
                return usage("a peer's name has 1 to 64 bytes");
            peers.append({name, sparse});
        } else {
            return usage("unexpected argument");
        }
    }

    mj::mjrelay::Relay relay;
    relay.OnLine = printLine;
    if (!relay.Listen(port))
        return usage("cannot listen on that port");
    relay.SetPeerRate(rate);
    relay.SetReportSent(reportSent);
    for (const auto& [name, sparse] : peers)
        relay.AddPeer(name, sparse);
    printLine(QStringLiteral("listening %1").arg(relay.Port()));
    return app.exec();
}
