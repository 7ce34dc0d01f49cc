// From socket readiness to WinSock's notifications, and from those to the events.
#include "tcustomasyncsocket.h"

#include "socketerrors.h"
#include "socketwindow.h"

#include <QCoreApplication>
#include <QPointer>
#include <QScopeGuard>
#include <QSocketNotifier>

#include <cerrno>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace {

// A notification in which the handler keeps receiving is handled for at most this many
// rounds before the event loop gets its turn; the rest comes with the next notification.
constexpr int MaxReceiveRounds = 256;

} // namespace

void TCustomAsyncSocket::handleMessage(const SocketMessage &message)
{
    if (message.type() == SocketMessage::LookupDone)
        handleLookupDone(message);
    else
        handleNotification(message);
}

void TCustomAsyncSocket::handleNotification(const SocketMessage &message)
{
    // A notification for a socket that is no longer this component's is dropped.
    if (message.handle() != m_handle || message.serial() != m_serial)
        return;
    if (message.source() == SocketMessage::Source::ReadNotifier)
        m_readBusy = false;
    else if (message.source() == SocketMessage::Source::WriteNotifier)
        m_writeBusy = false;
    else if ((message.notifications() & SocketMessage::FdWrite) != 0)
        m_writePosted = false;

    // Any event handler may close the socket, open another, or throw; after each one the
    // message is handled further only while it is still about the socket it came for.
    const QPointer<TCustomAsyncSocket> self(this);
    const int handle = m_handle;
    const quint64 serial = m_serial;
    const auto current = [&] { return !self.isNull() && m_handle == handle && m_serial == serial; };
    const auto rearm = qScopeGuard([&] {
        if (!self.isNull())
            updateNotifiers();
    });
    const unsigned notifications = message.notifications();
    const auto error = static_cast<quint16>(message.error());

    if ((notifications & SocketMessage::FdConnect) != 0 && m_state == wsConnecting) {
        changeState(wsConnected);
        if (!current())
            return;
        try {
            if (OnSessionConnected)
                OnSessionConnected(this, error);
        } catch (...) {
            if (error != 0 && current())
                Close();
            throw;
        }
        if (!current())
            return;
        if (error != 0) {
            Close();
            return;
        }
    }
    if ((notifications & SocketMessage::FdRead) != 0) {
        if (m_tls != nullptr && m_tls->handshaking()) {
            tlsHandshakeStep();
        } else {
            m_readPaused = true;
            receiveLoop(error, true);
        }
        if (!current())
            return;
    }
    if ((notifications & SocketMessage::FdWrite) != 0) {
        tryToSend();
        if (!current())
            return;
        // The program's bytes wait for the handshake; it learns of room once it has ended.
        const bool handshaking = m_tls != nullptr && m_tls->handshaking();
        if (m_allSent && OnDataSent && !handshaking) {
            OnDataSent(this, error);
            if (!current())
                return;
        }
    }
    if ((notifications & SocketMessage::FdAccept) != 0) {
        m_acceptPaused = true;
        if (OnSessionAvailable) {
            OnSessionAvailable(this, error);
            if (!current())
                return;
        }
    }
    if ((notifications & SocketMessage::FdClose) != 0 && m_state != wsConnecting) {
        if (m_tls != nullptr && m_tls->handshaking()) {
            // What came with the end is taken first: it may finish the handshake.
            tlsHandshakeStep();
            if (!current())
                return;
            if (m_tls != nullptr && m_tls->handshaking()) {
                tlsFailed(QStringLiteral("Connection closed during the TLS handshake"));
                if (!current())
                    return;
            }
        }
        // Whatever is still unread is delivered before the session is reported closed.
        receiveLoop(error, false);
        if (!current())
            return;
        if (OnSessionClosed && !m_closeInvoked) {
            m_closeInvoked = true;
            try {
                OnSessionClosed(this, error);
            } catch (...) {
                if (current())
                    Close();
                throw;
            }
            if (!current())
                return;
        }
        Close();
    }
}

