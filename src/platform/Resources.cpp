// The program's resources, read from the picture pack that the build embeds
// (src/platform/pictures.cmake). The pack is the file tools/picgen writes;
// its format is described there: a magic, an entry count, then per entry a
// type name, a key and the data. Numbered resources have decimal keys; the
// design pictures (type "DESIGN") have names and are kept apart, so no
// numbered lookup can reach them.
//
// The pack is parsed once, on first use; the entries point into the embedded
// bytes, nothing is copied and no file is written.
#include "platform/Resources.h"

#include <QHash>
#include <QMap>
#include <QtEndian>

#include <cstdint>

extern "C" {
extern const char mj_picture_pack_begin[];
extern const char mj_picture_pack_end[];
}

namespace mj::Resources {

namespace {

const QString kDesignType = QStringLiteral("DESIGN");

struct Pack {
    QHash<QString, QMap<int, QByteArray>> numbered; // by type, then id
    QMap<QString, QByteArray> design;               // by name
};

// A cursor over the pack's bytes that refuses to read past the end.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}
    bool Take(qsizetype n, QByteArray& out)
    {
        if (n < 0 || n > bytes_.size() - pos_)
            return false;
        out = QByteArray::fromRawData(bytes_.constData() + pos_, n);
        pos_ += n;
        return true;
    }
    bool U8(uint32_t& v) { return Int<uint8_t>(v); }
    bool U16(uint32_t& v) { return Int<uint16_t>(v); }
    bool U32(uint32_t& v) { return Int<uint32_t>(v); }

private:
    template <typename T>
    bool Int(uint32_t& v)
    {
        QByteArray raw;
        if (!Take(sizeof(T), raw))
            return false;
        v = qFromLittleEndian<T>(raw.constData());
        return true;
    }
    const QByteArray& bytes_;
    qsizetype pos_ = 0;
};

// Reads the pack; a damaged pack yields the entries before the damage.
Pack Parse(const QByteArray& bytes)
{
    Pack pack;
    Reader in(bytes);
    QByteArray magic;
    uint32_t count = 0;
    if (!in.Take(8, magic) || magic != "MJPICS01" || !in.U32(count))
        return pack;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t typeLen = 0, keyLen = 0, dataLen = 0;
        QByteArray type, key, data;
        if (!in.U8(typeLen) || !in.Take(typeLen, type) || !in.U16(keyLen) || !in.Take(keyLen, key)
            || !in.U32(dataLen) || !in.Take(dataLen, data))
            break;
        const QString typeName = QString::fromLatin1(type);
        if (typeName == kDesignType) {
            pack.design.insert(QString::fromUtf8(key), data);
            continue;
        }
        bool ok = false;
        const int id = key.toInt(&ok);
        if (ok)
            pack.numbered[typeName].insert(id, data);
    }
    return pack;
}

const Pack& ThePack()
{
    static const Pack pack = Parse(QByteArray::fromRawData(
        mj_picture_pack_begin, static_cast<qsizetype>(mj_picture_pack_end - mj_picture_pack_begin)));
    return pack;
}

} // namespace

std::optional<QByteArray> Load(int id, const QString& type)
{
    const auto byType = ThePack().numbered.constFind(type);
    if (byType == ThePack().numbered.constEnd())
        return std::nullopt;
    const auto entry = byType->constFind(id);
    if (entry == byType->constEnd())
        return std::nullopt;
    return *entry;
}

QList<int> Ids(const QString& type)
{
    return ThePack().numbered.value(type).keys();
}

std::optional<QByteArray> LoadDesign(const QString& name)
{
    const auto entry = ThePack().design.constFind(name);
    if (entry == ThePack().design.constEnd())
        return std::nullopt;
    return *entry;
}

QStringList DesignNames()
{
    return ThePack().design.keys();
}

Picture DesignPicture(const QString& name)
{
    const std::optional<QByteArray> data = LoadDesign(name);
    return data ? Picture::FromData(*data) : Picture();
}

} // namespace mj::Resources
