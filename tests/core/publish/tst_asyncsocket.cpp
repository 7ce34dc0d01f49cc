#include "esocketexception.h"
#include "injectedfault.h"
#include "loopbackpeer.h"
#include "messagepump.h"
#include "socketlog.h"
#include "tasyncsocket.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int TimeoutMs = SocketLog::TimeoutMs;

// The text a call reports through ESocketException.
template<typename Call> QString reportOf(Call &&call)
{
    try {
        call();
    } catch (const ESocketException &e) {
        return e.message();
    }
    return QStringLiteral("(nothing reported)");
}

void aimAt(TCustomAsyncSocket &socket, quint16 port)
{
    socket.SetAddr(QStringLiteral("127.0.0.1"));
    socket.SetPort(QString::number(port));
}

// Connects with linger off, as the FTP client's data connection does, and waits until the
// connection may be written to.
bool connectForSending(TCustomAsyncSocket &socket, const SocketLog &log, quint16 port)
{
    aimAt(socket, port);
    socket.SetLingerOnOff(wsLingerOff);
    socket.Connect();
    return log.waitFor(QStringLiteral("sent 0"));
}

// A peer script that takes the connection and reads nothing until released (or the deadline).
std::function<int(int)> holdUntil(const std::atomic<bool> &release)
{
    return [&release](int connection) {
        const QDeadlineTimer deadline(LoopbackPeer::TimeoutMs);
        while (!release && !deadline.hasExpired())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return connection;
    };
}

// A peer script that reads until the component closes the connection.
int readUntilClosed(int connection)
{
    LoopbackPeer::receiveUntilClosed(connection);
    return connection;
}

TEST(AsyncSocket, ConnectRaisesEveryStateChangeAndCloseEndsTheSessionAndItsSettings)
{
    LoopbackPeer peer;
    peer.serve(readUntilClosed);
    TAsyncSocket socket;
    SocketLog log(socket, true);
    aimAt(socket, peer.port());
    socket.SetLingerOnOff(wsLingerOff);
    socket.SetLingerTimeout(5);

    socket.Connect();
    // The outcome comes from the event loop, never from inside Connect.
    EXPECT_EQ(log.lines,
        QStringList({QStringLiteral("state wsClosed>wsOpened"),
            QStringLiteral("state wsOpened>wsConnecting")}));
    ASSERT_TRUE(log.waitFor(QStringLiteral("sent 0")));
    // Write is reported once the connection is made, after the connection itself.
    EXPECT_EQ(log.lines.mid(2),
        QStringList({QStringLiteral("state wsConnecting>wsConnected"),
            QStringLiteral("connected 0"), QStringLiteral("sent 0")}));

    log.lines.clear();
    socket.Close();
    socket.Close();
    EXPECT_EQ(log.lines,
        QStringList({QStringLiteral("state wsConnected>wsClosed"), QStringLiteral("closed 0")}));
    EXPECT_EQ(socket.HSocket(), -1);

    EXPECT_EQ(socket.Addr(), QString());
    EXPECT_EQ(socket.PortNum(), 0);
    EXPECT_EQ(socket.Proto(), QStringLiteral("tcp"));
    EXPECT_EQ(socket.LingerOnOff(), wsLingerOn);
    EXPECT_EQ(socket.LingerTimeout(), 0);
    EXPECT_EQ(reportOf([&] { socket.Connect(); }), QStringLiteral("Connect: No Port Specified"));
    socket.SetPort(QString::number(peer.port()));
    EXPECT_EQ(
        reportOf([&] { socket.Connect(); }), QStringLiteral("Connect: No IP Address Specified"));
    EXPECT_EQ(socket.State(), wsClosed);
}

TEST(AsyncSocket, RefusedConnectionReports10061ThroughSessionConnected)
{
    const LoopbackPeer::RefusedPort refused;
    TAsyncSocket socket;
    SocketLog log(socket);
    aimAt(socket, refused.port());

    socket.Connect();
    EXPECT_TRUE(log.lines.isEmpty());
    ASSERT_TRUE(log.waitFor(QStringLiteral("connected 10061")));
    // The failed socket is closed at once, which ends the session.
    EXPECT_EQ(
        log.lines, QStringList({QStringLiteral("connected 10061"), QStringLiteral("closed 0")}));
    EXPECT_EQ(socket.State(), wsClosed);
    EXPECT_EQ(socket.HSocket(), -1);
}

struct ImmediateFailure {
    const char *name;
    InjectedFault::Call call;
    int errnoValue;
    const char *report;
};