void TCustomAsyncSocket::onReadActivated()
{
    // An activation that Qt had already collected when the notifier was switched off.
    if (!m_readNotifier->isEnabled())
        return;
    m_readNotifier->setEnabled(false);
    if (m_handle < 0)
        return;
    if (m_state == wsListening) {
        m_readBusy = true;
        post(SocketMessage::FdAccept, SocketErrors::NoError, SocketMessage::Source::ReadNotifier);
        return;
    }
    if (m_state != wsConnected)
        return;
    // Readable means data, the peer's end of stream, or an error: a peek tells which.
    char byte = 0;
    ssize_t peeked = 0;
    do {
        peeked = ::recv(m_handle, &byte, 1, MSG_PEEK);
    } while (peeked < 0 && errno == EINTR);
    unsigned notifications = SocketMessage::FdClose;
    int error = SocketErrors::NoError;
    if (peeked > 0) {
        // Data with the peer's FIN behind it: both are reported, data first, as WinSock
        // posts FD_CLOSE while data may still be unread.
        pollfd state {m_handle, POLLRDHUP, 0};
        const bool peerClosed
            = ::poll(&state, 1, 0) == 1 && (state.revents & (POLLRDHUP | POLLHUP)) != 0;
        notifications = SocketMessage::FdRead | (peerClosed ? SocketMessage::FdClose : 0u);
    } else if (peeked < 0) {
        error = SocketErrors::fromErrno(errno);
        if (error == SocketErrors::WouldBlock) {
            updateNotifiers();
            return;
        }
        m_peerError = error;
    }
    if ((notifications & SocketMessage::FdClose) != 0)
        m_closeSeen = true;
    m_readBusy = true;
    post(notifications, error, SocketMessage::Source::ReadNotifier);
}

void TCustomAsyncSocket::onWriteActivated()
{
    if (!m_writeNotifier->isEnabled())
        return;
    m_writeNotifier->setEnabled(false);
    if (m_handle < 0)
        return;
    if (m_state == wsConnecting) {
        int pending = 0;
        socklen_t length = sizeof pending;
        if (::getsockopt(m_handle, SOL_SOCKET, SO_ERROR, &pending, &length) != 0)
            pending = errno;
        const int error = SocketErrors::fromErrno(pending);
        // A connection is reported together with the first write notification.
        m_writeBusy = true;
        post(error == SocketErrors::NoError ? SocketMessage::FdConnect | SocketMessage::FdWrite
                                            : SocketMessage::FdConnect,
            error, SocketMessage::Source::WriteNotifier);
        return;
    }
    if (m_state == wsConnected && m_writeArmed) {
        m_writeArmed = false;
        m_writeBusy = true;
        post(SocketMessage::FdWrite, SocketErrors::NoError, SocketMessage::Source::WriteNotifier);
    }
}

void TCustomAsyncSocket::updateNotifiers()
{
    const bool open = m_handle >= 0;
    const bool read = open && !m_readBusy
        && ((m_state == wsConnected && !m_readPaused && !m_closeSeen)
            || (m_state == wsListening && !m_acceptPaused));
    // A connected socket is nearly always writable: watching it without need spins a core.
    const bool write = open && !m_writeBusy
        && (m_state == wsConnecting || (m_state == wsConnected && m_writeArmed));
    if (m_readNotifier->isEnabled() != read)
        m_readNotifier->setEnabled(read);
    if (m_writeNotifier->isEnabled() != write)
        m_writeNotifier->setEnabled(write);
}

void TCustomAsyncSocket::postWrite()
{
    // One notification serves any number of sends, and one from the write notifier as well.
    if (m_writePosted || m_writeBusy)
        return;
    m_writePosted = true;
    post(SocketMessage::FdWrite, SocketErrors::NoError);
}

void TCustomAsyncSocket::post(unsigned notifications, int error, SocketMessage::Source source)
{
    QCoreApplication::postEvent(
        m_window, SocketMessage::notify(m_handle, m_serial, notifications, error, source));
}

void TCustomAsyncSocket::receiveLoop(quint16 error, bool bounded)
{
    const QPointer<TCustomAsyncSocket> self(this);
    const int handle = m_handle;
    const quint64 serial = m_serial;
    for (int round = 0; !bounded || round < MaxReceiveRounds; ++round) {
        m_lastError = SocketErrors::NoError;
        if (!OnDataAvailable)
            return;
        const qint64 before = m_readCount;
        try {
            OnDataAvailable(this, error);
        } catch (...) {
            // The handler's failure ends the loop and goes no further: callers of the
            // component rely on data handlers never throwing into the event loop.
            return;
        }
        if (self.isNull() || m_handle != handle || m_serial != serial)
            return;
        // A handler that took nothing would be called forever on the same bytes.
        if (m_lastError != SocketErrors::NoError || m_readCount == before)
            return;
        int waiting = 0;
        if (::ioctl(handle, FIONREAD, &waiting) != 0) {
            m_lastError = SocketErrors::fromErrno(errno);
            return;
        }
        if (waiting <= 0 && !tlsInputWaiting())
            return;
    }
}
