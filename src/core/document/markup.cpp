#include "markup.h"

#include "htmlescape.h"

namespace {

QString attribute(const char *name, const QString &value)
{
    return QLatin1Char(' ') + QLatin1String(name) + QStringLiteral("=\"")
        + HtmlEscape::attribute(value) + QLatin1Char('"');
}

} // namespace

namespace Markup {

std::optional<TagPair> fontTags(
    const QString &face, std::optional<TColor> color, const QString &size)
{
    if (face.isEmpty() && !color && size.isEmpty())
        return std::nullopt;
    QString opening = QStringLiteral("<FONT");
    if (!face.isEmpty())
        opening += attribute("FACE", face);
    if (color)
        opening += attribute("COLOR", TColorToHex(*color));
    if (!size.isEmpty())
        opening += attribute("SIZE", size);
    opening += QLatin1Char('>');
    return TagPair {opening, QStringLiteral("</FONT>")};
}

QString linkElement(const LinkRow &row)
{
    // Built by joining: an address may hold "%1" and the like.
    const QString anchor
        = QStringLiteral("<A HREF=\"") + HtmlEscape::attribute(row.address) + QStringLiteral("\">");
    if (row.image.isEmpty())
        return anchor + row.description + QStringLiteral("</A>");
    return anchor + QStringLiteral("<IMG SRC=\"") + HtmlEscape::attribute(fileNamePart(row.image))
        + QStringLiteral("\" BORDER=\"0\" HEIGHT=\"") + HtmlEscape::attribute(row.height)
        + QStringLiteral("\" WIDTH=\"") + HtmlEscape::attribute(row.width)
        + QStringLiteral("\" ALT=\"Image Link\"></A>");
}

} // namespace Markup
