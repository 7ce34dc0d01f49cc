#include "loopbackpeer.h"
#include "messagenumbers.h"
#include "pyftpdserver.h"
#include "scriptedftpserver.h"
#include "siteupload.h"
#include "testcertificates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using Session = ScriptedFtpServer::Session;

const QByteArray FeatWithSize = "211-Features:\r\n SIZE\r\n211 End\r\n";
constexpr int FinishMs = 40000;

// What an upload raised, up to and after its finished().
struct Watched {
    QList<int> statuses;
    QStringList lines;
    QList<UploadedFile> files;
    int finishedCount = 0;
    int afterFinished = 0; // events of any kind after finished()
    UploadOutcome outcome;

    bool saw(const QString &part) const
    {
        return std::any_of(lines.cbegin(), lines.cend(),
            [&part](const QString &line) { return line.contains(part); });
    }
};

void watch(SiteUpload &upload, Watched &seen)
{
    const auto after = [&seen] {
        if (seen.finishedCount > 0)
            ++seen.afterFinished;
    };
    QObject::connect(&upload, &SiteUpload::statusChanged, [&seen, after](int message) {
        after();
        seen.statuses << message;
    });
    QObject::connect(&upload, &SiteUpload::display, [&seen, after](const QString &line) {
        after();
        seen.lines << line;
    });
    QObject::connect(&upload, &SiteUpload::fileFinished, [&seen, after](const UploadedFile &file) {
        after();
        seen.files << file;
    });
    QObject::connect(&upload, &SiteUpload::progress, after);
    QObject::connect(&upload, &SiteUpload::finished, [&seen](const UploadOutcome &outcome) {
        ++seen.finishedCount;
        seen.outcome = outcome;
    });
}

// Runs an upload to its end (bounded) and a moment beyond it, for events that should not come.
Watched runUpload(SiteUpload &upload)
{
    Watched seen;
    watch(upload, seen);
    upload.start();
    EXPECT_TRUE(QTest::qWaitFor([&seen] { return seen.finishedCount > 0; }, FinishMs))
        << seen.lines.join(u'\n').toStdString();
    QTest::qWait(50);
    EXPECT_EQ(seen.finishedCount, 1);
    EXPECT_EQ(seen.afterFinished, 0);
    EXPECT_FALSE(upload.running());
    // Every failed file says why.
    for (const UploadedFile &file : seen.outcome.files)
        EXPECT_EQ(file.reason.isEmpty(), file.stored) << file.remoteName.toStdString();
    return seen;
}

TConnectInfo profileFor(quint16 port, const QString &folder = QString())
{
    TConnectInfo profile {QStringLiteral("127.0.0.1"), QStringLiteral("user"),
        QStringLiteral("pass"), folder, QString::number(port)};
    profile.transferMode = TFtpTransferMode::Passive;
    profile.security = TFtpSecurity::None;
    return profile;
}

// Local files with contents that show a lost or misplaced block; the page last.
class LocalSite {
public:
    LocalSite(int pictures, qint64 size)
    {
        EXPECT_TRUE(m_dir.isValid());
        for (int i = 0; i < pictures; ++i)
            add(QStringLiteral("picture%1.jpg").arg(i), size + i);
        add(QStringLiteral("index.html"), 3000);
    }
    QStringList paths() const { return m_paths; }
    QByteArray bytes(int i) const { return PyFtpdServer::contents(m_paths.at(i)); }
    QByteArray name(int i) const { return SiteUpload::remoteNameOf(m_paths.at(i)).toUtf8(); }
    int count() const { return int(m_paths.size()); }

private:
    void add(const QString &name, qint64 size)
    {
        m_paths << PyFtpdServer::writeFile(m_dir.filePath(name), size);
    }
    QTemporaryDir m_dir;
    QStringList m_paths;
};

// Starts the scripted server, uploads the site to it and waits for both to end.
Watched uploadTo(ScriptedFtpServer &server, const LocalSite &local, const TConnectInfo &profile,
    int connections = SiteUpload::DefaultConnections, int timeout = 15)
{
    server.start();
    SiteUpload upload;
    upload.setProfile(profile);
    upload.setFiles(local.paths());
    upload.setConnections(connections);
    upload.setTimeout(timeout);
    Watched seen = runUpload(upload);
    server.join();
    return seen;
}

