#include "templategallery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace

class TemplateGalleryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    QString at(const char *name) const { return folder.filePath(QLatin1String(name)); }

    QTemporaryDir folder;
};

TEST_F(TemplateGalleryTest, ListsHtmlFilesByNameWithoutRegardToCase)
{
    for (const char *name : {"Simple.html", "business.html", "Zebra.html", "Old.HTML", "notes.htm",
             ".html", "readme.txt", ".hidden.html", "x.html.bak"})
        touch(at(name));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.html")));

    EXPECT_EQ(TemplateGallery::names(folder.path()),
        QStringList({QStringLiteral(".hidden"), QStringLiteral("business"), QStringLiteral("Old"),
            QStringLiteral("Simple"), QStringLiteral("Zebra")}));
    EXPECT_EQ(TemplateGallery::templateFile(folder.path(), QStringLiteral("old")), at("Old.HTML"));
    EXPECT_EQ(TemplateGallery::templateFile(folder.path(), QStringLiteral("notes")), QString());
}

TEST_F(TemplateGalleryTest, NamesDifferingOnlyInCaseAreOneTemplate)
{
    for (const char *name : {"simple.html", "Simple.html", "SIMPLE.HTML", "Other.html"})
        touch(at(name));
    const QStringList names = TemplateGallery::names(folder.path());
    ASSERT_EQ(names, QStringList({QStringLiteral("Other"), QStringLiteral("SIMPLE")}));
    // The one listed is the one built from.
    EXPECT_EQ(TemplateGallery::templateFile(folder.path(), names[1]), at("SIMPLE.HTML"));
}

TEST_F(TemplateGalleryTest, FindsPicturesWithoutRegardToCase)
{
    touch(at("Simple.html"));
    touch(at("SIMPLE.BMP"));
    touch(at("Plain.html"));
    touch(at("Plain.png"));
    EXPECT_EQ(
        TemplateGallery::pictureFile(folder.path(), QStringLiteral("Simple")), at("SIMPLE.BMP"));
    EXPECT_EQ(TemplateGallery::pictureFile(folder.path(), QStringLiteral("Plain")), QString());
    EXPECT_EQ(TemplateGallery::pictureFile(folder.path(), QString()), QString());
}

TEST_F(TemplateGalleryTest, EmptyOrMissingFolderHasNoTemplates)
{
    EXPECT_TRUE(TemplateGallery::names(folder.path()).isEmpty());
    EXPECT_TRUE(TemplateGallery::names(at("missing")).isEmpty());
    EXPECT_EQ(TemplateGallery::pictureFile(at("missing"), QStringLiteral("x")), QString());
}

TEST_F(TemplateGalleryTest, TheUsersTemplatesJoinTheShippedOnesAndWinTheirName)
{
    for (const char *name :
        {"user/simple.html", "user/Mine.html", "user/MINE.bmp", "shipped/Simple.html",
            "shipped/Simple.bmp", "shipped/Business.html", "shipped/business.BMP"}) {
        QDir().mkpath(at(name).section(QLatin1Char('/'), 0, -2));
        touch(at(name));
    }
    const QStringList folders = {at("user"), at("shipped")};
    EXPECT_EQ(TemplateGallery::names(folders), QStringList({"Business", "Mine", "simple"}));
    EXPECT_EQ(
        TemplateGallery::templateFile(folders, QStringLiteral("SIMPLE")), at("user/simple.html"));
    EXPECT_EQ(TemplateGallery::templateFile(folders, QStringLiteral("business")),
        at("shipped/Business.html"));
    EXPECT_EQ(TemplateGallery::pictureFile(folders, QStringLiteral("mine")), at("user/MINE.bmp"));
    EXPECT_EQ(TemplateGallery::pictureFile(folders, QStringLiteral("Business")),
        at("shipped/business.BMP"));
    // The user's template has no picture: the shipped one's would show another page.
    EXPECT_EQ(TemplateGallery::pictureFile(folders, QStringLiteral("Simple")), QString());
}
