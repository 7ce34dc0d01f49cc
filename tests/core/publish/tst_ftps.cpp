#include "connectiontest.h"
#include "loopbackpeer.h"
#include "pyftpdserver.h"
#include "scriptedftpserver.h"
#include "testcertificates.h"
#include "tftpclient.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

using Session = ScriptedFtpServer::Session;
using DataEnd = ScriptedFtpServer::DataEnd;
using Kind = TestCertificates::Kind;

template<typename Row>
requires requires(const Row &row)
{
    row.name;
}
void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

bool sentInPlain(const ScriptedFtpServer &server, const QByteArray &verb)
{
    for (const QByteArray &line : server.plainCommands())
        if (line.startsWith(verb))
            return true;
    return false;
}

bool sent(const ScriptedFtpServer &server, const QByteArray &verb)
{
    for (const QByteArray &line : server.commands())
        if (line.startsWith(verb))
            return true;
    return false;
}

class Ftps : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(certificates.valid());
        ASSERT_TRUE(dir.isValid());
        ftp.SetHostName(QStringLiteral("127.0.0.1"));
        ftp.SetPort(QString::number(server.port()));
        ftp.SetUserName(QStringLiteral("user"));
        ftp.SetPassWord(QStringLiteral("secret"));
        ftp.SetTimeout(15);
        ftp.OnDisplay = [this](TCustomFtpClient *, const QString &line) { display << line; };
        ftp.OnCertificate = [this](TCustomFtpClient *, const TlsCertificateInfo &info, bool changed,
                                bool &trust) {
            asked << info;
            askedChanged << changed;
            commandsWhenAsked = server.commands();
            trust = answer;
        };
    }

    QString file(const QString &name, qint64 size)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qint64 i = 0; i < size; ++i)
            bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
        const QString path = dir.filePath(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    }

    TestCertificates certificates;
    QTemporaryDir dir;
    ScriptedFtpServer server;
    TFtpClient ftp;
    QStringList display;
    QList<TlsCertificateInfo> asked;
    QList<bool> askedChanged;
    QList<QByteArray> commandsWhenAsked;
    bool answer = false;
};

// --- Uploads over TLS ----------------------------------------------------------------------

struct UploadCase {
    const char *name;
    TFtpSecurity security;
    TFtpTransferMode mode;
};

class FtpsUpload : public Ftps, public ::testing::WithParamInterface<UploadCase> {};

// Takes the data connection made at PORT or EPSV, as pyftpdlib does, and only then answers
// 150: not even the TLS hello may come before that answer.
void storeWhenReady(Session &session, const QByteArray &name)
{
    const int data = session.openData();
    session.replyReady(data, "150 Opening data connection\r\n");
    const int secured = session.secureData(data);
    if (secured < 0) {
        session.reply("425 Cannot open data connection\r\n");
        return;
    }
    session.store(name, session.receiveData(secured));
    session.reply("226 Transfer complete\r\n");
}

