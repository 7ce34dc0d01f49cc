#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Associates page projects (*.pwz) with the program through the freedesktop files of the
// user's data folder: a MIME type, a desktop entry opening the file with the program, the
// default-application entry and the program's icon.
namespace FileAssociation {

inline constexpr char kMimeType[] = "application/x-zephyro-project";
inline constexpr char kDesktopFile[] = "marbleton-html-zephyro.desktop";
inline constexpr char kIconName[] = "marbleton-html-zephyro";
// The name of the MIME package an installed copy puts in share/mime/packages.
inline constexpr char kInstalledMimeFile[] = "marbleton-html-zephyro.xml";

struct Outcome {
    // Files written because they were missing or differed; empty when all were current.
    QStringList written;
    // The user's desktop entry, taken away because an installed copy's replaces it.
    QStringList removed;
    // The first file that could not be written; empty when none failed.
    QString failed;
};

// Writes what differs and refreshes the desktop's caches when anything changed.
// programPath is the program's absolute file name, icon the PNG bytes of its icon.
// Once a copy is installed system-wide (its desktop entry in XDG_DATA_DIRS opens a program
// that exists), the user's files only add what the installed ones lack: no desktop entry
// of the user's own then shadows the installed one, whichever copy of the program runs.
Outcome registerFileType(const QString &programPath, const QByteArray &icon);

// What an installed copy put in the system's data folders; empty paths when missing.
struct Installed {
    QString desktopFile;   // its desktop entry, when the program it opens exists
    QString program;       // the program that entry opens
    bool mimeType = false; // the same MIME package as mimePackage()
    bool icon = false;
};
Installed findInstalled();

// The folders used: XDG_DATA_HOME and XDG_CONFIG_HOME, or their defaults under HOME, and
// XDG_DATA_DIRS (by default /usr/local/share and /usr/share).
QString dataHome();
QString configHome();
QStringList dataDirs();

// The file contents, given for the tests.
QByteArray mimePackage();
QByteArray desktopEntry(const QString &programPath);
// mimeapps.list with the program as the default for page projects, other lines kept.
QByteArray mimeAppsList(const QByteArray &existing);

} // namespace FileAssociation
