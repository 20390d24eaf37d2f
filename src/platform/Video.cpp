#include "platform/Video.h"

#include "platform/TestPattern.h"

#include <QCamera>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QPainter>
#include <QTcpSocket>
#include <QVideoFrame>
#include <QVideoSink>

#include <optional>

namespace mj {

namespace {

void paintPicture(QPainter& painter, const QImage& image)
{
    painter.fillRect(painter.viewport(), Qt::black);
    if (!image.isNull())
        painter.drawImage(painter.viewport(), image);
}

// ---- Capture sources ----------------------------------------------------------

class NoSource : public CaptureSource {
public:
    bool Start() override { return false; }
    void Stop() override {}
    QImage Take() override { return QImage(); }
};

class PatternSource : public CaptureSource {
public:
    bool Start() override { return true; }
    void Stop() override {}
    QImage Take() override { return TestPatternImage(++n_, QStringLiteral("TEST")); }

private:
    int n_ = 0;
};

// The default camera through Qt Multimedia. Its pictures arrive through a
// video sink; the newest one waits for Take.
class CameraSource : public CaptureSource {
public:
    bool Start() override
    {
        if (QMediaDevices::videoInputs().isEmpty())
            return false;
        device_ = QMediaDevices::defaultVideoInput();
        if (device_.isNull())
            return false;
        home_ = std::make_unique<QObject>();
        devices_ = new QMediaDevices(home_.get());
        camera_ = new QCamera(device_, home_.get());
        session_ = new QMediaCaptureSession(home_.get());
        sink_ = new QVideoSink(home_.get());
        session_->setCamera(camera_);
        session_->setVideoSink(sink_);
        QObject::connect(sink_, &QVideoSink::videoFrameChanged, home_.get(), [this](const QVideoFrame& frame) {
            latest_ = frame;
            fresh_ = true;
        });
        QObject::connect(camera_, &QCamera::errorOccurred, home_.get(), [this] { fail(); });
        QObject::connect(devices_, &QMediaDevices::videoInputsChanged, home_.get(), [this] {
            for (const QCameraDevice& d : QMediaDevices::videoInputs()) {
                if (d.id() == device_.id())
                    return;
            }
            fail();
        });
        camera_->start();
        return camera_->error() == QCamera::NoError;
    }
    void Stop() override
    {
        if (camera_)
            camera_->stop();
    }
    QImage Take() override
    {
        if (!fresh_)
            return QImage();
        fresh_ = false;
        return latest_.toImage();
    }

private:
    void fail()
    {
        if (OnFailed)
            OnFailed();
    }

