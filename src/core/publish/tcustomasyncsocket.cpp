#include "tcustomasyncsocket.h"

#include "esocketexception.h"
#include "hostlookup.h"
#include "lingeringclose.h"
#include "socketerrors.h"
#include "socketnames.h"
#include "socketwindow.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int ListenBacklog = 5;

const QString TcpName = QStringLiteral("tcp");

// The outcome of the connection attempt itself, which WinSock reports through the connect
// notification even when the system knows it before connect() returns.
bool isConnectOutcome(int error)
{
    return error == ECONNREFUSED || error == ETIMEDOUT || error == ENETUNREACH
        || error == EHOSTUNREACH || error == ECONNRESET || error == ECONNABORTED;
}

} // namespace

TCustomAsyncSocket::TCustomAsyncSocket(QObject *owner)
    : QObject(owner)
    , m_window(new SocketWindow(this))
    , m_readNotifier(new QSocketNotifier(QSocketNotifier::Read, this))
    , m_writeNotifier(new QSocketNotifier(QSocketNotifier::Write, this))
{
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] { onReadActivated(); });
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { onWriteActivated(); });
    resetSettings();
}

TCustomAsyncSocket::~TCustomAsyncSocket()
{
    m_destroying = true;
    CancelDnsLookup();
    if (m_handle >= 0) {
        const int handle = releaseHandle();
        ::shutdown(handle, SHUT_RDWR);
        // A destructor has nobody to report to; close() on a socket fails only on EINTR
        // (descriptor released anyway on Linux) or on a bad descriptor.
        ::close(handle);
    }
    m_window->detach();
}

quint16 TCustomAsyncSocket::PortNum() const
{
    return m_portResolved ? ntohs(m_sin.sin_port) : 0;
}

void TCustomAsyncSocket::SetAddr(const QString &addr)
{
    if (m_state != wsClosed) {
        raiseException(QStringLiteral("Cannot change Addr if not closed"));
        return;
    }
    const QString text = addr.trimmed();
    if (m_addrResolved && text == m_addrText)
        return;
    m_addrText = text;
    m_addrResolved = false;
    in_addr address {};
    if (!SocketNames::parseDotted(text, address)) {
        QStringList found;
        if (HostLookup::resolve(text, found) != SocketErrors::NoError
            || ::inet_pton(AF_INET, found.first().toLatin1().constData(), &address) != 1) {
            raiseException(QStringLiteral("SetAddr: Cannot convert host address '%1'").arg(text));
            return;
        }
    }
    m_sin.sin_addr = address;
    m_addrResolved = true;
}

void TCustomAsyncSocket::SetPort(const QString &port)
{
    if (m_state != wsClosed) {
        raiseException(QStringLiteral("Cannot change Port if not closed"));
        return;
    }
    const QString text = port.trimmed();
    if (m_portResolved && text == m_portText)
        return;
    m_portText = text;
    m_portResolved = false;
    quint16 number = 0;
    if (!SocketNames::portFromText(text, m_protoName, number)) {
        raiseException(QStringLiteral("SetPort: Cannot convert port '%1'").arg(text));
        return;
    }
    m_sin.sin_port = htons(number);
    m_portResolved = true;
}

void TCustomAsyncSocket::SetProto(const QString &proto)
{
    if (m_state != wsClosed) {
        raiseException(QStringLiteral("Cannot change Proto if not closed"));
        return;
    }
    const QString text = proto.trimmed();
    if (m_protoResolved && text == m_protoText)
        return;
    m_protoText = text;
    m_protoResolved = false;
    int number = 0;
    QByteArray name;
    if (!SocketNames::protocolFromText(text, number, name)) {
        raiseException(QStringLiteral("SetProto: Cannot convert protocol '%1'").arg(text));
        return;
    }
    m_proto = number;
    m_protoName = name;
    m_socketType = number == IPPROTO_UDP ? SOCK_DGRAM : SOCK_STREAM;
    m_protoResolved = true;
}

