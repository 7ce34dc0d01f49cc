#pragma once

#include <QStringList>

// The font faces a page may name. A browser matches a FONT FACE against the family names
// of the installed fonts; Qt tells apart a family that two foundries make by adding the
// foundry in brackets ("C059 [urw]"), a name no browser knows.
namespace FontFamilies {

// Qt's family names as a browser matches them: without the foundry, each name once
// (letter case aside, as browsers compare them), in alphabetical order.
QStringList browserNames(const QStringList &qtFamilies);

// The installed screen fonts, by browserNames.
QStringList installed();

} // namespace FontFamilies
