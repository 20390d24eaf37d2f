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
}

} // namespace mj
