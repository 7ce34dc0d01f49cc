#include "ftpexception.h"
#include "injectedfault.h"
#include "loopbackpeer.h"
#include "scriptedftpserver.h"
#include "sendbudget.h"
#include "tftpclient.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <stdexcept>
#include <sys/file.h>
#include <sys/socket.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <utility>

namespace {

using Session = ScriptedFtpServer::Session;
using DataEnd = ScriptedFtpServer::DataEnd;

const QString TransferCut = QStringLiteral("! Transfer cut: data connection reset");

QString kindName(TFtpRequest kind)
{
    static const char *const names[] = {"None", "Connect", "ChangeDir", "PrintDir", "SetType",
        "Put", "Quit", "Open", "User", "Pass", "Port", "List", "Delete", "Rename"};
    return QLatin1String(names[static_cast<int>(kind)]);
}

// Rows of the data-driven tests are shown by their names.
template<typename Row>
requires requires(const Row &row)
{
    row.name;
}
void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

template<typename Call> QString refusalOf(Call &&call)
{
    try {
        call();
    } catch (const FtpException &e) {
        return e.message();
    }
    return QStringLiteral("(not refused)");
}

class FtpClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        configure(ftp);
    }

    // Points a client at the scripted server and records its events.
    void configure(TFtpClient &client)
    {
        client.SetHostName(QStringLiteral("127.0.0.1"));
        client.SetPort(QString::number(server.port()));
        client.SetUserName(QStringLiteral("user"));
        client.SetPassWord(QStringLiteral("secret"));
        client.SetTimeout(10);
        // These cases are about FTP itself; the TLS cases ask for it.
        client.SetSecurity(TFtpSecurity::None);
        client.OnRequestDone = [this](TCustomFtpClient *, TFtpRequest kind, quint16 error) {
            done << QStringLiteral("%1 %2").arg(kindName(kind)).arg(error);
        };
        client.OnDisplay = [this](TCustomFtpClient *, const QString &line) { display << line; };
        client.OnProgress = [this](TCustomFtpClient *, qint64 count, bool &abort) {
            progress << count;
            abort = abortAt >= 0 && count >= abortAt;
        };
    }

    void connect()
    {
        server.start();
        ASSERT_TRUE(ftp.Connect()) << ftp.ErrorMessage().toStdString();
        done.clear();
    }

    QString file(const QString &name, const QByteArray &content)
    {
        const QString path = dir.filePath(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
        return path;
    }

    bool put(const QString &path)
    {
        ftp.SetLocalFileName(path);
        ftp.SetHostFileName(QFileInfo(path).fileName());
        return ftp.Put();
    }

    // Raises what the event loop still holds.
    static void settle()
    {
        for (int pass = 0; pass < 3; ++pass)
            QCoreApplication::processEvents();
    }

    ScriptedFtpServer server;
    QTemporaryDir dir;
    TFtpClient ftp;
    QStringList done;
    QStringList display;
    QList<qint64> progress;
    qint64 abortAt = -1;
};

TEST_F(FtpClient, LogsInWorksAndQuitsThroughEveryState)
{
    std::vector<TFtpState> states;
    ftp.OnStateChange = [&states](TCustomFtpClient *sender) { states.push_back(sender->State()); };
    server.start();
    ASSERT_TRUE(ftp.Connect());
    EXPECT_EQ(done, QStringList {QStringLiteral("Connect 0")});
    using S = TFtpState;
    EXPECT_EQ(states,
        std::vector<S>({S::LookingUpHost, S::WaitingForBanner, S::Connected, S::ReadyBetweenSteps,
            S::WaitingForReply, S::ReadyBetweenSteps, S::WaitingForReply, S::ReadyBetweenSteps,
            S::WaitingForReply, S::ReadyBetweenSteps, S::Ready}));
    EXPECT_TRUE(ftp.PrintDir());
    EXPECT_EQ(ftp.DirResult(), QStringLiteral("/home/\"q\""));
    EXPECT_TRUE(ftp.SetType());
    states.clear();
    EXPECT_TRUE(ftp.Quit());
    EXPECT_EQ(states,
        std::vector<S>({S::WaitingForReply, S::NotConnected, S::ReadyBetweenSteps, S::Ready}));
    EXPECT_FALSE(ftp.IsConnected());
    server.join();
    EXPECT_EQ(server.commands(),
        QList<QByteArray>({"USER user", "PASS secret", "FEAT", "PWD", "TYPE I", "QUIT"}));
    EXPECT_EQ(done,
        QStringList({QStringLiteral("Connect 0"), QStringLiteral("PrintDir 0"),
            QStringLiteral("SetType 0"), QStringLiteral("Quit 0")}));
    // The password is sent, never displayed.
    EXPECT_TRUE(display.contains(QStringLiteral("> PASS ********")));
    EXPECT_TRUE(display.contains(QStringLiteral("< 230 Logged in")));
}

struct ConnectCase {
    const char *name;
    QByteArray greeting;
    QByteArray userReply; // empty: the server's default
    QByteArray passReply;
    bool hangUp;
    const char *user;
    const char *password;
    int error;
    const char *errorMessage;
    QList<QByteArray> commands; // without the QUIT that ends the test
    bool connected;
};

class ConnectOutcome : public FtpClient, public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(ConnectOutcome, EndsTheConnectRequestOnce)
{
    const ConnectCase &row = GetParam();
    server.greeting = row.greeting;
    server.hangUp = row.hangUp;
    if (!row.userReply.isEmpty())
        server.on("USER", row.userReply);
    if (!row.passReply.isEmpty())
        server.on("PASS", row.passReply);
    ftp.SetUserName(QLatin1String(row.user));
    ftp.SetPassWord(QLatin1String(row.password));
    server.start();

    EXPECT_EQ(ftp.Connect(), row.error == 0);
    EXPECT_EQ(done, QStringList {QStringLiteral("Connect %1").arg(row.error)});
    EXPECT_EQ(ftp.ErrorMessage(), QLatin1String(row.errorMessage));
    EXPECT_EQ(ftp.State(), TFtpState::Ready);
    EXPECT_EQ(ftp.IsConnected(), row.connected);
    if (ftp.IsConnected()) {
        EXPECT_TRUE(ftp.Quit());
    }
    server.join();
    QList<QByteArray> commands = server.commands();
    commands.removeAll("QUIT");
    EXPECT_EQ(commands, row.commands);
}

const QList<QByteArray> Login {"USER user", "PASS secret"};
const QList<QByteArray> LoginAndFeat {"USER user", "PASS secret", "FEAT"};

INSTANTIATE_TEST_SUITE_P(FtpClient, ConnectOutcome,
    ::testing::Values(
        ConnectCase {"MultiLineGreeting", "220-Welcome\r\n220-to the\r\n220 server\r\n", {}, {},
            false, "user", "secret", 0, "", LoginAndFeat, true},
        ConnectCase {"GreetingWithLooseLinesAndAnOverLongLine",
            "220-Hi\r\nno code\r\n 220 indented\r\n220 " + QByteArray(9000, 'x') + "\r\n", {}, {},
            false, "user", "secret", 0, "", LoginAndFeat, true},
        ConnectCase {"UserAnswered230SkipsPass", "220 Hi\r\n", "230 No password needed\r\n", {},
            false, "user", "", 0, "", {"USER user", "FEAT"}, true},
        ConnectCase {"PassRefused", "220 Hi\r\n", {}, "530 Login incorrect.\r\n", false, "user",
            "secret", 530, "530 Login incorrect.", Login, true},
        // RFC 959, section 4.2: 120 tells when the server will be ready; its 220 follows.
        ConnectCase {"ReadyLater", "120 Service ready in 1 minute\r\n220 Ready now\r\n", {}, {},
            false, "user", "secret", 0, "", LoginAndFeat, true},
        ConnectCase {"ReadyLaterSaidTwiceOverSeveralLines",
            "120-Busy\r\n120 Service ready in 1 minute\r\n120 Still busy\r\n220 Ready\r\n", {}, {},
            false, "user", "secret", 0, "", LoginAndFeat, true},
        ConnectCase {"GreetingOtherThan220", "421 Too many users\r\n", {}, {}, false, "user",
            "secret", 421, "421 Too many users", {}, false},
        ConnectCase {"GreetingWithoutReplyCode", "Hello\r\n", {}, {}, false, "user", "secret", 500,
            "Hello", {}, false},
        ConnectCase {"ClosedBeforeGreeting", "", {}, {}, true, "user", "secret", 421,
            "421 Control connection closed", {}, false},
        ConnectCase {"EmptyUserName", "220 Hi\r\n", {}, {}, false, "", "secret", 500,
            "UserName emtpy", {}, true},
        ConnectCase {"EmptyPassword", "220 Hi\r\n", {}, {}, false, "user", "", 500,
            "Password emtpy", {"USER user"}, true}),
    [](const ::testing::TestParamInfo<ConnectCase> &info) { return info.param.name; });

