#pragma once

#include "tlstypes.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

struct ssl_st;
struct ssl_session_st;
struct bio_st;

// A TLS session that one connection can hand to the next for resumption (RFC 4217 asks the
// data connections to resume the control connection's session). Empty when there is none.
using TlsSession = std::shared_ptr<ssl_session_st>;

// The client side of TLS over memory buffers: the socket feeds it the bytes it receives and
// sends what it produces, so that the event loop drives it and nothing blocks. TLS 1.2 and
// later, OpenSSL's default security level, the system's CA store, SNI and a host name check.
// An untrusted certificate does not fail the handshake: its verdict is kept for the caller.
class TlsEngine {
public:
    enum class Result { Done, WantMore, Closed, Failed };

    TlsEngine();
    ~TlsEngine();
    TlsEngine(const TlsEngine &) = delete;
    TlsEngine &operator=(const TlsEngine &) = delete;

    // Prepares the client hello for hostName; resumes session when given. False with
    // ErrorText when OpenSSL refuses.
    bool start(const QString &hostName, const TlsSession &session);
    bool handshaking() const { return m_handshaking; }
    bool running() const { return !m_handshaking && !m_failed; }

    // Bytes received from the peer.
    void feed(const char *data, int count);
    // Bytes to send to the peer, taken out.
    QByteArray takeOutput();
    bool hasOutput() const;

    // Goes on with the handshake on what was fed.
    Result handshake();
    // Decrypted bytes; count is set when Done. Closed: the peer sent close_notify.
    Result read(char *buffer, int size, int &count);
    // Bytes decrypted or still undecrypted in the buffers.
    bool hasPendingInput() const;
    // Encrypts the bytes into the output.
    bool write(const char *data, int count);
    // Queues close_notify.
    void shutdown();

    QString errorText() const { return m_errorText; }
    TlsCertificateInfo certificate() const { return m_certificate; }
    TlsSession session() const;
    bool sessionReused() const;

private:
    Result failed(int sslError, const QString &during);
    void readCertificate();

    ssl_st *m_ssl = nullptr;
    bio_st *m_input = nullptr;  // received, for OpenSSL to read
    bio_st *m_output = nullptr; // written by OpenSSL, to send
    QString m_hostName;
    bool m_handshaking = false;
    bool m_failed = false;
    QString m_errorText;
    TlsCertificateInfo m_certificate;
    // Every verification error of the handshake, as OpenSSL reported them.
    std::vector<long> m_verifyErrors;
};

namespace TlsErrors {
// The readable reason for an X509 verification result.
QString verifyReason(long result);
// The reasons for several, each once, in their order: "self-signed certificate, certificate
// has expired".
QString verifyReasons(const std::vector<long> &results);
} // namespace TlsErrors
