#include "loopbackpeer.h"
#include "pyftpdserver.h"
#include "testcertificates.h"
#include "tftpclient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Points the client at the test server's user.
void aim(
    TFtpClient &ftp, const PyFtpdServer &server, TFtpTransferMode mode = TFtpTransferMode::Auto)
{
    ftp.SetHostName(QStringLiteral("127.0.0.1"));
    ftp.SetPort(QString::number(server.port()));
    ftp.SetUserName(QStringLiteral("user"));
    ftp.SetPassWord(QStringLiteral("pass"));
    ftp.SetTransferMode(mode);
}

// Puts a file of the given size and an empty one; each arrives byte for byte when the
// uploads are expected to work, and not at all otherwise.
void putBigAndEmpty(TFtpClient &ftp, const PyFtpdServer &server, qint64 size, bool works)
{
    QTemporaryDir local;
    ASSERT_TRUE(local.isValid());
    const QString big = PyFtpdServer::writeFile(local.filePath(QStringLiteral("big.bin")), size);
    const QString empty = PyFtpdServer::writeFile(local.filePath(QStringLiteral("empty.bin")), 0);
    ASSERT_FALSE(big.isEmpty() || empty.isEmpty());
    for (const QString &path : {big, empty}) {
        ftp.SetLocalFileName(path);
        ftp.SetHostFileName(QFileInfo(path).fileName());
        EXPECT_EQ(ftp.Put(), works) << ftp.ErrorMessage().toStdString();
        EXPECT_EQ(ftp.DataConnectionFailed(), !works);
        const QString stored = server.root() + u'/' + QFileInfo(path).fileName();
        if (works)
            EXPECT_TRUE(PyFtpdServer::contents(stored) == PyFtpdServer::contents(path));
        else
            EXPECT_FALSE(QFile::exists(stored));
    }
}

