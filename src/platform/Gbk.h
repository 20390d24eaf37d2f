// Text in the client's byte encoding, GBK (code page 936): frames, ini files
// and the narrow/wide test all use it. Conversion goes through glibc's
// iconv, since Qt 6 has no GBK codec.
#pragma once

#include <QByteArray>
#include <QString>

namespace mj::Gbk {

// A character that GBK cannot hold becomes '?', as the system's conversion did.
QByteArray Encode(const QString& text);
// A byte sequence that is not GBK (a lone lead byte, say) becomes '?' per bad
// byte; decoding never fails.
QString Decode(const QByteArray& bytes);
QString Decode(const char* bytes, int length);
// Bytes the character takes in GBK: 1 for a single-byte character, 2 for a
// double-byte one. A character GBK cannot hold counts as its '?' (1).
int CharByteLength(QChar c);
// The character's ANSI code as the runtime's Asc gives it: the byte for a
// single-byte character, the two bytes as one signed 16-bit value otherwise.
int16_t Asc(QChar c);

} // namespace mj::Gbk
