#pragma once

#include <QString>
#include <QStringList>

// The local files a page uses (background image, page image, link images): full paths,
// kept sorted without regard to letter case, each path once whatever its case.
class PageFileList {
public:
    // False when an equal path (letter case ignored) is already listed.
    bool add(const QString &path);
    // False when no equal path was listed.
    bool remove(const QString &path);
    void clear() { m_paths.clear(); }

    bool contains(const QString &path) const;
    bool isEmpty() const { return m_paths.isEmpty(); }
    qsizetype size() const { return m_paths.size(); }
    const QStringList &paths() const { return m_paths; }

private:
    // Index of the first entry not less than path; sets found when it is equal.
    qsizetype find(const QString &path, bool &found) const;

    QStringList m_paths;
};
