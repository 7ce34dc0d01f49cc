#include "pagebuilder.h"
#include "projectfile.h"

#include <gtest/gtest.h>

namespace {

const PageBuilder::Stamp kStamp {
    QStringLiteral("Monday, 7 December 2026"), QStringLiteral("10:11:12")};

QString buildLine(const QString &line, const PageModel &model)
{
    const QStringList page = PageBuilder::build({line}, model, kStamp);
    return page.size() == 1 ? page.constFirst() : QString();
}

LinkRow link(const char *address, const char *description, bool checked, const char *image = "")
{
    return {QLatin1String(address), QLatin1String(description), QLatin1String(image),
        *image ? QStringLiteral("31") : QString(), *image ? QStringLiteral("88") : QString(),
        checked};
}

} // namespace

TEST(PageBuilder, ReplacesTheFirstOccurrenceOfEachPlaceholder)
{
    PageModel model;
    model.title = QStringLiteral("My Page");
    EXPECT_EQ(buildLine(QStringLiteral("<TITLE>#pagetitle</TITLE>"), model),
        QStringLiteral("<TITLE>My Page</TITLE>"));
    EXPECT_EQ(buildLine(QStringLiteral("#pagetitle and #pagetitle"), model),
        QStringLiteral("My Page and #pagetitle"));
    EXPECT_EQ(buildLine(QStringLiteral("<TITLE>#pagetitle</TITLE>"), PageModel()),
        QStringLiteral("<TITLE></TITLE>"));
    EXPECT_EQ(
        buildLine(QStringLiteral(
                      "<BODY BGCOLOR=\"#bgcolor\" TEXT=\"#text\" LINK=\"#link\" ALINK=\"#alink\" "
                      "VLINK=\"#vlink\">"),
            PageModel()),
        QStringLiteral(
            "<BODY BGCOLOR=\"#FFFFFF\" TEXT=\"#000000\" LINK=\"#0000FF\" ALINK=\"#FF0000\" "
            "VLINK=\"#800080\">"));
    // Later steps work on what earlier ones put in; nothing inserted is escaped.
    model.title = QStringLiteral("A #link <b>list</b>");
    EXPECT_EQ(
        buildLine(QStringLiteral("#pagetitle"), model), QStringLiteral("A #0000FF <b>list</b>"));
    // Matching is case-sensitive.
    EXPECT_EQ(buildLine(QStringLiteral("<html>#PageTitle</body>"), model),
        QStringLiteral("<html>#PageTitle</body>"));
}

TEST(PageBuilder, HeadSizeMetaAndImage)
{
    PageModel model;
    model.headSize.clear();
    EXPECT_EQ(buildLine(QStringLiteral("<FONT SIZE=\"#headsize\">"), model),
        QStringLiteral("<FONT SIZE=\"4\">"));
    model.headSize = QStringLiteral("+1");
    EXPECT_EQ(buildLine(QStringLiteral("#headsize"), model), QStringLiteral("+1"));

    model.meta = {{QStringLiteral("x"), QStringLiteral("Description")},
        {QStringLiteral("y"), QStringLiteral("Keywords")}};
    EXPECT_EQ(buildLine(QStringLiteral("<HEAD>#meta</HEAD>"), model),
        QStringLiteral("<HEAD><META CONTENT=\"y\" NAME=\"Keywords\">\r\n<META CONTENT=\"x\" "
                       "NAME=\"Description\">\r\n</HEAD>"));

    EXPECT_EQ(buildLine(QStringLiteral("[#pageimage]"), model), QStringLiteral("[]"));
    model.image = {QStringLiteral("me.jpg"), QStringLiteral("/p/me.jpg")};
    model.imageHeight = QStringLiteral("10");
    EXPECT_EQ(buildLine(QStringLiteral("#pageimage"), model),
        QStringLiteral("<IMG SRC=\"me.jpg\" HEIGHT=\"10\" WIDTH=\"\" BORDER=\"0\" ALT=\"Image\">"));
}

