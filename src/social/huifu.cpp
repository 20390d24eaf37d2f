#include "social/huifu.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "client/Total.h"
#include "client/classIniFile.h"
#include "client/frmExit.h"
#include "platform/Program.h"
#include "platform/Resources.h"
#include "social/ChatLine.h"
#include "social/Talk.h"

#include <algorithm>

namespace mj {

namespace {

constexpr int32_t LightCyan = 0xFFFFC0; // RGB 192, 255, 255

// Runs one step; a step that fails is passed over and the next one runs.
template <class Step>
void step(Step s)
{
    try {
        s();
    } catch (const RuntimeError&) {
    }
}

void DesignPhraseList(ListBox& list)
{
    list.Move(120, 270, 4575, 2310);
    list.SetBackColor(LightCyan);
    list.SetFontName(QStringLiteral("宋体"));
    list.SetFontSize(14.25);
}

// The number of phrases of a section: a decimal number, 0 when there is
// none, kept between 0 and MaxPhrases.
int16_t PhraseCount(classIniFile& ini, const QString& section)
{
    const double n = Val(ini.GetIniKey(section, QStringLiteral("num")));
    return CInt(std::clamp(n, 0.0, double(huifu::MaxPhrases)));
}

void ReadPhrases(classIniFile& ini, const QString& section, ListBox& list)
{
    const int16_t n = PhraseCount(ini, section);
    for (int16_t i = 1; i <= n; ++i)
        list.AddItem(ini.GetIniKey(section, QString::number(i)));
}

// Sends the phrase of `list` that is selected, dressed like a typed line and
// private when the chat box holds the private prefix. The chat box is
// emptied; when the send ring has no room, the box and the prefix stay as
// they were. False when nothing went out.
bool SendPhrase(MsgHeader& request, const ListBox& list)
{
    const int selected = list.ListIndex();
    if (selected < 0)
        return false;
    MainForm& table = form<MainForm>();
    const QString box = table.Chat.Text();
    const QString prefix = WhisperPrefix;
    ChatOut = ChatLineText(request, box, list.List(selected));
    table.Chat.SetText(QString());
    WhisperPrefix.clear();
    if (Total::QueueMessage(request))
        return true;
    ChatOut.clear();
    WhisperPrefix = prefix;
    table.Chat.SetText(box);
    return false;
}

MsgHeader ChatRequest()
{
    MsgHeader request;
    request.Code = MsgChat;
    request.Seat = custom[0].SeatMask;
    return request;
}

// The window goes away and the chat box takes the keyboard.
void HideAndFocusChat(huifu& window)
{
    step([&] { window.Hide(); });
    step([] { form<MainForm>().Chat.SetFocus(); });
}

} // namespace

huifu::huifu()
    : Form(QStringLiteral("huifu"))
    , Label1(*this, QStringLiteral("Label1"))
    , List1(*this, QStringLiteral("List1"))
    , List2(*this, QStringLiteral("List2"))
{
    SetBorderless(true);
    SetCaption(QStringLiteral("短语"));
    Move(0, 0, 4785, 2700);
    SetPicture(Resources::DesignPicture(QStringLiteral("huifu")));
    Label1.Move(120, 0, 4575, 255);
    Label1.SetBackStyle(Label::vbTransparent);
    Label1.SetMouseIcon(Resources::DesignPicture(QStringLiteral("MainForm.MouseIcon")));
    Label1.SetMousePointer(vbCustom);
    DesignPhraseList(List1);
    DesignPhraseList(List2);
    List2.SetToolTipText(QStringLiteral("双击后发送你想说的话"));
    List2.SetVisible(false);

    Label1.OnClick = [this] { Label1_Click(); };
    List1.OnDblClick = [this] { List1_DblClick(); };
    List2.OnDblClick = [this] { List2_DblClick(); };
}

void huifu::Form_Load()
{
    const QString path = ProgramFolder() + QStringLiteral("/chat.ini");
    bool present = false;
    step([&] { present = form<MainForm>().Is_File_Exist(path, QStringLiteral("chat.ini")); });
    if (!present)
        return;
    classIniFile ini;
    ini.SetINIFileName(path);
    step([&] { ReadPhrases(ini, QStringLiteral("Phrase1"), List1); });
    step([&] { ReadPhrases(ini, QStringLiteral("Phrase2"), List2); });
}

void huifu::Label1_Click()
{
    Hide();
}

void huifu::List1_DblClick()
{
    MsgHeader request = ChatRequest();
    step([&] { SendPhrase(request, List1); });
    HideAndFocusChat(*this);
}

void huifu::List2_DblClick()
{
    MsgHeader request = ChatRequest();
    request.value[2] = 'a';
    const int selected = List2.ListIndex();
    if (List2.ListCount() > 0 && selected >= 0) {
        const int16_t n = static_cast<int16_t>(selected + 1);
        request.value[0] = 1;
        request.value[3] = n;
        bool sent = false;
        step([&] { sent = SendPhrase(request, List2); });
        if (sent) {
            // The own copy of the voice, whatever the sound switches say.
            step([] { Mod_Sound::StopWave(); });
            step([&] {
                Mod_Sound::PlayWave(Mod_Resource::VoiceFileName(Players[0], QStringLiteral("a%1").arg(n)), false, 0);
            });
            step([] { Mod_Sound::SetWaveVolume(3000); });
        }
    }
    HideAndFocusChat(*this);
}

void ToggleQuickPhrases(ListBox huifu::*list)
{
    Talk& talk = form<Talk>();
    if (talk.Visible())
        talk.Hide();
    huifu& window = form<huifu>();
    ListBox& wanted = window.*list;
    ListBox& other = &wanted == &window.List1 ? window.List2 : window.List1;
    if (window.Visible() && wanted.Visible()) {
        window.Hide();
        return;
    }
    if (!window.Visible()) {
        window.Show();
        window.SetTopMost(true);
        ChatPopupPlacement(window);
    }
    wanted.SetVisible(true);
    other.SetVisible(false);
}

} // namespace mj
