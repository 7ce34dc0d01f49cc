// Favorites and desktop links come from anywhere: reading their address must never crash,
// the address is always text of the file, and one that is taken holds no control character.
#include "externaltext.h"
#include "linksources.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = decodeExternalText(QByteArrayView(data, static_cast<qsizetype>(size)));
    const QString url = LinkSources::shortcutUrlFromText(text);
    if (url.size() > text.size())
        __builtin_trap();
    using Status = LinkSources::ShortcutResult::Status;
    const LinkSources::ShortcutResult taken
        = LinkSources::shortcutFromBytes(QByteArrayView(data, static_cast<qsizetype>(size)));
    if (taken.status == Status::Address
        && (taken.url != url || taken.url.trimmed().isEmpty()
            || std::any_of(
                taken.url.cbegin(), taken.url.cend(), [](QChar c) { return c.unicode() < 0x20; })))
        __builtin_trap();
    if (taken.status != Status::Address
        && (taken.status != Status::NoAddress || !taken.url.isEmpty()))
        __builtin_trap();
    return 0;
}