void TCustomAsyncSocket::SetSendFlags(TSocketSendFlags flags)
{
    if (flags != wsSendNormal && flags != wsSendUrgent) {
        raiseException(QStringLiteral("Invalid SendFlags"));
        return;
    }
    m_sendFlags = flags;
}

void TCustomAsyncSocket::Connect()
{
    if (m_handle >= 0 && m_state != wsClosed) {
        raiseException(QStringLiteral("Connect: Socket already in use"));
        return;
    }
    if (!m_portResolved) {
        raiseException(QStringLiteral("Connect: No Port Specified"));
        return;
    }
    if (!m_addrResolved) {
        raiseException(QStringLiteral("Connect: No IP Address Specified"));
        return;
    }
    if (!m_protoResolved) {
        raiseException(QStringLiteral("Connect: No Protocol Specified"));
        return;
    }
    if (m_socketType != SOCK_STREAM) {
        socketError(SocketErrors::SocketTypeNotSupported, QStringLiteral("Connect (socket)"));
        return;
    }
    const int handle = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, m_proto);
    if (handle < 0) {
        socketError(SocketErrors::fromErrno(errno), QStringLiteral("Connect (socket)"));
        return;
    }
    takeHandle(handle);
    m_readCount = 0;
    const quint64 serial = m_serial;
    const auto current = [&] { return m_handle == handle && m_serial == serial; };
    changeState(wsOpened);
    if (!current())
        return;
    int error = applyLinger();
    QString step = QStringLiteral("setsockopt(SO_LINGER)");
    if (error == SocketErrors::NoError) {
        error = setOption(SO_KEEPALIVE, 1);
        step = QStringLiteral("setsockopt(SO_KEEPALIVE)");
    }
    if (error == SocketErrors::NoError) {
        error = setOption(SO_REUSEADDR, 1);
        step = QStringLiteral("setsockopt(SO_REUSEADDR)");
    }
    // POSIX: EINPROGRESS, and EINTR too, leave the connection being made in the background.
    if (error == SocketErrors::NoError
        && ::connect(handle, reinterpret_cast<const sockaddr *>(&m_sin), sizeof m_sin) != 0
        && errno != EINPROGRESS && errno != EINTR) {
        const int connectErrno = errno;
        if (isConnectOutcome(connectErrno)) {
            // The write notifier would find the error already taken; report it as WinSock does.
            m_writeBusy = true;
            post(SocketMessage::FdConnect, SocketErrors::fromErrno(connectErrno),
                SocketMessage::Source::WriteNotifier);
        } else {
            // Refused before any packet left (a firewall rule, an address gone).
            error = SocketErrors::fromErrno(connectErrno);
            m_lastError = error;
            step = QStringLiteral("Connect");
        }
    }
    if (error != SocketErrors::NoError) {
        // Nothing stays open after a connect that never started, and Connect may be tried anew.
        internalClose(false, SocketErrors::NoError);
        socketError(error, step);
        return;
    }
    changeState(wsConnecting);
}

