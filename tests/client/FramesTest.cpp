#include "TestSupport.h"

#include "client/Data.h"
#include "client/SoftTimer.h"
#include "client/Total.h"

#include <gtest/gtest.h>

using namespace mj;

namespace {

// A received frame with the given header bytes.
QByteArray frameOf(uint8_t code, uint8_t seat, std::initializer_list<uint16_t> values = {},
                   std::initializer_list<std::pair<int, uint8_t>> body = {})
{
    QByteArray f(FrameSize, '\0');
    f[3] = static_cast<char>(code);
    f[6] = static_cast<char>(seat);
    int k = 0;
    for (uint16_t v : values) {
        f[8 + 2 * k] = static_cast<char>(v >> 8);
        f[9 + 2 * k] = static_cast<char>(v & 0xFF);
        ++k;
    }
    for (auto [at, b] : body)
        f[at] = static_cast<char>(b);
    return f;
}

FrameBytes takeSent()
{
    FrameBytes f;
    EXPECT_TRUE(Total::TakeQueuedFrame(f));
    return f;
}

TEST(ReceiveFrames, HeaderFieldsAndTheSignRule)
{
    const struct {
        uint8_t code;
        uint16_t word;
        int16_t value;
    } cases[] = {
        {15, 0xFFFE, -2}, {17, 0xFFFE, -2}, {17, 0x0102, 0x0102},
        {2, 0xFFFE, 254}, {16, 0x0102, 2}, {1, 0x8000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.code));
        Total::AppendReceived(frameOf(c.code, 0xF4, {c.word, 0, 0, c.word}, {{5, 7}, {7, 9}}));
        Total::ReadServerFrame();
        EXPECT_EQ(info.Code, c.code);
        EXPECT_EQ(info.Seat, 4); // low nibble only
        EXPECT_EQ(info.Byte5, 7);
        EXPECT_EQ(info.Byte7, 9);
        EXPECT_EQ(info.value[0], c.value);
        EXPECT_EQ(info.value[3], c.value);
        EXPECT_EQ(Msg[6], 0xF4); // Msg keeps the whole frame
    }
}

TEST(ReceiveFrames, OneFrameAndOneByteLeavesTheByteAsTheNextFramesStart)
{
    QByteArray chunk = frameOf(5, 1, {0, 0, 0, 0x23});
    chunk.append(char(0x11));
    Total::AppendReceived(chunk);
    EXPECT_EQ(Total::RecvWaiting(), 273);
    Total::ReadServerFrame();
    EXPECT_EQ(info.value[3], 0x23);
    EXPECT_EQ(Total::RecvWaiting(), 1);
    EXPECT_EQ(Total::RecvRing[Total::RecvReadPos], 0x11);
}

TEST(ReceiveFrames, FramesAcrossTheEndOfTheRingComeOutWhole)
{
    // Start three bytes before the end so a frame straddles the wrap.
    Total::RecvReadPos = Total::RecvWritePos = RingSize - 3;
    Total::AppendReceived(frameOf(2, 2, {0, 0, 0, 0x37}, {{271, 0xAB}}));
    Total::ReadServerFrame();
    EXPECT_EQ(info.Code, 2);
    EXPECT_EQ(info.value[3], 0x37);
    EXPECT_EQ(Msg[271], 0xAB);
    EXPECT_EQ(Total::RecvReadPos, FrameSize - 3);
}

TEST(ReceiveFrames, TheRingTakesOnlyWhatItHasRoomFor)
{
    const QByteArray big(RingSize + 500, 'x');
    EXPECT_EQ(Total::AppendReceived(big), RingSize - 1);
    EXPECT_EQ(Total::RecvRoom(), 0);
    EXPECT_EQ(Total::AppendReceived(QByteArray(10, 'y')), 0);
    Total::ReadServerFrame();
    EXPECT_EQ(Total::RecvRoom(), FrameSize);
}

TEST(ReceiveFrames, ANewConnectionDropsOnlyThePartialFrameAtTheTail)
{
    Total::AppendReceived(frameOf(5, 1) + frameOf(6, 1) + QByteArray(100, 'z'));
    Total::DropPartialReceivedFrame();
    EXPECT_EQ(Total::RecvWaiting(), 2 * FrameSize);
    Total::AppendReceived(frameOf(7, 1));
    Total::ReadServerFrame();
    Total::ReadServerFrame();
    Total::ReadServerFrame();
    EXPECT_EQ(info.Code, 7); // the new stream is read in step
}

TEST(ReceiveFrames, SeatNamesAreAppendedByAbsoluteSeat)
{
    SeatNames[2] = QStringLiteral("old");
    const QByteArray name("player01");
    std::initializer_list<std::pair<int, uint8_t>> none;
    QByteArray f = frameOf(MsgSeatName, 4, {}, none);
    f.replace(16, name.size(), name);
    f[30] = 'X'; // after the NUL: not part of the name
    Total::AppendReceived(f);
    Total::ReadServerFrame();
    EXPECT_EQ(SeatNames[2], QStringLiteral("oldplayer01"));

    QByteArray full = frameOf(MsgSeatName, 8);
    full.replace(16, 18, QByteArray("ABCDEFGHIJKLMNOPQR")); // bytes 16..31 at most
    Total::AppendReceived(full);
    Total::ReadServerFrame();
    EXPECT_EQ(SeatNames[3], QStringLiteral("ABCDEFGHIJKLMNOP"));
}

