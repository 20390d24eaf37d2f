// The table window's event procedures of the video: the own camera's frames
// going out through the video link, the peers' frames coming in, the reopen
// icons, the redraw timers and the hover over a remote surface.
#include "client/MainForm.h"

#include "client/Data.h"
#include "controls/Information.h"
#include "social/Mod_Prop.h"
#include "video/Operate.h"
#include "video/VideoState.h"
#include "video/frm_Local.h"
#include "video/frm_Remote1.h"
#include "video/frm_Remote2.h"
#include "video/frm_Remote3.h"

#include <utility>

namespace mj {

namespace {

// The surface of a pop-out window while that window is open; none
// otherwise. Looking never loads a window.
template <class Window>
vshow* openSurface()
{
    if (!isLoaded<Window>())
        return nullptr;
    Window& w = form<Window>();
    return w.Visible() ? &w.vshow1 : nullptr;
}

vshow* openRemoteSurface(int side)
{
    switch (side) {
    case 1: return openSurface<frm_Remote1>();
    case 2: return openSurface<frm_Remote2>();
    case 3: return openSurface<frm_Remote3>();
    default: return nullptr;
    }
}

void drawOn(vshow* surface, const QByteArray& frame)
{
    if (!surface)
        return;
    surface->ShowFrame(frame);
    surface->SetVisible(true);
    surface->ZOrder(0);
}

// The side 1..3 whose player is joined into the slot; 0 for none.
int16_t sideOfSlot(const P2PSocket& link, int16_t slot)
{
    const QString user = link.UserID(slot);
    if (user.isEmpty())
        return 0;
    for (int16_t k = 1; k <= 3; ++k) {
        if (custom[k].Name == user)
            return k;
    }
    return 0;
}

} // namespace

void MainForm::WireVideoEvents()
{
    vcap1.OnFrameCaptured = [this](const QByteArray& frame) { vcap1_FrameCaptured(frame); };
    vcap1.OnCaptureFailed = [this] { vcap1_CaptureFailed(); };
    P2PSocket1.OnLoginResult = [this](int16_t status) { P2PSocket1_LoginResult(status); };
    P2PSocket1.OnUserStateChanged = [this](int16_t peer, int16_t state) { P2PSocket1_UserStateChanged(peer, state); };
    P2PSocket1.OnDataReceived = [this](int16_t peer, const QByteArray& frame) { P2PSocket1_DataReceived(peer, frame); };
    ImgShow.OnClick = [this](int16_t i) { ImgShow_Click(i); };
    Timer_Vshow1.OnTimer = [this] { Timer_Vshow1_Timer(); };
    Timer_Vshow2.OnTimer = [this] { Timer_Vshow2_Timer(); };
    Timer_Vshow3.OnTimer = [this] { Timer_Vshow3_Timer(); };
    Timer_Zoom.OnTimer = [this] { Timer_Zoom_Timer(); };
    vshow1.OnMouseMove = [this](int16_t i, int16_t b, int16_t s, float x, float y) { vshow1_MouseMove(i, b, s, x, y); };
    ImCmd.OnClick = [this](int16_t i) { ImCmd_Click(i); };
    ImCmd.OnMouseMove = [this](int16_t i, int16_t b, int16_t s, float x, float y) { ImCmd_MouseMove(i, b, s, x, y); };
    PicLocal.OnMouseMove = [this](int16_t i, int16_t b, int16_t s, float x, float y) { PicLocal_MouseMove(i, b, s, x, y); };
}

// ---- Frames out and in ----------------------------------------------------------------

void MainForm::vcap1_FrameCaptured(const QByteArray& frame)
{
    OwnFrame = frame;
    const int16_t slotCount = std::min<int16_t>(P2PSocket1.UserCount(), 3);
    for (int16_t i = 1; i <= slotCount; ++i) {
        const int16_t state = P2PSocket1.UserState(i);
        if (state <= 9)
            continue;
        if (state == 15) {
            P2PSocket1.SendFrame(i, frame);
            continue;
        }
        // A peer that wants sparse video gets the first three frames after
        // its counter was reset, then one in 21. Only a frame that went out
        // counts: one the link dropped under load is tried again with the
        // next frame.
        const int16_t c = PeerThrottle[i];
        if (c < 3) {
            if (P2PSocket1.SendFrame(i, frame))
                PeerThrottle[i] = static_cast<int16_t>(c + 1);
        } else if (c <= 22) {
            PeerThrottle[i] = static_cast<int16_t>(c + 1);
        } else if (P2PSocket1.SendFrame(i, frame)) {
            PeerThrottle[i] = 3;
        }
    }
    drawOn(openSurface<frm_Local>(), frame);
}

void MainForm::vcap1_CaptureFailed()
{
    if (CameraOn)
        Operate::CameraFailed();
}

void MainForm::P2PSocket1_LoginResult(int16_t)
{
    // Nothing waits for the login; a failed one waits for the next hand.
}

void MainForm::P2PSocket1_UserStateChanged(int16_t peer, int16_t state)
{
    if (state <= 9) {
        // The peer's video stopped coming (the link dropped, or the player
        // left the relay): its seat no longer shows a frozen picture but
        // what it shows before any video. The slot keeps its player, so a
        // new login asks for the video again.
        const int16_t s = sideOfSlot(P2PSocket1, peer);
        if (s != 0 && (PeerShown[s] || vshow1(s).Visible())) {
            Operate::ClearSideVideo(s, false);
            PeerThrottle[peer] = 0;
        }
        return;
    }
    if (state != 14 && state != 15)
        return;
    P2PSocket1.SendFormat(peer, vcap1.VideoFormat());
    P2PSocket1.SendMode(peer, vcap1.Setting5());
    // Before the first own frame there is no picture to send yet.
    if (!OwnFrame.isEmpty())
        P2PSocket1.SendFrame(peer, OwnFrame);
}

void MainForm::P2PSocket1_DataReceived(int16_t peer, const QByteArray& frame)
{
    const int16_t s = sideOfSlot(P2PSocket1, peer);
    if (s == 0)
        return; // a user at no side
    // A frame whose header no surface would take is neither drawn nor kept.
    // The picture itself is decoded once, when it is drawn or first needed.
    if (!FrameAcceptable(frame))
        return;
    const bool accepted = P2PSocket1.UserState(peer) > 9 && !PeerClosed[s];
    if (!accepted) {
        // Sides 2 and 3 keep their player's frames also while they do not
        // show them; side 1 keeps only what it shows.
        if (s != 1)
            PeerFrameUnshown[s] = frame;
        return;
    }
    // Frames come faster than a seat can show them: the newest waits for
    // the next tick, which decodes it and, when it decodes, opens the seat,
    // keeps it and draws it on the seat and its pop-out window.
    PeerFrameUnshown[s].clear();
    PeerFrameDue[s] = frame;
}

void MainForm::RemoteVideoPoll()
{
    for (int16_t s = 1; s <= 3; ++s) {
        if (PeerFrameDue[s].isEmpty())
            continue;
        const QByteArray frame = std::exchange(PeerFrameDue[s], QByteArray());
        if (PeerClosed[s]) {
            // Blocked since it came: not drawn; sides 2 and 3 keep it.
            if (s != 1)
                PeerFrameUnshown[s] = frame;
            continue;
        }
        const QImage picture = DecodeFrame(frame);
        if (picture.isNull())
            continue; // the seat keeps what it had, and a closed seat stays closed
        PeerFrame(s) = frame;
        vshow& surface = vshow1(s);
        if (!surface.Visible() && !PeerShown[s]) {
            Mod_Prop::CallPlugin([s](Tesmora& p) { p.rec_state(2, false, s); });
            ImgKuang(s).SetVisible(true);
            PicLocal(s).SetVisible(true);
            Timer* redraw[] = {&Timer_Vshow1, &Timer_Vshow2, &Timer_Vshow3};
            redraw[s - 1]->SetEnabled(true);
            surface.SetVisible(true);
            surface.ZOrder(0);
            PeerShown[s] = true;
        }
        surface.ShowPicture(picture);
        if (vshow* window = openRemoteSurface(s)) {
            window->ShowPicture(picture);
            window->SetVisible(true);
            window->ZOrder(0);
        }
    }
}

// ---- Reopen icons, redraws, hover ---------------------------------------------------------

void MainForm::ImgShow_Click(int16_t index)
{
    if (index >= 1 && index <= 3) {
        PeerClosed[index] = false;
        Mod_Prop::CallPlugin([index](Tesmora& p) { p.rec_state(2, false, index); });
        ImgKuang(index).SetVisible(true);
        PicLocal(index).SetVisible(true);
        vshow1(index).SetVisible(true);
        vshow1(index).ZOrder(0);
        Timer* redraw[] = {&Timer_Vshow1, &Timer_Vshow2, &Timer_Vshow3};
        redraw[index - 1]->SetEnabled(true);
        return;
    }
    // With video switched off nothing starts the camera.
    if (index != 0 || !CameraOn || !VideoEnabled)
        return;
    // A camera that will not start again takes the failed-start path.
    if (vcap1.StartCapture() != 0) {
        Operate::CameraFailed();
        return;
    }
    vcap1.SetVisible(true);
    PicLocal(0).SetVisible(true);
    vcap1.ZOrder(0);
    ImgShow(0).SetVisible(false);
    PicLocal(0).ZOrder(0);
    Tou(0).SetVisible(false);
    Tou(0).SetEnabled(false);
    Mod_Prop::CallPlugin([](Tesmora& p) { p.rec_state(2, false, 0); });
}

void MainForm::Timer_Vshow1_Timer()
{
    Timer_Vshow1.SetEnabled(false);
    if (PicLocal(1).Visible()) {
        const QByteArray& frame = Operate::KeptFrame(1);
        vshow1(1).ShowFrame(frame);
        vshow1(1).ShowFrame(frame);
    }
}

void MainForm::Timer_Vshow2_Timer()
{
    Timer_Vshow2.SetEnabled(false);
    if (PicLocal(2).Visible()) {
        const QByteArray& frame = Operate::KeptFrame(2);
        vshow1(2).ShowFrame(frame);
        vshow1(2).ShowFrame(frame);
    }
}

void MainForm::Timer_Vshow3_Timer()
{
    Timer_Vshow3.SetEnabled(false);
    if (PicLocal(3).Visible()) {
        const QByteArray& frame = Operate::KeptFrame(3);
        vshow1(3).ShowFrame(frame);
        vshow1(3).ShowFrame(frame);
    }
}

void MainForm::Timer_Zoom_Timer()
{
    Timer_Zoom.SetEnabled(false);
    switch (ZoomIndex) {
    case 0:
        if (vshow* s = openSurface<frm_Local>())
            s->ShowFrame(OwnFrame);
        break;
    case 1:
    case 2:
    case 3:
        if (vshow* s = openRemoteSurface(ZoomIndex))
            s->ShowFrame(Operate::KeptFrame(ZoomIndex));
        break;
    default:
        break;
    }
}

void MainForm::vshow1_MouseMove(int16_t index, int16_t, int16_t, float x, float y)
{
    Information& card = form<Information>();
    if (card.Visible())
        return;
    const PlayerInfo& p = Players[index];
    if (p.Name.isEmpty())
        return;
    const vshow& surface = vshow1(index);
    const bool inside = x > 0 && y > 0 && x < surface.Width() && y < surface.Height();
    if (inside && Mod_Prop::Prop_GameDllState > 0 && !PropVideoShown) {
        PropVideoShown = true;
        if (Mod_Prop::CallPlugin([index](Tesmora& p) { return p.ShowQvVideo(index, true, 0); }).value_or(false))
            PropVideoSide = static_cast<int16_t>(index + 1);
    }
    card.SetTop(Pic1.Top() + Top() + 0.14 * Height());
    const auto width = static_cast<int64_t>(RoundHalfEven((index - 1) * Width()));
    card.SetLeft(Pic1.Left() + Left() + static_cast<double>(width / 3));
    card.ShowPlayer(p);
}

} // namespace mj