struct FailedConnect {
    const char *name;
    const char *host;
    bool refusedPort;
    int error;
    const char *errorMessage;
    // A failure the system reports before the connection is tried; errno 0 for none.
    InjectedFault::Call failingCall = InjectedFault::Connect;
    int failingErrno = 0;
};

class ConnectFailure : public FtpClient, public ::testing::WithParamInterface<FailedConnect> {};

TEST_P(ConnectFailure, IsReportedAndALaterConnectWorks)
{
    const FailedConnect &row = GetParam();
    const LoopbackPeer::RefusedPort refused;
    ftp.SetHostName(QLatin1String(row.host));
    if (row.refusedPort)
        ftp.SetPort(QString::number(refused.port()));
    std::optional<InjectedFault> fault;
    if (row.failingErrno != 0)
        fault.emplace(row.failingCall, row.failingErrno, SO_KEEPALIVE);

    EXPECT_FALSE(ftp.Connect());
    EXPECT_EQ(done, QStringList {QStringLiteral("Connect %1").arg(row.error)});
    EXPECT_EQ(ftp.ErrorMessage(), QLatin1String(row.errorMessage));
    EXPECT_EQ(ftp.State(), TFtpState::Ready);
    EXPECT_FALSE(ftp.IsConnected());
    if (fault) {
        EXPECT_TRUE(fault->struck());
        EXPECT_FALSE(fault->handleStillOpen());
        fault.reset();
    }

    ftp.SetHostName(QStringLiteral("127.0.0.1"));
    ftp.SetPort(QString::number(server.port()));
    connect();
    EXPECT_TRUE(ftp.Quit());
}

INSTANTIATE_TEST_SUITE_P(FtpClient, ConnectFailure,
    ::testing::Values(
        FailedConnect {"EmptyHostName", "", false, 10022, "DNS lookup: invalid host name."},
        FailedConnect {"UnknownHost", "nosuchhost.invalid", false, 11001,
            "500 Host not found (Winsock error #11001)"},
        FailedConnect {"RefusedConnection", "127.0.0.1", true, 10061,
            "500 Connection refused (Winsock error #10061)"},
        // Refused by the system at once: a firewall rule, an address gone, a network down.
        FailedConnect {"ConnectNotPermitted", "127.0.0.1", false, 10013,
            "500 Permission denied (Winsock error #10013)", InjectedFault::Connect, EPERM},
        FailedConnect {"ConnectAccessDenied", "127.0.0.1", false, 10013,
            "500 Permission denied (Winsock error #10013)", InjectedFault::Connect, EACCES},
        FailedConnect {"LocalAddressNotAvailable", "127.0.0.1", false, 10049,
            "500 Address not available (Winsock error #10049)", InjectedFault::Connect,
            EADDRNOTAVAIL},
        FailedConnect {"NetworkDown", "127.0.0.1", false, 10050,
            "500 Network is down (Winsock error #10050)", InjectedFault::Connect, ENETDOWN},
        FailedConnect {"SocketOptionFails", "127.0.0.1", false, 10055,
            "500 No buffer space available (Winsock error #10055)", InjectedFault::SetSockOpt,
            ENOBUFS}),
    [](const ::testing::TestParamInfo<FailedConnect> &info) { return info.param.name; });

TEST_F(FtpClient, ServerThatNeverGreetsRunsIntoTheTimeout)
{
    server.greeting.clear();
    server.start();
    ftp.SetTimeout(1);
    EXPECT_FALSE(ftp.Connect());
    EXPECT_EQ(ftp.ErrorMessage(), QStringLiteral("426 Timeout"));
    EXPECT_EQ(ftp.StatusCode(), 426);
    EXPECT_FALSE(ftp.IsConnected());
    // The event comes at the next processing of events, not before the call returns.
    EXPECT_TRUE(done.isEmpty());
    settle();
    EXPECT_EQ(done, QStringList {QStringLiteral("Connect 426")});
    EXPECT_EQ(ftp.State(), TFtpState::Ready);
}

struct NeverReady {
    const char *name;
    bool endless; // 120 lines until the client goes, else one and then silence
};

class NeverReadyServer : public FtpClient, public ::testing::WithParamInterface<NeverReady> {};

TEST_P(NeverReadyServer, RunsIntoTheTimeoutAndIsConnectedToAgain)
{
    const NeverReady &row = GetParam();
    server.greet = [endless = row.endless](Session &session) {
        const QByteArray line = "120 Service ready in 1 minute\r\n";
        // Bounded as every peer is: by a count, and by the client going away.
        for (int sent = 0; sent < (endless ? 5'000'000 : 1); ++sent) {
            if (!LoopbackPeer::sendAll(session.control, line))
                return;
        }
    };
    int lines = 0;
    ftp.OnDisplay = [&lines](TCustomFtpClient *, const QString &) { ++lines; };
    server.start();
    ftp.SetTimeout(1);
    EXPECT_FALSE(ftp.Connect());
    EXPECT_EQ(ftp.ErrorMessage(), QStringLiteral("426 Timeout"));
    EXPECT_EQ(ftp.LastResponse(), QStringLiteral("120 Service ready in 1 minute"));
    EXPECT_FALSE(ftp.IsConnected());
    EXPECT_GE(lines, 1);
    settle();
    EXPECT_EQ(done, QStringList {QStringLiteral("Connect 426")});
    server.join();
    server.greet = nullptr;
    connect();
    EXPECT_TRUE(ftp.Quit());
}

INSTANTIATE_TEST_SUITE_P(FtpClient, NeverReadyServer,
    ::testing::Values(NeverReady {"OneLineThenSilence", false}, NeverReady {"LinesInALoop", true}),
    [](const ::testing::TestParamInfo<NeverReady> &info) { return info.param.name; });

// Processor time used by the calling thread so far.
qint64 threadCpuMs()
{
    timespec used {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return static_cast<qint64>(used.tv_sec) * 1000 + used.tv_nsec / 1000000;
}

struct TimeoutChange {
    const char *name;
    int atStart; // Timeout as the wait starts; a handler sets 1 while it waits
};

class TimeoutChangedDuringWait : public FtpClient,
                                 public ::testing::WithParamInterface<TimeoutChange> {};

TEST_P(TimeoutChangedDuringWait, IsPickedUpWhileTheWaitSleeps)
{
    server.greeting.clear();
    server.start();
    ftp.SetTimeout(GetParam().atStart);
    QTimer change;
    change.setSingleShot(true);
    QObject::connect(&change, &QTimer::timeout, [this] { ftp.SetTimeout(1); });
    change.start(200);
    // Ends a wait that misses the change, so that the test fails instead of hanging.
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, [this] { ftp.Abort(); });
    stop.start(LoopbackPeer::TimeoutMs / 2);
    QElapsedTimer clock;
    clock.start();
    const qint64 cpuAtStart = threadCpuMs();

    EXPECT_FALSE(ftp.Connect());
    EXPECT_EQ(ftp.ErrorMessage(), QStringLiteral("426 Timeout"));
    // A wait sleeps in the event loop; one that spins uses the processor all the time.
    EXPECT_LT(threadCpuMs() - cpuAtStart, clock.elapsed() / 2);
    settle();
    EXPECT_EQ(done, QStringList {QStringLiteral("Connect 426")});
}

INSTANTIATE_TEST_SUITE_P(FtpClient, TimeoutChangedDuringWait,
    ::testing::Values(TimeoutChange {"LimitSetDuringAnUnlimitedWait", 0},
        TimeoutChange {"LimitLoweredDuringTheWait", 100}),
    [](const ::testing::TestParamInfo<TimeoutChange> &info) { return info.param.name; });

