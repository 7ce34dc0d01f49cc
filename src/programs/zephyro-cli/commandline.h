#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// zephyro-cli: the wizard's work without its window. Returns the process exit code.
int runCommandLine(const QStringList &arguments, const QString &applicationDirectory,
    QTextStream &out, QTextStream &err);
