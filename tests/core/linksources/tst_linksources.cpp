#include "atomicfile.h"
#include "externaltext.h"
#include "linksources.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace LinkSources;

namespace {

struct TextCase {
    const char *name;
    const char16_t *text;
    QStringList expected;
};

void PrintTo(const TextCase &c, std::ostream *os)
{
    *os << c.name;
}

class TextLinksTest : public ::testing::TestWithParam<TextCase> {};

} // namespace

TEST_P(TextLinksTest, ListsEveryQuotedAddressOnce)
{
    const FoundLinks links = listTextLinks(QString::fromUtf16(GetParam().text));
    EXPECT_EQ(links.addresses, GetParam().expected);
    EXPECT_TRUE(links.error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Lines, TextLinksTest,
    ::testing::Values(
        TextCase {"two on a line", u"<A HREF=\"b.html\">B</A> <A HREF=\"a.html\">A</A>",
            {"a.html", "b.html"}},
        TextCase {"duplicates across lines", u"HREF=\"x\"\nHREF=\"y\"\r\nHREF=\"x\" HREF=\"y\"",
            {"x", "y"}},
        TextCase {"plain text order", u"HREF=\"b\" HREF=\"B\" HREF=\"a\"", {"B", "a", "b"}},
        TextCase {"single quotes", u"<a href='s.html'>", {"s.html"}},
        TextCase {"the opening quote closes", u"HREF='it\"s' HREF=\"don't\"", {"don't", "it\"s"}},
        TextCase {"any letter case", u"<a hReF=\"m\"><A href=\"n\">", {"m", "n"}},
        TextCase {
            "no closing quote on the line", u"HREF=\"open\nrest\" HREF=\"next\"", {"", "next"}},
        TextCase {"line ends at a lone CR", u"HREF=\"open\rclose\"", {""}},
        TextCase {"search goes on after an open quote", u"HREF=\"open HREF='inner'", {"", "inner"}},
        TextCase {"marker without quote", u"HREF=page.html HREF = \"spaced\" HREF=", {}},
        TextCase {"empty address", u"HREF=\"\" HREF=\"\"", {""}},
        TextCase {"no marker", u"<a title=\"x\">", {}}));

TEST(FileLinks, ListsANetscapeBookmarkFileAsTheUpperCaseRuleDid)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bookmark.htm"));
    // Windows-1252 bytes, as an older Navigator wrote them.
    ASSERT_TRUE(writeFileAtomically(path,
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<TITLE>Bookmarks</TITLE>\r\n<DL><p>\r\n"
        "    <DT><H3 ADD_DATE=\"961234567\">Caf\xe9s</H3>\r\n    <DL><p>\r\n"
        "        <DT><A HREF=\"http://caf\xe9.example/\" ADD_DATE=\"961234568\" "
        "LAST_VISIT=\"0\">Caf\xe9</A>\r\n"
        "        <DT><A HREF=\"http://www.example.com/\" ADD_DATE=\"1\">Example</A>\r\n"
        "    </DL><p>\r\n    <DT><A HREF=\"http://www.example.com/\">Again</A>\r\n"
        "    <DT><A HREF=\"mailto:me@example.org\">Mail</A>\r\n</DL><p>\r\n"));
    const FoundLinks links = listFileLinks(path);
    EXPECT_EQ(links.addresses,
        QStringList({QStringLiteral("http://café.example/"), "http://www.example.com/",
            "mailto:me@example.org"}));
    EXPECT_EQ(links.sourceName, QStringLiteral("bookmark.htm"));
    EXPECT_TRUE(links.error.isEmpty());
}

TEST(FileLinks, ReportsWhatCannotBeRead)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.html"));
    EXPECT_EQ(listFileLinks(missing).error, QStringLiteral("Cannot open file ") + missing);
    EXPECT_EQ(listFileLinks(dir.path()).error, QStringLiteral("Cannot open file ") + dir.path());

    // A file past the limit (sparse, so it costs no disk) is refused.
    QFile huge(dir.filePath(QStringLiteral("huge.html")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxLinkFileSize + 1));
    huge.close();
    const FoundLinks links = listFileLinks(huge.fileName());
    EXPECT_TRUE(links.error.contains(QStringLiteral("too large"))) << links.error.toStdString();
    EXPECT_TRUE(links.addresses.isEmpty());
}

namespace {

using Status = ShortcutResult::Status;

struct ShortcutCase {
    const char *name;
    QByteArray bytes;
    const char *expected; // empty: the file holds no address
};

void PrintTo(const ShortcutCase &c, std::ostream *os)
{
    *os << c.name;
}

class ShortcutTest : public ::testing::TestWithParam<ShortcutCase> {};

} // namespace

