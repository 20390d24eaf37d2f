// The main loop: TimerBong ticks every 50 ms, advances the soft timers and
// runs the work of those that are due, polls the props plug-in, runs the
// treasure-box countdown and the local-video poll. The timer is off during
// its own tick, so ticks never overlap.
#include "client/MainForm.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/Mod_Proxy.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/frmReconnect.h"
#include "controls/AI.h"
#include "controls/Operate.h"
#include "controls/Score.h"
#include "dispatch/Total.h"
#include "platform/Clock.h"
#include "social/Mod_Prop.h"
#include "table/NewGame.h"
#include "video/Operate.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <ctime>

namespace mj {

namespace {

// Periods in ticks of the slots that count ticks.
constexpr int16_t SendPeriod = 1, RecvPeriod = 2, ConnectWatchPeriod = 4, BlinkPeriod = 8,
                  ConnectionMonitorPeriod = 1, ClockSlotPeriod = 20, BubbleHidePeriod = 40;
constexpr int32_t WatchdogLimit = 5000;  // receive turns without a frame during a game
constexpr double SettlementWaitLimit = 5; // seconds the plug-in's award data are waited for
constexpr int32_t ColourRed = 0xFF, ColourGreen = 0xFF00;
// Plug-in items taken in one tick at most, and the longest text kept of one.
constexpr int32_t PropItemsPerTick = 64;
constexpr qsizetype PropTextLimit = 1024;

// A slot's turn: due when on and its counter has reached the period; the
// counter goes back to 0 when it runs, and after its turn whenever it is at
// or above the period, on or off.
template <typename Work>
void runSlot(bool on, int16_t& ticks, int16_t period, Work work)
{
    if (on && ticks >= period) {
        ticks = 0;
        work();
    }
    if (ticks >= period)
        ticks = 0;
}

// A clock second has passed when the clock is a second or more past the last
// one, or before it (the clock of seconds since midnight started again). A
// slot that was off counts its first second from the tick that sees it on.
bool clockSecondDue(bool on, bool& wasOn, double& last)
{
    // The clock is read only while the slot runs: reading the time of day
    // looks at the time zone, which an idle table need not do twenty times
    // a second.
    if (!on) {
        wasOn = false;
        return false;
    }
    const double now = Clock::Timer();
    if (!wasOn) {
        wasOn = true;
        last = now;
        return false;
    }
    if (now >= last + 1.0 || now < last) {
        last = now;
        return true;
    }
    return false;
}

// The number at the start of a plug-in text, as a 16-bit integer rounded
// half to even; nothing when it lies outside the 16-bit range.
std::optional<int16_t> leadingNumber(const QString& text)
{
    const double v = RoundHalfEven(Val(text));
    if (v < -32768 || v > 32767)
        return std::nullopt;
    return static_cast<int16_t>(v);
}

// For the benchmark: with MJ_DISPATCH_TIMES naming a file, every frame the
// dispatcher handles appends a line there: its code, the wall time and the
// main thread's CPU time of its handling, in microseconds.
class DispatchTimes {
public:
    DispatchTimes()
    {
        const QString path = qEnvironmentVariable("MJ_DISPATCH_TIMES");
        if (path.isEmpty())
            return;
        file_.setFileName(path);
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
            return;
        wall_.start();
        cpu_ = threadCpuMicroseconds();
    }
    void Done(int code)
    {
        if (!file_.isOpen())
            return;
        file_.write(QByteArray::number(code) + ' ' + QByteArray::number(wall_.nsecsElapsed() / 1000) + ' '
                    + QByteArray::number(threadCpuMicroseconds() - cpu_) + '\n');
    }

private:
    static qint64 threadCpuMicroseconds()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<qint64>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
    }
    QFile file_;
    QElapsedTimer wall_;
    qint64 cpu_ = 0;
};

} // namespace

void StartTurnClock(int16_t seconds)
{
    TurnCountdown = seconds;
    TurnClockOn = true;
    TurnClockWasOn = true;
    TurnClockLast = Clock::Timer();
}

