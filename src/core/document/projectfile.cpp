#include "projectfile.h"

#include "externaltext.h"
#include "htmlcolor.h"
#include "writtenname.h"

#include <QHash>

#include <algorithm>

#include <functional>

namespace {

const char *const kColorKeys[5] = {"BGCOLOR", "TEXT", "LINK", "ALINK", "VLINK"};

// The ticks of the link rows, one "1" or "0" a row in row order. Older versions look up
// only the keys they know, by the whole name before the "=", so they skip this line and
// read their links unticked as before.
const char kLinkTicksKey[] = "LINKSCHECKED";

// A count may promise empty entries the file does not hold, but not without end.
constexpr qsizetype kCountSlack = 1000;

// One line per value: a line break inside a value would end its line in the file.
QString oneLine(QString value)
{
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

QString itemText(const auto &items, int index)
{
    if (index < 0 || index >= static_cast<int>(items.size()))
        return {};
    return QString::fromUtf16(items[static_cast<std::size_t>(index)]);
}

class KeyIndex {
public:
    explicit KeyIndex(const QStringList &lines)
    {
        m_values.reserve(lines.size());
        for (const QString &line : lines) {
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (equals < 0)
                continue;
            const QString key = line.left(equals).toCaseFolded();
            if (!m_values.contains(key))
                m_values.insert(key, line.mid(equals + 1));
        }
    }
    QString value(const QString &key) const { return m_values.value(key.toCaseFolded()); }

private:
    QHash<QString, QString> m_values;
};

} // namespace

namespace ProjectFile {

QStringList lines(const PageModel &model)
{
    QStringList out
        = {QStringLiteral("Marbleton HTML Editor Zephyro .pwz file. It is not recommended"),
            QStringLiteral("you edit this file manually. Please use the HTML Editor Zephyro."),
            QString(), QString()};
    const auto add = [&out](const QString &key, const QString &value) {
        out << key + QLatin1Char('=') + oneLine(value);
    };
    const auto addList
        = [&add](const QString &countKey, const QString &key, const QStringList &values) {
              if (values.isEmpty())
                  return;
              add(countKey, QString::number(values.size() - 1));
              for (qsizetype n = 0; n < values.size(); ++n)
                  add(key + QString::number(n), values.at(n));
          };

    add(QStringLiteral("STYLE"), model.style);
    QStringList meta;
    for (const MetaRow &row : model.meta)
        meta << oneLine(row.content) + QLatin1Char('|') + oneLine(row.name);
    addList(QStringLiteral("METACOUNT"), QStringLiteral("META"), meta);
    add(QStringLiteral("TITLE"), model.title);
    add(QStringLiteral("HEADING"), model.heading);
    add(QStringLiteral("HEADSIZE"), model.headSize);
    add(QStringLiteral("BGIMAGE"), model.background.path);
    for (std::size_t i = 0; i < model.colors.size(); ++i)
        add(QLatin1String(kColorKeys[i]), TColorToHex(model.colors[i]));
    if (model.marginOn)
        add(QStringLiteral("MARGINWIDTH"), model.marginWidth);
    add(QStringLiteral("IMGHEIGHT"), model.imageHeight);
    add(QStringLiteral("IMGWIDTH"), model.imageWidth);
    add(QStringLiteral("IMGNAME"), model.image.path);
    add(QStringLiteral("LINKSTYLE"), itemText(kLinkStyles, model.linkStyle));
    QStringList links;
    QString ticks;
    for (const LinkRow &row : model.links) {
        QString line;
        for (const QString *field :
            {&row.address, &row.description, &row.image, &row.height, &row.width})
            line += oneLine(*field) + QLatin1Char('|');
        links << line;
        ticks += row.checked ? QLatin1Char('1') : QLatin1Char('0');
    }
    addList(QStringLiteral("LINKSCOUNT"), QStringLiteral("LINKS"), links);
    if (!links.isEmpty())
        add(QLatin1String(kLinkTicksKey), ticks);
    // The lines the user typed, not those a wrapping text box happens to show.
    addList(QStringLiteral("TEXTCOUNT"), QStringLiteral("PAGETEXT"), textBoxLines(model.text));
    add(QStringLiteral("BULLETTYPE"), itemText(kBulletTypes, model.bulletType));
    addList(QStringLiteral("BULLETCOUNT"), QStringLiteral("BULLETS"), model.bullets);
    return out;
}

QByteArray bytes(const PageModel &model)
{
    QByteArray out;
    for (const QString &line : lines(model)) {
        out += line.toUtf8();
        out += "\r\n";
    }
    return out;
}

Target target(const QString &documentPath)
{
    const qsizetype dot = extensionDot(documentPath);
    const QString base = dot < 0 ? documentPath : documentPath.left(dot);
    return {dot < 0 ? documentPath : base + QStringLiteral(".pwz"), base + QStringLiteral(".pwz")};
}

Opened open(
    const ReadResult &read, const QStringList &templateNames, const PictureLoads &pictureLoads)
{
    Opened opened {read.model, {}};
    PageModel &model = opened.model;
    const auto listed
        = std::find_if(templateNames.cbegin(), templateNames.cend(), [&model](const QString &name) {
              return name.compare(model.style, Qt::CaseInsensitive) == 0;
          });
    model.style = listed == templateNames.cend() ? QString() : *listed;
    for (PictureField *picture : {&model.background, &model.image}) {
        if (picture->path.isEmpty())
            continue;
        if (pictureLoads(picture->path))
            opened.pageFiles.add(picture->path);
        else
            *picture = PictureField();
    }
    for (const LinkRow &row : model.links) {
        if (isFullPath(row.image))
            opened.pageFiles.add(row.image);
    }
    return opened;
}

LinkRow linkFromLine(const QString &value)
{
    QStringList fields;
    qsizetype start = 0;
    while (fields.size() < 5) {
        const qsizetype bar = value.indexOf(QLatin1Char('|'), start);
        if (bar < 0)
            break;
        fields << value.mid(start, bar - start);
        start = bar + 1;
    }
    while (fields.size() < 5)
        fields << QString();
    return {fields[0], fields[1], fields[2], fields[3], fields[4], false};
}

ReadResult read(const QString &text)
{
    const QStringList fileLines = splitLines(text);
    const KeyIndex index(fileLines);
    const auto value = [&index](const QString &key) { return index.value(key); };

    ReadResult result;
    PageModel &model = result.model;
    // Reads a count key and its entries; false when reading must stop at this key.
    const auto readEntries = [&](const QString &countKey, const QString &key,
                                 const std::function<void(const QString &)> &take) {
        const QString count = value(countKey);
        if (count.isEmpty())
            return true;
        bool ok = false;
        const int last = count.toInt(&ok, 10);
        if (!ok || last > fileLines.size() + kCountSlack) {
            result.stoppedAt = countKey;
            return false;
        }
        for (int n = 0; n <= last; ++n)
            take(value(key + QString::number(n)));
        return true;
    };

    model.style = value(QStringLiteral("STYLE"));
    model.headSize = value(QStringLiteral("HEADSIZE"));
    model.title = value(QStringLiteral("TITLE"));
    model.heading = value(QStringLiteral("HEADING"));
    const bool metaRead = readEntries(
        QStringLiteral("METACOUNT"), QStringLiteral("META"), [&](const QString &entry) {
            const qsizetype bar = entry.indexOf(QLatin1Char('|'));
            model.meta << (bar < 0 ? MetaRow {QString(), entry}
                                   : MetaRow {entry.left(bar), entry.mid(bar + 1)});
        });
    if (!metaRead)
        return result;

    for (std::size_t i = 0; i < model.colors.size(); ++i) {
        const std::optional<TColor> color = HexToTColor(value(QLatin1String(kColorKeys[i])));
        if (!color) {
            result.badColor = QLatin1String(kColorKeys[i]);
            break;
        }
        model.colors[i] = *color;
    }

    model.background.path = value(QStringLiteral("BGIMAGE"));
    model.background.shown = fileNamePart(model.background.path);
    const QString margin = value(QStringLiteral("MARGINWIDTH"));
    if (!margin.isEmpty()) {
        model.marginOn = true;
        model.marginWidth = margin;
    }
    model.image.path = value(QStringLiteral("IMGNAME"));
    model.image.shown = fileNamePart(model.image.path);
    model.imageHeight = value(QStringLiteral("IMGHEIGHT"));
    model.imageWidth = value(QStringLiteral("IMGWIDTH"));

    const QString linkStyle = value(QStringLiteral("LINKSTYLE"));
    model.linkStyle = 0;
    for (std::size_t i = 0; i < kLinkStyles.size(); ++i) {
        if (linkStyle.compare(QString::fromUtf16(kLinkStyles[i]), Qt::CaseInsensitive) == 0) {
            model.linkStyle = static_cast<int>(i);
            break;
        }
    }
    if (!readEntries(QStringLiteral("LINKSCOUNT"), QStringLiteral("LINKS"),
            [&](const QString &entry) { model.links << linkFromLine(entry); }))
        return result;
    // Without the key (a file of an older version) every row stays unticked.
    const QString ticks = value(QLatin1String(kLinkTicksKey));
    for (qsizetype n = 0; n < model.links.size() && n < ticks.size(); ++n)
        model.links[n].checked = ticks.at(n) == QLatin1Char('1');
    QStringList textLines;
    const bool textRead = readEntries(QStringLiteral("TEXTCOUNT"), QStringLiteral("PAGETEXT"),
        [&](const QString &entry) { textLines << entry; });
    model.text = textBoxText(textLines);
    if (!textRead)
        return result;

    // "a" and "A" are different types: an exact match wins over one that ignores case.
    const QString bulletType = value(QStringLiteral("BULLETTYPE"));
    model.bulletType = 0;
    bool exact = false;
    for (std::size_t i = 0; i < kBulletTypes.size() && !exact; ++i) {
        if (bulletType == QString::fromUtf16(kBulletTypes[i])) {
            model.bulletType = static_cast<int>(i);
            exact = true;
        }
    }
    for (std::size_t i = 0; i < kBulletTypes.size() && !exact; ++i) {
        if (bulletType.compare(QString::fromUtf16(kBulletTypes[i]), Qt::CaseInsensitive) == 0) {
            model.bulletType = static_cast<int>(i);
            break;
        }
    }
    readEntries(QStringLiteral("BULLETCOUNT"), QStringLiteral("BULLETS"),
        [&](const QString &entry) { model.bullets << entry; });
    return result;
}

} // namespace ProjectFile
