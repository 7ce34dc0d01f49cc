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
    // Else the copy could not be written whole (a full disk, no rights, no folder).
    bool sourceUnreadable = false;
};

// Asked with the target path when a file of that name is already there.
using AskReplace = std::function<Decision(const QString &target)>;

// Copies each source into folder under its file name. A source that already is the
// target is left alone. Each copy is whole or nothing. Returns the copies that failed.
QList<Failure> copyInto(
    const QStringList &sources, const QString &folder, const AskReplace &askReplace);

// "Cannot open file" with the picture that could not be read, or "Cannot create file" with
// the copy that could not be written; one line per failure.
QString failureText(const Failure &failure);
QString failureText(const QList<Failure> &failures);

} // namespace FileCopy
