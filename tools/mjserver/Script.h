// The script language of the scripted game server (mjserver).
//
// One command per line. Blank lines are ignored; '#' at the start of a line,
// or after a blank outside a quoted text, starts a comment. Numbers are
// decimal or hexadecimal with "0x" (a minus sign where negatives are allowed).
//
//   send CODE SEAT V0 V1 V2 V3 [ITEM...]
//       Sends one 272-byte frame, zero except for: bytes 2-3 CODE big-endian
//       (0..65535), byte 6 SEAT (0..255), bytes 8-15 the four values, each
//       16-bit big-endian (-32768..65535; a negative one as its two's
//       complement). Body items are written from byte 16 on, in order:
//         @OFFSET        moves the write position to byte OFFSET (0..272)
//         hex:0A0B...    raw bytes, two hex digits each
//         text:...       GBK text to the end of the line ('#' included), or
//         text:"..."     the quoted form, which other items may follow;
//         gbk:"..."      the same as the quoted text form.
//                        Inside quotes \" is a quote and \\ a backslash.
//         u8:N u16le:N u16be:N u32le:N u32be:N u64le:N   unsigned numbers
//         token:HHHH     bytes 260 and 261 (four hex digits, 260 first)
//       Writing past byte 271 is an error.
//   split OFF[,OFF...] [gap MS]
//       The next send (or repeat block) goes out in pieces cut at these byte
//       offsets, each written and handed to the system before the next;
//       with a gap, MS milliseconds pass between pieces. Pieces usually
//       arrive as separate chunks, but TCP does not promise it.
//   repeat N ... endrepeat
//       The send lines between are sent N times (1..10000) in one write;
//       "{i}" in them stands for the round number, 0 to N-1.
//   expect CODE [timeout SECONDS]
//       Waits for a frame from the client with this code (bytes 2-3). Frames
//       already received count: each expect consumes the client's frames up
//       to and including the matching one. Default timeout 10 seconds.
//   pause MS                       waits MS milliseconds
//   close                          closes the client's connection
//   wait-close [timeout SECONDS]   waits until the client closes (default 10 s)
//   end                            closes the connection and ends the server
//   connection N
//       Starts the commands of the N-th client connection (N >= 1). Commands
//       before the first "connection" line are played by every connection
//       that has no section of its own.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <map>

namespace mj::mjserver {

constexpr int FrameSize = 272;

struct Command {
    enum Kind { Send, Expect, Pause, Close, WaitClose, End };
    Kind kind = Send;
    int line = 0;          // line in the script, for messages
    QByteArray bytes;      // Send: the frames, in order
    QList<int> cuts;       // Send: offsets where a new piece starts
    int gapMs = 0;         // Send: time between pieces
    int code = 0;          // Expect
    int ms = 0;            // Pause: the pause; Expect, WaitClose: the time-out
};

struct Script {
    QList<Command> common;               // for connections without a section
    std::map<int, QList<Command>> sections;  // by connection number

    const QList<Command>& ForConnection(int number) const
    {
        auto it = sections.find(number);
        return it != sections.end() ? it->second : common;
    }
};

struct ScriptError {
    int line;
    QString message;
};

// Reads a whole script; throws ScriptError for the first line in error.
Script ParseScript(const QString& text);

} // namespace mj::mjserver
