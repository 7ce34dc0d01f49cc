#include "ftpdataconnection.h"

#include "esocketexception.h"
#include "ftptexts.h"
#include "sendbudget.h"
#include "socketnames.h"
#include "tasyncsocket.h"

#include <QPointer>
#include <QTimer>

#include <arpa/inet.h>

#include <algorithm>

namespace {

constexpr int TimedOut = 10060; // WSAETIMEDOUT
constexpr int TransferFailed = 426;
// A file is read and sent in pieces of this size, as the progress events show them.
constexpr int PieceSize = 1024;
// What the server sends on the data connection is read in pieces of this size.
constexpr int DiscardSize = 2048;

void detach(TAsyncSocket *socket)
{
    socket->OnSessionConnected = nullptr;
    socket->OnSessionAvailable = nullptr;
    socket->OnSessionClosed = nullptr;
    socket->OnDataAvailable = nullptr;
    socket->OnDataSent = nullptr;
    socket->OnTlsDone = nullptr;
}

} // namespace

FtpDataConnection::FtpDataConnection(QObject *owner)
    : QObject(owner)
    , m_listener(new TAsyncSocket(this))
    , m_data(new TAsyncSocket(this))
    , m_connectLimit(new QTimer(this))
{
    m_connectLimit->setSingleShot(true);
    QObject::connect(m_connectLimit, &QTimer::timeout, this, [this] {
        if (m_connecting)
            run([this] { passiveFailed(TimedOut); });
    });
}

FtpDataConnection::~FtpDataConnection()
{
    release();
}

void FtpDataConnection::release()
{
    guard = nullptr;
    onDisplay = nullptr;
    onConnected = nullptr;
    onConnectFailed = nullptr;
    onProgress = nullptr;
    onSendFailed = nullptr;
    onClosed = nullptr;
    m_file.close();
    m_connecting = false;
    m_connectLimit->stop();
    detach(m_listener);
    detach(m_data);
    // A transfer still running is cut, not ended as if the file were whole. Nobody is left to
    // hear of a failing close; the socket is gone either way.
    try {
        if (m_data->State() != wsClosed)
            m_data->CloseWithReset();
    } catch (const ESocketException &) {}
}

bool FtpDataConnection::isConnected() const
{
    return !m_connecting && m_data->State() == wsConnected;
}

quint16 FtpDataConnection::listen(const in_addr &peer)
{
    m_peer = peer;
    m_listener->SetProto(QStringLiteral("tcp"));
    m_listener->SetAddr(QStringLiteral("0.0.0.0"));
    m_listener->SetPort(QStringLiteral("0"));
    m_listener->SetLingerOnOff(wsLingerOff);
    m_listener->SetLingerTimeout(0);
    m_listener->OnSessionAvailable
        = [this](TCustomAsyncSocket *, quint16) { run([this] { sessionAvailable(); }); };
    m_listener->Listen();
    sockaddr_in listening {};
    int length = sizeof listening;
    if (m_listener->GetSockName(listening, length) != 0)
        throw ESocketException(
            FtpTexts::socketErrorLine(m_listener->LastError()), m_listener->LastError());
    return ntohs(listening.sin_port);
}

QString FtpDataConnection::portCommand(const in_addr &server, const in_addr &local, quint16 port)
{
    // RFC 959, section 4.1.2: PORT h1,h2,h3,h4,p1,p2, the address and the port a byte at a
    // time, most significant first.
    if (server.s_addr == htonl(INADDR_LOOPBACK))
        return QStringLiteral("PORT 127,0,0,1,%1,%2").arg(port / 256).arg(port % 256);
    const quint32 address = ntohl(local.s_addr);
    return QStringLiteral("PORT %1,%2,%3,%4,%5,%6")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF)
        .arg(port / 256)
        .arg(port % 256);
}

