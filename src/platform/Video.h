// The video component: the display surfaces (`vshow`), the camera capture
// with its preview (`vcap`) and the peer-to-peer transport (`P2PSocket`)
// through the video relay. Everything runs on the user-interface thread; the
// events are std::function members the owning form wires.
//
// vcap. One capture interface over three sources, chosen for the whole run
// by SetVideoSource (default: the environment variable MJ_VIDEO_SOURCE,
// "pattern" or "none"; anything else is the camera):
// - Camera: the default camera through Qt Multimedia. StartCapture answers
//   not 0 when there is none or it does not start; a camera that fails or
//   goes away later raises OnCaptureFailed and stops the capture.
// - None: StartCapture always answers not 0.
// - Pattern: the moving test pattern (TestPattern.h).
// While capturing, a 100 ms timer takes the newest picture of the source
// (CaptureFrame), so at most 10 frames a second come out: 320 x 240, JPEG,
// each raised as OnFrameCaptured and kept as the preview. OpenDevice may be
// called again and again; StartCapture while capturing answers 0.
//
// vshow. ShowFrame takes only a JPEG of at most 64 KiB whose header gives a
// size of at most 640 x 480, checked before anything is decoded; anything
// else, or a picture that does not decode, is refused and the surface keeps
// its picture. The picture is drawn stretched over the surface. Mouse
// positions are reported in pixels of the surface.
//
// P2PSocket. Three connection slots over one TCP link to the relay
// (VideoWire.h). Login connects, says HELLO and is answered by OnLoginResult:
// 2 logged in, 1 refused by the relay, 0 no link (unreachable, no answer
// within the login time, or a name that cannot travel). Slot states
// (UserState): 0 free; 1 joined (a user is named, not connected); 5 the user
// is online but does not want us; 14 both want each other and the user
// wants sparse video; 15 both want each other and the user wants every frame.
// Our client always wants every frame. Every change of a slot's state raises
// OnUserStateChanged. A link that drops, is ended by the relay or stays
// silent for 30 s (a PING goes every 10 s) leaves every named slot at 1;
// nothing reconnects until the next Login. Frames travel only to a slot
// above 9; a frame over 64 KiB is not sent, and while more than 256 KiB wait
// unsent new frames are dropped (format and mode always go).
#pragma once

#include "platform/Controls.h"
#include "platform/Runtime.h"
#include "platform/VideoWire.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

class QObject;
class QTcpSocket;

namespace mj {

// ---- vshow ---------------------------------------------------------------------------

// Largest frame and picture a surface shows.
inline constexpr int MaxShownFrameBytes = 64 * 1024;
inline constexpr int MaxShownWidth = 640;
inline constexpr int MaxShownHeight = 480;

// The width and height a JPEG's header gives, read without decoding; false
// when the bytes are not a JPEG with a frame header.
bool JpegHeaderSize(const QByteArray& bytes, int& width, int& height);
// True when a surface would take the frame (size and header; the picture
// itself may still fail to decode).
bool FrameAcceptable(const QByteArray& frame);
// The picture of a frame a surface would take: acceptable and decoded; a
// null picture otherwise. One decoding serves every surface that draws it.
QImage DecodeFrame(const QByteArray& frame);
// How many frames DecodeFrame has decoded in this run (each a JPEG decoding,
// the main cost of showing video).
int64_t FramesDecoded();

// A display surface for one peer's video.
class vshow : public Control {
public:
    vshow(Container& parent, const QString& name);

    // Display options; table surfaces set the first, pop-out windows both.
    bool Setting1() const { return setting1_; }
    void SetSetting1(bool value) { setting1_ = value; }
    bool Setting0() const { return setting0_; }
    void SetSetting0(bool value) { setting0_ = value; }

    // Draws one frame at once; false when it was refused (the picture stays).
    bool ShowFrame(const QByteArray& frame);
    // Draws a frame decoded already (DecodeFrame); false for a null picture.
    bool ShowPicture(const QImage& picture);
    // The picture shown; null before the first frame.
    const QImage& Shown() const { return shown_; }
    // How many frames were drawn.
    int FramesShown() const { return framesShown_; }

protected:
    void CopyPropertiesFrom(const Control& source) override;
    void HostPaint(QPainter& painter) override;
    double MouseUnitsPerPixel() const override { return 1.0; }

private:
    bool setting1_ = false;
    bool setting0_ = false;
    QImage shown_;
    int framesShown_ = 0;
};

// ---- vcap ----------------------------------------------------------------------------

enum class VideoSource { Camera, None, Pattern };
// The source every capture uses from its next start.
void SetVideoSource(VideoSource source);
VideoSource CurrentVideoSource();

// Where captured pictures come from.
class CaptureSource {
public:
    virtual ~CaptureSource() = default;
    // Starts delivering; false when it cannot.
    virtual bool Start() = 0;
    virtual void Stop() = 0;
    // The newest picture since the last call; null when there is none.
    virtual QImage Take() = 0;
    // The source calls it when it fails or vanishes while running.
    std::function<void()> OnFailed;
};
// Tests put a source of their own in place of the chosen one; an empty
// factory goes back to the chosen one.
void SetCaptureSourceFactory(std::function<std::unique_ptr<CaptureSource>()> factory);

// The own camera: capture device and preview.
class vcap : public Control {
public:
    vcap(Container& parent, const QString& name);
    ~vcap() override;

    // Opens the capture device; may be called again. True when it is open.
    bool OpenDevice();
    void CloseDevice();
    // 0: capturing (also when it already was); otherwise no camera or the
    // camera would not start.
    int16_t StartCapture();
    void StopCapture();

