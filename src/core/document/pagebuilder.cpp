#include "pagebuilder.h"

#include "htmlcolor.h"
#include "htmlescape.h"
#include "writtenname.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString makerHomePage()
{
    return QString::fromUtf16(kMakerHomePage);
}

QString creationComment(const PageBuilder::Stamp &stamp)
{
    return QStringLiteral("<!-- Created with the Marbleton HTML Editor Zephyro -->") + kCrLf
        + QStringLiteral("<!--") + QString(13, QLatin1Char(' ')) + makerHomePage()
        + QString(11, QLatin1Char(' ')) + QStringLiteral("-->") + kCrLf
        + QStringLiteral("<!-- Brewed on %1 %2 -->").arg(stamp.date, stamp.time) + kCrLf;
}

QString metaLines(const QList<MetaRow> &rows)
{
    // Each line goes in front of the ones before it, so the last row comes first.
    QString text;
    for (const MetaRow &row : rows)
        text.prepend(QStringLiteral("<META CONTENT=\"%1\" NAME=\"%2\">")
                         .arg(HtmlEscape::attribute(row.content), HtmlEscape::attribute(row.name))
            + kCrLf);
    return text;
}

QString dropBoxScript()
{
    const QString tab = QStringLiteral("\t");
    const QString selected = QStringLiteral(
        "document.selecter.select1.options[document.selecter.select1.selectedIndex].value");
    return QStringLiteral("<script language=\"JavaScript\">") + kCrLf + QStringLiteral("<!--")
        + kCrLf + QStringLiteral("// original code by Arno Pelk 12/12/96") + kCrLf + tab
        + QStringLiteral("function go(){") + kCrLf + tab + QStringLiteral("if (") + selected
        + QStringLiteral(" != \"none\") {") + kCrLf + tab + tab + QStringLiteral("location = ")
        + selected + kCrLf + tab + tab + QStringLiteral("}") + kCrLf + tab + QStringLiteral("}")
        + kCrLf + QStringLiteral("//-->") + kCrLf + QStringLiteral("</script>") + kCrLf;
}

QString marginOpening(const QString &width)
{
    return QStringLiteral("<TABLE BORDER=0 CELLPADDING=0 CELLSPACING=0>") + kCrLf
        + QStringLiteral("<TR><TD WIDTH=%1>&nbsp;</TD>").arg(HtmlEscape::unquotedAttribute(width))
        + kCrLf + QStringLiteral("<TD VALIGN=\"TOP\">") + kCrLf;
}

QString linkList(const PageModel &model)
{
    QString text;
    if (model.linkStyle == 0) {
        for (const LinkRow &row : model.links) {
            if (!row.checked)
                continue;
            if (row.image.isEmpty()) {
                text += QStringLiteral("<A HREF=\"%1\">%2</A><BR>")
                            .arg(HtmlEscape::attribute(row.address), row.description)
                    + kCrLf;
            } else {
                text += QStringLiteral(
                            "<A HREF=\"%1\"><IMG SRC=\"%2\" BORDER=0 HEIGHT=\"%3\" WIDTH=\"%4\" "
                            "ALT=\"Image Link\"></A><BR CLEAR=\"ALL\">")
                            .arg(HtmlEscape::attribute(row.address),
                                HtmlEscape::attribute(fileNamePart(row.image)),
                                HtmlEscape::attribute(row.height), HtmlEscape::attribute(row.width))
                    + kCrLf;
            }
        }
    } else if (model.linkStyle == kDropBoxStyle) {
        text += QStringLiteral("<script language=\"JavaScript\">") + kCrLf + QStringLiteral("<!--")
            + kCrLf
            + QStringLiteral(
                "document.write('<form name=\"selecter\"><select name=\"select1\" size=1>');")
            + kCrLf;
        for (const LinkRow &row : model.links) {
            if (row.checked) {
                // The value is an attribute inside the script's string, the description
                // the option's text as typed, HTML and all.
                text += QStringLiteral("document.write('<option value=\"%1\">%2');")
                            .arg(HtmlEscape::scriptString(HtmlEscape::attribute(row.address)),
                                HtmlEscape::scriptString(row.description))
                    + kCrLf;
            }
        }
        text += QStringLiteral("document.write('</select>');") + kCrLf
            + QStringLiteral(
                "document.write('<INPUT TYPE=\"button\" VALUE=\"Go\" onclick=\"go()\">');")
            + kCrLf + QStringLiteral("document.write('</form>');") + kCrLf + QStringLiteral("//-->")
            + kCrLf + QStringLiteral("</script>") + kCrLf;
    }
    return text;
}

QString bulletList(const PageModel &model)
{
    const QString element
        = model.bulletType >= kFirstOrderedBulletType ? QStringLiteral("OL") : QStringLiteral("UL");
    const QString type
        = model.bulletType >= 0 && model.bulletType < static_cast<int>(kBulletTypes.size())
        ? QString::fromUtf16(kBulletTypes[static_cast<std::size_t>(model.bulletType)])
        : QString();
    QString text = QStringLiteral("<%1 TYPE=\"%2\">").arg(element, type) + kCrLf;
    for (const QString &line : model.bullets)
        text += QStringLiteral("<LI>") + line + kCrLf;
    return text + QStringLiteral("</%1>").arg(element);
}

