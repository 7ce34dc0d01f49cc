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

struct Outcome {
    // Files written because they were missing or differed; empty when all were current.
    QStringList written;
    // The first file that could not be written; empty when none failed.
    QString failed;
};

// Writes what differs and refreshes the desktop's caches when anything changed.
// programPath is the program's absolute file name, icon the PNG bytes of its icon.
Outcome registerFileType(const QString &programPath, const QByteArray &icon);

// The folders used: XDG_DATA_HOME and XDG_CONFIG_HOME, or their defaults under HOME.
QString dataHome();
QString configHome();

// The file contents, given for the tests.
QByteArray mimePackage();
QByteArray desktopEntry(const QString &programPath);
// mimeapps.list with the program as the default for page projects, other lines kept.
QByteArray mimeAppsList(const QByteArray &existing);

} // namespace FileAssociation
