#include "client/Total.h"

#include "client/General.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "social/FiltChat.h"
#include "social/Mod_Prop.h"
#include "social/Talk.h"
#include "client/SoftTimer.h"
#include "dispatch/FrameRules.h"
#include "platform/Gbk.h"

namespace mj {

namespace {

int32_t waiting(int32_t readPos, int32_t writePos)
{
    return (writePos + RingSize - readPos) % RingSize;
}

int32_t step(int32_t pos, int32_t by = 1)
{
    return (pos + by) % RingSize;
}

// Appends one frame to the send ring when it has room for it.
bool appendToSendRing(const FrameBytes& frame)
{
    using namespace Total;
    // The write index may never catch up with the read index: a full ring
    // would look empty and lose everything queued.
    if (RingSize - 1 - SendWaiting() < FrameSize)
        return false;
    for (int i = 0; i < FrameSize; ++i) {
        SendRing[SendWritePos] = frame[i];
        SendWritePos = step(SendWritePos);
    }
    return true;
}

// The text of a chat frame: bytes 16 to 215 in GBK, a byte of 0x80 or more
// together with the next byte as one character (a lead byte at 215 takes 216
// with it); any other byte, NUL included, is one character.
QString chatText()
{
    QString text;
    int i = 16;
    while (i <= 215) {
        const int len = Msg[i] >= 0x80 ? 2 : 1;
        text.append(Gbk::Decode(reinterpret_cast<const char*>(&Msg[i]), len));
        i += len;
    }
    return text;
}

// The own name in a chat line becomes "你": every "[tag]name", then the first
// bare name unless the line is a system notice. Nothing is replaced while the
// own name is unknown (an empty name would match everywhere).
QString substituteOwnName(QString text)
{
    const QString& name = Players[0].Name;
    if (name.isEmpty())
        return text;
    const QString you = QStringLiteral("你");
    text.replace(QStringLiteral("[") + Players[0].Tag + QStringLiteral("]") + name, you);
    if (!text.startsWith(QStringLiteral("系统提示"))) {
        const qsizetype at = text.indexOf(name);
        if (at >= 0)
            text.replace(at, name.size(), you);
    }
    return text;
}

// A chat frame: either a payload of the props plug-in (its length field,
// bytes 236 to 239 big-endian, reads 272 or 260) or a chat line to show.
void ReadChatFrame()
{
    const uint32_t length = (uint32_t(Msg[236]) << 24) | (uint32_t(Msg[237]) << 16) | (uint32_t(Msg[238]) << 8)
        | uint32_t(Msg[239]);
    if (length == 272 || length == 260) {
        Mod_Prop::CallPlugin([](Tesmora& p) { p.Rec_MSG(Msg); });
        return;
    }

    QString text = chatText();
    const uint8_t ownMask = custom[0].SeatMask;
    info.Seat = static_cast<uint8_t>(SideOfMask(ownMask, info.Seat));
    const int16_t side = info.Seat;

    if (info.value[0] == 1 && side != 0) {
        // A quick phrase: its voice line plays whatever the sound switch
        // says. The file name takes the phrase's letter or digit; any other
        // byte names no file and plays nothing.
        const QChar key(static_cast<char16_t>(info.value[2]));
        if (info.value[2] < 128 && key.isLetterOrNumber()) {
            Mod_Sound::StopWave();
            Mod_Sound::PlayWave(Mod_Resource::VoiceFileName(Players[side], QString(key) + QString::number(info.value[3])),
                                false, 0);
            Mod_Sound::SetWaveVolume(3000);
        }
    }

    text = FiltChat::FilterChat(substituteOwnName(text));

    ListBox& history = form<Talk>().Text1;
    General::AddWrappedText(history, text, 46);
    if (history.ListCount() > 0)
        history.SetTopIndex(history.ListCount() - 1);

    form<MainForm>().ShowSystemLine(text);

    if (side != 0)
        ChatFlash = 8;
}

} // namespace

namespace Total {

int32_t RecvWaiting()
{
    return waiting(RecvReadPos, RecvWritePos);
}

int32_t SendWaiting()
{
    return waiting(SendReadPos, SendWritePos);
}

int32_t RecvRoom()
{
    return RingSize - 1 - RecvWaiting();
}

int32_t AppendReceived(const QByteArray& bytes)
{
    const int32_t n = std::min<int32_t>(RecvRoom(), static_cast<int32_t>(bytes.size()));
    for (int32_t i = 0; i < n; ++i) {
        RecvRing[RecvWritePos] = static_cast<uint8_t>(bytes[i]);
        RecvWritePos = step(RecvWritePos);
    }
    return n;
}

void DropPartialReceivedFrame()
{
    int32_t partial = static_cast<int32_t>((RecvWaiting() + RecvBacklog.size()) % FrameSize);
    const int32_t fromBacklog = std::min<int32_t>(partial, static_cast<int32_t>(RecvBacklog.size()));
    RecvBacklog.chop(fromBacklog);
    partial -= fromBacklog;
    RecvWritePos = (RecvWritePos + RingSize - partial) % RingSize;
}

void KeepBacklog(const QByteArray& bytes)
{
    RecvBacklog.append(bytes);
}

void FillFromBacklog()
{
    if (!RecvBacklog.isEmpty())
        RecvBacklog.remove(0, AppendReceived(RecvBacklog));
}

void ReadServerFrame()
{
    for (int i = 0; i < FrameSize; ++i)
        Msg[i] = RecvRing[(RecvReadPos + i) % RingSize];
    // The reader never leaves the read index inside a frame.
    RecvReadPos = step(RecvReadPos, FrameSize);

    info.Code = Msg[3];
    info.Byte5 = Msg[5];
    info.Seat = Msg[6] & 15;
    info.Byte7 = Msg[7];
    const bool signedValues = info.Code == 15 || info.Code == 17;
    for (int k = 0; k <= 3; ++k) {
        if (signedValues)
            info.value[k] = static_cast<int16_t>((Msg[8 + 2 * k] << 8) | Msg[9 + 2 * k]);
        else
            info.value[k] = Msg[9 + 2 * k];
    }

    if (info.Code == MsgSeatName) {
        // A seat value that is not one seat names nobody: its name would be
        // joined to another seat's.
        if (IsOneSeat(info.Seat))
            SeatNames[General::MaskToIndex(info.Seat)] += SingleByteText(16, 31);
    } else if (info.Code == MsgChat) {
        ReadChatFrame();
    }
}

QString SingleByteText(int first, int last)
{
    QString text;
    for (int i = first; i <= last && Msg[i] != 0; ++i)
        text.append(Gbk::Decode(reinterpret_cast<const char*>(&Msg[i]), 1));
    return text;
}

bool QueueMessage(MsgHeader& header)
{
    FrameBytes frame;
    frame[2] = static_cast<uint8_t>((header.Code / 256) & 0xFF);
    frame[3] = static_cast<uint8_t>(header.Code & 255);
    frame[5] = header.Byte5;
    frame[6] = header.Seat;
    frame[7] = header.Byte7;
    for (int k = 0; k <= 3; ++k) {
        // A negative value goes out as its 16-bit two's complement; the
        // caller's record keeps the value without its sign bit.
        const auto word = static_cast<uint16_t>(header.value[k]);
        frame[8 + 2 * k] = static_cast<uint8_t>(word >> 8);
        frame[9 + 2 * k] = static_cast<uint8_t>(word & 0xFF);
        if (header.value[k] < 0)
            header.value[k] = static_cast<int16_t>(header.value[k] & 0x7FFF);
    }
    if (header.Code == MsgChat) {
        if (ChatOut.isEmpty())
            return false;
        // At most 100 characters: 200 bytes from byte 16 fit before byte 216.
        const QByteArray text = Gbk::Encode(ChatOut.left(100));
        for (qsizetype i = 0; i < text.size(); ++i)
            frame[16 + i] = static_cast<uint8_t>(text[i]);
        ChatOut.clear();
    }
    return QueueRawFrame(frame);
}

bool QueueRawFrame(FrameBytes& frame)
{
    frame[260] = SessionToken[0];
    frame[261] = SessionToken[1];
    if (!appendToSendRing(frame))
        return false;
    SendOn = true;
    SendTicks = 0;
    return true;
}

bool TakeQueuedFrame(FrameBytes& frame)
{
    if (SendWaiting() < FrameSize)
        return false;
    for (int i = 0; i < FrameSize; ++i) {
        frame[i] = SendRing[SendReadPos];
        SendReadPos = step(SendReadPos);
    }
    return true;
}

void BuildLoginFrame(const QString& account, const QString& credential)
{
    LoginFrame.Fill(0);
    LoginFrame[2] = 0;
    LoginFrame[3] = MsgLogin;
    LoginFrame[14] = 1;
    const auto put = [](const QString& text, int offset) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const int16_t code = Gbk::Asc(text[i]);
            if (code < 0 || code > 255)
                Raise(ErrInvalidCall); // a double-byte character does not fit one byte
            LoginFrame[offset + i] = static_cast<uint8_t>(code);
        }
    };
    put(account, 16);
    put(credential, 32);
}

QByteArray LoginFrameBytes()
{
    return QByteArray(reinterpret_cast<const char*>(LoginFrame.data()), FrameSize);
}

void WriteReconnectFrame()
{
    LoginFrame[3] = MsgReconnect;
    LoginFrame[260] = SessionToken[0];
    LoginFrame[261] = SessionToken[1];
    const auto id = static_cast<uint32_t>(UserId);
    for (int i = 0; i < 4; ++i)
        LoginFrame[268 + i] = static_cast<uint8_t>((id >> (8 * i)) & 0xFF);
}

void HoldReceiving()
{
    ReceiveHeld = true;
    RecvWritePos = RecvReadPos; // what waited belongs to the table being left
    RecvBacklog.clear();
}

void ResetState()
{
    RecvRing.Fill(0);
    SendRing.Fill(0);
    SessionToken.Fill(0);
    LoginFrame.Fill(0);
    General::ResetNetBuffers();
}

} // namespace Total

void General::ResetNetBuffers()
{
    Total::RecvReadPos = Total::RecvWritePos = 0;
    Total::SendReadPos = Total::SendWritePos = 0;
    Total::RecvBacklog.clear();
    Total::ReceiveHeld = false;
}

} // namespace mj
