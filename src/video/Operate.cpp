#include "video/Operate.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "client/Mod_Proxy.h"
#include "platform/Video.h"
#include "social/Mod_Prop.h"
#include "video/VideoState.h"
#include "video/frm_Remote1.h"
#include "video/frm_Remote2.h"
#include "video/frm_Remote3.h"

#include <utility>

namespace mj::Operate {

namespace {

void tellPlugin(bool hidden, int16_t side)
{
    Mod_Prop::CallPlugin([=](Tesmora& p) { p.rec_state(2, hidden, side); });
}

// The video procedures go on past a component call that fails.
template <typename Statement>
void step(Statement statement)
{
    try {
        statement();
    } catch (const RuntimeError&) {
    }
}

template <class RemoteWindow>
void hideRemoteWindow()
{
    if (isLoaded<RemoteWindow>())
        form<RemoteWindow>().Hide();
}

void hideRemoteWindow(int side)
{
    switch (side) {
    case 1: hideRemoteWindow<frm_Remote1>(); break;
    case 2: hideRemoteWindow<frm_Remote2>(); break;
    case 3: hideRemoteWindow<frm_Remote3>(); break;
    default: break;
    }
}

} // namespace

int32_t VideoRelayPort()
{
    bool ok = false;
    const int port = qEnvironmentVariable("MJ_VIDEO_RELAY_PORT").toInt(&ok);
    return ok && port > 0 && port <= 65535 ? port : 8888;
}

void StartLocalCamera()
{
    if (WatchMode || !VideoEnabled || VideoSteps[1])
        return;
    VideoSteps[1] = true;
    MainForm& f = form<MainForm>();
    f.PicLocal(0).SetVisible(false);
    f.vcap1.SetVisible(false);
    if (!CameraOn) {
        f.vcap1.OpenDevice();
        f.vcap1.Move(f.Tou(0).Left(), f.Tou(0).Top(), f.Tou(0).Width(), f.Tou(0).Height() - 7 * ScaleX);
        f.Proponeself.Move(f.vcap1.Left() - 10, f.vcap1.Top() - 10, f.vcap1.Width() + 15, f.vcap1.Height() + 35);
        f.Proponeself.SetEnabled(true);
        f.Proponeself.ZOrder(0);
        f.vcap1.SetSetting4(true);
        f.vcap1.SetSetting2(true);
        f.vcap1.SetSetting5(2);
        f.vcap1.SetSetting1(false);
        if (f.vcap1.StartCapture() == 0) {
            CameraOn = true;
            f.PicLocal(0).SetTop(f.vcap1.Top() + f.vcap1.Height());
            VideoPoll = true;
            VideoTicks = 0;
        } else {
            CameraFailed();
        }
    }
    ShowLocalVideo(CameraOn);
}

void CameraFailed()
{
    MainForm& f = form<MainForm>();
    f.vcap1.StopCapture();
    CameraOn = false;
    VideoPoll = false;
    f.vcap1.SetVisible(false);
    f.PicLocal(0).SetVisible(false);
    f.Tiplbl.SetVisible(false);
    f.Tou(0).SetVisible(true);
    f.Tou(0).SetEnabled(true);
    f.Tou(0).ZOrder(0);
    step([] { tellPlugin(true, 0); });
    f.ShowSystemLine(QStringLiteral("您没有视频设备或您的视频源正在使用。"));
}

void ShowLocalVideo(bool cameraOn)
{
    // While video is off the own seat shows its avatar, whatever the flag.
    if (!cameraOn || !VideoEnabled)
        return;
    MainForm& f = form<MainForm>();
    f.Tou(0).SetVisible(true);
    step([] { tellPlugin(false, 0); });
    f.vcap1.SetVisible(true);
    f.vcap1.ZOrder(0);
    f.PicLocal(0).SetVisible(true);
    f.PicLocal(0).ZOrder(0);
}

void LoginVideoServer()
{
    if (WatchMode || VideoSteps[2])
        return;
    VideoSteps[2] = true;
    VideoSteps[4] = false;
    if (VideoEnabled) {
        P2PSocket& link = form<MainForm>().P2PSocket1;
        link.SetServerHost(GameServer.Host);
        link.SetServerPort(VideoRelayPort());
        link.SetUserCount(3);
        step([&] { link.Login(custom[0].Name); });
    }
    ShowLocalVideo(CameraOn);
}

void RequestTableVideo()
{
    if (WatchMode || VideoSteps[3])
        return;
    VideoSteps[3] = true;
    VideoSteps[4] = false;
    if (!VideoEnabled)
        return;
    P2PSocket& link = form<MainForm>().P2PSocket1;
    for (int16_t i = 1; i <= 3; ++i) {
        const QString n = custom[i].Name;
        if (n.isEmpty())
            continue; // an empty seat has nobody to join
        step([&] {
            // The first slot holding the player or, while slot i does not
            // hold it, the first free slot; with neither, slot i.
            int16_t slot = i;
            for (int16_t j = 1; j <= 3; ++j) {
                if (link.UserID(j) == n || (link.UserID(i) != n && link.UserState(j) < 1)) {
                    slot = j;
                    break;
                }
            }
            if (link.UserState(slot) < 10 && slot <= link.UserCount()) {
                if (link.UserID(slot) != n)
                    PeerThrottle[slot] = 0; // a new player starts with the first frames
                link.ConnectUser(slot, n);
            }
        });
    }
}

void ClearSideVideo(int16_t i, bool dropSlots)
{
    MainForm& f = form<MainForm>();
    P2PSocket& link = f.P2PSocket1;
    f.vshow1(i).SetVisible(false);
    f.PicLocal(i).SetVisible(false);
    f.ImgKuang(i).SetVisible(false);
    f.ImgShow(i).SetVisible(false);
    f.Tou(i).SetVisible(true);
    f.Tou(i).ZOrder(0);
    const QString name = custom[i].Name;
    if (!name.isEmpty()) {
        step([&] { tellPlugin(true, i); });
        for (int16_t j = 1; j <= 3 && dropSlots; ++j) {
            step([&] {
                if (link.UserID(j) == name) {
                    PeerThrottle[j] = 0; // the slot that held the side's player
                    link.DisconnectUser(j);
                }
            });
        }
    }
    ForgetSideVideo(i);
}

void ForgetSideVideo(int16_t i)
{
    form<MainForm>().ImgShow(i).SetVisible(false);
    PeerShown[i] = false;
    PeerClosed[i] = false;
    hideRemoteWindow(i);
    DropSideFrames(i);
}

const QByteArray& KeptFrame(int16_t side)
{
    QByteArray& unshown = PeerFrameUnshown[side];
    if (!unshown.isEmpty()) {
        const QByteArray frame = std::exchange(unshown, QByteArray());
        if (!DecodeFrame(frame).isNull())
            PeerFrame(side) = frame;
    }
    return PeerFrame(side);
}

void CloseAllVideo()
{
    if (VideoSteps[4])
        return;
    VideoSteps[4] = true;
    VideoSteps[1] = VideoSteps[2] = VideoSteps[3] = false;
    MainForm& f = form<MainForm>();
    if (!VideoEnabled) {
        // The off switch stopped the camera and took its picture down; the
        // flag goes with the hand's camera, so no later step takes the own
        // seat's picture for a running camera.
        if (CameraOn)
            step([&] { f.vcap1.StopCapture(); });
        CameraOn = false;
        VideoPoll = false;
        return;
    }
    P2PSocket& link = f.P2PSocket1;
    for (int16_t i = 1; i <= 3; ++i)
        ClearSideVideo(i, true);
    if (CameraOn) {
        f.vcap1.StopCapture();
        f.vcap1.SetVisible(false);
        f.PicLocal(0).SetVisible(false);
        f.Tiplbl.SetVisible(false);
        f.ImgShow(0).SetVisible(false);
        f.Tou(0).SetVisible(true);
        f.Tou(0).ZOrder(0);
        step([] { tellPlugin(true, 0); });
    }
    step([&] { link.Logout(); });
    P2PStarted = false;
    CameraOn = false;
}

} // namespace mj::Operate
