// The table window's hot spots of the chat window and the phrase window.
#include "client/MainForm.h"

#include "social/Talk.h"
#include "social/huifu.h"

namespace mj {

void MainForm::WireChatWindowEvents()
{
    Lbchat.OnClick = [this] { Lbchat_Click(); };
    imgword1.OnClick = [this] { imgword1_Click(); };
    imgword2.OnClick = [this] { imgword2_Click(); };
}

void MainForm::Lbchat_Click()
{
    Talk& talk = form<Talk>();
    if (talk.Visible())
        talk.Hide();
    else
        ShowChatWindow();
}

void MainForm::imgword1_Click()
{
    ToggleQuickPhrases(&huifu::List1);
}

void MainForm::imgword2_Click()
{
    ToggleQuickPhrases(&huifu::List2);
}

} // namespace mj
