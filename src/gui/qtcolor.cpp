#include "qtcolor.h"

QColor toQColor(TColor color)
{
    return QColor(redOf(color), greenOf(color), blueOf(color));
}

TColor toTColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return rgbColor(rgb.red(), rgb.green(), rgb.blue());
}
