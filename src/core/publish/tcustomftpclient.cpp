#include "tcustomftpclient.h"

#include "esocketexception.h"
#include "ftpclientwindow.h"
#include "ftpdataconnection.h"
#include "ftpexception.h"
#include "ftpresults.h"
#include "ftptexts.h"
#include "socketerrors.h"
#include "tasyncsocket.h"

#include <QPointer>
#include <QScopeGuard>

namespace {

const QString NotReady = QStringLiteral("FTP component not ready");
const QString NotConnected = QStringLiteral("FTP component not connected");
const QString AlreadyConnected = QStringLiteral("FTP component already connected");

using FtpResults::LocalFailure;
using FtpResults::TransferFailed;
using FtpTexts::oneLine;
using FtpTexts::refuseLineBreak;
using FtpTexts::socketErrorLine;

} // namespace

TCustomFtpClient::TCustomFtpClient(QObject *owner)
    : QObject(owner)
    , m_window(new FtpClientWindow(this))
    , m_control(new TAsyncSocket(this))
    , m_dataLink(new FtpDataConnection(this))
{
    m_control->OnDnsLookupDone = [this](TCustomAsyncSocket *, quint16 error) {
        guarded([this, error] { controlDnsLookupDone(error); });
    };
    m_control->OnSessionConnected = [this](TCustomAsyncSocket *, quint16 error) {
        guarded([this, error] { controlSessionConnected(error); });
    };
    m_control->OnDataAvailable
        = [this](TCustomAsyncSocket *, quint16) { guarded([this] { controlDataAvailable(); }); };
    m_control->OnSessionClosed = [this](TCustomAsyncSocket *, quint16 error) {
        guarded([this, error] { controlSessionClosed(error); });
    };
    m_control->OnTlsDone = [this](TCustomAsyncSocket *, quint16 error) {
        guarded([this, error] { controlTlsDone(error); });
    };
    m_window->onRequestDone = [this](quint64 serial, TFtpRequest kind, quint16 error) {
        raiseRequestDone(kind, error, serial);
    };
    m_window->onStartSending
        = [this](quint64 transfer) { guarded([this, transfer] { startSending(transfer); }); };
    m_dataLink->guard = [this](const std::function<void()> &handler) { guarded(handler); };
    m_dataLink->onDisplay = [this](const QString &line) { Display(line); };
    m_dataLink->onConnected = [this] {
        m_awaitingReply = false;
        endRequest(0);
    };
    m_dataLink->onConnectFailed
        = [this](int error) { passiveFailed(error, FtpTexts::dataConnectionLine(error)); };
    m_dataLink->onProgress
        = [this](qint64 count, bool &abort) { TriggerProgress(count + m_restartPosition, abort); };
    m_dataLink->onSendFailed
        = [this](int error, const QString &message) { stopTransfer(error, message); };
    m_dataLink->onClosed = [this](quint16 error) { dataSessionClosed(error); };
}

TCustomFtpClient::~TCustomFtpClient()
{
    // The sockets close as they are destroyed; nothing of this object may run by then.
    m_control->OnDnsLookupDone = nullptr;
    m_control->OnSessionConnected = nullptr;
    m_control->OnDataAvailable = nullptr;
    m_control->OnSessionClosed = nullptr;
    m_control->OnTlsDone = nullptr;
    m_dataLink->release();
}

bool TCustomFtpClient::IsConnected() const
{
    return m_control->State() != wsClosed;
}

bool TCustomFtpClient::IsSecure() const
{
    return m_control->TlsRunning();
}

// --- Starting requests ---------------------------------------------------------------------

void TCustomFtpClient::ConnectAsync()
{
    startChain(
        TFtpRequest::Connect, OpenStep | UserStep | PassStep | PbszStep | ProtStep | FeatStep);
}

void TCustomFtpClient::ChangeDirAsync()
{
    if (m_hostDirName.isEmpty())
        throw FtpException(QStringLiteral("HostDirName emtpy"));
    refuseLineBreak(QStringLiteral("HostDirName"), m_hostDirName);
    startCommand(
        TFtpRequest::ChangeDir, Command::ChangeDir, QStringLiteral("CWD ") + m_hostDirName);
}

void TCustomFtpClient::PrintDirAsync()
{
    startCommand(TFtpRequest::PrintDir, Command::PrintDir, QStringLiteral("PWD"));
}