TEST_P(FtpsUpload, StoresEachFileOverTlsResumingTheSessionAndEndsWithACloseNotify)
{
    const UploadCase &row = GetParam();
    certificates.trustCa();
    server.certificateFile = certificates.file(Kind::Good);
    server.implicitTls = row.security == TFtpSecurity::Implicit;
    server.requireReuse = true;
    server.connectAtPort = true;
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    server.on("STOR", &storeWhenReady);
    ftp.SetSecurity(row.security);
    ftp.SetTransferMode(row.mode);
    server.start();

    ASSERT_TRUE(ftp.Connect()) << ftp.ErrorMessage().toStdString();
    EXPECT_TRUE(ftp.IsSecure());
    const QList<QPair<QString, qint64>> files {{QStringLiteral("page.bin"), 300007},
        {QStringLiteral("logo.png"), 1025}, {QStringLiteral("empty.txt"), 0},
        {QStringLiteral("page.bin"), 4000}};
    for (const auto &[name, size] : files) {
        const QString path = file(name, size);
        ftp.SetLocalFileName(path);
        ftp.SetHostFileName(name);
        EXPECT_TRUE(ftp.Put()) << name.toStdString() << ": " << ftp.ErrorMessage().toStdString();
        QFile sentFile(path);
        ASSERT_TRUE(sentFile.open(QIODevice::ReadOnly));
        EXPECT_TRUE(server.stored(name.toLatin1()) == sentFile.readAll()) << name.toStdString();
    }
    EXPECT_TRUE(ftp.Quit());
    server.join();

    EXPECT_EQ(server.dataEnds(), QList<DataEnd>(files.size(), DataEnd::Closed));
    EXPECT_EQ(server.dataReused(), QList<bool>(files.size(), true));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(sentInPlain(server, "USER"));
    EXPECT_FALSE(sentInPlain(server, "PASS"));
    EXPECT_EQ(server.plainCommands(),
        row.security == TFtpSecurity::Implicit ? QList<QByteArray> {}
                                               : QList<QByteArray> {"AUTH TLS"});
    EXPECT_FALSE(server.dataBeforeReady());
    EXPECT_TRUE(sent(server, "PBSZ 0"));
    EXPECT_TRUE(sent(server, "PROT P"));
}

INSTANTIATE_TEST_SUITE_P(Ftps, FtpsUpload,
    ::testing::Values(
        UploadCase {"ExplicitPassive", TFtpSecurity::ExplicitRequired, TFtpTransferMode::Passive},
        UploadCase {"ExplicitActive", TFtpSecurity::ExplicitIfAvailable, TFtpTransferMode::Active},
        UploadCase {"ImplicitPassive", TFtpSecurity::Implicit, TFtpTransferMode::Passive},
        UploadCase {"ImplicitActive", TFtpSecurity::Implicit, TFtpTransferMode::Active}),
    [](const ::testing::TestParamInfo<UploadCase> &info) { return info.param.name; });

// The server gives up the data connection in the handshake and never answers again: the put
// fails with why, not with a bare timeout.
TEST_F(Ftps, DataHandshakeCutFailsThePutWithItsReason)
{
    certificates.trustCa();
    server.certificateFile = certificates.file(Kind::Good);
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    server.on("STOR", [](Session &session, const QByteArray &) {
        const int data = session.openData();
        session.replyReady(data, "150 Opening data connection\r\n");
        char hello[64];
        ::recv(data, hello, sizeof hello, 0);
        ::close(data);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    });
    ftp.SetSecurity(TFtpSecurity::ExplicitRequired);
    ftp.SetTransferMode(TFtpTransferMode::Passive);
    server.start();
    ASSERT_TRUE(ftp.Connect()) << ftp.ErrorMessage().toStdString();
    ftp.SetTimeout(1);
    ftp.SetLocalFileName(file(QStringLiteral("cut.bin"), 100000));
    ftp.SetHostFileName(QStringLiteral("cut.bin"));
    EXPECT_FALSE(ftp.Put());
    EXPECT_EQ(ftp.ErrorMessage(),
        QStringLiteral("426 Data connection: Connection closed during the TLS handshake"));
    EXPECT_EQ(ftp.StatusCode(), 426);
    server.join();
    EXPECT_FALSE(server.hasStored("cut.bin"));
}

// --- Certificates --------------------------------------------------------------------------

enum class Known { Nothing, ThisOne, AnotherOne };

struct CertificateCase {
    const char *name;
    Kind served;
    bool caTrusted;
    Known known; // the TrustedFingerprint set before
    bool answer; // of the question, when asked
    bool asked;
    bool changed;
    bool connects;
    const char *reason; // shown in the question, and in the refusal
    const char *host = "127.0.0.1";
};

class FtpsCertificate : public Ftps, public ::testing::WithParamInterface<CertificateCase> {};

