#include "platform/PrivateProfile.h"

#include "platform/Gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <iterator>
#include <tuple>
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

// The parts of a text are views into it, so that parsing a long file does
// not copy every name and value it holds.
QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// The text as a C string would see it: up to its first zero byte.
QByteArrayView cString(QByteArrayView text)
{
    const qsizetype zero = text.indexOf('\0');
    return zero < 0 ? text : text.first(zero);
}

bool isLeadByte(char c)
{
    const auto b = static_cast<uint8_t>(c);
    return b >= 0x81 && b <= 0xFE;
}

// Position of the last ']' that is a character of its own, not the second byte
// of a double-byte character; -1 when there is none.
qsizetype lastCloseBracket(QByteArrayView text)
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

bool isAscii(QByteArrayView text)
{
    for (const char c : text) {
        if (static_cast<uint8_t>(c) >= 0x80)
            return false;
    }
    return true;
}

QString nameText(QByteArrayView name)
{
    if (isAscii(name))
        return QString::fromLatin1(name);
    return Gbk::Decode(name.data(), static_cast<int>(name.size()));
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A section or key name to look for. Names match as text, without regard to
// case. Two names of ASCII bytes (nearly all) are compared byte by byte, which
// gives the same answer without decoding them: a write looks through its
// section once for every key.
class Name {
public:
    explicit Name(const QByteArray& name)
        : bytes(name), ascii(isAscii(name)), text(nameText(name))
    {
    }

    bool matches(QByteArrayView other) const
    {
        if (!ascii || !isAscii(other))
            return nameText(other).compare(text, Qt::CaseInsensitive) == 0;
        if (other.size() != bytes.size())
            return false;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (asciiLower(other[i]) != asciiLower(bytes[i]))
                return false;
        }
        return true;
    }

private:
    QByteArray bytes;
    bool ascii;
    QString text;
};

// One line of the file, without its line ending, and what it holds.
struct Line {
    enum Kind { Other, Section, Key };

    QByteArray text;
    QByteArray ending;   // "\r\n", "\n", or empty for a last line without one
    Kind kind = Other;
    // Where the section or key name lies in the text, and where the text
    // after a key's '=' begins.
    qsizetype nameAt = 0;
    qsizetype nameSize = 0;
    qsizetype valueAt = 0;

    // The section or key name, blanks removed.
    QByteArrayView name() const { return QByteArrayView(text).sliced(nameAt, nameSize); }
    // The key's value, up to a zero byte, blanks removed.
    QByteArray value() const { return trimmed(cString(QByteArrayView(text).sliced(valueAt))).toByteArray(); }
    bool isBlankLine() const { return trimmed(text).isEmpty(); }
};

Line parseLine(QByteArray text, QByteArray ending)
{
    Line line;
    line.text = std::move(text);
    line.ending = std::move(ending);
    const QByteArrayView whole(line.text);
    const QByteArrayView content = trimmed(whole);
    const auto setName = [&](QByteArrayView name) {
        line.nameAt = name.data() - whole.data();
        line.nameSize = name.size();
    };
    if (content.startsWith('[')) {
        const qsizetype close = lastCloseBracket(content);
        if (close > 0) {
            line.kind = Line::Section;
            setName(trimmed(content.sliced(1, close - 1)));
            return line;
        }
    }
    const qsizetype equals = content.indexOf('=');
    if (equals >= 0) {
        line.kind = Line::Key;
        setName(trimmed(content.first(equals)));
        line.valueAt = content.data() - whole.data() + equals + 1;
    }
    return line;
}

// One line of the bytes from `start`: where its text ends and where the next
// line starts (the size of the bytes after the last line).
struct RawLine {
    qsizetype textEnd;
    qsizetype next;
    bool crlf;
    bool lf;
};

RawLine rawLineAt(const QByteArray& bytes, qsizetype start)
{
    const qsizetype lf = bytes.indexOf('\n', start);
    if (lf < 0)
        return {bytes.size(), bytes.size(), false, false};
    const bool crlf = lf > start && bytes[lf - 1] == '\r';
    return {crlf ? lf - 1 : lf, lf + 1, crlf, true};
}

