#include "inifile.h"
#include "profilestore.h"
#include "pyftpdserver.h"
#include "scriptedftpserver.h"
#include "testcertificates.h"
#include "siteupload.h"
#include "uploadstep.h"
#include "wizardfixture.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QByteArray read(const QString &path)
{
    return PyFtpdServer::contents(path);
}

const QStringList kSuccess {QStringLiteral("Connecting..."), QStringLiteral("Connected"),
    QStringLiteral("Transferring files..."), QStringLiteral("Transfer complete"),
    QStringLiteral("Disconnected")};

} // namespace

// The Upload step in a real window, against a real FTP server on 127.0.0.1.
class UploadTest : public WizardTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.failure().isEmpty()) << server.failure().toStdString();
        ASSERT_TRUE(QDir(server.root()).mkdir(QStringLiteral("site")));
        WizardTest::SetUp();
        watch();
    }

    // A fresh window for the next case of a table.
    void restart()
    {
        createWindow();
        watch();
    }

    void watch()
    {
        statuses.clear();
        progress.clear();
        QObject::connect(&window->upload(), &UploadStep::statusShown, window.get(),
            [this](const QString &text) { statuses << text; });
        QObject::connect(&window->upload(), &UploadStep::progressShown, window.get(),
            [this](const QString &text) { progress << text; });
    }

    // Saves a profile for the server and lists it, as if the program had just started.
    void useProfile(const QString &directory, const QString &password = QStringLiteral("pass"),
        TFtpSecurity security = TFtpSecurity::ExplicitIfAvailable)
    {
        TConnectInfo profile {QStringLiteral("127.0.0.1"), QStringLiteral("user"), password,
            directory, QString::number(server.port())};
        profile.security = security;
        const ProfileStore::SaveOutcome saved
            = ProfileStore::saveProfile(ProfileStore::remoteIniPath(window->applicationDirectory()),
                {}, QStringLiteral("Test"), profile);
        ASSERT_TRUE(saved.error.isEmpty()) << saved.error.toStdString();
        ui().upload.cbSites->clear();
        window->upload().LoadProfiles();
    }

    QString file(const QString &name, qint64 size)
    {
        const QString path = PyFtpdServer::writeFile(local.filePath(name), size);
        EXPECT_FALSE(path.isEmpty()) << name.toStdString();
        return path;
    }

    // The dialog's choice, in the dialog's order.
    void addFiles(const QStringList &chosen)
    {
        dialogs->answerFile(chosen.join(u'\n'));
        ui().upload.btnUploadAddFiles->click();
    }

    QStringList listed() const
    {
        QStringList result;
        for (int row = 0; row < ui().upload.lsbFiles->count(); ++row)
            result << ui().upload.lsbFiles->item(row)->text();
        return result;
    }

    // Presses Upload and waits, in the event loop, until the upload has ended (or the window
    // has gone).
    void runUpload()
    {
        ui().upload.btnUpload->click();
        EXPECT_TRUE(QTest::qWaitFor(
            [this] { return window == nullptr || !window->upload().uploading(); }, 60000));
    }

    // The progress counts shown, in order.
    QList<qint64> counts() const
    {
        QList<qint64> result;
        for (const QString &text : progress) {
            if (!text.isEmpty())
                result << text.chopped(6).toLongLong();
        }
        return result;
    }

    static void type(QDialog &d, const char *field, const QString &text)
    {
        child<QLineEdit>(d, field)->setText(text);
    }

    QList<ScriptedDialogs::Message> boxes(MessageKind kind) const
    {
        QList<ScriptedDialogs::Message> result;
        for (const ScriptedDialogs::Message &m : dialogs->messages()) {
            if (m.kind == kind)
                result << m;
        }
        return result;
    }

    PyFtpdServer server {QStringLiteral("user"), QStringLiteral("pass")};
    QTemporaryDir local;
    QStringList statuses;
    QStringList progress;
};

