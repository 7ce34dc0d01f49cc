#pragma once

#include "ftpdataconnection.h"
#include "ftplocalfile.h"
#include "ftpreplyreader.h"
#include "tlstypes.h"
#include "transfermode.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <netinet/in.h>

class TAsyncSocket;
class TCustomFtpClient;
class FtpClientWindow;

// The kind of a request, as its request-done event reports it. Open, User, Pass and Port are
// steps of Connect and Put; they are reported only when started on their own.
enum class TFtpRequest {
    None,
    Connect, // chained: Open, User, Pass, FEAT
    ChangeDir,
    PrintDir,
    SetType,
    Put, // chained: the data connection (EPSV, PASV or PORT), STOR, then SIZE when offered
    Quit,
    Open,
    User,
    Pass,
    Port,
    List, // chained: the data connection, then NLST; the listing is read and dropped
    Delete,
    Rename, // RNFR and RNTO sent together
};

// One state at a time; every change raises OnStateChange.
enum class TFtpState {
    NotConnected,      // the control connection has just closed; passes on at once
    Ready,             // no request runs
    ReadyBetweenSteps, // a chained request is between two steps, or the connection just closed
    LookingUpHost,
    WaitingForBanner, // connecting, or awaiting the server's greeting
    Connected,        // the greeting was accepted
    WaitingForReply,  // a command was sent (also during a data transfer)
    Aborting,
};

using TFtpProgress = std::function<void(TCustomFtpClient *sender, qint64 count, bool &abort)>;
using TFtpRequestDone
    = std::function<void(TCustomFtpClient *sender, TFtpRequest rqType, quint16 error)>;
using TFtpDisplay = std::function<void(TCustomFtpClient *sender, const QString &line)>;
using TFtpCommand = std::function<void(TCustomFtpClient *sender, QString &command)>;
using TFtpReadyToTransmit = std::function<void(TCustomFtpClient *sender, bool &bCancel)>;
using TFtpSessionEvent = std::function<void(TCustomFtpClient *sender, quint16 error)>;
using TFtpNotify = std::function<void(TCustomFtpClient *sender)>;

// The client side of FTP (RFC 959), over asynchronous sockets: the control connection carries
// commands and replies, the data connection (FtpDataConnection), made in passive or active
// mode, carries file contents.
//
// Work is done in requests. A request starts with one of the ...Async operations, runs on
// socket events and ends with one OnRequestDone, raised from the event loop, with an error
// number: 0, an FTP reply code or a socket error number (10000 and up). A request that cannot
// start throws FtpException and raises no event. TFtpClient adds blocking forms.
//
// Replies are read by FtpReplyReader; this class decides what they mean for the command in
// flight. The component may be deleted with delete from OnProgress and OnRequestDone; from
// its other events use deleteLater().
class TCustomFtpClient : public QObject {
    Q_OBJECT

public:
    explicit TCustomFtpClient(QObject *owner = nullptr);
    ~TCustomFtpClient() override;

