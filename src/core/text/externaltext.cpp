#include "externaltext.h"

#include "windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

// Larger outside text files are not texts a beginner's page is made of.
constexpr qint64 kMaxTextFileSize = 64 * 1024 * 1024;

} // namespace

QString decodeExternalText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return Windows1252::decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines << text.mid(start);
    return lines;
}

std::optional<QByteArray> readExternalFile(const QString &path)
{
    // Only regular files: a device or a pipe could be endless.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(kMaxTextFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxTextFileSize)
        return std::nullopt;
    return bytes;
}

std::optional<QString> readExternalTextFile(const QString &path)
{
    const std::optional<QByteArray> bytes = readExternalFile(path);
    if (!bytes)
        return std::nullopt;
    return decodeExternalText(*bytes);
}
