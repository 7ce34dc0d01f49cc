#include "pagemodel.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>

QStringList textBoxLines(const QString &text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

QString textBoxText(const QStringList &lines)
{
    QString text = lines.join(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        text += QLatin1Char('\n');
    return text;
}

bool isFullPath(const QString &path)
{
    // Older project files hold Windows paths such as "C:\Pics\a.gif".
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    return QDir::isAbsolutePath(path) || drive.match(path).hasMatch();
}

QString fileNamePart(const QString &path)
{
    const qsizetype slash
        = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}
