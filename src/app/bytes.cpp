// Byte strings to text and back, keeping bytes that are not UTF-8.
#include "bytes.h"

#include <cstdio>

#include "utf8.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscape(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

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
        const std::size_t length = kl::utf8SequenceLength(bytes.substr(i));
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

void printErrorLine(std::string message)
{
    for (char& c : message)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    std::fprintf(stderr, "kalmora-launcher: %s\n", message.c_str());
    std::fflush(stderr);
}

namespace {
QtMessageHandler g_qtHandler = nullptr;
}

void dropQtLocaleNotice()
{
    g_qtHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && text.startsWith(QLatin1String("Detected locale \"")))
            return;
        if (g_qtHandler)
            g_qtHandler(type, context, text);
    });
}
