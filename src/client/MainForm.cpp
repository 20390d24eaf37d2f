#include "client/MainForm.h"

#include "client/SoftTimer.h"
#include "client/Total.h"

namespace mj {

MainForm::MainForm()
    : Form(QStringLiteral("MainForm"))
    , Pic1(*this, QStringLiteral("Pic1"))
    , Sysmsg(Pic1, QStringLiteral("Sysmsg"), {0, 1})
{
    SetBorderless(true);
    Move(0, 0, 15360, 11520);
    Pic1.Move(0, 0, 15360, 11520);
    Winsock1.OnDataArrival = [this](int32_t bytes) { Winsock1_DataArrival(bytes); };
    Winsock1.OnClose = [this] { Winsock1_Close(); };
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

void MainForm::Winsock1_Close()
{
    // The connection monitor of the main loop notices the loss.
    Winsock1.Close();
}

} // namespace mj
