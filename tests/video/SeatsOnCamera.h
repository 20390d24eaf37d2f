// The seats' video as a hand brings it, for the tests that look at seats on
// camera: an in-process relay whose test peers sit at the demonstration's
// other seats (wang, li and zhao, each sending the test pattern under its
// name), the own camera on the pattern, and the demonstration's frames
// through the dispatcher up to its first discard, which asks for the
// others' video; then the main loop's ticks until every seat drew a frame.
#pragma once

#include "FakeHall.h"
#include "FrameBuilder.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "mjrelay/Relay.h"
#include "platform/Clock.h"
#include "platform/Program.h"
#include "platform/Video.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace mjtest {

class SeatsOnCamera {
public:
    explicit SeatsOnCamera(const QString& hallTitle) : hall_(hallTitle), title_(hallTitle) {}
    ~SeatsOnCamera()
    {
        if (table_) {
            table_->P2PSocket1.Logout();
            table_->vcap1.StopCapture();
        }
        qunsetenv("MJ_VIDEO_RELAY_PORT");
        mj::Clock::SetIdleStep(nullptr);
        mj::SetVideoSource(mj::VideoSource::Camera);
        mj::SetProgramFolder(QString());
    }

    // Seats the demonstration's table on the laid-out window and plays its
    // hand to the first discard; returns once the own preview and the three
    // seats show video.
    void Open(mj::MainForm& table)
    {
        table_ = &table;
        ASSERT_TRUE(dir_.isValid());
        mj::SetProgramFolder(dir_.path());
        mj::HallTitle = title_;
        // As the start-up leaves it: video on, written down.
        QFile ini(dir_.filePath(QStringLiteral("vidiosetting.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[vidiosetting]\r\nvidiovalue=1\r\n");
        ini.close();
        mj::Clock::SetIdleStep([] { mj::Clock::Advance(0.25); });
        mj::VideoEnabled = true;
        mj::SetVideoSource(mj::VideoSource::Pattern);
        mj::mjrelay::Limits limits;
        limits.framesPerSecond = 100000;
        relay_ = std::make_unique<mj::mjrelay::Relay>(limits);
        ASSERT_TRUE(relay_->Listen(0));
        for (const char* name : {"wang", "li", "zhao"})
            relay_->AddPeer(QString::fromLatin1(name), false);
        qputenv("MJ_VIDEO_RELAY_PORT", QByteArray::number(relay_->Port()));
        mj::GameServer.Host = QStringLiteral("127.0.0.1");
        for (const QByteArray& frame : DemoFrames()) {
            ASSERT_FALSE(EndsProgram([&] { Dispatch(frame); })) << static_cast<int>(frame[3]);
            if (static_cast<uint8_t>(frame[3]) == 2)
                break;
        }
        ASSERT_TRUE(PumpUntil([&] {
            table.RemoteVideoPoll();
            if (table.vcap1.FramesCaptured() == 0)
                return false;
            for (int side = 1; side <= 3; ++side)
                if (!table.vshow1(side).Visible() || table.vshow1(side).FramesShown() == 0)
                    return false;
            return true;
        }, 15000));
    }
    // The side 1..3 where the player sits.
    static int SideOf(const QString& name)
    {
        for (int side = 1; side <= 3; ++side)
            if (mj::custom[side].Name == name)
                return side;
        return 0;
    }

private:
    FakeHall hall_;
    QString title_;
    QTemporaryDir dir_;
    std::unique_ptr<mj::mjrelay::Relay> relay_;
    mj::MainForm* table_ = nullptr;
};

} // namespace mjtest
