#include "pagebuilder.h"
#include "projectfile.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <optional>

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
namespace {

// What a browser makes of a quoted or unquoted attribute value: its character references.
QString decodedAttribute(const QString &value)
{
    static const QRegularExpression reference(
        QStringLiteral("&(quot|#39|lt|gt|amp|nbsp|#x?[0-9A-Fa-f]+);"));
    QString out;
    qsizetype last = 0;
    for (const QRegularExpressionMatch &m : reference.globalMatch(value)) {
        out += value.mid(last, m.capturedStart() - last);
        const QString name = m.captured(1);
        static const QHash<QString, QChar> named {{QStringLiteral("quot"), u'"'},
            {QStringLiteral("#39"), u'\''}, {QStringLiteral("lt"), u'<'},
            {QStringLiteral("gt"), u'>'}, {QStringLiteral("amp"), u'&'},
            {QStringLiteral("nbsp"), QChar(0xA0)}};
        if (named.contains(name))
            out += named.value(name);
        else if (name.startsWith(QLatin1String("#x")))
            out += QChar(name.mid(2).toUShort(nullptr, 16));
        else
            out += QChar(name.mid(1).toUShort());
        last = m.capturedEnd();
    }
    return out + value.mid(last);
}

// What the script engine makes of the inside of a single-quoted string; nullopt when the
// string would end early (an unescaped apostrophe) or a line break would break it.
std::optional<QString> decodedScriptString(const QString &inside)
{
    QString out;
    for (qsizetype i = 0; i < inside.size(); ++i) {
        const QChar c = inside.at(i);
        if (c == u'\'' || c == u'\n' || c == u'\r')
            return std::nullopt;
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i == inside.size())
            return std::nullopt;
        const QChar e = inside.at(i);
        if (e == u'x' || e == u'u') {
            const int digits = e == u'x' ? 2 : 4;
            out += QChar(inside.mid(i + 1, digits).toUShort(nullptr, 16));
            i += digits;
        } else {
            out += e == u'n' ? QChar(u'\n') : e == u'r' ? QChar(u'\r') : e;
        }
    }
    return out;
}

// The inputs that used to end the value they were put into.
const char *const kTrickyInputs[]
    = {"About \"me\"", "Anna's roses", "a<b>c", "x\" onload=\"y", "Tom & Jerry", "a &lt b",
        "back\\slash", "</script><script>alert(1)</script>", "'); alert(1); ('", "<!--", "plain"};

struct AttributeContext {
    const char *name;
    const char *templateLine;
    void (*put)(PageModel &model, const QString &input);
    const char *valuePattern; // captures the attribute value as written
};

const AttributeContext kAttributeContexts[] = {
    {"meta content", "#meta",
        [](PageModel &m, const QString &v) {
            m.meta = {{v, QStringLiteral("Description")}};
        },
        "CONTENT=\"([^\"]*)\""},
    {"meta name", "#meta",
        [](PageModel &m, const QString &v) {
            m.meta = {{QStringLiteral("x"), v}};
        },
        "NAME=\"([^\"]*)\""},
    {"link address", "#pagelinks",
        [](PageModel &m, const QString &v) {
            m.links = {{v, QStringLiteral("d"), {}, {}, {}, true}};
        },
        "HREF=\"([^\"]*)\""},
    {"image link height", "#pagelinks",
        [](PageModel &m, const QString &v) {
            m.links = {{QStringLiteral("a"), {}, QStringLiteral("/p/b.gif"), v, {}, true}};
        },
        "HEIGHT=\"([^\"]*)\""},
    {"image link width", "#pagelinks",
        [](PageModel &m, const QString &v) {
            m.links = {{QStringLiteral("a"), {}, QStringLiteral("/p/b.gif"), {}, v, true}};
        },
        "WIDTH=\"([^\"]*)\""},
    {"page image", "#pageimage",
        [](PageModel &m, const QString &v) {
            m.image = {v, QString()};
        },
        "SRC=\"([^\"]*)\""},
    {"page image height", "#pageimage",
        [](PageModel &m, const QString &v) {
            m.image = {QStringLiteral("i.gif"), QString()};
            m.imageHeight = v;
        },
        "HEIGHT=\"([^\"]*)\""},
    {"page image width", "#pageimage",
        [](PageModel &m, const QString &v) {
            m.image = {QStringLiteral("i.gif"), QString()};
            m.imageWidth = v;
        },
        "WIDTH=\"([^\"]*)\""},
    {"heading size", "<H1 CLASS=\"#headsize\">",
        [](PageModel &m, const QString &v) { m.headSize = v; }, "CLASS=\"([^\"]*)\""},
    {"margin width (unquoted)", "#openmargin",
        [](PageModel &m, const QString &v) {
            m.marginOn = true;
            m.marginWidth = v;
        },
        "<TD WIDTH=([^\\s>\"'=`]*)>&nbsp;"},
};

} // namespace