void PrintTo(const ImmediateFailure &row, std::ostream *out)
{
    *out << row.name;
}

class ConnectFailingAtOnce : public ::testing::TestWithParam<ImmediateFailure> {};

TEST_P(ConnectFailingAtOnce, IsReportedWithTheSocketClosedAgain)
{
    const ImmediateFailure &row = GetParam();
    LoopbackPeer peer;
    TAsyncSocket socket;
    aimAt(socket, peer.port());
    {
        const InjectedFault fault(row.call, row.errnoValue, SO_KEEPALIVE);
        EXPECT_EQ(reportOf([&] { socket.Connect(); }), QLatin1String(row.report));
        EXPECT_TRUE(fault.struck());
        EXPECT_FALSE(fault.handleStillOpen());
    }
    EXPECT_EQ(socket.State(), wsClosed);
    EXPECT_EQ(socket.HSocket(), -1);

    peer.serve(readUntilClosed);
    SocketLog log(socket);
    aimAt(socket, peer.port());
    socket.Connect();
    EXPECT_TRUE(log.waitFor(QStringLiteral("connected 0")));
}

INSTANTIATE_TEST_SUITE_P(AsyncSocket, ConnectFailingAtOnce,
    ::testing::Values(ImmediateFailure {"Connect", InjectedFault::Connect, EPERM,
                          "Error 10013 in function Connect\r\nPermission denied"},
        ImmediateFailure {"KeepAlive", InjectedFault::SetSockOpt, ENOBUFS,
            "Error 10055 in function setsockopt(SO_KEEPALIVE)\r\nNo buffer space available"}),
    [](const ::testing::TestParamInfo<ImmediateFailure> &info) { return info.param.name; });

class ClosedWithReset : public ::testing::TestWithParam<bool> {};

TEST_P(ClosedWithReset, TellsThePeerTheStreamWasCutNotEnded)
{
    const bool reset = GetParam();
    LoopbackPeer peer;
    std::atomic<bool> peerSawReset = !reset;
    peer.serve([&peerSawReset](int connection) {
        bool wasReset = false;
        LoopbackPeer::receiveUntilClosed(connection, &wasReset);
        peerSawReset = wasReset;
        return connection;
    });
    TAsyncSocket socket;
    SocketLog log(socket);
    ASSERT_TRUE(connectForSending(socket, log, peer.port()));
    socket.SendStr(patternBytes(0, 5000));

    if (reset)
        socket.CloseWithReset();
    else
        socket.Close();
    EXPECT_EQ(log.lines.last(), QStringLiteral("closed 0"));
    EXPECT_EQ(socket.State(), wsClosed);
    peer.join();
    EXPECT_EQ(peerSawReset, reset);
}

INSTANTIATE_TEST_SUITE_P(AsyncSocket, ClosedWithReset, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool> &info) {
        return info.param ? "CloseWithReset" : "Close";
    });

TEST(AsyncSocket, PeerResetReports10054ToReceiveAndSessionClosed)
{
    LoopbackPeer peer;
    peer.serve([](int connection) {
        QByteArray go;
        LoopbackPeer::receiveExactly(connection, 1, go);
        LoopbackPeer::resetAndClose(connection);
        return -1;
    });
    TAsyncSocket socket;
    SocketLog log(socket);
    socket.OnDataAvailable = [&log](TCustomAsyncSocket *sender, quint16) {
        char byte = 0;
        const int n = sender->Receive(&byte, 1);
        log.lines << QStringLiteral("receive %1 %2").arg(n).arg(sender->LastError());
    };
    aimAt(socket, peer.port());
    socket.Connect();
    ASSERT_TRUE(log.waitFor(QStringLiteral("connected 0")));
    socket.SendStr("x");

    ASSERT_TRUE(log.waitFor(QStringLiteral("closed 10054")));
    EXPECT_EQ(log.lines.mid(log.lines.indexOf(QStringLiteral("closed 10054")) - 1),
        QStringList({QStringLiteral("receive -1 10054"), QStringLiteral("closed 10054")}));
    EXPECT_EQ(log.count(QStringLiteral("closed 10054")), 1);
    EXPECT_EQ(socket.State(), wsClosed);
}

// How a data handler reads: a few bytes per event, or everything until the peer's close,
// closing the socket itself on the 0 that follows, as a line reader does.
enum class Reading { SmallPieces, UntilClosedThenClose };

class RemainingData : public ::testing::TestWithParam<Reading> {};

