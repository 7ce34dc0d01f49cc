#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// How FTP data connections are made. Passive: the client connects to a port the server
// offers (EPSV, else PASV when EPSV is refused or its reply cannot be read), which works from
// behind NAT and firewalls. Active: the server connects to a port the client listens on
// (PORT). Auto: passive, and active once for a transfer whose passive connection cannot be
// made, then for the rest of the session.
enum class TFtpTransferMode { Auto, Passive, Active };

namespace TransferModes {

// "Auto", "Passive" or "Active": the values of the profile key "TransferMode".
QString name(TFtpTransferMode mode);
// One of those names, without regard to case or blanks at the ends; nullopt for anything
// else.
std::optional<TFtpTransferMode> parse(QStringView text);

} // namespace TransferModes
