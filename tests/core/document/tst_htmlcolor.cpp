#include "htmlcolor.h"
#include "pagecolors.h"
#include "qtcolor.h"

#include <gtest/gtest.h>

TEST(HtmlColor, WritesRedFirstInUpperCase)
{
    EXPECT_EQ(TColorToHex(0x00FF0000), QStringLiteral("#0000FF"));
    EXPECT_EQ(TColorToHex(0x000080FF), QStringLiteral("#FF8000"));
    EXPECT_EQ(TColorToHex(0), QStringLiteral("#000000"));
    EXPECT_EQ(TColorToHex(0xFF123456), QStringLiteral("#563412")); // the top byte is ignored
}

struct HexCase {
    const char *text;
    std::optional<TColor> expected;
};

void PrintTo(const HexCase &c, std::ostream *os)
{
    *os << '"' << c.text << '"';
}

class HexToTColorTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexToTColorTest, ReadsOrFails)
{
    const HexCase &c = GetParam();
    EXPECT_EQ(HexToTColor(QString::fromLatin1(c.text)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, HexToTColorTest,
    ::testing::Values(HexCase {"#ff8000", rgbColor(255, 128, 0)},
        HexCase {"#FF8000", rgbColor(255, 128, 0)}, HexCase {"xyz#0000FF", rgbColor(0, 0, 255)},
        HexCase {"0000FF", rgbColor(255, 255, 255)}, // no "#": white
        HexCase {"", rgbColor(255, 255, 255)}, HexCase {"#0000FF00", rgbColor(0, 0, 255)},
        HexCase {"#0000F", rgbColor(0, 0, 15)}, HexCase {"#00FF", std::nullopt},
        HexCase {"#", std::nullopt}, HexCase {"#GG0000", std::nullopt},
        HexCase {"#00 000", std::nullopt}, HexCase {"a#1#2", std::nullopt},
        HexCase {"##123456", std::nullopt}));

TEST(HtmlColor, RoundTripsThroughText)
{
    for (TColor color : {rgbColor(0, 0, 0), rgbColor(1, 2, 3), rgbColor(255, 255, 255),
             rgbColor(0x12, 0xAB, 0xEF)}) {
        EXPECT_EQ(HexToTColor(TColorToHex(color)), color);
        EXPECT_EQ(toTColor(toQColor(color)), color);
    }
}

TEST(PageColors, PaletteHoldsTheFortyEightSwatchesInOrder)
{
    const char *const expected[kPaletteSize]
        = {"#FFFFFF", "#FFC0C0", "#FFE0C0", "#FFFFC0", "#C0FFC0", "#C0FFFF", "#C0C0FF", "#FFC0FF",
            "#E0E0E0", "#FF8080", "#FFC080", "#FFFF80", "#80FF80", "#80FFFF", "#8080FF", "#FF80FF",
            "#C0C0C0", "#FF0000", "#FF8000", "#FFFF00", "#00FF00", "#00FFFF", "#0000FF", "#FF00FF",
            "#808080", "#C00000", "#C04000", "#C0C000", "#00C000", "#00C0C0", "#0000C0", "#C000C0",
            "#404040", "#800000", "#804000", "#808000", "#008000", "#408080", "#000080", "#800080",
            "#000000", "#400000", "#804040", "#404000", "#004000", "#004040", "#000040", "#400040"};
    for (int index = 1; index <= kPaletteSize; ++index)
        EXPECT_EQ(TColorToHex(paletteSwatch(index)), QLatin1String(expected[index - 1])) << index;
    EXPECT_EQ(paletteSwatch(0), 0u);
    EXPECT_EQ(paletteSwatch(49), 0u);
    // Each kind starts on the swatch of its default colour.
    for (ColorKind kind : kColorKinds)
        EXPECT_EQ(paletteSwatch(defaultPaletteIndex(kind)), defaultPageColor(kind));
}