    // Options the table sets before each start; Setting5 is read back and
    // handed to the peers as the mode.
    bool Setting1() const { return setting1_; }
    void SetSetting1(bool value) { setting1_ = value; }
    bool Setting2() const { return setting2_; }
    void SetSetting2(bool value) { setting2_ = value; }
    bool Setting4() const { return setting4_; }
    void SetSetting4(bool value) { setting4_ = value; }
    int16_t Setting5() const { return setting5_; }
    void SetSetting5(int16_t value) { setting5_ = value; }
    // The frames' format, handed to the peers as it is.
    QString VideoFormat() const;

    bool DeviceOpen() const { return deviceOpen_; }
    bool Capturing() const { return capturing_; }
    // How many times OpenDevice was called.
    int OpenDeviceCalls() const { return openCalls_; }
    // The last captured picture (the preview); null before the first.
    const QImage& Preview() const { return preview_; }
    int FramesCaptured() const { return framesCaptured_; }

    // Takes the source's newest picture now and raises OnFrameCaptured with
    // it; nothing while not capturing or when the source has no new picture.
    // The capture timer calls it every 100 ms.
    void CaptureFrame();

    // Events.
    std::function<void(const QByteArray& frame)> OnFrameCaptured;
    // The camera failed or vanished while capturing; the capture has stopped.
    std::function<void()> OnCaptureFailed;

protected:
    void HostPaint(QPainter& painter) override;

private:
    void sourceFailed();

    bool deviceOpen_ = false;
    bool capturing_ = false;
    int openCalls_ = 0;
    bool setting1_ = false, setting2_ = false, setting4_ = false;
    int16_t setting5_ = 0;
    std::unique_ptr<CaptureSource> source_;
    QTimer timer_;
    QImage preview_;
    int framesCaptured_ = 0;
};

// ---- P2PSocket -------------------------------------------------------------------

// The peer-to-peer video transport through the video relay.
class P2PSocket {
public:
    P2PSocket();
    ~P2PSocket();
    P2PSocket(const P2PSocket&) = delete;
    P2PSocket& operator=(const P2PSocket&) = delete;

    QString ServerHost() const { return serverHost_; }
    void SetServerHost(const QString& value) { serverHost_ = value; }
    int32_t ServerPort() const { return serverPort_; }
    void SetServerPort(int32_t value) { serverPort_ = value; }
    int16_t UserCount() const { return userCount_; }
    void SetUserCount(int16_t value) { userCount_ = value; }

    // Logs in under the name at ServerHost:ServerPort; any earlier link is
    // dropped first. The answer comes as OnLoginResult.
    void Login(const QString& name);
    // Says goodbye, drops the link and frees every slot.
    void Logout();
    // The name of the last Login; empty after Logout.
    QString LoginName() const { return loginName_; }
    // True while the relay has accepted the login and the link stands.
    bool LoggedIn() const { return loggedIn_; }

    // Slots are 1..3; another slot number raises run-time error 9.
    // Joins the user into the slot (state 1 at once, or better when the link
    // knows more). An empty name, or one that cannot travel, joins nobody.
    void ConnectUser(int16_t slot, const QString& name);
    // Frees the slot.
    void DisconnectUser(int16_t slot);
    // The user joined into the slot; empty for a free slot.
    QString UserID(int16_t slot) const;
    int16_t UserState(int16_t slot) const;

    // To the user in the slot, while its state is above 9. False when
    // nothing was sent.
    bool SendFormat(int16_t slot, const QString& format);
    bool SendMode(int16_t slot, int16_t mode);
    bool SendFrame(int16_t slot, const QByteArray& frame);
    // What the slot's user last said of its video; empty before.
    QString PeerFormat(int16_t slot) const;
    int16_t PeerMode(int16_t slot) const;

    // Bytes handed to the link and not yet sent.
    qint64 Backlog() const;
    // Limits of the link, in milliseconds: the answer to a login, the PING
    // interval and the silence that ends the link. Tests shorten them.
    void SetTimeouts(int loginMs, int pingMs, int silenceMs);

    // More than this waiting unsent: new frames are dropped.
    static constexpr qint64 MaxBacklog = 256 * 1024;

    // Events.
    std::function<void(int16_t status)> OnLoginResult;
    std::function<void(int16_t slot, int16_t state)> OnUserStateChanged;
    std::function<void(int16_t slot, const QByteArray& frame)> OnDataReceived;

private:
    struct Slot {
        QString user;
        int16_t state = 0;
        QString format;
        int16_t mode = 0;
    };

    void connected();
    void readable();
    void linkLost(int16_t loginStatus);
    void handle(const VideoWire::Message& m);
    void write(const QByteArray& bytes);
    void setState(int16_t slot, int16_t state);
    bool heldElsewhere(int16_t slot, const QString& name) const;
    bool sendTo(int16_t slot, VideoWire::Kind kind, const QByteArray& payload);
    void dropSocket();

    QString serverHost_;
    int32_t serverPort_ = 0;
    int16_t userCount_ = 0;
    QString loginName_;
    bool loggedIn_ = false;
    VbArray<Slot, 1, 3> slots_;
    int loginMs_ = 10000, pingMs_ = 10000, silenceMs_ = 30000;

    std::unique_ptr<QObject> home_; // receiver of the socket's and timers' signals
    QTcpSocket* socket_ = nullptr;
    std::unique_ptr<VideoWire::Reader> reader_;
    QTimer* loginTimer_ = nullptr;
    QTimer* pingTimer_ = nullptr;
    QTimer* silenceTimer_ = nullptr;
};

} // namespace mj
