// The video component: the surface's guard against bad frames, the capture
// sources and their frame pacing, the transport's slots, and the wire codec's
// refusal of malformed messages.
#include "TableSupport.h"
#include "TestSupport.h"

#include "platform/Forms.h"
#include "platform/TestPattern.h"
#include "platform/Video.h"
#include "platform/VideoWire.h"

#include <QBuffer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QElapsedTimer>
#include <QCameraDevice>
#include <QMediaDevices>

#include <gtest/gtest.h>

#include <memory>

using namespace mj;

namespace {

class VideoForm : public Form {
public:
    VideoForm() : Form(QStringLiteral("VideoForm"), ScaleMode::Pixels), show(*this, QStringLiteral("show")),
        cap(*this, QStringLiteral("cap"))
    {
        show.Move(0, 0, 116, 95);
        cap.Move(0, 100, 85, 83);
    }
    vshow show;
    vcap cap;
};

QByteArray jpeg(int width, int height, QColor color = Qt::red)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

// A JPEG whose frame header claims another size than its data hold.
QByteArray claimingSize(QByteArray bytes, int width, int height)
{
    for (qsizetype i = 2; i + 9 < bytes.size(); ++i) {
        if (static_cast<uint8_t>(bytes[i]) == 0xFF && static_cast<uint8_t>(bytes[i + 1]) == 0xC0) {
            bytes[i + 5] = static_cast<char>(height >> 8);
            bytes[i + 6] = static_cast<char>(height & 0xFF);
            bytes[i + 7] = static_cast<char>(width >> 8);
            bytes[i + 8] = static_cast<char>(width & 0xFF);
            return bytes;
        }
    }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

// A capture source driven by the test.
class FakeSource : public CaptureSource {
public:
    explicit FakeSource(bool starts) : starts_(starts) {}
    bool Start() override { return starts_; }
    void Stop() override {}
    QImage Take() override { return TestPatternImage(++n, QStringLiteral("FAKE")); }
    int n = 0;

private:
    bool starts_;
};

class VideoComponentTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetCaptureSourceFactory({});
        SetVideoSource(VideoSource::Camera);
    }
    VideoForm& f = formWithoutLoadEvent<VideoForm>();
};

} // namespace

// Frames the surface must refuse, whatever they hold, before decoding: the
// picture shown stays the last good one.
TEST_F(VideoComponentTest, SurfaceRefusesBrokenAndOversizedFrames)
{
    const QByteArray good = jpeg(320, 240, Qt::green);
    ASSERT_TRUE(f.show.ShowFrame(good));
    const QRgb kept = f.show.Shown().pixel(10, 10);

    QByteArray padded = jpeg(320, 240, Qt::blue);
    padded.append(QByteArray(70 * 1024 - padded.size(), '\0'));
    QByteArray garbage = good;
    for (qsizetype i = 20; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 7);
    const struct {
        const char* name;
        QByteArray frame;
    } refused[] = {
        {"empty", QByteArray()},
        {"70 KiB", padded},
        {"claims 30000 x 30000", claimingSize(jpeg(320, 240, Qt::blue), 30000, 30000)},
        {"claims 641 x 480", claimingSize(jpeg(320, 240, Qt::blue), 641, 480)},
        {"claims 0 x 240", claimingSize(jpeg(320, 240, Qt::blue), 0, 240)},
        {"not a JPEG", QByteArray("GIF89a......")},
        {"corrupt after the start", garbage},
        {"header only", good.left(2)},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(f.show.ShowFrame(c.frame)) << c.name;
        EXPECT_EQ(f.show.Shown().pixel(10, 10), kept) << c.name;
    }
    EXPECT_EQ(f.show.FramesShown(), 1);

    EXPECT_TRUE(f.show.ShowFrame(jpeg(640, 480, Qt::blue)));
    EXPECT_EQ(f.show.FramesShown(), 2);
}

// The header reader stops at every cut of a real header without reading
// past the bytes it has.
TEST_F(VideoComponentTest, HeaderCutAtEveryByteIsRefused)
{
    const QByteArray whole = jpeg(320, 240);
    int width = 0, height = 0;
    ASSERT_TRUE(JpegHeaderSize(whole, width, height));
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    qsizetype sof = whole.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    for (qsizetype cut = 0; cut < sof + 9; ++cut) {
        const QByteArray part(whole.constData(), cut); // a copy of exactly `cut` bytes
        EXPECT_FALSE(JpegHeaderSize(part, width, height)) << cut;
    }
}

