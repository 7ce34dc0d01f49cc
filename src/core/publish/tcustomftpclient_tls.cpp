// TLS on the control connection (RFC 4217): AUTH TLS, the handshake and the certificate.
#include "tcustomftpclient.h"

#include "ftpresults.h"
#include "tasyncsocket.h"

#include <QPointer>

namespace {

using FtpResults::failureResult;

} // namespace

void TCustomFtpClient::authReply(const FtpReplyLine &reply)
{
    if (reply.code == 234) {
        // Replies wait for the handshake, whose end goes on with the request.
        m_nextReply = ReplyHandler::Ignore;
        m_awaitingReply = true;
        m_control->StartTls(m_hostName.trimmed());
        return;
    }
    if (m_security == TFtpSecurity::ExplicitRequired) {
        refuseConnection(failureResult(reply.code),
            QStringLiteral("Server refused AUTH TLS: %1").arg(m_lastResponse));
        return;
    }
    Display(QStringLiteral("! Server refused AUTH TLS; continuing without encryption"));
    endRequest(0);
}

void TCustomFtpClient::controlTlsDone(quint16 error)
{
    if (error != 0) {
        refuseConnection(error, m_control->TlsError());
        return;
    }
    const QPointer<TCustomFtpClient> self(this);
    const bool accepted = certificateAccepted();
    if (self.isNull() || !m_connected)
        return;
    if (!accepted) {
        const QString reason = m_control->TlsCertificate().reason;
        refuseConnection(m_control->TlsHandshakeFailed,
            QStringLiteral("Certificate not trusted: %1").arg(reason));
        return;
    }
    Display(QStringLiteral("! TLS started"));
    // Implicit FTPS still awaits the greeting; explicit goes on with the login.
    if (m_state == TFtpState::WaitingForBanner)
        return;
    m_awaitingReply = false;
    endRequest(0);
}

bool TCustomFtpClient::certificateAccepted()
{
    const TlsCertificateInfo info = m_control->TlsCertificate();
    if (info.systemTrusted)
        return true;
    const std::optional<QByteArray> trusted = Fingerprints::parse(m_trustedFingerprint);
    if (trusted && *trusted == info.sha256)
        return true;
    bool trust = false;
    TriggerCertificate(info, !m_trustedFingerprint.trimmed().isEmpty(), trust);
    return trust;
}

void TCustomFtpClient::TriggerCertificate(const TlsCertificateInfo &info, bool changed, bool &trust)
{
    // A copy, since the handler may run an event loop in which the program changes it.
    const auto handler = OnCertificate;
    if (handler)
        handler(this, info, changed, trust);
}

void TCustomFtpClient::refuseConnection(int error, const QString &message)
{
    // Nothing more goes to this server: the close ends the request with the reason.
    setErrorIfNone(message);
    Display(QStringLiteral("! ") + message);
    m_requestResult = error;
    m_awaitingReply = false;
    closeControl();
}
