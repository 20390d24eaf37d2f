#include "social/ChatLine.h"

namespace mj {

QString ChatLineText(MsgHeader& request, const QString& box, const QString& body)
{
    QString line;
    if (!WhisperPrefix.isEmpty() && box.contains(WhisperPrefix, Qt::CaseSensitive)) {
        request.value[1] = WhisperSide;
        line = Players[0].Name + WhisperPrefix.mid(1) + body;
    } else {
        line = Players[0].Name + QStringLiteral("说道: ") + body;
    }
    WhisperPrefix.clear();
    return line;
}

QString ChatLineBody(const QString& box)
{
    if (WhisperPrefix.isEmpty())
        return box;
    const qsizetype at = box.indexOf(WhisperPrefix, 0, Qt::CaseSensitive);
    if (at < 0)
        return box;
    return box.left(at) + box.mid(at + WhisperPrefix.size());
}

QString TrimBlanks(const QString& text)
{
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}

} // namespace mj