int TCustomAsyncSocket::Listen()
{
    if (m_handle >= 0 && m_state != wsClosed) {
        socketError(SocketErrors::InvalidArgument, QStringLiteral("listen: socket already in use"));
        return -1;
    }
    if (!m_portResolved) {
        socketError(SocketErrors::InvalidArgument, QStringLiteral("listen: port not assigned"));
        return -1;
    }
    if (!m_protoResolved) {
        socketError(SocketErrors::InvalidArgument, QStringLiteral("listen: protocol not assigned"));
        return -1;
    }
    if (!m_addrResolved) {
        socketError(SocketErrors::InvalidArgument, QStringLiteral("listen: address not assigned"));
        return -1;
    }
    if (m_socketType != SOCK_STREAM) {
        socketError(SocketErrors::SocketTypeNotSupported, QStringLiteral("socket"));
        return -1;
    }
    const int handle = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, m_proto);
    if (handle < 0) {
        socketError(SocketErrors::fromErrno(errno), QStringLiteral("socket"));
        return -1;
    }
    takeHandle(handle);
    const quint64 serial = m_serial;
    const auto current = [&] { return m_handle == handle && m_serial == serial; };
    // WinSock lets a listener take a port that an old connection still holds in TIME_WAIT;
    // Linux does so only with SO_REUSEADDR (and unlike WinSock still refuses a second one).
    const int reuse = 1;
    if (::setsockopt(handle, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0) {
        const int error = SocketErrors::fromErrno(errno);
        ::close(releaseHandle());
        socketError(error, QStringLiteral("setsockopt(SO_REUSEADDR)"));
        return -1;
    }
    if (::bind(handle, reinterpret_cast<const sockaddr *>(&m_sin), sizeof m_sin) != 0) {
        const int error = SocketErrors::fromErrno(errno);
        ::close(releaseHandle());
        socketError(error, QStringLiteral("Bind"));
        return -1;
    }
    changeState(wsBound);
    if (!current())
        return -1;
    if (::listen(handle, ListenBacklog) != 0) {
        socketError(SocketErrors::fromErrno(errno), QStringLiteral("Listen"));
        return -1;
    }
    changeState(wsListening);
    return 0;
}

