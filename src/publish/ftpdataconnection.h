#pragma once

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
    // Passive mode: connects to address:port; ends with onConnected or onConnectFailed, the
    // latter with 10060 when limitMs pass first. Throws ESocketException when the system
    // refuses the attempt at once.
    void connectTo(const in_addr &address, quint16 port, int limitMs);

    TAsyncSocket *socket() const { return m_data; }
    bool isConnected() const;
    bool isConnecting() const { return m_connecting; }
    void closeListener();
    // Cuts an open connection with a reset.
    void cut();
    // Drops the events of both sockets, stops listening or connecting, and cuts.
    void closeAll();
    // Forgets every handler and cuts what is open, for the owner's destructor.
    void release();

    std::function<void(const std::function<void()> &handler)> guard;
    std::function<void(const QString &line)> onDisplay;
    std::function<void()> onConnected;              // a passive connection is up
    std::function<void(int error)> onConnectFailed; // a passive connection is not
    std::function<void()> onDataAvailable;
    std::function<void(quint16 error)> onDataSent;
    std::function<void(quint16 error)> onClosed;

private:
    void sessionAvailable();
    void passiveConnected(quint16 error);
    void passiveFailed(int error);
    void attach();
    void run(const std::function<void()> &handler);
    void display(const QString &line);

    TAsyncSocket *m_listener;
    TAsyncSocket *m_data;
    QTimer *m_connectLimit;
    bool m_connecting = false;
    in_addr m_peer {};
};
