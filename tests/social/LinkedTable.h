// The table window of the chat tests: a program folder of its own, a hall in
// this process, sounds recorded, the main loop driven by the test, and the
// link to mjserver over loopback.
#pragma once

#include "FakeHall.h"
#include "ServerProcess.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "client/Mod_Resource.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Gbk.h"
#include "platform/Program.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace mjtest {

class LinkedTable {
protected:
    explicit LinkedTable(const QString& hallTitle) : hall(hallTitle), title_(hallTitle) {}

    // Call from SetUp.
    // The table window, on `screen` when one is given (OpenTableWindow).
    void OpenTable(QSize screen = {})
    {
        ASSERT_TRUE(dir.isValid());
        mj::SetProgramFolder(dir.path());
        w = &OpenTableWindow(title_, screen);
        LeaveTimersToTest(*w);
        mj::Mod_Resource::InitSoundFiles();
        auto owned = std::make_unique<mj::Audio::RecordingBackend>();
        audio = owned.get();
        mj::Audio::SetBackend(std::move(owned));
    }

    // Writes a file into the program folder.
    void WriteFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Puts the file of the project's scripts folder into the program folder.
    void ShipFile(const QString& name)
    {
        const QString from = QStringLiteral(MJ_SOURCE_DIR "/scripts/") + name;
        QFile::remove(dir.filePath(name));
        ASSERT_TRUE(QFile::copy(from, dir.filePath(name))) << from.toStdString();
    }

    // Connects to the server and sends the login frame.
    void ConnectTo(const ServerProcess& server)
    {
        ASSERT_GT(server.Port(), 0);
        mj::Total::BuildLoginFrame(QStringLiteral("player1"), QStringLiteral("pw"));
        mj::DirectLink = true;
        w->Winsock1.SetRemoteHost(QStringLiteral("127.0.0.1"));
        w->Winsock1.SetRemotePort(server.Port());
        w->Winsock1.Connect();
        mj::ConnectWatchOn = true;
        mj::ConnectWatchTicks = 0;
        // The connection comes in real time, however fast the ticks run;
        // between two ticks the events are handled for up to 5 ms.
        QElapsedTimer waited;
        waited.start();
        while (mj::ConnectWatchOn && waited.elapsed() < EventWaitMs) {
            PumpUntil([&] { return w->Winsock1.State() == mj::sckConnected; }, 5);
            Tick();
        }
        ASSERT_FALSE(mj::ConnectWatchOn) << "the login frame never went out";
    }

    // One turn of the main loop, 50 ms later.
    void Tick()
    {
        mj::Clock::Advance(0.05);
        w->TimerBong_Timer();
    }

    // Runs the main loop until `count` frames from the server were handled,
    // waiting for the server in real time (up to the tests' event wait while
    // no frame comes).
    int HandleFrames(int count)
    {
        int handled = 0;
        QElapsedTimer waited;
        waited.start();
        while (handled < count && waited.elapsed() < EventWaitMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const int32_t before = mj::Total::RecvReadPos;
            Tick();
            if (mj::Total::RecvReadPos != before) {
                ++handled;
                waited.restart();
            } else if (mj::Total::RecvWaiting() < mj::FrameSize)
                PumpUntil([&] { return w->Winsock1.BytesAvailable() > 0; }, 20);
        }
        return handled;
    }

    // Sends what is queued and returns the next chat frame the server records.
    QByteArray NextChatFrame(ServerProcess& server)
    {
        const auto chats = [&] { return server.Received().filter(QStringLiteral("recv 19 ")); };
        const qsizetype before = chats().size();
        for (int t = 0; t < 10 && mj::Total::SendWaiting() > 0; ++t)
            Tick();
        if (!PumpUntil([&] { return chats().size() > before; }))
            return {};
        return QByteArray::fromHex(chats()[before].section(u' ', 7).toLatin1());
    }

    QTemporaryDir dir;
    FakeHall hall;
    mj::MainForm* w = nullptr;
    mj::Audio::RecordingBackend* audio = nullptr;

private:
    QString title_;
};

// A chat frame as the client must send it (no session token).
inline QByteArray ChatFrame(uint8_t seat, std::array<uint16_t, 4> values, const QString& text)
{
    QByteArray f(272, '\0');
    f[3] = 19;
    f[6] = static_cast<char>(seat);
    for (int k = 0; k < 4; ++k) {
        f[8 + 2 * k] = static_cast<char>(values[k] >> 8);
        f[9 + 2 * k] = static_cast<char>(values[k] & 0xFF);
    }
    const QByteArray bytes = mj::Gbk::Encode(text);
    f.replace(16, bytes.size(), bytes);
    return f;
}

} // namespace mjtest