TEST(PageBuilder, AttributeValuesHoldExactlyWhatWasTyped)
{
    for (const AttributeContext &context : kAttributeContexts) {
        const QRegularExpression pattern(QLatin1String(context.valuePattern));
        for (const char *tricky : kTrickyInputs) {
            const QString input = QString::fromUtf8(tricky);
            PageModel model;
            context.put(model, input);
            const QString line = buildLine(QLatin1String(context.templateLine), model);
            const QRegularExpressionMatch value = pattern.match(line);
            ASSERT_TRUE(value.hasMatch()) << context.name << ": " << line.toStdString();
            EXPECT_EQ(decodedAttribute(value.captured(1)), input)
                << context.name << ": " << line.toStdString();
        }
    }
}

TEST(PageBuilder, EscapesAttributesButNotWhatThePageShows)
{
    struct Case {
        const char *name;
        const char *templateLine;
        void (*put)(PageModel &model);
        const char *expected;
    };
    const Case cases[] = {
        {"meta content with quotes", "#meta",
            [](PageModel &m) {
                m.meta = {{QStringLiteral("About \"me\""), QStringLiteral("Description")}};
            },
            "<META CONTENT=\"About &quot;me&quot;\" NAME=\"Description\">\r\n"},
        {"a reference typed on purpose is kept", "#meta",
            [](PageModel &m) {
                m.meta = {{QStringLiteral("&copy; 2026 Q&A"), QStringLiteral("Description")}};
            },
            "<META CONTENT=\"&copy; 2026 Q&amp;A\" NAME=\"Description\">\r\n"},
        {"link address and description", "#pagelinks",
            [](PageModel &m) {
                m.links = {{QStringLiteral("it's.html"), QStringLiteral("<b>Anna's</b> \"roses\""),
                    {}, {}, {}, true}};
            },
            "<A HREF=\"it&#39;s.html\"><b>Anna's</b> \"roses\"</A><BR>\r\n"},
        {"title, heading, text and bullets stay as typed",
            "#pagetitle|#headcaption|#pagetext|#bulletlist",
            [](PageModel &m) {
                m.title = QStringLiteral("<i>Anna's</i> \"page\"");
                m.heading = QStringLiteral("<u>Hi</u> & 'bye'");
                m.text = QStringLiteral("<p class=\"x\">Don't</p>");
                m.bullets = {QStringLiteral("\"a\" & <b>b</b>")};
            },
            "<i>Anna's</i> \"page\"|<u>Hi</u> & 'bye'|<p class=\"x\">Don't</p>|<UL TYPE=\"Disc\">"
            "\r\n<LI>\"a\" & <b>b</b>\r\n</UL>"},
        {"background in a style sheet", "url(\"#bgurl\")",
            [](PageModel &m) {
                m.background = {QStringLiteral("Anna's \"sky\"\\<1>.gif"), {}};
            },
            "url(\"Anna%27s %22sky%22%5C%3C1%3E.gif\")"},
        {"background keeps an ampersand", "<BODY BACKGROUND=\"#bgurl\">",
            [](PageModel &m) {
                m.background = {QStringLiteral("Tom&Jerry.gif"), {}};
            },
            "<BODY BACKGROUND=\"Tom&Jerry.gif\">"},
        {"margin width cannot add an attribute", "#openmargin",
            [](PageModel &m) {
                m.marginOn = true;
                m.marginWidth = QStringLiteral("1 onclick=x");
            },
            "<TABLE BORDER=0 CELLPADDING=0 CELLSPACING=0>\r\n"
            "<TR><TD WIDTH=1&#32;onclick&#61;x>&nbsp;</TD>\r\n<TD VALIGN=\"TOP\">\r\n"},
        {"heading size +1 as typed", "#headsize",
            [](PageModel &m) { m.headSize = QStringLiteral("+1"); }, "+1"},
    };
    for (const Case &c : cases) {
        PageModel model;
        c.put(model);
        EXPECT_EQ(buildLine(QLatin1String(c.templateLine), model), QString::fromUtf8(c.expected))
            << c.name;
    }
}

TEST(PageBuilder, DropBoxScriptStringsHoldExactlyWhatWasTyped)
{
    static const QRegularExpression option(
        QStringLiteral("^document\\.write\\('(.*)'\\);\\r?$"), QRegularExpression::MultilineOption);
    static const QRegularExpression value(QStringLiteral("^<option value=\"([^\"]*)\">(.*)$"));
    for (const char *tricky : kTrickyInputs) {
        const QString input = QString::fromUtf8(tricky);
        PageModel model;
        model.linkStyle = kDropBoxStyle;
        model.links = {{input, input, {}, {}, {}, true}};
        const QString script = buildLine(QStringLiteral("#pagelinks"), model);
        // Nothing the user typed may end the script element or open another one.
        EXPECT_EQ(script.count(QStringLiteral("</script")), 1) << script.toStdString();
        EXPECT_EQ(script.count(QStringLiteral("<script")), 1) << script.toStdString();
        QStringList written;
        for (const QRegularExpressionMatch &m : option.globalMatch(script)) {
            const std::optional<QString> decoded = decodedScriptString(m.captured(1));
            ASSERT_TRUE(decoded) << "a string ends early: " << m.captured(0).toStdString();
            written << *decoded;
        }
        ASSERT_EQ(written.size(), 5) << script.toStdString();
        const QRegularExpressionMatch row = value.match(written[1]);
        ASSERT_TRUE(row.hasMatch()) << written[1].toStdString();
        EXPECT_EQ(decodedAttribute(row.captured(1)), input);
        EXPECT_EQ(row.captured(2), input); // the option's text, as typed
    }
}

