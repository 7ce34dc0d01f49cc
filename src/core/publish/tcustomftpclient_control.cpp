// The control connection: looked up, connected, read line by line, and closed.
#include "tcustomftpclient.h"

#include "esocketexception.h"
#include "ftpresults.h"
#include "ftptexts.h"
#include "socketnames.h"
#include "tasyncsocket.h"

namespace {

using FtpResults::ConnectionClosed;
using FtpResults::LocalFailure;
using FtpTexts::replyText;
using FtpTexts::socketErrorLine;

} // namespace

void TCustomFtpClient::controlDnsLookupDone(quint16 error)
{
    if (m_state != TFtpState::LookingUpHost && m_state != TFtpState::Aborting)
        return;
    if (error != 0) {
        openFailed(error, m_lookupRefusal);
        return;
    }
    const QString address = m_control->DnsResult();
    if (!SocketNames::parseDotted(address, m_serverAddress))
        m_serverAddress = in_addr {};
    m_control->SetProto(QStringLiteral("tcp"));
    m_control->SetAddr(address);
    m_control->SetPort(m_port);
    setState(TFtpState::WaitingForBanner);
    try {
        m_control->Connect();
    } catch (const ESocketException &e) {
        // Refused by the system at once (a firewall rule, a network down): ends like a
        // connection that failed on the way.
        if (e.error() == 0)
            throw;
        openFailed(e.error());
    }
}

void TCustomFtpClient::openFailed(int error, const QString &message)
{
    const QString line = socketErrorLine(error);
    m_lastResponse = line;
    m_statusCode = LocalFailure;
    m_errorMessage = message.isEmpty() ? line : message;
    m_requestResult = error;
    endRequest(error);
    closeControl();
    setState(TFtpState::Ready);
}

void TCustomFtpClient::controlSessionConnected(quint16 error)
{
    if (error != 0) {
        openFailed(error);
        return;
    }
    // RFC 959, section 5.4: the server speaks first; its greeting is awaited. Implicit FTPS
    // speaks TLS from the first byte, so the greeting comes through it.
    m_connected = true;
    m_sessionOpened = true;
    m_awaitingReply = true;
    if (m_security == TFtpSecurity::Implicit)
        m_control->StartTls(m_hostName.trimmed());
}

void TCustomFtpClient::controlDataAvailable()
{
    char buffer[FtpReplyReader::BufferSize];
    const int received = m_control->Receive(buffer, m_reader.space());
    if (received == 0) {
        closeControl();
        return;
    }
    if (received < 0)
        return;
    m_reader.append(buffer, received);
    // Otherwise the greeting would be awaited until the timeout.
    if (m_state == TFtpState::WaitingForBanner && m_security != TFtpSecurity::Implicit
        && m_reader.startsWithTlsRecord()) {
        m_tlsInsteadOfReply = true;
        refuseConnection(FtpResults::LocalFailure,
            QStringLiteral("Server sent TLS instead of a greeting; it may expect implicit TLS"));
        return;
    }
    // A reply may close the connection; what follows it is then of no use.
    while (m_control->State() == wsConnected) {
        const std::optional<FtpReplyLine> reply = m_reader.takeLine();
        if (!reply)
            return;
        m_lastResponse = replyText(reply->text);
        if (OnResponse)
            OnResponse(this);
        dispatchReply(*reply);
    }
}

void TCustomFtpClient::controlSessionClosed(quint16 error)
{
    m_reader.clear();
    const bool replyMissing = m_awaitingReply;
    m_awaitingReply = false;
    if (m_connected) {
        m_connected = false;
        if (m_state != TFtpState::Aborting)
            setState(TFtpState::NotConnected);
        if (OnSessionClosed)
            OnSessionClosed(this, error);
        if (m_state != TFtpState::Aborting)
            setState(TFtpState::ReadyBetweenSteps);
    }
    // A connection that closes before the reply came ends the command without success,
    // unless the command was QUIT, which asked for the close.
    if (replyMissing && !m_requestDone && m_command != Command::Quit
        && m_state != TFtpState::Aborting && m_requestResult == 0) {
        m_requestResult = ConnectionClosed;
        const QString message = QStringLiteral("421 Control connection closed");
        setErrorIfNone(message);
        Display(QStringLiteral("! ") + message);
    }
    endRequest(m_requestResult);
}

void TCustomFtpClient::closeControl()
{
    if (m_control->State() != wsClosed)
        m_control->Close();
}
