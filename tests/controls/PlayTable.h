// The seated table linked to the scripted game server over loopback, with
// the own hand dealt and the server's claim offer (code 6) taken by the
// dispatcher: the player's clicks go through the real controls, the requests
// through the send ring and the socket, and the server records every frame.
#pragma once

#include "FrameBuilder.h"
#include "SeatedTable.h"
#include "ServerProcess.h"

#include "client/Api.h"
#include "client/Image_Resource.h"
#include "client/Mod_Proxy.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "controls/Operate.h"
#include "platform/Winsock.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>

#include <memory>
#include <vector>

namespace mjtest {

// A request frame of the own seat as the server must receive it.
inline QByteArray RequestFrame(int code, uint8_t seat, std::vector<uint16_t> values, const QByteArray& body = {},
                               uint16_t token = 0x1234)
{
    QByteArray f(272, '\0');
    f[2] = static_cast<char>(code >> 8);
    f[3] = static_cast<char>(code & 0xFF);
    f[6] = static_cast<char>(seat);
    values.resize(4);
    for (int k = 0; k < 4; ++k) {
        f[8 + 2 * k] = static_cast<char>(values[k] >> 8);
        f[9 + 2 * k] = static_cast<char>(values[k] & 0xFF);
    }
    for (int i = 0; i < body.size(); ++i)
        f[16 + i] = body[i];
    f[260] = static_cast<char>(token >> 8);
    f[261] = static_cast<char>(token & 0xFF);
    return f;
}

class PlayTable : public SeatedTable {
protected:
    void SetUp() override
    {
        SeatedTable::SetUp();
        server = std::make_unique<ServerProcess>(QStringLiteral("wait-close timeout 120\n"));
        ASSERT_GT(server->Port(), 0);
        mj::DirectLink = true;
        f->Winsock1.SetRemoteHost(QStringLiteral("127.0.0.1"));
        f->Winsock1.SetRemotePort(server->Port());
        f->Winsock1.Connect();
        ASSERT_TRUE(PumpUntil([&] { return f->Winsock1.State() == mj::sckConnected; }));
        mj::Total::SessionToken[0] = 0x12;
        mj::Total::SessionToken[1] = 0x34;
        mj::LoggedIn = true;
        mj::ButtonUsed[2] = true;
        mj::TurnSeconds = 10;
        mj::Players[0].Name = QStringLiteral("甲");
        mj::Clock::SetIdleStep([] { mj::Clock::Advance(0.25); });
    }
    void TearDown() override
    {
        f->Winsock1.Close();
        SeatedTable::TearDown();
    }

    // The own hand: 13 tiles dealt (12 and one drawn) and, with a 14th, the
    // own turn's draw; sorted as the deal leaves it.
    void OwnHand(const std::vector<int16_t>& codes)
    {
        Deal(0, std::vector<int16_t>(codes.begin(), codes.begin() + 12));
        for (size_t i = 12; i < codes.size(); ++i)
            Draw(0, codes[i]);
        mj::Operate::SortHand(0, mj::custom[0].sum);
        mj::TileW[0] = mj::CInt(48 * S());
        mj::TileH[0] = mj::CInt(78 * S());
    }

    // Another seat's discard parked at the centre, as the dispatcher leaves it.
    void OtherDiscard(int side, int16_t code)
    {
        Deal(side, std::vector<int16_t>(12, 0x11));
        mj::Operate::ShowDiscard(MaskOf(side), code);
    }

    // The claim offer (code 6) for the own seat, through the dispatcher as
    // the server sends it: `bits` in value(0), the turn length in frame byte
    // 100 and the link's token.
    void Offer(int bits, uint8_t seconds = 10)
    {
        Dispatch(frames::WithHeader(6, Own(), static_cast<uint16_t>(bits)).Byte(100, seconds).Token(0x1234));
    }

    // Sends what waits in the send ring through the main loop's send slot and
    // returns every frame the server has received since the last call, once
    // `expected` more have arrived.
    QList<QByteArray> Sent(int expected)
    {
        for (int t = 0; t < 200 && mj::Total::SendWaiting() >= mj::FrameSize; ++t)
            f->TimerBong_Timer();
        EXPECT_TRUE(PumpUntil([&] { return server->Received().size() >= seen + expected; }))
            << "frames seen: " << server->Received().size() - seen << " of " << expected;
        QList<QByteArray> frames;
        const QStringList lines = server->Received();
        for (int i = seen; i < lines.size(); ++i)
            frames << QByteArray::fromHex(lines[i].section(u' ', 7).toLatin1());
        seen = static_cast<int>(lines.size());
        return frames;
    }
    // Nothing new waits to be sent.
    bool NothingQueued() const { return mj::Total::SendWaiting() == 0; }
    // Runs the main loop for `ticks` turns of 50 ms, then sends a marker frame
    // of a code the client never uses and returns every frame the server
    // received before it: what the ticks (and anything before them) sent.
    QList<QByteArray> SentOverTicks(int ticks)
    {
        for (int t = 0; t < ticks; ++t) {
            mj::Clock::Advance(0.05);
            f->TimerBong_Timer();
        }
        mj::MsgHeader marker;
        marker.Code = MarkerCode;
        EXPECT_TRUE(mj::Total::QueueMessage(marker));
        QList<QByteArray> frames;
        for (int round = 0; round < 50; ++round) {
            for (const QByteArray& frame : Sent(1)) {
                if (static_cast<uint8_t>(frame[3]) == MarkerCode)
                    return frames;
                frames << frame;
            }
        }
        ADD_FAILURE() << "the marker frame never arrived";
        return frames;
    }
    static constexpr int MarkerCode = 0x7E;
    // Frames as hex text, for readable comparisons.
    static std::vector<QByteArray> Hex(const QList<QByteArray>& frames)
    {
        std::vector<QByteArray> v;
        for (const QByteArray& frame : frames)
            v.push_back(frame.toHex());
        return v;
    }

    QWidget* Tile(int image) const { return f->MJ_Image(image).Widget(); }
    int HandImage(int k) const { return mj::custom[0].Slots[mj::custom[0].FirstConcealed + k].Image; }
    uint8_t Own() const { return mj::custom[0].SeatMask; }

    bool Shot(const QString& name)
    {
        const QString path = ArtifactDir() + QStringLiteral("/%1-%2.png").arg(name, small() ? "800x600" : "1024x768");
        return f->SaveImage(path) && QImage(path).size() == (small() ? QSize(800, 600) : QSize(1024, 768));
    }

    std::unique_ptr<ServerProcess> server;
    int seen = 0;
};

} // namespace mjtest