// pyftpdlib here offers no TLS: a profile that would take it says that it went without.
TEST_F(UploadTest, SendsEveryListedFileIntoTheProfilesFolderOrWhereTheServerStarts)
{
    const struct {
        const char *directory;
        TFtpSecurity security;
        QString connected;
    } rows[] = {
        {"site", TFtpSecurity::ExplicitIfAvailable,
            QStringLiteral("Connected (not encrypted: the server does not offer TLS)")},
        {"", TFtpSecurity::None, kSuccess[1]},
    };
    for (const auto &row : rows) {
        const char *directory = row.directory;
        SCOPED_TRACE(directory);
        restart();
        useProfile(QString::fromLatin1(directory), QStringLiteral("pass"), row.security);
        const QString page = file(QStringLiteral("index.html"), 3000);
        const QString logo = file(QStringLiteral("logo.gif"), 5000);
        addFiles({page, logo});
        addFiles({page});
        ASSERT_EQ(listed(), QStringList({logo, page, page}));
        dialogs->answerMessage(MessageAnswer::Ok);
        runUpload();

        QStringList expected = kSuccess;
        expected[1] = row.connected;
        EXPECT_EQ(statuses, expected);
        // The whole upload's bytes, growing to the sum of the files.
        const QList<qint64> shown = counts();
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_TRUE(std::is_sorted(shown.cbegin(), shown.cend()));
        EXPECT_EQ(shown.constLast(), 11000);
        EXPECT_TRUE(ui().upload.lblUpload4->text().isEmpty());
        EXPECT_TRUE(boxes(MessageKind::Warning).isEmpty());
        ASSERT_EQ(boxes(MessageKind::Information).size(), 1);
        EXPECT_EQ(boxes(MessageKind::Information)[0].text, kSuccess[3]);
        const QString folder = server.root() + QLatin1Char('/') + QLatin1String(directory);
        EXPECT_EQ(read(folder + QStringLiteral("/index.html")), read(page));
        EXPECT_EQ(read(folder + QStringLiteral("/logo.gif")), read(logo));
        QFile::remove(folder + QStringLiteral("/index.html"));
        QFile::remove(folder + QStringLiteral("/logo.gif"));
    }
}

