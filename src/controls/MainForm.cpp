// The table window's event procedures that belong to the player controls.
#include "client/MainForm.h"

#include "client/Data.h"
#include "controls/Information.h"

namespace mj {

void MainForm::WireSeatEvents()
{
    Tou.OnMouseMove = [this](int16_t i, int16_t b, int16_t s, float x, float y) { Tou_MouseMove(i, b, s, x, y); };
    Nid.OnMouseMove = [this](int16_t i, int16_t b, int16_t s, float x, float y) { Nid_MouseMove(i, b, s, x, y); };
    Cash.OnMouseMove = [this](int16_t i, int16_t b, int16_t s, float x, float y) { Cash_MouseMove(i, b, s, x, y); };
    Level.OnMouseMove = [this](int16_t i, int16_t b, int16_t s, float x, float y) { Level_MouseMove(i, b, s, x, y); };
    Imgwealth.OnMouseMove = [this](int16_t b, int16_t s, float x, float y) { Imgwealth_MouseMove(b, s, x, y); };
    lbwealth.OnMouseMove = [this](int16_t b, int16_t s, float x, float y) { lbwealth_MouseMove(b, s, x, y); };
    Pic1.OnMouseMove = [this](int16_t b, int16_t s, float x, float y) { Pic1_MouseMove(b, s, x, y); };
}

// The player card beside the seat; it stays, whatever seat the pointer goes
// to next, until the pointer crosses the bare table.
void MainForm::Tou_MouseMove(int16_t index, int16_t, int16_t, float, float)
{
    Information& card = form<Information>();
    if (card.Visible())
        return;
    const PlayerInfo& p = Players[index];
    if (p.Name.isEmpty())
        return;
    const double tableLeft = Left() + Pic1.Left(), tableTop = Top() + Pic1.Top();
    if (index == 0) {
        card.SetLeft(tableLeft);
        card.SetTop(tableTop + (ScaleX < 1.0f ? 0.3 : 0.42) * Pic1.Height());
    } else {
        card.SetTop(tableTop + 0.11 * Pic1.Height());
        const auto width = static_cast<int64_t>(RoundHalfEven((index - 1) * Pic1.Width()));
        card.SetLeft(tableLeft + static_cast<double>(width / 3));
    }
    card.ShowPlayer(p);
}

void MainForm::Nid_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y)
{
    Tou_MouseMove(index, button, shift, x, y);
}

void MainForm::Cash_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y)
{
    Tou_MouseMove(index, button, shift, x, y);
}

void MainForm::Level_MouseMove(int16_t index, int16_t button, int16_t shift, float x, float y)
{
    Tou_MouseMove(index, button, shift, x, y);
}

void MainForm::Imgwealth_MouseMove(int16_t, int16_t, float, float)
{
    if (WealthRate == 0)
        return;
    const QString tip = QStringLiteral("财富加倍 ×") + lbwealth.Caption();
    Imgwealth.SetToolTipText(tip);
    lbwealth.SetToolTipText(tip);
}

void MainForm::lbwealth_MouseMove(int16_t button, int16_t shift, float x, float y)
{
    Imgwealth_MouseMove(button, shift, x, y);
}

} // namespace mj
