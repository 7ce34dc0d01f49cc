#include "htmlescape.h"

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isHexDigit(QChar c)
{
    return isAsciiDigit(c) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

// "&name;", "&#123;" or "&#x7B;" at the start of the text.
bool startsCharacterReference(QStringView text)
{
    qsizetype i = 1;
    bool (*allowed)(QChar) = nullptr;
    if (i < text.size() && isAsciiLetter(text.at(i))) {
        allowed = [](QChar c) { return isAsciiLetter(c) || isAsciiDigit(c); };
    } else if (i < text.size() && text.at(i) == QLatin1Char('#')) {
        ++i;
        if (i < text.size() && (text.at(i) == QLatin1Char('x') || text.at(i) == QLatin1Char('X'))) {
            ++i;
            allowed = isHexDigit;
        } else {
            allowed = isAsciiDigit;
        }
    } else {
        return false;
    }
    const qsizetype first = i;
    while (i < text.size() && allowed(text.at(i)))
        ++i;
    return i > first && i < text.size() && text.at(i) == QLatin1Char(';');
}

QString entities(const QString &value, bool unquoted)
{
    QString out;
    out.reserve(value.size() + value.size() / 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&#39;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '&':
            out += startsCharacterReference(QStringView(value).mid(i)) ? QStringLiteral("&")
                                                                       : QStringLiteral("&amp;");
            break;
        case ' ':
        case '\t':
        case '\n':
        case '\f':
        case '\r':
        case '=':
        case '`':
            if (unquoted)
                out += QStringLiteral("&#%1;").arg(c.unicode());
            else
                out += c;
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

namespace HtmlEscape {

QString attribute(const QString &value)
{
    return entities(value, false);
}

QString unquotedAttribute(const QString &value)
{
    return entities(value, true);
}

QString addressAnywhere(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '"':
        case '\'':
        case '<':
        case '>':
        case '\\':
            out += QLatin1Char('%')
                + QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString scriptString(const QString &value)
{
    QString out;
    out.reserve(value.size() + value.size() / 8);
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\'':
            out += QLatin1String("\\'");
            break;
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '<':
            out += QLatin1String("\\x3C");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case 0x2028:
            out += QLatin1String("\\u2028");
            break;
        case 0x2029:
            out += QLatin1String("\\u2029");
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace HtmlEscape
