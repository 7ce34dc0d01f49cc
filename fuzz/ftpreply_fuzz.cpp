// Replies on an FTP control connection come from any server: read them as the client does,
// in pieces that may split a line anywhere, which must never crash, hang or hold more than
// the receive buffer.
#include "ftpreplyreader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses the size of the pieces the bytes arrive in.
    const std::size_t piece = data[0] % 64 + 1;
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const std::size_t count = size - 1;
    FtpReplyReader reader;
    for (std::size_t at = 0; at < count;) {
        const int room = reader.space();
        if (room <= 0 || room > FtpReplyReader::BufferSize)
            __builtin_trap();
        const int offered = static_cast<int>(std::min({piece, count - at, std::size_t(room)}));
        if (reader.append(bytes + at, offered) != offered)
            __builtin_trap();
        at += static_cast<std::size_t>(offered);
        for (auto line = reader.takeLine(); line.has_value(); line = reader.takeLine()) {
            if (line->text.size() > FtpReplyReader::BufferSize || line->text.contains("\r\n"))
                __builtin_trap();
            const int code = FtpReplyReader::statusCode(line->text);
            if (code > FtpReplyReader::CodeLimit || code < -FtpReplyReader::CodeLimit)
                __builtin_trap();
            if (FtpReplyReader::quotedName(line->text).size() > line->text.size())
                __builtin_trap();
        }
    }
    return 0;
}
