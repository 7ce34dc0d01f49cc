#include "filecopy.h"

#include "pagemodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {

bool copyWhole(const QString &source, const QString &target)
{
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0) {
            out.cancelWriting();
            return false;
        }
        if (got == 0)
            break;
        if (out.write(buffer, got) != got) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}

} // namespace

namespace FileCopy {

QList<Failure> copyInto(
    const QStringList &sources, const QString &folder, const AskReplace &askReplace)
{
    QList<Failure> failures;
    bool replaceAll = false;
    for (const QString &source : sources) {
        const QString target = QDir(folder).filePath(fileNamePart(source));
        const QFileInfo targetInfo(target);
        if (targetInfo.exists()) {
            if (targetInfo.canonicalFilePath() == QFileInfo(source).canonicalFilePath())
                continue;
            if (!replaceAll) {
                const Decision decision = askReplace(target);
                if (decision == Decision::Cancel)
                    break;
                if (decision == Decision::Keep)
                    continue;
                replaceAll = decision == Decision::ReplaceAll;
            }
        }
        if (!copyWhole(source, target))
            failures.append({source, target});
    }
    return failures;
}

} // namespace FileCopy
