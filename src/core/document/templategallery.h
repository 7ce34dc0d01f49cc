#pragma once

#include <QString>
#include <QStringList>

// The templates of a folder: every file "{name}.html", with an optional preview picture
// "{name}.bmp". Names are matched without regard to letter case, as the program always
// has, although Linux file names are case-sensitive.
// A gallery may span several folders (the user's own before the shipped ones): a template
// of an earlier folder replaces one of the same name, letter case aside, in a later one,
// and its picture is looked for beside it only.
namespace TemplateGallery {

// Template names, sorted without regard to letter case. Folders and a file named only
// ".html" are not templates. A missing folder has none.
QStringList names(const QStringList &folders);
QStringList names(const QString &folder);

// The file of a template or of its picture as found on disk; empty when there is none.
QString templateFile(const QStringList &folders, const QString &name);
QString templateFile(const QString &folder, const QString &name);
QString pictureFile(const QStringList &folders, const QString &name);
QString pictureFile(const QString &folder, const QString &name);

} // namespace TemplateGallery
