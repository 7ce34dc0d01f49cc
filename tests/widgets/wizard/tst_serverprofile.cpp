#include "profilestore.h"
#include "uploadstep.h"
#include "wizardfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

#include <optional>

// The server list, the profile dialog and the upload list of the Upload step.
class ServerProfileTest : public WizardTest {
protected:
    QString ini() const { return ProfileStore::remoteIniPath(window->applicationDirectory()); }
    QStringList sites() const
    {
        QStringList result;
        for (int i = 0; i < ui().upload.cbSites->count(); ++i)
            result << ui().upload.cbSites->itemText(i);
        return result;
    }
    QStringList listed() const
    {
        QStringList result;
        for (int row = 0; row < ui().upload.lsbFiles->count(); ++row)
            result << ui().upload.lsbFiles->item(row)->text();
        return result;
    }
    static void type(QDialog &d, const char *field, const QString &text)
    {
        child<QLineEdit>(d, field)->setText(text);
    }
};

TEST_F(ServerProfileTest, SavingKeepsWhatWasWrittenAndTheDialogOpenUntilItIsRight)
{
    // A fresh dialog: its caption, focus, hidden password and tab order.
    dialogs->answerDialog([&](QDialog &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Server Profile"));
        EXPECT_EQ(child<QLineEdit>(d, "txtPassword")->echoMode(), QLineEdit::Password);
        QWidget *at = child<QLineEdit>(d, "txtProfileName");
        for (const char *next : {"txtHostName", "txtInitialDir", "txtUserName", "txtPassword",
                 "txtPort", "cbTransferMode", "cbSecurity", "chkRenameAfterUpload", "btnTest",
                 "btnOK", "btnCancel"}) {
            // As Tab moves: past the labels, which take no focus.
            do
                at = at->nextInFocusChain();
            while (!(at->focusPolicy() & Qt::TabFocus));
            EXPECT_EQ(at->objectName(), QLatin1String(next));
        }
        type(d, "txtHostName", QStringLiteral("ftp.example.com"));
        type(d, "txtPassword", QStringLiteral("secret"));
        type(d, "txtPort", QStringLiteral("2x1"));
        dialogs->answerMessage(MessageAnswer::Ok);
        click(d, "btnOK");
        // Still open; the values before the port are written and the name is listed.
        ASSERT_TRUE(d.isVisible());
        EXPECT_EQ(dialogs->messages().constLast().text,
            QStringLiteral("'2x1' is not a valid integer value"));
        EXPECT_EQ(ProfileStore::loadConnectInfo(ini(), QStringLiteral("Untitled")).password,
            QStringLiteral("secret"));
        EXPECT_EQ(sites(), QStringList {QStringLiteral("Untitled")});
        type(d, "txtPort", QStringLiteral("2121"));
        // New profiles connect in the automatic mode unless told otherwise.
        auto *mode = child<QComboBox>(d, "cbTransferMode");
        EXPECT_EQ(mode->currentText(), QStringLiteral("Automatic"));
        mode->setCurrentIndex(mode->findText(QStringLiteral("Active")));
        click(d, "btnOK");
    });
    ui().upload.btnUploadNew->click();
    EXPECT_EQ(ProfileStore::loadConnectInfo(ini(), QStringLiteral("Untitled")).transferMode,
        TFtpTransferMode::Active);
    // The saved entry was selected by the program, not picked: Edit stays off.
    EXPECT_FALSE(ui().upload.btnUploadEdit->isEnabled());
    EXPECT_EQ(ProfileStore::loadConnectInfo(ini(), QStringLiteral("Untitled")).port,
        QStringLiteral("2121"));

    // Renaming while editing makes a second profile; the first stays as it was. A name that
    // would break the file is refused and nothing is written.
    ui().upload.cbSites->setCurrentIndex(0);
    dialogs->answerDialog([&](QDialog &d) {
        EXPECT_EQ(child<QLineEdit>(d, "txtPassword")->text(), QStringLiteral("secret"));
        EXPECT_EQ(child<QComboBox>(d, "cbTransferMode")->currentText(), QStringLiteral("Active"));
        type(d, "txtProfileName", QStringLiteral("a]b"));
        dialogs->answerMessage(MessageAnswer::Ok);
        click(d, "btnOK");
        ASSERT_TRUE(d.isVisible());
        EXPECT_EQ(sites(), QStringList {QStringLiteral("Untitled")});
        type(d, "txtProfileName", QStringLiteral("Work"));
        type(d, "txtHostName", QStringLiteral("work.example.com"));
        click(d, "btnOK");
    });
    emit ui().upload.cbSites->activated(0);
    ui().upload.btnUploadEdit->click();
    EXPECT_EQ(sites(), QStringList({QStringLiteral("Untitled"), QStringLiteral("Work")}));
    EXPECT_EQ(ui().upload.cbSites->currentIndex(), 1);
    EXPECT_EQ(ProfileStore::loadConnectInfo(ini(), QStringLiteral("Untitled")).hostName,
        QStringLiteral("ftp.example.com"));
    EXPECT_EQ(ProfileStore::loadConnectInfo(ini(), QStringLiteral("Work")).hostName,
        QStringLiteral("work.example.com"));

    // Read back at start-up, the first selected.
    createWindow();
    EXPECT_EQ(sites(), QStringList({QStringLiteral("Untitled"), QStringLiteral("Work")}));
    EXPECT_EQ(ui().upload.cbSites->currentIndex(), 0);
}