TEST_P(RemainingData, IsDeliveredBeforeSessionClosed)
{
    const QByteArray sent = patternBytes(0, 100000);
    LoopbackPeer peer;
    peer.serve([&sent](int connection) {
        LoopbackPeer::sendAll(connection, sent);
        return connection;
    });
    TAsyncSocket socket;
    SocketLog log(socket);
    QByteArray received;
    qint64 receivedWhenClosed = -1;
    socket.OnSessionClosed = [&](TCustomAsyncSocket *, quint16 error) {
        log.lines << QStringLiteral("closed %1").arg(error);
        receivedWhenClosed = received.size();
    };
    socket.OnDataAvailable = [&](TCustomAsyncSocket *sender, quint16) {
        char buffer[4096];
        if (GetParam() == Reading::SmallPieces) {
            const int n = sender->Receive(buffer, 7);
            if (n > 0)
                received.append(buffer, n);
            return;
        }
        for (;;) {
            const int n = sender->Receive(buffer, sizeof buffer);
            if (n <= 0) {
                if (n == 0)
                    sender->Close();
                return;
            }
            received.append(buffer, n);
        }
    };
    aimAt(socket, peer.port());
    socket.Connect();

    ASSERT_TRUE(log.waitFor(QStringLiteral("closed 0")));
    EXPECT_EQ(receivedWhenClosed, sent.size());
    EXPECT_TRUE(received == sent);
    EXPECT_EQ(socket.ReadCount(), sent.size());
    EXPECT_EQ(log.lines.filter(QStringLiteral("closed")).size(), 1);
    EXPECT_EQ(socket.State(), wsClosed);
}

INSTANTIATE_TEST_SUITE_P(AsyncSocket, RemainingData,
    ::testing::Values(Reading::SmallPieces, Reading::UntilClosedThenClose),
    [](const ::testing::TestParamInfo<Reading> &info) {
        return info.param == Reading::SmallPieces ? "SmallPieces" : "UntilClosedThenClose";
    });

TEST(AsyncSocket, PeerCloseIsReportedThoughNothingReadsTheData)
{
    LoopbackPeer peer;
    peer.serve([](int connection) {
        LoopbackPeer::sendAll(connection, "unread");
        return connection;
    });
    TAsyncSocket socket;
    SocketLog log(socket);
    aimAt(socket, peer.port());
    socket.Connect();
    // The system completes the connection on its own, so the data and the close are both
    // waiting before the component's first notification.
    peer.join();

    ASSERT_TRUE(log.waitFor(QStringLiteral("closed 0")));
    EXPECT_EQ(log.lines,
        QStringList(
            {QStringLiteral("connected 0"), QStringLiteral("sent 0"), QStringLiteral("closed 0")}));
    EXPECT_EQ(socket.State(), wsClosed);
}

// Counts the activations of the socket notifiers that belong to one socket component.
class NotifierActivity final : public QObject {
public:
    explicit NotifierActivity(const QObject &socket)
        : m_socket(socket)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~NotifierActivity() override { QCoreApplication::instance()->removeEventFilter(this); }

    int activations = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::SockAct && watched->parent() == &m_socket)
            ++activations;
        return false;
    }

private:
    const QObject &m_socket;
};

TEST(AsyncSocket, DataSentFollowsACompleteSendFromTheEventLoopAndThenAllIsQuiet)
{
    QByteArray received;
    LoopbackPeer peer;
    peer.serve([&received](int connection) {
        received = LoopbackPeer::receiveUntilClosed(connection);
        return connection;
    });
    TAsyncSocket socket;
    SocketLog log(socket);
    ASSERT_TRUE(connectForSending(socket, log, peer.port()));
    log.lines.clear();

    EXPECT_EQ(socket.SendStr("hello"), 5);
    EXPECT_TRUE(log.lines.isEmpty());
    // With nothing left to send, a write notifier still watching the connected socket would
    // fire on every pass of the event loop.
    NotifierActivity activity(socket);
    ASSERT_TRUE(log.waitFor(QStringLiteral("sent 0")));
    const int activationsUntilSent = activity.activations;
    QTest::qWait(200);
    EXPECT_EQ(log.lines, QStringList({QStringLiteral("sent 0")}));
    EXPECT_EQ(activity.activations, activationsUntilSent);

    socket.Close();
    peer.join();
    EXPECT_EQ(received, QByteArray("hello"));
}

