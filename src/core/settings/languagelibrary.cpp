#include "languagelibrary.h"

#include "externaltext.h"

#include <QFile>

#include <cstdint>
#include <cstring>

namespace LanguageLibrary {

namespace {

constexpr std::uint32_t kStringType = 6; // RT_STRING
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr int kStringsPerBlock = 16;
// A hostile module may point many directory entries at one block; this bounds what they
// can make us decode, far above any real library.
constexpr qsizetype kMaxTotalChars = 4 * 1024 * 1024;

// Little-endian reads that fail instead of reading past the end.
class Bytes {
public:
    explicit Bytes(QByteArrayView data)
        : m_data(data)
    {}

    bool has(std::uint64_t offset, std::uint64_t size) const
    {
        const auto length = static_cast<std::uint64_t>(m_data.size());
        return offset <= length && size <= length - offset;
    }
    std::optional<std::uint16_t> u16(std::uint64_t offset) const
    {
        if (!has(offset, 2))
            return std::nullopt;
        return static_cast<std::uint16_t>(byte(offset) | byte(offset + 1) << 8);
    }
    std::optional<std::uint32_t> u32(std::uint64_t offset) const
    {
        if (!has(offset, 4))
            return std::nullopt;
        return byte(offset) | byte(offset + 1) << 8 | byte(offset + 2) << 16
            | static_cast<std::uint32_t>(byte(offset + 3)) << 24;
    }

private:
    std::uint32_t byte(std::uint64_t offset) const
    {
        return static_cast<unsigned char>(m_data[static_cast<qsizetype>(offset)]);
    }

    QByteArrayView m_data;
};

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t size;
    std::uint32_t rawOffset;
};

struct DirectoryEntry {
    std::uint32_t id;
    std::uint32_t offset;
};

class ResourceReader {
public:
    ResourceReader(const Bytes &bytes, QList<Section> sections, std::uint64_t root)
        : m_bytes(bytes)
        , m_sections(std::move(sections))
        , m_root(root)
    {}

    // The entries of the directory at an offset from the resource root.
    QList<DirectoryEntry> entries(std::uint32_t offset) const
    {
        QList<DirectoryEntry> result;
        const std::uint64_t at = m_root + offset;
        const auto named = m_bytes.u16(at + 12);
        const auto numbered = m_bytes.u16(at + 14);
        if (!named || !numbered)
            return result;
        const int count = *named + *numbered;
        for (int i = 0; i < count; ++i) {
            const std::uint64_t entry = at + 16 + 8 * static_cast<std::uint64_t>(i);
            const auto id = m_bytes.u32(entry);
            const auto target = m_bytes.u32(entry + 4);
            if (!id || !target)
                break;
            result.append({*id, *target});
        }
        return result;
    }

    // The file offset and size of the data a leaf entry describes.
    std::optional<std::pair<std::uint64_t, std::uint32_t>> leaf(std::uint32_t offset) const
    {
        const auto rva = m_bytes.u32(m_root + offset);
        const auto size = m_bytes.u32(m_root + offset + 4);
        if (!rva || !size)
            return std::nullopt;
        const auto fileOffset = toFileOffset(*rva);
        if (!fileOffset || !m_bytes.has(*fileOffset, *size))
            return std::nullopt;
        return std::pair {*fileOffset, *size};
    }

