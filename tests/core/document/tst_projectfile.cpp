#include "projectfile.h"

#include "externaltext.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

PageModel fullModel()
{
    PageModel model;
    model.style = QStringLiteral("Simple");
    model.meta = {{QStringLiteral("a page"), QStringLiteral("Description")},
        {QStringLiteral("x, y"), QStringLiteral("Keywords")}};
    model.title = QStringLiteral("My Page");
    model.heading = QStringLiteral("Welcome");
    model.headSize = QStringLiteral("5");
    model.background = {QStringLiteral("sky.gif"), QStringLiteral("/pics/sky.gif")};
    model.colors = {rgbColor(1, 2, 3), rgbColor(0, 0, 0), rgbColor(0, 0, 255), rgbColor(255, 0, 0),
        rgbColor(0xAB, 0xCD, 0xEF)};
    model.marginOn = true;
    model.marginWidth = QStringLiteral("80");
    model.image = {QStringLiteral("me.jpg"), QStringLiteral("/pics/me.jpg")};
    model.imageHeight = QStringLiteral("100");
    model.imageWidth = QStringLiteral("200");
    model.linkStyle = 1;
    model.links = {{QStringLiteral("http://a.example/"), QStringLiteral("A"), {}, {}, {}, false},
        {QStringLiteral("MAILTO:me@b.example"), QStringLiteral("Mail"),
            QStringLiteral("/pics/m.gif"), QStringLiteral("31"), QStringLiteral("88"), true}};
    model.text = QStringLiteral("Hello<BR>\n\nSecond line");
    model.bulletType = 4;
    model.bullets = {QStringLiteral("one"), QString(), QStringLiteral("three")};
    return model;
}

QString file(std::initializer_list<const char *> lines)
{
    QString text;
    for (const char *line : lines)
        text += QString::fromUtf8(line) + QStringLiteral("\r\n");
    return text;
}

} // namespace

TEST(ProjectFile, WritesEveryLineInItsOrder)
{
    const QByteArray expected = file(
        {"Marbleton HTML Editor Zephyro .pwz file. It is not recommended",
            "you edit this file manually. Please use the HTML Editor Zephyro.", "", "",
            "STYLE=Simple", "METACOUNT=1", "META0=a page|Description", "META1=x, y|Keywords",
            "TITLE=My Page", "HEADING=Welcome", "HEADSIZE=5", "BGIMAGE=/pics/sky.gif",
            "BGCOLOR=#010203", "TEXT=#000000", "LINK=#0000FF", "ALINK=#FF0000", "VLINK=#ABCDEF",
            "MARGINWIDTH=80", "IMGHEIGHT=100", "IMGWIDTH=200", "IMGNAME=/pics/me.jpg",
            "LINKSTYLE=Drop Box Style", "LINKSCOUNT=1", "LINKS0=http://a.example/|A||||",
            "LINKS1=MAILTO:me@b.example|Mail|/pics/m.gif|31|88|", "LINKSCHECKED=01", "TEXTCOUNT=2",
            "PAGETEXT0=Hello<BR>", "PAGETEXT1=", "PAGETEXT2=Second line", "BULLETTYPE=a",
            "BULLETCOUNT=2", "BULLETS0=one", "BULLETS1=", "BULLETS2=three"})
                                    .toUtf8();
    EXPECT_EQ(ProjectFile::bytes(fullModel()), expected);
}

TEST(ProjectFile, EmptyPageWritesNoCountsAndNoMargin)
{
    PageModel model;
    model.text = QStringLiteral("\n"); // one empty line typed: the trailing one is not counted
    const QStringList lines = ProjectFile::lines(model);
    for (const char *absent : {"METACOUNT=", "LINKSCOUNT=", "BULLETCOUNT=", "MARGINWIDTH="})
        EXPECT_FALSE(lines.join(QLatin1Char('\n')).contains(QLatin1String(absent))) << absent;
    EXPECT_TRUE(lines.contains(QStringLiteral("STYLE=")));
    EXPECT_TRUE(lines.contains(QStringLiteral("LINKSTYLE=Default Style")));
    EXPECT_TRUE(lines.contains(QStringLiteral("BULLETTYPE=Disc")));
    EXPECT_TRUE(lines.contains(QStringLiteral("TEXTCOUNT=0")));
    model.text.clear();
    EXPECT_FALSE(
        ProjectFile::lines(model).join(QLatin1Char('\n')).contains(QLatin1String("TEXTCOUNT")));
}

