#include "htmlcolor.h"

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// One colour pair; a pair cut short by the end of the text is read as the digit it has.
std::optional<int> readPair(QStringView digits, qsizetype at)
{
    const QStringView pair = digits.mid(at, 2);
    if (pair.isEmpty())
        return std::nullopt;
    int value = 0;
    for (QChar c : pair) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

QString TColorToHex(TColor color)
{
    return QStringLiteral("#%1%2%3")
        .arg(redOf(color), 2, 16, QLatin1Char('0'))
        .arg(greenOf(color), 2, 16, QLatin1Char('0'))
        .arg(blueOf(color), 2, 16, QLatin1Char('0'))
        .toUpper();
}

std::optional<TColor> HexToTColor(QStringView text)
{
    const qsizetype hash = text.indexOf(QLatin1Char('#'));
    if (hash < 0)
        return rgbColor(255, 255, 255);
    const QStringView digits = text.mid(hash + 1, 6);
    const std::optional<int> red = readPair(digits, 0);
    const std::optional<int> green = readPair(digits, 2);
    const std::optional<int> blue = readPair(digits, 4);
    if (!red || !green || !blue)
        return std::nullopt;
    return rgbColor(*red, *green, *blue);
}
