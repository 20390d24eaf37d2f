// The state of the video link that the rest of the table touches.
#pragma once

#include "platform/Runtime.h"

#include <QByteArray>

#include <cstdint>

namespace mj {

inline bool P2PStarted = false;
inline VbArray<bool, 1, 3> PeerShown;      // by side: the surface was opened by a frame
inline VbArray<bool, 1, 3> PeerClosed;     // by side: the player closed that video
inline VbArray<int16_t, 1, 3> PeerThrottle; // by connection slot
inline QByteArray OwnFrame;
inline QByteArray PeerFrame1, PeerFrame2, PeerFrame3;
// By side: the newest accepted frame not drawn yet; the main loop's next
// tick decodes and draws it, so a side never draws more than one frame a
// tick. Only a frame that decodes opens the side and becomes its kept frame.
inline VbArray<QByteArray, 1, 3> PeerFrameDue;
// By side 2 and 3: the newest frame of the side's player that the side does
// not show (blocked, or from a slot not connected yet), not decoded yet; it
// becomes the kept frame when the kept frame is next read (KeptFrame), if it
// decodes. A blocked side decodes nothing while nobody looks.
inline VbArray<QByteArray, 1, 3> PeerFrameUnshown;
// The pop-out window whose last frame the zoom redraw draws: 0 the own
// window, 1..3 a side's.
inline int16_t ZoomIndex = 0;
// The props plug-in's video pop-up over a surface, shared with the props
// host: asked once per visit of the pointer; side + 1 of the pop-up shown,
// 0 for none.
inline bool PropVideoShown = false;
inline int16_t PropVideoSide = 0;
// By video icon ImCmd(i): the icon shows its picture under the mouse.
inline VbArray<bool, 0, 15> VideoIconHover;

// The frame kept for side 1..3; error 9 for another side.
inline QByteArray& PeerFrame(int side)
{
    switch (side) {
    case 1: return PeerFrame1;
    case 2: return PeerFrame2;
    case 3: return PeerFrame3;
    default: Raise(ErrSubscript);
    }
}

// Side 1..3's kept frame and every frame waiting to be drawn or kept.
inline void DropSideFrames(int side)
{
    PeerFrame(side).clear();
    PeerFrameDue[side].clear();
    PeerFrameUnshown[side].clear();
}

inline void ResetVideoState()
{
    P2PStarted = false;
    PeerShown.Fill(false);
    PeerClosed.Fill(false);
    PeerThrottle.Fill(0);
    OwnFrame.clear();
    PeerFrame1.clear();
    PeerFrame2.clear();
    PeerFrame3.clear();
    PeerFrameDue.Fill(QByteArray());
    PeerFrameUnshown.Fill(QByteArray());
    ZoomIndex = 0;
    PropVideoShown = false;
    PropVideoSide = 0;
    VideoIconHover.Fill(false);
}

} // namespace mj