TEST(ProjectFile, RoundTripsFullAndEmptyPages)
{
    const PageModel full = fullModel();
    const ProjectFile::ReadResult read
        = ProjectFile::read(decodeExternalText(ProjectFile::bytes(full)));
    EXPECT_EQ(read.model, full);
    EXPECT_TRUE(read.stoppedAt.isEmpty());
    EXPECT_TRUE(read.badColor.isEmpty());

    PageModel empty;
    EXPECT_EQ(ProjectFile::read(QString::fromUtf8(ProjectFile::bytes(empty))).model, empty);
}

TEST(ProjectFile, WritesBackTheTextLinesItRead)
{
    const QStringList cases[] = {{QStringLiteral("a"), QString(), QString()}, {QString()},
        {QString(), QString()}, {QStringLiteral("a"), QStringLiteral("b")}};
    for (const QStringList &textLines : cases) {
        QString stored = QStringLiteral("TEXTCOUNT=%1\r\n").arg(textLines.size() - 1);
        for (qsizetype n = 0; n < textLines.size(); ++n)
            stored += QStringLiteral("PAGETEXT%1=%2\r\n").arg(n).arg(textLines[n]);
        const PageModel read = ProjectFile::read(stored).model;
        EXPECT_EQ(textBoxLines(read.text), textLines) << stored.toStdString();
        const QStringList written = ProjectFile::lines(read);
        EXPECT_TRUE(written.contains(QStringLiteral("TEXTCOUNT=%1").arg(textLines.size() - 1)))
            << stored.toStdString();
    }
}

TEST(ProjectFile, KeepsLongLinesWholeAndLineBreaksOutOfValues)
{
    PageModel model;
    model.text = QString(10000, QLatin1Char('x')) + QStringLiteral("\nend");
    model.bullets = {QString(5000, QLatin1Char('b'))};
    model.title = QStringLiteral("two\nlines");
    const PageModel back = ProjectFile::read(QString::fromUtf8(ProjectFile::bytes(model))).model;
    EXPECT_EQ(back.text, model.text);
    EXPECT_EQ(back.bullets, model.bullets);
    EXPECT_EQ(back.title, QStringLiteral("two lines"));
}

TEST(ProjectFile, ReadsKeysInAnyCaseOrderAndLineEnd)
{
    const QString text = QStringLiteral("junk line\rvlink=#000001\ntitle=First\r\nTITLE=Second\r\n"
                                        "Other=1\rstyle=Zebra\nheading=A=B");
    const PageModel model = ProjectFile::read(text).model;
    EXPECT_EQ(model.title, QStringLiteral("First"));
    EXPECT_EQ(model.style, QStringLiteral("Zebra"));
    EXPECT_EQ(model.heading, QStringLiteral("A=B"));
    EXPECT_EQ(model.color(ColorKind::VisitedLink), rgbColor(0, 0, 1));
    // A missing colour key reads as empty text, which is white.
    EXPECT_EQ(model.color(ColorKind::Text), rgbColor(255, 255, 255));
    EXPECT_EQ(model.headSize, QString());
}

