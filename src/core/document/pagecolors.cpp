#include "pagecolors.h"

TColor defaultPageColor(ColorKind kind)
{
    switch (kind) {
    case ColorKind::Background:
        return rgbColor(255, 255, 255);
    case ColorKind::Text:
        return rgbColor(0, 0, 0);
    case ColorKind::Link:
        return rgbColor(0, 0, 255);
    case ColorKind::ActiveLink:
        return rgbColor(255, 0, 0);
    case ColorKind::VisitedLink:
        return rgbColor(128, 0, 128);
    }
    return 0;
}

PaletteIndex defaultPaletteIndex(ColorKind kind)
{
    switch (kind) {
    case ColorKind::Background:
        return 1;
    case ColorKind::Text:
        return 41;
    case ColorKind::Link:
        return 23;
    case ColorKind::ActiveLink:
        return 18;
    case ColorKind::VisitedLink:
        return 40;
    }
    return 0;
}

TColor paletteSwatch(int index)
{
    // Written as #RRGGBB, row by row.
    static constexpr std::uint32_t kSwatches[kPaletteSize] = {
        0xFFFFFF,
        0xFFC0C0,
        0xFFE0C0,
        0xFFFFC0,
        0xC0FFC0,
        0xC0FFFF,
        0xC0C0FF,
        0xFFC0FF,
        0xE0E0E0,
        0xFF8080,
        0xFFC080,
        0xFFFF80,
        0x80FF80,
        0x80FFFF,
        0x8080FF,
        0xFF80FF,
        0xC0C0C0,
        0xFF0000,
        0xFF8000,
        0xFFFF00,
        0x00FF00,
        0x00FFFF,
        0x0000FF,
        0xFF00FF,
        0x808080,
        0xC00000,
        0xC04000,
        0xC0C000,
        0x00C000,
        0x00C0C0,
        0x0000C0,
        0xC000C0,
        0x404040,
        0x800000,
        0x804000,
        0x808000,
        0x008000,
        0x408080,
        0x000080,
        0x800080,
        0x000000,
        0x400000,
        0x804040,
        0x404000,
        0x004000,
        0x004040,
        0x000040,
        0x400040,
    };
    if (index < 1 || index > kPaletteSize)
        return 0;
    const std::uint32_t rgb = kSwatches[index - 1];
    return rgbColor(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF),
        static_cast<int>(rgb & 0xFF));
}
