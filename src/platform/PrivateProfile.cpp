#include "platform/PrivateProfile.h"

#include "platform/Gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <iterator>
#include <vector>

namespace mj::PrivateProfile {

namespace {

// Blanks as the profile functions skip them around names and values; all are
// ASCII, so they never match a byte of a double-byte GBK character (the
// second byte of one is 0x40 or more).
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

QByteArray trimmed(const QByteArray& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// The text as a C string would see it: up to its first zero byte.
QByteArray cString(const QByteArray& text)
{
    const qsizetype zero = text.indexOf('\0');
    return zero < 0 ? text : text.left(zero);
}

bool isLeadByte(char c)
{
    const auto b = static_cast<uint8_t>(c);
    return b >= 0x81 && b <= 0xFE;
}

// Position of the last ']' that is a character of its own, not the second byte
// of a double-byte character; -1 when there is none.
qsizetype lastCloseBracket(const QByteArray& text)
{
    qsizetype found = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isLeadByte(text[i]) && i + 1 < text.size())
            ++i;
        else if (text[i] == ']')
            found = i;
    }
    return found;
}

QString nameText(const QByteArray& name)
{
    for (const char c : name) {
        if (static_cast<uint8_t>(c) >= 0x80)
            return Gbk::Decode(name);
    }
    return QString::fromLatin1(name);
}

// One line of the file, without its line ending, and what it holds.
struct Line {
    enum Kind { Other, Section, Key };

    QByteArray text;
    QByteArray ending;   // "\r\n", "\n", or empty for a last line without one
    Kind kind = Other;
    QByteArray name;     // section or key name, blanks removed
    QByteArray value;    // key value, blanks removed

    bool isBlankLine() const { return trimmed(text).isEmpty(); }
};

Line parseLine(QByteArray text, QByteArray ending)
{
    Line line;
    line.text = std::move(text);
    line.ending = std::move(ending);
    const QByteArray content = trimmed(line.text);
    if (content.startsWith('[')) {
        const qsizetype close = lastCloseBracket(content);
        if (close > 0) {
            line.kind = Line::Section;
            line.name = trimmed(content.mid(1, close - 1));
            return line;
        }
    }
    const qsizetype equals = content.indexOf('=');
    if (equals >= 0) {
        line.kind = Line::Key;
        line.name = trimmed(content.left(equals));
        line.value = trimmed(cString(content.mid(equals + 1)));
    }
    return line;
}

std::vector<Line> splitLines(const QByteArray& bytes)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            lines.push_back(parseLine(bytes.mid(start), QByteArray()));
            break;
        }
        const bool crlf = lf > start && bytes[lf - 1] == '\r';
        const qsizetype end = crlf ? lf - 1 : lf;
        lines.push_back(parseLine(bytes.mid(start, end - start), crlf ? "\r\n" : "\n"));
        start = lf + 1;
    }
    return lines;
}

QByteArray joinLines(const std::vector<Line>& lines)
{
    QByteArray bytes;
    for (const Line& line : lines)
        bytes += line.text + line.ending;
    return bytes;
}

enum class Load { Missing, Read, Failed };

Load loadFile(const QString& fileName, QByteArray& bytes)
{
    bytes.clear();
    const QFileInfo info(fileName);
    if (!info.exists())
        return Load::Missing;
    if (info.isDir())
        return Load::Failed;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return Load::Failed;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError ? Load::Read : Load::Failed;
}

bool saveFile(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

// Line positions of the sections called `name`: [header, end) each, the end
// being the next header or the end of the file.
struct Range {
    size_t header;
    size_t end;
};

std::vector<Range> sectionsNamed(const std::vector<Line>& lines, const QString& name)
{
    std::vector<Range> found;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::Section)
            continue;
        if (!found.empty() && found.back().end == lines.size())
            found.back().end = i;
        if (nameText(lines[i].name).compare(name, Qt::CaseInsensitive) == 0)
            found.push_back({i, lines.size()});
    }
    return found;
}

// The first key called `name` in the range, or the range's end.
size_t keyIn(const std::vector<Line>& lines, Range range, const QString& name)
{
    for (size_t i = range.header + 1; i < range.end; ++i) {
        if (lines[i].kind == Line::Key && nameText(lines[i].name).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return range.end;
}

// Inserts a new line before position `at`, giving the line before it a line
// ending when it had none (the last line of a file without a final one).
void insertLine(std::vector<Line>& lines, size_t at, const QByteArray& text)
{
    if (at > 0 && lines[at - 1].ending.isEmpty())
        lines[at - 1].ending = "\r\n";
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), parseLine(text, "\r\n"));
}