TEST(ProjectFile, CountsGiveThatManyEntriesWithinBounds)
{
    PageModel model
        = ProjectFile::read(QStringLiteral("METACOUNT=3\nMETA0=x|Keywords\nMETA5=y|Expires")).model;
    ASSERT_EQ(model.meta.size(), 4);
    EXPECT_EQ(model.meta[0], (MetaRow {QStringLiteral("x"), QStringLiteral("Keywords")}));
    EXPECT_EQ(model.meta[1], MetaRow());

    EXPECT_TRUE(ProjectFile::read(QStringLiteral("METACOUNT=-1\nMETA0=x|y")).model.meta.isEmpty());
    model = ProjectFile::read(QStringLiteral("META0=a|b|c\nMETA1=nobar\nMETACOUNT=1")).model;
    EXPECT_EQ(model.meta[0], (MetaRow {QStringLiteral("a"), QStringLiteral("b|c")}));
    EXPECT_EQ(model.meta[1], (MetaRow {QString(), QStringLiteral("nobar")}));
    // Just inside the bound: lines in the file plus a thousand.
    EXPECT_EQ(ProjectFile::read(QStringLiteral("BULLETCOUNT=1000")).model.bullets.size(), 1001);
}

struct StopCase {
    const char *name;
    const char *text;
    const char *stoppedAt;
};

void PrintTo(const StopCase &c, std::ostream *os)
{
    *os << c.name;
}

class ProjectStopTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(ProjectStopTest, ABadCountStopsReadingThere)
{
    const StopCase &c = GetParam();
    const QString text = QStringLiteral("STYLE=Simple\nTITLE=T\nHEADING=H\nBGCOLOR=#000080\n"
                                        "LINKSTYLE=Drop Box Style\nBULLETTYPE=I\n")
        + QString::fromLatin1(c.text);
    const ProjectFile::ReadResult read = ProjectFile::read(text);
    EXPECT_EQ(read.stoppedAt, QLatin1String(c.stoppedAt));
    EXPECT_EQ(read.model.title, QStringLiteral("T"));
    EXPECT_EQ(read.model.style, QStringLiteral("Simple"));
    const bool beforeColors = QLatin1String(c.stoppedAt) == QLatin1String("METACOUNT");
    EXPECT_EQ(read.model.color(ColorKind::Background),
        beforeColors ? rgbColor(255, 255, 255) : rgbColor(0, 0, 128));
    EXPECT_EQ(read.model.linkStyle, beforeColors ? 0 : 1);
    // The bullet type comes after every count but the bullets' own.
    EXPECT_EQ(
        read.model.bulletType, QLatin1String(c.stoppedAt) == QLatin1String("BULLETCOUNT") ? 5 : 0);
}

