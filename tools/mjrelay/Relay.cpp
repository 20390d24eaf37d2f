#include "Relay.h"

#include "platform/TestPattern.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace mj::mjrelay {

using namespace VideoWire;

struct Relay::Member {
    QTcpSocket* socket = nullptr; // none for a test peer
    QString name;
    bool loggedIn = false;
    bool closing = false;
    QHash<QString, bool> wants;       // name -> wants every frame
    QHash<QString, int> told;         // name -> the PEER status last sent
    Reader reader{From::Client};
    QTimer helloTimer, silenceTimer;
    struct Window {
        double start = -1e9;
        int count = 0;
    };
    QHash<QString, Window> rate;      // sender -> its frames in the current second
    QHash<QString, int> sent;         // sender -> frames passed on to this link
    // Test peers.
    bool sparse = false;
    int patternN = 0;
    QSet<QString> greeted;            // users sent the format and mode
    QHash<QString, int> got;          // sender -> frames received
};

Relay::Relay(const Limits& limits, std::function<double()> now) : limits_(limits), now_(std::move(now))
{
    if (!now_) {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        now_ = [clock] { return clock->nsecsElapsed() / 1e9; };
    }
    peerTimer_.setInterval(100);
    connect(&peerTimer_, &QTimer::timeout, this, [this] { PeerTick(); });
}

Relay::~Relay()
{
    for (Member* m : links_) {
        if (m->socket)
            m->socket->disconnect(this);
        delete m;
    }
    qDeleteAll(peers_);
    qDeleteAll(retired_);
}

bool Relay::Listen(quint16 port)
{
    server_ = new QTcpServer(this);
    connect(server_, &QTcpServer::newConnection, this, [this] { accept(); });
    return server_->listen(QHostAddress::LocalHost, port);
}

quint16 Relay::Port() const
{
    return server_ ? server_->serverPort() : 0;
}

void Relay::AddPeer(const QString& name, bool sparse)
{
    if (!NameFits(name) || users_.contains(name))
        return;
    auto* p = new Member;
    p->name = name;
    p->loggedIn = true;
    p->sparse = sparse;
    peers_.append(p);
    users_.insert(name, p);
    if (peerRate_ > 0)
        peerTimer_.start();
}

void Relay::SetPeerRate(int framesPerSecond)
{
    peerRate_ = std::max(0, framesPerSecond);
    if (peerRate_ == 0) {
        peerTimer_.stop();
        return;
    }
    peerTimer_.setInterval(std::max(1, 1000 / peerRate_));
    if (!peers_.isEmpty())
        peerTimer_.start();
}

void Relay::SetReportSent(bool on)
{
    reportSent_ = on;
}

QHash<QString, QHash<QString, int>> Relay::PeerFrames() const
{
    QHash<QString, QHash<QString, int>> out;
    for (const Member* p : peers_)
        out.insert(p->name, p->got);
    return out;
}

QStringList Relay::Users() const
{
    return users_.keys();
}

void Relay::PeerTick()
{
    for (Member* p : QList<Member*>(peers_)) {
        QByteArray frame;
        for (const QString& name : p->wants.keys()) {
            Member* to = users_.value(name);
            if (!to || !to->wants.contains(p->name))
                continue;
            if (!p->greeted.contains(name)) {
                p->greeted.insert(name);
                deliver(p, to, Format, QByteArray("JPEG 320x240"));
                deliver(p, to, Mode, QByteArray("\x00\x02", 2));
            }
            if (frame.isEmpty())
                frame = EncodeVideoFrame(TestPatternImage(++p->patternN, p->name));
            deliver(p, to, Frame, frame);
        }
    }
}

void Relay::accept()
{
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        if (links_.size() >= limits_.maxConnections) {
            socket->write(EncodeByte(RelayBye, Full));
            connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            continue;
        }
        // A small system buffer, so that what waits for a slow reader shows
        // in the queue the relay bounds.
        socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 64 * 1024);
        auto* m = new Member;
        m->socket = socket;
        links_.append(m);
        m->helloTimer.setSingleShot(true);
        m->silenceTimer.setSingleShot(true);
        connect(&m->helloTimer, &QTimer::timeout, this, [this, m] { close(m, TimedOut); });
        connect(&m->silenceTimer, &QTimer::timeout, this, [this, m] { close(m, TimedOut); });
        connect(socket, &QTcpSocket::readyRead, this, [this, m] { readable(m); });
        connect(socket, &QAbstractSocket::disconnected, this, [this, m] { close(m, -1); });
        m->helloTimer.start(limits_.helloMs);
        m->silenceTimer.start(limits_.silenceMs);
        if (socket->bytesAvailable() > 0)
            readable(m);
    }
}

void Relay::readable(Member* m)
{
    if (m->closing)
        return;
    m->reader.Append(m->socket->readAll());
    m->silenceTimer.start(limits_.silenceMs);
    Message msg;
    while (!m->closing) {
        const Reader::Result result = m->reader.Next(msg);
        if (result == Reader::Result::Incomplete)
            return;
        if (result == Reader::Result::Malformed) {
            close(m, Malformed);
            return;
        }
        handle(m, msg);
    }
}