    std::optional<std::uint64_t> toFileOffset(std::uint32_t rva) const
    {
        for (const Section &section : m_sections) {
            if (rva >= section.virtualAddress && rva - section.virtualAddress < section.size)
                return std::uint64_t {section.rawOffset} + (rva - section.virtualAddress);
        }
        return std::nullopt;
    }

private:
    const Bytes &m_bytes;
    QList<Section> m_sections;
    std::uint64_t m_root;
};

QString cut(QString text)
{
    if (text.size() > kMaxTextLength)
        text.truncate(kMaxTextLength);
    return text;
}

// Reads the 16 counted UTF-16LE strings of block `block` into texts.
void readBlock(const Bytes &bytes, std::uint64_t at, std::uint32_t size, std::uint32_t block,
    Texts &texts, qsizetype &budget)
{
    const std::uint64_t end = at + size;
    for (int i = 0; i < kStringsPerBlock && at < end; ++i) {
        const auto length = bytes.u16(at);
        if (!length)
            return;
        at += 2;
        const std::uint64_t available = (end - at) / 2;
        const std::uint64_t count = std::min<std::uint64_t>(*length, available);
        const std::uint64_t kept = std::min<std::uint64_t>(count, kMaxTextLength);
        if (count > 0 && budget >= static_cast<qsizetype>(kept)) {
            QString text(static_cast<qsizetype>(kept), Qt::Uninitialized);
            for (std::uint64_t c = 0; c < kept; ++c)
                text[static_cast<qsizetype>(c)] = QChar(*bytes.u16(at + 2 * c));
            budget -= static_cast<qsizetype>(kept);
            texts.insert(static_cast<int>((block - 1) * kStringsPerBlock + i), text);
        }
        at += 2 * count;
    }
}

// The bytes of a line that hold the 255 characters kept, however long the line: escapes
// take two bytes and UTF-8 at most four for one character. The cut never splits a UTF-8
// sequence, which would make a valid line look like Windows-1252.
QByteArrayView keptPart(QByteArrayView raw)
{
    constexpr qsizetype kEnough = kMaxTextLength * 8;
    if (raw.size() <= kEnough)
        return raw;
    qsizetype end = kEnough;
    for (int back = 0; back < 3 && (static_cast<unsigned char>(raw[end]) & 0xC0) == 0x80; ++back)
        --end;
    return raw.first(end);
}

// A line is UTF-8 or, like every other text from outside, Windows-1252 where it is not.
QString unescape(QByteArrayView raw)
{
    const QString decoded = decodeExternalText(keptPart(raw));
    QString text;
    text.reserve(std::min<qsizetype>(decoded.size(), kMaxTextLength));
    for (qsizetype i = 0; i < decoded.size() && text.size() < kMaxTextLength; ++i) {
        const QChar c = decoded[i];
        if (c == QLatin1Char('\\') && i + 1 < decoded.size()) {
            const QChar next = decoded[i + 1];
            if (next == QLatin1Char('n')) {
                text += QLatin1Char('\n');
                ++i;
                continue;
            }
            if (next == QLatin1Char('t')) {
                text += QLatin1Char('\t');
                ++i;
                continue;
            }
            if (next == QLatin1Char('\\')) {
                text += QLatin1Char('\\');
                ++i;
                continue;
            }
        }
        text += c;
    }
    return cut(text);
}

std::optional<int> lineNumber(QByteArrayView key)
{
    key = key.trimmed();
    if (key.isEmpty() || key.size() > 9)
        return std::nullopt;
    int number = 0;
    for (const char c : key) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

} // namespace

std::optional<Texts> readResourceModule(QByteArrayView data)
{
    const Bytes bytes(data);
    if (data.size() < 64 || data[0] != 'M' || data[1] != 'Z')
        return std::nullopt;
    const auto peOffset = bytes.u32(0x3C);
    if (!peOffset || !bytes.has(*peOffset, 24)
        || std::memcmp(data.data() + *peOffset, "PE\0\0", 4) != 0)
        return std::nullopt;
    const std::uint64_t coff = *peOffset + 4ull;
    const auto sectionCount = bytes.u16(coff + 2);
    const auto optionalSize = bytes.u16(coff + 16);
    const std::uint64_t optional = coff + 20;
    const auto magic = bytes.u16(optional);
    if (!sectionCount || !optionalSize || !magic)
        return std::nullopt;
    std::uint64_t directories = 0;
    if (*magic == 0x10b)
        directories = optional + 96;
    else if (*magic == 0x20b)
        directories = optional + 112;
    else
        return std::nullopt;
    const auto directoryCount = bytes.u32(directories - 4);
    const auto resourceRva = bytes.u32(directories + 2 * 8);
    if (!directoryCount || *directoryCount < 3 || !resourceRva || *resourceRva == 0
        || directories + 3 * 8 > optional + *optionalSize)
        return std::nullopt;

    QList<Section> sections;
    const std::uint64_t table = optional + *optionalSize;
    for (int i = 0; i < *sectionCount; ++i) {
        const std::uint64_t at = table + 40 * static_cast<std::uint64_t>(i);
        const auto virtualSize = bytes.u32(at + 8);
        const auto virtualAddress = bytes.u32(at + 12);
        const auto rawSize = bytes.u32(at + 16);
        const auto rawOffset = bytes.u32(at + 20);
        if (!virtualSize || !virtualAddress || !rawSize || !rawOffset)
            break;
        sections.append({*virtualAddress, std::max(*virtualSize, *rawSize), *rawOffset});
    }
    ResourceReader probe(bytes, sections, 0);
    const auto root = probe.toFileOffset(*resourceRva);
    if (!root || !bytes.has(*root, 16))
        return std::nullopt;
    const ResourceReader reader(bytes, sections, *root);

    Texts texts;
    qsizetype budget = kMaxTotalChars;
    for (const DirectoryEntry &type : reader.entries(0)) {
        if (type.id != kStringType || !(type.offset & kHighBit))
            continue;
        std::optional<std::uint32_t> language;
        for (const DirectoryEntry &name : reader.entries(type.offset & ~kHighBit)) {
            // Block numbers start at 1; a named block holds no numbered strings.
            if ((name.id & kHighBit) || name.id == 0 || name.id > 0xFFFF
                || !(name.offset & kHighBit))
                continue;
            const QList<DirectoryEntry> languages = reader.entries(name.offset & ~kHighBit);
            if (languages.isEmpty())
                continue;
            // The first language found is the library's; a block without it gives its first.
            if (!language)
                language = languages.constFirst().id;
            DirectoryEntry chosen = languages.constFirst();
            for (const DirectoryEntry &candidate : languages) {
                if (candidate.id == *language) {
                    chosen = candidate;
                    break;
                }
            }
            if (chosen.offset & kHighBit)
                continue;
            if (const auto data = reader.leaf(chosen.offset))
                readBlock(bytes, data->first, data->second, name.id, texts, budget);
        }
        break;
    }
    return texts;
}

Texts readTextTable(QByteArrayView data)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    Texts texts;
    while (!data.isEmpty()) {
        const qsizetype end = data.indexOf('\n');
        QByteArrayView line = end < 0 ? data : data.first(end);
        data = end < 0 ? QByteArrayView() : data.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        if (const auto number = lineNumber(line.first(equals)))
            texts.insert(*number, unescape(line.sliced(equals + 1)));
    }
    return texts;
}

std::optional<Texts> read(QByteArrayView bytes)
{
    std::optional<Texts> texts
        = bytes.startsWith("MZ") ? readResourceModule(bytes) : readTextTable(bytes);
    // An empty, random or cut file would otherwise pass for a library that translates
    // nothing, and the user would never learn why the window stayed English.
    if (texts && texts->isEmpty())
        return std::nullopt;
    return texts;
}

std::optional<Texts> load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return std::nullopt;
    // Read at most one byte past the cap: a file that grew since its size was taken fails too.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        return std::nullopt;
    return read(bytes);
}

} // namespace LanguageLibrary
