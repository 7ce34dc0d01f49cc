#include "textimport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

TEST(TextImport, TakesUtf8AndWindows1252ButNoBinary)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        std::optional<QString> text;
    };
    const Case cases[] = {
        {"plain", "a\r\nb", QStringLiteral("a\r\nb")},
        {"UTF-8 with its mark",
            "\xEF\xBB\xBF"
            "caf\xC3\xA9",
            QStringLiteral("caf\u00E9")},
        {"Windows-1252", "caf\xE9 \x80", QStringLiteral("caf\u00E9 \u20AC")},
        {"UTF-8 holding a byte Windows-1252 lacks", "\xC5\x81\xC3\x8D",
            QStringLiteral("\u0141\u00CD")},
        {"a NUL byte", QByteArray("text\0more", 9), std::nullopt},
        {"NUL in UTF-8", QByteArray("\xC3\xA9\0", 3), std::nullopt},
        {"invalid in both", "caf\xE9\x81", std::nullopt},
        {"each undefined byte", "\x8D\x8F\x90\x9D", std::nullopt},
        {"empty", "", QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextImport::decode(c.bytes), c.text);
    }
}

TEST(TextImport, ReadsOnlyFilesItCanRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(TextImport::read(dir.filePath(QStringLiteral("missing.txt"))));
    EXPECT_FALSE(TextImport::read(dir.path())); // a folder
}

TEST(TextImport, EndsEveryLineAndAddsBreaksOnRequest)
{
    struct Case {
        const char *text;
        bool breaks;
        const char *lines;
    };
    const Case cases[] = {
        {"", true, ""},
        {"one", false, "one\n"},
        {"one\r\ntwo", true, "one<BR>\ntwo<BR>\n"},
        {"one\rtwo\n", false, "one\ntwo\n"},
        {"one\n\ntwo\r\n", true, "one<BR>\n<BR>\ntwo<BR>\n"},
        {"\n", false, "\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(
            TextImport::lines(QString::fromLatin1(c.text), c.breaks), QString::fromLatin1(c.lines));
    }
}
