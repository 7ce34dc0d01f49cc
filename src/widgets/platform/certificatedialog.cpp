#include "certificatedialog.h"

#include "uibuilder.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kClientWidth = 440;
constexpr int kCaptionLeft = 8;
constexpr int kCaptionWidth = 130;
constexpr int kValueLeft = 142;
constexpr int kValueWidth = 290;

} // namespace

CertificateDialog::CertificateDialog(const CertificatePrompt &prompt, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCertificate"));

    // Both explanations are made, so that a language library translates both; one shows.
    lblCertQuestion = ui::label(this, "lblCertQuestion",
        QStringLiteral("The server's certificate is not trusted by this computer. Trust it only "
                       "if you know that it is your server's: your hosting provider can tell you "
                       "its fingerprint."),
        1430, QRect(8, 8, 424, 58));
    lblCertChanged = ui::label(this, "lblCertChanged",
        QStringLiteral("This server's certificate has CHANGED since you trusted it. Someone may "
                       "be listening in on the connection, or the provider has renewed the "
                       "certificate. Trust the new one only if your hosting provider confirms "
                       "its fingerprint."),
        1431, QRect(8, 8, 424, 58));
    for (QLabel *explanation : {lblCertQuestion, lblCertChanged}) {
        explanation->setWordWrap(true);
        explanation->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    QFont strong = lblCertChanged->font();
    strong.setBold(true);
    lblCertChanged->setFont(strong);
    lblCertQuestion->setVisible(!prompt.changed);
    lblCertChanged->setVisible(prompt.changed);

    const struct {
        const char *captionName;
        const char *caption;
        int tag;
        const char *valueName;
        QString value;
        int height;
    } rows[] = {
        {"lblCertHost", "Server:", 1432, "txtCertHost", prompt.host, 17},
        {"lblCertSubject", "Issued to:", 1433, "txtCertSubject", prompt.subject, 30},
        {"lblCertIssuer", "Issued by:", 1434, "txtCertIssuer", prompt.issuer, 30},
        {"lblCertFrom", "Valid from:", 1435, "txtCertFrom", dateText(prompt.notBefore), 17},
        {"lblCertUntil", "Valid until:", 1436, "txtCertUntil", dateText(prompt.notAfter), 17},
        {"lblCertFingerprint", "SHA-256 fingerprint:", 1437, "txtCertFingerprint",
            fingerprintText(prompt.fingerprint), 58},
        {"lblCertReason", "Reason:", 1438, "txtCertReason", prompt.reason, 30},
    };
    int top = 72;
    for (const auto &row : rows) {
        QLabel *caption = ui::label(this, row.captionName, QString::fromLatin1(row.caption),
            row.tag, QRect(kCaptionLeft, top, kCaptionWidth, row.height));
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // The server's own texts: shown as they are, never read as rich text.
        QLabel *value = ui::label(
            this, row.valueName, row.value, 0, QRect(kValueLeft, top, kValueWidth, row.height));
        value->setTextFormat(Qt::PlainText);
        value->setWordWrap(true);
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        top += row.height + 4;
    }
    findChild<QLabel *>(QStringLiteral("txtCertFingerprint"))
        ->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto *rule = ui::place(new QFrame(this), "bvlCertificate", QRect(8, top + 4, 424, 2));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    btnTrust = ui::pushButton(
        this, "btnTrust", QStringLiteral("&Trust"), 1439, QRect(276, top + 14, 75, 25));
    btnTrust->setToolTip(QStringLiteral("Server Certificate"));
    btnCancel = ui::pushButton(
        this, "btnCancel", QStringLiteral("Cancel"), 1209, QRect(357, top + 14, 75, 25));
    btnCancel->setDefault(true);
    connect(btnTrust, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(kClientWidth, top + 47);

    if (prompt.translate)
        prompt.translate(this);
    // The caption is Trust's hint, so that it follows the translation.
    setWindowTitle(btnTrust->toolTip());
    btnCancel->setFocus();
}

QString CertificateDialog::dateText(const QDateTime &time)
{
    if (!time.isValid())
        return {};
    return time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"));
}

QString CertificateDialog::fingerprintText(const QString &fingerprint)
{
    // "AB:" is three characters; every eighth pair's colon ends a line.
    constexpr qsizetype kLine = 8 * 3;
    QString text;
    for (qsizetype at = 0; at < fingerprint.size(); at += kLine) {
        if (at > 0)
            text += QLatin1Char('\n');
        text += fingerprint.mid(at, kLine - 1);
    }
    return text;
}