TEST_P(FtpsCertificate, IsUsedAskedAboutOrRefusedBeforeTheLogin)
{
    const CertificateCase &row = GetParam();
    if (row.caTrusted)
        certificates.trustCa();
    server.certificateFile = certificates.file(row.served);
    if (row.known == Known::ThisOne)
        ftp.SetTrustedFingerprint(Fingerprints::format(certificates.sha256(row.served)));
    else if (row.known == Known::AnotherOne)
        ftp.SetTrustedFingerprint(
            Fingerprints::format(certificates.sha256(Kind::OtherSelfSigned)).toLower());
    ftp.SetSecurity(TFtpSecurity::ExplicitRequired);
    ftp.SetHostName(QLatin1String(row.host));
    answer = row.answer;
    server.start();

    EXPECT_EQ(ftp.Connect(), row.connects) << ftp.ErrorMessage().toStdString();
    ASSERT_EQ(asked.size(), row.asked ? 1 : 0);
    if (row.asked) {
        const TlsCertificateInfo &info = asked.first();
        EXPECT_EQ(askedChanged.first(), row.changed);
        EXPECT_EQ(info.host, QLatin1String(row.host));
        EXPECT_FALSE(info.systemTrusted);
        EXPECT_EQ(info.reason, QLatin1String(row.reason));
        EXPECT_EQ(info.sha256, certificates.sha256(row.served));
        EXPECT_TRUE(info.notBefore.isValid() && info.notBefore < info.notAfter);
        EXPECT_TRUE(info.subject.startsWith(QStringLiteral("CN=")));
        // Nothing of the login went to the server before the answer.
        EXPECT_EQ(commandsWhenAsked, QList<QByteArray> {"AUTH TLS"});
    }
    if (row.connects) {
        EXPECT_TRUE(ftp.Quit());
    } else {
        EXPECT_EQ(
            ftp.ErrorMessage(), QStringLiteral("Certificate not trusted: %1").arg(row.reason));
        EXPECT_FALSE(sent(server, "USER"));
        EXPECT_FALSE(sent(server, "PASS"));
    }
}

INSTANTIATE_TEST_SUITE_P(Ftps, FtpsCertificate,
    ::testing::Values(CertificateCase {"SystemTrusted", Kind::Good, true, Known::Nothing, false,
                          false, false, true, ""},
        CertificateCase {"SelfSignedRefused", Kind::SelfSigned, false, Known::Nothing, false, true,
            false, false, "self-signed certificate"},
        CertificateCase {"SelfSignedTrusted", Kind::SelfSigned, false, Known::Nothing, true, true,
            false, true, "self-signed certificate"},
        CertificateCase {"FingerprintRemembered", Kind::SelfSigned, false, Known::ThisOne, false,
            false, false, true, ""},
        CertificateCase {"CertificateChanged", Kind::SelfSigned, false, Known::AnotherOne, false,
            true, true, false, "self-signed certificate"},
        CertificateCase {"WrongHostName", Kind::WrongName, true, Known::Nothing, false, true, false,
            false, "host name does not match"},
        CertificateCase {"WrongHostNameByName", Kind::WrongName, true, Known::Nothing, false, true,
            false, false, "host name does not match", "localhost"},
        CertificateCase {"SystemTrustedByName", Kind::Good, true, Known::Nothing, false, false,
            false, true, "", "localhost"},
        CertificateCase {"Expired", Kind::Expired, true, Known::Nothing, false, true, false, false,
            "certificate has expired"},
        CertificateCase {"IssuerUnknown", Kind::Good, false, Known::Nothing, false, true, false,
            false, "issuer is not trusted"},
        // Every problem is named, not only the first.
        CertificateCase {"SelfSignedAndExpired", Kind::SelfSignedExpired, false, Known::Nothing,
            false, true, false, false, "self-signed certificate, certificate has expired"},
        CertificateCase {"SelfSignedAndNotYetValid", Kind::SelfSignedNotYetValid, false,
            Known::Nothing, false, true, false, false,
            "self-signed certificate, certificate is not yet valid", "localhost"},
        CertificateCase {"WrongHostNameAndIssuerUnknown", Kind::WrongName, false, Known::Nothing,
            false, true, false, false, "issuer is not trusted, host name does not match"}),
    [](const ::testing::TestParamInfo<CertificateCase> &info) { return info.param.name; });

