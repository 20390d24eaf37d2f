#include "client/Mod_Proxy.h"

namespace mj::Mod_Proxy {

// The SOCKS5 handshake comes with the proxy client.
void ConnectViaProxy(Winsock&) {}

void ResetState()
{
    ProxyType = 0;
    GameServer = Endpoint();
    ProxyServer = Endpoint();
    ProxyLogin = ProxyAuth();
    DirectLink = false;
}

} // namespace mj::Mod_Proxy