Line parseRawLine(const QByteArray& bytes, qsizetype start, const RawLine& raw)
{
    return parseLine(bytes.sliced(start, raw.textEnd - start),
                     raw.crlf ? QByteArrayLiteral("\r\n") : raw.lf ? QByteArrayLiteral("\n") : QByteArray());
}

// The lines of bytes [begin, end), both at the start of a line.
std::vector<Line> splitLines(const QByteArray& bytes, qsizetype begin, qsizetype end)
{
    std::vector<Line> lines;
    lines.reserve(static_cast<size_t>(QByteArrayView(bytes).sliced(begin, end - begin).count('\n')) + 1);
    for (qsizetype start = begin; start < end;) {
        const RawLine raw = rawLineAt(bytes, start);
        lines.push_back(parseRawLine(bytes, start, raw));
        start = raw.next;
    }
    return lines;
}

std::vector<Line> splitLines(const QByteArray& bytes)
{
    return splitLines(bytes, 0, bytes.size());
}

// Where the last line of the bytes starts (0 for none).
qsizetype lastLineStart(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return 0;
    const qsizetype before = bytes.endsWith('\n') ? bytes.size() - 2 : bytes.size() - 1;
    return before < 0 ? 0 : bytes.lastIndexOf('\n', before) + 1;
}

QByteArray joinLines(const std::vector<Line>& lines)
{
    qsizetype size = 0;
    for (const Line& line : lines)
        size += line.text.size() + line.ending.size();
    QByteArray bytes;
    bytes.reserve(size);
    for (const Line& line : lines)
        bytes.append(line.text).append(line.ending);
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

std::vector<Range> sectionsNamed(const std::vector<Line>& lines, const Name& name)
{
    std::vector<Range> found;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::Section)
            continue;
        if (!found.empty() && found.back().end == lines.size())
            found.back().end = i;
        if (name.matches(lines[i].name()))
            found.push_back({i, lines.size()});
    }
    return found;
}

// The bytes of the first section called `name`: from its header line to the
// next header line or the end of the file. Only the lines that may be headers
// (a '[' first after the blanks) are parsed, so a long file is searched
// without being taken apart line by line.
std::optional<std::pair<qsizetype, qsizetype>> firstSectionBytes(const QByteArray& bytes, const Name& name)
{
    std::optional<qsizetype> begin;
    for (qsizetype start = 0; start < bytes.size();) {
        const RawLine raw = rawLineAt(bytes, start);
        qsizetype first = start;
        while (first < raw.textEnd && isBlank(bytes[first]))
            ++first;
        if (first < raw.textEnd && bytes[first] == '[') {
            const Line line = parseRawLine(bytes, start, raw);
            if (line.kind == Line::Section) {
                if (begin)
                    return std::pair{*begin, start};
                if (name.matches(line.name()))
                    begin = start;
            }
        }
        start = raw.next;
    }
    if (begin)
        return std::pair{*begin, bytes.size()};
    return std::nullopt;
}

// The first key called `name` in lines [begin, end), or `end`.
size_t firstKey(const std::vector<Line>& lines, size_t begin, size_t end, const Name& name)
{
    for (size_t i = begin; i < end; ++i) {
        if (lines[i].kind == Line::Key && name.matches(lines[i].name()))
            return i;
    }
    return end;
}

// The first key called `name` in the section, or the section's end.
size_t keyIn(const std::vector<Line>& lines, Range range, const Name& name)
{
    return firstKey(lines, range.header + 1, range.end, name);
}

// The last line of [begin, end) that is not blank, or `end` when all are.
size_t lastNonBlank(const std::vector<Line>& lines, size_t begin, size_t end)
{
    size_t found = end;
    for (size_t i = begin; i < end; ++i) {
        if (!lines[i].isBlankLine())
            found = i;
    }
    return found;
}

// Inserts a new line before position `at`, giving the line before it a line
// ending when it had none (the last line of a file without a final one).
void insertLine(std::vector<Line>& lines, size_t at, const QByteArray& text)
{
    if (at > 0 && lines[at - 1].ending.isEmpty())
        lines[at - 1].ending = "\r\n";
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), parseLine(text, QByteArrayLiteral("\r\n")));
}

bool hasLineBreak(const QByteArray& text)
{
    return text.contains('\r') || text.contains('\n');
}

