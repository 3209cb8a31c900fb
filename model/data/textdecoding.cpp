#include "data/textdecoding.h"

#include "file/windows1252.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <QSysInfo>

#include <uchardet/uchardet.h>

#include <array>
#include <iconv.h>
#include <memory>
#include <optional>
#include <type_traits>

namespace {

struct UnicodeEncoding
{
    const char *name;
    QStringConverter::Encoding converter;
    QByteArrayView byteOrderMark;
    qsizetype unitBytes;
};

// UTF-32LE's mark begins with UTF-16LE's, so it comes first.
const std::array<UnicodeEncoding, 5> unicodeEncodings = {{
    {"UTF-8", QStringConverter::Utf8, QByteArrayView("\xEF\xBB\xBF", 3), 1},
    {"UTF-32LE", QStringConverter::Utf32LE, QByteArrayView("\xFF\xFE\0\0", 4), 4},
    {"UTF-32BE", QStringConverter::Utf32BE, QByteArrayView("\0\0\xFE\xFF", 4), 4},
    {"UTF-16LE", QStringConverter::Utf16LE, QByteArrayView("\xFF\xFE", 2), 2},
    {"UTF-16BE", QStringConverter::Utf16BE, QByteArrayView("\xFE\xFF", 2), 2},
}};

// A decoder that takes what is left at the end as an error, rather than as
// the start of a character still to come.
constexpr QStringConverter::Flags wholeText =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

const char *const windows1252 = "windows-1252";

// Latin-1's 0x80..0x9F are control codes no text holds, where Windows-1252,
// which a file called Latin-1 was almost always written in, has letters.
bool isWindows1252(const QString &name)
{
    for (const char *alias : {"windows-1252", "cp1252", "ISO-8859-1", "latin1"}) {
        if (name.compare(QLatin1StringView(alias), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

qsizetype lineAt(QStringView text, qsizetype index)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < index && i < text.size(); ++i) {
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')))
            ++line;
    }
    return line;
}

qsizetype lineAt(QByteArrayView bytes, qsizetype index)
{
    return lineAt(QString::fromLatin1(bytes.first(index)), index);
}

DecodedText notText(DecodedText decoded, qsizetype line)
{
    decoded.problem.text =
        QStringLiteral("line %1 holds a zero byte; this is no text file").arg(line);
    decoded.text.clear();
    return decoded;
}

DecodedText withZeroRefused(DecodedText decoded)
{
    const qsizetype zero = decoded.text.indexOf(QChar(u'\0'));
    if (zero < 0)
        return decoded;
    const qsizetype line = lineAt(decoded.text, zero);
    return notText(std::move(decoded), line);
}

// Where the first surrogate without its pair is, or -1: the UTF-16
// decoder passes such a unit on, and no text holds one.
qsizetype loneSurrogateAt(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return i;
    }
    return -1;
}

DecodedText decodeUnicode(QByteArrayView bytes, const UnicodeEncoding &encoding)
{
    if (bytes.startsWith(encoding.byteOrderMark))
        bytes = bytes.sliced(encoding.byteOrderMark.size());
    QStringDecoder decoder(encoding.converter, wholeText);
    DecodedText decoded{decoder.decode(bytes), QString::fromLatin1(encoding.name), {}, {}};
    // A last character cut short shows as U+FFFD, but not always as an error.
    const qsizetype loneSurrogate = loneSurrogateAt(decoded.text);
    if (decoder.hasError() || bytes.size() % encoding.unitBytes != 0 || loneSurrogate >= 0) {
        const qsizetype bad =
            loneSurrogate >= 0 ? loneSurrogate : decoded.text.indexOf(QChar::ReplacementCharacter);
        decoded.problem.text = QStringLiteral("line %1 is not %2 text")
                                   .arg(lineAt(decoded.text, bad))
                                   .arg(decoded.encoding);
        decoded.text.clear();
    }
    return withZeroRefused(std::move(decoded));
}

DecodedText decodeWindows1252(QByteArrayView bytes)
{
    // The code page's reader ends at a zero byte; no text has one.
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        return notText({{}, QString::fromLatin1(windows1252), {}, {}}, lineAt(bytes, zero));
    return {
        fromWindows1252(bytes.data(), int(bytes.size())), QString::fromLatin1(windows1252), {}, {}};
}

struct IconvClose
{
    void operator()(iconv_t handle) const { iconv_close(handle); }
};

struct IconvResult
{
    std::optional<QString> text;
    // Where the first byte that is no text in the encoding was, when there was one.
    qsizetype badByte = -1;
};

// Converts through glibc's iconv; nothing when it knows no such encoding.
std::optional<IconvResult> convertWithIconv(QByteArrayView bytes, const QString &encoding)
{
    const char *utf16 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
    const iconv_t handle = iconv_open(utf16, encoding.toLatin1().constData());
    if (handle == iconv_t(-1))
        return std::nullopt;
    const std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvClose> closer(handle);
    // No encoding iconv reads makes more than two UTF-16 units of a byte.
    QString text(2 * bytes.size() + 2, Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.data());
    std::size_t inLeft = std::size_t(bytes.size());
    char *out = reinterpret_cast<char *>(text.data());
    std::size_t outLeft = std::size_t(text.size()) * sizeof(char16_t);
    if (iconv(handle, &in, &inLeft, &out, &outLeft) == std::size_t(-1))
        return IconvResult{std::nullopt, in - bytes.data()};
    if (iconv(handle, nullptr, nullptr, &out, &outLeft) == std::size_t(-1))
        return IconvResult{std::nullopt, bytes.size()};
    text.truncate(text.size() - qsizetype(outLeft / sizeof(char16_t)));
    return IconvResult{std::move(text), -1};
}

DecodedText decodeNamed(QByteArrayView bytes, const QString &encoding)
{
    for (const UnicodeEncoding &unicode : unicodeEncodings) {
        if (encoding.compare(QLatin1StringView(unicode.name), Qt::CaseInsensitive) == 0)
            return decodeUnicode(bytes, unicode);
    }
    if (isWindows1252(encoding))
        return decodeWindows1252(bytes);
    const std::optional<IconvResult> converted = convertWithIconv(bytes, encoding);
    if (!converted)
        return {{},
                encoding,
                {QStringLiteral("%1 is no text encoding this program knows").arg(encoding)},
                {}};
    if (!converted->text) {
        return {{},
                encoding,
                {QStringLiteral("line %1 is not %2 text")
                     .arg(lineAt(bytes, converted->badByte))
                     .arg(encoding)},
                {}};
    }
    return withZeroRefused({*converted->text, encoding, {}, {}});
}

QString guessedEncoding(QByteArrayView bytes)
{
    const std::unique_ptr<uchardet, decltype(&uchardet_delete)> detector(uchardet_new(),
                                                                         uchardet_delete);
    uchardet_handle_data(detector.get(), bytes.data(), std::size_t(bytes.size()));
    uchardet_data_end(detector.get());
    return QString::fromLatin1(uchardet_get_charset(detector.get()));
}

// How much of `text` reads as words. A non-ASCII letter beside a letter
// counts for it, unless it is a capital after a small letter; a capital
// there, or a non-ASCII character that is no letter between two letters,
// counts against it: what a wrong code page makes of a word.
qsizetype wordLikeness(QStringView text)
{
    qsizetype score = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80)
            continue;
        const bool letterBefore = i > 0 && text[i - 1].isLetter();
        const bool letterAfter = i + 1 < text.size() && text[i + 1].isLetter();
        if (c.isLetter() && c.isUpper() && letterBefore && text[i - 1].isLower())
            --score;
        else if (c.isLetter() && (letterBefore || letterAfter))
            ++score;
        else if (!c.isLetter() && letterBefore && letterAfter)
            --score;
    }
    return score;
}

