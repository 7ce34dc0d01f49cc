// Replies to EPSV, PASV, SIZE and FEAT come from any server: reading them must never crash,
// read past the line or offer a port or size that the reply cannot hold.
#include "ftpreplyreader.h"
#include "passivereply.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray line(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (const auto port = PassiveReply::epsvPort(line); port && *port == 0)
        __builtin_trap();
    if (const auto offer = PassiveReply::pasvOffer(line); offer && offer->port == 0)
        __builtin_trap();
    if (const auto bytes = FtpReplyReader::sizeValue(line); bytes && *bytes < 0)
        __builtin_trap();
    if (FtpReplyReader::namesFeature(line, "SIZE") && line.size() < 5)
        __builtin_trap();
    return 0;
}