TEST_F(VideoComponentTest, SurfaceReportsMouseInItsOwnPixels)
{
    QPointF seen(-1, -1);
    f.show.OnMouseMove = [&](int16_t, int16_t, float x, float y) { seen = QPointF(x, y); };
    mjtest::SendMouse(f.show.Widget(), QEvent::MouseMove, QPointF(30, 40));
    EXPECT_EQ(seen, QPointF(30, 40));
}

// The pattern source: 320 x 240 JPEG frames, each raised and kept as the
// preview; a second start and a second OpenDevice change nothing.
TEST_F(VideoComponentTest, PatternSourceCapturesJpegFrames)
{
    SetVideoSource(VideoSource::Pattern);
    QList<QByteArray> frames;
    f.cap.OnFrameCaptured = [&](const QByteArray& frame) { frames.append(frame); };
    EXPECT_TRUE(f.cap.OpenDevice());
    EXPECT_TRUE(f.cap.OpenDevice());
    f.cap.CaptureFrame();
    EXPECT_TRUE(frames.isEmpty()) << "nothing before the start";
    EXPECT_EQ(f.cap.StartCapture(), 0);
    EXPECT_EQ(f.cap.StartCapture(), 0);
    f.cap.CaptureFrame();
    f.cap.CaptureFrame();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_NE(frames[0], frames[1]) << "the pattern moves";
    for (const QByteArray& frame : frames) {
        int width = 0, height = 0;
        ASSERT_TRUE(JpegHeaderSize(frame, width, height));
        EXPECT_EQ(QSize(width, height), QSize(320, 240));
        EXPECT_TRUE(FrameAcceptable(frame));
    }
    EXPECT_EQ(f.cap.Preview().size(), QSize(320, 240));
    f.cap.StopCapture();
    f.cap.CaptureFrame();
    EXPECT_EQ(frames.size(), 2);
}

// The capture timer paces the frames: never more than 10 a second.
TEST_F(VideoComponentTest, CaptureRunsAtMostTenFramesASecond)
{
    SetVideoSource(VideoSource::Pattern);
    int frames = 0;
    f.cap.OnFrameCaptured = [&](const QByteArray&) { ++frames; };
    ASSERT_EQ(f.cap.StartCapture(), 0);
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(mjtest::PumpUntil([&] { return frames >= 3; }));
    mjtest::PumpUntil([] { return false; }, 300);
    const double seconds = t.elapsed() / 1000.0;
    EXPECT_LE(frames, static_cast<int>(seconds * 10) + 1);
    f.cap.StopCapture();
}

TEST_F(VideoComponentTest, NoCameraAnswersNotZero)
{
    SetVideoSource(VideoSource::None);
    EXPECT_NE(f.cap.StartCapture(), 0);
    EXPECT_FALSE(f.cap.Capturing());
    if (QMediaDevices::videoInputs().isEmpty()) {
        SetVideoSource(VideoSource::Camera);
        EXPECT_NE(f.cap.StartCapture(), 0) << "a machine without a camera";
        EXPECT_FALSE(f.cap.Capturing());
    }
}

// A camera that fails while running stops the capture and raises our event
// once; frames stop.
TEST_F(VideoComponentTest, FailingCameraRaisesTheEventAndStops)
{
    FakeSource* source = nullptr;
    SetCaptureSourceFactory([&] {
        auto s = std::make_unique<FakeSource>(true);
        source = s.get();
        return s;
    });
    int failures = 0, frames = 0;
    f.cap.OnCaptureFailed = [&] { ++failures; };
    f.cap.OnFrameCaptured = [&](const QByteArray&) { ++frames; };
    ASSERT_EQ(f.cap.StartCapture(), 0);
    f.cap.CaptureFrame();
    ASSERT_NE(source, nullptr);
    source->OnFailed();
    source->OnFailed();
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(f.cap.Capturing());
    f.cap.CaptureFrame();
    EXPECT_EQ(frames, 1);
    // It can be started again.
    EXPECT_EQ(f.cap.StartCapture(), 0);
    f.cap.StopCapture();
}

