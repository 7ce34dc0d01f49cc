#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// Where the link editor finds addresses besides the keyboard: favorites and desktop links,
// the links of a web or bookmark file, and the bookmarks of the browsers on this machine.
// Everything here reads files from outside and reports what it could not read as a value.
namespace LinkSources {

struct FoundLinks {
    // Sorted by plain text order, each address once.
    QStringList addresses;
    // What the found-links caption shows after " - ": a file name without its folder, or
    // the browsers read ("Firefox", "Chromium", "Google Chrome", joined by ", ").
    QString sourceName;
    // Why the source could not be read, for the user; empty when it was read.
    QString error;
};

// Files larger than this are refused rather than read into memory.
inline constexpr qint64 kMaxLinkFileSize = 512 * 1024 * 1024;
// A favorite or a desktop link holds a few lines; anything larger is no such file.
inline constexpr qint64 kMaxShortcutFileSize = 1024 * 1024;

// Every address of a web or bookmark file, read as outside text.
FoundLinks listFileLinks(const QString &path);
// Every address on the lines of a text: after each HREF= (any letter case) that a double or
// single quote follows, the text up to the same quote on that line; the empty text when the
// line holds no such quote. HREF= without a quote after it is no address.
FoundLinks listTextLinks(const QString &text);

struct ShortcutResult {
    enum class Status {
        Address,
        NoAddress, // no URL key, an application's entry, or no text at all
        TooLarge,  // over kMaxShortcutFileSize
        Unreadable,
    };
    Status status = Status::Unreadable;
    QString url;   // set only with Status::Address
    QString error; // why the file could not be read, for the user
};
// The address of a favorite (.url) or a desktop link (.desktop).
ShortcutResult readShortcut(const QString &path);
// What the bytes of such a file give: an address without control characters, or none.
ShortcutResult shortcutFromBytes(QByteArrayView bytes);
// A desktop entry (first group "[Desktop Entry]") gives its URL when its Type is Link;
// any other text is read as an INI file for key URL of section InternetShortcut, names
// matched without regard to case.
QString shortcutUrlFromText(const QString &text);

// The bookmarks of a Firefox profile's places.sqlite, read from a copy since Firefox keeps
// the file locked while it runs.
FoundLinks firefoxBookmarks(const QString &placesSqlite);
// The bookmarks of a Chromium or Google Chrome profile's "Bookmarks" file.
FoundLinks chromiumBookmarks(const QString &bookmarksJson);
// The addresses of the bookmark nodes in a Chromium "Bookmarks" document, sorted and each
// once; nothing when the bytes are not such a document.
std::optional<QStringList> chromiumBookmarkAddresses(const QByteArray &json);

// The bookmark stores of every Firefox, Chromium and Google Chrome profile under a home
// folder that exist, Firefox first.
QStringList browserBookmarkStores(const QString &homeDir);
// All the bookmarks of the given stores in one list. A store that cannot be read is left
// out; the error is set only when none could be read.
FoundLinks browserBookmarks(const QStringList &stores);

// Where favorites are looked for first: ~/Favorites when it exists, else the home folder.
QString favoritesFolder(const QString &homeDir);
// The bookmark file recorded in the program's settings, when one is. Only reads.
std::optional<QString> recordedBookmarkFile();

} // namespace LinkSources
