// The toolbar of the table window: nine picture buttons AnNiu(0..8) with
// their hover pictures and tooltips, and the seat-change text that the ready
// button may start.
#include "client/MainForm.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/frmExit.h"
#include "controls/FloatingForms.h"
#include "controls/Hero.h"
#include "controls/Operate.h"
#include "controls/Score.h"
#include "controls/Toolbar.h"
#include "social/ChatLine.h"
#include "social/Mod_Prop.h"
#include "social/Talk.h"
#include "social/VosSet.h"
#include "social/rule.h"
#include "table/NewGame.h"

namespace mj {

namespace {

// The ButtonPicture entry of button i's normal picture; its hover picture
// is the entry after it. Button 2 reads 开始 until the first hand starts.
int NormalPicture(int i)
{
    if (i == 2)
        return RoundNo < 1 && FirstGame ? 4 : 6;
    return i < 2 ? 2 * i : 2 * i + 2;
}

const char* const ButtonTips[] = {
    "发送信息，快捷键为回车键", "点击打开聊天窗口", "点击开始新一局游戏",
    "游戏的基本设置",           "最小化窗口，快捷键为F1", "可以查看当前牌局详细结果",
    "可以查看本次游戏的所有牌局详细结果", "点击这里了解游戏规则", "退出游戏",
};

void TellPluginBankState()
{
    Mod_Prop::CallPlugin([](Tesmora& p) { p.setbankstate(2); });
}

} // namespace

void MainForm::AnNiu_MouseMove(int16_t index, int16_t, int16_t, float, float)
{
    if (index < 0 || index > 8)
        return;
    if (!ButtonHover[index]) {
        ButtonHover[index] = true;
        LoadButtonPicture(index, NormalPicture(index) + 1);
    }
    AnNiu(index).SetToolTipText(QString::fromUtf8(ButtonTips[index]));
}

// Puts every hovered toolbar button back to its normal picture.
void RestToolbarButtons(MainForm& table)
{
    for (int i = 0; i <= 8; ++i) {
        if (!ButtonHover[i])
            continue;
        ButtonHover[i] = false;
        table.LoadButtonPicture(i, NormalPicture(i));
    }
}

void MainForm::AnNiu_Click(int16_t& index)
{
    switch (index) {
    case 0: { // 发送: the chat line
        const QString box = Chat.Text();
        if (box.isEmpty() || TrimBlanks(box) == TrimBlanks(WhisperPrefix))
            return;
        MsgHeader request;
        request.Code = MsgChat;
        request.Seat = custom[0].SeatMask;
        const QString prefix = WhisperPrefix;
        ChatOut = ChatLineText(request, box, ChatLineBody(box));
        Chat.SetText(QString());
        if (!Total::QueueMessage(request)) {
            // The send ring had no room: the line and its target stay.
            ChatOut.clear();
            WhisperPrefix = prefix;
            Chat.SetText(box);
        }
        break;
    }
    case 1: { // 聊天
        Talk& talk = form<Talk>();
        if (talk.Visible())
            talk.Hide();
        else
            ShowChatWindow();
        break;
    }
    case 2: { // 开始 / 继续: ready for the next hand
        form<Hero>().Hide();
        form<Score>().Hide();
        if (OtherExitShown) {
            TableResetDone = false;
            Api::ReturnToHall();
            NewGame::ResetRoundDataCopy();
            NewGame::ClearTableAndPlaceWalls();
            Api::LeaveToHallWindow();
            return;
        }
        // An onlooker never declares itself ready for the watched player.
        if (ButtonUsed[2] || WatchMode)
            return;
        FirstGame = false;
        LoadButtonPicture(2, 6);
        OK(0).SetVisible(true);
        OK(0).ZOrder(0);
        ReadySent = true;
        NextRoundCountdownOn = false;
        Time_Img.SetVisible(false);
        Number.SetVisible(false);
        ButtonUsed[2] = true;
        SendReady();
        break;
    }
    case 3: { // 设置
        VosSet& settings = form<VosSet>();
        if (!settings.Visible()) {
            settings.SetTop(Top() + Pic1.Top() + Pic1.Height() - 1.35 * settings.Height());
            settings.SetLeft(Left() + Pic1.Left() + Pic1.Width() - 1.1 * settings.Width());
            settings.Show();
        } else {
            settings.Hide();
        }
        TellPluginBankState();
        break;
    }
    case 4: { // 隐藏: the boss key
        SetWindowState(1);
        form<Hero>().Hide();
        form<Score>().Hide();
        form<Talk>().Hide();
        form<VosSet>().Hide();
        form<rule>().Hide();
        int16_t key = 112;
        Form_KeyDown(key, 0);
        break;
    }
    case 5: { // 战绩: the score board of a hand
        Score& board = form<Score>();
        if (board.Visible()) {
            board.Hide();
            break;
        }
        Operate::LoadRoundRecord(HandInPlay ? static_cast<int16_t>(RoundNo - 1) : RoundNo);
        CentreOverTable(board);
        board.Show();
        board.ZOrder(0);
        break;
    }
    case 6: { // 历史
        Hero& hero = form<Hero>();
        if (hero.Visible()) {
            hero.Hide();
        } else {
            CentreOverTable(hero);
            hero.Show();
            hero.ZOrder(0);
        }
        break;
    }
    case 7: { // 规则: centred on the window, every click
        rule& page = form<rule>();
        page.SetLeft(Left() + (Width() - page.Width()) / 2);
        page.SetTop(Top() + (Height() - page.Height()) / 2);
        if (page.Visible())
            page.Hide();
        else
            page.Show();
        break;
    }
    case 8: // 退出
        TellPluginBankState();
        ToggleExitDialog();
        break;
    default:
        break;
    }
}

void MainForm::TimerShuffle_Timer()
{
    LblShuffle.SetCaption(SeatShuffleTexts[SeatShuffleStep]);
    SeatShuffleStep = static_cast<int16_t>(SeatShuffleStep >= 3 ? 0 : SeatShuffleStep + 1);
}

// Ready for the next hand: the table cleared for it once, the ready request
// queued, and the seat-change show when the server allows it.
void MainForm::SendReady()
{
    if (!TableResetDone) {
        NewGame::ResetTableForRound();
        NewGame::ClearTableAndPlaceWalls();
        NewGame::ResetRoundData();
        TableResetDone = true;
    }
    MsgHeader ready;
    ready.Code = MsgReady;
    ready.Seat = custom[0].SeatMask;
    ready.value[3] = 1;
    Total::QueueMessage(ready);
    if (SeatShuffleShown && SeatShuffleAllowed) {
        for (int i = 0; i <= 3; ++i)
            custom[i].SeatMask = 0;
        ShowSeatShuffle();
        SeatShuffleShown = false;
    }
}

} // namespace mj
