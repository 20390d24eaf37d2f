// What the props plug-in says to the player besides its own windows: notices
// into the chat history and the system message lines, and timed labels on
// the table in LbProp. The label's values come from the plug-in and are
// kept within what the table can show before use.
#include "social/Mod_Prop.h"

#include "client/General.h"
#include "client/MainForm.h"
#include "platform/Gbk.h"
#include "social/Talk.h"

#include <algorithm>

namespace mj::Mod_Prop {

namespace {

constexpr int16_t HistoryColumns = 44;
constexpr int16_t SystemLineChars = 45;
constexpr int32_t FontSizeMin = 6, FontSizeMax = 72;
constexpr int32_t LabelIntervalLimit = 60000; // ms
constexpr int32_t ColourMask = 0xFFFFFF;

int32_t clampTo(int32_t v, int32_t lo, int32_t hi)
{
    return std::clamp(v, lo, std::max(lo, hi));
}

} // namespace

void AddToHistory(const QString& text)
{
    ListBox& history = form<Talk>().Text1;
    General::AddWrappedText(history, text, HistoryColumns);
    if (history.ListCount() > 0)
        history.SetTopIndex(history.ListCount() - 1);
}

void AddSysMessage(QString& text)
{
    AddToHistory(text);
    form<MainForm>().ShowSystemLine(text.left(SystemLineChars));
}

void ShowPropLabel(QString& text, QVector<int32_t>& rect, QVector<int32_t>& params)
{
    if (rect.size() < 4 || params.size() < 5)
        return;
    MainForm& table = form<MainForm>();
    Label& label = table.LbProp;

    // The label stays on the table, at least a pixel each way.
    const auto tableWidth = static_cast<int32_t>(table.Pic1.ScaleWidth());
    const auto tableHeight = static_cast<int32_t>(table.Pic1.ScaleHeight());
    const int32_t width = clampTo(rect[0], 1, tableWidth);
    const int32_t height = clampTo(rect[1], 1, tableHeight);
    const int32_t left = clampTo(rect[2], 0, tableWidth - width);
    const int32_t top = clampTo(rect[3], 0, tableHeight - height);
    const int32_t alignment = params[4] >= 0 && params[4] <= 2 ? params[4] : 0;

    label.SetVisible(false);
    label.Move(left, top, width, height);
    label.SetFontSize(clampTo(params[2], FontSizeMin, FontSizeMax));
    label.SetForeColor(params[3] & ColourMask);
    label.SetAlignment(static_cast<int16_t>(alignment));
    label.SetCaption(text);
    label.SetVisible(true);
    label.ZOrder(0);

    // A new label stops the count of the one before: an untimed label
    // would otherwise go when the earlier label's ticks run out.
    LabelTimerOn = false;
    LabelTicks = 0;
    const int32_t interval = std::min(params[0], LabelIntervalLimit);
    if (interval < 1 || params[1] < 1)
        return; // stays until something else takes the label
    LabelTickLimit = static_cast<int16_t>(std::min<int32_t>(params[1], 32767));
    LabelTicks = 0;
    // The award count keeps its own pace: the label shows, but is not
    // counted while the count runs.
    if (BoxAnimOn)
        return;
    table.TimerProp.SetInterval(interval);
    LabelTimerOn = true;
    table.TimerProp.SetEnabled(true);
}

void LabelTick()
{
    MainForm& table = form<MainForm>();
    ++LabelTicks;
    if (LabelTicks == LabelTickLimit) {
        LabelTicks = 0;
        LabelTimerOn = false;
        // The box countdown the label covered shows again.
        if (BoxCountdownOn) {
            ShowBoxCountdown();
            return;
        }
        table.LbProp.SetCaption(QString());
        table.LbProp.SetVisible(false);
        return;
    }
    table.TimerProp.SetEnabled(true);
}

int16_t GetAnsiWidth(const QString& s)
{
    int width = 0;
    for (const QChar c : s)
        width += Gbk::CharByteLength(c) == 2 ? 2 : 1;
    return static_cast<int16_t>(std::min(width, 32767));
}

} // namespace mj::Mod_Prop
