// The table window. It holds the table picture Pic1 with every control of
// the table, the window shell's title-bar controls, the socket control, the
// video component and the main loop's timers. Its event procedures live in
// the files of the subsystems that own them.
//
// The constructor gives every control its design values (place, size,
// picture, caption, font, colours, stretching, visibility), in the pixels of
// the 1024 x 768 table inside Pic1 and in twips on the form. The two layout
// passes (NewGame.InitTableLayout, NewGame.InitTableLayoutAndCamera) then
// place the controls for the screen's scale and create the further members
// of the control arrays.
//
// The members are declared in drawing order: a container before the
// controls inside it, and inside Pic1 the pictures that lie underneath
// (the location bar, the video frames, the plates) before what lies on
// them. Windowed controls (picture boxes, list boxes, text boxes, the web
// panels and the video surfaces) are always drawn above the others.
#pragma once

#include "platform/Forms.h"
#include "platform/Video.h"
#include "platform/WebBrowser.h"
#include "platform/Winsock.h"

namespace mj {

class MainForm : public Form {
public:
    MainForm();
    ~MainForm() override;

    // ---- The table ---------------------------------------------------------
    PictureBox Pic1; // the table, in pixels
    PictureBox Pic2; // the 800 x 600 table background for small screens, hidden

    // ---- The window shell (on the form, in twips) ---------------------------
    Image Skin;                 // the skin picture, hidden; cut into nine parts
    Image ImgIcon;              // the window's icon in the title strip
    Label lcaption;             // the caption in the title strip
    Label LbMove;               // the drag handle over the title strip
    ControlArray<Image> ImgClose; // 0 the close button; 1..3 its normal, hover, pressed pictures
    ControlArray<Image> ImgMin;   // 0 the minimise button; 1..3 likewise

    // ---- Inside Pic1, bottom to top -----------------------------------------
    Image imgLocation;            // the bar behind the room label and the phrase buttons
    ControlArray<Image> ImgKuang; // video frames of sides 1..3
    ControlArray<Image> Tou;      // avatars by side
    Image Host;                   // the banker plate
    Label Zhuang;                 // the banker's wind character
    Image ZhiNan;                 // the wind compass
    Image QovRa;                  // invisible anchor of the wild tile and the clock
    Image QV_Image;               // the wild tile
    Image ImgShuffle;             // the seat-change notice
    Label LblShuffle;
    Image Time_Img;               // the turn clock
    Label Number;                 // seconds left on the clock
    Image imgBeishu;              // dice-doubling plate
    Label lblDifen;               // its multiplier
    Image Imgwealth;              // wealth-doubling plate
    Label lbwealth;               // its multiplier
    ControlArray<Image> imgsezi;  // the two small dice of the dice doubling
    ControlArray<Label> lbfont;   // the three room-rule notices
    ControlArray<Label> Nid;      // seat names by side
    ControlArray<Label> Cash;     // seat coins by side
    ControlArray<Label> Level;    // seat levels by side
    Label Location;               // the room
    Image imgword1;               // hot spots of the two phrase buttons
    Image imgword2;
    ControlArray<Image> OK;        // ready marks by side
    ControlArray<Image> Operation; // claim buttons 吃 碰 杠 胡 过
    ControlArray<Image> AnNiu;     // toolbar buttons
    Image Bank;                    // the props warehouse button
    Label Lbchat;                  // hot spot over the chat button of the table picture
    Label Proponeself;             // the own props frame around the own avatar
    ControlArray<Image> MJ_Image;  // the 136 tile images
    ControlArray<Image> Chi;       // chi picker: option k in Chi(2k), Chi(2k + 1)
    ControlArray<Image> Gang;      // gang picker: one candidate each
    ControlArray<Image> SZ_Image;  // the dice picture cache: faces 1..6, tumbling frames
    ControlArray<Image> Sai_Image; // the two thrown dice
    ControlArray<Image> ImgShow;   // reopen icons of the seats' video
    ControlArray<Image> Speak;     // speech bubbles of sides 1..3 (index side - 1)
    ControlArray<Image> tsSpeak;   // follow-the-dealer bubbles of sides 1..3
    Image Words;                   // claim word picture
    Image Bird;                    // the mascot in the lower right corner
    ControlArray<Image> ImgProp;   // treasure boxes of the props plug-in
    Label LbProp;                  // the props label