TEST_F(FtpClient, RefusedStartsThrowAndRaiseNoEvent)
{
    EXPECT_EQ(refusalOf([&] { ftp.ChangeDirAsync(); }), QStringLiteral("HostDirName emtpy"));
    ftp.SetHostDirName(QStringLiteral("www"));
    for (const auto start : {&TCustomFtpClient::ChangeDirAsync, &TCustomFtpClient::PrintDirAsync,
             &TCustomFtpClient::SetTypeAsync, &TCustomFtpClient::PutAsync,
             &TCustomFtpClient::QuitAsync, &TCustomFtpClient::UserAsync})
        EXPECT_EQ(
            refusalOf([&] { (ftp.*start)(); }), QStringLiteral("FTP component not connected"));
    EXPECT_FALSE(ftp.ChangeDir());
    ftp.SetHostDirName(QStringLiteral("a\r\nDELE b"));
    EXPECT_EQ(
        refusalOf([&] { ftp.ChangeDirAsync(); }), QStringLiteral("HostDirName holds a line break"));

    connect();
    EXPECT_EQ(
        refusalOf([&] { ftp.ConnectAsync(); }), QStringLiteral("FTP component already connected"));
    ftp.PrintDirAsync();
    EXPECT_EQ(refusalOf([&] { ftp.SetTypeAsync(); }), QStringLiteral("FTP component not ready"));
    EXPECT_FALSE(ftp.SetType());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !done.isEmpty(); }, LoopbackPeer::TimeoutMs));
    settle();
    EXPECT_EQ(done, QStringList {QStringLiteral("PrintDir 0")});
    EXPECT_EQ(ftp.State(), TFtpState::Ready);
}

TEST_F(FtpClient, FailedCommandsEndWithTheirReply)
{
    server.on("CWD", "550 No such directory\r\n");
    server.on("PWD", "hello\r\n");
    server.on("QUIT", [](Session &session, const QByteArray &) {
        session.reply("500 Not now\r\n");
        session.end();
    });
    connect();
    ftp.SetHostDirName(QStringLiteral("missing"));
    EXPECT_FALSE(ftp.ChangeDir());
    EXPECT_EQ(ftp.ErrorMessage(), QStringLiteral("550 No such directory"));
    EXPECT_TRUE(ftp.IsConnected());
    // Single commands keep the first failure's message; a reply without a code is a failure.
    EXPECT_FALSE(ftp.PrintDir());
    EXPECT_EQ(ftp.ErrorMessage(), QStringLiteral("550 No such directory"));
    EXPECT_FALSE(ftp.Quit());
    EXPECT_FALSE(ftp.IsConnected());
    EXPECT_EQ(done,
        QStringList({QStringLiteral("ChangeDir 550"), QStringLiteral("PrintDir 500"),
            QStringLiteral("Quit 500")}));
}

struct FileCommandCase {
    const char *name;
    bool (TFtpClient::*call)();
    void (TCustomFtpClient::*start)();
    const char *command; // as the server sees it
    const char *verb;
    QByteArray reply; // empty: the scripted server's own answer
    int error;
};

class FileCommand : public FtpClient, public ::testing::WithParamInterface<FileCommandCase> {};

// DELE and the rename name HostFileName and end with the reply's code when it is no success.
TEST_P(FileCommand, NamesTheFileAndEndsWithTheReply)
{
    const FileCommandCase &row = GetParam();
    server.setStored("old.html", "old");
    if (!row.reply.isEmpty())
        server.on(row.verb, row.reply);
    connect();
    ftp.SetHostFileName(QStringLiteral("old.html"));
    ftp.SetRenameTarget(QStringLiteral("new.html"));
    EXPECT_EQ((ftp.*row.call)(), row.error == 0) << ftp.ErrorMessage().toStdString();
    const QString kind = kindName(ftp.RequestType());
    EXPECT_EQ(done, QStringList {QStringLiteral("%1 %2").arg(kind).arg(row.error)});
    EXPECT_EQ(ftp.ErrorMessage().isEmpty(), row.error == 0);
    EXPECT_TRUE(ftp.IsConnected());
    ftp.SetHostFileName(QStringLiteral("two\r\nDELE all"));
    EXPECT_EQ(
        refusalOf([&] { (ftp.*row.start)(); }), QStringLiteral("HostFileName holds a line break"));
    ftp.SetHostFileName(QString());
    EXPECT_EQ(refusalOf([&] { (ftp.*row.start)(); }), QStringLiteral("HostFileName empty"));
    EXPECT_TRUE(ftp.Quit());
    server.join();
    EXPECT_TRUE(server.commands().contains(row.command)) << server.commands().join(' ').data();
}

INSTANTIATE_TEST_SUITE_P(FtpClient, FileCommand,
    ::testing::Values(FileCommandCase {"Delete", &TFtpClient::Delete,
                          &TCustomFtpClient::DeleteAsync, "DELE old.html", "DELE", {}, 0},
        FileCommandCase {"DeleteRefused", &TFtpClient::Delete, &TCustomFtpClient::DeleteAsync,
            "DELE old.html", "DELE", "450 Busy\r\n", 450},
        // Both commands at once; a refused RNFR's 503 to RNTO is not left for the next command.
        FileCommandCase {"Rename", &TFtpClient::Rename, &TCustomFtpClient::RenameAsync,
            "RNTO new.html", "RNFR", {}, 0},
        FileCommandCase {"RenameRefused", &TFtpClient::Rename, &TCustomFtpClient::RenameAsync,
            "RNTO new.html", "RNFR", "550 Not allowed\r\n", 550},
        FileCommandCase {"RenameRefusedItsTarget", &TFtpClient::Rename,
            &TCustomFtpClient::RenameAsync, "RNTO new.html", "RNTO", "553 File exists\r\n", 553}),
    [](const ::testing::TestParamInfo<FileCommandCase> &info) { return info.param.name; });

TEST_F(FtpClient, BlockingCallsNestInRequestDoneHandlers)
{
    server.on("CWD", "550 No such directory\r\n");
    server.start();
    ftp.SetHostDirName(QStringLiteral("missing"));
    QList<bool> nested;
    ftp.OnRequestDone = [&](TCustomFtpClient *, TFtpRequest kind, quint16 error) {
        done << QStringLiteral("%1 %2").arg(kindName(kind)).arg(error);
        if (kind == TFtpRequest::Connect && error == 0)
            nested << ftp.ChangeDir();
        else if (error != 0 && ftp.IsConnected())
            nested << ftp.Quit();
    };
    EXPECT_TRUE(ftp.Connect());
    EXPECT_EQ(done,
        QStringList({QStringLiteral("Connect 0"), QStringLiteral("ChangeDir 550"),
            QStringLiteral("Quit 0")}));
    EXPECT_EQ(nested, QList<bool>({true, false}));
    EXPECT_EQ(ftp.ErrorMessage(), QStringLiteral("550 No such directory"));
    EXPECT_FALSE(ftp.IsConnected());
}

class PutSize : public FtpClient, public ::testing::WithParamInterface<int> {};

TEST_P(PutSize, StoresTheFileAndReportsProgressPerKilobyte)
{
    const QByteArray content = patternBytes(0, GetParam());
    ftp.SetTransferMode(TFtpTransferMode::Active);
    connect();
    ASSERT_TRUE(put(file(QStringLiteral("f.bin"), content))) << ftp.ErrorMessage().toStdString();
    EXPECT_EQ(done, QStringList {QStringLiteral("Put 0")});
    QList<qint64> expected;
    for (qint64 count = 0; count < content.size(); count += 1024)
        expected << count;
    expected << content.size();
    // Each value once, in order, though the pieces go out many to a handler.
    EXPECT_EQ(progress, expected);
    EXPECT_TRUE(
        display.filter(QStringLiteral("! %1 bytes received/sent in ").arg(content.size())).size()
        == 1);
    EXPECT_TRUE(ftp.Quit());
    server.join();
    ASSERT_TRUE(server.hasStored("f.bin"));
    EXPECT_TRUE(server.stored("f.bin") == content);
    QList<QByteArray> commands = server.commands();
    ASSERT_EQ(commands.size(), 6);
    EXPECT_TRUE(commands[3].startsWith("PORT 127,0,0,1,")) << commands[3].toStdString();
    EXPECT_EQ(commands[4], "STOR f.bin");
}

INSTANTIATE_TEST_SUITE_P(
    FtpClient, PutSize, ::testing::Values(0, 1, 1024, 5000, 300000, 3 * 1024 * 1024 + 7));

