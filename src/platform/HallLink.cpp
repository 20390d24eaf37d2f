#include "platform/HallLink.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <QtEndian>

#include <poll.h>

#include <algorithm>
#include <deque>
#include <vector>

namespace mj::HallLink {

namespace {

// How long a lookup or a sent message may wait for the hall.
constexpr int WaitMs = 1000;

struct Link {
    QString title;
    int32_t handle = 0;
    QPointer<QLocalSocket> socket;
};

struct State {
    std::vector<Link> links;
    std::deque<Message> inbox;      // received, not yet delivered
    Handler handler;
    int32_t lastHandle = 0;         // never reused, so an old handle stays invalid
    bool delivering = false;
    bool deliveryQueued = false;
};

State& state()
{
    static State s;
    return s;
}

// Parent of the sockets and receiver of the queued deliveries. It lives for
// the whole run.
QObject* home()
{
    static QObject* object = new QObject;
    return object;
}

void deliver();

void scheduleDelivery()
{
    State& s = state();
    if (s.deliveryQueued)
        return;
    s.deliveryQueued = true;
    QMetaObject::invokeMethod(home(), [] {
        state().deliveryQueued = false;
        deliver();
    }, Qt::QueuedConnection);
}

// Hands the held messages to the handler one after another. A handler that
// waits handling events may see this called again from its wait; that call
// returns at once and the loop below takes the new message after the handler.
void deliver()
{
    State& s = state();
    if (s.delivering)
        return;
    s.delivering = true;
    // Also when a handler throws: what is still held goes out later.
    struct Done {
        ~Done()
        {
            state().delivering = false;
            if (!state().inbox.empty())
                scheduleDelivery();
        }
    } done;
    while (!s.inbox.empty()) {
        const Message m = s.inbox.front();
        s.inbox.pop_front();
        if (s.handler) {
            const Handler handler = s.handler;   // it may replace itself
            handler(m.msg, m.wParam, m.lParam);
        }
    }
}

// Takes every whole record the socket holds; a part record stays for later.
void readRecords(QLocalSocket* socket)
{
    bool any = false;
    while (socket->bytesAvailable() >= RecordSize) {
        const QByteArray record = socket->read(RecordSize);
        state().inbox.push_back(DecodeRecord(record.constData()));
        any = true;
    }
    if (any)
        scheduleDelivery();
}

// Qt notices a closed peer only when the event loop runs; a lookup must see
// it at once, so the socket itself is asked whether the other end hung up.
bool peerThere(QLocalSocket* socket)
{
    if (socket->state() != QLocalSocket::ConnectedState)
        return false;
    pollfd p{};
    p.fd = static_cast<int>(socket->socketDescriptor());
    p.events = POLLRDHUP;
    if (p.fd < 0 || ::poll(&p, 1, 0) < 0)
        return false;
    return (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) == 0;
}

QLocalSocket* connectedSocket(int32_t handle)
{
    const State& s = state();
    const auto it = std::find_if(s.links.begin(), s.links.end(),
                                 [&](const Link& l) { return l.handle == handle; });
    if (handle == 0 || it == s.links.end() || !it->socket
        || it->socket->state() != QLocalSocket::ConnectedState)
        return nullptr;
    return it->socket.data();
}

} // namespace

QString ServerName(const QString& title)
{
    const QByteArray digest = QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("mjhall-") + QString::fromLatin1(digest.toHex());
}

QByteArray EncodeRecord(const Message& m)
{
    QByteArray bytes(RecordSize, '\0');
    qToLittleEndian<qint32>(m.msg, bytes.data());
    qToLittleEndian<qint32>(m.wParam, bytes.data() + 4);
    qToLittleEndian<qint32>(m.lParam, bytes.data() + 8);
    return bytes;
}

Message DecodeRecord(const char* bytes)
{
    return Message{qFromLittleEndian<qint32>(bytes), qFromLittleEndian<qint32>(bytes + 4),
                   qFromLittleEndian<qint32>(bytes + 8)};
}

int32_t FindWindow(const QString& title)
{
    if (title.isEmpty())
        return 0;
    State& s = state();
    const auto it = std::find_if(s.links.begin(), s.links.end(),
                                 [&](const Link& l) { return l.title == title; });
    if (it != s.links.end()) {
        if (it->socket && peerThere(it->socket))
            return it->handle;
        // The hall went away. Its socket stays until Qt sees the close, so
        // messages it wrote before going are still delivered.
        s.links.erase(it);
    }

    auto* socket = new QLocalSocket(home());
    socket->connectToServer(ServerName(title));
    if (!socket->waitForConnected(WaitMs)) {
        delete socket;
        return 0;
    }
    QObject::connect(socket, &QLocalSocket::readyRead, home(), [socket] { readRecords(socket); });
    QObject::connect(socket, &QLocalSocket::disconnected, home(), [socket] {
        readRecords(socket);
        socket->deleteLater();
    });
    s.links.push_back(Link{title, ++s.lastHandle, socket});
    readRecords(socket);
    return s.lastHandle;
}

bool PostMessage(int32_t handle, int32_t msg, int32_t wParam, int32_t lParam)
{
    QLocalSocket* socket = connectedSocket(handle);
    if (!socket)
        return false;
    if (socket->write(EncodeRecord(Message{msg, wParam, lParam})) != RecordSize)
        return false;
    socket->flush();
    return true;
}

int32_t SendMessage(int32_t handle, int32_t msg, int32_t wParam, int32_t lParam)
{
    if (!PostMessage(handle, msg, wParam, lParam))
        return 0;
    const QPointer<QLocalSocket> socket = connectedSocket(handle);
    const QDeadlineTimer deadline(WaitMs);
    while (socket && socket->bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!socket->waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            break;
    }
    return 0;
}

void SetHandler(Handler handler)
{
    state().handler = std::move(handler);
}

int Pending()
{
    return static_cast<int>(state().inbox.size());
}

void Reset()
{
    State& s = state();
    s.links.clear();
    s.inbox.clear();
    s.handler = nullptr;
    for (QLocalSocket* socket : home()->findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly)) {
        QObject::disconnect(socket, nullptr, home(), nullptr);
        socket->abort();
        delete socket;
    }
}

} // namespace mj::HallLink
