#pragma once

#include "connectinfo.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class TFtpClient;
struct ConnectionTestResult;
class QLabel;
class QLineEdit;
class QPushButton;
class WizardHost;

// The server profile dialog: a new profile or one of the server list, saved to Remote.ini
// on OK. Created for one use. Saving appends a new name to the server list and selects the
// saved entry there, as the program's choice (the list's activated signal does not fire).
// Test tries the typed values on a client of the dialog's own without saving them; Cancel
// or Esc during a test stops it. A certificate trusted during a test is saved with the
// profile on OK; one trusted before is kept while the host name stays.
class TfrmServerProfile final : public QDialog {
    Q_OBJECT

public:
    TfrmServerProfile(WizardHost &host, QComboBox *serverList, QWidget *parent = nullptr);

    TfrmServerProfile(const TfrmServerProfile &) = delete;
    TfrmServerProfile &operator=(const TfrmServerProfile &) = delete;

    // Fills the fields with a saved profile (port as decimal text).
    void setProfile(const QString &name, const TConnectInfo &info);

    // Stops a running test first.
    void reject() override;

private:
    void setupUi();
    void FormCreate();
    void btnOKClick();
    void btnTestClick();
    // The fields as typed; the port as the save reads it (nullopt with the message shown).
    TConnectInfo typedFields() const;
    QString testSentence(const ConnectionTestResult &result, const TConnectInfo &tried) const;
    void setTesting(bool testing);
    void cbSecurityActivated(int index);

    WizardHost &m_host;
    QComboBox *m_serverList;

    QLabel *lbl0 = nullptr;
    QLabel *lbl1 = nullptr;
    QLabel *lbl2 = nullptr;
    QLabel *lbl3 = nullptr;
    QLabel *lbl4 = nullptr;
    QLabel *lbl5 = nullptr;
    QLabel *lbl6 = nullptr;
    QLabel *lbl7 = nullptr;
    QLineEdit *txtProfileName = nullptr;
    QLineEdit *txtHostName = nullptr;
    QLineEdit *txtInitialDir = nullptr;
    QLineEdit *txtUserName = nullptr;
    QLineEdit *txtPassword = nullptr;
    QLineEdit *txtPort = nullptr;
    QComboBox *cbTransferMode = nullptr;
    QComboBox *cbSecurity = nullptr;
    QCheckBox *chkRenameAfterUpload = nullptr;
    QPushButton *btnTest = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    TFtpClient *m_testClient = nullptr; // while a test runs
    bool m_testCancelled = false;
    // The certificate trusted for a host: from the profile, or in a test.
    QString m_trustedHost;
    QString m_trustedCertificate;
    // The last test stopped at a certificate the user did not trust.
    bool m_certificateRefused = false;
};
