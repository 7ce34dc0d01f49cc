// Socket options and addresses, handed to or asked from the system.
#include "tcustomasyncsocket.h"

#include "socketerrors.h"

#include <algorithm>
#include <cerrno>
#include <sys/ioctl.h>
#include <sys/socket.h>

int TCustomAsyncSocket::RcvdCount() const
{
    int waiting = 0;
    if (m_handle < 0 || ::ioctl(m_handle, FIONREAD, &waiting) != 0)
        return -1;
    return waiting;
}

int TCustomAsyncSocket::GetSockName(sockaddr_in &name, int &nameLength)
{
    auto length = static_cast<socklen_t>(std::clamp(nameLength, 0, static_cast<int>(sizeof name)));
    if (::getsockname(m_handle, reinterpret_cast<sockaddr *>(&name), &length) != 0) {
        m_lastError = SocketErrors::fromErrno(errno);
        return -1;
    }
    nameLength = static_cast<int>(length);
    return 0;
}

int TCustomAsyncSocket::GetPeerName(sockaddr_in &name, int &nameLength)
{
    auto length = static_cast<socklen_t>(std::clamp(nameLength, 0, static_cast<int>(sizeof name)));
    if (::getpeername(m_handle, reinterpret_cast<sockaddr *>(&name), &length) != 0) {
        m_lastError = SocketErrors::fromErrno(errno);
        return -1;
    }
    nameLength = static_cast<int>(length);
    return 0;
}

void TCustomAsyncSocket::SetLingerOption()
{
    if (m_lingerOnOff == wsLingerNoSet)
        return;
    if (m_handle < 0) {
        raiseException(QStringLiteral("Cannot set linger option at this time"));
        return;
    }
    const int error = applyLinger();
    if (error != SocketErrors::NoError)
        socketError(error, QStringLiteral("setsockopt(SO_LINGER)"));
}

int TCustomAsyncSocket::applyLinger()
{
    if (m_lingerOnOff == wsLingerNoSet)
        return SocketErrors::NoError;
    return setLinger(m_lingerOnOff == wsLingerOn, m_lingerTimeout);
}

int TCustomAsyncSocket::setLinger(bool on, int seconds)
{
    linger option {};
    option.l_onoff = on ? 1 : 0;
    option.l_linger = seconds;
    if (::setsockopt(m_handle, SOL_SOCKET, SO_LINGER, &option, sizeof option) != 0)
        return SocketErrors::fromErrno(errno);
    return SocketErrors::NoError;
}

int TCustomAsyncSocket::setOption(int option, int value)
{
    if (::setsockopt(m_handle, SOL_SOCKET, option, &value, sizeof value) != 0)
        return SocketErrors::fromErrno(errno);
    return SocketErrors::NoError;
}