TEST(AsyncSocket, SendsQueueWhatAPeerThatDoesNotReadCannotTake)
{
    const qint64 bigSize = 32 * 1024 * 1024;
    const QByteArray big = patternBytes(0, bigSize);
    const QByteArray tail = patternBytes(bigSize, 1000);
    std::atomic<bool> release {false};
    QByteArray received;
    LoopbackPeer peer;
    peer.serve([&](int connection) {
        holdUntil(release)(connection);
        LoopbackPeer::receiveExactly(connection, bigSize + tail.size(), received);
        return connection;
    });
    TAsyncSocket socket;
    SocketLog log(socket);
    ASSERT_TRUE(connectForSending(socket, log, peer.port()));
    log.lines.clear();

    // Neither call waits for the peer: what the system does not take stays queued, in order.
    EXPECT_EQ(socket.Send(big.constData(), static_cast<int>(big.size())), big.size());
    EXPECT_EQ(socket.SendStr(tail), tail.size());
    QTest::qWait(200);
    EXPECT_TRUE(log.lines.isEmpty()) << log.lines.join(u',').toStdString();

    release = true;
    ASSERT_TRUE(log.waitFor(QStringLiteral("sent 0"), 3 * TimeoutMs));
    peer.join();
    EXPECT_EQ(received.size(), bigSize + tail.size());
    EXPECT_TRUE(received == big + tail);
    socket.Close();
}

struct SharedNotification {
    const char *name;
    bool corked;
    int pieces;
    int pieceSize;
};

class SendsShareOneDataSent : public ::testing::TestWithParam<SharedNotification> {};

// Sends made before the write notification comes are reported together, once; a corked socket
// also sends from there what waits for a full batch.
TEST_P(SendsShareOneDataSent, AndEveryByteArrives)
{
    const SharedNotification row = GetParam();
    QByteArray received;
    LoopbackPeer peer;
    peer.serve([&received](int connection) {
        received = LoopbackPeer::receiveUntilClosed(connection);
        return connection;
    });
    TAsyncSocket socket;
    SocketLog log(socket);
    ASSERT_TRUE(connectForSending(socket, log, peer.port()));
    log.lines.clear();
    socket.SetCorked(row.corked);

    const QByteArray sent = patternBytes(0, qint64 {row.pieces} * row.pieceSize);
    for (int i = 0; i < row.pieces; ++i)
        socket.Send(sent.constData() + qint64 {i} * row.pieceSize, row.pieceSize);
    EXPECT_TRUE(log.lines.isEmpty());
    ASSERT_TRUE(log.waitFor(QStringLiteral("sent 0")));
    QTest::qWait(100);
    EXPECT_EQ(log.lines, QStringList({QStringLiteral("sent 0")}));
    EXPECT_EQ(socket.BufferedCount(), 0);

    socket.Close();
    peer.join();
    EXPECT_TRUE(received == sent);
}

