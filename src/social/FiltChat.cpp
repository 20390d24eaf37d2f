#include "social/FiltChat.h"

#include "client/classIniFile.h"
#include "platform/Program.h"

#include <array>
#include <optional>

namespace mj::FiltChat {

namespace {

// Entries 1 to 4 of the list, read once.
std::optional<std::array<QString, 4>> names;

const std::array<QString, 4>& Names()
{
    if (!names) {
        classIniFile ini;
        ini.SetINIFileName(ProgramFolder() + QStringLiteral("/filtchat.ini"));
        names.emplace();
        for (int i = 0; i < 4; ++i)
            (*names)[i] = ini.GetIniKey(QStringLiteral("FiltChat"), QString::number(i + 1));
    }
    return *names;
}

// Entries 5 to 15. A word comes before every shorter word it contains.
const char16_t* const Words[] = {u"法轮功", u"他妈的", u"她妈的", u"它妈的", u"婊子养的", u"婊子",
                                 u"淫",     u"色情",   u"黄色",   u"shit",   u"fuck"};

void Remove(QString& text, const QString& word)
{
    if (!word.isEmpty())
        text.remove(word, Qt::CaseSensitive);
}

} // namespace

QString FilterChat(QString text)
{
    for (const QString& name : Names())
        Remove(text, name);
    for (const char16_t* word : Words)
        Remove(text, QString::fromUtf16(word));
    return text;
}

void ResetState()
{
    names.reset();
}

} // namespace mj::FiltChat
