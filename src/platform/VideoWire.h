// The video link's wire protocol: what the client's video transport
// (P2PSocket, Video.h) and the video relay (tools/mjrelay) exchange over one
// TCP connection. Both ends use this one codec.
//
// Framing. Every message is
//     u32 length (big-endian; counts the type byte and the body)
//     u8  type
//     body
// A length of 0 or above MaxMessageLength is malformed. Numbers are
// big-endian. A name is u8 n (1..64) followed by n bytes of valid UTF-8.
// A payload is the rest of the message.
//
// Client to relay:
//   HELLO   (1)  u16 version, name        log in under the name; first message
//   WANT    (2)  name, u8 every (0|1)     wants that user's video (every frame
//                                         or sparse); at most MaxWants at once
//   UNWANT  (3)  name                     no longer wants it
//   SEND    (4)  name, u8 kind, payload   to that user: FORMAT (at most 64
//                                         bytes), MODE (exactly 2 bytes) or
//                                         FRAME (at most 64 KiB)
//   PING    (5)  (empty)                  keeps the link alive
//   BYE     (6)  (empty)                  logs out
// Relay to client:
//   WELCOME (0x81) u8 status              0 logged in, 1 refused (version)
//   PEER    (0x82) name, u8 status        about a wanted user: 0 offline,
//                                         1 online, 2 mutual and it wants
//                                         sparse video from us, 3 mutual and
//                                         it wants every frame
//   DATA    (0x83) name, u8 kind, payload from that user; only between users
//                                         who want each other
//   PING    (5)    (empty)                the answer to each PING
//   BYE     (0x84) u8 reason              the relay ends the link
//
// Anything else (an unknown type, a body too short or too long for its type,
// a bad name, a flag other than 0 or 1, a message out of turn) is malformed:
// the relay answers BYE and closes; the client drops the link.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace mj::VideoWire {

inline constexpr uint16_t Version = 1;
inline constexpr int MaxNameBytes = 64;
inline constexpr int MaxFormatBytes = 64;
inline constexpr int ModeBytes = 2;
inline constexpr int MaxFrameBytes = 64 * 1024;
// type + name + kind + the largest payload
inline constexpr uint32_t MaxMessageLength = 1 + 1 + MaxNameBytes + 1 + MaxFrameBytes;
inline constexpr int MaxWants = 8;

enum Type : uint8_t {
    Hello = 1,
    Want = 2,
    Unwant = 3,
    Send = 4,
    Ping = 5,
    Bye = 6,
    Welcome = 0x81,
    Peer = 0x82,
    Data = 0x83,
    RelayBye = 0x84,
};

enum Kind : uint8_t { Format = 1, Mode = 2, Frame = 3 };

enum PeerStatus : uint8_t { Offline = 0, Online = 1, MutualSparse = 2, MutualEvery = 3 };

enum WelcomeStatus : uint8_t { Accepted = 0, WrongVersion = 1 };

enum ByeReason : uint8_t { Malformed = 1, Replaced = 2, TimedOut = 3, Full = 4, TooManyWants = 5 };

// Who sends a message: each side reads only the other side's types.
enum class From { Client, Relay };

// One message, decoded. Fields a type does not have stay empty.
struct Message {
    uint8_t type = 0;
    uint16_t version = 0;     // HELLO
    QString name;             // HELLO, WANT, UNWANT, SEND, PEER, DATA
    uint8_t value = 0;        // WANT: every; SEND/DATA: kind; PEER, WELCOME: status; BYE: reason
    QByteArray payload;       // SEND, DATA
};

// The bytes of one message, header included. Encodes what it is given, so
// tests can build messages a decoder must refuse.
QByteArray Encode(const Message& message);
// Shorthands.
QByteArray EncodeHello(const QString& name, uint16_t version = Version);
QByteArray EncodeWant(const QString& name, bool everyFrame);
QByteArray EncodeUnwant(const QString& name);
QByteArray EncodeSend(const QString& name, Kind kind, const QByteArray& payload);
QByteArray EncodeData(const QString& from, Kind kind, const QByteArray& payload);
QByteArray EncodePeer(const QString& name, PeerStatus status);
QByteArray EncodeSimple(Type type);               // PING, BYE
QByteArray EncodeByte(Type type, uint8_t value);  // WELCOME, relay BYE

// True when the name can travel: 1 to 64 bytes of valid UTF-8.
bool NameFits(const QString& name);
// True when a payload of that kind fits.
bool PayloadFits(Kind kind, qsizetype bytes);

// Cuts messages out of a byte stream.
class Reader {
public:
    enum class Result { Incomplete, Ok, Malformed };
    explicit Reader(From from) : from_(from) {}
    void Append(const QByteArray& bytes) { buffer_.append(bytes); }
    // The next whole message into `out`. After Malformed the stream is
    // unusable and every later call answers Malformed.
    Result Next(Message& out);
    qsizetype Buffered() const { return buffer_.size(); }

private:
    From from_;
    QByteArray buffer_;
    bool broken_ = false;
};

// Decodes one message body (type byte first) sent by `from`; false when
// malformed.
bool Decode(From from, const QByteArray& typeAndBody, Message& out);

} // namespace mj::VideoWire