void StartNextRoundCountdown(int16_t seconds)
{
    TurnCountdown = seconds;
    NextRoundCountdownOn = true;
    NextRoundWasOn = true;
    NextRoundClockLast = Clock::Timer();
}

void StartFirstLoginWatch()
{
    FirstLoginWatchOn = true;
    FirstLoginStartedAt = Clock::Monotonic();
    LoginSentAt = -1;
}

void StopFirstLoginWatch()
{
    FirstLoginWatchOn = false;
    LoginSentAt = -1;
}

void NoteLoginSent()
{
    if (FirstLoginWatchOn)
        LoginSentAt = Clock::Monotonic();
}

void MainForm::FirstLoginWatch()
{
    if (!FirstLoginWatchOn)
        return;
    const double now = Clock::Monotonic();
    const int16_t state = Winsock1.State();
    const bool failed = LoginSentAt < 0
        ? state == sckError || now - FirstLoginStartedAt > FirstConnectLimit
        : state != sckConnected || now - LoginSentAt > LoginAnswerLimit;
    if (!failed)
        return;
    // As a refused login: tell the hall, bring it back, end.
    StopFirstLoginWatch();
    Api::PostToHall(HallMsgConnecting);
    Operate::RestoreHallWindow();
    EndProgram();
}

void MainForm::TimerBong_Timer()
{
    TimerBong.SetEnabled(false);
    ++SendTicks;
    ++RecvTicks;
    ++ConnectWatchTicks;
    ++BlinkTicks;
    ++Slot5Ticks;
    ++ConnectionMonitorTicks;
    ++TurnClockTicks;
    ++NextRoundCountdownTicks;
    ++BubbleHideTicks;

    runSlot(SendOn, SendTicks, SendPeriod, [this] { SendSlot(); });
    runSlot(RecvOn, RecvTicks, RecvPeriod, [this] { ReceiveSlot(); });
    runSlot(ConnectWatchOn, ConnectWatchTicks, ConnectWatchPeriod, [this] { ConnectWatchSlot(); });
    FirstLoginWatch();
    runSlot(BlinkOn, BlinkTicks, BlinkPeriod, [this] { BlinkSlot(); });
    if (Slot5Ticks >= ClockSlotPeriod)
        Slot5Ticks = 0;
    TurnClockSlot();
    NextRoundSlot();
    runSlot(ConnectionMonitorOn, ConnectionMonitorTicks, ConnectionMonitorPeriod,
            [this] { ConnectionMonitorSlot(); });
    runSlot(BubbleHideOn, BubbleHideTicks, BubbleHidePeriod, [this] { BubbleHideSlot(); });

    if (Mod_Prop::PropPolling) {
        PollPropPlugin();
        SettlementHandOver();
        TreasureBoxCountdown();
    }
    LocalVideoPoll();
    RemoteVideoPoll();
    TimerBong.SetEnabled(true);
}

void MainForm::SendSlot()
{
    // A link still in the proxy's handshake does not reach the game server:
    // a frame sent into it would spoil the handshake.
    if (Total::SendWaiting() < FrameSize || !Mod_Proxy::LinkThrough(Winsock1)) {
        SendOn = false; // frames wait until a new one is queued or the link is back
        return;
    }
    FrameBytes f;
    Total::TakeQueuedFrame(f);
    // Two kinds of props frame are held back until the next round start.
    const int32_t v = f[8] * 256 + f[9];
    if (f[3] == 45 && HoldPropFrameA && v / 8 == 129) {
        HeldPropFrameA = f;
        HoldPropFrameA = false;
        return;
    }
    if (f[3] == 45 && !GameRunning && HoldPropFrameB && v / 8 == 386) {
        HeldPropFrameB = f;
        HoldPropFrameB = false;
        return;
    }
    Winsock1.SendData(QByteArray(reinterpret_cast<const char*>(f.data()), FrameSize));
}