TEST(PageBuilder, LinksInBothStyles)
{
    PageModel model;
    EXPECT_EQ(buildLine(QStringLiteral("[#combolink#pagelinks]"), model), QStringLiteral("[]"));
    model.links = {link("http://a/", "A", true), link("http://b/", "B", false),
        link("http://c/", "C", true), link("http://d/", "D", true, "C:\\Pics\\btn.gif")};
    EXPECT_EQ(buildLine(QStringLiteral("#pagelinks"), model),
        QStringLiteral(
            "<A HREF=\"http://a/\">A</A><BR>\r\n<A HREF=\"http://c/\">C</A><BR>\r\n"
            "<A HREF=\"http://d/\"><IMG SRC=\"btn.gif\" BORDER=0 HEIGHT=\"31\" WIDTH=\"88\" "
            "ALT=\"Image Link\"></A><BR CLEAR=\"ALL\">\r\n"));

    model.linkStyle = kDropBoxStyle;
    model.links.removeLast();
    EXPECT_EQ(buildLine(QStringLiteral("#pagelinks"), model),
        QStringLiteral(
            "<script language=\"JavaScript\">\r\n<!--\r\n"
            "document.write('<form name=\"selecter\"><select name=\"select1\" size=1>');\r\n"
            "document.write('<option value=\"http://a/\">A');\r\n"
            "document.write('<option value=\"http://c/\">C');\r\n"
            "document.write('</select>');\r\n"
            "document.write('<INPUT TYPE=\"button\" VALUE=\"Go\" onclick=\"go()\">');\r\n"
            "document.write('</form>');\r\n//-->\r\n</script>\r\n"));
    const QString script = buildLine(QStringLiteral("#combolink"), model);
    EXPECT_TRUE(script.startsWith(
        QStringLiteral("<script language=\"JavaScript\">\r\n<!--\r\n// original code by Arno "
                       "Pelk 12/12/96\r\n\tfunction go(){\r\n\tif (document.selecter")));
    EXPECT_TRUE(script.endsWith(QStringLiteral("\t\t}\r\n\t}\r\n//-->\r\n</script>\r\n")));
    EXPECT_EQ(script.count(QStringLiteral("\r\n")), 10);

    // Links on two lines of a template are listed once on each.
    const QStringList page = PageBuilder::build(
        {QStringLiteral("#pagelinks"), QStringLiteral("#pagelinks")}, model, kStamp);
    EXPECT_EQ(page[0], page[1]);
}