// The user may take longer to answer than the blocking call's limit; the answer still counts.
TEST_F(Ftps, AnAnswerSlowerThanTheTimeoutStillConnects)
{
    server.certificateFile = certificates.file(Kind::SelfSigned);
    ftp.SetSecurity(TFtpSecurity::ExplicitRequired);
    ftp.SetTimeout(1);
    ftp.OnCertificate = [](TCustomFtpClient *, const TlsCertificateInfo &, bool, bool &trust) {
        // As a modal dialog would: an event loop of its own until the user answers.
        QEventLoop answering;
        QTimer::singleShot(1500, &answering, &QEventLoop::quit);
        answering.exec();
        trust = true;
    };
    server.start();
    EXPECT_TRUE(ftp.Connect()) << ftp.ErrorMessage().toStdString();
    EXPECT_TRUE(sent(server, "USER"));
    EXPECT_TRUE(ftp.Quit());
}

// --- A server without TLS ------------------------------------------------------------------

struct RefusalCase {
    const char *name;
    TFtpSecurity security;
    bool connects;
};

class FtpsRefused : public Ftps, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(FtpsRefused, FailsWithoutThePasswordOrGoesOnInPlainText)
{
    const RefusalCase &row = GetParam();
    ftp.SetSecurity(row.security);
    server.start(); // no certificate: AUTH TLS is refused with 502
    EXPECT_EQ(ftp.Connect(), row.connects) << ftp.ErrorMessage().toStdString();
    EXPECT_FALSE(ftp.IsSecure());
    EXPECT_EQ(sentInPlain(server, "PASS"), row.connects);
    EXPECT_EQ(display.contains(
                  QStringLiteral("! Server refused AUTH TLS; continuing without encryption")),
        row.connects);
    if (row.connects) {
        EXPECT_FALSE(sent(server, "PBSZ"));
        EXPECT_TRUE(ftp.Quit());
    } else {
        EXPECT_EQ(ftp.ErrorMessage(),
            QStringLiteral("Server refused AUTH TLS: 502 Command not implemented"));
        EXPECT_EQ(server.commands(), QList<QByteArray> {"AUTH TLS"});
    }
}

INSTANTIATE_TEST_SUITE_P(Ftps, FtpsRefused,
    ::testing::Values(RefusalCase {"Required", TFtpSecurity::ExplicitRequired, false},
        RefusalCase {"IfAvailable", TFtpSecurity::ExplicitIfAvailable, true}),
    [](const ::testing::TestParamInfo<RefusalCase> &info) { return info.param.name; });

// --- Broken handshakes ---------------------------------------------------------------------

struct BrokenCase {
    const char *name;
    ScriptedFtpServer::Handler auth;
    const char *error;
};

class FtpsBroken : public Ftps, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(FtpsBroken, EndsWithAClearErrorLongBeforeTheTimeout)
{
    const BrokenCase &row = GetParam();
    server.on("AUTH", row.auth);
    ftp.SetSecurity(TFtpSecurity::ExplicitRequired);
    server.start();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(ftp.Connect());
    // A hang would end only with the blocking call's timeout, as "426 Timeout".
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(ftp.ErrorMessage(), QLatin1String(row.error));
    EXPECT_FALSE(sent(server, "PASS"));
}

