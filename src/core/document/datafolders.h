#pragma once

#include <QString>
#include <QStringList>

// Where the program's own files are, and where a user's files go when those cannot be
// written. The build folder is a working application directory (the programs beside their
// data folders); an installed copy keeps them in ../share/zephyro, read-only, and the user's
// files go to the XDG base directories and the documents folder instead.
class DataFolders {
public:
    // The data folder of a program in programDir, ending in "/": programDir itself when it
    // holds the data folders, else ../share/zephyro from it when that exists, else
    // programDir (which then has no templates).
    static QString locate(const QString &programDir);

    // Uses the user's folders when dataFolder cannot be written.
    explicit DataFolders(const QString &dataFolder);
    DataFolders(const QString &dataFolder, bool perUser);

    // Ends in "/".
    QString data() const { return m_data; }
    bool perUser() const { return m_perUser; }

    // Where templates ("Templates") or language libraries ("LangLibs") are looked for, the
    // one that wins a name first: the user's own "$XDG_DATA_HOME/zephyro/<kind>" before the
    // shipped folder when the data folder cannot be written, else the shipped folder alone.
    QStringList searchPath(const QString &kind) const;
    static QString userDataFolder(const QString &kind);

    // Where a file dialog starts for "WebFiles" or "ZephyroFiles": the data folder's, or the
    // user's documents folder's, made when missing.
    QString startFolder(const QString &kind) const;

    // The files ending in suffix (letter case aside) in the folders of searchPath(kind),
    // sorted without regard to case; of names differing only in case, the first folder's
    // wins. Folders and a file named only by the suffix do not count.
    struct Entry {
        QString name; // without the suffix
        QString path;
    };
    static QList<Entry> merged(const QStringList &folders, const QString &suffix);

private:
    QString m_data;
    bool m_perUser;
};