// Which of the server's 150 and its data connection comes first is not fixed by FTP.
struct Order {
    const char *name;
    bool dataFirst;
    bool passive;
};

class StoreOrder : public FtpClient, public ::testing::WithParamInterface<Order> {};

TEST_P(StoreOrder, SendsOnlyOnceBothHaveCome)
{
    const bool dataFirst = GetParam().dataFirst;
    if (GetParam().passive) {
        ftp.SetTransferMode(TFtpTransferMode::Passive);
        server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    }
    server.on("STOR", [dataFirst](Session &session, const QByteArray &name) {
        int data = -1;
        if (dataFirst) {
            data = session.connectData();
            session.replyReady(data, "150 Here we go\r\n");
        } else {
            session.reply("150 Here we go\r\n");
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            data = session.connectData();
        }
        session.store(name, session.receiveData(data));
        session.reply("250 Stored\r\n");
    });
    const QByteArray content = patternBytes(0, 70000);
    connect();
    EXPECT_TRUE(put(file(QStringLiteral("order.bin"), content)));
    EXPECT_TRUE(ftp.Quit());
    server.join();
    EXPECT_TRUE(server.stored("order.bin") == content);
    EXPECT_FALSE(server.dataBeforeReady());
    QList<qint64> expected;
    for (qint64 count = 0; count < content.size(); count += 1024)
        expected << count;
    EXPECT_EQ(progress, expected << content.size());
}

INSTANTIATE_TEST_SUITE_P(FtpClient, StoreOrder,
    ::testing::Values(Order {"DataConnectionFirst", true, false},
        Order {"ReplyFirst", false, false},
        // In passive mode the client connects before STOR: only the 150 may start the file.
        Order {"PassiveDataConnectionFirst", true, true}, Order {"PassiveReplyFirst", false, true}),
    [](const ::testing::TestParamInfo<Order> &info) { return info.param.name; });

struct StoreFault {
    const char *name;
    ScriptedFtpServer::Handler stor;
    int error;
    const char *errorMessage;
    bool connected;
    bool storFailed;            // "! STOR Failed" is displayed
    QList<DataEnd> dataEnds {}; // of the data connections the server read to their end
};

class StoreFailure : public FtpClient, public ::testing::WithParamInterface<StoreFault> {};

TEST_P(StoreFailure, EndsThePutWithItsCause)
{
    const StoreFault &row = GetParam();
    server.on("STOR", row.stor);
    connect();
    // Larger than what the system's buffers on loopback hold, so the file is still being sent
    // when a server that stopped reading answers.
    EXPECT_FALSE(put(file(QStringLiteral("big.bin"), patternBytes(0, 32 * 1024 * 1024))));
    EXPECT_EQ(done, QStringList {QStringLiteral("Put %1").arg(row.error)});
    EXPECT_EQ(ftp.ErrorMessage(), QLatin1String(row.errorMessage));
    EXPECT_EQ(ftp.IsConnected(), row.connected);
    EXPECT_EQ(display.contains(QStringLiteral("! STOR Failed")), row.storFailed);
    EXPECT_EQ(ftp.State(), TFtpState::Ready);
    if (ftp.IsConnected()) {
        EXPECT_TRUE(ftp.Quit());
    }
    server.join();
    EXPECT_EQ(server.dataEnds(), row.dataEnds);
    EXPECT_EQ(display.contains(TransferCut), row.dataEnds.contains(DataEnd::Reset));
}

// Takes the start of the file and closes the data connection.
QByteArray takeSome(Session &session)
{
    session.reply("150 Go\r\n");
    const int data = session.connectData();
    QByteArray some;
    LoopbackPeer::receiveExactly(data, 4096, some);
    ::close(data);
    return some;
}

INSTANTIATE_TEST_SUITE_P(FtpClient, StoreFailure,
    ::testing::Values(StoreFault {"StorRefused",
                          [](Session &s, const QByteArray &) { s.reply("553 Not allowed\r\n"); },
                          553, "553 Not allowed", true, true},
        StoreFault {"FinalReplyFailed",
            [](Session &s, const QByteArray &) {
                s.reply("150 Go\r\n");
                s.receiveData(s.connectData());
                s.reply("451 Disk trouble\r\n");
            },
            451, "451 Disk trouble", true, true, {DataEnd::Closed}},
        StoreFault {"FailedWhileTheFileWasSent",
            [](Session &s, const QByteArray &) {
                s.reply("150 Go\r\n");
                const int data = s.connectData();
                QByteArray some;
                LoopbackPeer::receiveExactly(data, 4096, some);
                s.reply("451 Disk full\r\n");
                s.receiveData(data);
            },
            451, "451 Disk full", true, true, {DataEnd::Reset}},
        StoreFault {"ServerClosedMidTransfer",
            [](Session &s, const QByteArray &) {
                takeSome(s);
                s.end();
            },
            421, "421 Control connection closed", false, false},
        StoreFault {"DataClosedEarlyYetAnswered226",
            [](Session &s, const QByteArray &) {
                takeSome(s);
                s.reply("226 Fine\r\n");
            },
            426, "426 Connection closed; transfer aborted.", true, false}),
    [](const ::testing::TestParamInfo<StoreFault> &info) { return info.param.name; });

struct LocalLock {
    const char *name;
    int heldLock; // flock() taken by "another program", 0 for none; -1: the file is missing
    TFtpShareMode mode;
    bool opens;
    int flockErrno = 0; // flock() fails so, as on file systems without it
};

class LocalFileSharing : public FtpClient, public ::testing::WithParamInterface<LocalLock> {};

TEST_P(LocalFileSharing, DecidesWhetherTheFileCanBeSent)
{
    const LocalLock &row = GetParam();
    const QString path = file(QStringLiteral("shared.txt"), "shared");
    const int other = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    if (row.heldLock > 0)
        ASSERT_EQ(::flock(other, row.heldLock | LOCK_NB), 0);
    else if (row.heldLock < 0)
        QFile::remove(path);
    ftp.SetShareMode(row.mode);
    connect();

    std::optional<InjectedFault> lockFails;
    if (row.flockErrno != 0)
        lockFails.emplace(InjectedFault::Flock, row.flockErrno);
    EXPECT_EQ(put(path), row.opens);
    if (lockFails) {
        EXPECT_TRUE(lockFails->struck());
    }
    ::close(other);
    if (!row.opens) {
        EXPECT_EQ(done, QStringList {QStringLiteral("Put 426")});
        EXPECT_EQ(ftp.ErrorMessage(), QStringLiteral("426 Unable to open local file ") + path);
        EXPECT_TRUE(ftp.IsConnected());
    }
    EXPECT_TRUE(ftp.Quit());
    server.join();
    EXPECT_EQ(server.commands().contains("STOR shared.txt"), row.opens);
}

INSTANTIATE_TEST_SUITE_P(FtpClient, LocalFileSharing,
    ::testing::Values(LocalLock {"Missing", -1, ftpShareDenyNone, false},
        LocalLock {"ExclusiveAgainstExclusive", LOCK_EX, ftpShareExclusive, false},
        LocalLock {"ExclusiveAgainstShared", LOCK_SH, ftpShareExclusive, false},
        LocalLock {"DenyReadAgainstShared", LOCK_SH, ftpShareDenyRead, false},
        LocalLock {"DenyWriteAgainstExclusive", LOCK_EX, ftpShareDenyWrite, false},
        LocalLock {"DenyWriteBesideShared", LOCK_SH, ftpShareDenyWrite, true},
        LocalLock {"DenyNoneBesideExclusive", LOCK_EX, ftpShareDenyNone, true},
        LocalLock {"CompatBesideExclusive", LOCK_EX, ftpShareCompat, true},
        // NFS takes an exclusive flock only on a descriptor open for writing.
        LocalLock {"NfsExclusiveOnReadOnlyDescriptor", 0, ftpShareExclusive, true, EBADF},
        LocalLock {"NoLockManager", 0, ftpShareDenyWrite, true, ENOLCK},
        LocalLock {"FileSystemWithoutFlock", 0, ftpShareDenyRead, true, EOPNOTSUPP},
        LocalLock {"HeldAsFlockSays", 0, ftpShareExclusive, false, EWOULDBLOCK}),
    [](const ::testing::TestParamInfo<LocalLock> &info) { return info.param.name; });

