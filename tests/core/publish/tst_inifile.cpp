#include "inifile.h"

#include "fulldisk.h"
#include "inifolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const std::optional<QString> missing;

struct ReadRow {
    const char *name;
    QString text;
    const char *section;
    const char *key;
    std::optional<QString> value;
};

void PrintTo(const ReadRow &row, std::ostream *out)
{
    *out << row.name;
}

class IniRead : public ::testing::TestWithParam<ReadRow> {};

TEST_P(IniRead, FindsTheValueAsThePlatformDid)
{
    const ReadRow &row = GetParam();
    EXPECT_EQ(IniFile::valueInText(
                  row.text, QString::fromLatin1(row.section), QString::fromLatin1(row.key)),
        row.value);
}

const QString kLong(2000, u'x');

INSTANTIATE_TEST_SUITE_P(IniFile, IniRead,
    ::testing::Values(
        ReadRow {"CaseOfNames", "[Profiles]\nname0=Home\n", "PROFILES", "Name0", "Home"},
        ReadRow {"BlanksAroundNames", "[ Site ]\n\tHostName =  ftp.example.com \n", "site",
            "hostname", "ftp.example.com"},
        ReadRow {"MissingKey", "[S]\na=1\n", "S", "b", missing},
        ReadRow {"MissingSection", "[S]\na=1\n", "T", "a", missing},
        ReadRow {"KeyOfTheNextSection", "[S]\na=1\n[T]\nb=2\n", "S", "b", missing},
        ReadRow {
            "FirstOfDuplicateSections", "[S]\na=first\n[s]\na=second\nb=2\n", "S", "a", "first"},
        ReadRow {"SecondDuplicateSectionIsNotRead", "[S]\na=first\n[s]\nb=2\n", "S", "b", missing},
        ReadRow {"FirstOfDuplicateKeys", "[S]\na=1\nA=2\n", "S", "a", "1"},
        ReadRow {"MissingFinalLineBreak", "[S]\nx=1\na=last", "S", "a", "last"},
        ReadRow {"CrLf", "[S]\r\na=1\r\n", "S", "a", "1"},
        ReadRow {"CommentIsNoKey", "[S]\n;a=no\na=yes\n", "S", "a", "yes"},
        ReadRow {"KeysBeforeAnySection", "a=none\n[S]\n", "S", "a", missing},
        ReadRow {"EmptyValue", "[S]\na=\n", "S", "a", ""},
        ReadRow {"EqualsInTheValue", "[S]\na=b=c\n", "S", "a", "b=c"},
        ReadRow {"Value1023", "[S]\na=" + kLong.first(1023) + "\n", "S", "a", kLong.first(1023)},
        ReadRow {"Value2000IsCut", "[S]\na=" + kLong + "\n", "S", "a", kLong.first(1023)},
        ReadRow {"CutNeverSplitsACharacter",
            "[S]\na=" + kLong.first(1022) + QString::fromUtf16(u"\U0001F600") + "\n", "S", "a",
            kLong.first(1022)}),
    [](const ::testing::TestParamInfo<ReadRow> &info) { return info.param.name; });

struct WriteRow {
    const char *name;
    QString before;
    const char *section;
    const char *key;
    QString value;
    QString after;
};

void PrintTo(const WriteRow &row, std::ostream *out)
{
    *out << row.name;
}

class IniWrite : public ::testing::TestWithParam<WriteRow> {};

TEST_P(IniWrite, ChangesOneLineAndKeepsTheRest)
{
    const WriteRow &row = GetParam();
    const std::optional<QString> after = IniFile::textWithValue(
        row.before, QString::fromLatin1(row.section), QString::fromLatin1(row.key), row.value);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(*after, row.after);
    EXPECT_EQ(IniFile::valueInText(
                  *after, QString::fromLatin1(row.section), QString::fromLatin1(row.key)),
        row.value.first(qMin(row.value.size(), IniFile::MaxValueLength)));
}

