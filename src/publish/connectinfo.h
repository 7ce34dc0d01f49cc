#pragma once

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
};