    // Windowed controls inside Pic1.
    ControlArray<PictureBox> PicLocal; // video icon strips by side
    ControlArray<Image> ImCmd;         // video icons: ImCmd(4s + k) lies in PicLocal(s)
    ControlArray<vshow> vshow1;        // video surfaces of sides 1..3
    vcap vcap1;                        // the own camera's preview
    ControlArray<ListBox> Sysmsg;      // the two system message lines
    TextBox Chat;                      // the chat line
    TextBox Tiplbl;                    // hint box of the own video icons
    WebBrowser WebBrowser1;            // the small web banner over Bird
    WebBrowser WebBrowser2;            // the advertisement panel

    // ---- Not drawn ---------------------------------------------------------
    Winsock Winsock1;
    P2PSocket P2PSocket1; // the video transport
    Timer TimerBong;      // the main loop, 50 ms
    Timer TimerKeepAlive; // 5 s keep-alive while no table is formed
    Timer TimerShuffle;   // seat-change animation
    Timer TimerChat;      // chat flood guard, 800 ms
    Timer TimerProp;      // props animation, 50 ms
    Timer Timer_Zoom;     // redraw of a pop-out video window, 100 ms
    Timer Timer_Vshow1;   // redraws of a newly opened video surface, 30 ms
    Timer Timer_Vshow2;
    Timer Timer_Vshow3;

    // Puts a line into the two-line system message display: cut to 45
    // characters, into Sysmsg(0) while both are empty, into Sysmsg(1) while
    // only that one is empty; when both hold a line, the lines move up.
    // With `whole` the text goes in uncut.
    void ShowSystemLine(const QString& text, bool whole = false);

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
    // Sizes the window and the table to the screen and picks the layout
    // scale; on a small screen the small background goes into the table.
    void FitToScreen();
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
    // True while both title-bar buttons show their normal pictures.
    bool ButtonsAtRest = false;

    // Keys: F1 is the boss key, F1 to F6 go to the props plug-in, Esc toggles
    // the exit dialog, Alt then C opens the chat window.
    void Pic1_KeyDown(int16_t& keyCode, int16_t shift);
    void Pic2_KeyDown(int16_t& keyCode, int16_t shift);
    void Chat_KeyDown(int16_t& keyCode, int16_t shift);
    void Sysmsg_KeyDown(int16_t index, int16_t& keyCode, int16_t shift);
    // True between the chat box's got-focus and lost-focus events.
    bool ChatHasFocus = false;

    // The chat line: Enter sends the box's text (one line per TimerChat
    // period), a Backspace into the private prefix takes the whole prefix and
    // the target out.
    void Chat_KeyPress(int16_t& keyAscii);
    void Chat_Change();
    void TimerChat_Timer();
    // The box's text as it stood when a Backspace was pressed while a private
    // prefix is in force.
    QString ChatTextBeforeBackspace;
    // Set by a Backspace that deletes into the private prefix; the next change
    // of the box takes the whole prefix out instead.
    bool PrefixErasePending = false;

    // The toolbar (button number).
    void AnNiu_Click(int16_t& index);
    void AnNiu_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);
    void TimerShuffle_Timer();

