// The program's one class: a thin wrapper over the private-profile functions,
// bound to one ini file path. It holds no file open; every call opens, reads or
// writes and closes the file. Texts go to the file in GBK.
#pragma once

#include "platform/PrivateProfile.h"

#include <QString>

#include <utility>
#include <vector>

namespace mj {

class classIniFile {
public:
    // Writes key = value into the section, creating the file, the section or
    // the key as needed. The result of the write is not checked.
    void WriteIniKey(const QString& section, const QString& key, const QString& value);
    // Writes the keys into the section in the list's order, leaving the file
    // as WriteIniKey called for each would, but reading and replacing it only
    // once. A key that cannot be written is left out; the result is not checked.
    void WriteIniKeys(const QString& section, const std::vector<std::pair<QString, QString>>& keyValues);
    // Reads the key into a 1024-byte buffer (so at most 1023 bytes of GBK,
    // possibly ending in half a double-byte character, which reads as '?'),
    // trims the blanks at both ends and removes every character of code 0.
    // A missing file, section or key gives the empty text.
    QString GetIniKey(const QString& section, const QString& key);
    // The keys of one section, read from the file once; each key then reads
    // as GetIniKey reads it, without going back to the file.
    class Section {
    public:
        QString GetIniKey(const QString& key) const;

    private:
        friend class classIniFile;
        explicit Section(PrivateProfile::ProfileSection keys) : Keys(std::move(keys)) {}
        PrivateProfile::ProfileSection Keys;
    };
    // Reads the section for many GetIniKey calls at the cost of one.
    Section ReadIniSection(const QString& section) const;
    // The path, stored unchanged (no check, no joining); empty until set.
    QString INIFileName() const;
    void SetINIFileName(const QString& path);
    // Deletes the key; returns the empty text.
    QString DelIniKey(const QString& section, const QString& key);
    // Deletes the section with all its keys; returns the empty text.
    QString DelIniSec(const QString& section);

private:
    QString FileName;
};

// The shared instance that start-up and the settings keep, created on first use.
classIniFile& IniFile();
// Drops the shared instance; the next use creates a fresh one (empty path).
void ResetIniFile();

} // namespace mj
