#include "certificatedialog.h"
#include "desktopshell.h"
#include "dialogservice.h"
#include "updown.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

TEST(DialogService, MessageBoxesAreTitledByKind)
{
    EXPECT_EQ(messageTitle(MessageKind::Confirmation), QStringLiteral("Confirm"));
    EXPECT_EQ(messageTitle(MessageKind::Information), QStringLiteral("Information"));
    EXPECT_EQ(messageTitle(MessageKind::Warning), QStringLiteral("Warning"));
    EXPECT_EQ(messageTitle(MessageKind::Error), QStringLiteral("Error"));
    EXPECT_EQ(
        messageTitle(MessageKind::Plain), QStringLiteral("Marbleton HTML Editor Zephyro 2.0"));
}

TEST(DialogService, FiltersBecomeQtNameFilters)
{
    EXPECT_EQ(qtNameFilters(QStringLiteral("Web Files|*.htm;*.html;*.txt|All Files|*.*")),
        QStringList(
            {QStringLiteral("Web Files (*.htm *.html *.txt)"), QStringLiteral("All Files (*.*)")}));
    EXPECT_EQ(qtNameFilters(QStringLiteral("Marbleton Zephyro Files|*.pwz")),
        QStringList({QStringLiteral("Marbleton Zephyro Files (*.pwz)")}));
    EXPECT_TRUE(qtNameFilters(QString()).isEmpty());
    EXPECT_EQ(qtNameFilters(QStringLiteral("Pictures|*.gif|Dangling")).size(), 1);
}