INSTANTIATE_TEST_SUITE_P(AsyncSocket, SendsShareOneDataSent,
    ::testing::Values(SharedNotification {"Uncorked", false, 3, 5},
        SharedNotification {"CorkedBelowABatch", true, 3, 5},
        SharedNotification {"CorkedAcrossBatches", true, 5, 30000}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AsyncSocket, ACorkedSocketQueuesAtMostABatchForAPeerThatDoesNotRead)
{
    constexpr int PieceSize = 1024;
    constexpr qint64 Limit = 64 * 1024 * 1024;
    std::atomic<bool> release {false};
    std::atomic<qint64> expected {0};
    QByteArray received;
    LoopbackPeer peer;
    peer.serve([&](int connection) {
        holdUntil(release)(connection);
        LoopbackPeer::receiveExactly(connection, expected, received);
        return connection;
    });
    TAsyncSocket socket;
    SocketLog log(socket);
    ASSERT_TRUE(connectForSending(socket, log, peer.port()));
    log.lines.clear();
    socket.SetCorked(true);

    // A writer that goes on only while the socket takes its pieces at once.
    const QByteArray all = patternBytes(0, Limit);
    qint64 sent = 0;
    qint64 mostQueued = 0;
    while (socket.CanSendAtOnce() && sent < Limit) {
        socket.Send(all.constData() + sent, PieceSize);
        sent += PieceSize;
        mostQueued = std::max(mostQueued, socket.BufferedCount());
    }
    EXPECT_LT(sent, Limit);
    QTest::qWait(100);
    EXPECT_FALSE(socket.CanSendAtOnce());
    mostQueued = std::max(mostQueued, socket.BufferedCount());
    EXPECT_LE(mostQueued, TCustomAsyncSocket::CorkBatch + PieceSize);
    EXPECT_TRUE(log.lines.isEmpty()) << log.lines.join(u',').toStdString();

    expected = sent;
    release = true;
    ASSERT_TRUE(log.waitFor(QStringLiteral("sent 0"), 3 * TimeoutMs));
    EXPECT_TRUE(socket.CanSendAtOnce());
    peer.join();
    EXPECT_TRUE(received == all.left(sent));
    socket.Close();
}

TEST(AsyncSocket, ListenAcceptAndDupCarryAConnection)
{
    TAsyncSocket server;
    SocketLog serverLog(server, true);
    server.SetAddr(QStringLiteral("127.0.0.1"));
    server.SetPort(QStringLiteral("0"));
    ASSERT_EQ(server.Listen(), 0);
    EXPECT_EQ(serverLog.lines,
        QStringList({QStringLiteral("state wsClosed>wsBound"),
            QStringLiteral("state wsBound>wsListening")}));
    sockaddr_in name {};
    int length = sizeof name;
    ASSERT_EQ(server.GetSockName(name, length), 0);
    EXPECT_EQ(length, static_cast<int>(sizeof name));
    EXPECT_EQ(ntohl(name.sin_addr.s_addr), INADDR_LOOPBACK);
    const quint16 port = ntohs(name.sin_port);
    ASSERT_NE(port, 0);

    const int client = LoopbackPeer::connectTo(port);
    ASSERT_GE(client, 0);
    ASSERT_TRUE(serverLog.waitFor(QStringLiteral("available 0")));
    const int handle = server.Accept();
    ASSERT_GE(handle, 0);

    TAsyncSocket connection;
    SocketLog log(connection, true);
    QByteArray received;
    connection.OnDataAvailable = [&received](TCustomAsyncSocket *sender, quint16) {
        char buffer[64];
        const int n = sender->Receive(buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, n);
    };
    connection.Dup(handle);
    EXPECT_EQ(connection.State(), wsConnected);
    sockaddr_in clientName {};
    socklen_t clientLength = sizeof clientName;
    ASSERT_EQ(::getsockname(client, reinterpret_cast<sockaddr *>(&clientName), &clientLength), 0);
    sockaddr_in peer {};
    int peerLength = sizeof peer;
    ASSERT_EQ(connection.GetPeerName(peer, peerLength), 0);
    EXPECT_EQ(ntohl(peer.sin_addr.s_addr), INADDR_LOOPBACK);
    EXPECT_EQ(peer.sin_port, clientName.sin_port);
    EXPECT_EQ(log.lines, QStringList({QStringLiteral("state wsClosed>wsConnected")}));
    ASSERT_TRUE(log.waitFor(QStringLiteral("sent 0")));

    ASSERT_TRUE(LoopbackPeer::sendAll(client, "ping"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received == "ping"; }, TimeoutMs));
    EXPECT_EQ(connection.ReadCount(), 4);
    EXPECT_EQ(connection.SendStr("pong"), 4);
    QByteArray reply;
    ASSERT_TRUE(LoopbackPeer::receiveExactly(client, 4, reply));
    EXPECT_EQ(reply, QByteArray("pong"));

    ::close(client);
    ASSERT_TRUE(log.waitFor(QStringLiteral("closed 0")));
    EXPECT_EQ(connection.State(), wsClosed);
    server.Close();
    EXPECT_EQ(server.State(), wsClosed);
}

TEST(AsyncSocket, UnreadDataIsReportedAgainOnlyAfterReceive)
{
    std::atomic<bool> release {false};
    LoopbackPeer peer;
    peer.serve([&release](int connection) {
        LoopbackPeer::sendAll(connection, "abc");
        return holdUntil(release)(connection);
    });
    TAsyncSocket socket;
    SocketLog log(socket);
    int reports = 0;
    socket.OnDataAvailable = [&reports](TCustomAsyncSocket *, quint16) { ++reports; };
    aimAt(socket, peer.port());
    socket.Connect();

    ASSERT_TRUE(QTest::qWaitFor([&] { return reports == 1; }, TimeoutMs));
    // A handler that takes nothing is not called again and again on the same bytes.
    QTest::qWait(200);
    EXPECT_EQ(reports, 1);
    char byte = 0;
    EXPECT_EQ(socket.Receive(&byte, 1), 1);
    EXPECT_EQ(byte, 'a');
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports == 2; }, TimeoutMs));
    QTest::qWait(100);
    EXPECT_EQ(reports, 2);
    release = true;
}