void MainForm::ReceiveSlot()
{
    if (GameRunning) {
        ++ReceiveWatchdog;
        if (ReceiveWatchdog >= WatchdogLimit && !Api::Leaving()) {
            const Api::LeaveGuard leave;
            if (Api::FindHallWindow() == 0)
                EndProgram();
            Sysmsg(0).Clear();
            Sysmsg(0).AddItem(QStringLiteral("已经与服务器断开连接，请重新入座！"));
            if (Mod_Prop::Prop_GameDllState > 0) {
                int16_t mode = 0;
                Mod_Prop::ExitPropPlugin(mode);
            }
            SetWindowState(1);
            Operate::RestoreHallWindow();
            TableResetDone = false;
            Api::ReturnToHall();
            NewGame::ResetRoundDataCopy();
            NewGame::ClearTableAndPlaceWalls();
            ReceiveWatchdog = 0;
        }
    }
    if (Total::RecvWaiting() >= FrameSize && !Total::ReceiveHeld) {
        RecvBusy = true;
        Total::ReadServerFrame();
        if (GameRunning)
            ReceiveWatchdog = 0;
        static const bool timed = !qEnvironmentVariableIsEmpty("MJ_DISPATCH_TIMES");
        if (timed) {
            DispatchTimes times;
            const int code = info.Code;
            Total::HandleServerMessage(info);
            times.Done(code);
        } else {
            Total::HandleServerMessage(info);
        }
        // The ring has room again: take what waited in the backlog or the socket.
        if (!Total::RecvBacklog.isEmpty() || Winsock1.BytesAvailable() > 0)
            ReceiveFromSocket();
    }
    if (Total::RecvWaiting() >= FrameSize) {
        RecvTicks = 1; // due again on the next tick
    } else {
        RecvBusy = false;
        RecvTicks = 0;
    }
}

void MainForm::ConnectWatchSlot()
{
    Api::PostToHall(HallMsgConnecting);
    if (Winsock1.State() == sckConnected) {
        LoginPending = true;
        Winsock1.SendData(Total::LoginFrameBytes());
        NoteLoginSent();
        ConnectionMonitorOn = true;
        ConnectionMonitorTicks = 0;
        ConnectWatchOn = false;
    }
    ConnectWatchTicks = 0;
    Mod_Prop::CallPlugin([](Tesmora& p) { p.rec_state(3, true); });
}

void MainForm::BlinkSlot()
{
    if (BlinkCount > 0) {
        --BlinkCount;
        if (BlinkImage >= 0 && BlinkImage != ClaimedDiscardImage)
            MJ_Image(BlinkImage).SetVisible(true);
        if (ClaimedDiscardImage >= 0) {
            Image& tile = MJ_Image(ClaimedDiscardImage);
            tile.SetVisible(!tile.Visible());
        }
        BlinkImage = ClaimedDiscardImage;
    } else if (ClaimedDiscardImage >= 0) {
        MJ_Image(ClaimedDiscardImage).SetVisible(true);
    }

    if (ChatFlash > 0) {
        --ChatFlash;
        LoadButtonPicture(1, ChatFlash % 2 == 0 ? 3 : 2);
    } else {
        LoadButtonPicture(1, 2);
    }
}

void MainForm::LoadButtonPicture(int index, int pictureEntry)
{
    Image_Resource::LoadGifResource(CInt(Image_Resource::ButtonPicture[pictureEntry]), QStringLiteral("GIF"),
                                    AnNiu(index));
}

void MainForm::ShowCountdown()
{
    Number.SetCaption(QString::number(TurnCountdown));
    Number.SetForeColor(TurnCountdown <= 5 ? ColourRed : ColourGreen);
}

