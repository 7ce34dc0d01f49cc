#include "inifile.h"

#include "atomicfile.h"
#include "windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r';
}

QStringView trimmedBlanks(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text.at(start)))
        ++start;
    while (end > start && isBlank(text.at(end - 1)))
        --end;
    return text.sliced(start, end - start);
}

bool sameName(QStringView a, QStringView b)
{
    return trimmedBlanks(a).compare(trimmedBlanks(b), Qt::CaseInsensitive) == 0;
}

// One line of the text: its content (without the line end) and where the next one starts.
struct Line {
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype next = 0;
};

// What a line means.
struct Entry {
    enum Kind { Other, Section, Key } kind = Other;
    QStringView name;
    QStringView value;
    qsizetype valueStart = 0; // in the line, where the value's text begins
};

class Lines {
public:
    explicit Lines(QStringView text)
        : m_text(text)
    {}

    bool next(Line &line)
    {
        if (m_at >= m_text.size())
            return false;
        line.start = m_at;
        qsizetype end = m_text.indexOf(u'\n', m_at);
        line.next = end < 0 ? m_text.size() : end + 1;
        if (end < 0)
            end = m_text.size();
        else if (end > m_at && m_text.at(end - 1) == u'\r')
            --end;
        line.end = end;
        m_at = line.next;
        return true;
    }

private:
    QStringView m_text;
    qsizetype m_at = 0;
};

Entry parse(QStringView content)
{
    Entry entry;
    const QStringView trimmed = trimmedBlanks(content);
    if (trimmed.startsWith(u'[')) {
        const QStringView inner = trimmed.sliced(1);
        const qsizetype close = inner.indexOf(u']');
        entry.kind = Entry::Section;
        entry.name = trimmedBlanks(close < 0 ? inner : inner.first(close));
        return entry;
    }
    const qsizetype equals = content.indexOf(u'=');
    if (trimmed.startsWith(u';') || equals < 0)
        return entry;
    entry.kind = Entry::Key;
    entry.name = trimmedBlanks(content.first(equals));
    qsizetype valueStart = equals + 1;
    while (valueStart < content.size() && isBlank(content.at(valueStart)))
        ++valueStart;
    entry.valueStart = valueStart;
    entry.value = trimmedBlanks(content.sliced(valueStart));
    return entry;
}

QString cutValue(QStringView value)
{
    qsizetype length = qMin(value.size(), IniFile::MaxValueLength);
    // Never half a character.
    if (length < value.size() && length > 0 && value.at(length - 1).isHighSurrogate())
        --length;
    return value.first(length).toString();
}

// Calls visit(entry) for every key line of the first section of that name, until it
// returns false.
template<typename Visit> void forEachKeyOf(QStringView text, QStringView section, Visit visit)
{
    Lines lines(text);
    Line line;
    bool inside = false;
    while (lines.next(line)) {
        const Entry entry = parse(text.sliced(line.start, line.end - line.start));
        if (entry.kind == Entry::Section) {
            if (inside)
                return;
            inside = sameName(entry.name, section);
        } else if (inside && entry.kind == Entry::Key && !visit(entry)) {
            return;
        }
    }
}

