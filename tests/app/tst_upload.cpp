#include "../publish/pyftpdserver.h"
#include "profilestore.h"
#include "tftpclient.h"
#include "uploadstep.h"
#include "wizardfixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

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
    void useProfile(const QString &directory, const QString &password = QStringLiteral("pass"))
    {
        const ProfileStore::SaveOutcome saved = ProfileStore::saveProfile(
            ProfileStore::remoteIniPath(window->applicationDirectory()), {}, QStringLiteral("Test"),
            {QStringLiteral("127.0.0.1"), QStringLiteral("user"), password, directory,
                QString::number(server.port())});
        ASSERT_TRUE(saved.error.isEmpty()) << saved.error.toStdString();
        ui().cbSites->clear();
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
        ui().btnUploadAddFiles->click();
    }

    QStringList listed() const
    {
        QStringList result;
        for (int row = 0; row < ui().lsbFiles->count(); ++row)
            result << ui().lsbFiles->item(row)->text();
        return result;
    }

    // The last progress of each file: a count lower than the one before starts a new file.
    QList<qint64> finishedSizes() const
    {
        QList<qint64> sizes;
        qint64 last = -1;
        for (const QString &text : progress) {
            if (text.isEmpty())
                continue;
            const qint64 count = text.chopped(6).toLongLong();
            if (count < last)
                sizes << last;
            last = count;
        }
        if (last >= 0)
            sizes << last;
        return sizes;
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

TEST_F(UploadTest, SendsEveryListedFileIntoTheProfilesFolderOrWhereTheServerStarts)
{
    for (const char *directory : {"site", ""}) {
        SCOPED_TRACE(directory);
        restart();
        useProfile(QString::fromLatin1(directory));
        const QString page = file(QStringLiteral("index.html"), 3000);
        const QString logo = file(QStringLiteral("logo.gif"), 5000);
        addFiles({page, logo});
        addFiles({page});
        ASSERT_EQ(listed(), QStringList({logo, page, page}));
        dialogs->answerMessage(MessageAnswer::Ok);
        ui().btnUpload->click();

        EXPECT_EQ(statuses, kSuccess);
        EXPECT_EQ(finishedSizes(), QList<qint64>({5000, 3000, 3000}));
        EXPECT_TRUE(ui().lblUpload4->text().isEmpty());
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

TEST_F(UploadTest, AFailureShowsOneWarningNamingItAndCountsWhatWasSent)
{
    struct Case {
        const char *name;
        const char *password;
        int failing;     // the list entry that fails; -1: the login
        const char *box; // how the warning begins
        const char *outcome;
    };
    const Case cases[] = {
        {"refused login", "wrong", -1, "Error 530", nullptr},
        {"missing local file", "pass", 1, "Error 426 Unable to open local file ",
            "Transfer incomplete: 1 of 3 files sent"},
        {"server refuses the name", "pass", 0, "Error 550",
            "Transfer incomplete: 0 of 3 files sent"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        useProfile(QString(), QString::fromLatin1(c.password));
        QStringList files {file(QStringLiteral("a.html"), 10), file(QStringLiteral("b.gif"), 10),
            file(QStringLiteral("c.gif"), 10)};
        if (c.failing == 1)
            files[1] = local.filePath(QStringLiteral("gone.gif"));
        if (c.failing == 0) // the server holds a folder of that name
            files[0] = file(QStringLiteral("site"), 10);
        std::reverse(files.begin(), files.end());
        addFiles(files);
        dialogs->answerMessage(MessageAnswer::Ok);
        if (c.outcome != nullptr)
            dialogs->answerMessage(MessageAnswer::Ok);
        ui().btnUpload->click();

        const QList<ScriptedDialogs::Message> warnings = boxes(MessageKind::Warning);
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_TRUE(warnings[0].text.startsWith(QLatin1String(c.box)))
            << warnings[0].text.toStdString();
        EXPECT_TRUE(warnings[0].text.contains(QLatin1String("  Could not complete request.")));
        if (c.failing >= 0) {
            EXPECT_EQ(warnings[0].text.count(listed()[c.failing]), 1)
                << warnings[0].text.toStdString();
        }
        const QList<ScriptedDialogs::Message> finals = boxes(MessageKind::Information);
        ASSERT_EQ(finals.size(), c.outcome != nullptr ? 1 : 0);
        if (c.outcome != nullptr) {
            EXPECT_EQ(finals[0].text, QLatin1String(c.outcome));
            EXPECT_TRUE(statuses.contains(QLatin1String(c.outcome)));
        }
        EXPECT_FALSE(statuses.contains(kSuccess[3]));
        EXPECT_EQ(statuses.constLast(), kSuccess[4]);
        // Nothing after the failure was tried.
        EXPECT_FALSE(QFile::exists(server.root() + QStringLiteral("/c.gif")));
        QFile::remove(server.root() + QStringLiteral("/a.html"));
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
                for (QWidget *control :
                    std::initializer_list<QWidget *> {ui().btnUpload, ui().btnUploadAddFiles,
                        ui().btnUploadRemove, ui().btnUploadNew, ui().lsbFiles, ui().cbSites})
                    enabled << control->isEnabled();
                window->upload().btnUploadClick();
                dialogs->answerMessage(answer);
                window->close();
                if (!stop) // the final box
                    dialogs->answerMessage(MessageAnswer::Ok);
            });
        });
        ui().btnUpload->click();

        ASSERT_TRUE(acted);
        EXPECT_EQ(enabled, QList<bool>(6, false));
        EXPECT_EQ(statuses.count(kSuccess[0]), 1);
        EXPECT_EQ(window->isVisible(), !stop);
        EXPECT_EQ(boxes(MessageKind::Warning).size(), 0);
        EXPECT_EQ(boxes(MessageKind::Information).size(), stop ? 0 : 1);
        EXPECT_EQ(statuses.constLast(), kSuccess[4]);
        EXPECT_EQ(read(server.root() + QStringLiteral("/big.bin")) == read(big), !stop);
        EXPECT_TRUE(ui().btnUpload->isEnabled());
        QFile::remove(server.root() + QStringLiteral("/big.bin"));
    }
}

TEST_F(UploadTest, TheWindowMayGoInTheMiddleOfAnUpload)
{
    useProfile(QString());
    addFiles({file(QStringLiteral("small.bin"), 10), file(QStringLiteral("big.bin"), 2'000'000)});
    const QPointer<TFtpClient> ftp(&window->upload().ftp());
    QObject context;
    QObject::connect(&window->upload(), &UploadStep::progressShown, &context, [&] {
        if (progress.size() == 3)
            QTimer::singleShot(0, &context, [&] { window.reset(); });
    });
    ui().btnUpload->click();
    EXPECT_EQ(window, nullptr);
    // The client outlived the call that waited on it, and goes with the next events.
    QTRY_VERIFY(ftp.isNull());
}