// One warning says how many files arrived, then names each file left out with the reason;
// the page, last in the list, is held back when another file failed, so that the page on the
// server never points at a file that is not there.
TEST_F(UploadTest, AFailureShowsOneWarningNamingEachFileLeftOutAndWhy)
{
    struct Case {
        const char *name;
        const char *password;
        int failing;     // the list entry that fails; -1: the login
        const char *why; // how that entry's reason (or the login's) begins
        const char *outcome;
    };
    const Case cases[] = {
        {"refused login", "wrong", -1, "Error 530", nullptr},
        {"missing local file", "pass", 1, "Error 426 Unable to open local file ",
            "Transfer incomplete: 1 of 3 files sent"},
        {"server refuses the name", "pass", 0, "Error 550",
            "Transfer incomplete: 1 of 3 files sent"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        useProfile(QString(), QString::fromLatin1(c.password));
        QStringList files {file(QStringLiteral("a.gif"), 10), file(QStringLiteral("b.gif"), 10),
            file(QStringLiteral("c.html"), 10)};
        if (c.failing == 1)
            files[1] = local.filePath(QStringLiteral("gone.gif"));
        if (c.failing == 0) // the server holds a folder of that name
            files[0] = file(QStringLiteral("site"), 10);
        std::reverse(files.begin(), files.end());
        addFiles(files);
        dialogs->answerMessage(MessageAnswer::Ok);
        runUpload();

        ASSERT_EQ(dialogs->messages().size(), 1);
        const ScriptedDialogs::Message &box = dialogs->messages()[0];
        EXPECT_EQ(box.kind, MessageKind::Warning);
        const QString &text = box.text;
        EXPECT_TRUE(text.contains(QLatin1String("  Could not complete request.")));
        if (c.failing < 0) {
            EXPECT_TRUE(text.startsWith(QLatin1String(c.why))) << text.toStdString();
        } else {
            EXPECT_TRUE(text.startsWith(QLatin1String(c.outcome))) << text.toStdString();
            EXPECT_TRUE(statuses.contains(QLatin1String(c.outcome)));
            const QString failed = QStringLiteral("File: ") + listed()[c.failing] + u'\n';
            EXPECT_TRUE(text.contains(failed + QLatin1String(c.why))) << text.toStdString();
            EXPECT_TRUE(text.contains(QStringLiteral("File: ") + listed()[2]
                + QStringLiteral("\nNot sent, so that the page on the server does not point")))
                << text.toStdString();
            // The other picture arrived.
            const int other = c.failing == 0 ? 1 : 0;
            EXPECT_EQ(read(server.root() + u'/' + QFileInfo(listed()[other]).fileName()),
                read(listed()[other]));
        }
        EXPECT_FALSE(statuses.contains(kSuccess[3]));
        EXPECT_EQ(statuses.constLast(), kSuccess[4]);
        EXPECT_FALSE(QFile::exists(server.root() + QStringLiteral("/c.html")));
        QFile::remove(server.root() + QStringLiteral("/a.gif"));
        QFile::remove(server.root() + QStringLiteral("/b.gif"));
    }
}

TEST_F(UploadTest, WhileUploadingTheStepIsLockedAndClosingAsksToStop)
{
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        const bool stop = answer == MessageAnswer::Yes;
        SCOPED_TRACE(stop ? "stop" : "go on");
        restart();
        useProfile(QString());
        const QString big = file(QStringLiteral("big.bin"), 2'000'000);
        addFiles({big});
        QList<bool> enabled;
        bool acted = false;
        QObject::connect(&window->upload(), &UploadStep::progressShown, window.get(), [&] {
            if (acted || progress.size() < 3)
                return;
            acted = true;
            QTimer::singleShot(0, window.get(), [&] {
                for (QWidget *control : std::initializer_list<QWidget *> {ui().upload.btnUpload,
                         ui().upload.btnUploadAddFiles, ui().upload.btnUploadRemove,
                         ui().upload.btnUploadNew, ui().upload.lsbFiles, ui().upload.cbSites})
                    enabled << control->isEnabled();
                window->upload().btnUploadClick();
                dialogs->answerMessage(answer);
                window->close();
                if (!stop) // the final box
                    dialogs->answerMessage(MessageAnswer::Ok);
            });
        });
        runUpload();

        ASSERT_TRUE(acted);
        EXPECT_EQ(enabled, QList<bool>(6, false));
        EXPECT_EQ(statuses.count(kSuccess[0]), 1);
        EXPECT_EQ(window->isVisible(), !stop);
        EXPECT_EQ(boxes(MessageKind::Warning).size(), 0);
        EXPECT_EQ(boxes(MessageKind::Information).size(), stop ? 0 : 1);
        EXPECT_EQ(statuses.constLast(), kSuccess[4]);
        EXPECT_EQ(read(server.root() + QStringLiteral("/big.bin")) == read(big), !stop);
        EXPECT_TRUE(ui().upload.btnUpload->isEnabled());
        QFile::remove(server.root() + QStringLiteral("/big.bin"));
    }
}

TEST_F(UploadTest, TheWindowMayGoInTheMiddleOfAnUpload)
{
    useProfile(QString());
    addFiles({file(QStringLiteral("small.bin"), 10), file(QStringLiteral("big.bin"), 2'000'000)});
    QPointer<SiteUpload> upload;
    QObject context;
    QObject::connect(&window->upload(), &UploadStep::progressShown, &context, [&] {
        if (progress.size() == 3) {
            upload = window->findChild<SiteUpload *>();
            QTimer::singleShot(0, &context, [&] { window.reset(); });
        }
    });
    runUpload();
    EXPECT_EQ(window, nullptr);
    // The upload went with the window, its connections cut.
    EXPECT_TRUE(upload.isNull());
}