TEST(FtpClientAgainstPyftpdlib, UploadsSeveralFilesByteForByte)
{
    PyFtpdServer server(QStringLiteral("user"), QStringLiteral("pass"));
    ASSERT_TRUE(server.failure().isEmpty()) << server.failure().toStdString();
    ASSERT_TRUE(QDir(server.root()).mkdir(QStringLiteral("site")));
    QTemporaryDir local;
    ASSERT_TRUE(local.isValid());
    const QList<QPair<QString, qint64>> files {{QStringLiteral("empty.bin"), 0},
        {QStringLiteral("one.bin"), 1}, {QStringLiteral("kilo.bin"), 1024},
        {QStringLiteral("odd.bin"), 1025}, {QStringLiteral("name with spaces.html"), 4000},
        {QStringLiteral("big.bin"), 3 * 1024 * 1024 + 7}};
    for (const auto &[name, size] : files) {
        QFile out(local.filePath(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(patternBytes(size, size));
    }

    TFtpClient ftp;
    aim(ftp, server);
    ftp.SetHostDirName(QStringLiteral("site"));
    QStringList failures;
    ftp.OnRequestDone = [&failures](TCustomFtpClient *sender, TFtpRequest, quint16 error) {
        if (error != 0)
            failures << sender->ErrorMessage();
    };
    ASSERT_TRUE(ftp.Connect());
    ASSERT_TRUE(ftp.ChangeDir());
    EXPECT_EQ(ftp.DirResult(), QStringLiteral("/site"));
    ASSERT_TRUE(ftp.SetType());
    for (const auto &[name, size] : files) {
        ftp.SetLocalFileName(local.filePath(name));
        ftp.SetHostFileName(name);
        EXPECT_TRUE(ftp.Put()) << name.toStdString();
    }
    EXPECT_TRUE(ftp.Quit());
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();

    for (const auto &[name, size] : files) {
        const QByteArray sent = PyFtpdServer::contents(local.filePath(name));
        const QByteArray stored
            = PyFtpdServer::contents(server.root() + QStringLiteral("/site/") + name);
        EXPECT_EQ(stored.size(), size) << name.toStdString();
        EXPECT_TRUE(stored == sent) << name.toStdString();
    }
}

struct ModeCase {
    const char *name;
    PyFtpdServer::Ways ways;
    TFtpTransferMode mode;
    bool works;
};

class FtpModesAgainstPyftpdlib : public ::testing::TestWithParam<ModeCase> {};

TEST_P(FtpModesAgainstPyftpdlib, UploadWhereTheModeAndServerAllowAndFailCleanlyElsewhere)
{
    const ModeCase &row = GetParam();
    PyFtpdServer server(QStringLiteral("user"), QStringLiteral("pass"), row.ways);
    ASSERT_TRUE(server.failure().isEmpty()) << server.failure().toStdString();
    TFtpClient ftp;
    aim(ftp, server, row.mode);
    ASSERT_TRUE(ftp.Connect());
    ASSERT_TRUE(ftp.SetType());
    EXPECT_EQ(ftp.List(), row.works) << ftp.ErrorMessage().toStdString();
    putBigAndEmpty(ftp, server, 300007, row.works);
    EXPECT_TRUE(ftp.Quit());
}

INSTANTIATE_TEST_SUITE_P(FtpClientAgainstPyftpdlib, FtpModesAgainstPyftpdlib,
    ::testing::Values(ModeCase {"Auto", PyFtpdServer::Ways::Both, TFtpTransferMode::Auto, true},
        ModeCase {"Passive", PyFtpdServer::Ways::Both, TFtpTransferMode::Passive, true},
        ModeCase {"Active", PyFtpdServer::Ways::Both, TFtpTransferMode::Active, true},
        ModeCase {"AutoOnAPassiveOnlyServer", PyFtpdServer::Ways::PassiveOnly,
            TFtpTransferMode::Auto, true},
        ModeCase {"ActiveOnAPassiveOnlyServer", PyFtpdServer::Ways::PassiveOnly,
            TFtpTransferMode::Active, false},
        ModeCase {"AutoOnAnActiveOnlyServer", PyFtpdServer::Ways::ActiveOnly,
            TFtpTransferMode::Auto, true},
        ModeCase {"PassiveOnAnActiveOnlyServer", PyFtpdServer::Ways::ActiveOnly,
            TFtpTransferMode::Passive, false}),
    [](const ::testing::TestParamInfo<ModeCase> &info) { return info.param.name; });

struct TlsCase {
    const char *name;
    PyFtpdServer::Tls tls;
    TFtpTransferMode mode;
};

class FtpsAgainstPyftpdlib : public ::testing::TestWithParam<TlsCase> {};

TEST_P(FtpsAgainstPyftpdlib, UploadsSeveralFilesByteForByteOverTls)
{
    const TlsCase &row = GetParam();
    TestCertificates certificates;
    ASSERT_TRUE(certificates.valid());
    PyFtpdServer server(QStringLiteral("user"), QStringLiteral("pass"), row.tls,
        certificates.file(TestCertificates::SelfSigned));
    ASSERT_TRUE(server.failure().isEmpty()) << server.failure().toStdString();
    TFtpClient ftp;
    aim(ftp, server, row.mode);
    ftp.SetSecurity(row.tls == PyFtpdServer::Tls::Implicit ? TFtpSecurity::Implicit
                                                           : TFtpSecurity::ExplicitRequired);
    ftp.SetTrustedFingerprint(
        Fingerprints::format(certificates.sha256(TestCertificates::SelfSigned)));
    ASSERT_TRUE(ftp.Connect()) << ftp.ErrorMessage().toStdString();
    EXPECT_TRUE(ftp.IsSecure());
    ASSERT_TRUE(ftp.SetType());
    // Every data connection of the session, and files that replace those sent before.
    putBigAndEmpty(ftp, server, 1500007, true);
    putBigAndEmpty(ftp, server, 70001, true);
    EXPECT_TRUE(ftp.Quit());
}

INSTANTIATE_TEST_SUITE_P(FtpClientAgainstPyftpdlib, FtpsAgainstPyftpdlib,
    ::testing::Values(
        TlsCase {"ExplicitPassive", PyFtpdServer::Tls::Explicit, TFtpTransferMode::Passive},
        TlsCase {"ExplicitActive", PyFtpdServer::Tls::Explicit, TFtpTransferMode::Active},
        TlsCase {"ImplicitPassive", PyFtpdServer::Tls::Implicit, TFtpTransferMode::Passive},
        TlsCase {"ImplicitActive", PyFtpdServer::Tls::Implicit, TFtpTransferMode::Active}),
    [](const ::testing::TestParamInfo<TlsCase> &info) { return info.param.name; });

} // namespace
