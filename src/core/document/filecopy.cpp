#include "filecopy.h"

#include "atomicfile.h"
#include "fileerrors.h"
#include "pagemodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

enum class Copy { Done, SourceFailed, TargetFailed };

Copy copyWhole(const QString &source, const QString &target)
{
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return Copy::SourceFailed;
    AtomicFile out(target);
    if (!out.open())
        return Copy::TargetFailed;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0)
            return Copy::SourceFailed;
        if (got == 0)
            break;
        if (!out.write(QByteArrayView(buffer, got)))
            return Copy::TargetFailed;
    }
    return out.commit() ? Copy::Done : Copy::TargetFailed;
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
        const Copy copied = copyWhole(source, target);
        if (copied != Copy::Done)
            failures.append({source, target, copied == Copy::SourceFailed});
    }
    return failures;
}

QString failureText(const Failure &failure)
{
    return failure.sourceUnreadable ? cannotOpenFile(failure.source)
                                    : cannotCreateFile(failure.target);
}

QString failureText(const QList<Failure> &failures)
{
    QStringList lines;
    for (const Failure &failure : failures)
        lines << failureText(failure);
    return lines.join(QLatin1Char('\n'));
}

} // namespace FileCopy