// --- A real server ---------------------------------------------------------------------------

class SiteUploadPyftpdlib : public ::testing::TestWithParam<int> {};

TEST_P(SiteUploadPyftpdlib, ReplacesEveryFileWholeAndLeavesNoTemporaryName)
{
    PyFtpdServer server(QStringLiteral("user"), QStringLiteral("pass"));
    ASSERT_TRUE(server.failure().isEmpty()) << server.failure().toStdString();
    const QDir site(server.root() + QStringLiteral("/site"));
    ASSERT_TRUE(QDir(server.root()).mkdir(QStringLiteral("site")));
    const LocalSite local(5, 300000);
    for (int i = 0; i < local.count(); ++i) {
        QFile old(site.filePath(QString::fromUtf8(local.name(i))));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the old version");
    }
    SiteUpload upload;
    TConnectInfo profile = profileFor(server.port(), QStringLiteral("site"));
    profile.transferMode = TFtpTransferMode::Auto;
    upload.setProfile(profile);
    upload.setFiles(local.paths());
    upload.setConnections(GetParam());
    const Watched seen = runUpload(upload);
    EXPECT_TRUE(seen.outcome.complete()) << seen.lines.join(u'\n').toStdString();
    EXPECT_TRUE(seen.outcome.failure.isEmpty());
    for (int i = 0; i < local.count(); ++i)
        EXPECT_TRUE(PyFtpdServer::contents(site.filePath(QString::fromUtf8(local.name(i))))
            == local.bytes(i))
            << local.name(i).constData();
    EXPECT_EQ(site.entryList(QDir::Files | QDir::Hidden).size(), local.count())
        << site.entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString();
    EXPECT_TRUE(seen.saw(QStringLiteral("> RNTO index.html")));
    EXPECT_EQ(seen.statuses,
        QList<int>({Msg::Connecting, Msg::Connected, Msg::TransferringFiles, Msg::TransferComplete,
            Msg::Disconnected}));
}

INSTANTIATE_TEST_SUITE_P(SiteUpload, SiteUploadPyftpdlib, ::testing::Values(1, 3),
    [](const ::testing::TestParamInfo<int> &info) {
        return std::to_string(info.param) + "Connections";
    });

// --- Scripted faults -------------------------------------------------------------------------

// Reads part of a file and cuts the data connection, as a server whose disk filled up would.
void cutMidFile(Session &session, const QByteArray &name)
{
    session.reply("150 Opening data connection\r\n");
    const int data = session.connectData();
    QByteArray part;
    LoopbackPeer::receiveExactly(data, 1000, part);
    // What came is kept, as real servers keep a file cut short.
    session.store(name, part);
    LoopbackPeer::resetAndClose(data);
    session.reply("426 Connection closed; transfer aborted.\r\n");
}

// The verb's fault for the first picture's temporary file, the server's own answer for the rest.
void firstPicture(ScriptedFtpServer &server, const QByteArray &verb,
    void (*fault)(Session &, const QByteArray &), void (*usual)(Session &, const QByteArray &))
{
    server.on(verb, [fault, usual](Session &session, const QByteArray &name) {
        (name == ".picture0.jpg.zephyro-upload" ? fault : usual)(session, name);
    });
}

bool isTemporary(const QByteArray &name)
{
    return name.startsWith('.') && name.endsWith(".zephyro-upload");
}

struct Fault {
    const char *name;
    void (*script)(ScriptedFtpServer &server);
    int sessions;
    int connections;
    // Which files are stored: all; the pictures after the first, the page held back since the
    // first failed; or none after the first.
    enum class Stored { All, OtherPictures, OnlyFirst } stored;
    const char *reason;  // how each failed file's reason begins
    const char *line;    // a display line that must be shown, or nullptr
    bool reconnects;     // Msg::Reconnecting is raised
    const char *failure; // how the outcome's failure begins, nullptr: none
};

class SiteUploadFault : public ::testing::TestWithParam<Fault> {};

