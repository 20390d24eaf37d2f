#include "client/Mod_Proxy.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/General.h"
#include "client/MainForm.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/frmReconnect.h"
#include "platform/Clock.h"
#include "platform/Gbk.h"
#include "platform/Winsock.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QTimer>

namespace mj::Mod_Proxy {

namespace {

constexpr int RingSize = 1024;

// The watch over the handshake under way: it looks at the clock a few
// times a second and fails a handshake that has run out of time.
QTimer& deadline()
{
    static QTimer* timer = new QTimer(QCoreApplication::instance());
    return *timer;
}
double g_handshakeStart = 0;
// Counts handshakes: a wait, a time-out or a name look-up that belongs to a
// handshake since stopped or replaced sees another number and does nothing.
uint32_t g_handshake = 0;
// The game server's name being looked up for the CONNECT request; -1 none.
int g_lookup = -1;

void abortLookup()
{
    if (g_lookup >= 0)
        QHostInfo::abortHostLookup(g_lookup);
    g_lookup = -1;
}

int32_t waiting()
{
    return (ProxyWritePos + RingSize - ProxyReadPos) % RingSize;
}

uint8_t at(int place)
{
    return ProxyRing[(ProxyReadPos + place) % RingSize];
}

// The first IPv4 address of a look-up; nothing when there is none.
std::optional<quint32> firstIPv4(const QList<QHostAddress>& addresses)
{
    for (const QHostAddress& a : addresses)
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a.toIPv4Address();
    return std::nullopt;
}

void fail(const QString& message, Winsock& socket)
{
    deadline().stop();
    abortLookup();
    ++g_handshake;
    LoginPending = false;
    StopFirstLoginWatch();
    ProxyState = 0;
    // During a reconnection a failed handshake is one failed try: the
    // reconnection form tries again, silently.
    if (!isLoaded<frmReconnect>())
        MsgBox(message, vbOKOnly);
    socket.Close();
}

void succeed(Winsock& socket)
{
    deadline().stop();
    DirectLink = true;
    Api::PostToHall(HallMsgConnected);
    MainForm& table = form<MainForm>();
    table.Sysmsg(0).Clear();
    table.Sysmsg(0).AddItem(QStringLiteral("连接代理服务器成功！"));
    socket.SendData(Total::LoginFrameBytes());
    NoteLoginSent();
    table.TimerBong.SetEnabled(true);
}

// Bytes a CONNECT reply takes in all; 0 while that is not known yet, -1 for
// an address type SOCKS5 does not have.
int connectReplyLength()
{
    if (waiting() < 4)
        return 0;
    switch (at(3)) {
    case 1:
        return 4 + 4 + 2;
    case 4:
        return 4 + 16 + 2;
    case 3:
        return waiting() < 5 ? 0 : 4 + 1 + at(4) + 2;
    default:
        return -1;
    }
}

QByteArray textBytes(const QString& text)
{
    return Gbk::Encode(text).left(255);
}

} // namespace

void ResetProxyRecv()
{
    ProxyWritePos = 0;
    ProxyReadPos = 0;
}

bool LinkThrough(Winsock& socket)
{
    return socket.State() == sckConnected && DirectLink;
}

void StopHandshake()
{
    deadline().stop();
    abortLookup();
    ++g_handshake;
    ProxyState = 0;
}

void ConnectViaProxy(Winsock& socket)
{
    StopHandshake();
    const uint32_t handshake = g_handshake;
    // A first connection starts with empty rings. A reconnection keeps what
    // they hold, as on a direct link: the frames received whole before the
    // drop are still handled, and the frames queued meanwhile still go out
    // once the link is through.
    if (!isLoaded<frmReconnect>())
        General::ResetNetBuffers();
    ProxyUsed = true;
    DirectLink = false;
    if (socket.State() != sckClosed)
        socket.Close();
    socket.SetRemoteHost(ProxyServer.Host);
    socket.SetRemotePort(ProxyServer.Port);
    socket.Connect();
    // The proxy connection is waited for, handling window events, at most
    // the proxy's time limit. A leave meanwhile stops the handshake: the wait
    // then ends without a word.
    const double start = Clock::Monotonic();
    while (socket.State() != sckConnected) {
        if (handshake != g_handshake)
            return;
        const int16_t state = socket.State();
        if (state == sckError || state == sckClosed || Clock::Monotonic() - start > ProxyTimeLimit) {
            fail(QStringLiteral("请求代理失败！"), socket);
            return;
        }
        Clock::ProcessEvents(0.05);
    }
    LoginPending = true;
    ResetProxyRecv();
    ProxyState = 1;
    SendProxyStep(ProxyState, socket);
    ConnectionMonitorOn = true;
    ConnectionMonitorTicks = 0;
    // A silent proxy, or one that goes away, fails the handshake.
    g_handshakeStart = start;
    QObject::disconnect(&deadline(), nullptr, nullptr, nullptr);
    QObject::connect(&deadline(), &QTimer::timeout, [&socket] {
        if (DirectLink || ProxyState == 0) {
            deadline().stop();
            return;
        }
        if (socket.State() != sckConnected || Clock::Monotonic() - g_handshakeStart > ProxyTimeLimit)
            fail(QStringLiteral("请求代理失败！"), socket);
    });
    deadline().start(100);
}

void SendProxyStep(uint8_t& state, Winsock& socket)
{
    QByteArray request;
    switch (state) {
    case 1:
        request = QByteArray("\x05\x02\x00\x02", 4);
        state = 2;
        break;
    case 3: {
        const QByteArray user = textBytes(ProxyLogin.User);
        const QByteArray password = textBytes(ProxyLogin.Password);
        request.append('\x01');
        request.append(static_cast<char>(user.size()));
        request.append(user);
        request.append(static_cast<char>(password.size()));
        request.append(password);
        state = 4;
        break;
    }
    case 5: {
        // The CONNECT carries the game server's IPv4 address: a dotted
        // address as it stands, else the first IPv4 address its name
        // resolves to. The name is looked up without holding the window up;
        // the handshake's time limit covers the look-up too.
        const QHostAddress address(GameServer.Host);
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            SendConnectRequest(address.toIPv4Address(), state, socket);
            return;
        }
        ResetProxyRecv();
        abortLookup();
        const uint32_t handshake = g_handshake;
        g_lookup = QHostInfo::lookupHost(GameServer.Host, &deadline(), [handshake, &socket](const QHostInfo& info) {
            if (handshake != g_handshake || ProxyState != 5)
                return; // the handshake was stopped or has failed meanwhile
            g_lookup = -1;
            if (const auto ipv4 = firstIPv4(info.addresses()))
                SendConnectRequest(*ipv4, ProxyState, socket);
            else
                fail(QStringLiteral("通过代理连接主站失败！"), socket);
        });
        return;
    }
    default:
        break;
    }
    ResetProxyRecv();
    if (!request.isEmpty() && socket.State() == sckConnected)
        socket.SendData(request);
}