TEST_F(ServerProfileTest, TheUploadListAndItsButtons)
{
    EXPECT_FALSE(ui().upload.btnUploadEdit->isEnabled());
    // Picking a server enables Edit for good, and Upload only with files listed.
    emit ui().upload.cbSites->activated(-1);
    EXPECT_TRUE(ui().upload.btnUploadEdit->isEnabled());
    EXPECT_FALSE(ui().upload.btnUpload->isEnabled());

    const QString a = appDir.filePath(QStringLiteral("a")),
                  b = appDir.filePath(QStringLiteral("b")),
                  c = appDir.filePath(QStringLiteral("c"));
    dialogs->answerFile(QStringList({a, b, c}).join(u'\n'));
    ui().upload.btnUploadAddFiles->click();
    dialogs->answerFile(a);
    ui().upload.btnUploadAddFiles->click();
    EXPECT_EQ(listed(), QStringList({c, b, a, a}));
    EXPECT_TRUE(ui().upload.btnUploadRemove->isEnabled());
    EXPECT_TRUE(ui().upload.btnUpload->isEnabled());
    EXPECT_EQ(window->upload().filesExtent(),
        ui().upload.lsbFiles->fontMetrics().horizontalAdvance(a) + 2);

    for (int left = 3; left >= 0; --left) {
        ui().upload.lsbFiles->item(0)->setSelected(true);
        ui().upload.btnUploadRemove->click();
        EXPECT_EQ(ui().upload.lsbFiles->count(), left);
        EXPECT_EQ(ui().upload.btnUpload->isEnabled(), left > 0);
        EXPECT_EQ(ui().upload.btnUploadRemove->isEnabled(), left > 0);
    }
    EXPECT_EQ(window->upload().filesExtent(), 2);
    EXPECT_TRUE(ui().upload.btnUploadEdit->isEnabled());
}