void MainForm::TurnClockSlot()
{
    if (TurnClockTicks >= ClockSlotPeriod)
        TurnClockTicks = 0;
    if (!clockSecondDue(LoggedIn && TurnClockOn, TurnClockWasOn, TurnClockLast))
        return;

    if (TurnCountdown > 0) {
        --TurnCountdown;
        ShowCountdown();
        if (TurnCountdown <= 5 && Mod_Sound::FunctionSoundOn) {
            Mod_Sound::PlayWave(Mod_Resource::SoundFile[6], false, 0);
            Mod_Sound::SetWaveVolume(3000);
        }
        return;
    }
    if (!TurnClockActs) {
        Time_Img.SetVisible(false);
        Number.SetVisible(false);
        TurnCountdown = TurnSeconds;
        TurnClockOn = false;
        return;
    }
    if (DecisionState >= 2)
        return; // the player is acting: the clock stays at 0

    DecisionState = 3;
    if (!BossKey) {
        ++TimeoutCount;
        if (TimeoutLimit > 0 && TimeoutCount >= TimeoutLimit) {
            // Too many time-outs in a row: the boss key is pressed for the player.
            int16_t key = 112;
            Mod_Prop::CallPlugin([&key](Tesmora& p) { p.SetKeyDown(key); });
            key = 112;
            Pic1_KeyDown(key, 0);
        }
    }
    Time_Img.SetVisible(false);
    Number.SetVisible(false);
    TurnCountdown = TurnSeconds;
    TurnClockOn = false;
    if (custom[0].sum > 0) {
        if (AutoPlay)
            AI::AutoPlayTurn();
        else
            AI::TimeoutPlay();
    }
}

void MainForm::NextRoundSlot()
{
    if (NextRoundCountdownTicks >= ClockSlotPeriod)
        NextRoundCountdownTicks = 0;
    if (!clockSecondDue(LoggedIn && NextRoundCountdownOn, NextRoundWasOn, NextRoundClockLast))
        return;

    if (TurnCountdown > 0) {
        --TurnCountdown;
        ShowCountdown();
        return;
    }
    Number.SetVisible(false);
    Time_Img.SetVisible(false);
    form<Score>().Hide();
    // The ready goes out once a hand: the countdown's uses the button as a
    // click on 继续 does, even when the table was reset already.
    LoadButtonPicture(2, 6);
    ButtonUsed[2] = true;
    SendReady();
    NextRoundCountdownOn = false;
}

void MainForm::ShowSeatShuffle()
{
    ImgShuffle.SetVisible(true);
    ImgShuffle.ZOrder(0);
    LblShuffle.SetVisible(true);
    LblShuffle.ZOrder(0);
    TimerShuffle.SetInterval(300);
    TimerShuffle.SetEnabled(true);
    LblShuffle.SetCaption(SeatShuffleTexts[0]);
    SeatShuffleRunning = true;
    SeatShuffleStep = 0;
    if (WebBrowser::IsWebAddress(AdPageUrl)) {
        WebBrowser2.Navigate(AdPageUrl);
        WebBrowser2.ZOrder(0);
        WebBrowser2.SetVisible(true);
    }
}

void MainForm::ConnectionMonitorSlot()
{
    if (Winsock1.State() == sckConnected)
        return;
    Mod_Prop::CallPlugin([](Tesmora& p) { p.rec_state(3, false); });
    if (Api::FindHallWindow() == 0)
        EndProgram();
    if (ReconnectAllowed) {
        ConnectionMonitorOn = false;
        LoggedIn = false;
        form<frmReconnect>(); // loading it starts the reconnection; it stays hidden
    }
}

void MainForm::BubbleHideSlot()
{
    Speak(BubbleSide).SetVisible(false);
    tsSpeak(BubbleSide).SetVisible(false);
    Words.SetVisible(false);
}

void MainForm::PollPropPlugin()
{
    using namespace Mod_Prop;
    // However many items the plug-in claims, one tick takes a bounded number.
    const int32_t n = std::min(CallPlugin([](Tesmora& p) { return p.CheckSendBuff(); }).value_or(0), PropItemsPerTick);
    for (int32_t item = 0; item < n; ++item) {
        if (Prop_GameDllState <= 0)
            return; // shut down while polling: stop for this tick
        PropCommand = -1;
        if (!CallPlugin([](Tesmora& p) {
                p.GetSendBuff(PropPicture, PropText, PropSendFrame, PropCommand, PropRect, PropParams);
            }))
            return;
        if (PropText.size() > PropTextLimit)
            PropText.truncate(PropTextLimit);
        switch (PropCommand) {
        case 0:
            if (!PropText.isEmpty()) {
                AddSysMessage(PropText);
                PropText.clear();
            }
            break;
        case 1:
            // A label needs its whole rectangle and all five parameters.
            if (!PropText.isEmpty() && PropRect.size() >= 4 && PropParams.size() >= 5) {
                ShowPropLabel(PropText, PropRect, PropParams);
                PropText.clear();
                PropRect.clear();
                PropParams.clear();
            }
            break;
        case 2:
            if (PropSendFrame.size() == FrameSize) {
                FrameBytes frame;
                std::copy(PropSendFrame.begin(), PropSendFrame.end(), frame.begin());
                Total::QueueRawFrame(frame);
            }
            break;
        case 3:
            if (auto s = leadingNumber(PropText); s && *s >= 1 && *s <= 3) {
                int16_t side = *s;
                Tou_Click(side);
            }
            break;
        case 4:
            if (auto s = leadingNumber(PropText)) {
                int16_t key = *s;
                Pic1_KeyDown(key, 0);
            }
            break;
        case 5:
            if (auto s = leadingNumber(PropText); s && *s >= 0 && *s <= 3)
                Tou_MouseMove(*s, 0, 0, 0, 0);
            break;
        default:
            break;
        }
    }
}

