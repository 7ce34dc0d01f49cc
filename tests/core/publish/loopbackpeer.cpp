#include "loopbackpeer.h"

#include "loopbackaddress.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

int boundSocket(quint16 &port)
{
    const int handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopbackAddress(0);
    socklen_t length = sizeof address;
    if (handle < 0 || ::bind(handle, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::getsockname(handle, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        if (handle >= 0)
            ::close(handle);
        return -1;
    }
    port = ntohs(address.sin_port);
    return handle;
}

void setTimeouts(int connection)
{
    timeval limit {};
    limit.tv_sec = LoopbackPeer::TimeoutMs / 1000;
    ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

} // namespace

LoopbackPeer::LoopbackPeer()
{
    m_listener = boundSocket(m_port);
    if (m_listener >= 0)
        ::listen(m_listener, 5);
}

LoopbackPeer::~LoopbackPeer()
{
    join();
    if (m_listener >= 0)
        ::close(m_listener);
}

void LoopbackPeer::serve(std::function<int(int connection)> script)
{
    join();
    m_thread = std::thread([this, script = std::move(script)] {
        const int connection = acceptWithin(m_listener);
        const int left = script(connection);
        if (left >= 0)
            ::close(left);
    });
}

void LoopbackPeer::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

int LoopbackPeer::acceptWithin(int listener)
{
    pollfd waiting {listener, POLLIN, 0};
    if (listener < 0 || ::poll(&waiting, 1, TimeoutMs) != 1)
        return -1;
    const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection >= 0)
        setTimeouts(connection);
    return connection;
}

int LoopbackPeer::connectTo(quint16 port)
{
    const int connection = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopbackAddress(port);
    if (connection < 0
        || ::connect(connection, reinterpret_cast<const sockaddr *>(&address), sizeof address)
            != 0) {
        if (connection >= 0)
            ::close(connection);
        return -1;
    }
    setTimeouts(connection);
    return connection;
}

bool LoopbackPeer::sendAll(int connection, const QByteArray &bytes)
{
    qint64 sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(connection, bytes.constData() + sent,
            static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

bool LoopbackPeer::receiveExactly(int connection, qint64 count, QByteArray &into)
{
    char buffer[65536];
    while (count > 0) {
        const ssize_t n = ::recv(
            connection, buffer, static_cast<size_t>(std::min<qint64>(count, sizeof buffer)), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        into.append(buffer, n);
        count -= n;
    }
    return true;
}

QByteArray LoopbackPeer::receiveUntilClosed(int connection, bool *reset)
{
    QByteArray received;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (reset != nullptr)
                *reset = n < 0 && errno == ECONNRESET;
            return received;
        }
        received.append(buffer, n);
    }
}

void LoopbackPeer::resetAndClose(int connection)
{
    linger option {};
    option.l_onoff = 1;
    option.l_linger = 0;
    ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    ::close(connection);
}

LoopbackPeer::RefusedPort::RefusedPort()
{
    m_socket = boundSocket(m_port);
}

LoopbackPeer::RefusedPort::~RefusedPort()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

QByteArray patternBytes(qint64 offset, qint64 count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    for (qint64 i = 0; i < count; ++i) {
        const quint64 position = static_cast<quint64>(offset + i);
        // 251 is prime, so the pattern does not line up with any block or buffer size.
        bytes[i] = static_cast<char>((position % 251) ^ (position / 251 % 256));
    }
    return bytes;
}
