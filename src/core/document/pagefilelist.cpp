#include "pagefilelist.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <sys/stat.h>

namespace {

// Case-insensitive first, so that the list reads as before; exact text breaks the tie.
bool lessThan(const QString &a, const QString &b)
{
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

bool isWindowsPath(const QString &path)
{
    return path.size() > 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter()
        && !QDir::isAbsolutePath(path);
}

} // namespace

bool PageFileList::sameFile(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    // Copied beside the page under their file names, two names are two files to the
    // browser; only names that differ in letter case alone may be one.
    if (QString::compare(QDir::cleanPath(a), QDir::cleanPath(b), Qt::CaseInsensitive) != 0)
        return false;
    if (isWindowsPath(a) && isWindowsPath(b))
        return true;
    // The file system decides: one that ignores letter case (a FAT stick) shows one file.
    struct stat first {};
    struct stat second {};
    const QByteArray aName = QFile::encodeName(a);
    const QByteArray bName = QFile::encodeName(b);
    return !aName.isEmpty() && !bName.isEmpty() && ::stat(aName.constData(), &first) == 0
        && ::stat(bName.constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

qsizetype PageFileList::find(const QString &path, bool &found) const
{
    found = false;
    const auto it = std::find_if(m_paths.cbegin(), m_paths.cend(),
        [&path](const QString &entry) { return sameFile(entry, path); });
    if (it != m_paths.cend()) {
        found = true;
        return it - m_paths.cbegin();
    }
    return std::lower_bound(m_paths.cbegin(), m_paths.cend(), path, lessThan) - m_paths.cbegin();
}

bool PageFileList::add(const QString &path)
{
    bool found = false;
    const qsizetype index = find(path, found);
    if (found)
        return false;
    m_paths.insert(index, path);
    return true;
}

bool PageFileList::remove(const QString &path)
{
    bool found = false;
    const qsizetype index = find(path, found);
    if (!found)
        return false;
    m_paths.removeAt(index);
    return true;
}

bool PageFileList::contains(const QString &path) const
{
    bool found = false;
    find(path, found);
    return found;
}
