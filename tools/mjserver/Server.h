// The scripted game server: listens on loopback, serves one client connection
// at a time in the order they came, plays the script's commands for each and
// reports on stdout, one line each:
//   listening PORT                  first, once the server listens
//   connected N                     the N-th connection was taken up
//   recv CODE SEAT V0 V1 V2 V3 HEX  a whole frame from the client: the code of
//                                   bytes 2-3, byte 6, the four signed 16-bit
//                                   big-endian values, all 272 bytes in hex
//   partial N HEX                   N bytes left over when a connection ended
//   closed N                        the N-th connection ended
// recv and partial lines also go to the record file when there is one.
// A failure (a time-out, a client that closed while a frame was being sent or
// awaited) prints "mjserver: line L: ..." on stderr and ends with exit code 1.
#pragma once

#include "Script.h"

#include <QFile>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <deque>

class QTcpSocket;

namespace mj::mjserver {

struct Options {
    quint16 port = 0;
    QString recordFile;  // empty: no record file
    bool once = false;   // end after the first connection ends
};

class Server : public QObject {
public:
    Server(Script script, Options options);
    // Opens the record file and starts listening; false (with a message on
    // stderr) when either fails.
    bool Start();

private:
    enum class Wait { None, Expect, Pause, Closed, Writing, Gap };

    void acceptNext();
    void resumeLater();
    void run();
    void finishCommand();
    void writeNextPiece();
    void pieceWritten();
    void readFrames();
    void connectionEnded();
    void timerFired();
    bool consume(int code);
    void fail(int line, const QString& message);
    void quit(int exitCode);
    void report(const QString& line, bool record);

    Script script_;
    Options options_;
    QTcpServer listener_;
    QFile record_;
    QTimer timer_;

    QTcpSocket* client_ = nullptr;
    bool open_ = false;
    int connections_ = 0;
    QByteArray received_;
    std::deque<int> unconsumed_;   // codes of frames no expect has consumed

    const QList<Command>* commands_ = nullptr;
    qsizetype next_ = 0;
    Wait wait_ = Wait::None;
    bool resumeQueued_ = false;
    QList<QByteArray> pieces_;
    int gapMs_ = 0;
    bool quitting_ = false;
    int exitCode_ = 0;
};

} // namespace mj::mjserver
