#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <optional>

// A language library: the texts of a translation keyed by string number. Two file forms
// are read: a Windows resource module's string table (so existing libraries keep working)
// and our own UTF-8 text table of "number=text" lines. Files are outside input: a damaged
// or hostile file gives failure or what can be read of it, never a crash or a hang.
namespace LanguageLibrary {

using Texts = QHash<int, QString>;

// Larger files are refused unread; real libraries are a few hundred kilobytes at most.
inline constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
// A text is cut to this many characters, as the resource loader's buffer of 256 did.
inline constexpr int kMaxTextLength = 255;

// The string table of a PE resource module; nullopt when the bytes are not one.
std::optional<Texts> readResourceModule(QByteArrayView bytes);
// The "number=text" lines of a text table, each in UTF-8 or else in Windows-1252.
Texts readTextTable(QByteArrayView bytes);
// Either form, told apart by the resource module's "MZ" signature; nullopt when the bytes
// yield no entry at all, which no library made for this program does.
std::optional<Texts> read(QByteArrayView bytes);
// Reads a library file; nullopt when it cannot be opened, is too large or is no library.
std::optional<Texts> load(const QString &path);

} // namespace LanguageLibrary
