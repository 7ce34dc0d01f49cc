#pragma once

#include "tlstypes.h"
#include "transfermode.h"

#include <QString>

// How files reach the server: FTP (with or without TLS) or SFTP over SSH.
enum class TProtocol { Ftp, Sftp };

// The server profile chosen for one upload, password already in plain text.
struct TConnectInfo {
    QString hostName;
    QString userName;
    QString password;
    QString initialDirectory;
    QString port;
    TFtpTransferMode transferMode = TFtpTransferMode::Auto;
    TFtpSecurity security = TFtpSecurity::ExplicitIfAvailable;
    // The SHA-256 fingerprint (Fingerprints::format) of a certificate the user trusted for
    // this server; empty when none was.
    QString trustedCertificate {};
    // Store each file under a temporary name and rename it over the old one once its size
    // has been checked.
    bool renameAfterUpload = true;
    TProtocol protocol = TProtocol::Ftp;
    // SFTP only, from the command line: a key file to log in with, and a host key fingerprint
    // ("SHA256:...") accepted for this run without asking.
    QString identityFile {};
    QString trustedHostKey {};
};
