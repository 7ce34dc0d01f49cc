#pragma once

#include <QtGlobal>

#include <arpa/inet.h>
#include <netinet/in.h>

// 127.0.0.1 with a port (0: any free one), for the tests' own peers and servers.
inline sockaddr_in loopbackAddress(quint16 port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}
