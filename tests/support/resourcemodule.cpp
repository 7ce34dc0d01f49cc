#include "resourcemodule.h"

#include <QtEndian>

namespace {

constexpr quint32 kSectionRva = 0x1000;
constexpr quint32 kSectionOffset = 0x200;
constexpr quint32 kSubdirectory = 0x80000000u;

void put16(QByteArray &bytes, qsizetype at, quint16 value)
{
    if (bytes.size() < at + 2)
        bytes.resize(at + 2, '\0');
    qToLittleEndian(value, bytes.data() + at);
}

void put32(QByteArray &bytes, qsizetype at, quint32 value)
{
    if (bytes.size() < at + 4)
        bytes.resize(at + 4, '\0');
    qToLittleEndian(value, bytes.data() + at);
}

// A directory of `count` numbered entries at `at`; returns the first entry's place.
qsizetype directory(QByteArray &rsrc, qsizetype at, int count)
{
    put16(rsrc, at + 14, static_cast<quint16>(count));
    return at + 16;
}

QByteArray blockData(const QMap<int, QString> &texts, int block)
{
    QByteArray data;
    for (int i = 0; i < 16; ++i) {
        const QString text = texts.value((block - 1) * 16 + i);
        put16(data, data.size(), static_cast<quint16>(text.size()));
        for (const QChar c : text)
            put16(data, data.size(), c.unicode());
    }
    return data;
}

} // namespace

QByteArray buildResourceModule(const QList<LanguageTexts> &languages)
{
    // block -> the languages that have it, in the order given
    QMap<int, QList<int>> blocks;
    for (int l = 0; l < languages.size(); ++l) {
        for (auto it = languages[l].second.cbegin(); it != languages[l].second.cend(); ++it) {
            const int block = it.key() / 16 + 1;
            if (!blocks[block].contains(l))
                blocks[block].append(l);
        }
    }

    QByteArray rsrc;
    qsizetype entry = directory(rsrc, 0, 1);
    const qsizetype typeDirectory = entry + 8;
    put32(rsrc, entry, 6);
    put32(rsrc, entry + 4, static_cast<quint32>(typeDirectory) | kSubdirectory);
    qsizetype blockEntry = directory(rsrc, typeDirectory, static_cast<int>(blocks.size()));
    qsizetype next = blockEntry + 8 * blocks.size();
    QList<std::pair<qsizetype, QByteArray>> leaves; // data entry place, data
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it, blockEntry += 8) {
        put32(rsrc, blockEntry, static_cast<quint32>(it.key()));
        put32(rsrc, blockEntry + 4, static_cast<quint32>(next) | kSubdirectory);
        qsizetype languageEntry = directory(rsrc, next, static_cast<int>(it->size()));
        next = languageEntry + 8 * it->size();
        for (const int l : *it) {
            put32(rsrc, languageEntry, languages[l].first);
            put32(rsrc, languageEntry + 4, static_cast<quint32>(next));
            leaves.append({next, blockData(languages[l].second, it.key())});
            put32(rsrc, next + 12, 0);
            next += 16;
            languageEntry += 8;
        }
    }
    for (const auto &[place, data] : leaves) {
        put32(rsrc, place, kSectionRva + static_cast<quint32>(rsrc.size()));
        put32(rsrc, place + 4, static_cast<quint32>(data.size()));
        rsrc += data;
    }

    QByteArray module(kSectionOffset, '\0');
    module[0] = 'M';
    module[1] = 'Z';
    put32(module, 0x3C, 0x40);
    module.replace(0x40, 4, QByteArray("PE\0\0", 4));
    const qsizetype coff = 0x44;
    put16(module, coff, 0x14c);
    put16(module, coff + 2, 1);
    put16(module, coff + 16, 224);
    put16(module, coff + 18, 0x2102); // a DLL
    const qsizetype optional = coff + 20;
    put16(module, optional, 0x10b);
    put32(module, optional + 92, 16);
    put32(module, optional + 96 + 16, kSectionRva);
    put32(module, optional + 96 + 20, static_cast<quint32>(rsrc.size()));
    const qsizetype section = optional + 224;
    module.replace(section, 8, QByteArray(".rsrc\0\0\0", 8));
    put32(module, section + 8, static_cast<quint32>(rsrc.size()));
    put32(module, section + 12, kSectionRva);
    put32(module, section + 16, static_cast<quint32>(rsrc.size()));
    put32(module, section + 20, kSectionOffset);
    module.truncate(kSectionOffset);
    return module + rsrc;
}
