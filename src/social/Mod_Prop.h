// The props plug-in's state shared by the table: the plug-in object and its
// state, the item last fetched from the plug-in's queue, the hand-over of a
// hand's award data to the settlement, and the treasure-box countdown that the
// main loop runs. Also the props procedures other parts of the client call.
//
// Every call into the plug-in is made only while Prop_GameDllState is above 0.
#pragma once

#include "platform/Picture.h"
#include "platform/PropPlugin.h"

#include <QRandomGenerator>
#include <QString>
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
