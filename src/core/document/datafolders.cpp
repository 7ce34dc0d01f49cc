#include "datafolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <unistd.h>

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool canWrite(const QString &folder)
{
    // Both bits: a folder needs the search bit too for a file to be made in it.
    return !folder.isEmpty() && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace

QString DataFolders::locate(const QString &programDir)
{
    if (QFileInfo(QDir(programDir).filePath(QStringLiteral("Templates"))).isDir())
        return withSlash(programDir);
    // Resolved, so that a program reached through a link of /usr/local/bin still finds
    // its own share folder.
    const QString installed
        = QFileInfo(QDir(programDir).filePath(QStringLiteral("../share/zephyro")))
              .canonicalFilePath();
    if (!installed.isEmpty() && QFileInfo(installed).isDir())
        return withSlash(installed);
    return withSlash(programDir);
}

DataFolders::DataFolders(const QString &dataFolder)
    : DataFolders(dataFolder, !canWrite(dataFolder))
{}

DataFolders::DataFolders(const QString &dataFolder, bool perUser)
    : m_data(withSlash(dataFolder))
    , m_perUser(perUser)
{}

QString DataFolders::userDataFolder(const QString &kind)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/zephyro/") + kind;
}

QStringList DataFolders::searchPath(const QString &kind) const
{
    const QString shipped = m_data + kind;
    if (!m_perUser)
        return {shipped};
    return {userDataFolder(kind), shipped};
}

QString DataFolders::startFolder(const QString &kind) const
{
    if (!m_perUser)
        return m_data + kind;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
        + QLatin1Char('/') + kind;
    // Made on first use; when that fails the dialog starts wherever it would.
    QDir().mkpath(folder);
    return folder;
}

QList<DataFolders::Entry> DataFolders::merged(const QStringList &folders, const QString &suffix)
{
    QList<Entry> result;
    QSet<QString> seen;
    for (const QString &folder : folders) {
        // Hidden and system entries count too; by name, so that of two files differing
        // only in case the same one wins every time.
        const QFileInfoList files = QDir(folder).entryInfoList(
            QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &file : files) {
            const QString fileName = file.fileName();
            if (fileName.size() <= suffix.size() || !fileName.endsWith(suffix, Qt::CaseInsensitive))
                continue;
            const QString name = fileName.chopped(suffix.size());
            const QString key = name.toCaseFolded();
            if (seen.contains(key))
                continue;
            seen.insert(key);
            result.append({name, file.filePath()});
        }
    }
    std::stable_sort(result.begin(), result.end(), [](const Entry &a, const Entry &b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return result;
}