INSTANTIATE_TEST_SUITE_P(Counts, ProjectStopTest,
    ::testing::Values(StopCase {"NotANumber", "METACOUNT=x", "METACOUNT"},
        StopCase {"Huge", "BULLETCOUNT=2000000000", "BULLETCOUNT"},
        StopCase {"Overflow", "LINKSCOUNT=99999999999999", "LINKSCOUNT"},
        StopCase {"Hexadecimal", "TEXTCOUNT=0x10", "TEXTCOUNT"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ProjectFile, ABadColorStopsOnlyTheColors)
{
    const ProjectFile::ReadResult read
        = ProjectFile::read(QStringLiteral("BGCOLOR=#010101\nTEXT=#020202\nLINK=#00FF\nALINK=#"
                                           "030303\nVLINK=#040404\nIMGNAME=/p/a.gif\nTITLE=t"));
    EXPECT_EQ(read.badColor, QStringLiteral("LINK"));
    EXPECT_TRUE(read.stoppedAt.isEmpty());
    EXPECT_EQ(read.model.color(ColorKind::Text), rgbColor(2, 2, 2));
    EXPECT_EQ(read.model.color(ColorKind::Link), defaultPageColor(ColorKind::Link));
    EXPECT_EQ(read.model.color(ColorKind::VisitedLink), defaultPageColor(ColorKind::VisitedLink));
    EXPECT_EQ(
        read.model.image, (PictureField {QStringLiteral("a.gif"), QStringLiteral("/p/a.gif")}));
}

TEST(ProjectFile, MarginIsOnOnlyWithAWidth)
{
    PageModel model = ProjectFile::read(QStringLiteral("MARGINWIDTH=")).model;
    EXPECT_FALSE(model.marginOn);
    EXPECT_EQ(model.marginWidth, QStringLiteral("120"));
    model = ProjectFile::read(QStringLiteral("MARGINWIDTH=50")).model;
    EXPECT_TRUE(model.marginOn);
    EXPECT_EQ(model.marginWidth, QStringLiteral("50"));
}

TEST(ProjectFile, BulletTypeMatchesExactlyFirst)
{
    const std::pair<const char *, int> cases[]
        = {{"a", 4}, {"A", 3}, {"i", 6}, {"I", 5}, {"square", 1}, {"CIRCLE", 2}, {"x", 0}, {"", 0}};
    for (const auto &[text, index] : cases) {
        EXPECT_EQ(
            ProjectFile::read(QStringLiteral("BULLETTYPE=") + QLatin1String(text)).model.bulletType,
            index)
            << text;
    }
    EXPECT_EQ(ProjectFile::read(QStringLiteral("LINKSTYLE=drop box style")).model.linkStyle, 1);
    EXPECT_EQ(ProjectFile::read(QStringLiteral("LINKSTYLE=fancy")).model.linkStyle, 0);
}

TEST(ProjectFile, SplitsLinkValuesIntoFiveFields)
{
    using ProjectFile::linkFromLine;
    EXPECT_EQ(linkFromLine(QStringLiteral("http://a/|A|/i.gif|31|88|")),
        (LinkRow {QStringLiteral("http://a/"), QStringLiteral("A"), QStringLiteral("/i.gif"),
            QStringLiteral("31"), QStringLiteral("88"), false}));
    EXPECT_EQ(linkFromLine(QStringLiteral("u|d|i|h|w|extra|more|")).width, QStringLiteral("w"));
    EXPECT_EQ(linkFromLine(QStringLiteral("u|d|i|h|w")).width, QString()); // no last bar: lost
    const LinkRow shifted = linkFromLine(QStringLiteral("u|a|b||||"));
    EXPECT_EQ(shifted.description, QStringLiteral("a"));
    EXPECT_EQ(shifted.image, QStringLiteral("b"));
    EXPECT_EQ(linkFromLine(QStringLiteral("no bars")), LinkRow());
}

TEST(ProjectFile, NamesTheFileAfterTheDocumentPath)
{
    using ProjectFile::target;
    EXPECT_EQ(target(QStringLiteral("/work/page.pwz")).file, QStringLiteral("/work/page.pwz"));
    EXPECT_EQ(target(QStringLiteral("/work/page.htm")).file, QStringLiteral("/work/page.pwz"));
    const ProjectFile::Target noDot = target(QStringLiteral("/work/page"));
    EXPECT_EQ(noDot.file, QStringLiteral("/work/page"));
    EXPECT_EQ(noDot.documentPath, QStringLiteral("/work/page.pwz"));
}

TEST(ProjectFile, OpensAsTheWizardShowsIt)
{
    const QString text
        = QStringLiteral("STYLE=simple\nBGIMAGE=/gone/sky.gif\nIMGNAME=/pics/me.jpg\n"
                         "LINKSCOUNT=2\nLINKS0=a|A|C:\\Pics\\b.gif|1|1|\n"
                         "LINKS1=b|B|rel/c.gif|1|1|\nLINKS2=c|C|/pics/d.gif|1|1|");
    const ProjectFile::Opened opened = ProjectFile::open(ProjectFile::read(text),
        {QStringLiteral("Business"), QStringLiteral("Simple")},
        [](const QString &path) { return path.startsWith(QStringLiteral("/pics/")); });
    EXPECT_EQ(opened.model.style, QStringLiteral("Simple"));
    EXPECT_EQ(opened.model.background, PictureField());
    EXPECT_EQ(opened.model.image.shown, QStringLiteral("me.jpg"));
    EXPECT_EQ(opened.pageFiles.paths(),
        QStringList({QStringLiteral("/pics/d.gif"), QStringLiteral("/pics/me.jpg"),
            QStringLiteral("C:\\Pics\\b.gif")}));
    for (const LinkRow &row : opened.model.links)
        EXPECT_FALSE(row.checked);

    EXPECT_TRUE(ProjectFile::open(ProjectFile::read(QStringLiteral("STYLE=Gone")),
        {QStringLiteral("Simple")}, [](const QString &) {
            return true;
        }).model.style.isEmpty());
}

namespace {

// Every key a version without link ticks looks up, matched as it matches them: the whole
// text before the first "=", letter case ignored.
bool olderVersionReads(const QString &key)
{
    static const QRegularExpression known(
        QStringLiteral("^(STYLE|METACOUNT|META\\d+|TITLE|HEADING|HEADSIZE|BGIMAGE|BGCOLOR|TEXT|"
                       "LINK|ALINK|VLINK|MARGINWIDTH|IMGHEIGHT|IMGWIDTH|IMGNAME|LINKSTYLE|"
                       "LINKSCOUNT|LINKS\\d+|TEXTCOUNT|PAGETEXT\\d+|BULLETTYPE|BULLETCOUNT|"
                       "BULLETS\\d+)$"),
        QRegularExpression::CaseInsensitiveOption);
    return known.match(key).hasMatch();
}

QList<bool> ticks(const PageModel &model)
{
    QList<bool> out;
    for (const LinkRow &row : model.links)
        out << row.checked;
    return out;
}

} // namespace

TEST(ProjectFile, OlderVersionsSkipTheTicksAndReadTheSameLinks)
{
    const QStringList written = ProjectFile::lines(fullModel());
    QStringList asOlderVersionsSee;
    QStringList unknownKeys;
    for (const QString &line : written) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals >= 0 && !olderVersionReads(line.left(equals)))
            unknownKeys << line.left(equals);
        else
            asOlderVersionsSee << line;
    }
    // The ticks are the one line an older version does not look at.
    EXPECT_EQ(unknownKeys, QStringList({QStringLiteral("LINKSCHECKED")}));

    PageModel expected = fullModel();
    for (LinkRow &row : expected.links)
        row.checked = false;
    EXPECT_EQ(ProjectFile::read(asOlderVersionsSee.join(QStringLiteral("\r\n"))).model, expected);
    EXPECT_EQ(ProjectFile::read(written.join(QStringLiteral("\r\n"))).model, fullModel());
}

