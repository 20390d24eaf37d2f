#include "client/classIniFile.h"

#include "platform/Gbk.h"
#include "platform/PrivateProfile.h"

#include <optional>

namespace mj {

namespace {

constexpr int32_t kBufferSize = 1024;

std::optional<classIniFile>& sharedIniFile()
{
    static std::optional<classIniFile> instance;
    return instance;
}

} // namespace

void classIniFile::WriteIniKey(const QString& section, const QString& key, const QString& value)
{
    PrivateProfile::WritePrivateProfileString(Gbk::Encode(section), Gbk::Encode(key), Gbk::Encode(value),
                                              FileName);
}

void classIniFile::WriteIniKeys(const QString& section, const std::vector<std::pair<QString, QString>>& keyValues)
{
    PrivateProfile::KeyValues encoded;
    encoded.reserve(keyValues.size());
    for (const auto& [key, value] : keyValues)
        encoded.emplace_back(Gbk::Encode(key), Gbk::Encode(value));
    PrivateProfile::WritePrivateProfileStrings(Gbk::Encode(section), encoded, FileName);
}

QString classIniFile::GetIniKey(const QString& section, const QString& key)
{
    return ReadIniSection(section).GetIniKey(key);
}

classIniFile::Section classIniFile::ReadIniSection(const QString& section) const
{
    return Section(PrivateProfile::ReadProfileSection(Gbk::Encode(section), FileName));
}

QString classIniFile::Section::GetIniKey(const QString& key) const
{
    QByteArray value;
    const int32_t length = Keys.GetString(Gbk::Encode(key), QByteArray(), value, kBufferSize);

    // The buffer as the caller sees it: filled with blanks, the value copied
    // to its start and ended with a zero byte. A value cut inside a
    // double-byte character leaves a lone first byte, which decodes as '?'.
    const QByteArray buffer = value.left(length) + '\0' + QByteArray(kBufferSize - 1 - length, ' ');
    QString text = Gbk::Decode(buffer);

    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    text = text.mid(begin, end - begin);
    text.remove(QChar(u'\0'));
    return text;
}

QString classIniFile::INIFileName() const
{
    return FileName;
}

void classIniFile::SetINIFileName(const QString& path)
{
    FileName = path;
}

QString classIniFile::DelIniKey(const QString& section, const QString& key)
{
    PrivateProfile::WritePrivateProfileString(Gbk::Encode(section), Gbk::Encode(key), std::nullopt, FileName);
    return QString();
}

QString classIniFile::DelIniSec(const QString& section)
{
    PrivateProfile::WritePrivateProfileString(Gbk::Encode(section), std::nullopt, QByteArray(""), FileName);
    return QString();
}

classIniFile& IniFile()
{
    std::optional<classIniFile>& instance = sharedIniFile();
    if (!instance)
        instance.emplace();
    return *instance;
}

void ResetIniFile()
{
    sharedIniFile().reset();
}

} // namespace mj
