// The connection settings from the command line and the SOCKS5 proxy client
// (no authentication, or user name and password; an IPv4 CONNECT to the game
// server). The handshake advances as the proxy's replies arrive; on success
// the socket carries the game's frames and the login (or reconnect) frame
// goes out.
//
// A reply is judged only once all of its bytes are in; bytes after the
// CONNECT reply already belong to the game and go to the receive ring. The
// proxy connection and the whole handshake are bounded (15 s): a proxy that
// refuses, cannot be reached or stays silent fails the handshake. A failure
// shows its message, closes the socket and clears LoginPending; during a
// reconnection it is only one failed try, without a message.
#pragma once

#include "platform/Runtime.h"

#include <QString>

#include <cstdint>

namespace mj {

// A host and port.
struct Endpoint {
    QString Host;
    int32_t Port = 0; // 1 to 65535
};

// SOCKS5 user name and password, with their lengths in bytes.
struct ProxyAuth {
    QString User;
    QString Password;
    uint8_t UserLen = 0;
    uint8_t PassLen = 0;
};

inline int16_t ProxyType = 0; // 0 direct, 5 SOCKS5; any other value opens no connection
inline Endpoint GameServer;
inline Endpoint ProxyServer;
inline ProxyAuth ProxyLogin;
// True except during the SOCKS5 handshake, when arriving bytes are the proxy's.
inline bool DirectLink = false;

class Winsock;

namespace Mod_Proxy {

inline uint8_t ProxyState = 0; // 0 idle .. 6 CONNECT sent (stays 6 on success)
inline bool ProxyUsed = false;
inline VbArray<uint8_t, 0, 1023> ProxyRing;
inline int32_t ProxyWritePos = 0;
inline int32_t ProxyReadPos = 0;
constexpr double ProxyTimeLimit = 15; // seconds for the connection and the handshake

// Connects to the proxy and sends the greeting; returns when the greeting is
// out, or when the proxy connection failed.
void ConnectViaProxy(Winsock& socket);
// Builds and sends the request of state 1, 3 or 5 and advances the state.
// For state 5 with a game server given by name, the name is looked up first:
// the state stays 5 until the answer comes.
void SendProxyStep(uint8_t& state, Winsock& socket);
// Sends the CONNECT request for the game server at this IPv4 address; state 6.
void SendConnectRequest(quint32 address, uint8_t& state, Winsock& socket);
// Stops a handshake under way, without a word: its time limit, its wait for
// the proxy connection and its name look-up end, and the state goes back to
// 0. Leaving the table calls it before the socket closes.
void StopHandshake();
// Checks the reply of state 2, 4 or 6 in the ring and takes the next step.
void HandleProxyReply(uint8_t& state, VbArray<uint8_t, 0, 1023>& ring, Winsock& socket);
void ResetProxyRecv();
// Takes the bytes that arrived during the handshake.
void ProxyDataArrived(Winsock& socket);
// True when the socket reaches the game server: connected, and through the
// proxy when one is used.
bool LinkThrough(Winsock& socket);

void ResetState();

} // namespace Mod_Proxy

} // namespace mj
