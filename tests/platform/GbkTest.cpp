#include "TestSupport.h"

#include "platform/Gbk.h"

#include <gtest/gtest.h>

using namespace mj;

namespace {

TEST(Gbk, EncodesAndDecodesBothWays)
{
    const struct {
        const char* text;
        QByteArray bytes;
    } cases[] = {
        {"abc", QByteArray("abc")},
        {"你好", QByteArray("\xC4\xE3\xBA\xC3")},
        {"发财a", QByteArray("\xB7\xA2\xB2\xC6" "a")},
        {"€", QByteArray("\x80")}, // the one single-byte character above 0x7F
        {"", QByteArray()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Gbk::Encode(QString::fromUtf8(c.text)), c.bytes);
        EXPECT_EQ(Gbk::Decode(c.bytes), QString::fromUtf8(c.text));
    }
}

TEST(Gbk, WhatGbkCannotHoldBecomesAQuestionMark)
{
    EXPECT_EQ(Gbk::Encode(QStringLiteral("aกb")), QByteArray("a?b"));
    EXPECT_EQ(Gbk::Encode(QString::fromUtf8("\xF0\x9F\x98\x80")), QByteArray("??")); // one per UTF-16 unit
}

TEST(Gbk, BadBytesNeverFailTheDecoding)
{
    EXPECT_EQ(Gbk::Decode(QByteArray("ab\xC4")), QStringLiteral("ab?"));     // a lone lead byte at the end
    EXPECT_EQ(Gbk::Decode(QByteArray("\xFF" "a")), QStringLiteral("?a"));    // not a lead byte
    EXPECT_EQ(Gbk::Decode(QByteArray("a\0b", 3)), QString::fromUtf16(u"a\u0000b", 3)); // NUL kept
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(static_cast<char>((i * 7919) & 0xFF));
    EXPECT_FALSE(Gbk::Decode(noise).isEmpty());
}

TEST(Gbk, ByteLengthAndAnsiCodeOfACharacter)
{
    EXPECT_EQ(Gbk::CharByteLength(u'a'), 1);
    EXPECT_EQ(Gbk::CharByteLength(QChar(0x4F60)), 2); // 你
    EXPECT_EQ(Gbk::Asc(u'A'), 65);
    EXPECT_EQ(Gbk::Asc(QChar(0x4F60)), static_cast<int16_t>(0xC4E3));
}

} // namespace