INSTANTIATE_TEST_SUITE_P(IniFile, IniWrite,
    ::testing::Values(
        WriteRow {"ReplacesTheValueOnly",
            "; servers\n[Profiles]\nName0=Old\n\n[Other]\nx=1\njunk line\n", "PROFILES", "name0",
            "New", "; servers\n[Profiles]\nName0=New\n\n[Other]\nx=1\njunk line\n"},
        WriteRow {"KeepsTheBlanksBeforeTheValue", "[S]\nPort = 21\n", "S", "Port", "2121",
            "[S]\nPort = 2121\n"},
        WriteRow {"AddsTheKeyAtTheEndOfItsSection", "[S]\na=1\n\n[T]\nb=2\n", "S", "c", "3",
            "[S]\na=1\nc=3\n\n[T]\nb=2\n"},
        WriteRow {"AddsTheSectionAtTheEnd", "[S]\na=1\n", "T", "b", "2", "[S]\na=1\n\n[T]\nb=2\n"},
        WriteRow {"NewFile", "", "S", "a", "1", "[S]\na=1\n"},
        WriteRow {"KeyAfterAMissingFinalLineBreak", "[S]\na=1", "S", "b", "2", "[S]\na=1\nb=2"},
        WriteRow {"SectionAfterAMissingFinalLineBreak", "[S]\na=1", "T", "b", "2",
            "[S]\na=1\n\n[T]\nb=2\n"},
        WriteRow {"CrLfKeptForANewKey", "[S]\r\na=1\r\n", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
        WriteRow {"CrLfKeptForANewSection", "[S]\r\na=1\r\n", "T", "b", "2",
            "[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n"},
        WriteRow {"FirstOfDuplicateSections", "[S]\na=1\n[s]\na=2\n", "S", "a", "3",
            "[S]\na=3\n[s]\na=2\n"},
        WriteRow {"KeyOnlyInTheSecondOfDuplicateSections", "[S]\nb=1\n[s]\na=2\n", "S", "a", "3",
            "[S]\nb=1\na=3\n[s]\na=2\n"},
        WriteRow {"SpellingInTheFileKept", "[Home]\nHostName=a\n", "HOME", "HOSTNAME", "b",
            "[Home]\nHostName=b\n"},
        WriteRow {"Value2000WrittenWhole", "", "S", "a", kLong, "[S]\na=" + kLong + "\n"}),
    [](const ::testing::TestParamInfo<WriteRow> &info) { return info.param.name; });

TEST(IniFile, RefusesWhatWouldChangeTheFilesMeaning)
{
    const QString text = QStringLiteral("[S]\na=1\n");
    const auto refused = [&](const char *section, const char *key, const char *value) {
        return !IniFile::textWithValue(text, QString::fromLatin1(section), QString::fromLatin1(key),
            QString::fromLatin1(value))
                    .has_value();
    };
    EXPECT_FALSE(refused("S", "a", "fine [=];"));
    EXPECT_TRUE(refused("a]b", "a", "1"));
    EXPECT_TRUE(refused("a\nb", "a", "1"));
    EXPECT_TRUE(refused("S", "a=b", "1"));
    EXPECT_TRUE(refused("S", ";a", "1"));
    EXPECT_TRUE(refused("S", "[a", "1"));
    EXPECT_TRUE(refused("S", "a", "1\n[T]"));
    EXPECT_TRUE(refused("S", "a", "1\r"));
    EXPECT_TRUE(refused(" ", "a", "1"));
    EXPECT_TRUE(refused("S", "", "1"));
}

TEST(IniFile, ListsSectionsInFileOrderOnce)
{
    EXPECT_EQ(IniFile::sectionsInText(u"k=v\n[B]\n[a]\nk=v\n[b]\n[ C ]\n[]\n;[D]\n[E"),
        QStringList({"B", "a", "C", "E"}));
}

class IniFileOnDisk : public IniFolderTest {
protected:
    int mode() const
    {
        struct stat status {};
        return ::stat(QFile::encodeName(path()).constData(), &status) == 0
            ? static_cast<int>(status.st_mode & 07777)
            : -1;
    }
};

TEST_F(IniFileOnDisk, WritesAtomicallyForItsOwnerOnly)
{
    ASSERT_TRUE(IniFile::writeValue(path(), u"Profiles", u"Name0", u"Home"));
    EXPECT_EQ(mode(), 0600);
    EXPECT_EQ(bytes(), "[Profiles]\nName0=Home\n");

    // A file that others could read is no longer so once it has been written.
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0644), 0);
    ASSERT_TRUE(IniFile::writeValue(path(), u"Home", u"Password", u"ZY8="));
    EXPECT_EQ(mode(), 0600);
    EXPECT_EQ(IniFile::readValue(path(), u"home", u"password"), QStringLiteral("ZY8="));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"Remote.ini"}));
}