void TCustomFtpClient::SetTypeAsync()
{
    // RFC 959, section 3.1.1: "I" image (bytes as they are), "A" ASCII.
    startCommand(TFtpRequest::SetType, Command::SetType,
        m_binary ? QStringLiteral("TYPE I") : QStringLiteral("TYPE A"));
}

void TCustomFtpClient::PutAsync()
{
    startChain(TFtpRequest::Put, DataStep | StoreStep | SizeStep);
}

void TCustomFtpClient::ListAsync()
{
    startChain(TFtpRequest::List, DataStep | ListStep);
}

void TCustomFtpClient::QuitAsync()
{
    startCommand(TFtpRequest::Quit, Command::Quit, QStringLiteral("QUIT"));
}

void TCustomFtpClient::OpenAsync()
{
    if (m_connected)
        throw FtpException(AlreadyConnected);
    if (m_state != TFtpState::Ready && m_state != TFtpState::ReadyBetweenSteps)
        throw FtpException(NotReady);
    openStep();
}

void TCustomFtpClient::UserAsync()
{
    runStep(UserStep);
}

void TCustomFtpClient::PassAsync()
{
    runStep(PassStep);
}

void TCustomFtpClient::PortAsync()
{
    runStep(PortStep);
}

void TCustomFtpClient::DeleteAsync()
{
    startFileCommand(TFtpRequest::Delete, Command::Delete, QStringLiteral("DELE "));
}

void TCustomFtpClient::RenameAsync()
{
    if (m_renameTarget.isEmpty())
        throw FtpException(QStringLiteral("RenameTarget empty"));
    refuseLineBreak(QStringLiteral("RenameTarget"), m_renameTarget);
    m_renameFromReply = 0;
    // Its failure is one of its own two replies, never an older request's.
    m_errorMessage.clear();
    startFileCommand(TFtpRequest::Rename, Command::Rename, QStringLiteral("RNFR "));
    // RFC 959 lets the client send ahead: the server reads RNTO once it has answered RNFR.
    if (!m_requestDone && m_awaitingReply)
        sendCommand(QStringLiteral("RNTO ") + m_renameTarget);
}

void TCustomFtpClient::startFileCommand(TFtpRequest kind, Command command, const QString &verb)
{
    if (m_hostFileName.isEmpty())
        throw FtpException(QStringLiteral("HostFileName empty"));
    refuseLineBreak(QStringLiteral("HostFileName"), m_hostFileName);
    startCommand(kind, command, verb + m_hostFileName);
}

void TCustomFtpClient::startChain(TFtpRequest kind, unsigned steps)
{
    // The first step's refusals refuse the whole request, before anything has changed.
    if ((steps & OpenStep) != 0) {
        if (m_connected)
            throw FtpException(AlreadyConnected);
        if (m_state != TFtpState::Ready && m_state != TFtpState::ReadyBetweenSteps)
            throw FtpException(NotReady);
    } else {
        checkCanStart();
    }
    m_chained = false;
    beginRequest(kind);
    m_chained = true;
    m_chainResult = 0;
    m_steps = steps;
    m_step = OpenStep;
    m_userAnswered331 = false;
    m_lastResponse.clear();
    m_errorMessage.clear();
    continueChain(0);
}

void TCustomFtpClient::continueChain(int stepResult)
{
    if (m_state == TFtpState::Aborting) {
        m_steps = 0;
        m_chainResult = TransferFailed;
        m_errorMessage = QStringLiteral("426 Operation aborted.");
    } else if (stepResult != 0) {
        m_chainResult = stepResult;
        m_steps = 0;
    } else if (m_step == UserStep) {
        // RFC 959, section 5.4: 331 asks for a password, 230 logs in without one.
        m_userAnswered331 = m_statusCode == 331;
    }
    for (const Step step : {OpenStep, UserStep, PassStep, PbszStep, ProtStep, FeatStep, PortStep,
             DataStep, StoreStep, ListStep, SizeStep}) {
        if ((m_steps & step) == 0)
            continue;
        m_steps &= ~static_cast<unsigned>(step);
        if ((step == PassStep && !m_userAnswered331)
            || ((step == PbszStep || step == ProtStep) && !IsSecure())
            || (step == SizeStep && !(m_sizeOffered && m_binary)))
            continue;
        m_step = step;
        try {
            runStep(step);
        } catch (const FtpException &e) {
            // A step refused inside the chain ends the request, so the refusal reaches the
            // program through the request-done event.
            setErrorIfNone(e.message());
            Display(QStringLiteral("! ") + e.message());
            m_steps = 0;
            m_chainResult = LocalFailure;
            finishRequest(m_chainResult);
        }
        return;
    }
    finishRequest(m_chainResult);
}

