// The hall link and leaving the table.
#pragma once

#include <QString>

#include <cstdint>

namespace mj {

// The hall's window title outside auto mode.
inline const QString UsualHallTitle = QStringLiteral("琼蔚山庄");

class MainForm;

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

constexpr int32_t WM_SYSCOMMAND = 0x112;
constexpr int32_t SC_RESTORE = 0xF120;
constexpr int32_t SC_MINIMIZE = 0xF020;

namespace Api {

// Looks the hall window up by HallTitle: its handle (kept in HallWnd), 0
// when there is none.
int32_t FindHallWindow();
// Posts a message without parameters to the hall window; nothing when it is gone.
void PostToHall(int32_t message);
// The table window's window procedure for the hall's messages; any other
// message goes to the form's own handling (returns 0 here).
int32_t WndProc(int32_t hWnd, int32_t uMsg, int32_t wParam, int32_t lParam);
// Opens the first connection by the proxy type (start-up and the hall's
// relogin): directly, with the connect watch sending the login frame; through
// the SOCKS5 proxy; or, for any other type, not at all.
void OpenGameConnection(MainForm& table);
// Tells the server the player leaves the seat and quiets the table.
void SendLeaveSeat();
// Closes the connection and puts the client back to waiting, minimised,
// for the hall.
void ReturnToHall();
// After leaving: with the hall there, the table window is minimised and the
// hall restored; without it the program ends.
void LeaveToHallWindow();

// One leave of the table at a time. A leave waits with events handled (the
// props plug-in's update, the leave-seat frame's wait, the socket's close),
// so a second OK click or a hall message can ask to leave again meanwhile;
// such a request finds the guard taken and does nothing, so the server gets
// one leave-seat frame and the hall one restore. Taking the guard also
// stops a SOCKS5 handshake under way, before anything closes the socket.
class LeaveGuard {
public:
    LeaveGuard();
    ~LeaveGuard();
    LeaveGuard(const LeaveGuard&) = delete;
    LeaveGuard& operator=(const LeaveGuard&) = delete;
    // False when another leave is under way: this one must do nothing.
    explicit operator bool() const { return owner_; }

private:
    bool owner_;
};
// True while a leave of the table is under way.
bool Leaving();

} // namespace Api

namespace Operate {
// Restores the hall window found by HallTitle; ends the program when there is none.
void RestoreHallWindow();
// Minimises the hall window; ends the program when there is none.
void MinimizeHallWindow();
} // namespace Operate

} // namespace mj
