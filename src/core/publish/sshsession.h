#pragma once

#include "sftptransport.h"
#include "sshhostkey.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// One SSH connection, driven by the event loop through libssh2's non-blocking calls: looks the
// host up, connects, exchanges keys, checks the host key, authenticates and opens the "sftp"
// subsystem on a channel, which it then offers as an SftpTransport. Nothing blocks, and while
// it waits for the peer it waits on socket notifiers only, so an idle session uses no CPU.
//
// Authentication, in this order, each only when the server offers its method: the keys of the
// user's SSH agent (SSH_AUTH_SOCK), the identity file when one is given, else id_ed25519,
// id_ecdsa and id_rsa in the SSH folder (asking onPassphrase for an encrypted one), then the
// password ("password", then "keyboard-interactive" answering every prompt with it). Which one
// worked is told through onDisplay ("! Logged in with ...").
//
// The host key is checked against known_hosts before any part of the login is sent: a known
// key goes on; a key that differs from the one known for the host ends with HostKeyChanged,
// unasked; an unknown key goes on when it has the trusted fingerprint, or when onHostKey
// accepts it, which then appends it to known_hosts (a failure to write is a display line, not
// a failure of the session).
class SshSession final : public QObject {
public:
    enum class Error {
        None,
        HostLookup,     // the host name was not found
        Connect,        // no connection to the port
        Handshake,      // the peer is not an SSH server we can talk to, or the exchange failed
        HostKeyRefused, // the host key was not accepted (unknown and not trusted)
        HostKeyChanged, // known_hosts holds another key for the host
        AuthRefused,    // no way of logging in was accepted
        Subsystem,      // logged in, but the server refused the "sftp" subsystem
        Lost,           // the connection ended or failed after it was made
        Timeout,        // no progress for the timeout
    };

    explicit SshSession(QObject *parent = nullptr);
    ~SshSession() override;
    SshSession(const SshSession &) = delete;
    SshSession &operator=(const SshSession &) = delete;

    void setHost(const QString &host, quint16 port);
    void setUser(const QString &user);
    void setPassword(const QString &password);
    // A key file to try after the agent's keys, in place of the SSH folder's default ones.
    void setIdentityFile(const QString &path);
    // Where id_* files live; ~/.ssh by default.
    void setSshFolder(const QString &path);
    // Whether the agent named by SSH_AUTH_SOCK is asked (true by default).
    void setUseAgent(bool use);
    // The known_hosts file checked and added to; KnownHosts::defaultPath() by default.
    void setKnownHostsFile(const QString &path);
    // A fingerprint ("SHA256:...") accepted for this session without asking and without
    // adding it to known_hosts (the command line's --trust-fingerprint).
    void setTrustedFingerprint(const QString &fingerprint);
    // Seconds without progress before the session gives up (15 by default; 0: never). The
    // time the user takes to answer onHostKey or onPassphrase does not count.
    void setTimeout(int seconds);

    // Starts; onConnected or onFailed follows from the event loop.
    void start();
    // Cuts the connection at once; nothing is raised after it.
    void abort();
    // Sends the SSH disconnect message and closes; onClosed follows (also when the peer does
    // not answer within waitMs).
    void close(int waitMs);

    // Once onConnected has been raised: the channel to the server's SFTP subsystem, owned by
    // the session and valid until it is closed or aborted.
    SftpTransport *transport();

    Error error() const { return m_error; }
    // Why it failed, as the user should read it; for HostKeyChanged it names both
    // fingerprints.
    QString errorText() const { return m_errorText; }
    // The key the server offered, once the key exchange is done.
    const SshHostKey &hostKey() const { return m_hostKey; }
    // How it logged in: "agent", "key", "password" or "keyboard-interactive".
    QString authMethod() const { return m_authMethod; }

    // Whether to trust an unknown host key; may run a modal dialog. Not set or returning
    // false ends with HostKeyRefused.
    std::function<bool(const SshHostKey &key)> onHostKey;
    // The passphrase of an encrypted key file; false when the user gave none (the key is
    // skipped). May run a modal dialog.
    std::function<bool(const QString &keyFile, QString &passphrase)> onPassphrase;
    // Lines for the log: "! "-prefixed lines of the client's own.
    std::function<void(const QString &line)> onDisplay;
    std::function<void()> onConnected;
    std::function<void()> onFailed;
    std::function<void()> onClosed;

private:
    struct Private;
    std::unique_ptr<Private> d;
    Error m_error = Error::None;
    QString m_errorText;
    SshHostKey m_hostKey;
    QString m_authMethod;
};