bool hasLineBreak(const QByteArray& text)
{
    return text.contains('\r') || text.contains('\n');
}

} // namespace

int32_t GetPrivateProfileString(const QByteArray& appName, const QByteArray& keyName,
                                const QByteArray& defaultValue, QByteArray& returned,
                                int32_t size, const QString& fileName)
{
    return ReadProfileSection(appName, fileName).GetString(keyName, defaultValue, returned, size);
}

struct ProfileSection::Lines {
    std::vector<Line> lines;
};

ProfileSection ReadProfileSection(const QByteArray& appName, const QString& fileName)
{
    ProfileSection found;
    const QByteArray section = trimmed(cString(appName));
    QByteArray bytes;
    if (fileName.isEmpty() || section.isEmpty() || loadFile(fileName, bytes) != Load::Read)
        return found;
    std::vector<Line> lines = splitLines(bytes);
    const std::vector<Range> sections = sectionsNamed(lines, nameText(section));
    if (sections.empty())
        return found;
    auto kept = std::make_shared<ProfileSection::Lines>();
    const auto begin = lines.begin() + static_cast<std::ptrdiff_t>(sections.front().header);
    const auto end = lines.begin() + static_cast<std::ptrdiff_t>(sections.front().end);
    kept->lines.assign(std::make_move_iterator(begin), std::make_move_iterator(end));
    found.lines = std::move(kept);
    return found;
}

int32_t ProfileSection::GetString(const QByteArray& keyName, const QByteArray& defaultValue,
                                  QByteArray& returned, int32_t size) const
{
    returned.clear();
    if (size <= 0)
        return 0;

    QByteArray value = cString(defaultValue);
    while (value.endsWith(' '))
        value.chop(1);

    const QByteArray key = trimmed(cString(keyName));
    if (lines && !key.isEmpty()) {
        const std::vector<Line>& section = lines->lines;
        const size_t at = keyIn(section, {0, section.size()}, nameText(key));
        if (at < section.size()) {
            value = section[at].value;
            const char first = value.isEmpty() ? '\0' : value.front();
            if ((first == '"' || first == '\'') && value.size() >= 2 && value.back() == first)
                value = value.mid(1, value.size() - 2);
        }
    }

    returned = value.left(size - 1);
    return static_cast<int32_t>(returned.size());
}

bool WritePrivateProfileString(const QByteArray& appName, const std::optional<QByteArray>& keyName,
                               const std::optional<QByteArray>& value, const QString& fileName)
{
    if (fileName.isEmpty())
        return false;
    const QByteArray section = trimmed(cString(appName));
    if (section.isEmpty() || hasLineBreak(section))
        return false;
    QByteArray key;
    if (keyName) {
        key = trimmed(cString(*keyName));
        if (key.isEmpty() || hasLineBreak(key))
            return false;
    }

    QByteArray before;
    const Load load = loadFile(fileName, before);
    if (load == Load::Failed)
        return false;

    std::vector<Line> lines = splitLines(before);
    const std::vector<Range> sections = sectionsNamed(lines, nameText(section));

    if (!keyName) {
        // Delete every section of that name, last first so that the earlier
        // ranges stay valid.
        for (auto it = sections.rbegin(); it != sections.rend(); ++it)
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(it->header),
                        lines.begin() + static_cast<std::ptrdiff_t>(it->end));
    } else if (!value) {
        // Delete the first key of that name, looking through the sections in order.
        for (const Range& range : sections) {
            const size_t at = keyIn(lines, range, nameText(key));
            if (at < range.end) {
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
                break;
            }
        }
    } else {
        QByteArray text = cString(*value);
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' || text[i] == '\n') {
                text.truncate(i);
                break;
            }
        }

        if (sections.empty()) {
            insertLine(lines, lines.size(), '[' + section + ']');
            insertLine(lines, lines.size(), key + '=' + text);
        } else {
            const Range range = sections.front();
            const size_t at = keyIn(lines, range, nameText(key));
            if (at < range.end) {
                // Keep the name as the file spells it, and the line's ending.
                lines[at] = parseLine(lines[at].name + '=' + text, lines[at].ending);
            } else {
                // After the last line of the section that is not blank, so that
                // blank lines separating it from the next section stay there.
                size_t after = range.header;
                for (size_t i = range.header + 1; i < range.end; ++i) {
                    if (!lines[i].isBlankLine())
                        after = i;
                }
                insertLine(lines, after + 1, key + '=' + text);
            }
        }
    }

    const QByteArray after = joinLines(lines);
    if (after == before)
        return true;
    return saveFile(fileName, after);
}

} // namespace mj::PrivateProfile
