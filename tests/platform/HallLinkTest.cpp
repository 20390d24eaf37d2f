// The hall link against a real local-socket server standing in for the hall,
// and the single-instance lock against a second process holding it.
#include "TestSupport.h"

#include "platform/Application.h"
#include "platform/HallLink.h"
#include "platform/InstanceLock.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

using namespace mj;
using HallLink::Message;

namespace {

// Sets an environment variable for the length of a test.
class EnvScope {
public:
    EnvScope(const char* name, const QString& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        qputenv(name, value.toLocal8Bit());
    }
    ~EnvScope()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// A hall listening under a title: takes the client's connections, collects
// what they write and writes records back.
class FakeHall {
public:
    explicit FakeHall(const QString& title)
    {
        QObject::connect(&server_, &QLocalServer::newConnection, [this] {
            while (QLocalSocket* c = server_.nextPendingConnection()) {
                clients_.append(c);
                QObject::connect(c, &QLocalSocket::readyRead, [this, c] { received_ += c->readAll(); });
            }
        });
        EXPECT_TRUE(server_.listen(HallLink::ServerName(title))) << server_.errorString().toStdString();
    }
    ~FakeHall()
    {
        for (QLocalSocket* c : std::as_const(clients_))
            QObject::disconnect(c, nullptr, nullptr, nullptr);
    }

    int Clients() const { return static_cast<int>(clients_.size()); }
    bool WaitForClient() { return mjtest::PumpUntil([this] { return !clients_.isEmpty(); }); }
    QByteArray Received(int bytes)
    {
        mjtest::PumpUntil([&] { return received_.size() >= bytes; });
        return received_;
    }
    // All records in one write, as the hall posting them back to back.
    void Write(const std::vector<Message>& messages)
    {
        QByteArray bytes;
        for (const Message& m : messages)
            bytes += HallLink::EncodeRecord(m);
        clients_.last()->write(bytes);
        clients_.last()->flush();
    }

private:
    QLocalServer server_;
    QList<QLocalSocket*> clients_;
    QByteArray received_;
};

class HallLinkTest : public ::testing::Test {
protected:
    void SetUp() override { HallLink::Reset(); }
    void TearDown() override { HallLink::Reset(); }