void FtpDataConnection::sessionAvailable()
{
    const int handle = m_listener->Accept();
    if (handle < 0)
        return;
    detach(m_data);
    m_data->SetLingerOnOff(wsLingerOff);
    m_data->SetLingerTimeout(0);
    m_data->Dup(handle);
    // Anyone who can reach the listening port could otherwise take the file.
    sockaddr_in peer {};
    int length = sizeof peer;
    if (m_data->GetPeerName(peer, length) != 0 || peer.sin_addr.s_addr != m_peer.s_addr) {
        display(QStringLiteral("! Data connection from %1 refused")
                    .arg(SocketNames::dotted(peer.sin_addr)));
        m_data->Close();
        return;
    }
    m_listener->Close();
    attach();
}

void FtpDataConnection::connectTo(const in_addr &address, quint16 port, int limitMs)
{
    closeAll();
    m_data->SetProto(QStringLiteral("tcp"));
    m_data->SetAddr(SocketNames::dotted(address));
    m_data->SetPort(QString::number(port));
    m_data->SetLingerOnOff(wsLingerOff);
    m_data->SetLingerTimeout(0);
    m_data->OnSessionConnected = [this](TCustomAsyncSocket *, quint16 error) {
        run([this, error] { passiveConnected(error); });
    };
    m_data->Connect();
    m_connecting = true;
    // Its own limit, well inside a blocking call's, so that another way can still be tried.
    m_connectLimit->start(std::max(limitMs, 1));
}

void FtpDataConnection::passiveConnected(quint16 error)
{
    if (!m_connecting)
        return;
    if (error != 0) {
        passiveFailed(error);
        return;
    }
    m_connecting = false;
    m_connectLimit->stop();
    m_data->OnSessionConnected = nullptr;
    attach();
    if (onConnected)
        onConnected();
}

void FtpDataConnection::passiveFailed(int error)
{
    m_connecting = false;
    m_connectLimit->stop();
    detach(m_data);
    if (m_data->State() != wsClosed)
        m_data->Close();
    if (onConnectFailed)
        onConnectFailed(error);
}

void FtpDataConnection::attach()
{
    m_data->OnSessionClosed = [this](TCustomAsyncSocket *, quint16 error) {
        run([this, error] {
            if (onClosed)
                onClosed(error);
        });
    };
    m_data->OnDataAvailable
        = [this](TCustomAsyncSocket *, quint16) { run([this] { received(); }); };
    m_data->OnDataSent = [this](TCustomAsyncSocket *, quint16 error) {
        run([this, error] { sendPieces(error); });
    };
    // The file goes in pieces of a kilobyte; the socket joins them into batches.
    m_data->SetCorked(true);
    startTls();
}

void FtpDataConnection::startTls()
{
    // Not before the server's 125 or 150: until then nothing may come from here, and servers
    // (pyftpdlib among them) drop a data connection that speaks first.
    if (m_tlsHost.isEmpty() || !m_sendStarted || m_data->State() != wsConnected || m_connecting
        || m_data->TlsStarted())
        return;
    m_data->OnTlsDone
        = [this](TCustomAsyncSocket *, quint16 error) { run([this, error] { tlsDone(error); }); };
    m_data->StartTls(m_tlsHost, m_tlsSession);
}

void FtpDataConnection::tlsDone(quint16 error)
{
    if (error == 0)
        return;
    const QString reason = m_data->TlsError();
    sendFailed(error, QStringLiteral("! Data connection: %1").arg(reason),
        QStringLiteral("426 Data connection: %1").arg(reason));
}

void FtpDataConnection::closeWhenSent()
{
    // A handshake still running is waited for, so that the server gets the close notify that
    // tells it the file is complete.
    if (m_data->State() == wsConnected && m_data->BufferedCount() == 0
        && (!m_data->TlsStarted() || m_data->TlsRunning()))
        m_data->Close();
}

void FtpDataConnection::beginTransfer(bool receiving)
{
    m_file.close();
    m_byteCount = 0;
    m_receiving = receiving;
    m_sendStarted = false;
    // A listing sends nothing: the server's close ends it.
    m_exhausted = receiving;
}

