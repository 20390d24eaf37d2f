// The video relay: plays the video server for the client's video transport,
// with the wire protocol of src/platform/VideoWire.h, on loopback.
//
// Users log in by name (names are not authenticated: a newer login under a
// name replaces the older, which gets BYE). A user says whose video it wants;
// the relay tells it, for each user it wants, whether that user is offline,
// online, or wants it back (sparse or every frame), and passes SEND on as
// DATA only between users who want each other.
//
// Bounds: HELLO within helloMs of connecting; silenceMs without a message
// ends a link (the client PINGs and the relay answers each PING); at most
// maxWants wants a user; at most maxConnections links at once (more are
// told BYE and closed); per receiver at most queueBytes waiting unsent
// (frames beyond are dropped, never anything else) and at most
// framesPerSecond frames a second from each sender. A malformed message is
// answered with BYE and the link closed.
//
// Test peers (AddPeer) are users inside the relay: a peer wants whoever
// wants it (sparse or every frame), sends each of them the test pattern
// every 100 ms once they want each other, and reports each frame it gets.
#pragma once

#include "platform/VideoWire.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;

namespace mj::mjrelay {

struct Limits {
    int helloMs = 10000;
    int silenceMs = 30000;
    int maxWants = VideoWire::MaxWants;
    int maxConnections = 64;
    qint64 queueBytes = 1024 * 1024;
    int framesPerSecond = 30;
};

class Relay : public QObject {
public:
    // `now` gives seconds for the frame rate; by default a steady clock.
    explicit Relay(const Limits& limits = Limits(), std::function<double()> now = {});
    ~Relay() override;

    // Listens on 127.0.0.1; port 0 picks a free one. False when it cannot.
    bool Listen(quint16 port);
    quint16 Port() const;

    // A test peer logged in under the name.
    void AddPeer(const QString& name, bool sparse);
    // How many frames a second each test peer sends (10 unless set); 0:
    // the peers send none.
    void SetPeerRate(int framesPerSecond);
    // Frames each test peer got from each user: peer -> sender -> count.
    QHash<QString, QHash<QString, int>> PeerFrames() const;
    // With it on, one line for each frame passed on to a user on a link,
    // "sent NAME from SENDER #N BYTES bytes"; frames dropped by the rate or
    // the queue limit are not passed on and have no line. Off unless set.
    void SetReportSent(bool on);
    // Makes every test peer send one pattern frame to each user it shares
    // video with (the peers' timer does it every 100 ms).
    void PeerTick();
    // Names logged in now.
    QStringList Users() const;

    // One line for each event worth printing: a frame a peer got, a login,
    // a link that ends, and with SetReportSent a frame passed on to a user.
    std::function<void(const QString& line)> OnLine;
    // Each frame a test peer gets, with its bytes.
    std::function<void(const QString& peer, const QString& from, const QByteArray& frame)> OnPeerFrame;

private:
    struct Member;
    void accept();
    void readable(Member* m);
    void handle(Member* m, const VideoWire::Message& msg);
    void login(Member* m, const VideoWire::Message& msg);
    void close(Member* m, int reason); // reason -1: no BYE
    void drop(Member* m);
    void deliver(Member* from, Member* to, VideoWire::Kind kind, const QByteArray& payload);
    VideoWire::PeerStatus status(const Member* viewer, const QString& other) const;
    void refresh(Member* viewer);
    void refreshWantersOf(const QString& name);
    void peerWantsBack(Member* peer, Member* wanter);
    void send(Member* m, const QByteArray& bytes);
    void print(const QString& line);

    Limits limits_;
    std::function<double()> now_;
    QTcpServer* server_ = nullptr;
    QList<Member*> links_;              // every socket link, logged in or not
    QHash<QString, Member*> users_;     // logged-in users (links and peers) by name
    QList<Member*> peers_;
    QList<Member*> retired_;            // closed, deleted at the next turn of the event loop
    QTimer peerTimer_;
    int peerRate_ = 10;
    bool reportSent_ = false;
};

} // namespace mj::mjrelay
