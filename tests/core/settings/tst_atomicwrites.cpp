// Every file the program writes keeps its old content when the disk is full: the writer says
// it failed and no cut or temporary file is left behind.
#include "atomicfile.h"
#include "fileassociation.h"
#include "filecopy.h"
#include "fulldisk.h"
#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

const QByteArray kOld = "the user's old content, longer than a full disk lets through\n";
const QByteArray kNew(3000, 'n');

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void put(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
}

QString settingsFile()
{
    return SettingsStore().fileName();
}

QString associationFile(const char *relative)
{
    const QString name = QLatin1String(relative);
    return name == QLatin1String("mimeapps.list")
        ? FileAssociation::configHome() + QLatin1Char('/') + name
        : FileAssociation::dataHome() + QLatin1Char('/') + name;
}

bool registerAssociation()
{
    // A new program path and icon: every file of the association differs and is written.
    return FileAssociation::registerFileType(QStringLiteral("/opt/new/zephyro"), kNew)
        .failed.isEmpty();
}

struct Writer {
    const char *name;
    // The file written; relative ones lie in the test's own folder.
    std::function<QString(const QTemporaryDir &dir)> target;
    // Writes new content over target; true when the writer says it did.
    std::function<bool(const QString &target, const QTemporaryDir &dir)> write;
};

void PrintTo(const Writer &writer, std::ostream *out)
{
    *out << writer.name;
}

QString inDir(const QTemporaryDir &dir, const char *name)
{
    return dir.filePath(QLatin1String(name));
}

const Writer kWriters[] = {
    {"WholeFile", [](const QTemporaryDir &dir) { return inDir(dir, "page.html"); },
        [](const QString &target, const QTemporaryDir &) {
            return writeFileAtomically(target, kNew);
        }},
    {"Streamed", [](const QTemporaryDir &dir) { return inDir(dir, "page.pwz"); },
        [](const QString &target, const QTemporaryDir &) {
            AtomicFile file(target);
            // Each write fits the buffer; only committing meets the full disk.
            return file.open() && file.write(kNew.left(100)) && file.write(kNew.mid(100))
                && file.commit();
        }},
    {"OwnerOnly", [](const QTemporaryDir &dir) { return inDir(dir, "Remote.ini"); },
        [](const QString &target, const QTemporaryDir &) {
            return writeFileAtomically(target, kNew, AtomicFile::Access::OwnerOnly);
        }},
    {"PictureCopy", [](const QTemporaryDir &dir) { return inDir(dir, "site/logo.gif"); },
        [](const QString &target, const QTemporaryDir &dir) {
            const QString source = inDir(dir, "logo.gif");
            return FileCopy::copyInto({source}, QFileInfo(target).absolutePath(),
                [](const QString &) { return FileCopy::Decision::Replace; })
                .isEmpty();
        }},
    {"MimeAppsList", [](const QTemporaryDir &) { return associationFile("mimeapps.list"); },
        [](const QString &, const QTemporaryDir &) { return registerAssociation(); }},
    {"DesktopEntry",
        [](const QTemporaryDir &) {
            return associationFile("applications/marbleton-html-zephyro.desktop");
        },
        [](const QString &, const QTemporaryDir &) { return registerAssociation(); }},
    {"MimeType",
        [](const QTemporaryDir &) {
            return associationFile("mime/packages/x-zephyro-project.xml");
        },
        [](const QString &, const QTemporaryDir &) { return registerAssociation(); }},
    {"Icon",
        [](const QTemporaryDir &) {
            return associationFile("icons/hicolor/48x48/apps/marbleton-html-zephyro.png");
        },
        [](const QString &, const QTemporaryDir &) { return registerAssociation(); }},
    // The settings file is QSettings' own; it must hold up the same way.
    {"Settings", [](const QTemporaryDir &) { return settingsFile(); },
        [](const QString &, const QTemporaryDir &) {
            SettingsStore store;
            return store.writeString(QStringLiteral("Settings"), QStringLiteral("LangLibrary"),
                QString::fromLatin1(kNew));
        }},
};

class AFullDisk : public ::testing::TestWithParam<Writer> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        put(inDir(dir, "logo.gif"), kNew);
    }
    static QStringList filesBeside(const QString &path)
    {
        return QFileInfo(path).absoluteDir().entryList(QDir::Files | QDir::Hidden);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_P(AFullDisk, LeavesTheOldFileAsItWasAndSaysSo)
{
    const Writer &writer = GetParam();
    const QString target = writer.target(dir);
    const QByteArray old = writer.name == std::string("Settings")
        ? QByteArray("[Settings]\nLangLibrary=") + kOld
        : kOld;
    put(target, old);
    const QStringList before = filesBeside(target);
    bool written = true;
    {
        FullDisk full;
        written = writer.write(target, dir);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(read(target), old);
    // No cut copy and no temporary file is left beside it.
    EXPECT_EQ(filesBeside(target), before);

    // With room again the same writer puts the whole new content there.
    EXPECT_TRUE(writer.write(target, dir));
    EXPECT_NE(read(target), old);
    QFile::remove(target);
}

INSTANTIATE_TEST_SUITE_P(Writers, AFullDisk, ::testing::ValuesIn(kWriters),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AtomicFile, RefusesToCommitAfterAFailedWriteAndKeepsPasswordsPrivate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Remote.ini"));
    put(path, kOld);
    {
        AtomicFile file(path, AtomicFile::Access::OwnerOnly);
        ASSERT_TRUE(file.open());
        {
            FullDisk full;
            // Larger than the buffer: the write itself fails.
            EXPECT_FALSE(file.write(QByteArray(1 << 20, 'x')));
        }
        EXPECT_FALSE(file.write("more"));
        EXPECT_FALSE(file.commit());
    }
    EXPECT_EQ(read(path), kOld);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("Remote.ini")}));

    ASSERT_TRUE(writeFileAtomically(path, "[Profiles]\n", AtomicFile::Access::OwnerOnly));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}
