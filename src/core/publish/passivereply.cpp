#include "passivereply.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A decimal number of 1 to maxDigits digits at line[at], no greater than limit; at moves past.
std::optional<quint32> number(QByteArrayView line, qsizetype &at, int maxDigits, quint32 limit)
{
    quint32 value = 0;
    int digits = 0;
    while (at < line.size() && isDigit(line.at(at))) {
        if (++digits > maxDigits)
            return std::nullopt;
        value = value * 10 + static_cast<quint32>(line.at(at) - '0');
        ++at;
    }
    if (digits == 0 || value > limit)
        return std::nullopt;
    return value;
}

// The reply code and its separator are not part of what is parsed.
constexpr qsizetype TextStart = 4;

} // namespace

namespace PassiveReply {

std::optional<quint16> epsvPort(QByteArrayView line)
{
    for (qsizetype open = line.indexOf('(', TextStart); open >= 0;
         open = line.indexOf('(', open + 1)) {
        // RFC 2428, section 3: the delimiter is a printable character (33 to 126), the same
        // three times; the network protocol and address fields between them stay empty.
        qsizetype at = open + 1;
        if (at + 3 > line.size())
            return std::nullopt;
        const char delimiter = line.at(at);
        if (delimiter < 33 || delimiter > 126 || isDigit(delimiter) || line.at(at + 1) != delimiter
            || line.at(at + 2) != delimiter)
            continue;
        at += 3;
        const std::optional<quint32> port = number(line, at, 5, 65535);
        if (port && *port != 0 && at + 1 < line.size() && line.at(at) == delimiter
            && line.at(at + 1) == ')')
            return static_cast<quint16>(*port);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<PasvOffer> pasvOffer(QByteArrayView line)
{
    qsizetype at = TextStart;
    while (at < line.size() && !isDigit(line.at(at)))
        ++at;
    quint32 parts[6] = {};
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            if (at >= line.size() || line.at(at) != ',')
                return std::nullopt;
            ++at;
        }
        const std::optional<quint32> part = number(line, at, 3, 255);
        if (!part)
            return std::nullopt;
        parts[i] = *part;
    }
    // Digits straight after the sixth number would make it another number than the one read.
    if (at < line.size() && (isDigit(line.at(at)) || line.at(at) == ','))
        return std::nullopt;
    PasvOffer offer;
    offer.address = parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3];
    offer.port = static_cast<quint16>(parts[4] << 8 | parts[5]);
    if (offer.port == 0)
        return std::nullopt;
    return offer;
}

} // namespace PassiveReply
