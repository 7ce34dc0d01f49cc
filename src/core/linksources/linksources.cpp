#include "linksources.h"

#include "externaltext.h"
#include "fileerrors.h"
#include "linksourcefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringView>

#include <algorithm>
#include <iterator>

namespace LinkSources {

namespace Detail {

FileBytes readSourceFile(const QString &path, qint64 limit)
{
    // Only regular files: a device or a pipe could be endless.
    const QFileInfo info(path);
    if (!info.isFile())
        return {{}, cannotOpenFile(path)};
    const QString tooLarge = QStringLiteral("The file %1 is too large: more than %2 MB")
                                 .arg(path)
                                 .arg(limit / (1024 * 1024));
    if (info.size() > limit)
        return {{}, tooLarge, true};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, cannotOpenFile(path)};
    // The file may have grown since it was measured.
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        return {{}, cannotOpenFile(path)};
    if (bytes.size() > limit)
        return {{}, tooLarge, true};
    return {std::move(bytes), {}};
}

QStringList sortedList(const QSet<QString> &addresses)
{
    QStringList list(addresses.cbegin(), addresses.cend());
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace Detail

namespace {

// Finds one character, asked with positions that never move back: each part of the text
// is searched at most once, however many times it is asked.
class ForwardFinder {
public:
    ForwardFinder(QStringView text, char16_t c)
        : m_text(text)
        , m_char(c)
    {}
    // The first index at or after `from` that holds the character, or the text's size.
    qsizetype next(qsizetype from)
    {
        if (m_found < from) {
            m_found = m_text.indexOf(QChar(m_char), from);
            if (m_found < 0)
                m_found = m_text.size();
        }
        return m_found;
    }

private:
    QStringView m_text;
    char16_t m_char;
    qsizetype m_found = -1;
};

bool isLetterAt(QStringView text, qsizetype i, char16_t lower)
{
    return (text[i].unicode() | 0x20) == lower;
}

// "HREF" in any letter case ending just before `equals`.
bool hrefBefore(QStringView text, qsizetype equals)
{
    return equals >= 4 && isLetterAt(text, equals - 4, u'h') && isLetterAt(text, equals - 3, u'r')
        && isLetterAt(text, equals - 2, u'e') && isLetterAt(text, equals - 1, u'f');
}

// One pass over the text, whatever its lines look like: the markers are found by the "="
// they end in, and every other search only moves forward.
QSet<QString> scanAddresses(QStringView text)
{
    QSet<QString> found;
    ForwardFinder lineFeeds(text, u'\n');
    ForwardFinder returns(text, u'\r');
    ForwardFinder doubleQuotes(text, u'"');
    ForwardFinder singleQuotes(text, u'\'');
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype equals = text.indexOf(QLatin1Char('='), pos);
        if (equals < 0)
            break;
        pos = equals + 1;
        if (!hrefBefore(text, equals) || pos >= text.size())
            continue;
        const QChar quote = text[pos];
        if (quote != u'"' && quote != u'\'')
            continue;
        const qsizetype start = pos + 1;
        const qsizetype lineEnd = std::min(lineFeeds.next(start), returns.next(start));
        const qsizetype close = (quote == u'"' ? doubleQuotes : singleQuotes).next(start);
        if (close < lineEnd) {
            found.insert(text.sliced(start, close - start).toString());
            pos = close + 1;
        } else {
            // As designed: an address left open is the empty text, and the rest of the line
            // after its quote is searched on.
            found.insert(QString());
            pos = start;
        }
    }
    return found;
}

// The value of the first key named `key` in the first group named `group`; nothing when
// there is no such key.
std::optional<QString> groupValue(
    const QStringList &lines, QStringView group, QStringView key, Qt::CaseSensitivity cs)
{
    bool inGroup = false;
    bool groupSeen = false;
    for (const QString &line : lines) {
        const QStringView trimmed = QStringView(line).trimmed();
        if (trimmed.startsWith(u'[')) {
            if (groupSeen)
                return std::nullopt;
            const qsizetype close = trimmed.indexOf(u']');
            const QStringView name = trimmed.sliced(1, (close < 0 ? trimmed.size() : close) - 1);
            inGroup = name.trimmed().compare(group, cs) == 0;
            groupSeen = inGroup;
            continue;
        }
        const qsizetype equals = trimmed.indexOf(u'=');
        if (inGroup && equals > 0 && trimmed.first(equals).trimmed().compare(key, cs) == 0)
            return trimmed.sliced(equals + 1).trimmed().toString();
    }
    return std::nullopt;
}

QString firstGroup(const QStringList &lines)
{
    for (const QString &line : lines) {
        const QStringView trimmed = QStringView(line).trimmed();
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']'))
            return trimmed.sliced(1, trimmed.size() - 2).toString();
        if (trimmed.startsWith(u'['))
            return {};
    }
    return {};
}