QString footer()
{
    const QString home = makerHomePage();
    return QStringLiteral("<BR CLEAR=\"ALL\"><P>") + kCrLf + QStringLiteral("<CENTER>") + kCrLf
        + QStringLiteral("<HR NOSHADE WIDTH=\"50%\">") + kCrLf
        + QStringLiteral("<A HREF=\"%1\">").arg(home) + kCrLf
        + QStringLiteral("<IMG SRC=\"%1/editor/qzbadge4.gif\" BORDER=0><BR>").arg(home) + kCrLf
        + QStringLiteral("<FONT SIZE=\"1\" FACE=\"VERDANA, ARIAL\">Created with Marbleton HTML")
        + kCrLf + QStringLiteral("Zephyro</A></FONT>") + kCrLf + QStringLiteral("</CENTER>") + kCrLf
        + QStringLiteral("</BODY>");
}

// One pass: replacing each "\n" in place would move the rest of a long text every time.
QString withCrLf(const QString &text)
{
    QString result;
    result.reserve(text.size() + text.count(QLatin1Char('\n')));
    qsizetype start = 0;
    for (qsizetype end = text.indexOf(QLatin1Char('\n')); end >= 0;
         end = text.indexOf(QLatin1Char('\n'), start)) {
        result += QStringView(text).mid(start, end - start);
        result += kCrLf;
        start = end + 1;
    }
    result += QStringView(text).mid(start);
    return result;
}

struct Step {
    QString placeholder;
    QString replacement;
};

} // namespace

namespace PageBuilder {

Stamp now()
{
    const QLocale locale = QLocale::system();
    const QDateTime moment = QDateTime::currentDateTime();
    return {locale.toString(moment.date(), QLocale::LongFormat),
        locale.toString(moment.time(), QLocale::LongFormat)};
}

QStringList build(const QStringList &templateLines, const PageModel &model, const Stamp &stamp)
{
    const bool margin = model.marginOn && !model.marginWidth.isEmpty();
    const QString text = withCrLf(model.text);
    // Every replacement is made once for the whole page; the order is the order of the steps.
    const Step steps[] = {
        {QStringLiteral("<HTML>"), creationComment(stamp)},
        {QStringLiteral("#pagetitle"), model.title},
        {QStringLiteral("#meta"), metaLines(model.meta)},
        {QStringLiteral("#combolink"),
            model.linkStyle == kDropBoxStyle ? dropBoxScript() : QString()},
        // The shipped templates put the background into a style sheet, older ones into
        // an attribute.
        {QStringLiteral("#bgurl"), HtmlEscape::addressAnywhere(model.background.shown)},
        {QStringLiteral("#bgcolor"), TColorToHex(model.color(ColorKind::Background))},
        {QStringLiteral("#text"), TColorToHex(model.color(ColorKind::Text))},
        {QStringLiteral("#link"), TColorToHex(model.color(ColorKind::Link))},
        {QStringLiteral("#alink"), TColorToHex(model.color(ColorKind::ActiveLink))},
        {QStringLiteral("#vlink"), TColorToHex(model.color(ColorKind::VisitedLink))},
        {QStringLiteral("#openmargin"), margin ? marginOpening(model.marginWidth) : QString()},
        {QStringLiteral("#headcaption"), model.heading},
        {QStringLiteral("#headsize"),
            model.headSize.isEmpty() ? QStringLiteral("4") : HtmlEscape::attribute(model.headSize)},
        {QStringLiteral("#pageimage"),
            model.image.shown.isEmpty()
                ? QString()
                : QStringLiteral(
                    "<IMG SRC=\"%1\" HEIGHT=\"%2\" WIDTH=\"%3\" BORDER=\"0\" ALT=\"Image\">")
                      .arg(HtmlEscape::attribute(model.image.shown),
                          HtmlEscape::attribute(model.imageHeight),
                          HtmlEscape::attribute(model.imageWidth))},
        {QStringLiteral("#pagelinks"), model.links.isEmpty() ? QString() : linkList(model)},
        {QStringLiteral("#pagetext"), text},
        {QStringLiteral("#bulletlist"), model.bullets.isEmpty() ? QString() : bulletList(model)},
        {QStringLiteral("#closemargin"),
            margin ? QStringLiteral("</TD></TR></TABLE>") + kCrLf : QString()},
        {QStringLiteral("</BODY>"), footer()},
    };

    QStringList page;
    page.reserve(templateLines.size());
    for (QString line : templateLines) {
        for (const Step &step : steps) {
            const qsizetype at = line.indexOf(step.placeholder);
            if (at >= 0)
                line.replace(at, step.placeholder.size(), step.replacement);
        }
        page << line;
    }
    return page;
}

QByteArray bytes(const QStringList &pageLines)
{
    QByteArray out;
    for (const QString &line : pageLines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    return out;
}

QString pageFile(const QString &documentPath)
{
    const qsizetype dot = extensionDot(documentPath);
    return (dot < 0 ? documentPath : documentPath.left(dot)) + QStringLiteral(".html");
}

} // namespace PageBuilder
