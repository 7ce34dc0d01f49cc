#pragma once

#include "htmlcolor.h"

#include <QColor>

// The page's colours as the window's controls paint them.
QColor toQColor(TColor color);
TColor toTColor(const QColor &color);
