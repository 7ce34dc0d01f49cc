#include "languagelibrary.h"
#include "resourcemodule.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using LanguageLibrary::Texts;

namespace {

QByteArray textTable(const QMap<int, QString> &texts)
{
    QByteArray table = "# Deutsch\n\n";
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        QString text = it.value();
        text.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
            .replace(QLatin1Char('\n'), QLatin1String("\\n"))
            .replace(QLatin1Char('\t'), QLatin1String("\\t"));
        table += QByteArray::number(it.key()) + '=' + text.toUtf8() + '\n';
    }
    return table;
}

Texts toTexts(const QMap<int, QString> &map)
{
    Texts texts;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        texts.insert(it.key(), it.value());
    return texts;
}

struct Form {
    const char *name;
    QByteArray (*build)(const QMap<int, QString> &);
};
const Form kForms[]
    = {{"resource module", [](const QMap<int, QString> &t) { return buildResourceModule(t); }},
        {"text table", textTable}};

} // namespace

TEST(LanguageLibrary, BothFormsGiveTheirTextsCutTo255)
{
    const QString long300 = QString(300, QChar(u'ß'));
    const QMap<int, QString> written {{1000, QStringLiteral("Schritt 1|Start")},
        {1015, QStringLiteral("Ende")}, {1016, QStringLiteral("Seiteneigenschaften")},
        {1131, long300}, {1300, QStringLiteral("Zeile 1\nZeile 2\t\\ € ✓")}, {7, u"x"_qs}};
    QMap<int, QString> expected = written;
    expected[1131] = long300.left(255);
    for (const Form &form : kForms) {
        SCOPED_TRACE(form.name);
        const std::optional<Texts> texts = LanguageLibrary::read(form.build(written));
        ASSERT_TRUE(texts.has_value());
        EXPECT_EQ(*texts, toTexts(expected));
    }
}

TEST(LanguageLibrary, ResourceModuleTakesTheFirstLanguageFound)
{
    const QByteArray module
        = buildResourceModule({{0x040A, {{1000, u"Paso 1|Inicio"_qs}, {1020, u"Título"_qs}}},
            {0x0407, {{1000, u"Schritt 1|Start"_qs}, {1040, u"Bild"_qs}}}});
    const std::optional<Texts> texts = LanguageLibrary::readResourceModule(module);
    ASSERT_TRUE(texts.has_value());
    // Block 66 (1040) exists only in the second language: its own first language counts.
    EXPECT_EQ(
        *texts, toTexts({{1000, u"Paso 1|Inicio"_qs}, {1020, u"Título"_qs}, {1040, u"Bild"_qs}}));
}

