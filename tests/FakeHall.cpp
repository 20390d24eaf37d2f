#include "FakeHall.h"

#include "TestSupport.h"

#include <QCoreApplication>

#include <algorithm>

namespace mjtest {

namespace {
// A message number the client never posts.
constexpr int32_t Probe = 0x7ABC;
} // namespace

FakeHall::FakeHall(const QString& title)
    : title_(title)
{
    const QString name = mj::HallLink::ServerName(title);
    QLocalServer::removeServer(name);
    server_.listen(name);
    QObject::connect(&server_, &QLocalServer::newConnection, [this] {
        while (QLocalSocket* s = server_.nextPendingConnection()) {
            clients_.push_back(s);
            buffers_.emplace_back();
            QObject::connect(s, &QLocalSocket::readyRead, [this] { readAll(); });
        }
    });
}

FakeHall::~FakeHall()
{
    Close();
}

void FakeHall::readAll()
{
    for (size_t i = 0; i < clients_.size(); ++i) {
        buffers_[i].append(clients_[i]->readAll());
        while (buffers_[i].size() >= mj::HallLink::RecordSize) {
            received_.push_back(mj::HallLink::DecodeRecord(buffers_[i].constData()));
            buffers_[i].remove(0, mj::HallLink::RecordSize);
        }
    }
}

const std::vector<mj::HallLink::Message>& FakeHall::Received()
{
    QCoreApplication::processEvents();
    for (QLocalSocket* s : clients_)
        s->waitForReadyRead(0);
    readAll();
    return received_;
}

QStringList FakeHall::Log()
{
    QStringList out;
    for (const auto& m : Received()) {
        if (m.msg == mj::HallLink::WmSysCommand && m.wParam == mj::HallLink::ScRestore)
            out.append(QStringLiteral("restore"));
        else if (m.msg == mj::HallLink::WmSysCommand && m.wParam == mj::HallLink::ScMinimize)
            out.append(QStringLiteral("minimize"));
        else
            out.append(QStringLiteral("0x%1").arg(m.msg, 0, 16));
    }
    return out;
}

QStringList FakeHall::SettledLog()
{
    const auto probes = [this] {
        const auto& r = Received();
        return std::count_if(r.begin(), r.end(), [](const mj::HallLink::Message& m) { return m.msg == Probe; });
    };
    const auto before = probes();
    const int32_t hall = mj::HallLink::FindWindow(title_);
    if (hall != 0 && mj::HallLink::PostMessage(hall, Probe, 0, 0))
        PumpUntil([&] { return probes() > before; });
    QStringList log = Log();
    log.removeAll(QStringLiteral("0x%1").arg(Probe, 0, 16));
    return log;
}

void FakeHall::Post(int32_t msg)
{
    for (QLocalSocket* s : clients_) {
        s->write(mj::HallLink::EncodeRecord({msg, 0, 0}));
        s->flush();
    }
}

void FakeHall::Close()
{
    for (QLocalSocket* s : clients_) {
        s->disconnectFromServer();
        s->deleteLater();
    }
    clients_.clear();
    buffers_.clear();
    server_.close();
}

} // namespace mjtest