void TCustomFtpClient::runStep(Step step)
{
    switch (step) {
    case OpenStep:
        openStep();
        return;
    case UserStep:
        if (m_userName.isEmpty())
            throw FtpException(QStringLiteral("UserName emtpy"));
        refuseLineBreak(QStringLiteral("UserName"), m_userName);
        startCommand(TFtpRequest::User, Command::User, QStringLiteral("USER ") + m_userName);
        return;
    case PassStep:
        if (m_passWord.isEmpty())
            throw FtpException(QStringLiteral("Password emtpy"));
        refuseLineBreak(QStringLiteral("PassWord"), m_passWord);
        startCommand(TFtpRequest::Pass, Command::Pass, QStringLiteral("PASS ") + m_passWord);
        return;
    case FeatStep:
        startCommand(TFtpRequest::Connect, Command::Feat, QStringLiteral("FEAT"));
        return;
    case PbszStep:
        // RFC 4217, section 9: PBSZ 0 before PROT; PROT P protects every data connection.
        startCommand(TFtpRequest::Connect, Command::Pbsz, QStringLiteral("PBSZ 0"));
        return;
    case ProtStep:
        startCommand(TFtpRequest::Connect, Command::Prot, QStringLiteral("PROT P"));
        return;
    case PortStep:
    case DataStep:
        dataStep(step == PortStep);
        return;
    case StoreStep:
        storeStep();
        return;
    case ListStep:
        listStep();
        return;
    case SizeStep:
        startCommand(TFtpRequest::Put, Command::Size, QStringLiteral("SIZE ") + m_hostFileName);
        return;
    }
}

void TCustomFtpClient::checkCanStart() const
{
    if (m_state != TFtpState::Ready && m_state != TFtpState::ReadyBetweenSteps)
        throw FtpException(NotReady);
    if (!m_connected)
        throw FtpException(NotConnected);
}

void TCustomFtpClient::beginRequest(TFtpRequest kind)
{
    // The steps of a chained request run under the chain's kind and serial.
    if (!m_chained) {
        m_request = kind;
        m_requestSerial = ++m_lastSerial;
        m_dataConnectionFailed = false;
        RequestStarted(m_requestSerial);
    }
    m_requestDone = false;
    m_requestResult = 0;
}

void TCustomFtpClient::startCommand(TFtpRequest kind, Command command, const QString &text)
{
    checkCanStart();
    beginRequest(kind);
    m_command = command;
    sendAwaited(ReplyHandler::Standard, text);
}

void TCustomFtpClient::sendAwaited(ReplyHandler handler, const QString &text)
{
    m_nextReply = handler;
    m_awaitingReply = true;
    setState(TFtpState::WaitingForReply);
    sendCommand(text);
}

void TCustomFtpClient::sendCommand(const QString &text)
{
    QString command = text;
    if (OnCommand)
        OnCommand(this, command);
    // The password is not repeated in a display line, which may end up in a log.
    Display(m_command == Command::Pass ? QStringLiteral("> PASS ********")
                                       : QStringLiteral("> ") + command);
    if (m_control->State() != wsConnected) {
        // The socket gave the connection up without telling: the reply will never come.
        if (m_connected)
            failRequest(SocketErrors::NotConnected, socketErrorLine(SocketErrors::NotConnected));
        return;
    }
    try {
        m_control->SendStr(command.toUtf8() + "\r\n");
    } catch (const ESocketException &e) {
        failRequest(e.error() != 0 ? e.error() : LocalFailure, oneLine(e.message()));
    }
}

