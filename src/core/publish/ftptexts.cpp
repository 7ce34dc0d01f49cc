#include "ftptexts.h"

#include "ftpexception.h"
#include "socketerrors.h"

#include <QStringDecoder>

namespace FtpTexts {

QString socketErrorLine(int error)
{
    return QStringLiteral("500 %1 (Winsock error #%2)")
        .arg(SocketErrors::description(error))
        .arg(error);
}

QString dataConnectionLine(int error)
{
    return QStringLiteral("425 Cannot open data connection: %1 (Winsock error #%2)")
        .arg(SocketErrors::description(error))
        .arg(error);
}

QString oneLine(const QString &report)
{
    QString line = report;
    line.replace(QLatin1String("\r\n"), QLatin1String(": "));
    return line;
}

QString replyText(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    return decoder.hasError() ? QString::fromLatin1(bytes) : text;
}

void refuseLineBreak(const QString &name, const QString &value)
{
    if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n')))
        throw FtpException(QStringLiteral("%1 holds a line break").arg(name));
}

} // namespace FtpTexts