namespace {

// The page as a browser builds it, scripts run: Chromium's serialised DOM.
QString domInChromium(const QStringList &pageLines)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    const QString page = dir.filePath(QStringLiteral("page.html"));
    QFile file(page);
    if (!file.open(QIODevice::WriteOnly) || file.write(PageBuilder::bytes(pageLines)) < 0)
        return {};
    file.close();
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty()) {
        ADD_FAILURE() << "chromium is missing (apt-get install chromium)";
        return {};
    }
    QProcess browser;
    browser.start(chromium,
        {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
            QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
            QStringLiteral("--disable-background-networking"),
            QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
            QStringLiteral("--user-data-dir=") + dir.filePath(QStringLiteral("profile")),
            QStringLiteral("--dump-dom"), QUrl::fromLocalFile(page).toString()});
    if (!browser.waitForFinished(45000)) {
        browser.kill();
        browser.waitForFinished();
        ADD_FAILURE() << "chromium did not finish";
        return {};
    }
    return QString::fromUtf8(browser.readAllStandardOutput());
}

QList<QStringList> decodedMatches(const QString &dom, const char *pattern)
{
    QList<QStringList> out;
    for (const QRegularExpressionMatch &m :
        QRegularExpression(QLatin1String(pattern)).globalMatch(dom)) {
        QStringList fields;
        for (int i = 1; i <= m.lastCapturedIndex(); ++i)
            fields << decodedAttribute(m.captured(i));
        out << fields;
    }
    return out;
}

} // namespace

TEST(PageBuilder, ABrowserShowsTheDropBoxAndMetaTagsAsTyped)
{
    const QStringList pageTemplate = {QStringLiteral("<!DOCTYPE html>"), QStringLiteral("<HTML>"),
        QStringLiteral("<HEAD><TITLE>#pagetitle</TITLE>"), QStringLiteral("#meta"),
        QStringLiteral("#combolink"), QStringLiteral("</HEAD>"),
        QStringLiteral("<BODY BACKGROUND=\"#bgurl\">"),
        QStringLiteral("<H1 CLASS=\"size-#headsize\">#headcaption</H1>"),
        QStringLiteral("#pageimage"), QStringLiteral("#pagelinks"), QStringLiteral("</BODY>")};
    const QList<QStringList> links = {
        {QStringLiteral("it's.html"), QStringLiteral("Anna's roses")},
        {QStringLiteral("say \"hi\".html"), QStringLiteral("Say \"hi\"")},
        {QStringLiteral("C:\\web\\x.html"), QStringLiteral("back\\slash")},
        {QStringLiteral("</script><script>x = 1</script>"), QStringLiteral("a < b & c")},
        {QStringLiteral("q.html?a=1&b=2"), QStringLiteral("'); x = 1; ('")},
    };
    PageModel model;
    model.title = QStringLiteral("Tricky");
    model.meta = {{QStringLiteral("About \"me\""), QStringLiteral("Description")},
        {QStringLiteral("Anna's <roses> & more"), QStringLiteral("Keywords")}};
    model.linkStyle = kDropBoxStyle;
    for (const QStringList &link : links)
        model.links << LinkRow {link[0], link[1], {}, {}, {}, true};
    model.image = {QStringLiteral("Anna's \"best\".jpg"), QString()};
    model.headSize = QStringLiteral("3\" onclick=\"x");

    const QString dom = domInChromium(PageBuilder::build(pageTemplate, model, kStamp));
    ASSERT_TRUE(dom.contains(QLatin1String("<select name=\"select1\" size=\"1\">")))
        << dom.toStdString();
    EXPECT_TRUE(dom.contains(QLatin1String("<input type=\"button\" value=\"Go\"")));
    EXPECT_EQ(decodedMatches(dom, "<option value=\"([^\"]*)\">([^<]*)</option>"), links);
    EXPECT_EQ(decodedMatches(dom, "<meta content=\"([^\"]*)\" name=\"([^\"]*)\">"),
        QList<QStringList>({{model.meta[1].content, model.meta[1].name},
            {model.meta[0].content, model.meta[0].name}}));
    EXPECT_EQ(decodedMatches(dom, "<img src=\"([^\"]*)\" height"),
        QList<QStringList>({{model.image.shown}}));
    EXPECT_EQ(decodedMatches(dom, "<h1 class=\"([^\"]*)\">"),
        QList<QStringList>({{QStringLiteral("size-") + model.headSize}}));
}
