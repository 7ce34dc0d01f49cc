#pragma once

#include "socketmessage.h"
#include "tbuffer.h"
#include "tlsengine.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <netinet/in.h>

class HostLookup;
class QSocketNotifier;
class SocketWindow;

// The states of a socket, in this order.
enum TSocketState {
    wsInvalidState,
    wsOpened, // socket created for a connect
    wsBound,  // bound for a listen
    wsConnecting,
    wsConnected,
    wsAccepting,
    wsListening,
    wsClosed,
};

enum TSocketSendFlags { wsSendNormal, wsSendUrgent };

enum TSocketLingerOnOff {
    wsLingerOff,
    wsLingerOn,
    wsLingerNoSet, // leave the system's setting
};

class TCustomAsyncSocket;

// Events receive the sender and, where shown, a socket error number (0 = success).
using TSessionConnected = std::function<void(TCustomAsyncSocket *sender, quint16 error)>;
using TSessionAvailable = std::function<void(TCustomAsyncSocket *sender, quint16 error)>;
using TSessionClosed = std::function<void(TCustomAsyncSocket *sender, quint16 error)>;
using TDataAvailable = std::function<void(TCustomAsyncSocket *sender, quint16 error)>;
using TDataSent = std::function<void(TCustomAsyncSocket *sender, quint16 error)>;
using TDnsLookupDone = std::function<void(TCustomAsyncSocket *sender, quint16 error)>;
using TChangeState
    = std::function<void(TCustomAsyncSocket *sender, TSocketState oldState, TSocketState newState)>;
using TNotifyEvent = std::function<void(TCustomAsyncSocket *sender)>;
using TTlsDone = std::function<void(TCustomAsyncSocket *sender, quint16 error)>;

// A non-blocking IPv4 TCP socket driven by the event loop of the thread that created it.
// Socket readiness seen by QSocketNotifier is turned into WinSock's notifications (connect,
// read, write, accept, close), posted to a hidden window and raised as events from there.
//
// As in WinSock, a notification is not repeated until the program reacts to it: after a
// data-available event in which nothing was received, the next one comes only after a call
// of Receive; after a session-available event without Accept, the next one only after Accept.
// Write is reported once when connected and again only after a send could not take
// everything; the write notifications of several sends are joined, one waiting at a time. So
// an idle socket costs no processor time.
//
// Failures and refusals are reported through OnError when it is set, otherwise by throwing
// ESocketException. An exception leaving an event raised from the event loop is handed to
// the innermost MessagePump::processMessages().
//
// Do not delete the component from inside one of its own events; use deleteLater().
class TCustomAsyncSocket : public QObject {
    Q_OBJECT

public:
    explicit TCustomAsyncSocket(QObject *owner = nullptr);
    ~TCustomAsyncSocket() override;

    // Remote address for Connect, local address for Listen: dotted IPv4 or a host name, which
    // is resolved at once, blocking. Refused unless closed, like Port and Proto.
    QString Addr() const { return m_addrText; }
    void SetAddr(const QString &addr);
    // Decimal port or service name, looked up for the protocol ("ftp" with "tcp" gives 21).
    QString Port() const { return m_portText; }
    void SetPort(const QString &port);
    // The port Port resolved to, 0 while unresolved.
    quint16 PortNum() const;
    // Protocol name or number; 17 would select datagrams, which are not supported.
    QString Proto() const { return m_protoText; }
    void SetProto(const QString &proto);

    TSocketState State() const { return m_state; }
    // The socket descriptor, -1 while there is none.
    int HSocket() const { return m_handle; }

    // First address found by the last host lookup, and all of them in resolver order.
    QString DnsResult() const { return m_dnsResult; }
    QStringList DnsResultList() const { return m_dnsResultList; }

    // Bytes received since the connection was made.
    qint64 ReadCount() const { return m_readCount; }
    // Bytes waiting to be read, asked from the system; -1 when it cannot tell.
    int RcvdCount() const;
    // The socket error number recorded by the last failing Receive (or GetSockName).
    int LastError() const { return m_lastError; }

    // Kept for the blocking waits of the original component, which are not built here.
    bool MultiThreaded() const { return m_multiThreaded; }
    void SetMultiThreaded(bool value) { m_multiThreaded = value; }
    int FlushTimeout() const { return m_flushTimeout; }
    void SetFlushTimeout(int seconds) { m_flushTimeout = seconds; }

