// Private-profile (ini) files: the reading and writing of keys that the
// client's ini class relies on, on text files in GBK.
//
// Format: "[section]" lines open a section; "key=value" lines inside one hold
// the keys. Section and key names match without regard to case, with blanks
// around them ignored. Every line the functions do not change is kept byte for
// byte (comments, blank lines, unknown lines, other sections, the spelling of
// names and each line's own line ending); new lines end in CR LF. Files are
// read with CR LF or LF line endings.
//
// Texts are passed as GBK bytes, as the ANSI functions took them. A text ends
// at its first zero byte, as a C string would.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace mj::PrivateProfile {

// Reads key `keyName` of section `appName` of the file. The value found has the
// blanks around it removed and, when a pair of matching single or double
// quotes encloses it whole, the quotes. A missing file, section or key, an
// empty section or key name, an empty file path and a file that cannot be read
// all give `defaultValue` with its trailing blanks removed.
// The text is cut to size - 1 bytes (the last byte of a buffer of `size` bytes
// holds the ending zero), which may split a double-byte character. `returned`
// receives the bytes; the result is their number. A size of 0 or less gives 0
// and leaves `returned` empty.
int32_t GetPrivateProfileString(const QByteArray& appName, const QByteArray& keyName,
                                const QByteArray& defaultValue, QByteArray& returned,
                                int32_t size, const QString& fileName);

// The keys of one section, read from the file in one go, for a caller that
// reads many keys of the same section: the file is read once, only that
// section's lines are taken apart, and each key is then looked up among them.
// Later changes to the file are not seen.
class ProfileSection {
public:
    // Reads key `keyName` of the section with the same results as
    // GetPrivateProfileString gives for it (blanks, quotes, the default, the
    // cut to size - 1 bytes).
    int32_t GetString(const QByteArray& keyName, const QByteArray& defaultValue, QByteArray& returned,
                      int32_t size) const;

private:
    friend ProfileSection ReadProfileSection(const QByteArray& appName, const QString& fileName);
    struct Lines;
    // The first section of the name, its header first; null when the file or
    // the section is missing, so that every key gives its default.
    std::shared_ptr<const Lines> lines;
};

// Reads section `appName` of the file: the first section of that name, as
// GetPrivateProfileString reads it. A missing file, section or section name, an
// empty file path and a file that cannot be read give a section without keys.
ProfileSection ReadProfileSection(const QByteArray& appName, const QString& fileName);

// Writes key `keyName` = `value` into section `appName`, creating the file,
// the section (at the end of the file) or the key (after the last line of the
// section) as needed, or replacing the value of the first key of that name in
// the first section of that name.
// Without a value the key is deleted; without a key name every section of
// that name is deleted with all its lines (the value is then not used).
// The file is replaced atomically: the new contents go to a temporary file in
// the same folder that then takes the file's place, so a crash leaves either
// the old or the new file. Nothing is written when nothing changes.
// Returns false, writing nothing, for an empty file path, an empty section or
// key name, a name holding a line break, a file that exists but cannot be read
// (a folder, say) and a file that cannot be written.
// A line break in the value would start a new line of the file and could forge
// other keys or sections; the value is cut at its first line break instead,
// which reads back as the same text.
bool WritePrivateProfileString(const QByteArray& appName, const std::optional<QByteArray>& keyName,
                               const std::optional<QByteArray>& value, const QString& fileName);

// Keys and their values, in the order they are written.
using KeyValues = std::vector<std::pair<QByteArray, QByteArray>>;

// Writes every key = value of the list into section `appName`, leaving the
// file byte for byte as WritePrivateProfileString called for each pair in
// turn would leave it (a key named twice ends with its last value), with the
// same rules for names and values. The file is read once and replaced once,
// and not at all when nothing changes, so a long file costs one read and one
// write however many keys the list holds.
// A key that the single write would refuse (an empty name, a name holding a
// line break) is skipped and the other keys are still written; the result is
// then false. An empty file path, an empty section name or one holding a
// line break, a file that exists but cannot be read and a file that cannot be
// written give false with nothing written. An empty list writes nothing.
bool WritePrivateProfileStrings(const QByteArray& appName, const KeyValues& keyValues, const QString& fileName);

} // namespace mj::PrivateProfile