TEST(PageBuilder, BulletsMarginTextAndFrame)
{
    PageModel model;
    model.bulletType = 4;
    model.bullets = {QStringLiteral("x"), QString(), QStringLiteral("y")};
    EXPECT_EQ(buildLine(QStringLiteral("#bulletlist"), model),
        QStringLiteral("<OL TYPE=\"a\">\r\n<LI>x\r\n<LI>\r\n<LI>y\r\n</OL>"));
    model.bulletType = 2;
    EXPECT_TRUE(buildLine(QStringLiteral("#bulletlist"), model)
                    .startsWith(QStringLiteral("<UL TYPE=\"Circle\">")));

    model.marginOn = true;
    EXPECT_EQ(buildLine(QStringLiteral("#openmargin|#closemargin"), model),
        QStringLiteral(
            "<TABLE BORDER=0 CELLPADDING=0 CELLSPACING=0>\r\n<TR><TD WIDTH=120>&nbsp;</TD>\r\n"
            "<TD VALIGN=\"TOP\">\r\n|</TD></TR></TABLE>\r\n"));
    model.marginWidth.clear();
    EXPECT_EQ(buildLine(QStringLiteral("#openmargin|#closemargin"), model), QStringLiteral("|"));

    model.text = QStringLiteral("one\ntwo</BODY>\n");
    const QStringList page = PageBuilder::build(
        {QStringLiteral("<HTML>"), QStringLiteral("#pagetext"), QStringLiteral("</BODY>")}, model,
        kStamp);
    EXPECT_EQ(page[0],
        QStringLiteral("<!-- Created with the Marbleton HTML Editor Zephyro -->\r\n"
                       "<!--             https://www.zephyro.example           -->\r\n"
                       "<!-- Brewed on Monday, 7 December 2026 10:11:12 -->\r\n"));
    // Text is put in as typed, so its own "</BODY>" gets a footer too.
    EXPECT_TRUE(page[1].startsWith(QStringLiteral("one\r\ntwo<BR CLEAR=\"ALL\"><P>\r\n<CENTER>")));
    EXPECT_TRUE(page[1].endsWith(QStringLiteral("</CENTER>\r\n</BODY>\r\n")));
    EXPECT_EQ(page[2],
        QStringLiteral(
            "<BR CLEAR=\"ALL\"><P>\r\n<CENTER>\r\n<HR NOSHADE WIDTH=\"50%\">\r\n"
            "<A HREF=\"https://www.zephyro.example\">\r\n"
            "<IMG SRC=\"https://www.zephyro.example/editor/qzbadge4.gif\" BORDER=0><BR>\r\n"
            "<FONT SIZE=\"1\" FACE=\"VERDANA, ARIAL\">Created with Marbleton HTML\r\n"
            "Zephyro</A></FONT>\r\n</CENTER>\r\n</BODY>"));
    EXPECT_EQ(PageBuilder::bytes({QStringLiteral("a"), QStringLiteral("é")}),
        QByteArray("a\r\n\xC3\xA9\r\n"));
}

TEST(PageBuilder, NamesThePageAfterTheChosenName)
{
    EXPECT_EQ(PageBuilder::pageFile(QStringLiteral("/site/index.htm")),
        QStringLiteral("/site/index.html"));
    EXPECT_EQ(PageBuilder::pageFile(QStringLiteral("/site/notes.txt")),
        QStringLiteral("/site/notes.html"));
    EXPECT_EQ(
        PageBuilder::pageFile(QStringLiteral("/site/index")), QStringLiteral("/site/index.html"));
}

struct WrittenNameCase {
    const char *chosen;
    const char *page;
    const char *project;         // the file a project is written to
    const char *projectDocument; // the document path after that
};

class WrittenName : public ::testing::TestWithParam<WrittenNameCase> {};

// Only a dot in the file name starts its extension: a folder's dot leaves the folder alone.
TEST_P(WrittenName, ReplacesOnlyTheFileNamesExtension)
{
    const WrittenNameCase c = GetParam();
    const QString chosen = QString::fromUtf8(c.chosen);
    EXPECT_EQ(PageBuilder::pageFile(chosen), QString::fromUtf8(c.page));
    const ProjectFile::Target project = ProjectFile::target(chosen);
    EXPECT_EQ(project.file, QString::fromUtf8(c.project));
    EXPECT_EQ(project.documentPath, QString::fromUtf8(c.projectDocument));
}

INSTANTIATE_TEST_SUITE_P(Paths, WrittenName,
    ::testing::Values(WrittenNameCase {"/tmp/x/my.site/index", "/tmp/x/my.site/index.html",
                          "/tmp/x/my.site/index", "/tmp/x/my.site/index.pwz"},
        WrittenNameCase {"/tmp/x/my.site/index.htm", "/tmp/x/my.site/index.html",
            "/tmp/x/my.site/index.pwz", "/tmp/x/my.site/index.pwz"},
        WrittenNameCase {"/a.b/c.d/page.v2.htm", "/a.b/c.d/page.v2.html", "/a.b/c.d/page.v2.pwz",
            "/a.b/c.d/page.v2.pwz"},
        WrittenNameCase {"/site/index", "/site/index.html", "/site/index", "/site/index.pwz"},
        WrittenNameCase {"/work/page.pwz", "/work/page.html", "/work/page.pwz", "/work/page.pwz"}));
