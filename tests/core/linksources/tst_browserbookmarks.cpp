#include "atomicfile.h"
#include "externaltext.h"
#include "linksources.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace LinkSources;

namespace {

// A places database as Firefox lays it out, reduced to what bookmarks need. Returns the
// open connection; the caller removes it.
QSqlDatabase writePlaces(const QString &path, const QString &connection, bool writeAheadLog)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    EXPECT_TRUE(db.open());
    QSqlQuery query(db);
    QStringList statements {"CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR)",
        "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT "
        "NULL, parent INTEGER, title LONGVARCHAR)",
        "INSERT INTO moz_places VALUES (1, 'https://b.example/'), (2, 'https://a.example/'),"
        " (3, 'place:sort=8&maxResults=10'), (4, 'https://only-visited.example/')",
        // The folder and the separator point at a visited place, to show that only type 1
        // counts.
        "INSERT INTO moz_bookmarks VALUES (1, 2, 4, 0, 'menu'), (2, 1, 1, 1, 'B'),"
        " (3, 1, 2, 1, 'A'), (4, 1, 1, 1, 'B again'), (5, 1, 3, 1, 'Most visited'),"
        " (6, 3, 4, 1, NULL)"};
    if (writeAheadLog) {
        // Firefox at work: the rows stay in the log until it is folded in.
        statements.prepend(QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
        statements.prepend(QStringLiteral("PRAGMA journal_mode = WAL"));
    }
    for (const QString &statement : statements)
        EXPECT_TRUE(query.exec(statement)) << statement.toStdString();
    return db;
}

const QStringList kFirefoxAddresses {"https://a.example/", "https://b.example/"};

const QByteArray kChromiumJson = R"({"checksum": "0", "version": 1, "roots": {
  "bookmark_bar": {"type": "folder", "name": "Bar", "children": [
    {"type": "url", "name": "Z", "url": "https://z.example/"},
    {"type": "folder", "name": "Deep", "children": [
      {"type": "folder", "name": "Deeper", "children": [
        {"type": "url", "url": "https://deep.example/"},
        {"type": "url", "url": "https://a.example/"}]}]}]},
  "other": {"type": "folder", "children": [{"type": "url", "url": "https://z.example/"},
    {"type": "folder", "url": "https://not-a-link.example/"}, {"type": "url", "url": 7}]},
  "synced": {"type": "folder", "children": []}}})";

const QStringList kChromiumAddresses {
    "https://a.example/", "https://deep.example/", "https://z.example/"};

bool noConnectionLeft()
{
    return QSqlDatabase::connectionNames().isEmpty();
}

} // namespace

TEST(FirefoxBookmarks, ListsTheBookmarksButNotFoldersOrQueries)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("places.sqlite"));
    writePlaces(path, QStringLiteral("writer"), false).close();
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    const FoundLinks links = firefoxBookmarks(path);
    EXPECT_EQ(links.addresses, kFirefoxAddresses);
    EXPECT_EQ(links.sourceName, QStringLiteral("Firefox"));
    EXPECT_TRUE(links.error.isEmpty()) << links.error.toStdString();
    EXPECT_TRUE(noConnectionLeft());
}

TEST(FirefoxBookmarks, ReadsWhatARunningFirefoxKeepsInItsLog)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("places.sqlite"));
    {
        const QSqlDatabase writer = writePlaces(path, QStringLiteral("writer"), true);
        ASSERT_TRUE(QFile::exists(path + QStringLiteral("-wal")));
        EXPECT_EQ(firefoxBookmarks(path).addresses, kFirefoxAddresses);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
}