TEST_P(ShortcutTest, ReadsTheAddressFromAFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("link.url"));
    ASSERT_TRUE(writeFileAtomically(path, GetParam().bytes));
    const ShortcutResult result = readShortcut(path);
    const QString expected = QString::fromUtf8(GetParam().expected);
    EXPECT_EQ(result.url, expected);
    EXPECT_EQ(result.status, expected.isEmpty() ? Status::NoAddress : Status::Address);
    EXPECT_TRUE(result.error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, ShortcutTest,
    ::testing::Values(ShortcutCase {"favorite", "[InternetShortcut]\r\nURL=http://a.example/\r\n",
                          "http://a.example/"},
        ShortcutCase {
            "names in any case", "[internetshortcut]\nurl=http://b.example/", "http://b.example/"},
        ShortcutCase {"other sections",
            "[DEFAULT]\nURL=wrong\n[InternetShortcut]\nIconIndex=1\n"
            "URL=http://c.example/\n[Other]\nURL=wrong",
            "http://c.example/"},
        ShortcutCase {"key missing", "[InternetShortcut]\nIconIndex=0\n[Other]\nURL=wrong", ""},
        ShortcutCase {"spaces and quotes", "[ InternetShortcut ]\n  URL = \"http://d.example/\" ",
            "http://d.example/"},
        ShortcutCase {"Windows-1252", "[InternetShortcut]\r\nURL=http://e.example/caf\xe9\r\n",
            "http://e.example/caf\xc3\xa9"},
        ShortcutCase {"desktop link",
            "[Desktop Entry]\nType=Link\nName=F\nURL=http://f/a\\sb\\\\c\\d", "http://f/a b\\c\\d"},
        ShortcutCase {
            "desktop application", "[Desktop Entry]\nType=Application\nURL=http://g/", ""},
        ShortcutCase {"desktop names keep their case",
            "[Desktop Entry]\nType=Link\nurl=http://h/\n[desktop entry]\nURL=http://h/", ""},
        ShortcutCase {"desktop key in another group",
            "[Desktop Entry]\nType=Link\n[Desktop Action x]\nURL=http://i/", ""},
        ShortcutCase {"empty value", "[InternetShortcut]\nURL=  \n", ""},
        ShortcutCase {
            "binary value", QByteArray("[InternetShortcut]\nURL=http://j/\x00\x01\xff\n", 36), ""},
        ShortcutCase {"escaped line break", "[Desktop Entry]\nType=Link\nURL=http://k/\\nx", ""},
        ShortcutCase {"empty file", "", ""}));

TEST(Shortcut, RefusesAFileLargerThanAShortcutCanBe)
{
    QTemporaryDir dir;
    const QByteArray favorite("[InternetShortcut]\r\nURL=http://big.example/\r\n");
    struct Case {
        const char *name;
        qint64 size;
        Status status;
    };
    // Sparse files: the sizes cost no disk, and a refused one is never read.
    const Case cases[] = {
        {"1 MB", kMaxShortcutFileSize, Status::Address},
        {"a byte more", kMaxShortcutFileSize + 1, Status::TooLarge},
        {"500 MB", 500LL * 1024 * 1024, Status::TooLarge},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".url"));
        ASSERT_TRUE(writeFileAtomically(path, favorite));
        QFile file(path);
        ASSERT_TRUE(file.resize(c.size));
        const ShortcutResult result = readShortcut(path);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.url,
            c.status == Status::Address ? QStringLiteral("http://big.example/") : QString());
    }
}

TEST(Shortcut, ReportsAFileThatCannotBeRead)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("gone.url"));
    const ShortcutResult result = readShortcut(missing);
    EXPECT_EQ(result.status, Status::Unreadable);
    EXPECT_TRUE(result.url.isEmpty());
    EXPECT_EQ(result.error, QStringLiteral("Cannot open file ") + missing);
}

TEST(Favorites, StartsInFavoritesWhenThereIsSuchAFolder)
{
    QTemporaryDir home;
    EXPECT_EQ(favoritesFolder(home.path()), home.path());
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Favorites")));
    EXPECT_EQ(favoritesFolder(home.path()), home.filePath(QStringLiteral("Favorites")));
}

namespace {

QString settingsFile()
{
    return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"))
        + QStringLiteral("/Marbleton Software/HTML Editor Zephyro.conf");
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeSetting(const QString &key, const QString &value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QStringLiteral("Marbleton Software"), QStringLiteral("HTML Editor Zephyro"));
    settings.setValue(key, value);
}

} // namespace

TEST(RecordedBookmarkFile, OnlyReadsTheSettings)
{
    // The test program points XDG_CONFIG_HOME at a folder of its own.
    ASSERT_FALSE(QFile::exists(settingsFile()));
    EXPECT_FALSE(recordedBookmarkFile().has_value());
    EXPECT_FALSE(QFile::exists(settingsFile()));

    writeSetting(QStringLiteral("Settings/Other"), QStringLiteral("1"));
    const QByteArray before = fileBytes(settingsFile());
    EXPECT_FALSE(recordedBookmarkFile().has_value());
    EXPECT_EQ(fileBytes(settingsFile()), before);

    writeSetting(QStringLiteral("Bookmark List/File Location"), QString());
    EXPECT_FALSE(recordedBookmarkFile().has_value());
    writeSetting(QStringLiteral("Bookmark List/File Location"), QStringLiteral("/b/bookmark.htm"));
    EXPECT_EQ(recordedBookmarkFile(), std::optional(QStringLiteral("/b/bookmark.htm")));
}