TEST_P(SiteUploadFault, LeavesOldFilesWholeAndNamesWhatFailed)
{
    const Fault &row = GetParam();
    ScriptedFtpServer server;
    server.sessions = row.sessions;
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    server.on("FEAT", FeatWithSize);
    const LocalSite local(3, 5000);
    for (int i = 0; i < local.count(); ++i)
        server.setStored(local.name(i), "old " + local.name(i));
    row.script(server);
    // A timeout longer than FinishMs: no fault may be left to it.
    const Watched seen = uploadTo(server, local, profileFor(server.port()), row.connections, 60);

    const QString log = seen.lines.join(u'\n');
    for (int i = 0; i < local.count(); ++i) {
        SCOPED_TRACE(local.name(i).constData());
        const bool heldBack = row.stored == Fault::Stored::OtherPictures && i + 1 == local.count();
        const bool stored = row.stored == Fault::Stored::All
            || (row.stored == Fault::Stored::OtherPictures && i != 0 && !heldBack)
            || (row.stored == Fault::Stored::OnlyFirst && i == 0);
        const UploadedFile &file = seen.outcome.files.at(std::size_t(i));
        EXPECT_EQ(file.stored, stored) << log.toStdString();
        EXPECT_TRUE(
            server.stored(local.name(i)) == (stored ? local.bytes(i) : "old " + local.name(i)));
        EXPECT_EQ(file.heldBack, heldBack);
        if (!stored && !heldBack) {
            EXPECT_TRUE(file.reason.startsWith(QLatin1String(row.reason)))
                << file.reason.toStdString();
        }
        EXPECT_FALSE(file.reason.contains(QStringLiteral("Size not checked")));
    }
    for (const QByteArray &name : server.storedNames())
        EXPECT_FALSE(isTemporary(name) && row.stored != Fault::Stored::OnlyFirst) << name.data();
    if (row.line != nullptr) {
        EXPECT_TRUE(seen.saw(QLatin1String(row.line))) << log.toStdString();
    }
    EXPECT_EQ(seen.statuses.contains(Msg::Reconnecting), row.reconnects);
    if (row.failure == nullptr) {
        EXPECT_TRUE(seen.outcome.failure.isEmpty()) << seen.outcome.failure.toStdString();
    } else {
        EXPECT_TRUE(seen.outcome.failure.startsWith(QLatin1String(row.failure)))
            << seen.outcome.failure.toStdString();
    }
    EXPECT_EQ(seen.files.size(), local.count());
}

