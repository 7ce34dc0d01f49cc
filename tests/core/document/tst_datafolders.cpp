#include "datafolders.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

void makeFile(const QString &path)
{
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

struct Layout {
    const char *name;
    // Made below a temporary folder; a name ending in "/" is a folder.
    std::vector<const char *> entries;
    const char *programDir;
    const char *expected;
};

void PrintTo(const Layout &layout, std::ostream *out)
{
    *out << layout.name;
}

class DataFolderLookup : public ::testing::TestWithParam<Layout> {};

TEST_P(DataFolderLookup, FindsTheDataBesideTheProgramOrInItsShareFolder)
{
    QTemporaryDir top;
    ASSERT_TRUE(top.isValid());
    const QString root = QDir(top.path()).canonicalPath() + QLatin1Char('/');
    for (const char *entry : GetParam().entries) {
        const QString path = root + QLatin1String(entry);
        if (path.endsWith(QLatin1Char('/')))
            QDir().mkpath(path);
        else
            makeFile(path);
    }
    // A prefix reached through a link finds the share folder of the real one.
    QFile::link(root + QStringLiteral("usr"), root + QStringLiteral("linked"));
    EXPECT_EQ(DataFolders::locate(root + QLatin1String(GetParam().programDir)),
        root + QLatin1String(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Layouts, DataFolderLookup,
    ::testing::Values(Layout {"BuildFolder", {"app/zephyro", "app/Templates/"}, "app", "app/"},
        Layout {"BuildFolderBesideAShareFolder",
            {"usr/bin/zephyro", "usr/bin/Templates/", "usr/share/zephyro/Templates/"}, "usr/bin/",
            "usr/bin/"},
        Layout {"Installed", {"usr/bin/zephyro", "usr/share/zephyro/Templates/"}, "usr/bin",
            "usr/share/zephyro/"},
        Layout {"InstalledThroughALink", {"usr/bin/zephyro", "usr/share/zephyro/Templates/"},
            "linked/bin", "usr/share/zephyro/"},
        Layout {"NeitherKeepsTheProgramsFolder", {"opt/zephyro"}, "opt", "opt/"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DataFolders, UsesTheUsersFoldersWhenTheDataFolderCannotBeWritten)
{
    QTemporaryDir top;
    ASSERT_TRUE(top.isValid());
    const QString writable = top.path() + QLatin1Char('/');
    makeFile(top.filePath(QStringLiteral("file")));
    QStringList readOnly
        = {top.filePath(QStringLiteral("missing")), top.filePath(QStringLiteral("file"))};
    // root writes anywhere; for anyone else a folder without write permission is one more.
    if (::geteuid() != 0) {
        const QString locked = top.filePath(QStringLiteral("locked"));
        QDir().mkpath(locked);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        readOnly << locked;
    }

    const DataFolders own(writable);
    EXPECT_FALSE(own.perUser());
    EXPECT_EQ(own.searchPath(QStringLiteral("Templates")),
        QStringList {writable + QStringLiteral("Templates")});
    EXPECT_EQ(own.startFolder(QStringLiteral("WebFiles")), writable + QStringLiteral("WebFiles"));

    const QString userData = qEnvironmentVariable("XDG_DATA_HOME");
    ASSERT_FALSE(userData.isEmpty());
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    for (const QString &folder : readOnly) {
        SCOPED_TRACE(folder.toStdString());
        const DataFolders shared(folder);
        EXPECT_TRUE(shared.perUser());
        EXPECT_EQ(shared.searchPath(QStringLiteral("LangLibs")),
            QStringList({userData + QStringLiteral("/zephyro/LangLibs"),
                folder + QStringLiteral("/LangLibs")}));
        QDir(documents).removeRecursively();
        for (const char *kind : {"WebFiles", "ZephyroFiles"}) {
            const QString start = shared.startFolder(QLatin1String(kind));
            EXPECT_EQ(start, documents + QLatin1Char('/') + QLatin1String(kind));
            EXPECT_TRUE(QDir(start).exists()) << "made on first use";
        }
    }
}

TEST(DataFolders, MergesFilesTheFirstFolderWinningANameWhateverItsCase)
{
    QTemporaryDir top;
    ASSERT_TRUE(top.isValid());
    const QString user = top.filePath(QStringLiteral("user"));
    const QString shipped = top.filePath(QStringLiteral("shipped"));
    for (const char *name : {"user/deutsch.LNG", "user/Mine.lng", "shipped/Deutsch.lng",
             "shipped/Espanol.lng", "shipped/notes.txt", "shipped/.lng"})
        makeFile(top.filePath(QLatin1String(name)));
    QDir().mkpath(top.filePath(QStringLiteral("shipped/Folder.lng")));

    QStringList found;
    for (const DataFolders::Entry &entry : DataFolders::merged(
             {user, top.filePath(QStringLiteral("missing")), shipped}, QStringLiteral(".lng")))
        found << entry.name + QLatin1Char('=') + entry.path.mid(top.path().size() + 1);
    EXPECT_EQ(found,
        QStringList(
            {"deutsch=user/deutsch.LNG", "Espanol=shipped/Espanol.lng", "Mine=user/Mine.lng"}));
}

} // namespace
