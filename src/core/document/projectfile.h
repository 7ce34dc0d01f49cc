#pragma once

#include "pagefilelist.h"
#include "pagemodel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// The page project file (.pwz): the whole page model as KEY=value lines.
namespace ProjectFile {

// The file's lines, in the order they are written.
QStringList lines(const PageModel &model);
// The file's bytes: UTF-8, CR LF after every line.
QByteArray bytes(const PageModel &model);

// The name a project is written to: the document path up to the last "." of its file
// name with ".pwz" (the whole path when the file name has no "."), and the document path
// that follows.
struct Target {
    QString file;
    QString documentPath;
};
Target target(const QString &documentPath);

struct ReadResult {
    PageModel model;
    // The count key at which reading stopped (a count that is no decimal integer or far
    // beyond what the file holds); empty when the whole file was read.
    QString stoppedAt;
    // The colour key whose value was no colour; it and the colours after it kept their
    // defaults. Empty when all colours were read.
    QString badColor;
};

// Reads a project from its text. Keys are matched without regard to case; the first
// occurrence of a key wins. Link rows come back ticked as they were saved; a file of an
// older version, which keeps no ticks, gives them unticked.
ReadResult read(const QString &text);

// A project as the wizard shows it once read: the template named as the gallery lists it
// (none when it is not listed), pictures that cannot be loaded dropped, and the local
// files the page uses.
struct Opened {
    PageModel model;
    PageFileList pageFiles;
};
using PictureLoads = std::function<bool(const QString &path)>;
Opened open(
    const ReadResult &read, const QStringList &templateNames, const PictureLoads &pictureLoads);

// Splits one link value "address|description|image|height|width|" into a row.
LinkRow linkFromLine(const QString &value);

} // namespace ProjectFile
