#include "controls/Operate.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/classIniFile.h"
#include "controls/Score.h"
#include "platform/Program.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace mj::Operate {

namespace {

// The most lines a saved list may claim; a larger count is a corrupt file.
constexpr double MaxSavedLines = 1000;

QString Section(int16_t round)
{
    return QStringLiteral("juNum:") + QString::number(round);
}

QString NameKey(int i) { return QStringLiteral("name( %1 )").arg(i); }
QString PicKey(int i) { return QStringLiteral("PicIndex( %1 )").arg(i); }
QString CountKey(int k) { return QStringLiteral("count( %1 )").arg(k); }
QString LineKey(int k, int j) { return CountKey(k) + QStringLiteral("( %1 )").arg(j); }
QString ColourKey(int i) { return CountKey(i) + QStringLiteral(" ForeColor"); }

// A value goes on one line of the file: line breaks and NULs become blanks.
QString OneLine(QString value)
{
    for (QChar& c : value) {
        if (c == u'\r' || c == u'\n' || c == u'\0')
            c = u' ';
    }
    return value;
}

// The history procedures go on past a statement that fails.
template <typename Statement>
void SkipOnError(Statement statement)
{
    try {
        statement();
    } catch (const RuntimeError&) {
    }
}

classIniFile HistoryFile()
{
    classIniFile file;
    file.SetINIFileName(RoundRecordPath());
    return file;
}

} // namespace

QString RoundRecordPath()
{
    return ProgramFolder() + QStringLiteral("/info.qv");
}

void SaveRoundRecord(int16_t round)
{
    // The whole sheet in one write: the file grows by a section every hand,
    // and a write per key would read and replace all of it each time.
    std::vector<std::pair<QString, QString>> keys;
    Score& board = form<Score>();
    for (int i = 0; i <= 3; ++i) {
        keys.emplace_back(NameKey(i), OneLine(SeatNameAvatar[i].Name));
        keys.emplace_back(PicKey(i), OneLine(SeatNameAvatar[i].PicIndex));
    }
    for (int k = 0; k <= 7; ++k) {
        const ListBox& list = board.State(k);
        keys.emplace_back(CountKey(k), QString::number(list.ListCount()));
        for (int j = 0; j < list.ListCount(); ++j)
            keys.emplace_back(LineKey(k, j), OneLine(list.List(j)));
    }
    for (int i = 0; i <= 3; ++i)
        keys.emplace_back(ColourKey(i), QString::number(board.State(i).ForeColor()));
    HistoryFile().WriteIniKeys(Section(round), keys);
}

void LoadRoundRecord(int16_t round)
{
    if (round == 0)
        return;
    Score& board = form<Score>();
    // One read of the file for the whole board: the file gains a section every
    // hand, and a read per key would read and parse all of it each time.
    const classIniFile::Section saved = HistoryFile().ReadIniSection(Section(round));
    for (int i = 0; i <= 3; ++i) {
        board.ID(i).SetCaption(saved.GetIniKey(NameKey(i)));
        bool isNumber = false;
        const int avatar = saved.GetIniKey(PicKey(i)).toInt(&isNumber);
        if (isNumber && avatar >= Image_Resource::AvatarPicture.LBound &&
            avatar <= Image_Resource::AvatarPicture.UBound)
            SkipOnError([&] {
                Image_Resource::LoadGifResource(CInt(Image_Resource::AvatarPicture[avatar]), QStringLiteral("GIF"),
                                                board.Tou(i));
            });
    }
    for (int k = 0; k <= 7; ++k) {
        bool isNumber = false;
        const double count = saved.GetIniKey(CountKey(k)).toDouble(&isNumber);
        if (!isNumber || !(count >= 0 && count <= MaxSavedLines))
            return;
        const int n = static_cast<int>(std::trunc(count));
        ListBox& list = board.State(k);
        while (list.ListCount() < n)
            list.AddItem(QStringLiteral(" "));
        while (list.ListCount() > n)
            list.RemoveItem(list.ListCount() - 1);
        for (int j = 0; j < n; ++j) {
            const QString line = saved.GetIniKey(LineKey(k, j));
            list.RemoveItem(j);
            list.AddItem(line.isEmpty() ? QStringLiteral(" ") : line, j);
        }
    }
    for (int i = 0; i <= 3; ++i) {
        bool isNumber = false;
        const qlonglong colour = saved.GetIniKey(ColourKey(i)).toLongLong(&isNumber);
        if (isNumber && colour >= std::numeric_limits<int32_t>::min() && colour <= std::numeric_limits<int32_t>::max())
            board.State(i).SetForeColor(static_cast<int32_t>(colour));
    }
}

} // namespace mj::Operate