bool FtpDataConnection::openFile(const QString &path, TFtpShareMode mode)
{
    m_filePath = path;
    return m_file.open(path, mode);
}

void FtpDataConnection::startSending()
{
    m_sendStarted = true;
    startTls();
    sendPieces(0);
}

void FtpDataConnection::received()
{
    char discarded[DiscardSize];
    const int count = m_data->Receive(discarded, DiscardSize);
    if (count > 0 && m_receiving)
        m_byteCount += count;
}

void FtpDataConnection::sendPieces(quint16 error)
{
    // The next piece follows in this handler while the connection takes the pieces at once,
    // within a budget; otherwise the next data-sent event goes on.
    const QPointer<FtpDataConnection> self(this);
    SendBudget budget;
    while (sendPiece(error) && !self.isNull() && budget.spend(PieceSize) && m_data->CanSendAtOnce())
        error = 0;
}

bool FtpDataConnection::sendPiece(quint16 error)
{
    if (!m_file.isOpen())
        return false;
    // Sending waits for both the server's 125 or 150 (which starts it) and the connection;
    // each progress value is reported once, for the piece that can be sent.
    if (error == 0 && (!m_sendStarted || m_data->State() != wsConnected))
        return false;
    if (error == 0 && m_exhausted) {
        // RFC 959, section 3.4: in stream mode the end of the file is the close, once the
        // last bytes have gone.
        closeWhenSent();
        return false;
    }
    bool abort = false;
    const QPointer<FtpDataConnection> self(this);
    if (onProgress)
        onProgress(m_byteCount, abort);
    if (self.isNull() || !m_file.isOpen())
        return false;
    if (abort) {
        sendFailed(TransferFailed, QStringLiteral("! Abort requested"),
            QStringLiteral("426 Transfer aborted by application"));
        return false;
    }
    if (error != 0) {
        sendFailed(error, QStringLiteral("! Error #%1 sending data").arg(error),
            FtpTexts::socketErrorLine(error));
        return false;
    }
    // The progress handler may have ended the transfer some other way.
    if (m_exhausted || m_data->State() != wsConnected)
        return false;
    char piece[PieceSize];
    const qint64 read = m_file.read(piece, PieceSize);
    if (read < 0) {
        sendFailed(TransferFailed, QStringLiteral("! Error reading file"),
            QStringLiteral("426 Error reading local file ") + m_filePath);
        return false;
    }
    if (read == 0) {
        m_exhausted = true;
        // What waits for a full batch goes now; the close follows once it has gone.
        m_data->SetCorked(false);
        closeWhenSent();
        return false;
    }
    m_byteCount += read;
    m_data->Send(piece, static_cast<int>(read));
    return true;
}

void FtpDataConnection::sendFailed(int error, const QString &display, const QString &message)
{
    this->display(display);
    if (onSendFailed)
        onSendFailed(error, message);
}

void FtpDataConnection::closeListener()
{
    if (m_listener->State() != wsClosed)
        m_listener->Close();
}

void FtpDataConnection::closeAll()
{
    detach(m_listener);
    detach(m_data);
    // The connection made next, at PORT or EPSV, belongs to a transfer whose 125 or 150 has
    // not come yet: nothing, not even a TLS hello, may go on it before.
    m_sendStarted = false;
    m_connecting = false;
    m_connectLimit->stop();
    closeListener();
    cut();
}

void FtpDataConnection::cut()
{
    // A data connection still open here carries a file not sent to its end. RFC 959, section
    // 3.4: in stream mode its close would end the file, and the server would keep the part
    // sent in place of the old file; a reset tells it that the transfer failed.
    if (m_data->State() == wsClosed)
        return;
    if (m_data->State() == wsConnected)
        display(QStringLiteral("! Transfer cut: data connection reset"));
    m_data->CloseWithReset();
}

void FtpDataConnection::run(const std::function<void()> &handler)
{
    if (guard)
        guard(handler);
    else
        handler();
}

void FtpDataConnection::display(const QString &line)
{
    if (onDisplay)
        onDisplay(line);
}