    QString HostName() const { return m_hostName; }
    void SetHostName(const QString &value) { m_hostName = value; }
    // Decimal port or service name ("ftp" by default).
    QString Port() const { return m_port; }
    void SetPort(const QString &value) { m_port = value; }
    QString UserName() const { return m_userName; }
    void SetUserName(const QString &value) { m_userName = value; }
    QString PassWord() const { return m_passWord; }
    void SetPassWord(const QString &value) { m_passWord = value; }
    QString HostDirName() const { return m_hostDirName; }
    void SetHostDirName(const QString &value) { m_hostDirName = value; }
    QString HostFileName() const { return m_hostFileName; }
    void SetHostFileName(const QString &value) { m_hostFileName = value; }
    // The new name RenameAsync gives HostFileName.
    QString RenameTarget() const { return m_renameTarget; }
    void SetRenameTarget(const QString &value) { m_renameTarget = value; }
    QString LocalFileName() const { return m_localFileName; }
    void SetLocalFileName(const QString &value) { m_localFileName = value; }
    // True: transfer type "I"; false: "A".
    bool Binary() const { return m_binary; }
    void SetBinary(bool value) { m_binary = value; }
    TFtpShareMode ShareMode() const { return m_shareMode; }
    void SetShareMode(TFtpShareMode value) { m_shareMode = value; }
    // Kept for programs that set it; nothing here receives data lines to display.
    bool DisplayFlag() const { return m_displayFlag; }
    void SetDisplayFlag(bool value) { m_displayFlag = value; }
    TFtpTransferMode TransferMode() const { return m_transferMode; }
    void SetTransferMode(TFtpTransferMode value) { m_transferMode = value; }
    // How long a passive data connection may take to connect, in milliseconds; kept below a
    // blocking call's Timeout so that Auto can still try active mode.
    int PassiveConnectTimeout() const { return m_passiveConnectTimeout; }
    void SetPassiveConnectTimeout(int ms) { m_passiveConnectTimeout = ms; }
    // TLS on the control and data connections; ExplicitIfAvailable by default.
    TFtpSecurity Security() const { return m_security; }
    void SetSecurity(TFtpSecurity value) { m_security = value; }
    // The SHA-256 fingerprint of a certificate the user has trusted, as the profile stores it.
    QString TrustedFingerprint() const { return m_trustedFingerprint; }
    void SetTrustedFingerprint(const QString &value) { m_trustedFingerprint = value; }
    // True while the control connection runs TLS.
    bool IsSecure() const;

    // The first failing reply line of the current request, or the component's own text.
    // Chained requests clear it when they start; single commands keep what was there.
    QString ErrorMessage() const { return m_errorMessage; }
    // The last reply line read, and the number at its start.
    QString LastResponse() const { return m_lastResponse; }
    int StatusCode() const { return m_statusCode; }
    // The directory named in double quotes by the last successful PWD or CWD reply.
    QString DirResult() const { return m_dirResult; }
    TFtpState State() const { return m_state; }
    TFtpRequest RequestType() const { return m_request; }
    // True when the last request failed because no data connection could be made: a passive
    // connection refused, unreachable or timed out; the server refusing every way the mode
    // allows (EPSV and PASV, or PORT); a 425 reply, or 421 or 426 before any data flowed; in
    // active mode the server never connecting back, the blocking call's timeout included.
    bool DataConnectionFailed() const { return m_dataConnectionFailed; }
    // True while the control socket is anything but closed.
    bool IsConnected() const;
    // Of the last Open: whether the server took the TCP connection, and whether the first
    // bytes it sent were a TLS record where the greeting belongs (it speaks implicit TLS).
    bool SessionOpened() const { return m_sessionOpened; }
    bool TlsInsteadOfReply() const { return m_tlsInsteadOfReply; }

    // Each starts a request or throws FtpException with the reason it cannot.
    void ConnectAsync();
    void ChangeDirAsync();
    void PrintDirAsync();
    void SetTypeAsync();
    void PutAsync();
    void ListAsync();
    void QuitAsync();
    void OpenAsync();
    void UserAsync();
    void PassAsync();
    void PortAsync();
    // RFC 959, section 4.1.3: DELE deletes HostFileName.
    void DeleteAsync();
    // Renames HostFileName to RenameTarget (RFC 959, section 4.1.3): RNTO goes out right behind
    // RNFR, without waiting for its 350, which saves a round trip; the request ends with both
    // replies, failing with the first that is no success (a refused RNFR makes the RNTO's a
    // 503). Like a chained request, it clears ErrorMessage as it starts.
    void RenameAsync();

    // The PORT command naming a data port (RFC 959, section 4.1.2): 127.0.0.1 for a server at
    // 127.0.0.1, else the local address of the control connection.
    static QString PortCommand(const in_addr &server, const in_addr &local, quint16 port)
    {
        return FtpDataConnection::portCommand(server, local, port);
    }

    // Closes both connections at once, a data connection with a reset, so that the server
    // takes a file cut short for a failed transfer. A chained request ends with 426 ("426
    // Operation aborted."), a single command with its result so far.
    void Abort();