// Slots without a link: joining, the names that join nobody, and slot
// numbers out of range.
TEST_F(VideoComponentTest, SlotsJoinAndFree)
{
    P2PSocket p;
    QList<QPair<int, int>> changes;
    p.OnUserStateChanged = [&](int16_t slot, int16_t state) { changes.append({slot, state}); };
    p.ConnectUser(1, QStringLiteral("东风"));
    EXPECT_EQ(p.UserID(1), QStringLiteral("东风"));
    EXPECT_EQ(p.UserState(1), 1);
    p.ConnectUser(2, QString());
    p.ConnectUser(3, QString(65, QLatin1Char('x')));
    EXPECT_EQ(p.UserState(2), 0);
    EXPECT_EQ(p.UserState(3), 0);
    EXPECT_TRUE(p.UserID(2).isEmpty());
    EXPECT_FALSE(p.SendFrame(1, jpeg(8, 8))) << "not connected";
    p.DisconnectUser(1);
    EXPECT_EQ(p.UserState(1), 0);
    EXPECT_EQ(changes, (QList<QPair<int, int>>{{1, 1}, {1, 0}}));
    for (int16_t bad : {0, 4, -1}) {
        EXPECT_EQ(mjtest::ErrorOf([&] { p.ConnectUser(bad, QStringLiteral("a")); }), ErrSubscript);
        EXPECT_EQ(mjtest::ErrorOf([&] { (void)p.UserState(bad); }), ErrSubscript);
    }
}

// A login with nothing to reach answers 0 as an event.
TEST_F(VideoComponentTest, LoginWithoutRelayAnswersNoLink)
{
    P2PSocket p;
    p.SetServerHost(QStringLiteral("127.0.0.1"));
    p.SetServerPort(mjtest::FreePort());
    QList<int> results;
    p.OnLoginResult = [&](int16_t status) { results.append(status); };
    p.Login(QStringLiteral("player1"));
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !results.isEmpty(); }));
    EXPECT_EQ(results, QList<int>{0});
    results.clear();
    p.Login(QString());
    ASSERT_TRUE(mjtest::PumpUntil([&] { return !results.isEmpty(); }));
    EXPECT_EQ(results, QList<int>{0});
}

// ---- A relay that breaks the protocol -------------------------------------------

namespace {

// A relay that answers a login with `welcome` and then says `stream`, in
// pieces with a pause between them, and closes the link when told.
struct ScriptedRelay {
    QTcpServer server;
    QByteArray welcome;
    QList<QByteArray> pieces;
    bool closeAfter = false;
    bool answersPings = false; // a relay that stalls answers nothing

    ScriptedRelay()
    {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            QTcpSocket* link = server.nextPendingConnection();
            auto reader = std::make_shared<VideoWire::Reader>(VideoWire::From::Client);
            QObject::connect(link, &QTcpSocket::readyRead, link, [this, link, reader] {
                reader->Append(link->readAll());
                VideoWire::Message m;
                while (reader->Next(m) == VideoWire::Reader::Result::Ok) {
                    if (m.type == VideoWire::Hello)
                        answer(link);
                    else if (m.type == VideoWire::Ping && answersPings)
                        link->write(VideoWire::EncodeSimple(VideoWire::Ping));
                }
            });
        });
    }
    void answer(QTcpSocket* link)
    {
        link->write(welcome);
        link->flush();
        int delay = 0;
        for (const QByteArray& piece : pieces) {
            delay += 50;
            QTimer::singleShot(delay, link, [link, piece] {
                link->write(piece);
                link->flush();
            });
        }
        if (closeAfter)
            QTimer::singleShot(delay + 50, link, [link] { link->disconnectFromHost(); });
    }
};

// A message's length field followed by the bytes given, which may disagree.
QByteArray withLength(uint32_t length, const QByteArray& rest)
{
    QByteArray out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(static_cast<char>((length >> shift) & 0xFF));
    return out + rest;
}

} // namespace

