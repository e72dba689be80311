// Byte strings to text and back, keeping bytes that are not UTF-8.
#include "bytes.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }
bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at the start of s (overlong forms, surrogates and
// values past U+10FFFF are not valid), or 0.
std::size_t sequenceLength(std::string_view s)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else
        return 0;
    if (s.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!isContinuation(at(i)))
            return 0;
    return length;
}

}  // namespace

QString fromBytes(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t start = 0;  // the start of the run of valid UTF-8 not yet converted
    std::size_t i = 0;
    const auto flush = [&] {
        if (i > start)
            text += QString::fromUtf8(bytes.data() + start, static_cast<qsizetype>(i - start));
    };
    while (i < bytes.size()) {
        const std::size_t length = sequenceLength(bytes.substr(i));
        if (length) {
            i += length;
            continue;
        }
        flush();
        text += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[i])));
        start = ++i;
    }
    flush();
    return text;
}

std::string toBytes(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    qsizetype start = 0;
    const auto flush = [&](qsizetype end) {
        if (end > start)
            bytes += text.sliced(start, end - start).toStdString();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        // An escape is a lone low surrogate: one that follows a high surrogate is half of a pair.
        if (!isEscape(c) || (i > 0 && text.at(i - 1).isHighSurrogate()))
            continue;
        flush(i);
        bytes += static_cast<char>(c - kEscapeBase);
        start = i + 1;
    }
    flush(text.size());
    return bytes;
}

QString shown(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isEscape(text.at(i).unicode()) && !(i > 0 && text.at(i - 1).isHighSurrogate()))
            text[i] = QChar::ReplacementCharacter;
    return text;
}