const Fault faults[] = {
    {"TransferCutMidFile",
        [](ScriptedFtpServer &server) {
            firstPicture(server, "STOR", &cutMidFile, &ScriptedFtpServer::storeFile);
        },
        1, 1, Fault::Stored::OtherPictures, "426 ", nullptr, false, nullptr},
    {"SizeMismatch",
        [](ScriptedFtpServer &server) {
            firstPicture(
                server, "SIZE",
                [](Session &session, const QByteArray &) { session.reply("213 1\r\n"); },
                &ScriptedFtpServer::sizeOf);
        },
        1, 1, Fault::Stored::OtherPictures, "550 Size check failed", nullptr, false, nullptr},
    {"DropAfterTheFirstFile",
        [](ScriptedFtpServer &server) {
            server.on("RNTO", [](Session &session, const QByteArray &name) {
                ScriptedFtpServer::renameToFile(session, name);
                if (session.index == 0)
                    session.end();
            });
        },
        2, 1, Fault::Stored::All, "", "! Connection lost", true, nullptr},
    {"DropAgainAfterReconnecting",
        [](ScriptedFtpServer &server) {
            server.on("RNTO", [](Session &session, const QByteArray &name) {
                ScriptedFtpServer::renameToFile(session, name);
                session.end();
            });
            server.on("STOR", [](Session &session, const QByteArray &name) {
                if (session.index == 0) {
                    ScriptedFtpServer::storeFile(session, name);
                    return;
                }
                session.reply("421 Service closing\r\n");
                session.end();
            });
        },
        2, 1, Fault::Stored::OnlyFirst, "421 Service closing", "! Connection lost", true,
        "421 Service closing"},
    {"IdleTimeoutBetweenFiles",
        [](ScriptedFtpServer &server) {
            server.on("EPSV", [&server](Session &session, const QByteArray &argument) {
                const QList<QByteArray> sent = server.commandsOf(session.index);
                if (session.index == 0
                    && std::count(sent.cbegin(), sent.cend(), QByteArray("EPSV")) == 2) {
                    session.reply("421 Idle timeout\r\n");
                    session.end();
                    return;
                }
                ScriptedFtpServer::offerEpsv(session, argument);
            });
        },
        2, 1, Fault::Stored::All, "", "421 Idle timeout", true, nullptr},
    {"IdleTimeoutAnsweringSize",
        [](ScriptedFtpServer &server) {
            // The connection is left open: the 421 alone must end it.
            server.on("SIZE", [](Session &session, const QByteArray &name) {
                if (session.index == 0)
                    session.reply("421 Idle timeout\r\n");
                else
                    ScriptedFtpServer::sizeOf(session, name);
            });
        },
        2, 1, Fault::Stored::All, "", "421 Idle timeout", true, nullptr},
    {"TemporaryNameRefused",
        [](ScriptedFtpServer &server) {
            server.on("STOR", [](Session &session, const QByteArray &name) {
                if (name.startsWith('.'))
                    session.reply("553 Dot files are not allowed\r\n");
                else
                    ScriptedFtpServer::storeFile(session, name);
            });
        },
        1, 1, Fault::Stored::All, "", "refused the temporary name (553 Dot files", false, nullptr},
    {"RenameFromRefused",
        [](ScriptedFtpServer &server) { server.on("RNFR", "550 Rename not allowed\r\n"); }, 1, 1,
        Fault::Stored::All, "", "refused the rename (550 Rename not allowed)", false, nullptr},
    {"RenameToRefused", [](ScriptedFtpServer &server) { server.on("RNTO", "553 File exists\r\n"); },
        1, 1, Fault::Stored::All, "", "refused the rename (553 File exists)", false, nullptr},
    {"OneConnectionOnly",
        [](ScriptedFtpServer &server) {
            server.greetings
                = {"220 Ready\r\n", "421 Too many connections\r\n", "421 Too many connections\r\n"};
        },
        3, 3, Fault::Stored::All, "", "not made: 421 Too many connections", false, nullptr},
    {"QuitNeverAnswered",
        [](ScriptedFtpServer &server) { server.on("QUIT", &ScriptedFtpServer::holdUnanswered); }, 1,
        1, Fault::Stored::All, "", "> QUIT", false, nullptr},
};

INSTANTIATE_TEST_SUITE_P(SiteUpload, SiteUploadFault, ::testing::ValuesIn(faults),
    [](const ::testing::TestParamInfo<Fault> &info) { return info.param.name; });