// The transport fed streams a relay must not send, after its welcome and a
// mutual want with user b, and before the welcome: garbage, a message over
// the limit, a frame cut mid-way (then the rest, then silence, then a
// close), bad names and values. A broken stream drops the link: every named
// slot falls back to joined, no frame comes out of it, and the login is
// answered 0 when it came before the welcome. A stream that is only slow
// delivers its frame whole; one that stops in the middle of a frame cannot
// be told from a slow one, so its silence limit ends it, not sooner.
TEST_F(VideoComponentTest, MalformedRelayStreamsDropTheLink)
{
    using namespace VideoWire;
    const QByteArray frame = jpeg(16, 12);
    const QByteArray data = EncodeData(QStringLiteral("b"), Frame, frame);
    const QByteArray welcome = EncodeByte(Welcome, Accepted) + EncodePeer(QStringLiteral("b"), MutualEvery);
    // How the link ends after the welcome: at once (well within the silence
    // limit of a minute), by its silence limit, or not at all.
    enum class End { AtOnce, BySilence, Stays };
    constexpr int Slack = 2000; // room for a busy machine
    const struct {
        const char* name;
        bool welcomed;             // the welcome comes first
        QList<QByteArray> pieces;  // then these, 50 ms apart
        bool close;                // then the relay closes
        int frames;                // frames delivered
        End end;
        int silenceMs = 60000;     // the client's silence limit
    } cases[] = {
        {"garbage", true, {QByteArray("\xde\xad\xbe\xef\x00\x01garbage", 13)}, false, 0, End::AtOnce},
        {"a message over the limit", true, {withLength(MaxMessageLength + 1, QByteArray(1, Data))}, false, 0, End::AtOnce},
        {"an unknown type", true, {withLength(1, QByteArray(1, 0x7F))}, false, 0, End::AtOnce},
        {"a frame cut mid-way, then the rest", true, {data.left(9), data.mid(9)}, false, 1, End::Stays, 1000},
        {"a frame cut mid-way, then silence", true, {data.left(data.size() / 2)}, false, 0, End::BySilence, 1000},
        {"a close mid-frame", true, {data.left(data.size() / 2)}, true, 0, End::AtOnce},
        {"a close inside the length", true, {data.left(2)}, true, 0, End::AtOnce},
        {"a frame from a name cut inside a character", true, {withLength(5, QByteArray("\x83\x02" "b\xE7\x03", 5))}, false, 0, End::AtOnce},
        {"a peer status of 4", true, {withLength(4, QByteArray("\x82\x01" "b\x04", 4))}, false, 0, End::AtOnce},
        {"a second welcome", true, {EncodeByte(Welcome, Accepted)}, false, 0, End::AtOnce},
        {"a good frame, then garbage", true, {data, QByteArray(8, '\xff')}, false, 1, End::AtOnce},
        {"garbage before the welcome", false, {QByteArray("HTTP/1.0 200 OK\r\n")}, false, 0, End::AtOnce},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool stays = c.end == End::Stays;
        ScriptedRelay relay;
        relay.welcome = c.welcomed ? welcome : QByteArray();
        relay.pieces = c.pieces;
        relay.closeAfter = c.close;
        relay.answersPings = stays;
        P2PSocket p;
        p.SetTimeouts(1500, 200, c.silenceMs);
        p.SetServerHost(QStringLiteral("127.0.0.1"));
        p.SetServerPort(relay.server.serverPort());
        QList<int> results;
        QList<QByteArray> frames;
        QElapsedTimer sinceAnswer;
        p.OnLoginResult = [&](int16_t status) {
            results.append(status);
            sinceAnswer.start();
        };
        p.OnDataReceived = [&](int16_t, const QByteArray& f) { frames.append(f); };
        p.ConnectUser(1, QStringLiteral("b"));
        p.Login(QStringLiteral("a"));
        ASSERT_TRUE(mjtest::PumpUntil([&] { return !results.isEmpty(); }, 5000));
        EXPECT_EQ(results.first(), c.welcomed ? 2 : 0);
        auto dropped = [&] { return !p.LoggedIn() && p.UserState(1) == 1; };
        // The last piece comes this long after the welcome.
        const int lastPiece = 50 * static_cast<int>(c.pieces.size());
        switch (c.end) {
        case End::Stays:
            // Past the silence limit: the link lives on its PINGs.
            ASSERT_TRUE(mjtest::PumpUntil([&] { return frames.size() == c.frames; }, 5000));
            mjtest::PumpUntil([] { return false; }, c.silenceMs + 300);
            break;
        case End::AtOnce:
            ASSERT_TRUE(mjtest::PumpUntil(dropped, lastPiece + 100 + Slack));
            mjtest::PumpUntil([] { return false; }, 100); // nothing comes out of it afterwards
            break;
        case End::BySilence:
            ASSERT_TRUE(mjtest::PumpUntil(dropped, lastPiece + c.silenceMs + Slack));
            EXPECT_GE(sinceAnswer.elapsed(), c.silenceMs - 100) << "the cut frame alone does not end the link";
            break;
        }
        EXPECT_EQ(frames.size(), c.frames);
        if (c.frames > 0) {
            EXPECT_EQ(frames.first(), frame);
        }
        EXPECT_EQ(p.LoggedIn(), stays);
        EXPECT_EQ(p.UserState(1), stays ? 15 : 1);
        EXPECT_EQ(p.UserID(1), QStringLiteral("b"));
        EXPECT_EQ(results.size(), 1) << "one answer to the login";
    }
}

// ---- The wire codec --------------------------------------------------------------

