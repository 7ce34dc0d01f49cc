#pragma once

#include <QByteArray>
#include <QString>

#include <netinet/in.h>

// The texts a socket's Addr, Port and Proto may hold, turned into numbers.
namespace SocketNames {

// Four decimal numbers of 0 to 255, without leading zeros.
bool parseDotted(const QString &text, in_addr &address);
QString dotted(const in_addr &address);

// Asks for a service's port under a protocol name; false when it is not known.
using ServiceLookup
    = bool (*)(const QByteArray &service, const QByteArray &protocolName, quint16 &port);

// The system's services database (/etc/services).
bool systemServicePort(const QByteArray &service, const QByteArray &protocolName, quint16 &port);

// A decimal port of at most 65535, or a service name looked up for the protocol name
// ("ftp" for "tcp" gives 21). The names this program uses itself, "ftp" and "ftp-data" for
// "tcp", are known without the lookup when it has no answer.
bool portFromText(const QString &text, const QByteArray &protocolName, quint16 &port,
    ServiceLookup lookup = systemServicePort);

// A decimal protocol number of at most 255, or a protocol name ("tcp" gives 6); name is the
// protocol's name for later service lookups.
bool protocolFromText(const QString &text, int &number, QByteArray &name);

} // namespace SocketNames
