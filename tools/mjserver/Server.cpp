#include "Server.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>

#include <cstdio>

namespace mj::mjserver {

namespace {

int16_t valueAt(const QByteArray& frame, int offset)
{
    return static_cast<int16_t>((static_cast<uint8_t>(frame[offset]) << 8) | static_cast<uint8_t>(frame[offset + 1]));
}

int codeOf(const QByteArray& frame)
{
    return (static_cast<uint8_t>(frame[2]) << 8) | static_cast<uint8_t>(frame[3]);
}

} // namespace

Server::Server(Script script, Options options)
    : script_(std::move(script))
    , options_(std::move(options))
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { timerFired(); });
    connect(&listener_, &QTcpServer::newConnection, this, [this] { acceptNext(); });
}

bool Server::Start()
{
    if (!options_.recordFile.isEmpty()) {
        record_.setFileName(options_.recordFile);
        if (!record_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            std::fprintf(stderr, "mjserver: cannot open %s\n", qPrintable(options_.recordFile));
            return false;
        }
    }
    if (!listener_.listen(QHostAddress::LocalHost, options_.port)) {
        std::fprintf(stderr, "mjserver: cannot listen: %s\n", qPrintable(listener_.errorString()));
        return false;
    }
    report(QStringLiteral("listening %1").arg(listener_.serverPort()), false);
    return true;
}

void Server::report(const QString& line, bool record)
{
    const QByteArray text = line.toUtf8() + '\n';
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fflush(stdout);
    if (record && record_.isOpen()) {
        record_.write(text);
        record_.flush();
    }
}

void Server::acceptNext()
{
    if (client_ || quitting_ || !listener_.hasPendingConnections())
        return;
    client_ = listener_.nextPendingConnection();
    client_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    open_ = true;
    received_.clear();
    unconsumed_.clear();
    ++connections_;
    report(QStringLiteral("connected %1").arg(connections_), false);
    connect(client_, &QIODevice::readyRead, this, [this] { readFrames(); });
    connect(client_, &QIODevice::bytesWritten, this, [this] { pieceWritten(); });
    connect(client_, &QAbstractSocket::disconnected, this, [this] { connectionEnded(); });

    commands_ = &script_.ForConnection(connections_);
    next_ = 0;
    wait_ = Wait::None;
    // What the client sent while its connection waited to be taken up (the
    // previous one still being served) was read into the socket then, and
    // its readyRead went by unheard.
    readFrames();
    resumeLater();
    // A client that was gone before it was taken up.
    if (client_->state() != QAbstractSocket::ConnectedState)
        connectionEnded();
}

// Script steps always run from the event loop, never from inside a socket
// signal, so that a step may close the socket it was called from.
void Server::resumeLater()
{
    if (resumeQueued_)
        return;
    resumeQueued_ = true;
    QMetaObject::invokeMethod(this, [this] {
        resumeQueued_ = false;
        run();
    }, Qt::QueuedConnection);
}

void Server::finishCommand()
{
    wait_ = Wait::None;
    ++next_;
    resumeLater();
}

void Server::run()
{
    if (quitting_ || !commands_ || wait_ != Wait::None)
        return;
    while (next_ < commands_->size()) {
        const Command& c = (*commands_)[next_];
        switch (c.kind) {
        case Command::Send:
            if (!open_)
                return fail(c.line, QStringLiteral("the client closed the connection before this send"));
            if (c.cuts.isEmpty()) {
                client_->write(c.bytes);
                client_->flush();
                break;
            }
            pieces_.clear();
            for (qsizetype k = 0, from = 0; k <= c.cuts.size(); ++k) {
                const qsizetype to = k < c.cuts.size() ? c.cuts[k] : c.bytes.size();
                pieces_.append(c.bytes.mid(from, to - from));
                from = to;
            }
            gapMs_ = c.gapMs;
            writeNextPiece();
            return;
        case Command::Expect:
            if (consume(c.code))
                break;
            if (!open_)
                return fail(c.line, QStringLiteral("the client closed the connection before sending code %1").arg(c.code));
            wait_ = Wait::Expect;
            timer_.start(c.ms);
            return;
        case Command::Pause:
            wait_ = Wait::Pause;
            timer_.start(c.ms);
            return;
        case Command::Close:
            if (!open_)
                break;
            wait_ = Wait::Closed;
            client_->disconnectFromHost();
            return;
        case Command::WaitClose:
            if (!open_)
                break;
            wait_ = Wait::Closed;
            timer_.start(c.ms);
            return;
        case Command::End:
            return quit(0);
        }
        ++next_;
    }
    // The section is played: record until the client goes, then take the
    // next connection.
    if (!open_ && client_) {
        client_->deleteLater();
        client_ = nullptr;
        commands_ = nullptr;
        if (options_.once)
            return quit(0);
        acceptNext();
    }
}