// The profile dialog's Test button tries what is typed, against the real server, and says in
// one sentence how far it came; it never saves.
TEST_F(UploadTest, TheProfileDialogsTestSaysWhatWorkedOrWhereItStopped)
{
    // A port that refuses connections: bound, never listening.
    const int closed = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(closed, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::getsockname(closed, reinterpret_cast<sockaddr *>(&address), &length), 0);
    const QString refusing = QString::number(ntohs(address.sin_port));
    const QString port = QString::number(server.port());

    const struct {
        const char *password;
        const char *directory;
        const char *mode;
        QString port;
        MessageKind kind;
        QString says;
        TFtpSecurity security = TFtpSecurity::None;
    } rows[] = {
        {"pass", "site", "Automatic", port, MessageKind::Information,
            QStringLiteral("and a data connection in passive mode.")},
        {"pass", "", "Passive", port, MessageKind::Information,
            QStringLiteral("and a data connection in passive mode.")},
        {"pass", "site", "Active", port, MessageKind::Information,
            QStringLiteral("and a data connection in active mode.")},
        {"wrong", "site", "Automatic", port, MessageKind::Warning,
            QStringLiteral("The test failed: the server refused the login (530 ")},
        {"pass", "nowhere", "Automatic", port, MessageKind::Warning,
            QStringLiteral("The test failed: the initial directory \"nowhere\" is missing on the "
                           "server (550 ")},
        {"pass", "site", "Automatic", refusing, MessageKind::Warning,
            QStringLiteral("The test failed: no connection to 127.0.0.1 on port %1 (Connection "
                           "refused).")
                .arg(refusing)},
        {"pass", "site", "Automatic", QStringLiteral("2l"), MessageKind::Error,
            QStringLiteral("'2l' is not a valid integer value")},
        // This server offers no TLS.
        {"pass", "site", "Automatic", port, MessageKind::Information,
            QStringLiteral("passive mode. Note: the connection was not encrypted, since the "
                           "server does not offer TLS."),
            TFtpSecurity::ExplicitIfAvailable},
        {"pass", "site", "Automatic", port, MessageKind::Warning,
            QStringLiteral("The test failed: the server did not set up encryption (Server "
                           "refused AUTH TLS: "),
            TFtpSecurity::ExplicitRequired},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.says.toStdString());
        dialogs->answerDialog([&](QDialog &d) {
            type(d, "txtHostName", QStringLiteral("127.0.0.1"));
            type(d, "txtUserName", QStringLiteral("user"));
            type(d, "txtPassword", QLatin1String(row.password));
            type(d, "txtInitialDir", QLatin1String(row.directory));
            type(d, "txtPort", row.port);
            auto *mode = child<QComboBox>(d, "cbTransferMode");
            mode->setCurrentIndex(mode->findText(QLatin1String(row.mode)));
            child<QComboBox>(d, "cbSecurity")->setCurrentIndex(static_cast<int>(row.security));
            dialogs->answerMessage(MessageAnswer::Ok);
            click(d, "btnTest");
            // The dialog stays, every field usable again.
            EXPECT_TRUE(d.isVisible());
            EXPECT_TRUE(child<QLineEdit>(d, "txtHostName")->isEnabled());
            click(d, "btnCancel");
        });
        ui().upload.btnUploadNew->click();
        ASSERT_FALSE(dialogs->messages().isEmpty());
        const ScriptedDialogs::Message &shown = dialogs->messages().constLast();
        EXPECT_EQ(shown.kind, row.kind);
        EXPECT_TRUE(shown.text.contains(row.says)) << shown.text.toStdString();
    }
    ::close(closed);
    // Nothing was saved, nothing listed.
    EXPECT_FALSE(QFile::exists(ProfileStore::remoteIniPath(window->applicationDirectory())));
    EXPECT_EQ(ui().upload.cbSites->count(), 0);
}

