#pragma once

#include "htmlcolor.h"

#include <array>
#include <cstdint>

// The five colours of a page, in the order the wizard and its files use them.
enum class ColorKind { Background = 1, Text, Link, ActiveLink, VisitedLink };

inline constexpr std::array<ColorKind, 5> kColorKinds = {ColorKind::Background, ColorKind::Text,
    ColorKind::Link, ColorKind::ActiveLink, ColorKind::VisitedLink};

// Palette index 1..48 of the swatch last picked for a kind; 0 stands for a custom colour.
using PaletteIndex = std::uint8_t;

// The colour a new page starts with: white, black, blue, red, purple.
TColor defaultPageColor(ColorKind kind);

// The swatch each kind starts on: 1, 41, 23, 18, 40.
PaletteIndex defaultPaletteIndex(ColorKind kind);

inline constexpr int kPaletteSize = 48;

// The colour of palette swatch 1..48, eight to a row from light to dark; 0 outside.
TColor paletteSwatch(int index);

inline std::size_t colorSlot(ColorKind kind)
{
    return static_cast<std::size_t>(kind) - 1;
}
