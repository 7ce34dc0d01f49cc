#pragma once

#include "sshhostkey.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class SftpTransport;
class TSftpClient;

enum class TSftpRequest { Connect, ChangeDir, Put, Quit };

// How a request ended.
enum class TSftpError {
    None,
    Busy,           // another request is running, or the request needs a connection first
    HostLookup,     // the host name was not found
    Connect,        // no connection to the port
    Handshake,      // no SSH key exchange with the peer
    HostKeyRefused, // the host key is unknown and was not trusted
    HostKeyChanged, // known_hosts holds another key for the host: refused, unasked
    AuthRefused,    // no way of logging in was accepted
    Subsystem,      // logged in, but no SFTP on the server
    NoSuchFolder,   // the folder does not exist, or is not a folder
    NoSuchFile,     // a remote file or folder needed for the request is missing
    PermissionDenied,
    RenameRefused,  // the file arrived whole but could not replace the old one; the copy under
                    // the temporary name has been removed
    SizeMismatch,   // the server holds another size than was sent; the copy has been removed
    Server,         // any other refusal: ErrorMessage() holds the server's text
    LocalFile,      // the local file could not be read
    Lost,           // the connection ended or failed
    Timeout,        // no progress for Timeout seconds
    Aborted,        // Abort() or the progress handler stopped it
};

using TSftpRequestDone = std::function<void(TSftpClient *sender, TSftpRequest rq, TSftpError error)>;
using TSftpProgress = std::function<void(TSftpClient *sender, qint64 count, bool &abort)>;
using TSftpDisplay = std::function<void(TSftpClient *sender, const QString &line)>;
using TSftpHostKey = std::function<void(TSftpClient *sender, const SshHostKey &key, bool &trust)>;
using TSftpPassphrase = std::function<void(
    TSftpClient *sender, const QString &keyFile, QString &passphrase, bool &given)>;

// The SFTP client, beside TFtpClient and driven by the same kind of requests: connect (and log
// in), change folder, put, quit. Each ...Async request returns at once and ends with
// OnRequestDone from the event loop; each blocking form starts it and waits while the thread's
// event loop runs (the handlers run inside the call), returning true when it ended with None.
// Nothing blocks the thread, and a waiting client uses no CPU.
//
// The session is SSH (SshSession): host key checked against known_hosts (unknown keys through
// OnHostKey, which appends an accepted one), then the agent's keys, key files and the password.
// Files are written with several write requests in flight.
//
// The component may be deleted with deleteLater() from any handler, or with delete from
// OnRequestDone and OnProgress; a blocking call waiting on it then returns false.
class TSftpClient final : public QObject {
    Q_OBJECT

public:
    explicit TSftpClient(QObject *owner = nullptr);
    ~TSftpClient() override;
    TSftpClient(const TSftpClient &) = delete;
    TSftpClient &operator=(const TSftpClient &) = delete;

    // The connection.
    void SetHostName(const QString &host);
    void SetPort(quint16 port); // 22 unless set
    void SetUserName(const QString &user);
    void SetPassword(const QString &password);
    void SetIdentityFile(const QString &path);
    void SetSshFolder(const QString &path);       // ~/.ssh unless set
    void SetUseAgent(bool use);                   // true unless set
    void SetKnownHostsFile(const QString &path);  // KnownHosts::defaultPath() unless set
    void SetTrustedFingerprint(const QString &fingerprint);
    // Seconds without progress before a request is given up (15 by default; 0: never).
    void SetTimeout(int seconds);
    int Timeout() const;

    // ChangeDir: the folder, relative to the login folder or absolute; empty is the login
    // folder. Later puts go into the folder it entered.
    void SetHostDirName(const QString &folder);
    // Put: the local file and the name it gets in the current folder.
    void SetLocalFileName(const QString &path);
    void SetHostFileName(const QString &name);
    // Put: when not empty, the file is written under this name in the current folder, its size
    // checked, then renamed over HostFileName (posix-rename@openssh.com where the server has
    // it, else remove then rename); after a failure the temporary file is removed.
    void SetTemporaryName(const QString &name);

    void ConnectAsync();
    void ChangeDirAsync();
    void PutAsync();
    void QuitAsync(); // closes the session politely; ends with None once closed
    // Runs the SFTP part only, over a transport the caller owns (a pipe to a local
    // sftp-server in tests); ends like ConnectAsync.
    void ConnectOverAsync(SftpTransport *transport);

    bool Connect();
    bool ChangeDir();
    bool Put();
    bool Quit();

    // Cuts the connection at once; the running request ends with Aborted from the event loop.
    void Abort();

    bool Connected() const;
    // The absolute folder puts go into, once connected ("/home/user" after login).
    QString CurrentDir() const;
    // The last request's reason, as the user should read it: the server's status text, or the
    // client's own ("Host key changed: ...", "Connection reset by peer").
    QString ErrorMessage() const;
    // Once connected: the server's key and how the login was done ("agent", "key",
    // "password", "keyboard-interactive").
    SshHostKey HostKey() const;
    QString AuthMethod() const;

    TSftpRequestDone OnRequestDone;
    TSftpProgress OnProgress; // bytes of the file the server has acknowledged
    TSftpDisplay OnDisplay;
    TSftpHostKey OnHostKey;
    TSftpPassphrase OnPassphrase;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
