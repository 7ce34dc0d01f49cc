#include "textimport.h"

#include "externaltext.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

// The five bytes that Windows-1252 leaves undefined; in UTF-8 they are continuation bytes.
bool hasUndefinedCp1252Byte(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        switch (static_cast<unsigned char>(c)) {
        case 0x81:
        case 0x8D:
        case 0x8F:
        case 0x90:
        case 0x9D:
            return true;
        default:
            return false;
        }
    });
}

} // namespace

namespace TextImport {

std::optional<QString> decode(QByteArrayView bytes)
{
    if (bytes.contains('\0'))
        return std::nullopt;
    if (!hasUndefinedCp1252Byte(bytes))
        return decodeExternalText(bytes);
    // Only UTF-8 can hold these bytes.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return std::nullopt;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

std::optional<QString> read(const QString &path)
{
    const std::optional<QByteArray> bytes = readExternalFile(path);
    if (!bytes)
        return std::nullopt;
    return decode(*bytes);
}

QString lines(const QString &text, bool breaks)
{
    const QString lineEnd = breaks ? QStringLiteral("<BR>\n") : QStringLiteral("\n");
    QString result;
    // One pass and one allocation, whatever the size of the file.
    const qsizetype lineCount = std::count(text.begin(), text.end(), QLatin1Char('\n'))
        + std::count(text.begin(), text.end(), QLatin1Char('\r')) + 1;
    result.reserve(text.size() + lineCount * lineEnd.size());
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        result.append(QStringView(text).sliced(start, i - start));
        result.append(lineEnd);
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size) {
        result.append(QStringView(text).sliced(start));
        result.append(lineEnd);
    }
    return result;
}

} // namespace TextImport
