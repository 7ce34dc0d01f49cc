#pragma once

#include "connectinfo.h"
#include "siteupload.h"
#include "stepcontrols.h"

#include <QHash>
#include <QObject>
#include <QStringList>

class QComboBox;
class QLabel;
class QListWidget;
class QToolButton;
class WizardHost;

// Step 8: the server profiles, the list of files to send, and the upload itself, which a
// SiteUpload runs on the event loop while the window stays usable; the step's controls are
// disabled until it ends, and the window asks before it closes on one.
class UploadStep final : public QObject {
    Q_OBJECT

public:
    UploadStep(const UploadControls &controls, WizardHost &host, QObject *parent = nullptr);
    ~UploadStep() override;

    // Lists the profiles of Remote.ini and selects the first.
    void LoadProfiles();
    void btnUploadNewClick();
    void btnUploadEditClick();
    void EditProfile(const QString &name);
    void cbSitesChange();
    void btnUploadAddFilesClick();
    void btnUploadRemoveClick();
    void btnUploadClick();
    // The list width for the list box's horizontal scrolling: the widest entry plus 2.
    void SetFilesExtent();
    int filesExtent() const { return m_filesExtent; }

    // The page file list and the saved page, as the save step gives them.
    void setFiles(const QStringList &paths);
    void clearFiles();
    // The save step has just saved a page: Remove and Upload become available.
    void pageSaved();

    bool uploading() const { return m_running; }
    // Asks whether to stop a running upload; Yes aborts it and gives true. True when none
    // runs.
    bool stopForClose();
    // Cuts an upload still running, as the window goes.
    void FormDestroy();

signals:
    // Every text the status and progress lines show, in order.
    void statusShown(const QString &text);
    void progressShown(const QString &text);

private:
    void ConnectAndUpload();
    void ftpStatus(int message);
    // Bytes of one file sent so far; the progress line shows the whole upload's.
    void ftpProgress(const QString &remoteName, qint64 count);
    void ftpFileFinished(const UploadedFile &file);
    void uploadFinished(const UploadOutcome &outcome);
    // The warning for an upload that left files out: how many arrived, then each file left
    // out with the reason.
    QString incompleteText(const UploadOutcome &outcome) const;
    // Asks about a certificate the system does not trust; Trust keeps it in the profile.
    bool ftpCertificate(const TlsCertificateInfo &info, bool changed);
    void runProfileDialog(const QString *name);
    void setStatus(const QString &text);
    void setProgress(const QString &text);
    void setBusy(bool busy);
    void setRunning(bool running);
    void updateButtons();
    QString iniPath() const;

    UploadControls m_controls;
    WizardHost &m_host;
    SiteUpload *m_upload = nullptr; // the upload running
    TConnectInfo m_connectInfo;
    // The profile being uploaded to, where a trusted certificate is kept.
    QString m_profileName;
    int m_filesExtent = 2;
    bool m_editEnabled = false;
    bool m_running = false;
    bool m_stopping = false;
    bool m_busy = false;
    // The bytes of the files being sent, by remote name, and of those done.
    QHash<QString, qint64> m_sending;
    qint64 m_sentBefore = 0;
};
