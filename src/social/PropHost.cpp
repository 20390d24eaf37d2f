// The table's side of the props plug-in: its set-up from the first user
// information that allows props, the clearing of the props display at each
// hand, and the two controls of the props: the store button Bank and the
// frame Proponeself around the own video.
//
// On this platform the plug-in needs no registration: the library beside the
// program is loaded and asked for its object in one step. A library that is
// missing turns props off for the run; one that does not load or gives no
// object leaves the state at 0, and the next user information tries again.
#include "social/Mod_Prop.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "platform/Clock.h"
#include "video/VideoState.h"

#include <QWidget>

#include <algorithm>

namespace mj {

namespace Mod_Prop {

namespace {

constexpr int BoxCount = 15;
// The award count's longest interval and largest number of steps.
constexpr int16_t CountIntervalLimit = 1000;
constexpr int16_t CountStepLimit = 50;

int32_t clampTo(int32_t v, int32_t lo, int32_t hi)
{
    return std::clamp(v, lo, std::max(lo, hi));
}

// The box data made safe for the table: sizes of at least 1 pixel and at
// most the table, every place on the table, a count that ends. False when
// the timing holds no count: no box data.
bool checkBoxData(const MainForm& table)
{
    const auto w = static_cast<int32_t>(table.Pic1.ScaleWidth());
    const auto h = static_cast<int32_t>(table.Pic1.ScaleHeight());
    for (PropPair* size : {&ClosedBoxSize, &OpenedBoxSize}) {
        (*size)[0] = clampTo((*size)[0], 1, w);
        (*size)[1] = clampTo((*size)[1], 1, h);
    }
    for (int i = 0; i < BoxCount; ++i) {
        BoxPos(i, 0) = clampTo(BoxPos(i, 0), 0, w - ClosedBoxSize[0]);
        BoxPos(i, 1) = clampTo(BoxPos(i, 1), 0, h - ClosedBoxSize[1]);
    }
    for (int side = 0; side <= 3; ++side) {
        SeatPoint(side, 0) = clampTo(SeatPoint(side, 0), 0, w - OpenedBoxSize[0]);
        SeatPoint(side, 1) = clampTo(SeatPoint(side, 1), 0, h - OpenedBoxSize[1]);
    }
    BoxCentre[0] = clampTo(BoxCentre[0], 0, w);
    BoxCentre[1] = clampTo(BoxCentre[1], 0, h);
    LabelPoint[0] = clampTo(LabelPoint[0], 0, w);
    LabelPoint[1] = clampTo(LabelPoint[1], 0, h);
    if (BoxTiming[0] < 1 || BoxTiming[1] < 1)
        return false;
    BoxTiming[0] = std::min(BoxTiming[0], CountIntervalLimit);
    BoxTiming[1] = std::min(BoxTiming[1], CountStepLimit);
    return true;
}

// The fifteen boxes are made once, at the first set-up, and from then on
// only hidden and shown.
void makeBoxes(MainForm& table)
{
    for (int i = 0; i < BoxCount; ++i) {
        if (!table.ImgProp.Exists(i))
            table.ImgProp.Load(i);
        table.ImgProp(i).SetVisible(false);
        table.ImgProp(i).SetEnabled(false);
    }
}

} // namespace

bool InitPropPlugin()
{
    MainForm& table = form<MainForm>();
    table.Bank.SetVisible(true);
    table.Bank.ZOrder(0);
    table.SetKeyPreview(true);
    PropRandom.seed(Clock::TickCount());
    AwardNames = {};

    if (!PropObj) {
        if (!LoggedIn || !PropPluginFileExists()) {
            Prop_GameDllState = -1;
            return false;
        }
        PropObj = CreatePropPlugin();
        if (!PropObj)
            return false;
    }
    if (!LoggedIn) {
        Prop_GameDllState = -1;
        return false;
    }

    // Props stay off should the set-up fail on the way.
    Prop_GameDllState = -1;
    const int16_t layoutMode = ScaleY == 1.0f ? 1 : 2;
    const uintptr_t window = table.Widget() ? static_cast<uintptr_t>(table.Widget()->winId()) : 0;
    bool ready = false;
    try {
        ready = PropObj->Initdll(CmdAccount, CmdCredential, QStringLiteral("DLL"), window, QStringLiteral("qvtarn"),
                                 PropObj.get(), layoutMode, CmdPluginParam);
    } catch (...) {
        return false;
    }
    if (!ready) {
        PropPolling = false;
        Prop_GameDllState = 0;
        PropObj.reset();
        return false;
    }

    bool boxes = false;
    try {
        boxes = PropObj->GetBaoInfo(BoxPos, BoxCentre, SeatPoint, LabelPoint, BoxTiming, ClosedBoxPicture,
                                    ClosedBoxSize, OpenedBoxPicture, OpenedBoxSize);
    } catch (...) {
        return false;
    }
    boxes = checkBoxData(table) && boxes;
    Prop_GameDllState = boxes ? 2 : 1;

    makeBoxes(table);
    PropPolling = true;
    return true;
}

void HidePropBoxes()
{
    if (PropBoxesHidden)
        return;
    PropBoxesHidden = true;
    MainForm& table = form<MainForm>();
    for (Image& box : table.ImgProp) {
        if (box.Visible() || box.Enabled()) {
            box.SetVisible(false);
            box.SetEnabled(false);
        }
    }
    if (table.LbProp.Visible()) {
        table.LbProp.SetCaption(QString());
        table.LbProp.SetVisible(false);
    }
    CallPlugin([](Tesmora& p) { p.InitShowNext(true); });
    BonusText = {};
    AwardLines.clear();
    BonusCoins = {};
}

} // namespace Mod_Prop

void MainForm::WirePropEvents()
{
    Bank.OnClick = [this] { Bank_Click(); };
    Bank.OnMouseMove = [this](int16_t b, int16_t s, float x, float y) { Bank_MouseMove(b, s, x, y); };
    imgLocation.OnMouseMove = [this](int16_t b, int16_t s, float x, float y) { imgLocation_MouseMove(b, s, x, y); };
    Proponeself.OnMouseMove = [this](int16_t b, int16_t s, float x, float y) { Proponeself_MouseMove(b, s, x, y); };
    ImgProp.OnClick = [this](int16_t index) { ImgProp_Click(index); };
    TimerProp.OnTimer = [this] { TimerProp_Timer(); };
}

void MainForm::Bank_Click()
{
    if (Mod_Prop::Prop_GameDllState >= 1)
        Mod_Prop::CallPlugin([](Tesmora& p) { p.setbankstate(0); });
}

void MainForm::Bank_MouseMove(int16_t, int16_t, float, float)
{
    if (BankHover)
        return;
    Image_Resource::LoadGifResource(451, QStringLiteral("GIF"), Bank);
    BankHover = true;
}

void MainForm::imgLocation_MouseMove(int16_t, int16_t, float, float)
{
    if (!BankHover)
        return;
    BankHover = false;
    Image_Resource::LoadGifResource(450, QStringLiteral("GIF"), Bank);
}

void MainForm::Proponeself_MouseMove(int16_t, int16_t, float x, float y)
{
    // The pointer's place comes in the table's pixels, as the frame's size.
    const bool inside = x > 0 && y > 0 && RoundHalfEven(x) < Proponeself.Width()
        && RoundHalfEven(y) < Proponeself.Height();
    if (!inside || Mod_Prop::Prop_GameDllState <= 0 || PropVideoShown)
        return;
    PropVideoShown = true;
    if (Mod_Prop::CallPlugin([](Tesmora& p) { return p.ShowQvVideo(0, true, 0); }).value_or(false))
        PropVideoSide = 1;
}

} // namespace mj
