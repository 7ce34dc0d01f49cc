#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// How an FTP connection is protected (RFC 4217 for the explicit forms).
enum class TFtpSecurity {
    ExplicitIfAvailable, // AUTH TLS; a server that refuses it is used in plain text
    ExplicitRequired,    // AUTH TLS; a refusal fails the connection
    Implicit,            // TLS from the first byte
    None,
};

namespace FtpSecurities {
// "ExplicitIfAvailable", "ExplicitRequired", "Implicit", "None".
QString name(TFtpSecurity security);
// Case-insensitive, surrounding blanks ignored; nullopt for anything else.
std::optional<TFtpSecurity> parse(QStringView text);
} // namespace FtpSecurities

// What the client learnt of the server's certificate.
struct TlsCertificateInfo {
    QString host;                  // the name the client connected to
    QString subject;               // one line, e.g. "CN=ftp.example.com"
    QString issuer;                // one line
    QDateTime notBefore, notAfter; // UTC
    QByteArray sha256;             // 32 raw bytes: SHA-256 of the DER certificate
    bool systemTrusted
        = false; // the chain verifies against the system CA store and the name matches
    // Empty when systemTrusted; else every problem, readable and comma-separated, e.g.
    // "self-signed certificate, certificate has expired".
    QString reason;
};

namespace Fingerprints {
// "AB:CD:...:EF": 32 upper-case hex pairs.
QString format(const QByteArray &sha256);
// Accepts 64 hex digits, with or without colons between pairs, in any case; nullopt else.
std::optional<QByteArray> parse(QStringView text);
} // namespace Fingerprints
