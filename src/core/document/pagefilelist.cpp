#include "pagefilelist.h"

#include <algorithm>

qsizetype PageFileList::find(const QString &path, bool &found) const
{
    const auto it = std::lower_bound(
        m_paths.cbegin(), m_paths.cend(), path, [](const QString &a, const QString &b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
    found = it != m_paths.cend() && QString::compare(*it, path, Qt::CaseInsensitive) == 0;
    return it - m_paths.cbegin();
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
