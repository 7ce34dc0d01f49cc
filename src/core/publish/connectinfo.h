#pragma once

#include "tlstypes.h"
#include "transfermode.h"

#include <QString>

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
};
