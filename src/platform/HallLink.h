// The link to the game hall, which is another process.
//
// The hall's window is found by its exact title: the hall listens on a local
// socket whose name is derived from that title (ServerName), and "finding the
// window" means connecting to it. Every message, in either direction, is one
// 12-byte record of three little-endian 32-bit integers: message number,
// wParam, lParam. Restoring and minimising the hall's window are sent as the
// system-command messages they were (WmSysCommand with ScRestore or
// ScMinimize in wParam).
//
// - FindWindow keeps one connection per title and reuses it while the hall is
//   there; when the hall has gone it tries once to connect again, waiting a
//   short bounded time, so callers get an answer at once. A title with no
//   listening hall (or an empty title) is "window not found": 0.
// - Each connection has its own handle; a handle of a connection that has
//   gone is no longer valid (PostMessage returns false).
// - Messages the hall writes go to the one installed handler (the table
//   window's window procedure), delivered from the event loop, in order of
//   arrival, never inside a call on the link. A message that arrives while the
//   handler runs (a handler may wait handling events) is held until it
//   returns, so the handler never runs inside itself. With no handler
//   installed at delivery time a message is dropped.
//
// The socket lives in the temporary folder (TMPDIR), so a hall and its client
// must share it; tests give each run a folder of its own.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

namespace mj::HallLink {

constexpr int RecordSize = 12;
constexpr int32_t WmSysCommand = 0x112;
constexpr int32_t ScRestore = 0xF120;
constexpr int32_t ScMinimize = 0xF020;

struct Message {
    int32_t msg = 0;
    int32_t wParam = 0;
    int32_t lParam = 0;
    bool operator==(const Message&) const = default;
};

// The local socket name of the hall whose window has this exact title.
QString ServerName(const QString& title);
// The 12-byte record of a message, and back (bytes must hold RecordSize).
QByteArray EncodeRecord(const Message& m);
Message DecodeRecord(const char* bytes);

// The handle of the hall window with this title; 0 when none listens.
int32_t FindWindow(const QString& title);
// Queues the message to the hall and pushes it out; false for a handle that
// is not (or no longer) a connected hall.
bool PostMessage(int32_t handle, int32_t msg, int32_t wParam, int32_t lParam);
// Writes the message and returns once it has left this process; the hall's
// answer is not awaited. Returns 0.
int32_t SendMessage(int32_t handle, int32_t msg, int32_t wParam, int32_t lParam);

using Handler = std::function<int32_t(int32_t msg, int32_t wParam, int32_t lParam)>;
// Installs the receiver of the hall's messages; an empty handler removes it.
void SetHandler(Handler handler);
// Messages received and not yet delivered.
int Pending();

// Drops every connection and held message and removes the handler (tests).
void Reset();

} // namespace mj::HallLink
