// The video link of a hand: the own camera, the login to the video relay,
// the other players' video and the closing step. The dispatcher calls them;
// each runs once per hand (VideoSteps) and carries on past a failing
// component call.
//
// Watch mode has no video of its own: an onlooker starts no camera, makes no
// video login and joins no peer.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace mj::Operate {

// Starts the own camera once per hand, when video is on; a camera that does
// not start is reported in the system message area.
void StartLocalCamera();
// Logs in to the video relay under the own seat name, once per hand.
void LoginVideoServer();
// Joins the other three players into the transport's slots, once per hand.
void RequestTableVideo();
// Closes every side's video, stops the camera and logs out, once per hand.
void CloseAllVideo();
// Takes side 1..3's video back to what the seat shows before any video:
// surface, frame, icon strip and reopen icon hidden, the avatar in front,
// the plug-in told, the side's flags cleared, its pop-out window hidden, its
// kept frame and any frame waiting to be drawn dropped; with dropSlots, the
// slots holding its player are let go as well.
void ClearSideVideo(int16_t side, bool dropSlots);
// The side's video state alone: reopen icon and pop-out window hidden,
// PeerShown and PeerClosed cleared, the kept and the waiting frame dropped.
void ForgetSideVideo(int16_t side);
// The last frame of side 1..3 that decoded: what its redraws, its pop-out
// window and its photo use.
const QByteArray& KeptFrame(int16_t side);
// With the camera on: the own preview and its icon strip in front, the
// props plug-in told the own video shows.
void ShowLocalVideo(bool cameraOn);
// The own camera failed to start, failed or vanished: the message, CameraOn
// cleared, preview, strip and hint hidden, the avatar back, the plug-in told.
void CameraFailed();

// The relay's port: MJ_VIDEO_RELAY_PORT when set to a port number, else 8888.
int32_t VideoRelayPort();

} // namespace mj::Operate
