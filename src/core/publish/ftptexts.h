#pragma once

#include <QByteArray>
#include <QString>

// Texts the FTP client forms from what its sockets and the server tell it.
namespace FtpTexts {

// The line the client forms for a socket error of its own connections.
QString socketErrorLine(int error);
// The line for a data connection that could not be made, with its socket error.
QString dataConnectionLine(int error);
// A socket report ("Error 10048 in function Bind" CR LF "Address already in use") as one line.
QString oneLine(const QString &report);
// Reply lines are 8-bit text; UTF-8 where they are valid UTF-8 (RFC 2640), else Latin-1.
QString replyText(const QByteArray &bytes);
// RFC 959, section 5.3.2: arguments are strings of characters other than CR and LF; one of
// them would end the command early and start another. Throws FtpException naming the value.
void refuseLineBreak(const QString &name, const QString &value);

} // namespace FtpTexts
