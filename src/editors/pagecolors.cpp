#include "pagecolors.h"

QColor defaultPageColor(ColorKind kind)
{
    switch (kind) {
    case ColorKind::Background:
        return QColor(255, 255, 255);
    case ColorKind::Text:
        return QColor(0, 0, 0);
    case ColorKind::Link:
        return QColor(0, 0, 255);
    case ColorKind::ActiveLink:
        return QColor(255, 0, 0);
    case ColorKind::VisitedLink:
        return QColor(128, 0, 128);
    }
    return {};
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
