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

    // Start-up and the window shell.
    void Form_Load() override;
    void Form_Unload(int16_t& cancel) override;
    void Form_Resize() override;
    void Form_MouseMove(int16_t button, int16_t shift, float x, float y) override;
    void Form_KeyDown(int16_t& keyCode, int16_t shift) override;
    bool Is_File_Exist(QString path, QString fileName);
    void DrawSkin();
    void ImgClose_Click(int16_t index);
    void ImgClose_MouseDown(int16_t index, int16_t button, int16_t shift, float x, float y);
    void ImgClose_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);
    void ImgClose_MouseUp(int16_t index, int16_t button, int16_t shift, float x, float y);
    void ImgMin_Click(int16_t index);
    void ImgMin_MouseDown(int16_t index, int16_t button, int16_t shift, float x, float y);
    void ImgMin_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);
    void ImgMin_MouseUp(int16_t index, int16_t button, int16_t shift, float x, float y);
    void LbMove_MouseDown(int16_t button, int16_t shift, float x, float y);
    void LbMove_MouseMove(int16_t button, int16_t shift, float x, float y);

    // Keys: F1 is the boss key, F1 to F6 go to the props plug-in, Esc toggles
    // the exit dialog, Alt then C opens the chat window.
    void Pic1_KeyDown(int16_t& keyCode, int16_t shift);
    void Pic2_KeyDown(int16_t& keyCode, int16_t shift);
    void Chat_KeyDown(int16_t& keyCode, int16_t shift);
    void Sysmsg_KeyDown(int16_t index, int16_t& keyCode, int16_t shift);

    // The toolbar (button number).
    void AnNiu_Click(int16_t& index);

    // The web panels.
    void WebBrowser1_DownloadComplete();
    void WebBrowser1_DocumentComplete();
    void WebBrowser1_NavigateError();
    void WebBrowser2_DownloadComplete();
    void WebBrowser2_NavigateError();
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
