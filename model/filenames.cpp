#include "filenames.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A byte that is not UTF-8 is kept as U+DC00 plus the byte, always 0x80 or above.
constexpr char16_t escapeBase = 0xDC00;

bool isEscape(QStringView name, qsizetype i)
{
    const char16_t c = name[i].unicode();
    const bool afterHigh = i > 0 && QChar::isHighSurrogate(name[i - 1].unicode());
    return c >= escapeBase + 0x80 && c <= escapeBase + 0xFF && !afterHigh;
}

bool isContinuation(uchar byte, uchar lowest = 0x80, uchar highest = 0xBF)
{
    return byte >= lowest && byte <= highest;
}

// The length of the well-formed UTF-8 sequence at `i` (no overlong forms,
// no surrogates, nothing past U+10FFFF), with its code point; 0 when the
// byte at `i` starts none.
qsizetype sequenceAt(QByteArrayView bytes, qsizetype i, char32_t &code)
{
    const auto byte = [&bytes](qsizetype k) {
        return static_cast<uchar>(bytes[k]);
    };
    const uchar lead = byte(i);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    qsizetype length = 0;
    uchar lowest = 0x80;
    uchar highest = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        lowest = lead == 0xE0 ? 0xA0 : 0x80;
        highest = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        lowest = lead == 0xF0 ? 0x90 : 0x80;
        highest = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > bytes.size() || !isContinuation(byte(i + 1), lowest, highest))
        return 0;
    code = (code << 6) | (byte(i + 1) & 0x3F);
    for (qsizetype k = 2; k < length; ++k) {
        if (!isContinuation(byte(i + k)))
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    return length;
}

void appendUtf8(QByteArray &bytes, char32_t code)
{
    if (code < 0x80) {
        bytes.append(char(code));
    } else if (code < 0x800) {
        bytes.append(char(0xC0 | (code >> 6)));
        bytes.append(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        bytes.append(char(0xE0 | (code >> 12)));
        bytes.append(char(0x80 | ((code >> 6) & 0x3F)));
        bytes.append(char(0x80 | (code & 0x3F)));
    } else {
        bytes.append(char(0xF0 | (code >> 18)));
        bytes.append(char(0x80 | ((code >> 12) & 0x3F)));
        bytes.append(char(0x80 | ((code >> 6) & 0x3F)));
        bytes.append(char(0x80 | (code & 0x3F)));
    }
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString fileNameFromNative(QByteArrayView bytes)
{
    QString name;
    name.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t code = 0;
        const qsizetype length = sequenceAt(bytes, i, code);
        if (length == 0) {
            name.append(QChar(char16_t(escapeBase + static_cast<uchar>(bytes[i]))));
            ++i;
            continue;
        }
        name.append(QString::fromUcs4(&code, 1));
        i += length;
    }
    return name;
}

QByteArray nativeFileName(QStringView name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() &&
            QChar::isLowSurrogate(name[i + 1].unicode())) {
            appendUtf8(bytes, QChar::surrogateToUcs4(c, name[i + 1].unicode()));
            ++i;
        } else if (isEscape(name, i)) {
            bytes.append(char(c - escapeBase));
        } else if (QChar::isSurrogate(c)) {
            // Half a pair names nothing: written as UTF-8 writes it.
            appendUtf8(bytes, QChar::ReplacementCharacter);
        } else {
            appendUtf8(bytes, c);
        }
    }
    return bytes;
}

bool holdsNonUtf8(QStringView name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isEscape(name, i))
            return true;
    }
    return false;
}

QString shownFileName(QStringView name)
{
    QString shown = name.toString();
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (isEscape(name, i))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

QString absoluteFileName(const QString &name)
{
    if (name.startsWith(u'/'))
        return QDir::cleanPath(name);
    // The working folder as the system names it: Qt's own may have lost bytes.
    QByteArray folder(4096, '\0');
    while (!::getcwd(folder.data(), size_t(folder.size()))) {
        if (errno != ERANGE)
            return QDir::cleanPath(QDir::currentPath() + u'/' + name);
        folder.resize(folder.size() * 2);
    }
    folder.truncate(qsizetype(std::strlen(folder.constData())));
    return QDir::cleanPath(fileNameFromNative(folder) + u'/' + name);
}

QString openForReading(QFile &file, const QString &name)
{
    const int fd = ::open(nativeFileName(name).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return systemText(errno);
    struct stat status = {};
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd);
        return systemText(EISDIR);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
    return {};
}
