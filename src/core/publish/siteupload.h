#pragma once

#include "connectinfo.h"
#include "sshhostkey.h"
#include "tlstypes.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class UploadConnection;

// What became of one file of an upload.
struct UploadedFile {
    QString localPath;
    QString remoteName;
    bool stored = false;
    // Empty when stored; otherwise the server's reply line or the client's own reason, as the
    // user should read it ("550 Permission denied.", "Connection reset by peer", ...).
    QString reason;
    // The page, not sent because another file failed; the page on the server stays as it was.
    bool heldBack = false;
};

// The whole outcome, once finished() is raised.
struct UploadOutcome {
    std::vector<UploadedFile> files; // in the order given
    bool connected = false;          // a first login succeeded
    // Why the upload could not start or ended early (login refused, lost twice, stopped by the
    // user): empty when every file was tried.
    QString failure;
    bool stopped = false; // abort() was called
    // SFTP: the server's host key, and whether the upload ended because it was refused:
    // unknown and not trusted, or other than the one known_hosts holds (knownFingerprint).
    SshHostKey hostKey;
    bool hostKeyRefused = false;
    bool hostKeyChanged = false;
    QString knownFingerprint;
    qsizetype storedCount() const;
    bool complete() const; // every file stored
};

// One upload of a list of files to one server profile, driven by the event loop: connects and
// logs in, enters the profile's folder, and stores each file under a temporary name in that
// folder, checks its size and renames it over the final name, so that a visitor never sees a
// half-sent file. The last file of the list (the page) is sent only after every other file is
// stored or has failed. A connection lost between files or during one is made once more;
// pictures may go over several connections at once. Nothing here blocks.
//
// Its signals are raised from the event loop (finished() also from abort()); a receiver may
// call abort(), and may delete the object with deleteLater() only.
class SiteUpload final : public QObject {
    Q_OBJECT

public:
    // The temporary name a file is stored under before it replaces the old one.
    static QString temporaryName(const QString &remoteName);
    // The name a local file gets on the server: the text after its last "/" or "\".
    static QString remoteNameOf(const QString &localPath);
    static constexpr int DefaultConnections = 4;
    static constexpr int MaxConnections = 4;
    // How long QUIT is given before the connection is cut.
    static constexpr int QuitWaitMs = 2000;

    explicit SiteUpload(QObject *parent = nullptr);
    ~SiteUpload() override;
    SiteUpload(const SiteUpload &) = delete;
    SiteUpload &operator=(const SiteUpload &) = delete;

    // Before start(): the profile (password in plain text) and the files, page last.
    void setProfile(const TConnectInfo &profile);
    void setFiles(const QStringList &localPaths);
    // How many connections pictures may use at once (1 = one after another), 1 to
    // MaxConnections; DefaultConnections unless set.
    void setConnections(int count);
    // Seconds without progress before a request is given up (15 by default).
    void setTimeout(int seconds);

    // Asked from the event loop when the server's certificate is not trusted; the handler may
    // run a modal dialog. True trusts it for this upload (the caller stores the fingerprint).
    // Asked once per upload: further connections trust what was trusted and refuse the rest.
    std::function<bool(const TlsCertificateInfo &info, bool changed)> onCertificate;
    // SFTP: asked from the event loop when the server's host key is not in known_hosts; the
    // handler may run a modal dialog. True trusts it (the client adds it to known_hosts). Asked
    // once per upload, like onCertificate. A changed key is refused unasked.
    std::function<bool(const SshHostKey &key)> onHostKey;
    // SFTP: the passphrase of an encrypted key file; false when the user gave none.
    std::function<bool(const QString &keyFile, QString &passphrase)> onPassphrase;

    void start();
    // Stops at once: connections are cut, temporary files are left for the next upload to
    // replace; finished() is raised before it returns, with stopped set, and nothing after it.
    void abort();
    bool running() const { return m_running; }

signals:
    // A status line for the window: one of Msg::Connecting, Connected, ConnectedNotEncrypted,
    // TransferringFiles, Reconnecting, TransferComplete, Disconnected as a message number.
    void statusChanged(int message);
    // Bytes of a file sent so far.
    void progress(const QString &remoteName, qint64 bytes);
    // A file has been stored or has failed; not raised for the files of an upload that could
    // not start or was stopped (the outcome names them).
    void fileFinished(const UploadedFile &file);
    // Every line of the conversation (commands, replies, the client's own "! " lines), for a
    // log; the lines of a second or later connection begin with its number ("[2] ").
    void display(const QString &line);
    void finished(const UploadOutcome &outcome);

private:
    UploadConnection *addConnection();
    void loggedIn(UploadConnection *link);
    void fileDone(UploadConnection *link, int index, bool stored, const QString &reason);
    void ended(UploadConnection *link, const QString &reason, int pendingIndex);
    void quitDone(UploadConnection *link);
    bool askCertificate(UploadConnection *link, const TlsCertificateInfo &info, bool changed);
    // Hands the next file to every connection that waits for one.
    void dispatch();
    bool nameBeingSent(int index) const;
    // After a picture failed the page is not sent: true, and it is finished as held back.
    bool holdPageBack();
    void sent(int index);
    void checkDone();
    void quitAll();
    void finish();
    void forget(UploadConnection *link);
    void status(int message);

    TConnectInfo m_profile;
    QStringList m_files;
    int m_connections = DefaultConnections;
    int m_timeout = 15;

    bool m_running = false;
    bool m_quitting = false;
    UploadOutcome m_outcome;
    std::vector<UploadConnection *> m_links;
    int m_nextNumber = 1;
    std::deque<int> m_pictures; // waiting, in the order given
    int m_page = -1;            // the last file, sent once every other has finished
    bool m_pageTaken = false;
    std::vector<int> m_sending; // the files being sent
    qsizetype m_finishedCount = 0;
    QString m_trustedFingerprint;
    bool m_certificateAsked = false;
    QString m_lastLoss;
    int m_status = 0;
};