enum class Stop { ProgressAbort, AbortCall, CancelBeforeStor };

class StoppedPut : public FtpClient, public ::testing::WithParamInterface<Stop> {};

TEST_P(StoppedPut, EndsWith426)
{
    const char *message = "";
    switch (GetParam()) {
    case Stop::ProgressAbort:
        abortAt = 2048;
        message = "426 Transfer aborted by application";
        break;
    case Stop::AbortCall:
        ftp.OnProgress = [this](TCustomFtpClient *sender, qint64 count, bool &) {
            if (count >= 2048)
                sender->Abort();
        };
        message = "426 Operation aborted.";
        break;
    case Stop::CancelBeforeStor:
        ftp.OnReadyToTransmit = [](TCustomFtpClient *, bool &cancel) { cancel = true; };
        message = "426 Transmit cancelled by application";
        break;
    }
    connect();
    EXPECT_FALSE(put(file(QStringLiteral("stop.bin"), patternBytes(0, 1024 * 1024))));
    EXPECT_EQ(done, QStringList {QStringLiteral("Put 426")});
    EXPECT_EQ(ftp.ErrorMessage(), QLatin1String(message));
    EXPECT_EQ(ftp.State(), TFtpState::Ready);
    if (ftp.IsConnected()) {
        EXPECT_TRUE(ftp.Quit());
    }
    server.join();
    const bool stored = GetParam() != Stop::CancelBeforeStor;
    EXPECT_EQ(server.commands().contains("STOR stop.bin"), stored);
    EXPECT_FALSE(server.hasStored("stop.bin"));
    // RFC 959, section 3.4: in stream mode a close would end the file; a reset cuts it.
    EXPECT_EQ(server.dataEnds(), stored ? QList<DataEnd> {DataEnd::Reset} : QList<DataEnd> {});
    EXPECT_EQ(display.contains(TransferCut), stored);
}

INSTANTIATE_TEST_SUITE_P(FtpClient, StoppedPut,
    ::testing::Values(Stop::ProgressAbort, Stop::AbortCall, Stop::CancelBeforeStor),
    [](const ::testing::TestParamInfo<Stop> &info) {
        return info.param == Stop::ProgressAbort ? "ProgressAbort"
            : info.param == Stop::AbortCall      ? "AbortCall"
                                                 : "CancelBeforeStor";
    });

enum class Thrower { Progress, RequestDone };

class HandlerException : public FtpClient, public ::testing::WithParamInterface<Thrower> {};

TEST_P(HandlerException, EndsTheBlockingCallWithFalseAndLeavesTheClientReady)
{
    connect();
    if (GetParam() == Thrower::Progress) {
        ftp.OnProgress = [](TCustomFtpClient *, qint64, bool &) {
            throw std::runtime_error("progress failed");
        };
    } else {
        ftp.OnRequestDone = [](TCustomFtpClient *, TFtpRequest, quint16) {
            throw std::runtime_error("handler failed");
        };
    }
    EXPECT_FALSE(put(file(QStringLiteral("x.bin"), patternBytes(0, 5000))));
    EXPECT_EQ(ftp.ErrorMessage(),
        GetParam() == Thrower::Progress ? QStringLiteral("progress failed")
                                        : QStringLiteral("handler failed"));
    EXPECT_EQ(ftp.State(), TFtpState::Ready);
    ftp.OnRequestDone = nullptr;
    EXPECT_TRUE(ftp.Quit());
}

INSTANTIATE_TEST_SUITE_P(FtpClient, HandlerException,
    ::testing::Values(Thrower::Progress, Thrower::RequestDone),
    [](const ::testing::TestParamInfo<Thrower> &info) {
        return info.param == Thrower::Progress ? "InProgress" : "InRequestDone";
    });

// Closing the main window during an upload deletes the client while Put waits.
enum class DeleteFrom { Progress, RequestDone, OtherEvent, NestedProgress };

struct Deletion {
    const char *name;
    DeleteFrom from;
    bool later; // deleteLater() rather than delete
    DataEnd dataEnd;
    bool passive = false;
};

class DeletedDuringPut : public FtpClient, public ::testing::WithParamInterface<Deletion> {};

TEST_P(DeletedDuringPut, EndsTheWaitWithFalseWithoutTouchingTheClient)
{
    const Deletion &row = GetParam();
    server.start();
    auto *client = new TFtpClient;
    configure(*client);
    if (row.passive) {
        server.on("EPSV", &ScriptedFtpServer::offerEpsv);
        client->SetTransferMode(TFtpTransferMode::Passive);
    }
    const QPointer<TFtpClient> alive(client);
    bool removed = false;
    const auto remove = [&removed, &row, client] {
        if (std::exchange(removed, true))
            return;
        if (row.later)
            client->deleteLater();
        else
            delete client;
    };
    QTimer other;
    other.setSingleShot(true);
    QObject::connect(&other, &QTimer::timeout, remove);
    client->OnProgress = [&](TCustomFtpClient *, qint64 count, bool &) {
        if (count < 4096)
            return;
        if (row.from == DeleteFrom::OtherEvent)
            other.start(0);
        else if (row.from != DeleteFrom::RequestDone)
            remove();
    };
    QList<bool> inner;
    client->OnRequestDone = [&](TCustomFtpClient *sender, TFtpRequest kind, quint16 error) {
        done << QStringLiteral("%1 %2").arg(kindName(kind)).arg(error);
        if (kind == TFtpRequest::Connect && row.from == DeleteFrom::NestedProgress)
            inner << static_cast<TFtpClient *>(sender)->Put();
        else if (kind == TFtpRequest::Put && row.from == DeleteFrom::RequestDone)
            remove();
    };
    // Larger than what one handler sends, so a deletion that waits for the event loop still
    // finds the file being sent.
    client->SetLocalFileName(
        file(QStringLiteral("gone.bin"), patternBytes(0, 4 * SendBudget::ByteLimit)));
    client->SetHostFileName(QStringLiteral("gone.bin"));

    if (row.from == DeleteFrom::NestedProgress) {
        EXPECT_FALSE(client->Connect());
        EXPECT_EQ(inner, QList<bool> {false});
    } else {
        ASSERT_TRUE(client->Connect());
        EXPECT_FALSE(client->Put());
    }
    EXPECT_TRUE(alive.isNull());
    settle();
    // A transfer cut short by the deletion must not pass for a whole file.
    server.join();
    EXPECT_EQ(server.dataEnds(), QList<DataEnd> {row.dataEnd});
}

INSTANTIATE_TEST_SUITE_P(FtpClient, DeletedDuringPut,
    ::testing::Values(
        Deletion {"DeleteLaterFromProgress", DeleteFrom::Progress, true, DataEnd::Reset},
        Deletion {"DeleteFromProgress", DeleteFrom::Progress, false, DataEnd::Reset},
        Deletion {"DeleteFromRequestDone", DeleteFrom::RequestDone, false, DataEnd::Closed},
        Deletion {"DeleteFromAnotherObjectsEvent", DeleteFrom::OtherEvent, false, DataEnd::Reset},
        Deletion {"DeleteLaterFromTheProgressOfANestedCall", DeleteFrom::NestedProgress, true,
            DataEnd::Reset},
        Deletion {"PassiveDeleteFromProgress", DeleteFrom::Progress, false, DataEnd::Reset, true},
        Deletion {"PassiveDeleteFromAnotherObjectsEvent", DeleteFrom::OtherEvent, false,
            DataEnd::Reset, true}),
    [](const ::testing::TestParamInfo<Deletion> &info) { return info.param.name; });

TEST_F(FtpClient, PutAfterTheServerClosedIsRefusedWithoutEvent)
{
    server.on("FEAT", [](Session &session, const QByteArray &) {
        session.reply("211 No features\r\n");
        session.end();
    });
    int closed = 0;
    ftp.OnSessionClosed = [&closed](TCustomFtpClient *, quint16) { ++closed; };
    connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ftp.IsConnected(); }, LoopbackPeer::TimeoutMs));
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(refusalOf([&] { ftp.PutAsync(); }), QStringLiteral("FTP component not connected"));
    EXPECT_FALSE(put(file(QStringLiteral("late.txt"), "late")));
    settle();
    EXPECT_TRUE(done.isEmpty()) << done.join(u',').toStdString();
}

