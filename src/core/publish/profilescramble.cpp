#include "profilescramble.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr quint16 kKeyStart = 9271;

// All arithmetic wraps at 16 bits.
quint16 nextKey(quint16 key, quint8 scrambled)
{
    return static_cast<quint16>((key + scrambled) * 40693u + 31817u);
}

quint8 highByte(quint16 key)
{
    return static_cast<quint8>(key >> 8);
}

int sextet(QStringView text, qsizetype at)
{
    if (at >= text.size())
        return 0;
    const char16_t c = text.at(at).unicode();
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    if (c >= u'a' && c <= u'z')
        return c - u'a' + 26;
    if (c >= u'0' && c <= u'9')
        return c - u'0' + 52;
    if (c == u'+')
        return 62;
    if (c == u'/')
        return 63;
    return 0;
}

bool isPad(QStringView text, qsizetype at)
{
    return at < text.size() && text.at(at) == u'=';
}

} // namespace

QByteArray StrEncrypt(QByteArrayView plain)
{
    QByteArray scrambled(plain.size(), Qt::Uninitialized);
    quint16 key = kKeyStart;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const auto out = static_cast<quint8>(static_cast<quint8>(plain[i]) ^ highByte(key));
        scrambled[i] = static_cast<char>(out);
        key = nextKey(key, out);
    }
    return scrambled;
}

QByteArray StrDecrypt(QByteArrayView scrambled)
{
    QByteArray plain(scrambled.size(), Qt::Uninitialized);
    quint16 key = kKeyStart;
    for (qsizetype i = 0; i < scrambled.size(); ++i) {
        const auto in = static_cast<quint8>(scrambled[i]);
        plain[i] = static_cast<char>(in ^ highByte(key));
        key = nextKey(key, in);
    }
    return plain;
}

QString Base64Encode(QByteArrayView bytes)
{
    QString text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (qsizetype i = 0; i < bytes.size(); i += 3) {
        const qsizetype left = bytes.size() - i;
        const auto byte = [&](qsizetype at) {
            return at < left ? static_cast<quint32>(static_cast<quint8>(bytes[i + at])) : 0u;
        };
        const quint32 group = byte(0) << 16 | byte(1) << 8 | byte(2);
        text += QLatin1Char(kAlphabet[group >> 18 & 63]);
        text += QLatin1Char(kAlphabet[group >> 12 & 63]);
        text += left > 1 ? QLatin1Char(kAlphabet[group >> 6 & 63]) : QLatin1Char('=');
        text += left > 2 ? QLatin1Char(kAlphabet[group & 63]) : QLatin1Char('=');
    }
    return text;
}

QByteArray Base64Decode(QStringView text)
{
    QByteArray bytes;
    bytes.reserve((text.size() + 3) / 4 * 3);
    for (qsizetype i = 0; i < text.size(); i += 4) {
        const quint32 group = static_cast<quint32>(sextet(text, i)) << 18
            | static_cast<quint32>(sextet(text, i + 1)) << 12
            | static_cast<quint32>(sextet(text, i + 2)) << 6
            | static_cast<quint32>(sextet(text, i + 3));
        int count = 3;
        if (isPad(text, i + 3))
            count = isPad(text, i + 2) ? 1 : 2;
        bytes += static_cast<char>(group >> 16 & 0xFF);
        if (count > 1)
            bytes += static_cast<char>(group >> 8 & 0xFF);
        if (count > 2)
            bytes += static_cast<char>(group & 0xFF);
    }
    return bytes;
}
