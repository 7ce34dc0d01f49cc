#include "tlsengine.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

// One context serves every connection, so that sessions can be resumed. OpenSSL reads the
// CA store from SSL_CERT_FILE and SSL_CERT_DIR when set; a change of them makes a new one.
SSL_CTX *clientContext()
{
    static SSL_CTX *context = nullptr;
    static QByteArray madeFor;
    const QByteArray store = qgetenv("SSL_CERT_FILE") + '\n' + qgetenv("SSL_CERT_DIR");
    if (context != nullptr && store == madeFor)
        return context;
    SSL_CTX *fresh = SSL_CTX_new(TLS_client_method());
    if (fresh == nullptr)
        return context;
    SSL_CTX_set_min_proto_version(fresh, TLS1_2_VERSION);
    SSL_CTX_set_default_verify_paths(fresh);
    // Sessions are handed from connection to connection by hand, not kept by OpenSSL.
    SSL_CTX_set_session_cache_mode(fresh, SSL_SESS_CACHE_OFF);
    if (context != nullptr)
        SSL_CTX_free(context);
    context = fresh;
    madeFor = store;
    return context;
}

QString opensslReason()
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return {};
    const char *reason = ERR_reason_error_string(code);
    return reason != nullptr ? QString::fromLatin1(reason) : QStringLiteral("error %1").arg(code);
}

QString oneLine(const X509_NAME *name)
{
    BIO *text = BIO_new(BIO_s_mem());
    if (text == nullptr)
        return {};
    X509_NAME_print_ex(text, name, 0, XN_FLAG_ONELINE & ~(XN_FLAG_SPC_EQ | ASN1_STRFLGS_ESC_MSB));
    char *bytes = nullptr;
    const long length = BIO_get_mem_data(text, &bytes);
    QString result = QString::fromUtf8(bytes, length);
    BIO_free(text);
    return result;
}

QDateTime utc(const ASN1_TIME *time)
{
    std::tm parts {};
    if (time == nullptr || ASN1_TIME_to_tm(time, &parts) != 1)
        return {};
    return QDateTime(QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday),
        QTime(parts.tm_hour, parts.tm_min, parts.tm_sec), Qt::UTC);
}

// The slot of an SSL object that points to its engine's list of verification errors.
int verifyErrorsSlot = -1;

// Verification goes on past every error, so that each problem of the certificate is named,
// not only the first one OpenSSL meets.
int collectErrors(int preverified, X509_STORE_CTX *store)
{
    if (preverified == 0) {
        auto *ssl = static_cast<SSL *>(
            X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        auto *errors = ssl != nullptr
            ? static_cast<std::vector<long> *>(SSL_get_ex_data(ssl, verifyErrorsSlot))
            : nullptr;
        if (errors != nullptr)
            errors->push_back(X509_STORE_CTX_get_error(store));
    }
    return 1;
}

} // namespace

QString TlsErrors::verifyReason(long result)
{
    switch (result) {
    case X509_V_OK:
        return {};
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        return QStringLiteral("self-signed certificate");
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return QStringLiteral("certificate has expired");
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return QStringLiteral("certificate is not yet valid");
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return QStringLiteral("host name does not match");
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        return QStringLiteral("issuer is not trusted");
    default:
        return QString::fromLatin1(X509_verify_cert_error_string(result));
    }
}

TlsEngine::TlsEngine()
{
    if (verifyErrorsSlot < 0)
        verifyErrorsSlot = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
}

QString TlsErrors::verifyReasons(const std::vector<long> &results)
{
    QStringList reasons;
    for (const long result : results) {
        const QString reason = verifyReason(result);
        // Several results share a reason ("issuer is not trusted"), and one may repeat.
        if (!reason.isEmpty() && !reasons.contains(reason))
            reasons << reason;
    }
    return reasons.join(QLatin1String(", "));
}

TlsEngine::~TlsEngine()
{
    if (m_ssl != nullptr)
        SSL_free(m_ssl); // frees both buffers too
}

bool TlsEngine::start(const QString &hostName, const TlsSession &session)
{
    ERR_clear_error();
    m_hostName = hostName;
    m_certificate = TlsCertificateInfo {};
    m_certificate.host = hostName;
    SSL_CTX *context = clientContext();
    m_ssl = context != nullptr ? SSL_new(context) : nullptr;
    m_input = BIO_new(BIO_s_mem());
    m_output = BIO_new(BIO_s_mem());
    if (m_ssl == nullptr || m_input == nullptr || m_output == nullptr) {
        BIO_free(m_input);
        BIO_free(m_output);
        m_input = m_output = nullptr;
        m_failed = true;
        m_errorText = QStringLiteral("TLS cannot start: %1").arg(opensslReason());
        return false;
    }
    // An empty input buffer means "more to come", not the end of the stream.
    BIO_set_mem_eof_return(m_input, -1);
    SSL_set_bio(m_ssl, m_input, m_output);
    SSL_set_connect_state(m_ssl);
    m_verifyErrors.clear();
    SSL_set_ex_data(m_ssl, verifyErrorsSlot, &m_verifyErrors);
    SSL_set_verify(m_ssl, SSL_VERIFY_NONE, collectErrors);
    const QByteArray host = hostName.toUtf8();
    X509_VERIFY_PARAM *param = SSL_get0_param(m_ssl);
    if (X509_VERIFY_PARAM_set1_ip_asc(param, host.constData()) != 1) {
        ERR_clear_error();
        // SNI carries names only (RFC 6066, section 3).
        SSL_set_tlsext_host_name(m_ssl, host.constData());
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        X509_VERIFY_PARAM_set1_host(param, host.constData(), size_t(host.size()));
    }
    if (session != nullptr)
        SSL_set_session(m_ssl, session.get());
    m_handshaking = true;
    handshake();
    return !m_failed;
}