TEST(SendFrames, HeaderBytesAndTheNegativeValueRule)
{
    Total::SessionToken[0] = 0x12;
    Total::SessionToken[1] = 0x34;
    MsgHeader h;
    h.Code = 7;
    h.Seat = 4;
    h.value[0] = OpPeng;
    h.value[1] = -1;
    h.value[2] = 0x2023;
    h.value[3] = -32768;
    ASSERT_TRUE(Total::QueueMessage(h));
    EXPECT_TRUE(SendOn);
    const FrameBytes f = takeSent();
    EXPECT_EQ(f[2], 0);
    EXPECT_EQ(f[3], 7);
    EXPECT_EQ(f[6], 4);
    EXPECT_EQ(f[8], 0);
    EXPECT_EQ(f[9], OpPeng);
    EXPECT_EQ(f[10], 0xFF);
    EXPECT_EQ(f[11], 0xFF);
    EXPECT_EQ(f[12], 0x20);
    EXPECT_EQ(f[13], 0x23);
    EXPECT_EQ(f[14], 0x80);
    EXPECT_EQ(f[15], 0x00);
    EXPECT_EQ(f[260], 0x12);
    EXPECT_EQ(f[261], 0x34);
    EXPECT_EQ(h.value[1], 32767); // the caller's record loses the sign bit
    EXPECT_EQ(h.value[3], 0);
    EXPECT_EQ(h.value[2], 0x2023);
}

TEST(SendFrames, ChatLinesCarryGbkTextAndAnEmptyLineQueuesNothing)
{
    MsgHeader h;
    h.Code = MsgChat;
    EXPECT_FALSE(Total::QueueMessage(h));
    EXPECT_FALSE(SendOn);
    EXPECT_EQ(Total::SendWaiting(), 0);

    ChatOut = QStringLiteral("你好a");
    ASSERT_TRUE(Total::QueueMessage(h));
    EXPECT_TRUE(ChatOut.isEmpty());
    const FrameBytes f = takeSent();
    const uint8_t expected[] = {0xC4, 0xE3, 0xBA, 0xC3, 'a', 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(f[16 + i], expected[i]) << i;

    ChatOut = QString(150, QChar(0x4E2D)); // 中, two bytes each, cut to 100 characters
    ASSERT_TRUE(Total::QueueMessage(h));
    const FrameBytes g = takeSent();
    EXPECT_EQ(g[214], 0xD6);
    EXPECT_EQ(g[215], 0xD0);
    EXPECT_EQ(g[216], 0);
}

TEST(SendFrames, AFullRingRefusesTheFrameAndKeepsWhatWaits)
{
    MsgHeader h;
    h.Code = 24;
    for (int i = 0; i < 127; ++i) {
        h.value[0] = static_cast<int16_t>(i);
        ASSERT_TRUE(Total::QueueMessage(h)) << i;
    }
    h.value[0] = 999;
    EXPECT_FALSE(Total::QueueMessage(h));
    FrameBytes raw;
    EXPECT_FALSE(Total::QueueRawFrame(raw));
    EXPECT_EQ(Total::SendWaiting(), 127 * FrameSize);
    for (int i = 0; i < 127; ++i)
        EXPECT_EQ(takeSent()[9], i);
    FrameBytes none;
    EXPECT_FALSE(Total::TakeQueuedFrame(none));
}

TEST(SendFrames, RawFramesGetTheTokenStampedIntoTheCallersBytes)
{
    Total::SessionToken[0] = 0xAA;
    Total::SessionToken[1] = 0xBB;
    FrameBytes raw;
    raw[3] = 45;
    raw[100] = 7;
    ASSERT_TRUE(Total::QueueRawFrame(raw));
    EXPECT_EQ(raw[260], 0xAA);
    EXPECT_EQ(raw[261], 0xBB);
    EXPECT_EQ(takeSent(), raw);
}

TEST(LoginFrame, AccountAndCredentialOneBytePerCharacter)
{
    Total::BuildLoginFrame(QStringLiteral("user1"), QStringLiteral("secret"));
    const QByteArray f = Total::LoginFrameBytes();
    ASSERT_EQ(f.size(), FrameSize);
    QByteArray expected(FrameSize, '\0');
    expected[3] = MsgLogin;
    expected[14] = 1;
    expected.replace(16, 5, "user1");
    expected.replace(32, 6, "secret");
    EXPECT_EQ(f, expected);
    EXPECT_THROW(Total::BuildLoginFrame(QStringLiteral("张三"), QString()), RuntimeError);
}

TEST(LoginFrame, TheReconnectFrameReusesItWithTheTokenAndTheUserId)
{
    Total::BuildLoginFrame(QStringLiteral("user1"), QStringLiteral("secret"));
    Total::SessionToken[0] = 0x5A;
    Total::SessionToken[1] = 0xA5;
    UserId = static_cast<int32_t>(0x81828384u); // every byte 0x80 or more
    Total::WriteReconnectFrame();
    const QByteArray f = Total::LoginFrameBytes();
    EXPECT_EQ(f[3], char(MsgReconnect));
    EXPECT_EQ(f.mid(16, 5), QByteArray("user1"));
    EXPECT_EQ(f.mid(32, 6), QByteArray("secret"));
    EXPECT_EQ(f[14], char(1));
    EXPECT_EQ(f.mid(260, 2), QByteArray("\x5A\xA5"));
    EXPECT_EQ(f.mid(268, 4), QByteArray("\x84\x83\x82\x81"));
}

} // namespace