void SendConnectRequest(quint32 address, uint8_t& state, Winsock& socket)
{
    QByteArray request("\x05\x01\x00\x01", 4);
    for (int shift = 24; shift >= 0; shift -= 8)
        request.append(static_cast<char>((address >> shift) & 0xFF));
    request.append(static_cast<char>((GameServer.Port >> 8) & 0xFF));
    request.append(static_cast<char>(GameServer.Port & 0xFF));
    state = 6;
    ResetProxyRecv();
    if (socket.State() == sckConnected)
        socket.SendData(request);
}

void HandleProxyReply(uint8_t& state, VbArray<uint8_t, 0, 1023>&, Winsock& socket)
{
    switch (state) {
    case 2:
        if (waiting() < 2)
            return;
        if (at(0) == 5 && at(1) == 2) {
            state = 3;
            SendProxyStep(state, socket);
        } else if (at(0) == 5 && at(1) == 0) {
            state = 5;
            SendProxyStep(state, socket);
        } else {
            fail(QStringLiteral("请求代理失败！"), socket);
        }
        return;
    case 4:
        if (waiting() < 2)
            return;
        if (at(0) == 1 && at(1) == 0) {
            state = 5;
            SendProxyStep(state, socket);
        } else {
            fail(QStringLiteral("代理服务器用户验证失败！"), socket);
        }
        return;
    case 6: {
        if (waiting() >= 2 && (at(0) != 5 || at(1) != 0)) {
            fail(QStringLiteral("通过代理连接主站失败！"), socket);
            return;
        }
        const int length = connectReplyLength();
        if (length < 0) {
            fail(QStringLiteral("通过代理连接主站失败！"), socket);
            return;
        }
        if (length == 0 || waiting() < length)
            return; // the rest of the reply is still to come
        // What follows the reply is the game's.
        QByteArray rest;
        for (int i = length; i < waiting(); ++i)
            rest.append(static_cast<char>(at(i)));
        ResetProxyRecv();
        succeed(socket);
        if (!rest.isEmpty()) {
            Total::AppendReceived(rest);
            RecvOn = true;
            RecvTicks = 0;
        }
        return;
    }
    default:
        return;
    }
}

void ProxyDataArrived(Winsock& socket)
{
    const int32_t room = RingSize - 1 - waiting();
    if (room <= 0) {
        // More than a reply can hold: the handshake has failed.
        socket.GetData();
        fail(QStringLiteral("请求代理失败！"), socket);
        return;
    }
    const QByteArray bytes = socket.GetData(room);
    for (char b : bytes) {
        ProxyRing[ProxyWritePos] = static_cast<uint8_t>(b);
        ProxyWritePos = (ProxyWritePos + 1) % RingSize;
    }
    HandleProxyReply(ProxyState, ProxyRing, socket);
    // The socket may hold more than the ring took: the rest is the game's
    // once the handshake is through, or more of the proxy's reply.
    if (socket.BytesAvailable() > 0) {
        if (DirectLink)
            form<MainForm>().ReceiveFromSocket();
        else if (socket.State() == sckConnected)
            ProxyDataArrived(socket);
    }
}

void ResetState()
{
    ProxyType = 0;
    GameServer = Endpoint();
    ProxyServer = Endpoint();
    ProxyLogin = ProxyAuth();
    DirectLink = false;
    ProxyState = 0;
    ProxyUsed = false;
    ProxyRing.Fill(0);
    ResetProxyRecv();
    deadline().stop();
    abortLookup();
    ++g_handshake;
}

} // namespace mj::Mod_Proxy
