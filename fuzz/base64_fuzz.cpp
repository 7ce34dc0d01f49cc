// A profile's password comes from Remote.ini as any text: decoding and unscrambling it must
// never crash or grow past the text's size, and every byte string must come back unchanged
// from scrambling and encoding.
#include "profilescramble.h"

#include <cstddef>
#include <cstdint>

namespace {

void decode(QStringView text)
{
    const QByteArray bytes = Base64Decode(text);
    if (bytes.size() > (text.size() + 3) / 4 * 3)
        __builtin_trap();
    if (StrDecrypt(bytes).size() != bytes.size())
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    decode(QString::fromLatin1(bytes));
    // The same bytes as UTF-16, for characters far outside the alphabet.
    decode(QStringView(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2)));

    if (Base64Decode(Base64Encode(bytes)) != bytes || StrDecrypt(StrEncrypt(bytes)) != bytes)
        __builtin_trap();
    return 0;
}
