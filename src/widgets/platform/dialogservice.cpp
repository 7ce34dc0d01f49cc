#include "dialogservice.h"

QString messageTitle(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Confirmation:
        return QStringLiteral("Confirm");
    case MessageKind::Information:
        return QStringLiteral("Information");
    case MessageKind::Warning:
        return QStringLiteral("Warning");
    case MessageKind::Error:
        return QStringLiteral("Error");
    case MessageKind::Plain:
        return QStringLiteral("Marbleton HTML Editor Zephyro 2.0");
    }
    return {};
}

QStringList qtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns)
            pattern = pattern.trimmed();
        result << QStringLiteral("%1 (%2)").arg(parts.at(i), patterns.join(QLatin1Char(' ')));
    }
    // A description without patterns (odd count) is not a usable filter and is dropped.
    return result;
}
