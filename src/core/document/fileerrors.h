#pragma once

#include <QString>

// File errors, in the fixed English of the system's own file messages.
inline QString cannotOpenFile(const QString &path)
{
    return QStringLiteral("Cannot open file %1").arg(path);
}
inline QString cannotCreateFile(const QString &path)
{
    return QStringLiteral("Cannot create file %1").arg(path);
}
