#include "commandline.h"
#include "profilestore.h"
#include "pyftpdserver.h"
#include "scriptedftpserver.h"
#include "testcertificates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

// One run of the command line, with what it printed.
struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList &arguments)
{
    CliRun run;
    QTextStream outStream(&run.out);
    QTextStream errStream(&run.err);
    run.status = runCommandLine(arguments, QString(), outStream, errStream);
    return run;
}

class CommandLineUpload : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.failure().isEmpty()) << server.failure().toStdString();
        ASSERT_TRUE(local.isValid());
        ASSERT_TRUE(QDir(server.root()).mkdir(QStringLiteral("site")));
        qputenv("ZEPHYRO_PASSWORD", "pass");
    }

    QString file(const QString &name, qint64 size)
    {
        const QString path = PyFtpdServer::writeFile(local.filePath(name), size);
        EXPECT_FALSE(path.isEmpty()) << name.toStdString();
        return path;
    }

    int upload(const QStringList &options, const QStringList &files)
    {
        out.clear();
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return runCommandLine(
            QStringList {QStringLiteral("upload"), QStringLiteral("--host"),
                QStringLiteral("127.0.0.1"), QStringLiteral("--port"),
                QString::number(server.port()), QStringLiteral("--user"), QStringLiteral("user")}
                + options + files,
            QString(), outStream, errStream);
    }

    static QByteArray read(const QString &path) { return PyFtpdServer::contents(path); }

    PyFtpdServer server {QStringLiteral("user"), QStringLiteral("pass")};
    QTemporaryDir local;
    QString out;
    QString err;
};