    TSocketSendFlags SendFlags() const { return m_sendFlags; }
    void SetSendFlags(TSocketSendFlags flags);
    TSocketLingerOnOff LingerOnOff() const { return m_lingerOnOff; }
    void SetLingerOnOff(TSocketLingerOnOff value) { m_lingerOnOff = value; }
    int LingerTimeout() const { return m_lingerTimeout; }
    void SetLingerTimeout(int seconds) { m_lingerTimeout = seconds; }

    // Ends with OnDnsLookupDone: before returning for a dotted address, otherwise from the
    // event loop once a resolver thread has answered. An empty name is reported as "DNS
    // lookup: invalid host name." and the lookup still ends, from the event loop, with 10022.
    void DnsLookup(const QString &hostName);
    // Ends a pending lookup with OnDnsLookupDone(10004); nothing when none is pending.
    void CancelDnsLookup();

    // Starts connecting to Addr:Port; ends with OnSessionConnected (a refusal as 10061). A
    // failure before the attempt has begun (EPERM from a firewall rule, a failing socket
    // option) closes the socket again, without OnSessionClosed, and is then reported.
    void Connect();
    // Binds to Addr:Port and listens; each waiting connection raises OnSessionAvailable.
    // Returns 0, or -1 after reporting a failure.
    int Listen();
    // Takes the waiting connection of a listening socket; returns its descriptor or -1.
    int Accept();
    // Takes over a connected descriptor (from Accept), closing the socket held before.
    void Dup(int newHandle);
    // Closes the connection (raising OnSessionClosed once per connection) and returns Addr,
    // Port, Proto and the linger settings to their defaults.
    void Close();
    // Closes like Close(), but with a reset (RST) in place of the normal end of the stream,
    // dropping what is still unsent: the peer learns that the stream was cut, not finished.
    void CloseWithReset();

    // Queues the bytes and hands the system what it takes; never blocks. Always followed by
    // OnDataSent, from the event loop, once the queue is empty; sends made before it comes
    // share it. Returns count (0 for none).
    int Send(const void *data, int count);
    int SendStr(const QByteArray &text);
    // Returns the count read, 0 when the peer has closed the connection, or -1 with the
    // error number in LastError (10035 when nothing is waiting).
    int Receive(void *buffer, int size);

    // The local address and port; returns 0, or -1 with the error number in LastError.
    int GetSockName(sockaddr_in &name, int &nameLength);
    // The remote address and port of a connected socket; returns 0, or -1 with the error
    // number in LastError.
    int GetPeerName(sockaddr_in &name, int &nameLength);
    // Applies LingerOnOff and LingerTimeout to the open socket.
    void SetLingerOption();

    // A corked socket collects small sends and hands them to the system a batch (CorkBatch
    // bytes) at a time, telling it that more follows (MSG_MORE), so a stream written in small
    // pieces costs one system call per batch and goes out in full segments. What is left
    // below a batch goes out from the event loop, before OnDataSent, or when uncorked.
    // Uncorking hands the system everything queued at once. Close returns it to uncorked.
    static constexpr int CorkBatch = 64 * 1024;
    bool Corked() const { return m_corked; }
    void SetCorked(bool corked);
    // Bytes queued and not yet taken by the system.
    qint64 BufferedCount() const { return m_bufferedCount; }
    // True while a send would be taken without waiting for the peer: connected, the system
    // has refused nothing since the queue last emptied, and less than a batch is queued. A
    // writer that sends only while this holds keeps at most about CorkBatch bytes queued.
    bool CanSendAtOnce() const;

    // TLS on a connected socket, as its client: once started, Send encrypts, Receive
    // decrypts and Close sends a close notify before the TCP close; the notifications keep
    // their meaning for the bytes of the application. The handshake ends with OnTlsDone, from
    // the event loop: 0, or TlsHandshakeFailed with the reason in TlsError(). A certificate
    // that is not trusted does not fail it; TlsCertificate() tells. resumeFrom, when given, is
    // offered for resumption. Data sent before the handshake ends waits for it.
    static constexpr int TlsHandshakeFailed = 10053; // WSAECONNABORTED
    void StartTls(const QString &hostName, const TlsSession &resumeFrom = nullptr);
    // TLS started (the handshake may still run), and TLS running after its handshake.
    bool TlsStarted() const { return m_tls != nullptr; }
    bool TlsRunning() const { return m_tls != nullptr && m_tls->running(); }
    QString TlsError() const { return m_tlsError; }
    TlsCertificateInfo TlsCertificate() const;
    // The session, for the next connection to resume; empty without one.
    TlsSession TlsSessionHandle() const;
    bool TlsSessionReused() const { return m_tls != nullptr && m_tls->sessionReused(); }

