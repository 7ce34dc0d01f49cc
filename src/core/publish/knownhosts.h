#pragma once

#include "sshhostkey.h"

#include <QByteArray>
#include <QString>

#include <vector>

// OpenSSH's known_hosts file: plain and hashed ("|1|salt|hash") host patterns, "[host]:port"
// for ports other than 22, comma lists, "*" and "?" wildcards, "!" negation, and the
// "@revoked" marker ("@cert-authority" lines are skipped, as are lines it cannot read). The
// file is outside input: an unreadable line is skipped, never fatal, and a file over
// MaxFileSize is not read.
class KnownHosts final {
public:
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // ~/.ssh/known_hosts of the user running the program.
    static QString defaultPath();

    // Reads the file; a missing file is an empty list. False, with a reason, when it exists
    // but cannot be read or is too large.
    bool load(const QString &path, QString *error = nullptr);
    // The same from the file's bytes.
    void parse(const QByteArray &text);

    struct Match {
        HostKeyStatus status = HostKeyStatus::Unknown;
        // For Changed: the key held for the host (empty blob when the key is revoked).
        QString knownType;
        QByteArray knownBlob;
        QString knownFingerprint() const;
        int line = 0; // 1-based line of the entry that decided it, 0 when none
    };
    Match check(const SshHostKey &key) const;

    // Appends "host type base64" for the key ("[host]:port" when the port is not 22), keeping
    // every other line as it is. A missing folder is made with mode 0700 and a missing file
    // with 0600; the file is replaced whole or not at all. False, with a reason, when it
    // could not be written.
    static bool append(const QString &path, const SshHostKey &key, QString *error = nullptr);

    qsizetype size() const { return qsizetype(m_entries.size()); }

private:
    struct Entry {
        enum class Marker { None, Revoked } marker = Marker::None;
        QByteArray hosts; // the host field as written
        QString type;
        QByteArray blob;
        int line = 0;
    };
    static bool hostMatches(const QByteArray &patterns, const QByteArray &name);

    std::vector<Entry> m_entries;
};