#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "platform/Audio.h"
#include "platform/Gbk.h"
#include "platform/Program.h"
#include "social/Talk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Chat frames read straight from the ring, with a recording sound back end
// and voice files in a temporary program folder.
class ChatFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(tmp.path() + QStringLiteral("/bin")));
        ASSERT_TRUE(QDir().mkpath(tmp.path() + QStringLiteral("/common/mj")));
        SetProgramFolder(tmp.path() + QStringLiteral("/bin"));
        Mod_Resource::InitSoundFiles();
        auto backend = std::make_unique<Audio::RecordingBackend>();
        sound = backend.get();
        Audio::SetBackend(std::move(backend));
        formWithoutLoadEvent<MainForm>();
        custom[0].SeatMask = 1;
        Players[1].VoiceLang = QStringLiteral("00");
        Players[1].VoicePack = QStringLiteral("10");
        Players[1].Sex = 1;
        Players[1].VoiceSex = 3;
    }

    void voiceFile(const QString& name)
    {
        QFile f(tmp.path() + QStringLiteral("/common/mj/") + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    // A chat line from a seat, with the quick-phrase values.
    void receive(uint8_t seat, const QString& text, uint16_t v0 = 0, uint16_t v2 = 0, uint16_t v3 = 0)
    {
        QByteArray f = frameOf(MsgChat, seat, {v0, 0, v2, v3});
        const QByteArray t = Gbk::Encode(text);
        f.replace(16, t.size(), t);
        Total::AppendReceived(f);
        Total::ReadServerFrame();
    }

    QStringList played() const
    {
        QStringList out;
        for (const QString& line : sound->Log())
            if (line.startsWith(QStringLiteral("create ")))
                out.append(line.mid(7));
        return out;
    }

    QTemporaryDir tmp;
    Audio::RecordingBackend* sound = nullptr;
};

TEST_F(ChatFrames, AQuickPhraseFromAnotherSeatPlaysItsVoiceLine)
{
    voiceFile(QStringLiteral("v001013b3.wav"));
    Mod_Sound::FunctionSoundOn = false; // the quick phrase plays all the same
    receive(8, QStringLiteral("快点吧"), 1, 'b', 3);
    EXPECT_EQ(played(), QStringList{Mod_Resource::VoiceDir + QStringLiteral("v001013b3.wav")});
    EXPECT_TRUE(sound->Log().contains(QStringLiteral("play once")));
}

TEST_F(ChatFrames, OnlyALetterOrDigitNamesAVoiceFile)
{
    for (uint16_t key : {uint16_t('/'), uint16_t('.'), uint16_t(0), uint16_t(0xC4)})
        receive(8, QStringLiteral("x"), 1, key, 3);
    receive(1, QStringLiteral("own line"), 1, 'b', 3); // the own quick phrase plays nothing
    receive(8, QStringLiteral("plain line"), 0, 'b', 3);
    EXPECT_TRUE(played().isEmpty());
}

TEST_F(ChatFrames, TheOwnNameBecomesYouOnlyWhenItIsKnown)
{
    receive(8, QStringLiteral("[]说话"));
    EXPECT_EQ(form<Talk>().Text1.List(0), QStringLiteral("[]说话 "));

    Players[0].Name = QStringLiteral("阿明");
    Players[0].Tag = QStringLiteral("会员");
    receive(8, QStringLiteral("[会员]阿明和阿明"));
    EXPECT_EQ(form<Talk>().Text1.List(1), QStringLiteral("你和你 "));
    receive(8, QStringLiteral("系统提示：阿明离开"));
    EXPECT_EQ(form<Talk>().Text1.List(2), QStringLiteral("系统提示：阿明离开 "));
}

TEST_F(ChatFrames, TheSystemLinesMoveUpAndKeepFortyFiveCharacters)
{
    MainForm& w = form<MainForm>();
    receive(8, QStringLiteral("one"));
    receive(8, QStringLiteral("two"));
    receive(8, QString(60, u'x'));
    EXPECT_EQ(w.Sysmsg(0).List(0), QStringLiteral("two"));
    EXPECT_EQ(w.Sysmsg(1).List(0), QString(45, u'x'));
    EXPECT_EQ(w.Sysmsg(0).ListCount(), 1);
    EXPECT_EQ(form<Talk>().Text1.ListCount(), 4); // 60 columns wrap into two lines at 46
}

} // namespace
