#include "certificatedialog.h"

#include "uibuilder.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace {

constexpr int kCaptionLeft = 8;
constexpr int kCaptionWidth = 130;
constexpr int kValueLeft = 142;
constexpr int kValueWidth = 290;
constexpr int kMargin = 8;

// The height the label's text takes at its width in the label's own font, so that no line is
// cut whatever the font (a fixed font's line spacing differs much from one to the next).
int textHeight(const QLabel *label)
{
    const QFontMetrics metrics(label->font());
    const int flags = Qt::AlignLeft | Qt::AlignTop | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed
        = metrics.boundingRect(QRect(0, 0, label->width(), 1 << 20), flags, label->text());
    return needed.height() + 2 * label->margin();
}

// The widest line of a text that is not wrapped.
int textWidth(const QLabel *label)
{
    const QFontMetrics metrics(label->font());
    int widest = 0;
    for (const QString &line : label->text().split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest + 2 * label->margin();
}

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
        1430, QRect(kMargin, kMargin, 424, 58));
    lblCertChanged = ui::label(this, "lblCertChanged",
        QStringLiteral("This server's certificate has CHANGED since you trusted it. Someone may "
                       "be listening in on the connection, or the provider has renewed the "
                       "certificate. Trust the new one only if your hosting provider confirms "
                       "its fingerprint."),
        1431, QRect(kMargin, kMargin, 424, 58));
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
    // The fingerprint in a fixed font, so that its columns line up, as large as the rest.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (font().pointSizeF() > 0)
        fixed.setPointSizeF(font().pointSizeF());
    QList<std::pair<QLabel *, QLabel *>> placed;
    int valueWidth = kValueWidth;
    for (const auto &row : rows) {
        QLabel *caption = ui::label(this, row.captionName, QString::fromLatin1(row.caption),
            row.tag, QRect(kCaptionLeft, 0, kCaptionWidth, row.height));
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        caption->setWordWrap(true);
        // The server's own texts: shown as they are, never read as rich text.
        QLabel *value = ui::label(
            this, row.valueName, row.value, 0, QRect(kValueLeft, 0, kValueWidth, row.height));
        value->setTextFormat(Qt::PlainText);
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Its lines are made to be read whole: the dialog widens for them instead.
        if (value->objectName() == QLatin1String("txtCertFingerprint")) {
            value->setFont(fixed);
            valueWidth = std::max(valueWidth, textWidth(value));
        } else {
            value->setWordWrap(true);
        }
        placed.append(std::make_pair(caption, value));
    }
    btnTrust = ui::pushButton(this, "btnTrust", QStringLiteral("&Trust"), 1439, QRect());
    btnTrust->setToolTip(QStringLiteral("Server Certificate"));
    btnCancel = ui::pushButton(this, "btnCancel", QStringLiteral("Cancel"), 1209, QRect());
    btnCancel->setDefault(true);
    connect(btnTrust, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    // Sized once the language library has given the texts their length.
    if (prompt.translate)
        prompt.translate(this);
    const int clientWidth = kValueLeft + valueWidth + kMargin;
    int top = kMargin;
    for (QLabel *explanation : {lblCertQuestion, lblCertChanged}) {
        explanation->resize(clientWidth - 2 * kMargin, explanation->height());
        top = std::max(top, kMargin + std::max(explanation->height(), textHeight(explanation)));
    }
    for (QLabel *explanation : {lblCertQuestion, lblCertChanged})
        explanation->resize(explanation->width(), top - kMargin);
    top += 6;
    for (const auto &[caption, value] : placed) {
        value->resize(valueWidth, value->height());
        const int height = std::max({caption->height(), textHeight(caption), textHeight(value)});
        caption->setGeometry(kCaptionLeft, top, kCaptionWidth, height);
        value->setGeometry(kValueLeft, top, valueWidth, height);
        top += height + 4;
    }

    auto *rule = ui::place(
        new QFrame(this), "bvlCertificate", QRect(kMargin, top + 4, clientWidth - 16, 2));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    btnTrust->setGeometry(clientWidth - 164, top + 14, 75, 25);
    btnCancel->setGeometry(clientWidth - 83, top + 14, 75, 25);
    setFixedSize(clientWidth, top + 47);
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
