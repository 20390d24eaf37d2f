// The video component: the display surfaces (`vshow`), the camera capture
// with its preview (`vcap`) and the peer-to-peer transport (`P2PSocket`).
//
// This is the component's first form. It gives the table window the
// controls with the geometry, visibility and calls that the table layout and
// start-up make, and keeps what they set, but it captures, shows and sends
// nothing yet:
// - `vshow` is a windowed black surface with its Setting1 flag.
// - `vcap` is a windowed black preview; OpenDevice and CloseDevice record
//   that the device is open, StartCapture reports failure (no camera is
//   used), StopCapture stops nothing.
// - `P2PSocket` keeps its server, port and user count and the logged-in
//   name; it opens no connection.
// The video chat replaces the insides of these classes and keeps their
// interface.
#pragma once

#include "platform/Controls.h"

#include <QString>

#include <cstdint>

namespace mj {

// A display surface for one peer's video.
class vshow : public Control {
public:
    vshow(Container& parent, const QString& name);

    // A display option of the component; the table sets it true for the
    // first surface and false for the others.
    bool Setting1() const { return setting1_; }
    void SetSetting1(bool value) { setting1_ = value; }

protected:
    void CopyPropertiesFrom(const Control& source) override;
    void HostPaint(QPainter& painter) override;

private:
    bool setting1_ = false;
};

// The own camera: capture device and preview.
class vcap : public Control {
public:
    vcap(Container& parent, const QString& name);

    // Opens the capture device; true when it is open.
    bool OpenDevice();
    void CloseDevice();
    // Starts capturing; false when it cannot (always, in this first form).
    bool StartCapture();
    void StopCapture();

    bool DeviceOpen() const { return deviceOpen_; }
    bool Capturing() const { return capturing_; }
    // How many times OpenDevice was called.
    int OpenDeviceCalls() const { return openCalls_; }

protected:
    void HostPaint(QPainter& painter) override;

private:
    bool deviceOpen_ = false;
    bool capturing_ = false;
    int openCalls_ = 0;
};

// The peer-to-peer video transport through the video server.
class P2PSocket {
public:
    QString ServerHost() const { return serverHost_; }
    void SetServerHost(const QString& value) { serverHost_ = value; }
    int32_t ServerPort() const { return serverPort_; }
    void SetServerPort(int32_t value) { serverPort_ = value; }
    int16_t UserCount() const { return userCount_; }
    void SetUserCount(int16_t value) { userCount_ = value; }

    // Logs in under the player's name; Logout ends it.
    void Login(const QString& name);
    void Logout();
    // The logged-in name; empty when not logged in.
    QString LoginName() const { return loginName_; }
    // Drops the peer of connection slot 1..3.
    void DisconnectUser(int16_t slot);
    // The name of the peer in connection slot 1..3; empty for none.
    QString UserID(int16_t slot) const;

private:
    QString serverHost_;
    int32_t serverPort_ = 0;
    int16_t userCount_ = 0;
    QString loginName_;
};

} // namespace mj
