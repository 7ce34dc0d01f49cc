#include "atomicfile.h"
#include "externaltext.h"
#include "filecopy.h"
#include "fulldisk.h"
#include "pagemodel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class FileCopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("pics")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("site")));
        for (const char *name : {"a.gif", "b.gif", "c.gif"})
            ASSERT_TRUE(writeFileAtomically(pic(name), QByteArray("new ") + name));
    }
    QString pic(const char *name) const
    {
        return dir.filePath(QStringLiteral("pics/") + QLatin1String(name));
    }
    QString site(const char *name) const
    {
        return dir.filePath(QStringLiteral("site/") + QLatin1String(name));
    }

    QTemporaryDir dir;
};

TEST_F(FileCopyTest, AsksBeforeReplacingAndHonoursTheAnswer)
{
    for (const char *name : {"a.gif", "b.gif", "c.gif"})
        ASSERT_TRUE(writeFileAtomically(site(name), "old"));
    QStringList asked;
    std::vector<FileCopy::Decision> answers
        = {FileCopy::Decision::Keep, FileCopy::Decision::ReplaceAll};
    const auto failures = FileCopy::copyInto({pic("a.gif"), pic("b.gif"), pic("c.gif")},
        dir.filePath(QStringLiteral("site")), [&](const QString &target) {
            asked << target;
            const FileCopy::Decision answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        });
    EXPECT_TRUE(failures.isEmpty());
    EXPECT_EQ(asked, QStringList({site("a.gif"), site("b.gif")})); // "all" asks no more
    EXPECT_EQ(contents(site("a.gif")), QByteArray("old"));
    EXPECT_EQ(contents(site("b.gif")), QByteArray("new b.gif"));
    EXPECT_EQ(contents(site("c.gif")), QByteArray("new c.gif"));
}

TEST_F(FileCopyTest, CancelStopsAndFailuresAreReported)
{
    ASSERT_TRUE(writeFileAtomically(site("b.gif"), "old"));
    const auto failures = FileCopy::copyInto(
        {pic("missing.gif"), pic("a.gif"), pic("b.gif"), pic("c.gif"), site("b.gif")},
        dir.filePath(QStringLiteral("site")),
        [](const QString &) { return FileCopy::Decision::Cancel; });
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0].source, pic("missing.gif"));
    EXPECT_EQ(contents(site("a.gif")), QByteArray("new a.gif"));
    EXPECT_EQ(contents(site("b.gif")), QByteArray("old"));
    EXPECT_FALSE(QFile::exists(site("c.gif")));

    // A file already in the folder is not copied onto itself, and nothing is asked.
    const auto same = FileCopy::copyInto(
        {site("b.gif")}, dir.filePath(QStringLiteral("site")), [](const QString &) {
            ADD_FAILURE() << "asked";
            return FileCopy::Decision::Cancel;
        });
    EXPECT_TRUE(same.isEmpty());
    EXPECT_EQ(contents(site("b.gif")), QByteArray("old"));
}

TEST_F(FileCopyTest, ACopyThatCannotBeWrittenWholeKeepsTheOldFileAndIsReported)
{
    ASSERT_TRUE(writeFileAtomically(site("a.gif"), "old picture"));
    ASSERT_TRUE(writeFileAtomically(pic("big.gif"), QByteArray(4000, 'p')));
    QList<FileCopy::Failure> failures;
    {
        // The picture fits the write buffer: only the last flush meets the full disk.
        FullDisk full;
        failures = FileCopy::copyInto({pic("a.gif"), pic("big.gif")},
            dir.filePath(QStringLiteral("site")),
            [](const QString &) { return FileCopy::Decision::ReplaceAll; });
    }
    ASSERT_EQ(failures.size(), 2);
    EXPECT_EQ(contents(site("a.gif")), QByteArray("old picture"));
    EXPECT_FALSE(QFile::exists(site("big.gif")));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("site"))).entryList(QDir::Files),
        QStringList({QStringLiteral("a.gif")}));
    EXPECT_EQ(FileCopy::failureText(failures),
        QStringLiteral("Cannot create file ") + site("a.gif")
            + QStringLiteral("\nCannot create file ") + site("big.gif"));
}

TEST_F(FileCopyTest, APictureThatCannotBeReadIsNamed)
{
    const auto failures
        = FileCopy::copyInto({pic("missing.gif")}, dir.filePath(QStringLiteral("site")),
            [](const QString &) { return FileCopy::Decision::Replace; });
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(FileCopy::failureText(failures[0]),
        QStringLiteral("Cannot open file ") + pic("missing.gif"));
}

TEST(ExternalText, DecodesUtf8OrWindows1252AndSplitsLines)
{
    EXPECT_EQ(decodeExternalText("\xEF\xBB\xBF"
                                 "caf\xC3\xA9"),
        QStringLiteral("café"));
    EXPECT_EQ(decodeExternalText("caf\xE9 \x80 \x96"), QStringLiteral("café € –"));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\rc\nd")),
        QStringList(
            {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(splitLines(QStringLiteral("a\n\n")), QStringList({QStringLiteral("a"), QString()}));
    EXPECT_TRUE(splitLines(QString()).isEmpty());
    EXPECT_EQ(textBoxLines(QStringLiteral("a\n\n")), QStringList({QStringLiteral("a"), QString()}));
}

TEST(ExternalText, AFailedWriteLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.html"));
    ASSERT_TRUE(writeFileAtomically(path, "first"));
    EXPECT_FALSE(writeFileAtomically(dir.filePath(QStringLiteral("page.html/x")), "second"));
    EXPECT_FALSE(writeFileAtomically(dir.filePath(QStringLiteral("no/such/folder/x")), "second"));
    EXPECT_EQ(contents(path), QByteArray("first"));
    {
        // A full disk: the old file stays, and no cut file takes its place.
        FullDisk full;
        EXPECT_FALSE(writeFileAtomically(path, QByteArray(1000, 'x')));
    }
    EXPECT_EQ(contents(path), QByteArray("first"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({QStringLiteral("page.html")}));
    EXPECT_FALSE(readExternalTextFile(dir.path()).has_value()); // a folder is no text file
    EXPECT_FALSE(readExternalTextFile(QStringLiteral("/dev/zero")).has_value());
}
