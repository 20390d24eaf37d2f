#include "client/CommandLine.h"

#include "client/Data.h"
#include "client/Mod_Proxy.h"
#include "platform/Gbk.h"
#include "platform/Runtime.h"
#include "social/Mod_Prop.h"

namespace mj {

namespace {

constexpr int AccountBytes = 16;     // bytes 16..31 of the login frame
constexpr int CredentialBytes = 228; // bytes 32..259, before the session token

int32_t port(const QString& field)
{
    const int32_t p = CLng(field);
    if (p < 1 || p > 65535)
        Raise(ErrOverflow);
    return p;
}

// The proxy port matters only with the SOCKS5 proxy; a hall that sends a
// direct connection may put any number there (0 included).
int32_t unusedPort(const QString& field)
{
    const int32_t p = CLng(field);
    if (p < -32768 || p > 65535)
        Raise(ErrOverflow);
    return p;
}

uint8_t proxyTextLength(const QString& text)
{
    const qsizetype bytes = Gbk::Encode(text).size();
    if (bytes > 255)
        Raise(ErrOverflow);
    return static_cast<uint8_t>(bytes);
}

} // namespace

CommandLineRest ReadCommandLine(const QString& line)
{
    CommandLineRest rest;
    WatchMode = !line.endsWith(u'$');
    QString remaining = line;
    for (int k = 1; k <= 15; ++k) {
        const qsizetype j = remaining.indexOf(u'$');
        if (j < 0)
            continue; // nothing stored; the next field is searched in the same text
        const QString field = remaining.left(j);
        const QString after = remaining.mid(j + 1);
        switch (k) {
        case 1:
            if (Gbk::Encode(field).size() > AccountBytes)
                Raise(ErrOverflow);
            custom[0].Name = field;
            Mod_Prop::CmdAccount = field;
            break;
        case 2:
            if (Gbk::Encode(field).size() > CredentialBytes)
                Raise(ErrOverflow);
            Mod_Prop::CmdCredential = field;
            rest.Credential = field;
            break;
        case 3:
            GameServer.Host = field;
            break;
        case 4:
            GameServer.Port = port(field);
            break;
        case 5:
            rest.Location = field;
            rest.HasLocation = true;
            if (WatchMode)
                Players[0].UserId = CDbl(after);
            break;
        case 6:
            // Only a direct connection and SOCKS5 exist: any other type
            // would leave the client waiting for a connection never opened.
            ProxyType = CInt(field);
            if (ProxyType != 0 && ProxyType != 5)
                Raise(ErrInvalidCall);
            break;
        case 7:
            ProxyServer.Host = field;
            break;
        case 8:
            ProxyServer.Port = ProxyType == 5 ? port(field) : unusedPort(field);
            break;
        case 9:
            ProxyLogin.UserLen = proxyTextLength(field);
            ProxyLogin.User = field;
            break;
        case 10:
            ProxyLogin.PassLen = proxyTextLength(field);
            ProxyLogin.Password = field;
            break;
        case 11:
            AutoMode = Val(field) == 1;
            break;
        case 12:
            HallTitle = field;
            break;
        case 13:
            AutoCaption = field;
            break;
        case 14:
            Mod_Prop::Prop_swicth = CInt(field);
            break;
        case 15:
            Mod_Prop::CmdPluginParam = CInt(field);
            break;
        }
        remaining = after;
    }
    return rest;
}

} // namespace mj
