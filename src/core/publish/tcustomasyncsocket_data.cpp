// The bytes of the program: the send queue, corking, and receiving from the system.
#include "tcustomasyncsocket.h"

#include "socketerrors.h"

#include <cerrno>
#include <sys/socket.h>

int TCustomAsyncSocket::Send(const void *data, int count)
{
    if (m_state != wsConnected) {
        socketError(SocketErrors::NotConnected, QStringLiteral("Send"));
        return -1;
    }
    if (data == nullptr)
        count = 0;
    m_allSent = false;
    if (m_tls != nullptr) {
        // Encrypted on the way out, a whole batch per SSL_write when corked.
        if (count > 0)
            m_tlsPlain.append(static_cast<const char *>(data), count);
        m_bufferedCount += qMax(count, 0);
    } else {
        queueRaw(static_cast<const char *>(data), count);
    }
    const int handle = m_handle;
    const quint64 serial = m_serial;
    // A corked socket waits for a whole batch, and none goes out while the system has no room.
    if (!m_corked)
        tryToSend();
    else if (m_bufferedCount >= CorkBatch && !m_writeArmed)
        tryToSend(true);
    // OnDataSent always follows a send from the event loop, even when the system took
    // everything at once; for a corked socket that notification also sends the rest.
    if (m_handle == handle && m_serial == serial && handle >= 0
        && (m_allSent || (m_corked && !m_writeArmed)))
        postWrite();
    return count > 0 ? count : 0;
}

void TCustomAsyncSocket::queueRaw(const char *bytes, int count)
{
    int left = count;
    const int blockSize = m_corked ? CorkBatch : TBuffer::DefaultSize;
    while (left > 0) {
        if (m_sendQueue.empty() || m_sendQueue.back()->isFull())
            m_sendQueue.push_back(std::make_unique<TBuffer>(blockSize));
        const int written = m_sendQueue.back()->write(bytes, left);
        bytes += written;
        left -= written;
        m_bufferedCount += written;
    }
}

int TCustomAsyncSocket::SendStr(const QByteArray &text)
{
    return Send(text.constData(), static_cast<int>(text.size()));
}

int TCustomAsyncSocket::Receive(void *buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return 0;
    if (m_handle < 0) {
        m_lastError = SocketErrors::NotASocket;
        return -1;
    }
    // Receiving is what lets the next data notification come, as in WinSock.
    if (m_readPaused) {
        m_readPaused = false;
        updateNotifiers();
    }
    if (m_tls != nullptr)
        return tlsReceive(buffer, size);
    const int received = receiveFromSystem(buffer, size);
    if (received > 0)
        m_readCount += received;
    return received;
}

int TCustomAsyncSocket::receiveFromSystem(void *buffer, int size)
{
    ssize_t received = 0;
    do {
        received = ::recv(m_handle, buffer, static_cast<size_t>(size), 0);
    } while (received < 0 && errno == EINTR);
    if (received > 0)
        return static_cast<int>(received);
    const int error = received < 0 ? SocketErrors::fromErrno(errno) : SocketErrors::NoError;
    // The read notification may have taken the reset from the socket already.
    if (m_peerError != 0 && (received == 0 || error != SocketErrors::WouldBlock)) {
        m_lastError = m_peerError;
        return -1;
    }
    if (received == 0)
        return 0;
    m_lastError = error;
    return -1;
}

void TCustomAsyncSocket::SetCorked(bool corked)
{
    if (m_corked == corked)
        return;
    m_corked = corked;
    // Nothing may wait for a batch that is not coming.
    if (!corked && m_state == wsConnected && m_bufferedCount > 0 && !m_writeArmed)
        tryToSend();
}

bool TCustomAsyncSocket::CanSendAtOnce() const
{
    return m_handle >= 0 && m_state == wsConnected && !m_writeArmed
        && (m_tls == nullptr || m_tls->running()) && m_bufferedCount < (m_corked ? CorkBatch : 1);
}

void TCustomAsyncSocket::tryToSend(bool moreFollows)
{
    encryptPending(!moreFollows);
    while (!m_sendQueue.empty() && m_handle >= 0) {
        TBuffer &first = *m_sendQueue.front();
        int length = 0;
        const char *bytes = first.peek(length);
        if (length <= 0) {
            if (m_sendQueue.size() == 1)
                break;
            m_sendQueue.pop_front();
            continue;
        }
        // A batch still being filled waits for the rest.
        if (moreFollows && m_sendQueue.size() == 1 && !first.isFull())
            break;
        const int flags = MSG_NOSIGNAL | (m_sendFlags == wsSendUrgent ? MSG_OOB : 0)
            | (moreFollows ? MSG_MORE : 0);
        ssize_t sent = 0;
        do {
            sent = ::send(m_handle, bytes, static_cast<size_t>(length), flags);
        } while (sent < 0 && errno == EINTR);
        if (sent < 0) {
            const int error = SocketErrors::fromErrno(errno);
            switch (error) {
            case SocketErrors::WouldBlock:
                m_writeArmed = true;
                updateNotifiers();
                return;
            case SocketErrors::InvalidArgument:
            case SocketErrors::NotASocket:
            case SocketErrors::ConnectionReset:
            case SocketErrors::NotConnected:
                // The connection is gone: the session ends here, with the reason.
                internalClose(true, static_cast<quint16>(error));
                return;
            default:
                socketError(error, QStringLiteral("TryToSend failed"));
                return;
            }
        }
        first.remove(static_cast<int>(sent));
        m_bufferedCount -= sent;
        if (sent < length) {
            m_writeArmed = true;
            updateNotifiers();
            return;
        }
    }
    m_allSent = (m_sendQueue.empty() || m_sendQueue.front()->isEmpty()) && m_tlsPlain.isEmpty();
    if (m_allSent && m_writeArmed) {
        // Everything went out before the write notification came: nothing is left to wait for.
        m_writeArmed = false;
        updateNotifiers();
    }
}