// A section or key name as the write functions take it: up to its first zero
// byte, without the blanks around it; none when that leaves it empty or it
// holds a line break.
std::optional<QByteArray> validName(const QByteArray& name)
{
    QByteArray text = trimmed(cString(name)).toByteArray();
    if (text.isEmpty() || hasLineBreak(text))
        return std::nullopt;
    return text;
}

// A value as it is written: up to its first zero byte or line break.
QByteArray oneLine(const QByteArray& value)
{
    QByteArray text = cString(value).toByteArray();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            text.truncate(i);
            break;
        }
    }
    return text;
}

// Writes keys into the first section of one name, in the lines of a file read
// once. The lines of that section are taken out of the file's lines while the
// keys are written and put back once at the end, so a key costs a look through
// the section, not through (or a shift of) the whole file. The lines it leaves
// are those that reading the file again before each key would give.
class SectionWriter {
public:
    SectionWriter(std::vector<Line>& fileLines, const QByteArray& sectionName)
        : lines(fileLines), section(sectionName), sectionMatch(sectionName)
    {
        locate();
    }

    void write(const QByteArray& key, const QByteArray& text)
    {
        if (!header) {
            // A new section at the end of the file.
            insertLine(lines, lines.size(), '[' + section + ']');
            insertLine(lines, lines.size(), key + '=' + text);
            locate();
            return;
        }
        size_t changed = firstKey(body, 0, body.size(), Name(key));
        if (changed < body.size()) {
            // Keep the name as the file spells it, and the line's ending.
            body[changed] = parseLine(body[changed].name().toByteArray() + '=' + text, body[changed].ending);
        } else {
            // After the last line of the section that is not blank, so that
            // blank lines separating it from the next section stay there.
            const size_t last = lastNonBlank(body, 0, body.size());
            changed = last < body.size() ? last + 1 : 0;
            if (changed == 0 && lines[*header].ending.isEmpty())
                lines[*header].ending = "\r\n";
            insertLine(body, changed, key + '=' + text);
        }
        // A key line that reads as a section header ("[x]=1") splits the
        // section: the file then holds other sections than before.
        if (body[changed].kind == Line::Section) {
            finish();
            locate();
        }
    }

    // Puts the section's lines back into the file's lines.
    void finish()
    {
        if (!header)
            return;
        // The section only grows: its old places are filled again and the
        // rest goes in after them, in one shift of the lines that follow.
        const auto place = lines.begin() + static_cast<std::ptrdiff_t>(*header + 1);
        const auto middle = body.begin() + static_cast<std::ptrdiff_t>(bodyPlaces);
        std::move(body.begin(), middle, place);
        lines.insert(place + static_cast<std::ptrdiff_t>(bodyPlaces), std::make_move_iterator(middle),
                     std::make_move_iterator(body.end()));
        header.reset();
        body.clear();
    }

private:
    // Finds the first section of the name and takes its lines out.
    void locate()
    {
        const std::vector<Range> sections = sectionsNamed(lines, sectionMatch);
        if (sections.empty())
            return;
        const Range range = sections.front();
        header = range.header;
        bodyPlaces = range.end - range.header - 1;
        const auto from = lines.begin() + static_cast<std::ptrdiff_t>(range.header + 1);
        body.assign(std::make_move_iterator(from),
                    std::make_move_iterator(from + static_cast<std::ptrdiff_t>(bodyPlaces)));
    }

    std::vector<Line>& lines;
    const QByteArray section;
    const Name sectionMatch;
    std::optional<size_t> header;   // the section's header line, while its lines are out
    std::vector<Line> body;         // the section's lines after its header
    size_t bodyPlaces = 0;          // how many lines the section had when taken out
};

// Saves the file with bytes [begin, end) of what it held replaced by the
// lines, unless that leaves the bytes it already holds.
bool saveChanges(const QString& fileName, const QByteArray& before, qsizetype begin, qsizetype end,
                 const std::vector<Line>& lines)
{
    const QByteArray middle = joinLines(lines);
    if (QByteArrayView(before).sliced(begin, end - begin) == QByteArrayView(middle))
        return true;
    QByteArray after;
    after.reserve(begin + middle.size() + (before.size() - end));
    after.append(QByteArrayView(before).first(begin)).append(middle).append(QByteArrayView(before).sliced(end));
    return saveFile(fileName, after);
}