// Desktop entry values escape spaces, line ends and backslashes.
QString unescapeDesktopValue(const QString &value)
{
    struct Escape {
        char16_t letter;
        char16_t meaning;
    };
    static constexpr Escape kEscapes[]
        = {{u's', u' '}, {u'n', u'\n'}, {u't', u'\t'}, {u'r', u'\r'}, {u'\\', u'\\'}};
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 == value.size()) {
            text += c;
            continue;
        }
        const QChar escaped = value[++i];
        const auto *escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
            [&](const Escape &e) { return e.letter == escaped; });
        if (escape == std::end(kEscapes)) {
            text += c;
            text += escaped;
        } else {
            text += QChar(escape->meaning);
        }
    }
    return text;
}

// INI values may be written in quotes, which are not part of the value.
QString unquoteIniValue(const QString &value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

} // namespace

FoundLinks listTextLinks(const QString &text)
{
    return {Detail::sortedList(scanAddresses(text)), {}, {}};
}

FoundLinks listFileLinks(const QString &path)
{
    QString text;
    {
        const Detail::FileBytes file = Detail::readSourceFile(path);
        if (!file.error.isEmpty())
            return {{}, {}, file.error};
        text = decodeExternalText(file.bytes);
    }
    FoundLinks links = listTextLinks(text);
    links.sourceName = QFileInfo(path).fileName();
    return links;
}

QString shortcutUrlFromText(const QString &text)
{
    const QStringList lines = splitLines(text);
    const QString desktopEntry = QStringLiteral("Desktop Entry");
    if (firstGroup(lines) == desktopEntry) {
        if (groupValue(lines, desktopEntry, u"Type", Qt::CaseSensitive) != QStringLiteral("Link"))
            return {};
        return unescapeDesktopValue(
            groupValue(lines, desktopEntry, u"URL", Qt::CaseSensitive).value_or(QString()));
    }
    return unquoteIniValue(
        groupValue(lines, u"InternetShortcut", u"URL", Qt::CaseInsensitive).value_or(QString()));
}

ShortcutResult shortcutFromBytes(QByteArrayView bytes)
{
    using Status = ShortcutResult::Status;
    QString url = shortcutUrlFromText(decodeExternalText(bytes));
    // What a binary file happens to hold after "URL=" is no address anyone typed.
    const bool control = std::any_of(
        url.cbegin(), url.cend(), [](QChar c) { return c.unicode() < 0x20 || c == u'\x7f'; });
    if (url.trimmed().isEmpty() || control)
        return {Status::NoAddress, {}, {}};
    return {Status::Address, std::move(url), {}};
}

ShortcutResult readShortcut(const QString &path)
{
    using Status = ShortcutResult::Status;
    const Detail::FileBytes file = Detail::readSourceFile(path, kMaxShortcutFileSize);
    if (file.tooLarge)
        return {Status::TooLarge, {}, file.error};
    if (!file.error.isEmpty())
        return {Status::Unreadable, {}, file.error};
    return shortcutFromBytes(file.bytes);
}

QString favoritesFolder(const QString &homeDir)
{
    const QString favorites = QDir(homeDir).filePath(QStringLiteral("Favorites"));
    return QFileInfo(favorites).isDir() ? favorites : homeDir;
}

std::optional<QString> recordedBookmarkFile()
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
        QStringLiteral("Marbleton Software"), QStringLiteral("HTML Editor Zephyro"));
    const QString location
        = settings.value(QStringLiteral("Bookmark List/File Location")).toString();
    if (location.isEmpty())
        return std::nullopt;
    return location;
}

} // namespace LinkSources
