// The replies to the commands of the control connection, each judged by the handler of the
// command in flight.
#include "tcustomftpclient.h"

#include "ftpresults.h"
#include "ftptexts.h"

namespace {

using FtpResults::failureResult;
using FtpResults::SizeMismatch;
using FtpTexts::replyText;

} // namespace

void TCustomFtpClient::dispatchReply(const FtpReplyLine &reply)
{
    ReplyHandler handler = ReplyHandler::Ignore;
    if (m_state == TFtpState::WaitingForBanner)
        handler = ReplyHandler::Banner;
    else if (m_state == TFtpState::WaitingForReply)
        handler = m_nextReply;
    if (m_state == TFtpState::WaitingForReply && reply.code == 421 && !reply.intermediate) {
        serviceClosing();
        return;
    }
    switch (handler) {
    case ReplyHandler::Ignore:
        Display(QStringLiteral("< ") + m_lastResponse);
        return;
    case ReplyHandler::Banner:
        bannerReply(reply);
        return;
    case ReplyHandler::Standard:
        standardReply(reply);
        return;
    case ReplyHandler::TransferFirst:
        transferFirstReply(reply);
        return;
    case ReplyHandler::TransferFinal:
        transferFinalReply(reply);
        return;
    }
}

void TCustomFtpClient::serviceClosing()
{
    // RFC 959, section 4.2: 421 may answer any command; the server is closing the control
    // connection, whatever the command was. It is closed here at once, so that the request
    // fails with the line and a new connection may start right away.
    Display(QStringLiteral("< ") + m_lastResponse);
    m_statusCode = 421;
    m_awaitingReply = false;
    setErrorIfNone(m_lastResponse);
    if (m_command == Command::Store || m_command == Command::List)
        transferEnded(421);
    m_requestResult = 421;
    closeControl();
}

void TCustomFtpClient::bannerReply(const FtpReplyLine &reply)
{
    Display(QStringLiteral("< ") + m_lastResponse);
    m_statusCode = reply.code;
    // RFC 959, section 5.4: 120 says when the server will be ready, and its 220 follows; the
    // blocking call's Timeout bounds the wait, however many come.
    if (reply.intermediate || reply.code == 120)
        return;
    m_awaitingReply = false;
    // RFC 959, section 5.4: 220 means ready; anything else (421 above all) turns us away.
    if (reply.code != 220) {
        setErrorIfNone(m_lastResponse);
        m_requestResult = failureResult(reply.code);
        closeControl();
        return;
    }
    setState(TFtpState::Connected);
    if (OnSessionConnected)
        OnSessionConnected(this, 0);
    if (m_security == TFtpSecurity::ExplicitIfAvailable
        || m_security == TFtpSecurity::ExplicitRequired) {
        // RFC 4217, section 4: TLS before anything of the login is sent.
        m_command = Command::Auth;
        sendAwaited(ReplyHandler::Standard, QStringLiteral("AUTH TLS"));
        return;
    }
    endRequest(0);
}

void TCustomFtpClient::renameReply(const FtpReplyLine &reply)
{
    // The first final reply is the RNFR's (RFC 959, section 5.4: 350 asks for the RNTO); the
    // RNTO sent behind it is still to be answered.
    if (m_renameFromReply == 0) {
        m_renameFromReply = reply.code;
        if (reply.code != 350)
            setErrorIfNone(m_lastResponse);
        m_awaitingReply = true;
        return;
    }
    const int failed = m_renameFromReply != 350 ? m_renameFromReply
        : reply.code != 250                     ? reply.code
                                                : 0;
    if (failed != 0)
        setErrorIfNone(m_lastResponse);
    m_requestResult = failed == 0 ? 0 : failureResult(failed);
    endRequest(m_requestResult);
}

void TCustomFtpClient::standardReply(const FtpReplyLine &reply)
{
    Display(QStringLiteral("< ") + m_lastResponse);
    m_statusCode = reply.code;
    if (reply.intermediate) {
        if (m_command == Command::Feat && FtpReplyReader::namesFeature(reply.text, "SIZE"))
            m_sizeOffered = true;
        return;
    }
    m_awaitingReply = false;
    switch (m_command) {
    case Command::Epsv:
    case Command::Pasv:
        passiveReply(reply);
        return;
    case Command::Auth:
        authReply(reply);
        return;
    case Command::Size:
        sizeReply(reply);
        return;
    case Command::Rename:
        renameReply(reply);
        return;
    default:
        break;
    }
    // RFC 959, section 5.4: the replies that mean success, command by command.
    bool success = false;
    const int code = reply.code;
    switch (m_command) {
    case Command::User:
        success = code == 331 || code == 230;
        break;
    case Command::Pass:
        success = code == 230;
        break;
    case Command::Feat:
        success = code == 211 || (code >= 500 && code <= 599); // 5xx: no features
        break;
    case Command::ChangeDir:
    case Command::PrintDir:
        success = code == 250 || code == 257;
        break;
    case Command::SetType:
    case Command::Port:
        success = code == 200 || (m_command == Command::Port && code == 227);
        break;
    case Command::Quit:
        success = code == 221;
        break;
    case Command::Pbsz:
        success = code == 200;
        break;
    case Command::Delete:
        success = code == 250;
        break;
    case Command::Prot:
        success = code == 200;
        m_dataProtected = success;
        break;
    default:
        break;
    }
    int result = 0;
    if (!success) {
        result = failureResult(reply.code);
        setErrorIfNone(m_lastResponse);
        // PORT refused as the data connection of a transfer: active mode is not allowed.
        if (m_command == Command::Port && m_chained && reply.code >= 500 && reply.code <= 599)
            m_dataConnectionFailed = true;
    }
    m_requestResult = result;
    if (result == 0 && (m_command == Command::ChangeDir || m_command == Command::PrintDir)
        && reply.text.contains('"'))
        m_dirResult = replyText(FtpReplyReader::quotedName(reply.text));
    // RFC 959, section 4.1.1: after QUIT the connection closes; the close ends the request.
    if (m_command == Command::Quit) {
        closeControl();
        return;
    }
    endRequest(result);
}

void TCustomFtpClient::sizeReply(const FtpReplyLine &reply)
{
    // RFC 3659, section 4: a server may refuse SIZE (in ASCII mode, say) for a file it has
    // just confirmed with 226, which then stands. A size it does tell must be what was sent.
    if (reply.code != 213) {
        Display(QStringLiteral("! Size not checked"));
        endRequest(0);
        return;
    }
    const std::optional<qint64> size = FtpReplyReader::sizeValue(reply.text);
    if (size == m_bytesStored) {
        endRequest(0);
        return;
    }
    m_statusCode = SizeMismatch;
    failRequest(SizeMismatch,
        size ? QStringLiteral("550 Size check failed: the server has %1 bytes, %2 were sent")
                   .arg(*size)
                   .arg(m_bytesStored)
             : QStringLiteral("550 Size check failed: unreadable reply ") + m_lastResponse);
}
