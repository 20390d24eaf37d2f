// The table window. It holds the table picture Pic1 with every control of
// the table, the socket control and the main loop's timers. Its event
// procedures live in the files of the subsystems that own them.
#pragma once

#include "platform/Forms.h"
#include "platform/WebBrowser.h"
#include "platform/Winsock.h"

namespace mj {

class MainForm : public Form {
public:
    MainForm();
    ~MainForm() override;

    PictureBox Pic1; // the table, in pixels
    ControlArray<Image> MJ_Image; // the 136 tile images
    ControlArray<Image> AnNiu;    // toolbar buttons
    ControlArray<Image> Speak;    // speech bubbles of sides 1..3 (index side - 1)
    ControlArray<Image> tsSpeak;  // follow-the-dealer bubbles of sides 1..3
    Image Words;                  // claim word picture
    Image Time_Img;               // the turn clock
    Label Number;                 // seconds left on the clock
    Image ImgShuffle;             // the seat-change notice
    Label LblShuffle;
    Label LbProp;                 // the props label
    ControlArray<ListBox> Sysmsg; // the two system message lines
    WebBrowser WebBrowser2;       // the advertisement panel
    Winsock Winsock1;
    Timer TimerBong;      // the main loop, 50 ms
    Timer TimerKeepAlive; // 5 s keep-alive while no table is formed
    Timer TimerShuffle;   // seat-change animation

    // Puts a line into the two-line system message display: cut to 45
    // characters, into Sysmsg(0) while both are empty, into Sysmsg(1) while
    // only that one is empty; when both hold a line, the lines move up.
    void ShowSystemLine(const QString& text);

    // Socket events.
    void Winsock1_DataArrival(int32_t bytesTotal);
    void Winsock1_Close();
    // Moves waiting socket bytes into the receive ring, as far as it has room.
    void ReceiveFromSocket();

    // The main loop.
    void TimerBong_Timer();
    void TimerKeepAlive_Timer();

    // Keys: F1 is the boss key.
    void Pic1_KeyDown(int16_t& keyCode, int16_t shift);
    // Avatars: a click picks the private-chat target, hovering shows the player card.
    void Tou_Click(int16_t& index);
    void Tou_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);

private:
    void SendSlot();
    void ReceiveSlot();
    void ConnectWatchSlot();
    void BlinkSlot();
    void TurnClockSlot();
    void NextRoundSlot();
    void ConnectionMonitorSlot();
    void BubbleHideSlot();
    void PollPropPlugin();
    void SettlementHandOver();
    void TreasureBoxCountdown();
    void LocalVideoPoll();
    void ShowCountdown();
    void Settle();
    void LoadButtonPicture(int index, int pictureEntry);
};

} // namespace mj
