#include "FrameBuilder.h"

#include "client/Data.h"
#include "client/Total.h"
#include "dispatch/Total.h"
#include "mjserver/Script.h"
#include "platform/Gbk.h"

#include <QFile>

#include <QStringList>

#include <stdexcept>

namespace mjtest {

ServerFrame::ServerFrame(int code)
    : bytes_(272, '\0')
{
    bytes_[2] = static_cast<char>((code >> 8) & 0xFF);
    bytes_[3] = static_cast<char>(code & 0xFF);
}

ServerFrame& ServerFrame::Seat(uint8_t seat)
{
    return Byte(6, seat);
}

ServerFrame& ServerFrame::Value(int k, uint16_t word)
{
    return U16be(8 + 2 * k, word);
}

ServerFrame& ServerFrame::Byte(int offset, uint8_t value)
{
    return Bytes(offset, QByteArray(1, static_cast<char>(value)));
}

ServerFrame& ServerFrame::Bytes(int offset, const QByteArray& bytes)
{
    if (offset < 0 || offset + bytes.size() > bytes_.size())
        throw std::out_of_range("bytes past the frame's end");
    bytes_.replace(offset, bytes.size(), bytes);
    return *this;
}

ServerFrame& ServerFrame::Text(int offset, const QString& text)
{
    return Bytes(offset, mj::Gbk::Encode(text));
}

ServerFrame& ServerFrame::U16le(int offset, uint16_t value)
{
    return Byte(offset, value & 0xFF).Byte(offset + 1, value >> 8);
}

ServerFrame& ServerFrame::U16be(int offset, uint16_t value)
{
    return Byte(offset, value >> 8).Byte(offset + 1, value & 0xFF);
}

ServerFrame& ServerFrame::U32le(int offset, uint32_t value)
{
    return U16le(offset, value & 0xFFFF).U16le(offset + 2, value >> 16);
}

ServerFrame& ServerFrame::U64le(int offset, uint64_t value)
{
    return U32le(offset, static_cast<uint32_t>(value)).U32le(offset + 4, static_cast<uint32_t>(value >> 32));
}

ServerFrame& ServerFrame::U32be(int offset, uint32_t value)
{
    return U16be(offset, value >> 16).U16be(offset + 2, value & 0xFFFF);
}

ServerFrame& ServerFrame::Token(uint16_t token)
{
    return U16be(260, token);
}

QString ServerFrame::ScriptLine() const
{
    const auto byte = [this](int i) { return static_cast<uint8_t>(bytes_[i]); };
    QStringList parts{QStringLiteral("send"), QString::number(byte(2) * 256 + byte(3)), QString::number(byte(6))};
    for (int k = 0; k < 4; ++k)
        parts << QString::number(byte(8 + 2 * k) * 256 + byte(9 + 2 * k));
    parts << QStringLiteral("@0") << QStringLiteral("hex:") + QString::fromLatin1(bytes_.toHex());
    return parts.join(u' ');
}

namespace frames {

LoginResult::LoginResult()
    : ServerFrame(18)
{
    Answer(1).Turn(8);
}

LoginResult& LoginResult::Answer(uint16_t answer)
{
    Value(3, answer);
    return *this;
}

LoginResult& LoginResult::Turn(uint8_t turn)
{
    Value(1, turn);
    return *this;
}

LoginResult& LoginResult::TimeoutLimit(uint8_t limit)
{
    Byte(9, limit);
    return *this;
}

LoginResult& LoginResult::Banner(const QByteArray& address)
{
    Bytes(16, QByteArray(100, '\0'));
    Bytes(16, address.left(100));
    return *this;
}

ServerFrame ReconnectResult(uint8_t result)
{
    return ServerFrame(29).Value(3, result);
}

ServerFrame SeatName(uint8_t seat, const QByteArray& name)
{
    return ServerFrame(3).Seat(seat).Bytes(16, name.left(16));
}

ServerFrame PlayerReady(const QByteArray& name, uint8_t ready)
{
    return ServerFrame(23).Value(3, ready).Bytes(16, name.left(16));
}

Banker::Banker(uint8_t seat)
    : ServerFrame(16)
{
    Seat(seat).Value(3, 2);
}

Banker& Banker::UserId(uint32_t id)
{
    U32le(268, id);
    return *this;
}

ContinuePrompt::ContinuePrompt()
    : ServerFrame(16)
{
}

ContinuePrompt& ContinuePrompt::ShuffleNext(uint8_t value)
{
    Byte(11, value);
    return *this;
}

ContinuePrompt& ContinuePrompt::ShowNow(uint8_t value)
{
    Value(2, value);
    return *this;
}

ContinuePrompt& ContinuePrompt::WealthRate(uint32_t rate)
{
    U32le(16, rate);
    return *this;
}

UserInfo::UserInfo(uint8_t seat)
    : ServerFrame(20)
{
    ServerFrame::Seat(seat);
}

UserInfo& UserInfo::Name(const QString& name) { Text(16, name); return *this; }
UserInfo& UserInfo::Face(const QByteArray& face) { Bytes(48, face.left(16)); return *this; }
UserInfo& UserInfo::Sex(uint8_t sex) { Byte(64, sex); return *this; }
UserInfo& UserInfo::Location(const QString& place) { Text(72, place); return *this; }
UserInfo& UserInfo::Points(uint64_t points) { U64le(80, points); return *this; }
UserInfo& UserInfo::Credit(uint64_t credit) { U64le(88, credit); return *this; }
UserInfo& UserInfo::Coins(uint64_t coins) { U64le(96, coins); return *this; }
UserInfo& UserInfo::Level(const QString& level) { Text(112, level); return *this; }
UserInfo& UserInfo::Counts(int32_t logins, int32_t drops, int32_t wins, int32_t losses)
{
    U32le(152, static_cast<uint32_t>(logins)).U32le(156, static_cast<uint32_t>(drops));
    U32le(160, static_cast<uint32_t>(wins)).U32le(164, static_cast<uint32_t>(losses));
    return *this;
}
UserInfo& UserInfo::Account(const QByteArray& account) { Bytes(168, account.left(16)); return *this; }
UserInfo& UserInfo::Tag(const QString& tag) { Text(184, tag); return *this; }
UserInfo& UserInfo::Ready(uint8_t ready) { Byte(208, ready); return *this; }
UserInfo& UserInfo::UserId(uint64_t id) { U64le(226, id); return *this; }
UserInfo& UserInfo::WealthRate(uint32_t rate) { U32le(234, rate); return *this; }
UserInfo& UserInfo::PropsSwitch(uint8_t value) { Byte(255, value); return *this; }

ServerFrame WithHeader(int code, uint8_t seat, uint16_t v0, uint16_t v1, uint16_t v2, uint16_t v3)
{
    ServerFrame frame(code);
    frame.Seat(seat).Value(0, v0).Value(1, v1).Value(2, v2).Value(3, v3);
    return frame;
}

ServerFrame Numbered(int code)
{
    ServerFrame frame(code);
    for (int i = 16; i < 260; ++i)
        frame.Byte(i, static_cast<uint8_t>(i));
    return frame;
}

} // namespace frames

void Dispatch(const ServerFrame& frame)
{
    Dispatch(frame.Data());
}

void Dispatch(const QByteArray& frame)
{
    mj::Total::AppendReceived(frame);
    mj::Total::ReadServerFrame();
    mj::Total::HandleServerMessage(mj::info);
}

QList<QByteArray> ScriptFrames(const QString& text, int connection)
{
    const mj::mjserver::Script script = mj::mjserver::ParseScript(text);
    if (connection == 0)
        connection = script.sections.empty() ? 1 : script.sections.rbegin()->first;
    QList<QByteArray> frames;
    for (const mj::mjserver::Command& c : script.ForConnection(connection))
        if (c.kind == mj::mjserver::Command::Send)
            for (qsizetype at = 0; at + mj::mjserver::FrameSize <= c.bytes.size(); at += mj::mjserver::FrameSize)
                frames << c.bytes.mid(at, mj::mjserver::FrameSize);
    return frames;
}

QList<QByteArray> DemoFrames()
{
    QFile file(QStringLiteral(MJ_SOURCE_DIR "/scripts/demo-server.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ScriptFrames(QString::fromUtf8(file.readAll()));
}

} // namespace mjtest