    // The sockets live in a folder of this test's own.
    QTemporaryDir dir_;
    EnvScope tmp_{"TMPDIR", dir_.path()};
};

TEST_F(HallLinkTest, FindsTheHallByItsExactTitleOnly)
{
    const QString titles[] = {
        QStringLiteral("琼蔚山庄"),
        QStringLiteral("my hall 大厅"),
        QStringLiteral(" spaced out "),
    };
    for (const QString& title : titles) {
        SCOPED_TRACE(title.toStdString());
        FakeHall hall(title);
        EXPECT_NE(HallLink::FindWindow(title), 0);
        EXPECT_EQ(HallLink::FindWindow(title + u' '), 0);
        EXPECT_EQ(HallLink::FindWindow(title.chopped(1)), 0);
        if (title.toUpper() != title) {
            EXPECT_EQ(HallLink::FindWindow(title.toUpper()), 0);
        }
    }
    // An empty title is never found, even with something listening under it.
    FakeHall untitled{QString()};
    EXPECT_EQ(HallLink::FindWindow(QString()), 0);
}

TEST_F(HallLinkTest, ReusesTheConnectionAndFindsARestartedHall)
{
    const QString title = QStringLiteral("琼蔚山庄");
    EXPECT_EQ(HallLink::FindWindow(title), 0);

    auto first = std::make_unique<FakeHall>(title);
    const int32_t handle = HallLink::FindWindow(title);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(HallLink::FindWindow(title), handle);
    ASSERT_TRUE(first->WaitForClient());
    EXPECT_EQ(first->Clients(), 1);

    // The hall goes away; the next lookup sees it at once, with no events
    // handled in between, and the old handle is dead.
    first.reset();
    EXPECT_EQ(HallLink::FindWindow(title), 0);
    EXPECT_FALSE(HallLink::PostMessage(handle, 0x16, 0, 0));

    FakeHall second(title);
    const int32_t again = HallLink::FindWindow(title);
    ASSERT_NE(again, 0);
    EXPECT_NE(again, handle);
    EXPECT_TRUE(HallLink::PostMessage(again, 0x303, 0, 0));
    EXPECT_EQ(second.Received(12), QByteArray::fromHex("030300000000000000000000"));
}

TEST_F(HallLinkTest, PostAndSendWriteExactRecordsInOrder)
{
    const QString title = QStringLiteral("大厅");
    FakeHall hall(title);
    const int32_t handle = HallLink::FindWindow(title);
    ASSERT_NE(handle, 0);

    EXPECT_FALSE(HallLink::PostMessage(0, 0x16, 0, 0));
    EXPECT_FALSE(HallLink::PostMessage(handle + 1, 0x16, 0, 0));
    EXPECT_EQ(HallLink::SendMessage(handle + 1, 0x16, 0, 0), 0);

    EXPECT_TRUE(HallLink::PostMessage(handle, 0x16, 0, 0));
    HallLink::SendMessage(handle, HallLink::WmSysCommand, HallLink::ScRestore, 0);
    EXPECT_TRUE(HallLink::PostMessage(handle, -1, INT32_MAX, INT32_MIN));
    HallLink::SendMessage(handle, HallLink::WmSysCommand, HallLink::ScMinimize, 0x12345678);

    const QByteArray expected = QByteArray::fromHex("160000000000000000000000"
                                                    "1201000020f1000000000000"
                                                    "ffffffffffffff7f00000080"
                                                    "1201000020f0000078563412");
    EXPECT_EQ(hall.Received(48).toHex(), expected.toHex());
}

TEST_F(HallLinkTest, DeliversTheHallsMessagesInOrderOnlyWhileAHandlerIsInstalled)
{
    const QString title = QStringLiteral("琼蔚山庄");
    FakeHall hall(title);
    const int32_t handle = HallLink::FindWindow(title);
    ASSERT_TRUE(hall.WaitForClient());

    std::vector<Message> seen;
    const HallLink::Handler record = [&](int32_t msg, int32_t wParam, int32_t lParam) {
        seen.push_back(Message{msg, wParam, lParam});
        return 0;
    };
    // The handler goes when it sees 0x16; what follows in the same write is dropped.
    HallLink::SetHandler([&](int32_t msg, int32_t wParam, int32_t lParam) {
        record(msg, wParam, lParam);
        if (msg == 0x16)
            HallLink::SetHandler(nullptr);
        return 0;
    });
    hall.Write({{0x465, 1, 2}, {0x303, 0, -5}, {0x16, 0, 0}, {0x400, 0, 0}});
    // Calls on the link never deliver, even when they wait on the socket.
    HallLink::SendMessage(handle, HallLink::WmSysCommand, HallLink::ScRestore, 0);
    EXPECT_EQ(HallLink::FindWindow(title), handle);
    EXPECT_TRUE(seen.empty());

    ASSERT_TRUE(mjtest::PumpUntil([&] { return seen.size() >= 3; }));
    HallLink::SetHandler(record);
    hall.Write({{0x303, 7, 8}});
    ASSERT_TRUE(mjtest::PumpUntil([&] { return seen.size() >= 4; }));
    const std::vector<Message> expected{{0x465, 1, 2}, {0x303, 0, -5}, {0x16, 0, 0}, {0x303, 7, 8}};
    EXPECT_EQ(seen, expected);
}

TEST_F(HallLinkTest, AMessageArrivingWhileTheHandlerWaitsRunsAfterIt)
{
    const QString title = QStringLiteral("琼蔚山庄");
    FakeHall hall(title);
    ASSERT_NE(HallLink::FindWindow(title), 0);
    ASSERT_TRUE(hall.WaitForClient());

    QStringList events;
    HallLink::SetHandler([&](int32_t msg, int32_t, int32_t) {
        events << QStringLiteral("begin %1").arg(msg, 0, 16);
        if (msg == 0x303) {
            // Leaving the table waits handling events; the hall speaks meanwhile.
            hall.Write({{0x400, 0, 0}});
            EXPECT_TRUE(mjtest::PumpUntil([] { return HallLink::Pending() == 1; }));
        }
        if (msg == 0x465)
            throw RuntimeError(ErrInvalidCall, QString());
        events << QStringLiteral("end %1").arg(msg, 0, 16);
        return 0;
    });
    hall.Write({{0x303, 0, 0}});
    ASSERT_TRUE(mjtest::PumpUntil([&] { return events.contains(u"end 400"); }));
    EXPECT_EQ(events, QStringList({"begin 303", "end 303", "begin 400", "end 400"}));

    // A handler that fails does not stop the messages behind it.
    SetUnhandledErrorAction([](const RuntimeError&) {});
    events.clear();
    hall.Write({{0x465, 0, 0}, {0x16, 0, 0}});
    ASSERT_TRUE(mjtest::PumpUntil([&] { return events.contains(u"end 16"); }));
    EXPECT_EQ(events, QStringList({"begin 465", "begin 16", "end 16"}));
}

// The single-instance lock, held by a helper process (locktest) that takes it
// through the same function and keeps it until its stdin closes.
class LockHolder {
public:
    explicit LockHolder(const QString& lockPath)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MJ_INSTANCE_LOCK"), lockPath);
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral(MJ_BUILD_DIR "/locktest"), QStringList());
    }
    ~LockHolder()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    // "locked" or "busy".
    QString Answer()
    {
        mjtest::PumpUntil([this] {
            return process_.canReadLine() || process_.state() == QProcess::NotRunning;
        });
        return QString::fromUtf8(process_.readLine()).trimmed();
    }
    void Kill()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }

private:
    QProcess process_;
};

TEST(InstanceLockTest, ASecondInstanceIsRefusedWhileTheFirstLives)
{
    QTemporaryDir dir;
    const QString lockPath = dir.filePath(QStringLiteral("mjtable.lock"));
    EnvScope env("MJ_INSTANCE_LOCK", lockPath);

    LockHolder first(lockPath);
    ASSERT_EQ(first.Answer(), QStringLiteral("locked"));
    EXPECT_FALSE(InstanceLock::AcquireSingleInstance());
    EXPECT_EQ(LockHolder(lockPath).Answer(), QStringLiteral("busy"));

    // A holder killed outright leaves its lock file behind; it does not count.
    first.Kill();
    EXPECT_TRUE(InstanceLock::AcquireSingleInstance());
    EXPECT_TRUE(InstanceLock::AcquireSingleInstance());
    EXPECT_EQ(LockHolder(lockPath).Answer(), QStringLiteral("busy"));
}

} // namespace
