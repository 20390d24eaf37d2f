// The table window's hot spots of the chat window and the phrase window.
#include "client/MainForm.h"

#include "social/Talk.h"

namespace mj {

void MainForm::WireChatWindowEvents()
{
    Lbchat.OnClick = [this] { Lbchat_Click(); };
}

void MainForm::Lbchat_Click()
{
    Talk& talk = form<Talk>();
    if (talk.Visible())
        talk.Hide();
    else
        ShowChatWindow();
}

} // namespace mj
