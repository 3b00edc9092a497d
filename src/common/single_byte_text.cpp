#include "common/single_byte_text.h"

#include <array>

namespace SingleByteText {

namespace {

// The characters of 0x80 to 0x9F; 0 where the code page has none.
constexpr std::array<char16_t, 32> HighControlRange{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char byteFor(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (size_t i = 0; i < HighControlRange.size(); ++i) {
        if (HighControlRange[i] == c && c != 0)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

QByteArray encode(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        // A character beyond the first plane counts once.
        if (!c.isLowSurrogate())
            bytes.append(byteFor(c.unicode()));
    }
    return bytes;
}

std::optional<QString> decodeText(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if ((b < 0x20 && b != '\t') || b == 0x7F)
            return std::nullopt;
        if (b >= 0x80 && b < 0xA0) {
            const char16_t c = HighControlRange[b - 0x80];
            if (c == 0)
                return std::nullopt;
            text.append(QChar(c));
        } else {
            text.append(QChar(char16_t(b)));
        }
    }
    return text;
}

} // namespace SingleByteText