TEST(LanguageLibrary, TextTableLines)
{
    struct Case {
        const char *name;
        QByteArray table;
        Texts expected;
    } cases[] = {
        {"comments and empty lines", "#1000=no\n\n1001=yes\n", {{1001, u"yes"_qs}}},
        {"CRLF and byte order mark",
            "\xEF\xBB\xBF"
            "1000=a\r\n1001=b\r\n",
            {{1000, u"a"_qs}, {1001, u"b"_qs}}},
        {"escapes", "1000=a\\nb\\tc\\\\n\\x\n", {{1000, u"a\nb\tc\\n\\x"_qs}}},
        {"lines that are no entries", "abc\n=x\n12a=y\n1000\n 1002 =z=w\n", {{1002, u"z=w"_qs}}},
        {"an empty text is a text", "1000=\n", {{1000, QString()}}},
        {"a line that is no UTF-8 is Windows-1252", "1000=Caf\xE9 \x80\n1001=Caf\xC3\xA9\n",
            {{1000, u"Caf\u00E9 \u20AC"_qs}, {1001, u"Caf\u00E9"_qs}}},
        {"no newline at the end", "1000=last", {{1000, u"last"_qs}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LanguageLibrary::readTextTable(c.table), c.expected);
    }
}

TEST(LanguageLibrary, AnEnormousLineIsCutNotKept)
{
    // The cut falls inside a two-byte character: the line stays UTF-8 all the same.
    const QByteArray table = "1000=" + QByteArray(8 * 1024 * 1024, 'a') + "\n1001=b\n1002=x"
        + QByteArray(4 * 1024, 'a').replace("a", "\xC3\xA9") + "\n";
    const Texts texts = LanguageLibrary::readTextTable(table);
    EXPECT_EQ(texts.value(1000), QString(255, QLatin1Char('a')));
    EXPECT_EQ(texts.value(1001), u"b"_qs);
    EXPECT_EQ(texts.value(1002), u"x"_qs + QString(254, QChar(0xE9)));
}

TEST(LanguageLibrary, BytesWithoutAnEntryAreNoLibrary)
{
    QMap<int, QString> written;
    for (int n = 1000; n < 1100; ++n)
        written.insert(n, QStringLiteral("Text %1").arg(n));
    const QByteArray module = buildResourceModule(written);
    QByteArray noise(4096, Qt::Uninitialized);
    quint32 state = 12345;
    for (char &byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    struct Case {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"empty", {}},
        {"only comments and blank lines", "# Deutsch\n\n#1000=Start\n\r\n"},
        {"random bytes", noise},
        {"a text table cut before its first entry ended", "# Deutsch\n1000"},
        {"a resource module cut after its headers", module.first(512)},
        {"a resource module with no strings", buildResourceModule(QMap<int, QString>())},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(LanguageLibrary::read(c.bytes).has_value());
    }
    // A cut library that still holds an entry translates what it holds.
    EXPECT_EQ(LanguageLibrary::read("1000=Start\n1001=Far"),
        Texts({{1000, u"Start"_qs}, {1001, u"Far"_qs}}));
}

TEST(LanguageLibrary, TruncatedOrDamagedModulesGiveWhatCanBeRead)
{
    QMap<int, QString> written;
    for (int n = 1000; n < 1100; ++n)
        written.insert(n, QStringLiteral("Text %1").arg(n));
    const QByteArray module = buildResourceModule(written);
    for (qsizetype length = 0; length <= module.size(); ++length) {
        const std::optional<Texts> texts = LanguageLibrary::read(module.first(length));
        if (!texts)
            continue;
        for (auto it = texts->cbegin(); it != texts->cend(); ++it)
            EXPECT_TRUE(written.value(it.key()).startsWith(it.value())) << length << it.key();
    }
    // Every byte of the headers and directories set to 0xFF in turn.
    for (qsizetype at = 0; at < module.size(); ++at) {
        QByteArray damaged = module;
        damaged[at] = '\xFF';
        (void)LanguageLibrary::read(damaged);
    }
    EXPECT_EQ(LanguageLibrary::read(module)->size(), written.size());
}

TEST(LanguageLibrary, FilesThatCannotBeLibraries)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(LanguageLibrary::load(dir.filePath(QStringLiteral("missing.lng"))));
    EXPECT_FALSE(LanguageLibrary::load(dir.path())) << "a folder";
    EXPECT_FALSE(LanguageLibrary::read(QByteArray("MZ not a module")));

    // 100 MB, sparse: refused by its size without being read.
    QFile huge(dir.filePath(QStringLiteral("huge.lng")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write("1000=a\n");
    ASSERT_TRUE(huge.resize(100 * 1024 * 1024));
    huge.close();
    EXPECT_FALSE(LanguageLibrary::load(huge.fileName()));

    QFile small(dir.filePath(QStringLiteral("small.lng")));
    ASSERT_TRUE(small.open(QIODevice::WriteOnly));
    small.write("1000=a\n");
    small.close();
    EXPECT_EQ(LanguageLibrary::load(small.fileName()), Texts({{1000, u"a"_qs}}));
}
