// The hall link and leaving the table.
#pragma once

#include <cstdint>

namespace mj {

// Messages the table window posts to the hall window.
enum HallMessageOut : int32_t {
    HallMsgConnecting = 0x16,
    HallMsgConnected = 0x303,
    HallMsgTableFree = 0x400,
    HallMsgRoundRunning = 0x465,
    HallMsgLoginPending = 0x466,
    HallMsgRoundStarted = 0x467,
};

// Messages the hall window posts to the table window.
enum HallMessageIn : int32_t {
    HallMsgRelogin = 0x16,
    HallMsgLeaveTable = 0x303,
    HallMsgForceLeave = 0x400,
    HallMsgQueryRound = 0x465,
};

namespace Api {

// Posts a message without parameters to the hall window found by HallTitle.
void PostToHall(int32_t message);
// Looks the hall window up by HallTitle: its handle, 0 when there is none.
int32_t FindHallWindow();
// Leaves the table and goes back to the hall.
void ReturnToHall();

} // namespace Api

namespace Operate {
// Restores the hall window found by HallTitle; ends the program when there is none.
void RestoreHallWindow();
// Minimises the hall window; ends the program when there is none.
void MinimizeHallWindow();
} // namespace Operate

} // namespace mj
