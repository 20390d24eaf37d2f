// The treasure boxes of a hand with awards: the own five boxes to choose
// from (or the other sides' boxes, picked for them), the opening move to the
// centre, the award count in LbProp, the opened box moving to its seat, and
// then the settlement of the hand.
//
// A shut-down of the plug-in at any point stops the road at once: every
// wait below checks BoxRoadRun, and the shut-down itself settles the hand
// if that has not happened yet, so a hand is settled exactly once.
#include "social/Mod_Prop.h"

#include "client/General.h"
#include "client/MainForm.h"
#include "platform/Clock.h"
#include "social/Talk.h"

#include <algorithm>
#include <cmath>

namespace mj {

namespace Mod_Prop {

namespace {

const QString OwnPrompt = QStringLiteral("请选择一个宝箱打开");
const QString WaitPrompt = QStringLiteral("请等待其他玩家打开宝箱");
// What the countdown says, once its first second has passed, while the
// other sides' boxes are awaited.
const QString WaitingPrompt = QStringLiteral("请等待玩家打开宝箱");
constexpr int16_t CountdownSeconds = 5;
constexpr int16_t MoveStepMs = 37;
constexpr int32_t ColourRed = 255, ColourYellow = 0xFFFF;
constexpr int32_t CharWidth = 14;
constexpr double LabelFontSize = 15;

const QString CrLf = QStringLiteral("\r\n");

bool stopped(uint32_t run)
{
    return run != BoxRoadRun;
}

int32_t half(int32_t v)
{
    return static_cast<int32_t>(RoundHalfEven(v / 2.0));
}

QString coinText(double v)
{
    return QString::number(v, 'g', 15);
}

// One award line: the amount stands right-aligned in CoinDigits columns,
// blanks in front of it.
QString awardLine(int side, double coins)
{
    return AwardNames[side] + coinText(coins).rightJustified(CoinDigits, u' ') + QStringLiteral("金币");
}

// LbProp centred on the label point, kept on the table, in the label's own
// font: a plug-in label before may have left a size the prompt's two lines
// and the award lines would not fit.
void placeLabel(MainForm& table, int32_t width, int32_t height)
{
    table.LbProp.SetFontSize(LabelFontSize);
    const auto tableWidth = static_cast<int32_t>(table.Pic1.ScaleWidth());
    width = std::clamp(width, 1, std::max(1, tableWidth));
    const int32_t left = std::clamp(LabelPoint[0] - width / 2, 0, std::max(0, tableWidth - width));
    table.LbProp.Move(left, LabelPoint[1], width, height);
}

void layOutBox(MainForm& table, int index, bool clickable)
{
    Image& box = table.ImgProp(index);
    box.Move(BoxPos(index, 0), BoxPos(index, 1), ClosedBoxSize[0], ClosedBoxSize[1]);
    box.SetPicture(ClosedBoxPicture);
    box.SetVisible(true);
    box.SetEnabled(clickable);
    box.ZOrder(0);
}

} // namespace

void ShowTreasureBoxes()
{
    MainForm& table = form<MainForm>();
    try {
        table.LbProp.SetCaption(QString());
        ChosenBox.Fill(-1);
        int first = -1;
        for (int side = 0; side <= 3 && first < 0; ++side) {
            if (TakesPart(side))
                first = side;
        }
        if (first < 0) {
            SettleHand();
            CallPlugin([](Tesmora& p) { p.InitShowNext(false); });
            return;
        }
        BoxRoadOn = true;
        QString prompt;
        if (first == 0) {
            for (int k = 0; k <= 4; ++k)
                layOutBox(table, k, true);
            prompt = OwnPrompt;
        } else {
            int g = 0;
            for (int side = 1; side <= 3; ++side) {
                if (!TakesPart(side))
                    continue;
                for (int k = 5 * g; k <= 5 * g + 4; ++k)
                    layOutBox(table, k, false);
                ChosenBox[side] = static_cast<int16_t>(5 * g + RandomBox());
                ++g;
            }
            prompt = WaitPrompt;
        }
        LabelTimerOn = false;
        BoxCountdownTicks = 0;
        BoxCountdown = CountdownSeconds;
        BoxCountdownOn = true;
        ShowBoxCountdown();
    } catch (const RuntimeError&) {
        // No countdown starts; the hand is settled without boxes.
        ClearPropDisplay();
        if (BoxRoadOn)
            SettleHand();
    }
}

QString BoxCountdownCaption()
{
    QString prompt = OwnPrompt;
    if (!TakesPart(0))
        prompt = BoxCountdown >= CountdownSeconds ? WaitPrompt : WaitingPrompt;
    return prompt + CrLf + QString::number(BoxCountdown);
}

void ShowBoxCountdown()
{
    MainForm& table = form<MainForm>();
    Label& label = table.LbProp;
    const QString caption = BoxCountdownCaption();
    label.SetAlignment(Label::vbCenter);
    // The box is sized by the prompt the boxes came with; the shorter words
    // of the later waiting seconds keep it.
    const QString& prompt = TakesPart(0) ? OwnPrompt : WaitPrompt;
    placeLabel(table, GetAnsiWidth(prompt) * CharWidth, 50);
    label.SetCaption(caption);
    label.SetForeColor(ColourRed);
    label.SetVisible(true);
    label.ZOrder(0);
}

void OpenTreasureBoxes(int16_t& box)
{
    // One opening per hand: a second request while the boxes move or count,
    // or after the hand was settled, changes nothing.
    if (!BoxRoadOn || BoxOpening || BoxAnimOn)
        return;
    if (box != -1 && (box < 0 || box > 4))
        return;
    const uint32_t run = BoxRoadRun;
    BoxOpening = true;
    int16_t open = 1, none = 0;
    if (box == -1) {
        for (int side = 1; side <= 3; ++side) {
            if (ChosenBox[side] == -1)
                continue;
            int16_t chosen = ChosenBox[side];
            AnimateBox(chosen, open, none);
            if (stopped(run))
                return;
        }
    } else {
        ChosenBox[0] = box;
        AnimateBox(box, open, none);
        if (stopped(run))
            return;
    }
    MainForm& table = form<MainForm>();
    for (int side = 0; side <= 3; ++side) {
        if (ChosenBox[side] == -1)
            continue;
        table.ImgProp(ChosenBox[side]).SetVisible(false);
        table.ImgProp(ChosenBox[side]).SetEnabled(false);
    }
    if (Prop_GameDllState == 2)
        CallPlugin([](Tesmora& p) { p.ShowGif(1, true); });
    if (stopped(run))
        return;
    BoxOpening = false;
    table.TimerProp.SetInterval(BoxTiming[0]);
    BoxStep = 0;
    BoxAnimOn = true;
    LabelTimerOn = false;
    BoxSteps = BoxTiming[1];
    int16_t prepare = -1;
    ShowBoxAwards(prepare);
    table.TimerProp.SetEnabled(true);
}

void AnimateBox(int16_t& box, int16_t& open, int16_t& side)
{
    MainForm& table = form<MainForm>();
    Image& image = table.ImgProp(box);
    if (open != 0) {
        image.SetEnabled(false);
        const int holder = 5 * (box / 5);
        for (int k = holder; k <= holder + 4; ++k) {
            if (k != box && table.ImgProp(k).Visible()) {
                table.ImgProp(k).SetVisible(false);
                table.ImgProp(k).SetEnabled(false);
            }
        }
        const auto x0 = static_cast<int32_t>(RoundHalfEven(image.Left()));
        const auto y0 = static_cast<int32_t>(RoundHalfEven(image.Top()));
        const auto x1 = static_cast<int32_t>(RoundHalfEven(BoxCentre[0] - ClosedBoxSize[0] / 2.0));
        const auto y1 = static_cast<int32_t>(RoundHalfEven(BoxCentre[1] - ClosedBoxSize[1] / 2.0));
        if (!MoveInSteps(x0, y0, x1, y1, image))
            return;
        image.SetVisible(false);
        return;
    }
    const int32_t left = BoxCentre[0] - half(OpenedBoxSize[0]);
    const int32_t top = BoxCentre[1] - half(OpenedBoxSize[1]);
    image.Move(left, top, OpenedBoxSize[0], OpenedBoxSize[1]);
    image.SetPicture(OpenedBoxPicture);
    image.SetVisible(true);
    MoveInSteps(left, top, SeatPoint(side, 0), SeatPoint(side, 1), image);
}

bool MoveInSteps(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Control& control)
{
    const uint32_t run = BoxRoadRun;
    try {
        const float dx = static_cast<float>(x1 - x0) / 5;
        const float dy = static_cast<float>(y1 - y0) / 5;
        for (int i = 1; i <= 5; ++i) {
            control.SetLeft(x0 + i * dx);
            control.SetTop(y0 + i * dy);
            WaitMs(MoveStepMs);
            if (stopped(run))
                return false;
        }
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

void WaitMs(int16_t ms)
{
    const double end = Clock::Monotonic() + ms / 1000.0;
    for (double now = Clock::Monotonic(); now < end; now = Clock::Monotonic())
        Clock::ProcessEvents(end - now);
}

void ShowBoxAwards(int16_t& step)
{
    MainForm& table = form<MainForm>();
    Label& label = table.LbProp;
    if (step == -1) {
        StepCoins = {};
        ShownCoins = {};
        AwardNameWidth = 0;
        for (int side = 0; side <= 3; ++side) {
            AwardNames[side] = AwardTexts(0, side);
            AwardNameWidth = std::max(AwardNameWidth, GetAnsiWidth(AwardNames[side]));
        }
        int lines = 0;
        double largest = 0;
        int16_t widest = 0;
        for (int side = 0; side <= 3; ++side) {
            if (BonusCoins[side] > 0) {
                largest = std::max(largest, BonusCoins[side]);
                StepCoins[side] = static_cast<float>(BonusCoins[side] / std::max<int16_t>(BoxSteps, 1));
                lines += 2;
            }
            if (!AwardTexts(1, side).isEmpty()) {
                AwardLines = AwardTexts(1, side).split(u'|');
                for (const QString& line : AwardLines) {
                    ++lines;
                    widest = std::max(widest, GetAnsiWidth(line));
                }
            }
        }
        CoinDigits = static_cast<int16_t>(coinText(largest).size());
        const int32_t height = lines > 2 ? 30 * lines : 50;
        const int32_t width = CoinDigits + AwardNameWidth > widest ? (CoinDigits + AwardNameWidth + 4) * CharWidth
                                                                   : (widest + 4) * CharWidth;
        label.SetCaption(QString());
        placeLabel(table, width, height);
        label.SetAlignment(Label::vbCenter);
        label.SetForeColor(ColourYellow);
        label.SetVisible(true);
        label.ZOrder(0);
        return;
    }

    QStringList shown;
    if (step < BoxSteps) {
        for (int side = 0; side <= 3; ++side) {
            if (BonusCoins[side] == 0)
                continue;
            shown << awardLine(side, RoundHalfEven(ShownCoins[side]));
            ShownCoins[side] += StepCoins[side];
        }
        label.SetCaption(shown.join(CrLf));
        label.ZOrder(0);
        return;
    }

    for (int side = 0; side <= 3; ++side) {
        if (BonusCoins[side] != 0) {
            const QString line = awardLine(side, BonusCoins[side]);
            AddToHistory(line);
            shown << line;
        }
        if (!AwardTexts(1, side).isEmpty()) {
            for (const QString& line : AwardTexts(1, side).split(u'|')) {
                shown << line;
                AddToHistory(line);
            }
        }
    }
    AwardLines.clear();
    const QString text = shown.join(CrLf);
    table.ShowSystemLine(text, true);
    StepCoins = {};
    ShownCoins = {};
    label.SetCaption(text);
    label.ZOrder(0);
}

// The count's last tick: the final awards, the opened box to its seat, the
// settlement, and the label taken down.
void FinishBoxes(MainForm& table)
{
    const uint32_t run = BoxRoadRun;
    BoxAnimOn = false;
    BoxStep = 0;
    ShowBoxAwards(BoxSteps);
    CallPlugin([](Tesmora& p) { p.ShowGif(1, false); });
    if (stopped(run))
        return;
    int16_t hand = 0;
    if (ChosenBox[0] != -1) {
        int16_t box = ChosenBox[0], own = 0;
        AnimateBox(box, hand, own);
    } else {
        for (int16_t side = 1; side <= 3; ++side) {
            if (ChosenBox[side] == -1)
                continue;
            int16_t box = ChosenBox[side], s = side;
            AnimateBox(box, hand, s);
            if (stopped(run))
                return;
        }
    }
    if (stopped(run))
        return;
    General::SleepSeconds(1);
    if (BoxRoadOn)
        SettleHand();
    if (Prop_GameDllState > 0) {
        CallPlugin([](Tesmora& p) { p.InitShowNext(false); });
        General::SleepSeconds(1);
        table.LbProp.SetVisible(false);
    }
}

} // namespace Mod_Prop

void MainForm::ImgProp_Click(int16_t index)
{
    using namespace Mod_Prop;
    if (Prop_GameDllState == 2) {
        // Only the own side's closed boxes take a click.
        if (BoxClicked || index < 0 || index > 4 || !ImgProp.Exists(index) || !ImgProp(index).Enabled())
            return;
        BoxClicked = true;
        OpenTreasureBoxes(index);
        return;
    }
    // Props are not running with boxes: the boxes go out of sight; they are
    // kept for the next set-up.
    for (Image& box : ImgProp) {
        box.SetVisible(false);
        box.SetEnabled(false);
    }
}

void MainForm::TimerProp_Timer()
{
    using namespace Mod_Prop;
    TimerProp.SetEnabled(false);
    if (BoxAnimOn) {
        ++BoxStep;
        if (BoxStep < BoxSteps) {
            ShowBoxAwards(BoxStep);
            TimerProp.SetEnabled(true);
            return;
        }
        FinishBoxes(*this);
        return;
    }
    if (LabelTimerOn) {
        LabelTick();
        return;
    }
    TimerProp.SetEnabled(true);
}

} // namespace mj