bool saveChanges(const QString& fileName, const QByteArray& before, const std::vector<Line>& lines)
{
    return saveChanges(fileName, before, 0, before.size(), lines);
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
    const QByteArray section = trimmed(cString(appName)).toByteArray();
    QByteArray bytes;
    if (fileName.isEmpty() || section.isEmpty() || loadFile(fileName, bytes) != Load::Read)
        return found;
    const auto range = firstSectionBytes(bytes, Name(section));
    if (!range)
        return found;
    auto kept = std::make_shared<ProfileSection::Lines>();
    kept->lines = splitLines(bytes, range->first, range->second);
    found.lines = std::move(kept);
    return found;
}

int32_t ProfileSection::GetString(const QByteArray& keyName, const QByteArray& defaultValue,
                                  QByteArray& returned, int32_t size) const
{
    returned.clear();
    if (size <= 0)
        return 0;

    QByteArray value = cString(defaultValue).toByteArray();
    while (value.endsWith(' '))
        value.chop(1);

    const QByteArray key = trimmed(cString(keyName)).toByteArray();
    if (lines && !key.isEmpty()) {
        const std::vector<Line>& section = lines->lines;
        const size_t at = keyIn(section, {0, section.size()}, Name(key));
        if (at < section.size()) {
            value = section[at].value();
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
    if (keyName && value)
        return WritePrivateProfileStrings(appName, {{*keyName, *value}}, fileName);

    const std::optional<QByteArray> section = validName(appName);
    if (fileName.isEmpty() || !section)
        return false;
    QByteArray key;
    if (keyName) {
        const std::optional<QByteArray> valid = validName(*keyName);
        if (!valid)
            return false;
        key = *valid;
    }

    QByteArray before;
    if (loadFile(fileName, before) == Load::Failed)
        return false;
    std::vector<Line> lines = splitLines(before);
    const std::vector<Range> sections = sectionsNamed(lines, Name(*section));

    if (!keyName) {
        // Delete every section of that name, last first so that the earlier
        // ranges stay valid.
        for (auto it = sections.rbegin(); it != sections.rend(); ++it)
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(it->header),
                        lines.begin() + static_cast<std::ptrdiff_t>(it->end));
    } else {
        // Delete the first key of that name, looking through the sections in order.
        const Name keyMatch(key);
        for (const Range& range : sections) {
            const size_t at = keyIn(lines, range, keyMatch);
            if (at < range.end) {
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
                break;
            }
        }
    }
    return saveChanges(fileName, before, lines);
}

bool WritePrivateProfileStrings(const QByteArray& appName, const KeyValues& keyValues, const QString& fileName)
{
    const std::optional<QByteArray> section = validName(appName);
    if (fileName.isEmpty() || !section)
        return false;

    QByteArray before;
    if (loadFile(fileName, before) == Load::Failed)
        return false;
    // The keys change only their section's lines, or, when there is no such
    // section, add one after the last line (which may need a line ending):
    // only those lines are taken apart. A key whose line would read as a
    // section header changes which sections the file holds, so a batch with
    // one works on the whole file.
    std::vector<std::optional<QByteArray>> keys;
    keys.reserve(keyValues.size());
    for (const auto& keyValue : keyValues)
        keys.push_back(validName(keyValue.first));
    qsizetype begin = 0;
    qsizetype end = before.size();
    const bool keysOnly =
        std::none_of(keys.begin(), keys.end(), [](const auto& key) { return key && key->startsWith('['); });
    if (keysOnly) {
        if (const auto found = firstSectionBytes(before, Name(*section)))
            std::tie(begin, end) = *found;
        else
            begin = lastLineStart(before);
    }
    std::vector<Line> lines = splitLines(before, begin, end);
    SectionWriter writer(lines, *section);

    bool allWritten = true;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i])
            writer.write(*keys[i], oneLine(keyValues[i].second));
        else
            allWritten = false;
    }
    writer.finish();
    return saveChanges(fileName, before, begin, end, lines) && allWritten;
}

} // namespace mj::PrivateProfile
