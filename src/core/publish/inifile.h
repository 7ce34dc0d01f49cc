#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Remote.ini in the private-profile (INI) format of the Windows version, read and written
// with the same meaning as that platform's functions:
// - a line "[name]" opens a section, a line "key=value" holds a value; blanks (spaces,
//   tabs) around names and values do not count, and a line starting with ";" is a comment;
// - section and key names compare without regard to letter case, and when a section or a
//   key appears twice the first one counts (keys before the first section belong to none);
// - a value is read up to MaxValueLength characters, a longer one is cut there;
// - setting a value changes only its own line: it replaces the value of the key's line, or
//   adds the line at the end of the key's section, or adds the section at the end of the
//   file. Every other line, comments, unknown sections and line ends included, stays as it
//   was. Added lines take the line end of the file's first line (LF in a new file);
// - a file is read as UTF-8, or as Windows-1252 (the Windows version's code page) when its
//   bytes are not UTF-8, and written back in the same encoding, so the untouched lines keep
//   their bytes; only a value that Windows-1252 cannot hold turns such a file into UTF-8.
//   A UTF-8 byte order mark is kept.
// - a file is written whole to a temporary file that is then renamed over it, readable and
//   writable by its owner only, since it holds passwords. A write that fails leaves the file
//   as it was.
class IniFile final {
public:
    // The Windows version read values into a buffer of 1024 characters.
    static constexpr qsizetype MaxValueLength = 1023;
    // Far more than any file of profiles holds, and still little to read into memory.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // Why load() read nothing.
    enum class LoadError {
        None,
        Unreadable, // cannot be read, or is no regular file
        TooLarge,   // larger than MaxFileSize
    };

    // The text-level rules, without a file.

    // Nullopt when the section or the key is missing.
    static std::optional<QString> valueInText(
        QStringView text, QStringView section, QStringView key);
    // Every key of the section with its value; the keys as foldedName() gives them.
    static QHash<QString, QString> sectionInText(QStringView text, QStringView section);
    // The names of the sections in file order, each once (in its first spelling).
    static QStringList sectionsInText(QStringView text);
    // The text with the value set; nullopt when the names or the value cannot be written
    // without changing the file's meaning (a line break anywhere, "]" in the section name,
    // "=" in the key, a key starting with "[" or ";", an empty name).
    static std::optional<QString> textWithValue(
        QStringView text, QStringView section, QStringView key, QStringView value);
    // The form in which two names compare equal when they are the same name.
    static QString foldedName(QStringView name);

    // Files.

    // Reads the file; a missing file reads as an empty one. Nullopt when it exists but
    // cannot be read, is not a regular file, or is larger than MaxFileSize; error, when
    // given, then tells which.
    static std::optional<IniFile> load(const QString &path, LoadError *error = nullptr);
    // The file as load() reads it from these bytes, and the bytes save() writes: for bytes
    // read and not changed, the same bytes.
    static IniFile fromBytes(const QString &path, QByteArrayView bytes);
    QByteArray bytes() const;
    // One value at a time: nullopt when the file, the section or the key is missing.
    static std::optional<QString> readValue(
        const QString &path, QStringView section, QStringView key);
    // False when nothing was written (see save() and setValue()).
    static bool writeValue(
        const QString &path, QStringView section, QStringView key, QStringView value);

    const QString &path() const { return m_path; }
    const QString &text() const { return m_text; }
    std::optional<QString> value(QStringView section, QStringView key) const
    {
        return valueInText(m_text, section, key);
    }
    QHash<QString, QString> section(QStringView name) const { return sectionInText(m_text, name); }
    QStringList sections() const { return sectionsInText(m_text); }

    // Changes the text only; false when textWithValue() refuses.
    bool setValue(QStringView section, QStringView key, QStringView value);
    // Writes the text to the file (atomically, mode 0600); false when it could not be
    // written, the file then being as it was.
    bool save() const;

private:
    enum class Encoding { Utf8, Utf8WithBom, Windows1252 };

    IniFile(const QString &path, const QString &text, Encoding encoding)
        : m_path(path)
        , m_text(text)
        , m_encoding(encoding)
    {}

    QString m_path;
    QString m_text;
    Encoding m_encoding;
};
