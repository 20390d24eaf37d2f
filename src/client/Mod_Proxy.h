// The connection settings from the command line and the SOCKS5 proxy client.
#pragma once

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

// Connects through the SOCKS5 proxy and runs the handshake; the login frame
// goes out once the proxy's CONNECT succeeded.
void ConnectViaProxy(Winsock& socket);

void ResetState();

} // namespace Mod_Proxy

} // namespace mj
