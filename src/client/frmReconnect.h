// The reconnection form. It is loaded by the connection monitor when the
// link is lost after an accepted login and is never shown: its timers count
// down, then try to reconnect every 3 seconds, at most 16 times.
#pragma once

#include "platform/Forms.h"

namespace mj {

inline int16_t ReconnectCountdown = 0; // seconds shown in lbTime
inline int16_t ReconnectTries = 0;     // attempts made, 0 to 16
constexpr int16_t ReconnectTryLimit = 16;

class frmReconnect : public Form {
public:
    frmReconnect();

    Label lbReconnect;
    Label lbTime;
    Image pbReconnect;
    Image pbCancel;
    Timer TimerReconnect; // 1 s
    Timer TimerCount;     // 3 s

    void Form_Load() override;
    void TimerReconnect_Timer();
    void TimerCount_Timer();
    void pbReconnect_Click();
    void pbCancel_Click();

private:
    void ShowCountdown();
    void StartTries();
};

namespace General {
// Turns the login frame into the reconnect frame and starts a new
// connection (directly, or through the proxy).
void RequestReconnect();
} // namespace General

} // namespace mj