    TFtpProgress OnProgress;
    TFtpRequestDone OnRequestDone;
    TFtpDisplay OnDisplay;
    TFtpCommand OnCommand;
    TFtpNotify OnResponse;
    TFtpSessionEvent OnSessionConnected;
    TFtpSessionEvent OnSessionClosed;
    TFtpNotify OnStateChange;
    TFtpReadyToTransmit OnReadyToTransmit;
    // Raised once per connection, from the event loop and before USER is sent, when the
    // server's certificate is not trusted by the system and its SHA-256 differs from
    // TrustedFingerprint; changed tells that a TrustedFingerprint was set. Setting trust goes
    // on (the program then stores the fingerprint); otherwise the request fails with
    // "Certificate not trusted: <reason>". The handler may run a modal dialog.
    std::function<void(
        TCustomFtpClient *sender, const TlsCertificateInfo &info, bool changed, bool &trust)>
        OnCertificate;

protected:
    // Hooks for the blocking forms. A request started by the program gets a serial number
    // of its own; its steps share it.
    virtual void RequestStarted(quint64 serial) { Q_UNUSED(serial) }
    virtual void RequestEnded(quint64 serial, int error)
    {
        Q_UNUSED(serial)
        Q_UNUSED(error)
    }
    virtual void RequestDoneRaised(quint64 serial) { Q_UNUSED(serial) }
    virtual void TriggerProgress(qint64 count, bool &abort);
    // Raises OnCertificate; the user may take a while to decide.
    virtual void TriggerCertificate(const TlsCertificateInfo &info, bool changed, bool &trust);
    // Aborts for a blocking call whose time ran out; ErrorMessage becomes "426 Timeout", or
    // the reason a transfer already stopped here, waiting only for the server's reply.
    void AbortTimedOut();

    quint64 CurrentRequest() const { return m_requestSerial; }
    void SetErrorMessage(const QString &text) { m_errorMessage = text; }
    void SetStatusCode(int code) { m_statusCode = code; }
    void Display(const QString &line);

private:
    // The commands this client sends, told apart by what they are.
    enum class Command {
        None,
        User,
        Pass,
        Feat,
        ChangeDir,
        PrintDir,
        SetType,
        Port,
        Epsv,
        Pasv,
        Store,
        List,
        Size,
        Quit,
        Auth,
        Pbsz,
        Prot,
        Delete,
        Rename,
    };
    // Steps of chained requests, in the order they run.
    enum Step : unsigned {
        OpenStep = 0x01,
        UserStep = 0x02,
        PassStep = 0x04,
        FeatStep = 0x08,
        PortStep = 0x10, // active mode only
        DataStep = 0x20, // passive or active, as the mode says
        StoreStep = 0x40,
        ListStep = 0x80,
        SizeStep = 0x100,
        PbszStep = 0x200, // after login, on a protected control connection only
        ProtStep = 0x400,
    };
    // Who judges the next reply line.
    enum class ReplyHandler { Ignore, Banner, Standard, TransferFirst, TransferFinal };

    void setState(TFtpState state);
    void setErrorIfNone(const QString &text);

    // Starting requests and steps.
    void startChain(TFtpRequest kind, unsigned steps);
    void continueChain(int stepResult);
    void runStep(Step step);
    void checkCanStart() const;
    void startCommand(TFtpRequest kind, Command command, const QString &text);
    void startFileCommand(TFtpRequest kind, Command command, const QString &verb);
    void beginRequest(TFtpRequest kind);
    // Sends a command whose reply handler judges the next reply.
    void sendAwaited(ReplyHandler handler, const QString &text);
    void sendCommand(const QString &text);
    void openStep();
    // The data connection's step: PORT only (activeOnly), or as the mode says.
    void dataStep(bool activeOnly);
    void sendPort();
    void passiveCommand(Command command);
    void startTransfer(TFtpRequest kind, Command command);
    void storeStep();
    void listStep();

    // Ending them.
    void endRequest(int error);
    void finishRequest(int error);
    void failRequest(int error, const QString &message);
    template<typename Handler> void guarded(Handler &&handler);

