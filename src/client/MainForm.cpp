#include "client/MainForm.h"

#include "client/SoftTimer.h"
#include "client/Total.h"

namespace mj {

MainForm::MainForm()
    : Form(QStringLiteral("MainForm"))
    , Pic1(*this, QStringLiteral("Pic1"))
    , MJ_Image(Pic1, QStringLiteral("MJ_Image"))
    , AnNiu(Pic1, QStringLiteral("AnNiu"))
    , Speak(Pic1, QStringLiteral("Speak"), {0, 1, 2})
    , tsSpeak(Pic1, QStringLiteral("tsSpeak"), {0, 1, 2})
    , Words(Pic1, QStringLiteral("Words"))
    , Time_Img(Pic1, QStringLiteral("Time_Img"))
    , Number(Pic1, QStringLiteral("Number"))
    , ImgShuffle(Pic1, QStringLiteral("ImgShuffle"))
    , LblShuffle(Pic1, QStringLiteral("LblShuffle"))
    , LbProp(Pic1, QStringLiteral("LbProp"))
    , Sysmsg(Pic1, QStringLiteral("Sysmsg"), {0, 1})
    , WebBrowser2(Pic1, QStringLiteral("WebBrowser2"))
    , TimerBong(*this, QStringLiteral("TimerBong"))
    , TimerKeepAlive(*this, QStringLiteral("TimerKeepAlive"))
    , TimerShuffle(*this, QStringLiteral("TimerShuffle"))
{
    SetBorderless(true);
    Move(0, 0, 15360, 11520);
    Pic1.Move(0, 0, 15360, 11520);
    Winsock1.OnDataArrival = [this](int32_t bytes) { Winsock1_DataArrival(bytes); };
    Winsock1.OnClose = [this] { Winsock1_Close(); };

    TimerBong.SetEnabled(false);
    TimerBong.SetInterval(50);
    TimerBong.OnTimer = [this] { TimerBong_Timer(); };
    TimerKeepAlive.SetEnabled(false);
    TimerKeepAlive.SetInterval(5000);
    TimerKeepAlive.OnTimer = [this] { TimerKeepAlive_Timer(); };
    TimerShuffle.SetEnabled(false);
}

MainForm::~MainForm() = default;

void MainForm::ShowSystemLine(const QString& text)
{
    const QString line = text.left(45);
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
    ReceiveFromSocket();
}

void MainForm::ReceiveFromSocket()
{
    // Only as much as the receive ring has room for: the rest stays in the
    // socket until the main loop has read frames out of the ring.
    const int32_t room = Total::RecvRoom();
    if (room > 0 && Winsock1.BytesAvailable() > 0)
        Total::AppendReceived(Winsock1.GetData(room));
    RecvOn = true;
    RecvTicks = 0;
}

// The keyboard shortcuts fill this in.
void MainForm::Pic1_KeyDown(int16_t&, int16_t) {}

void MainForm::Winsock1_Close()
{
    // The connection monitor of the main loop notices the loss.
    Winsock1.Close();
}

} // namespace mj