TEST(AsyncSocket, WaitingConnectionIsReportedAgainOnlyAfterAccept)
{
    TAsyncSocket server;
    int reports = 0;
    server.OnSessionAvailable = [&reports](TCustomAsyncSocket *, quint16) { ++reports; };
    server.SetAddr(QStringLiteral("127.0.0.1"));
    server.SetPort(QStringLiteral("0"));
    ASSERT_EQ(server.Listen(), 0);
    sockaddr_in name {};
    int length = sizeof name;
    ASSERT_EQ(server.GetSockName(name, length), 0);
    const int first = LoopbackPeer::connectTo(ntohs(name.sin_port));
    const int second = LoopbackPeer::connectTo(ntohs(name.sin_port));
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);

    ASSERT_TRUE(QTest::qWaitFor([&] { return reports == 1; }, TimeoutMs));
    QTest::qWait(200);
    EXPECT_EQ(reports, 1);
    const int accepted = server.Accept();
    ASSERT_GE(accepted, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports == 2; }, TimeoutMs));
    const int acceptedToo = server.Accept();
    EXPECT_GE(acceptedToo, 0);
    for (const int handle : {first, second, accepted, acceptedToo}) {
        if (handle >= 0)
            ::close(handle);
    }
}

struct Property {
    const char *name;
    void (TCustomAsyncSocket::*set)(const QString &);
    QString (TCustomAsyncSocket::*get)() const;
};

void PrintTo(const Property &row, std::ostream *out)
{
    *out << row.name;
}

class PropertyWhileConnected : public ::testing::TestWithParam<Property> {};

TEST_P(PropertyWhileConnected, IsRefusedAndKept)
{
    LoopbackPeer peer;
    peer.serve(readUntilClosed);
    TAsyncSocket socket;
    SocketLog log(socket);
    aimAt(socket, peer.port());
    socket.Connect();
    ASSERT_TRUE(log.waitFor(QStringLiteral("connected 0")));
    const QString before = (socket.*GetParam().get)();

    EXPECT_EQ(reportOf([&] { (socket.*GetParam().set)(QStringLiteral("21")); }),
        QStringLiteral("Cannot change %1 if not closed").arg(QLatin1String(GetParam().name)));
    EXPECT_EQ((socket.*GetParam().get)(), before);
    // With an OnError handler the refusal is that event instead of an exception.
    int errors = 0;
    socket.OnError = [&errors](TCustomAsyncSocket *) { ++errors; };
    (socket.*GetParam().set)(QStringLiteral("21"));
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(socket.State(), wsConnected);
    socket.Close();
}

INSTANTIATE_TEST_SUITE_P(AsyncSocket, PropertyWhileConnected,
    ::testing::Values(Property {"Addr", &TCustomAsyncSocket::SetAddr, &TCustomAsyncSocket::Addr},
        Property {"Port", &TCustomAsyncSocket::SetPort, &TCustomAsyncSocket::Port},
        Property {"Proto", &TCustomAsyncSocket::SetProto, &TCustomAsyncSocket::Proto}),
    [](const ::testing::TestParamInfo<Property> &info) { return info.param.name; });

struct Resolution {
    const char *name;
    void (TCustomAsyncSocket::*set)(const QString &);
    const char *value;
    const char *report; // empty: accepted
    int portNumber;     // for Port rows: the port it resolves to
};

void PrintTo(const Resolution &row, std::ostream *out)
{
    *out << row.name;
}

class PropertyResolution : public ::testing::TestWithParam<Resolution> {};

TEST_P(PropertyResolution, ConvertsOrReports)
{
    const Resolution &row = GetParam();
    TAsyncSocket socket;
    const QString report = reportOf([&] { (socket.*row.set)(QLatin1String(row.value)); });
    EXPECT_EQ(report,
        *row.report != '\0' ? QLatin1String(row.report) : QStringLiteral("(nothing reported)"));
    if (row.set == &TCustomAsyncSocket::SetPort) {
        EXPECT_EQ(socket.PortNum(), row.portNumber);
    }
}

