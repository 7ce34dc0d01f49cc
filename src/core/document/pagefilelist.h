#pragma once

#include <QString>
#include <QStringList>

// The local files a page uses (background image, page image, link images): full paths,
// kept sorted without regard to letter case, each file once. Two paths are one entry only
// when they name the same file: "Logo.gif" and "logo.gif" are two pictures here, unless the
// file system they are on ignores letter case.
class PageFileList {
public:
    // False when the file is already listed.
    bool add(const QString &path);
    // False when the file was not listed.
    bool remove(const QString &path);
    void clear() { m_paths.clear(); }

    bool contains(const QString &path) const;
    bool isEmpty() const { return m_paths.isEmpty(); }
    qsizetype size() const { return m_paths.size(); }
    const QStringList &paths() const { return m_paths; }

    // Whether two paths are one entry: the same text, or names that differ only in letter
    // case of one file on a file system that ignores it. A Windows path from an older
    // project, which names no file here, follows Windows and ignores letter case.
    static bool sameFile(const QString &a, const QString &b);

private:
    // Index of the entry naming path's file, or else where path goes; sets found.
    qsizetype find(const QString &path, bool &found) const;

    QStringList m_paths;
};