bool allLettersLatin(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 && c.isLetter() && c.script() != QChar::Script_Latin)
            return false;
    }
    return true;
}

// "line 3", "lines 3 and 7", "lines 3, 7, 9, ... and 40 more".
QString linesNamed(const QList<qsizetype> &lines)
{
    constexpr qsizetype named = 10;
    QStringList numbers;
    for (qsizetype i = 0; i < std::min(named, lines.size()); ++i)
        numbers.append(QString::number(lines[i]));
    if (lines.size() == 1)
        return QStringLiteral("line ") + numbers.front();
    const QString last = lines.size() > named ? QStringLiteral("%1 more").arg(lines.size() - named)
                                              : numbers.takeLast();
    return QStringLiteral("lines %1 and %2").arg(numbers.join(QStringLiteral(", ")), last);
}

// A UTF-8 file with lines of Windows-1252 in it, as appending to a file in
// another program makes one: each line read in its own encoding, the valid
// ones never read again. Nothing when fewer lines read as UTF-8 beyond
// ASCII than not: such a file is in another encoding.
std::optional<DecodedText> decodeMixedUtf8(QByteArrayView bytes)
{
    DecodedText decoded{{}, QStringLiteral("UTF-8"), {}, {}};
    QList<qsizetype> otherLines;
    qsizetype utf8Lines = 0;
    qsizetype line = 1;
    for (qsizetype start = 0; start < bytes.size(); ++line) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
            bytes[end + 1] == '\n')
            ++end;
        end = std::min(end + 1, bytes.size());
        const QByteArrayView text = bytes.sliced(start, end - start);
        QStringDecoder utf8(QStringConverter::Utf8, wholeText);
        const QString read = utf8.decode(text);
        if (utf8.hasError()) {
            otherLines.append(line);
            decoded.text += fromWindows1252(text.data(), int(text.size()));
        } else {
            utf8Lines += read.size() != text.size();
            decoded.text += read;
        }
        start = end;
    }
    if (utf8Lines < otherLines.size())
        return std::nullopt;
    decoded.warning = (otherLines.size() == 1 ? QStringLiteral("%1 is not UTF-8 text; it was read "
                                                               "as Windows-1252")
                                              : QStringLiteral("%1 are not UTF-8 text; they were "
                                                               "read as Windows-1252"))
                          .arg(linesNamed(otherLines));
    return decoded;
}

