// mjhall: the replacement game hall. It opens the hall link under a window
// title, optionally starts the client, prints every message the client sends
// and posts the hall's messages when told to on stdin. See README.md.
#include "platform/HallLink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QList>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <QSocketNotifier>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

using namespace mj;

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitNoClient = 127;

void say(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

void complain(const QString& text)
{
    std::fputs(qPrintable(QStringLiteral("mjhall: ") + text + u'\n'), stderr);
    std::fflush(stderr);
}

QString hex(int32_t value)
{
    return QStringLiteral("0x") + QString::number(static_cast<quint32>(value), 16);
}

// "0x465" or "1125".
bool parseNumber(const QString& text, int32_t* value)
{
    bool ok = false;
    const quint32 n = text.startsWith(u"0x", Qt::CaseInsensitive) ? text.mid(2).toUInt(&ok, 16)
                                                                   : text.toUInt(&ok, 10);
    *value = static_cast<int32_t>(n);
    return ok;
}

class Hall {
public:
    ~Hall()
    {
        // What is torn down now reports to nobody.
        QObject::disconnect(&client_, nullptr, nullptr, nullptr);
        for (QLocalSocket* socket : std::as_const(clients_))
            QObject::disconnect(socket, nullptr, nullptr, nullptr);
    }

    bool Listen(const QString& title)
    {
        const QString name = HallLink::ServerName(title);
        // A hall that still listens under this title keeps it; a name left
        // by one that was killed is cleared.
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(1000)) {
            complain(QStringLiteral("another hall listens under this title"));
            return false;
        }
        QLocalServer::removeServer(name);
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        if (!server_.listen(name)) {
            complain(QStringLiteral("cannot listen: ") + server_.errorString());
            return false;
        }
        QObject::connect(&server_, &QLocalServer::newConnection, [this] { takeConnections(); });
        say(QStringLiteral("listening"));
        return true;
    }

    void ReadCommands()
    {
        stdin_ = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &server_);
        QObject::connect(stdin_, &QSocketNotifier::activated, [this] { readStdin(); });
    }

    // The client gets the command line as its one argument; what it prints
    // goes to our stderr, so stdout carries only the hall's own lines.
    void StartClient(const QString& path, const QString& line)
    {
        exec_ = true;
        client_.setProgram(path);
        client_.setArguments(QStringList{line});
        client_.setProcessChannelMode(QProcess::ForwardedChannels);
        // The client goes when the hall goes, however the hall ends (a test
        // or a script killing the hall leaves no client behind).
        client_.setChildProcessModifier([] {
            ::dup2(STDERR_FILENO, STDOUT_FILENO);
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        });
        QObject::connect(&client_, &QProcess::finished, [](int code, QProcess::ExitStatus status) {
            // A client killed by a signal ends the hall as a shell reports it.
            const int result = status == QProcess::NormalExit ? code : 128 + code;
            say(QStringLiteral("exit %1").arg(result));
            QCoreApplication::exit(result);
        });
        QObject::connect(&client_, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            complain(QStringLiteral("cannot start the client: ") + client_.errorString());
            QCoreApplication::exit(ExitNoClient);
        });
        client_.start();
        client_.closeWriteChannel();
    }

private:
    void takeConnections()
    {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            clients_.append(socket);
            say(QStringLiteral("connected"));
            QObject::connect(socket, &QLocalSocket::readyRead, [socket] { readClient(socket); });
            QObject::connect(socket, &QLocalSocket::disconnected, [this, socket] {
                readClient(socket);
                clients_.removeOne(socket);
                say(QStringLiteral("disconnected"));
                socket->deleteLater();
            });
            readClient(socket);
        }
    }

    static void readClient(QLocalSocket* socket)
    {
        while (socket->bytesAvailable() >= HallLink::RecordSize) {
            const QByteArray record = socket->read(HallLink::RecordSize);
            const HallLink::Message m = HallLink::DecodeRecord(record.constData());
            if (m.msg != HallLink::WmSysCommand)
                say(QStringLiteral("recv ") + hex(m.msg));
            else if (m.wParam == HallLink::ScRestore)
                say(QStringLiteral("restore"));
            else if (m.wParam == HallLink::ScMinimize)
                say(QStringLiteral("minimize"));
            else
                say(QStringLiteral("syscommand ") + hex(m.wParam));
        }
    }

    void readStdin()
    {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0) {
            stdin_->setEnabled(false);
            // With a client, the hall lives as long as the client does.
            if (!exec_)
                QCoreApplication::exit(0);
            return;
        }
        input_.append(buffer, n);
        qsizetype nl;
        while ((nl = input_.indexOf('\n')) >= 0) {
            command(QString::fromUtf8(input_.left(nl)).trimmed());
            input_.remove(0, nl + 1);
        }
    }

    void command(const QString& line)
    {
        if (line.isEmpty())
            return;
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        int32_t msg = 0;
        if (words.size() != 2 || words[0] != u"post" || !parseNumber(words[1], &msg)) {
            complain(QStringLiteral("unknown command: ") + line);
            return;
        }
        if (clients_.isEmpty())
            complain(QStringLiteral("no client to post to"));
        const QByteArray record = HallLink::EncodeRecord(HallLink::Message{msg, 0, 0});
        for (QLocalSocket* socket : clients_) {
            socket->write(record);
            socket->flush();
        }
    }

    QLocalServer server_;
    QList<QLocalSocket*> clients_;
    QSocketNotifier* stdin_ = nullptr;
    QByteArray input_;
    QProcess client_;
    bool exec_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The replacement game hall."));
    parser.addHelpOption();
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("The hall window's title."),
                                   QStringLiteral("TITLE"));
    const QCommandLineOption exec(QStringLiteral("exec"), QStringLiteral("The client to start."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption line(QStringLiteral("line"),
                                  QStringLiteral("The client's command line (one argument)."),
                                  QStringLiteral("CMDLINE"));
    parser.addOptions({title, exec, line});
    if (!parser.parse(app.arguments())) {
        complain(parser.errorText());
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.isSet(title) || !parser.positionalArguments().isEmpty()
        || (parser.isSet(line) && !parser.isSet(exec))) {
        complain(QStringLiteral("usage: mjhall --title TITLE [--exec PATH --line CMDLINE]"));
        return ExitUsage;
    }

    Hall hall;
    if (!hall.Listen(parser.value(title)))
        return ExitUsage;
    hall.ReadCommands();
    // From the event loop, so that a client that cannot start ends the hall.
    if (parser.isSet(exec))
        QMetaObject::invokeMethod(&app, [&] { hall.StartClient(parser.value(exec), parser.value(line)); },
                                  Qt::QueuedConnection);
    return app.exec();
}
