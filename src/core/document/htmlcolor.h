#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// A colour as the page's files know it: red in bits 0-7, green in 8-15, blue in 16-23.
// The top byte takes no part in conversions.
using TColor = std::uint32_t;

constexpr TColor rgbColor(int red, int green, int blue)
{
    return static_cast<TColor>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int redOf(TColor color)
{
    return static_cast<int>(color & 0xFF);
}
constexpr int greenOf(TColor color)
{
    return static_cast<int>((color >> 8) & 0xFF);
}
constexpr int blueOf(TColor color)
{
    return static_cast<int>((color >> 16) & 0xFF);
}

// "#RRGGBB" in upper case.
QString TColorToHex(TColor color);

// Reads the six digits after the first "#"; text without "#" gives white. Empty if a
// colour pair is missing or holds a character that is not a hexadecimal digit.
std::optional<TColor> HexToTColor(QStringView text);
