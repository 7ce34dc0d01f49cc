#pragma once

#include "dialogservice.h"

#include <QDialog>

class QLabel;
class QPushButton;

// The question about a server certificate that the system does not trust: the facts the
// user can check with the hosting provider, and Trust or Cancel. Cancel is the default, so
// that Enter does not trust by accident. Created for one use.
class CertificateDialog final : public QDialog {
    Q_OBJECT

public:
    explicit CertificateDialog(const CertificatePrompt &prompt, QWidget *parent = nullptr);

    // How the validity dates are shown: in UTC, since certificates are dated in it.
    static QString dateText(const QDateTime &time);
    // The fingerprint on lines of 8 pairs, so that it can be read out and compared.
    static QString fingerprintText(const QString &fingerprint);

private:
    QLabel *lblCertQuestion = nullptr;
    QLabel *lblCertChanged = nullptr;
    QPushButton *btnTrust = nullptr;
    QPushButton *btnCancel = nullptr;
};
