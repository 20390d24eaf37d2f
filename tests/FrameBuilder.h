// Server frames stated by meaning: one function per server code with named
// fields, each giving the 272 bytes the server sends. Tests hand them to the
// dispatcher through the client's own receive path, or write them into a
// script of the scripted game server.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

namespace mjtest {

// A 272-byte server frame: zero but for what is written into it.
class ServerFrame {
public:
    explicit ServerFrame(int code);

    // Header: the seat (byte 6) and value k (bytes 8 + 2k, 9 + 2k, big-endian).
    ServerFrame& Seat(uint8_t seat);
    ServerFrame& Value(int k, uint16_t word);
    // Body: raw bytes, GBK text (no zero byte added), numbers either way round.
    ServerFrame& Byte(int offset, uint8_t value);
    ServerFrame& Bytes(int offset, const QByteArray& bytes);
    ServerFrame& Text(int offset, const QString& text);
    ServerFrame& U16le(int offset, uint16_t value);
    ServerFrame& U16be(int offset, uint16_t value);
    ServerFrame& U32le(int offset, uint32_t value);
    ServerFrame& U32be(int offset, uint32_t value);
    ServerFrame& U64le(int offset, uint64_t value);
    // The session token: bytes 260 (high byte) and 261.
    ServerFrame& Token(uint16_t token);

    const QByteArray& Data() const { return bytes_; }
    // The frame as one `send` line of the scripted game server.
    QString ScriptLine() const;

private:
    QByteArray bytes_;
};

namespace frames {

// Each code's frame, its fields named; a field not set stays 0 (the token
// too). Set the fields of the code first: the general setters return the
// plain frame.

// Code 18: accepted, 8-second turns, unless set otherwise.
class LoginResult : public ServerFrame {
public:
    LoginResult();
    // value(3): 1 accepted, 2 take the seat again, any other value refused.
    LoginResult& Answer(uint16_t answer);
    // value(1)'s low byte: the turn length in its low four bits.
    LoginResult& Turn(uint8_t turn);
    // Byte 9: time-outs in a row before the boss key is pressed.
    LoginResult& TimeoutLimit(uint8_t limit);
    // Bytes 16..115, one character a byte, cut to 100.
    LoginResult& Banner(const QByteArray& address);
};

// Code 29: byte 15, 1 resumed.
ServerFrame ReconnectResult(uint8_t result);

// Code 3: one seat's account name (bytes 16..31, cut to 16).
ServerFrame SeatName(uint8_t seat, const QByteArray& name);

// Code 23: the account of a player (bytes 16..31) who is ready (value(3) 1)
// or not.
ServerFrame PlayerReady(const QByteArray& name, uint8_t ready = 1);

// Code 16, value(3) 2: the banker's seat (header) and the own user id.
class Banker : public ServerFrame {
public:
    explicit Banker(uint8_t seat);
    // Bytes 268..271, little-endian.
    Banker& UserId(uint32_t id);
};

// Code 16, value(3) 0: the continue prompt.
class ContinuePrompt : public ServerFrame {
public:
    ContinuePrompt();
    // Byte 11 = 1: the next hand changes seats.
    ContinuePrompt& ShuffleNext(uint8_t value = 1);
    // value(2)'s low byte = 1: the seat-change show starts now.
    ContinuePrompt& ShowNow(uint8_t value = 1);
    // Bytes 16..19, little-endian: the room's wealth multiplier.
    ContinuePrompt& WealthRate(uint32_t rate);
};

// Code 20: one member's user information; the header seat is 15 (the own
// player), 0 (another member without a seat mask) or a seat mask.
class UserInfo : public ServerFrame {
public:
    explicit UserInfo(uint8_t seat);
    UserInfo& Name(const QString& name);        // bytes 16..47, GBK
    UserInfo& Face(const QByteArray& face);     // bytes 48..63
    UserInfo& Sex(uint8_t sex);                 // byte 64
    UserInfo& Location(const QString& place);   // bytes 72..79, GBK
    UserInfo& Points(uint64_t points);          // bytes 80..87
    UserInfo& Credit(uint64_t credit);          // bytes 88..95
    UserInfo& Coins(uint64_t coins);            // bytes 96..103
    UserInfo& Level(const QString& level);      // bytes 112..127, GBK
    // Bytes 152..167: logins, drops, wins, losses, 32-bit little-endian.
    UserInfo& Counts(int32_t logins, int32_t drops, int32_t wins, int32_t losses);
    UserInfo& Account(const QByteArray& account); // bytes 168..183
    UserInfo& Tag(const QString& tag);          // bytes 184..207, GBK
    UserInfo& Ready(uint8_t ready = 1);         // byte 208
    UserInfo& UserId(uint64_t id);              // bytes 226..233
    UserInfo& WealthRate(uint32_t rate);        // bytes 234..237
    UserInfo& PropsSwitch(uint8_t value);       // byte 255: 0 props allowed
};

// A frame of any code with its header set: the seat (byte 6) and the four
// values, as the tile events, the round start and the claim offer carry them.
ServerFrame WithHeader(int code, uint8_t seat, uint16_t v0 = 0, uint16_t v1 = 0, uint16_t v2 = 0, uint16_t v3 = 0);

// A frame of any code with only its code set and the body numbered 16, 17,
// 18 ... (bytes 16..259), so that a test can see it arrive unchanged.
ServerFrame Numbered(int code);

} // namespace frames

// Puts the frame through the client's receive ring, its frame reader and the
// dispatcher, as one turn of the main loop's receive slot does.
void Dispatch(const ServerFrame& frame);
void Dispatch(const QByteArray& frame);

// The frames a script's server sends on one of its connections, in order
// (its last connection when none is named).
QList<QByteArray> ScriptFrames(const QString& script, int connection = 0);

// The frames the demonstration's server (scripts/demo-server.txt) sends on
// its last connection: the table seated, then the hand to its end.
QList<QByteArray> DemoFrames();

} // namespace mjtest
