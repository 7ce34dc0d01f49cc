#pragma once

#include <QByteArray>
#include <QString>

#include <netinet/in.h>

// The texts a socket's Addr, Port and Proto may hold, turned into numbers.
namespace SocketNames {

// Four decimal numbers of 0 to 255, without leading zeros.
bool parseDotted(const QString &text, in_addr &address);
QString dotted(const in_addr &address);

// A decimal port of at most 65535, or a service name looked up for the protocol name
// ("ftp" for "tcp" gives 21).
bool portFromText(const QString &text, const QByteArray &protocolName, quint16 &port);

// A decimal protocol number of at most 255, or a protocol name ("tcp" gives 6); name is the
// protocol's name for later service lookups.
bool protocolFromText(const QString &text, int &number, QByteArray &name);

} // namespace SocketNames
