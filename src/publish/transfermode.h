#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// How the FTP data connection is made.
enum class TFtpTransferMode {
    // Passive (EPSV, then PASV); active once when the server refuses both or a passive
    // connection cannot be made.
    Auto,
    Passive, // the client connects to the server (works behind a home router)
    Active,  // the server connects back to the client (PORT)
};

namespace TransferModes {

// "Auto", "Passive" or "Active": the values of the profile key "TransferMode".
QString name(TFtpTransferMode mode);
// One of those names, without regard to case or blanks at the ends; nullopt for anything
// else.
std::optional<TFtpTransferMode> parse(QStringView text);

} // namespace TransferModes