TEST(ProjectFile, ReadsTheLinkTicksWhereTheFileHasThem)
{
    struct Case {
        const char *name;
        const char *ticksLine; // empty: none, as an older version writes
        QList<bool> expected;
    };
    const Case cases[] = {
        {"older version: all unticked", "", {false, false, false}},
        {"ticks in row order", "LINKSCHECKED=101", {true, false, true}},
        {"key in any case, anywhere", "linkschecked=011", {false, true, true}},
        {"too few: the rest unticked", "LINKSCHECKED=1", {true, false, false}},
        {"too many, and what is no 1", "LINKSCHECKED=0x11111", {false, false, true}},
        {"empty value", "LINKSCHECKED=", {false, false, false}},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf8(c.ticksLine)
            + QStringLiteral("\r\nSTYLE=Simple\r\nLINKSCOUNT=2\r\nLINKS0=a|A||||\r\n"
                             "LINKS1=b|B||||\r\nLINKS2=c|C||||\r\n");
        const PageModel model = ProjectFile::read(text).model;
        EXPECT_EQ(ticks(model), c.expected) << c.name;
        ASSERT_EQ(model.links.size(), 3) << c.name;
        EXPECT_EQ(model.links[2].address, QStringLiteral("c")) << c.name;
    }

    // A count that stops the reading leaves no rows for the ticks.
    EXPECT_TRUE(ProjectFile::read(QStringLiteral("LINKSCOUNT=x\nLINKS0=a|A||||\nLINKSCHECKED=1"))
                    .model.links.isEmpty());
    PageModel none;
    EXPECT_FALSE(
        ProjectFile::lines(none).join(QLatin1Char('\n')).contains(QLatin1String("LINKSCHECKED")));
}