    // The own tiles: hover lift, discard, the right-button pass, the
    // end-of-hand reveals.
    void MJ_Image_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);
    void MJ_Image_MouseDown(int16_t index, int16_t button, int16_t shift, float x, float y);

    // The claim buttons, the chi and gang pickers, the right-button pass over
    // the table and the click on the table that puts the small windows away.
    void Operation_Click(int16_t index);
    void Chi_Click(int16_t index);
    void Gang_Click(int16_t index);
    void Pic1_MouseUp(int16_t button, int16_t shift, float x, float y);
    void Pic2_MouseUp(int16_t button, int16_t shift, float x, float y);
    void Pic1_Click();
    void Pic2_Click();

    // The web panels.
    void WebBrowser1_DownloadComplete();
    void WebBrowser1_DocumentComplete();
    void WebBrowser1_NavigateError();
    void WebBrowser2_DownloadComplete();
    void WebBrowser2_NavigateError();
    // Gives toolbar button `index` the picture of ButtonPicture entry
    // `pictureEntry`.
    void LoadButtonPicture(int index, int pictureEntry);
    // Starts the seat-change show: the notice in front with its first text,
    // its animation timer, and the advertisement page (only an address the
    // panel would load opens it and shows the panel).
    void ShowSeatShuffle();
    void SendReady();

    // Avatars: a click picks the private-chat target, hovering shows the player card.
    void Tou_Click(int16_t& index);
    void Tou_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);
    void Nid_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);
    void Cash_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);
    void Level_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);
    // The wealth plate's tooltip spells the multiplier out.
    void Imgwealth_MouseMove(int16_t button, int16_t shift, float x, float y);
    void lbwealth_MouseMove(int16_t button, int16_t shift, float x, float y);
    // The pointer over the bare table puts the player card away.
    void Pic1_MouseMove(int16_t button, int16_t shift, float x, float y);

    // The chat window's hot spot toggles it; the two phrase hot spots toggle
    // the phrase window with their list.
    void Lbchat_Click();
    void imgword1_Click();
    void imgword2_Click();
    // Video: the own camera's frames and failure, the video link's events,
    // the reopen icons, the redraw timers and the hover over a surface.
    void vcap1_FrameCaptured(const QByteArray& frame);
    void vcap1_CaptureFailed();
    void P2PSocket1_LoginResult(int16_t status);
    void P2PSocket1_UserStateChanged(int16_t peer, int16_t state);
    void P2PSocket1_DataReceived(int16_t peer, const QByteArray& frame);
    // Each tick of the main loop: the newest frame that arrived for each
    // side since the tick before is decoded once and drawn.
    void RemoteVideoPoll();
    void ImgShow_Click(int16_t index);
    void Timer_Vshow1_Timer();
    void Timer_Vshow2_Timer();
    void Timer_Vshow3_Timer();
    void Timer_Zoom_Timer();
    void vshow1_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);
    // The seats' video icons: album, pop-out windows, photos, the own video
    // off, blocking a seat; their pictures under the mouse and the own
    // icons' hint box.
    void ImCmd_Click(int16_t index);
    void ImCmd_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);
    void PicLocal_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y);
    // Props: the store button, the bar that takes its hover away, the own
    // props frame, the treasure boxes and the timer of the label and the
    // award count.
    void Bank_Click();
    void Bank_MouseMove(int16_t button, int16_t shift, float x, float y);
    void imgLocation_MouseMove(int16_t button, int16_t shift, float x, float y);
    void Proponeself_MouseMove(int16_t button, int16_t shift, float x, float y);
    void ImgProp_Click(int16_t index);
    void TimerProp_Timer();

private:
    void ShowPhotoSavedMessage();
    // Connect the title-bar controls and the key-holding controls to their
    // event procedures; the constructor calls them.
    void WireShellEvents();
    void WireKeyEvents();
    void WireSeatEvents();
    void WireChatWindowEvents();
    void WireChatLineEvents();
    void WireVideoEvents();
    void WirePlayerControls();
    void WirePropEvents();
    void SendSlot();
    void ReceiveSlot();
    void StartUp();
    void ReadVideoSetting();
    void TableKeyDown(int16_t key, bool fromPic1);
    void RestTitleButtons();
    void ShowChatWindow();
    void ConnectWatchSlot();
    void FirstLoginWatch();
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
};

} // namespace mj