TEST(FirefoxBookmarks, ReportsAStoreThatCannotBeRead)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing/places.sqlite"));
    const QString text = dir.filePath(QStringLiteral("text/places.sqlite"));
    const QString empty = dir.filePath(QStringLiteral("empty/places.sqlite"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("text"))
        && QDir(dir.path()).mkpath(QStringLiteral("empty")));
    ASSERT_TRUE(writeFileAtomically(text, QByteArray("SQLite format 3\0 but no more", 28)));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "writer");
        db.setDatabaseName(empty);
        ASSERT_TRUE(db.open() && QSqlQuery(db).exec(QStringLiteral("CREATE TABLE other (x)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    EXPECT_EQ(firefoxBookmarks(missing).error, QStringLiteral("Cannot open file ") + missing);
    EXPECT_EQ(firefoxBookmarks(text).error, QStringLiteral("Cannot read the bookmarks in ") + text);
    EXPECT_EQ(
        firefoxBookmarks(empty).error, QStringLiteral("Cannot read the bookmarks in ") + empty);
    EXPECT_TRUE(noConnectionLeft());
}

TEST(ChromiumBookmarks, ListsTheLinksOfNestedFolders)
{
    EXPECT_EQ(chromiumBookmarkAddresses(kChromiumJson), std::optional(kChromiumAddresses));
    for (const char *notBookmarks : {"", "{", "[]", "{\"roots\": []}", "{\"roots\": 1}"})
        EXPECT_FALSE(chromiumBookmarkAddresses(notBookmarks).has_value()) << notBookmarks;

    QTemporaryDir home;
    const QString chrome = home.filePath(QStringLiteral(".config/google-chrome/Default/Bookmarks"));
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral(".config/google-chrome/Default")));
    ASSERT_TRUE(writeFileAtomically(chrome, kChromiumJson));
    const FoundLinks links = chromiumBookmarks(chrome);
    EXPECT_EQ(links.addresses, kChromiumAddresses);
    EXPECT_EQ(links.sourceName, QStringLiteral("Google Chrome"));

    const QString broken = home.filePath(QStringLiteral("Bookmarks"));
    ASSERT_TRUE(writeFileAtomically(broken, "{\"roots\": {"));
    EXPECT_EQ(
        chromiumBookmarks(broken).error, QStringLiteral("Cannot read the bookmarks in ") + broken);
    EXPECT_EQ(chromiumBookmarks(broken).sourceName, QStringLiteral("Chromium"));
}

TEST(BrowserBookmarks, FindsTheStoresOfEveryProfileAndMergesThem)
{
    QTemporaryDir home;
    const QDir root(home.path());
    const auto store = [&](const QString &relative, const QByteArray &bytes) {
        EXPECT_TRUE(root.mkpath(QFileInfo(root.filePath(relative)).path()));
        EXPECT_TRUE(writeFileAtomically(root.filePath(relative), bytes));
        return root.filePath(relative);
    };
    const QString firefox
        = root.filePath(QStringLiteral(".mozilla/firefox/x1.default/places.sqlite"));
    ASSERT_TRUE(root.mkpath(QStringLiteral(".mozilla/firefox/x1.default")));
    writePlaces(firefox, QStringLiteral("writer"), false).close();
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    ASSERT_TRUE(root.mkpath(QStringLiteral(".mozilla/firefox/no-store.profile")));
    ASSERT_TRUE(root.mkpath(QStringLiteral(".config/chromium/Profile 2/Bookmarks")));
    const QString snap
        = store(QStringLiteral("snap/firefox/common/.mozilla/firefox/s.default/places.sqlite"),
            "not a database");
    const QString chromium
        = store(QStringLiteral(".config/chromium/Default/Bookmarks"), kChromiumJson);
    const QString chrome
        = store(QStringLiteral(".config/google-chrome/Profile 1/Bookmarks"), "{broken");

    const QStringList stores = browserBookmarkStores(home.path());
    EXPECT_EQ(stores, QStringList({firefox, snap, chromium, chrome}));

    const FoundLinks merged = browserBookmarks(stores);
    EXPECT_EQ(merged.addresses,
        QStringList({"https://a.example/", "https://b.example/", "https://deep.example/",
            "https://z.example/"}));
    EXPECT_EQ(merged.sourceName, QStringLiteral("Firefox, Chromium"));
    EXPECT_TRUE(merged.error.isEmpty());

    const FoundLinks failed = browserBookmarks({snap, chrome});
    EXPECT_TRUE(failed.addresses.isEmpty());
    EXPECT_EQ(failed.error,
        QStringLiteral("Cannot read the bookmarks in %1\nCannot read the bookmarks in %2")
            .arg(snap, chrome));
    EXPECT_TRUE(browserBookmarks({}).error.isEmpty());
}
