// The browsers' own bookmark stores, read as further sources of the link editor.
#include "linksources.h"

#include "fileerrors.h"
#include "linksourcefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <atomic>

namespace LinkSources {

namespace {

const QString kPlaces = QStringLiteral("places.sqlite");
const QString kChromiumBookmarks = QStringLiteral("Bookmarks");

QString cannotReadBookmarks(const QString &path)
{
    return QStringLiteral("Cannot read the bookmarks in %1").arg(path);
}

// Firefox keeps its latest changes in a write-ahead log beside the file until it folds
// them in, so the log is copied too when there is one.
bool copyPlaces(const QString &path, const QString &copy)
{
    if (!QFile::copy(path, copy))
        return false;
    const QString log = path + QStringLiteral("-wal");
    return !QFileInfo(log).isFile() || QFile::copy(log, copy + QStringLiteral("-wal"));
}

// The addresses of the bookmarks (type 1) of a places database; nothing when it cannot
// be read. Firefox's own "place:" queries are no addresses for a page.
std::optional<QSet<QString>> placesAddresses(const QString &database)
{
    static std::atomic<int> connections {0};
    const QString connection = QStringLiteral("LinkSources.places.%1").arg(++connections);
    std::optional<QSet<QString>> found;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(database);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            if (query.exec(QStringLiteral("SELECT moz_places.url FROM moz_bookmarks JOIN moz_places"
                                          " ON moz_places.id = moz_bookmarks.fk"
                                          " WHERE moz_bookmarks.type = 1"))) {
                QSet<QString> addresses;
                while (query.next()) {
                    const QString url = query.value(0).toString();
                    if (!url.startsWith(QStringLiteral("place:")))
                        addresses.insert(url);
                }
                // A file that breaks off part way stops the rows with an error.
                if (!query.lastError().isValid())
                    found = std::move(addresses);
            }
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return found;
}

QString chromiumName(const QString &path)
{
    const QStringList folders = QDir::fromNativeSeparators(path).split(QLatin1Char('/'));
    return folders.contains(QStringLiteral("google-chrome")) ? QStringLiteral("Google Chrome")
                                                             : QStringLiteral("Chromium");
}

} // namespace

FoundLinks firefoxBookmarks(const QString &placesSqlite)
{
    const QString firefox = QStringLiteral("Firefox");
    if (!QFileInfo(placesSqlite).isFile())
        return {{}, firefox, cannotOpenFile(placesSqlite)};
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return {{}, firefox,
            cannotReadBookmarks(placesSqlite)
                + QStringLiteral(": the SQLite driver of Qt (libqt6sql6-sqlite) is missing")};
    const QTemporaryDir copyDir;
    const QString copy = copyDir.filePath(kPlaces);
    if (!copyDir.isValid() || !copyPlaces(placesSqlite, copy))
        return {{}, firefox, cannotOpenFile(placesSqlite)};
    const std::optional<QSet<QString>> addresses = placesAddresses(copy);
    if (!addresses)
        return {{}, firefox, cannotReadBookmarks(placesSqlite)};
    return {Detail::sortedList(*addresses), firefox, {}};
}

std::optional<QStringList> chromiumBookmarkAddresses(const QByteArray &json)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue roots = document.object().value(QStringLiteral("roots"));
    if (!roots.isObject())
        return std::nullopt;
    QSet<QString> found;
    // Folders nest as deep as the user made them: walk them with a list, not by recursion.
    QList<QJsonValue> pending;
    for (const QJsonValue &root : roots.toObject())
        pending << root;
    while (!pending.isEmpty()) {
        const QJsonObject node = pending.takeLast().toObject();
        const QJsonValue url = node.value(QStringLiteral("url"));
        if (node.value(QStringLiteral("type")) == QStringLiteral("url") && url.isString())
            found.insert(url.toString());
        for (const QJsonValue &child : node.value(QStringLiteral("children")).toArray())
            pending << child;
    }
    return Detail::sortedList(found);
}

FoundLinks chromiumBookmarks(const QString &bookmarksJson)
{
    const QString name = chromiumName(bookmarksJson);
    const Detail::FileBytes file = Detail::readSourceFile(bookmarksJson);
    if (!file.error.isEmpty())
        return {{}, name, file.error};
    std::optional<QStringList> addresses = chromiumBookmarkAddresses(file.bytes);
    if (!addresses)
        return {{}, name, cannotReadBookmarks(bookmarksJson)};
    return {std::move(*addresses), name, {}};
}

QStringList browserBookmarkStores(const QString &homeDir)
{
    QStringList stores;
    const QDir home(homeDir);
    const auto addProfiles = [&](const QString &browserFolder, const QString &storeName) {
        const QDir folder(home.filePath(browserFolder));
        const QStringList profiles
            = folder.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &profile : profiles) {
            const QString store = folder.filePath(profile + QLatin1Char('/') + storeName);
            if (QFileInfo(store).isFile())
                stores << store;
        }
    };
    addProfiles(QStringLiteral(".mozilla/firefox"), kPlaces);
    addProfiles(QStringLiteral("snap/firefox/common/.mozilla/firefox"), kPlaces);
    addProfiles(QStringLiteral(".config/chromium"), kChromiumBookmarks);
    addProfiles(QStringLiteral(".config/google-chrome"), kChromiumBookmarks);
    return stores;
}

FoundLinks browserBookmarks(const QStringList &stores)
{
    QSet<QString> addresses;
    QStringList names;
    QStringList errors;
    for (const QString &store : stores) {
        const FoundLinks links = QFileInfo(store).fileName() == kPlaces ? firefoxBookmarks(store)
                                                                        : chromiumBookmarks(store);
        if (!links.error.isEmpty()) {
            errors << links.error;
            continue;
        }
        for (const QString &address : links.addresses)
            addresses.insert(address);
        if (!names.contains(links.sourceName))
            names << links.sourceName;
    }
    FoundLinks merged {Detail::sortedList(addresses), names.join(QStringLiteral(", ")), {}};
    if (names.isEmpty())
        merged.error = errors.join(QLatin1Char('\n'));
    return merged;
}

} // namespace LinkSources
