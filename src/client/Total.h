// The server link's frames: the 272-byte frame layout, the receive and send
// rings, the session token, the reader that cuts one received frame into
// `Msg` and `info`, and the two queue procedures for outgoing frames.
//
// Every frame is 272 bytes both ways, with no length field: the stream is cut
// by counting. The rings hold whole frames; the receive ring only takes from
// the socket what it has room for, so a burst is never lost (the rest waits in
// the socket), and the send ring refuses a frame it has no room for.
#pragma once

#include "client/Data.h"
#include "platform/Runtime.h"

#include <QByteArray>

#include <cstdint>

namespace mj {

constexpr int FrameSize = 272;
constexpr int32_t RingSize = 0x8800; // 128 frames

// Message codes the client core itself builds or reads.
enum MessageCode : int16_t {
    MsgSeatName = 3,
    MsgReady = 16,
    MsgLogin = 18,
    MsgChat = 19,
    MsgKeepAlive = 24,
    MsgReconnect = 28,
    MsgReconnectResult = 29,
};

using FrameBytes = VbArray<uint8_t, 0, FrameSize - 1>;

namespace Total {

inline VbArray<uint8_t, 0, RingSize - 1> RecvRing;
inline int32_t RecvReadPos = 0;
inline int32_t RecvWritePos = 0;
inline VbArray<uint8_t, 0, RingSize - 1> SendRing;
inline int32_t SendReadPos = 0;
inline int32_t SendWritePos = 0;
inline VbArray<uint8_t, 0, 1> SessionToken;
inline FrameBytes LoginFrame;
// True from the moment the player leaves the seat until the next connection:
// no received frame is handled meanwhile, and arriving bytes are dropped.
inline bool ReceiveHeld = false;
// Bytes of a closed connection that the receive ring had no room for yet.
// They go into the ring as frames are read out of it, before anything a new
// connection brings, so every frame that arrived whole is handled, in order.
inline QByteArray RecvBacklog;

// Bytes waiting in a ring.
int32_t RecvWaiting();
int32_t SendWaiting();
// Room left in the receive ring (it holds at most RingSize - 1 bytes).
int32_t RecvRoom();

// Appends received bytes to the receive ring. Takes at most RecvRoom() bytes
// and returns how many it took.
int32_t AppendReceived(const QByteArray& bytes);
// Drops the part of a frame at the tail of what was received (the ring and
// its backlog), so a new connection's stream starts on a frame boundary;
// whole frames stay.
void DropPartialReceivedFrame();
// Keeps the bytes a closing connection still held, behind the backlog.
void KeepBacklog(const QByteArray& bytes);
// Moves as much of the backlog into the ring as it has room for.
void FillFromBacklog();

// Cuts the next 272 bytes of the receive ring into Msg and info and handles
// the codes the core reads itself (seat names, chat lines). The caller makes
// sure a whole frame waits.
void ReadServerFrame();

// The text of Msg bytes first..last, one character a byte (a byte of 0x80 or
// more is no character of its own and reads '?'), up to the first zero byte;
// a field without one ends at its last byte.
QString SingleByteText(int first, int last);

// Builds a frame from a header (and ChatOut for a chat line) and appends it to
// the send ring. Returns false when nothing was queued (an empty chat line, or
// no room in the ring).
bool QueueMessage(MsgHeader& header);
// Stamps the session token into a ready frame and appends it.
bool QueueRawFrame(FrameBytes& frame);
// Takes the next waiting frame from the send ring; false when none waits.
bool TakeQueuedFrame(FrameBytes& frame);

// Builds the login frame from the account and credential (one byte a
// character). Raises a run-time error for a character that takes two bytes.
void BuildLoginFrame(const QString& account, const QString& credential);
QByteArray LoginFrameBytes();
// Turns the login frame into the reconnect frame in place: code 28, the
// session token, and the own user id (little-endian) in bytes 268 to 271;
// the account and credential stay.
void WriteReconnectFrame();

// Stops handling received frames until the next connection (ResetNetBuffers).
void HoldReceiving();

// Module state back to its program-start value.
void ResetState();

// ---- Player information (code 20) ------------------------------------------
// Fills `player` from the user-information body of `frame` (bytes 16 to 233
// only). Every field the frame carries is replaced; VoiceSex and
// ShowHandToWatcher are left as they were. Never raises: the four counts are
// read as two's-complement 32-bit numbers.
void ParseUserInfo(PlayerInfo& player, const FrameBytes& frame);
// Watch mode: seats the table from the four kept user-information frames
// (SavedUserInfoFrames) around the watched player (Players(0).UserId), marks
// the banker, sets WallHead and WallTail from BankerMask and Dice, and fills
// the plates and avatars of the table, Score and Hero. Only frames with a
// single-bit seat mask are used, the first one for each seat; when none of
// them carries the watched user id the watch ends as when the table ends.
void ArrangeSeatsFromUserInfo();
// The AvatarPicture entry of a face code: "m1".."m10" give 0..9, "w1".."w10"
// give 10..19; a number that is missing, not a number or outside 1..10
// counts as 1.
int16_t AvatarIndex(const QString& face);

} // namespace Total

namespace General {
// All four ring indexes back to 0, for a new connection: received frames are
// handled again.
void ResetNetBuffers();
} // namespace General

} // namespace mj
