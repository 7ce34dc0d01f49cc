// Favorites and desktop links come from anywhere: reading their address must never crash,
// and the address is always text of the file.
#include "externaltext.h"
#include "linksources.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = decodeExternalText(QByteArrayView(data, static_cast<qsizetype>(size)));
    const QString url = LinkSources::shortcutUrlFromText(text);
    if (url.size() > text.size())
        __builtin_trap();
    return 0;
}