void Server::writeNextPiece()
{
    wait_ = Wait::Writing;
    client_->write(pieces_.takeFirst());
    client_->flush();
    if (client_->bytesToWrite() == 0)
        pieceWritten();
}

void Server::pieceWritten()
{
    if (wait_ != Wait::Writing || !client_ || client_->bytesToWrite() > 0)
        return;
    if (pieces_.isEmpty()) {
        finishCommand();
    } else if (gapMs_ > 0) {
        wait_ = Wait::Gap;
        timer_.start(gapMs_);
    } else {
        // Through the event loop, so each piece leaves in its own write.
        wait_ = Wait::Gap;
        timer_.start(0);
    }
}

void Server::readFrames()
{
    if (!client_)
        return;
    received_.append(client_->readAll());
    bool got = false;
    while (received_.size() >= FrameSize) {
        const QByteArray frame = received_.left(FrameSize);
        received_.remove(0, FrameSize);
        report(QStringLiteral("recv %1 %2 %3 %4 %5 %6 %7")
                   .arg(codeOf(frame))
                   .arg(static_cast<uint8_t>(frame[6]))
                   .arg(valueAt(frame, 8))
                   .arg(valueAt(frame, 10))
                   .arg(valueAt(frame, 12))
                   .arg(valueAt(frame, 14))
                   .arg(QString::fromLatin1(frame.toHex())),
               true);
        unconsumed_.push_back(codeOf(frame));
        got = true;
    }
    if (got && wait_ == Wait::Expect && consume((*commands_)[next_].code)) {
        timer_.stop();
        finishCommand();
    }
}

bool Server::consume(int code)
{
    while (!unconsumed_.empty()) {
        const int front = unconsumed_.front();
        unconsumed_.pop_front();
        if (front == code)
            return true;
    }
    return false;
}

void Server::connectionEnded()
{
    if (!open_)
        return;
    readFrames();
    open_ = false;
    if (!received_.isEmpty()) {
        report(QStringLiteral("partial %1 %2").arg(received_.size()).arg(QString::fromLatin1(received_.toHex())), true);
        received_.clear();
    }
    report(QStringLiteral("closed %1").arg(connections_), false);
    if (quitting_) {
        QCoreApplication::exit(exitCode_);
        return;
    }
    switch (wait_) {
    case Wait::Expect:
        timer_.stop();
        return fail((*commands_)[next_].line,
                    QStringLiteral("the client closed the connection before sending code %1").arg((*commands_)[next_].code));
    case Wait::Writing:
    case Wait::Gap:
        timer_.stop();
        return fail((*commands_)[next_].line, QStringLiteral("the client closed the connection during this send"));
    case Wait::Closed:
        timer_.stop();
        finishCommand();
        return;
    case Wait::Pause:
        return;
    case Wait::None:
        resumeLater();
        return;
    }
}

void Server::timerFired()
{
    switch (wait_) {
    case Wait::Expect:
        return fail((*commands_)[next_].line,
                    QStringLiteral("timed out waiting for code %1").arg((*commands_)[next_].code));
    case Wait::Closed:
        return fail((*commands_)[next_].line, QStringLiteral("timed out waiting for the client to close"));
    case Wait::Pause:
        return finishCommand();
    case Wait::Gap:
        if (open_)
            writeNextPiece();
        return;
    case Wait::Writing:
    case Wait::None:
        return;
    }
}

void Server::fail(int line, const QString& message)
{
    std::fprintf(stderr, "mjserver: line %d: %s\n", line, qPrintable(message));
    std::fflush(stderr);
    quitting_ = true;
    exitCode_ = 1;
    timer_.stop();
    if (client_)
        client_->abort();
    QCoreApplication::exit(1);
}

void Server::quit(int exitCode)
{
    // Bytes already written still go out before the connection closes.
    quitting_ = true;
    exitCode_ = exitCode;
    timer_.stop();
    listener_.close();
    if (client_ && open_) {
        // A client that never reads must not keep the server alive.
        QTimer::singleShot(5000, this, [exitCode] { QCoreApplication::exit(exitCode); });
        client_->disconnectFromHost();
        if (client_->state() != QAbstractSocket::UnconnectedState)
            return;  // connectionEnded() finishes
        if (open_)
            connectionEnded();
        return;
    }
    QCoreApplication::exit(exitCode);
}

} // namespace mj::mjserver