TEST_F(CommandLineUpload, StoresEveryFileUnderItsNameAndSaysHowItWent)
{
    const QStringList files {file(QStringLiteral("index.html"), 3000),
        file(QStringLiteral("empty.gif"), 0), file(QStringLiteral("logo.gif"), 200000)};
    ASSERT_EQ(upload({QStringLiteral("--dir"), QStringLiteral("site")}, files), 0)
        << err.toStdString();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    for (const QString &path : files) {
        const QString name = QFileInfo(path).fileName();
        EXPECT_TRUE(read(server.root() + QStringLiteral("/site/") + name) == read(path))
            << name.toStdString();
    }
    const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    QStringList statuses;
    for (const QString &line : lines) {
        // Progress lines read "name: N bytes".
        if (!line.endsWith(QLatin1String(" bytes")))
            statuses << line;
    }
    EXPECT_EQ(statuses,
        QStringList({QStringLiteral("Connecting..."),
            QStringLiteral("Connected (not encrypted: the server does not offer TLS)"),
            QStringLiteral("Transferring files..."), QStringLiteral("Transfer complete"),
            QStringLiteral("Disconnected")}));
    EXPECT_TRUE(lines.contains(QStringLiteral("empty.gif: 0 bytes")));
    EXPECT_TRUE(lines.contains(QStringLiteral("logo.gif: 200000 bytes")));

    // Without a folder the files go where the server starts; --verbose shows the dialogue.
    ASSERT_EQ(upload({QStringLiteral("--verbose")}, {files.first()}), 0) << err.toStdString();
    EXPECT_TRUE(read(server.root() + QStringLiteral("/index.html")) == read(files.first()));
    EXPECT_TRUE(out.contains(QStringLiteral("> PWD\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("> TYPE I\n")));
    // Stored under a temporary name, then renamed over the old file.
    EXPECT_TRUE(out.contains(QStringLiteral("> STOR .index.html.zephyro-upload\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("> RNTO index.html\n")));
    EXPECT_EQ(QDir(server.root()).entryList(QDir::Files | QDir::Hidden),
        QStringList {QStringLiteral("index.html")});
    EXPECT_FALSE(out.contains(QStringLiteral("pass\n")));
}

TEST_F(CommandLineUpload, TheModeChoosesHowDataConnectionsAreMade)
{
    const QString page = file(QStringLiteral("page.html"), 5000);
    const struct {
        const char *mode; // nullptr: not given
        bool passive;
    } rows[] = {{nullptr, true}, {"auto", true}, {"Passive", true}, {"active", false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.mode ? row.mode : "(none)");
        QStringList options {QStringLiteral("--verbose")};
        if (row.mode != nullptr)
            options << QStringLiteral("--mode") << QLatin1String(row.mode);
        ASSERT_EQ(upload(options, {page}), 0) << err.toStdString();
        EXPECT_TRUE(read(server.root() + QStringLiteral("/page.html")) == read(page));
        EXPECT_EQ(out.contains(QStringLiteral("> EPSV\n")), row.passive) << out.toStdString();
        EXPECT_EQ(out.contains(QStringLiteral("> PORT ")), !row.passive) << out.toStdString();
    }
    EXPECT_NE(upload({QStringLiteral("--mode"), QStringLiteral("fast")}, {page}), 0);
    EXPECT_EQ(err.trimmed(),
        QStringLiteral("Unknown transfer mode \"fast\": use auto, passive or active."));
}

// pyftpdlib without TLS: AUTH TLS is refused, which each choice takes its own way.
TEST_F(CommandLineUpload, SecurityDecidesWhetherAServerWithoutTlsIsUsed)
{
    const QString page = file(QStringLiteral("page.html"), 500);
    const struct {
        const char *security; // nullptr: not given
        bool asks;            // AUTH TLS is sent
        int status;
        const char *connected; // the status line after connecting, nullptr: none
    } rows[] = {
        {nullptr, true, 0, "Connected (not encrypted: the server does not offer TLS)"},
        {"if-available", true, 0, "Connected (not encrypted: the server does not offer TLS)"},
        {"none", false, 0, "Connected"},
        {"None", false, 0, "Connected"},
        {"required", true, 1, nullptr},
        {"ExplicitRequired", true, 1, nullptr},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.security ? row.security : "(none)");
        QFile::remove(server.root() + QStringLiteral("/page.html"));
        QStringList options {QStringLiteral("--verbose")};
        if (row.security != nullptr)
            options << QStringLiteral("--security") << QLatin1String(row.security);
        EXPECT_EQ(upload(options, {page}), row.status) << err.toStdString();
        EXPECT_EQ(out.contains(QStringLiteral("> AUTH TLS\n")), row.asks) << out.toStdString();
        const QStringList lines = out.split(u'\n');
        if (row.connected != nullptr) {
            EXPECT_TRUE(lines.contains(QLatin1String(row.connected))) << out.toStdString();
            EXPECT_TRUE(read(server.root() + QStringLiteral("/page.html")) == read(page));
        } else {
            // Refused before the password was sent.
            EXPECT_FALSE(out.contains(QStringLiteral("> PASS"))) << out.toStdString();
            EXPECT_FALSE(QFile::exists(server.root() + QStringLiteral("/page.html")));
        }
    }
}

struct OptionRow {
    const char *name;
    QStringList arguments;
    const char *error; // the whole message, or how the usage text begins
};

void PrintTo(const OptionRow &row, std::ostream *out)
{
    *out << row.name;
}

class CommandLineSecurityOption : public ::testing::TestWithParam<OptionRow> {};

// Without a host every accepted option ends in the usage text; a refused one names itself.
TEST_P(CommandLineSecurityOption, AcceptsTheChoicesAndFingerprintsOnly)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    EXPECT_NE(runCommandLine(QStringList {QStringLiteral("upload")} + GetParam().arguments,
                  QString(), outStream, errStream),
        0);
    EXPECT_TRUE(err.startsWith(QLatin1String(GetParam().error))) << err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(CommandLineUpload, CommandLineSecurityOption,
    ::testing::Values(OptionRow {"IfAvailable", {"--security", "if-available"}, "Usage:"},
        OptionRow {"Required", {"--security", "REQUIRED"}, "Usage:"},
        OptionRow {"Implicit", {"--security", "implicit"}, "Usage:"},
        OptionRow {"None", {"--security", "none"}, "Usage:"},
        OptionRow {"ProfilesName", {"--security", "ExplicitIfAvailable"}, "Usage:"},
        OptionRow {"Unknown", {"--security", "tls"},
            "Unknown security \"tls\": use if-available, required, implicit or none.\n"},
        OptionRow {"NoValue", {"--security"}, "Option \"--security\" needs a value.\n"},
        OptionRow {"FingerprintWithColons",
            {"--trust-fingerprint", QStringList(32, QStringLiteral("a0")).join(u':')}, "Usage:"},
        OptionRow {"FingerprintBare", {"--trust-fingerprint", QStringLiteral("A0").repeated(32)},
            "Usage:"},
        OptionRow {"FingerprintCutShort", {"--trust-fingerprint", "A0:B1"},
            "\"A0:B1\" is no SHA-256 fingerprint: give its 64 hex digits, with or without "
            "colons.\n"},
        OptionRow {"FingerprintNoValue", {"--trust-fingerprint"},
            "Option \"--trust-fingerprint\" needs a value.\n"}),
    [](const ::testing::TestParamInfo<OptionRow> &info) { return info.param.name; });

struct Failure {
    const char *name;
    QStringList options;
    const char *password;
    bool missingFile;
    const char *error; // how the error line begins
    bool pageStored;   // the files after a failed one still go
};

void PrintTo(const Failure &row, std::ostream *out)
{
    *out << row.name;
}

class CommandLineUploadFailure : public CommandLineUpload,
                                 public ::testing::WithParamInterface<Failure> {};

TEST_P(CommandLineUploadFailure, EndsWithTheErrorAndANonZeroStatus)
{
    const Failure &row = GetParam();
    qputenv("ZEPHYRO_PASSWORD", row.password);
    const QString present = file(QStringLiteral("page.html"), 10);
    const QString missing = local.filePath(QStringLiteral("gone.gif"));
    const QStringList files
        = row.missingFile ? QStringList {missing, present} : QStringList {present};
    EXPECT_NE(upload(row.options, files), 0);
    EXPECT_TRUE(err.startsWith(QLatin1String(row.error)))
        << err.toStdString() << " instead of " << row.error;
    // The page after a missing picture is held back, and says so.
    EXPECT_EQ(err.count(QStringLiteral("Error ")), row.missingFile ? 2 : 1) << err.toStdString();
    EXPECT_TRUE(out.endsWith(QStringLiteral("Disconnected\n"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("Transfer complete")));
    EXPECT_EQ(QFile::exists(server.root() + QStringLiteral("/page.html")), row.pageStored);
}

INSTANTIATE_TEST_SUITE_P(CommandLineUpload, CommandLineUploadFailure,
    ::testing::Values(Failure {"WrongPassword", {}, "wrong", false, "Error 530 ", false},
        Failure {"MissingFolder", {QStringLiteral("--dir"), QStringLiteral("nope")}, "pass", false,
            "Error 550 ", false},
        Failure {"MissingLocalFile", {}, "pass", true,
            "Error storing gone.gif: 426 Unable to open local file ", false},
        Failure {"BadPort", {QStringLiteral("--port"), QStringLiteral("x1")}, "pass", false,
            "Error SetPort: Cannot convert port 'x1'", false}),
    [](const ::testing::TestParamInfo<Failure> &info) { return info.param.name; });

struct ScriptedRun {
    const char *name;
    void (*script)(ScriptedFtpServer &server);
    QStringList options;
    int status;
    const char *errors; // the whole error output
    const char *shown;  // a line the output holds
};

void PrintTo(const ScriptedRun &row, std::ostream *out)
{
    *out << row.name;
}

class CommandLineScriptedUpload : public ::testing::TestWithParam<ScriptedRun> {};

// Faults of a server, as the command line reports them: each failed file with its reason.
TEST_P(CommandLineScriptedUpload, PrintsEachFailedFileWithItsReason)
{
    const ScriptedRun &row = GetParam();
    ScriptedFtpServer server;
    server.sessions = 3;
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    row.script(server);
    server.start();
    QTemporaryDir local;
    ASSERT_TRUE(local.isValid());
    QStringList files;
    for (const char *name : {"a.gif", "b.gif", "index.html"})
        files << PyFtpdServer::writeFile(local.filePath(QLatin1String(name)), 2000);
    qputenv("ZEPHYRO_PASSWORD", "pass");
    const CliRun run = runCli(
        QStringList {QStringLiteral("upload"), QStringLiteral("--host"),
            QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QString::number(server.port()),
            QStringLiteral("--user"), QStringLiteral("u"), QStringLiteral("--mode"),
            QStringLiteral("passive"), QStringLiteral("--security"), QStringLiteral("none")}
        + row.options + files);
    server.join();
    EXPECT_EQ(run.status, row.status) << run.err.toStdString();
    EXPECT_EQ(run.err, QLatin1String(row.errors));
    EXPECT_TRUE(run.out.contains(QLatin1String(row.shown))) << run.out.toStdString();
    EXPECT_FALSE(run.err.contains(QStringLiteral("Error \n")));
}

INSTANTIATE_TEST_SUITE_P(CommandLineUpload, CommandLineScriptedUpload,
    ::testing::Values(
        ScriptedRun {"FileRefused",
            [](ScriptedFtpServer &server) {
                server.on("STOR", [](ScriptedFtpServer::Session &session, const QByteArray &name) {
                    if (name.contains("b.gif"))
                        session.reply("550 Permission denied.\r\n");
                    else
                        ScriptedFtpServer::storeFile(session, name);
                });
            },
            {}, 1,
            "Error storing b.gif: 550 Permission denied.\nError storing index.html: Not sent, so "
            "that the page on the server does not point at a file that did not arrive\n",
            "a.gif: 2000 bytes"},
        ScriptedRun {"QuitNeverAnswered",
            [](ScriptedFtpServer &server) {
                server.on("QUIT", &ScriptedFtpServer::holdUnanswered);
            },
            {}, 0, "", "Transfer complete\nDisconnected\n"},
        ScriptedRun {"LostTwice",
            [](ScriptedFtpServer &server) {
                server.on("STOR", [](ScriptedFtpServer::Session &session, const QByteArray &) {
                    session.reply("421 Too busy\r\n");
                    session.end();
                });
            },
            {QStringLiteral("--connections"), QStringLiteral("1")}, 1,
            "Error storing a.gif: 421 Too busy\nError storing b.gif: 421 Too busy\n"
            "Error storing index.html: 421 Too busy\n",
            "Reconnecting\n"},
        ScriptedRun {"TwoConnections", [](ScriptedFtpServer &server) { server.sessions = 2; },
            {QStringLiteral("--connections"), QStringLiteral("2"), QStringLiteral("--verbose")}, 0,
            "", "[2] > TYPE I\n"}),
    [](const ::testing::TestParamInfo<ScriptedRun> &info) { return info.param.name; });

TEST(CommandLineUploadUsage, ConnectionsAreOneToFour)
{
    for (const char *value : {"0", "5", "two", ""}) {
        SCOPED_TRACE(value);
        const CliRun run = runCli({QStringLiteral("upload"), QStringLiteral("--host"),
            QStringLiteral("h"), QStringLiteral("--user"), QStringLiteral("u"),
            QStringLiteral("--connections"), QLatin1String(value), QStringLiteral("a")});
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(run.err,
            QStringLiteral("\"%1\" is no number of connections: give 1 to 4.\n")
                .arg(QLatin1String(value)));
    }
}

// Profiles as the Upload step saves them, in the program's folder: one for the test server,
// one whose every value is wrong for it.
class CommandLineProfile : public CommandLineUpload {
protected:
    void SetUp() override
    {
        CommandLineUpload::SetUp();
        ASSERT_TRUE(programDir.isValid());
        qunsetenv("ZEPHYRO_PASSWORD");
        const QString ini = ProfileStore::remoteIniPath(programDir.path() + QLatin1Char('/'));
        ASSERT_EQ(ini, programDir.filePath(QStringLiteral("Remote.ini")));
        const QString port = QString::number(server.port());
        ASSERT_EQ(ProfileStore::saveProfile(ini, {}, QStringLiteral("Site"),
                      {QStringLiteral("127.0.0.1"), QStringLiteral("user"), QStringLiteral("pass"),
                          QStringLiteral("site"), port})
                      .failure,
            ProfileStore::SaveOutcome::Failure::None);
        ASSERT_EQ(
            ProfileStore::saveProfile(ini, {QStringLiteral("Site")}, QStringLiteral("Elsewhere"),
                {QStringLiteral("127.0.0.1"), QStringLiteral("nobody"), QStringLiteral("wrong"),
                    QStringLiteral("nope"), QStringLiteral("1")})
                .failure,
            ProfileStore::SaveOutcome::Failure::None);
    }

    int uploadWithProfile(const QStringList &options, const QString &file)
    {
        out.clear();
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return runCommandLine(QStringList {QStringLiteral("upload")} + options + QStringList {file},
            programDir.path() + QLatin1Char('/'), outStream, errStream);
    }

    QTemporaryDir programDir;
};

struct ProfileRow {
    const char *name;
    QStringList options;  // "PORT" stands for the test server's port
    const char *password; // ZEPHYRO_PASSWORD, or nullptr for none
    const char *stored;   // where the file lands, or the beginning of the error
    bool succeeds;
};

void PrintTo(const ProfileRow &row, std::ostream *out)
{
    *out << row.name;
}

class CommandLineProfileRun : public CommandLineProfile,
                              public ::testing::WithParamInterface<ProfileRow> {};

TEST_P(CommandLineProfileRun, TakesTheProfileAndTheOptionsOverIt)
{
    const ProfileRow &row = GetParam();
    if (row.password != nullptr)
        qputenv("ZEPHYRO_PASSWORD", row.password);
    QStringList options = row.options;
    options.replaceInStrings(QStringLiteral("PORT"), QString::number(server.port()));
    const QString page = file(QStringLiteral("page.html"), 100);
    const int status = uploadWithProfile(options, page);
    if (!row.succeeds) {
        EXPECT_NE(status, 0);
        EXPECT_TRUE(err.startsWith(QLatin1String(row.stored))) << err.toStdString();
        return;
    }
    ASSERT_EQ(status, 0) << err.toStdString();
    EXPECT_TRUE(read(server.root() + QLatin1Char('/') + QLatin1String(row.stored)) == read(page));
}

INSTANTIATE_TEST_SUITE_P(CommandLineUpload, CommandLineProfileRun,
    ::testing::Values(ProfileRow {"EveryValueFromTheProfile", {"--profile", "SITE"}, nullptr,
                          "site/page.html", true},
        ProfileRow {
            "EmptyFolderOverHers", {"--profile", "Site", "--dir", ""}, nullptr, "page.html", true},
        ProfileRow {"UserOverHers", {"--profile", "Site", "--user", "nobody"}, nullptr,
            "Error 530 ", false},
        ProfileRow {"OptionsAndPasswordOverAll",
            {"--profile", "Elsewhere", "--port", "PORT", "--user", "user", "--dir", "site"}, "pass",
            "site/page.html", true},
        ProfileRow {"UnknownProfile", {"--profile", "Nowhere"}, nullptr,
            "No server profile \"Nowhere\" in ", false}),
    [](const ::testing::TestParamInfo<ProfileRow> &info) { return info.param.name; });

// A Remote.ini far too large to be profiles is named, not taken for one without profiles, and
// left as it is.
TEST_F(CommandLineProfile, ARemoteIniTooLargeIsNamedAndKept)
{
    const QString ini = programDir.filePath(QStringLiteral("Remote.ini"));
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 size = 16 * 1024 * 1024 + 1;
    ASSERT_TRUE(file.resize(size)); // sparse: no disk is spent
    file.close();
    EXPECT_NE(uploadWithProfile({QStringLiteral("--profile"), QStringLiteral("Site")},
                  PyFtpdServer::writeFile(programDir.filePath(QStringLiteral("page.html")), 10)),
        0);
    EXPECT_TRUE(err.contains(QLatin1String("Remote.ini is larger than 16 MB")))
        << err.toStdString();
    EXPECT_EQ(QFileInfo(ini).size(), size);
}

struct TrustRow {
    const char *name;
    const char *given;     // --trust-fingerprint: "GOOD", "OTHER" or nullptr
    bool inProfile;        // the profile keeps the good fingerprint
    const char *described; // the first line of the description, nullptr: none printed
};

void PrintTo(const TrustRow &row, std::ostream *out)
{
    *out << row.name;
}

class CommandLineCertificate : public ::testing::TestWithParam<TrustRow> {};

// Nobody can answer a question: a certificate the system does not trust is described and
// refused before the login, unless its fingerprint was given or kept in the profile.
TEST_P(CommandLineCertificate, IsRefusedUnlessItsFingerprintWasGiven)
{
    const TrustRow &row = GetParam();
    TestCertificates certificates;
    ASSERT_TRUE(certificates.valid());
    const QByteArray sha256 = certificates.sha256(TestCertificates::SelfSigned);
    ScriptedFtpServer server;
    server.certificateFile = certificates.file(TestCertificates::SelfSigned);
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    server.start();
    QTemporaryDir program;
    ASSERT_TRUE(program.isValid());
    TConnectInfo profile {QStringLiteral("127.0.0.1"), QStringLiteral("user"), QString(), QString(),
        QString::number(server.port())};
    profile.security = TFtpSecurity::ExplicitRequired;
    if (row.inProfile)
        profile.trustedCertificate = Fingerprints::format(sha256);
    ASSERT_TRUE(ProfileStore::saveProfile(
        program.filePath(QStringLiteral("Remote.ini")), {}, QStringLiteral("Site"), profile)
                    .error.isEmpty());
    QStringList arguments {
        QStringLiteral("upload"), QStringLiteral("--profile"), QStringLiteral("Site")};
    if (row.given != nullptr) {
        const QByteArray given = qstrcmp(row.given, "GOOD") == 0
            ? sha256
            : certificates.sha256(TestCertificates::OtherSelfSigned);
        // As typed from a provider's page: lower case, no colons.
        arguments << QStringLiteral("--trust-fingerprint") << QString::fromLatin1(given.toHex());
    }
    QTemporaryDir local;
    const QString page = PyFtpdServer::writeFile(local.filePath(QStringLiteral("a.html")), 100);
    qputenv("ZEPHYRO_PASSWORD", "secret");
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = runCommandLine(
        arguments << page, program.path() + QLatin1Char('/'), outStream, errStream);
    server.join();

    if (row.described == nullptr) {
        EXPECT_EQ(status, 0) << err.toStdString();
        EXPECT_TRUE(server.stored("a.html") == PyFtpdServer::contents(page));
        return;
    }
    EXPECT_NE(status, 0);
    const QString fingerprint = Fingerprints::format(sha256);
    EXPECT_TRUE(err.startsWith(QLatin1String(row.described))) << err.toStdString();
    for (const QString &fact : {QStringLiteral("  Host:                127.0.0.1\n"),
             QStringLiteral("  SHA-256 fingerprint: ") + fingerprint + u'\n',
             QStringLiteral("\n  Issued to:           CN="),
             QStringLiteral("\n  Issued by:           CN="),
             QStringLiteral("\n  Valid from:          2"),
             QStringLiteral("\n  Valid until:         2"),
             QStringLiteral("--trust-fingerprint ") + fingerprint + u'\n',
             QStringLiteral("\nError Certificate not trusted: ")})
        EXPECT_TRUE(err.contains(fact)) << fact.toStdString() << " in " << err.toStdString();
    EXPECT_FALSE(server.commands().contains("USER user"));
}

INSTANTIATE_TEST_SUITE_P(CommandLineUpload, CommandLineCertificate,
    ::testing::Values(
        TrustRow {"NothingGiven", nullptr, false, "The server's certificate is not trusted.\n"},
        TrustRow {"FingerprintGiven", "GOOD", false, nullptr},
        TrustRow {"KeptInTheProfile", nullptr, true, nullptr},
        TrustRow {"AnotherGiven", "OTHER", true,
            "The server's certificate has CHANGED since it was trusted.\n"}),
    [](const ::testing::TestParamInfo<TrustRow> &info) { return info.param.name; });

TEST(CommandLineHostileServer, PrintsItsControlCharactersAsQuestionMarks)
{
    ScriptedFtpServer server;
    server.greeting = "220 \x1b[2Jwelcome\x07\tin\r\n";
    server.on("USER", "530 \x1b]0;owned\x07No\x7f\x9b way\r\n");
    server.on("QUIT", "221 Bye\r\n");
    server.start();
    QTemporaryDir local;
    ASSERT_TRUE(local.isValid());
    qputenv("ZEPHYRO_PASSWORD", "pass");
    const CliRun run
        = runCli({QStringLiteral("upload"), QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
            QStringLiteral("--port"), QString::number(server.port()), QStringLiteral("--user"),
            QStringLiteral("u"), QStringLiteral("--verbose"), local.filePath(QStringLiteral("a"))});
    server.join();
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.err, QStringLiteral("Error 530 ?]0;owned?No?? way\n"));
    EXPECT_TRUE(run.out.contains(QStringLiteral("< 220 ?[2Jwelcome?\tin\n")))
        << run.out.toStdString();
    for (const QChar c : run.out + run.err) {
        EXPECT_TRUE(c == u'\n' || c == u'\t' || (c >= u' ' && c < QChar(0x7F)) || c >= QChar(0xA0))
            << int(c.unicode());
    }
}

TEST(CommandLineUploadUsage, RefusesIncompleteCommandsAndPasswordsOnTheCommandLine)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const auto run = [&](const QStringList &arguments) {
        err.clear();
        return runCommandLine(arguments, QString(), outStream, errStream);
    };
    EXPECT_NE(run({QStringLiteral("upload"), QStringLiteral("--host"), QStringLiteral("h"),
                  QStringLiteral("--user"), QStringLiteral("u")}),
        0);
    EXPECT_TRUE(err.contains(QStringLiteral("zephyro-cli upload --host HOST")));
    EXPECT_NE(
        run({QStringLiteral("upload"), QStringLiteral("--password"), QStringLiteral("p")}), 0);
    EXPECT_TRUE(err.startsWith(QStringLiteral("The password is never given on the command line")));
    EXPECT_NE(run({QStringLiteral("upload"), QStringLiteral("--host")}), 0);
    EXPECT_EQ(err.trimmed(), QStringLiteral("Option \"--host\" needs a value."));
    EXPECT_EQ(run({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("zephyro-cli upload --host HOST")));
}

} // namespace
