#include "platform/Gbk.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace mj::Gbk {

namespace {

// One iconv descriptor per direction, opened on first use. The client runs on
// one thread, so the descriptors need no lock.
class Converter {
public:
    Converter(const char* to, const char* from)
        : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert between GBK and UTF-16");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible; returns the number of input bytes used and
    // appends the output. Stops at the first byte sequence it cannot convert.
    size_t convert(const char* in, size_t inLen, QByteArray& out)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in);
        size_t inLeft = inLen;
        char buffer[1024];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<int>(sizeof buffer - outLeft));
            if (r == static_cast<size_t>(-1) && errno != E2BIG)
                break;
        }
        return inLen - inLeft;
    }

private:
    iconv_t cd_;
};

Converter& toGbk()
{
    static Converter c("CP936", "UTF-16LE");
    return c;
}

Converter& fromGbk()
{
    static Converter c("UTF-16LE", "CP936");
    return c;
}

} // namespace

QByteArray Encode(const QString& text)
{
    QByteArray out;
    const char* in = reinterpret_cast<const char*>(text.utf16());
    const size_t len = static_cast<size_t>(text.size()) * 2;
    size_t pos = 0;
    while (pos < len) {
        pos += toGbk().convert(in + pos, len - pos, out);
        if (pos < len) {
            // Not representable: one '?' per UTF-16 unit (a surrogate pair
            // gives two, as the system's conversion did for each unit).
            out.append('?');
            pos += 2;
        }
    }
    return out;
}

QString Decode(const char* bytes, int length)
{
    QByteArray utf16;
    size_t pos = 0;
    const size_t len = length > 0 ? static_cast<size_t>(length) : 0;
    while (pos < len) {
        pos += fromGbk().convert(bytes + pos, len - pos, utf16);
        if (pos < len) {
            utf16.append('?');
            utf16.append('\0');
            pos += 1;
        }
    }
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

QString Decode(const QByteArray& bytes)
{
    return Decode(bytes.constData(), static_cast<int>(bytes.size()));
}

int CharByteLength(QChar c)
{
    return static_cast<int>(Encode(QString(c)).size()) >= 2 ? 2 : 1;
}

int16_t Asc(QChar c)
{
    const QByteArray b = Encode(QString(c));
    if (b.size() >= 2)
        return static_cast<int16_t>((static_cast<uint8_t>(b[0]) << 8) | static_cast<uint8_t>(b[1]));
    return b.isEmpty() ? 0 : static_cast<uint8_t>(b[0]);
}

} // namespace mj::Gbk
