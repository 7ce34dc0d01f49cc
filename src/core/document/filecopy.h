#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Copies a page's files into the page's folder, asking before it replaces a file.
namespace FileCopy {

enum class Decision { Replace, Keep, ReplaceAll, Cancel };

struct Failure {
    QString source;
    QString target;
};

// Asked with the target path when a file of that name is already there.
using AskReplace = std::function<Decision(const QString &target)>;

// Copies each source into folder under its file name. A source that already is the
// target is left alone. Each copy is whole or nothing. Returns the copies that failed.
QList<Failure> copyInto(
    const QStringList &sources, const QString &folder, const AskReplace &askReplace);

} // namespace FileCopy