void Relay::handle(Member* m, const Message& msg)
{
    if (!m->loggedIn) {
        if (msg.type == Hello)
            login(m, msg);
        else
            close(m, Malformed);
        return;
    }
    switch (msg.type) {
    case Want: {
        if (!m->wants.contains(msg.name) && m->wants.size() >= limits_.maxWants) {
            close(m, TooManyWants);
            return;
        }
        m->wants.insert(msg.name, msg.value != 0);
        m->told.remove(msg.name);
        Member* target = users_.value(msg.name);
        if (target && !target->socket)
            peerWantsBack(target, m);
        refresh(m);
        refreshWantersOf(m->name);
        break;
    }
    case Unwant:
        m->wants.remove(msg.name);
        m->told.remove(msg.name);
        refreshWantersOf(m->name);
        break;
    case Send: {
        Member* target = users_.value(msg.name);
        if (target && target != m && m->wants.contains(target->name) && target->wants.contains(m->name))
            deliver(m, target, static_cast<Kind>(msg.value), msg.payload);
        break;
    }
    case Ping:
        send(m, EncodeSimple(Ping));
        break;
    case Bye:
        close(m, -1);
        break;
    default: // a second HELLO
        close(m, Malformed);
        break;
    }
}

void Relay::login(Member* m, const Message& msg)
{
    if (msg.version != Version) {
        send(m, EncodeByte(Welcome, WrongVersion));
        close(m, -1);
        return;
    }
    if (Member* old = users_.value(msg.name))
        close(old, Replaced);
    m->loggedIn = true;
    m->name = msg.name;
    m->helloTimer.stop();
    users_.insert(m->name, m);
    send(m, EncodeByte(Welcome, Accepted));
    print(QStringLiteral("login %1").arg(m->name));
    refreshWantersOf(m->name);
}

void Relay::close(Member* m, int reason)
{
    if (m->closing)
        return;
    m->closing = true;
    m->helloTimer.stop();
    m->silenceTimer.stop();
    if (QTcpSocket* socket = m->socket) {
        socket->disconnect(this);
        if (reason >= 0)
            socket->write(EncodeByte(RelayBye, static_cast<uint8_t>(reason)));
        // What was written still goes out; a reader that takes nothing is
        // cut off.
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(2000, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
        m->socket = nullptr;
    }
    links_.removeAll(m);
    peers_.removeAll(m);
    const bool wasUser = m->loggedIn && users_.value(m->name) == m;
    if (wasUser) {
        users_.remove(m->name);
        print(QStringLiteral("logout %1").arg(m->name));
        for (Member* p : peers_) {
            p->wants.remove(m->name);
            p->greeted.remove(m->name);
        }
        refreshWantersOf(m->name);
    }
    // Deleted once the event that closed it is over.
    retired_.append(m);
    QTimer::singleShot(0, this, [this] {
        qDeleteAll(retired_);
        retired_.clear();
    });
}

void Relay::deliver(Member* from, Member* to, Kind kind, const QByteArray& payload)
{
    if (!to->socket) {
        if (kind == Frame) {
            const int n = ++to->got[from->name];
            print(QStringLiteral("frame %1 from %2 #%3 %4 bytes").arg(to->name, from->name).arg(n).arg(payload.size()));
            if (OnPeerFrame)
                OnPeerFrame(to->name, from->name, payload);
        }
        return;
    }
    if (kind == Frame) {
        Member::Window& w = to->rate[from->name];
        const double t = now_();
        if (t - w.start >= 1.0) {
            w.start = t;
            w.count = 0;
        }
        if (w.count >= limits_.framesPerSecond || to->socket->bytesToWrite() >= limits_.queueBytes)
            return;
        ++w.count;
        if (reportSent_) {
            const int n = ++to->sent[from->name];
            print(QStringLiteral("sent %1 from %2 #%3 %4 bytes").arg(to->name, from->name).arg(n).arg(payload.size()));
        }
    }
    send(to, EncodeData(from->name, kind, payload));
}

PeerStatus Relay::status(const Member* viewer, const QString& other) const
{
    const Member* o = users_.value(other);
    if (!o)
        return Offline;
    if (!o->wants.contains(viewer->name))
        return Online;
    return o->wants.value(viewer->name) ? MutualEvery : MutualSparse;
}

void Relay::refresh(Member* viewer)
{
    if (!viewer->socket)
        return;
    for (auto it = viewer->wants.cbegin(); it != viewer->wants.cend(); ++it) {
        const PeerStatus s = status(viewer, it.key());
        if (viewer->told.value(it.key(), -1) != s) {
            viewer->told.insert(it.key(), s);
            send(viewer, EncodePeer(it.key(), s));
        }
    }
}

void Relay::refreshWantersOf(const QString& name)
{
    for (Member* m : users_.values()) {
        if (m->wants.contains(name))
            refresh(m);
    }
}

void Relay::peerWantsBack(Member* peer, Member* wanter)
{
    peer->wants.insert(wanter->name, !peer->sparse);
}

void Relay::send(Member* m, const QByteArray& bytes)
{
    if (m->socket && m->socket->state() == QAbstractSocket::ConnectedState)
        m->socket->write(bytes);
}

void Relay::print(const QString& line)
{
    if (OnLine)
        OnLine(line);
}

} // namespace mj::mjrelay