TEST_F(FtpClient, DataConnectionFromAnotherAddressIsRefused)
{
    // Still the loopback interface: 127.0.0.2 plays a stranger on the network.
    server.on("STOR", [](Session &session, const QByteArray &name) {
        session.reply("150 Go\r\n");
        const int stranger = session.connectData("127.0.0.2");
        session.store("stranger", stranger >= 0 ? session.receiveData(stranger) : "no connection");
        session.store(name, session.receiveData(session.connectData()));
        session.reply("226 Done\r\n");
    });
    const QByteArray content = patternBytes(0, 10000);
    connect();
    EXPECT_TRUE(put(file(QStringLiteral("mine.bin"), content)));
    EXPECT_TRUE(ftp.Quit());
    server.join();
    EXPECT_EQ(server.stored("stranger"), QByteArray());
    EXPECT_TRUE(server.stored("mine.bin") == content);
    EXPECT_TRUE(display.contains(QStringLiteral("! Data connection from 127.0.0.2 refused")));
}

TEST(FtpPortCommand, NamesLoopbackForALoopbackServerAndTheLocalAddressOtherwise)
{
    const auto address = [](const char *dotted) {
        in_addr a {};
        ::inet_pton(AF_INET, dotted, &a);
        return a;
    };
    EXPECT_EQ(TCustomFtpClient::PortCommand(address("127.0.0.1"), address("127.0.0.5"), 51000),
        QStringLiteral("PORT 127,0,0,1,199,56"));
    EXPECT_EQ(TCustomFtpClient::PortCommand(address("10.1.2.3"), address("192.168.1.20"), 1025),
        QStringLiteral("PORT 192,168,1,20,4,1"));
}

// --- Passive mode, the SIZE check and NLST ---------------------------------------------------

// How the scripted server answers EPSV or PASV.
enum class Offer {
    Refuse,
    RefuseFor4xx,
    Malformed,
    Accepting,
    OtherAddress,
    NobodyListens,
    QueueFull
};

ScriptedFtpServer::Handler offer(Offer how, bool epsv)
{
    return [how, epsv](Session &session, const QByteArray &) {
        quint16 port = 0;
        const LoopbackPeer::RefusedPort refused;
        switch (how) {
        case Offer::Refuse:
            session.reply("502 Not here\r\n");
            return;
        case Offer::RefuseFor4xx:
            session.reply("425 Cannot open passive connection\r\n");
            return;
        case Offer::Malformed:
            session.reply(
                epsv ? "229 Extended Passive Mode (||6446|)\r\n" : "227 Passive Mode\r\n");
            return;
        case Offer::NobodyListens:
            port = refused.port();
            break;
        default:
            port = session.listenPassive(how == Offer::QueueFull);
        }
        // A server behind NAT names its private address; the client must not go there.
        const QByteArray host = how == Offer::OtherAddress ? "10,1,2,3" : "127,0,0,1";
        session.reply(epsv ? "229 Extended Passive Mode (|||" + QByteArray::number(port) + "|)\r\n"
                           : "227 Passive Mode (" + host + "," + QByteArray::number(port / 256)
                    + "," + QByteArray::number(port % 256) + ")\r\n");
    };
}

// The commands that made data connections, in order.
QList<QByteArray> dataWays(const QList<QByteArray> &commands)
{
    QList<QByteArray> ways;
    for (const QByteArray &command : commands) {
        const QByteArray verb = command.left(4);
        if (verb == "EPSV" || verb == "PASV" || verb == "PORT")
            ways << verb;
    }
    return ways;
}

struct PassiveCase {
    const char *name;
    TFtpTransferMode mode;
    Offer epsv;
    Offer pasv;
    int error;              // of both puts
    QList<QByteArray> ways; // of both puts
    bool dataConnectionFailed = false;
};

class TransferModes : public FtpClient, public ::testing::WithParamInterface<PassiveCase> {};

TEST_P(TransferModes, MakeTheDataConnectionTheWayTheModeAndServerAllow)
{
    const PassiveCase &row = GetParam();
    server.on("EPSV", offer(row.epsv, true));
    server.on("PASV", offer(row.pasv, false));
    ftp.SetTransferMode(row.mode);
    ftp.SetPassiveConnectTimeout(500);
    const QByteArray content = patternBytes(0, 70000);
    connect();
    for (const QString &name : {QStringLiteral("one.bin"), QStringLiteral("two.bin")}) {
        EXPECT_EQ(put(file(name, content)), row.error == 0) << ftp.ErrorMessage().toStdString();
        EXPECT_EQ(ftp.DataConnectionFailed(), row.dataConnectionFailed);
    }
    EXPECT_EQ(done,
        QStringList(
            {QStringLiteral("Put %1").arg(row.error), QStringLiteral("Put %1").arg(row.error)}));
    EXPECT_TRUE(ftp.Quit());
    server.join();
    EXPECT_EQ(dataWays(server.commands()), row.ways);
    EXPECT_EQ(server.hasStored("two.bin"), row.error == 0);
    if (row.error == 0) {
        EXPECT_TRUE(server.stored("one.bin") == content);
        EXPECT_TRUE(server.stored("two.bin") == content);
    }
    // The display shows the commands and their replies.
    EXPECT_FALSE(display.filter(QStringLiteral("> ") + QLatin1String(row.ways.first())).isEmpty());
}

const QList<QByteArray> Epsv {"EPSV"};

INSTANTIATE_TEST_SUITE_P(FtpClient, TransferModes,
    ::testing::Values(PassiveCase {"EpsvAccepted", TFtpTransferMode::Auto, Offer::Accepting,
                          Offer::Refuse, 0, {"EPSV", "EPSV"}},
        PassiveCase {"EpsvRefusedThenPasv", TFtpTransferMode::Auto, Offer::Refuse, Offer::Accepting,
            0, {"EPSV", "PASV", "EPSV", "PASV"}},
        // Once passive mode failed, the session goes on in active mode.
        PassiveCase {"BothRefusedThenPort", TFtpTransferMode::Auto, Offer::Refuse, Offer::Refuse, 0,
            {"EPSV", "PASV", "PORT", "PORT"}},
        PassiveCase {"PassiveWithBothRefusedFails", TFtpTransferMode::Passive, Offer::Refuse,
            Offer::Refuse, 502, {"EPSV", "PASV", "EPSV", "PASV"}, true},
        PassiveCase {"ActiveNeverAsksForPassive", TFtpTransferMode::Active, Offer::Accepting,
            Offer::Accepting, 0, {"PORT", "PORT"}},
        PassiveCase {"PasvNamingAnotherAddress", TFtpTransferMode::Passive, Offer::Refuse,
            Offer::OtherAddress, 0, {"EPSV", "PASV", "EPSV", "PASV"}},
        PassiveCase {"PassivePortRefusedThenPort", TFtpTransferMode::Auto, Offer::NobodyListens,
            Offer::Accepting, 0, {"EPSV", "PORT", "PORT"}},
        PassiveCase {"PassivePortRefused", TFtpTransferMode::Passive, Offer::NobodyListens,
            Offer::Accepting, 10061, {"EPSV", "EPSV"}, true},
        PassiveCase {"PassivePortNeverAcceptsThenPort", TFtpTransferMode::Auto, Offer::QueueFull,
            Offer::Accepting, 0, {"EPSV", "PORT", "PORT"}},
        PassiveCase {"PassivePortNeverAccepts", TFtpTransferMode::Passive, Offer::QueueFull,
            Offer::Accepting, 10060, {"EPSV", "EPSV"}, true},
        // Any refusal of a passive command, not only a 5xx, moves on to the next way.
        PassiveCase {"EpsvRefusedFor4xxThenPasv", TFtpTransferMode::Auto, Offer::RefuseFor4xx,
            Offer::Accepting, 0, {"EPSV", "PASV", "EPSV", "PASV"}},
        PassiveCase {"BothRefusedFor4xxThenPort", TFtpTransferMode::Auto, Offer::RefuseFor4xx,
            Offer::RefuseFor4xx, 0, {"EPSV", "PASV", "PORT", "PORT"}},
        PassiveCase {"EpsvMalformedThenPasv", TFtpTransferMode::Auto, Offer::Malformed,
            Offer::Accepting, 0, {"EPSV", "PASV", "EPSV", "PASV"}},
        PassiveCase {"PasvMalformedThenPort", TFtpTransferMode::Auto, Offer::RefuseFor4xx,
            Offer::Malformed, 0, {"EPSV", "PASV", "PORT", "PORT"}},
        PassiveCase {"PassiveEpsvRefusedFor4xxThenPasv", TFtpTransferMode::Passive,
            Offer::RefuseFor4xx, Offer::Accepting, 0, {"EPSV", "PASV", "EPSV", "PASV"}},
        PassiveCase {"PassiveWithBothRefusedFor4xxFails", TFtpTransferMode::Passive,
            Offer::RefuseFor4xx, Offer::RefuseFor4xx, 425, {"EPSV", "PASV", "EPSV", "PASV"}, true}),
    [](const ::testing::TestParamInfo<PassiveCase> &info) { return info.param.name; });