    std::unique_ptr<QObject> home_;
    QCameraDevice device_;
    QMediaDevices* devices_ = nullptr;
    QCamera* camera_ = nullptr;
    QMediaCaptureSession* session_ = nullptr;
    QVideoSink* sink_ = nullptr;
    QVideoFrame latest_;
    bool fresh_ = false;
};

std::optional<VideoSource> g_source;
int64_t g_framesDecoded = 0;
std::function<std::unique_ptr<CaptureSource>()> g_factory;

VideoSource sourceFromEnvironment()
{
    const QByteArray value = qgetenv("MJ_VIDEO_SOURCE");
    if (value == "pattern")
        return VideoSource::Pattern;
    if (value == "none")
        return VideoSource::None;
    return VideoSource::Camera;
}

std::unique_ptr<CaptureSource> makeSource()
{
    if (g_factory)
        return g_factory();
    switch (CurrentVideoSource()) {
    case VideoSource::Pattern: return std::make_unique<PatternSource>();
    case VideoSource::None: return std::make_unique<NoSource>();
    case VideoSource::Camera: break;
    }
    return std::make_unique<CameraSource>();
}

bool isFrameHeader(uint8_t marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

} // namespace

// ---- vshow -----------------------------------------------------------------------

bool JpegHeaderSize(const QByteArray& bytes, int& width, int& height)
{
    const auto at = [&bytes](qsizetype i) { return static_cast<uint8_t>(bytes[i]); };
    const qsizetype size = bytes.size();
    if (size < 4 || at(0) != 0xFF || at(1) != 0xD8)
        return false;
    qsizetype pos = 2;
    while (pos + 2 <= size) {
        if (at(pos) != 0xFF)
            return false;
        const uint8_t marker = at(pos + 1);
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        pos += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // markers without a segment
        if (marker == 0xD9 || marker == 0xDA || marker == 0xD8)
            return false; // the picture ends or its data begin before any frame header
        if (pos + 2 > size)
            return false;
        const int length = (at(pos) << 8) | at(pos + 1);
        if (length < 2)
            return false;
        if (isFrameHeader(marker)) {
            if (length < 8 || pos + 7 > size)
                return false;
            height = (at(pos + 3) << 8) | at(pos + 4);
            width = (at(pos + 5) << 8) | at(pos + 6);
            return true;
        }
        pos += length;
    }
    return false;
}

bool FrameAcceptable(const QByteArray& frame)
{
    if (frame.isEmpty() || frame.size() > MaxShownFrameBytes)
        return false;
    int width = 0, height = 0;
    if (!JpegHeaderSize(frame, width, height))
        return false;
    return width >= 1 && height >= 1 && width <= MaxShownWidth && height <= MaxShownHeight;
}

QImage DecodeFrame(const QByteArray& frame)
{
    if (!FrameAcceptable(frame))
        return QImage();
    ++g_framesDecoded;
    QImage image;
    if (!image.loadFromData(frame, "JPG"))
        return QImage();
    return image;
}

int64_t FramesDecoded()
{
    return g_framesDecoded;
}

vshow::vshow(Container& parent, const QString& name) : Control(parent, name, Layer::Windowed)
{
    Attach(new detail::HostedWidget<QWidget>(this, parent.ContainerWidget()));
}

bool vshow::ShowFrame(const QByteArray& frame)
{
    return ShowPicture(DecodeFrame(frame));
}

bool vshow::ShowPicture(const QImage& picture)
{
    if (picture.isNull())
        return false;
    shown_ = picture;
    ++framesShown_;
    if (Widget())
        Widget()->update();
    return true;
}

void vshow::CopyPropertiesFrom(const Control& source)
{
    const auto& other = static_cast<const vshow&>(source);
    setting1_ = other.setting1_;
    setting0_ = other.setting0_;
    Control::CopyPropertiesFrom(source);
}

void vshow::HostPaint(QPainter& painter)
{
    paintPicture(painter, shown_);
}

// ---- vcap ------------------------------------------------------------------------

void SetVideoSource(VideoSource source)
{
    g_source = source;
}

void SetCaptureSourceFactory(std::function<std::unique_ptr<CaptureSource>()> factory)
{
    g_factory = std::move(factory);
}

VideoSource CurrentVideoSource()
{
    if (!g_source)
        g_source = sourceFromEnvironment();
    return *g_source;
}

vcap::vcap(Container& parent, const QString& name) : Control(parent, name, Layer::Windowed)
{
    Attach(new detail::HostedWidget<QWidget>(this, parent.ContainerWidget()));
    timer_.setInterval(100);
    QObject::connect(&timer_, &QTimer::timeout, [this] { CaptureFrame(); });
}

vcap::~vcap()
{
    timer_.stop();
    if (source_)
        source_->Stop();
}

bool vcap::OpenDevice()
{
    ++openCalls_;
    deviceOpen_ = true;
    return true;
}

void vcap::CloseDevice()
{
    StopCapture();
    deviceOpen_ = false;
}

int16_t vcap::StartCapture()
{
    if (capturing_)
        return 0;
    deviceOpen_ = true;
    source_ = makeSource();
    source_->OnFailed = [this] { sourceFailed(); };
    if (!source_->Start()) {
        source_->Stop();
        return 1;
    }
    capturing_ = true;
    timer_.start();
    return 0;
}

void vcap::StopCapture()
{
    timer_.stop();
    if (source_)
        source_->Stop();
    capturing_ = false;
}

QString vcap::VideoFormat() const
{
    return QStringLiteral("JPEG %1x%2").arg(VideoFrameWidth).arg(VideoFrameHeight);
}

void vcap::CaptureFrame()
{
    if (!capturing_ || !source_)
        return;
    const QImage image = source_->Take();
    if (image.isNull())
        return;
    const QByteArray frame = EncodeVideoFrame(image);
    if (frame.isEmpty())
        return;
    preview_ = image.size() == QSize(VideoFrameWidth, VideoFrameHeight)
        ? image
        : image.scaled(VideoFrameWidth, VideoFrameHeight);
    ++framesCaptured_;
    if (Widget())
        Widget()->update();
    if (OnFrameCaptured)
        OnFrameCaptured(frame);
}

void vcap::sourceFailed()
{
    if (!capturing_)
        return;
    StopCapture();
    if (OnCaptureFailed)
        OnCaptureFailed();
}

void vcap::HostPaint(QPainter& painter)
{
    paintPicture(painter, preview_);
}

// ---- P2PSocket -----------------------------------------------------------------

P2PSocket::P2PSocket() : home_(std::make_unique<QObject>())
{
    loginTimer_ = new QTimer(home_.get());
    loginTimer_->setSingleShot(true);
    QObject::connect(loginTimer_, &QTimer::timeout, home_.get(), [this] {
        if (!loggedIn_)
            linkLost(0);
    });
    pingTimer_ = new QTimer(home_.get());
    QObject::connect(pingTimer_, &QTimer::timeout, home_.get(),
                     [this] { write(VideoWire::EncodeSimple(VideoWire::Ping)); });
    silenceTimer_ = new QTimer(home_.get());
    silenceTimer_->setSingleShot(true);
    QObject::connect(silenceTimer_, &QTimer::timeout, home_.get(), [this] { linkLost(0); });
}

P2PSocket::~P2PSocket()
{
    dropSocket();
}

void P2PSocket::SetTimeouts(int loginMs, int pingMs, int silenceMs)
{
    loginMs_ = loginMs;
    pingMs_ = pingMs;
    silenceMs_ = silenceMs;
}

void P2PSocket::Login(const QString& name)
{
    dropSocket();
    loggedIn_ = false;
    loginName_ = name;
    for (int16_t s = 1; s <= 3; ++s) {
        if (slots_[s].state > 1)
            setState(s, 1);
    }
    if (!VideoWire::NameFits(name) || serverHost_.isEmpty() || serverPort_ <= 0 || serverPort_ > 65535) {
        // Nothing to connect to: the answer comes as an event all the same.
        QTimer::singleShot(0, home_.get(), [this] {
            if (OnLoginResult)
                OnLoginResult(0);
        });
        return;
    }
    socket_ = new QTcpSocket(home_.get());
    reader_ = std::make_unique<VideoWire::Reader>(VideoWire::From::Relay);
    QTcpSocket* socket = socket_;
    QObject::connect(socket, &QTcpSocket::connected, home_.get(), [this] { connected(); });
    QObject::connect(socket, &QTcpSocket::readyRead, home_.get(), [this] { readable(); });
    QObject::connect(socket, &QTcpSocket::disconnected, home_.get(), [this] { linkLost(0); });
    QObject::connect(socket, &QAbstractSocket::errorOccurred, home_.get(), [this] { linkLost(0); });
    loginTimer_->start(loginMs_);
    socket->connectToHost(serverHost_, static_cast<quint16>(serverPort_));
}

void P2PSocket::Logout()
{
    if (socket_ && loggedIn_ && socket_->state() == QAbstractSocket::ConnectedState) {
        socket_->write(VideoWire::EncodeSimple(VideoWire::Bye));
        // Let the goodbye go out; a relay that takes nothing more is cut off.
        QTcpSocket* socket = socket_;
        QObject::disconnect(socket, nullptr, home_.get(), nullptr);
        QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(3000, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
        socket_ = nullptr;
        reader_.reset();
    }
    dropSocket();
    loggedIn_ = false;
    loginName_.clear();
    for (int16_t s = 1; s <= 3; ++s) {
        slots_[s].user.clear();
        slots_[s].format.clear();
        slots_[s].mode = 0;
        setState(s, 0);
    }
}

void P2PSocket::ConnectUser(int16_t slot, const QString& name)
{
    Slot& target = slots_[slot];
    if (!VideoWire::NameFits(name))
        return;
    if (target.user == name && target.state > 0)
        return;
    const QString old = target.user;
    target.user = name;
    target.format.clear();
    target.mode = 0;
    if (!old.isEmpty() && loggedIn_ && !heldElsewhere(slot, old))
        write(VideoWire::EncodeUnwant(old));
    // Another slot with the same user already knows its state.
    for (int16_t s = 1; s <= 3; ++s) {
        if (s != slot && slots_[s].user == name && slots_[s].state > 0) {
            setState(slot, slots_[s].state);
            return;
        }
    }
    setState(slot, 1);
    if (loggedIn_)
        write(VideoWire::EncodeWant(name, true));
}

void P2PSocket::DisconnectUser(int16_t slot)
{
    Slot& target = slots_[slot];
    const QString old = target.user;
    target.user.clear();
    target.format.clear();
    target.mode = 0;
    setState(slot, 0);
    if (!old.isEmpty() && loggedIn_ && !heldElsewhere(slot, old))
        write(VideoWire::EncodeUnwant(old));
}

QString P2PSocket::UserID(int16_t slot) const
{
    return slots_[slot].user;
}

int16_t P2PSocket::UserState(int16_t slot) const
{
    return slots_[slot].state;
}

QString P2PSocket::PeerFormat(int16_t slot) const
{
    return slots_[slot].format;
}

int16_t P2PSocket::PeerMode(int16_t slot) const
{
    return slots_[slot].mode;
}

bool P2PSocket::SendFormat(int16_t slot, const QString& format)
{
    return sendTo(slot, VideoWire::Format, format.toUtf8());
}

bool P2PSocket::SendMode(int16_t slot, int16_t mode)
{
    QByteArray bytes;
    bytes.append(static_cast<char>((static_cast<uint16_t>(mode) >> 8) & 0xFF));
    bytes.append(static_cast<char>(static_cast<uint16_t>(mode) & 0xFF));
    return sendTo(slot, VideoWire::Mode, bytes);
}

bool P2PSocket::SendFrame(int16_t slot, const QByteArray& frame)
{
    return sendTo(slot, VideoWire::Frame, frame);
}

qint64 P2PSocket::Backlog() const
{
    return socket_ ? socket_->bytesToWrite() : 0;
}

bool P2PSocket::sendTo(int16_t slot, VideoWire::Kind kind, const QByteArray& payload)
{
    const Slot& target = slots_[slot];
    if (!loggedIn_ || !socket_ || target.state <= 9 || target.user.isEmpty())
        return false;
    if (!VideoWire::PayloadFits(kind, payload.size()))
        return false;
    if (kind == VideoWire::Frame && Backlog() > MaxBacklog)
        return false;
    write(VideoWire::EncodeSend(target.user, kind, payload));
    return true;
}

void P2PSocket::write(const QByteArray& bytes)
{
    if (socket_ && socket_->state() == QAbstractSocket::ConnectedState)
        socket_->write(bytes);
}

void P2PSocket::connected()
{
    write(VideoWire::EncodeHello(loginName_));
}

void P2PSocket::readable()
{
    QTcpSocket* socket = socket_;
    if (!socket || !reader_)
        return;
    reader_->Append(socket->readAll());
    if (loggedIn_)
        silenceTimer_->start(silenceMs_);
    VideoWire::Message m;
    while (socket_ == socket && reader_) {
        const auto result = reader_->Next(m);
        if (result == VideoWire::Reader::Result::Incomplete)
            return;
        if (result == VideoWire::Reader::Result::Malformed) {
            linkLost(0);
            return;
        }
        handle(m);
    }
}

void P2PSocket::handle(const VideoWire::Message& m)
{
    using namespace VideoWire;
    if (!loggedIn_) {
        // Before the welcome only the welcome or a goodbye may come.
        if (m.type == Welcome && m.value == Accepted) {
            loggedIn_ = true;
            loginTimer_->stop();
            pingTimer_->start(pingMs_);
            silenceTimer_->start(silenceMs_);
            // Each user joined so far is asked for once, by its lowest slot.
            for (int16_t s = 1; s <= 3; ++s) {
                bool first = !slots_[s].user.isEmpty();
                for (int16_t o = 1; o < s; ++o)
                    first = first && slots_[o].user != slots_[s].user;
                if (first)
                    write(EncodeWant(slots_[s].user, true));
            }
            if (OnLoginResult)
                OnLoginResult(2);
        } else if (m.type == Welcome) {
            linkLost(1);
        } else {
            linkLost(0);
        }
        return;
    }
    switch (m.type) {
    case Peer: {
        static const int16_t states[] = {1, 5, 14, 15};
        for (int16_t s = 1; s <= 3; ++s) {
            if (!slots_[s].user.isEmpty() && slots_[s].user == m.name)
                setState(s, states[m.value]);
        }
        break;
    }
    case Data:
        for (int16_t s = 1; s <= 3; ++s) {
            if (slots_[s].user.isEmpty() || slots_[s].user != m.name)
                continue;
            if (m.value == Format) {
                slots_[s].format = QString::fromUtf8(m.payload);
            } else if (m.value == Mode) {
                slots_[s].mode = static_cast<int16_t>((static_cast<uint8_t>(m.payload[0]) << 8)
                                                      | static_cast<uint8_t>(m.payload[1]));
            } else {
                if (OnDataReceived)
                    OnDataReceived(s, m.payload);
                return; // one slot gets the frame
            }
        }
        break;
    case Ping:
        break;
    case RelayBye:
    case Welcome: // a second welcome is out of turn
    default:
        linkLost(0);
        break;
    }
}

void P2PSocket::linkLost(int16_t loginStatus)
{
    const bool answered = loggedIn_;
    if (!socket_ && !answered)
        return; // already down
    dropSocket();
    loggedIn_ = false;
    for (int16_t s = 1; s <= 3; ++s) {
        if (!slots_[s].user.isEmpty())
            setState(s, 1);
    }
    if (!answered && OnLoginResult)
        OnLoginResult(loginStatus);
}

void P2PSocket::dropSocket()
{
    loginTimer_->stop();
    pingTimer_->stop();
    silenceTimer_->stop();
    reader_.reset();
    if (!socket_)
        return;
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    QObject::disconnect(socket, nullptr, home_.get(), nullptr);
    socket->abort();
    socket->deleteLater();
}

bool P2PSocket::heldElsewhere(int16_t slot, const QString& name) const
{
    for (int16_t s = 1; s <= 3; ++s) {
        if (s != slot && slots_[s].user == name)
            return true;
    }
    return false;
}

void P2PSocket::setState(int16_t slot, int16_t state)
{
    if (slots_[slot].state == state)
        return;
    slots_[slot].state = state;
    if (OnUserStateChanged)
        OnUserStateChanged(slot, state);
}

} // namespace mj