INSTANTIATE_TEST_SUITE_P(AsyncSocket, PropertyResolution,
    ::testing::Values(Resolution {"PortNumber", &TCustomAsyncSocket::SetPort, "2121", "", 2121},
        Resolution {"PortTrimmed", &TCustomAsyncSocket::SetPort, " 8021 ", "", 8021},
        Resolution {"PortServiceName", &TCustomAsyncSocket::SetPort, "ftp", "", 21},
        // Names the program does not know itself come from /etc/services (package netbase).
        Resolution {"PortSystemServiceName", &TCustomAsyncSocket::SetPort, "http", "", 80},
        Resolution {"PortUnknownService", &TCustomAsyncSocket::SetPort, "nosuchservice",
            "SetPort: Cannot convert port 'nosuchservice'", 0},
        Resolution {"PortTooLarge", &TCustomAsyncSocket::SetPort, "70000",
            "SetPort: Cannot convert port '70000'", 0},
        Resolution {"PortDigitsThenText", &TCustomAsyncSocket::SetPort, "21x",
            "SetPort: Cannot convert port '21x'", 0},
        Resolution {"ProtoName", &TCustomAsyncSocket::SetProto, "tcp", "", 0},
        Resolution {"ProtoNumber", &TCustomAsyncSocket::SetProto, "6", "", 0},
        Resolution {"ProtoUnknown", &TCustomAsyncSocket::SetProto, "nosuchproto",
            "SetProto: Cannot convert protocol 'nosuchproto'", 0},
        Resolution {"AddrDotted", &TCustomAsyncSocket::SetAddr, "127.0.0.1", "", 0},
        Resolution {"AddrBroadcast", &TCustomAsyncSocket::SetAddr, "255.255.255.255", "", 0},
        Resolution {"AddrHostName", &TCustomAsyncSocket::SetAddr, "localhost", "", 0},
        // The reserved .invalid domain is answered "not found" at once, without the internet.
        Resolution {"AddrUnknownHost", &TCustomAsyncSocket::SetAddr, "nosuchhost.invalid",
            "SetAddr: Cannot convert host address 'nosuchhost.invalid'", 0}),
    [](const ::testing::TestParamInfo<Resolution> &info) { return info.param.name; });

struct Misuse {
    const char *name;
    std::function<void(TCustomAsyncSocket &)> call;
    const char *report;
};

void PrintTo(const Misuse &row, std::ostream *out)
{
    *out << row.name;
}

class Misuses : public ::testing::TestWithParam<Misuse> {};

TEST_P(Misuses, AreReportedAsExceptionOrOnError)
{
    TAsyncSocket thrower;
    EXPECT_EQ(reportOf([&] { GetParam().call(thrower); }), QLatin1String(GetParam().report));

    TAsyncSocket handled;
    int errors = 0;
    handled.OnError = [&errors](TCustomAsyncSocket *) { ++errors; };
    EXPECT_EQ(reportOf([&] { GetParam().call(handled); }), QStringLiteral("(nothing reported)"));
    EXPECT_EQ(errors, 1);
}

INSTANTIATE_TEST_SUITE_P(AsyncSocket, Misuses,
    ::testing::Values(
        Misuse {"SendWhileClosed", [](TCustomAsyncSocket &s) { EXPECT_EQ(s.SendStr("x"), -1); },
            "Error 10057 in function Send\r\nSocket is not connected"},
        Misuse {"AcceptWhileNotListening", [](TCustomAsyncSocket &s) { EXPECT_EQ(s.Accept(), -1); },
            "Error 10022 in function not a listening socket\r\nInvalid argument"},
        Misuse {"DupOfNoHandle", [](TCustomAsyncSocket &s) { s.Dup(-1); },
            "Error 10022 in function Dup\r\nInvalid argument"},
        Misuse {"ListenWithoutPort", [](TCustomAsyncSocket &s) { EXPECT_EQ(s.Listen(), -1); },
            "Error 10022 in function listen: port not assigned\r\nInvalid argument"},
        Misuse {"ListenWithoutAddress",
            [](TCustomAsyncSocket &s) {
                s.SetPort(QStringLiteral("0"));
                EXPECT_EQ(s.Listen(), -1);
            },
            "Error 10022 in function listen: address not assigned\r\nInvalid argument"},
        Misuse {"ConnectWithoutPort", [](TCustomAsyncSocket &s) { s.Connect(); },
            "Connect: No Port Specified"},
        Misuse {"ConnectWhileListening",
            [](TCustomAsyncSocket &s) {
                s.SetAddr(QStringLiteral("127.0.0.1"));
                s.SetPort(QStringLiteral("0"));
                ASSERT_EQ(s.Listen(), 0);
                s.Connect();
            },
            "Connect: Socket already in use"},
        Misuse {"LingerWithoutSocket", [](TCustomAsyncSocket &s) { s.SetLingerOption(); },
            "Cannot set linger option at this time"},
        Misuse {"InvalidSendFlags",
            [](TCustomAsyncSocket &s) { s.SetSendFlags(static_cast<TSocketSendFlags>(7)); },
            "Invalid SendFlags"}),
    [](const ::testing::TestParamInfo<Misuse> &info) { return info.param.name; });