// The fallback is made once per connection: after it, no temporary name is tried.
TEST(SiteUploadFallback, StoresUnderFinalNamesOnceRefused)
{
    const struct {
        const char *name;
        bool renameAfterUpload;
        QByteArray (*stor)(const QByteArray &name); // the reply to STOR, empty: stored
        int temporaryStores;
    } rows[] = {
        {"RefusedOnce", true,
            [](const QByteArray &name) {
                return name.startsWith('.') ? QByteArray("553 No\r\n") : QByteArray();
            },
            1},
        {"NotAskedFor", false, [](const QByteArray &) { return QByteArray(); }, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedFtpServer server;
        server.on("EPSV", &ScriptedFtpServer::offerEpsv);
        const auto stor = row.stor;
        server.on("STOR", [stor](Session &session, const QByteArray &name) {
            const QByteArray refusal = stor(name);
            if (refusal.isEmpty())
                ScriptedFtpServer::storeFile(session, name);
            else
                session.reply(refusal);
        });
        const LocalSite local(3, 100);
        TConnectInfo profile = profileFor(server.port());
        profile.renameAfterUpload = row.renameAfterUpload;
        const Watched seen = uploadTo(server, local, profile, 1);
        EXPECT_TRUE(seen.outcome.complete());
        const QList<QByteArray> sent = server.commands();
        EXPECT_EQ(std::count_if(sent.cbegin(), sent.cend(),
                      [](const QByteArray &line) { return line.startsWith("STOR ."); }),
            row.temporaryStores);
        for (int i = 0; i < local.count(); ++i)
            EXPECT_TRUE(server.stored(local.name(i)) == local.bytes(i));
    }
}

// Pictures over three connections; the page waits for every one of them, the last one slow.
TEST(SiteUploadOrder, ThePageIsStoredAfterEveryPicture)
{
    ScriptedFtpServer server;
    server.sessions = 3;
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    server.on("STOR", [](Session &session, const QByteArray &name) {
        if (name != ".picture6.jpg.zephyro-upload") {
            ScriptedFtpServer::storeFile(session, name);
            return;
        }
        session.reply("150 Opening data connection\r\n");
        const QByteArray bytes = session.receiveData(session.connectData());
        // Time for a page sent too early to show up first.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        session.store(name, bytes);
        session.reply("226 Transfer complete\r\n");
    });
    const LocalSite local(7, 20000);
    const Watched seen = uploadTo(server, local, profileFor(server.port()), 3);
    EXPECT_TRUE(seen.outcome.complete());
    EXPECT_EQ(server.sessionCount(), 3);
    const QList<QByteArray> sent = server.commands();
    const qsizetype pageStored = sent.indexOf("STOR .index.html.zephyro-upload");
    ASSERT_GE(pageStored, 0);
    for (int i = 0; i + 1 < local.count(); ++i) {
        const qsizetype renamed = sent.indexOf("RNTO " + local.name(i));
        EXPECT_GE(renamed, 0) << local.name(i).constData();
        EXPECT_LT(renamed, pageStored) << local.name(i).constData();
    }
    for (int session = 0; session < 3; ++session)
        EXPECT_TRUE(server.commandsOf(session).contains("TYPE I")) << session;
    EXPECT_EQ(seen.files.constLast().remoteName, QStringLiteral("index.html"));
}

// Two entries of one name would write one temporary file from two connections at once: the
// later waits for the earlier, and the server keeps the later.
TEST(SiteUploadOrder, TwoFilesOfOneNameAreSentOneAfterTheOther)
{
    ScriptedFtpServer server;
    server.sessions = 3;
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    server.on("FEAT", FeatWithSize);
    server.on("STOR", [](Session &session, const QByteArray &name) {
        session.reply("150 Opening data connection\r\n");
        const QByteArray bytes = session.receiveData(session.connectData());
        // Time for a second store of the name to overlap.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        session.store(name, bytes);
        session.reply("226 Transfer complete\r\n");
    });
    QTemporaryDir local;
    ASSERT_TRUE(local.isValid());
    QStringList files;
    for (const char *path : {"a/x.jpg", "b/x.jpg", "index.html"}) {
        const QString file = local.filePath(QLatin1String(path));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        files << PyFtpdServer::writeFile(file, 1000 + files.size());
    }
    SiteUpload upload;
    upload.setProfile(profileFor(server.port()));
    upload.setFiles(files);
    upload.setConnections(3);
    server.start();
    const Watched seen = runUpload(upload);
    server.join();
    EXPECT_TRUE(seen.outcome.complete()) << seen.lines.join(u'\n').toStdString();
    const QList<QByteArray> sent = server.commands();
    const QByteArray store = "STOR .x.jpg.zephyro-upload";
    const qsizetype second = sent.indexOf(store, sent.indexOf(store) + 1);
    ASSERT_GE(second, 0);
    EXPECT_LT(sent.indexOf("RNTO x.jpg"), second);
    EXPECT_TRUE(server.stored("x.jpg") == PyFtpdServer::contents(files[1]));
}

// One question for the certificate, whose answer the other connections take.
TEST(SiteUploadCertificate, IsAskedOnceForEveryConnection)
{
    TestCertificates certificates;
    ASSERT_TRUE(certificates.valid());
    ScriptedFtpServer server;
    server.sessions = 3;
    server.certificateFile = certificates.file(TestCertificates::SelfSigned);
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    server.start();
    const LocalSite local(4, 1000);
    SiteUpload upload;
    TConnectInfo profile = profileFor(server.port());
    profile.security = TFtpSecurity::ExplicitRequired;
    upload.setProfile(profile);
    upload.setFiles(local.paths());
    int asked = 0;
    upload.onCertificate = [&asked](const TlsCertificateInfo &, bool) {
        ++asked;
        return true;
    };
    const Watched seen = runUpload(upload);
    server.join();
    EXPECT_TRUE(seen.outcome.complete()) << seen.lines.join(u'\n').toStdString();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(server.sessionCount(), 3);
    // The others logged in with the trust of the first.
    for (int session = 0; session < 3; ++session)
        EXPECT_TRUE(server.commandsOf(session).contains("TYPE I")) << session;
}

// A server gone quiet in the middle of a file: the request is given up after the time without
// progress, and the file sent again over a new connection.
TEST(SiteUploadTimeout, AQuietServerIsGivenUpAndTheFileSentAgain)
{
    ScriptedFtpServer server;
    server.sessions = 2;
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    server.on("STOR", [](Session &session, const QByteArray &name) {
        if (session.index == 0)
            ScriptedFtpServer::holdUnanswered(session, name);
        else
            ScriptedFtpServer::storeFile(session, name);
    });
    const LocalSite local(1, 1000);
    const Watched seen
        = uploadTo(server, local, profileFor(server.port()), SiteUpload::DefaultConnections, 1);
    EXPECT_TRUE(seen.outcome.complete()) << seen.lines.join(u'\n').toStdString();
    EXPECT_TRUE(seen.saw(QStringLiteral("! Connection lost (426 Timeout)")));
    EXPECT_TRUE(seen.statuses.contains(Msg::Reconnecting));
    for (int i = 0; i < local.count(); ++i)
        EXPECT_TRUE(server.stored(local.name(i)) == local.bytes(i));
}

TEST(SiteUploadFailure, ALoginRefusedEndsTheUploadWithItsReason)
{
    ScriptedFtpServer server;
    server.sessions = 2;
    server.on("PASS", "530 Login incorrect.\r\n");
    const LocalSite local(2, 100);
    const Watched seen = uploadTo(server, local, profileFor(server.port()));
    EXPECT_FALSE(seen.outcome.connected);
    EXPECT_EQ(seen.outcome.failure, QStringLiteral("530 Login incorrect."));
    EXPECT_EQ(seen.outcome.storedCount(), 0);
    // No second connection tried the password.
    EXPECT_EQ(server.sessionCount(), 1);
}

TEST(SiteUploadFailure, NoFilesFinishWithoutConnecting)
{
    LoopbackPeer::RefusedPort nowhere;
    SiteUpload upload;
    upload.setProfile(profileFor(nowhere.port()));
    const Watched seen = runUpload(upload);
    EXPECT_TRUE(seen.outcome.complete());
    EXPECT_TRUE(seen.outcome.failure.isEmpty());
    EXPECT_FALSE(seen.statuses.contains(Msg::Connecting));
}

TEST(SiteUploadAbort, CutsAtOnceAndRaisesNothingAfterFinished)
{
    ScriptedFtpServer server;
    server.on("EPSV", &ScriptedFtpServer::offerEpsv);
    server.start();
    const LocalSite local(1, 4 * 1024 * 1024);
    server.setStored(local.name(0), "old");
    SiteUpload upload;
    upload.setProfile(profileFor(server.port()));
    upload.setFiles(local.paths());
    Watched seen;
    watch(upload, seen);
    QObject::connect(&upload, &SiteUpload::progress, &upload, [&upload](const QString &, qint64) {
        if (upload.running())
            upload.abort();
    });
    upload.start();
    EXPECT_TRUE(QTest::qWaitFor([&seen] { return seen.finishedCount > 0; }, FinishMs));
    server.join();
    QTest::qWait(100);
    EXPECT_EQ(seen.finishedCount, 1);
    EXPECT_EQ(seen.afterFinished, 0);
    EXPECT_TRUE(seen.outcome.stopped);
    EXPECT_FALSE(seen.outcome.failure.isEmpty());
    EXPECT_FALSE(seen.outcome.files.front().stored);
    EXPECT_FALSE(seen.outcome.files.front().reason.isEmpty());
    EXPECT_TRUE(server.stored(local.name(0)) == "old");
}

} // namespace
