#pragma once

#include "connectinfo.h"
#include "tcustomftpclient.h"
#include "tlstypes.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// One control connection of a SiteUpload: connects, logs in and enters the profile's folder,
// then stores the files it is handed one at a time. Each goes under a temporary name, is
// checked and renamed over the old one; a server that refuses the temporary name or the rename
// gets final names from then on. A connection lost once is made again and the file in flight
// sent again; what it cannot do is told through its events, raised from the event loop.
class UploadConnection final : public QObject {
public:
    UploadConnection(int number, const TConnectInfo &profile, QObject *parent);
    ~UploadConnection() override;
    UploadConnection(const UploadConnection &) = delete;
    UploadConnection &operator=(const UploadConnection &) = delete;

    int number() const { return m_number; }
    void setTimeout(int seconds) { m_timeoutMs = seconds * 1000; }
    void setTrustedFingerprint(const QString &fingerprint) { m_trustedFingerprint = fingerprint; }

    void start();
    // Stores one file; only while waiting().
    void store(int index, const QString &localPath, const QString &remoteName);
    // QUIT, given waitMs to be answered; onQuit follows either way.
    void quit(int waitMs);
    // Cuts the connection; no event follows.
    void abort();

    // Logged in, with no file in hand.
    bool waiting() const { return m_stage == Stage::Ready; }
    bool hasLoggedIn() const { return m_loggedIn; }
    bool secure() const { return m_ftp != nullptr && m_ftp->IsSecure(); }

    // Logged in and in the folder: the first time, or once more after a loss.
    std::function<void(UploadConnection *)> onLoggedIn;
    std::function<void(UploadConnection *)> onReconnecting;
    std::function<void(UploadConnection *, int index, bool stored, const QString &reason)>
        onFileDone;
    // The connection is gone for good; pendingIndex is the file it held, or -1.
    std::function<void(UploadConnection *, const QString &reason, int pendingIndex)> onEnded;
    std::function<void(UploadConnection *)> onQuit;
    std::function<void(const QString &remoteName, qint64 bytes)> onProgress;
    std::function<void(const QString &line)> onDisplay;
    std::function<bool(UploadConnection *, const TlsCertificateInfo &info, bool changed)>
        onCertificate;

private:
    enum class Stage {
        Idle,           // not started
        Connecting,     // connect and log in
        EnteringFolder, // CWD, or PWD without a folder
        SettingType,    // TYPE I
        Ready,          // waits for a file
        Storing,        // STOR under the temporary or the final name, then SIZE
        Renaming,       // RNFR of the temporary name and RNTO of the final one
        Deleting,       // DELE of a temporary file that failed or was refused
        Quitting,
        Gone, // ended or aborted: nothing more
    };
    // What follows the DELE of a temporary file.
    enum class AfterDelete { FailFile, StoreUnderFinalName };

    void setStage(Stage stage);
    void requestDone(TFtpRequest kind, quint16 error);
    void connectDone(quint16 error);
    void folderDone(quint16 error);
    void typeDone(quint16 error);
    void storeDone(quint16 error);
    void rename();
    void renameDone(quint16 error);
    void renameRefused(quint16 error);
    void deleteDone(quint16 error);
    void lostWhileDeleting(const QString &why);
    void quitDone();

    void openClient();
    void dropClient();
    // Starts a request with its inactivity clock; a refusal to start fails it at once.
    void run(Stage stage, void (TCustomFtpClient::*start)());
    void storeCurrent();
    void deleteTemporary(AfterDelete after);
    void fallBack(const QString &why);
    void finishFile(bool stored, const QString &reason);
    void lose(const QString &reason);
    void end(const QString &reason);
    void timedOut();

    // What the user reads for a request that ended with error.
    QString reason(quint16 error) const;
    bool connectionLost() const;
    void display(const QString &line);

    const int m_number;
    const TConnectInfo m_profile;
    int m_timeoutMs = 15000;
    QString m_trustedFingerprint;
    TCustomFtpClient *m_ftp = nullptr;
    QTimer m_clock; // no progress for m_timeoutMs: the request is given up
    Stage m_stage = Stage::Idle;
    bool m_loggedIn = false;
    bool m_reconnected = false;
    bool m_finalNames = false;
    QString m_refusal;     // why the last request could not start
    quint64 m_attempt = 0; // tells a refusal's late end from a later request

    // The file in hand.
    int m_index = -1;
    QString m_localPath;
    QString m_remoteName;
    bool m_underTemporary = false;
    bool m_storeSent = false;       // STOR went out for the current attempt
    bool m_transferStarted = false; // and was answered 125 or 150
    QString m_lastVerb;             // of the last command sent
    QString m_failure;              // the file's reason, kept while its temporary file is deleted
    AfterDelete m_afterDelete = AfterDelete::FailFile;
};