void MainForm::Settle()
{
    Mod_Prop::SettleHand();
}

void MainForm::SettlementHandOver()
{
    using namespace Mod_Prop;
    if (!ScoreInfoPending)
        return;
    if (Prop_GameDllState > 0 && PropObj && PropMsg46Seen) {
        if (ScoreInfoAskedSince < 0)
            ScoreInfoAskedSince = Clock::Monotonic();
        const auto answer = CallPlugin([](Tesmora& p) { return p.GetScoreInfo(BonusText, BonusCoins, AwardTexts); });
        if (!ScoreInfoPending)
            return; // the plug-in failed and the hand was settled without it
        if (answer == 1) {
            CheckAwardData();
            PropMsg46Seen = false;
            BoxClicked = false;
            ScoreInfoAskedSince = -1;
            if (Prop_GameDllState == 2) {
                ScoreInfoPending = false;
                ShowTreasureBoxes(); // the settlement follows the boxes
            } else {
                Settle();
                CallPlugin([](Tesmora& p) { p.InitShowNext(false); });
            }
            return;
        }
        // The award data are waited for a few seconds at most; then the hand
        // is settled without treasure boxes, as with a plug-in that has none.
        if (Clock::Monotonic() - ScoreInfoAskedSince < SettlementWaitLimit)
            return;
        PropMsg46Seen = false;
        ScoreInfoAskedSince = -1;
        Settle();
        CallPlugin([](Tesmora& p) { p.InitShowNext(false); });
        return;
    }
    ScoreInfoAskedSince = -1;
    const bool ready = Prop_GameDllState > 0;
    Settle();
    if (ready)
        CallPlugin([](Tesmora& p) { p.InitShowNext(false); });
}

void MainForm::TreasureBoxCountdown()
{
    using namespace Mod_Prop;
    if (!BoxCountdownOn)
        return;
    if (++BoxCountdownTicks < 20)
        return;
    BoxCountdownTicks = 0;
    --BoxCountdown;
    if (BoxClicked) {
        BoxCountdownOn = false;
    } else if (TakesPart(0)) {
        // Each second shows the countdown in its own box and style, over
        // whatever label the plug-in put up meanwhile.
        ShowBoxCountdown();
        if (BoxCountdown <= 0) {
            BoxCountdownOn = false;
            // One of the first four own boxes: the fifth is never picked.
            int16_t box = RandomBox();
            OpenTreasureBoxes(box);
        }
    } else {
        ShowBoxCountdown();
        if (BoxCountdown <= 2) {
            BoxCountdownOn = false;
            int16_t others = -1;
            OpenTreasureBoxes(others);
        }
    }
}

void MainForm::LocalVideoPoll()
{
    if (!VideoPoll)
        return;
    if (++VideoTicks < 4)
        return;
    VideoPoll = false;
    VideoTicks = 0;
    Operate::ShowLocalVideo(CameraOn);
}

void MainForm::TimerKeepAlive_Timer()
{
    MsgHeader keepAlive;
    keepAlive.Code = MsgKeepAlive;
    keepAlive.Seat = custom[0].SeatMask;
    Total::QueueMessage(keepAlive);
}

} // namespace mj