TEST_F(IniFileOnDisk, AFailedWriteLeavesTheFileAsItWas)
{
    const QByteArray before = "[Profiles]\nName0=Home\n";
    put(before);
    {
        FullDisk full;
        EXPECT_FALSE(IniFile::writeValue(path(), u"Profiles", u"Name1", u"Work"));
    }
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"Remote.ini"}));

    // A folder that is not there cannot take the file either.
    const QString nowhere = dir.filePath(QStringLiteral("gone/Remote.ini"));
    EXPECT_FALSE(IniFile::writeValue(nowhere, u"S", u"a", u"1"));
    EXPECT_FALSE(QFile::exists(nowhere));
}

TEST_F(IniFileOnDisk, WhatCannotBeReadIsNeitherReadNorReplaced)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Remote.ini")));
    EXPECT_FALSE(IniFile::load(path()).has_value());
    EXPECT_FALSE(IniFile::writeValue(path(), u"S", u"a", u"1"));
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(IniFileOnDisk, ReadsAndKeepsAWindows1252File)
{
    // Written by the Windows version: Windows-1252, CR LF, no final line break.
    const QByteArray windows = "; \x93quoted\x94\r\n[Profiles]\r\nName0=Caf\xE9\r\n"
                               "[Caf\xE9]\r\nHostName=ftp.example.com\r\nPort=21";
    put(windows);
    EXPECT_EQ(IniFile::readValue(path(), u"profiles", u"name0"), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(
        IniFile::readValue(path(), u"CAF\u00c9", u"HostName"), QStringLiteral("ftp.example.com"));

    // A value the code page holds: the file stays Windows-1252 with CR LF, other bytes kept.
    ASSERT_TRUE(IniFile::writeValue(path(), u"Caf\u00e9", u"UserName", u"J\u00fcrgen"));
    EXPECT_EQ(bytes(), windows + "\r\nUserName=J\xFCrgen");

    // One it cannot hold turns the file into UTF-8, its text kept.
    ASSERT_TRUE(IniFile::writeValue(path(), u"Caf\u00e9", u"InitialDir", u"/\u65e5\u672c"));
    EXPECT_EQ(bytes(),
        QStringLiteral("; \u201cquoted\u201d\r\n[Profiles]\r\nName0=Caf\u00e9\r\n[Caf\u00e9]\r\n"
                       "HostName=ftp.example.com\r\nPort=21\r\nUserName=J\u00fcrgen\r\n"
                       "InitialDir=/\u65e5\u672c")
            .toUtf8());
}

TEST_F(IniFileOnDisk, KeepsAUtf8ByteOrderMark)
{
    put("\xEF\xBB\xBF[S]\na=\xC3\xA9\n");
    EXPECT_EQ(IniFile::readValue(path(), u"S", u"a"), QStringLiteral("\u00e9"));
    ASSERT_TRUE(IniFile::writeValue(path(), u"S", u"b", u"2"));
    EXPECT_EQ(bytes(), "\xEF\xBB\xBF[S]\na=\xC3\xA9\nb=2\n");

    // Only the first mark is the file's; a second one is text and stays.
    const QByteArray twice = "\xEF\xBB\xBF\xEF\xBB\xBF[S]\n";
    EXPECT_EQ(IniFile::fromBytes(path(), twice).bytes(), twice);
}

} // namespace