// A server that takes the connection and sends a TLS record instead of a greeting speaks
// implicit TLS: the Test says that it did not answer and what to choose, without waiting.
TEST_F(UploadTest, TheProfileDialogsTestSuggestsImplicitTlsForAServerThatDoesNotGreet)
{
    ScriptedFtpServer implicit;
    implicit.greeting = QByteArray("\x15\x03\x03\x00\x02\x02\x46", 7);
    implicit.start();
    dialogs->answerDialog([&](QDialog &d) {
        type(d, "txtHostName", QStringLiteral("127.0.0.1"));
        type(d, "txtUserName", QStringLiteral("user"));
        type(d, "txtPort", QString::number(implicit.port()));
        dialogs->answerMessage(MessageAnswer::Ok);
        click(d, "btnTest");
        click(d, "btnCancel");
    });
    ui().upload.btnUploadNew->click();
    implicit.join();
    ASSERT_FALSE(dialogs->messages().isEmpty());
    EXPECT_EQ(dialogs->messages().constLast().text,
        QStringLiteral("The test failed: the server 127.0.0.1 took the connection on port %1 but "
                       "did not answer. It may expect implicit TLS: please choose \"Implicit TLS "
                       "(port 990)\" under Security.")
            .arg(implicit.port()));
}

// A server that never answers keeps the test waiting; Cancel stops it at once and closes the
// dialog without a message.
TEST_F(UploadTest, CancelStopsAProfileTestThatHangs)
{
    ScriptedFtpServer silent;
    silent.greeting.clear();
    silent.start();
    bool rejected = false;
    dialogs->answerDialog([&](QDialog &d) {
        type(d, "txtHostName", QStringLiteral("127.0.0.1"));
        type(d, "txtUserName", QStringLiteral("user"));
        type(d, "txtPort", QString::number(silent.port()));
        QObject::connect(&d, &QDialog::rejected, &d, [&] { rejected = true; });
        QTimer::singleShot(100, &d, [&] {
            EXPECT_FALSE(child<QPushButton>(d, "btnOK")->isEnabled());
            click(d, "btnCancel");
        });
        click(d, "btnTest");
    });
    ui().upload.btnUploadNew->click();
    EXPECT_TRUE(rejected);
    EXPECT_TRUE(dialogs->messages().isEmpty());
    silent.join();
}

// A server with a certificate the system does not trust, for a profile that requires TLS: the
// question comes before the login; Cancel fails the upload, Trust keeps the fingerprint and
// the next upload goes on without asking; another certificate later asks again, saying that
// it changed.
TEST_F(UploadTest, AnUntrustedCertificateIsAskedAboutThenTrustedAndRemembered)
{
    using Kind = TestCertificates::Kind;
    TestCertificates certificates;
    ASSERT_TRUE(certificates.valid());
    const QString ini = ProfileStore::remoteIniPath(window->applicationDirectory());
    const QString trusted = Fingerprints::format(certificates.sha256(Kind::SelfSigned));
    const QString page = file(QStringLiteral("index.html"), 3000);
    addFiles({page});
    const struct {
        const char *name;
        Kind served;
        std::optional<bool> answer; // none: no question
        bool changed;
        QString kept; // the profile's fingerprint afterwards
    } rows[] = {
        {"refused", Kind::SelfSigned, false, false, QString()},
        {"trusted", Kind::SelfSigned, true, false, trusted},
        {"remembered", Kind::SelfSigned, std::nullopt, false, trusted},
        {"changed", Kind::OtherSelfSigned, false, true, trusted},
    };
    qsizetype asked = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        statuses.clear();
        ScriptedFtpServer tls;
        tls.certificateFile = certificates.file(row.served);
        tls.on("EPSV", &ScriptedFtpServer::offerEpsv);
        tls.start();
        const QString port = QString::number(tls.port());
        if (ui().upload.cbSites->count() == 0) {
            TConnectInfo profile {QStringLiteral("127.0.0.1"), QStringLiteral("user"),
                QStringLiteral("secret"), QString(), port};
            profile.security = TFtpSecurity::ExplicitRequired;
            ASSERT_TRUE(ProfileStore::saveProfile(ini, {}, QStringLiteral("Test"), profile)
                            .error.isEmpty());
            window->upload().LoadProfiles();
        } else {
            ASSERT_TRUE(
                IniFile::writeValue(ini, QStringLiteral("Test"), QStringLiteral("Port"), port));
        }
        if (row.answer)
            dialogs->answerCertificate(*row.answer);
        dialogs->answerMessage(MessageAnswer::Ok); // the warning, or the final box
        runUpload();
        tls.join();

        const bool uploaded = !row.answer || *row.answer;
        ASSERT_EQ(dialogs->certificatePrompts().size(), asked + (row.answer ? 1 : 0));
        if (row.answer) {
            const CertificatePrompt &prompt = dialogs->certificatePrompts()[asked++];
            EXPECT_EQ(prompt.host, QStringLiteral("127.0.0.1"));
            EXPECT_EQ(prompt.fingerprint, Fingerprints::format(certificates.sha256(row.served)));
            EXPECT_EQ(prompt.changed, row.changed);
            EXPECT_FALSE(prompt.reason.isEmpty());
            EXPECT_TRUE(prompt.notBefore.isValid() && prompt.notBefore < prompt.notAfter);
        }
        const ScriptedDialogs::Message &box = dialogs->messages().constLast();
        EXPECT_EQ(box.kind, uploaded ? MessageKind::Information : MessageKind::Warning);
        if (!uploaded) {
            EXPECT_TRUE(box.text.startsWith(QLatin1String("Error Certificate not trusted: ")))
                << box.text.toStdString();
        }
        EXPECT_EQ(statuses.contains(QStringLiteral("Connected")), uploaded);
        EXPECT_EQ(tls.stored("index.html") == read(page), uploaded);
        EXPECT_EQ(ProfileStore::loadConnectInfo(ini, QStringLiteral("Test")).trustedCertificate,
            row.kept);
    }
}