bool hasLineBreak(QStringView text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

bool writable(QStringView section, QStringView key, QStringView value)
{
    const QStringView trimmedKey = trimmedBlanks(key);
    return !trimmedBlanks(section).isEmpty() && !trimmedKey.isEmpty() && !hasLineBreak(section)
        && !hasLineBreak(key) && !hasLineBreak(value) && !section.contains(u']')
        && !key.contains(u'=') && !trimmedKey.startsWith(u'[') && !trimmedKey.startsWith(u';');
}

// For text that ends in a line end.
bool lastLineIsBlank(QStringView text)
{
    const QStringView lines = text.chopped(1);
    return trimmedBlanks(lines.sliced(lines.lastIndexOf(u'\n') + 1)).isEmpty();
}

QString lineEndOf(QStringView text)
{
    const qsizetype end = text.indexOf(u'\n');
    return end > 0 && text.at(end - 1) == u'\r' ? QStringLiteral("\r\n") : QStringLiteral("\n");
}

std::optional<QByteArray> readBytes(const QString &path, IniFile::LoadError &error)
{
    error = IniFile::LoadError::Unreadable;
    QFile file(path);
    if (!file.exists()) {
        error = IniFile::LoadError::None;
        return QByteArray();
    }
    // A device or a pipe could be endless.
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    if (info.size() > IniFile::MaxFileSize) {
        error = IniFile::LoadError::TooLarge;
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // It may have grown since.
    QByteArray bytes = file.read(IniFile::MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    if (bytes.size() > IniFile::MaxFileSize) {
        error = IniFile::LoadError::TooLarge;
        return std::nullopt;
    }
    error = IniFile::LoadError::None;
    return bytes;
}

} // namespace

std::optional<QString> IniFile::valueInText(QStringView text, QStringView section, QStringView key)
{
    std::optional<QString> found;
    forEachKeyOf(text, section, [&](const Entry &entry) {
        if (!sameName(entry.name, key))
            return true;
        found = cutValue(entry.value);
        return false;
    });
    return found;
}

QHash<QString, QString> IniFile::sectionInText(QStringView text, QStringView section)
{
    QHash<QString, QString> values;
    forEachKeyOf(text, section, [&](const Entry &entry) {
        const QString name = foldedName(entry.name);
        if (!values.contains(name))
            values.insert(name, cutValue(entry.value));
        return true;
    });
    return values;
}

QStringList IniFile::sectionsInText(QStringView text)
{
    QStringList names;
    QSet<QString> seen;
    Lines lines(text);
    Line line;
    while (lines.next(line)) {
        const Entry entry = parse(text.sliced(line.start, line.end - line.start));
        if (entry.kind != Entry::Section || entry.name.isEmpty())
            continue;
        const QString folded = foldedName(entry.name);
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        names << entry.name.toString();
    }
    return names;
}

std::optional<QString> IniFile::textWithValue(
    QStringView text, QStringView section, QStringView key, QStringView value)
{
    if (!writable(section, key, value))
        return std::nullopt;
    const QString lineEnd = lineEndOf(text);
    QString result = text.toString();

    // The first section of that name: the key's line, or where the section's last line ends.
    Lines lines(text);
    Line line;
    bool inside = false;
    bool found = false;
    Line last;
    while (lines.next(line)) {
        const QStringView content = text.sliced(line.start, line.end - line.start);
        const Entry entry = parse(content);
        if (entry.kind == Entry::Section) {
            if (inside)
                break;
            inside = sameName(entry.name, section);
            found = found || inside;
            if (inside)
                last = line;
        } else if (inside && entry.kind == Entry::Key && sameName(entry.name, key)) {
            const qsizetype from = line.start + entry.valueStart;
            result.replace(from, line.end - from, value.toString());
            return result;
        } else if (inside && !trimmedBlanks(content).isEmpty()) {
            last = line;
        }
    }

    const QString keyLine = trimmedBlanks(key).toString() + u'=' + value.toString();
    if (found) {
        if (last.next == last.end) // the last line of a file without a final line end
            result.insert(last.next, lineEnd + keyLine);
        else
            result.insert(last.next, keyLine + lineEnd);
        return result;
    }
    if (!result.isEmpty() && !result.endsWith(u'\n'))
        result += lineEnd;
    // A blank line between sections, unless there is one already.
    if (!result.isEmpty() && !lastLineIsBlank(result))
        result += lineEnd;
    result += u'[' + trimmedBlanks(section).toString() + u']' + lineEnd + keyLine + lineEnd;
    return result;
}

QString IniFile::foldedName(QStringView name)
{
    return trimmedBlanks(name).toString().toCaseFolded();
}

std::optional<IniFile> IniFile::load(const QString &path, LoadError *error)
{
    LoadError why = LoadError::None;
    const std::optional<QByteArray> bytes = readBytes(path, why);
    if (error != nullptr)
        *error = why;
    if (!bytes)
        return std::nullopt;
    return fromBytes(path, *bytes);
}

IniFile IniFile::fromBytes(const QString &path, QByteArrayView bytes)
{
    const bool marked = bytes.startsWith(kByteOrderMark);
    const QByteArrayView body = marked ? bytes.sliced(kByteOrderMark.size()) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8(body);
    if (!utf8.hasError())
        return IniFile(path, text, marked ? Encoding::Utf8WithBom : Encoding::Utf8);
    return IniFile(path, Windows1252::decode(bytes), Encoding::Windows1252);
}

QByteArray IniFile::bytes() const
{
    if (m_encoding == Encoding::Windows1252) {
        std::optional<QByteArray> bytes = Windows1252::encode(m_text);
        if (bytes)
            return *bytes;
    }
    return (m_encoding == Encoding::Utf8WithBom ? kByteOrderMark : QByteArray()) + m_text.toUtf8();
}

std::optional<QString> IniFile::readValue(const QString &path, QStringView section, QStringView key)
{
    const std::optional<IniFile> file = load(path);
    return file ? file->value(section, key) : std::nullopt;
}

bool IniFile::writeValue(
    const QString &path, QStringView section, QStringView key, QStringView value)
{
    std::optional<IniFile> file = load(path);
    return file && file->setValue(section, key, value) && file->save();
}

bool IniFile::setValue(QStringView section, QStringView key, QStringView value)
{
    std::optional<QString> changed = textWithValue(m_text, section, key, value);
    if (!changed)
        return false;
    m_text = std::move(*changed);
    return true;
}

bool IniFile::save() const
{
    // The file holds passwords.
    return writeFileAtomically(m_path, bytes(), AtomicFile::Access::OwnerOnly);
}
