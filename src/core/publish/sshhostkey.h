#pragma once

#include <QByteArray>
#include <QString>

// A server's SSH host key as it was offered in the key exchange.
struct SshHostKey {
    QString host;      // the host name as the profile gives it
    quint16 port = 22; // the port connected to
    QString type;      // "ssh-ed25519", "ecdsa-sha2-nistp256", "ssh-rsa", ...
    QByteArray blob;   // the key in its wire form, as known_hosts holds it base64-encoded

    // "SHA256:" and the unpadded base64 of the blob's SHA-256, as OpenSSH prints it.
    QString fingerprint() const;
    static QString fingerprintOf(const QByteArray &blob);
};

// What known_hosts says of a key.
enum class HostKeyStatus {
    Known,   // a line for the host holds this key
    Unknown, // no line for the host holds a key of this type
    Changed, // a line for the host holds another key of this type, or the key is revoked
};
