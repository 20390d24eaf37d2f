// The props plug-in's state shared by the table: the plug-in object and its
// state, the item last fetched from the plug-in's queue, the hand-over of a
// hand's award data to the settlement, and the treasure-box countdown that the
// main loop runs. Also the props procedures other parts of the client call.
//
// Every call into the plug-in is made only while Prop_GameDllState is above 0.
#pragma once

#include "platform/Controls.h"
#include "platform/Picture.h"
#include "platform/PropPlugin.h"

#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>

namespace mj::Mod_Prop {

// 0 no plug-in, -1 props off for the run, 1 ready, 2 ready with box data.
inline int16_t Prop_GameDllState = 0;
// The plug-in object; kept across shut-downs.
inline std::unique_ptr<Tesmora> PropObj;
// The main loop polls the plug-in and runs the box countdown while set.
inline bool PropPolling = false;

// From the command line: props allowed (1), account, credential and the
// value handed to the plug-in at set-up.
inline int16_t Prop_swicth = 0;
inline QString CmdAccount;
inline QString CmdCredential;
inline int16_t CmdPluginParam = 0;

// The item last fetched with GetSendBuff. The plug-in decides the sizes of
// the frame, the rectangle and the parameters, so their users check them.
inline int16_t PropCommand = 0;
inline QString PropText;
inline Picture PropPicture;
inline QVector<uint8_t> PropSendFrame;
inline QVector<int32_t> PropRect;
inline QVector<int32_t> PropParams = QVector<int32_t>(5, 0);

// Settlement hand-over: the main loop fetches the award data, then settles.
inline bool ScoreInfoPending = false;
inline bool PropMsg46Seen = false;      // a code-46 frame reached the plug-in
inline bool DrawnRound = false;         // settle as a drawn hand
inline bool PropExitAfterScore = false; // shut the plug-in down after the settlement
inline int16_t ScoreShowState = 0;      // 0 idle, 1 waiting for the plug-in, 2 shown
inline bool PropBoxesHidden = false;    // HidePropBoxes ran in this hand

// The hand's award data, by side.
inline BonusTextArray BonusText;
inline BonusCoinsArray BonusCoins;
inline AwardTextsArray AwardTexts;

// Treasure-box countdown: 20 ticks a second from BoxCountdown down.
inline bool BoxCountdownOn = false;
inline int16_t BoxCountdownTicks = 0;
inline int16_t BoxCountdown = 0;
inline bool BoxClicked = false; // the player picked a box

// A hand's awards are on their way to the settlement through the treasure
// boxes (from the boxes' set-up until the hand is settled).
inline bool BoxRoadOn = false;
// Goes up at every shut-down: a box move or opening under way sees it change
// and stops at once.
inline uint32_t BoxRoadRun = 0;
// A box opening is under way (the moves before the count).
inline bool BoxOpening = false;
// Hands settled through SettleHand in this run.
inline int32_t SettledHands = 0;

// Box geometry, timing and pictures from GetBaoInfo, in table pixels: box i
// at BoxPos(i); boxes open at BoxCentre and move to SeatPoint(side); the
// label's prompts and awards are centred on LabelPoint's x below its y;
// BoxTiming is the count's interval (ms) and number of steps.
inline BoxPosArray BoxPos;
inline PropPair BoxCentre;
inline SeatPointArray SeatPoint;
inline PropPair LabelPoint;
inline BoxTimingArray BoxTiming;
inline Picture ClosedBoxPicture;
inline PropPair ClosedBoxSize;
inline Picture OpenedBoxPicture;
inline PropPair OpenedBoxSize;
// The box opened for each side (-1 none).
inline VbArray<int16_t, 0, 3> ChosenBox;
// The award count: on, its step and number of steps.
inline bool BoxAnimOn = false;
inline int16_t BoxStep = 0;
inline int16_t BoxSteps = 0;
// Award names by side and the lines of one award text.
inline VbArray<QString, 0, 3> AwardNames;
inline QStringList AwardLines;
// Kept by ShowBoxAwards between its calls.
inline VbArray<float, 0, 3> StepCoins;
inline VbArray<double, 0, 3> ShownCoins;
inline int16_t AwardNameWidth = 0;
inline int16_t CoinDigits = 0;

// The timed label: counted by TimerProp until LabelTickLimit ticks.
inline bool LabelTimerOn = false;
inline int16_t LabelTicks = 0;
inline int16_t LabelTickLimit = 0;
// The random source of the box picks, seeded from the clock at set-up.
inline QRandomGenerator PropRandom;

// Creates and sets up the plug-in; true when it is ready.
bool InitPropPlugin();
// Shuts a loaded plug-in down: mode 1 at program end, else 0.
void ExitPropPlugin(int16_t& mode);
// A plug-in notice into the chat history and the system message lines.
void AddSysMessage(QString& text);
// Shows the props label: rect 0..3 width, height, left, top; params 0..4
// interval, ticks, font size, colour, alignment.
void ShowPropLabel(QString& text, QVector<int32_t>& rect, QVector<int32_t>& params);
// Lays out the treasure boxes and starts their countdown.
void ShowTreasureBoxes();
// -1 opens the boxes picked for the other sides; 0 to 4 opens that own box.
void OpenTreasureBoxes(int16_t& box);
// The settlement of a drawn hand.
void SettleDrawnRound();
// Hides the boxes and the label once per hand.
void HidePropBoxes();
// The display width of a text: 2 for a character of two bytes in GBK, 1 for
// any other.
int16_t GetAnsiWidth(const QString& s);
// Opens (open set: to the centre, then hidden) or hands over (open clear:
// the opened box from the centre to the side's seat point) box `box`.
void AnimateBox(int16_t& box, int16_t& open, int16_t& side);
// Moves the control in five steps of 37 ms from (x0, y0) to (x1, y1); false
// when the move failed or was stopped by a shut-down.
bool MoveInSteps(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Control& control);
// Waits the milliseconds on the monotonic clock while window events run.
void WaitMs(int16_t ms);
// The award label: -1 prepares it, a step below BoxSteps counts, BoxSteps
// and above shows the final awards.
void ShowBoxAwards(int16_t& step);
// Whether the side takes part in the boxes: either of its award texts is
// not empty.
bool TakesPart(int side);
// Stops the box countdown, the opening, the count and the timed label, and
// hides the boxes and the label.
void ClearPropDisplay();
// A line into the chat history, wrapped at 44 columns, scrolled to its end.
void AddToHistory(const QString& text);
// One tick of the timed label.
void LabelTick();
// The box countdown's words and the seconds left, as the countdown shows them.
QString BoxCountdownCaption();
// LbProp shows the box countdown: centred on the label point, red.
void ShowBoxCountdown();

// Settles the hand that ended: the drawn-hand settlement when DrawnRound is
// set, else the usual one. The hand no longer waits for awards or boxes.
void SettleHand();
// Award data just taken from the plug-in made safe to count and show: texts
// cut to a bound, an amount that is not finite as 0, amounts within
// +-10^12.
void CheckAwardData();
// A box picked at random for the own side when the player lets the time
// run out: 0 to 3.
int16_t RandomBox();

// Every variable above back to its program-start value; the plug-in object
// is released.
void ResetState();

// ---- The one way into the plug-in -------------------------------------------
//
// Every caller reaches the plug-in object through CallPlugin or, for the few
// calls allowed whatever the state, CallPluginObject; nothing else touches
// PropObj's members (set-up and shut-down in this module excepted).
//
//   CallPlugin([&](Tesmora& p) { p.rec_state(2, true, side); });
//   if (CallPlugin([](Tesmora& p) { return p.ShowQvVideo(0, true, 0); }).value_or(false)) ...
//
// The call is made only while Prop_GameDllState is above 0 (CallPlugin) or
// while the object exists (CallPluginObject: SetUserinfo, and the hover reset
// of ShowQvVideo). A member that returns a value gives it in a
// std::optional, empty when the call was not made or failed; a member
// without one gives true when it ran through. Whatever a member throws stays
// here: props go off for the rest of the run (PluginFailed).

// A member threw: the plug-in is shut down (its own errors ignored), props
// are off for the run (-1), and a hand still waiting for its awards or its
// boxes is settled at once without boxes.
void PluginFailed();

template <typename Member>
auto CallPluginObject(Member&& member)
{
    using Result = std::invoke_result_t<Member&, Tesmora&>;
    if constexpr (std::is_void_v<Result>) {
        if (!PropObj)
            return false;
        try {
            member(*PropObj);
            return true;
        } catch (...) {
            PluginFailed();
            return false;
        }
    } else {
        if (!PropObj)
            return std::optional<Result>();
        try {
            return std::optional<Result>(member(*PropObj));
        } catch (...) {
            PluginFailed();
            return std::optional<Result>();
        }
    }
}

template <typename Member>
auto CallPlugin(Member&& member)
{
    using Answer = decltype(CallPluginObject(member));
    if (Prop_GameDllState <= 0)
        return Answer{};
    return CallPluginObject(member);
}

} // namespace mj::Mod_Prop