TEST(AsyncSocket, ReportsCarryTheSocketErrorNumber)
{
    TAsyncSocket socket;
    int error = -1;
    try {
        socket.SendStr("x");
    } catch (const ESocketException &e) {
        error = e.error();
    }
    EXPECT_EQ(error, 10057);
    try {
        socket.Connect();
    } catch (const ESocketException &e) {
        error = e.error();
    }
    EXPECT_EQ(error, 0); // a refusal without a socket error
    sockaddr_in peer {};
    int length = sizeof peer;
    EXPECT_EQ(socket.GetPeerName(peer, length), -1);
    EXPECT_EQ(socket.LastError(), 10038);
}

TEST(AsyncSocket, NotificationsOfAClosedSocketAreDropped)
{
    LoopbackPeer first;
    first.serve(readUntilClosed);
    LoopbackPeer second;
    second.serve(readUntilClosed);
    TAsyncSocket socket;
    SocketLog log(socket);
    aimAt(socket, first.port());
    socket.Connect();
    ASSERT_TRUE(log.waitFor(QStringLiteral("sent 0")));
    log.lines.clear();

    // The write notification posted by this send is still waiting when the socket closes and
    // the next one, likely with the same descriptor number, starts connecting.
    socket.SendStr("x");
    socket.Close();
    aimAt(socket, second.port());
    socket.Connect();
    ASSERT_TRUE(log.waitFor(QStringLiteral("sent 0")));
    QTest::qWait(50);
    EXPECT_EQ(log.lines,
        QStringList(
            {QStringLiteral("closed 0"), QStringLiteral("connected 0"), QStringLiteral("sent 0")}));
    socket.Close();
}

// Runs the event loop through MessagePump, as a blocking wait does, until done() or the
// deadline; returns the text of the exception that came out of it, if any.
template<typename Done> QString pumpUntil(Done &&done)
{
    QTimer wake;
    wake.start(20);
    const QDeadlineTimer deadline(TimeoutMs);
    while (!done() && !deadline.hasExpired()) {
        try {
            MessagePump::processMessages(QEventLoop::WaitForMoreEvents);
        } catch (const std::exception &e) {
            return QString::fromUtf8(e.what());
        }
    }
    return {};
}

TEST(AsyncSocket, AnExceptionFromAnEventHandlerReachesTheWaitingCaller)
{
    LoopbackPeer peer;
    peer.serve(readUntilClosed);
    TAsyncSocket socket;
    socket.OnSessionConnected
        = [](TCustomAsyncSocket *, quint16) { throw std::runtime_error("handler failed"); };
    aimAt(socket, peer.port());
    socket.Connect();

    EXPECT_EQ(pumpUntil([] { return false; }), QStringLiteral("handler failed"));
    EXPECT_EQ(socket.State(), wsConnected);
    socket.Close();
}

TEST(AsyncSocket, AnExceptionFromADataHandlerEndsOnlyTheReceiveLoop)
{
    std::atomic<bool> release {false};
    LoopbackPeer peer;
    peer.serve([&release](int connection) {
        LoopbackPeer::sendAll(connection, "abc");
        return holdUntil(release)(connection);
    });
    TAsyncSocket socket;
    QByteArray received;
    socket.OnDataAvailable = [&received](TCustomAsyncSocket *sender, quint16) {
        char byte = 0;
        if (sender->Receive(&byte, 1) == 1)
            received.append(byte);
        throw std::runtime_error("data handler failed");
    };
    aimAt(socket, peer.port());
    socket.Connect();

    EXPECT_EQ(pumpUntil([&] { return received.size() == 3; }), QString());
    EXPECT_EQ(received, QByteArray("abc"));
    release = true;
}

TEST(AsyncSocket, DestroyingAConnectedSocketRaisesNoEvent)
{
    LoopbackPeer peer;
    peer.serve(readUntilClosed);
    auto socket = std::make_unique<TAsyncSocket>();
    SocketLog log(*socket, true);
    aimAt(*socket, peer.port());
    socket->Connect();
    ASSERT_TRUE(log.waitFor(QStringLiteral("sent 0")));
    socket->SendStr("x");
    log.lines.clear();

    socket.reset();
    QTest::qWait(50);
    EXPECT_TRUE(log.lines.isEmpty()) << log.lines.join(u',').toStdString();
}

} // namespace
