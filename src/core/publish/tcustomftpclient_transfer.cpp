// The transfers: STOR and NLST, their two replies, and the data connection's end.
#include "tcustomftpclient.h"

#include "ftpclientwindow.h"
#include "ftpexception.h"
#include "ftpresults.h"
#include "ftptexts.h"
#include "tasyncsocket.h"

namespace {

using FtpResults::failureResult;
using FtpResults::TransferFailed;
using FtpTexts::refuseLineBreak;
using FtpTexts::socketErrorLine;

} // namespace

void TCustomFtpClient::startTransfer(TFtpRequest kind, Command command)
{
    beginRequest(kind);
    m_command = command;
    ++m_transfer;
    m_dataLink->beginTransfer(command == Command::List);
    m_restartPosition = 0;
    m_finalReplyAccepted = false;
    m_dataClosed = false;
    m_dataCloseError = 0;
    m_transferError = 0;
    m_transferMessage.clear();
    m_transferClock.invalidate();
}

void TCustomFtpClient::listStep()
{
    if (!m_connected)
        throw FtpException(QStringLiteral("NLST: not connected"));
    startTransfer(TFtpRequest::List, Command::List);
    sendAwaited(ReplyHandler::TransferFirst, QStringLiteral("NLST"));
}

void TCustomFtpClient::storeStep()
{
    if (!m_connected)
        throw FtpException(QStringLiteral("STOR/APPE: not connected"));
    if (m_localFileName.isEmpty())
        throw FtpException(QStringLiteral("LocalFileName empty"));
    refuseLineBreak(QStringLiteral("HostFileName"), m_hostFileName);
    startTransfer(TFtpRequest::Put, Command::Store);

    bool cancel = false;
    if (OnReadyToTransmit)
        OnReadyToTransmit(this, cancel);
    QString refusal;
    if (cancel)
        refusal = QStringLiteral("426 Transmit cancelled by application");
    else if (!m_dataLink->openFile(m_localFileName, m_shareMode))
        refusal = QStringLiteral("426 Unable to open local file ") + m_localFileName;
    if (!refusal.isEmpty()) {
        m_errorMessage = refusal;
        m_statusCode = TransferFailed;
        Display(QStringLiteral("! ") + refusal);
        m_dataLink->closeAll();
        endRequest(TransferFailed);
        return;
    }
    sendAwaited(ReplyHandler::TransferFirst, QStringLiteral("STOR ") + m_hostFileName);
}

void TCustomFtpClient::transferFirstReply(const FtpReplyLine &reply)
{
    Display(QStringLiteral("< ") + m_lastResponse);
    m_statusCode = reply.code;
    if (reply.intermediate)
        return;
    // RFC 959, section 5.4: STOR and NLST are answered 125 or 150 before the transfer, then
    // 226 or 250 after it; anything else refuses them.
    if (reply.code == 125 || reply.code == 150) {
        m_nextReply = ReplyHandler::TransferFinal;
        m_window->postStartSending(m_transfer);
        return;
    }
    transferFailed(reply.code, failureResult(reply.code));
}

void TCustomFtpClient::transferFinalReply(const FtpReplyLine &reply)
{
    Display(QStringLiteral("< ") + m_lastResponse);
    m_statusCode = reply.code;
    if (reply.intermediate)
        return;
    if (reply.code == 226 || reply.code == 250) {
        m_awaitingReply = false;
        m_finalReplyAccepted = true;
        finishTransfer();
        return;
    }
    // A transfer stopped on this side is the cause; the server's refusal follows from it.
    if (m_transferError != 0)
        setErrorIfNone(m_transferMessage);
    transferFailed(reply.code, m_transferError != 0 ? m_transferError : failureResult(reply.code));
}

void TCustomFtpClient::transferFailed(int code, int result)
{
    m_awaitingReply = false;
    setErrorIfNone(m_lastResponse);
    transferEnded(code);
    endRequest(result);
}

void TCustomFtpClient::transferEnded(int code)
{
    m_dataLink->closeFile();
    m_dataLink->closeAll();
    // RFC 959, section 5.4: 425, no data connection; 421 or 426 before any data flowed
    // mostly mean the same.
    if (code == 425
        || ((code == 421 || code == 426) && m_dataLink->byteCount() == 0 && m_transferError == 0))
        m_dataConnectionFailed = true;
    Display(m_command == Command::List ? QStringLiteral("! NLST Failed")
                                       : QStringLiteral("! STOR Failed"));
}

void TCustomFtpClient::startSending(quint64 transfer)
{
    if (transfer != m_transfer)
        return;
    m_transferClock.start();
    m_dataLink->startSending();
}

void TCustomFtpClient::stopTransfer(int error, const QString &message)
{
    if (m_transferError == 0) {
        m_transferError = error;
        m_transferMessage = message;
    }
    m_dataLink->closeFile();
    m_dataLink->closeListener();
    if (m_dataClosed)
        return;
    if (data()->State() != wsClosed) {
        m_dataLink->cut();
    } else {
        m_dataClosed = true;
        finishTransfer();
    }
}

void TCustomFtpClient::dataSessionClosed(quint16 error)
{
    m_dataLink->closeFile();
    if (m_dataClosed)
        return;
    m_dataClosed = true;
    m_dataCloseError = error;
    // A server that closes before it has the whole file has not stored it, whatever it says.
    if (!m_dataLink->exhausted() && m_transferError == 0) {
        m_transferError = TransferFailed;
        m_transferMessage = QStringLiteral("426 Connection closed; transfer aborted.");
    }
    finishTransfer();
}

void TCustomFtpClient::finishTransfer()
{
    if (!m_finalReplyAccepted || !m_dataClosed)
        return;
    const qint64 elapsed = m_transferClock.isValid() ? m_transferClock.elapsed() : 0;
    const qint64 count = m_dataLink->byteCount();
    QString statistics
        = QStringLiteral("! %1 bytes received/sent in %2 seconds").arg(count).arg(elapsed / 1000);
    if (elapsed != 0) {
        const qint64 perSecond = count < 32768 ? count * 1000 / elapsed : count / elapsed * 1000;
        statistics += QStringLiteral(" (%1 Bytes/sec)").arg(perSecond);
    }
    Display(statistics);
    m_bytesStored = count + m_restartPosition;
    m_restartPosition = 0;
    int result = m_transferError;
    if (result != 0) {
        setErrorIfNone(m_transferMessage);
    } else if (m_dataCloseError != 0) {
        result = m_dataCloseError;
        setErrorIfNone(socketErrorLine(result));
    }
    endRequest(result);
}

void TCustomFtpClient::AbortTimedOut()
{
    // Still waiting for a data connection, passive or active, is why the request failed.
    const bool transferring
        = (m_command == Command::Store || m_command == Command::List) && m_awaitingReply;
    const bool dataMissing = m_dataLink->isConnecting()
        || (transferring && !m_dataLink->isConnected() && !m_dataClosed);
    // A transfer that had already stopped here waited only for the server's word; why it
    // stopped is what the program is told.
    const QString reason = transferring && m_transferError != 0 ? m_transferMessage : QString();
    Abort();
    m_dataConnectionFailed = m_dataConnectionFailed || dataMissing;
    m_errorMessage = reason.isEmpty() ? QStringLiteral("426 Timeout") : reason;
    m_statusCode = 426;
}
