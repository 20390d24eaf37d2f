// A hall window inside the test process: it listens under a title as the
// real hall does and keeps every message the client sends it.
#pragma once

#include "platform/HallLink.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QString>

#include <vector>

namespace mjtest {

class FakeHall {
public:
    explicit FakeHall(const QString& title);
    ~FakeHall();

    bool Listening() const { return server_.isListening(); }
    // The messages received so far, in order.
    const std::vector<mj::HallLink::Message>& Received();
    // Message numbers only; WM_SYSCOMMAND shows as "restore" or "minimize".
    QStringList Log();
    // The log once every message this process posted to the hall so far has
    // arrived: a probe message posted over the same link comes after them.
    // Probes are left out. A message the client posts late is then seen.
    QStringList SettledLog();
    // Posts a message to every connected client.
    void Post(int32_t msg);
    // Stops listening and drops the clients: the window is gone.
    void Close();

private:
    void readAll();

    QString title_;
    QLocalServer server_;
    std::vector<QLocalSocket*> clients_;
    std::vector<QByteArray> buffers_;
    std::vector<mj::HallLink::Message> received_;
};

} // namespace mjtest
