// The TLS side of the socket: the handshake, encrypting sends, decrypting receives and the
// close notify.
#include "tcustomasyncsocket.h"

#include "socketerrors.h"

#include <QPointer>

#include <cerrno>
#include <sys/socket.h>

void TCustomAsyncSocket::StartTls(const QString &hostName, const TlsSession &resumeFrom)
{
    if (m_state != wsConnected || m_handle < 0) {
        socketError(SocketErrors::NotConnected, QStringLiteral("StartTls"));
        return;
    }
    if (m_tls != nullptr) {
        raiseException(QStringLiteral("StartTls: TLS already started"));
        return;
    }
    m_tls = std::make_unique<TlsEngine>();
    m_tlsError.clear();
    m_tlsDoneRaised = false;
    const bool started = m_tls->start(hostName, resumeFrom);
    queueTlsOutput();
    const int handle = m_handle;
    const quint64 serial = m_serial;
    if (!started) {
        // Reported from the event loop, like every other end of a handshake.
        const QString text = m_tls->errorText();
        QMetaObject::invokeMethod(
            this,
            [this, handle, serial, text] {
                if (m_handle == handle && m_serial == serial)
                    tlsFailed(text);
            },
            Qt::QueuedConnection);
        return;
    }
    tryToSend();
}

TlsCertificateInfo TCustomAsyncSocket::TlsCertificate() const
{
    return m_tls != nullptr ? m_tls->certificate() : TlsCertificateInfo {};
}

TlsSession TCustomAsyncSocket::TlsSessionHandle() const
{
    return m_tls != nullptr ? m_tls->session() : nullptr;
}

void TCustomAsyncSocket::queueTlsOutput()
{
    if (m_tls == nullptr || !m_tls->hasOutput())
        return;
    const QByteArray bytes = m_tls->takeOutput();
    queueRaw(bytes.constData(), static_cast<int>(bytes.size()));
    m_allSent = false;
}

void TCustomAsyncSocket::encryptPending(bool all)
{
    if (m_tls == nullptr || !m_tls->running() || m_tlsPlain.isEmpty())
        return;
    qsizetype done = 0;
    const qsizetype size = m_tlsPlain.size();
    while (size - done >= CorkBatch || (all && done < size)) {
        const int piece = static_cast<int>(qMin<qsizetype>(CorkBatch, size - done));
        if (!m_tls->write(m_tlsPlain.constData() + done, piece))
            break;
        done += piece;
    }
    m_tlsPlain.remove(0, done);
    m_bufferedCount -= done;
    queueTlsOutput();
}

void TCustomAsyncSocket::tlsHandshakeStep()
{
    // Everything waiting is handed to OpenSSL; the notification comes again for more.
    char chunk[16 * 1024];
    for (;;) {
        ssize_t received = 0;
        do {
            received = ::recv(m_handle, chunk, sizeof chunk, 0);
        } while (received < 0 && errno == EINTR);
        if (received <= 0)
            break;
        m_tls->feed(chunk, static_cast<int>(received));
    }
    const TlsEngine::Result result = m_tls->handshake();
    queueTlsOutput();
    const QPointer<TCustomAsyncSocket> self(this);
    const int handle = m_handle;
    const quint64 serial = m_serial;
    const auto current = [&] { return !self.isNull() && m_handle == handle && m_serial == serial; };
    if (result == TlsEngine::Result::Failed) {
        tlsFailed(m_tls->errorText());
        return;
    }
    tryToSend();
    if (!current() || result != TlsEngine::Result::Done)
        return;
    raiseTlsDone(SocketErrors::NoError);
    if (!current())
        return;
    // The program may send now, and read what came right behind the handshake.
    postWrite();
    if (tlsInputWaiting()) {
        m_readPaused = true;
        receiveLoop(SocketErrors::NoError, true);
    }
}

void TCustomAsyncSocket::tlsFailed(const QString &text)
{
    m_tlsError = text;
    raiseTlsDone(TlsHandshakeFailed);
}

void TCustomAsyncSocket::raiseTlsDone(quint16 error)
{
    if (m_tlsDoneRaised)
        return;
    m_tlsDoneRaised = true;
    if (OnTlsDone)
        OnTlsDone(this, error);
}

int TCustomAsyncSocket::tlsReceive(void *buffer, int size)
{
    if (!m_tls->running()) {
        m_lastError = m_tls->handshaking() ? SocketErrors::WouldBlock : TlsHandshakeFailed;
        return -1;
    }
    char chunk[16 * 1024];
    for (;;) {
        int count = 0;
        const TlsEngine::Result result = m_tls->read(static_cast<char *>(buffer), size, count);
        // Reading may answer the peer (a key update).
        if (m_tls->hasOutput()) {
            queueTlsOutput();
            postWrite();
        }
        switch (result) {
        case TlsEngine::Result::Done:
            m_readCount += count;
            return count;
        case TlsEngine::Result::Closed:
            return 0;
        case TlsEngine::Result::Failed:
            m_tlsError = m_tls->errorText();
            m_lastError = TlsHandshakeFailed;
            return -1;
        case TlsEngine::Result::WantMore:
            break;
        }
        const int received = receiveFromSystem(chunk, sizeof chunk);
        if (received <= 0)
            return received;
        m_tls->feed(chunk, received);
    }
}

void TCustomAsyncSocket::sendCloseNotify()
{
    if (m_tls == nullptr || !m_tls->running() || m_handle < 0)
        return;
    encryptPending(true);
    m_tls->shutdown();
    queueTlsOutput();
    // The last bytes go out as far as the system takes them; nothing is reported from here.
    for (const auto &buffer : m_sendQueue) {
        int length = 0;
        const char *bytes = buffer->peek(length);
        while (length > 0) {
            const ssize_t sent = ::send(m_handle, bytes, static_cast<size_t>(length), MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent <= 0)
                return;
            bytes += sent;
            length -= static_cast<int>(sent);
        }
    }
}
