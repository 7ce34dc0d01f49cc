// The data connection's step: passive (EPSV, then PASV) or active (PORT), as the mode says.
#include "tcustomftpclient.h"

#include "esocketexception.h"
#include "ftpresults.h"
#include "ftptexts.h"
#include "passivereply.h"
#include "tasyncsocket.h"

namespace {

using FtpResults::failureResult;
using FtpResults::LocalFailure;
using FtpTexts::oneLine;
using FtpTexts::socketErrorLine;

} // namespace

void TCustomFtpClient::dataStep(bool activeOnly)
{
    checkCanStart();
    beginRequest(TFtpRequest::Port);
    m_dataLink->setTls(m_dataProtected ? m_hostName.trimmed() : QString(),
        m_dataProtected ? m_control->TlsSessionHandle() : nullptr);
    if (activeOnly || m_transferMode == TFtpTransferMode::Active
        || (m_transferMode == TFtpTransferMode::Auto && m_activeFallback))
        sendPort();
    else
        passiveCommand(Command::Epsv);
}

void TCustomFtpClient::sendPort()
{
    m_command = Command::Port;
    m_dataLink->closeAll();
    // RFC 959, section 3.2: in active mode the server opens the data connection towards the
    // port the client names with PORT; it is waited for from now on, whatever comes first.
    quint16 port = 0;
    try {
        port = m_dataLink->listen(m_serverAddress);
    } catch (const ESocketException &e) {
        failRequest(e.error() != 0 ? e.error() : LocalFailure, oneLine(e.message()));
        return;
    }
    sockaddr_in local {};
    int length = sizeof local;
    if (m_control->GetSockName(local, length) != 0) {
        failRequest(m_control->LastError(), socketErrorLine(m_control->LastError()));
        return;
    }
    sendAwaited(ReplyHandler::Standard, PortCommand(m_serverAddress, local.sin_addr, port));
}

void TCustomFtpClient::passiveCommand(Command command)
{
    // RFC 2428, section 3: EPSV first; PASV (RFC 959) for a server that does not know it.
    m_command = command;
    m_dataLink->closeAll();
    sendAwaited(ReplyHandler::Standard,
        command == Command::Epsv ? QStringLiteral("EPSV") : QStringLiteral("PASV"));
}

void TCustomFtpClient::passiveReply(const FtpReplyLine &reply)
{
    const bool epsv = m_command == Command::Epsv;
    // Anything but a port offer that can be read, a refusal of either kind (4xx or 5xx) above
    // all, gives no data connection this way; the next way is tried.
    const bool offered = reply.code == (epsv ? 229 : 227);
    std::optional<quint16> port;
    if (offered && epsv)
        port = PassiveReply::epsvPort(reply.text);
    else if (const auto offer = offered ? PassiveReply::pasvOffer(reply.text) : std::nullopt)
        port = offer->port;
    if (!port) {
        if (offered)
            passiveRefused(LocalFailure,
                QStringLiteral("500 Malformed %1 reply: %2")
                    .arg(epsv ? QStringLiteral("EPSV") : QStringLiteral("PASV"), m_lastResponse));
        else
            passiveRefused(failureResult(reply.code), m_lastResponse);
        return;
    }
    // Always to the control connection's peer, whatever address PASV names: a server behind
    // NAT names its private one, and no server may aim the client at a third host (RFC 2577,
    // section 3). Until the connection is up, a close of the control connection ends the wait.
    m_nextReply = ReplyHandler::Ignore;
    m_awaitingReply = true;
    try {
        m_dataLink->connectTo(m_serverAddress, *port, m_passiveConnectTimeout);
    } catch (const ESocketException &e) {
        passiveFailed(e.error() != 0 ? e.error() : LocalFailure, oneLine(e.message()));
    }
}

void TCustomFtpClient::passiveRefused(int error, const QString &message)
{
    if (m_command == Command::Epsv) {
        Display(QStringLiteral("! EPSV refused (%1); trying PASV").arg(message));
        passiveCommand(Command::Pasv);
        return;
    }
    passiveFailed(error, message);
}

void TCustomFtpClient::passiveFailed(int error, const QString &message)
{
    m_awaitingReply = false;
    if (m_transferMode == TFtpTransferMode::Auto) {
        // Active mode once for this transfer, and from now on for the session.
        Display(QStringLiteral("! Passive mode failed (%1); trying active mode").arg(message));
        m_activeFallback = true;
        sendPort();
        return;
    }
    m_dataConnectionFailed = true;
    failRequest(error, message);
}
