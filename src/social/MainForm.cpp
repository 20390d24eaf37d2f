// The table window's event procedures that belong to chat and props: the
// chat line with its flood guard, and the private-chat target picked by a
// click on another player's avatar.
#include "client/MainForm.h"

#include "client/Data.h"
#include "client/Total.h"
#include "platform/Runtime.h"
#include "social/ChatLine.h"
#include "social/Talk.h"

namespace mj {

namespace {

constexpr int16_t KeyEnter = 13;
constexpr int16_t KeyBackspace = 8;

// Above this many lines the chat history is cleared when a key is typed
// into the chat line.
constexpr int HistoryClearAbove = 100;

} // namespace

void MainForm::WireChatLineEvents()
{
    Chat.OnKeyPress = [this](int16_t& keyAscii) { Chat_KeyPress(keyAscii); };
    Chat.OnChange = [this] { Chat_Change(); };
    TimerChat.OnTimer = [this] { TimerChat_Timer(); };
    Tou.OnClick = [this](int16_t index) {
        int16_t side = index;
        Tou_Click(side);
    };
}

void MainForm::Chat_KeyPress(int16_t& keyAscii)
{
    ListBox& history = form<Talk>().Text1;
    if (history.ListCount() > HistoryClearAbove)
        history.Clear();

    if (keyAscii == KeyEnter && !WatchMode) {
        if (ChatMaySend) {
            ChatMaySend = false;
            TimerChat.SetEnabled(true);
            MsgHeader request;
            request.Code = MsgChat;
            request.Seat = custom[0].SeatMask;
            const QString typed = Chat.Text();
            Chat.SetText(QString());
            if (typed.isEmpty() || TrimBlanks(typed) == TrimBlanks(WhisperPrefix))
                return;
            const QString prefix = WhisperPrefix;
            ChatOut = ChatLineText(request, typed, ChatLineBody(typed));
            if (!Total::QueueMessage(request)) {
                // The send ring had no room: nothing went out, so the line
                // and its target stay for another try, and the guard opens.
                ChatOut.clear();
                WhisperPrefix = prefix;
                Chat.SetText(typed);
                Chat.SetSelStart(static_cast<int>(typed.size()));
                TimerChat.SetEnabled(false);
                ChatMaySend = true;
            }
        } else if (!Chat.Text().isEmpty()) {
            history.AddItem(QStringLiteral("（发送消息太快！）"));
            Chat.SetText(QString());
            if (history.ListCount() > 0)
                history.SetTopIndex(history.ListCount() - 1);
        }
        return;
    }

    if (keyAscii == KeyBackspace && !WhisperPrefix.isEmpty()) {
        const QString text = Chat.Text();
        ChatTextBeforeBackspace = text;
        // The Backspace takes the selection, or else the character before
        // the caret; when that touches the prefix where it stands, the whole
        // prefix goes instead.
        const qsizetype at = text.indexOf(WhisperPrefix, 0, Qt::CaseSensitive);
        if (at < 0)
            return;
        const int caret = Chat.SelStart();
        const int length = Chat.SelLength();
        const int first = length > 0 ? caret : caret - 1;
        const int last = caret + length;
        if (first < at + WhisperPrefix.size() && last > at && first >= 0)
            PrefixErasePending = true;
    }
}

void MainForm::Chat_Change()
{
    if (!PrefixErasePending)
        return;
    PrefixErasePending = false;
    const QString rest = ChatLineBody(ChatTextBeforeBackspace);
    WhisperPrefix.clear();
    WhisperSide = 0;
    Chat.SetText(rest);
    Chat.SetSelStart(static_cast<int>(rest.size()));
}

void MainForm::TimerChat_Timer()
{
    TimerChat.SetEnabled(false);
    ChatMaySend = true;
}

// Only another player's seated avatar starts a private line: the own avatar,
// an empty seat, a seat whose mask is not known (the line would go out to
// everyone) and any number outside the table's sides change nothing.
void MainForm::Tou_Click(int16_t& index)
{
    if (!LoggedIn || index < 1 || index > 3)
        return;
    const QString name = Players[index].Name;
    const uint8_t mask = custom[index].SeatMask;
    if (name.isEmpty() || mask == 0)
        return;
    const QString prefix = QStringLiteral("你对") + name + QStringLiteral("说: ");
    const QString rest = ChatLineBody(Chat.Text());
    WhisperSide = mask;
    WhisperPrefix = prefix;
    Chat.SetText(prefix + rest);
    Chat.SetSelStart(static_cast<int>(Chat.Text().size()));
    // The box takes the keyboard where it can; a hidden or minimised table
    // (the props plug-in picks avatars too) keeps the line without it.
    try {
        Chat.SetFocus();
    } catch (const RuntimeError&) {
    }
}

} // namespace mj
