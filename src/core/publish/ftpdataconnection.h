#pragma once

#include "ftplocalfile.h"
#include "tlsengine.h"

#include <QObject>
#include <QString>

#include <functional>
#include <netinet/in.h>

class QTimer;
class TAsyncSocket;

// The data connection of an FTP session: the data transfer process of RFC 959, section 2.3,
// beside the protocol interpreter that TCustomFtpClient runs on the control connection. It is
// made one of two ways: actively, the server connecting to a port listened on here (PORT), or
// passively, by connecting to the port the server offers (EPSV, PASV). Either way the one
// socket made here carries the bytes of a transfer.
//
// The handlers of socket events run through guard, so that what fails in them fails the
// request in flight.
class FtpDataConnection final : public QObject {
public:
    explicit FtpDataConnection(QObject *owner = nullptr);
    ~FtpDataConnection() override;

    // Active mode: listens on a free port of every local address for a connection from peer
    // and returns the port. Throws ESocketException.
    quint16 listen(const in_addr &peer);
    // The PORT command naming a data port (RFC 959, section 4.1.2): 127.0.0.1 for a server at
    // 127.0.0.1, else the local address of the control connection.
    static QString portCommand(const in_addr &server, const in_addr &local, quint16 port);
    // Passive mode: connects to address:port; ends with onConnected or onConnectFailed, the
    // latter with 10060 when limitMs pass first. Throws ESocketException when the system
    // refuses the attempt at once.
    void connectTo(const in_addr &address, quint16 port, int limitMs);

    // Connections made from now on run TLS as its client, resuming session (RFC 4217,
    // section 10.2); an empty host name turns it off.
    void setTls(const QString &hostName, const TlsSession &session)
    {
        m_tlsHost = hostName;
        m_tlsSession = session;
    }

    TAsyncSocket *socket() const { return m_data; }
    bool isConnected() const;
    bool isConnecting() const { return m_connecting; }
    void closeListener();
    // Cuts an open connection with a reset.
    void cut();
    // Drops the events of both sockets, stops listening or connecting, and cuts; the next
    // connection waits for its own transfer to start.
    void closeAll();
    // Forgets every handler and cuts what is open, for the owner's destructor.
    void release();

    // The file side of a transfer. A store's file is read ahead and sent in pieces of a
    // kilobyte, each reported to onProgress first, for as long as the connection takes them at
    // once within a budget; the rest follows on the connection's next data-sent event. A
    // listing's bytes are counted and dropped.
    void beginTransfer(bool receiving);
    bool openFile(const QString &path, TFtpShareMode mode);
    void closeFile() { m_file.close(); }
    // The server is ready (125 or 150): sending starts.
    void startSending();
    // Nothing (more) to send: a listing, or the whole file has been read.
    bool exhausted() const { return m_exhausted; }
    // Bytes sent by a store, received by a listing.
    qint64 byteCount() const { return m_byteCount; }

    std::function<void(const std::function<void()> &handler)> guard;
    std::function<void(const QString &line)> onDisplay;
    std::function<void()> onConnected;              // a passive connection is up
    std::function<void(int error)> onConnectFailed; // a passive connection is not
    // Before each piece; may delete the owner.
    std::function<void(qint64 count, bool &abort)> onProgress;
    // Sending stopped on this side: the error number and its line.
    std::function<void(int error, const QString &message)> onSendFailed;
    std::function<void(quint16 error)> onClosed;

private:
    void sessionAvailable();
    void passiveConnected(quint16 error);
    void passiveFailed(int error);
    void attach();
    void startTls();
    void tlsDone(quint16 error);
    // Closes once everything has gone, TLS with its close notify.
    void closeWhenSent();
    void received();
    void sendPieces(quint16 error);
    // Sends the next piece; false when none was sent, the transfer has ended or this is gone.
    bool sendPiece(quint16 error);
    void sendFailed(int error, const QString &display, const QString &message);
    void run(const std::function<void()> &handler);
    void display(const QString &line);

    TAsyncSocket *m_listener;
    TAsyncSocket *m_data;
    QTimer *m_connectLimit;
    bool m_connecting = false;
    in_addr m_peer {};
    QString m_tlsHost;
    TlsSession m_tlsSession;

    FtpLocalFile m_file;
    QString m_filePath;
    qint64 m_byteCount = 0;
    bool m_receiving = false;
    bool m_sendStarted = false; // the server's 125 or 150 has been handled
    bool m_exhausted = false;
};
