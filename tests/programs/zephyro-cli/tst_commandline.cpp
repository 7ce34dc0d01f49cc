#include "commandline.h"

#include "fulldisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        write(QStringLiteral("app/Templates/Plain.HTML"),
            "<HTML>\n#pagetitle|#pagelinks|#bgurl</BODY>\n");
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        ASSERT_TRUE(picture.save(dir.filePath(QStringLiteral("sky.bmp")), "BMP"));
        project = write(QStringLiteral("work/page.pwz"),
            "STYLE=plain\r\nTITLE=Hi\r\nBGIMAGE=" + dir.filePath(QStringLiteral("sky.bmp")).toUtf8()
                + "\r\nLINKSCOUNT=0\r\nLINKS0=http://a.example/|A||||\r\n");
    }
    QString write(const QString &relative, const QByteArray &content)
    {
        const QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    QByteArray read(const QString &relative) const
    {
        QFile file(dir.filePath(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    int run(const QStringList &arguments)
    {
        out.clear();
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return runCommandLine(
            arguments, dir.filePath(QStringLiteral("app/")), outStream, errStream);
    }

    QTemporaryDir dir;
    QString project;
    QString out;
    QString err;
};

TEST_F(CommandLineTest, BuildsThePageBesideTheProjectWithItsPictures)
{
    EXPECT_EQ(run({QStringLiteral("build"), project}), 0) << err.toStdString();
    EXPECT_EQ(out.trimmed(), dir.filePath(QStringLiteral("work/page.html")));
    const QByteArray page = read(QStringLiteral("work/page.html"));
    EXPECT_TRUE(
        page.contains("\r\nHi||sky.bmp<BR CLEAR=\"ALL\">")); // links from a project are unticked
    EXPECT_EQ(read(QStringLiteral("work/sky.bmp")), read(QStringLiteral("sky.bmp")));

    ASSERT_TRUE(QFile::resize(dir.filePath(QStringLiteral("work/sky.bmp")), 2));
    EXPECT_EQ(run({QStringLiteral("build"), project, dir.filePath(QStringLiteral("work/out.htm")),
                  QStringLiteral("--tick-links"), QStringLiteral("--skip-existing")}),
        0);
    EXPECT_TRUE(
        read(QStringLiteral("work/out.html")).contains("<A HREF=\"http://a.example/\">A</A><BR>"));
    EXPECT_EQ(read(QStringLiteral("work/sky.bmp")).size(), 2);
}

TEST_F(CommandLineTest, BuildListsTheLinksTheProjectKeptTicked)
{
    struct Case {
        const char *name;
        QByteArray ticks; // the project's line, empty for a project of an older version
        bool tickLinks;
        bool listsA;
        bool listsB;
    };
    const Case cases[] = {
        {"older project", "", false, false, false},
        {"older project, --tick-links", "", true, true, true},
        {"kept ticks", "LINKSCHECKED=01\r\n", false, false, true},
        {"kept ticks, --tick-links", "LINKSCHECKED=01\r\n", true, true, true},
    };
    for (const Case &c : cases) {
        const QString ticked = write(QStringLiteral("work/ticked.pwz"),
            "STYLE=Plain\r\nLINKSCOUNT=1\r\nLINKS0=http://a.example/|A||||\r\n"
            "LINKS1=http://b.example/|B||||\r\n"
                + c.ticks);
        QStringList arguments {QStringLiteral("build"), ticked};
        if (c.tickLinks)
            arguments << QStringLiteral("--tick-links");
        ASSERT_EQ(run(arguments), 0) << c.name << err.toStdString();
        const QByteArray page = read(QStringLiteral("work/ticked.html"));
        EXPECT_EQ(page.contains("<A HREF=\"http://a.example/\">A</A><BR>"), c.listsA) << c.name;
        EXPECT_EQ(page.contains("<A HREF=\"http://b.example/\">B</A><BR>"), c.listsB) << c.name;
    }
}

TEST_F(CommandLineTest, FailuresEndWithTheProgramsMessage)
{
    const QString unlisted = write(QStringLiteral("work/other.pwz"), "STYLE=Gone\r\n");
    EXPECT_NE(run({QStringLiteral("build"), unlisted}), 0);
    EXPECT_EQ(err.trimmed(), QStringLiteral("Please select a layout style."));

    EXPECT_NE(run({QStringLiteral("build"), dir.filePath(QStringLiteral("none.pwz"))}), 0);
    EXPECT_TRUE(err.startsWith(QStringLiteral("Cannot open file ")));

    EXPECT_NE(
        run({QStringLiteral("build"), project, dir.filePath(QStringLiteral("no/such/x.htm"))}), 0);
    EXPECT_TRUE(err.startsWith(QStringLiteral("Cannot create file ")));

    EXPECT_NE(run({QStringLiteral("publish")}), 0);
    EXPECT_NE(run({QStringLiteral("build"), project, QStringLiteral("--fast")}), 0);
    EXPECT_NE(run({}), 0);
    EXPECT_EQ(run({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral("zephyro-cli build PROJECT.pwz")));
}

struct OutputCase {
    const char *output; // relative to the test folder
    const char *page;   // the page written
};

class BuildOutput : public CommandLineTest, public ::testing::WithParamInterface<OutputCase> {};

// Only a dot in the file name is its extension: a folder's dot neither shortens the name
// nor sends the pictures into the folder above.
TEST_P(BuildOutput, WritesThePageAndItsPicturesIntoTheNamedFolder)
{
    const OutputCase c = GetParam();
    const QString page = dir.filePath(QString::fromUtf8(c.page));
    QDir().mkpath(QFileInfo(page).absolutePath());
    write(QStringLiteral("x/sky.bmp"), "not to be replaced");
    EXPECT_EQ(run({QStringLiteral("build"), project, dir.filePath(QString::fromUtf8(c.output))}), 0)
        << err.toStdString();
    EXPECT_EQ(out.trimmed(), page);
    EXPECT_TRUE(read(QString::fromUtf8(c.page)).contains("\r\nHi||sky.bmp"));
    EXPECT_EQ(read(QFileInfo(QString::fromUtf8(c.page)).path() + QStringLiteral("/sky.bmp")),
        read(QStringLiteral("sky.bmp")));
    EXPECT_EQ(read(QStringLiteral("x/sky.bmp")), QByteArray("not to be replaced"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x/my.html"))));
}

INSTANTIATE_TEST_SUITE_P(Names, BuildOutput,
    ::testing::Values(OutputCase {"x/my.site/index", "x/my.site/index.html"},
        OutputCase {"x/my.site/index.htm", "x/my.site/index.html"},
        OutputCase {"x/my.site/v1.2/home.page.txt", "x/my.site/v1.2/home.page.html"}));

TEST_F(CommandLineTest, APictureCutShortByAFullDiskFailsTheBuildAndIsNamed)
{
    // Larger than the room left, small enough to sit in the write buffer until the end.
    QImage photo(40, 40, QImage::Format_RGB32);
    photo.fill(Qt::green);
    ASSERT_TRUE(photo.save(dir.filePath(QStringLiteral("sky.bmp")), "BMP"));
    int status = 0;
    {
        FullDisk full(2048); // room for the page, not for the picture
        status = run({QStringLiteral("build"), project});
    }
    EXPECT_NE(status, 0);
    EXPECT_FALSE(read(QStringLiteral("work/page.html")).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("work/sky.bmp"))));
    EXPECT_EQ(err.trimmed(),
        QStringLiteral("Cannot create file ") + dir.filePath(QStringLiteral("work/sky.bmp")));
}

TEST_F(CommandLineTest, ListsTheTemplatesWithTheirFiles)
{
    write(QStringLiteral("app/Templates/Zig.html"), "<HTML>\n");
    EXPECT_EQ(run({QStringLiteral("templates")}), 0);
    EXPECT_EQ(out,
        QStringLiteral("Plain\t%1\nZig\t%2\n")
            .arg(dir.filePath(QStringLiteral("app/Templates/Plain.HTML")),
                dir.filePath(QStringLiteral("app/Templates/Zig.html"))));
    EXPECT_EQ(run({QStringLiteral("templates"), QStringLiteral("extra")}), 1);
    EXPECT_TRUE(out.isEmpty());
}
