#include "socketnames.h"

#include <QStringList>

#include <arpa/inet.h>
#include <array>
#include <netdb.h>

namespace {

// Room for one entry of /etc/services or /etc/protocols with its aliases.
using EntryBuffer = std::array<char, 4096>;

bool startsWithDigit(const QString &text)
{
    return !text.isEmpty() && text.at(0) >= u'0' && text.at(0) <= u'9';
}

// Only ASCII digits, no sign, at most max.
bool parseDecimal(const QString &text, uint max, uint &value)
{
    if (text.isEmpty() || text.size() > 10)
        return false;
    quint64 result = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
        result = result * 10 + static_cast<quint64>(c.unicode() - u'0');
    }
    if (result > max)
        return false;
    value = static_cast<uint>(result);
    return true;
}

struct KnownService {
    const char *name;
    const char *protocol;
    quint16 port;
};

// /etc/services comes with netbase, which minimal systems and most container images leave
// out; the FTP client's default port is the name "ftp".
constexpr std::array KnownServices {
    KnownService {"ftp", "tcp", 21},
    KnownService {"ftp-data", "tcp", 20},
};

bool knownServicePort(const QByteArray &service, const QByteArray &protocolName, quint16 &port)
{
    for (const KnownService &known : KnownServices) {
        if (service == known.name && protocolName == known.protocol) {
            port = known.port;
            return true;
        }
    }
    return false;
}

} // namespace

namespace SocketNames {

// A part with a leading zero is octal to inet_addr() and to the resolver; such text is left to
// the resolver, which reads it that way.
bool parseDotted(const QString &text, in_addr &address)
{
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return false;
    quint32 value = 0;
    for (const QString &part : parts) {
        uint byte = 0;
        if (part.size() > 3 || (part.size() > 1 && part.at(0) == u'0')
            || !parseDecimal(part, 255, byte))
            return false;
        value = value << 8 | byte;
    }
    address.s_addr = htonl(value);
    return true;
}

QString dotted(const in_addr &address)
{
    std::array<char, INET_ADDRSTRLEN> text {};
    ::inet_ntop(AF_INET, &address, text.data(), static_cast<socklen_t>(text.size()));
    return QString::fromLatin1(text.data());
}

bool systemServicePort(const QByteArray &service, const QByteArray &protocolName, quint16 &port)
{
    servent entry {};
    servent *found = nullptr;
    EntryBuffer buffer {};
    if (service.contains('\0') || protocolName.contains('\0')
        || ::getservbyname_r(service.constData(), protocolName.constData(), &entry, buffer.data(),
               buffer.size(), &found)
            != 0
        || found == nullptr)
        return false;
    port = ntohs(static_cast<uint16_t>(found->s_port));
    return true;
}

bool portFromText(
    const QString &text, const QByteArray &protocolName, quint16 &port, ServiceLookup lookup)
{
    if (startsWithDigit(text)) {
        uint value = 0;
        if (!parseDecimal(text, 65535, value))
            return false;
        port = static_cast<quint16>(value);
        return true;
    }
    const QByteArray service = text.toUtf8();
    if (service.isEmpty())
        return false;
    return lookup(service, protocolName, port) || knownServicePort(service, protocolName, port);
}

bool protocolFromText(const QString &text, int &number, QByteArray &name)
{
    protoent entry {};
    protoent *found = nullptr;
    EntryBuffer buffer {};
    if (startsWithDigit(text)) {
        uint value = 0;
        if (!parseDecimal(text, 255, value))
            return false;
        number = static_cast<int>(value);
        const bool named
            = ::getprotobynumber_r(number, &entry, buffer.data(), buffer.size(), &found) == 0
            && found != nullptr;
        name = named ? QByteArray(found->p_name) : text.toUtf8();
        return true;
    }
    const QByteArray protocol = text.toUtf8();
    if (protocol.isEmpty() || protocol.contains('\0')
        || ::getprotobyname_r(protocol.constData(), &entry, buffer.data(), buffer.size(), &found)
            != 0
        || found == nullptr)
        return false;
    number = found->p_proto;
    name = found->p_name;
    return true;
}

} // namespace SocketNames