    TSessionConnected OnSessionConnected;
    TSessionAvailable OnSessionAvailable;
    TSessionClosed OnSessionClosed;
    TDataAvailable OnDataAvailable;
    TDataSent OnDataSent;
    TDnsLookupDone OnDnsLookupDone;
    TChangeState OnChangeState;
    TNotifyEvent OnError;
    TTlsDone OnTlsDone;

private:
    friend class SocketWindow;

    void handleMessage(const SocketMessage &message);
    void handleNotification(const SocketMessage &message);
    void handleLookupDone(const SocketMessage &message);
    void onReadActivated();
    void onWriteActivated();
    void updateNotifiers();
    void post(unsigned notifications, int error,
        SocketMessage::Source source = SocketMessage::Source::None);

    void changeState(TSocketState newState);
    void takeHandle(int handle);
    int releaseHandle();
    void internalClose(bool raiseClosed, quint16 error, bool reset = false);
    void resetSettings();
    void receiveLoop(quint16 error, bool bounded);
    void tryToSend(bool moreFollows = false);
    // Posts the write notification that follows a send, unless one is already on its way.
    void postWrite();
    // Socket options; each returns 0 or the socket error number, reporting nothing.
    int applyLinger();
    int setLinger(bool on, int seconds);
    int setOption(int option, int value);

    // TLS: the bytes OpenSSL made go to the send queue; plain bytes are encrypted, all of
    // them or whole batches only.
    void queueRaw(const char *bytes, int count);
    void queueTlsOutput();
    void encryptPending(bool all);
    void tlsHandshakeStep();
    void tlsFailed(const QString &text);
    void raiseTlsDone(quint16 error);
    int tlsReceive(void *buffer, int size);
    // One recv() of what the system holds: the count, 0 when the peer has closed, or -1 with
    // the error in LastError.
    int receiveFromSystem(void *buffer, int size);
    void sendCloseNotify();
    bool tlsInputWaiting() const { return m_tls != nullptr && m_tls->hasPendingInput(); }

    void socketError(int error, const QString &sockFunc);
    void raiseException(const QString &text, int error = 0);

    SocketWindow *m_window;
    QSocketNotifier *m_readNotifier;
    QSocketNotifier *m_writeNotifier;

    int m_handle = -1;
    quint64 m_serial = 0;
    TSocketState m_state = wsClosed;
    bool m_destroying = false;

    QString m_addrText;
    QString m_portText;
    QString m_protoText;
    QByteArray m_protoName;
    sockaddr_in m_sin {};
    bool m_addrResolved = false;
    bool m_portResolved = false;
    bool m_protoResolved = false;
    int m_proto = 0;
    int m_socketType = 0;

    std::deque<std::unique_ptr<TBuffer>> m_sendQueue;
    qint64 m_bufferedCount = 0;
    bool m_allSent = true;
    bool m_corked = false;
    bool m_closeInvoked = false; // OnSessionClosed raised for this connection

    std::shared_ptr<HostLookup> m_dnsLookup;
    int m_dnsLookupHandle = 0; // 0: no lookup pending
    int m_lastLookupHandle = 0;
    QString m_dnsResult;
    QStringList m_dnsResultList;

    qint64 m_readCount = 0;
    int m_lastError = 0;
    bool m_multiThreaded = false;
    int m_flushTimeout = 60;
    TSocketSendFlags m_sendFlags = wsSendNormal;
    TSocketLingerOnOff m_lingerOnOff = wsLingerOn;
    int m_lingerTimeout = 0;

    // Notifier bookkeeping; each notifier is silent while its message waits to be handled.
    bool m_readBusy = false;
    bool m_writeBusy = false;
    bool m_readPaused = false;   // until Receive is called
    bool m_acceptPaused = false; // until Accept is called
    bool m_writeArmed = false;   // a send could not take everything
    bool m_writePosted = false;  // a write notification posted by a send or Dup is waiting
    bool m_closeSeen = false;
    int m_peerError = 0; // a reset seen by the read notification, returned by Receive

    std::unique_ptr<TlsEngine> m_tls;
    QByteArray m_tlsPlain; // sent by the program, not yet encrypted
    QString m_tlsError;
    bool m_tlsDoneRaised = false;
};
