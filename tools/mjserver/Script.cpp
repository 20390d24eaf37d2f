#include "Script.h"

#include "platform/Gbk.h"

#include <QStringList>

#include <algorithm>
#include <cctype>
#include <optional>

namespace mj::mjserver {

namespace {

constexpr int DefaultTimeoutMs = 10000;
constexpr int MaxRepeat = 10000;

[[noreturn]] void fail(int line, const QString& message)
{
    throw ScriptError{line, message};
}

// One word of a line. A word with a quoted part ("text:\"a b\"") keeps the
// part before the quote in `head` and the unquoted text in `value`.
struct Word {
    QString head;
    QString value;
    bool quoted = false;
};

QList<Word> splitWords(const QString& line, int lineNo)
{
    QList<Word> words;
    int i = 0;
    const int n = static_cast<int>(line.size());
    while (i < n) {
        if (line[i].isSpace()) {
            ++i;
            continue;
        }
        if (line[i] == u'#')
            break;
        Word w;
        if (QStringView(line).mid(i).startsWith(u"text:", Qt::CaseInsensitive)
            && (i + 5 >= n || line[i + 5] != u'"')) {
            // Unquoted text runs to the end of the line.
            w.head = line.mid(i, 5);
            w.value = line.mid(i + 5);
            w.quoted = true;
            words.append(w);
            break;
        }
        const int start = i;
        while (i < n && !line[i].isSpace() && line[i] != u'"')
            ++i;
        w.head = line.mid(start, i - start);
        if (i < n && line[i] == u'"') {
            w.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar c = line[i++];
                if (c == u'\\' && i < n && (line[i] == u'"' || line[i] == u'\\')) {
                    w.value += line[i++];
                } else if (c == u'"') {
                    closed = true;
                    break;
                } else {
                    w.value += c;
                }
            }
            if (!closed)
                fail(lineNo, QStringLiteral("unterminated quoted text"));
            if (i < n && !line[i].isSpace())
                fail(lineNo, QStringLiteral("text after the closing quote"));
        }
        words.append(w);
    }
    return words;
}

std::optional<long long> toNumber(const QString& text)
{
    QString t = text;
    bool negative = false;
    if (t.startsWith(u'-')) {
        negative = true;
        t.remove(0, 1);
    }
    bool ok = false;
    long long v = 0;
    if (t.startsWith(u"0x", Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else if (!t.isEmpty() && t[0].isDigit())
        v = t.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return negative ? -v : v;
}

long long number(const QString& text, long long lo, long long hi, const QString& what, int lineNo)
{
    const auto v = toNumber(text);
    if (!v)
        fail(lineNo, QStringLiteral("%1: \"%2\" is not a number").arg(what, text));
    if (*v < lo || *v > hi)
        fail(lineNo, QStringLiteral("%1: %2 is outside %3..%4").arg(what).arg(*v).arg(lo).arg(hi));
    return *v;
}

int timeoutMs(const QList<Word>& words, int from, int lineNo)
{
    if (words.size() == from)
        return DefaultTimeoutMs;
    if (words.size() != from + 2 || words[from].head != u"timeout")
        fail(lineNo, QStringLiteral("expected \"timeout SECONDS\" at the end of the line"));
    bool ok = false;
    const double seconds = words[from + 1].head.toDouble(&ok);
    if (!ok || seconds < 0 || seconds > 3600)
        fail(lineNo, QStringLiteral("timeout: \"%1\" is not a number of seconds (0..3600)")
                         .arg(words[from + 1].head));
    return static_cast<int>(seconds * 1000);
}

QByteArray hexBytes(const QString& digits, int lineNo)
{
    if (digits.isEmpty() || digits.size() % 2 != 0)
        fail(lineNo, QStringLiteral("hex: needs an even number of hex digits"));
    for (QChar c : digits) {
        if (!std::isxdigit(c.unicode() < 128 ? c.toLatin1() : 'x'))
            fail(lineNo, QStringLiteral("hex: \"%1\" is not hex").arg(digits));
    }
    return QByteArray::fromHex(digits.toLatin1());
}

// An unsigned 64-bit number, decimal or hexadecimal with 0x: the whole
// range, so it is read apart from the signed numbers.
unsigned long long unsigned64(const QString& text, const QString& what, int lineNo)
{
    bool ok = false;
    unsigned long long v = 0;
    if (text.startsWith(u"0x", Qt::CaseInsensitive))
        v = text.mid(2).toULongLong(&ok, 16);
    else if (!text.isEmpty() && text[0].isDigit())
        v = text.toULongLong(&ok, 10);
    if (!ok)
        fail(lineNo, QStringLiteral("%1: \"%2\" is not a number from 0 to 2^64-1").arg(what, text));
    return v;
}

QByteArray littleEndian(unsigned long long v, int size)
{
    QByteArray b;
    for (int k = 0; k < size; ++k)
        b.append(static_cast<char>((v >> (8 * k)) & 0xFF));
    return b;
}

QByteArray bigEndian(unsigned long long v, int size)
{
    QByteArray b = littleEndian(v, size);
    std::reverse(b.begin(), b.end());
    return b;
}

// Builds the frame of one send line (words[0] is "send").
QByteArray parseSend(const QList<Word>& words, int lineNo)
{
    if (words.size() < 7)
        fail(lineNo, QStringLiteral("send needs CODE SEAT V0 V1 V2 V3"));
    for (int k = 1; k < 7; ++k) {
        if (words[k].quoted)
            fail(lineNo, QStringLiteral("send: quoted text in the header"));
    }
    QByteArray frame(FrameSize, '\0');
    const auto code = number(words[1].head, 0, 0xFFFF, QStringLiteral("code"), lineNo);
    frame[2] = static_cast<char>(code >> 8);
    frame[3] = static_cast<char>(code & 0xFF);
    frame[6] = static_cast<char>(number(words[2].head, 0, 0xFF, QStringLiteral("seat"), lineNo));
    for (int k = 0; k < 4; ++k) {
        const auto v = number(words[3 + k].head, -32768, 0xFFFF, QStringLiteral("value %1").arg(k), lineNo);
        const auto u = static_cast<uint16_t>(v);
        frame[8 + 2 * k] = static_cast<char>(u >> 8);
        frame[9 + 2 * k] = static_cast<char>(u & 0xFF);
    }

    int pos = 16;
    auto put = [&](const QByteArray& bytes, const QString& item) {
        if (pos + bytes.size() > FrameSize)
            fail(lineNo, QStringLiteral("%1 runs past byte %2").arg(item).arg(FrameSize - 1));
        frame.replace(pos, bytes.size(), bytes);
        pos += static_cast<int>(bytes.size());
    };
    for (int k = 7; k < words.size(); ++k) {
        const Word& w = words[k];
        const QString head = w.head.toLower();
        const QString arg = w.head.mid(w.head.indexOf(u':') + 1);
        if (w.quoted) {
            if (head != u"text:" && head != u"gbk:")
                fail(lineNo, QStringLiteral("unknown body item \"%1\"").arg(w.head));
            put(Gbk::Encode(w.value), head);
        } else if (head.startsWith(u'@')) {
            pos = static_cast<int>(number(w.head.mid(1), 0, FrameSize, QStringLiteral("offset"), lineNo));
        } else if (head.startsWith(u"hex:")) {
            put(hexBytes(arg, lineNo), QStringLiteral("hex:"));
        } else if (head.startsWith(u"gbk:")) {
            fail(lineNo, QStringLiteral("gbk: needs a quoted text"));
        } else if (head.startsWith(u"u8:")) {
            put(littleEndian(number(arg, 0, 0xFF, QStringLiteral("u8"), lineNo), 1), QStringLiteral("u8:"));
        } else if (head.startsWith(u"u16le:")) {
            put(littleEndian(number(arg, 0, 0xFFFF, QStringLiteral("u16le"), lineNo), 2), QStringLiteral("u16le:"));
        } else if (head.startsWith(u"u16be:")) {
            put(bigEndian(number(arg, 0, 0xFFFF, QStringLiteral("u16be"), lineNo), 2), QStringLiteral("u16be:"));
        } else if (head.startsWith(u"u32le:")) {
            put(littleEndian(number(arg, 0, 0xFFFFFFFFLL, QStringLiteral("u32le"), lineNo), 4), QStringLiteral("u32le:"));
        } else if (head.startsWith(u"u64le:")) {
            put(littleEndian(unsigned64(arg, QStringLiteral("u64le"), lineNo), 8), QStringLiteral("u64le:"));
        } else if (head.startsWith(u"u32be:")) {
            put(bigEndian(number(arg, 0, 0xFFFFFFFFLL, QStringLiteral("u32be"), lineNo), 4), QStringLiteral("u32be:"));
        } else if (head.startsWith(u"token:")) {
            if (arg.size() != 4)
                fail(lineNo, QStringLiteral("token: needs four hex digits"));
            const QByteArray token = hexBytes(arg, lineNo);
            frame[260] = token[0];
            frame[261] = token[1];
        } else {
            fail(lineNo, QStringLiteral("unknown body item \"%1\"").arg(w.head));
        }
    }
    return frame;
}

struct PendingSplit {
    int line = 0;
    QList<int> cuts;
    int gapMs = 0;
};

} // namespace

Script ParseScript(const QString& text)
{
    Script script;
    QList<Command>* current = &script.common;
    std::optional<PendingSplit> split;

    // An open repeat block: its count, first line and the lines inside.
    struct Repeat {
        int line = 0;
        int count = 0;
        QList<QPair<int, QString>> body;
    };
    std::optional<Repeat> repeat;

    auto addSend = [&](QByteArray bytes, int lineNo) {
        Command c;
        c.kind = Command::Send;
        c.line = lineNo;
        c.bytes = std::move(bytes);
        if (split) {
            for (int cut : split->cuts) {
                if (cut >= c.bytes.size())
                    fail(split->line, QStringLiteral("split: offset %1 is not inside the %2 bytes sent")
                                          .arg(cut).arg(c.bytes.size()));
            }
            c.cuts = split->cuts;
            c.gapMs = split->gapMs;
            split.reset();
        }
        current->append(c);
    };

    const QStringList lines = text.split(u'\n');
    for (int idx = 0; idx < lines.size(); ++idx) {
        const int lineNo = idx + 1;
        QString line = lines[idx];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QList<Word> words = splitWords(line, lineNo);
        if (words.isEmpty())
            continue;
        const QString cmd = words[0].quoted ? QString() : words[0].head.toLower();

        if (repeat) {
            if (cmd == u"endrepeat") {
                if (words.size() != 1)
                    fail(lineNo, QStringLiteral("endrepeat takes nothing more"));
                QByteArray bytes;
                for (int i = 0; i < repeat->count; ++i) {
                    for (const auto& [bodyLine, bodyText] : repeat->body) {
                        QString expanded = bodyText;
                        expanded.replace(QStringLiteral("{i}"), QString::number(i));
                        bytes += parseSend(splitWords(expanded, bodyLine), bodyLine);
                    }
                }
                if (bytes.isEmpty())
                    fail(repeat->line, QStringLiteral("repeat block without send lines"));
                const int first = repeat->line;
                repeat.reset();
                addSend(std::move(bytes), first);
            } else if (cmd == u"send") {
                // Checked now so that a mistake is reported on its own line.
                QString probe = line;
                probe.replace(QStringLiteral("{i}"), QStringLiteral("0"));
                parseSend(splitWords(probe, lineNo), lineNo);
                repeat->body.append({lineNo, line});
            } else {
                fail(lineNo, QStringLiteral("only send lines may stand inside a repeat block"));
            }
            continue;
        }

        if (split && cmd != u"send" && cmd != u"repeat")
            fail(split->line, QStringLiteral("split must be followed by send or repeat"));

        Command c;
        c.line = lineNo;
        if (cmd == u"send") {
            addSend(parseSend(words, lineNo), lineNo);
            continue;
        } else if (cmd == u"split") {
            if (split)
                fail(lineNo, QStringLiteral("split must be followed by send or repeat"));
            if (words.size() != 2 && !(words.size() == 4 && words[2].head == u"gap"))
                fail(lineNo, QStringLiteral("split needs OFF[,OFF...] [gap MS]"));
            PendingSplit s;
            s.line = lineNo;
            int last = 0;
            for (const QString& part : words[1].head.split(u',')) {
                const int cut = static_cast<int>(number(part, 1, MaxRepeat * FrameSize, QStringLiteral("split"), lineNo));
                if (cut <= last)
                    fail(lineNo, QStringLiteral("split: offsets must increase"));
                s.cuts.append(cut);
                last = cut;
            }
            if (words.size() == 4)
                s.gapMs = static_cast<int>(number(words[3].head, 0, 60000, QStringLiteral("gap"), lineNo));
            split = s;
            continue;
        } else if (cmd == u"repeat") {
            if (words.size() != 2)
                fail(lineNo, QStringLiteral("repeat needs a count"));
            repeat = Repeat{lineNo, static_cast<int>(number(words[1].head, 1, MaxRepeat, QStringLiteral("repeat"), lineNo)), {}};
            continue;
        } else if (cmd == u"endrepeat") {
            fail(lineNo, QStringLiteral("endrepeat without repeat"));
        } else if (cmd == u"expect") {
            if (words.size() < 2)
                fail(lineNo, QStringLiteral("expect needs a code"));
            c.kind = Command::Expect;
            c.code = static_cast<int>(number(words[1].head, 0, 0xFFFF, QStringLiteral("code"), lineNo));
            c.ms = timeoutMs(words, 2, lineNo);
        } else if (cmd == u"pause") {
            if (words.size() != 2)
                fail(lineNo, QStringLiteral("pause needs MS"));
            c.kind = Command::Pause;
            c.ms = static_cast<int>(number(words[1].head, 0, 3600000, QStringLiteral("pause"), lineNo));
        } else if (cmd == u"close" || cmd == u"end") {
            if (words.size() != 1)
                fail(lineNo, QStringLiteral("%1 takes nothing more").arg(cmd));
            c.kind = cmd == u"close" ? Command::Close : Command::End;
        } else if (cmd == u"wait-close") {
            c.kind = Command::WaitClose;
            c.ms = timeoutMs(words, 1, lineNo);
        } else if (cmd == u"connection") {
            if (words.size() != 2)
                fail(lineNo, QStringLiteral("connection needs a number"));
            const int n = static_cast<int>(number(words[1].head, 1, 1000000, QStringLiteral("connection"), lineNo));
            if (script.sections.contains(n))
                fail(lineNo, QStringLiteral("connection %1 appears twice").arg(n));
            current = &script.sections[n];
            continue;
        } else {
            fail(lineNo, QStringLiteral("unknown command \"%1\"").arg(words[0].head));
        }
        current->append(c);
    }
    if (repeat)
        fail(repeat->line, QStringLiteral("repeat without endrepeat"));
    if (split)
        fail(split->line, QStringLiteral("split must be followed by send or repeat"));
    return script;
}

} // namespace mj::mjserver