void TCustomFtpClient::openStep()
{
    if (m_connected)
        throw FtpException(AlreadyConnected);
    beginRequest(TFtpRequest::Open);
    m_reader.clear();
    m_command = Command::None;
    m_nextReply = ReplyHandler::Ignore;
    m_awaitingReply = false;
    m_lookupRefusal.clear();
    m_sessionOpened = false;
    m_tlsInsteadOfReply = false;
    m_sizeOffered = false;
    m_activeFallback = false;
    m_dataProtected = false;
    setState(TFtpState::LookingUpHost);
    try {
        m_control->DnsLookup(m_hostName);
    } catch (const ESocketException &e) {
        if (!m_hostName.trimmed().isEmpty()) {
            failRequest(e.error() != 0 ? e.error() : LocalFailure, oneLine(e.message()));
            return;
        }
        // An empty name is refused, and the lookup still ends, with 10022, from the event
        // loop; the refusal is what the program is told.
        m_lookupRefusal = e.message();
    }
}

// --- Ending requests -----------------------------------------------------------------------

void TCustomFtpClient::endRequest(int error)
{
    if (m_requestDone)
        return;
    m_requestDone = true;
    if (m_chained) {
        if (m_state != TFtpState::Aborting)
            setState(TFtpState::ReadyBetweenSteps);
        continueChain(error);
        return;
    }
    finishRequest(error);
}

void TCustomFtpClient::finishRequest(int error)
{
    m_requestDone = true;
    m_chained = false;
    m_steps = 0;
    m_nextReply = ReplyHandler::Ignore;
    m_awaitingReply = false;
    setState(TFtpState::Ready);
    m_dataLink->closeFile();
    m_dataLink->closeAll();
    m_window->postRequestDone(m_requestSerial, m_request, static_cast<quint16>(error));
    RequestEnded(m_requestSerial, error);
}

void TCustomFtpClient::failRequest(int error, const QString &message)
{
    setErrorIfNone(message);
    Display(QStringLiteral("! ") + message);
    if (m_requestDone)
        return;
    m_requestResult = error;
    // A socket that gave up on its connection closes without its session-closed event; the
    // request then ends as the close would have ended it.
    if (m_connected && m_control->State() == wsClosed) {
        controlSessionClosed(static_cast<quint16>(error));
        return;
    }
    // RFC 959, section 5.4: the server still answers a STOR it has taken. The put ends with
    // that answer, so that the next command does not take it for its own.
    if (m_command == Command::Store && m_awaitingReply) {
        stopTransfer(error, message);
        return;
    }
    endRequest(error);
}

template<typename Handler> void TCustomFtpClient::guarded(Handler &&handler)
{
    // Socket events must not throw: the socket would drop the failure of a data handler.
    // Whatever fails in one becomes the failure of the request in flight.
    try {
        handler();
    } catch (const ESocketException &e) {
        failRequest(e.error() != 0 ? e.error() : LocalFailure, oneLine(e.message()));
    } catch (const FtpException &e) {
        failRequest(LocalFailure, e.message());
    } catch (const std::exception &e) {
        failRequest(LocalFailure, QString::fromUtf8(e.what()));
    }
}

void TCustomFtpClient::raiseRequestDone(TFtpRequest kind, quint16 error, quint64 serial)
{
    const QPointer<TCustomFtpClient> self(this);
    const auto raised = qScopeGuard([this, serial, &self] {
        if (!self.isNull())
            RequestDoneRaised(serial);
    });
    // A copy, since the handler may delete the component and with it OnRequestDone.
    const TFtpRequestDone handler = OnRequestDone;
    if (handler)
        handler(this, kind, error);
}

void TCustomFtpClient::Abort()
{
    setState(TFtpState::Aborting);
    m_control->CancelDnsLookup();
    closeControl();
    m_dataLink->closeAll();
    m_dataLink->closeFile();
    m_connected = false;
    setState(TFtpState::Ready);
}

// --- Small helpers -------------------------------------------------------------------------

void TCustomFtpClient::setState(TFtpState state)
{
    if (m_state == state)
        return;
    m_state = state;
    if (OnStateChange)
        OnStateChange(this);
}

void TCustomFtpClient::setErrorIfNone(const QString &text)
{
    if (m_errorMessage.isEmpty())
        m_errorMessage = text;
}

void TCustomFtpClient::TriggerProgress(qint64 count, bool &abort)
{
    // A copy, since the handler may delete the component and with it OnProgress.
    const TFtpProgress handler = OnProgress;
    if (handler)
        handler(this, count, abort);
}

void TCustomFtpClient::Display(const QString &line)
{
    if (OnDisplay)
        OnDisplay(this, line);
}