DecodedText decodeDetected(QByteArrayView bytes)
{
    if (bytes.contains('\0'))
        return notText({{}, QString::fromLatin1(windows1252), {}, {}},
                       lineAt(bytes, bytes.indexOf('\0')));
    QStringDecoder utf8(QStringConverter::Utf8, wholeText);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return {std::move(text), QStringLiteral("UTF-8"), {}, {}};
    if (std::optional<DecodedText> mixed = decodeMixedUtf8(bytes))
        return std::move(*mixed);

    DecodedText fallback = decodeWindows1252(bytes);
    const QString guess = guessedEncoding(bytes);
    if (guess.isEmpty() || isWindows1252(guess) ||
        guess.startsWith(QLatin1StringView("UTF"), Qt::CaseInsensitive) ||
        guess.compare(QLatin1StringView("ASCII"), Qt::CaseInsensitive) == 0)
        return fallback;
    DecodedText guessed = decodeNamed(bytes, guess);
    if (!guessed.problem.isEmpty())
        return fallback;
    // On a short text the detector often takes Western text for one of the
    // other Latin code pages (IBM852, ISO-8859-2, ...); Windows-1252 stays
    // unless the guess reads more of it as words. Other scripts are not
    // mistaken so, and Windows-1252 would make them Latin letters.
    if (allLettersLatin(guessed.text) && wordLikeness(guessed.text) <= wordLikeness(fallback.text))
        return fallback;
    return guessed;
}

} // namespace

DecodedText decodeText(const QByteArray &bytes, const QString &encoding)
{
    if (encoding.compare(QLatin1StringView("auto"), Qt::CaseInsensitive) != 0)
        return decodeNamed(bytes, encoding);
    for (const UnicodeEncoding &unicode : unicodeEncodings) {
        if (bytes.startsWith(unicode.byteOrderMark))
            return decodeUnicode(bytes, unicode);
    }
    return decodeDetected(bytes);
}