TEST_F(ServerProfileTest, SecurityIsChosenPerProfileAndTrustStaysWithItsHost)
{
    const QStringList items {QStringLiteral("Encrypt if possible"),
        QStringLiteral("Always encrypt"), QStringLiteral("Implicit TLS (port 990)"),
        QStringLiteral("Never encrypt")};
    const struct {
        int item;
        TFtpSecurity saved;
        std::optional<MessageAnswer> portQuestion; // Implicit on port 21 offers 990
        const char *port;
    } rows[] = {
        {1, TFtpSecurity::ExplicitRequired, std::nullopt, "21"},
        {2, TFtpSecurity::Implicit, MessageAnswer::Yes, "990"},
        {2, TFtpSecurity::Implicit, MessageAnswer::No, "21"},
        {3, TFtpSecurity::None, std::nullopt, "21"},
        {0, TFtpSecurity::ExplicitIfAvailable, std::nullopt, "21"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.item);
        const QString name = QStringLiteral("P") + QString::number(ui().upload.cbSites->count());
        dialogs->answerDialog([&](QDialog &d) {
            auto *security = child<QComboBox>(d, "cbSecurity");
            QStringList shown;
            for (int i = 0; i < security->count(); ++i)
                shown << security->itemText(i);
            EXPECT_EQ(shown, items);
            EXPECT_EQ(security->currentIndex(), 0);
            type(d, "txtProfileName", name);
            security->setCurrentIndex(row.item);
            if (row.portQuestion)
                dialogs->answerMessage(*row.portQuestion);
            emit security->activated(row.item);
            click(d, "btnOK");
        });
        ui().upload.btnUploadNew->click();
        const TConnectInfo saved = ProfileStore::loadConnectInfo(ini(), name);
        EXPECT_EQ(saved.security, row.saved);
        EXPECT_EQ(saved.port, QLatin1String(row.port));
        dialogs->answerDialog([&](QDialog &d) {
            EXPECT_EQ(child<QComboBox>(d, "cbSecurity")->currentText(), items[row.item]);
        });
        window->upload().EditProfile(name);
    }
    EXPECT_EQ(dialogs->messages().size(), 2);
    EXPECT_TRUE(dialogs->allAnswersUsed());

    // A certificate trusted for the server stays through an edit of anything but its host.
    TConnectInfo trusted {
        QStringLiteral("ftp.example.com"), QStringLiteral("me"), {}, {}, QStringLiteral("21")};
    trusted.trustedCertificate = QStringList(32, QStringLiteral("AB")).join(u':');
    ProfileStore::saveProfile(ini(), sites(), QStringLiteral("Trusted"), trusted);
    for (const char *host : {" FTP.example.com", "other.example.com"}) {
        dialogs->answerDialog([&](QDialog &d) {
            type(d, "txtHostName", QLatin1String(host));
            click(d, "btnOK");
        });
        window->upload().EditProfile(QStringLiteral("Trusted"));
        EXPECT_EQ(
            ProfileStore::loadConnectInfo(ini(), QStringLiteral("Trusted")).trustedCertificate,
            host[0] == ' ' ? trusted.trustedCertificate : QString())
            << host;
    }
}

// Files are replaced on the server only once they arrived whole, unless the profile says
// otherwise; the choice is kept with the profile.
TEST_F(ServerProfileTest, TheProfileKeepsWhetherFilesAreRenamedAfterTheUpload)
{
    for (const bool rename : {false, true}) {
        SCOPED_TRACE(rename);
        dialogs->answerDialog([&](QDialog &d) {
            auto *check = child<QCheckBox>(d, "chkRenameAfterUpload");
            EXPECT_TRUE(check->isChecked());
            EXPECT_EQ(check->text(),
                QStringLiteral("Replace files on the server only after they have arrived whole"));
            EXPECT_FALSE(check->toolTip().isEmpty());
            EXPECT_FALSE(check->accessibleName().isEmpty());
            check->setChecked(rename);
            click(d, "btnOK");
        });
        ui().upload.btnUploadNew->click();
        EXPECT_EQ(
            ProfileStore::loadConnectInfo(ini(), QStringLiteral("Untitled")).renameAfterUpload,
            rename);
        dialogs->answerDialog([&](QDialog &d) {
            EXPECT_EQ(child<QCheckBox>(d, "chkRenameAfterUpload")->isChecked(), rename);
        });
        window->upload().EditProfile(QStringLiteral("Untitled"));
    }
}

// A Remote.ini larger than 16 MB is no file of profiles: the window says so instead of an
// empty server list, and saving a profile says so again and leaves the file as it was.
TEST_F(ServerProfileTest, ARemoteIniTooLargeIsToldAboutAndNeverWrittenOver)
{
    {
        QFile file(ini());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Profiles]\nName0=Home\n");
        // Sparse: no need to write the megabytes.
        ASSERT_TRUE(file.resize(16 * 1024 * 1024 + 1));
    }
    const auto tooLarge = [this] {
        return !dialogs->messages().isEmpty()
            && dialogs->messages().constLast().text.startsWith(
                QStringLiteral("Remote.ini is larger than 16 MB"));
    };
    createWindow(true, {}, [](ScriptedDialogs &d) { d.answerMessage(MessageAnswer::Ok); });
    EXPECT_TRUE(tooLarge());
    EXPECT_EQ(sites(), QStringList());
    dialogs->answerDialog([&](QDialog &d) {
        dialogs->answerMessage(MessageAnswer::Ok);
        click(d, "btnOK");
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(tooLarge());
        click(d, "btnCancel");
    });
    ui().upload.btnUploadNew->click();
    QFile file(ini());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), 16 * 1024 * 1024 + 1);
    EXPECT_TRUE(file.read(22) == "[Profiles]\nName0=Home\n");
}