// The profile dialog's Test asks about the certificate as an upload does: Cancel says the test
// stopped there, Trust lets it go on, and OK saves the trusted fingerprint with the profile.
TEST_F(UploadTest, TheProfileTestAsksAboutTheCertificateAndOkKeepsTheTrust)
{
    using Kind = TestCertificates::Kind;
    TestCertificates certificates;
    ASSERT_TRUE(certificates.valid());
    const QString fingerprint = Fingerprints::format(certificates.sha256(Kind::SelfSigned));
    for (const bool trust : {false, true}) {
        SCOPED_TRACE(trust ? "trusted" : "refused");
        ScriptedFtpServer tls;
        tls.certificateFile = certificates.file(Kind::SelfSigned);
        tls.on("EPSV", &ScriptedFtpServer::offerEpsv);
        tls.start();
        dialogs->answerDialog([&](QDialog &d) {
            type(d, "txtHostName", QStringLiteral("127.0.0.1"));
            type(d, "txtUserName", QStringLiteral("user"));
            type(d, "txtPassword", QStringLiteral("secret"));
            type(d, "txtPort", QString::number(tls.port()));
            auto *security = child<QComboBox>(d, "cbSecurity");
            security->setCurrentIndex(static_cast<int>(TFtpSecurity::ExplicitRequired));
            dialogs->answerCertificate(trust);
            dialogs->answerMessage(MessageAnswer::Ok);
            click(d, "btnTest");
            click(d, "btnOK");
        });
        ui().upload.btnUploadNew->click();
        tls.join();
        ASSERT_EQ(dialogs->certificatePrompts().size(), trust ? 2 : 1);
        EXPECT_EQ(dialogs->certificatePrompts().constLast().fingerprint, fingerprint);
        const ScriptedDialogs::Message &said = dialogs->messages().constLast();
        EXPECT_EQ(said.kind, trust ? MessageKind::Information : MessageKind::Warning);
        EXPECT_TRUE(said.text.startsWith(trust
                ? QStringLiteral("The test worked")
                : QStringLiteral("The test stopped: the server's certificate was not trusted (")))
            << said.text.toStdString();
        const TConnectInfo saved = ProfileStore::loadConnectInfo(
            ProfileStore::remoteIniPath(window->applicationDirectory()),
            QStringLiteral("Untitled"));
        EXPECT_EQ(saved.security, TFtpSecurity::ExplicitRequired);
        EXPECT_EQ(saved.trustedCertificate, trust ? fingerprint : QString());
    }
}