int TCustomAsyncSocket::Accept()
{
    if (m_state != wsListening) {
        socketError(SocketErrors::InvalidArgument, QStringLiteral("not a listening socket"));
        return -1;
    }
    if (m_acceptPaused) {
        m_acceptPaused = false;
        updateNotifiers();
    }
    int handle = -1;
    do {
        handle = ::accept4(m_handle, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    } while (handle < 0 && errno == EINTR);
    if (handle < 0) {
        socketError(SocketErrors::fromErrno(errno), QStringLiteral("Accept"));
        return -1;
    }
    return handle;
}

void TCustomAsyncSocket::Dup(int newHandle)
{
    // Descriptor 0 is a valid socket on POSIX when standard input is closed.
    if (newHandle < 0) {
        socketError(SocketErrors::InvalidArgument, QStringLiteral("Dup"));
        return;
    }
    if (m_handle >= 0) {
        if (::close(releaseHandle()) != 0 && errno != EINTR) {
            socketError(SocketErrors::fromErrno(errno), QStringLiteral("Dup (closesocket)"));
            return;
        }
        changeState(wsClosed);
    }
    const int flags = ::fcntl(newHandle, F_GETFL);
    if (flags < 0 || ::fcntl(newHandle, F_SETFL, flags | O_NONBLOCK) != 0) {
        socketError(SocketErrors::fromErrno(errno), QStringLiteral("WSAAsyncSelect"));
        return;
    }
    takeHandle(newHandle);
    m_readCount = 0;
    const quint64 serial = m_serial;
    const auto current = [&] { return m_handle == newHandle && m_serial == serial; };
    SetLingerOption();
    if (!current())
        return;
    changeState(wsConnected);
    // The taken connection can be written to: reported once, as for a connect.
    if (current())
        postWrite();
}

void TCustomAsyncSocket::Close()
{
    internalClose(true, SocketErrors::NoError);
}

void TCustomAsyncSocket::CloseWithReset()
{
    internalClose(true, SocketErrors::NoError, true);
}

void TCustomAsyncSocket::changeState(TSocketState newState)
{
    const TSocketState oldState = m_state;
    if (oldState == newState)
        return;
    m_state = newState;
    updateNotifiers();
    if (OnChangeState && !m_destroying)
        OnChangeState(this, oldState, newState);
}

void TCustomAsyncSocket::takeHandle(int handle)
{
    m_handle = handle;
    ++m_serial;
    m_readBusy = false;
    m_writeBusy = false;
    m_readPaused = false;
    m_acceptPaused = false;
    m_writeArmed = false;
    m_writePosted = false;
    m_closeSeen = false;
    m_peerError = 0;
    m_closeInvoked = false;
    m_tls.reset();
    m_tlsPlain.clear();
    m_tlsDoneRaised = false;
    m_sendQueue.clear();
    m_bufferedCount = 0;
    m_allSent = true;
    m_readNotifier->setSocket(handle);
    m_writeNotifier->setSocket(handle);
}

int TCustomAsyncSocket::releaseHandle()
{
    // The notifiers let go of the descriptor before it is closed and its number reused.
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    m_readNotifier->setSocket(-1);
    m_writeNotifier->setSocket(-1);
    const int handle = std::exchange(m_handle, -1);
    ++m_serial;
    m_tls.reset();
    m_tlsPlain.clear();
    m_sendQueue.clear();
    m_bufferedCount = 0;
    m_writePosted = false;
    m_allSent = true;
    return handle;
}

void TCustomAsyncSocket::internalClose(bool raiseClosed, quint16 error, bool reset)
{
    if (m_handle < 0) {
        changeState(wsClosed);
        return;
    }
    if (!reset && m_tls != nullptr && m_tls->running() && QCoreApplication::instance() != nullptr) {
        // TLS ends with a close notify (RFC 8446, section 6.1), and the descriptor stays
        // open a while for the peer's end.
        sendCloseNotify();
        new LingeringClose(releaseHandle(), QCoreApplication::instance());
    } else {
        // Linger on with 0 makes close() reset the connection (RFC 793, section 3.8, ABORT).
        // A shutdown would send the normal end first, which the peer may read before the
        // reset. Otherwise this ends the connection in both directions even if another
        // process shares the descriptor.
        if (!reset || setLinger(true, 0) != SocketErrors::NoError)
            ::shutdown(m_handle, SHUT_RDWR);
        // close() never answers "would block" here, and on Linux EINTR still releases the
        // descriptor (POSIX leaves that open), so retrying could close a reused number.
        if (::close(releaseHandle()) != 0 && errno != EINTR) {
            socketError(SocketErrors::fromErrno(errno), QStringLiteral("Disconnect (closesocket)"));
            return;
        }
    }
    // Settings return to their defaults before the events, so a handler may already assign
    // Addr and Port and connect again.
    resetSettings();
    const QPointer<TCustomAsyncSocket> self(this);
    const quint64 serial = m_serial;
    changeState(wsClosed);
    if (self.isNull() || m_serial != serial)
        return;
    if (raiseClosed && OnSessionClosed && !m_closeInvoked && !m_destroying) {
        m_closeInvoked = true;
        OnSessionClosed(this, error);
    }
}

void TCustomAsyncSocket::resetSettings()
{
    m_addrText.clear();
    m_portText.clear();
    m_protoText = TcpName;
    m_protoName = TcpName.toLatin1();
    m_sin = sockaddr_in {};
    m_sin.sin_family = AF_INET;
    m_addrResolved = false;
    m_portResolved = false;
    // "tcp" stays the protocol, so only Addr and Port must be assigned again.
    m_protoResolved = true;
    m_proto = IPPROTO_TCP;
    m_socketType = SOCK_STREAM;
    m_lingerOnOff = wsLingerOn;
    m_lingerTimeout = 0;
    m_corked = false;
}

void TCustomAsyncSocket::socketError(int error, const QString &sockFunc)
{
    const QString text = QStringLiteral("Error %1 in function %2\r\n%3")
                             .arg(error)
                             .arg(sockFunc, SocketErrors::description(error));
    // A connection that is reset or not connected is of no further use.
    if (error == SocketErrors::ConnectionReset || error == SocketErrors::NotConnected)
        internalClose(false, SocketErrors::NoError);
    raiseException(text, error);
}

void TCustomAsyncSocket::raiseException(const QString &text, int error)
{
    if (OnError) {
        OnError(this);
        return;
    }
    throw ESocketException(text, error);
}