    // The control connection.
    void controlDnsLookupDone(quint16 error);
    // The lookup or the connection failed: the open step ends with the socket error, the
    // control socket closed; message, when given, stands in for the error's line.
    void openFailed(int error, const QString &message = QString());
    void controlSessionConnected(quint16 error);
    void controlDataAvailable();
    void controlSessionClosed(quint16 error);
    // TLS on the control connection (RFC 4217): AUTH TLS answered, the handshake ended, and
    // whether the certificate may be used.
    void authReply(const FtpReplyLine &reply);
    void controlTlsDone(quint16 error);
    bool certificateAccepted();
    void refuseConnection(int error, const QString &message);
    void closeControl();
    void dispatchReply(const FtpReplyLine &reply);
    void bannerReply(const FtpReplyLine &reply);
    void standardReply(const FtpReplyLine &reply);
    void passiveReply(const FtpReplyLine &reply);
    // The server gave no port to EPSV or PASV: PASV after EPSV, then as passiveFailed.
    void passiveRefused(int error, const QString &message);
    // No passive connection: active mode in Auto, else the request fails with error.
    void passiveFailed(int error, const QString &message);
    void sizeReply(const FtpReplyLine &reply);
    void renameReply(const FtpReplyLine &reply);
    void transferFirstReply(const FtpReplyLine &reply);
    void transferFinalReply(const FtpReplyLine &reply);
    // The server refused the transfer or ended it failed (reply code), which ends with result.
    void transferFailed(int code, int result);
    // The file and the data connection of a transfer the server failed with code.
    void transferEnded(int code);
    // A 421: the request fails with its line, and the control connection is closed.
    void serviceClosing();

    // The data connection.
    void dataSessionClosed(quint16 error);
    TAsyncSocket *data() const { return m_dataLink->socket(); }
    void startSending(quint64 transfer);
    void stopTransfer(int error, const QString &message);
    void finishTransfer();

    void raiseRequestDone(TFtpRequest kind, quint16 error, quint64 serial);

    FtpClientWindow *m_window;
    TAsyncSocket *m_control;
    FtpDataConnection *m_dataLink;
    FtpReplyReader m_reader;

    QString m_hostName;
    QString m_port = QStringLiteral("ftp");
    QString m_userName;
    QString m_passWord;
    QString m_hostDirName;
    QString m_hostFileName;
    QString m_renameTarget;
    QString m_localFileName;
    bool m_binary = true;
    TFtpShareMode m_shareMode = ftpShareExclusive;
    bool m_displayFlag = false;
    TFtpTransferMode m_transferMode = TFtpTransferMode::Auto;
    int m_passiveConnectTimeout = 10000;
    TFtpSecurity m_security = TFtpSecurity::ExplicitIfAvailable;
    QString m_trustedFingerprint;

    QString m_errorMessage;
    QString m_lastResponse;
    int m_statusCode = 0;
    QString m_dirResult;
    TFtpState m_state = TFtpState::Ready;

    // The request in flight.
    TFtpRequest m_request = TFtpRequest::None;
    quint64 m_requestSerial = 0;
    quint64 m_lastSerial = 0;
    int m_requestResult = 0;
    bool m_requestDone = true; // ended, or none started: a second end is ignored
    Command m_command = Command::None;
    ReplyHandler m_nextReply = ReplyHandler::Ignore;
    bool m_awaitingReply = false; // the command in flight has no final reply yet
    bool m_connected = false;     // the control connection's TCP session is up
    bool m_sessionOpened = false;
    bool m_tlsInsteadOfReply = false;
    in_addr m_serverAddress {};
    QString m_lookupRefusal;
    bool m_dataConnectionFailed = false;
    // Learnt on the control connection: FEAT offered SIZE; passive mode failed (Auto).
    bool m_sizeOffered = false;
    bool m_activeFallback = false;
    bool m_dataProtected = false; // PROT P accepted: data connections run TLS

    // Chained requests.
    bool m_chained = false;
    unsigned m_steps = 0;
    Step m_step = OpenStep;
    int m_chainResult = 0;
    bool m_userAnswered331 = false;
    int m_renameFromReply = 0; // the RNFR's code, 0 until it came

    // The transfer of the store step.
    quint64 m_transfer = 0; // tells a stale start-sending message from the current one
    qint64 m_restartPosition = 0;
    qint64 m_bytesStored = 0; // by the last finished transfer, for SIZE
    bool m_finalReplyAccepted = false;
    bool m_dataClosed = false;
    int m_dataCloseError = 0;
    int m_transferError = 0;
    QString m_transferMessage;
    QElapsedTimer m_transferClock;
};