// What a relay must refuse from a client.
TEST(VideoWireTest, MalformedClientMessages)
{
    using namespace VideoWire;
    const QByteArray name65 = QByteArray(1, 65) + QByteArray(65, 'a');
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"length 0", withLength(0, {})},
        {"over the limit", withLength(MaxMessageLength + 1, QByteArray(1, Ping))},
        {"cut short", withLength(3, QByteArray("\x01\x00\x01", 3))},
        {"unknown type", withLength(1, QByteArray(1, 0x42))},
        {"a relay type", EncodeByte(Welcome, 0)},
        {"65-byte name", withLength(1 + 2 + 66, QByteArray("\x01\x00\x01", 3) + name65)},
        {"empty name", withLength(4, QByteArray("\x01\x00\x01\x00", 4))},
        {"bad UTF-8", withLength(5, QByteArray("\x01\x00\x01\x01\xFF", 5))},
        // A name cut inside a character: alone, or after whole characters.
        {"WANT of a cut 2-byte character", withLength(4, QByteArray("\x02\x01\xDD\x01", 4))},
        {"UNWANT of a cut 3-byte character", withLength(5, QByteArray("\x03\x03" "a\xE7\x8E", 5))},
        {"HELLO of a cut 4-byte character", withLength(7, QByteArray("\x01\x00\x01\x03\xF0\x9F\x80", 7))},
        {"flag 2", withLength(4, QByteArray("\x02\x01" "a" "\x02", 4))},
        {"trailing bytes", withLength(2, QByteArray("\x05\x00", 2))},
        {"mode of 3 bytes", EncodeSend(QStringLiteral("a"), Mode, QByteArray(3, 0))},
        {"format of 65 bytes", EncodeSend(QStringLiteral("a"), Format, QByteArray(65, 'f'))},
        {"frame over 64 KiB", EncodeSend(QStringLiteral("a"), Frame, QByteArray(MaxFrameBytes + 1, 0))},
        {"kind 4", withLength(4, QByteArray("\x04\x01" "a" "\x04", 4))},
    };
    for (const auto& c : cases) {
        Reader r(From::Client);
        r.Append(c.bytes);
        Message m;
        EXPECT_EQ(r.Next(m), Reader::Result::Malformed) << c.name;
        EXPECT_EQ(r.Next(m), Reader::Result::Malformed) << c.name << " stays broken";
    }
}

// What a client must refuse from the relay: a name that is not whole UTF-8
// would otherwise come out shortened, even empty, and match another user.
TEST(VideoWireTest, MalformedRelayNames)
{
    using namespace VideoWire;
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"PEER of a cut character", withLength(4, QByteArray("\x82\x01\xDD\x01", 4))},
        {"DATA from a cut character", withLength(5, QByteArray("\x83\x02" "b\xE7\x03", 5))},
        {"PEER of a lone continuation byte", withLength(4, QByteArray("\x82\x01\x80\x01", 4))},
    };
    for (const auto& c : cases) {
        Reader r(From::Relay);
        r.Append(c.bytes);
        Message m;
        EXPECT_EQ(r.Next(m), Reader::Result::Malformed) << c.name;
    }
    // A name the transport could not send whole does not travel at all.
    EXPECT_FALSE(NameFits(QString(QChar(0xD800))));
    EXPECT_FALSE(NameFits(QStringLiteral("a") + QChar(0xDC00)));
    EXPECT_TRUE(NameFits(QStringLiteral("玩家一")));
}

// Good messages arrive whole however the stream is cut.
TEST(VideoWireTest, MessagesSplitAtEveryByte)
{
    using namespace VideoWire;
    const QByteArray stream = EncodeHello(QStringLiteral("玩家一")) + EncodeWant(QStringLiteral("b"), true)
        + EncodeSend(QStringLiteral("b"), Frame, QByteArray(300, 'x')) + EncodeSimple(Ping);
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        Reader r(From::Client);
        QList<Message> got;
        Message m;
        for (const QByteArray& part : {stream.left(cut), stream.mid(cut)}) {
            r.Append(part);
            Reader::Result result;
            while ((result = r.Next(m)) == Reader::Result::Ok)
                got.append(m);
            ASSERT_EQ(result, Reader::Result::Incomplete) << cut;
        }
        ASSERT_EQ(got.size(), 4) << cut;
        EXPECT_EQ(got[0].name, QStringLiteral("玩家一"));
        EXPECT_EQ(got[0].version, Version);
        EXPECT_EQ(got[1].value, 1);
        EXPECT_EQ(got[2].payload.size(), 300);
        EXPECT_EQ(got[3].type, Ping);
    }
}
