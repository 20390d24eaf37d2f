#include "client/MainForm.h"

#include "client/Image_Resource.h"
#include "client/Mod_Proxy.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "platform/Resources.h"

#include <QAbstractScrollArea>

namespace mj {

namespace {

// Colours of the design (0x00BBGGRR).
constexpr int32_t ColourLightCyan = 0xFFFF80;
constexpr int32_t ColourGreen = 0x00FF00;
constexpr int32_t ColourYellow = 0x00FFFF;
constexpr int32_t ColourWhite = 0xFFFFFF;
constexpr int32_t ColourBlue = 0xFF0000;
constexpr int32_t ColourGold = 0x5AD8FF;
constexpr int32_t ColourLightYellow = 0x80FFFF;
constexpr int32_t ColourWell = 0x081424;  // the dark wells of the table's lower panel
constexpr int32_t ColourStrip = 0x18386A; // the video icon strips
constexpr int32_t ColourChat = 0xE8F8FF;
constexpr int32_t ColourHint = 0xE1FFFF;

using Resources::DesignPicture;

Picture ResourcePicture(int16_t id)
{
    return Image_Resource::detail::LoadResourcePicture(id, QStringLiteral("GIF"));
}

// An image of the design. A picture that is not stretched gives the image
// its own size, so width and height count only for a stretched image or one
// without a picture.
void DesignImage(Image& image, double left, double top, double width, double height, bool stretch, bool visible,
                 const Picture& picture = Picture())
{
    image.SetStretch(stretch);
    if (!picture.IsNull())
        image.SetPicture(picture);
    image.Move(left, top);
    if (stretch || picture.IsNull()) {
        image.SetWidth(width);
        image.SetHeight(height);
    }
    image.SetVisible(visible);
}

// A transparent label of the design.
void DesignLabel(Label& label, double left, double top, double width, double height, int32_t foreColor,
                 double fontSize, bool bold, int16_t alignment, bool visible, const QString& caption = QString())
{
    label.SetBackStyle(Label::vbTransparent);
    label.SetForeColor(foreColor);
    label.SetFontSize(fontSize);
    label.SetFontBold(bold);
    label.SetAlignment(alignment);
    label.SetCaption(caption);
    label.Move(left, top, width, height);
    label.SetVisible(visible);
}

void CustomCursor(Control& control, const Picture& icon)
{
    control.SetMouseIcon(icon);
    control.SetMousePointer(vbCustom);
}

} // namespace

MainForm::MainForm()
    : Form(QStringLiteral("MainForm"))
    , Pic1(*this, QStringLiteral("Pic1"))
    , Pic2(Pic1, QStringLiteral("Pic2"))
    , Skin(*this, QStringLiteral("Skin"))
    , ImgIcon(*this, QStringLiteral("ImgIcon"))
    , lcaption(*this, QStringLiteral("lcaption"))
    , LbMove(*this, QStringLiteral("LbMove"))
    , ImgClose(*this, QStringLiteral("ImgClose"), {0, 1, 2, 3})
    , ImgMin(*this, QStringLiteral("ImgMin"), {0, 1, 2, 3})
    , imgLocation(Pic1, QStringLiteral("imgLocation"))
    , ImgKuang(Pic1, QStringLiteral("ImgKuang"), {1, 2, 3})
    , Tou(Pic1, QStringLiteral("Tou"))
    , Host(Pic1, QStringLiteral("Host"))
    , Zhuang(Pic1, QStringLiteral("Zhuang"))
    , ZhiNan(Pic1, QStringLiteral("ZhiNan"))
    , QovRa(Pic1, QStringLiteral("QovRa"))
    , QV_Image(Pic1, QStringLiteral("QV_Image"))
    , ImgShuffle(Pic1, QStringLiteral("ImgShuffle"))
    , LblShuffle(Pic1, QStringLiteral("LblShuffle"))
    , Time_Img(Pic1, QStringLiteral("Time_Img"))
    , Number(Pic1, QStringLiteral("Number"))
    , imgBeishu(Pic1, QStringLiteral("imgBeishu"))
    , lblDifen(Pic1, QStringLiteral("lblDifen"))
    , Imgwealth(Pic1, QStringLiteral("Imgwealth"))
    , lbwealth(Pic1, QStringLiteral("lbwealth"))
    , imgsezi(Pic1, QStringLiteral("imgsezi"), {0, 1})
    , lbfont(Pic1, QStringLiteral("lbfont"), {0, 1, 2})
    , Nid(Pic1, QStringLiteral("Nid"))
    , Cash(Pic1, QStringLiteral("Cash"))
    , Level(Pic1, QStringLiteral("Level"))
    , Location(Pic1, QStringLiteral("Location"))
    , imgword1(Pic1, QStringLiteral("imgword1"))
    , imgword2(Pic1, QStringLiteral("imgword2"))
    , OK(Pic1, QStringLiteral("OK"))
    , Operation(Pic1, QStringLiteral("Operation"))
    , AnNiu(Pic1, QStringLiteral("AnNiu"))
    , Bank(Pic1, QStringLiteral("Bank"))
    , Lbchat(Pic1, QStringLiteral("Lbchat"))
    , Proponeself(Pic1, QStringLiteral("Proponeself"))
    , MJ_Image(Pic1, QStringLiteral("MJ_Image"))
    , Chi(Pic1, QStringLiteral("Chi"), IndexRange(0, 5))
    , Gang(Pic1, QStringLiteral("Gang"), IndexRange(0, 4))
    , SZ_Image(Pic1, QStringLiteral("SZ_Image"))
    , Sai_Image(Pic1, QStringLiteral("Sai_Image"), {0, 1})
    , ImgShow(Pic1, QStringLiteral("ImgShow"), IndexRange(0, 5))
    , Speak(Pic1, QStringLiteral("Speak"), {0, 1, 2})
    , tsSpeak(Pic1, QStringLiteral("tsSpeak"), {0, 1, 2})
    , Words(Pic1, QStringLiteral("Words"))
    , Bird(Pic1, QStringLiteral("Bird"))
    , ImgProp(Pic1, QStringLiteral("ImgProp"))
    , LbProp(Pic1, QStringLiteral("LbProp"))
    , PicLocal(Pic1, QStringLiteral("PicLocal"), IndexRange(0, 3))
    , ImCmd(QStringLiteral("ImCmd"), IndexRange(0, 15), [this](int i) -> Container& { return PicLocal(i / 4); })
    , vshow1(Pic1, QStringLiteral("vshow1"), {1, 2, 3})
    , vcap1(Pic1, QStringLiteral("vcap1"))
    , Sysmsg(Pic1, QStringLiteral("Sysmsg"), {0, 1})
    , Chat(Pic1, QStringLiteral("Chat"))
    , Tiplbl(Pic1, QStringLiteral("Tiplbl"))
    , WebBrowser1(Pic1, QStringLiteral("WebBrowser1"))
    , WebBrowser2(Pic1, QStringLiteral("WebBrowser2"))
    , TimerBong(*this, QStringLiteral("TimerBong"))
    , TimerKeepAlive(*this, QStringLiteral("TimerKeepAlive"))
    , TimerShuffle(*this, QStringLiteral("TimerShuffle"))
    , TimerChat(*this, QStringLiteral("TimerChat"))
    , TimerProp(*this, QStringLiteral("TimerProp"))
    , Timer_Zoom(*this, QStringLiteral("Timer_Zoom"))
    , Timer_Vshow1(*this, QStringLiteral("Timer_Vshow1"))
    , Timer_Vshow2(*this, QStringLiteral("Timer_Vshow2"))
    , Timer_Vshow3(*this, QStringLiteral("Timer_Vshow3"))
{
    const mj::Picture hand = DesignPicture(QStringLiteral("MainForm.MouseIcon"));

    // The window: a borderless 1024 x 768 table; start-up fits it to the screen.
    SetBorderless(true);
    SetCaption(QStringLiteral("霁川杠兹"));
    SetBackColor(0x000000);
    Move(0, 0, 15360, 11520);
    Pic1.Move(0, 0, 15360, 11520);
    Pic1.SetBackColor(0x2C5014);
    Pic1.SetPicture(DesignPicture(QStringLiteral("MainForm.Pic1")));
    Pic2.Move(0, 0, 800, 600);
    Pic2.SetPicture(DesignPicture(QStringLiteral("MainForm.Pic2")));
    Pic2.SetVisible(false);

    // The window shell, in twips, where the skin puts it on a 1024-pixel table.
    Skin.SetPicture(DesignPicture(QStringLiteral("MainForm.Skin")));
    Skin.SetVisible(false);
    ImgIcon.SetStretch(true);
    ImgIcon.Move(50, 50, 240, 240);
    lcaption.SetBackStyle(Label::vbTransparent);
    lcaption.SetForeColor(ColourWhite);
    lcaption.SetFontBold(true);
    lcaption.SetAutoSize(true);
    lcaption.SetCaption(Caption());
    lcaption.Move(300, 25);
    LbMove.SetBackStyle(Label::vbTransparent);
    for (int i = 0; i <= 3; ++i) {
        ImgClose(i).SetPicture(DesignPicture(QStringLiteral("MainForm.ImgClose(%1)").arg(i == 0 ? 1 : i)));
        ImgMin(i).SetPicture(DesignPicture(QStringLiteral("MainForm.ImgMin(%1)").arg(i == 0 ? 1 : i)));
        ImgClose(i).Move(15360 - ImgClose(i).Width() - 70, 25);
        ImgMin(i).Move(ImgClose(i).Left() - ImgMin(i).Width() - 30, 25);
        ImgClose(i).SetVisible(i == 0);
        ImgMin(i).SetVisible(i == 0);
    }
    LbMove.Move(290, 0, ImgMin(0).Left() - 290, ImgClose(0).Height() + 50);

    // The lower panel: location bar, phrase hot spots, room label.
    DesignImage(imgLocation, 632, 654, 394, 39, false, true, DesignPicture(QStringLiteral("MainForm.imgLocation")));
    DesignImage(imgword1, 640, 659, 57, 13, false, true);
    DesignImage(imgword2, 640, 675, 57, 13, false, true);
    CustomCursor(imgword1, hand);
    CustomCursor(imgword2, hand);
    DesignLabel(Location, 760, 668, 161, 25, ColourGreen, 12, false, Label::vbLeftJustify, true);

    // Seats: video frames of sides 1..3, the own avatar, the own seat labels.
    const mj::Picture frame = DesignPicture(QStringLiteral("MainForm.ImgKuang"));
    DesignImage(ImgKuang(1), 0, 3, 126, 105, true, false, frame);
    DesignImage(ImgKuang(2), 342, 3, 126, 105, true, false, frame);
    DesignImage(ImgKuang(3), 685, 3, 126, 105, true, false, frame);
    DesignImage(Tou(0), 10, 668, 85, 90, true, true);
    DesignLabel(Nid(0), 181, 700, 161, 25, ColourLightCyan, 9, false, Label::vbLeftJustify, true);
    DesignLabel(Cash(0), 181, 724, 161, 17, ColourLightCyan, 9, false, Label::vbLeftJustify, true);
    DesignLabel(Level(0), 181, 744, 161, 17, ColourLightCyan, 10.5, false, Label::vbLeftJustify, true);
    DesignImage(OK(0), 460, 610, 45, 61, true, false, DesignPicture(QStringLiteral("MainForm.OK")));

    // Banker, compass, wild tile, clock and the seat-change notice.
    DesignImage(Host, 24, 208, 71, 25, false, false, DesignPicture(QStringLiteral("MainForm.Host")));
    DesignLabel(Zhuang, 64, 208, 25, 25, ColourGold, 14.25, true, Label::vbCenter, false);
    DesignImage(ZhiNan, 20, 120, 81, 79, true, false, ResourcePicture(126));
    DesignImage(QovRa, 932, 110, 74, 130, true, false);
    DesignImage(QV_Image, 952, 169, 36, 56, true, false);
    DesignImage(ImgShuffle, 144, 208, 185, 35, false, false, DesignPicture(QStringLiteral("MainForm.ImgShuffle")));
    DesignLabel(LblShuffle, 144, 248, 185, 25, ColourYellow, 12, true, Label::vbCenter, false);
    DesignImage(Time_Img, 922, 260, 81, 38, true, false, DesignPicture(QStringLiteral("MainForm.Time_Img")));
    DesignLabel(Number, 970, 265, 24, 24, ColourGreen, 14.25, true, Label::vbCenter, false);

    // Room-rule plates and notices.
    DesignImage(imgBeishu, 904, 131, 80, 29, false, false, DesignPicture(QStringLiteral("MainForm.imgBeishu")));
    DesignLabel(lblDifen, 956, 136, 60, 28, ColourGreen, 12, true, Label::vbLeftJustify, false, QStringLiteral("1"));
    DesignImage(Imgwealth, 904, 162, 80, 29, false, false, DesignPicture(QStringLiteral("MainForm.Imgwealth")));
    DesignLabel(lbwealth, 956, 167, 60, 28, ColourGreen, 12, true, Label::vbLeftJustify, false, QStringLiteral("10"));
    DesignImage(imgsezi(0), 918, 105, 24, 24, false, false, ResourcePicture(600));
    DesignImage(imgsezi(1), 948, 105, 24, 24, false, false, ResourcePicture(600));
    static const char* const notices[] = {"骰子点数加倍", "最少金币定倍数", "个人金币数封顶"};
    for (int i = 0; i <= 2; ++i)
        DesignLabel(lbfont(i), 424, 280 + 32 * i, 179, 27, ColourYellow, 14.25, true, Label::vbCenter, false,
                    QString::fromUtf8(notices[i]));

    // Claim buttons, toolbar, props warehouse, chat button hot spot, props frame.
    DesignImage(Operation(0), 358, 461, 50, 71, true, false, ResourcePicture(141));
    Operation(0).SetEnabled(false);
    DesignImage(AnNiu(0), 573, 730, 48, 30, false, true, ResourcePicture(101));
    DesignImage(Bank, 699, 658, 54, 31, true, false, ResourcePicture(450));
    CustomCursor(Bank, hand);
    Bank.SetToolTipText(QStringLiteral("单击打开您的道具仓库"));
    DesignLabel(Lbchat, 594, 694, 25, 33, 0x000000, 9, false, Label::vbLeftJustify, true);
    DesignLabel(Proponeself, 0, 656, 100, 118, 0x000000, 9, false, Label::vbLeftJustify, true);
    Proponeself.SetEnabled(false);

    // Tiles, dice, video reopen icons, bubbles, the mascot, the props boxes.
    DesignImage(MJ_Image(0), 0, 0, 50, 77, true, false);
    MJ_Image(0).SetMouseIcon(hand); // the own hand tiles take it under the pointer
    for (Image& picker : Chi)
        DesignImage(picker, 0, 0, 0, 0, true, false);
    for (Image& picker : Gang)
        DesignImage(picker, 0, 0, 0, 0, true, false);
    DesignImage(SZ_Image(0), 400, 344, 50, 56, false, false, ResourcePicture(161));
    DesignImage(Sai_Image(0), 400, 344, 50, 56, false, false, ResourcePicture(161));
    DesignImage(Sai_Image(1), 560, 344, 50, 56, false, false, ResourcePicture(161));
    const mj::Picture reopen = DesignPicture(QStringLiteral("MainForm.ImgShow"));
    const double showLeft[] = {104, 32, 380, 720, 104, 104};
    const double showTop[] = {688, 80, 80, 80, 688, 688};
    for (int i = 0; i <= 5; ++i)
        DesignImage(ImgShow(i), showLeft[i], showTop[i], 16, 14, true, false, reopen);
    const double bubbleLeft[] = {90, 430, 770};
    const double followWidth[] = {85, 81, 83};
    for (int i = 0; i <= 2; ++i) {
        DesignImage(Speak(i), bubbleLeft[i], 90, 81, 81, true, false,
                    DesignPicture(QStringLiteral("MainForm.Speak(%1)").arg(i)));
        DesignImage(tsSpeak(i), bubbleLeft[i], 90, followWidth[i], 85, true, false,
                    ResourcePicture(static_cast<int16_t>(418 + i)));
    }
    DesignImage(Words, 106, 110, 49, 49, true, false);
    DesignImage(Bird, 936, 680, 82, 80, true, true, DesignPicture(QStringLiteral("MainForm.Bird")));
    ImgProp(0).SetVisible(false);
    DesignLabel(LbProp, 0, 0, 0, 0, ColourBlue, 15, true, Label::vbLeftJustify, false);

    // Video icon strips with their icons (own strip: album, zoom, photo, video
    // off; other strips: block, zoom, photo, add friend), the video surfaces
    // and the camera preview.
    for (int s = 0; s <= 3; ++s) {
        PicLocal(s).SetBackColor(ColourStrip);
        PicLocal(s).SetVisible(false);
    }
    PicLocal(0).Move(9, 742, 87, 17);
    PicLocal(1).Move(126, 88, 145, 17);
    PicLocal(2).Move(468, 88, 145, 17);
    PicLocal(3).Move(811, 88, 145, 17);
    const double ownIconLeft[] = {50.0 / 15, 24, 680.0 / 15, 64};
    const double iconLeft[] = {8, 40, 72, 104};
    const int16_t ownIcons[] = {863, 851, 852, 853};
    const int16_t icons[] = {850, 851, 852, 858};
    static const char* const tips[] = {"屏蔽", "放大", "照相", "加为好友"};
    for (int i = 0; i <= 15; ++i) {
        const int s = i / 4, k = i % 4;
        DesignImage(ImCmd(i), s == 0 ? ownIconLeft[k] : iconLeft[k], 0, 16, 14, false, true,
                    ResourcePicture(s == 0 ? ownIcons[k] : icons[k]));
        if (s > 0)
            ImCmd(i).SetToolTipText(QString::fromUtf8(tips[k]));
    }
    CustomCursor(ImCmd(0), hand);
    vshow1(1).Move(5, 8, 116, 95);
    vshow1(2).Move(347, 8, 116, 95);
    vshow1(3).Move(690, 8, 116, 95);
    for (int s = 1; s <= 3; ++s)
        vshow1(s).SetVisible(false);
    vcap1.Move(10, 666, 85, 83);
    vcap1.SetVisible(false);

    // System message lines, chat line, hint box, web panels.
    for (int i = 0; i <= 1; ++i) {
        Sysmsg(i).SetBackColor(ColourWell);
        Sysmsg(i).SetForeColor(ColourLightYellow);
        Sysmsg(i).Move(312, 696 + 13 * i, 281, 13);
        // Each line holds one line of text and never scrolls; a line of text
        // is a little taller than the 13-pixel box, which must not bring up
        // a scroll bar.
        if (auto* list = qobject_cast<QAbstractScrollArea*>(Sysmsg(i).Widget()))
            list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    Chat.SetBackColor(ColourChat);
    Chat.SetMaxLength(100);
    Chat.Move(318, 729, 244, 18);
    Tiplbl.SetBackColor(ColourHint);
    Tiplbl.Move(0, 0, 54, 14);
    Tiplbl.SetVisible(false);
    WebBrowser1.Move(938, 682, 82, 80);
    WebBrowser1.SetVisible(false);
    WebBrowser2.Move(264, 16, 495, 735);
    WebBrowser2.SetVisible(false);

    Winsock1.OnDataArrival = [this](int32_t bytes) { Winsock1_DataArrival(bytes); };
    Winsock1.OnClose = [this] { Winsock1_Close(); };
    WebBrowser1.OnDownloadComplete = [this] { WebBrowser1_DownloadComplete(); };
    WebBrowser1.OnDocumentComplete = [this] { WebBrowser1_DocumentComplete(); };
    WebBrowser1.OnNavigateError = [this] { WebBrowser1_NavigateError(); };
    WebBrowser2.OnDownloadComplete = [this] { WebBrowser2_DownloadComplete(); };
    WebBrowser2.OnNavigateError = [this] { WebBrowser2_NavigateError(); };
    WireShellEvents();
    WireKeyEvents();
    WireSeatEvents();
    WireChatWindowEvents();
    WireChatLineEvents();
    WireVideoEvents();
    WirePlayerControls();
    WirePropEvents();

    TimerBong.SetEnabled(false);
    TimerBong.SetInterval(50);
    TimerBong.OnTimer = [this] { TimerBong_Timer(); };
    TimerKeepAlive.SetEnabled(false);
    TimerKeepAlive.SetInterval(5000);
    TimerKeepAlive.OnTimer = [this] { TimerKeepAlive_Timer(); };
    TimerShuffle.SetEnabled(false);
    TimerChat.SetEnabled(false);
    TimerChat.SetInterval(800);
    TimerProp.SetEnabled(false);
    TimerProp.SetInterval(50);
    Timer_Zoom.SetEnabled(false);
    Timer_Zoom.SetInterval(100);
    // Every surface gets the same delayed redraw after it opens.
    for (Timer* redraw : {&Timer_Vshow1, &Timer_Vshow2, &Timer_Vshow3}) {
        redraw->SetEnabled(false);
        redraw->SetInterval(30);
    }
}

MainForm::~MainForm() = default;

void MainForm::ShowSystemLine(const QString& text, bool whole)
{
    const QString line = whole ? text : text.left(45);
    const auto put = [&](int i, const QString& s) {
        Sysmsg(i).Clear();
        Sysmsg(i).AddItem(s);
    };
    const bool firstEmpty = Sysmsg(0).ListCount() == 0;
    const bool secondEmpty = Sysmsg(1).ListCount() == 0;
    if (secondEmpty && firstEmpty) {
        put(0, line);
    } else if (secondEmpty) {
        put(1, line);
    } else {
        put(0, Sysmsg(1).List(0));
        put(1, line);
    }
}

void MainForm::Winsock1_DataArrival(int32_t)
{
    if (DirectLink)
        ReceiveFromSocket();
    else
        Mod_Proxy::ProxyDataArrived(Winsock1);
}

void MainForm::ReceiveFromSocket()
{
    // Only as much as the receive ring has room for: the rest stays in the
    // socket until the main loop has read frames out of the ring.
    if (Total::ReceiveHeld) {
        Winsock1.GetData(); // the table is being left: nothing more is handled
        return;
    }
    // What a closed connection left comes first.
    Total::FillFromBacklog();
    const int32_t room = Total::RecvRoom();
    if (Total::RecvBacklog.isEmpty() && room > 0 && Winsock1.BytesAvailable() > 0)
        Total::AppendReceived(Winsock1.GetData(room));
    RecvOn = true;
    RecvTicks = 0;
}

void MainForm::Winsock1_Close()
{
    // Bytes that arrived before the close and did not fit the receive ring
    // yet are kept: the main loop still handles every frame that came whole.
    // The connection monitor of the main loop notices the loss.
    if (DirectLink && !Total::ReceiveHeld) {
        Total::KeepBacklog(Winsock1.GetData());
        Total::FillFromBacklog();
    }
    Winsock1.Close();
}

} // namespace mj
