#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// Text files from outside (project files, templates, imported text) are UTF-8 today, but
// older ones were written in Windows-1252: bytes that are not valid UTF-8 are read as that.
QString decodeExternalText(QByteArrayView bytes);

// Splits text at CR LF, CR or LF. A last line without an end is a line; text that ends in
// a line end has no empty line after it.
QStringList splitLines(const QString &text);

// Reads a whole file from outside; empty when it cannot be opened or read, or is too large
// to be a text a page is made of.
std::optional<QByteArray> readExternalFile(const QString &path);

// Reads a whole text file from outside; empty when it cannot be opened or read.
std::optional<QString> readExternalTextFile(const QString &path);
