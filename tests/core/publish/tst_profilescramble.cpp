#include "profilescramble.h"

#include <gtest/gtest.h>

namespace {

QByteArray everyByte()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes += static_cast<char>(value);
    return bytes;
}

TEST(ProfileScramble, EveryByteValueComesBackAtEveryLength)
{
    const QByteArray all = everyByte();
    for (qsizetype length = 0; length <= all.size(); ++length) {
        const QByteArray plain = all.first(length);
        const QByteArray scrambled = StrEncrypt(plain);
        ASSERT_EQ(scrambled.size(), length);
        ASSERT_EQ(StrDecrypt(scrambled), plain) << length;
        ASSERT_EQ(Base64Decode(Base64Encode(plain)), plain) << length;
        ASSERT_EQ(StrDecrypt(Base64Decode(Base64Encode(scrambled))), plain) << length;
    }
    // Each byte value alone and behind a first byte that moves the key.
    for (int value = 0; value < 256; ++value) {
        const QByteArray one(1, static_cast<char>(value));
        ASSERT_EQ(StrDecrypt(StrEncrypt(one)), one) << value;
        ASSERT_EQ(StrDecrypt(StrEncrypt("x" + one)), "x" + one) << value;
    }
}

// Worked by hand. The key starts at 9271 = 0x2437, high byte 0x24:
//   "A" = 0x41: 0x41 XOR 0x24 = 0x65.
//   The key takes in the scrambled 0x65 = 101:
//   (9271 + 101) * 40693 + 31817 = 381406613; mod 65536 = 52629 = 0xCD95, high byte 0xCD.
//   "B" = 0x42: 0x42 XOR 0xCD = 0x8F.
// Base64 of 0x65 0x8F: 011001 011000 1111(00) = 25 24 60 = "ZY8", one "=" for two bytes.
struct Vector {
    const char *name;
    QByteArray plain;
    QByteArray scrambled;
    const char *base64;
};

void PrintTo(const Vector &row, std::ostream *out)
{
    *out << row.name;
}

class ScrambleVector : public ::testing::TestWithParam<Vector> {};

TEST_P(ScrambleVector, MatchesTheHandWorkedBytes)
{
    const Vector &row = GetParam();
    EXPECT_EQ(StrEncrypt(row.plain), row.scrambled);
    EXPECT_EQ(StrDecrypt(row.scrambled), row.plain);
    EXPECT_EQ(Base64Encode(row.scrambled), QLatin1String(row.base64));
    EXPECT_EQ(Base64Decode(QString::fromLatin1(row.base64)), row.scrambled);
}

INSTANTIATE_TEST_SUITE_P(ProfileScramble, ScrambleVector,
    ::testing::Values(Vector {"Empty", "", "", ""}, Vector {"OneByte", "A", "\x65", "ZQ=="},
        Vector {"KeyTakesInTheScrambledByte", "AB", "\x65\x8F", "ZY8="}),
    [](const ::testing::TestParamInfo<Vector> &info) { return info.param.name; });

struct Base64Row {
    const char *name;
    QByteArray bytes;
    const char *text;
};

void PrintTo(const Base64Row &row, std::ostream *out)
{
    *out << row.name;
}

class Base64Length : public ::testing::TestWithParam<Base64Row> {};

TEST_P(Base64Length, EncodesAndDecodesWithPadding)
{
    const Base64Row &row = GetParam();
    EXPECT_EQ(Base64Encode(row.bytes), QLatin1String(row.text));
    EXPECT_EQ(Base64Decode(QString::fromLatin1(row.text)), row.bytes);
}

// "f" = 011001 10(0000): 25 32 = "Zg==";  "fo" adds 01101111: 011001 100110 1111(00) = "Zm8=";
// "foo" ends 01101111: ... 111101 101111 = "Zm9v"; the fourth byte starts a new group.
INSTANTIATE_TEST_SUITE_P(ProfileScramble, Base64Length,
    ::testing::Values(Base64Row {"Length0", "", ""}, Base64Row {"Length1", "f", "Zg=="},
        Base64Row {"Length2", "fo", "Zm8="}, Base64Row {"Length3", "foo", "Zm9v"},
        Base64Row {"Length4", "foob", "Zm9vYg=="}, Base64Row {"HighBits", "\xFB\xFF", "+/8="}),
    [](const ::testing::TestParamInfo<Base64Row> &info) { return info.param.name; });

// What the decoder makes of text no encoder wrote: it checks nothing, so a short last group
// still gives three bytes, and a character outside the alphabet counts as 0.
struct MalformedRow {
    const char *name;
    QString text;
    QByteArray bytes;
};

void PrintTo(const MalformedRow &row, std::ostream *out)
{
    *out << row.name;
}

class Base64Malformed : public ::testing::TestWithParam<MalformedRow> {};

TEST_P(Base64Malformed, DecodesByTheGroupRule)
{
    EXPECT_EQ(Base64Decode(GetParam().text), GetParam().bytes);
}

// "Zg" = 25 32, then two positions past the end as 0: 011001 100000 000000 000000.
// "Zg=x": the "=" is not at the end of its group, so it is 0, and "x" = 49 = 110001.
// "é", then the two halves of an emoji, then "=": four positions, the last "=", two bytes.
// "Z!==": "!" counts as 0: 011001 000000 = 0x64 "d", one byte for the two "=".
INSTANTIATE_TEST_SUITE_P(ProfileScramble, Base64Malformed,
    ::testing::Values(MalformedRow {"ShortLastGroup", QStringLiteral("Zg"), QByteArray("f\0\0", 3)},
        MalformedRow {"OneCharacter", QStringLiteral("/"), QByteArray("\xFC\0\0", 3)},
        MalformedRow {"PadInsideAGroup", QStringLiteral("Zg=x"),
            QByteArray("f\0"
                       "1",
                3)},
        MalformedRow {"OutsideTheAlphabet", QStringLiteral("Z!=="), QByteArray("d")},
        MalformedRow {"OnlyPads", QStringLiteral("===="), QByteArray(1, '\0')},
        MalformedRow {"SecondGroupShort", QStringLiteral("Zm9vY"), QByteArray("foo`\0\0", 6)},
        MalformedRow {
            "NonLatinCharacters", QString::fromUtf16(u"\u00e9\U0001F600="), QByteArray(2, '\0')}),
    [](const ::testing::TestParamInfo<MalformedRow> &info) { return info.param.name; });

} // namespace