struct MalformedCase {
    const char *name;
    QByteArray verb;
    QByteArray reply;
};

class MalformedPassiveReply : public FtpClient,
                              public ::testing::WithParamInterface<MalformedCase> {};

// A malformed EPSV reply moves on to PASV, like a refusal; a malformed PASV reply, the last
// passive way, fails the put with its line.
TEST_P(MalformedPassiveReply, MovesOnToPasvOrFailsThePutWithItsLine)
{
    const MalformedCase &row = GetParam();
    const bool epsv = row.verb == "EPSV";
    server.on(row.verb, row.reply + "\r\n");
    if (epsv)
        server.on("PASV", offer(Offer::Accepting, false));
    ftp.SetTransferMode(TFtpTransferMode::Passive);
    connect();
    const QByteArray content = patternBytes(0, 5000);
    EXPECT_EQ(put(file(QStringLiteral("m.bin"), content)), epsv);
    EXPECT_EQ(done, QStringList {QStringLiteral("Put %1").arg(epsv ? 0 : 500)});
    const QString line = QStringLiteral("500 Malformed %1 reply: %2")
                             .arg(QString::fromLatin1(row.verb), QString::fromLatin1(row.reply));
    EXPECT_EQ(ftp.ErrorMessage(), epsv ? QString() : line);
    EXPECT_EQ(ftp.DataConnectionFailed(), !epsv);
    EXPECT_TRUE(ftp.Quit());
    server.join();
    EXPECT_EQ(dataWays(server.commands()), QList<QByteArray>({"EPSV", "PASV"}));
    EXPECT_EQ(server.commands().contains("STOR m.bin"), epsv);
    if (epsv) {
        EXPECT_TRUE(server.stored("m.bin") == content);
    }
}

INSTANTIATE_TEST_SUITE_P(FtpClient, MalformedPassiveReply,
    ::testing::Values(MalformedCase {"EpsvPortZero", "EPSV", "229 Extended (|||0|)"},
        MalformedCase {"EpsvOverflow", "EPSV", "229 Extended (|||4294967297|)"},
        MalformedCase {"EpsvTwoDelimiters", "EPSV", "229 Extended (||6446|)"},
        MalformedCase {"PasvFiveNumbers", "PASV", "227 Passive (127,0,0,1,4)"},
        MalformedCase {"PasvOverflow", "PASV", "227 Passive (127,0,0,1,4,4294967297)"},
        MalformedCase {"PasvNoNumbers", "PASV", "227 Passive Mode"}),
    [](const ::testing::TestParamInfo<MalformedCase> &info) { return info.param.name; });

struct SizeCase {
    const char *name;
    QByteArray feat;
    QByteArray size; // the SIZE reply; "=" the stored size, "+" one byte more
    bool binary;
    int error;
    const char *errorMessage;
    bool sizeAsked;
};

class SizeCheck : public FtpClient, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(SizeCheck, FailsThePutOnlyForAWrongSize)
{
    const SizeCase &row = GetParam();
    server.on("FEAT", row.feat);
    server.on("SIZE", [this, &row](Session &session, const QByteArray &name) {
        const qint64 stored = server.stored(name).size();
        session.reply(row.size == "=" ? "213 " + QByteArray::number(stored) + "\r\n"
                : row.size == "+"     ? "213 " + QByteArray::number(stored + 1) + "\r\n"
                                      : row.size + "\r\n");
    });
    ftp.SetBinary(row.binary);
    connect();
    EXPECT_EQ(put(file(QStringLiteral("s.bin"), patternBytes(0, 3000))), row.error == 0);
    EXPECT_EQ(done, QStringList {QStringLiteral("Put %1").arg(row.error)});
    EXPECT_EQ(ftp.ErrorMessage(), QLatin1String(row.errorMessage));
    EXPECT_TRUE(ftp.Quit());
    server.join();
    EXPECT_EQ(server.commands().contains("SIZE s.bin"), row.sizeAsked);
}

const QByteArray FeatWithSize = "211-Features:\r\n MDTM\r\n size\r\n UTF8\r\n211 End\r\n";

INSTANTIATE_TEST_SUITE_P(FtpClient, SizeCheck,
    ::testing::Values(SizeCase {"SizeMatches", FeatWithSize, "=", true, 0, "", true},
        SizeCase {"SizeWrong", FeatWithSize, "+", true, 550,
            "550 Size check failed: the server has 3001 bytes, 3000 were sent", true},
        SizeCase {"SizeUnreadable", FeatWithSize, "213 lots", true, 550,
            "550 Size check failed: unreadable reply 213 lots", true},
        SizeCase {"SizeRefused", FeatWithSize, "550 Not in this mode", true, 0, "", true},
        SizeCase {"FeatWithoutSize", "211-Features:\r\n MDTM\r\n SIZEX\r\n211 End\r\n", "+", true,
            0, "", false},
        SizeCase {"FeatRefused", "500 Unknown command\r\n", "+", true, 0, "", false},
        SizeCase {"AsciiTransfer", FeatWithSize, "+", false, 0, "", false}),
    [](const ::testing::TestParamInfo<SizeCase> &info) { return info.param.name; });

// --- The control connection going between or inside requests --------------------------------

// The first command of the verb gets first, every later one then.
ScriptedFtpServer::Handler once(ScriptedFtpServer::Handler first, ScriptedFtpServer::Handler then)
{
    auto used = std::make_shared<std::atomic<bool>>(false);
    return [first, then, used](Session &session, const QByteArray &argument) {
        (used->exchange(true) ? then : first)(session, argument);
    };
}

// Replies with lines, then closes the control connection.
ScriptedFtpServer::Handler going(const QByteArray &lines)
{
    return [lines](Session &session, const QByteArray &) {
        session.reply(lines);
        session.end();
    };
}

struct GoingCase {
    const char *name;
    QByteArray verb;
    ScriptedFtpServer::Handler first; // for the first command of the verb
    TFtpTransferMode mode;
    int error; // of the first put
    const char *errorMessage;
    QList<QByteArray> ways; // the data commands of the first session
};

class ControlConnectionGoing : public FtpClient, public ::testing::WithParamInterface<GoingCase> {
protected:
    // RFC 3659, section 4: the size of the file as the server stored it.
    ScriptedFtpServer::Handler sizeOfStored()
    {
        return [this](Session &session, const QByteArray &name) {
            session.reply("213 " + QByteArray::number(server.stored(name).size()) + "\r\n");
        };
    }
};

TEST_P(ControlConnectionGoing, FailsTheRequestAndAFreshConnectStoresTheNextFile)
{
    const GoingCase &row = GetParam();
    server.on("FEAT", FeatWithSize);
    const QHash<QByteArray, ScriptedFtpServer::Handler> usual {{"SIZE", sizeOfStored()},
        {"EPSV", &ScriptedFtpServer::offerEpsv}, {"STOR", &ScriptedFtpServer::storeFile}};
    for (auto handler = usual.begin(); handler != usual.end(); ++handler)
        server.on(handler.key(), handler.value());
    server.on(row.verb, once(row.first, usual.value(row.verb)));
    ftp.SetTransferMode(row.mode);
    const QByteArray first = patternBytes(0, 3000);
    const QByteArray second = patternBytes(7, 5000);
    connect();

    EXPECT_EQ(put(file(QStringLiteral("first.bin"), first)), row.error == 0);
    EXPECT_EQ(done, QStringList {QStringLiteral("Put %1").arg(row.error)});
    EXPECT_EQ(ftp.ErrorMessage(), QLatin1String(row.errorMessage));
    if (row.error == 0) {
        // The server closed between two requests.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !ftp.IsConnected(); }, LoopbackPeer::TimeoutMs));
    } else {
        // Gone at once: nothing more is sent on it, and a new connection may start.
        EXPECT_FALSE(ftp.IsConnected());
        EXPECT_EQ(ftp.State(), TFtpState::Ready);
    }
    server.join();
    EXPECT_EQ(dataWays(server.commands()), row.ways);

    server.start();
    ASSERT_TRUE(ftp.Connect()) << ftp.ErrorMessage().toStdString();
    EXPECT_TRUE(put(file(QStringLiteral("second.bin"), second)))
        << ftp.ErrorMessage().toStdString();
    EXPECT_TRUE(ftp.Quit());
    server.join();
    EXPECT_TRUE(server.stored("second.bin") == second);
}