void TlsEngine::feed(const char *data, int count)
{
    if (m_input != nullptr && count > 0)
        BIO_write(m_input, data, count);
}

QByteArray TlsEngine::takeOutput()
{
    QByteArray bytes;
    if (m_output == nullptr)
        return bytes;
    const auto pending = static_cast<int>(BIO_ctrl_pending(m_output));
    if (pending <= 0)
        return bytes;
    bytes.resize(pending);
    const int taken = BIO_read(m_output, bytes.data(), pending);
    bytes.resize(qMax(taken, 0));
    return bytes;
}

bool TlsEngine::hasOutput() const
{
    return m_output != nullptr && BIO_ctrl_pending(m_output) > 0;
}

TlsEngine::Result TlsEngine::handshake()
{
    if (m_failed)
        return Result::Failed;
    if (!m_handshaking)
        return Result::Done;
    ERR_clear_error();
    const int result = SSL_do_handshake(m_ssl);
    if (result == 1) {
        m_handshaking = false;
        readCertificate();
        return Result::Done;
    }
    const int error = SSL_get_error(m_ssl, result);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
        return Result::WantMore;
    return failed(error, QStringLiteral("TLS handshake failed"));
}

TlsEngine::Result TlsEngine::read(char *buffer, int size, int &count)
{
    count = 0;
    if (!running())
        return Result::Failed;
    ERR_clear_error();
    const int result = SSL_read(m_ssl, buffer, size);
    if (result > 0) {
        count = result;
        return Result::Done;
    }
    const int error = SSL_get_error(m_ssl, result);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
        return Result::WantMore;
    if (error == SSL_ERROR_ZERO_RETURN)
        return Result::Closed;
    return failed(error, QStringLiteral("TLS failed"));
}

bool TlsEngine::hasPendingInput() const
{
    return m_ssl != nullptr && (SSL_pending(m_ssl) > 0 || BIO_ctrl_pending(m_input) > 0);
}

bool TlsEngine::write(const char *data, int count)
{
    if (!running())
        return false;
    while (count > 0) {
        ERR_clear_error();
        const int written = SSL_write(m_ssl, data, count);
        if (written <= 0) {
            failed(SSL_get_error(m_ssl, written), QStringLiteral("TLS failed"));
            return false;
        }
        data += written;
        count -= written;
    }
    return true;
}

void TlsEngine::shutdown()
{
    if (running()) {
        ERR_clear_error();
        SSL_shutdown(m_ssl);
        ERR_clear_error();
    }
}

TlsSession TlsEngine::session() const
{
    if (m_ssl == nullptr || !running())
        return {};
    SSL_SESSION *session = SSL_get1_session(m_ssl);
    if (session == nullptr)
        return {};
    return TlsSession(session, SSL_SESSION_free);
}

bool TlsEngine::sessionReused() const
{
    return m_ssl != nullptr && SSL_session_reused(m_ssl) == 1;
}

TlsEngine::Result TlsEngine::failed(int sslError, const QString &during)
{
    m_failed = true;
    m_handshaking = false;
    QString reason = opensslReason();
    if (reason.isEmpty())
        reason = sslError == SSL_ERROR_SYSCALL ? QStringLiteral("unexpected end of stream")
                                               : QStringLiteral("error %1").arg(sslError);
    m_errorText = QStringLiteral("%1: %2").arg(during, reason);
    return Result::Failed;
}

void TlsEngine::readCertificate()
{
    X509 *peer = SSL_get1_peer_certificate(m_ssl);
    if (peer == nullptr) {
        m_certificate.reason = QStringLiteral("no certificate");
        return;
    }
    m_certificate.subject = oneLine(X509_get_subject_name(peer));
    m_certificate.issuer = oneLine(X509_get_issuer_name(peer));
    m_certificate.notBefore = utc(X509_get0_notBefore(peer));
    m_certificate.notAfter = utc(X509_get0_notAfter(peer));
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(peer, EVP_sha256(), digest, &length) == 1)
        m_certificate.sha256 = QByteArray(reinterpret_cast<const char *>(digest), int(length));
    X509_free(peer);
    const long verdict = SSL_get_verify_result(m_ssl);
    m_certificate.systemTrusted = verdict == X509_V_OK && m_verifyErrors.empty();
    // A resumed session is not verified again; its verdict is the one kept.
    if (m_verifyErrors.empty() && verdict != X509_V_OK)
        m_verifyErrors.push_back(verdict);
    if (!m_certificate.systemTrusted)
        m_certificate.reason = TlsErrors::verifyReasons(m_verifyErrors);
}
