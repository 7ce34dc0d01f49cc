#include "pagefilelist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Windows paths of older projects name no file here; Windows ignores letter case.
TEST(PageFileList, KeepsPathsSortedAndWindowsPathsOnceWhateverTheirCase)
{
    PageFileList files;
    EXPECT_TRUE(files.add(QStringLiteral("C:\\pics\\Zebra.gif")));
    EXPECT_TRUE(files.add(QStringLiteral("C:\\pics\\apple.jpg")));
    EXPECT_TRUE(files.add(QStringLiteral("C:\\pics\\Mango.bmp")));
    EXPECT_FALSE(files.add(QStringLiteral("C:\\PICS\\APPLE.JPG")));
    EXPECT_EQ(files.paths(),
        QStringList({QStringLiteral("C:\\pics\\apple.jpg"), QStringLiteral("C:\\pics\\Mango.bmp"),
            QStringLiteral("C:\\pics\\Zebra.gif")}));
    EXPECT_TRUE(files.contains(QStringLiteral("c:\\pics\\zebra.GIF")));

    EXPECT_TRUE(files.remove(QStringLiteral("C:\\pics\\MANGO.bmp")));
    EXPECT_FALSE(files.remove(QStringLiteral("C:\\pics\\mango.bmp")));
    EXPECT_EQ(files.size(), 2);
    files.clear();
    EXPECT_TRUE(files.isEmpty());
}

class PageFilesOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (const char *name : {"Logo.gif", "logo.gif", "sky.gif"}) {
            QFile file(path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(name);
        }
        ASSERT_TRUE(QFile::link(path("sky.gif"), path("link.gif")));
    }
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
};

struct SameFileCase {
    const char *first;
    const char *second;
    bool oneEntry;
};

class PageFilesNamed : public PageFilesOnDisk,
                       public ::testing::WithParamInterface<SameFileCase> {};

// Linux file names are case-sensitive: names that differ only in letter case are two
// pictures, each copied and uploaded. A link is another name the page refers to.
TEST_P(PageFilesNamed, AreOneEntryOnlyWhenTheyNameTheSameFile)
{
    const SameFileCase c = GetParam();
    PageFileList files;
    ASSERT_TRUE(files.add(path(c.first)));
    EXPECT_EQ(files.add(path(c.second)), !c.oneEntry);
    EXPECT_EQ(files.size(), c.oneEntry ? 1 : 2);
    EXPECT_TRUE(files.contains(path(c.first)));
    EXPECT_TRUE(files.contains(path(c.second)));

    // Taking one picture out keeps the other.
    EXPECT_TRUE(files.remove(path(c.second)));
    EXPECT_EQ(files.contains(path(c.first)), !c.oneEntry);
    EXPECT_EQ(PageFileList::sameFile(path(c.first), path(c.second)), c.oneEntry);
}

INSTANTIATE_TEST_SUITE_P(Names, PageFilesNamed,
    ::testing::Values(SameFileCase {"Logo.gif", "logo.gif", false},
        SameFileCase {"logo.gif", "Logo.gif", false}, SameFileCase {"sky.gif", "link.gif", false},
        SameFileCase {"sky.gif", "sky.gif", true}, SameFileCase {"gone.gif", "GONE.gif", false}));
