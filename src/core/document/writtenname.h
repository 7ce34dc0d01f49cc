#pragma once

#include <QString>

// Where the extension of a path the program writes begins: the last "." of its file name
// (a dot in a folder name, "my.site/index", is none), or -1 when the file name has none.
qsizetype extensionDot(const QString &path);
