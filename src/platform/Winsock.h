// The TCP socket control of the table window (`Winsock1`): one client
// connection over QTcpSocket, used asynchronously.
//
// What the client relies on:
// - Connect returns at once; success shows only as State() == sckConnected.
//   A connect that fails (refused, unreachable, unknown host, bad port) shows
//   as sckError. Connect is allowed only while the state is sckClosed; in any
//   other state it raises error 40020, so a caller that reconnects closes first.
// - SendData queues every byte in order and pushes as much as the system takes
//   at once; it raises error 40006 unless the state is sckConnected.
// - Arriving bytes collect in the control's own buffer and are announced by
//   OnDataArrival with the number of bytes waiting; GetData takes them out.
// - When the peer closes (or the connection breaks), the bytes that came
//   before are announced first, then the state leaves sckConnected (sckClosing
//   for an orderly close, sckError for a broken one) and OnClose fires.
// - Close() drops the connection and any bytes still waiting to be read; the
//   state is sckClosed at once and no event fires afterwards. Bytes already
//   handed to SendData on a connected socket still go out before the
//   connection closes; a peer that takes nothing more is dropped after a few
//   seconds. A connection attempt still under way is given up at once and
//   never reaches the server later. The same object can Connect again after
//   Close.
// - The events are never re-entered: data or a close that comes while an
//   event handler runs (a handler that waits handling events, say) is
//   announced once that handler has returned.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QObject;
class QTcpSocket;

namespace mj {

// State numbers the control reports through State().
enum WinsockState : int16_t {
    sckClosed = 0,
    sckOpen = 1,
    sckListening = 2,
    sckConnectionPending = 3,
    sckResolvingHost = 4,
    sckHostResolved = 5,
    sckConnecting = 6,
    sckConnected = 7,
    sckClosing = 8,
    sckError = 9,
};

// Error numbers of the run-time errors the control raises.
enum WinsockError : int {
    sckBadState = 40006,   // "Wrong protocol or connection state for the requested transaction or request"
    sckInvalidOp = 40020,  // "Invalid operation at current state"
};

class Winsock {
public:
    Winsock();
    ~Winsock();
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;

    QString RemoteHost() const { return remoteHost_; }
    void SetRemoteHost(const QString& host) { remoteHost_ = host; }
    int32_t RemotePort() const { return remotePort_; }
    void SetRemotePort(int32_t port) { remotePort_ = port; }

    // Starts connecting to RemoteHost:RemotePort and returns at once.
    void Connect();
    int16_t State() const { return state_; }
    void SendData(const QByteArray& data);
    // Every byte that has arrived and not yet been taken.
    QByteArray GetData();
    // At most maxBytes of them; the rest stay for a later call.
    QByteArray GetData(int32_t maxBytes);
    int32_t BytesAvailable() const { return static_cast<int32_t>(inbox_.size()); }
    void Close();

    // Events. bytesTotal is the number of bytes waiting after the arrival.
    std::function<void(int32_t bytesTotal)> OnDataArrival;
    std::function<void()> OnClose;

private:
    void socketStateChanged(int qtState);
    void scheduleAnnounce();
    void announce();
    void takeSocketBytes();
    void detach();

    QString remoteHost_;
    int32_t remotePort_ = 0;
    int16_t state_ = sckClosed;
    QByteArray inbox_;

    // Receiver of the socket's signals; the sockets are its children, so
    // destroying the control drops any connection still closing.
    std::unique_ptr<QObject> home_;
    QTcpSocket* socket_ = nullptr;
    int lastError_ = -1;            // QAbstractSocket::SocketError of the connection
    bool fresh_ = false;            // bytes arrived since the last OnDataArrival
    bool lost_ = false;             // the peer closed or the link broke
    bool closeAnnounced_ = false;
    bool announceQueued_ = false;
    bool announcing_ = false;
    bool announceAgain_ = false;
};

} // namespace mj
