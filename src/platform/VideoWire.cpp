#include "platform/VideoWire.h"

#include <QStringDecoder>

namespace mj::VideoWire {

namespace {

void putU16(QByteArray& out, uint16_t v)
{
    out.append(static_cast<char>(v >> 8));
    out.append(static_cast<char>(v & 0xFF));
}

void putU32(QByteArray& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(static_cast<char>((v >> shift) & 0xFF));
}

// The name the bytes spell; false unless they are whole, valid UTF-8. A
// decoder keeps a sequence cut at the end for bytes still to come, so a
// name cut inside a character would lose its last bytes without an error:
// only a name that encodes back to the same bytes is taken.
bool nameFromUtf8(const QByteArray& raw, QString& v)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    v = decoder.decode(raw);
    return !decoder.hasError() && v.toUtf8() == raw;
}

void putName(QByteArray& out, const QString& name)
{
    const QByteArray bytes = name.toUtf8();
    out.append(static_cast<char>(static_cast<uint8_t>(bytes.size())));
    out.append(bytes);
}

// Reads fields from a body with every access checked.
class Cursor {
public:
    explicit Cursor(const QByteArray& bytes) : bytes_(bytes) {}
    bool u8(uint8_t& v)
    {
        if (pos_ + 1 > bytes_.size())
            return false;
        v = static_cast<uint8_t>(bytes_[pos_++]);
        return true;
    }
    bool u16(uint16_t& v)
    {
        uint8_t hi = 0, lo = 0;
        if (!u8(hi) || !u8(lo))
            return false;
        v = static_cast<uint16_t>((hi << 8) | lo);
        return true;
    }
    bool name(QString& v)
    {
        uint8_t n = 0;
        if (!u8(n) || n < 1 || n > MaxNameBytes || pos_ + n > bytes_.size())
            return false;
        const QByteArray raw = bytes_.mid(pos_, n);
        pos_ += n;
        return nameFromUtf8(raw, v);
    }
    bool flag(uint8_t& v) { return u8(v) && v <= 1; }
    QByteArray rest()
    {
        const QByteArray r = bytes_.mid(pos_);
        pos_ = bytes_.size();
        return r;
    }
    bool atEnd() const { return pos_ == bytes_.size(); }

private:
    const QByteArray& bytes_;
    qsizetype pos_ = 0;
};

bool kindAndPayload(Cursor& c, Message& m)
{
    if (!c.u8(m.value) || m.value < Format || m.value > Frame)
        return false;
    m.payload = c.rest();
    return PayloadFits(static_cast<Kind>(m.value), m.payload.size());
}

} // namespace

bool NameFits(const QString& name)
{
    // A name with a lone surrogate has no UTF-8 of its own.
    const QByteArray bytes = name.toUtf8();
    QString back;
    return bytes.size() >= 1 && bytes.size() <= MaxNameBytes && nameFromUtf8(bytes, back) && back == name;
}

bool PayloadFits(Kind kind, qsizetype bytes)
{
    switch (kind) {
    case Format: return bytes <= MaxFormatBytes;
    case Mode: return bytes == ModeBytes;
    case Frame: return bytes <= MaxFrameBytes;
    }
    return false;
}

QByteArray Encode(const Message& m)
{
    QByteArray body;
    body.append(static_cast<char>(m.type));
    switch (m.type) {
    case Hello:
        putU16(body, m.version);
        putName(body, m.name);
        break;
    case Want:
    case Peer:
        putName(body, m.name);
        body.append(static_cast<char>(m.value));
        break;
    case Unwant:
        putName(body, m.name);
        break;
    case Send:
    case Data:
        putName(body, m.name);
        body.append(static_cast<char>(m.value));
        body.append(m.payload);
        break;
    case Welcome:
    case RelayBye:
        body.append(static_cast<char>(m.value));
        break;
    default:
        body.append(m.payload);
        break;
    }
    QByteArray out;
    putU32(out, static_cast<uint32_t>(body.size()));
    out.append(body);
    return out;
}

QByteArray EncodeHello(const QString& name, uint16_t version)
{
    Message m;
    m.type = Hello;
    m.version = version;
    m.name = name;
    return Encode(m);
}

QByteArray EncodeWant(const QString& name, bool everyFrame)
{
    Message m;
    m.type = Want;
    m.name = name;
    m.value = everyFrame ? 1 : 0;
    return Encode(m);
}

QByteArray EncodeUnwant(const QString& name)
{
    Message m;
    m.type = Unwant;
    m.name = name;
    return Encode(m);
}

QByteArray EncodeSend(const QString& name, Kind kind, const QByteArray& payload)
{
    Message m;
    m.type = Send;
    m.name = name;
    m.value = kind;
    m.payload = payload;
    return Encode(m);
}

QByteArray EncodeData(const QString& from, Kind kind, const QByteArray& payload)
{
    Message m;
    m.type = Data;
    m.name = from;
    m.value = kind;
    m.payload = payload;
    return Encode(m);
}

QByteArray EncodePeer(const QString& name, PeerStatus status)
{
    Message m;
    m.type = Peer;
    m.name = name;
    m.value = status;
    return Encode(m);
}

QByteArray EncodeSimple(Type type)
{
    Message m;
    m.type = type;
    return Encode(m);
}

QByteArray EncodeByte(Type type, uint8_t value)
{
    Message m;
    m.type = type;
    m.value = value;
    return Encode(m);
}

bool Decode(From from, const QByteArray& typeAndBody, Message& m)
{
    m = Message();
    Cursor c(typeAndBody);
    if (!c.u8(m.type))
        return false;
    bool ok = false;
    if (from == From::Client) {
        switch (m.type) {
        case Hello: ok = c.u16(m.version) && c.name(m.name) && c.atEnd(); break;
        case Want: ok = c.name(m.name) && c.flag(m.value) && c.atEnd(); break;
        case Unwant: ok = c.name(m.name) && c.atEnd(); break;
        case Send: ok = c.name(m.name) && kindAndPayload(c, m); break;
        case Ping:
        case Bye: ok = c.atEnd(); break;
        default: ok = false; break;
        }
    } else {
        switch (m.type) {
        case Welcome: ok = c.flag(m.value) && c.atEnd(); break;
        case Peer: ok = c.name(m.name) && c.u8(m.value) && m.value <= MutualEvery && c.atEnd(); break;
        case Data: ok = c.name(m.name) && kindAndPayload(c, m); break;
        case Ping: ok = c.atEnd(); break;
        case RelayBye: ok = c.u8(m.value) && c.atEnd(); break;
        default: ok = false; break;
        }
    }
    return ok;
}

Reader::Result Reader::Next(Message& out)
{
    if (broken_)
        return Result::Malformed;
    if (buffer_.size() < 4)
        return Result::Incomplete;
    uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length = (length << 8) | static_cast<uint8_t>(buffer_[i]);
    if (length == 0 || length > MaxMessageLength) {
        broken_ = true;
        return Result::Malformed;
    }
    if (static_cast<qsizetype>(buffer_.size()) < 4 + static_cast<qsizetype>(length))
        return Result::Incomplete;
    const QByteArray body = buffer_.mid(4, length);
    buffer_.remove(0, 4 + length);
    if (!Decode(from_, body, out)) {
        broken_ = true;
        return Result::Malformed;
    }
    return Result::Ok;
}

} // namespace mj::VideoWire
