#include "platform/Winsock.h"

#include "platform/Runtime.h"

#include <QNetworkProxy>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace mj {

namespace {

// Clears a flag when the scope ends, also when an event handler throws.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

// How long a closed connection may go on sending what SendData was given.
constexpr int CloseDrainLimitMs = 5000;

} // namespace

Winsock::Winsock()
    : home_(std::make_unique<QObject>())
{
}

Winsock::~Winsock()
{
    detach();
}

void Winsock::Connect()
{
    if (state_ != sckClosed)
        Raise(sckInvalidOp, QStringLiteral("Invalid operation at current state"));

    inbox_.clear();
    fresh_ = lost_ = closeAnnounced_ = false;
    lastError_ = -1;
    if (remotePort_ < 0 || remotePort_ > 65535) {
        state_ = sckError;
        return;
    }

    auto* socket = new QTcpSocket(home_.get());
    socket_ = socket;
    // The client makes its own way through a proxy when it needs one.
    socket->setProxy(QNetworkProxy::NoProxy);
    // Frames are small and go one per tick: send each at once.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QObject::connect(socket, &QAbstractSocket::stateChanged, home_.get(),
                     [this](QAbstractSocket::SocketState s) { socketStateChanged(s); });
    QObject::connect(socket, &QAbstractSocket::errorOccurred, home_.get(),
                     [this](QAbstractSocket::SocketError e) { lastError_ = e; });
    QObject::connect(socket, &QIODevice::readyRead, home_.get(), [this] { scheduleAnnounce(); });

    state_ = sckConnecting;
    socket->connectToHost(remoteHost_, static_cast<quint16>(remotePort_));
}

void Winsock::socketStateChanged(int qtState)
{
    switch (qtState) {
    case QAbstractSocket::HostLookupState:
        state_ = sckResolvingHost;
        break;
    case QAbstractSocket::ConnectingState:
        state_ = sckConnecting;
        break;
    case QAbstractSocket::ConnectedState:
        state_ = sckConnected;
        break;
    case QAbstractSocket::ClosingState:
    case QAbstractSocket::UnconnectedState:
        if (state_ == sckConnected) {
            // An orderly close by the peer is "closing"; anything else broke
            // the link.
            lost_ = true;
            state_ = (lastError_ == -1 || lastError_ == QAbstractSocket::RemoteHostClosedError)
                ? sckClosing : sckError;
            scheduleAnnounce();
        } else if (state_ == sckResolvingHost || state_ == sckHostResolved || state_ == sckConnecting) {
            state_ = sckError;
        }
        break;
    default:
        break;
    }
}

void Winsock::SendData(const QByteArray& data)
{
    if (state_ != sckConnected || !socket_)
        Raise(sckBadState,
              QStringLiteral("Wrong protocol or connection state for the requested transaction or request"));
    socket_->write(data);
    socket_->flush();
}

QByteArray Winsock::GetData()
{
    takeSocketBytes();
    return std::exchange(inbox_, QByteArray());
}

QByteArray Winsock::GetData(int32_t maxBytes)
{
    takeSocketBytes();
    if (maxBytes <= 0)
        return {};
    const QByteArray taken = inbox_.left(maxBytes);
    inbox_.remove(0, taken.size());
    return taken;
}

void Winsock::Close()
{
    detach();
    state_ = sckClosed;
    inbox_.clear();
    fresh_ = lost_ = closeAnnounced_ = false;
    lastError_ = -1;
}

void Winsock::detach()
{
    QTcpSocket* socket = std::exchange(socket_, nullptr);
    if (!socket)
        return;
    // From here on the old connection reaches nothing of ours.
    QObject::disconnect(socket, nullptr, home_.get(), nullptr);
    const QAbstractSocket::SocketState state = socket->state();
    if (state == QAbstractSocket::ConnectedState || state == QAbstractSocket::ClosingState) {
        // Bytes already handed to SendData still go out; the socket removes
        // itself once closed, and a peer that takes nothing more cannot keep
        // it beyond the drain limit.
        QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(CloseDrainLimitMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
        if (socket->state() != QAbstractSocket::UnconnectedState)
            return;
    } else {
        // An attempt still looking up the host or connecting ends now: left
        // to itself it would connect later, or fail and keep its descriptor.
        socket->abort();
    }
    socket->deleteLater();
}

void Winsock::takeSocketBytes()
{
    if (socket_ && socket_->bytesAvailable() > 0) {
        inbox_.append(socket_->readAll());
        fresh_ = true;
    }
}

// Events run from the event loop, never from inside a call on the control or
// a signal of the socket, so a handler may call anything on the control.
void Winsock::scheduleAnnounce()
{
    if (announceQueued_)
        return;
    announceQueued_ = true;
    QMetaObject::invokeMethod(home_.get(), [this] {
        announceQueued_ = false;
        announce();
    }, Qt::QueuedConnection);
}

void Winsock::announce()
{
    if (announcing_) {
        // A handler is waiting with events handled; go on once it returns.
        announceAgain_ = true;
        return;
    }
    FlagScope scope(announcing_);
    for (;;) {
        announceAgain_ = false;
        takeSocketBytes();
        // Close() inside a handler clears these flags, which ends the loop.
        if (fresh_) {
            fresh_ = false;
            if (OnDataArrival && !inbox_.isEmpty())
                OnDataArrival(BytesAvailable());
            continue;
        }
        if (lost_ && !closeAnnounced_) {
            closeAnnounced_ = true;
            if (OnClose)
                OnClose();
            continue;
        }
        if (!announceAgain_)
            break;
    }
}

} // namespace mj