INSTANTIATE_TEST_SUITE_P(Ftps, FtpsBroken,
    ::testing::Values(BrokenCase {"CutInTheMiddle",
                          [](Session &session, const QByteArray &) {
                              session.reply("234 Go ahead\r\n");
                              char hello[64];
                              session.readSome(
                                  hello, sizeof hello); // part of the client hello, then gone
                              session.end();
                          },
                          "Connection closed during the TLS handshake"},
        BrokenCase {"GarbageInsteadOfAHandshake",
            [](Session &session, const QByteArray &) {
                session.reply("234 Go ahead\r\n");
                session.reply("220 This is not TLS at all, just more text\r\n");
            },
            "TLS handshake failed: wrong version number"}),
    [](const ::testing::TestParamInfo<BrokenCase> &info) { return info.param.name; });

// --- Around TLS ----------------------------------------------------------------------------

struct FingerprintCase {
    const char *name;
    const char *text;
    bool valid;
};

class FingerprintText : public ::testing::TestWithParam<FingerprintCase> {};

TEST_P(FingerprintText, IsReadWithOrWithoutColonsInAnyCaseAndNothingElse)
{
    const FingerprintCase &row = GetParam();
    QByteArray expected(32, Qt::Uninitialized);
    for (int i = 0; i < 32; ++i)
        expected[i] = static_cast<char>(0xA0 + i);
    const std::optional<QByteArray> parsed = Fingerprints::parse(QString::fromLatin1(row.text));
    ASSERT_EQ(parsed.has_value(), row.valid);
    if (row.valid) {
        EXPECT_EQ(*parsed, expected);
        EXPECT_EQ(Fingerprints::parse(Fingerprints::format(*parsed)), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Ftps, FingerprintText,
    ::testing::Values(
        FingerprintCase {"Colons",
            "A0:A1:A2:A3:A4:A5:A6:A7:A8:A9:AA:AB:AC:AD:AE:AF:B0:B1:B2:B3:B4:B5:B6:B7:B8:B9:BA:BB:"
            "BC:BD:BE:BF",
            true},
        FingerprintCase {"LowerCaseWithoutColons",
            " a0a1a2a3a4a5a6a7a8a9aaabacadaeafb0b1b2b3b4b5b6b7b8b9babbbcbdbebf ", true},
        FingerprintCase {"TooShort", "A0:A1:A2", false},
        FingerprintCase {"TooShortWithoutColons", "a0a1a2a3", false},
        FingerprintCase {
            "NotHex", "G0a1a2a3a4a5a6a7a8a9aaabacadaeafb0b1b2b3b4b5b6b7b8b9babbbcbdbebf", false},
        FingerprintCase {"ColonMisplaced",
            "A0A:1:A2:A3:A4:A5:A6:A7:A8:A9:AA:AB:AC:AD:AE:AF:B0:B1:B2:B3:B4:B5:B6:B7:B8:B9:BA:BB:"
            "BC:BD:BE:BF",
            false},
        FingerprintCase {"Empty", "", false}),
    [](const ::testing::TestParamInfo<FingerprintCase> &info) { return info.param.name; });

TEST(FtpSecurityNames, RoundTripAndAreReadInAnyCase)
{
    for (const TFtpSecurity security : {TFtpSecurity::ExplicitIfAvailable,
             TFtpSecurity::ExplicitRequired, TFtpSecurity::Implicit, TFtpSecurity::None})
        EXPECT_EQ(FtpSecurities::parse(FtpSecurities::name(security)), security);
    EXPECT_EQ(FtpSecurities::parse(u" implicit "), TFtpSecurity::Implicit);
    EXPECT_EQ(FtpSecurities::name(TFtpSecurity::ExplicitRequired), u"ExplicitRequired");
    EXPECT_FALSE(FtpSecurities::parse(u"Explicit").has_value());
}

// --- The profile dialog's Test -------------------------------------------------------------

struct ProfileTestCase {
    const char *name;
    PyFtpdServer::Tls tls;
    TFtpSecurity security;
    TFtpTransferMode mode;
};

class FtpsProfileTest : public ::testing::TestWithParam<ProfileTestCase> {};

// pyftpdlib's TLS handler refuses a listing on a plain data connection (522), as vsftpd with
// ssl_enable and proftpd with TLSRequired do: the Test sets up the connection as an upload
// does, PBSZ 0 and PROT P included, and lists over TLS.
TEST_P(FtpsProfileTest, LogsInAsAnUploadDoesAndListsOverTls)
{
    const ProfileTestCase &row = GetParam();
    TestCertificates certificates;
    ASSERT_TRUE(certificates.valid());
    certificates.trustCa();
    PyFtpdServer server(
        QStringLiteral("user"), QStringLiteral("pass"), row.tls, certificates.file(Kind::Good));
    ASSERT_TRUE(server.failure().isEmpty()) << server.failure().toStdString();
    TConnectInfo profile {QStringLiteral("127.0.0.1"), QStringLiteral("user"),
        QStringLiteral("pass"), QString(), QString::number(server.port())};
    profile.security = row.security;
    profile.transferMode = row.mode;
    TFtpClient client;
    const ConnectionTestResult result = testConnection(client, profile);
    EXPECT_EQ(result.failedAt, ConnectionTestResult::Step::None) << result.detail.toStdString();
    EXPECT_TRUE(result.secure);
    EXPECT_TRUE(result.passive);
}

INSTANTIATE_TEST_SUITE_P(Ftps, FtpsProfileTest,
    ::testing::Values(ProfileTestCase {"IfAvailable", PyFtpdServer::Tls::Explicit,
                          TFtpSecurity::ExplicitIfAvailable, TFtpTransferMode::Auto},
        ProfileTestCase {"Required", PyFtpdServer::Tls::Explicit, TFtpSecurity::ExplicitRequired,
            TFtpTransferMode::Passive},
        ProfileTestCase {"Implicit", PyFtpdServer::Tls::Implicit, TFtpSecurity::Implicit,
            TFtpTransferMode::Auto}),
    [](const ::testing::TestParamInfo<ProfileTestCase> &info) { return info.param.name; });

// A server that takes the connection and sends no reply is told apart from one that cannot
// be reached; a TLS record where the greeting belongs is implicit TLS, told at once, as is
// silence on the implicit TLS port.
TEST(FtpsProfileTestNoGreeting, IsSaidToHaveTakenTheConnectionButNotAnswered)
{
    using Step = ConnectionTestResult::Step;
    const struct {
        const char *name;
        QByteArray greeting;
        int timeout;
        TFtpSecurity security;
        bool implicitTlsLikely;
    } rows[] = {
        // A TLS alert record (RFC 8446, section 5.1), then the server waits; the limit of
        // the blocking call is far away.
        {"TlsRecord", QByteArray("\x15\x03\x03\x00\x02\x02\x46", 7), 60,
            TFtpSecurity::ExplicitIfAvailable, true},
        {"Silent", QByteArray(), 1, TFtpSecurity::ExplicitIfAvailable, false},
        {"SilentWhileTlsIsOffered", QByteArray(), 1, TFtpSecurity::Implicit, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedFtpServer server;
        server.greeting = row.greeting;
        server.start();
        TConnectInfo profile {QStringLiteral("127.0.0.1"), QStringLiteral("user"),
            QStringLiteral("pass"), QString(), QString::number(server.port())};
        profile.security = row.security;
        TFtpClient client;
        client.SetTimeout(row.timeout);
        const ConnectionTestResult result = testConnection(client, profile);
        EXPECT_EQ(result.failedAt, Step::NoAnswer) << result.detail.toStdString();
        EXPECT_EQ(result.implicitTlsLikely, row.implicitTlsLikely);
        if (row.implicitTlsLikely) {
            EXPECT_EQ(result.detail,
                QStringLiteral(
                    "Server sent TLS instead of a greeting; it may expect implicit TLS"));
        }
        server.join();
    }
}

} // namespace