INSTANTIATE_TEST_SUITE_P(FtpClient, ControlConnectionGoing,
    ::testing::Values(GoingCase {"IdleTimeoutToSize", "SIZE", going("421 Idle timeout\r\n"),
                          TFtpTransferMode::Active, 421, "421 Idle timeout", {"PORT"}},
        GoingCase {"IdleTimeoutToStor", "STOR", going("421 Idle timeout\r\n"),
            TFtpTransferMode::Active, 421, "421 Idle timeout", {"PORT"}},
        // Not a refusal of passive mode: no other way is tried on a connection that is going.
        GoingCase {"IdleTimeoutToEpsv", "EPSV", going("421 Idle timeout\r\n"),
            TFtpTransferMode::Auto, 421, "421 Idle timeout", {"EPSV"}},
        GoingCase {"ShuttingDownInSeveralLines", "STOR",
            going("421-Shutting down\r\n421 Service not available\r\n"), TFtpTransferMode::Passive,
            421, "421 Service not available", {"EPSV"}},
        GoingCase {"ClosedWithoutAReply", "SIZE", going(""), TFtpTransferMode::Active, 421,
            "421 Control connection closed", {"PORT"}},
        GoingCase {"ClosedBetweenRequests", "SIZE",
            [](Session &session, const QByteArray &) {
                session.reply("213 3000\r\n");
                session.end();
            },
            TFtpTransferMode::Active, 0, "", {"PORT"}}),
    [](const ::testing::TestParamInfo<GoingCase> &info) { return info.param.name; });

struct FallbackCase {
    const char *name;
    Offer epsv; // in the first session; the second offers EPSV as it should
    Offer pasv;
    QList<QByteArray> firstWays;
};

class ActiveFallback : public FtpClient, public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(ActiveFallback, LastsForOneSessionOnly)
{
    const FallbackCase &row = GetParam();
    server.on("EPSV", once(offer(row.epsv, true), offer(Offer::Accepting, true)));
    server.on("PASV", offer(row.pasv, false));
    ftp.SetPassiveConnectTimeout(500);
    connect();
    EXPECT_TRUE(put(file(QStringLiteral("one.bin"), "one"))) << ftp.ErrorMessage().toStdString();
    EXPECT_TRUE(ftp.Quit());
    server.join();
    EXPECT_EQ(dataWays(server.commands()), row.firstWays);

    connect();
    EXPECT_TRUE(put(file(QStringLiteral("two.bin"), "two"))) << ftp.ErrorMessage().toStdString();
    EXPECT_TRUE(ftp.Quit());
    server.join();
    EXPECT_EQ(dataWays(server.commands()), row.firstWays + QList<QByteArray> {"EPSV"});
    EXPECT_EQ(server.stored("two.bin"), QByteArray("two"));
}

INSTANTIATE_TEST_SUITE_P(FtpClient, ActiveFallback,
    ::testing::Values(FallbackCase {"AfterBothRefused", Offer::RefuseFor4xx, Offer::RefuseFor4xx,
                          {"EPSV", "PASV", "PORT"}},
        FallbackCase {"AfterThePassivePortRefused", Offer::NobodyListens, Offer::Accepting,
            {"EPSV", "PORT"}}),
    [](const ::testing::TestParamInfo<FallbackCase> &info) { return info.param.name; });

struct ListCase {
    const char *name;
    TFtpTransferMode mode;
    QByteArray reply; // empty: the listing
    int error;
    bool dataConnectionFailed;
};

class ListRequest : public FtpClient, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListRequest, EndsWithTheFinalReply)
{
    const ListCase &row = GetParam();
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    if (!row.reply.isEmpty())
        server.on("NLST", row.reply);
    ftp.SetTransferMode(row.mode);
    connect();
    EXPECT_EQ(ftp.List(), row.error == 0);
    EXPECT_EQ(done, QStringList {QStringLiteral("List %1").arg(row.error)});
    EXPECT_EQ(ftp.DataConnectionFailed(), row.dataConnectionFailed);
    EXPECT_TRUE(ftp.Quit());
    server.join();
    EXPECT_TRUE(server.commands().contains("NLST"));
}

INSTANTIATE_TEST_SUITE_P(FtpClient, ListRequest,
    ::testing::Values(ListCase {"Passive", TFtpTransferMode::Passive, {}, 0, false},
        ListCase {"Active", TFtpTransferMode::Active, {}, 0, false},
        ListCase {"Refused", TFtpTransferMode::Passive, "550 No files\r\n", 550, false},
        ListCase {"NoDataConnection", TFtpTransferMode::Active,
            "425 Cannot open data connection\r\n", 425, true},
        ListCase {"ClosedBeforeData", TFtpTransferMode::Passive,
            "150 Go\r\n426 Connection closed\r\n", 426, true}),
    [](const ::testing::TestParamInfo<ListCase> &info) { return info.param.name; });

struct PassiveStop {
    const char *name;
    TFtpTransferMode mode;
    bool timeout; // else an abort from the progress event
    ScriptedFtpServer::Handler stor;
    const char *errorMessage;
    bool dataConnectionFailed;
};

class StoppedTransfer : public FtpClient, public ::testing::WithParamInterface<PassiveStop> {};

TEST_P(StoppedTransfer, ReportsAsInActiveMode)
{
    const PassiveStop &row = GetParam();
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    if (row.stor)
        server.on("STOR", row.stor);
    ftp.SetTransferMode(row.mode);
    if (row.timeout)
        ftp.SetTimeout(1);
    else
        abortAt = 2048;
    connect();
    EXPECT_FALSE(put(file(QStringLiteral("stop.bin"), patternBytes(0, 1024 * 1024))));
    EXPECT_EQ(ftp.ErrorMessage(), QLatin1String(row.errorMessage));
    EXPECT_EQ(ftp.DataConnectionFailed(), row.dataConnectionFailed);
    settle();
    EXPECT_EQ(done, QStringList {QStringLiteral("Put 426")});
    EXPECT_EQ(ftp.State(), TFtpState::Ready);
    if (ftp.IsConnected()) {
        EXPECT_TRUE(ftp.Quit());
    }
    server.join();
    EXPECT_FALSE(server.hasStored("stop.bin"));
}

// Answers STOR but never opens or reads the data connection, until the client gives up.
void stall(Session &session, const QByteArray &)
{
    session.reply("150 Go\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
}

// Drops the data connection before the transfer, then answers 150 and never more.
void dropAndStall(Session &session, const QByteArray &argument)
{
    ::close(session.openData());
    // The client sees the close before the 150, as it would from a server that refused.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stall(session, argument);
}

INSTANTIATE_TEST_SUITE_P(FtpClient, StoppedTransfer,
    ::testing::Values(PassiveStop {"PassiveAbort", TFtpTransferMode::Passive, false, nullptr,
                          "426 Transfer aborted by application", false},
        // The time runs out, but why the transfer could not go on is known.
        PassiveStop {"PassiveDataConnectionDropped", TFtpTransferMode::Passive, true, dropAndStall,
            "426 Connection closed; transfer aborted.", false},
        PassiveStop {"ActiveDataConnectionDropped", TFtpTransferMode::Active, true, dropAndStall,
            "426 Connection closed; transfer aborted.", false},
        PassiveStop {
            "PassiveTimeout", TFtpTransferMode::Passive, true, stall, "426 Timeout", false},
        // In active mode the server that never connects back is the data connection's failure.
        PassiveStop {"ActiveNeverConnectedBack", TFtpTransferMode::Active, true, stall,
            "426 Timeout", true}),
    [](const ::testing::TestParamInfo<PassiveStop> &info) { return info.param.name; });

} // namespace
