#include "desktopshell.h"

#include <QDir>
#include <QRegularExpression>

QUrl shellUrl(const QString &target)
{
    const QString trimmed = target.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (QDir::isAbsolutePath(trimmed))
        return QUrl::fromLocalFile(QDir::cleanPath(trimmed));
    // A scheme of two letters or more: "http:", "mailto:". One letter would be a drive.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(trimmed).hasMatch())
        return QUrl(trimmed, QUrl::StrictMode);
    return QUrl::fromUserInput(trimmed);
}
