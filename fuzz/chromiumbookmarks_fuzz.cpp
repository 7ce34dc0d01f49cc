// A browser profile's Bookmarks file may be damaged or not JSON at all: reading it must
// never crash, and what it gives is sorted with each address once.
#include "linksources.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto addresses = LinkSources::chromiumBookmarkAddresses(
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    if (addresses
        && std::adjacent_find(addresses->cbegin(), addresses->cend(),
               [](const QString &a, const QString &b) { return !(a < b); })
            != addresses->cend())
        __builtin_trap();
    return 0;
}