TEST(DesktopShell, TargetsBecomeAddresses)
{
    EXPECT_EQ(shellUrl(QStringLiteral("/home/me/site/index.html")),
        QUrl::fromLocalFile(QStringLiteral("/home/me/site/index.html")));
    EXPECT_EQ(shellUrl(QStringLiteral("/home/me/my site/a b.html")).toLocalFile(),
        QStringLiteral("/home/me/my site/a b.html"));
    EXPECT_EQ(shellUrl(QStringLiteral("https://www.example/x?y=1")),
        QUrl(QStringLiteral("https://www.example/x?y=1")));
    EXPECT_EQ(shellUrl(QStringLiteral("mailto:me@example.com")).scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(shellUrl(QStringLiteral("www.example.com")).scheme(), QStringLiteral("http"));
    EXPECT_TRUE(shellUrl(QStringLiteral("  ")).isEmpty());
}

TEST(UpDown, StepsFromTheTypedNumberWithinItsRange)
{
    QWidget parent;
    QLineEdit edit(QStringLiteral("120"), &parent);
    UpDown upDown(&edit, 0, 300, 120, &parent);

    upDown.stepBy(1);
    EXPECT_EQ(edit.text(), QStringLiteral("121"));
    edit.setText(QStringLiteral("299"));
    upDown.stepBy(5);
    EXPECT_EQ(edit.text(), QStringLiteral("300"));
    edit.setText(QStringLiteral("wide"));
    upDown.stepBy(-1);
    EXPECT_EQ(edit.text(), QStringLiteral("299")); // from the last good position
    edit.setText(QStringLiteral("-40"));
    upDown.stepBy(-1);
    EXPECT_EQ(edit.text(), QStringLiteral("0"));
}

namespace {

QString shown(const CertificateDialog &dialog, const char *name)
{
    const auto *label = dialog.findChild<QLabel *>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label != nullptr ? label->text() : QString();
}

} // namespace

TEST(CertificateDialog, ShowsTheFactsAndSaysWhenTheCertificateChanged)
{
    QString fingerprint;
    for (int i = 0; i < 32; ++i)
        fingerprint += QStringLiteral("%1:").arg(i, 2, 16, QLatin1Char('0')).toUpper();
    fingerprint.chop(1);
    CertificatePrompt prompt;
    prompt.host = QStringLiteral("ftp.example.com");
    prompt.subject = QStringLiteral("CN=<b>self</b>");
    prompt.issuer = QStringLiteral("CN=Example CA");
    // Certificates are dated in UTC; a time given in another zone is shown in UTC.
    prompt.notBefore = QDateTime(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC);
    prompt.notAfter = QDateTime(QDate(2027, 1, 2), QTime(5, 6), Qt::OffsetFromUTC, 3600);
    prompt.fingerprint = fingerprint;
    prompt.reason = QStringLiteral("self-signed certificate");
    QStringList translated;
    prompt.translate = [&](QWidget *dialog) { translated << dialog->objectName(); };

    for (const bool changed : {false, true}) {
        SCOPED_TRACE(changed ? "changed" : "new");
        prompt.changed = changed;
        CertificateDialog dialog(prompt);
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Server Certificate"));
        EXPECT_EQ(shown(dialog, "txtCertHost"), prompt.host);
        EXPECT_EQ(shown(dialog, "txtCertSubject"), prompt.subject);
        EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("txtCertSubject"))->textFormat(),
            Qt::PlainText);
        EXPECT_EQ(shown(dialog, "txtCertIssuer"), prompt.issuer);
        EXPECT_EQ(shown(dialog, "txtCertFrom"), QStringLiteral("2026-01-02 03:04 UTC"));
        EXPECT_EQ(shown(dialog, "txtCertUntil"), QStringLiteral("2027-01-02 04:06 UTC"));
        EXPECT_EQ(shown(dialog, "txtCertFingerprint"),
            QStringList({fingerprint.mid(0, 23), fingerprint.mid(24, 23), fingerprint.mid(48, 23),
                            fingerprint.mid(72)})
                .join(u'\n'));
        EXPECT_EQ(shown(dialog, "txtCertReason"), prompt.reason);
        const auto *question = dialog.findChild<QLabel *>(QStringLiteral("lblCertQuestion"));
        const auto *warning = dialog.findChild<QLabel *>(QStringLiteral("lblCertChanged"));
        EXPECT_EQ(question->isVisible(), !changed);
        EXPECT_EQ(warning->isVisible(), changed);
        EXPECT_TRUE(warning->text().contains(QLatin1String("CHANGED")));
        // Enter does not trust by accident.
        QTest::keyClick(&dialog, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        dialog.show();
        dialog.findChild<QPushButton *>(QStringLiteral("btnTrust"))->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(translated, QStringList({"frmCertificate", "frmCertificate"}));
}

// Every fact shows whole, whatever the font: the fingerprint's four lines above all, whose
// fixed font has a line spacing of its own.
TEST(CertificateDialog, ShowsEveryLineWholeInAnyFontSize)
{
    CertificatePrompt prompt;
    prompt.host = QStringLiteral("ftp.example.com");
    prompt.subject = QStringLiteral("CN=ftp.example.com, O=Example Hosting, C=DE");
    prompt.issuer = QStringLiteral("CN=ftp.example.com, O=Example Hosting, C=DE");
    prompt.notBefore = QDateTime(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC);
    prompt.notAfter = QDateTime(QDate(2027, 1, 2), QTime(5, 6), Qt::UTC);
    prompt.fingerprint = QStringList(32, QStringLiteral("WM")).join(u':');
    prompt.reason = QStringLiteral("self-signed certificate, certificate has expired");
    const QFont before = QApplication::font();
    for (const int points : {8, 12, 18}) {
        SCOPED_TRACE(points);
        QFont font = before;
        font.setPointSize(points);
        QApplication::setFont(font);
        CertificateDialog dialog(prompt);
        dialog.show();
        for (const QLabel *label : dialog.findChildren<QLabel *>()) {
            if (!label->isVisible())
                continue;
            SCOPED_TRACE(label->objectName().toStdString());
            const QRect room = label->contentsRect();
            const QFontMetrics metrics(label->font());
            const QStringList lines = label->text().split(u'\n');
            if (label->wordWrap()) {
                EXPECT_LE(label->heightForWidth(label->width()), label->height());
            } else {
                EXPECT_LE(lines.size() * metrics.lineSpacing(), room.height());
                for (const QString &line : lines)
                    EXPECT_LE(metrics.horizontalAdvance(line), room.width()) << line.toStdString();
            }
            EXPECT_TRUE(dialog.rect().contains(label->geometry()));
        }
    }
    QApplication::setFont(before);
}
